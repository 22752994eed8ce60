#pragma once

#include <cstdint>
#include <memory>

#include "link/screenlink.h"

class Program;
class QObject;

// The USB lockout's poll (model 199, on the 2-team 4-player screen): each
// tick reads the module's port 0 through its control and hands a press to
// the screen's link, which shows the player as the parallel-port boxes'
// decoders do. The control is created from the program's object host at the
// first reading.
class UsbPoll {
public:
    UsbPoll(Program& program, buzzlink::ScreenLink& link, buzzlink::LinkView& view);
    ~UsbPoll();
    UsbPoll(const UsbPoll&) = delete;
    UsbPoll& operator=(const UsbPoll&) = delete;

    // One tick: the reading shown as the diagnostic, and a press decoded.
    void tick();
    // One reading of port 0 as the tick takes it: 255 is nobody pressing,
    // 0 no reading.
    std::int16_t readPort();
    // The module's control, once the first reading has asked for it;
    // nullptr before that and when its plugin is not installed.
    QObject* control() const { return control_.get(); }

private:
    Program& program_;
    buzzlink::ScreenLink& link_;
    buzzlink::LinkView& view_;
    std::unique_ptr<QObject> control_;
    bool asked_ = false;
};
