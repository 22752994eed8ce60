#include "live/livestate.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QJsonArray>

namespace live {

using record::EventKind;

namespace {

// Whole seconds the boards have ticked off since `since`.
qint64 ticksSince(qint64 since, qint64 now) { return now > since ? (now - since) / 1000 : 0; }

QJsonObject countdownJson(const Countdown& c, bool withKind) {
    QJsonObject o{{QStringLiteral("running"), c.running},
                  {QStringLiteral("seconds"), c.seconds},
                  {QStringLiteral("since"), c.since}};
    if (withKind) {
        o.insert(QStringLiteral("shown"), c.shown);
        o.insert(QStringLiteral("kind"), c.kind);
    }
    return o;
}

}  // namespace

int Countdown::timerSecondsAt(qint64 now) const {
    if (!running) return seconds;
    const int floor = seconds > 0 ? 0 : seconds - 1;
    return static_cast<int>(std::max<qint64>(floor, seconds - ticksSince(since, now)));
}

int Countdown::clockSecondsAt(qint64 now) const {
    if (!running) return seconds;
    return static_cast<int>(std::max<qint64>(0, seconds - ticksSince(since, now)));
}

int LiveState::score(int team) const { return boards_.score(team); }

bool LiveState::settle(const QJsonObject& before) {
    if (document() == before) return false;
    ++version_;
    return true;
}

bool LiveState::apply(EventKind kind, const QJsonObject& data, qint64 now) {
    const QJsonObject before = document();
    // How the event just before this one cleared the boards, if it was a
    // clear.
    const QString clearedBefore = std::exchange(lastClear_, QString());
    auto stopTimer = [&](int left) {
        timer_.running = false;
        timer_.seconds = left;
        timer_.since = now;
    };
    // Names, scores and the clock: the fold the record uses.
    if (record::fold(boards_, kind, data, static_cast<double>(now) / 1000.0)) {
        clock_.seconds = static_cast<int>(std::lround(boards_.clockLeft));
        clock_.running = boards_.clockRunning;
        clock_.since = std::llround(boards_.clockSince * 1000.0);
    }

    switch (kind) {
    case EventKind::BuzzIn:
    case EventKind::SecondPlaceReleased:
        buzz_ = Buzz{data.value(QStringLiteral("player")).toInt(),
                     data.value(QStringLiteral("name")).toString(),
                     data.value(QStringLiteral("team")).toInt(-1),
                     data.value(QStringLiteral("teamName")).toString()};
        status_.clear();
        break;
    case EventKind::Cleared: {
        buzz_.reset();
        status_.clear();
        // A clear blanks a stopped timer's digits; a running one (the timer
        // continues) shows again on its next tick.
        if (!timer_.running) timer_.shown = false;
        lastClear_ = data.value(QStringLiteral("how")).toString();
        break;
    }
    case EventKind::TimerStarted: {
        const QString timerKind = data.value(QStringLiteral("kind")).toString();
        timer_.kind = timerKind;
        timer_.shown = true;
        timer_.running = true;
        timer_.seconds = data.value(QStringLiteral("seconds")).toInt();
        timer_.since = now;
        if (timerKind == QLatin1String("time-out")) {
            status_ = QStringLiteral("Time Out");
        } else if (timerKind == QLatin1String("bonus") && clearedBefore != QLatin1String("bonus")) {
            // A bonus that takes no buzz-ins says so where the name goes.
            status_ = QStringLiteral("Bonus");
        }
        break;
    }
    case EventKind::TimerStopped:
        stopTimer(data.value(QStringLiteral("left")).toInt(timer_.timerSecondsAt(now)));
        // Stopped by a buzz-in, the digits stay frozen; stopped by a clear,
        // they are blanked with it.
        if (!clearedBefore.isEmpty()) timer_.shown = false;
        break;
    case EventKind::TimerExpired:
        stopTimer(timer_.seconds > 0 ? 0 : timer_.seconds - 1);
        timer_.kind.clear();
        status_ = QStringLiteral("Timer Expired");
        break;
    case EventKind::ClockStarted:
        // Starting the clock blanks the response timer.
        timer_.shown = false;
        timer_.running = false;
        break;
    case EventKind::ClockExpired: status_ = QStringLiteral("Clock Expired"); break;
    default:
        // The rest (set-up files, options, the link's health, how a buzz-in
        // was decided) is nothing the audience sees.
        break;
    }
    return settle(before);
}

bool LiveState::setTossUp(int number) {
    const QJsonObject before = document();
    tossUp_ = std::max(0, number);
    return settle(before);
}

QJsonObject LiveState::document() const {
    QJsonArray teams;
    for (int team = 0; team < boards_.teams.size(); ++team)
        teams.append(QJsonObject{{QStringLiteral("name"), boards_.teams[team]},
                                 {QStringLiteral("score"), score(team)}});
    QJsonValue buzz = QJsonValue::Null;
    if (buzz_) {
        buzz = QJsonObject{{QStringLiteral("player"), buzz_->player},
                           {QStringLiteral("name"), buzz_->name},
                           {QStringLiteral("team"), buzz_->team},
                           {QStringLiteral("teamName"), buzz_->teamName}};
    }
    return {{QStringLiteral("format"), kDocumentFormat},
            {QStringLiteral("version"), static_cast<qint64>(version_)},
            {QStringLiteral("screen"), boards_.screen},
            {QStringLiteral("teams"), teams},
            {QStringLiteral("buzz"), buzz},
            {QStringLiteral("status"), status_},
            {QStringLiteral("timer"), countdownJson(timer_, true)},
            {QStringLiteral("clock"), countdownJson(clock_, false)},
            {QStringLiteral("tossup"), tossUp_ > 0 ? QJsonValue(tossUp_) : QJsonValue::Null}};
}

}  // namespace live
