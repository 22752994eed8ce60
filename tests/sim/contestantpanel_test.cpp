// The contestant panel over a whole program on the simulated box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "link/poll.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "play/playscreen.h"
#include "sim/contestantpanel.h"
#include "sim/simulatedusbmodule.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

struct PanelRig {
    explicit PanelRig(int model) : t(model) {
        started = t.startUp();
        panel = std::make_unique<ContestantPanel>(*t, t.box);
    }
    ~PanelRig() { panel.reset(); }

    void setPair(const char* teams, const char* players) {
        formsOf(*t).titleForm().TeamText->setText(QString::fromLatin1(teams));
        formsOf(*t).titleForm().PlayerText->setText(QString::fromLatin1(players));
        panel->refresh();
    }
    buzzlink::LinkPort link() { return {t.box, t.clock, 888}; }
    // One poll: the box listens from then on; returns the code read or -1.
    int poll() {
        const auto p = buzzlink::pollStep(link());
        return p.outcome == buzzlink::PollOutcome::CodeRead ? p.read.code : -1;
    }

    TestProgram t;
    bool started = false;
    std::unique_ptr<ContestantPanel> panel;
};

bool sendKey(QWidget* to, QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(type, key, mods);
    QCoreApplication::sendEvent(to, &event);
    return event.isAccepted();
}

}  // namespace

TEST(ContestantPanel, OneButtonPerPlayerNamedFromTheSetUpMenu) {
    PanelRig rig(170);
    ASSERT_TRUE(rig.started);
    ASSERT_EQ(rig.panel->playerCount(), 8);
    SetupMenu& menu = formsOf(*rig.t).setupMenu(MenuKind::Players4);
    menu.playerNameBox(6)->setText(QStringLiteral("Rosalind"));
    rig.panel->refresh();
    EXPECT_EQ(rig.panel->playerButton(6)->text(), QStringLiteral("W  Rosalind"));
    EXPECT_TRUE(rig.panel->playerButton(1)->text().startsWith(QStringLiteral("1  ")));
    EXPECT_FALSE(rig.panel->extraButton()->isHidden());

    rig.setPair("3", "5");
    EXPECT_EQ(rig.panel->screen(), ScreenPair::P3_5);
    EXPECT_EQ(rig.panel->playerCount(), 15);
    formsOf(*rig.t).setupMenu(MenuKind::Players5).playerNameBox(15)->setText(QStringLiteral("Ada"));
    rig.panel->refresh();
    EXPECT_EQ(rig.panel->playerButton(15)->text(), QStringLiteral("G  Ada"));
    EXPECT_TRUE(rig.panel->extraButton()->isHidden())
        << "on this screen 14 is Gamma's fourth player, not a spare";
}

TEST(ContestantPanel, TheExtraTransmitterSaysWhoItIsLentTo) {
    PanelRig rig(200);
    ASSERT_TRUE(rig.started);
    EXPECT_TRUE(rig.panel->extraButton()->text().contains(QStringLiteral("(0): not in use")));
    formsOf(*rig.t).formextrax().Comboxmitter->setCurrentIndex(2);
    formsOf(*rig.t).setupMenu(MenuKind::Players4).playerNameBox(3)->setText(QStringLiteral("Ida"));
    rig.panel->refresh();
    EXPECT_TRUE(rig.panel->extraButton()->text().contains(QStringLiteral("Ida (player 3)")));

    rig.poll();
    rig.panel->extraButton()->click();
    EXPECT_EQ(rig.poll(), 0) << "model 200's spare handset sends 0";
}

TEST(ContestantPanel, AButtonPressesThatPlayersLineOnTheBox) {
    struct Case {
        int model;
        const char* teams;
        const char* players;
        int player;
        int first, second;  // second -1: a one-byte box
    };
    const Case cases[] = {
        {170, "2", "4", 6, 6, -1},       {200, "3", "5", 14, 14, -1},
        {180, "2", "4", 1, 0xEF, 0xFF},  {180, "3", "4", 10, 0xFF, 0xFD},
        {210, "2", "5", 5, 0xFF, 0xBF},  // Alpha's fifth sits on the second byte
        {210, "3", "5", 15, 0xFF, 0xDF},
    };
    for (const Case& c : cases) {
        PanelRig rig(c.model);
        ASSERT_TRUE(rig.started);
        rig.setPair(c.teams, c.players);
        EXPECT_EQ(rig.poll(), -1);
        rig.panel->playerButton(c.player)->click();
        EXPECT_EQ(rig.poll(), c.first) << c.model << " player " << c.player;
        if (c.second >= 0) {
            EXPECT_EQ(buzzlink::readCode(rig.link()).code, c.second) << c.model << " " << c.player;
        }
    }
}

TEST(ContestantPanel, KeysForPlayersAndCtrlToPressSeveralTogether) {
    PanelRig rig(180);
    ASSERT_TRUE(rig.started);
    const auto none = Qt::NoModifier;
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_Space, none, true, false));
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_F1, none, true, false));
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_T, none, true, false)) << "no fifth player";
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_A, none, true, false)) << "no Gamma";
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_X, none, true, false)) << "a wired box has no spare";
    EXPECT_FALSE(rig.panel->handleKey(Qt::Key_1, Qt::AltModifier, true, false));

    rig.poll();
    EXPECT_TRUE(rig.panel->handleKey(Qt::Key_E, none, true, false));  // Beta's third: player 7
    EXPECT_TRUE(rig.t.box.isPressed(2));
    EXPECT_TRUE(rig.panel->handleKey(Qt::Key_E, none, false, false));
    EXPECT_FALSE(rig.t.box.isPressed(2));
    EXPECT_EQ(rig.poll(), 0xFB);
    buzzlink::readCode(rig.link());

    // Ctrl gathers players 1 and 8; letting go of Ctrl presses them at once.
    rig.poll();
    EXPECT_TRUE(rig.panel->handleKey(Qt::Key_1, Qt::ControlModifier, true, false));
    EXPECT_TRUE(rig.panel->handleKey(Qt::Key_R, Qt::ControlModifier, true, false));
    EXPECT_EQ(rig.panel->gathered(), (std::set<int>{1, 8}));
    EXPECT_FALSE(rig.t.box.buttonCodePending()) << "nothing pressed while gathering";
    EXPECT_TRUE(rig.panel->togetherButton()->isEnabled());
    rig.panel->handleKey(Qt::Key_Control, Qt::NoModifier, false, false);
    EXPECT_TRUE(rig.panel->gathered().empty());
    EXPECT_EQ(rig.poll(), 0xE7) << "0x10 (player 1) and 0x08 (player 8) low together";
}

TEST(ContestantPanel, PlayerKeysAreTakenOnlyWhileAPlayScreenIsActive) {
    PanelRig rig(170);
    ASSERT_TRUE(rig.started);
    PlayScreen& screen = formsOf(*rig.t).playScreen(ScreenPair::P2_4);
    SetupMenu& menu = formsOf(*rig.t).setupMenu(MenuKind::Players4);
    rig.poll();

    QApplication::setActiveWindow(&menu);
    if (QApplication::activeWindow() != &menu) GTEST_SKIP() << "no window activation here";
    sendKey(menu.playerNameBox(1), QEvent::KeyPress, Qt::Key_3);
    EXPECT_FALSE(rig.t.box.buttonCodePending()) << "typing in the set-up menu presses nobody";

    QApplication::setActiveWindow(&screen);
    ASSERT_EQ(QApplication::activeWindow(), &screen);
    sendKey(&screen, QEvent::KeyPress, Qt::Key_3);
    sendKey(&screen, QEvent::KeyRelease, Qt::Key_3);
    EXPECT_EQ(rig.poll(), 3);
}

TEST(ContestantPanel, NeverTakesTheKeyboardFocus) {
    PanelRig rig(210);
    ASSERT_TRUE(rig.started);
    EXPECT_TRUE(rig.panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(rig.panel->testAttribute(Qt::WA_ShowWithoutActivating));
    rig.setPair("3", "4");
    for (const QWidget* w : rig.panel->findChildren<QWidget*>()) {
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->metaObject()->className();
    }
}

TEST(ContestantPanel, TheSpeakerLampFlashesOnEverySpeakerByte) {
    PanelRig rig(210);
    ASSERT_TRUE(rig.started);
    EXPECT_FALSE(rig.panel->speakerFlashing());
    rig.t.box.outport(888, 129);
    EXPECT_TRUE(rig.panel->speakerFlashing());
    EXPECT_EQ(rig.panel->speakerLamp()->text(), QStringLiteral("Speaker: Beta buzz-in"));
    rig.t.box.outport(888, 0);
    EXPECT_TRUE(rig.panel->speakerFlashing()) << "a one-tick tone stays visible a while";
}

TEST(ContestantPanel, WithTheUsbLockoutTheButtonsPullTheModulesLines) {
    TestProgram t(199);
    SimulatedUsbModule module;
    t->setUsbTransport(&module);
    ASSERT_TRUE(t.startUp());
    ContestantPanel panel(*t, t.box);
    ASSERT_EQ(panel.usbModule(), &module);
    EXPECT_EQ(panel.playerCount(), 8);
    EXPECT_TRUE(panel.extraButton()->isHidden());

    // Alpha's players on lines 4 to 7, Beta's on 0 to 3, active low.
    panel.pressPlayer(1);
    EXPECT_EQ(module.port0Lines(), 0xEF);
    EXPECT_TRUE(panel.handleKey(Qt::Key_Q, Qt::NoModifier, true, false));
    EXPECT_EQ(module.port0Lines(), 0xEE);
    EXPECT_FALSE(t.box.buttonCodePending()) << "the parallel-port box is not involved";

    // A quick click keeps its line low until the poll has had time to see
    // it.
    panel.releasePlayer(1);
    EXPECT_TRUE(panel.handleKey(Qt::Key_Q, Qt::NoModifier, false, false));
    EXPECT_EQ(module.port0Lines(), 0xEE);
    EXPECT_EQ(panel.heldUsbPlayers(), (std::set<int>{1, 5}));
    panel.releaseHeldUsbLines();
    EXPECT_EQ(module.port0Lines(), 0xFF);

    // Pressed again before the hold ran out, a line stays down.
    panel.pressPlayer(8);
    panel.releasePlayer(8);
    panel.pressPlayer(8);
    EXPECT_TRUE(panel.heldUsbPlayers().empty());
    panel.releaseHeldUsbLines();
    EXPECT_EQ(module.port0Lines(), 0xF7);
    panel.releasePlayer(8);
    panel.releaseHeldUsbLines();

    // Players gathered with Ctrl go down in one go.
    panel.toggleGathered(2);
    panel.toggleGathered(7);
    panel.pressGathered();
    EXPECT_EQ(module.port0Lines(), 0xDB);
    panel.releaseHeldUsbLines();
    EXPECT_EQ(module.port0Lines(), 0xFF);
}
