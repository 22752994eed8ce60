// The assignment file: what is written is read back, and a file that is not
// ours or is of a newer version is refused rather than half-read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "buttons/buttonassignment.h"
#include "buttonsrig.h"

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
