#include "buttons/inputsurvey.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace buttons {

namespace {

QString readLine(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll()).trimmed();
}

// The key capability bitmap is hexadecimal words: any bit set is a key or
// a button.
bool anyKey(const QString& bitmap) {
    static const QRegularExpression nonZero(QStringLiteral("[1-9a-fA-F]"));
    return bitmap.contains(nonZero);
}

bool inGroup(const char* name) {
    const group* g = getgrnam(name);
    if (!g) return false;
    if (getegid() == g->gr_gid) return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    if (getgroups(n, groups.data()) < 0) return false;
    return std::find(groups.begin(), groups.end(), g->gr_gid) != groups.end();
}

}  // namespace

int InputSurvey::readableButtonDevices() const {
    return int(std::count_if(devices.begin(), devices.end(),
                             [](const SurveyedDevice& d) { return d.hasButtons && d.readable; }));
}

InputSurvey surveyInputDevices(const QString& deviceFolder, const QString& sysfsFolder) {
    InputSurvey survey;
    survey.folder = deviceFolder;
    survey.folderExists = QFileInfo(deviceFolder).isDir();
    survey.inInputGroup = inGroup("input");
    QStringList nodes =
        QDir(deviceFolder).entryList({QStringLiteral("event*")}, QDir::System | QDir::Files);
    // event10 after event9.
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(nodes.begin(), nodes.end(), numeric);
    for (const QString& node : nodes) {
        SurveyedDevice d;
        d.node = node;
        const QString device = sysfsFolder + u'/' + node + QStringLiteral("/device/");
        d.name = readLine(device + QStringLiteral("name"));
        d.hasButtons = anyKey(readLine(device + QStringLiteral("capabilities/key")));
        const QByteArray path = QFile::encodeName(deviceFolder + u'/' + node);
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            d.readable = true;
            ::close(fd);
        } else {
            d.problem = QString::fromLocal8Bit(std::strerror(errno));
        }
        survey.devices.push_back(d);
    }
    return survey;
}

QString noReadableButtonsText(const InputSurvey& s) {
    if (s.readableButtonDevices() > 0) return QString();
    QString text = QStringLiteral(
        "No input device with buttons can be read, so no button can "
        "buzz in.\n\n");
    bool refused = false;
    if (!s.folderExists) {
        text += QStringLiteral(
                    "This computer has no %1 folder: the system offers no input devices here "
                    "(in a container or virtual machine they may not be passed through).\n")
                    .arg(s.folder);
    } else if (s.devices.empty()) {
        text += QStringLiteral(
                    "%1 holds no input devices: plug in the buttons (a USB button "
                    "encoder, game controller or keyboard).\n")
                    .arg(s.folder);
    } else {
        text += QStringLiteral("Input devices in %1:\n").arg(s.folder);
        for (const SurveyedDevice& d : s.devices) {
            const QString name = d.name.isEmpty() ? QStringLiteral("(no name)") : d.name;
            QString state;
            if (!d.readable) {
                refused = true;
                state = QStringLiteral("cannot be opened: %1").arg(d.problem);
            } else if (!d.hasButtons) {
                state = QStringLiteral("readable, but has no keys or buttons");
            } else {
                state = QStringLiteral("readable");
            }
            text += QStringLiteral("  %1  %2: %3\n").arg(d.node, name, state);
        }
    }
    if (refused || !s.folderExists || s.devices.empty()) {
        text += QStringLiteral("\nTo be allowed to read buttons, do one of these:\n");
        text += s.inInputGroup ? QStringLiteral(
                                     "  - You are in the input group; if you joined it just now, "
                                     "log out and back in.\n")
                               : QStringLiteral(
                                     "  - Join the input group: sudo adduser $USER input, then "
                                     "log out and back in.\n");
        text += QStringLiteral(
            "  - Or give this seat your button encoder alone with the udev rule "
            "70-torvanel-buttons.rules (see \"Access to USB buttons\" in the README): put the "
            "encoder's ids from lsusb in it, copy it to /etc/udev/rules.d/, run sudo udevadm "
            "control --reload && sudo udevadm trigger --subsystem-match=input, and plug the "
            "encoder in again.\n");
    }
    text += QStringLiteral("\nButtons plugged in later are found without a restart.");
    return text;
}

}  // namespace buttons
