#pragma once

#include <map>
#include <vector>

#include "buttons/presssource.h"

namespace buttons {

// A source the tests script: devices come and go, buttons go down at given
// kernel times. It keeps to the selection as the real source does: a device
// that is not wanted is never opened, and what its buttons do is never
// read.
class ScriptedPressSource final : public PressSource {
public:
    void setSelection(Selection selection) override;
    void drain(std::vector<DeviceChange>& changes, std::vector<InputEvent>& events) override;

    // A device is plugged in (its `id` is the one events name).
    void plug(const DeviceInfo& device);
    // Its node reads as not ours to open (as before a udev rule is in place).
    void plugDenied(const DeviceInfo& device);
    // Another program has grabbed it already: it opens, but cannot be ours
    // alone.
    void plugBusy(const DeviceInfo& device);
    void unplug(int id);

    // A key event; events read in one drain come out in the order given,
    // whatever their times.
    void key(int device, int code, std::int64_t timeUs, std::int32_t value = kKeyDown);
    // Several keys of one device in one report: one timestamp.
    void keysTogether(int device, const std::vector<int>& codes, std::int64_t timeUs);

    bool isOpen(int id) const;
    bool isGrabbed(int id) const;

private:
    struct Device {
        DeviceInfo info;
        bool denied = false;
        bool busy = false;
        bool grabAsked = false;
        bool open = false;
        bool grabbed = false;
    };
    void apply();

    Selection selection_;
    std::map<int, Device> devices_;
    std::vector<DeviceChange> changes_;
    std::vector<InputEvent> events_;
};

}  // namespace buttons
