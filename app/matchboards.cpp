#include "app/matchboards.h"

#include <algorithm>
#include <cmath>

#include <QJsonArray>

namespace record {

namespace {

QStringList strings(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& v : value.toArray())
        list << v.toString();
    return list;
}

bool isScore(EventKind kind) {
    return kind == EventKind::ScoreChanged || kind == EventKind::ScoreUndone ||
           kind == EventKind::ScoreRedone;
}

}  // namespace

std::optional<NamesData> readNames(EventKind kind, const QJsonObject& data) {
    const bool names = kind == EventKind::MatchStarted || kind == EventKind::NamesChanged ||
                       (kind == EventKind::MatchResumed && data.contains(QLatin1String("teams")));
    if (!names) return std::nullopt;
    NamesData n;
    n.screen = data.value(QLatin1String("screen")).toString();
    n.teams = strings(data.value(QLatin1String("teams")));
    for (const QJsonValue& team : data.value(QLatin1String("players")).toArray())
        n.players.push_back(strings(team));
    return n;
}

std::optional<std::vector<int>> readScores(EventKind kind, const QJsonObject& data) {
    const bool all = kind == EventKind::MatchStarted || kind == EventKind::MatchResumed ||
                     (kind == EventKind::NamesChanged && data.contains(QLatin1String("scores")));
    if (!all) return std::nullopt;
    std::vector<int> scores;
    for (const QJsonValue& v : data.value(QLatin1String("scores")).toArray())
        scores.push_back(v.toInt());
    return scores;
}

std::optional<ScoreData> readScore(EventKind kind, const QJsonObject& data) {
    if (!isScore(kind)) return std::nullopt;
    const int team = data.value(QLatin1String("team")).toInt(-1);
    if (team < 0 || team > 2) return std::nullopt;
    return ScoreData{team, data.value(QLatin1String("before")).toInt(),
                     data.value(QLatin1String("after")).toInt(),
                     data.value(QLatin1String("name")).toString(),
                     data.value(QLatin1String("how")).toString()};
}

QJsonObject scoreData(const ScoreData& s) {
    QJsonObject data{{QStringLiteral("team"), s.team},
                     {QStringLiteral("name"), s.name},
                     {QStringLiteral("before"), s.before},
                     {QStringLiteral("after"), s.after}};
    if (!s.how.isEmpty()) data.insert(QStringLiteral("how"), s.how);
    return data;
}

std::optional<ClockData> readClock(EventKind kind, const QJsonObject& data, double stoppedAt) {
    switch (kind) {
    case EventKind::MatchStarted:
        return ClockData{data.value(QLatin1String("clock")).toDouble(),
                         data.value(QLatin1String("clockRunning")).toBool()};
    case EventKind::MatchResumed:
        return ClockData{data.value(QLatin1String("clock")).toDouble(), false};
    case EventKind::ClockStarted:
        return ClockData{data.value(QLatin1String("left")).toDouble(), true};
    case EventKind::ClockStopped:
        return ClockData{data.value(QLatin1String("left")).toDouble(stoppedAt), false};
    case EventKind::ClockExpired: return ClockData{0.0, false};
    default: return std::nullopt;
    }
}

int Boards::clockLeftAt(double time) const {
    double left = clockLeft;
    if (clockRunning) left -= std::floor(std::max(0.0, time - clockSince));
    return std::max(0, static_cast<int>(std::lround(left)));
}

int Boards::score(int team) const {
    return team >= 0 && static_cast<std::size_t>(team) < scores.size()
               ? scores[static_cast<std::size_t>(team)]
               : 0;
}

bool fold(Boards& b, EventKind kind, const QJsonObject& data, double time) {
    const Boards before = b;
    if (std::optional<NamesData> names = readNames(kind, data)) {
        if (!names->screen.isEmpty()) b.screen = names->screen;
        b.teams = names->teams;
        b.players = std::move(names->players);
    }
    if (std::optional<std::vector<int>> scores = readScores(kind, data))
        b.scores = std::move(*scores);
    if (std::optional<ScoreData> score = readScore(kind, data)) {
        const auto team = static_cast<std::size_t>(score->team);
        if (b.scores.size() <= team) b.scores.resize(team + 1, 0);
        b.scores[team] = score->after;
        // Switching sides moves the names with the scores.
        if (!score->name.isEmpty()) {
            while (b.teams.size() <= score->team)
                b.teams.append(QString());
            b.teams[score->team] = score->name;
        }
    }
    if (b.scores.size() < static_cast<std::size_t>(b.teams.size()))
        b.scores.resize(static_cast<std::size_t>(b.teams.size()), 0);
    if (std::optional<ClockData> clock = readClock(kind, data, b.clockLeftAt(time))) {
        b.clockLeft = clock->left;
        b.clockRunning = clock->running;
        b.clockSince = time;
    }
    return b.screen != before.screen || b.teams != before.teams || b.players != before.players ||
           b.scores != before.scores || b.clockLeft != before.clockLeft ||
           b.clockRunning != before.clockRunning || b.clockSince != before.clockSince;
}

}  // namespace record
