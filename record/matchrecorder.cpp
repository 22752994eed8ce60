#include "record/matchrecorder.h"

#include <array>
#include <utility>

namespace record {

namespace {

constexpr std::array<std::pair<EventKind, const char*>, 31> kNames{{
    {EventKind::ProgramStarted, "program-started"},
    {EventKind::ProgramEnded, "program-ended"},
    {EventKind::MatchStarted, "match-started"},
    {EventKind::Cleared, "cleared"},
    {EventKind::Armed, "armed"},
    {EventKind::BuzzIn, "buzz-in"},
    {EventKind::Tie, "tie"},
    {EventKind::SecondPlaceCaptured, "second-place-captured"},
    {EventKind::SecondPlaceReleased, "second-place-released"},
    {EventKind::TimerStarted, "timer-started"},
    {EventKind::TimerStopped, "timer-stopped"},
    {EventKind::TimerExpired, "timer-expired"},
    {EventKind::ClockStarted, "clock-started"},
    {EventKind::ClockStopped, "clock-stopped"},
    {EventKind::ClockExpired, "clock-expired"},
    {EventKind::ScoreChanged, "score-changed"},
    {EventKind::ScoreUndone, "score-undone"},
    {EventKind::ScoreRedone, "score-redone"},
    {EventKind::SetupOpened, "setup-opened"},
    {EventKind::SetupSaved, "setup-saved"},
    {EventKind::CommFailed, "comm-failed"},
    {EventKind::CommRecovered, "comm-recovered"},
    {EventKind::OptionChanged, "option-changed"},
    {EventKind::Decision, "decision"},
    {EventKind::MatchResumed, "match-resumed"},
    {EventKind::RulesChosen, "rules-chosen"},
    {EventKind::TossupStarted, "tossup-started"},
    {EventKind::Ruling, "ruling"},
    {EventKind::BonusPart, "bonus-part"},
    {EventKind::SheetCorrected, "sheet-corrected"},
    {EventKind::LineupChanged, "lineup-changed"},
}};

}  // namespace

QString kindName(EventKind kind) {
    for (const auto& [k, name] : kNames)
        if (k == kind) return QString::fromLatin1(name);
    return {};
}

bool kindFromName(const QString& name, EventKind& kind) {
    for (const auto& [k, n] : kNames)
        if (name == QLatin1String(n)) {
            kind = k;
            return true;
        }
    return false;
}

}  // namespace record
