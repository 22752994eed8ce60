// What the operator is told when no input device with buttons can be read:
// the devices found, which could not be opened and why, and the fixes.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

#include "buttons/inputsurvey.h"
#include "support/writefile.h"

namespace {}  // namespace

TEST(InputSurvey, SaysWhatWasFoundAndHowToReadIt) {
    struct Node {
        const char* node;
        const char* name;
        const char* keys;  // the key capability bitmap
        bool refused;
    };
    struct Case {
        const char* what;
        bool folder;
        std::vector<Node> nodes;
        int readable;
        std::vector<const char*> says;
    };
    const Case cases[] = {
        {"no folder", false, {}, 0, {"has no ", "input group", "70-torvanel-buttons.rules"}},
        {"an empty folder", true, {}, 0, {"holds no input devices", "sudo adduser $USER input"}},
        {"devices without keys",
         true,
         {{"event0", "Lid Switch", "0", false}, {"event2", "Video Bus", "0 0", false}},
         0,
         {"event0  Lid Switch: readable, but has no keys or buttons", "event2  Video Bus"}},
        {"a device that cannot be opened",
         true,
         {{"event10", "Arcade Encoder", "ffff0000 0", true}, {"event9", "Lid Switch", "0", false}},
         0,
         {"event10  Arcade Encoder: cannot be opened: Permission denied", "input group",
          "udevadm trigger"}},
        {"a button device to read", true, {{"event4", "Game Pad", "1f0000 0 0", false}}, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool needsRefusal =
            std::any_of(c.nodes.begin(), c.nodes.end(), [](const Node& n) { return n.refused; });
        if (needsRefusal && geteuid() == 0) continue;  // root may open any node
        QTemporaryDir dev;
        QTemporaryDir sys;
        const QString folder = c.folder ? dev.path() : dev.path() + QStringLiteral("/none");
        for (const Node& n : c.nodes) {
            const QString node = QString::fromLatin1(n.node);
            writeFile(sys.path() + u'/' + node + "/device/name", n.name);
            writeFile(sys.path() + u'/' + node + "/device/capabilities/key", n.keys);
            writeFile(folder + u'/' + node, "");
            if (n.refused) {
                ASSERT_TRUE(
                    QFile::setPermissions(folder + u'/' + node, QFileDevice::Permissions{}));
            }
        }
        const buttons::InputSurvey survey = buttons::surveyInputDevices(folder, sys.path());
        EXPECT_EQ(survey.readableButtonDevices(), c.readable);
        const QString text = buttons::noReadableButtonsText(survey);
        EXPECT_EQ(text.isEmpty(), c.readable > 0);
        for (const char* part : c.says)
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n"
                                                                << text.toStdString();
        // Lower numbers first.
        if (text.contains("event10")) {
            EXPECT_LT(text.indexOf("event9"), text.indexOf("event10"));
        }
    }
}
