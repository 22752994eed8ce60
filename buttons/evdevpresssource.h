#pragma once

#include <map>
#include <set>

#include <QString>

#include "buttons/presssource.h"

struct libevdev;

namespace buttons {

// Presses from the kernel's input devices (/dev/input/event*), through
// libevdev. Who a device is comes from sysfs, which anyone may read, so a
// device nobody wants is never opened. Hot-plug is followed with an
// inotify watch on the device folder, which is watched from the moment it
// exists if it did not at first; a node that udev has not yet given its
// permissions is tried again when they change.
class EvdevPressSource final : public PressSource {
public:
    explicit EvdevPressSource(QString deviceFolder = QStringLiteral("/dev/input"),
                              QString sysfsFolder = QStringLiteral("/sys/class/input"));
    ~EvdevPressSource() override;

    EvdevPressSource(const EvdevPressSource&) = delete;
    EvdevPressSource& operator=(const EvdevPressSource&) = delete;

    void setSelection(Selection selection) override;
    void drain(std::vector<DeviceChange>& changes, std::vector<InputEvent>& events) override;

    // Who the device behind an event node is, read from sysfs; the id is
    // left 0.
    static DeviceInfo describe(const QString& sysfsFolder, const QString& node);

private:
    struct Open {
        int fd = -1;
        libevdev* dev = nullptr;
        DeviceInfo info;
        bool grabbed = false;
    };
    void watch();
    bool readWatch();
    void rescan(std::vector<DeviceChange>& changes);
    void openNode(const QString& node, const DeviceInfo& info, bool started,
                  std::vector<DeviceChange>& changes);
    void close(Open& open);
    void readDevice(Open& open, std::vector<InputEvent>& events, bool& gone);

    QString deviceFolder_;
    QString sysfsFolder_;
    Selection selection_;
    int inotify_ = -1;
    QString watchProblem_;  // why there is no watch, until it is said
    int watch_ = -1;        // the device folder's watch, -1 while it has none
    bool rescan_ = true;
    bool started_ = false;          // the first scan is done
    std::map<QString, Open> open_;  // by node name, e.g. event3
    // Nodes we may not open, and since when; named once they stay so (udev
    // sets a new node's permissions a moment after it appears).
    std::map<QString, double> denied_;
    std::set<QString> namedDenied_;
    int nextId_ = 1;
};

}  // namespace buttons
