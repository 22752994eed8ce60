#include "scoresheet/qbjwriter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <numeric>

#include "scoresheet/sheetbuilder.h"
#include "scoresheet/sheetstats.h"

namespace scoresheet {

namespace {

QJsonObject ref(const QString& id) { return {{QStringLiteral("$ref"), id}}; }

QJsonObject answerType(int value) { return {{QStringLiteral("value"), value}}; }

// Ids must be unique in the file; two teams (or two players of a team) of
// one name get a number after the first.
class Ids {
public:
    QString take(const QString& wanted) {
        QString id = wanted;
        for (int n = 2; used_.contains(id); ++n)
            id = wanted + QStringLiteral("_%1").arg(n);
        used_.insert(id);
        return id;
    }

private:
    QSet<QString> used_;
};

QJsonObject scoringRules(const Sheet& sheet, const SheetStats& stats) {
    const ScoringRules& r = sheet.rules;
    QJsonObject rules;
    rules[QStringLiteral("name")] =
        r.name.trimmed().isEmpty() ? QStringLiteral("Plain") : r.name.trimmed();
    rules[QStringLiteral("teams_per_match")] = static_cast<int>(sheet.teams.size());
    int lineup = 0;
    for (const Tossup& t : sheet.tossups)
        for (const auto& l : t.lineups)
            lineup = std::max(lineup, static_cast<int>(l.size()));
    if (lineup > 0) rules[QStringLiteral("maximum_players_per_team")] = lineup;
    if (r.regulationTossups > 0) {
        rules[QStringLiteral("regulation_tossup_count")] = r.regulationTossups;
        rules[QStringLiteral("maximum_regulation_tossup_count")] = r.regulationTossups;
    }
    if (r.minimumOvertimeTossups > 0) {
        rules[QStringLiteral("minimum_overtime_question_count")] = r.minimumOvertimeTossups;
        rules[QStringLiteral("overtime_includes_bonuses")] = r.overtimeIncludesBonuses;
    }
    // Every score is a multiple of what answers and bonus parts are worth;
    // with the plain rules the increment is the operator's, so only 1 holds.
    int divisor = 0;
    for (int v : stats.answerValues)
        divisor = std::gcd(divisor, v);
    if (r.bonusParts > 0) divisor = std::gcd(divisor, r.pointsPerBonusPart);
    rules[QStringLiteral("total_divisor")] = stats.boardOnly || divisor <= 0 ? 1 : divisor;
    if (r.bonusParts > 0 && r.pointsPerBonusPart > 0) {
        rules[QStringLiteral("maximum_bonus_score")] = r.bonusParts * r.pointsPerBonusPart;
        rules[QStringLiteral("bonus_divisor")] = r.pointsPerBonusPart;
        rules[QStringLiteral("minimum_parts_per_bonus")] = r.bonusParts;
        rules[QStringLiteral("maximum_parts_per_bonus")] = r.bonusParts;
        rules[QStringLiteral("points_per_bonus_part")] = r.pointsPerBonusPart;
        rules[QStringLiteral("bonuses_bounce_back")] = stats.bouncebacks;
    }
    QJsonArray types;
    for (int v : stats.answerValues)
        types.append(answerType(v));
    rules[QStringLiteral("answer_types")] = types;
    return rules;
}

// The stats programs place a match by its round's number ("Round 3" is
// round 3), and drop a match whose round's name does not begin with one; the
// round as the operator wrote it is kept beside the match.
QString roundNumber(const QString& round) {
    static const QRegularExpression number(QStringLiteral("\\d+"));
    const QRegularExpressionMatch found = number.match(round);
    bool ok = false;
    const int n = found.captured().toInt(&ok);
    return ok && n > 0 ? QString::number(n) : QStringLiteral("1");
}

// A substitution names no reason on our sheet; the breaks the rules define
// are named after themselves, any other change is a break in play.
// A question of the packet as the format names it: its place in the packet.
QJsonObject question(int place, const char* type, int parts) {
    return {{QStringLiteral("question_number"), place + 1},
            {QStringLiteral("type"), QLatin1String(type)},
            {QStringLiteral("parts"), parts}};
}

QString lineupReason(const Sheet& sheet, int firstQuestion) {
    const int regulation = sheet.rules.regulationTossups;
    if (firstQuestion == 1) return QStringLiteral("initial");
    if (regulation > 0 && firstQuestion == regulation + 1) return QStringLiteral("before_overtime");
    if (regulation > 1 && firstQuestion == regulation / 2 + 1) return QStringLiteral("halftime");
    return QStringLiteral("segment_break");
}

}  // namespace

QString isoTime(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString qbjTeamId(const QString& name) { return QStringLiteral("Team_") + name; }

QStringList qbjAdjustments(const Sheet& whole) {
    const Sheet sheet = playedSheet(whole);
    QStringList beside;
    if (computeSheetStats(sheet).boardOnly) return beside;  // the boards are the file's totals
    for (int t = 0; t < static_cast<int>(sheet.teams.size()); ++t)
        if (const int points = sheet.teams[t].adjustments)
            beside << QStringLiteral("%1 %2%3")
                          .arg(teamName(sheet, t), points > 0 ? QStringLiteral("+") : QString())
                          .arg(points);
    return beside;
}

QStringList timeoutNotes(const Sheet& sheet) {
    QStringList notes;
    for (int team = 0; team < static_cast<int>(sheet.teams.size()); ++team) {
        QStringList when;
        for (const Timeout& t : sheet.timeouts)
            if (t.team == team)
                when << (t.tossup > 0 ? QStringLiteral("after toss-up %1").arg(t.tossup)
                                      : QStringLiteral("before the first toss-up"));
        if (when.isEmpty()) continue;
        const int allowed = sheet.rules.timeoutsPerTeam;
        notes << QStringLiteral("Time-outs called by %1: %2 (%3)%4.")
                     .arg(teamName(sheet, team))
                     .arg(when.size())
                     .arg(when.join(QStringLiteral(", ")))
                     .arg(allowed > 0
                              ? QStringLiteral("; the rules allow %1%2")
                                    .arg(allowed)
                                    .arg(sheet.rules.timeoutsPerHalf ? QStringLiteral(" a half")
                                                                     : QString())
                              : QString());
    }
    return notes;
}

QStringList qbjOperatorNotes(const Sheet& sheet) {
    QStringList notes;
    if (!sheet.teams.empty() && computeSheetStats(playedSheet(sheet)).boardOnly)
        notes << QStringLiteral(
            "This match was scored on the boards alone, with nothing ruled on the scoresheet; "
            "the stats programs take a match toss-up by toss-up, so this file may need entering "
            "by hand.");
    if (const QStringList beside = qbjAdjustments(sheet); !beside.isEmpty())
        notes << QStringLiteral(
                     "Points given on the boards beside the scoresheet, not in these totals: %1.")
                     .arg(beside.join(QStringLiteral(", ")));
    notes << timeoutNotes(sheet) << protestNotes(sheet);
    if (sheet.teams.size() > 2)
        notes << QStringLiteral(
                     "This match had %1 teams; the common stats programs take two teams a match, "
                     "so this file may need entering by hand.")
                     .arg(sheet.teams.size());
    return notes;
}

QJsonObject qbjDocument(const Sheet& whole) {
    const Sheet sheet = playedSheet(whole);
    const SheetStats stats = computeSheetStats(sheet);
    const int teams = static_cast<int>(sheet.teams.size());
    Ids ids;

    // Importers find a team by "Team_" and its name, so two teams of one
    // name become two names.
    std::vector<QString> names, teamIds, registrationIds;
    for (int t = 0; t < teams; ++t) {
        QString name = teamName(sheet, t);
        for (int n = 2; std::find(names.begin(), names.end(), name) != names.end(); ++n)
            name = teamName(sheet, t) + QStringLiteral(" (%1)").arg(n);
        names.push_back(name);
    }
    std::vector<std::vector<QString>> playerIds(teams);
    for (int t = 0; t < teams; ++t)
        teamIds.push_back(ids.take(qbjTeamId(names[t])));
    // A team from a QBJ file keeps its school's registration, shared by the
    // school's teams; a typed team gets one of its own.
    for (int t = 0; t < teams; ++t) {
        const QString& kept = sheet.teams[t].registrationId;
        int same = -1;
        for (int u = 0; u < t && !kept.isEmpty(); ++u)
            if (sheet.teams[u].registrationId == kept) same = u;
        registrationIds.push_back(
            same >= 0
                ? registrationIds[same]
                : ids.take(kept.isEmpty() ? QStringLiteral("Registration_") + names[t] : kept));
    }
    // Players a buzz names beyond the roster still need an id to be credited.
    for (const PlayerStats& p : stats.players) {
        auto& list = playerIds[p.team];
        if (p.player >= static_cast<int>(list.size())) list.resize(p.player + 1);
        list[p.player] = ids.take(QStringLiteral("Player_%1_%2").arg(names[p.team], p.name));
    }
    const QString matchId = ids.take(
        QStringLiteral("Match_%1_%2")
            .arg(sheet.started.isValid() ? isoTime(sheet.started) : QStringLiteral("match"),
                 QStringList([&] {
                     QStringList list;
                     for (int t = 0; t < teams; ++t)
                         list << names[t];
                     return list;
                 }())
                     .join(QStringLiteral("_vs_"))));

    QJsonArray objects;

    // The tournament: one phase named "1", one round, a pool of the teams.
    QJsonObject tournament;
    tournament[QStringLiteral("type")] = QStringLiteral("Tournament");
    tournament[QStringLiteral("name")] = sheet.tournament.trimmed().isEmpty()
                                             ? QStringLiteral("Torvanel match")
                                             : sheet.tournament.trimmed();
    tournament[QStringLiteral("scoring_rules")] = scoringRules(sheet, stats);
    // The registrations, their teams and players written in place: the
    // moderator app's roster import follows no reference, and the match
    // finds each team by its id wherever it is.
    std::vector<QJsonObject> teamObjects;
    for (int t = 0; t < teams; ++t) {
        QJsonArray players;
        for (const PlayerStats& p : stats.players)
            if (p.team == t &&
                (p.played() || !sheet.teams[t].players.value(p.player).trimmed().isEmpty()))
                players.append(QJsonObject{{QStringLiteral("id"), playerIds[t][p.player]},
                                           {QStringLiteral("name"), p.name}});
        teamObjects.push_back(QJsonObject{{QStringLiteral("id"), teamIds[t]},
                                          {QStringLiteral("name"), names[t]},
                                          {QStringLiteral("players"), players}});
    }
    QJsonArray registrations, poolTeams;
    for (int t = 0; t < teams; ++t) {
        if (std::find(registrationIds.begin(), registrationIds.begin() + t, registrationIds[t]) ==
            registrationIds.begin() + t) {
            QJsonArray itsTeams;
            for (int u = t; u < teams; ++u)
                if (registrationIds[u] == registrationIds[t]) itsTeams.append(teamObjects[u]);
            const QString& school = sheet.teams[t].registrationName;
            registrations.append(
                QJsonObject{{QStringLiteral("id"), registrationIds[t]},
                            {QStringLiteral("name"), school.isEmpty() ? names[t] : school},
                            {QStringLiteral("teams"), itsTeams}});
        }
        poolTeams.append(QJsonObject{{QStringLiteral("team"), ref(teamIds[t])}});
    }
    tournament[QStringLiteral("registrations")] = registrations;
    const QJsonObject round{{QStringLiteral("name"), roundNumber(sheet.round)},
                            {QStringLiteral("matches"), QJsonArray{ref(matchId)}}};
    const QJsonObject pool{{QStringLiteral("name"), QStringLiteral("1")},
                           {QStringLiteral("pool_teams"), poolTeams}};
    tournament[QStringLiteral("phases")] = QJsonArray{QJsonObject{
        {QStringLiteral("name"), QStringLiteral("1")},
        {QStringLiteral("rounds"), QJsonArray{round}},
        {QStringLiteral("pools"), QJsonArray{pool}},
    }};
    objects.append(tournament);

    QJsonObject match;
    match[QStringLiteral("type")] = QStringLiteral("Match");
    match[QStringLiteral("id")] = matchId;
    if (stats.tossupsRead > 0) {
        match[QStringLiteral("tossups_read")] = stats.tossupsRead;
        match[QStringLiteral("overtime_tossups_read")] = stats.overtimeTossups;
    }
    if (!sheet.room.trimmed().isEmpty()) match[QStringLiteral("location")] = sheet.room.trimmed();
    if (!sheet.moderator.trimmed().isEmpty())
        match[QStringLiteral("moderator")] = sheet.moderator.trimmed();
    if (sheet.packet) {
        const QString name = sheet.packet->name.trimmed();
        match[QStringLiteral("packets")] = name.isEmpty() ? QStringLiteral("Packet") : name;
    }

    QJsonArray matchTeams;
    for (int t = 0; t < teams; ++t) {
        const TeamStats& ts = stats.teams[t];
        QJsonObject mt{{QStringLiteral("team"), ref(teamIds[t])}};
        if (stats.boardOnly) {
            // No rulings: the board is all there is, and a total beside
            // player lines would contradict them.
            mt[QStringLiteral("points")] = ts.total;
        } else {
            mt[QStringLiteral("bonus_points")] = ts.bonusPoints;
            if (stats.bouncebacks)
                mt[QStringLiteral("bonus_bounceback_points")] = ts.bouncebackPoints;
            if (ts.correctWithoutBonus > 0)
                mt[QStringLiteral("correct_tossups_without_bonuses")] = ts.correctWithoutBonus;
            QJsonArray players;
            for (const PlayerStats& p : stats.players) {
                if (p.team != t || !p.played()) continue;
                QJsonArray counts;
                for (size_t v = 0; v < stats.answerValues.size(); ++v)
                    counts.append(QJsonObject{
                        {QStringLiteral("answer_type"), answerType(stats.answerValues[v])},
                        {QStringLiteral("number"), p.answers[v]}});
                players.append(QJsonObject{{QStringLiteral("player"), ref(playerIds[t][p.player])},
                                           {QStringLiteral("tossups_heard"), p.tossupsHeard},
                                           {QStringLiteral("answer_counts"), counts}});
            }
            mt[QStringLiteral("match_players")] = players;
        }
        // Lineups as kept: the first, then each toss-up where it changed.
        QJsonArray lineups;
        std::vector<int> last;
        for (const Tossup& tu : sheet.tossups) {
            if (t >= static_cast<int>(tu.lineups.size()) || tu.lineups[t].empty()) continue;
            if (tu.lineups[t] == last) continue;
            last = tu.lineups[t];
            QJsonArray players;
            for (int p : last)
                if (p >= 0 && p < static_cast<int>(playerIds[t].size()) &&
                    !playerIds[t][p].isEmpty())
                    players.append(ref(playerIds[t][p]));
            const int first = lineups.isEmpty() ? 1 : tu.number;
            lineups.append(QJsonObject{{QStringLiteral("first_question"), first},
                                       {QStringLiteral("players"), players},
                                       {QStringLiteral("reason"), lineupReason(sheet, first)}});
        }
        if (!lineups.isEmpty()) mt[QStringLiteral("lineups")] = lineups;
        matchTeams.append(mt);
    }
    match[QStringLiteral("match_teams")] = matchTeams;
    match[QStringLiteral("carryover_phases")] = QJsonArray();

    if (!stats.boardOnly) {
        QJsonArray questions;
        for (const Tossup& tu : sheet.tossups) {
            QJsonObject q{{QStringLiteral("question_number"), tu.number}};
            // The question first read, and the one read instead when it was
            // thrown out (the buzzes' words are the one read last).
            const int first = tu.thrownOutQuestion >= 0 ? tu.thrownOutQuestion : tu.question;
            // Without a packet, toss-up n read the paper packet's question n.
            if (sheet.packet && first >= 0)
                q[QStringLiteral("tossup_question")] = question(first, "tossup", 1);
            else if (!sheet.packet)
                q[QStringLiteral("tossup_question")] = question(tu.number - 1, "tossup", 1);
            if (sheet.packet && tu.thrownOutQuestion >= 0 && tu.question >= 0)
                q[QStringLiteral("replacement_tossup_question")] =
                    question(tu.question, "tossup", 1);
            if (tu.startTime.isValid())
                q[QStringLiteral("tossup_start_time")] = isoTime(tu.startTime);
            QJsonArray buzzes;
            std::vector<bool> teamBuzzed(teams, false);
            for (const Buzz& b : tu.buzzes) {
                // Unruled presses are not the sheet's yet; a team answers a
                // toss-up once.
                if (!b.value || b.team < 0 || b.team >= teams || b.player < 0 ||
                    b.player >= static_cast<int>(playerIds[b.team].size()) || teamBuzzed[b.team])
                    continue;
                teamBuzzed[b.team] = true;
                QJsonObject buzz{{QStringLiteral("team"), ref(teamIds[b.team])},
                                 {QStringLiteral("player"), ref(playerIds[b.team][b.player])},
                                 {QStringLiteral("result"), answerType(*b.value)}};
                QJsonObject position;
                if (b.time.isValid()) position[QStringLiteral("time")] = isoTime(b.time);
                if (sheet.packet && b.word && tu.question >= 0)
                    position[QStringLiteral("word_index")] = *b.word;
                if (!position.isEmpty()) buzz[QStringLiteral("buzz_position")] = position;
                buzzes.append(buzz);
            }
            q[QStringLiteral("buzzes")] = buzzes;
            if (tu.bonusTeam && *tu.bonusTeam >= 0 && *tu.bonusTeam < teams &&
                !tu.bonusParts.empty()) {
                QJsonArray parts;
                for (std::size_t i = 0; i < tu.bonusParts.size(); ++i) {
                    QJsonObject part{{QStringLiteral("controlled_points"), tu.bonusParts[i]}};
                    if (stats.bouncebacks)
                        part[QStringLiteral("bounceback_points")] =
                            i < tu.bouncebackParts.size() ? tu.bouncebackParts[i] : 0;
                    parts.append(part);
                }
                QJsonObject bonus{{QStringLiteral("parts"), parts}};
                const int read = tu.thrownOutBonus >= 0 ? tu.thrownOutBonus : tu.bonusQuestion;
                const int count = static_cast<int>(tu.bonusParts.size());
                if (sheet.packet && read >= 0)
                    bonus[QStringLiteral("question")] = question(read, "bonus", count);
                q[QStringLiteral("bonus")] = bonus;
                if (sheet.packet && tu.thrownOutBonus >= 0 && tu.bonusQuestion >= 0)
                    q[QStringLiteral("replacement_bonus")] = QJsonObject{
                        {QStringLiteral("question"), question(tu.bonusQuestion, "bonus", count)},
                        {QStringLiteral("parts"), parts}};
                if (tu.bonusStartTime.isValid())
                    q[QStringLiteral("bonus_start_time")] = isoTime(tu.bonusStartTime);
            }
            questions.append(q);
        }
        match[QStringLiteral("match_questions")] = questions;
    }

    const QStringList notes = qbjOperatorNotes(sheet) + sheet.lockoutNotes;
    if (!notes.isEmpty()) match[QStringLiteral("notes")] = notes.join(QLatin1Char('\n'));
    // What the lockout saw, for a program that knows to look: the format
    // has no place for it beyond the free text of the notes.
    QJsonObject lockout{
        {QStringLiteral("version"), 1},
        {QStringLiteral("rules"), sheet.rules.name},
        {QStringLiteral("lockout_notes"), QJsonArray::fromStringList(sheet.lockoutNotes)}};
    if (sheet.started.isValid()) lockout[QStringLiteral("started")] = isoTime(sheet.started);
    if (!sheet.round.trimmed().isEmpty()) lockout[QStringLiteral("round")] = sheet.round.trimmed();
    match[QStringLiteral("_torvanel")] = lockout;
    objects.append(match);

    return {{QStringLiteral("version"), QString::fromLatin1(kQbjVersion)},
            {QStringLiteral("objects"), objects}};
}

QByteArray writeQbj(const Sheet& sheet) {
    return QJsonDocument(qbjDocument(sheet)).toJson(QJsonDocument::Indented);
}

namespace {

// Every reference replaced by what it names, written in place.
QJsonValue inPlace(const QJsonValue& value, const QHash<QString, QJsonObject>& byId) {
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue v : value.toArray())
            out.append(inPlace(v, byId));
        return out;
    }
    if (!value.isObject()) return value;
    const QJsonObject o = value.toObject();
    if (o.size() == 1 && o.contains(QStringLiteral("$ref")))
        return inPlace(byId.value(o.value(QStringLiteral("$ref")).toString()), byId);
    QJsonObject out;
    for (auto it = o.begin(); it != o.end(); ++it)
        out.insert(it.key(), inPlace(it.value(), byId));
    return out;
}

}  // namespace

QJsonObject qbjBareMatch(const Sheet& sheet) {
    const QJsonObject document = qbjDocument(sheet);
    QHash<QString, QJsonObject> byId;
    QJsonObject match;
    for (const QJsonValue v : document.value(QStringLiteral("objects")).toArray()) {
        const QJsonObject o = v.toObject();
        const QString type = o.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("Match")) match = o;
        if (type != QLatin1String("Tournament")) continue;
        for (const QJsonValue r : o.value(QStringLiteral("registrations")).toArray())
            for (const QJsonValue team : r.toObject().value(QStringLiteral("teams")).toArray()) {
                const QJsonObject t = team.toObject();
                for (const QJsonValue p : t.value(QStringLiteral("players")).toArray())
                    byId.insert(p.toObject().value(QStringLiteral("id")).toString(), p.toObject());
                byId.insert(t.value(QStringLiteral("id")).toString(), t);
            }
    }
    return inPlace(match, byId).toObject();
}

QByteArray writeBareMatchQbj(const Sheet& sheet) {
    return QJsonDocument(qbjBareMatch(sheet)).toJson(QJsonDocument::Indented);
}

}  // namespace scoresheet
