#pragma once

#include <functional>
#include <vector>

#include "buttons/inputevent.h"

namespace buttons {

// Which devices a source opens. A device nobody wants is never opened for
// reading, let alone grabbed: a keyboard that is not a buzzer keeps typing.
struct Selection {
    std::function<bool(const DeviceIdentity&)> wanted;
    // Grabbed devices send their keys to us alone, so buttons on a spare
    // keyboard do not type into the operator's windows.
    bool grab = false;
};

// Where presses come from: Linux input devices in the program, a script in
// tests. Everything runs on the interface thread; drain never blocks.
class PressSource {
public:
    virtual ~PressSource() = default;

    virtual void setSelection(Selection selection) = 0;

    // Appends every device change and event that has arrived since the last
    // call. Events come in the order they were read, which across devices is
    // not the order they happened in.
    virtual void drain(std::vector<DeviceChange>& changes, std::vector<InputEvent>& events) = 0;
};

}  // namespace buttons
