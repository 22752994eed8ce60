#include "record/recordwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include "app/programfolder.h"

namespace record {

namespace {

using SteadyClock = std::chrono::steady_clock;

}  // namespace

QString recordFile(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("record.sqlite"));
}

RecordWriter::RecordWriter(StoreOptions options)
    : options_(std::move(options)), path_(recordFile(options_.folder)) {
    if (!takeLock()) {
        broken_ = true;
        // The operator is asked about this before anything else; there is
        // no box to come later.
        reported_ = true;
        problem_ = QStringLiteral("another copy of the program (process %1) keeps the record.")
                       .arg(heldBy_->pid);
    } else if (store_.open(path_, options_.busyMs, false)) {
        // Reading a large file through takes seconds: the writer does it,
        // while the windows come up and the first events wait for it.
        checkPending_ = true;
        movedAside_ = store_.movedAside();
        movedForeign_ = store_.movedForeign();
        if (options_.maxPageCount > 0) store_.setMaxPageCount(options_.maxPageCount);
    } else {
        broken_ = true;
        problem_ = store_.problem();
        store_.close();
    }
}

void RecordWriter::start() {
    thread_ = std::thread([this] { writerLoop(); });
}

RecordWriter::~RecordWriter() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    store_.close();
}

// One program at a time keeps a record: a second one would read the first
// one's live match as interrupted, and the two would write over each other's
// matches. The lock beside the file lasts as long as this object; one left
// by a process that has died is taken over.
bool RecordWriter::takeLock() {
    if (!makePrivateFolder(options_.folder)) return true;  // open() says why
    lock_ = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    if (lock_->error() != QLockFile::LockFailedError) return true;  // open() says why
    RecordHolder holder;
    QString host;
    QString app;
    lock_->getLockInfo(&holder.pid, &host, &app);
    holder.since = QFileInfo(lock_->fileName()).lastModified();
    heldBy_ = holder;
    lock_.reset();
    return false;
}

QString RecordWriter::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

void RecordWriter::setProblemHandler(std::function<void(const QString&)> handler) {
    QString now;
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
        if ((broken_ || stopped_) && !reported_ && handler_) {
            reported_ = true;
            now = problem_;
        }
    }
    if (!now.isEmpty()) handler_(now);
}

QString RecordWriter::movedAside() const {
    std::lock_guard lock(mutex_);
    return movedAside_;
}

bool RecordWriter::movedForeign() const {
    std::lock_guard lock(mutex_);
    return movedForeign_;
}

void RecordWriter::setMovedAsideHandler(std::function<void()> handler) {
    bool now = false;
    {
        std::lock_guard lock(mutex_);
        movedAsideHandler_ = std::move(handler);
        now = !movedAside_.isEmpty();
    }
    if (now && movedAsideHandler_) movedAsideHandler_();
}

// On the writer thread, before its first write: damage inside the file is
// found now rather than by the first write that touches it, and the file is
// then moved aside and a fresh one started.
void RecordWriter::checkInBackground() {
    if (options_.checking) options_.checking();
    if (store_.check() || store_.failure() != StoreFailure::Corrupt) return;
    store_.close();
    const bool reopened = store_.open(path_, options_.busyMs, true);
    std::function<void()> handler;
    std::function<void(const QString&)> problemHandler;
    const QString problem = store_.problem();
    {
        std::lock_guard lock(mutex_);
        // Whatever was read from the file at start was in the file now moved
        // aside, and so is any number a resume has taken from it meanwhile.
        replaced_ = true;
        fileReplaced_ = true;
        ids_.clear();
        if (reopened) {
            movedAside_ = store_.movedAside();
            movedForeign_ = store_.movedForeign();
            handler = movedAsideHandler_;
        } else {
            // As when the file cannot be opened at start.
            broken_ = true;
            problem_ = problem;
            if (!reported_ && handler_) {
                reported_ = true;
                problemHandler = handler_;
            }
        }
    }
    if (reopened && options_.maxPageCount > 0) store_.setMaxPageCount(options_.maxPageCount);
    if (handler) handler();
    if (problemHandler) problemHandler(problem);
}

void RecordWriter::setRecoveryHandler(std::function<void(const QString&, double)> handler) {
    std::lock_guard lock(mutex_);
    recovered_ = std::move(handler);
}

bool RecordWriter::canRetry() const {
    std::lock_guard lock(mutex_);
    return stopped_ && !broken_;
}

void RecordWriter::retry() {
    {
        std::lock_guard lock(mutex_);
        if (!stopped_) return;
        retryAsked_ = true;
    }
    wake_.notify_one();
}

void RecordWriter::enqueue(Op op, bool alive) {
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        if (alive) {
            // The match is seen running at this event's time.
            aliveMatch_ = op.match;
            aliveTime_ = op.event.matchTime;
            aliveAt_ = SteadyClock::now();
        }
        first = queue_.empty();
        queue_.push_back(std::move(op));
        ++queued_;
    }
    // Only the first event of a batch wakes the writer: a buzz-in reports
    // several at once, and waking a thread on a busy machine can cost the
    // window's thread its turn.
    if (first) wake_.notify_one();
}

void RecordWriter::noMatchAlive() {
    std::lock_guard lock(mutex_);
    aliveMatch_ = 0;
}

bool RecordWriter::fileReplaced() const {
    std::lock_guard lock(mutex_);
    return replaced_;
}

void RecordWriter::knowAs(qint64 key, qint64 fileId) {
    std::lock_guard lock(mutex_);
    ids_[key] = fileId;
}

qint64 RecordWriter::fileId(qint64 key) const {
    std::lock_guard lock(mutex_);
    const auto it = ids_.find(key);
    return it == ids_.end() ? 0 : it->second;
}

void RecordWriter::report(const QString& problem) {
    std::function<void(const QString&)> handler;
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        problem_ = problem;
        if (reported_ || !handler_) return;
        reported_ = true;
        handler = handler_;
    }
    handler(problem);
}

void RecordWriter::flush() {
    std::unique_lock lock(mutex_);
    const qint64 target = queued_;
    const qint64 failed = failedTries_;
    hurry_ = true;
    wake_.notify_one();
    written_.wait(lock,
                  [&] { return done_ >= target || failedTries_ > failed || stopped_ || broken_; });
}

void RecordWriter::writerLoop() {
    // The match the program was last seen running, noted in the file about
    // once a second so that a running match clock can be given back as it
    // stood when the program died.
    auto lastAliveWrite = SteadyClock::now();
    // What is not yet in the file, oldest first, and since when writing it
    // has failed.
    std::deque<Op> pending;
    bool failing = false;
    auto failingSince = SteadyClock::now();
    auto giveUpFrom = SteadyClock::now();
    auto nextTry = SteadyClock::now();
    int pause = 0;
    QString lastProblem;
    if (checkPending_) checkInBackground();

    std::unique_lock lock(mutex_);
    for (;;) {
        const bool waiting = failing && !stopped_;
        // A failing batch is retried at its time; new events join it then.
        wake_.wait_until(
            lock, waiting ? nextTry : SteadyClock::now() + std::chrono::seconds(1),
            [&] { return stop_ || hurry_ || retryAsked_ || (!queue_.empty() && !failing); });
        if (!queue_.empty() && !stop_ && !hurry_ && !failing) {
            // Gather what follows closely, so a burst is one commit.
            wake_.wait_for(lock, std::chrono::milliseconds(options_.batchMs),
                           [&] { return stop_ || hurry_; });
        }
        const bool hurry = hurry_ || retryAsked_;
        if (retryAsked_) {
            stopped_ = false;
            giveUpFrom = SteadyClock::now();
        }
        hurry_ = false;
        retryAsked_ = false;
        for (Op& op : queue_)
            pending.push_back(std::move(op));
        queue_.clear();
        const bool broken = broken_;
        const bool stopped = stopped_;
        const bool stopping = stop_;
        qint64 aliveMatch = aliveMatch_;
        double aliveTime = 0.0;
        if (aliveMatch != 0) {
            aliveTime =
                aliveTime_ + std::chrono::duration<double>(SteadyClock::now() - aliveAt_).count();
        }
        lock.unlock();

        const auto now = SteadyClock::now();
        const bool noteAlive = aliveMatch != 0 && now - lastAliveWrite >= std::chrono::seconds(1);
        const bool due = !failing || now >= nextTry || hurry || stopping;
        qint64 written = 0;
        bool failed = false;
        std::function<void(const QString&, double)> recovered;
        double failedFor = 0.0;
        bool recoveredNow = false;
        if (broken) {
            // Nothing goes to the file this run; the events are in memory.
            written = qint64(pending.size());
            pending.clear();
        } else if (!stopped && due && (!pending.empty() || noteAlive)) {
            if (write(pending, noteAlive ? aliveMatch : 0, aliveTime)) {
                if (noteAlive) lastAliveWrite = now;
                written = qint64(pending.size());
                pending.clear();
                if (failing) {
                    failedFor = std::chrono::duration<double>(now - failingSince).count();
                    failing = false;
                    recoveredNow = true;
                    pause = 0;
                }
            } else {
                failed = true;
                lastProblem = store_.problem();
                if (!failing) {
                    failing = true;
                    failingSince = giveUpFrom = now;
                }
                pause = std::clamp(pause * 2, 50, options_.retryMaxMs);
                nextTry = SteadyClock::now() + std::chrono::milliseconds(pause);
            }
        }
        if (failed && !stopping &&
            SteadyClock::now() - giveUpFrom >= std::chrono::milliseconds(options_.giveUpMs)) {
            // Tried again only when the operator asks.
            pause = 0;
            report(lastProblem);
        }

        lock.lock();
        done_ += written;
        if (failed) ++failedTries_;
        if (recoveredNow) {
            recovered = recovered_;
            // A later stop is a new one, to be told again.
            problem_.clear();
            reported_ = false;
        }
        written_.notify_all();
        if (stopping && (pending.empty() || failed || stopped_ || broken_)) break;
        if (recovered) {
            lock.unlock();
            recovered(lastProblem, failedFor);
            lock.lock();
        }
    }
}

bool RecordWriter::write(const std::deque<Op>& batch, qint64 aliveMatch, double aliveTime) {
    if (!store_.begin()) return false;
    // The numbers the file gives this batch's matches count only once the
    // batch is in.
    std::map<qint64, qint64> added;
    auto idOf = [&](qint64 key) -> qint64 {
        if (const auto it = added.find(key); it != added.end()) return it->second;
        std::lock_guard lock(mutex_);
        const auto it = ids_.find(key);
        return it == ids_.end() ? 0 : it->second;
    };
    // Each match's summary goes in with its events, in the same
    // transaction; what this batch adds to it counts only once it is in.
    std::map<qint64, Tally> tallies;
    std::vector<qint64> ended;
    auto tallyOf = [&](qint64 key) -> Tally& {
        if (const auto it = tallies.find(key); it != tallies.end()) return it->second;
        const auto known = tallies_.find(key);
        return tallies[key] = known != tallies_.end() ? known->second : Tally();
    };
    bool ok = true;
    for (const Op& op : batch) {
        switch (op.type) {
        case Op::Type::Start: {
            const qint64 id = store_.insertMatch(op.event.wallMs, op.screen, op.teams);
            ok = id != 0;
            added[op.match] = id;
            tallies[op.match] = Tally();
            break;
        }
        case Op::Type::Resume: {
            const qint64 id =
                fileReplaced_ ? store_.insertMatch(op.event.wallMs, op.screen, op.teams) : op.from;
            ok = id != 0;
            added[op.match] = id;
            // The match goes on from the summary the file has of it: the
            // names and scores are all the fold of later events needs.
            Tally tally;
            if (const std::optional<MatchSummary> m =
                    fileReplaced_ ? std::nullopt : store_.match(id)) {
                tally.state.teams = m->names;
                tally.state.scores = m->scores;
                tally.events = m->events;
            }
            tallies[op.match] = std::move(tally);
            break;
        }
        case Op::Type::Event: {
            ok = store_.insertEvent(idOf(op.match), op.event);
            Tally& tally = tallyOf(op.match);
            apply(tally.state, op.event);
            ++tally.events;
            break;
        }
        case Op::Type::End:
            ok = store_.endMatch(idOf(op.match), op.event.wallMs, op.how);
            ended.push_back(op.match);
            break;
        }
        if (!ok) break;
    }
    for (auto it = tallies.begin(); ok && it != tallies.end(); ++it) {
        const Tally& t = it->second;
        ok = store_.setSummary(idOf(it->first), t.state.teams, t.state.scores, t.events);
    }
    if (ok && aliveMatch != 0) ok = store_.setLastAlive(idOf(aliveMatch), aliveTime);
    if (ok && store_.commit()) {
        for (auto& [key, tally] : tallies)
            tallies_[key] = std::move(tally);
        for (qint64 key : ended)
            tallies_.erase(key);
        std::lock_guard lock(mutex_);
        for (const auto& [key, id] : added)
            ids_[key] = id;
        return true;
    }
    store_.rollback();
    return false;
}

}  // namespace record
