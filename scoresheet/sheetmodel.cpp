#include "scoresheet/sheetmodel.h"

#include <algorithm>
#include <climits>
#include <utility>

#include <QDateTime>
#include <QJsonArray>

#include "app/matchboards.h"
#include "packet/packetjson.h"

#include "scoresheet/rules.h"
#include "scoresheet/sheetstats.h"

using record::EventKind;

namespace scoresheet {

namespace {

const char* rulingWord(SheetModel::Ruling r) {
    switch (r) {
    case SheetModel::Ruling::Power: return "power";
    case SheetModel::Ruling::Correct: return "correct";
    case SheetModel::Ruling::Neg: return "neg";
    case SheetModel::Ruling::NoPenalty: return "no-penalty";
    }
    return "";
}

std::vector<int> totals(const Sheet& sheet) {
    std::vector<int> t;
    for (int team = 0; team < int(sheet.teams.size()); ++team)
        t.push_back(teamTotal(sheet, team));
    return t;
}

}  // namespace

SheetModel::SheetModel(record::MatchRecorder& recorder, ScoreBoard& board, ScoringRules rules)
    : recorder_(recorder), board_(board), chosen_(std::move(rules)) {}

void SheetModel::record(EventKind kind, const QJsonObject& data) {
    if (kind == EventKind::MatchResumed && history_) {
        // The match goes on as the record has it: the sheet is its events'.
        const MatchEvents events = history_();
        if (!events.empty()) {
            builder_ = builderFromEvents(events);
            clearHistory();
            notify();
            return;
        }
    }
    const std::vector<int> before = totals(sheet());
    const bool wasPlain = sheet().rules.plain();
    const bool changed = builder_.apply(kind, data, now());
    if (kind == EventKind::MatchStarted) {
        clearHistory();
        if (!chosen_.plain())
            recorder_.record(EventKind::RulesChosen,
                             {{QStringLiteral("rules"), rulesToJson(chosen_)}});
        // The packet chosen goes on with the next match, as the round does.
        if (packet_) recorder_.record(EventKind::PacketChosen, packetData());
    }
    // A mark moved for a buzz no longer awaiting its ruling is gone.
    if (moved_) {
        const auto shown = builder_.shown();
        if (!shown || shown->waiting || shown->tossup != moved_->tossup ||
            shown->team != moved_->team)
            moved_.reset();
    }
    // The sheet's points go onto the boards (a change of rules leaves the
    // boards as they are).
    const char* how = kind == EventKind::Ruling                                       ? "ruling"
                      : kind == EventKind::BonusPart || kind == EventKind::BounceBack ? "bonus"
                      : kind == EventKind::SheetCorrected || kind == EventKind::ProtestResolved
                          ? "correction"
                          : nullptr;
    if (changed && how && !wasPlain) {
        const std::vector<int> after = totals(sheet());
        for (std::size_t team = 0; team < after.size() && team < before.size(); ++team) {
            // The board is where the team sits now, which Switch Sides changes.
            const int side = builder_.sideOfTeam(int(team));
            if (after[team] != before[team] && side >= 0)
                board_.moveScore(side, after[team] - before[team], QLatin1String(how));
        }
    }
    // The operator's own board changes are steps of the one history.
    if (kind == EventKind::ScoreChanged && keepsHistory() && !sheetsOwnMove(data)) {
        const record::ScoreData move = record::readScore(kind, data).value_or(record::ScoreData());
        undo_.push_back(
            {true,
             {},
             {},
             QStringLiteral("%1 %2 \u2192 %3").arg(move.name).arg(move.before).arg(move.after)});
        redo_.clear();
        historyChanged();
    }
    if (kind == EventKind::MatchEnded) historyChanged();
    // The clear that arms for a buzz on the bonus leaves the toss-up as it
    // is; any other ends a toss-up that is over. After a neg the same
    // toss-up goes on, for the other team.
    if (kind == EventKind::Cleared &&
        data.value(QStringLiteral("how")).toString() != QLatin1String("bonus") &&
        !sheet().rules.plain() && !sheet().tossups.empty() &&
        tossupDone(sheet().tossups.back(), int(sheet().teams.size())))
        nextTossup();
    if (changed) notify();
}

void SheetModel::chooseRules(const ScoringRules& rules) {
    chosen_ = rules;
    // A new history begins under the new rules.
    if (act(EventKind::RulesChosen, {{QStringLiteral("rules"), rulesToJson(rules)}}, std::nullopt))
        clearHistory();
}

int SheetModel::rulingTarget() const {
    const auto shown = builder_.shown();
    return shown && !shown->waiting ? shown->tossup : -1;
}

int SheetModel::bonusTarget() const {
    const auto& t = sheet().tossups;
    if (t.empty()) return -1;
    if (t.back().bonusTeam) return int(t.size()) - 1;
    // The bonus is read after the operator has cleared on to the next
    // toss-up, before anyone buzzes on it.
    if (t.back().buzzes.empty() && t.size() >= 2 && t[t.size() - 2].bonusTeam)
        return int(t.size()) - 2;
    return -1;
}

QString SheetModel::buzzText(int tossup, int team) const {
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    const Buzz* b = buzzOf(t, team);
    return QStringLiteral("%1 (%2) on toss-up %3")
        .arg(b ? playerName(sheet(), team, b->player) : QStringLiteral("no buzz"),
             teamName(sheet(), team))
        .arg(t.number);
}

bool SheetModel::rule(Ruling ruling) {
    const ScoringRules& rules = sheet().rules;
    switch (ruling) {
    case Ruling::Power: return rulePower(0);
    case Ruling::Correct: return ruleAt(ruling, correctValue(rules), 0);
    case Ruling::Neg: return ruleAt(ruling, negValue(rules), 0);
    case Ruling::NoPenalty: return ruleAt(ruling, 0, 0);
    }
    return false;
}

bool SheetModel::rulePower(int level) {
    return ruleAt(Ruling::Power, powerValue(sheet().rules, level), level);
}

bool SheetModel::ruleAt(Ruling ruling, std::optional<int> value, int level) {
    bounceArmed_ = false;
    const ScoringRules& rules = sheet().rules;
    if (!value) {
        say(ruling == Ruling::Power
                ? (level == 0 ? QStringLiteral("The rules \"%1\" have no powers.").arg(rules.name)
                              : QStringLiteral("The rules \"%1\" have %2 power level(s), not %3.")
                                    .arg(rules.name)
                                    .arg(powerLevels(rules))
                                    .arg(level + 1))
                : QStringLiteral("The rules \"%1\" have no penalty for a wrong "
                                 "answer: W rules it.")
                      .arg(rules.name));
        return false;
    }
    const auto shown = builder_.shown();
    if (!shown) {
        say(sheet().ended ? QStringLiteral("The match has ended; New Match begins the next.")
                          : QStringLiteral("No buzz on the screen to rule: corrections are made "
                                           "in the Scoresheet window."));
        return false;
    }
    if (shown->waiting) {
        const Tossup& t = sheet().tossups[std::size_t(shown->tossup)];
        say(QStringLiteral("%1 cannot answer toss-up %2 again. If a new toss-up is being read, "
                           "press T: the buzz goes on it.")
                .arg(teamName(sheet(), shown->team))
                .arg(t.number));
        return false;
    }
    const Tossup& t = sheet().tossups[std::size_t(shown->tossup)];
    const Buzz* buzz = buzzOf(t, shown->team);
    const std::optional<int> word = awaitingWord();
    // A correct answer marked before the power mark is a power; P rules one
    // wherever the mark is.
    if (ruling == Ruling::Correct && word && powerValue(rules)) {
        const packet::QuestionWords* words = builder_.questionWords(t.question);
        const packet::BuzzWorth worth =
            words ? packet::buzzWorth(*words, *word) : packet::BuzzWorth::Normal;
        if (worth != packet::BuzzWorth::Normal) {
            ruling = Ruling::Power;
            value = powerValue(rules);
            // Under rules with a superpower the power is the second value.
            std::vector<int> positives;
            for (int v : rules.answerValues)
                if (v > 0) positives.push_back(v);
            if (worth == packet::BuzzWorth::Power && positives.size() >= 3) value = positives[1];
        }
    }
    if (!buzz || (buzz->value == value && (!word || (buzz->wordConfirmed && buzz->word == word))))
        return false;
    if (*value > 0) {
        for (const Buzz& b : t.buzzes)
            if (b.team != shown->team && b.value.value_or(0) > 0) {
                say(QStringLiteral("Toss-up %1 was answered by %2 already.")
                        .arg(t.number)
                        .arg(teamName(sheet(), b.team)));
                return false;
            }
    }
    QJsonObject data{{QStringLiteral("tossup"), t.number},
                     {QStringLiteral("team"), buzz->team},
                     {QStringLiteral("player"), buzz->player},
                     {QStringLiteral("value"), *value},
                     {QStringLiteral("ruling"), QLatin1String(rulingWord(ruling))}};
    if (word) data.insert(QStringLiteral("word"), *word);
    return act(
        EventKind::Ruling, data,
        Step{false,
             {},
             {},
             QStringLiteral("%1 ruled %2")
                 .arg(buzzText(shown->tossup, shown->team), QLatin1String(rulingWord(ruling)))});
}

bool SheetModel::toggleBonusPart(int part) {
    const int target = bonusTarget();
    if (target < 0) return false;
    const Tossup& t = sheet().tossups[std::size_t(target)];
    if (part < 0 || part >= int(t.bonusParts.size())) return false;
    const int points = t.bonusParts[std::size_t(part)] != 0 ? 0 : sheet().rules.pointsPerBonusPart;
    return act(EventKind::BonusPart,
               {{QStringLiteral("tossup"), t.number},
                {QStringLiteral("team"), *t.bonusTeam},
                {QStringLiteral("part"), part},
                {QStringLiteral("points"), points}},
               Step{false,
                    {},
                    {},
                    QStringLiteral("%1's bonus part %2 on toss-up %3")
                        .arg(teamName(sheet(), *t.bonusTeam))
                        .arg(part + 1)
                        .arg(t.number)});
}

bool SheetModel::bounceBack(int part) {
    bounceArmed_ = false;
    const ScoringRules& rules = sheet().rules;
    if (!rules.bonusesBounceBack || builder_.teams() != 2) {
        say(QStringLiteral("The rules \"%1\" have no bounce-backs.").arg(rules.name));
        return false;
    }
    const int target = bonusTarget();
    if (target < 0) return false;
    const Tossup& t = sheet().tossups[std::size_t(target)];
    if (part < 0 || part >= int(t.bouncebackParts.size())) return false;
    const int other = 1 - *t.bonusTeam;
    if (t.bonusParts[std::size_t(part)] != 0) {
        say(QStringLiteral("%1 converted part %2 of the bonus on toss-up %3: it does not bounce "
                           "back.")
                .arg(teamName(sheet(), *t.bonusTeam))
                .arg(part + 1)
                .arg(t.number));
        return false;
    }
    const int points =
        t.bouncebackParts[std::size_t(part)] != 0 ? 0 : sheet().rules.pointsPerBonusPart;
    return act(EventKind::BounceBack,
               {{QStringLiteral("tossup"), t.number},
                {QStringLiteral("team"), other},
                {QStringLiteral("part"), part},
                {QStringLiteral("points"), points}},
               Step{false,
                    {},
                    {},
                    QStringLiteral("%1's bounce-back of part %2 on toss-up %3")
                        .arg(teamName(sheet(), other))
                        .arg(part + 1)
                        .arg(t.number)});
}

namespace {

// The number of the last toss-up read (0 before the first): the row the
// clear opened is not yet.
int lastRead(const Sheet& s) {
    if (s.tossups.empty()) return 0;
    const Tossup& last = s.tossups.back();
    return last.heard || !last.buzzes.empty() ? last.number : last.number - 1;
}

}  // namespace

int SheetModel::timeoutsCalled(int team) const {
    const Sheet& s = sheet();
    const int last = lastRead(s);
    // Halves split the regulation toss-ups; overtime is the second's.
    const int half = s.rules.regulationTossups / 2;
    const bool second = s.rules.timeoutsPerHalf && half > 0 && last > half;
    int n = 0;
    for (const Timeout& t : s.timeouts)
        if (t.team == team &&
            (!s.rules.timeoutsPerHalf || half <= 0 || (t.tossup > half) == second))
            ++n;
    return n;
}

bool SheetModel::callTimeout(int team) {
    if (team < 0 || team >= builder_.teams() || sheet().ended) return false;
    const QJsonObject called{{QStringLiteral("team"), team},
                             {QStringLiteral("tossup"), lastRead(sheet())}};
    QJsonObject withdrawn = called;
    withdrawn.insert(QStringLiteral("withdrawn"), true);
    if (!act(EventKind::TimeoutCalled, called,
             Step{false, withdrawn, called,
                  QStringLiteral("%1's time-out").arg(teamName(sheet(), team)),
                  EventKind::TimeoutCalled}))
        return false;
    const int allowed = sheet().rules.timeoutsPerTeam;
    const int n = timeoutsCalled(team);
    if (allowed > 0 && n > allowed)
        say(QStringLiteral("%1 has called %2 time-outs%3; the rules \"%4\" allow %5.")
                .arg(teamName(sheet(), team))
                .arg(n)
                .arg(sheet().rules.timeoutsPerHalf ? QStringLiteral(" this half") : QString())
                .arg(sheet().rules.name)
                .arg(allowed));
    return true;
}

bool SheetModel::nextTossup() {
    if (sheet().rules.plain() || sheet().tossups.empty()) return false;
    // At the end of regulation (or of an overtime) a lead ends the match and
    // a tie goes on into overtime, each said so. A bonus still to be read
    // can change that: until it is, the next row opens as before.
    const RegulationState r = regulationState(sheet());
    const Tossup& last = sheet().tossups.back();
    const bool bonusToCome = last.bonusTeam && !last.bonusHeard;
    // The last row is over: answered, or (the T key) read with nobody answering.
    if (r.reached && !bonusToCome) {
        if (r.over) {
            say(QStringLiteral("Toss-up %1 was the last: the match is over (%2). End Match "
                               "writes the result.")
                    .arg(last.number)
                    .arg(leaderText(sheet())));
            return false;
        }
        if (r.tied && last.number == sheet().rules.regulationTossups)
            say(QStringLiteral("The scores are tied after regulation (%1): overtime.")
                    .arg(leaderText(sheet())));
    }
    return act(EventKind::TossupStarted,
               {{QStringLiteral("tossup"), int(sheet().tossups.size()) + 1}}, std::nullopt);
}

bool SheetModel::key(int key, int modifiers) {
    const std::optional<SheetKey> k = sheetKeyFor(key, modifiers);
    if (!k || sheet().rules.plain()) return false;
    // B, then a part's number: that part bounces back.
    if (k->action == SheetAction::BounceBack) {
        if (!sheet().rules.bonusesBounceBack) return bounceBack(-1);
        bounceArmed_ = bonusTarget() >= 0;
        return bounceArmed_;
    }
    if (k->action == SheetAction::BonusPart && std::exchange(bounceArmed_, false))
        return bounceBack(k->part);
    bounceArmed_ = false;
    switch (k->action) {
    case SheetAction::Power: return rule(Ruling::Power);
    case SheetAction::SecondPower: return rulePower(1);
    case SheetAction::BounceBack: return false;
    case SheetAction::Correct: return rule(Ruling::Correct);
    case SheetAction::Neg: return rule(Ruling::Neg);
    case SheetAction::NoPenalty: return rule(Ruling::NoPenalty);
    case SheetAction::BonusPart: return toggleBonusPart(k->part);
    case SheetAction::NextTossup: return nextTossup();
    }
    return false;
}

QJsonObject SheetModel::cellOf(const SheetBuilder& builder, int tossup, int team,
                               bool bonus) const {
    const Tossup& t = builder.sheet().tossups[std::size_t(tossup)];
    QJsonObject cell{{QStringLiteral("tossup"), t.number}, {QStringLiteral("team"), team}};
    if (bonus) {
        QJsonArray parts;
        for (int p : t.bonusParts)
            parts.append(p);
        cell.insert(QStringLiteral("bonus"), parts);
        if (!t.bouncebackParts.empty()) {
            QJsonArray bounced;
            for (int p : t.bouncebackParts)
                bounced.append(p);
            cell.insert(QStringLiteral("bounceback"), bounced);
        }
    } else if (const Buzz* b = buzzOf(t, team)) {
        cell.insert(QStringLiteral("player"), b->player);
        if (b->value) cell.insert(QStringLiteral("value"), *b->value);
        if (b->word && b->wordConfirmed) cell.insert(QStringLiteral("word"), *b->word);
    }
    return cell;
}

bool SheetModel::correctBuzz(int tossup, int team, std::optional<int> player,
                             std::optional<int> value) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size())) return false;
    if (team < 0 || team >= int(sheet().teams.size())) return false;
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    if (player && value.value_or(0) > 0) {
        for (const Buzz& b : t.buzzes)
            if (b.team != team && b.value.value_or(0) > 0) {
                say(QStringLiteral("Toss-up %1 was answered by %2: put that buzz right first.")
                        .arg(t.number)
                        .arg(teamName(sheet(), b.team)));
                return false;
            }
    }
    if (player) {
        const std::vector<int> playing = lineupOf(sheet(), t, team);
        if (std::find(playing.begin(), playing.end(), *player) == playing.end()) {
            say(QStringLiteral("%1 was not playing on toss-up %2: put the lineup right first.")
                    .arg(playerName(sheet(), team, *player))
                    .arg(t.number));
            return false;
        }
    }
    const QJsonObject before = cellOf(builder_, tossup, team, false);
    QJsonObject data{{QStringLiteral("tossup"), t.number}, {QStringLiteral("team"), team}};
    if (player) {
        data.insert(QStringLiteral("player"), *player);
        if (value) data.insert(QStringLiteral("value"), *value);
    }
    if (data == before) return false;
    data.insert(QStringLiteral("before"), before);
    return act(
        EventKind::SheetCorrected, data,
        Step{false, {}, {}, QStringLiteral("the correction of %1").arg(buzzText(tossup, team))});
}

bool SheetModel::correctBonus(int tossup, const std::vector<int>& parts) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size())) return false;
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    if (!t.bonusTeam || parts == t.bonusParts) return false;
    return correctBonusCell(tossup, "bonus", parts,
                            QStringLiteral("the correction of %1's bonus on toss-up %2")
                                .arg(teamName(sheet(), *t.bonusTeam))
                                .arg(t.number));
}

bool SheetModel::correctBonusCell(int tossup, const char* key, const std::vector<int>& parts,
                                  const QString& what) {
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    const QJsonObject before = cellOf(builder_, tossup, *t.bonusTeam, true);
    QJsonObject data = before;
    QJsonArray values;
    for (int p : parts)
        values.append(p);
    data.insert(QLatin1String(key), values);
    data.insert(QStringLiteral("before"), before);
    return act(EventKind::SheetCorrected, data, Step{false, {}, {}, what});
}

bool SheetModel::fileProtest(int tossup, int team, int part, const QString& answer,
                             const QString& reason) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size()) || sheet().ended) return false;
    const int number = sheet().tossups[std::size_t(tossup)].number;
    const QJsonObject filed{{QStringLiteral("tossup"), number},
                            {QStringLiteral("team"), team},
                            {QStringLiteral("part"), part},
                            {QStringLiteral("answer"), answer},
                            {QStringLiteral("reason"), reason}};
    QJsonObject withdrawn = filed;
    withdrawn.insert(QStringLiteral("withdrawn"), true);
    if (!act(EventKind::ProtestFiled, filed,
             Step{false, withdrawn, filed,
                  QStringLiteral("%1's protest on toss-up %2")
                      .arg(teamName(sheet(), team))
                      .arg(number),
                  EventKind::ProtestFiled}))
        return false;
    say(protestOutlook(sheet()));
    return true;
}

bool SheetModel::resolveProtest(int protest, bool upheld) {
    if (protest < 0 || protest >= int(sheet().protests.size())) return false;
    const Protest p = sheet().protests[std::size_t(protest)];
    if (p.state != Protest::State::Open) return false;
    QJsonObject data{
        {QStringLiteral("protest"), protest},
        {QStringLiteral("ruling"), upheld ? QStringLiteral("upheld") : QStringLiteral("denied")}};
    QJsonObject undo{{QStringLiteral("protest"), protest},
                     {QStringLiteral("ruling"), QStringLiteral("open")}};
    const int i = builder_.tossupIndex(p.tossup);
    if (upheld && i >= 0) {
        // The team's answer counts: its buzz correct, or the part its own.
        const Tossup& t = sheet().tossups[std::size_t(i)];
        QJsonObject cell;
        if (p.part < 0) {
            const Buzz* b = buzzOf(t, p.team);
            const std::optional<int> value = correctValue(sheet().rules);
            if (!b || !value) {
                say(QStringLiteral("%1 has no buzz on toss-up %2 to count: put the sheet right in "
                                   "the Scoresheet window.")
                        .arg(teamName(sheet(), p.team))
                        .arg(p.tossup));
                return false;
            }
            cell = cellOf(builder_, i, p.team, false);
            cell.insert(QStringLiteral("value"), *value);
            undo.insert(QStringLiteral("cell"), cellOf(builder_, i, p.team, false));
        } else if (t.bonusTeam) {
            cell = cellOf(builder_, i, *t.bonusTeam, true);
            const bool own = *t.bonusTeam == p.team;
            const QString key = own ? QStringLiteral("bonus") : QStringLiteral("bounceback");
            QJsonArray parts = cell.value(key).toArray();
            if (p.part >= parts.size()) return false;
            parts[p.part] = sheet().rules.pointsPerBonusPart;
            cell.insert(key, parts);
            undo.insert(QStringLiteral("cell"), cellOf(builder_, i, *t.bonusTeam, true));
        }
        if (!cell.isEmpty()) data.insert(QStringLiteral("cell"), cell);
        data.insert(QStringLiteral("before"), undo.value(QStringLiteral("cell")));
    }
    if (!act(EventKind::ProtestResolved, data,
             Step{false, undo, data, QStringLiteral("the ruling on protest %1").arg(protest + 1),
                  EventKind::ProtestResolved})) {
        if (upheld)
            say(QStringLiteral("Protest %1 cannot be upheld as the sheet stands (another team's "
                               "answer counts there): put the sheet right first.")
                    .arg(protest + 1));
        return false;
    }
    const QString outlook = protestOutlook(sheet());
    say(outlook.isEmpty() ? QStringLiteral("No protest is open now.") : outlook);
    return true;
}

bool SheetModel::correctBounceback(int tossup, const std::vector<int>& parts) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size())) return false;
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    if (!t.bonusTeam || t.bouncebackParts.empty() || parts == t.bouncebackParts) return false;
    return correctBonusCell(
        tossup, "bounceback", parts,
        QStringLiteral("the correction of the bounce-back on toss-up %1").arg(t.number));
}

bool SheetModel::keepsHistory() const { return !sheet().rules.plain() && !sheet().ended; }

QString SheetModel::undoText() const {
    return keepsHistory() && !undo_.empty() ? undo_.back().text : QString();
}

QString SheetModel::redoText() const {
    return keepsHistory() && !redo_.empty() ? redo_.back().text : QString();
}

bool SheetModel::putCell(const QJsonObject& cell, bool undoing) {
    const int i = builder_.tossupIndex(cell.value(QStringLiteral("tossup")).toInt());
    if (i < 0) return false;
    const bool bonus = cell.contains(QStringLiteral("bonus"));
    const int team = cell.value(QStringLiteral("team")).toInt();
    if (bonus && sheet().tossups[std::size_t(i)].bonusTeam != team) return false;
    QJsonObject data = cell;
    data.insert(QStringLiteral("before"), cellOf(builder_, i, team, bonus));
    if (undoing) data.insert(QStringLiteral("undo"), true);
    return act(EventKind::SheetCorrected, data, std::nullopt);
}

bool SheetModel::undo() { return travel(undo_, redo_, true); }

bool SheetModel::redo() { return travel(redo_, undo_, false); }

bool SheetModel::travel(std::vector<Step>& from, std::vector<Step>& to, bool back) {
    while (keepsHistory() && !from.empty()) {
        Step step = from.back();
        from.pop_back();
        // A step the sheet can no longer take back (its cell has gone with
        // a correction since) is passed over.
        const bool done = step.board ? (back ? board_.undoBoard() : board_.redoBoard())
                          : step.kind == EventKind::SheetCorrected
                              ? putCell(back ? step.before : step.after, back)
                              : act(step.kind, back ? step.before : step.after, std::nullopt);
        if (!done) continue;
        if (!step.board)
            say((back ? QStringLiteral("Undone: ") : QStringLiteral("Redone: ")) + step.text);
        to.push_back(std::move(step));
        historyChanged();
        return true;
    }
    historyChanged();
    return false;
}

bool SheetModel::setLineup(int team, const QStringList& roster, const std::vector<int>& seats) {
    if (team < 0 || team >= int(sheet().teams.size()) || sheet().rules.plain()) return false;
    QJsonArray names, seated;
    for (const QString& n : roster)
        names.append(n);
    for (int s : seats) {
        if (s < 0 || s >= roster.size()) return false;
        seated.append(s);
    }
    const auto& tossups = sheet().tossups;
    const int from = tossups.empty()                 ? 1
                     : tossups.back().buzzes.empty() ? tossups.back().number
                                                     : tossups.back().number + 1;
    return act(EventKind::LineupChanged,
               {{QStringLiteral("team"), team},
                {QStringLiteral("tossup"), from},
                {QStringLiteral("roster"), names},
                {QStringLiteral("seats"), seated}},
               std::nullopt);
}

bool SheetModel::act(EventKind kind, const QJsonObject& data, std::optional<Step> step) {
    // Tried on a copy first: an event that would change nothing is not
    // recorded, and the step's cells are known before and after.
    SheetBuilder trial = builder_;
    if (!trial.apply(kind, data, now())) return false;
    if (step) {
        if (step->kind == EventKind::SheetCorrected) {
            const int i = builder_.tossupIndex(data.value(QStringLiteral("tossup")).toInt());
            int team = data.value(QStringLiteral("team")).toInt();
            // A bounce-back is a change of the bonus's cell, which is its team's.
            if (kind == EventKind::BounceBack)
                team = sheet().tossups[std::size_t(i)].bonusTeam.value_or(team);
            // A buzz's cell brings its bonus back with it, as the answer does.
            const bool bonus = kind == EventKind::BonusPart || kind == EventKind::BounceBack ||
                               data.contains(QStringLiteral("bonus"));
            step->before = cellOf(builder_, i, team, bonus);
            step->after = cellOf(trial, i, team, bonus);
        }
        undo_.push_back(*step);
        redo_.clear();
    }
    recorder_.record(kind, data);
    if (step) historyChanged();
    return true;
}

QDateTime SheetModel::now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

QJsonObject SheetModel::packetData() const {
    return {{QStringLiteral("name"), packet_->name},
            {QStringLiteral("file"), packetFile_},
            {QStringLiteral("packet"), packet::packetToJson(*packet_)}};
}

bool SheetModel::choosePacket(std::shared_ptr<const packet::Packet> chosen,
                              const QString& fileName) {
    packet_ = std::move(chosen);
    packetFile_ = packet_ ? fileName : QString();
    moved_.reset();
    // Read from now on in the match being played.
    if (!packet_ || sheet().teams.empty() || sheet().ended) {
        notify();
        return bool(packet_);
    }
    return act(EventKind::PacketChosen, packetData(), std::nullopt);
}

std::optional<int> SheetModel::awaitingWord() const {
    const auto shown = builder_.shown();
    if (!shown || shown->waiting) return std::nullopt;
    const Tossup& t = sheet().tossups[std::size_t(shown->tossup)];
    const Buzz* b = buzzOf(t, shown->team);
    if (!b || t.question < 0) return std::nullopt;
    if (moved_ && moved_->tossup == shown->tossup && moved_->team == shown->team)
        return moved_->word;
    return b->word;
}

bool SheetModel::moveMark(int word) {
    const auto shown = builder_.shown();
    if (!shown || shown->waiting) return false;
    const Tossup& t = sheet().tossups[std::size_t(shown->tossup)];
    if (!buzzOf(t, shown->team) || t.question < 0) return false;
    word = std::clamp(word, 0, t.questionWords);
    if (awaitingWord() == word) return false;
    moved_ = Moved{shown->tossup, shown->team, word};
    notify();
    return true;
}

bool SheetModel::throwOut() {
    const Sheet& s = sheet();
    if (!s.packet || s.tossups.empty() || s.rules.plain()) return false;
    const packet::ReaderPage page = readerPage();
    const bool bonus = page.showing == packet::ReaderPage::Showing::Bonus;
    const int index = bonus ? bonusTarget() : int(s.tossups.size()) - 1;
    const Tossup& t = s.tossups[std::size_t(index)];
    const int question = bonus ? t.bonusQuestion : t.question;
    if (question < 0) {
        say(QStringLiteral("The packet has no question left to throw out."));
        return false;
    }
    if (!bonus)
        for (const Buzz& b : t.buzzes)
            if (b.value) {
                say(QStringLiteral("Toss-up %1 has a ruled buzz: put it right in the Scoresheet "
                                   "window before throwing the toss-up out.")
                        .arg(t.number));
                return false;
            }
    QJsonObject data{{QStringLiteral("tossup"), t.number},
                     {QStringLiteral("bonus"), bonus},
                     {QStringLiteral("question"), question + 1}};
    const int replacement = builder_.lastUnread(bonus);
    if (replacement >= 0) data.insert(QStringLiteral("replacement"), replacement + 1);
    if (!act(EventKind::QuestionThrownOut, data, std::nullopt)) return false;
    say(replacement >= 0
            ? QStringLiteral("%1 %2 thrown out: %3 %4 is read instead.")
                  .arg(bonus ? QStringLiteral("Bonus") : QStringLiteral("Toss-up"))
                  .arg(question + 1)
                  .arg(bonus ? QStringLiteral("bonus") : QStringLiteral("toss-up"))
                  .arg(replacement + 1)
            : QStringLiteral("%1 %2 thrown out: the packet has none left to read instead.")
                  .arg(bonus ? QStringLiteral("Bonus") : QStringLiteral("Toss-up"))
                  .arg(question + 1));
    return true;
}

bool SheetModel::bonusRead() {
    const int target = bonusTarget();
    if (target < 0 || builder_.bonusRead(target)) return false;
    return act(EventKind::BonusRead,
               {{QStringLiteral("tossup"), sheet().tossups[std::size_t(target)].number}},
               std::nullopt);
}

packet::ReaderPage SheetModel::readerPage() const {
    packet::ReaderPage page;
    const Sheet& s = sheet();
    page.packet = s.packet;
    // Before the match reads from it: the packet's first toss-up, the one
    // the moderator begins with.
    if ((!s.packet || s.tossups.empty()) && packet_ && !packet_->tossups.empty() && !s.ended) {
        page.packet = packet_;
        page.showing = packet::ReaderPage::Showing::Tossup;
        page.questionNumber = 1;
        page.tossupIndex = 0;
        return page;
    }
    if (!s.packet || s.tossups.empty() || s.rules.plain() || s.ended) return page;
    // The bonus while it is read, until its parts are all read or the
    // operator says so; then the next toss-up.
    const int bonus = bonusTarget();
    bool showBonus = false;
    if (bonus >= 0) {
        const Tossup& b = s.tossups[std::size_t(bonus)];
        const int parts = b.bonusQuestion >= 0
                              ? int(s.packet->bonuses[std::size_t(b.bonusQuestion)].parts.size())
                              : 0;
        showBonus = b.bonusQuestion >= 0 && !builder_.bonusRead(bonus) &&
                    builder_.bonusPartReading(bonus) < std::max(parts, 1);
    }
    const int index = showBonus ? bonus : int(s.tossups.size()) - 1;
    const Tossup& t = s.tossups[std::size_t(index)];
    page.showing =
        showBonus ? packet::ReaderPage::Showing::Bonus : packet::ReaderPage::Showing::Tossup;
    page.questionNumber = t.number;
    page.tossupIndex = t.question;
    const auto shown = builder_.shown();
    for (const Buzz& b : t.buzzes) {
        packet::ReaderMark mark;
        const bool awaiting =
            shown && !shown->waiting && shown->tossup == index && shown->team == b.team && !b.value;
        const std::optional<int> word = awaiting ? awaitingWord() : b.word;
        mark.word = word.value_or(0);
        mark.name = playerName(s, b.team, b.player);
        mark.team = b.team;
        mark.confirmed = b.wordConfirmed || (awaiting && moved_.has_value());
        mark.value = b.value;
        if (awaiting) page.movingMark = int(page.marks.size());
        page.marks.push_back(mark);
    }
    if (showBonus) {
        page.bonusIndex = t.bonusQuestion;
        const int parts = int(s.packet->bonuses[std::size_t(t.bonusQuestion)].parts.size());
        page.bonusPart = std::min(builder_.bonusPartReading(index), std::max(parts - 1, 0));
        page.bonusTeam = t.bonusTeam;
    }
    return page;
}

void SheetModel::say(const QString& text) const {
    if (notice_) notice_(text);
}

void SheetModel::clearHistory() {
    undo_.clear();
    redo_.clear();
    historyChanged();
}

void SheetModel::historyChanged() { board_.historyChanged(); }

void SheetModel::notify() {
    for (const auto& handler : changed_)
        handler();
}

}  // namespace scoresheet
