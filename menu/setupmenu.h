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
#include "app/screenpair.h"

class Program;

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

    // The menu's own file dialog. What one use leaves in it (folder, file
    // name, flags) is where the next use starts, for set-up files and
    // sounds alike.
    Dialogs::FileRequest cd1test;

private:
    void buildWidgets();
    void buildMenus();
    void ComboSound_Click();

    Program& program_;
    const SetupMenuVariant& variant_;
};
