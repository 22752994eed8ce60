#include "record/matchbook.h"

#include <algorithm>

#include <QDateTime>
#include <QJsonArray>

#include "app/matchboards.h"

namespace record {

namespace {

// Kinds that say nothing about play: a match holding only these is not
// worth offering back.
bool isPlay(EventKind kind) {
    switch (kind) {
    case EventKind::ProgramStarted:
    case EventKind::ProgramEnded:
    case EventKind::MatchEnded:
    case EventKind::MatchStarted:
    case EventKind::OptionChanged:
    case EventKind::SetupOpened:
    case EventKind::SetupSaved:
    case EventKind::NamesChanged:
    // The rules and the lineups are said at every start, played or not.
    case EventKind::RulesChosen:
    case EventKind::PacketChosen:
    case EventKind::LineupChanged: return false;
    default: return true;
    }
}

}  // namespace

std::optional<InterruptedMatch> findInterrupted(RecordStore& store) {
    const std::vector<MatchSummary> all = store.matches();
    // A run killed again before anything was played leaves an empty match
    // after the one worth resuming; look past a few of those.
    int looked = 0;
    for (auto it = all.rbegin(); it != all.rend() && looked < 4; ++it, ++looked) {
        if (it->endedMs) return std::nullopt;
        const std::vector<RecordedEvent> events = store.events(it->id);
        if (std::none_of(events.begin(), events.end(),
                         [](const RecordedEvent& e) { return isPlay(e.kind); })) {
            continue;
        }
        InterruptedMatch found;
        found.match = *it;
        found.state = replay(events);
        found.reached = std::max(found.state.lastTime, it->lastAlive);
        found.clockLeft = found.state.clockLeftAt(found.reached);
        found.lastHeardMs = std::max(events.back().wallMs,
                                     it->startedMs + qint64(std::max(0.0, it->lastAlive) * 1000));
        found.events = events;
        return found;
    }
    return std::nullopt;
}

MatchBook::MatchBook(Clock& clock, RecordWriter& writer,
                     std::optional<InterruptedMatch> interrupted)
    : clock_(clock), writer_(writer), interrupted_(std::move(interrupted)) {}

void MatchBook::record(EventKind kind, const QJsonObject& data) {
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
            writer_.enqueue(std::move(end));
        } else if (match_ != 0) {
            // A start with no play in it is no match: what was said in it
            // belongs to the one starting now. It never reached the file,
            // so the file gives no number to it.
            for (const RecordedEvent& e : current_) {
                if (e.kind != EventKind::MatchStarted)
                    beforeMatch_.emplace_back(matchStart_ + e.matchTime, e);
            }
        }
        match_ = nextKey_++;
        kept_ = false;
        matchStart_ = now;
        matchStartedMs_ = wall;
        const NamesData names = readNames(kind, data).value_or(NamesData());
        matchScreen_ = names.screen;
        matchTeams_ = names.teams;
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
        // A file found damaged after start was moved aside with the match
        // in it: the resumed match is then a new one in the fresh file.
        if (writer_.fileReplaced())
            interrupted_.reset();
        else
            continueInterrupted(now);
    }

    event.matchTime = now - matchStart_;
    current_.push_back(event);
    if (!kept_ && isPlay(kind)) keep();
    if (kept_) writer_.enqueue(Op{Op::Type::Event, match_, event, {}, {}, {}}, true);

    const bool ends = kind == EventKind::ProgramEnded || kind == EventKind::MatchEnded;
    if (ends) {
        if (kept_) {
            Op end;
            end.type = Op::Type::End;
            end.match = match_;
            end.event.wallMs = wall;
            end.how = data.value(QLatin1String("how")).toString();
            writer_.enqueue(std::move(end));
        }
        writer_.noMatchAlive();
    }
    if (listener_) listener_(event);
    if (ends) {
        match_ = 0;
        kept_ = false;
    }
}

void MatchBook::keep() {
    kept_ = true;
    Op start;
    start.type = Op::Type::Start;
    start.match = match_;
    start.event.wallMs = matchStartedMs_;
    start.screen = matchScreen_;
    start.teams = matchTeams_;
    writer_.enqueue(std::move(start));
    // The event just recorded is enqueued by the caller.
    for (std::size_t i = 0; i + 1 < current_.size(); ++i)
        writer_.enqueue(Op{Op::Type::Event, match_, current_[i], {}, {}, {}});
}

void MatchBook::continueInterrupted(double now) {
    // The match started in this run had nothing played in it and takes no
    // number; its other events (the program starting, options) go on in
    // the interrupted match, at the time it had got to, and its time goes
    // on from there.
    const InterruptedMatch& m = *interrupted_;
    const double start = now - m.reached;
    std::vector<RecordedEvent> carried;
    for (RecordedEvent e : current_) {
        // The rules and lineups said at that start were for a new match; the
        // resumed one goes on under its own.
        if (e.kind == EventKind::MatchStarted || e.kind == EventKind::RulesChosen ||
            e.kind == EventKind::LineupChanged)
            continue;
        e.matchTime = m.reached;
        carried.push_back(e);
    }
    // A number of this run for the match the file already has. The check
    // of the file may still be running: the writer settles whether that
    // number still holds or the match is a new one in a fresh file.
    match_ = nextKey_++;
    writer_.knowAs(match_, m.match.id);
    Op resume;
    resume.type = Op::Type::Resume;
    resume.match = match_;
    resume.from = m.match.id;
    resume.event.wallMs = m.match.startedMs;
    resume.screen = m.match.screen;
    resume.teams = m.match.teams;
    writer_.enqueue(std::move(resume));
    matchStart_ = start;
    kept_ = true;
    current_ = m.events;
    for (const RecordedEvent& e : carried) {
        current_.push_back(e);
        writer_.enqueue(Op{Op::Type::Event, match_, e, {}, {}, {}});
    }
    interrupted_.reset();
}

}  // namespace record
