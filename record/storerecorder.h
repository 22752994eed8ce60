#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <QDateTime>

#include "app/clock.h"
#include "app/matchrecorder.h"
#include "record/matchstate.h"
#include "record/recordstore.h"

class QLockFile;

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
    // How long writing may keep failing before the record stops (a full
    // disk, not a moment's lock); the events wait in memory meanwhile.
    int giveUpMs = 60000;
    // The longest pause between two tries.
    int retryMaxMs = 2000;
    // Called on the writer thread as its check of the whole file begins,
    // so that a test can hold the check there.
    std::function<void()> checking = nullptr;
};

// Another copy of the program that holds the record.
struct RecordHolder {
    qint64 pid = 0;
    QDateTime since;  // when it took the record
};

// The recorder the program runs with: it stamps each event, keeps the
// current match's events in memory for the record window, and hands them to
// one writer thread that commits them in batches. record() never waits for
// the disk. A batch that cannot be written stays in memory and is tried
// again, less and less often; when it goes through the recovery handler
// hears so, once. A fault that lasts (StoreOptions::giveUpMs) stops the
// record: the problem handler hears why, and retry() tries again with what
// is still in memory. When the file cannot be opened, or another copy of the
// program keeps it, the match goes on and the events of this run are kept
// in memory only.
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
    // When the file was moved aside (damaged, or another program's
    // database): where it went. Damage inside a sound file is found by the
    // writer, a moment after start.
    QString movedAside() const;
    // Whether the store was another program's database, moved aside.
    bool movedForeign() const;
    // Called once the file has been moved aside (at once if it already
    // was), from whichever thread moved it.
    void setMovedAsideHandler(std::function<void()> handler);
    // Set when another copy of the program keeps this record: nothing was
    // read from it and nothing is written to it.
    const std::optional<RecordHolder>& heldBy() const { return heldBy_; }
    // Called once per stop, from whichever thread finds it, with the problem
    // in words; at once when the store already failed to open.
    void setProblemHandler(std::function<void(const QString&)> handler);
    // Called, from the writer thread, when writing works again after it
    // failed, with what had been wrong and for how many seconds.
    void setRecoveryHandler(std::function<void(const QString& problem, double seconds)> handler);
    // After the record stopped: true while events wait to be written and
    // retry() may write them.
    bool canRetry() const;
    // Tries again at once, with every event still in memory.
    void retry();

    // The match the last run left without an end, found when the file was
    // opened (before this run recorded anything).
    const std::optional<InterruptedMatch>& interrupted() const { return interrupted_; }

    // Blocks until every event recorded so far is on disk, or one more try
    // to write them failed (they then wait in memory), or the record is
    // not being kept.
    void flush();

    // The current match, on the recording thread: its number in the file
    // (0 before the first MatchStarted, and until the file has it) and its
    // events so far. It is written to the file only once something has been
    // played in it; a resume of the interrupted match (MatchResumed from it)
    // makes that match the current one again, under its own number, its
    // earlier events included.
    bool matchOn() const { return match_ != 0; }
    qint64 currentMatch() const;
    const std::vector<RecordedEvent>& currentEvents() const { return current_; }
    // Hears each event of the current match as it is recorded, on the
    // recording thread; a MatchStarted means a new match has begun.
    void setListener(std::function<void(const RecordedEvent&)> listener) {
        listener_ = std::move(listener);
    }

private:
    struct Op {
        // Resume: the match goes on as the file's match `from`, or as a new
        // one when that file was found damaged and moved aside meanwhile.
        enum class Type { Start, Event, End, Resume } type = Type::Event;
        qint64 match = 0;
        RecordedEvent event;
        QString screen;
        QStringList teams;
        QString how;
        qint64 from = 0;
    };

    bool takeLock();
    void checkInBackground();
    void findInterrupted();
    // The current match has had play: its row and its events so far go to
    // the file (a start with no play never does).
    void keep();
    // Puts the interrupted match back as the current one.
    void continueInterrupted(double now);
    void enqueue(Op op, bool alive = false);
    void writerLoop();
    bool write(const std::deque<Op>& batch, qint64 aliveMatch, double aliveTime);
    void report(const QString& problem);

    Clock& clock_;
    StoreOptions options_;
    QString path_;
    QString movedAside_;
    bool movedForeign_ = false;
    std::unique_ptr<QLockFile> lock_;
    std::optional<RecordHolder> heldBy_;
    RecordStore store_;  // the writer thread's once it runs
    std::optional<InterruptedMatch> interrupted_;

    // The recording thread's: the match is known here by a number of this
    // run, which the writer turns into the file's number.
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

    // Shared with the writer, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable written_;
    std::deque<Op> queue_;
    qint64 queued_ = 0;
    qint64 done_ = 0;
    bool stop_ = false;
    bool hurry_ = false;
    bool broken_ = false;   // nothing is written this run
    bool stopped_ = false;  // writing failed too long; retry() resumes
    bool retryAsked_ = false;
    qint64 failedTries_ = 0;
    QString problem_;
    bool reported_ = false;
    std::function<void(const QString&)> handler_;
    std::function<void(const QString&, double)> recovered_;
    std::function<void()> movedAsideHandler_;
    bool checkPending_ = false;
    bool interruptedGone_ = false;  // the file it was in was moved aside
    std::map<qint64, qint64> ids_;  // this run's match numbers to the file's
    bool fileReplaced_ = false;     // the writer's: the file read at start was moved aside
    // The writer's: the summary of each match this run writes, as the file
    // has it (after the last batch that went in).
    struct Tally {
        MatchState state;
        qint64 events = 0;
    };
    std::map<qint64, Tally> tallies_;
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
