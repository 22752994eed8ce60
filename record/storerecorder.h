#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "app/matchrecorder.h"
#include "record/matchstate.h"
#include "record/recordstore.h"

namespace record {

// A match the last run left without an end, with something played in it.
struct InterruptedMatch {
    MatchSummary match;
    MatchState state;
    int clockLeft = 0;  // whole seconds, as the clock had shown when the program died
    std::vector<RecordedEvent> events;
    // The match time it had got to: a resumed match goes on from here.
    double reached = 0.0;
};

struct StoreOptions {
    // Where record.sqlite lives.
    QString folder;
    // How long to wait for another program's lock on the file.
    int busyMs = 1000;
    // How long the writer gathers events before it commits them: the
    // longest an event waits for the disk, less the commit itself.
    int batchMs = 100;
    // Caps the file (in pages of 4 KiB), so that the disk runs full there.
    int maxPageCount = 0;
};

// The recorder the program runs with: it stamps each event, keeps the
// current match's events in memory for the record window, and hands them to
// one writer thread that commits them in batches. record() never waits for
// the disk. When the file cannot be used the match goes on and the events
// of this run are kept in memory only; the problem handler hears why, once.
class StoreRecorder final : public MatchRecorder {
public:
    StoreRecorder(Clock& clock, StoreOptions options);
    ~StoreRecorder() override;

    StoreRecorder(const StoreRecorder&) = delete;
    StoreRecorder& operator=(const StoreRecorder&) = delete;

    void record(EventKind kind, const QJsonObject& data = {}) override;

    QString filePath() const { return path_; }
    // Empty while the record is kept; else why it is not.
    QString problem() const;
    // When a damaged file was moved aside at start: where it went.
    QString movedAside() const { return movedAside_; }
    // Called once, from whichever thread finds it, with the problem in
    // words; at once when the store already failed to open.
    void setProblemHandler(std::function<void(const QString&)> handler);

    // The match the last run left without an end, found when the file was
    // opened (before this run recorded anything).
    const std::optional<InterruptedMatch>& interrupted() const { return interrupted_; }

    // Blocks until every event recorded so far is on disk (or dropped
    // because the store failed).
    void flush();

    // The current match, on the recording thread: its id (0 before the
    // first MatchStarted) and its events so far. It is written to the file
    // only once something has been played in it; a resume of the
    // interrupted match (MatchResumed from it) makes that match the current
    // one again, its earlier events included.
    qint64 currentMatch() const { return match_; }
    const std::vector<RecordedEvent>& currentEvents() const { return current_; }
    // Hears each event of the current match as it is recorded, on the
    // recording thread; a MatchStarted means a new match has begun.
    void setListener(std::function<void(const RecordedEvent&)> listener) {
        listener_ = std::move(listener);
    }

private:
    struct Op {
        enum class Type { Start, Event, End } type = Type::Event;
        qint64 match = 0;
        RecordedEvent event;
        QString screen;
        QStringList teams;
        QString how;
    };

    void findInterrupted();
    // The current match has had play: its row and its events so far go to
    // the file (a start with no play never does).
    void keep();
    // Puts the interrupted match back as the current one.
    void continueInterrupted(double now);
    void enqueue(Op op, bool alive = false);
    void writerLoop();
    bool write(const std::vector<Op>& batch, qint64 aliveMatch, double aliveTime);
    void report(const QString& problem);

    Clock& clock_;
    StoreOptions options_;
    QString path_;
    QString movedAside_;
    RecordStore store_;  // the writer thread's once it runs
    std::optional<InterruptedMatch> interrupted_;

    // The recording thread's.
    qint64 nextId_ = 1;
    qint64 match_ = 0;
    bool kept_ = false;  // the current match is in the file
    double matchStart_ = 0.0;
    QString matchScreen_;
    QStringList matchTeams_;
    qint64 matchStartedMs_ = 0;
    std::vector<std::pair<double, RecordedEvent>> beforeMatch_;  // clock time, event
    std::vector<RecordedEvent> current_;
    std::function<void(const RecordedEvent&)> listener_;

    // Shared with the writer, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    std::deque<Op> queue_;
    qint64 queued_ = 0;
    qint64 done_ = 0;
    bool stop_ = false;
    bool hurry_ = false;
    bool broken_ = false;
    QString problem_;
    bool reported_ = false;
    std::function<void(const QString&)> handler_;
    // The last stamp: the match, its match time and when it was taken, so
    // the writer can note how long the program has been seen running.
    qint64 aliveMatch_ = 0;
    double aliveTime_ = 0.0;
    std::chrono::steady_clock::time_point aliveAt_;

    std::thread writer_;
};

// The record file in a folder.
QString recordFile(const QString& folder);

}  // namespace record
