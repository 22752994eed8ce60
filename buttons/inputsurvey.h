#pragma once

#include <vector>

#include <QString>

namespace buttons {

// What this machine offers as buttons: every event node of the input
// device folder, whether it has keys or buttons (from sysfs, which anyone
// may read) and whether we may read it. Taken when the operator needs to
// know why no button answers.
struct SurveyedDevice {
    QString node;  // e.g. event3
    QString name;  // as the kernel names the device
    bool hasButtons = false;
    bool readable = false;
    QString problem;  // why it could not be opened
};

struct InputSurvey {
    QString folder;
    bool folderExists = false;
    // The process belongs to the group that owns the event nodes.
    bool inInputGroup = false;
    std::vector<SurveyedDevice> devices;

    // Devices with keys or buttons that we can read.
    int readableButtonDevices() const;
};

InputSurvey surveyInputDevices(const QString& deviceFolder = QStringLiteral("/dev/input"),
                               const QString& sysfsFolder = QStringLiteral("/sys/class/input"));

// For the operator when no device with buttons can be read: what was found,
// what could not be opened and why, and the two ways to be allowed to read
// them. Empty when a device can be read.
QString noReadableButtonsText(const InputSurvey& survey);

}  // namespace buttons
