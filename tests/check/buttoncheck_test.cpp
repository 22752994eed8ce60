// The button check as the operator works it: the window against the
// simulated box of each model, through the same poll and decoder tables as
// play.
#include "checkrig.h"
#include "title/forms.h"

namespace {

struct Case {
    int model;
    ScreenPair screen;
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    return QStringLiteral("model%1_%2")
        .arg(info.param.model)
        .arg(screenName(info.param.screen))
        .toStdString();
}

class EveryModel : public ::testing::TestWithParam<Case> {
protected:
    EveryModel()
        : rig(GetParam().screen, GetParam().model), window(*rig.f.t, rig.f.menu, rig.f.screen) {}

    // The check's poll: the first makes the box listen, as play's does.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            window.pollTick();
            rig.f.t.clock.advance(0.1);
        }
    }
    // One press and let go, between polls.
    void buzz(int player) {
        tick();
        rig.press(player);
        tick();
        rig.release(player);
        tick(3);
    }

    CheckRig rig;
    ButtonCheckWindow window;
};

// Every player pressing once lights their own tile once and no other, and
// the window counts down who has not been heard. Model 200 on the 2-team
// 5-player screen runs two decoders on each code: still one press each.
TEST_P(EveryModel, EachPlayerLightsTheirOwnTileOnce) {
    const int players = rig.players();
    EXPECT_TRUE(window.notHeardLabel()->text().contains(playerName(players)));
    for (int p = 1; p <= players; ++p) {
        buzz(p);
        for (int q = 1; q <= players; ++q) {
            EXPECT_EQ(window.results().count(q), q <= p ? 1 : 0) << "after " << p << ", " << q;
        }
        EXPECT_TRUE(window.tile(p)->text().contains(QStringLiteral("heard 1"))) << p;
        EXPECT_FALSE(window.notHeardLabel()->text().contains(playerName(p) + QLatin1Char(',')))
            << p;
    }
    EXPECT_EQ(window.notHeardLabel()->text(), QStringLiteral("Every player has been heard."));
    EXPECT_EQ(window.findingsLabel()->text(), QString()) << "nothing odd was heard";
    // Nothing of play moved: no name, no lamp, no score, no sound.
    EXPECT_EQ(rig.f.screen.namelabel->text(), QStringLiteral("Torvanel"));
    EXPECT_EQ(rig.f.screen.ascorelabel->text(), QStringLiteral("0"));
    EXPECT_TRUE(rig.f.t.sound.played.empty());
}

INSTANTIATE_TEST_SUITE_P(Check, EveryModel,
                         ::testing::Values(Case{kWireless, ScreenPair::P3_4},
                                           Case{kWired, ScreenPair::P2_5},
                                           Case{kUsb, ScreenPair::P2_4},
                                           Case{kWireless2, ScreenPair::P2_5},
                                           Case{kWired2, ScreenPair::P3_5}),
                         caseName);

class Stuck : public EveryModel {};

// A button held down is named as stuck once it has been down in every code
// for two seconds; a player who simply presses again later is not.
TEST_P(Stuck, AHeldButtonIsNamed) {
    buzz(2);
    rig.f.t.clock.advance(3.0);
    buzz(2);
    EXPECT_EQ(window.findingsLabel()->text(), QString()) << "pressing twice is no fault";

    tick();
    rig.press(1);
    tick(5);
    if (rig.model() != kUsb) {
        // The wired box shows a held line in the codes others' presses make.
        rig.f.t.clock.advance(2.0);
        buzz(3);
    } else {
        tick(20);
    }
    ASSERT_EQ(window.results().stuckLines().size(), 1u);
    EXPECT_EQ(window.results().stuckLines()[0].player, 1);
    EXPECT_TRUE(window.findingsLabel()->text().contains(playerName(1)))
        << window.findingsLabel()->text().toStdString();
    EXPECT_TRUE(window.tile(1)->text().contains(QStringLiteral("STUCK")));

    // Freed, it is no longer named.
    rig.release(1);
    if (rig.model() != kUsb) {
        buzz(3);
    } else {
        tick(2);
    }
    EXPECT_TRUE(window.results().stuckLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Check, Stuck,
                         ::testing::Values(Case{kWired, ScreenPair::P2_4},
                                           Case{kUsb, ScreenPair::P2_4},
                                           Case{kWired2, ScreenPair::P3_4}),
                         caseName);

// The wireless boxes name the spare handset and numbers of nobody here.
TEST(CheckWireless, NamesTheExtraTransmitterAndStrangers) {
    CheckRig rig(ScreenPair::P2_4, kWireless);
    ButtonCheckWindow window(*rig.f.t, rig.f.menu, rig.f.screen);
    auto send = [&](int transmitter) {
        window.pollTick();
        rig.f.t.box.press(transmitter);
        window.pollTick();
    };
    send(14);
    send(11);
    EXPECT_EQ(window.results().notHeard().size(), 8u);
    const QString findings = window.findingsLabel()->text();
    EXPECT_TRUE(findings.contains(QStringLiteral("Extra transmitter (14) heard once, not in use")))
        << findings.toStdString();
    EXPECT_TRUE(findings.contains(QStringLiteral("Transmitters of no player on this screen: 11")));

    // Lent to player 3, the spare lights player 3.
    formsOf(*rig.f.t).formextrax().Comboxmitter->setCurrentIndex(2);
    send(14);
    EXPECT_EQ(window.results().count(3), 1);
    EXPECT_TRUE(window.findingsLabel()->text().contains(
        QStringLiteral("heard 2 times, lent to %1").arg(playerName(3))));

    // Silent unless the operator ticks "Sound"; then a press sounds as a
    // buzz-in of that player's team would.
    EXPECT_TRUE(rig.f.t.sound.played.empty());
    rig.f.t->state.AlphaSound = QStringLiteral("alpha.wav");
    rig.f.t->state.BetaSound = QStringLiteral("beta.wav");
    rig.f.setSoundSource(1);
    window.soundBox()->setChecked(true);
    send(6);
    ASSERT_EQ(rig.f.t.sound.played.size(), 1);
    EXPECT_EQ(rig.f.t.sound.played.back(), QStringLiteral("beta.wav"));
}

// Opened from the menu, the check leaves the play screen exactly as it
// found it: polling, clocks and the name shown, and no score touched. While
// it is open play's own poll leaves the box alone; a failed read runs play's
// recovery.
TEST(CheckWindow, ClosingPutsThePlayScreenBack) {
    CheckRig rig(ScreenPair::P2_4, kWired);
    PlayScreen& s = rig.f.screen;
    s.spacekey();
    s.clockStart();
    s.namelabel->setText(QStringLiteral("Shown before"));
    ASSERT_TRUE(s.porttimer->isActive());

    rig.f.menu.findChild<QAction*>(QStringLiteral("mnuCheckButtons"))->trigger();
    ButtonCheckWindow* window = ButtonCheckWindow::find(*rig.f.t);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->playScreen(), &s);
    EXPECT_TRUE(s.Timer2->isActive()) << "the match clock goes on during the check";

    window->pollTick();
    rig.press(5);
    s.porttimer_Timer();  // play's tick, had the timer fired
    EXPECT_TRUE(rig.f.t.box.buttonCodePending()) << "play's poll read the box";
    window->pollTick();
    rig.release(5);
    EXPECT_EQ(window->results().count(5), 1);
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Shown before"));

    // A code that stops half way: play's message and re-handshake.
    window->pollTick();
    rig.f.t.box.stallNextCode(3);
    rig.press(2);
    window->pollTick();
    EXPECT_EQ(
        rig.f.t.dialogs.count(QStringLiteral("Program will attempt to reset Torvanel Interface.")),
        1);
    EXPECT_FALSE(rig.f.t.box.codeRequests().empty());
    rig.release(2);

    window->close();
    EXPECT_TRUE(s.porttimer->isActive());
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Shown before"));
    EXPECT_EQ(s.ascore, 0);
    EXPECT_EQ(s.bscore, 0);
    EXPECT_EQ(ButtonCheckWindow::find(*rig.f.t), nullptr);

    // Play hears the box again.
    s.porttimer_Timer();
    rig.press(6);
    s.porttimer_Timer();
    EXPECT_EQ(s.namelabel->text(), playerName(6));
}

// Closing the check leaves the box as if the check had never run: a press
// while the screen is locked on a name is lost, not shown at the next clear.
class AfterTheCheck : public ::testing::TestWithParam<Case> {};

TEST_P(AfterTheCheck, APressBeforeTheClearIsNoBuzzIn) {
    CheckRig rig(GetParam().screen, GetParam().model);
    PlayScreen& s = rig.f.screen;
    ASSERT_FALSE(s.porttimer->isActive()) << "not polling, as right after start-up";
    rig.f.menu.findChild<QAction*>(QStringLiteral("mnuCheckButtons"))->trigger();
    ButtonCheckWindow* window = ButtonCheckWindow::find(*rig.f.t);
    ASSERT_NE(window, nullptr);
    window->pollTick();
    window->close();

    auto drain = [&] {
        if (auto* d = rig.f.menu.findChild<check::CheckDrain*>()) d->tick();
    };
    drain();
    rig.press(1);
    drain();
    rig.release(1);
    drain();
    s.spacekey();
    s.porttimer_Timer();
    s.porttimer_Timer();
    EXPECT_TRUE(s.namelabel->text().isEmpty()) << s.namelabel->text().toStdString();

    // Play hears the next press as ever.
    rig.press(2);
    s.porttimer_Timer();
    rig.release(2);
    EXPECT_EQ(s.namelabel->text(), playerName(2));
}

INSTANTIATE_TEST_SUITE_P(Check, AfterTheCheck,
                         ::testing::Values(Case{kWired, ScreenPair::P2_4},
                                           Case{kWired2, ScreenPair::P3_5},
                                           Case{kWireless, ScreenPair::P2_4},
                                           Case{kWireless2, ScreenPair::P3_4}),
                         caseName);

// The check only borrows the interface: a time-out called while it is open
// stays a time-out, and a screen shown for another team count meanwhile
// does not poll beside it.
TEST(CheckWindow, LeavesTheClocksAloneAndKeepsEveryScreenOffTheBox) {
    CheckRig rig(ScreenPair::P2_4, kWired);
    PlayScreen& s = rig.f.screen;
    s.clockStart();
    rig.f.menu.findChild<QAction*>(QStringLiteral("mnuCheckButtons"))->trigger();
    ButtonCheckWindow* window = ButtonCheckWindow::find(*rig.f.t);
    ASSERT_NE(window, nullptr);
    s.F6key();

    rig.f.menu.ComboTeams->setCurrentIndex(1);
    PlayScreen& three = formsOf(*rig.f.t).playScreen(ScreenPair::P3_4);
    three.spacekey();
    window->pollTick();
    EXPECT_TRUE(three.linkPaused()) << "only the check polls";

    window->close();
    EXPECT_FALSE(s.Timer2->isActive()) << "the time-out stopped the clock";
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_FALSE(three.linkPaused());
    EXPECT_FALSE(s.linkPaused());
}

}  // namespace
