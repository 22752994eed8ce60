// The operator's keys and the clears of the name display, on each screen.
#include <map>

#include <QLineEdit>

#include "playfixture.h"

namespace {

struct KeyDifferences {
    bool gammaKeys;      // F11 and F12
    bool f9ShowsTossUp;  // F9 also writes "Toss Up"
    int lamps;
};

const std::map<ScreenPair, KeyDifferences> kKeys = {
    {ScreenPair::P2_4, {false, false, 8}},
    {ScreenPair::P2_5, {false, true, 10}},
    {ScreenPair::P3_4, {true, true, 12}},
    {ScreenPair::P3_5, {true, false, 15}},
};

class Keys : public ::testing::TestWithParam<ScreenPair> {
protected:
    // A buzz-in as the decoders leave the screen: name, team, lit lamps and
    // highlighted boards, polling stopped.
    void showBuzzIn() {
        s.namelabel->setText(QStringLiteral("Bartholomew"));
        s.Labelteam->setText(QStringLiteral("Alpha"));
        for (const auto& [i, lamp] : s.p1label)
            setBackColour(lamp, colourFromBgr(playcolour::kLampLit));
        for (int team = 0; team < s.variant().teams; ++team) {
            setBackColour(s.scoreLabel(team), colourFromBgr(playcolour::kScoreHighlight));
        }
        s.porttimer->stop();
    }
    void expectCleared() {
        EXPECT_TRUE(s.namelabel->text().isEmpty());
        EXPECT_TRUE(s.Labelteam->text().isEmpty());
        EXPECT_TRUE(s.porttimer->isActive());
        EXPECT_EQ(s.p1label.count(), k.lamps);
        for (const auto& [i, lamp] : s.p1label) {
            EXPECT_EQ(backColour(lamp), buttonFaceColour()) << "lamp " << i;
        }
        for (int team = 0; team < s.variant().teams; ++team) {
            EXPECT_EQ(backColour(s.scoreLabel(team)), buttonFaceColour()) << "team " << team;
        }
    }
    // A toss-up running with the given seconds left.
    void runningTossUp(int left) {
        f.menu.Texttimer[7]->setText(QString::number(left));
        s.tossUpStart();
    }

    PlayFixture f{GetParam()};
    PlayScreen& s = f.screen;
    const KeyDifferences& k = kKeys.at(GetParam());
};

TEST_P(Keys, SpaceClearsAndStopsTheTimerUnlessItContinues) {
    for (bool continues : {false, true}) {
        SCOPED_TRACE(continues);
        f.setTimerContinues(continues);
        runningTossUp(10);
        showBuzzIn();
        f.clearWrites();
        EXPECT_TRUE(f.key(Qt::Key_Space));
        expectCleared();
        EXPECT_TRUE(s.Labeltimerstate->text().isEmpty());
        EXPECT_EQ(s.Timer1->isActive(), continues);
        EXPECT_EQ(s.timerlabel->text(), continues ? QStringLiteral("10") : QString());
        EXPECT_TRUE(f.writes().empty()) << "clearing writes nothing to the interface";
    }
}

TEST_P(Keys, SpaceWithTwoSecondsLeftGivesTheNextTeamThree) {
    f.setTimerContinues(true);
    runningTossUp(5);
    f.tick1(3);
    ASSERT_EQ(s.ndigit1, 2);
    s.spacekey();
    f.tick1();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("3"));
    // Three or more left: no top-up.
    runningTossUp(5);
    f.tick1(2);
    s.spacekey();
    f.tick1();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("2"));
}

TEST_P(Keys, LeftClickOnTheNameClearsButAContinuingTimerRunsOn) {
    for (bool continues : {false, true}) {
        SCOPED_TRACE(continues);
        f.setTimerContinues(continues);
        runningTossUp(10);
        s.Labeltimerstate->setText(QStringLiteral("Toss Up"));
        showBuzzIn();
        PlayFixture::press(s.namelabel, Qt::LeftButton);
        expectCleared();
        EXPECT_TRUE(s.timerlabel->text().isEmpty()) << "the digits go either way";
        EXPECT_EQ(s.Timer1->isActive(), continues);
        EXPECT_EQ(s.Labeltimerstate->text(), continues ? QStringLiteral("Toss Up") : QString());
        if (continues) {
            f.tick1();
            EXPECT_EQ(s.timerlabel->text(), QStringLiteral("9"));
        }
    }
}

TEST_P(Keys, OtherButtonsOnTheNameOnlyRearmAndTopUp) {
    f.setTimerContinues(true);
    runningTossUp(5);
    f.tick1(4);
    ASSERT_EQ(s.ndigit1, 1);
    showBuzzIn();
    PlayFixture::press(s.namelabel, Qt::RightButton);
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Bartholomew"));
    EXPECT_EQ(s.Labelteam->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(backColour(s.ascorelabel), colourFromBgr(playcolour::kScoreHighlight));
    EXPECT_TRUE(s.porttimer->isActive());
    EXPECT_EQ(s.ndigit1, 4);
    f.tick1();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("3"));
}

TEST_P(Keys, DoubleClickOnTheNameResetsEverything) {
    for (bool continues : {false, true}) {
        SCOPED_TRACE(continues);
        f.setTimerContinues(continues);
        runningTossUp(10);
        s.Labeltimerstate->setText(QStringLiteral("Toss Up"));
        showBuzzIn();
        PlayFixture::doubleClick(s.namelabel, Qt::LeftButton);
        expectCleared();
        EXPECT_TRUE(s.timerlabel->text().isEmpty());
        EXPECT_TRUE(s.Labeltimerstate->text().isEmpty());
        EXPECT_FALSE(s.Timer1->isActive()) << "the full reset stops the timer either way";
        // The press that begins a double-click already releases a held
        // respondent; the reset itself arms for a new question on every
        // screen, so nobody stays held.
        f.t->state.SecondPlaceHeld = true;
        s.namelabel_DblClick();
        EXPECT_FALSE(f.t->state.SecondPlaceHeld);
    }
}

TEST_P(Keys, RightDoubleClickIsTwoPresses) {
    showBuzzIn();
    runningTossUp(10);
    PlayFixture::doubleClick(s.namelabel, Qt::RightButton);
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Bartholomew"));
    EXPECT_TRUE(s.Timer1->isActive());
}

TEST_P(Keys, F9StartsTheTossUpOnlyOnAnEmptyName) {
    f.menu.Texttimer[7]->setText(QStringLiteral("5"));
    s.namelabel->setText(QStringLiteral("Bartholomew"));
    s.timerlabel->setText(QStringLiteral("idle"));
    EXPECT_TRUE(f.key(Qt::Key_F9));
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("idle"));
    EXPECT_FALSE(s.Timer1->isActive());

    s.spacekey();
    s.Labeltimerstate->setText(QStringLiteral("Bonus"));
    EXPECT_TRUE(f.key(Qt::Key_F9));
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("5"));
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_EQ(s.Labeltimerstate->text(),
              k.f9ShowsTossUp ? QStringLiteral("Toss Up") : QStringLiteral("Bonus"));
}

TEST_P(Keys, F5StartsTheClock) {
    s.Form_Activate();
    EXPECT_TRUE(f.key(Qt::Key_F5));
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_EQ(foreColour(s.clocklabel), buttonTextColour());
}

TEST_P(Keys, GammaKeysOnlyOnThreeTeamScreens) {
    f.menu.textincrement[0]->setText(QStringLiteral("3"));
    EXPECT_EQ(f.key(Qt::Key_F11), k.gammaKeys);
    EXPECT_EQ(s.gscore, k.gammaKeys ? 3 : 0);
    EXPECT_EQ(f.key(Qt::Key_F12), k.gammaKeys);
    EXPECT_EQ(f.key(Qt::Key_F12), k.gammaKeys);
    EXPECT_EQ(s.gscore, k.gammaKeys ? -3 : 0);
    if (s.gscorelabel) {
        EXPECT_EQ(s.gscorelabel->text(), QStringLiteral("-3"));
    }
    EXPECT_EQ(s.ascore, 0);
    EXPECT_EQ(s.bscore, 0);
    // Called by name on a 2-team screen, they still touch nothing.
    f.menu.textincrement[0]->setText(QStringLiteral("5"));
    s.F11key();
    EXPECT_EQ(s.gscore, k.gammaKeys ? 2 : 0);
}

TEST_P(Keys, TheKeyCodeAloneDecides) {
    f.menu.textincrement[0]->setText(QStringLiteral("1"));
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
          Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier)}) {
        EXPECT_TRUE(f.key(Qt::Key_F1, mods));
    }
    EXPECT_EQ(s.ascore, 4);
    // Keys that are not the screen's change nothing and are left to others.
    s.namelabel->setText(QStringLiteral("Bartholomew"));
    for (int key : {int(Qt::Key_A), int(Qt::Key_Return), int(Qt::Key_1), int(Qt::Key_F13)}) {
        EXPECT_FALSE(f.key(key)) << key;
    }
    EXPECT_EQ(s.ascore, 4);
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Bartholomew"));
}

TEST_P(Keys, AFocusedWidgetCannotSwallowTheOperatorKeys) {
    // A button that has somehow taken the focus, and a text box, as another
    // window part might add.
    s.Commandsetupmenu->setFocusPolicy(Qt::StrongFocus);
    bool clicked = false;
    QObject::connect(s.Commandsetupmenu, &QPushButton::clicked, [&] { clicked = true; });
    auto* box = new QLineEdit(&s);
    f.menu.textincrement[0]->setText(QStringLiteral("2"));

    s.namelabel->setText(QStringLiteral("Bartholomew"));
    EXPECT_TRUE(f.key(Qt::Key_Space, Qt::NoModifier, s.Commandsetupmenu));
    EXPECT_TRUE(s.namelabel->text().isEmpty()) << "space cleared the screen";
    EXPECT_FALSE(clicked) << "and did not press the button";
    EXPECT_FALSE(f.menu.isVisible());

    s.namelabel->setText(QStringLiteral("Bartholomew"));
    EXPECT_TRUE(f.key(Qt::Key_Space, Qt::NoModifier, box));
    EXPECT_TRUE(s.namelabel->text().isEmpty());
    EXPECT_TRUE(box->text().isEmpty()) << "no space typed into the box";
    EXPECT_TRUE(f.key(Qt::Key_F3, Qt::NoModifier, box));
    EXPECT_EQ(s.bscore, 2);
}

TEST_P(Keys, OtherWindowsKeepTheirKeys) {
    // The screen takes keys meant for itself only: space in the set-up
    // menu's name box is typed there.
    QLineEdit* name = f.menu.Text[0];
    name->setText(QStringLiteral("Al"));
    name->setCursorPosition(2);
    s.namelabel->setText(QStringLiteral("Bartholomew"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(name, &down);
    EXPECT_EQ(name->text(), QStringLiteral("Al "));
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Bartholomew"));
}

TEST_P(Keys, AltReturnAndEscapeLeaveAndReenterFullScreen) {
    // On the tests' one display the screen opens as a window beside the
    // operator's; Alt+Return gives full screen.
    s.showScreen();
    ASSERT_FALSE(s.isFullScreen());
    EXPECT_TRUE(f.key(Qt::Key_Return, Qt::AltModifier));
    ASSERT_TRUE(s.isFullScreen());
    EXPECT_TRUE(f.key(Qt::Key_Return, Qt::AltModifier));
    EXPECT_FALSE(s.isFullScreen());
    EXPECT_TRUE(f.key(Qt::Key_Return, Qt::AltModifier));
    EXPECT_TRUE(s.isFullScreen());
    EXPECT_TRUE(f.key(Qt::Key_Escape));
    EXPECT_FALSE(s.isFullScreen());
    EXPECT_FALSE(f.key(Qt::Key_Escape)) << "out of full screen, Escape is not the screen's";
    s.hide();
}

INSTANTIATE_TEST_SUITE_P(AllScreens, Keys, ::testing::ValuesIn(kAllScreens), screenLabel);

}  // namespace
