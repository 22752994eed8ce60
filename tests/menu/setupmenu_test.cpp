// The set-up menus as the operator works them: team count, names, switching
// sides, players per team, putting the menu away, and what each menu does
// when it becomes the active window.
#include <gtest/gtest.h>

#include <QFile>

#include "app/controls.h"
#include "menurig.h"
#include "title/forms.h"

using namespace menutest;

namespace {

const QString kRefusal = QStringLiteral(
    "The Torvanel interface model currently attached to the computer does not support 5 "
    "players per team. Returning to 4-player setup");

struct MenuCase {
    MenuKind menu;
    int teams;
};

std::string describe(const MenuCase& c) {
    return menuName(c.menu).toStdString() + " with " + std::to_string(c.teams) + " teams";
}

QStringList names(const SetupMenu& menu) {
    QStringList list;
    for (const auto& [index, box] : menu.Text)
        list << box->text();
    return list;
}

QStringList scores(const PlayScreen& screen) {
    QStringList list{screen.ascorelabel->text(), screen.bscorelabel->text()};
    if (screen.gscorelabel) list << screen.gscorelabel->text();
    return list;
}

QStringList teamCaptions(const PlayScreen& screen) {
    QStringList list{screen.Labelalpha->text(), screen.LabelBeta->text()};
    if (screen.LabelGamma) list << screen.LabelGamma->text();
    return list;
}

// Every caption the audience can read, on all four screens.
QStringList everythingShown(StartedProgram& p) {
    QStringList list;
    for (ScreenPair s : kAllScreens) {
        PlayScreen& screen = p.screen(s);
        list << teamCaptions(screen) << scores(screen) << screen.namelabel->text()
             << screen.Labelteam->text();
    }
    return list;
}

}  // namespace

TEST(SwitchSides, GoingRoundOnceMovesEveryTeamAndRoundAgainRestoresThem) {
    const MenuCase cases[] = {{MenuKind::Players4, 2},
                              {MenuKind::Players4, 3},
                              {MenuKind::Players5, 2},
                              {MenuKind::Players5, 3}};
    for (const MenuCase& c : cases) {
        StartedProgram p(170, c.teams == 3 ? "3" : "2", c.menu == MenuKind::Players5 ? "5" : "4");
        ASSERT_TRUE(p.started);
        SetupMenu& menu = p.menu(c.menu);
        const int s = menu.stride();
        for (const auto& [index, box] : menu.Text) {
            box->setText(QStringLiteral("name %1").arg(index));
        }
        PlayScreen& screen = p.screen(menu.currentScreen());
        screen.ascorelabel->setText(QStringLiteral("12"));
        screen.bscorelabel->setText(QStringLiteral("-3"));
        if (c.teams == 3) screen.gscorelabel->setText(QStringLiteral("40"));
        const QStringList startNames = names(menu);
        const QStringList startScores = scores(screen);

        menu.CommandSwitch->click();
        // Alpha's row now holds the team that was last: Beta with two
        // teams, Gamma with three.
        const int last = c.teams - 1;
        for (int row = 0; row < s; ++row) {
            EXPECT_EQ(menu.Text[row]->text(), startNames[last * s + row]) << describe(c);
            EXPECT_EQ(menu.Text[s + row]->text(), startNames[row]) << describe(c);
        }
        EXPECT_EQ(screen.ascorelabel->text(), startScores[last]) << describe(c);
        EXPECT_EQ(screen.bscorelabel->text(), startScores[0]) << describe(c);
        EXPECT_EQ(screen.ascore, startScores[last].toInt()) << describe(c);
        EXPECT_EQ(screen.Labelalpha->text(), menu.Text[0]->text()) << describe(c);
        EXPECT_EQ(screen.LabelBeta->text(), menu.Text[s]->text()) << describe(c);
        if (c.teams == 3) {
            EXPECT_EQ(screen.gscorelabel->text(), startScores[1]) << describe(c);
            EXPECT_EQ(menu.Text[2 * s]->text(), startNames[s]) << describe(c);
            EXPECT_EQ(screen.LabelGamma->text(), menu.Text[2 * s]->text()) << describe(c);
        }

        for (int i = 1; i < c.teams; ++i)
            menu.CommandSwitch->click();
        EXPECT_EQ(names(menu), startNames) << describe(c);
        EXPECT_EQ(scores(screen), startScores) << describe(c);
    }
}

TEST(SwitchSides, MovesNothingElseOnTheScreen) {
    StartedProgram p;
    PlayScreen& screen = p.screen(ScreenPair::P2_4);
    screen.namelabel->setText(QStringLiteral("Seven"));
    screen.Labelteam->setText(QStringLiteral("Beta"));
    screen.tossUpStart();
    p.menu4().CommandSwitch->click();
    EXPECT_EQ(screen.namelabel->text(), QStringLiteral("Seven"));
    EXPECT_EQ(screen.Labelteam->text(), QStringLiteral("Beta"));
    EXPECT_TRUE(screen.Timer1->isActive());
    EXPECT_EQ(screen.timerlabel->text(), QStringLiteral("5"));
}

TEST(TeamCount, ThreeTeamsOpensTheGammaBoxesAtOnceInBothMenus) {
    StartedProgram p;
    ASSERT_EQ(p.shown(), QStringList({"PlayScreen2_4", "FrmMenu3_4"}));
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        const SetupMenu& menu = p.menu(m);
        for (int i = 2 * menu.stride(); i < 3 * menu.stride(); ++i) {
            EXPECT_FALSE(menu.Text[i]->isEnabled()) << menuName(m).toStdString() << " box " << i;
        }
    }

    operatorPicks(p.menu4().ComboTeams, 1);
    EXPECT_EQ(p.title().TeamText->text(), QStringLiteral("3"));
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        const SetupMenu& menu = p.menu(m);
        EXPECT_EQ(menu.ComboTeams->currentIndex(), 1) << menuName(m).toStdString();
        for (int i = 2 * menu.stride(); i < 3 * menu.stride(); ++i) {
            EXPECT_TRUE(menu.Text[i]->isEnabled()) << menuName(m).toStdString() << " box " << i;
        }
    }
    // The new screen comes up with the menu in front; the old one waits for
    // "Hide Set-up Menu".
    EXPECT_EQ(p.shown(), QStringList({"PlayScreen2_4", "Playscreen3_4", "FrmMenu3_4"}));

    operatorPicks(p.menu4().ComboTeams, 0);
    EXPECT_EQ(p.title().TeamText->text(), QStringLiteral("2"));
    EXPECT_EQ(p.menu5().ComboTeams->currentIndex(), 0);
    EXPECT_FALSE(p.menu4().Text[10]->isEnabled());
    EXPECT_FALSE(p.menu5().Text[12]->isEnabled());
}

TEST(TeamCount, ValuesTheProgramSetsShowNoWindow) {
    StartedProgram p;
    const QStringList before = p.shown();
    // The other menu's list, as Open sets it while a file is applied.
    p.menu5().ComboTeams->setCurrentIndex(1);
    EXPECT_EQ(p.title().TeamText->text(), QStringLiteral("3"));
    EXPECT_EQ(p.menu4().ComboTeams->currentIndex(), 1);
    EXPECT_TRUE(p.menu4().Text[10]->isEnabled());
    p.menu4().ComboTeams->setCurrentIndex(0);
    EXPECT_EQ(p.shown(), before);
}

TEST(TeamCount, AScreenMadeAfreshShowsTheTeamNames) {
    StartedProgram p;
    SetupMenu& menu = p.menu4();
    menu.Text[0]->setText(QStringLiteral("Eagles"));
    menu.Text[5]->setText(QStringLiteral("Hawks"));
    menu.Text[10]->setText(QStringLiteral("Owls"));
    menu.CommandHide->click();  // Playscreen3_4 goes
    ASSERT_FALSE(formsOf(*p.t).isLoaded(ScreenPair::P3_4));
    operatorPicks(menu.ComboTeams, 1);
    EXPECT_EQ(teamCaptions(p.screen(ScreenPair::P3_4)), QStringList({"Eagles", "Hawks", "Owls"}));
}

TEST(NameBoxes, TeamNamesReachTheMenusTwoScreensAndPlayerNamesNone) {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        StartedProgram p;
        SetupMenu& menu = p.menu(m);
        const MenuKind otherKind =
            m == MenuKind::Players4 ? MenuKind::Players5 : MenuKind::Players4;
        const ScreenPair otherScreens[] = {twoTeamScreenOf(otherKind),
                                           threeTeamScreenOf(otherKind)};
        QStringList otherCaptions;
        for (ScreenPair s : otherScreens)
            otherCaptions << teamCaptions(p.screen(s));

        const int s = menu.stride();
        menu.Text[s]->setText(QStringLiteral("Hawks"));
        menu.Text[2 * s]->setText(QStringLiteral("Owls"));
        EXPECT_EQ(p.screen(twoTeamScreenOf(m)).LabelBeta->text(), QStringLiteral("Hawks"));
        EXPECT_EQ(teamCaptions(p.screen(threeTeamScreenOf(m))),
                  QStringList({"Alpha", "Hawks", "Owls"}));
        QStringList otherNow;
        for (ScreenPair os : otherScreens)
            otherNow << teamCaptions(p.screen(os));
        EXPECT_EQ(otherNow, otherCaptions) << "the other player count's screens keep theirs";

        const QStringList before = everythingShown(p);
        for (int team = 0; team < 3; ++team) {
            for (int k = 1; k <= menu.playersPerTeam(); ++k) {
                menu.Text[team * s + k]->setText(QStringLiteral("Player %1.%2").arg(team).arg(k));
            }
        }
        EXPECT_EQ(everythingShown(p), before) << menuName(m).toStdString();
    }
}

TEST(NameBoxes, TimerBoxesChangeNoRunningTimer) {
    StartedProgram p;
    PlayScreen& screen = p.screen(ScreenPair::P2_4);
    screen.tossUpStart();
    screen.Timer1_Timer();
    p.menu4().Texttimer[7]->setText(QStringLiteral("30"));
    screen.Timer1_Timer();
    EXPECT_EQ(screen.timerlabel->text(), QStringLiteral("3"));
    EXPECT_TRUE(screen.Timer1->isActive());
}

TEST(HideSetupMenu, LeavesOnlyThePairsPlayScreen) {
    struct Case {
        const char* teams;
        const char* players;
        MenuKind hiddenFrom;
        ScreenPair left;
    };
    const Case cases[] = {
        {"2", "4", MenuKind::Players4, ScreenPair::P2_4},
        {"3", "4", MenuKind::Players4, ScreenPair::P3_4},
        {"2", "5", MenuKind::Players5, ScreenPair::P2_5},
        {"3", "5", MenuKind::Players5, ScreenPair::P3_5},
        // From a menu left up behind the one in use.
        {"3", "5", MenuKind::Players4, ScreenPair::P3_5},
    };
    for (const Case& c : cases) {
        StartedProgram p(170, c.teams, c.players);
        ASSERT_TRUE(p.started);
        // Everything up at once, as after changing teams and players.
        for (ScreenPair s : kAllScreens)
            p.screen(s).showScreen();
        p.menu4().show();
        p.menu5().show();
        PlayScreen& kept = p.screen(c.left);
        kept.ascorelabel->setText(QStringLiteral("25"));

        p.menu(c.hiddenFrom).CommandHide->click();
        EXPECT_EQ(p.shown(), QStringList({screenName(c.left)})) << c.teams << "/" << c.players;
        for (ScreenPair s : kAllScreens) {
            EXPECT_EQ(formsOf(*p.t).isLoaded(s), s == c.left) << screenName(s).toStdString();
        }
        EXPECT_EQ(p.screen(c.left).ascorelabel->text(), QStringLiteral("25"));
        TestProgram::flushDeletes();
    }
}

TEST(HideSetupMenu, AnUnloadedScreenComesBackFresh) {
    StartedProgram p;
    p.screen(ScreenPair::P3_4).ascorelabel->setText(QStringLiteral("9"));
    p.menu4().CommandHide->click();
    TestProgram::flushDeletes();
    EXPECT_EQ(p.screen(ScreenPair::P3_4).ascorelabel->text(), QStringLiteral("0"));
}

TEST(PlayersPerTeam, TheOtherMenuAndItsScreenComeUpAndTheFirstStays) {
    StartedProgram p;
    p.menu4().mnu5Players_Click();
    p.menu5().Form_Activate();
    EXPECT_EQ(p.title().PlayerText->text(), QStringLiteral("5"));
    EXPECT_EQ(p.shown(),
              QStringList({"PlayScreen2_4", "PlayScreen2_5", "FrmMenu3_4", "FrmMenu3_5"}));
    EXPECT_FALSE(p.menu5().Text[12]->isEnabled());
    EXPECT_TRUE(p.t.dialogs.messages.empty());

    p.menu5().CommandHide->click();
    EXPECT_EQ(p.shown(), QStringList({"PlayScreen2_5"}));

    operatorPicks(p.menu5().ComboTeams, 1);
    p.menu5().mnu4Player_Click();
    EXPECT_EQ(p.title().PlayerText->text(), QStringLiteral("4"));
    EXPECT_TRUE(p.menu4().Text[10]->isEnabled());
    EXPECT_TRUE(p.screen(ScreenPair::P3_4).isVisible());
    EXPECT_TRUE(p.menu4().isVisible());
}

TEST(PlayersPerTeam, FivePlayersAreRefusedOnlyOnTheWiredModel180) {
    for (int model : {170, 180, 199, 200, 210}) {
        StartedProgram p(model);
        p.menu4().mnu5Players_Click();
        p.menu5().Form_Activate();
        const bool refused = model == 180;
        ASSERT_EQ(p.t.dialogs.count(kRefusal), refused ? 1 : 0) << model;
        EXPECT_EQ(p.title().PlayerText->text(), refused ? QStringLiteral("4") : QStringLiteral("5"))
            << model;
        if (refused) {
            const auto& shown = p.t.dialogs.messages.front();
            EXPECT_TRUE(shown.title.isEmpty());
            EXPECT_EQ(shown.buttons, Dialogs::Buttons::Ok);
            // The 5-player menu and its screen stay until the 4-player
            // menu's "Hide Set-up Menu" puts the pair right.
            EXPECT_TRUE(p.menu4().isVisible());
            p.menu4().CommandHide->click();
            EXPECT_EQ(p.shown(), QStringList({"PlayScreen2_4"})) << model;
        }
    }
}

TEST(Activation, TheRemainingMatchTimeGoesToTheMenuAndBack) {
    for (const char* teams : {"2", "3"}) {
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            StartedProgram p(170, teams, m == MenuKind::Players5 ? "5" : "4");
            SetupMenu& menu = p.menu(m);
            PlayScreen& screen = p.screen(menu.currentScreen());
            const std::string where = std::string(teams) + " " + menuName(m).toStdString();
            screen.Form_Activate();
            screen.clockStart();
            for (int i = 0; i < 3; ++i)
                screen.Timer2_Timer();
            ASSERT_EQ(screen.clocklabel->text(), QStringLiteral(" 14:57")) << where;

            screen.Commandsetupmenu_MouseDown(Qt::LeftButton);
            menu.Form_Activate();
            EXPECT_EQ(menu.Texttimer[6]->text(), QStringLiteral(" 14:57")) << where;
            menu.CommandHide->click();
            screen.Form_Activate();
            EXPECT_EQ(screen.clocklabel->text(), QStringLiteral(" 14:57")) << where;
        }
    }
}

namespace {

// The window becomes the active one, as when the operator clicks it.
void activate(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

void operatorKey(QWidget& window, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &up);
}

void typeInto(QLineEdit* box, const QString& text) {
    box->selectAll();
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &key);
    }
}

void mouseDown(QWidget* widget) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &e);
}

}  // namespace

TEST(Activation, NothingTheOperatorDoesPutsTheMatchClockBack) {
    struct Way {
        const char* name;
        void (*run)(PlayScreen&);
    };
    const Way ways[] = {
        {"F8", [](PlayScreen& s) { operatorKey(s, Qt::Key_F8); }},
        {"F6", [](PlayScreen& s) { operatorKey(s, Qt::Key_F6); }},
        {"click on the clock", [](PlayScreen& s) { mouseDown(s.clocklabel); }},
        {"set-up menu button", [](PlayScreen& s) { mouseDown(s.Commandsetupmenu); }},
        {"clock left running", [](PlayScreen&) {}},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        StartedProgram p;
        PlayScreen& screen = p.screen(ScreenPair::P2_4);
        SetupMenu& menu = p.menu4();
        activate(screen);
        ASSERT_EQ(screen.clocklabel->text(), QStringLiteral(" 15:00"));
        operatorKey(screen, Qt::Key_F5);
        for (int i = 0; i < 5; ++i)
            screen.Timer2_Timer();

        way.run(screen);
        // Back and forth between the windows, twice.
        for (int round = 0; round < 2; ++round) {
            activate(menu);
            // The menu shows the clock's time in its match box.
            EXPECT_EQ(menu.Texttimer[6]->text(), QStringLiteral(" 14:55"));
            activate(p.options());
            activate(screen);
            EXPECT_EQ(screen.clocklabel->text(), QStringLiteral(" 14:55"));
            EXPECT_EQ(screen.clockminutes * 60 + screen.clockseconds, 14 * 60 + 55);
        }
        operatorKey(screen, Qt::Key_F5);
        screen.Timer2_Timer();
        EXPECT_EQ(screen.clocklabel->text(), QStringLiteral(" 14:54"));

        // A match time the operator types in the menu is the clock's new
        // time once the play screen is back.
        operatorKey(screen, Qt::Key_F6);
        activate(menu);
        typeInto(menu.Texttimer[6], QStringLiteral("10:00"));
        activate(screen);
        EXPECT_EQ(screen.clocklabel->text(), QStringLiteral(" 10:00"));
    }
}

TEST(Activation, AMatchBoxThatReadsAsZeroGoesBackToTheMatchLength) {
    struct Case {
        MenuKind activated;
        const char* tested;  // the box the activation looks at
        bool matchTimerOff;
        bool restored;
    };
    const Case cases[] = {
        // The 4-player menu looks at the 5-player box, only with the clock on.
        {MenuKind::Players4, "0:00", false, true},
        {MenuKind::Players4, "", false, true},
        {MenuKind::Players4, "0", false, true},
        {MenuKind::Players4, "0:30", false, false},
        {MenuKind::Players4, "4:00", false, false},
        {MenuKind::Players4, "0:00", true, false},
        // The 5-player menu looks at its own box and sets the 4-player one,
        // whatever the option says.
        {MenuKind::Players5, "0:00", false, true},
        {MenuKind::Players5, "", true, true},
        {MenuKind::Players5, "0:30", false, false},
    };
    for (const Case& c : cases) {
        const bool five = c.activated == MenuKind::Players5;
        StartedProgram p(170, "2", five ? "5" : "4");
        p.t->state.MatchTime = QStringLiteral("12:00");
        setCheckValue(p.options().CheckDisableMatchTimer, c.matchTimerOff ? 1 : 0);
        SetupMenu& activated = p.menu(c.activated);
        SetupMenu& other = p.menu(five ? MenuKind::Players4 : MenuKind::Players5);
        p.screen(activated.currentScreen()).clocklabel->setText(QString::fromLatin1(c.tested));
        if (!five) other.Texttimer[6]->setText(QString::fromLatin1(c.tested));
        const QString untouched = other.Texttimer[6]->text();

        activated.Form_Activate();
        EXPECT_EQ(other.Texttimer[6]->text(), c.restored ? QStringLiteral("12:00") : untouched)
            << menuName(c.activated).toStdString() << " '" << c.tested << "' off "
            << c.matchTimerOff;
    }
}

TEST(Activation, TheUsbInterfaceAlwaysUsesTheSoundCard) {
    StartedProgram p(199);
    SetupMenu& menu = p.menu4();
    menu.ComboSound->setCurrentIndex(0);
    menu.Form_Activate();
    EXPECT_EQ(menu.ComboSound->currentIndex(), 1);
    EXPECT_FALSE(menu.ComboSound->isEnabled());
    EXPECT_TRUE(menu.mnuSounds->isEnabled());
    operatorPicks(menu.ComboSound, 0);
    EXPECT_EQ(menu.ComboSound->currentText(), QStringLiteral("Sound Card"));
}

TEST(Activation, TheOperatorsSoundSourceSurvivesEveryActivation) {
    for (int entry : {0, 1, 2}) {
        StartedProgram p(170);
        SetupMenu& menu = p.menu4();
        operatorPicks(menu.ComboSound, entry);
        p.menu5().ComboSound->setCurrentIndex(entry);
        menu.Form_Activate();
        menu.Form_Activate();
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            EXPECT_EQ(p.menu(m).ComboSound->currentIndex(), entry) << menuName(m).toStdString();
            EXPECT_TRUE(p.menu(m).ComboSound->isEnabled());
        }
        EXPECT_EQ(menu.mnuSounds->isEnabled(), entry != 0);
    }
}

TEST(Activation, TheSetupFilesSoundSourceSurvivesTheFirstActivation) {
    TestProgram t(170);
    QStringList lines = setuptest::validLines();
    lines[34] = QStringLiteral(" 1 ");
    setuptest::writeBytes(t->startupSetupFile(), setuptest::crlf(lines));
    ASSERT_TRUE(t.startUp());
    SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
    menu.Form_Activate();
    EXPECT_EQ(menu.ComboSound->currentIndex(), 1);
}

TEST(ExtraTransmitter, BothMenusShowTheListAndKeepItsChoice) {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        StartedProgram p(170);
        Formextrax& extrax = formsOf(*p.t).formextrax();
        extrax.Comboxmitter->setCurrentIndex(3);
        p.menu(m).mnuextraxmitter->trigger();
        EXPECT_TRUE(extrax.isVisible());
        EXPECT_EQ(extrax.Comboxmitter->currentIndex(), 3) << menuName(m).toStdString();
        EXPECT_EQ(extrax.Comboxmitter->count(), 13);
        extrax.Command1->click();
        EXPECT_FALSE(extrax.isVisible());
        EXPECT_EQ(extrax.Comboxmitter->currentIndex(), 3);
    }
}

TEST(MenuItems, EveryItemOfThisVersionCanBeChosen) {
    StartedProgram p(170);
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = p.menu(m);
        menu.ComboSound->setCurrentIndex(2);
        for (QAction* a : {menu.mnuOpen, menu.mnuSave, menu.mnuSaveAs, menu.mnuExit,
                           menu.mnuextraxmitter, menu.mnu4Player, menu.mnu5Players,
                           menu.menuAlphaSnd, menu.mnuBetaSnd, menu.mnuGammaSnd, menu.mnuTimerSnd,
                           menu.mnuGameSnd, menu.mnubackgroundcolor, menu.mnutextcolor,
                           menu.mnuMoreOptions, menu.mnuVersionInfo, menu.mnuContactMarlowen}) {
            EXPECT_TRUE(a->isEnabled())
                << menuName(m).toStdString() << " " << a->objectName().toStdString();
        }
        EXPECT_TRUE(menu.mnuSounds->isEnabled());
        EXPECT_FALSE(menu.mnureccode->isEnabled());
        EXPECT_FALSE(menu.mnu1Player->isEnabled());
        EXPECT_FALSE(menu.mnuQuestions->menuAction()->isVisible());
    }
}

TEST(MenuItems, MoreOptionsShowsTheOptionsWindow) {
    StartedProgram p(170);
    p.menu5().mnuMoreOptions->trigger();
    EXPECT_TRUE(p.options().isVisible());
    EXPECT_EQ(p.options().windowTitle(), QStringLiteral("Options Menu"));
}

TEST(Help, VersionAndContactMessages) {
    for (int model : {170, 180, 199, 200, 210}) {
        StartedProgram p(model);
        p.menu4().mnuVersionInfo->trigger();
        p.menu5().mnuContactMarlowen->trigger();
        ASSERT_EQ(p.t.dialogs.messages.size(), 2u) << model;
        const auto& version = p.t.dialogs.messages[0];
        EXPECT_EQ(version.text, QStringLiteral(" Software Version 10.1, from Kestrane 02/05/05"));
        EXPECT_EQ(version.title, QStringLiteral("Software Version Information"));
        EXPECT_EQ(version.icon, Dialogs::Icon::Information);
        const auto& contact = p.t.dialogs.messages[1];
        const bool maker = model == 200 || model == 210;
        EXPECT_EQ(contact.title,
                  maker ? QStringLiteral("Marlowen Tech.") : QStringLiteral("Kestrane"))
            << model;
        EXPECT_TRUE(contact.text.startsWith(contact.title)) << model;
        EXPECT_TRUE(contact.text.contains(QStringLiteral("555-01"))) << model;
        EXPECT_EQ(contact.text.contains(QStringLiteral(".example")), maker) << model;
        EXPECT_EQ(contact.icon, Dialogs::Icon::Information);
        EXPECT_EQ(contact.buttons, Dialogs::Buttons::Ok);
    }
}

TEST(Exit, EndsAtOnceWithoutSavingOrAsking) {
    StartedProgram p(170);
    ASSERT_TRUE(p.started);
    const QByteArray saved = setuptest::readBytes(p.t->startupSetupFile());
    ASSERT_FALSE(saved.isEmpty());
    p.menu4().Text[0]->setText(QStringLiteral("Unsaved"));
    EXPECT_THROW(p.menu4().mnuExit_Click(), ProgramEnded);
    EXPECT_EQ(p.t.ends, 1);
    EXPECT_TRUE(p.t.dialogs.messages.empty());
    EXPECT_EQ(setuptest::readBytes(p.t->startupSetupFile()), saved);
    for (ScreenPair s : kAllScreens)
        EXPECT_FALSE(formsOf(*p.t).isLoaded(s));
    EXPECT_FALSE(formsOf(*p.t).isLoaded(MenuKind::Players4));
    EXPECT_FALSE(formsOf(*p.t).isLoaded(MenuKind::Players5));
    EXPECT_FALSE(formsOf(*p.t).titleFormLoaded());
}
