#include "live/streamfiles.h"

#include <QDir>

#include "app/clocktext.h"
#include "app/savefile.h"

namespace live {

std::vector<std::pair<QString, QString>> StreamFiles::texts(const LiveState& state, qint64 now) {
    std::vector<std::pair<QString, QString>> files;
    for (int team = 0; team < 3; ++team) {
        const bool present = team < state.teams().size();
        files.emplace_back(QStringLiteral("team%1.txt").arg(team + 1),
                           present ? state.teams()[team] : QString());
        files.emplace_back(QStringLiteral("score%1.txt").arg(team + 1),
                           present ? QString::number(state.score(team)) : QString());
    }
    const std::optional<Buzz>& buzz = state.buzz();
    files.emplace_back(QStringLiteral("buzzer.txt"), !state.status().isEmpty() ? state.status()
                                                     : buzz                    ? buzz->name
                                                                               : QString());
    files.emplace_back(QStringLiteral("buzzerteam.txt"), buzz ? buzz->teamName : QString());
    const Countdown& timer = state.timer();
    files.emplace_back(QStringLiteral("timer.txt"),
                       timer.shown ? QString::number(timer.timerSecondsAt(now)) : QString());
    files.emplace_back(QStringLiteral("clock.txt"),
                       matchClockText(state.clock().clockSecondsAt(now)));
    files.emplace_back(QStringLiteral("tossup.txt"),
                       state.tossUp() > 0 ? QString::number(state.tossUp()) : QString());
    return files;
}

std::optional<QString> StreamFiles::update(const LiveState& state, qint64 now) {
    if (!QDir().mkpath(folder_))
        return QStringLiteral("The folder %1 cannot be made.").arg(folder_);
    std::optional<QString> problem;
    for (const auto& [name, text] : texts(state, now)) {
        const auto known = written_.constFind(name);
        if (known != written_.cend() && *known == text) continue;
        if (auto failed = files::saveReplacingLinks(QDir(folder_).filePath(name), text.toUtf8())) {
            if (!problem) problem = *failed;
            written_.remove(name);
            continue;
        }
        written_.insert(name, text);
    }
    return problem;
}

}  // namespace live
