#include "record/matchstats.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include "app/clocktext.h"
#include "app/matchboards.h"
#include "record/matchstate.h"

namespace record {

namespace {

int intOf(const QJsonObject& d, const char* key, int fallback = 0) {
    return d.value(QLatin1String(key)).toInt(fallback);
}

QString textOf(const QJsonObject& d, const char* key) {
    return d.value(QLatin1String(key)).toString();
}

QString teamName(const QStringList& teams, int team) {
    if (team >= 0 && team < teams.size() && !teams[team].isEmpty()) return teams[team];
    static const char* const kDefault[] = {"Alpha", "Beta", "Gamma"};
    return team >= 0 && team < 3 ? QString::fromLatin1(kDefault[team])
                                 : QStringLiteral("team %1").arg(team + 1);
}

}  // namespace

MatchStats computeStats(const std::vector<RecordedEvent>& events) {
    MatchStats stats;
    MatchState state;
    std::map<int, PlayerLine> players;
    int holder = 0;  // the player with the floor, 0 for none
    int perTeam = 0;

    auto line = [&](int player) -> PlayerLine& {
        PlayerLine& p = players[player];
        p.player = player;
        if (perTeam > 0 && p.name.isEmpty()) {
            const int team = (player - 1) / perTeam;
            const int index = (player - 1) % perTeam;
            p.team = team;
            if (std::size_t(team) < state.players.size() && index < state.players[team].size())
                p.name = state.players[team][index];
        }
        return p;
    };
    auto addPoint = [&](int team, double time) {
        if (stats.series.size() <= std::size_t(team)) stats.series.resize(std::size_t(team) + 1);
        stats.series[std::size_t(team)].push_back({time, state.score(team)});
    };

    for (const RecordedEvent& e : events) {
        const QJsonObject& d = e.data;
        switch (e.kind) {
        case EventKind::MatchStarted:
        case EventKind::MatchResumed: {
            apply(state, e);
            holder = 0;
            if (e.kind == EventKind::MatchStarted) {
                stats.series.clear();
                perTeam = state.players.empty() ? 0 : int(state.players[0].size());
                for (int p = 1; perTeam > 0 && p <= perTeam * int(state.players.size()); ++p)
                    line(p);
            }
            for (std::size_t t = 0; t < state.scores.size(); ++t)
                addPoint(int(t), std::max(0.0, e.matchTime));
            break;
        }
        case EventKind::ScoreChanged:
        case EventKind::ScoreUndone:
        case EventKind::ScoreRedone: {
            const int team = intOf(d, "team", -1);
            const int before = state.score(team);
            apply(state, e);
            if (team < 0 || team > 2) break;
            if (holder != 0 && players[holder].team == team)
                players[holder].points += state.score(team) - before;
            addPoint(team, e.matchTime);
            break;
        }
        case EventKind::BuzzIn: {
            const int player = intOf(d, "player");
            if (player <= 0) break;
            PlayerLine& p = line(player);
            if (!textOf(d, "name").isEmpty()) p.name = textOf(d, "name");
            if (d.contains(QLatin1String("team"))) p.team = intOf(d, "team");
            ++p.buzzIns;
            holder = player;
            break;
        }
        case EventKind::Tie: {
            for (const QJsonValue& v : d.value(QLatin1String("pressed")).toArray())
                if (v.toInt() > 0) ++line(v.toInt()).tiesIn;
            if (intOf(d, "drawn") > 0) ++line(intOf(d, "drawn")).tiesWon;
            break;
        }
        case EventKind::NamesChanged: {
            // Renamed from here on: the table ends with the names in use.
            // Other boards brought up mid-match come with what they show,
            // and the chart follows them from here.
            const auto before = state.scores;
            apply(state, e);
            for (std::size_t t = 0; t < state.scores.size(); ++t)
                if (t >= before.size() || before[t] != state.scores[t] || t >= stats.series.size())
                    addPoint(int(t), e.matchTime);
            for (int t = 0; perTeam > 0 && t < int(state.players.size()); ++t) {
                for (int i = 0; i < perTeam && i < state.players[std::size_t(t)].size(); ++i) {
                    const QString& name = state.players[std::size_t(t)][i];
                    if (!name.isEmpty()) line(t * perTeam + i + 1).name = name;
                }
            }
            break;
        }
        case EventKind::Cleared:
        case EventKind::Armed: holder = 0; break;
        default: apply(state, e); break;
        }
        stats.endTime = std::max(stats.endTime, e.matchTime);
    }
    // The tables name everyone as they were named when the match ended.
    stats.teams = state.teams;
    stats.scores = state.scores;
    for (std::size_t t = 0; t < stats.series.size(); ++t)
        stats.series[t].push_back({stats.endTime, state.score(int(t))});
    for (auto& [number, p] : players)
        stats.players.push_back(p);
    return stats;
}

QString matchTimeText(double seconds) {
    const bool negative = seconds < 0;
    const double a = std::abs(seconds);
    const int whole = int(a);
    const int tenths = int((a - whole) * 10);
    return QStringLiteral("%1%2:%3.%4")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(whole / 60)
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths);
}

QString describe(const RecordedEvent& e, const QStringList& teams) {
    const QJsonObject& d = e.data;
    switch (e.kind) {
    case EventKind::ProgramStarted:
        return QStringLiteral("Program started (%1)").arg(textOf(d, "interface"));
    case EventKind::ProgramEnded: return QStringLiteral("Program ended (%1)").arg(textOf(d, "how"));
    case EventKind::MatchEnded: return QStringLiteral("Match ended");
    case EventKind::MatchStarted: {
        QStringList parts;
        const std::vector<int> scores = readScores(e.kind, d).value_or(std::vector<int>());
        for (int t = 0; t < int(scores.size()); ++t)
            parts << QStringLiteral("%1 %2").arg(teamName(teams, t)).arg(scores[std::size_t(t)]);
        return QStringLiteral("Match started: %1, clock %2")
            .arg(parts.join(QStringLiteral(", ")), matchClockText(intOf(d, "clock")));
    }
    case EventKind::MatchResumed:
        return QStringLiteral("Resumed match %1, clock %2")
            .arg(intOf(d, "from"))
            .arg(matchClockText(intOf(d, "clock")));
    case EventKind::Cleared: return QStringLiteral("Cleared (%1)").arg(textOf(d, "how"));
    case EventKind::Armed: return QStringLiteral("Armed (%1)").arg(textOf(d, "how"));
    case EventKind::BuzzIn:
        return QStringLiteral("%1 (%2) buzzed in")
            .arg(textOf(d, "name"), teamName(teams, intOf(d, "team", -1)));
    case EventKind::Tie: {
        QStringList pressed;
        for (const QJsonValue& v : d.value(QLatin1String("pressed")).toArray())
            pressed << QString::number(v.toInt());
        return QStringLiteral("Tie between players %1, drawn: %2")
            .arg(pressed.join(QStringLiteral(", ")))
            .arg(intOf(d, "drawn"));
    }
    case EventKind::SecondPlaceCaptured:
        return QStringLiteral("Second place held: %1").arg(textOf(d, "name"));
    case EventKind::SecondPlaceReleased:
        return QStringLiteral("Second place shown: %1").arg(textOf(d, "name"));
    case EventKind::TimerStarted:
        return QStringLiteral("%1 timer started, %2 s")
            .arg(textOf(d, "kind"))
            .arg(intOf(d, "seconds"));
    case EventKind::TimerStopped:
        return QStringLiteral("%1 timer stopped, %2 s left")
            .arg(textOf(d, "kind"))
            .arg(intOf(d, "left"));
    case EventKind::TimerExpired: return QStringLiteral("%1 timer expired").arg(textOf(d, "kind"));
    case EventKind::ClockStarted:
        return QStringLiteral("Match clock started at %1").arg(matchClockText(intOf(d, "left")));
    case EventKind::ClockStopped:
        return QStringLiteral("Match clock stopped at %1").arg(matchClockText(intOf(d, "left")));
    case EventKind::ClockExpired: return QStringLiteral("Match clock expired");
    case EventKind::ScoreChanged:
    case EventKind::ScoreUndone:
    case EventKind::ScoreRedone: {
        const QString how = e.kind == EventKind::ScoreUndone   ? QStringLiteral("undo")
                            : e.kind == EventKind::ScoreRedone ? QStringLiteral("redo")
                                                               : textOf(d, "how");
        return QStringLiteral("%1 %2 -> %3 (%4)")
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(intOf(d, "before"))
            .arg(intOf(d, "after"))
            .arg(how);
    }
    case EventKind::SetupOpened:
        return QStringLiteral("Setup file opened: %1").arg(textOf(d, "file"));
    case EventKind::SetupSaved:
        return QStringLiteral("Setup file saved: %1").arg(textOf(d, "file"));
    case EventKind::CommFailed: return QStringLiteral("Interface lost: %1").arg(textOf(d, "what"));
    case EventKind::CommRecovered:
        return QStringLiteral("Interface back: %1").arg(textOf(d, "what"));
    case EventKind::OptionChanged: {
        // A value of several parts (the match details) reads part by part;
        // parts left empty are not worth a word.
        const QJsonValue value = d.value(QLatin1String("value"));
        if (!value.isObject())
            return QStringLiteral("Option %1 = %2")
                .arg(textOf(d, "option"), value.toVariant().toString());
        QStringList parts;
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString v = it.value().toVariant().toString().trimmed();
            if (!v.isEmpty()) parts << QStringLiteral("%1 %2").arg(it.key(), v);
        }
        return QStringLiteral("Option %1: %2")
            .arg(textOf(d, "option"),
                 parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", ")));
    }
    case EventKind::Decision: return textOf(d, "text");
    case EventKind::NamesChanged: {
        QStringList parts;
        const std::vector<QStringList> players = readNames(e.kind, d).value_or(NamesData()).players;
        for (int t = 0; t < teams.size(); ++t) {
            const QStringList names =
                std::size_t(t) < players.size() ? players[std::size_t(t)] : QStringList();
            parts << QStringLiteral("%1 (%2)").arg(teamName(teams, t),
                                                   names.join(QStringLiteral(", ")));
        }
        return QStringLiteral("Names now: %1").arg(parts.join(QStringLiteral("; ")));
    }
    case EventKind::RulesChosen:
        return QStringLiteral("Scoring rules: %1")
            .arg(
                d.value(QLatin1String("rules")).toObject().value(QLatin1String("name")).toString());
    case EventKind::TossupStarted: return QStringLiteral("Toss-up %1").arg(intOf(d, "tossup"));
    case EventKind::Ruling:
        return QStringLiteral("Toss-up %1: %2 ruled %3 (%4)")
            .arg(intOf(d, "tossup"))
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(intOf(d, "value"))
            .arg(textOf(d, "ruling"));
    case EventKind::BonusPart:
        return QStringLiteral("Toss-up %1: %2 bonus part %3, %4")
            .arg(intOf(d, "tossup"))
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(intOf(d, "part") + 1)
            .arg(intOf(d, "points"));
    case EventKind::SheetCorrected:
        return QStringLiteral("Toss-up %1: %2 %3")
            .arg(intOf(d, "tossup"))
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(d.value(QLatin1String("undo")).toBool() ? QStringLiteral("taken back")
                                                         : QStringLiteral("corrected"));
    case EventKind::BounceBack:
        return QStringLiteral("Toss-up %1: %2 took bonus part %3 on the bounce-back, %4")
            .arg(intOf(d, "tossup"))
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(intOf(d, "part") + 1)
            .arg(intOf(d, "points"));
    case EventKind::TimeoutCalled:
        return QStringLiteral("%1: time-out %2")
            .arg(teamName(teams, intOf(d, "team", -1)), d.value(QLatin1String("withdrawn")).toBool()
                                                            ? QStringLiteral("taken back")
                                                            : QStringLiteral("called"));
    case EventKind::ProtestFiled:
        return QStringLiteral("Toss-up %1: protest by %2 %3")
            .arg(intOf(d, "tossup"))
            .arg(teamName(teams, intOf(d, "team", -1)), d.value(QLatin1String("withdrawn")).toBool()
                                                            ? QStringLiteral("taken back")
                                                            : textOf(d, "reason"));
    case EventKind::ProtestResolved:
        return QStringLiteral("Protest %1: %2")
            .arg(intOf(d, "protest") + 1)
            .arg(textOf(d, "ruling"));
    case EventKind::LineupChanged:
        return QStringLiteral("%1 lineup from toss-up %2")
            .arg(teamName(teams, intOf(d, "team", -1)))
            .arg(intOf(d, "tossup"));
    case EventKind::PacketChosen: return QStringLiteral("Packet: %1").arg(textOf(d, "name"));
    case EventKind::QuestionThrownOut:
        return QStringLiteral("Toss-up %1: %2 %3 thrown out%4")
            .arg(intOf(d, "tossup"))
            .arg(d.value(QLatin1String("bonus")).toBool() ? QStringLiteral("bonus")
                                                          : QStringLiteral("toss-up"))
            .arg(intOf(d, "question"))
            .arg(d.value(QLatin1String("replacement")).isDouble()
                     ? QStringLiteral(", %1 read instead").arg(intOf(d, "replacement"))
                     : QStringLiteral(", none left to read instead"));
    case EventKind::BonusRead:
        return QStringLiteral("Toss-up %1: bonus read").arg(intOf(d, "tossup"));
    }
    return kindName(e.kind);
}

namespace {

QByteArray csvField(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    // Names are the operator's to type, and they begin descriptions: a
    // spreadsheet program would take "=1+2" or "@SUM(...)" for a formula,
    // so such a cell starts with an apostrophe, which those programs show
    // as text.
    if (!utf8.isEmpty() && QByteArrayLiteral("=+-@\t\r").contains(utf8.front())) utf8.prepend('\'');
    if (utf8.contains(',') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r')) {
        utf8.replace("\"", "\"\"");
        utf8 = '"' + utf8 + '"';
    }
    return utf8;
}

}  // namespace

QByteArray toCsv(const std::vector<RecordedEvent>& events) {
    // The byte order mark tells spreadsheet programs the file is UTF-8, so
    // that accented names come out right.
    QByteArray out = "\xEF\xBB\xBFnumber,match_time_s,wall_clock,kind,description,data\r\n";
    out.reserve(qsizetype(events.size()) * 120);
    QStringList teams;
    int number = 0;
    for (const RecordedEvent& e : events) {
        followNames(teams, nullptr, e);
        out += QByteArray::number(++number) + ',' + QByteArray::number(e.matchTime, 'f', 3) + ',' +
               csvField(QDateTime::fromMSecsSinceEpoch(e.wallMs).toString(Qt::ISODateWithMs)) +
               ',' + csvField(kindName(e.kind)) + ',' + csvField(describe(e, teams)) + ',' +
               csvField(QString::fromUtf8(QJsonDocument(e.data).toJson(QJsonDocument::Compact))) +
               "\r\n";
    }
    return out;
}

QStringList playerCells(const MatchStats& stats, const PlayerLine& line) {
    const QString team =
        line.team < stats.teams.size() ? stats.teams[line.team] : QString::number(line.team + 1);
    return {line.name.isEmpty() ? QStringLiteral("#%1").arg(line.player) : line.name,
            team,
            QString::number(line.buzzIns),
            QString::number(line.tiesIn),
            QString::number(line.tiesWon),
            QString::number(line.points)};
}

}  // namespace record
