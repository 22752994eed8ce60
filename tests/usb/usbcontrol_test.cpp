// The control against fake modules: the search, the command and input
// reports, the pauses, refused values and the handles it holds.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "fakehidtransport.h"
#include "sim/simulatedusbmodule.h"
#include "usb/aboutwindow.h"
#include "usb/usbcontrol.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rig {
    std::shared_ptr<FakeHid> hid = std::make_shared<FakeHid>();
    std::unique_ptr<UsbControl> control;

    Rig() {
        control = std::make_unique<UsbControl>(std::make_unique<FakeHidTransport>(hid));
        control->setPause([this](int ms) { hid->events.push_back("pause " + std::to_string(ms)); });
    }

    // A control that has found `module` and exchanged nothing yet.
    void find() {
        ASSERT_EQ(control->Find_USB_Device(), -1);
        hid->events.clear();
    }
};

qint16 shortOf(const QVariant& v) {
    EXPECT_EQ(v.typeId(), QMetaType::Short);
    return v.value<qint16>();
}

TEST(UsbControl, FirstReadOfAFreshControlOnlySearchesTheSecondReadsThePort) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw3");
    module->p0 = 0x5A;

    const QVariant first = rig.control->RD_P0();
    EXPECT_FALSE(first.isValid());
    EXPECT_TRUE(module->reports.empty());
    EXPECT_EQ(rig.hid->only("read").size(), 0u);
    EXPECT_TRUE(rig.control->deviceFound());
    EXPECT_EQ(rig.hid->openHandles, 2);

    rig.hid->events.clear();
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0x5A);
    EXPECT_EQ(rig.hid->events,
              (std::vector<std::string>{"discard", "write 3 0", "pause 10", "read"}));
    EXPECT_EQ(module->reports, (std::vector<Bytes>{{0, 3, 0, 0, 0, 0, 0, 0, 0}}));
}

TEST(UsbControl, EveryMethodOfAControlWithoutTheModuleSearchesAndGivesItsNotFoundResult) {
    struct Case {
        const char* name;
        std::function<QVariant(UsbControl&)> call;
        QVariant notFound;
    };
    const std::vector<Case> cases = {
        {"RD_P0", [](UsbControl& c) { return c.RD_P0(); }, QVariant()},
        {"RD_P1", [](UsbControl& c) { return QVariant(c.RD_P1()); }, QVariant(qint16(0))},
        {"VOLT_CH1", [](UsbControl& c) { return QVariant(c.VOLT_CH1()); }, QVariant(qint16(0))},
        {"VOLT_CH2", [](UsbControl& c) { return QVariant(c.VOLT_CH2()); }, QVariant(qint16(0))},
        {"VOLT_CH3", [](UsbControl& c) { return QVariant(c.VOLT_CH3()); }, QVariant(qint16(0))},
        {"VOLT_CH4", [](UsbControl& c) { return QVariant(c.VOLT_CH4()); }, QVariant(qint16(0))},
        {"WR_P0", [](UsbControl& c) { return QVariant(c.WR_P0(7)); }, QVariant(true)},
        {"WR_P1", [](UsbControl& c) { return QVariant(c.WR_P1(7)); }, QVariant(true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Nothing attached: every call searches again and finds nothing.
        Rig absent;
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(c.call(*absent.control), c.notFound);
            EXPECT_EQ(absent.hid->enumerations, i);
        }
        EXPECT_EQ(absent.hid->openHandles, 0);
        EXPECT_FALSE(absent.control->lastError().isEmpty());

        // Attached: the first call finds it and still exchanges nothing.
        Rig present;
        auto module = present.hid->add("/dev/hidraw0");
        module->p0 = 99;
        module->p1 = 99;
        EXPECT_EQ(c.call(*present.control), c.notFound);
        EXPECT_TRUE(module->reports.empty());
        EXPECT_TRUE(present.control->deviceFound());
        EXPECT_TRUE(present.control->lastError().isEmpty());
    }
}

TEST(UsbControl, PortReadsReturnEveryValueUnchanged) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    rig.find();
    for (int v = 0; v <= 255; ++v) {
        module->p0 = static_cast<std::uint8_t>(v);
        module->p1 = static_cast<std::uint8_t>(255 - v);
        ASSERT_EQ(shortOf(rig.control->RD_P0()), v);
        ASSERT_EQ(rig.control->RD_P1(), 255 - v);
    }
    // P1 is asked for with command 4.
    EXPECT_EQ(module->reports.back(), (Bytes{0, 4, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(UsbControl, ChannelsWriteTheirTwoP1ValuesThenReadP0AfterTheConversionPause) {
    struct Case {
        const char* name;
        qint16 (UsbControl::*method)();
        int first;
        int second;
    };
    const Case cases[] = {
        {"VOLT_CH1", &UsbControl::VOLT_CH1, 11, 10},
        {"VOLT_CH2", &UsbControl::VOLT_CH2, 3, 2},
        {"VOLT_CH3", &UsbControl::VOLT_CH3, 9, 8},
        {"VOLT_CH4", &UsbControl::VOLT_CH4, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto module = rig.hid->add("/dev/hidraw0");
        rig.find();
        module->p0 = 0x80;  // the fake leaves the P0 latch as the conversion result
        EXPECT_EQ((rig.control.get()->*c.method)(), 0x80);
        EXPECT_EQ(rig.hid->events,
                  (std::vector<std::string>{"discard", "write 2 " + std::to_string(c.first),
                                            "write 2 " + std::to_string(c.second), "write 3 0",
                                            "pause 70", "read"}));
    }
}

TEST(UsbControl, PortWritesSendOneCommandReportOfTheOutputLength) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    rig.find();
    EXPECT_TRUE(rig.control->WR_P0(200));
    EXPECT_TRUE(rig.control->WR_P1(0));
    EXPECT_TRUE(rig.control->WR_P1(255));
    EXPECT_EQ(module->reports, (std::vector<Bytes>{{0, 1, 200, 0, 0, 0, 0, 0, 0},
                                                   {0, 2, 0, 0, 0, 0, 0, 0, 0},
                                                   {0, 2, 255, 0, 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(rig.hid->only("pause").empty());
    EXPECT_TRUE(rig.hid->only("read").empty());
    EXPECT_EQ(rig.control->lastResult(), 9);
}

TEST(UsbControl, ValuesOutsideAByteAreRefusedAndNothingIsSent) {
    struct Case {
        bool (UsbControl::*method)(int);
        const char* name;
        int value;
    };
    const Case cases[] = {
        {&UsbControl::WR_P1, "WR_P1", 256},    {&UsbControl::WR_P0, "WR_P0", 256},
        {&UsbControl::WR_P0, "WR_P0", -1},     {&UsbControl::WR_P1, "WR_P1", 32767},
        {&UsbControl::WR_P1, "WR_P1", -32768}, {&UsbControl::WR_P0, "WR_P0", 70000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.value));
        // Found or not, a refused value sends nothing and searches nothing.
        for (const bool found : {false, true}) {
            Rig rig;
            auto module = rig.hid->add("/dev/hidraw0");
            if (found) rig.find();
            const int searches = rig.hid->enumerations;
            EXPECT_FALSE((rig.control.get()->*c.method)(c.value));
            EXPECT_TRUE(rig.control->lastError().startsWith(QStringLiteral("Overflow")));
            EXPECT_TRUE(rig.control->lastError().contains(QLatin1String(c.name)));
            EXPECT_TRUE(rig.control->lastError().contains(QString::number(c.value)));
            EXPECT_TRUE(module->reports.empty());
            EXPECT_EQ(rig.hid->enumerations, searches);
            // The next good call clears the error.
            EXPECT_TRUE((rig.control.get()->*c.method)(5));
            EXPECT_TRUE(rig.control->lastError().isEmpty());
        }
    }
}

TEST(UsbControl, TheSearchOpensTheFirstModuleOfVendor3250Product1Or19) {
    struct Device {
        std::uint16_t vendor;
        std::uint16_t product;
    };
    struct Case {
        std::vector<Device> devices;
        int opened;  // index into devices, -1 for none
    };
    const Case cases[] = {
        {{{3250, 1}}, 0},
        {{{3250, 19}}, 0},
        {{{3250, 1}, {3250, 19}}, 0},
        {{{3250, 19}, {3250, 1}}, 0},
        {{{0x046D, 1}, {3250, 2}, {3250, 19}}, 2},
        {{{3250, 0}, {3250, 2}, {3250, 18}, {3250, 20}, {3250, 0x0113}}, -1},
        {{{3251, 1}, {3249, 19}, {0, 0}}, -1},
        {{}, -1},
    };
    for (const Case& c : cases) {
        Rig rig;
        std::vector<std::shared_ptr<FakeModule>> modules;
        for (std::size_t i = 0; i < c.devices.size(); ++i) {
            modules.push_back(rig.hid->add("/dev/hidraw" + std::to_string(i), c.devices[i].vendor,
                                           c.devices[i].product));
        }
        SCOPED_TRACE("case opening " + std::to_string(c.opened));
        const qint16 found = rig.control->Find_USB_Device();
        EXPECT_EQ(found, c.opened >= 0 ? -1 : 0);
        EXPECT_EQ(rig.control->deviceFound(), c.opened >= 0);
        EXPECT_EQ(rig.hid->openHandles, c.opened >= 0 ? 2 : 0);
        // Only the chosen module is opened, twice, and the search stops there.
        std::vector<std::string> opens;
        if (c.opened >= 0) opens.assign(2, "open /dev/hidraw" + std::to_string(c.opened));
        EXPECT_EQ(rig.hid->only("open"), opens);
        if (c.opened >= 0) {
            EXPECT_EQ(rig.control->devicePath(), "/dev/hidraw" + std::to_string(c.opened));
            rig.control->WR_P0(1);
            EXPECT_EQ(modules[static_cast<std::size_t>(c.opened)]->reports.size(), 1u);
        }
    }
}

TEST(UsbControl, AModuleThatCannotBeOpenedIsPassedOverAndNothingOfItStaysOpen) {
    struct Case {
        int firstOpensAllowed;  // 0: neither open works; 1: the read handle fails
        bool secondModule;
        bool found;
    };
    const Case cases[] = {{0, true, true}, {1, true, true}, {0, false, false}, {1, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.firstOpensAllowed) + (c.secondModule ? " two" : " one"));
        Rig rig;
        auto first = rig.hid->add("/dev/hidraw0");
        first->opensAllowed = c.firstOpensAllowed;
        if (c.secondModule) rig.hid->add("/dev/hidraw1", 3250, 19);
        EXPECT_EQ(rig.control->Find_USB_Device(), c.found ? -1 : 0);
        EXPECT_EQ(rig.hid->openHandles, c.found ? 2 : 0);
        if (c.found) {
            EXPECT_EQ(rig.control->devicePath(), "/dev/hidraw1");
            EXPECT_TRUE(rig.control->lastError().isEmpty());
        } else {
            EXPECT_TRUE(rig.control->lastError().contains(QStringLiteral("Permission denied")))
                << rig.control->lastError().toStdString();
        }
    }
}

TEST(UsbControl, ReportLengthsComeFromTheDescriptorAndOutputReportsOver9BytesAreRefused) {
    // Report Size 8, Report Count n for input and output.
    const auto descriptor = [](std::uint8_t in, std::uint8_t out) {
        return Bytes{0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
                     0x95, in,   0x81, 0x02, 0x95, out,  0x91, 0x02, 0xC0};
    };
    struct Case {
        const char* name;
        Bytes descriptor;
        bool found;
        int input;
        int output;
    };
    const Case cases[] = {
        {"8 and 8", descriptor(8, 8), true, 9, 9},    {"4 out", descriptor(8, 4), true, 9, 5},
        {"2 out", descriptor(8, 2), true, 9, 3},      {"64 in", descriptor(64, 8), true, 65, 9},
        {"1 in", descriptor(1, 8), true, 2, 9},       {"unreadable", {}, true, 9, 9},
        {"cut short", {0x06, 0x00}, true, 9, 9},      {"9 out", descriptor(8, 9), false, 0, 0},
        {"63 out", descriptor(8, 63), false, 0, 0},   {"1 out", descriptor(8, 1), false, 0, 0},
        {"no output", descriptor(8, 0), false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto module = rig.hid->add("/dev/hidraw0");
        module->descriptor = c.descriptor;
        module->answerLength = static_cast<std::size_t>(c.input);
        module->p0 = 42;
        EXPECT_EQ(rig.control->Find_USB_Device(), c.found ? -1 : 0);
        EXPECT_EQ(rig.hid->openHandles, c.found ? 2 : 0);
        EXPECT_EQ(rig.control->inputReportLength(), c.input);
        EXPECT_EQ(rig.control->outputReportLength(), c.output);
        if (!c.found) {
            EXPECT_TRUE(rig.control->lastError().contains(QStringLiteral("output reports")));
            continue;
        }
        // The command report has the output length; a short input report
        // has no byte 2 and reads as 0.
        const QVariant value = rig.control->RD_P0();
        EXPECT_EQ(module->reports.back().size(), static_cast<std::size_t>(c.output));
        EXPECT_EQ(shortOf(value), c.input > 2 ? 42 : 0);
    }
}

TEST(UsbControl, RepeatedSearchesKeepExactlyOnePairOfHandlesOpen) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    for (int i = 0; i < 5000; ++i) {
        ASSERT_EQ(rig.control->Find_USB_Device(), -1);
        ASSERT_EQ(rig.hid->openHandles, 2);
    }
    // The poll's own pattern: read, search, read.
    for (int i = 0; i < 1000; ++i) {
        rig.control->RD_P0();
        rig.control->Find_USB_Device();
        rig.control->RD_P0();
        ASSERT_EQ(rig.hid->openHandles, 2);
    }
    // A search that fails leaves nothing open.
    module->unplugged = true;
    EXPECT_EQ(rig.control->Find_USB_Device(), 0);
    EXPECT_EQ(rig.hid->openHandles, 0);
    EXPECT_FALSE(rig.control->deviceFound());
}

TEST(UsbControl, TheModuleKeepsItsHandlesUntilItIsGoneOrAReportFails) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw4");
    const auto opens = [&] { return rig.hid->only("open").size(); };
    ASSERT_EQ(rig.control->Find_USB_Device(), -1);
    ASSERT_EQ(opens(), 2u);

    // The poll's pattern, tick after tick: nothing is opened again.
    for (int i = 0; i < 100; ++i) {
        rig.control->RD_P0();
        ASSERT_EQ(rig.control->Find_USB_Device(), -1);
        rig.control->RD_P0();
    }
    EXPECT_EQ(opens(), 2u);
    // Another module listed ahead of it does not take its place.
    rig.hid->add("/dev/hidraw1", 3250, 19);
    std::swap(rig.hid->devices.front(), rig.hid->devices.back());
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(rig.control->devicePath(), "/dev/hidraw4");
    EXPECT_EQ(opens(), 2u);
    rig.hid->devices.erase(rig.hid->devices.begin());

    // A read that fails: the next search opens the module afresh and the
    // failed handles are closed.
    module->ioFails = true;
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0);
    module->ioFails = false;
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(opens(), 4u);
    EXPECT_EQ(rig.hid->openHandles, 2);
    module->p0 = 0xEF;
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0xEF);
    // A write that fails likewise.
    module->ioFails = true;
    rig.control->WR_P1(1);
    module->ioFails = false;
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(opens(), 6u);

    // Plugged in again, it comes back under a new node: that one is opened.
    module->path = "/dev/hidraw7";
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(rig.control->devicePath(), "/dev/hidraw7");
    EXPECT_EQ(rig.hid->openHandles, 2);
    EXPECT_EQ(rig.hid->only("open").back(), "open /dev/hidraw7");
}

TEST(UsbControl, DestroyingTheControlReleasesItsHandles) {
    Rig rig;
    rig.hid->add("/dev/hidraw0");
    rig.find();
    rig.control->RD_P0();
    ASSERT_EQ(rig.hid->openHandles, 2);
    rig.control.reset();
    EXPECT_EQ(rig.hid->openHandles, 0);
}

TEST(UsbControl, AReadTheModuleNeverAnswersIsGivenUpAndReadsAsZero) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    module->answer = FakeModule::Answer::Never;
    module->p0 = 0x77;
    module->p1 = 0x77;
    rig.find();
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0);
    EXPECT_EQ(rig.control->RD_P1(), 0);
    EXPECT_EQ(rig.control->VOLT_CH2(), 0);
    // Each read waited the bounded time, short enough for two of them in
    // one 100 ms poll tick.
    ASSERT_EQ(rig.hid->readTimeouts.size(), 3u);
    for (const int t : rig.hid->readTimeouts) {
        EXPECT_EQ(t, UsbControl::kReadTimeoutMs);
        EXPECT_GT(t, 0);
        EXPECT_LE(2 * (UsbControl::kPortPauseMs + t), 100);
    }
    // The module is still taken to be there.
    EXPECT_TRUE(rig.control->deviceFound());
}

TEST(UsbControl, AnAnswerThatComesAfterTheReadGaveUpIsNotTakenForTheNextOne) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    rig.find();
    module->answer = FakeModule::Answer::Late;
    module->p0 = 0x11;
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0);
    ASSERT_EQ(module->queue.size(), 1u);  // the late answer is now waiting

    module->answer = FakeModule::Answer::Immediately;
    module->p0 = 0x22;
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0x22);
    EXPECT_TRUE(module->queue.empty());
}

TEST(UsbControl, AModulePulledOutAfterItWasFoundFailsQuietly) {
    Rig rig;
    auto module = rig.hid->add("/dev/hidraw0");
    rig.find();
    module->unplugged = true;
    EXPECT_TRUE(rig.control->WR_P0(3));
    EXPECT_EQ(rig.control->lastResult(), -1);
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0);
    EXPECT_EQ(rig.control->VOLT_CH1(), 0);
    EXPECT_TRUE(rig.control->deviceFound());
    // The poll's search each tick notices: nothing found, nothing open.
    EXPECT_EQ(rig.control->Find_USB_Device(), 0);
    EXPECT_EQ(rig.hid->openHandles, 0);
    // Plugged in again, the next search finds it.
    module->unplugged = false;
    module->p0 = 0xEF;
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0xEF);
}

TEST(UsbControl, UseTransportTakesOnlyHidTransports) {
    Rig rig;
    rig.hid->add("/dev/hidraw0");
    rig.find();

    QObject notATransport;
    EXPECT_FALSE(rig.control->useTransport(&notATransport));
    EXPECT_TRUE(rig.control->deviceFound());  // nothing changed
    EXPECT_EQ(rig.hid->openHandles, 2);

    SimulatedUsbModule module;
    module.setPort0Lines(0xDF);
    EXPECT_TRUE(rig.control->useTransport(&module));
    EXPECT_EQ(rig.hid->openHandles, 0);  // the old transport's handles are released
    EXPECT_FALSE(rig.control->deviceFound());
    EXPECT_FALSE(rig.control->RD_P0().isValid());
    EXPECT_EQ(shortOf(rig.control->RD_P0()), 0xDF);
    EXPECT_EQ(module.openHandles(), 2);
    EXPECT_EQ(rig.hid->enumerations, 1);  // only the search before the switch

    // nullptr: back to the control's own transport.
    EXPECT_TRUE(rig.control->useTransport(nullptr));
    EXPECT_EQ(module.openHandles(), 0);
    EXPECT_EQ(rig.control->Find_USB_Device(), -1);
    EXPECT_EQ(rig.hid->openHandles, 2);
}

TEST(UsbControl, ABorrowedTransportThatIsDestroyedIsNeverCalledAgain) {
    Rig rig;
    auto module = std::make_unique<SimulatedUsbModule>();
    ASSERT_TRUE(rig.control->useTransport(module.get()));
    ASSERT_EQ(rig.control->Find_USB_Device(), -1);
    module.reset();
    EXPECT_EQ(rig.control->Find_USB_Device(), 0);
    EXPECT_FALSE(rig.control->RD_P0().isValid());
}

TEST(UsbControl, AboutShowsTheWindowModallyAndReturnsNothing) {
    Rig rig;
    int shown = 0;
    rig.control->setAboutPresenter([&](QDialog& window) {
        ++shown;
        EXPECT_EQ(window.windowTitle(), QStringLiteral("About"));
        EXPECT_TRUE(window.isModal());
        QStringList texts;
        for (int i = 1; i <= 6; ++i) {
            auto* label = window.findChild<QLabel*>(QStringLiteral("Label%1").arg(i));
            ASSERT_NE(label, nullptr);
            texts << label->text();
        }
        EXPECT_EQ(texts.mid(0, 4),
                  (QStringList{QStringLiteral("USB ActiveX "), QStringLiteral("for Pennora "),
                               QStringLiteral("USB Digital I/O Module (12 lines)"),
                               QStringLiteral("ver 1.0")}));
        EXPECT_FALSE(texts[4].isEmpty());
        EXPECT_FALSE(texts[5].isEmpty());
        auto* picture = window.findChild<QLabel*>(QStringLiteral("Picture1"));
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
        // The OK button closes it.
        auto* ok = window.findChild<QPushButton*>();
        ASSERT_NE(ok, nullptr);
        ok->click();
        EXPECT_EQ(window.result(), QDialog::Accepted);
    });
    EXPECT_FALSE(rig.control->About().isValid());
    EXPECT_EQ(shown, 1);
    // About needs no module and searches for none.
    EXPECT_EQ(rig.hid->enumerations, 0);
}

TEST(UsbControl, ThePictureIsDrawnNotBlank) {
    const QImage image = AboutWindow::picture().toImage();
    ASSERT_FALSE(image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 5);
}

}  // namespace
