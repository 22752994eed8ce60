// The options window: what each box does to the play screens and the set-up
// menus, as the operator sets it, as a setup file sets it, and as the
// 4-player menu applies the options again.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

#include "../menu/menurig.h"
#include "app/controls.h"
#include "title/forms.h"

using namespace menutest;

namespace {

struct TabCase {
    const char* name;
    QCheckBox* FormOptions::*box;
    // The widgets the box shows, on one screen (nullptr where the screen has
    // none).
    std::function<std::vector<QWidget*>(PlayScreen&)> widgets;
    bool showsWhenSet;
};

const TabCase kTabCases[] = {
    {"scoring tabs", &FormOptions::CheckScoringTabs,
     [](PlayScreen& s) { return std::vector<QWidget*>{s.a5, s.a10, s.b5, s.b10, s.g5, s.g10}; },
     true},
    {"timer tabs", &FormOptions::CheckTimerTabs,
     [](PlayScreen& s) {
         return std::vector<QWidget*>{s.CommandT, s.CommandB, s.CommandA};
     },
     true},
    {"20 second tab", &FormOptions::Check20SecondTab,
     [](PlayScreen& s) { return std::vector<QWidget*>{s.Command20}; }, true},
    {"score boards", &FormOptions::CheckScoreBoard,
     [](PlayScreen& s) {
         return std::vector<QWidget*>{s.ascorelabel, s.bscorelabel, s.gscorelabel};
     },
     false},
};

bool threeTeam(ScreenPair s) { return s == ScreenPair::P3_4 || s == ScreenPair::P3_5; }

// Whether every widget the case names is on show (not hidden) on the
// screen; nullptr entries are the widgets a 2-team screen lacks.
void expectShown(StartedProgram& p, const TabCase& c, bool shown, const std::string& when) {
    for (ScreenPair s : kAllScreens) {
        int present = 0;
        for (QWidget* w : c.widgets(p.screen(s))) {
            if (!w) continue;
            ++present;
            EXPECT_EQ(!w->isHidden(), shown)
                << c.name << " " << when << " " << screenName(s).toStdString() << " "
                << w->objectName().toStdString();
        }
        if (std::string(c.name) == "scoring tabs") {
            EXPECT_EQ(present, threeTeam(s) ? 6 : 4) << screenName(s).toStdString();
        }
    }
}

QStringList clocks(StartedProgram& p) {
    QStringList list;
    for (ScreenPair s : kAllScreens)
        list << p.screen(s).clocklabel->text();
    return list;
}

}  // namespace

TEST(Options, TabsAndBoardsFollowTheirBoxesOnAllFourScreens) {
    for (const TabCase& c : kTabCases) {
        StartedProgram p;
        QCheckBox* box = p.options().*c.box;
        expectShown(p, c, !c.showsWhenSet, "at start");
        box->click();
        expectShown(p, c, c.showsWhenSet, "set");
        box->click();
        expectShown(p, c, !c.showsWhenSet, "cleared");
    }
}

TEST(Options, ScreensMadeAfreshCarryTheOptions) {
    StartedProgram p;
    FormOptions& o = p.options();
    for (QCheckBox* box :
         {o.CheckScoringTabs, o.CheckTimerTabs, o.Check20SecondTab, o.CheckScoreBoard}) {
        box->click();
    }
    p.menu4().CommandHide->click();
    TestProgram::flushDeletes();
    for (const TabCase& c : kTabCases) {
        expectShown(p, c, c.showsWhenSet, "made afresh");
    }
    p.menu4().Form_Activate();
    for (const TabCase& c : kTabCases) {
        expectShown(p, c, c.showsWhenSet, "after activation");
    }
}

TEST(Options, AScreenMadeAfreshByTheFivePlayerMenuHasTheOptionsAtOnce) {
    StartedProgram p(170, "2", "5");
    FormOptions& o = p.options();
    for (QCheckBox* box : {o.CheckScoringTabs, o.CheckTimerTabs, o.Check20SecondTab,
                           o.CheckScoreBoard, o.CheckDisableMatchTimer}) {
        box->click();
    }
    p.menu5().CommandHide->click();
    TestProgram::flushDeletes();
    // The 5-player menu applies no options when it becomes active.
    p.menu5().Form_Activate();
    operatorPicks(p.menu5().ComboTeams, 1);
    PlayScreen& fresh = p.screen(ScreenPair::P3_5);
    ASSERT_TRUE(fresh.isVisible());
    for (QWidget* w : {static_cast<QWidget*>(fresh.g5), static_cast<QWidget*>(fresh.CommandT),
                       static_cast<QWidget*>(fresh.Command20)}) {
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    }
    EXPECT_TRUE(fresh.gscorelabel->isHidden());
    EXPECT_EQ(fresh.clocklabel->text(), QStringLiteral("0:00"));
}

TEST(Options, TheFlagsFollowTheirBoxes) {
    StartedProgram p;
    ProgramState& s = p.t->state;
    FormOptions& o = p.options();
    EXPECT_FALSE(s.BuzzOnBonus);
    o.CheckBuzzonBonus->click();
    EXPECT_TRUE(s.BuzzOnBonus);
    o.CheckBuzzonBonus->click();
    EXPECT_FALSE(s.BuzzOnBonus);

    o.CheckTimerContinues->click();
    EXPECT_FALSE(s.StopTimerOnBuzz);
    o.CheckTimerContinues->click();
    EXPECT_TRUE(s.StopTimerOnBuzz);

    o.CheckTurnOffClear->click();
    EXPECT_TRUE(s.TurnOffClear);
    o.CheckTurnOffClear->click();
    EXPECT_FALSE(s.TurnOffClear);

    // The menu's activation puts StopTimerOnBuzz back from its box; the
    // other two flags only their own boxes set.
    s.StopTimerOnBuzz = false;
    s.BuzzOnBonus = true;
    p.menu4().Form_Activate();
    EXPECT_TRUE(s.StopTimerOnBuzz);
    EXPECT_TRUE(s.BuzzOnBonus);
}

TEST(Options, DisablingTheMatchTimerBlanksEveryClockAndClearingBringsBackEachMenusTime) {
    StartedProgram p;
    p.menu4().Texttimer[6]->setText(QStringLiteral("12:00"));
    p.menu5().Texttimer[6]->setText(QStringLiteral("9:30"));
    QCheckBox* box = p.options().CheckDisableMatchTimer;
    box->click();
    EXPECT_EQ(clocks(p), QStringList({"0:00", "0:00", "0:00", "0:00"}));
    box->click();
    // In the order PlayScreen2_4, Playscreen3_4, PlayScreen2_5, Playscreen3_5.
    EXPECT_EQ(clocks(p), QStringList({"12:00", "12:00", "9:30", "9:30"}));
}

TEST(Options, AMatchTimerDisabledByTheSetupFileComesBackWithTheFilesTime) {
    TestProgram t(170);
    QStringList lines = setuptest::validLines();
    lines[21] = QStringLiteral("20:00");
    lines[39] = QStringLiteral(" 1 ");
    setuptest::writeBytes(t->startupSetupFile(), setuptest::crlf(lines));
    ASSERT_TRUE(t.startUp());
    FormOptions& o = formsOf(*t).formOptions();
    ASSERT_EQ(checkValue(o.CheckDisableMatchTimer), 1);
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).clocklabel->text(), QStringLiteral("0:00"));
    }
    // The menu is opened and activated while the clock is off, as the
    // operator would before turning it back on.
    formsOf(*t).setupMenu(MenuKind::Players4).Form_Activate();
    o.CheckDisableMatchTimer->click();
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).clocklabel->text(), QStringLiteral("20:00"))
            << screenName(s).toStdString();
    }
}

// With the match timer off the clock is at nothing, however the option came
// on: F5 runs it out at the next tick.
TEST(Options, F5WithTheMatchTimerOffRunsTheClockOutAtOnce) {
    for (const bool fromFile : {false, true}) {
        TestProgram t(170);
        if (fromFile) {
            QStringList lines = setuptest::validLines();
            lines[39] = QStringLiteral(" 1 ");
            setuptest::writeBytes(t->startupSetupFile(), setuptest::crlf(lines));
        }
        ASSERT_TRUE(t.startUp());
        FormOptions& o = formsOf(*t).formOptions();
        if (!fromFile) o.CheckDisableMatchTimer->click();
        PlayScreen& s = formsOf(*t).playScreen(ScreenPair::P2_4);
        s.Form_Activate();
        s.F5key();
        s.Timer2_Timer();
        EXPECT_EQ(s.namelabel->text(), QString::fromLatin1(s.variant().clockExpiredWord))
            << (fromFile ? "from the file" : "ticked");
        EXPECT_FALSE(s.Timer2->isActive());
        EXPECT_EQ(s.clocklabel->text().trimmed(), QStringLiteral("0:00"));
    }
}

// A match time under a minute with the option off in the file: the clocks
// show it, at start-up and after Open alike.
TEST(Options, ASetupFileWithTheMatchTimerOnKeepsAShortMatchTime) {
    TestProgram t(170);
    QStringList lines = setuptest::validLines();
    lines[21] = QStringLiteral("0:30");
    lines[39] = QStringLiteral(" 0 ");
    setuptest::writeBytes(t->startupSetupFile(), setuptest::crlf(lines));
    ASSERT_TRUE(t.startUp());
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).clocklabel->text().trimmed(), QStringLiteral("0:30"))
            << screenName(s).toStdString();
    }
}

// Back and forth between the team counts in the menu: the screen shown
// before takes the time the match has got to.
TEST(Options, SwitchingTheTeamCountCarriesTheMatchTime) {
    StartedProgram p;
    SetupMenu& menu = p.menu4();
    PlayScreen& two = p.screen(ScreenPair::P2_4);
    PlayScreen& three = p.screen(ScreenPair::P3_4);
    two.Form_Activate();
    three.Form_Activate();
    two.F5key();
    for (int i = 0; i < 3; ++i)
        two.Timer2_Timer();
    two.F6key();
    const QString reached = two.clocklabel->text();
    ASSERT_NE(reached.trimmed(), three.clocklabel->text().trimmed());

    menu.Form_Activate();
    menu.ComboTeams->setCurrentIndex(1);
    three.Form_Activate();
    EXPECT_EQ(three.clocklabel->text(), reached);
    three.F5key();
    three.Timer2_Timer();
    three.F6key();
    menu.Form_Activate();
    menu.ComboTeams->setCurrentIndex(0);
    two.Form_Activate();
    EXPECT_EQ(two.clocklabel->text(), three.clocklabel->text());
    EXPECT_EQ(two.clockminutes * 60 + two.clockseconds,
              three.clockminutes * 60 + three.clockseconds);
}

TEST(Options, ReenabledMatchTimerIsStillThereWhenThePlayScreenComesBack) {
    StartedProgram p;
    PlayScreen& screen = p.screen(ScreenPair::P2_4);
    SetupMenu& menu = p.menu4();
    FormOptions& o = p.options();
    o.CheckDisableMatchTimer->click();
    // The operator goes to the menu from the play screen: the menu's box
    // takes the blank clock.
    screen.Form_Activate();
    screen.Commandsetupmenu_MouseDown(Qt::LeftButton);
    menu.Form_Activate();
    ASSERT_EQ(menu.Texttimer[6]->text(), QStringLiteral("0:00"));

    menu.mnuMoreOptions_Click();
    o.CheckDisableMatchTimer->click();
    o.CommandOptions->click();
    menu.Form_Activate();  // back in the menu from the options window
    menu.CommandHide->click();
    screen.Form_Activate();
    EXPECT_EQ(screen.clocklabel->text(), QStringLiteral(" 15:00"));
    EXPECT_EQ(menu.Texttimer[6]->text().trimmed(), QStringLiteral("15:00"));
}

TEST(Options, TheLockUpForcesTheSoundCardInBothMenus) {
    StartedProgram p;
    QCheckBox* box = p.options().CheckPlayerWaiting;
    p.menu4().ComboSound->setCurrentIndex(0);
    box->click();
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = p.menu(m);
        EXPECT_EQ(menu.ComboSound->currentText(), QStringLiteral("Sound Card"));
        EXPECT_FALSE(menu.ComboSound->isEnabled());
        operatorPicks(menu.ComboSound, 0);
        EXPECT_EQ(menu.ComboSound->currentIndex(), 1);
    }
    // Still forced after the 4-player menu applies the options again.
    p.menu4().Form_Activate();
    EXPECT_EQ(p.menu4().ComboSound->currentIndex(), 1);
    EXPECT_FALSE(p.menu4().ComboSound->isEnabled());

    box->click();
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        EXPECT_EQ(p.menu(m).ComboSound->currentText(), QStringLiteral("Both"));
        EXPECT_TRUE(p.menu(m).ComboSound->isEnabled());
    }
    // From here on the operator's choice stands.
    operatorPicks(p.menu4().ComboSound, 0);
    p.menu4().Form_Activate();
    EXPECT_EQ(p.menu4().ComboSound->currentIndex(), 0);
}

TEST(Options, DoneHidesTheWindowAndKeepsEveryChange) {
    StartedProgram p;
    FormOptions& o = p.options();
    p.menu4().mnuMoreOptions_Click();
    ASSERT_TRUE(o.isVisible());
    const std::vector<QCheckBox*> boxes = {
        o.CheckScoringTabs,   o.CheckTimerTabs,      o.Check20SecondTab,
        o.CheckBuzzonBonus,   o.CheckTimerContinues, o.CheckDisableMatchTimer,
        o.CheckPlayerWaiting, o.CheckScoreBoard,     o.CheckTurnOffClear};
    for (QCheckBox* box : boxes)
        box->click();
    o.CommandOptions->click();
    EXPECT_FALSE(o.isVisible());
    for (QCheckBox* box : boxes) {
        EXPECT_EQ(checkValue(box), 1) << box->objectName().toStdString();
    }
    PlayScreen& screen = p.screen(ScreenPair::P2_4);
    EXPECT_FALSE(screen.a5->isHidden());
    EXPECT_FALSE(screen.CommandT->isHidden());
    EXPECT_FALSE(screen.Command20->isHidden());
    EXPECT_TRUE(screen.ascorelabel->isHidden());
    EXPECT_EQ(screen.clocklabel->text(), QStringLiteral("0:00"));
    EXPECT_TRUE(p.t->state.BuzzOnBonus && p.t->state.TurnOffClear);
    EXPECT_FALSE(p.t->state.StopTimerOnBuzz);
    EXPECT_FALSE(p.menu4().ComboSound->isEnabled());
}

TEST(Options, TheHelpTextFollowsTheMouse) {
    StartedProgram p;
    FormOptions& o = p.options();
    const std::pair<QCheckBox*, const char*> boxes[] = {
        {o.CheckScoringTabs, "Checking this option will display tabs on the Scoreboard"},
        {o.CheckTimerTabs, "Checking this option will display tabs on the response Timer"},
        {o.Check20SecondTab, "Checking this box makes the 20 second timer tab available."},
        {o.CheckBuzzonBonus, "Checking this box will allow contestants to Buzz-in"},
        {o.CheckTimerContinues,
         "Checking this option causes the Timer (Toss-up, Bonus, and "
         "Auxillay)"},
        {o.CheckDisableMatchTimer, "Checking this box will disable (grey-out) the Match Timer."},
        {o.CheckPlayerWaiting, "Checking this box will lock up the name of the player"},
        {o.CheckScoreBoard, "Checking this box will disable and hide the Score Boards"},
        {o.CheckTurnOffClear, "Checking this option will require the computer operator to 'arm'"},
    };
    auto enter = [](QWidget* w) {
        QEnterEvent e(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
        QApplication::sendEvent(w, &e);
    };
    for (const auto& [box, start] : boxes) {
        enter(box);
        EXPECT_TRUE(o.TextOption->toPlainText().startsWith(QString::fromLatin1(start)))
            << box->objectName().toStdString();
    }
    enter(o.TextOption);
    EXPECT_EQ(o.TextOption->toPlainText(),
              QStringLiteral("Move mouse over a particular optiion for a description of that "
                             "option"));
    auto moveOver = [](QWidget* area, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), area->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(area, &move);
    };
    // Moving on over a box: its frame sees the moves, and the help stays.
    enter(o.CheckScoreBoard);
    moveOver(o.Frame1, o.CheckScoreBoard->geometry().center());
    EXPECT_TRUE(
        o.TextOption->toPlainText().startsWith(QStringLiteral("Checking this box will "
                                                              "disable and hide")));
    moveOver(&o, o.CheckScoringTabs->geometry().center());
    EXPECT_FALSE(o.TextOption->toPlainText().isEmpty());
    // Over the bare window the help goes.
    moveOver(&o, QPoint(2, 2));
    EXPECT_TRUE(o.TextOption->toPlainText().isEmpty());
}
