#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QHash>
#include <QString>

#include "live/livestate.h"

namespace live {

// Small text files for a streaming program's "text from file" sources:
// team1.txt to team3.txt, score1.txt to score3.txt, buzzer.txt (who buzzed
// in, or the word the play screen shows in their place), buzzerteam.txt,
// timer.txt, clock.txt and tossup.txt. Each holds one line without a line
// end; a team the match does not have gets empty files, so a third team of
// an earlier match does not linger.
class StreamFiles {
public:
    explicit StreamFiles(QString folder) : folder_(std::move(folder)) {}

    const QString& folder() const { return folder_; }

    // The name and text of every file at `now`, in a fixed order.
    static std::vector<std::pair<QString, QString>> texts(const LiveState& state, qint64 now);

    // Rewrites, each as a whole (a reader never sees half a file), the files
    // whose text is not what was last written. Nothing on success; the
    // first failure otherwise (the next update tries again).
    std::optional<QString> update(const LiveState& state, qint64 now);

private:
    QString folder_;
    QHash<QString, QString> written_;
};

}  // namespace live
