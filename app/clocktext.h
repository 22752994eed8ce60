#pragma once

#include <algorithm>

#include <QString>

// "7:05": minutes and two-digit seconds, the match clock as the record and
// the live page write it (never below 0:00).
inline QString matchClockText(int seconds) {
    seconds = std::max(0, seconds);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
