#pragma once

#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "app/matchboards.h"
#include "app/matchrecorder.h"

namespace live {

// The layout of the document below. A change that readers must learn about
// (a field renamed or given another meaning) raises it; new fields do not.
inline constexpr int kDocumentFormat = 1;

// A count-down as the boards show it: `seconds` on show at `since` (ms on the
// live clock), one less for every whole second since while it runs. The
// boards count ticks, not the time of day, so this is what they show give or
// take a late tick.
struct Countdown {
    bool shown = false;  // the response timer's digits may be blank
    bool running = false;
    int seconds = 0;
    qint64 since = 0;
    QString kind;  // the response timer's: "toss-up", "bonus", "auxiliary", "time-out"

    // The seconds on show at `now`. A running response timer stops below 1
    // (0, or one below a length of 0 or less); the match clock at 0.
    int timerSecondsAt(qint64 now) const;
    int clockSecondsAt(qint64 now) const;
};

// Who has buzzed in, as the play screen named them.
struct Buzz {
    int player = 0;
    QString name;
    int team = -1;
    QString teamName;
};

// The live match as the audience sees it, built from the events the windows
// report to the match record. Everything the page, the feed and the stream
// files show comes from here; nothing here reaches into a window.
class LiveState {
public:
    // Applies one event stamped `now` (ms on the live clock). True when
    // anything on show changed; the version then moves on by one.
    bool apply(record::EventKind kind, const QJsonObject& data, qint64 now);

    // The toss-up in play while a scoresheet is kept; 0 when none is.
    bool setTossUp(int number);

    // The whole state, the document served at /state (without the sending
    // time, which the server adds).
    QJsonObject document() const;

    quint64 version() const { return version_; }
    const QStringList& teams() const { return boards_.teams; }
    int score(int team) const;
    const std::optional<Buzz>& buzz() const { return buzz_; }
    // A word the play screen shows in place of a name: "Time Out", "Bonus",
    // "Timer Expired", "Clock Expired"; empty when none.
    const QString& status() const { return status_; }
    const Countdown& timer() const { return timer_; }
    const Countdown& clock() const { return clock_; }
    int tossUp() const { return tossUp_; }

private:
    bool settle(const QJsonObject& before);

    quint64 version_ = 0;
    // Names, scores and the clock, folded as the record folds them (in
    // seconds of the live clock).
    record::Boards boards_;
    std::optional<Buzz> buzz_;
    QString status_;
    Countdown timer_;
    Countdown clock_;
    int tossUp_ = 0;
    // How the last event cleared the boards ("space", "bonus", ...), when it
    // was a clear: what the event after it means depends on it.
    QString lastClear_;
};

}  // namespace live
