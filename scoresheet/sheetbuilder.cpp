#include "scoresheet/sheetbuilder.h"

#include <algorithm>
#include <climits>

#include <QJsonArray>
#include <QJsonDocument>

#include "app/matchboards.h"
#include "packet/packetjson.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetstats.h"

using record::EventKind;

namespace scoresheet {

namespace {

int field(const QJsonObject& data, const char* key, int fallback = -1) {
    const QJsonValue v = data.value(QLatin1String(key));
    return v.isDouble() ? v.toInt() : fallback;
}

// Clears that empty the screen for the next press; the bonus's and the
// auxiliary timer's leave the answer being given as it is.
bool clearsForNextPress(const QJsonObject& data) {
    const QString how = data.value(QStringLiteral("how")).toString();
    return how == QLatin1String("space") || how == QLatin1String("left-click") ||
           how == QLatin1String("double-click");
}

bool overtime(const ScoringRules& rules, const Tossup& t) {
    return rules.regulationTossups > 0 && t.number > rules.regulationTossups;
}

// The reading pace counts in seconds; the events' times are the wall clock's.
double seconds(const QDateTime& when) { return double(when.toMSecsSinceEpoch()) / 1000.0; }

}  // namespace

bool sheetsOwnMove(const QJsonObject& scoreChanged) {
    const QString how = scoreChanged.value(QStringLiteral("how")).toString();
    return how == QLatin1String("ruling") || how == QLatin1String("bonus") ||
           how == QLatin1String("correction") || how == QLatin1String("switch-sides");
}

const Buzz* buzzOf(const Tossup& tossup, int team) {
    for (const Buzz& b : tossup.buzzes)
        if (b.team == team) return &b;
    return nullptr;
}

Buzz* buzzOf(Tossup& tossup, int team) {
    return const_cast<Buzz*>(buzzOf(std::as_const(tossup), team));
}

int bonusPoints(const Tossup& tossup, int team) {
    if (!tossup.bonusTeam) return 0;
    // The bonus's team has what it converted, the other what it took on the
    // bounce-back.
    const std::vector<int>& parts =
        *tossup.bonusTeam == team ? tossup.bonusParts : tossup.bouncebackParts;
    int sum = 0;
    for (int p : parts)
        sum += p;
    return sum;
}

int tossupPoints(const Tossup& tossup, int team) {
    const Buzz* b = buzzOf(tossup, team);
    return (b ? b->value.value_or(0) : 0) + bonusPoints(tossup, team);
}

int teamTotal(const Sheet& sheet, int team) {
    if (sheet.rules.plain()) {
        return team >= 0 && team < int(sheet.teams.size()) ? sheet.teams[std::size_t(team)].points
                                                           : 0;
    }
    int sum = 0;
    for (const Tossup& t : sheet.tossups)
        sum += tossupPoints(t, team);
    return sum;
}

bool tossupDone(const Tossup& tossup, int teams) {
    int ruled = 0;
    for (const Buzz& b : tossup.buzzes) {
        if (!b.value) return false;
        if (*b.value > 0) return true;
        ++ruled;
    }
    return teams > 0 && ruled >= teams;
}

const std::vector<int>& SheetBuilder::seats(int team) const {
    static const std::vector<int> none;
    return team >= 0 && team < int(seats_.size()) ? seats_[std::size_t(team)] : none;
}

int SheetBuilder::tossupIndex(int number) const {
    // Toss-ups are numbered 1, 2, ... in order, and never taken out.
    return number >= 1 && number <= int(sheet_.tossups.size()) ? number - 1 : -1;
}

int SheetBuilder::teamAtSide(int side) const {
    return side >= 0 && side < int(sides_.size()) ? sides_[std::size_t(side)] : -1;
}

int SheetBuilder::sideOfTeam(int team) const {
    const auto at = std::find(sides_.begin(), sides_.end(), team);
    return at == sides_.end() ? -1 : int(at - sides_.begin());
}

SheetBuilder::Presser SheetBuilder::presserOf(int playerNumber) const {
    if (perTeam_ <= 0 || playerNumber < 1) return {};
    const int team = teamAtSide((playerNumber - 1) / perTeam_);
    const int seat = (playerNumber - 1) % perTeam_;
    if (team < 0 || seat >= int(seats(team).size())) return {};
    return {team, seats(team)[std::size_t(seat)], {}};
}

QString SheetBuilder::nameOf(const Presser& p) const {
    return p.team >= 0 ? playerName(sheet_, p.team, p.player) : p.name;
}

Tossup* SheetBuilder::tossupFor(const QJsonObject& data) {
    const int i = tossupIndex(field(data, "tossup"));
    return i < 0 ? nullptr : &sheet_.tossups[std::size_t(i)];
}

std::optional<SheetBuilder::Shown> SheetBuilder::shown() const {
    if (!shown_) return std::nullopt;
    return shown_->where;
}

bool SheetBuilder::apply(EventKind kind, const QJsonObject& data, const QDateTime& when) {
    const int teams = int(sheet_.teams.size());
    // An ended match stays as it ended; the next one begins with its start.
    if (sheet_.ended && kind != EventKind::MatchStarted) return false;
    switch (kind) {
    case EventKind::MatchStarted: matchStarted(data, when); return true;
    case EventKind::MatchEnded:
        sheet_.ended = true;
        shown_.reset();
        return true;
    case EventKind::RulesChosen:
        sheet_.rules = rulesFromJson(data.value(QStringLiteral("rules")).toObject());
        if (!sheet_.rules.plain() && sheet_.tossups.empty()) startTossup(when);
        // The boards stay as they are: what they hold beyond the sheet's
        // toss-ups under these rules was scored outside it.
        startAdjustments();
        return true;
    case EventKind::TossupStarted: return nextTossup(when);
    case EventKind::PacketChosen: choosePacket(data, when); return true;
    case EventKind::QuestionThrownOut: return throwOut(data, when);
    case EventKind::BonusRead: {
        const int i = tossupIndex(field(data, "tossup"));
        if (i < 0 || bonusRead_[std::size_t(i)]) return false;
        bonusRead_[std::size_t(i)] = true;
        bonusActivity(i, -1, when);
        return true;
    }
    // A respondent held for second place is shown at the clear after a
    // wrong answer: the other team's buzz on the same toss-up.
    case EventKind::BuzzIn:
    case EventKind::SecondPlaceReleased: return enterBuzz(data, when);
    case EventKind::Cleared:
        if (data.value(QStringLiteral("how")).toString() == QLatin1String("bonus")) {
            shown_.reset();
            for (int i = int(sheet_.tossups.size()) - 1;
                 i >= 0 && i >= int(sheet_.tossups.size()) - 2; --i)
                if (sheet_.tossups[std::size_t(i)].bonusTeam) {
                    bonusActivity(i, -1, when);
                    break;
                }
            return false;
        }
        if (!clearsForNextPress(data)) return false;
        shown_.reset();
        if (pacePaused_ && !sheet_.tossups.empty() && !tossupDone(sheet_.tossups.back(), teams)) {
            // Reading goes on after the answer, for the teams still in.
            pace_.resume(seconds(when));
            pacePaused_ = false;
        }
        return withdrawUnruled();
    case EventKind::TimerStarted: {
        const QString timer = data.value(QStringLiteral("kind")).toString();
        if (timer == QLatin1String("toss-up") && words_ && !paceFinished_ &&
            !sheet_.tossups.empty() && !sheet_.ended) {
            // The moderator has read the question to its end.
            startPace();
            if (!pacePaused_) pace_.finishTossup(seconds(when));
            paceFinished_ = true;
        }
        const bool changed = timerStarted(data);
        if (changed && timer == QLatin1String("bonus"))
            for (int i = int(sheet_.tossups.size()) - 1; i >= 0; --i)
                if (sheet_.tossups[std::size_t(i)].bonusHeard &&
                    sheet_.tossups[std::size_t(i)].bonusTeam) {
                    bonusActivity(i, -1, when);
                    break;
                }
        return changed;
    }
    case EventKind::Ruling: {
        Tossup* t = tossupFor(data);
        Buzz* b = t ? buzzOf(*t, field(data, "team")) : nullptr;
        const int value = field(data, "value", 0);
        if (!b || secondCorrect(*t, b->team, value)) return false;
        b->value = value;
        if (const int word = field(data, "word"); word >= 0 && t->question >= 0) {
            b->word = std::min(word, t->questionWords);
            b->wordConfirmed = true;
            // The pace learns from the words confirmed on the toss-up being read.
            if (paceStarted_ && !paceFinished_ && t == &sheet_.tossups.back())
                pace_.confirm(seconds(b->time), *b->word);
        }
        settleBonus(*t, when);
        return true;
    }
    case EventKind::BonusPart: {
        Tossup* t = tossupFor(data);
        const int part = field(data, "part");
        if (!t || !t->bonusTeam || part < 0 || part >= int(t->bonusParts.size())) return false;
        t->bonusParts[std::size_t(part)] = field(data, "points", 0);
        // A part converted was not missed: nothing of it bounces back.
        if (t->bonusParts[std::size_t(part)] != 0 && std::size_t(part) < t->bouncebackParts.size())
            t->bouncebackParts[std::size_t(part)] = 0;
        t->bonusHeard = true;
        bonusActivity(int(t - sheet_.tossups.data()), part, when);
        return true;
    }
    case EventKind::BounceBack: {
        Tossup* t = tossupFor(data);
        const int part = field(data, "part");
        const int team = field(data, "team");
        if (!t || !t->bonusTeam || team < 0 || team >= teams || team == *t->bonusTeam || part < 0 ||
            part >= int(t->bouncebackParts.size()) || t->bonusParts[std::size_t(part)] != 0)
            return false;
        const int points = field(data, "points", 0);
        if (t->bouncebackParts[std::size_t(part)] == points) return false;
        t->bouncebackParts[std::size_t(part)] = points;
        t->bonusHeard = true;
        return true;
    }
    case EventKind::TimeoutCalled: {
        const int team = field(data, "team");
        if (team < 0 || team >= teams) return false;
        if (data.value(QStringLiteral("withdrawn")).toBool()) {
            const auto last = std::find_if(sheet_.timeouts.rbegin(), sheet_.timeouts.rend(),
                                           [team](const Timeout& t) { return t.team == team; });
            if (last == sheet_.timeouts.rend()) return false;
            sheet_.timeouts.erase(std::next(last).base());
            return true;
        }
        sheet_.timeouts.push_back({team, std::max(0, field(data, "tossup", 0)), when});
        return true;
    }
    case EventKind::ProtestFiled: {
        if (data.value(QStringLiteral("withdrawn")).toBool()) {
            if (sheet_.protests.empty() || sheet_.protests.back().state != Protest::State::Open)
                return false;
            sheet_.protests.pop_back();
            return true;
        }
        Tossup* t = tossupFor(data);
        const int team = field(data, "team");
        const int part = field(data, "part", -1);
        if (!t || team < 0 || team >= teams || part < -1 ||
            part >= std::max(int(t->bonusParts.size()), sheet_.rules.bonusParts))
            return false;
        Protest p;
        p.tossup = t->number;
        p.team = team;
        p.part = part;
        p.answer = data.value(QStringLiteral("answer")).toString();
        p.reason = data.value(QStringLiteral("reason")).toString();
        p.time = when;
        sheet_.protests.push_back(p);
        return true;
    }
    case EventKind::ProtestResolved: {
        const int i = field(data, "protest");
        if (i < 0 || i >= int(sheet_.protests.size())) return false;
        Protest& p = sheet_.protests[std::size_t(i)];
        const QString ruling = data.value(QStringLiteral("ruling")).toString();
        const Protest::State state = ruling == QLatin1String("upheld")   ? Protest::State::Upheld
                                     : ruling == QLatin1String("denied") ? Protest::State::Denied
                                     : ruling == QLatin1String("open")   ? Protest::State::Open
                                                                         : p.state;
        if (state == p.state) return false;
        // The correction an upheld protest makes, or the cell put back.
        const QJsonObject cell = data.value(QStringLiteral("cell")).toObject();
        if (!cell.isEmpty()) {
            Tossup* t = tossupFor(cell);
            const int team = field(cell, "team");
            if (!t || team < 0 || team >= teams || !correct(*t, team, cell)) return false;
            settleBonus(*t, when);
        }
        p.state = state;
        return true;
    }
    case EventKind::SheetCorrected: {
        Tossup* t = tossupFor(data);
        const int team = field(data, "team");
        if (!t || team < 0 || team >= teams || !correct(*t, team, data)) return false;
        settleBonus(*t, when);
        return true;
    }
    case EventKind::LineupChanged: {
        const int team = field(data, "team");
        if (team < 0 || team >= teams) return false;
        QStringList roster;
        for (const QJsonValue v : data.value(QStringLiteral("roster")).toArray())
            roster.append(v.toString());
        std::vector<int> seats;
        for (const QJsonValue v : data.value(QStringLiteral("seats")).toArray()) {
            const int i = v.toInt(-1);
            if (i < 0 || i >= roster.size()) return false;
            seats.push_back(i);
        }
        sheet_.teams[std::size_t(team)].players = roster;
        seats_[std::size_t(team)] = seats;
        // From the toss-up it names: the current one, or the next.
        if (!sheet_.tossups.empty() && field(data, "tossup") == sheet_.tossups.back().number)
            sheet_.tossups.back().lineups[std::size_t(team)] = seats;
        writeLockoutNotes();
        return true;
    }
    case EventKind::ScoreChanged:
    case EventKind::ScoreUndone:
    case EventKind::ScoreRedone: boardMoved(kind, data); return true;
    case EventKind::MatchResumed: {
        const std::vector<int> scores = record::readScores(kind, data).value_or(std::vector<int>());
        for (int side = 0; side < teams && side < int(scores.size()); ++side)
            sheet_.teams[std::size_t(teamAtSide(side))].points = scores[std::size_t(side)];
        // The boards came back as the record last had them.
        startAdjustments();
        // The names went back with the match.
        if (const auto names = record::readNames(kind, data)) rename(*names);
        return true;
    }
    case EventKind::NamesChanged: return rename(*record::readNames(kind, data));
    case EventKind::Tie: {
        Evidence e;
        e.kind = Evidence::Kind::Tie;
        for (const QJsonValue v : data.value(QStringLiteral("pressed")).toArray())
            e.pressed.push_back(presserOf(v.toInt()));
        e.drawn = presserOf(field(data, "drawn"));
        noteLockout(std::move(e));
        return true;
    }
    case EventKind::SecondPlaceCaptured: {
        Presser who = presserOf(field(data, "player"));
        if (who.team < 0) who.name = data.value(QStringLiteral("name")).toString();
        if (who.team < 0 && who.name.isEmpty()) who.name = QStringLiteral("a player");
        noteLockout({Evidence::Kind::Held, 0, {who}, {}, 0.0});
        return true;
    }
    case EventKind::Decision: {
        // Buttons on input devices know who pressed next and how long after:
        // a transmitter there is a player number. Only they can tell.
        if (data.value(QStringLiteral("kind")).toString() != QLatin1String("buttons") ||
            !data.value(QStringLiteral("nextAfterMs")).isDouble())
            return false;
        auto presser = [this](int transmitter) {
            Presser p = presserOf(transmitter);
            if (p.team < 0) p.name = QStringLiteral("transmitter %1").arg(transmitter);
            return p;
        };
        noteLockout({Evidence::Kind::Next,
                     0,
                     {presser(field(data, "transmitter")), presser(field(data, "next"))},
                     {},
                     data.value(QStringLiteral("nextAfterMs")).toDouble()});
        return true;
    }
    default: return false;
    }
}

void SheetBuilder::matchStarted(const QJsonObject& data, const QDateTime& when) {
    // A new match: the rules go back to plain until the match says otherwise.
    sheet_ = Sheet{};
    sheet_.started = when;
    shown_.reset();
    const record::NamesData names =
        record::readNames(EventKind::MatchStarted, data).value_or(record::NamesData());
    const std::vector<int> scores =
        record::readScores(EventKind::MatchStarted, data).value_or(std::vector<int>());
    perTeam_ = 0;
    seats_.clear();
    sides_.clear();
    told_.clear();
    evidence_.clear();
    words_.reset();
    tossupUsed_.clear();
    bonusUsed_.clear();
    pace_ = packet::ReadingPace();
    paceStarted_ = paceFinished_ = pacePaused_ = false;
    bonusRead_.clear();
    bonusPartsRead_.clear();
    for (int t = 0; t < names.teams.size(); ++t) {
        SheetTeam team;
        team.name = names.teams[t];
        if (std::size_t(t) < names.players.size()) team.players = names.players[std::size_t(t)];
        if (std::size_t(t) < scores.size()) team.points = scores[std::size_t(t)];
        perTeam_ = std::max(perTeam_, int(team.players.size()));
        std::vector<int> seats(std::size_t(team.players.size()));
        for (std::size_t i = 0; i < seats.size(); ++i)
            seats[i] = int(i);
        seats_.push_back(seats);
        sides_.push_back(t);
        told_.push_back(team.players);
        sheet_.teams.push_back(team);
    }
}

bool SheetBuilder::switchSides(const QStringList& teams, const std::vector<QStringList>& players) {
    // Every team's name and players' names now on another side, as Switch
    // Sides leaves them: the teams moved, nobody was renamed.
    const int n = int(sides_.size());
    std::vector<int> from(std::size_t(n), -1);
    bool moved = false;
    for (int side = 0; side < n; ++side) {
        for (int old = 0; old < n; ++old) {
            const SheetTeam& team = sheet_.teams[std::size_t(teamAtSide(old))];
            if (teams.at(side) == team.name &&
                players[std::size_t(side)] == told_[std::size_t(old)]) {
                if (from[std::size_t(side)] >= 0) return false;  // two of one name: no telling
                from[std::size_t(side)] = old;
            }
        }
        if (from[std::size_t(side)] < 0) return false;
        moved = moved || from[std::size_t(side)] != side;
    }
    if (!moved) return false;
    const std::vector<int> sides = sides_;
    const std::vector<QStringList> told = told_;
    for (int side = 0; side < n; ++side) {
        sides_[std::size_t(side)] = sides[std::size_t(from[std::size_t(side)])];
        told_[std::size_t(side)] = told[std::size_t(from[std::size_t(side)])];
    }
    return true;
}

bool SheetBuilder::rename(const record::NamesData& names) {
    const QStringList& teams = names.teams;
    const std::vector<QStringList>& players = names.players;
    if (teams.size() == int(sides_.size()) && int(players.size()) == teams.size() &&
        switchSides(teams, players))
        return true;
    bool changed = false;
    for (int side = 0; side < int(sides_.size()); ++side) {
        const int t = teamAtSide(side);
        SheetTeam& team = sheet_.teams[std::size_t(t)];
        if (side < teams.size() && teams[side] != team.name) {
            team.name = teams[side];
            changed = true;
        }
        if (side >= int(players.size())) continue;
        std::vector<int>& seats = seats_[std::size_t(t)];
        QStringList& told = told_[std::size_t(side)];
        const QStringList& names = players[std::size_t(side)];
        bool seated = false;
        for (int seat = 0; seat < names.size() && seat < int(seats.size()); ++seat) {
            const QString& name = names[seat];
            while (told.size() <= seat)
                told.append(QString());
            // A box nobody typed in says nothing: its button may hold a
            // substitute the lineups brought in.
            if (told[seat] == name) continue;
            told[seat] = name;
            const int bench = name.trimmed().isEmpty() ? -1 : int(team.players.indexOf(name));
            if (bench >= 0 && std::find(seats.begin(), seats.end(), bench) == seats.end()) {
                seats[std::size_t(seat)] = bench;
                seated = true;
            } else {
                team.players[seats[std::size_t(seat)]] = name;
            }
            changed = true;
        }
        // A substitute plays from the first toss-up nobody has buzzed on.
        if (seated && !sheet_.tossups.empty() && sheet_.tossups.back().buzzes.empty())
            sheet_.tossups.back().lineups[std::size_t(t)] = seats;
    }
    if (changed) writeLockoutNotes();
    return changed;
}

void SheetBuilder::noteLockout(Evidence e) {
    e.tossup = sheet_.tossups.empty() ? 0 : sheet_.tossups.back().number;
    // The buttons tell a buzz-in's next press again when an earlier one
    // turns up: the last word stands.
    if (e.kind == Evidence::Kind::Next && !evidence_.empty()) {
        const Evidence& last = evidence_.back();
        if (last.kind == e.kind && last.tossup == e.tossup &&
            nameOf(last.pressed[0]) == nameOf(e.pressed[0]))
            evidence_.pop_back();
    }
    evidence_.push_back(std::move(e));
    writeLockoutNotes();
}

void SheetBuilder::writeLockoutNotes() {
    sheet_.lockoutNotes.clear();
    for (const Evidence& e : evidence_) {
        const QString where =
            e.tossup > 0 ? QStringLiteral("Toss-up %1: ").arg(e.tossup) : QString();
        QStringList names;
        for (const Presser& p : e.pressed)
            names.append(nameOf(p));
        QString text;
        switch (e.kind) {
        case Evidence::Kind::Tie:
            text = QStringLiteral("%1 pressed together; %2 drawn at random")
                       .arg(names.join(QStringLiteral(", ")), nameOf(e.drawn));
            break;
        case Evidence::Kind::Held:
            text = QStringLiteral("%1 held in second place").arg(names.value(0));
            break;
        case Evidence::Kind::Next:
            text = e.gapMs == 0.0
                       ? QStringLiteral("%1 and %2 pressed at the same instant; %1 drawn at random")
                             .arg(names.value(0), names.value(1))
                       : QStringLiteral("%1 pressed first; %2 next, %3 ms later")
                             .arg(names.value(0), names.value(1),
                                  QString::number(e.gapMs, 'f', e.gapMs < 10.0 ? 1 : 0));
            break;
        }
        sheet_.lockoutNotes.append(where + text);
    }
}

void SheetBuilder::startTossup(const QDateTime& when) {
    Tossup t;
    t.number = int(sheet_.tossups.size()) + 1;
    t.startTime = when;
    t.lineups = seats_;
    assignQuestion(t);
    sheet_.tossups.push_back(std::move(t));
    bonusRead_.push_back(false);
    bonusPartsRead_.push_back(0);
    // Reading begins now, or when the bonus before it has been read.
    readingFrom_ = seconds(when);
    paceStarted_ = paceFinished_ = pacePaused_ = false;
}

bool SheetBuilder::nextTossup(const QDateTime& when) {
    if (sheet_.rules.plain() || sheet_.tossups.empty()) return false;
    // The toss-up was read to its end. A press not ruled on it, or one it
    // could not take, was the new toss-up's.
    std::optional<OnScreen> carried;
    Tossup& last = sheet_.tossups.back();
    const Buzz* onSheet =
        shown_ && !shown_->where.waiting ? buzzOf(last, shown_->where.team) : nullptr;
    if (shown_ && (shown_->where.waiting || (onSheet && !onSheet->value))) {
        carried = shown_;
        const int team = shown_->where.team;
        if (onSheet) std::erase_if(last.buzzes, [team](const Buzz& b) { return b.team == team; });
    }
    shown_.reset();
    withdrawUnruled();
    markHeard(sheet_.tossups.size() - 1);
    startTossup(when);
    if (carried) {
        // The new toss-up was being read when that press came.
        Tossup& next = sheet_.tossups.back();
        if (carried->when < next.startTime) next.startTime = carried->when;
        enterBuzz(carried->data, carried->when);
    }
    return true;
}

bool SheetBuilder::enterBuzz(const QJsonObject& data, const QDateTime& when) {
    if (sheet_.rules.plain() || sheet_.tossups.empty() || perTeam_ <= 0) return false;
    const int player = field(data, "player");
    const int team = teamAtSide(field(data, "team"));
    if (player < 1 || team < 0) return false;
    const int seat = (player - 1) % perTeam_;
    if (seat >= int(seats(team).size())) return false;
    const std::size_t index = sheet_.tossups.size() - 1;
    Tossup& t = sheet_.tossups.back();
    // Who sits at the button for this toss-up: a substitute named for the
    // next one is not playing yet.
    const std::vector<int>& seated = std::size_t(team) < t.lineups.size() &&
                                             std::size_t(seat) < t.lineups[std::size_t(team)].size()
                                         ? t.lineups[std::size_t(team)]
                                         : seats(team);
    // The press is on the screen whether or not the toss-up takes it.
    shown_ = OnScreen{{int(index), team, true}, data, when};
    // A toss-up takes one buzz per team; one already answered takes no more
    // (a buzz during the bonus is not an answer to the toss-up).
    bool takes = !buzzOf(t, team);
    for (const Buzz& b : t.buzzes)
        takes = takes && b.value.value_or(0) <= 0;
    if (!takes) return false;
    shown_->where.waiting = false;
    t.buzzes.push_back({team, seated[std::size_t(seat)], when, std::nullopt});
    proposeWord(t.buzzes.back(), when);
    markHeard(index);
    return true;
}

bool SheetBuilder::withdrawUnruled() {
    // A buzz nobody ruled by the clear was no answer.
    if (sheet_.rules.plain() || sheet_.tossups.empty()) return false;
    return std::erase_if(sheet_.tossups.back().buzzes, [](const Buzz& b) { return !b.value; }) > 0;
}

void SheetBuilder::markHeard(std::size_t tossup) {
    sheet_.tossups[tossup].heard = true;
    // Play has gone on past every earlier bonus.
    for (std::size_t i = 0; i < tossup; ++i)
        sheet_.tossups[i].bonusHeard = true;
}

bool SheetBuilder::timerStarted(const QJsonObject& data) {
    if (sheet_.rules.plain() || sheet_.tossups.empty()) return false;
    const QString kind = data.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("toss-up")) {
        // The toss-up has been read: the teams' time to buzz.
        if (sheet_.tossups.back().heard) return false;
        markHeard(sheet_.tossups.size() - 1);
        return true;
    }
    if (kind != QLatin1String("bonus")) return false;
    // The bonus being read: the last toss-up's, or the one before while the
    // last is the next toss-up not yet buzzed on.
    for (auto t = sheet_.tossups.rbegin();
         t != sheet_.tossups.rend() && t - sheet_.tossups.rbegin() < 2; ++t) {
        if (t->bonusTeam) {
            if (t->bonusHeard) return false;
            t->bonusHeard = true;
            return true;
        }
        if (!t->buzzes.empty()) break;
    }
    return false;
}

bool SheetBuilder::secondCorrect(const Tossup& t, int team, int value) const {
    if (value <= 0) return false;
    for (const Buzz& b : t.buzzes)
        if (b.team != team && b.value.value_or(0) > 0) return true;
    return false;
}

void SheetBuilder::startAdjustments() {
    for (int team = 0; team < int(sheet_.teams.size()); ++team) {
        SheetTeam& t = sheet_.teams[std::size_t(team)];
        t.adjustments = sheet_.rules.plain() ? 0 : t.points - teamTotal(sheet_, team);
    }
}

void SheetBuilder::boardMoved(EventKind kind, const QJsonObject& data) {
    const std::optional<record::ScoreData> score = record::readScore(kind, data);
    const int team = score ? teamAtSide(score->team) : -1;
    if (team < 0) return;
    SheetTeam& t = sheet_.teams[std::size_t(team)];
    const int after = score->after;
    // The operator's own changes, and their undoing, are points beside the
    // sheet's.
    if (!sheet_.rules.plain() && (kind != EventKind::ScoreChanged || !sheetsOwnMove(data)))
        t.adjustments += after - t.points;
    t.points = after;
}

bool SheetBuilder::correct(Tossup& t, int team, const QJsonObject& data) {
    if (data.contains(QStringLiteral("player")) && secondCorrect(t, team, field(data, "value", 0)))
        return false;
    if (data.contains(QStringLiteral("bonus"))) {
        if (t.bonusTeam != team) return false;
        std::vector<int> parts, bounced;
        for (const QJsonValue v : data.value(QStringLiteral("bonus")).toArray())
            parts.push_back(v.toInt());
        for (const QJsonValue v : data.value(QStringLiteral("bounceback")).toArray())
            bounced.push_back(v.toInt());
        if (parts.size() != t.bonusParts.size()) return false;
        if (data.contains(QStringLiteral("bounceback"))) {
            if (bounced.size() != t.bouncebackParts.size()) return false;
            // A part is the bonus team's or the other's, never both.
            for (std::size_t i = 0; i < bounced.size(); ++i)
                if (bounced[i] != 0 && parts[i] != 0) return false;
            t.bouncebackParts = bounced;
        } else {
            for (std::size_t i = 0; i < parts.size() && i < t.bouncebackParts.size(); ++i)
                if (parts[i] != 0) t.bouncebackParts[i] = 0;
        }
        t.bonusParts = parts;
        return true;
    }
    const auto old = std::find_if(t.buzzes.begin(), t.buzzes.end(),
                                  [team](const Buzz& b) { return b.team == team; });
    const int player = field(data, "player");
    if (player < 0) {
        // No buzz from this team after all.
        if (old == t.buzzes.end()) return false;
        t.buzzes.erase(old);
        return true;
    }
    if (player >= sheet_.teams[std::size_t(team)].players.size()) return false;
    // Only a player who was playing can have answered.
    const std::vector<int> playing = lineupOf(sheet_, t, team);
    if (std::find(playing.begin(), playing.end(), player) == playing.end()) return false;
    Buzz b{team, player, t.startTime, std::nullopt};
    if (data.value(QStringLiteral("value")).isDouble()) b.value = field(data, "value", 0);
    if (const int word = field(data, "word"); word >= 0 && t.question >= 0) {
        b.word = std::min(word, t.questionWords);
        b.wordConfirmed = true;
    }
    if (old != t.buzzes.end()) {
        // The press itself happened when it happened, whoever it is put down to,
        // and on the word it came on.
        b.time = old->time;
        if (!b.word) {
            b.word = old->word;
            b.wordConfirmed = old->wordConfirmed;
        }
        *old = b;
    } else {
        t.buzzes.push_back(b);
    }
    return true;
}

void SheetBuilder::settleBonus(Tossup& t, const QDateTime& when) {
    // The bonus goes with the toss-up's correct answer, so a ruling or a
    // correction that moves the answer moves the bonus with it; the parts
    // already given wait, in case the answer comes back.
    std::optional<int> answered;
    for (const Buzz& b : t.buzzes)
        if (b.value.value_or(0) > 0) {
            answered = b.team;
            break;
        }
    const bool bonuses = sheet_.rules.bonusParts > 0 &&
                         (!overtime(sheet_.rules, t) || sheet_.rules.overtimeIncludesBonuses);
    if (!answered || !bonuses) answered.reset();
    if (t.bonusTeam == answered) return;
    if (t.bonusTeam) {
        t.setAsideTeam = t.bonusTeam;
        t.setAsideParts = t.bonusParts;
        t.setAsideBouncebacks = t.bouncebackParts;
    }
    t.bonusTeam = answered;
    t.bonusParts.clear();
    t.bouncebackParts.clear();
    if (!answered) return;
    assignBonus(t);
    const std::size_t parts = std::size_t(sheet_.rules.bonusParts);
    // A bonus bounces back to the other of two teams.
    const std::size_t bounced = sheet_.rules.bonusesBounceBack && teams() == 2 ? parts : 0;
    if (t.setAsideTeam == answered && t.setAsideParts.size() == parts) {
        t.bonusParts = t.setAsideParts;
        t.bouncebackParts = t.setAsideBouncebacks;
    } else {
        t.bonusParts.assign(parts, 0);
    }
    if (t.bouncebackParts.size() != bounced) t.bouncebackParts.assign(bounced, 0);
    if (!t.bonusStartTime.isValid()) t.bonusStartTime = when;
}

RegulationState regulationState(const Sheet& sheet) {
    RegulationState r;
    const ScoringRules& rules = sheet.rules;
    if (rules.plain() || rules.regulationTossups <= 0 || sheet.tossups.empty()) return r;
    const int last = sheet.tossups.back().number;
    if (last < rules.regulationTossups) return r;
    r.reached = true;
    const int extra = last - rules.regulationTossups;
    std::vector<int> t;
    for (int team = 0; team < int(sheet.teams.size()); ++team)
        t.push_back(teamTotal(sheet, team));
    const int best = t.empty() ? 0 : *std::max_element(t.begin(), t.end());
    r.tied = std::count(t.begin(), t.end(), best) > 1;
    // Overtime goes its minimum before a lead ends it.
    const bool overtimeDone = extra == 0 || extra >= rules.minimumOvertimeTossups;
    r.over = overtimeDone && (!r.tied || rules.minimumOvertimeTossups <= 0);
    return r;
}

QString leaderText(const Sheet& sheet) {
    QStringList scores;
    for (int team = 0; team < int(sheet.teams.size()); ++team)
        scores << QStringLiteral("%1 %2").arg(teamName(sheet, team)).arg(teamTotal(sheet, team));
    return scores.join(QStringLiteral(", "));
}

int protestStakes(const Sheet& sheet, const Protest& p) {
    const int i = p.tossup - 1;
    if (i < 0 || i >= int(sheet.tossups.size())) return 0;
    const Tossup& t = sheet.tossups[std::size_t(i)];
    if (p.part >= 0) return sheet.rules.pointsPerBonusPart;
    const Buzz* b = buzzOf(t, p.team);
    const int had = b ? b->value.value_or(0) : 0;
    const int bonus = sheet.rules.bonusParts * sheet.rules.pointsPerBonusPart;
    return std::max(0, correctValue(sheet.rules).value_or(0) - had) + bonus;
}

QString protestOutlook(const Sheet& sheet) {
    const int teams = int(sheet.teams.size());
    std::vector<int> stakes(std::size_t(teams), 0);
    int open = 0;
    for (const Protest& p : sheet.protests)
        if (p.state == Protest::State::Open && p.team >= 0 && p.team < teams) {
            stakes[std::size_t(p.team)] += protestStakes(sheet, p);
            ++open;
        }
    if (open == 0) return {};
    // A team level with or behind the best of the others whose protests
    // are worth at least the difference could tie or win.
    QStringList could;
    for (int team = 0; team < teams; ++team) {
        int others = INT_MIN;
        for (int u = 0; u < teams; ++u)
            if (u != team) others = std::max(others, teamTotal(sheet, u));
        const int behind = others - teamTotal(sheet, team);
        const int stake = stakes[std::size_t(team)];
        if (others == INT_MIN || behind < 0 || stake <= 0 || stake < behind) continue;
        could << (behind > 0 ? QStringLiteral("%1 trails by %2 and its protests are worth up to %3")
                                   .arg(teamName(sheet, team))
                                   .arg(behind)
                                   .arg(stake)
                             : QStringLiteral("%1 is level and its protests are worth up to %2")
                                   .arg(teamName(sheet, team))
                                   .arg(stake));
    }
    if (!could.isEmpty())
        return QStringLiteral("%1 open protest(s) could change the result: %2.")
            .arg(open)
            .arg(could.join(QStringLiteral("; ")));
    return QStringLiteral("%1 open protest(s), which cannot change the result as it stands.")
        .arg(open);
}

QStringList protestNotes(const Sheet& sheet) {
    QStringList notes;
    for (std::size_t i = 0; i < sheet.protests.size(); ++i) {
        const Protest& p = sheet.protests[i];
        const QString what =
            p.part >= 0
                ? QStringLiteral("part %1 of the bonus on toss-up %2").arg(p.part + 1).arg(p.tossup)
                : QStringLiteral("toss-up %1").arg(p.tossup);
        const QString outcome = p.state == Protest::State::Upheld
                                    ? QStringLiteral(
                                          "Upheld: the answer was counted "
                                          "and the score corrected.")
                                : p.state == Protest::State::Denied
                                    ? QStringLiteral("Denied: the ruling stands.")
                                    : QStringLiteral(
                                          "Open: not resolved when the match ended (worth up to %1 "
                                          "points to %2).")
                                          .arg(protestStakes(sheet, p))
                                          .arg(teamName(sheet, p.team));
        notes << QStringLiteral("Protest %1 by %2 on %3: answer given \"%4\"; %5 %6")
                     .arg(i + 1)
                     .arg(teamName(sheet, p.team), what, p.answer.simplified(),
                          p.reason.simplified().isEmpty()
                              ? QStringLiteral("no reason given.")
                              : QStringLiteral("reason: %1.").arg(p.reason.simplified()),
                          outcome);
    }
    return notes;
}

QStringList endOfMatchChecks(const Sheet& s) {
    QStringList checks;
    if (s.rules.plain() || s.ended) return checks;
    if (const QString outlook = protestOutlook(s); !outlook.isEmpty()) checks << outlook;
    for (const Tossup& t : s.tossups)
        for (const Buzz& b : t.buzzes)
            if (!b.value)
                checks << QStringLiteral("%1's buzz on toss-up %2 has not been ruled.")
                              .arg(teamName(s, b.team))
                              .arg(t.number);
    const RegulationState r = regulationState(s);
    if (r.reached && r.tied && s.rules.minimumOvertimeTossups > 0)
        checks << QStringLiteral("The scores are tied (%1): the rules call for overtime.")
                      .arg(leaderText(s));
    return checks;
}

}  // namespace scoresheet

namespace scoresheet {

const packet::QuestionWords* SheetBuilder::questionWords(int question) const {
    if (!words_ || question < 0 || question >= int(words_->size())) return nullptr;
    return &(*words_)[std::size_t(question)];
}

int SheetBuilder::firstUnread(bool bonus) const {
    const std::vector<bool>& used = bonus ? bonusUsed_ : tossupUsed_;
    const auto at = std::find(used.begin(), used.end(), false);
    return at == used.end() ? -1 : int(at - used.begin());
}

int SheetBuilder::lastUnread(bool bonus) const {
    const std::vector<bool>& used = bonus ? bonusUsed_ : tossupUsed_;
    for (int i = int(used.size()) - 1; i >= 0; --i)
        if (!used[std::size_t(i)]) return i;
    return -1;
}

bool SheetBuilder::bonusRead(int tossup) const {
    return tossup >= 0 && tossup < int(bonusRead_.size()) && bonusRead_[std::size_t(tossup)];
}

int SheetBuilder::bonusPartReading(int tossup) const {
    return tossup >= 0 && tossup < int(bonusPartsRead_.size())
               ? bonusPartsRead_[std::size_t(tossup)]
               : 0;
}

void SheetBuilder::assignQuestion(Tossup& t) {
    t.question = -1;
    t.thrownOutQuestion = -1;
    t.questionWords = 0;
    if (!words_) return;
    t.question = firstUnread(false);
    if (t.question < 0) return;
    tossupUsed_[std::size_t(t.question)] = true;
    t.questionWords = (*words_)[std::size_t(t.question)].afterQuestion();
}

void SheetBuilder::assignBonus(Tossup& t) {
    // A bonus once read stays the toss-up's, whichever team it goes to.
    if (!words_ || t.bonusQuestion >= 0) return;
    t.bonusQuestion = firstUnread(true);
    if (t.bonusQuestion >= 0) bonusUsed_[std::size_t(t.bonusQuestion)] = true;
}

void SheetBuilder::choosePacket(const QJsonObject& data, const QDateTime& when) {
    const packet::PacketRead read =
        packet::readPacketJson(QJsonDocument(data.value(QStringLiteral("packet")).toObject())
                                   .toJson(QJsonDocument::Compact));
    auto words = std::make_shared<std::vector<packet::QuestionWords>>();
    std::shared_ptr<const packet::Packet> chosen;
    if (read.packet) {
        chosen = std::make_shared<const packet::Packet>(*read.packet);
        for (const packet::Tossup& q : chosen->tossups)
            words->push_back(packet::numberWords(q.question));
    }
    sheet_.packet = chosen;
    sheet_.packetFile = data.value(QStringLiteral("file")).toString();
    words_.reset();
    if (chosen) words_ = std::move(words);
    tossupUsed_.assign(chosen ? chosen->tossups.size() : 0, false);
    bonusUsed_.assign(chosen ? chosen->bonuses.size() : 0, false);
    // Every toss-up on the sheet reads the new packet's, in order; what
    // was thrown out of another packet is no more.
    for (Tossup& t : sheet_.tossups) {
        assignQuestion(t);
        t.bonusQuestion = t.thrownOutBonus = -1;
        if (t.bonusTeam || t.setAsideTeam) assignBonus(t);
        for (Buzz& b : t.buzzes)
            if (!b.wordConfirmed) b.word.reset();
    }
    if (!sheet_.tossups.empty() && !paceStarted_)
        readingFrom_ = std::max(readingFrom_, seconds(when));
}

bool SheetBuilder::throwOut(const QJsonObject& data, const QDateTime& when) {
    Tossup* t = tossupFor(data);
    if (!t || !words_) return false;
    const bool bonus = data.value(QStringLiteral("bonus")).toBool();
    int& current = bonus ? t->bonusQuestion : t->question;
    if (current < 0 || field(data, "question") != current + 1) return false;
    std::vector<bool>& used = bonus ? bonusUsed_ : tossupUsed_;
    int replacement = field(data, "replacement", 0) - 1;
    if (replacement >= int(used.size()) || (replacement >= 0 && used[std::size_t(replacement)]))
        return false;
    if (replacement < 0) replacement = -1;
    int& first = bonus ? t->thrownOutBonus : t->thrownOutQuestion;
    if (first < 0) first = current;
    current = replacement;
    if (replacement >= 0) used[std::size_t(replacement)] = true;
    if (bonus) {
        if (const int i = int(t - sheet_.tossups.data()); i < int(bonusPartsRead_.size()))
            bonusPartsRead_[std::size_t(i)] = 0;
        return true;
    }
    t->questionWords = replacement >= 0 ? (*words_)[std::size_t(replacement)].afterQuestion() : 0;
    for (Buzz& b : t->buzzes) {
        b.word.reset();
        b.wordConfirmed = false;
    }
    if (t == &sheet_.tossups.back()) {
        // The replacement is read from its start.
        if (paceStarted_ && !paceFinished_) pace_.abandonTossup();
        readingFrom_ = seconds(when);
        paceStarted_ = paceFinished_ = pacePaused_ = false;
    }
    return true;
}

void SheetBuilder::bonusActivity(int tossup, int part, const QDateTime& when) {
    if (tossup < 0 || tossup >= int(sheet_.tossups.size())) return;
    if (part >= 0)
        bonusPartsRead_[std::size_t(tossup)] =
            std::max(bonusPartsRead_[std::size_t(tossup)], part + 1);
    // The next toss-up is read after its bonus: its reading begins no sooner
    // than the bonus's last part was heard.
    if (tossup == int(sheet_.tossups.size()) - 2 && sheet_.tossups.back().buzzes.empty() &&
        !paceStarted_)
        readingFrom_ = std::max(readingFrom_, seconds(when));
}

void SheetBuilder::startPace() {
    if (paceStarted_ || sheet_.tossups.empty()) return;
    pace_.startTossup(readingFrom_, sheet_.tossups.back().questionWords);
    paceStarted_ = true;
}

void SheetBuilder::proposeWord(Buzz& b, const QDateTime& when) {
    const Tossup& t = sheet_.tossups.back();
    if (!words_ || t.question < 0) return;
    startPace();
    b.word = paceFinished_ ? t.questionWords : pace_.propose(std::max(seconds(when), readingFrom_));
    b.wordConfirmed = false;
    pacePaused_ = !paceFinished_;
}

}  // namespace scoresheet
