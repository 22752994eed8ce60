#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "app/clock.h"
#include "app/matchrecorder.h"
#include "record/matchstate.h"
#include "record/recordstore.h"
#include "record/recordwriter.h"

namespace record {

// A match the last run left without an end, with something played in it.
struct InterruptedMatch {
    MatchSummary match;
    MatchState state;
    int clockLeft = 0;       // whole seconds, as the clock had shown when the program died
    qint64 lastHeardMs = 0;  // wall clock of the last the record heard of the match
    std::vector<RecordedEvent> events;
    // The match time it had got to: a resumed match goes on from here.
    double reached = 0.0;
};

// The match the last run left without an end, if the file has one with
// something played in it.
std::optional<InterruptedMatch> findInterrupted(RecordStore& store);

// What belongs to which match, on the recording thread: it stamps each
// event, keeps the current match's events in memory, and hands the writer
// what goes to the file. A match goes to the file only once something has
// been played in it; what was said before it, or in a start with no play,
// belongs to the match that follows. A resume of the interrupted match
// makes that match the current one again, under its own number, its earlier
// events included.
class MatchBook {
public:
    MatchBook(Clock& clock, RecordWriter& writer, std::optional<InterruptedMatch> interrupted);

    MatchBook(const MatchBook&) = delete;
    MatchBook& operator=(const MatchBook&) = delete;

    void record(EventKind kind, const QJsonObject& data);

    const std::optional<InterruptedMatch>& interrupted() const { return interrupted_; }
    // This run's number of the current match (the writer knows the file's);
    // 0 while no match is on.
    qint64 match() const { return match_; }
    const std::vector<RecordedEvent>& currentEvents() const { return current_; }
    void setListener(std::function<void(const RecordedEvent&)> listener) {
        listener_ = std::move(listener);
    }

private:
    using Op = RecordWriter::Op;

    // The current match has had play: its row and its events so far go to
    // the file (a start with no play never does).
    void keep();
    // Puts the interrupted match back as the current one.
    void continueInterrupted(double now);

    Clock& clock_;
    RecordWriter& writer_;
    std::optional<InterruptedMatch> interrupted_;

    // The match is known here by a number of this run, which the writer
    // turns into the file's number.
    qint64 nextKey_ = 1;
    qint64 match_ = 0;
    bool kept_ = false;  // the current match is in the file
    double matchStart_ = 0.0;
    QString matchScreen_;
    QStringList matchTeams_;
    qint64 matchStartedMs_ = 0;
    std::vector<std::pair<double, RecordedEvent>> beforeMatch_;  // clock time, event
    std::vector<RecordedEvent> current_;
    std::function<void(const RecordedEvent&)> listener_;
};

}  // namespace record
