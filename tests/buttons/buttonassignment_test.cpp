// The assignment file: what is written is read back, and a file that is not
// ours or is of a newer version is refused rather than half-read.
#include <gtest/gtest.h>

#include <QFileInfo>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "buttons/buttonassignment.h"
#include "buttonsrig.h"
#include "support/filesizelimit.h"

using buttons::ButtonAssignment;

TEST(ButtonAssignment, BindingReplacesTheButtonsAndThePlayersOldOnesAndRoundTrips) {
    const auto pad = device(1, QStringLiteral("A1"));
    const auto keyboard = device(2, QString());  // no serial: known by its port
    ButtonAssignment a;
    a.bind(pad.identity, pad.name, 288, 3);
    a.bind(pad.identity, pad.name, 289, 3);  // player 3 redone: 288 is free again
    a.bind(keyboard.identity, keyboard.name, 30, 1);
    a.bind(keyboard.identity, keyboard.name, 30, ButtonAssignment::kExtra);  // the key moves
    a.bind(pad.identity, pad.name, 290, 15);
    EXPECT_EQ(a.playerOf(pad.identity, 288), std::nullopt);
    EXPECT_EQ(a.playerOf(pad.identity, 289), 3);
    EXPECT_EQ(a.playerOf(keyboard.identity, 30), ButtonAssignment::kExtra);
    EXPECT_EQ(a.bindingOf(1), nullptr);
    auto moved = keyboard.identity;
    moved.phys = QStringLiteral("usb-0000:00:14.0-9/input0");
    EXPECT_FALSE(a.hasDevice(moved)) << "a device without a serial is told apart by its port";
    auto replugged = pad.identity;
    replugged.phys = QStringLiteral("usb-0000:00:14.0-9/input0");
    EXPECT_TRUE(a.hasDevice(replugged)) << "with a serial, any port";

    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(ButtonAssignment::fileName());
    QString error;
    ASSERT_TRUE(a.save(path, &error)) << error.toStdString();
    const auto back = ButtonAssignment::load(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->toJson(), a.toJson());
    ASSERT_EQ(back->bindings().size(), 3u);
    EXPECT_EQ(back->bindings()[0].player, ButtonAssignment::kExtra);
    EXPECT_EQ(back->bindings()[0].deviceName, keyboard.name);

    const auto none = ButtonAssignment::load(QDir(dir.path()).filePath("missing.json"), &error);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(ButtonAssignment, AFileThatIsNotOneWeCanReadIsRefused) {
    const char* good =
        R"({"format":"torvanel-buttons","version":1,"bindings":[)"
        R"({"device":{"vendor":"1209","product":"4d42","serial":"S"},"code":288,"player":2}]})";
    QString error;
    ASSERT_TRUE(ButtonAssignment::fromJson(good, &error)) << error.toStdString();
    const char* bad[] = {
        "",
        "[1, 2]",
        R"({"format":"torvanel-setup","version":1,"bindings":[]})",
        R"({"format":"torvanel-buttons","version":2,"bindings":[]})",
        R"({"format":"torvanel-buttons","bindings":[]})",
        R"({"format":"torvanel-buttons","version":1})",
        R"({"format":"torvanel-buttons","version":1,"bindings":{}})",
        R"({"format":"torvanel-buttons","version":1,"bindings":"none"})",
        R"({"format":"torvanel-buttons","version":1,"bindings":[{"device":{"vendor":"zz","product":"1"},"code":1,"player":1}]})",
        R"({"format":"torvanel-buttons","version":1,"bindings":[{"device":{"vendor":"1","product":"1"},"code":1,"player":16}]})",
        R"({"format":"torvanel-buttons","version":1,"bindings":[{"device":{"vendor":"1","product":"1"},"player":1}]})",
    };
    for (const char* json : bad) {
        SCOPED_TRACE(json);
        error.clear();
        EXPECT_FALSE(ButtonAssignment::fromJson(json, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

// Saving never costs the operator a file: a save that fails halfway leaves
// the old one and says why, and an old file this program cannot read (a
// newer version's) is kept under another name and said so.
TEST(ButtonAssignment, SavingKeepsWhatWasThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(ButtonAssignment::fileName());
    ButtonAssignment a;
    for (int p = 1; p <= 15; ++p)
        a.bind(buttons::DeviceIdentity{0x1209, 0x4d42, QString(300, u's'), "usb-1"}, "Encoder",
               287 + p, p);
    const QByteArray newer = R"({"format":"torvanel-buttons","version":9,"bindings":[]})";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(newer);
    file.close();

    QString error;
    QString aside;
    {
        const FileSizeLimit full(1024);
        EXPECT_FALSE(a.save(path, &error, &aside));
    }
    EXPECT_FALSE(error.isEmpty());
    ASSERT_FALSE(aside.isEmpty());
    QFile kept(aside);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), newer);
    EXPECT_FALSE(QFileInfo::exists(path));

    ASSERT_TRUE(a.save(path, &error, &aside));
    const auto back = ButtonAssignment::load(path, &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bindings().size(), 15u);
    ButtonAssignment other = a;
    other.bind(a.bindings()[0].device, "Encoder", 700, 1);
    {
        const FileSizeLimit full(1024);
        EXPECT_FALSE(other.save(path, &error));
    }
    EXPECT_EQ(ButtonAssignment::load(path, &error)->bindingOf(1)->code, 288);
}
