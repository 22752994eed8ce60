// The real source without a kernel device: who a device is comes from
// sysfs, and nodes that are no input device, or that nobody wants, give
// nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "buttons/evdevpresssource.h"
#include "support/writefile.h"

namespace {}  // namespace

TEST(EvdevPressSource, AnInputNodeIsKnownBySysfsAndNothingButADeviceIsRead) {
    QTemporaryDir sys;
    QTemporaryDir dev;
    const QString base = sys.path() + QStringLiteral("/event7/device/");
    writeFile(base + "name", "Arcade Encoder\n");
    writeFile(base + "id/vendor", "0079\n");
    writeFile(base + "id/product", "0006\n");
    writeFile(base + "uniq", "\n");
    writeFile(base + "phys", "usb-0000:00:14.0-2/input0\n");

    const buttons::DeviceInfo info = buttons::EvdevPressSource::describe(sys.path(), "event7");
    EXPECT_EQ(info.name, QStringLiteral("Arcade Encoder"));
    EXPECT_EQ(info.identity.vendor, 0x0079);
    EXPECT_EQ(info.identity.product, 0x0006);
    EXPECT_TRUE(info.identity.serial.isEmpty());
    EXPECT_EQ(info.identity.key(), QStringLiteral("0079:0006 at usb-0000:00:14.0-2/input0"));

    // A plain file where a node should be: opened (it is wanted) but no
    // input device, so nothing is added; later files are seen by the watch.
    writeFile(dev.path() + "/event7", "");
    buttons::EvdevPressSource source(dev.path(), sys.path());
    int asked = 0;
    source.setSelection({[&](const buttons::DeviceIdentity& d) {
                             ++asked;
                             return d.vendor == 0x0079;
                         },
                         true});
    std::vector<buttons::DeviceChange> changes;
    std::vector<buttons::InputEvent> events;
    source.drain(changes, events);
    EXPECT_EQ(asked, 1);
    writeFile(dev.path() + "/event8", "");
    source.drain(changes, events);
    EXPECT_EQ(asked, 3) << "the new node was noticed and both were looked at again";
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(events.empty());
}

TEST(EvdevPressSource, ANodeWeMayNotOpenIsNamedOnce) {
    if (geteuid() == 0) GTEST_SKIP() << "root may open any node";
    QTemporaryDir sys;
    QTemporaryDir dev;
    writeFile(sys.path() + "/event9/device/name", "Arcade Encoder\n");
    const QString node = dev.path() + "/event9";
    writeFile(node, "");
    ASSERT_TRUE(QFile::setPermissions(node, QFileDevice::Permissions{}));

    buttons::EvdevPressSource source(dev.path(), sys.path());
    source.setSelection({[](const buttons::DeviceIdentity&) { return true; }, true});
    std::vector<buttons::DeviceChange> changes;
    std::vector<buttons::InputEvent> events;
    // There at start-up: udev had long given it its permissions, so the
    // refusal is named at once, and only once.
    source.drain(changes, events);
    source.drain(changes, events);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, buttons::DeviceChange::Kind::PermissionDenied);
    EXPECT_EQ(changes[0].device.path, node);
    EXPECT_EQ(changes[0].device.name, QStringLiteral("Arcade Encoder"));

    // A node that appears later is given udev's moment before it is named.
    writeFile(sys.path() + "/event10/device/name", "Game Pad\n");
    writeFile(dev.path() + "/event10", "");
    ASSERT_TRUE(QFile::setPermissions(dev.path() + "/event10", QFileDevice::Permissions{}));
    source.drain(changes, events);
    EXPECT_EQ(changes.size(), 1u);
}

// Without a watch on the device folder a device plugged in later goes
// unseen: that is said once, and the devices already there still count.
TEST(EvdevPressSource, AFolderThatCannotBeWatchedIsNamedOnce) {
    QTemporaryDir sys;
    QTemporaryDir top;
    // A name no file system takes: the watch is refused for good.
    const QString missing = top.path() + "/" + QString(300, QLatin1Char('x'));
    buttons::EvdevPressSource source(missing, sys.path());
    source.setSelection({[](const buttons::DeviceIdentity&) { return true; }, true});
    std::vector<buttons::DeviceChange> changes;
    std::vector<buttons::InputEvent> events;
    source.drain(changes, events);
    source.drain(changes, events);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, buttons::DeviceChange::Kind::NoHotPlug);
    EXPECT_EQ(changes[0].device.path, missing);
    EXPECT_FALSE(changes[0].device.name.isEmpty());
}

// Hot-plug when the device folder itself comes after start-up (the first
// input device of a machine, a container given its devices later), and
// after it went and came back.
TEST(EvdevPressSource, TheDeviceFolderIsWatchedFromWhenItAppears) {
    QTemporaryDir sys;
    QTemporaryDir root;
    const QString folder = root.path() + QStringLiteral("/input");
    buttons::EvdevPressSource source(folder, sys.path());
    int asked = 0;
    source.setSelection({[&](const buttons::DeviceIdentity&) {
                             ++asked;
                             return true;
                         },
                         false});
    std::vector<buttons::DeviceChange> changes;
    std::vector<buttons::InputEvent> events;
    source.drain(changes, events);
    EXPECT_EQ(asked, 0);

    writeFile(folder + "/event3", "");
    source.drain(changes, events);
    EXPECT_EQ(asked, 1) << "the new folder was found and looked into";
    writeFile(folder + "/event4", "");
    source.drain(changes, events);
    EXPECT_EQ(asked, 3) << "and is watched from then on";

    ASSERT_TRUE(QDir(folder).removeRecursively());
    source.drain(changes, events);
    writeFile(folder + "/event5", "");
    source.drain(changes, events);
    EXPECT_EQ(asked, 4) << "watched again once back";
    EXPECT_TRUE(changes.empty());
}
