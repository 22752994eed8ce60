#include "record/storerecorder.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>

namespace record {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Kinds that say nothing about play: a match holding only these is not
// worth offering back.
bool isPlay(EventKind kind) {
    switch (kind) {
    case EventKind::ProgramStarted:
    case EventKind::ProgramEnded:
    case EventKind::MatchStarted:
    case EventKind::OptionChanged:
    case EventKind::SetupOpened:
    case EventKind::SetupSaved:
    case EventKind::NamesChanged: return false;
    default: return true;
    }
}

QStringList teamsOf(const QJsonObject& data) {
    QStringList teams;
    for (const QJsonValue& v : data.value(QLatin1String("teams")).toArray())
        teams << v.toString();
    return teams;
}

}  // namespace

QString recordFile(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("record.sqlite"));
}

StoreRecorder::StoreRecorder(Clock& clock, StoreOptions options)
    : clock_(clock), options_(std::move(options)), path_(recordFile(options_.folder)) {
    if (store_.open(path_, options_.busyMs, true)) {
        movedAside_ = store_.movedAside();
        if (options_.maxPageCount > 0) store_.setMaxPageCount(options_.maxPageCount);
        nextId_ = store_.maxMatchId() + 1;
        findInterrupted();
    } else {
        broken_ = true;
        problem_ = store_.problem();
        store_.close();
    }
    writer_ = std::thread([this] { writerLoop(); });
}

StoreRecorder::~StoreRecorder() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    writer_.join();
}

void StoreRecorder::findInterrupted() {
    const std::vector<MatchSummary> all = store_.matches();
    // A run killed again before anything was played leaves an empty match
    // after the one worth resuming; look past a few of those.
    int looked = 0;
    for (auto it = all.rbegin(); it != all.rend() && looked < 4; ++it, ++looked) {
        if (it->endedMs) return;
        const std::vector<RecordedEvent> events = store_.events(it->id);
        if (std::none_of(events.begin(), events.end(),
                         [](const RecordedEvent& e) { return isPlay(e.kind); })) {
            continue;
        }
        InterruptedMatch found;
        found.match = *it;
        found.state = replay(events);
        found.reached = std::max(found.state.lastTime, it->lastAlive);
        found.clockLeft = found.state.clockLeftAt(found.reached);
        found.events = events;
        interrupted_ = std::move(found);
        return;
    }
}

QString StoreRecorder::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

void StoreRecorder::setProblemHandler(std::function<void(const QString&)> handler) {
    QString now;
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
        if (broken_ && !reported_ && handler_) {
            reported_ = true;
            now = problem_;
        }
    }
    if (!now.isEmpty()) handler_(now);
}

void StoreRecorder::report(const QString& problem) {
    std::function<void(const QString&)> handler;
    {
        std::lock_guard lock(mutex_);
        broken_ = true;
        if (problem_.isEmpty()) problem_ = problem;
        if (reported_ || !handler_) return;
        reported_ = true;
        handler = handler_;
    }
    handler(problem);
}

void StoreRecorder::record(EventKind kind, const QJsonObject& data) {
    const double now = clock_.now();
    const qint64 wall = QDateTime::currentMSecsSinceEpoch();
    RecordedEvent event{kind, 0.0, wall, data};

    if (kind == EventKind::MatchStarted) {
        if (match_ != 0 && kept_) {
            Op end;
            end.type = Op::Type::End;
            end.match = match_;
            end.event.wallMs = wall;
            end.how = QStringLiteral("new-match");
            enqueue(std::move(end));
        } else if (match_ != 0) {
            // A start with no play in it is no match: what was said in it
            // belongs to the one starting now, under the same number.
            for (const RecordedEvent& e : current_) {
                if (e.kind != EventKind::MatchStarted)
                    beforeMatch_.emplace_back(matchStart_ + e.matchTime, e);
            }
            nextId_ = match_;
        }
        match_ = nextId_++;
        kept_ = false;
        matchStart_ = now;
        matchStartedMs_ = wall;
        matchScreen_ = data.value(QLatin1String("screen")).toString();
        matchTeams_ = teamsOf(data);
        current_.clear();
        // What happened while no match was on belongs to this one.
        for (auto& [time, before] : beforeMatch_) {
            before.matchTime = time - now;
            current_.push_back(before);
        }
        beforeMatch_.clear();
    } else if (match_ == 0) {
        beforeMatch_.emplace_back(now, event);
        return;
    } else if (kind == EventKind::MatchResumed && !kept_ && interrupted_ &&
               data.value(QLatin1String("from")).toInteger() == interrupted_->match.id) {
        continueInterrupted(now);
    }

    event.matchTime = now - matchStart_;
    current_.push_back(event);
    if (!kept_ && isPlay(kind)) keep();
    if (kept_) enqueue(Op{Op::Type::Event, match_, event, {}, {}, {}}, true);

    if (kind == EventKind::ProgramEnded) {
        if (kept_) {
            Op end;
            end.type = Op::Type::End;
            end.match = match_;
            end.event.wallMs = wall;
            end.how = data.value(QLatin1String("how")).toString();
            enqueue(std::move(end));
        }
        std::lock_guard lock(mutex_);
        aliveMatch_ = 0;
    }
    if (listener_) listener_(event);
    if (kind == EventKind::ProgramEnded) {
        match_ = 0;
        kept_ = false;
    }
}

void StoreRecorder::keep() {
    kept_ = true;
    Op start;
    start.type = Op::Type::Start;
    start.match = match_;
    start.event.wallMs = matchStartedMs_;
    start.screen = matchScreen_;
    start.teams = matchTeams_;
    enqueue(std::move(start));
    // The event just recorded is enqueued by the caller.
    for (std::size_t i = 0; i + 1 < current_.size(); ++i)
        enqueue(Op{Op::Type::Event, match_, current_[i], {}, {}, {}});
}

void StoreRecorder::continueInterrupted(double now) {
    // The match started in this run had nothing played in it and takes no
    // number; its other events (the program starting, options) go on in
    // the interrupted match, at the time it had got to, and its time goes
    // on from there.
    const InterruptedMatch& m = *interrupted_;
    nextId_ = match_;
    const double start = now - m.reached;
    std::vector<RecordedEvent> carried;
    for (RecordedEvent e : current_) {
        if (e.kind == EventKind::MatchStarted) continue;
        e.matchTime = m.reached;
        carried.push_back(e);
    }
    match_ = m.match.id;
    matchStart_ = start;
    kept_ = true;
    current_ = m.events;
    for (const RecordedEvent& e : carried) {
        current_.push_back(e);
        enqueue(Op{Op::Type::Event, match_, e, {}, {}, {}});
    }
    interrupted_.reset();
}

void StoreRecorder::enqueue(Op op, bool alive) {
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

void StoreRecorder::flush() {
    std::unique_lock lock(mutex_);
    const qint64 target = queued_;
    hurry_ = true;
    wake_.notify_one();
    written_.wait(lock, [&] { return done_ >= target; });
}

void StoreRecorder::writerLoop() {
    // The match the program was last seen running, noted in the file about
    // once a second so that a running match clock can be given back as it
    // stood when the program died.
    auto lastAliveWrite = SteadyClock::now();

    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, std::chrono::seconds(1),
                       [&] { return stop_ || hurry_ || !queue_.empty(); });
        if (!queue_.empty() && !stop_ && !hurry_) {
            // Gather what follows closely, so a burst is one commit.
            wake_.wait_for(lock, std::chrono::milliseconds(options_.batchMs),
                           [&] { return stop_ || hurry_; });
        }
        hurry_ = false;
        std::vector<Op> batch(std::make_move_iterator(queue_.begin()),
                              std::make_move_iterator(queue_.end()));
        queue_.clear();
        const bool broken = broken_;
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
        if (!broken && (!batch.empty() || noteAlive)) {
            if (write(batch, noteAlive ? aliveMatch : 0, aliveTime)) {
                if (noteAlive) lastAliveWrite = now;
            } else {
                report(store_.problem());
                store_.close();
            }
        }

        lock.lock();
        done_ += qint64(batch.size());
        written_.notify_all();
        if (stopping && queue_.empty()) break;
    }
}

bool StoreRecorder::write(const std::vector<Op>& batch, qint64 aliveMatch, double aliveTime) {
    if (!store_.begin()) return false;
    bool ok = true;
    for (const Op& op : batch) {
        switch (op.type) {
        case Op::Type::Start:
            ok = store_.insertMatch(op.match, op.event.wallMs, op.screen, op.teams);
            break;
        case Op::Type::Event: ok = store_.insertEvent(op.match, op.event); break;
        case Op::Type::End: ok = store_.endMatch(op.match, op.event.wallMs, op.how); break;
        }
        if (!ok) break;
    }
    if (ok && aliveMatch != 0) ok = store_.setLastAlive(aliveMatch, aliveTime);
    if (ok && store_.commit()) return true;
    store_.rollback();
    return false;
}

}  // namespace record
