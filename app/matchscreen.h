#pragma once

#include <cstdint>
#include <vector>

#include "app/screenpair.h"

class QWidget;

// What windows beside the original ones may ask of a play screen, in place
// of reaching into its widgets.
class MatchScreen {
public:
    virtual ScreenPair screenPair() const = 0;
    // The screen's window.
    virtual QWidget* screenWidget() = 0;

    // Puts an interrupted match back: its scores on the boards and its
    // clock, stopped, at `clockLeft` seconds, where the set-up menu hands it
    // to the screen when it comes to the front.
    virtual void restoreMatch(const std::vector<int>& scores, int clockLeft) = 0;

    // Another window talks to the interface for a while: the screen's own
    // poll and both its timers wait, until resumePlay puts back the timers
    // that were running.
    virtual void holdPlay() = 0;
    virtual void resumePlay() = 0;

    // One read of the USB lockout, as the screen's own poll reads it.
    virtual std::int16_t readUsbPort() = 0;

protected:
    ~MatchScreen() = default;
};
