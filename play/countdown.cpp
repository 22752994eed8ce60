#include "play/countdown.h"

#include "app/numbers.h"

namespace countdown {

namespace {

std::int16_t part(const QString& text) { return numbers::textToInt16(text).value_or(0); }

std::int16_t lessOne(std::int16_t value) { return numbers::saturatingAdd(value, -1); }

}  // namespace

ClockTime readMatchTime(const QString& text) { return {part(text.left(3)), part(text.right(2))}; }

QString clockText(ClockTime time) {
    QString seconds = QString::number(time.seconds);
    if (time.seconds < 10) {
        seconds.prepend(QLatin1Char('0'));
    } else if (time.seconds > 99) {
        seconds = seconds.right(2);
    }
    return QLatin1Char(' ') + QString::number(time.minutes) + QLatin1Char(':') + seconds;
}

ClockTime clockStep(ClockTime time, bool running) {
    if (time.seconds == 0 && running) {
        time.seconds = 60;
        time.minutes = lessOne(time.minutes);
    }
    time.seconds = lessOne(time.seconds);
    if (time.seconds < 0) time.seconds = 0;
    return time;
}

std::int16_t timerStep(std::int16_t secondsLeft) { return lessOne(secondsLeft); }

std::int16_t readLength(const QString& text) { return part(text); }

}  // namespace countdown
