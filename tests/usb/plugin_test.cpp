// The built plugin file, loaded by class identifier as the program loads it,
// with its methods called by name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include "app/objecthost.h"
#include "app/pluginobjecthost.h"
#include "sim/simulatedusbmodule.h"
#include "usb/hidapitransport.h"

namespace {

const QString kClassId = QStringLiteral("USB_ActiveX.USB");

bool moduleAttached() {
    usbio::HidapiTransport probe;
    for (const auto& d : probe.enumerate(3250)) {
        if (d.vendorId == 3250 && (d.productId == 1 || d.productId == 19)) return true;
    }
    return false;
}

TEST(UsbPlugin, TheProgramFindsItInTheBuildTreeByItsClassIdentifier) {
    // The build tree's executable sits one folder above build/plugins.
    const QString exeFolder = QFileInfo(QStringLiteral(TORVANEL_USB_PLUGIN_DIR)).path();
    PluginObjectHost host(PluginObjectHost::defaultFolders(
        exeFolder, QStringLiteral("lib/torvanel/plugins"), QStringLiteral("/nonexistent")));
    EXPECT_EQ(QFileInfo(host.pluginFile(kClassId)).canonicalFilePath(),
              QFileInfo(QStringLiteral(TORVANEL_USB_PLUGIN_FILE)).canonicalFilePath());
    auto control = host.create(kClassId);
    ASSERT_NE(control, nullptr) << host.lastError().toStdString();
    EXPECT_STREQ(control->metaObject()->className(), "UsbControl");
}

TEST(UsbPlugin, ItsMethodsAnswerByNameAsTheTableSays) {
    if (moduleAttached()) GTEST_SKIP() << "a USB digital I/O module is attached";
    PluginObjectHost host({QStringLiteral(TORVANEL_USB_PLUGIN_DIR)});
    auto control = host.create(kClassId);
    ASSERT_NE(control, nullptr) << host.lastError().toStdString();

    // No module on this machine: empty, then 0 for everything else.
    const MethodCall read = callMethod(control.get(), "RD_P0");
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_FALSE(read.result.isValid());
    for (const char* name :
         {"Find_USB_Device", "RD_P1", "VOLT_CH1", "VOLT_CH2", "VOLT_CH3", "VOLT_CH4"}) {
        SCOPED_TRACE(name);
        const MethodCall call = callMethod(control.get(), name);
        ASSERT_TRUE(call.ok) << call.error.toStdString();
        EXPECT_EQ(call.result.typeId(), QMetaType::Short);
        EXPECT_EQ(call.result.toInt(), 0);
    }
    const MethodCall refused = callMethod(control.get(), "WR_P1", {256});
    ASSERT_TRUE(refused.ok);
    EXPECT_FALSE(refused.result.toBool());
    EXPECT_TRUE(callMethod(control.get(), "lastError")
                    .result.toString()
                    .startsWith(QStringLiteral("Overflow")));
    EXPECT_TRUE(callMethod(control.get(), "WR_P0", {255}).result.toBool());
}

TEST(UsbPlugin, TheControlFromThePluginRunsAgainstTheSimulatedModule) {
    PluginObjectHost host({QStringLiteral(TORVANEL_USB_PLUGIN_DIR)});
    SimulatedUsbModule module;
    auto a = host.create(kClassId);
    auto b = host.create(kClassId);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    for (QObject* control : {a.get(), b.get()}) {
        const MethodCall handed =
            callMethod(control, "useTransport", {QVariant::fromValue<QObject*>(&module)});
        ASSERT_TRUE(handed.ok) << handed.error.toStdString();
        EXPECT_TRUE(handed.result.toBool());
    }
    // The plugin's own code refuses what is not a transport.
    QObject stranger;
    EXPECT_FALSE(callMethod(a.get(), "useTransport", {QVariant::fromValue<QObject*>(&stranger)})
                     .result.toBool());

    module.pressPlayer(1, true);
    EXPECT_FALSE(callMethod(a.get(), "RD_P0").result.isValid());
    EXPECT_EQ(callMethod(a.get(), "RD_P0").result.toInt(), 0xEF);
    EXPECT_EQ(callMethod(b.get(), "Find_USB_Device").result.toInt(), -1);
    // Each instance holds its own pair of handles and releases them.
    EXPECT_EQ(module.openHandles(), 4);
    a.reset();
    EXPECT_EQ(module.openHandles(), 2);
    b.reset();
    EXPECT_EQ(module.openHandles(), 0);
}

TEST(UsbPlugin, AboutShowsItsModalWindow) {
    PluginObjectHost host({QStringLiteral(TORVANEL_USB_PLUGIN_DIR)});
    auto control = host.create(kClassId);
    ASSERT_NE(control, nullptr);
    QString caption;
    // Closes the window once it is up, as the operator would.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            caption = window->windowTitle();
            window->reject();
        }
    });
    closer.start(10);
    const MethodCall about = callMethod(control.get(), "About");
    closer.stop();
    ASSERT_TRUE(about.ok);
    EXPECT_FALSE(about.result.isValid());
    EXPECT_EQ(caption, QStringLiteral("About"));
}

TEST(PluginObjectHost, OnlyControlPluginsNamingTheIdentifierCount) {
    QTemporaryDir empty;
    QTemporaryDir mixed;
    // Not a library at all, and a file that only looks like one.
    QFile text(mixed.filePath(QStringLiteral("readme.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a plugin");
    text.close();
    QFile bogus(mixed.filePath(QStringLiteral("bogus.so")));
    ASSERT_TRUE(bogus.open(QIODevice::WriteOnly));
    bogus.write(QByteArray(4096, '\x7f'));
    bogus.close();
    ASSERT_TRUE(QFile::copy(QStringLiteral(TORVANEL_USB_PLUGIN_FILE),
                            mixed.filePath(QStringLiteral("usb.so"))));

    struct Case {
        const char* name;
        QStringList folders;
        bool found;
    };
    const Case cases[] = {
        {"no folders", {}, false},
        {"a missing folder", {QStringLiteral("/nonexistent/plugins")}, false},
        {"an empty folder", {empty.path()}, false},
        {"among other files", {empty.path(), mixed.path()}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginObjectHost host(c.folders);
        auto control = host.create(kClassId);
        EXPECT_EQ(control != nullptr, c.found);
        EXPECT_EQ(host.lastError().isEmpty(), c.found);
        EXPECT_EQ(host.create(QStringLiteral("USB_ActiveX.Other")), nullptr);
    }
}

}  // namespace
