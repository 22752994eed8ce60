// Every caption the operator reads in the set-up menus, the options window
// and the extra-transmitter window, against the program's own texts,
// misspellings included.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "support/programfixture.h"
#include "title/forms.h"

namespace {

// What a named widget or menu item shows.
QString captionOf(QWidget& window, const char* name) {
    const QString n = QString::fromLatin1(name);
    if (n.isEmpty()) return window.windowTitle();
    QObject* found = window.findChild<QObject*>(n);
    if (auto* action = qobject_cast<QAction*>(found)) return action->text();
    if (auto* menu = qobject_cast<QMenu*>(found)) return menu->title();
    if (auto* button = qobject_cast<QAbstractButton*>(found)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(found)) return label->text();
    return QStringLiteral("<no %1>").arg(n);
}

QStringList entries(const QComboBox* list) {
    QStringList all;
    for (int i = 0; i < list->count(); ++i)
        all << list->itemText(i);
    return all;
}

// The captions without a name of their own: the menu's row and box
// captions, in the window's order. The status bar at the foot is no part of
// the window's design.
QStringList labelTexts(QWidget& window) {
    QStringList all;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (qobject_cast<QStatusBar*>(label->parentWidget())) continue;
        all << label->text();
    }
    return all;
}

QStringList menuRows(int players) {
    const QStringList rows = {"Team Name:",    "Player One:",  "Player Two:",
                              "Player Three:", "Player Four:", "Player Five:"};
    QStringList all;
    for (int team = 0; team < 3; ++team)
        all << rows.mid(0, players + 1);
    all << "Match Timer:"
        << "Toss-up Timer:"
        << "Bonus Timer:"
        << "Time-Out:"
        << "Auxillary:"
        << "Score Increment:"
        << "Number Teams:"
        << "Sound Source:";
    return all;
}

}  // namespace

TEST(Captions, EveryWindowShowsTheProgramsOwnTexts) {
    TestProgram t;
    SetupMenu& menu4 = formsOf(*t).setupMenu(MenuKind::Players4);
    SetupMenu& menu5 = formsOf(*t).setupMenu(MenuKind::Players5);
    FormOptions& options = formsOf(*t).formOptions();
    Formextrax& extrax = formsOf(*t).formextrax();

    struct Caption {
        QWidget& window;
        const char* name;  // empty: the window's title
        const char* text;
    };
    const Caption captions[] = {
        // The set-up menus, where their texts agree.
        {menu4, "", "4-PlayerSet-up Menu "},
        {menu5, "", "5-Player Set-up Menu"},
        {menu4, "mnufile", "&File"},
        {menu4, "mnuOpen", "&Open Set-up File"},
        {menu4, "mnuSave", "&Save Set-up File"},
        {menu4, "mnuSaveAs", "Save &As Set-up File"},
        {menu4, "mnuExit", "E&xit"},
        {menu4, "mnuSetup", "&Setup"},
        {menu4, "munOptions", "&Options"},
        {menu4, "mnu5Players", "&5 Players per Team"},
        {menu4, "mnuSounds", "&Sounds"},
        {menu4, "menuAlphaSnd", "&Alpha Buzz-in"},
        {menu4, "mnuBetaSnd", "&Beta Buzz-in"},
        {menu4, "mnuGammaSnd", "&Gamma Buzz-in"},
        {menu4, "mnuTimerSnd", "&Timer Expired"},
        {menu4, "mnuColors", "&Colors"},
        {menu4, "mnuMoreOptions", "&More Options"},
        {menu4, "mnuQuestions", "&Questions"},
        {menu4, "mnuStatistics", "&Statistics"},
        {menu4, "mnuInternet", "&Internet"},
        {menu4, "mnuHelp", "&Help"},
        {menu4, "mnuVersionInfo", "&Version Info"},
        {menu4, "mnuContactMarlowen", "&Contact Us"},
        // Where they differ.
        {menu4, "mnuextraxmitter", "&Extra Xmitter (RF only)"},
        {menu5, "mnuextraxmitter", "&Extra Xmitter (RF Only)"},
        {menu4, "mnureccode", "&Receiver Codes (RF only)"},
        {menu5, "mnuTimers", "Receiver Codes"},
        {menu4, "mnuPlayers", "&Players per Team"},
        {menu5, "mnuPlayersperTeam", "&Players per Team"},
        {menu4, "mnu4Player", "&4 Player per Team"},
        {menu5, "mnu4Player", "&4 Players per Team"},
        {menu5, "mnu5Player", "&5 Players per Team"},
        {menu4, "mnu1Player", "&Cut-Throat"},
        {menu5, "mnu1player", "&Cut-Throat"},
        {menu4, "mnuGameSnd", "&Game Over"},
        {menu5, "mnuGameSnd", "& Game Over"},
        {menu4, "mnubackgroundcolor", "&Background Color"},
        {menu5, "mnubackgroundcolor", "Background Color"},
        {menu4, "mnutextcolor", "&Text Color"},
        {menu5, "mnutextcolor", "Text Color"},
        // The options window.
        {options, "", "Options Menu"},
        {options, "CheckScoringTabs", "Turn on Scoring Tabs"},
        {options, "CheckTimerTabs", "Turn on Timer Tabs"},
        {options, "Check20SecondTab", "Turn on 20 second Timer Tab (Oklahoma)"},
        {options, "CheckBuzzonBonus", "Allow \"Buzz-in\" during Bonus"},
        {options, "CheckTimerContinues", "Allow Timer to continue after \"Buzz-in\""},
        {options, "CheckDisableMatchTimer", "Disable Match Timer"},
        {options, "CheckPlayerWaiting", "Lock up second place respondent"},
        {options, "CheckScoreBoard", "Turn OFF Score Board Display"},
        {options, "CheckTurnOffClear", "Turn OFF Clear on Toss-up Timer Set"},
        {options, "CommandOptions", "Done"},
        // The extra-transmitter window.
        {extrax, "", "Assign Extra Transmitter"},
        {extrax, "Label1",
         "Extra transmitter will be assigned to the transmitter number selected from the "
         "drop-down box."},
        {extrax, "Command1", "Done"},
    };
    for (const Caption& c : captions) {
        EXPECT_EQ(captionOf(c.window, c.name), QString::fromLatin1(c.text))
            << c.window.objectName().toStdString() << " " << c.name;
    }
    for (SetupMenu* menu : {&menu4, &menu5}) {
        EXPECT_EQ(captionOf(*menu, "CommandSwitch"), "Switch Sides");
        EXPECT_EQ(captionOf(*menu, "CommandHide"), "Hide Set-up Menu");
        EXPECT_EQ(labelTexts(*menu), menuRows(menu->playersPerTeam()));
        EXPECT_EQ(entries(menu->ComboTeams), QStringList({"2 Teams", "3 Teams"}));
        QStringList items;
        for (const QAction* a : menu->mnuStatistics->actions())
            items << a->text();
        EXPECT_EQ(items, QStringList({"Individual", "Team", "Match"}));
    }
    EXPECT_EQ(entries(menu4.ComboSound), QStringList({"Torvanel", "Sound Card", "Both"}));
    EXPECT_EQ(entries(menu5.ComboSound), QStringList({"Torvanel Speaker", "Sound Card", "Both"}));
    EXPECT_EQ(entries(extrax.Comboxmitter),
              QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "None"}));
}

TEST(Captions, EachOptionsHelpTextIsShownWhole) {
    TestProgram t;
    FormOptions& o = formsOf(*t).formOptions();
    const std::pair<QWidget*, const char*> help[] = {
        {o.CheckScoringTabs,
         "Checking this option will display tabs on the Scoreboard for 5 and 10 point "
         "incrementation of scores. Single point score incrementation is always avaible by left "
         "clicking the Score Board."},
        {o.CheckTimerTabs,
         "Checking this option will display tabs on the response Timer for Toss Up, Bonus, and "
         "Auxillary Timer.  You must select this option to use the Auxillary Timer."},
        {o.Check20SecondTab,
         "Checking this box makes the 20 second timer tab available.  (Oklahoma)"},
        {o.CheckBuzzonBonus,
         "Checking this box will allow contestants to Buzz-in while the Bonus Timer is running."},
        {o.CheckTimerContinues,
         "Checking this option causes the Timer (Toss-up, Bonus, and Auxillay) to continue to "
         "count down after a Buzz-in."},
        {o.CheckDisableMatchTimer,
         "Checking this box will disable (grey-out) the Match Timer.  Use this option if you are "
         "NOT using the Match Timer."},
        {o.CheckPlayerWaiting,
         "Checking this box will lock up the name of the player who was second to buzz in. This "
         "player's name will be displayed as soon as the computer operator clears the system.  "
         "This feature is only availble on computers using a sound card. Sound from The "
         "Torvanel speaker will be turned off."},
        {o.CheckScoreBoard, "Checking this box will disable and hide the Score Boards"},
        {o.CheckTurnOffClear,
         "Checking this option will require the computer operator to 'arm' the system (Clear "
         "buzz-in name) before the toss-up timer can be set."},
        {o.TextOption, "Move mouse over a particular optiion for a description of that option"},
    };
    for (const auto& [widget, text] : help) {
        QEnterEvent e(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
        QApplication::sendEvent(widget, &e);
        EXPECT_EQ(o.TextOption->toPlainText(), QString::fromLatin1(text))
            << widget->objectName().toStdString();
    }
}
