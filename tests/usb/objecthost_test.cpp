// Objects by class identifier and methods by name, in process: the seam
// through which the program reaches the USB control.
#include <gtest/gtest.h>

#include "app/objecthost.h"
#include "app/pluginobjecthost.h"
#include "app/usbhost.h"
#include "fakehidtransport.h"
#include "sim/simulatedusbmodule.h"
#include "support/programfixture.h"
#include "usb/usbcontrol.h"

namespace {

std::unique_ptr<UsbControl> fakeControl(std::shared_ptr<FakeHid> hid) {
    auto control = std::make_unique<UsbControl>(std::make_unique<FakeHidTransport>(hid));
    control->setPause([](int) {});
    return control;
}

TEST(CallMethod, CallsByNameAndGivesTheResultAsTheMethodReturnsIt) {
    auto hid = std::make_shared<FakeHid>();
    auto module = hid->add("/dev/hidraw0");
    module->p0 = 0xEF;
    auto control = fakeControl(hid);

    MethodCall read = callMethod(control.get(), "RD_P0");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_FALSE(read.result.isValid());  // not found yet: the empty value itself

    const MethodCall found = callMethod(control.get(), "Find_USB_Device");
    ASSERT_TRUE(found.ok);
    EXPECT_EQ(found.result.typeId(), QMetaType::Short);
    EXPECT_EQ(found.result.toInt(), -1);

    read = callMethod(control.get(), "RD_P0");
    EXPECT_EQ(read.result.typeId(), QMetaType::Short);
    EXPECT_EQ(read.result.toString(), QStringLiteral("239"));

    const MethodCall channel = callMethod(control.get(), "VOLT_CH4");
    EXPECT_EQ(channel.result.typeId(), QMetaType::Short);

    const MethodCall about = callMethod(control.get(), "lastError");
    EXPECT_EQ(about.result.typeId(), QMetaType::QString);
}

TEST(CallMethod, ArgumentsAreConvertedToTheParameterType) {
    auto hid = std::make_shared<FakeHid>();
    auto module = hid->add("/dev/hidraw0");
    auto control = fakeControl(hid);
    control->Find_USB_Device();

    struct Case {
        QVariant argument;
        bool accepted;
        int sent;  // the data byte sent, -1 for nothing
    };
    const Case cases[] = {
        {QVariant(200), true, 200},
        {QVariant(qint16(7)), true, 7},
        {QVariant(QStringLiteral("12")), true, 12},
        {QVariant(256), false, -1},
        {QVariant(-1), false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument.toString().toStdString());
        module->reports.clear();
        const MethodCall call = callMethod(control.get(), "WR_P1", {c.argument});
        ASSERT_TRUE(call.ok) << call.error.toStdString();
        EXPECT_EQ(call.result.toBool(), c.accepted);
        if (c.sent < 0) {
            EXPECT_TRUE(module->reports.empty());
            EXPECT_TRUE(callMethod(control.get(), "lastError")
                            .result.toString()
                            .startsWith(QStringLiteral("Overflow")));
        } else {
            ASSERT_EQ(module->reports.size(), 1u);
            EXPECT_EQ(module->reports[0][2], c.sent);
        }
    }
}

TEST(CallMethod, CallsThatCannotBeMadeSayWhyAndCallNothing) {
    auto hid = std::make_shared<FakeHid>();
    hid->add("/dev/hidraw0");
    auto control = fakeControl(hid);
    struct Case {
        QObject* object;
        const char* name;
        QVariantList arguments;
    };
    const Case cases[] = {
        {nullptr, "RD_P0", {}},
        {control.get(), "RD_P2", {}},
        {control.get(), "RD_P0", {1}},
        {control.get(), "WR_P0", {}},
        {control.get(), "WR_P0", {QStringLiteral("twelve")}},
        {control.get(), "deviceFound", {}},  // public, but not invokable
        {control.get(), "WR_P0", QVariantList(11, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MethodCall call = callMethod(c.object, c.name, c.arguments);
        EXPECT_FALSE(call.ok);
        EXPECT_FALSE(call.error.isEmpty());
        EXPECT_FALSE(call.result.isValid());
    }
    EXPECT_EQ(hid->enumerations, 0);
}

TEST(RegisteredObjectHost, MakesANewObjectPerCreateAndNothingForUnknownClasses) {
    RegisteredObjectHost host;
    auto hid = std::make_shared<FakeHid>();
    host.registerClass(QLatin1String(kUsbClassId), [hid] { return fakeControl(hid); });
    auto a = host.create(QStringLiteral("USB_ActiveX.USB"));
    auto b = host.create(QStringLiteral("USB_ActiveX.USB"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(host.created(), 2);

    EXPECT_EQ(host.create(QStringLiteral("USB_ActiveX.Other")), nullptr);
    EXPECT_TRUE(host.lastError().contains(QStringLiteral("USB_ActiveX.Other")));
    EXPECT_EQ(host.create(QStringLiteral("usb_activex.usb")), nullptr);  // identifiers are exact
}

TEST(PluginFolders, BuildTreeFirstThenThePrefixBesideTheExecutableThenTheBuiltInOne) {
    struct Case {
        QString exe;
        QString installed;
        QStringList folders;
    };
    const Case cases[] = {
        {QStringLiteral("/work/build"),
         QStringLiteral("/usr/local/lib/torvanel/plugins"),
         {QStringLiteral("/work/build/plugins"), QStringLiteral("/work/lib/torvanel/plugins"),
          QStringLiteral("/usr/local/lib/torvanel/plugins")}},
        {QStringLiteral("/usr/bin"),
         QStringLiteral("/usr/lib/torvanel/plugins"),
         {QStringLiteral("/usr/bin/plugins"), QStringLiteral("/usr/lib/torvanel/plugins")}},
        {QStringLiteral("/opt/tv/bin/"),
         QString(),
         {QStringLiteral("/opt/tv/bin/plugins"), QStringLiteral("/opt/tv/lib/torvanel/plugins")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exe.toStdString());
        EXPECT_EQ(PluginObjectHost::defaultFolders(c.exe, QStringLiteral("lib/torvanel/plugins"),
                                                   c.installed),
                  c.folders);
    }
}

// The program's way to the control: by class identifier from its host, and
// with the simulated interface handed the simulated module.
class CreateUsbControl : public ::testing::Test {
protected:
    TestProgram program{199};
    RegisteredObjectHost host;
    std::shared_ptr<FakeHid> hid = std::make_shared<FakeHid>();
};

TEST_F(CreateUsbControl, WithoutTheControlInstalledThereIsNone) {
    EXPECT_EQ(createUsbControl(*program), nullptr);  // the program's host has no classes
    program->setObjectHost(host);
    EXPECT_EQ(createUsbControl(*program), nullptr);
}

TEST_F(CreateUsbControl, TheRealModuleIsReachedThroughTheControlsOwnTransport) {
    hid->add("/dev/hidraw0")->p0 = 0x7F;
    host.registerClass(QLatin1String(kUsbClassId), [this] { return fakeControl(hid); });
    program->setObjectHost(host);
    auto control = createUsbControl(*program);
    ASSERT_NE(control, nullptr);
    callMethod(control.get(), "RD_P0");
    EXPECT_EQ(callMethod(control.get(), "RD_P0").result.toInt(), 0x7F);
}

TEST_F(CreateUsbControl, TheSimulatedModuleIsHandedToTheControl) {
    hid->add("/dev/hidraw0")->p0 = 0x7F;  // a real module the simulation must not touch
    SimulatedUsbModule module;
    module.pressPlayer(2, true);
    host.registerClass(QLatin1String(kUsbClassId), [this] { return fakeControl(hid); });
    program->setObjectHost(host);
    program->setUsbTransport(&module);

    auto control = createUsbControl(*program);
    ASSERT_NE(control, nullptr);
    callMethod(control.get(), "RD_P0");
    callMethod(control.get(), "Find_USB_Device");
    EXPECT_EQ(callMethod(control.get(), "RD_P0").result.toInt(), 0xDF);
    EXPECT_EQ(module.openHandles(), 2);
    EXPECT_EQ(hid->enumerations, 0);
    control.reset();
    EXPECT_EQ(module.openHandles(), 0);
}

TEST_F(CreateUsbControl, AControlThatCannotTakeTheSimulatedModuleIsNotUsed) {
    SimulatedUsbModule module;
    host.registerClass(QLatin1String(kUsbClassId), [] { return std::make_unique<QObject>(); });
    program->setObjectHost(host);
    program->setUsbTransport(&module);
    EXPECT_EQ(createUsbControl(*program), nullptr);
}

}  // namespace
