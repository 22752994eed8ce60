#pragma once

#include <optional>
#include <vector>

#include <QString>

#include "buttons/inputevent.h"

namespace buttons {

// Which button is whose: (device, key code) to a player of the screen pair
// or to the extra transmitter. Kept in the configuration folder as
// buttons.json:
//
//   {
//     "format": "torvanel-buttons",
//     "version": 1,
//     "bindings": [
//       { "device": { "vendor": "0079", "product": "0006", "serial": "",
//                     "phys": "usb-0000:00:14.0-2/input0", "name": "Encoder" },
//         "code": 288, "player": 1 },
//       { "device": { ... }, "code": 289, "extra": true }
//     ]
//   }
//
// vendor and product are hexadecimal as lsusb shows them; code is the
// kernel's key code (BTN_TRIGGER is 288, KEY_A is 30); "player" counts team
// after team from 1, as the players' boxes on the set-up menu do; "extra"
// is the spare button that the extra transmitter window lends to a player.
// "name" is only for people reading the file.
struct Binding {
    DeviceIdentity device;
    QString deviceName;
    int code = 0;
    int player = 0;  // 1 to 15, or kExtra
};

class ButtonAssignment {
public:
    static constexpr int kExtra = 0;
    static constexpr int kVersion = 1;
    static QString fileName() { return QStringLiteral("buttons.json"); }

    const std::vector<Binding>& bindings() const { return bindings_; }
    bool empty() const { return bindings_.empty(); }

    // Binds a button, replacing whatever that button or that player had.
    void bind(const DeviceIdentity& device, const QString& deviceName, int code, int player);
    void unbindPlayer(int player);

    // The player (or kExtra) of a button, if it has one.
    std::optional<int> playerOf(const DeviceIdentity& device, int code) const;
    const Binding* bindingOf(int player) const;
    bool hasDevice(const DeviceIdentity& device) const;

    QByteArray toJson() const;
    // Nothing, and `error` says why, for a file that is not one of ours or
    // is of a newer version.
    static std::optional<ButtonAssignment> fromJson(const QByteArray& json, QString* error);

    // Whole or not at all: a failed save leaves the old file, and `error`
    // says why. An old file that cannot be read is first renamed beside it
    // (`movedAside` then names it).
    bool save(const QString& path, QString* error, QString* movedAside = nullptr) const;
    // A missing file is an empty assignment; a broken one is an error.
    static std::optional<ButtonAssignment> load(const QString& path, QString* error);

private:
    std::vector<Binding> bindings_;
};

}  // namespace buttons
