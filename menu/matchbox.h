#pragma once

#include <QString>

// The set-up menus' match box holds the match time ("15:00"), or while the
// menu is up the clock's remaining time.
namespace matchbox {

// Whether the box says the match has no time left (the clock ran out or was
// switched off): both its leading number and the number its last two
// characters form are 0. "0:00", "0" and an empty box read as zero; "0:30"
// does not.
bool readsAsZero(const QString& text);

// Whether the box holds a time at all by its minutes: a leading number other
// than 0 ("15:00" yes; "0:30", "0:00" and "" no).
bool hasMinutes(const QString& text);

}  // namespace matchbox
