#include "scoresheet/sheetmodel.h"

#include <QDateTime>
#include <QJsonArray>

#include "scoresheet/rules.h"

using record::EventKind;

namespace scoresheet {

namespace {

bool ownKind(EventKind kind) {
    switch (kind) {
    case EventKind::RulesChosen:
    case EventKind::TossupStarted:
    case EventKind::Ruling:
    case EventKind::BonusPart:
    case EventKind::SheetCorrected:
    case EventKind::LineupChanged: return true;
    default: return false;
    }
}

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
    // The sheet's own events are applied as they are made; the same kinds
    // from elsewhere (a lineup from a roster file) are taken as they come.
    if (recording_) return;
    if (ownKind(kind)) {
        if (builder_.apply(kind, data, QDateTime::currentDateTime())) notify();
        return;
    }
    const Sheet& s = sheet();
    if (kind == EventKind::Cleared) {
        // The clear that arms for a buzz on the bonus leaves the toss-up as
        // it is; any other ends a toss-up that is over. After a neg the same
        // toss-up goes on, for the other team.
        if (data.value(QStringLiteral("how")).toString() == QLatin1String("bonus")) return;
        if (!s.rules.plain() && !s.tossups.empty() &&
            tossupDone(s.tossups.back(), int(s.teams.size())))
            nextTossup();
        return;
    }
    const bool changed = builder_.apply(kind, data, QDateTime::currentDateTime());
    if (kind == EventKind::MatchStarted) {
        undo_.clear();
        if (!chosen_.plain())
            act(EventKind::RulesChosen, {{QStringLiteral("rules"), rulesToJson(chosen_)}}, "",
                std::nullopt);
    }
    if (changed) notify();
}

void SheetModel::chooseRules(const ScoringRules& rules) {
    chosen_ = rules;
    act(EventKind::RulesChosen, {{QStringLiteral("rules"), rulesToJson(rules)}}, "rules",
        std::nullopt);
}

int SheetModel::rulingTarget() const {
    const auto& t = sheet().tossups;
    if (t.empty()) return -1;
    if (!t.back().buzzes.empty()) return int(t.size()) - 1;
    // Just cleared on to the next toss-up: the last ruling can still be put
    // right with a key.
    if (t.size() >= 2 && !t[t.size() - 2].buzzes.empty()) return int(t.size()) - 2;
    return -1;
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

bool SheetModel::rule(Ruling ruling) {
    const ScoringRules& rules = sheet().rules;
    std::optional<int> value;
    switch (ruling) {
    case Ruling::Power: value = powerValue(rules); break;
    case Ruling::Correct: value = correctValue(rules); break;
    case Ruling::Neg: value = negValue(rules); break;
    case Ruling::NoPenalty: value = 0; break;
    }
    const int target = rulingTarget();
    if (!value || target < 0) return false;
    const Tossup& t = sheet().tossups[std::size_t(target)];
    // The last buzz not yet ruled; when all are, the last one (a ruling put
    // right with another key).
    const Buzz* buzz = &t.buzzes.back();
    for (const Buzz& b : t.buzzes)
        if (!b.value) {
            buzz = &b;
            break;
        }
    if (buzz->value == value) return false;
    return act(EventKind::Ruling,
               {{QStringLiteral("tossup"), t.number},
                {QStringLiteral("team"), buzz->team},
                {QStringLiteral("player"), buzz->player},
                {QStringLiteral("value"), *value},
                {QStringLiteral("ruling"), QLatin1String(rulingWord(ruling))}},
               "ruling", cellOf(target, buzz->team, false));
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
               "bonus", cellOf(target, *t.bonusTeam, true));
}

bool SheetModel::nextTossup() {
    if (sheet().rules.plain()) return false;
    return act(EventKind::TossupStarted,
               {{QStringLiteral("tossup"), int(sheet().tossups.size()) + 1}}, "", std::nullopt);
}

bool SheetModel::key(int key, int modifiers) {
    const std::optional<SheetKey> k = sheetKeyFor(key, modifiers);
    if (!k || sheet().rules.plain()) return false;
    switch (k->action) {
    case SheetAction::Power: return rule(Ruling::Power);
    case SheetAction::Correct: return rule(Ruling::Correct);
    case SheetAction::Neg: return rule(Ruling::Neg);
    case SheetAction::NoPenalty: return rule(Ruling::NoPenalty);
    case SheetAction::BonusPart: return toggleBonusPart(k->part);
    case SheetAction::NextTossup: return nextTossup();
    }
    return false;
}

QJsonObject SheetModel::cellOf(int tossup, int team, bool bonus) const {
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    QJsonObject cell{{QStringLiteral("tossup"), t.number}, {QStringLiteral("team"), team}};
    if (bonus) {
        QJsonArray parts;
        for (int p : t.bonusParts)
            parts.append(p);
        cell.insert(QStringLiteral("bonus"), parts);
    } else if (const Buzz* b = buzzOf(t, team)) {
        cell.insert(QStringLiteral("player"), b->player);
        if (b->value) cell.insert(QStringLiteral("value"), *b->value);
    }
    return cell;
}

bool SheetModel::correctBuzz(int tossup, int team, std::optional<int> player,
                             std::optional<int> value) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size())) return false;
    if (team < 0 || team >= int(sheet().teams.size())) return false;
    const QJsonObject before = cellOf(tossup, team, false);
    QJsonObject data{{QStringLiteral("tossup"), sheet().tossups[std::size_t(tossup)].number},
                     {QStringLiteral("team"), team}};
    if (player) {
        data.insert(QStringLiteral("player"), *player);
        if (value) data.insert(QStringLiteral("value"), *value);
    }
    if (data == before) return false;
    data.insert(QStringLiteral("before"), before);
    return act(EventKind::SheetCorrected, data, "correction", before);
}

bool SheetModel::correctBonus(int tossup, const std::vector<int>& parts) {
    if (tossup < 0 || tossup >= int(sheet().tossups.size())) return false;
    const Tossup& t = sheet().tossups[std::size_t(tossup)];
    if (!t.bonusTeam || parts == t.bonusParts) return false;
    const QJsonObject before = cellOf(tossup, *t.bonusTeam, true);
    QJsonObject data = before;
    QJsonArray values;
    for (int p : parts)
        values.append(p);
    data.insert(QStringLiteral("bonus"), values);
    data.insert(QStringLiteral("before"), before);
    return act(EventKind::SheetCorrected, data, "correction", before);
}

bool SheetModel::undo() {
    while (!undo_.empty()) {
        QJsonObject data = undo_.back();
        undo_.pop_back();
        const int i = builder_.tossupIndex(data.value(QStringLiteral("tossup")).toInt());
        if (i < 0) continue;
        const bool bonus = data.contains(QStringLiteral("bonus"));
        const int team = data.value(QStringLiteral("team")).toInt();
        if (bonus && sheet().tossups[std::size_t(i)].bonusTeam != team) continue;
        data.insert(QStringLiteral("before"), cellOf(i, team, bonus));
        data.insert(QStringLiteral("undo"), true);
        if (act(EventKind::SheetCorrected, data, "correction", std::nullopt)) return true;
    }
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
               "", std::nullopt);
}

bool SheetModel::act(EventKind kind, const QJsonObject& data, const char* how,
                     std::optional<QJsonObject> inverse) {
    const std::vector<int> before = totals(sheet());
    if (!builder_.apply(kind, data, QDateTime::currentDateTime())) return false;
    acting_ = true;
    recording_ = true;
    recorder_.record(kind, data);
    recording_ = false;
    const std::vector<int> after = totals(sheet());
    for (std::size_t team = 0; team < after.size() && team < before.size(); ++team) {
        // The board is where the team sits now, which Switch Sides changes.
        if (after[team] != before[team] && builder_.sideOfTeam(int(team)) >= 0)
            board_.moveScore(builder_.sideOfTeam(int(team)), after[team] - before[team],
                             QLatin1String(how));
    }
    acting_ = false;
    if (inverse) undo_.push_back(*inverse);
    notify();
    return true;
}

void SheetModel::notify() {
    if (acting_) return;
    for (const auto& handler : changed_)
        handler();
}

}  // namespace scoresheet
