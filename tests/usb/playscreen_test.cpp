// The USB lockout (model 199) through the real play screen: porttimer's
// tick reads the USB module's port 0 through the control, called by name,
// and the screen shows the player whose line went low.
#include <set>

#include <QObject>

#include "app/objecthost.h"
#include "app/pluginobjecthost.h"
#include "app/usbhost.h"
#include "play/playfixture.h"
#include "sim/simulatedusbmodule.h"
#include "usb/usbcontrol.h"

namespace {

constexpr int kUsb = 199;

QString playerName(int p) { return QStringLiteral("Name %1").arg(p); }

// A play screen on model 199 whose program creates the control from
// `host`, handed the simulated module as the simulated lockout does.
struct UsbRoad {
    enum class Control { Registered, Missing };

    explicit UsbRoad(ScreenPair pair = ScreenPair::P2_4, Control control = Control::Registered)
        : f(pair, kUsb), s(f.screen) {
        if (control == Control::Registered) {
            host.registerClass(QLatin1String(kUsbClassId), [] {
                auto c = std::make_unique<UsbControl>(nullptr);
                c->setPause([](int) {});
                return c;
            });
        }
        f.t->setObjectHost(host);
        f.t->setUsbTransport(&module);
        f.t->state.InterfaceModel = kUsb;
        f.t->state.AlphaSound = QStringLiteral("alpha.wav");
        f.t->state.BetaSound = QStringLiteral("beta.wav");
        f.menu.teamNameBox(0)->setText(QStringLiteral("Red Team"));
        f.menu.teamNameBox(1)->setText(QStringLiteral("Blue Team"));
        for (int p = 1; p <= 8; ++p)
            f.menu.playerNameBox(p)->setText(playerName(p));
        // The 4-player menu keeps this model on the sound card.
        f.setSoundSource(1);
        setTimerContinues(false);
    }

    void setTimerContinues(bool on) {
        f.setTimerContinues(!on);
        f.setTimerContinues(on);
    }
    void tick() {
        if (s.porttimer->isActive()) s.porttimer_Timer();
    }
    void arm() { s.spacekey(); }

    std::set<int> litLamps() const {
        std::set<int> lit;
        for (const auto& [index, lamp] : s.p1label) {
            if (backColour(lamp) == colourFromBgr(192)) lit.insert(index + 1);
        }
        return lit;
    }
    void expectShowing(int p) const {
        const bool alpha = p <= 4;
        EXPECT_EQ(s.namelabel->text(), playerName(p));
        EXPECT_EQ(s.Labelteam->text(),
                  alpha ? QStringLiteral("Red Team") : QStringLiteral("Blue Team"));
        EXPECT_EQ(s.Labelteam->alignment() & Qt::AlignHorizontal_Mask,
                  alpha ? Qt::AlignLeft : Qt::AlignRight);
        EXPECT_EQ(backColour(s.scoreLabel(alpha ? 0 : 1)), colourFromBgr(4088));
        EXPECT_EQ(backColour(s.scoreLabel(alpha ? 1 : 0)), buttonFaceColour());
        EXPECT_EQ(litLamps(), std::set<int>{p});
        EXPECT_EQ(s.ResponderNumber, p);
    }
    void expectEmpty() const {
        EXPECT_TRUE(s.namelabel->text().isEmpty());
        EXPECT_TRUE(litLamps().empty());
    }

    // Declared before the screen's program, which they outlive.
    RegisteredObjectHost host;
    SimulatedUsbModule module;
    PlayFixture f;
    PlayScreen& s;
};

// A control that answers from a script and records the calls made on it.
class ScriptedControl : public QObject {
    Q_OBJECT

public:
    Q_INVOKABLE QVariant RD_P0() {
        calls.push_back("RD_P0");
        if (reads.empty()) return QVariant();
        QVariant v = reads.front();
        reads.erase(reads.begin());
        return v;
    }
    Q_INVOKABLE qint16 Find_USB_Device() {
        calls.push_back("Find_USB_Device");
        return -1;
    }

    std::vector<QVariant> reads;
    std::vector<std::string> calls;
};

}  // namespace

TEST(UsbPlayScreen, NobodyPressingShows255OnEveryTickAndDoesNothingElse) {
    UsbRoad r;
    r.arm();
    for (int tick = 0; tick < 20; ++tick) {
        r.tick();
        ASSERT_EQ(r.s.Label1->text(), QStringLiteral("255")) << tick;
    }
    r.expectEmpty();
    EXPECT_TRUE(r.s.porttimer->isActive());
    EXPECT_TRUE(r.f.writes().empty()) << "nothing goes to the parallel port";
    EXPECT_TRUE(r.f.t.sound.played.isEmpty());
    EXPECT_EQ(r.host.created(), 1) << "one control for the screen";
    EXPECT_EQ(r.module.openHandles(), 2) << "searching every tick leaves one pair open";
    EXPECT_EQ(r.module.portReads(), 2 * 20 - 1) << "the very first read only searches";
}

TEST(UsbPlayScreen, Line0x10LowShowsAlphasFirstPlayerAndStopsPolling) {
    for (bool continues : {false, true}) {
        SCOPED_TRACE(continues);
        UsbRoad r;
        r.setTimerContinues(continues);
        r.arm();
        r.s.tossUpStart();
        r.tick();
        r.module.setPort0Lines(0xEF);
        r.tick();
        r.expectShowing(1);
        EXPECT_EQ(r.s.Label1->text(), QStringLiteral("239"));
        EXPECT_EQ(r.s.ResponseCode, 0xEF);
        EXPECT_FALSE(r.s.porttimer->isActive());
        EXPECT_EQ(r.s.Timer1->isActive(), continues);
        EXPECT_EQ(r.f.t.sound.played, QStringList{QStringLiteral("alpha.wav")});
        EXPECT_TRUE(r.f.writes().empty());
    }
}

TEST(UsbPlayScreen, EveryLineIsItsPlayer) {
    const std::pair<int, int> lines[] = {{1, 0xEF}, {2, 0xDF}, {3, 0xBF}, {4, 0x7F},
                                         {5, 0xFE}, {6, 0xFD}, {7, 0xFB}, {8, 0xF7}};
    UsbRoad r;
    for (const auto& [player, value] : lines) {
        SCOPED_TRACE(player);
        r.arm();
        r.module.setPort0Lines(static_cast<std::uint8_t>(value));
        r.tick();
        r.expectShowing(player);
        r.module.setPort0Lines(0xFF);
    }
}

TEST(UsbPlayScreen, TwoLinesLowShowOneOfTheTwoPlayers) {
    UsbRoad r;
    std::set<int> winners;
    for (int draw = 0; draw < 24; ++draw) {
        r.arm();
        r.module.setPort0Lines(0xEE);
        r.tick();
        const int shown = r.s.ResponderNumber;
        ASSERT_TRUE(shown == 1 || shown == 5) << shown;
        r.expectShowing(shown);
        winners.insert(shown);
    }
    EXPECT_EQ(winners, (std::set<int>{1, 5}));
}

TEST(UsbPlayScreen, TheOtherScreensAreNotPolledThroughTheModule) {
    for (ScreenPair pair : {ScreenPair::P2_5, ScreenPair::P3_4, ScreenPair::P3_5}) {
        SCOPED_TRACE(screenName(pair).toStdString());
        UsbRoad r(pair);
        r.arm();
        r.module.pressPlayer(1, true);
        r.tick();
        r.tick();
        EXPECT_EQ(r.host.created(), 0);
        EXPECT_EQ(r.module.commands(), 0);
        EXPECT_EQ(r.s.usbControl(), nullptr);
        EXPECT_EQ(r.f.writes(), (std::vector<int>{19, 19})) << "the parallel port is polled";
        r.expectEmpty();
    }
}

TEST(UsbPlayScreen, AClearByMouseRearmsAndAButtonStillDownIsSeenAgain) {
    UsbRoad r;
    r.arm();
    r.module.pressPlayer(6, true);
    r.tick();
    r.expectShowing(6);

    PlayFixture::press(r.s.namelabel, Qt::LeftButton);
    r.expectEmpty();
    EXPECT_TRUE(r.s.porttimer->isActive());
    // The module has no latch: the line is read as it is.
    r.tick();
    r.expectShowing(6);

    r.module.pressPlayer(6, false);
    PlayFixture::press(r.s.namelabel, Qt::LeftButton);
    r.tick();
    r.expectEmpty();
    r.module.pressPlayer(2, true);
    r.tick();
    r.expectShowing(2);
}

TEST(UsbPlayScreen, WithoutThePluginTheScreenPollsOnWithNoBuzzInsAndNoMessage) {
    UsbRoad r(ScreenPair::P2_4, UsbRoad::Control::Missing);
    r.arm();
    r.module.pressPlayer(1, true);
    for (int tick = 0; tick < 5; ++tick) {
        r.tick();
        ASSERT_EQ(r.s.Label1->text(), QStringLiteral("0"));
    }
    EXPECT_EQ(r.s.usbControl(), nullptr);
    r.expectEmpty();
    EXPECT_TRUE(r.s.porttimer->isActive());
    EXPECT_TRUE(r.f.t.dialogs.messages.empty());
    EXPECT_TRUE(r.f.writes().empty());
}

TEST(UsbPlayScreen, AModulePluggedInLateWorksFromTheNextTick) {
    UsbRoad r;
    r.module.setAttached(false);
    r.arm();
    r.module.pressPlayer(3, true);
    r.tick();
    r.tick();
    EXPECT_EQ(r.s.Label1->text(), QStringLiteral("0"));
    r.expectEmpty();
    r.module.setAttached(true);
    r.tick();
    r.expectShowing(3);
}

TEST(UsbPlayScreen, EachTickReadsSearchesAndReadsAndUsesOnlyTheSecondValue) {
    struct Tick {
        QVariant first, second;
        const char* label;
    };
    const Tick ticks[] = {
        {QVariant(), QVariant(), "0"},                            // not found yet
        {QVariant(0xEF), QVariant(255), "255"},                   // the first read is not used
        {QVariant(), QVariant(QStringLiteral("abc")), "0"},       // no number: no reading
        {QVariant(255), QVariant(QStringLiteral("191")), "191"},  // line 0x40: player 3
    };
    ScriptedControl* control = nullptr;
    UsbRoad r;
    r.host.registerClass(QLatin1String(kUsbClassId), [&] {
        auto c = std::make_unique<ScriptedControl>();
        for (const Tick& t : ticks)
            c->reads.insert(c->reads.end(), {t.first, t.second});
        control = c.get();
        return c;
    });
    r.f.t->setUsbTransport(nullptr);
    r.arm();
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.label);
        r.expectEmpty();
        r.tick();
        EXPECT_EQ(r.s.Label1->text(), QString::fromLatin1(t.label));
    }
    ASSERT_NE(control, nullptr);
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i)
        expected.insert(expected.end(), {"RD_P0", "Find_USB_Device", "RD_P0"});
    EXPECT_EQ(control->calls, expected);
    r.expectShowing(3);
}

TEST(UsbPlayScreen, ThePluginFromTheBuildTreeDrivesTheSimulatedModule) {
    PluginObjectHost plugins({QStringLiteral(TORVANEL_USB_PLUGIN_DIR)});
    UsbRoad r;
    r.f.t->setObjectHost(plugins);
    r.arm();
    r.tick();
    ASSERT_NE(r.s.usbControl(), nullptr) << plugins.lastError().toStdString();
    EXPECT_STREQ(r.s.usbControl()->metaObject()->className(), "UsbControl");
    EXPECT_EQ(r.s.Label1->text(), QStringLiteral("255"));
    r.module.pressPlayer(7, true);
    r.tick();
    r.expectShowing(7);
    EXPECT_GT(r.module.portReads(), 0);
    EXPECT_EQ(r.module.openHandles(), 2);
}

#include "playscreen_test.moc"
