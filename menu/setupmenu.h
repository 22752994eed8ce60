#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/programstate.h"
#include "app/screenpair.h"

struct OperatorWindow;
class Program;
class PlayScreen;
class QEvent;
class QTimer;

// What differs between the 4-player and the 5-player set-up menu.
struct SetupMenuVariant {
    MenuKind kind;
    const char* caption;
    int playersPerTeam;
    int clientHeightTwips;
    const char* speakerEntry;  // ComboSound entry 0
    QRect teamsComboTwips;
    QRect soundComboTwips;
    QRect switchButtonTwips;
    // The play screens this menu drives, for two and for three teams.
    ScreenPair twoTeamScreen;
    ScreenPair threeTeamScreen;
    // The other menu, whose team list this one keeps in step and whose match
    // box this one's activation puts back to the match length.
    MenuKind otherMenu;
    // What the menu does each time it becomes the active window.
    bool activationAppliesOptions;  // the options again, on every screen
    bool activationLocksUsbSound;   // the USB interface has no speaker
    int activationRefusesModel;     // a model that cannot have this many players, or 0
    bool restoreNeedsMatchTimer;    // the other box is put back only while the clock is on
    bool activationEnablesGamma;    // with three teams
    bool activationDefaultsSound;   // no sound source yet: the interface speaker
    // Menu captions and names that differ between the two menus.
    const char* extraXmitterCaption;
    const char* receiverCodesCaption;
    const char* receiverCodesName;
    const char* playersName;
    const char* fourPlayersCaption;
    const char* fivePlayersName;
    const char* cutThroatName;
    const char* gameOverSoundCaption;
    const char* backgroundColourCaption;
    const char* textColourCaption;
};

const SetupMenuVariant& setupMenuVariant(MenuKind kind);

// The operator's settings window beside the play screen. Its widgets are the
// settings store: the play screens read names, timer lengths, the score
// increment and the sound source from them when they need them.
class SetupMenu final : public QMainWindow {
    Q_OBJECT

public:
    SetupMenu(Program& program, MenuKind kind);

    // The load handler: the team list follows TeamText and the sound source
    // gets a value. It shows nothing; the screen pair is shown by whoever
    // chose it.
    void load();

    MenuKind kind() const { return variant_.kind; }
    const SetupMenuVariant& variant() const { return variant_; }
    int playersPerTeam() const { return variant_.playersPerTeam; }
    // Stride of the name boxes: team t's name is Text(t * stride).
    int stride() const { return variant_.playersPerTeam + 1; }

    // The name box of player n (numbered team after team), and of team t
    // (0 Alpha, 1 Beta, 2 Gamma).
    QLineEdit* playerNameBox(int player) const;
    QLineEdit* teamNameBox(int team) const;
    // The Gamma team's boxes, enabled only with three teams.
    void setGammaBoxesEnabled(bool enabled);

    // The settings store.
    ControlArray<QLineEdit> Text;
    ControlArray<QLineEdit> Texttimer;      // 6 match, 7 toss-up, 8 bonus, 9 time-out, 10 auxiliary
    ControlArray<QLineEdit> textincrement;  // one box, index 0
    QComboBox* ComboTeams;
    QComboBox* ComboSound;

    QPushButton* CommandSwitch;
    QPushButton* CommandHide;

    QLabel* LabelAlpha0;
    QLabel* LabelBeta0;
    QLabel* LabeBeta0;
    QLabel* LabelGamma0;

    // Menu bar.
    QMenu* mnufile;
    QAction* mnuOpen;
    QAction* mnuSave;
    QAction* mnuSaveAs;
    QAction* mnuExit;
    QMenu* mnuSetup;
    QAction* mnuextraxmitter;
    QAction* mnureccode;
    QMenu* munOptions;
    QMenu* mnuPlayers;
    QAction* mnu4Player;
    QAction* mnu5Players;
    QAction* mnu1Player;
    QMenu* mnuSounds;
    QAction* menuAlphaSnd;
    QAction* mnuBetaSnd;
    QAction* mnuGammaSnd;
    QAction* mnuTimerSnd;
    QAction* mnuGameSnd;
    QMenu* mnuColors;
    QAction* mnubackgroundcolor;
    QAction* mnutextcolor;
    QAction* mnuMoreOptions;
    QMenu* mnuQuestions;
    QMenu* mnuStatistics;
    QMenu* mnuInternet;
    QMenu* mnuHelp;
    QAction* mnuVersionInfo;
    QAction* mnuContactMarlowen;
    // After the menus above: the match itself. Further match items are
    // appended to it.
    QMenu* mnuMatch;
    QAction* mnuUndoScore;
    QAction* mnuRedoScore;
    QAction* mnuNewMatch;

    // --- Event handlers ---------------------------------------------------
    //
    // Values the program sets (a setup file, the other menu keeping its team
    // list in step, the options) run the same handlers as the operator's
    // changes, but windows are shown only for what the operator does in this
    // menu: a choice in its team list, its menu items, its buttons.

    // Each time the menu becomes the active window.
    void Form_Activate();
    // A new team count in ComboTeams, from anywhere: TeamText and the other
    // menu follow, the Gamma boxes open or close.
    void ComboTeams_Click();
    // The operator's choice in ComboTeams: its play screen and this menu
    // come up, the menu in front.
    void ComboTeams_Chosen();
    void ComboSound_Click();
    // Any name box changed: the team captions of this menu's two screens.
    void Text_Change();
    // Tells the record the names of the screen in use, if they changed.
    void recordNames();
    void CommandSwitch_Click();
    void CommandHide_Click();

    void mnu4Player_Click();
    void mnu5Players_Click();
    void mnuextraxmitter_Click();
    void mnuMoreOptions_Click();
    void menuAlphaSnd_Click();
    void mnuBetaSnd_Click();
    void mnuGammaSnd_Click();
    void mnuTimerSnd_Click();
    void mnuGameSnd_Click();
    void mnubackgroundcolor_Click();
    void mnutextcolor_Click();
    void mnuVersionInfo_Click();
    void mnuContactMarlowen_Click();
    void mnuExit_Click();
    // The "&Match" menu (menu/matchmenu.cpp), on this menu's screen for the
    // current team count.
    void mnuUndoScore_Click();
    void mnuRedoScore_Click();
    void mnuNewMatch_Click();
    // The undo and redo items say what they would change, and are enabled
    // only when there is something.
    void updateMatchItems();

    // The line at the foot of the menu that says how the last buzz-in was
    // decided (a tie drawn, a second respondent waiting); empty after a
    // clear. It follows the program's decision note.
    QLabel* decisionLine;

    // This menu's play screen for the current team count (TeamText).
    ScreenPair currentScreen() const;

    // Counts the times the match box was given a new match time: typed by
    // the operator, or set by a setup file or an option. A play screen takes
    // the match time again only when this has moved since it last did, so
    // that a clock never goes back to a time it has already counted past.
    int matchTimeSerial() const { return matchTimeSerial_; }
    // Keeps the clock's shown time in the match box while the menu is up (a
    // save writes it). This is the clock's own time, not a new match time.
    void parkClock(const QString& shown);
    // Gives one of this menu's screens the team names (a screen made afresh
    // carries its design captions).
    void updateTeamLabels(PlayScreen& screen) const;

    // The menu's own file dialog. What one use leaves in it (folder, file
    // name, flags) is where the next use starts, for set-up files and
    // sounds alike.
    Dialogs::FileRequest cd1test;

    // Colour the colour dialog shows next; what one use leaves is where the
    // next starts.
    QColor cd1testColour;

protected:
    bool event(QEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void buildMatchMenu();
    void buildOperatorAids();
    void addOperatorWindow(const OperatorWindow& entry);
    void connectHandlers();

    SetupMenu& otherMenu() const;
    bool threeTeams() const;
    // Puts the play screen up with this menu's team names and brings this
    // menu to the front of it.
    void showScreenAndMenu(ScreenPair screen);
    void choosePlayers(int players);
    // One sound item: the file dialog, the preview and the question, until
    // the operator takes a file or gives up.
    void chooseSound(const QString& title, QString ProgramState::*sound, bool teamSound);
    void chooseColour(bool background);

    Program& program_;
    const SetupMenuVariant& variant_;
    bool activating_ = false;
    int matchTimeSerial_ = 0;
    bool parking_ = false;
    QTimer* namesTimer_ = nullptr;
};
