#pragma once

#include <cstdint>

#include <QString>

// What the buttons layer knows of Linux input devices, kept free of the
// kernel's headers so that tests and the stand-in source need none.
namespace buttons {

// The kernel's event types and values we act on (linux/input.h).
inline constexpr std::uint16_t kEvKey = 0x01;
inline constexpr std::int32_t kKeyUp = 0;
inline constexpr std::int32_t kKeyDown = 1;

// Who a device is, stable across unplugging and across the order devices
// come up in: vendor and product, and the serial number when the device has
// one, else the physical path (which USB port it is in).
struct DeviceIdentity {
    int vendor = 0;
    int product = 0;
    QString serial;
    QString phys;

    // One string that compares equal for the same device.
    QString key() const;
    bool operator==(const DeviceIdentity& other) const { return key() == other.key(); }
};

// A device as a source sees it: its identity, its name for people, the node
// it was opened at, and a number the source gives it for as long as it is
// plugged in.
struct DeviceInfo {
    int id = 0;
    DeviceIdentity identity;
    QString name;
    QString path;
};

// One `struct input_event`, with the kernel's timestamp in microseconds of
// the monotonic clock (the clock the link's budgets run on).
struct InputEvent {
    int device = 0;
    std::int64_t timeUs = 0;
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;
};

struct DeviceChange {
    enum class Kind {
        Added,             // opened (and grabbed, when asked)
        Removed,           // gone: unplugged, or no longer wanted
        PermissionDenied,  // wanted, but the node cannot be opened
        NotGrabbed,        // opened, but another program holds it too
        NoHotPlug,         // devices plugged in later will not be seen: the
                           // device folder (path) cannot be watched (name
                           // says why)
    };
    Kind kind = Kind::Added;
    DeviceInfo device;
};

}  // namespace buttons
