#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "record/matchstate.h"
#include "record/recordstore.h"

class QLockFile;

namespace record {

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

// The record file in a folder.
QString recordFile(const QString& folder);

// The one owner of the record file: it takes the lock beside it, opens it,
// checks it on its own thread and moves it aside when it is damaged, and
// commits what it is handed in batches on that thread. A batch that cannot
// be written stays in memory and is tried again, less and less often; when
// it goes through the recovery handler hears so, once. A fault that lasts
// (StoreOptions::giveUpMs) stops the writing: the problem handler hears why,
// and retry() tries again with what is still in memory. When the file
// cannot be opened, or another copy of the program keeps it, nothing is
// written this run.
//
// Matches are known to it by numbers the caller gives (of this run); the
// file gives each its own number as its start goes in.
class RecordWriter {
public:
    // What goes to the file, in order.
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

    // Takes the lock and opens the file; the thread starts with start().
    explicit RecordWriter(StoreOptions options);
    // Writes what it can, and stops.
    ~RecordWriter();

    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // The file as opened, to be read before start(); null when it was not.
    RecordStore* openedStore() { return checkPending_ ? &store_ : nullptr; }
    void start();

    QString path() const { return path_; }
    const std::optional<RecordHolder>& heldBy() const { return heldBy_; }
    QString problem() const;
    QString movedAside() const;
    bool movedForeign() const;
    void setMovedAsideHandler(std::function<void()> handler);
    void setProblemHandler(std::function<void(const QString&)> handler);
    void setRecoveryHandler(std::function<void(const QString& problem, double seconds)> handler);
    bool canRetry() const;
    void retry();
    void flush();

    // From the thread that records. `alive` stamps the match as seen running
    // at the event's match time.
    void enqueue(Op op, bool alive = false);
    // No match is running any more.
    void noMatchAlive();
    // The file read at start was found damaged and moved aside: the matches
    // read from it are gone.
    bool fileReplaced() const;
    // A match the file already has goes on under this run's number `key`.
    void knowAs(qint64 key, qint64 fileId);
    // The file's number for this run's `key`; 0 until the file has it.
    qint64 fileId(qint64 key) const;

private:
    bool takeLock();
    void checkInBackground();
    void writerLoop();
    bool write(const std::deque<Op>& batch, qint64 aliveMatch, double aliveTime);
    void report(const QString& problem);

    StoreOptions options_;
    QString path_;
    QString movedAside_;
    bool movedForeign_ = false;
    std::unique_ptr<QLockFile> lock_;
    std::optional<RecordHolder> heldBy_;
    RecordStore store_;  // the writer thread's once it runs

    // Shared with the writer thread, under mutex_.
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
    bool replaced_ = false;         // the file read at start was moved aside
    std::map<qint64, qint64> ids_;  // this run's match numbers to the file's
    bool fileReplaced_ = false;     // the writer's own copy of replaced_
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

    std::thread thread_;
};

}  // namespace record
