#pragma once

#include <array>
#include <cstdint>

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "app/controls.h"
#include "app/matchrecorder.h"
#include "app/matchscreen.h"
#include "app/screenpair.h"
#include "link/screenlink.h"
#include "play/playvariant.h"
#include "play/scaledlabel.h"
#include "play/scorehistory.h"
#include "play/screenplacement.h"
#include "play/tabbutton.h"
#include "play/usbpoll.h"

class Program;
class SetupMenu;
class QKeyEvent;
class QAction;

// The scoreboard the audience watches. One class serves all four screens;
// what differs between them comes from the variant table.
//
// The operator works it with the mouse (the name, the two displays, the
// tabs, the score boards) and with the space bar and function keys, which
// reach it whatever widget has the focus. Names, lengths, the score increment
// and the sound source are read from the set-up menu of the screen's player
// count at the moment they are needed.
//
// The buzzer interface is polled from porttimer: the parallel-port boxes
// through the screen's ScreenLink, the USB lockout (model 199, on
// PlayScreen2_4 only) through its UsbPoll. Where the window goes is its
// ScreenPlacement's.
class PlayScreen final : public QWidget, public MatchScreen, private buzzlink::LinkView {
    Q_OBJECT

    // First, so that the link exists before ResponseCode and ResponderNumber
    // refer into it.
    Program& program_;
    const PlayVariant& variant_;
    buzzlink::ScreenLink link_;

public:
    PlayScreen(Program& program, ScreenPair screen);
    ~PlayScreen() override;

    void load();

    ScreenPair screen() const { return variant_.screen; }
    const PlayVariant& variant() const { return variant_; }

    // Puts the screen up for the audience: full screen on the second display
    // when one is attached. With one display it is a window beside the
    // operator's windows (set-up menu, contestant panel), which it leaves
    // in view; Alt+Return makes it full screen there too.
    void showScreen() { placement_.show(); }
    // With one display: sizes the window to the room the operator's windows
    // leave, if the operator has not moved or resized it since.
    void fitBesideOperatorWindows() override { placement_.fitBesideOperatorWindows(); }
    QSize designSize() const override { return placement_.designSize(); }
    // The operator's way out of full screen and back (Alt+Return toggles,
    // Escape leaves); neither key is an operator key.
    void toggleFullScreen() { placement_.toggleFullScreen(); }
    void leaveFullScreen() { placement_.leaveFullScreen(); }

    // The two colour settings: the background of the window and of the
    // labels that sit on it, and the text colour of the name and team.
    void setScreenBackColour(const QColor& colour);
    QColor screenBackColour() const;
    void setScreenTextColour(const QColor& colour);
    QColor screenTextColour() const;

    // A setup file or an option puts the match clock at a time, shown as
    // given (the option's blank "0:00" puts it at nothing).
    void showMatchTime(const QString& text);
    // The team count changed from `other` to this screen: the match clock
    // goes on where the other had got to, stopped.
    void takeClockFrom(const PlayScreen& other);

    // --- Widgets ----------------------------------------------------------
    ScaledLabel* timerlabel;
    ScaledLabel* Label2;
    ScaledLabel* Labeltimerstate;
    ScaledLabel* clocklabel;
    ScaledLabel* Label3;
    TabButton* Commandsetupmenu;
    TabButton* CommandT;
    TabButton* CommandB;
    TabButton* CommandA;
    TabButton* Command20;
    ScaledLabel* Labelteam;
    ScaledLabel* ascorelabel;
    ScaledLabel* bscorelabel;
    ScaledLabel* gscorelabel = nullptr;  // 3-team screens only
    TabButton* a10;
    TabButton* a5;
    TabButton* b10;
    TabButton* b5;  // named "B5" on PlayScreen2_4
    TabButton* g10 = nullptr;
    TabButton* g5 = nullptr;
    ScaledLabel* Labelalpha;
    ScaledLabel* LabelBeta;
    ScaledLabel* LabelGamma = nullptr;
    ControlArray<ScaledLabel> p1label;  // one lamp per player, 0 to lamps - 1
    ScaledLabel* namelabel;
    ScaledLabel* Label1;

    QTimer* Timer1;      // response timer, 1 s
    QTimer* Timer2;      // match clock, 1 s
    QTimer* porttimer;   // interface poll, 100 ms
    QTimer* soundtimer;  // interface speaker off, 100 ms

    // --- Play-screen variables ----------------------------------------------
    std::int16_t ndigit1 = 0;    // seconds left on the response timer
    std::int16_t increment = 0;  // the score step last read from the menu
    std::int16_t ascore = 0;
    std::int16_t bscore = 0;
    std::int16_t gscore = 0;
    std::int16_t clockminutes = 0;
    std::int16_t clockseconds = 0;
    // The link's own: the code last read from the interface, and the
    // player last shown.
    std::int16_t& ResponseCode;
    std::int16_t& ResponderNumber;

    // --- Event handlers -----------------------------------------------------
    void Form_Activate();
    void Commandsetupmenu_MouseDown(Qt::MouseButton button);
    void namelabel_MouseDown(Qt::MouseButton button);
    void namelabel_DblClick();
    void timerlabel_MouseDown(Qt::MouseButton button);
    void clocklabel_MouseDown(Qt::MouseButton button);
    void CommandT_MouseDown(Qt::MouseButton button);
    void CommandB_MouseDown(Qt::MouseButton button);
    void CommandA_MouseDown(Qt::MouseButton button);
    void Command20_MouseDown(Qt::MouseButton button);
    // A score board (multiplier 1) or a scoring tab (5 or 10) of a team:
    // the left button adds, the right button takes away.
    void score_MouseDown(int team, int multiplier, Qt::MouseButton button);
    // A key code (32 space, 112 to 123 F1 to F12); false when the screen
    // has no use for it.
    bool Form_KeyDown(int keyCode);
    // Whether the key code is one of this screen's operator keys.
    bool handlesKey(int keyCode) const;

    void Timer1_Timer();
    void Timer2_Timer();
    void porttimer_Timer();
    void soundtimer_Timer();

    // --- The buzzer interface -----------------------------------------------
    // Reads one code into ResponseCode; false when the read failed (the
    // operator has been told and the box re-handshaken).
    bool sdata();
    // Gets the box back in step after a failed read; ends the program when
    // the operator cancels.
    void handshake();
    // Shows the respondent held for second place.
    void PlayerWaiting();
    // The decoders, on ResponseCode (the wired ones read their second byte).
    void wired();
    void wired210();
    void wireless();
    void wireless200();
    // Shows one respondent: name, team, score board, lamp, sound, lock-out.
    void showResponder(const buzzlink::Responder& responder) override;

    // The USB module's control, once the first USB tick has asked for it;
    // nullptr before that and when its plugin is not installed.
    QObject* usbControl() const { return usb_.control(); }
    // One reading of the USB module's port 0 as the USB tick takes it.
    std::int16_t readUsbPort() override { return usb_.readPort(); }

    // MatchScreen
    ScreenPair screenPair() const override { return screen(); }
    QWidget* screenWidget() override { return this; }
    void restoreMatch(const std::vector<int>& scores, int clockLeft, const QStringList& teams,
                      const std::vector<QStringList>& players) override;
    void pauseLink(bool paused) override { linkPaused_ = paused; }
    bool polling() const override;
    void moveScore(int team, int points, const QString& how) override;
    bool undoBoard() override;
    bool redoBoard() override;
    void undoHistoryChanged() override { scoreHistoryChanged(); }
    void stopClock() override;

    // While paused, porttimer's ticks leave the interface alone (the button
    // check is talking to it); the timer itself runs or not as before.
    bool linkPaused() const { return linkPaused_; }

    // --- Procedures of the operator keys ------------------------------------
    void spacekey();
    void F1key();
    void F2key();
    void F3key();
    void F4key();
    void F5key();
    void F6key();
    void F7key();
    void F8key();
    void F9key();
    void F10key();
    void F11key();
    void F12key();

    // --- Timer starts -------------------------------------------------------
    void tossUpStart();
    void bonusStart(bool fromTimerLabel);
    void auxiliaryStart(std::int16_t length, const QString& caption);
    void timeoutStart();
    void clockStart();

    // The set-up menu this screen reads.
    SetupMenu& menu() const;
    // The team's score and its board (0 Alpha, 1 Beta, 2 Gamma).
    std::int16_t& score(int team);
    ScaledLabel* scoreLabel(int team) const;

    // --- The match: its record, taking back score changes, a new match -----
    //
    // Score changes by keys, boards and tabs can be taken back to the start
    // of the match and made again (Ctrl+Z, Ctrl+Shift+Z here, or the set-up
    // menu's "&Match" menu); each is told to the program's recorder. When a
    // capability keeps the match's one history, these go through it.
    void undoScore();
    void redoScore();
    bool canUndoScore() const { return !undoScoreText().isEmpty(); }
    bool canRedoScore() const { return !redoScoreText().isEmpty(); }
    // The change an undo would take back and a redo make again, in words
    // ("Beta 10 → 20"); empty when there is none.
    QString undoScoreText() const;
    QString redoScoreText() const;
    // Scores to 0, the match clock stopped at the match time, nothing left
    // to take back; the record gets a new match.
    void newMatch();
    bool scoresAllZero() const;
    // The scores in team order (Gamma's is 0 on a 2-team screen).
    std::array<std::int16_t, 3> scores() const;
    // Tells the recorder a match begins on this screen, with everything
    // needed to put it back: names, scores, the clock. `how`: "start-up",
    // "new-match".
    void recordMatchStarted(const QString& how);
    // The names in the set-up menu now, as the record keeps them:
    // {"teams": [names], "players": [[names]...]}.
    QJsonObject namesInUse() const override;
    // Tells the record the names when they differ from what it last heard.
    void recordNames() override;
    // Switch Sides, once the set-up menu has moved the names: the boards
    // move with their teams (on 3-team screens each one place on, Gamma to
    // Alpha), and the history and the record follow.
    void switchSides();
    QAction* undoScoreAction() const { return undoAction_; }
    QAction* redoScoreAction() const { return redoAction_; }

    // Lays the widgets out for the window's present size.
    void applyLayout();
    double scaleX() const { return scaleX_; }
    double scaleY() const { return scaleY_; }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class OperatorKeyFilter;
    bool operatorKey(QKeyEvent* event);

    void buildWidgets();
    ScaledLabel* makeLabel(const char* name, const QString& text, const FontSpec& font,
                           bool border);
    TabButton* makeButton(const QString& name, const QString& text, bool visible);

    // The two clears of the name display by mouse.
    void clearByMouse(Qt::MouseButton button);

    // What the clears share.
    void emptyDisplay();
    // Polling on for a new question, with no second respondent left held.
    void armForNewQuestion();
    void resetLamps();
    void resetScoreColours();
    void topUpContinuingTimer();
    void scoreKey(int team, int sign);
    // `ownStep`: one of the operator's board changes, which the screen's
    // own history takes back; a capability's move is its own to take back.
    void moveBoard(int team, long long step, const char* how, bool ownStep = true);
    void showMenu();

    std::int16_t readIncrement() const;
    std::int16_t timerLength(int box) const;
    int timerContinues() const;
    int soundSource() const;
    bool speakerInUse() const;
    bool soundCardInUse() const;
    void outport(std::uint8_t value);
    const QString& teamSound(int team) const;

    void runDecoder(buzzlink::Decoder decoder);

    // The match record (play/playmatch.cpp). Each is called after the
    // screen has acted.
    void buildScoreActions();
    void recordEvent(record::EventKind kind, const QJsonObject& data = {});
    void recordClear(const char* how, const QString& cleared);
    void recordScore(int team, std::int16_t before, const char* how, Qt::MouseButton button,
                     int multiplier, bool ownStep = true);
    void recordTimerStart(const char* kind);
    void recordTimerExpired();
    void recordTimerState();
    void recordClockState();
    void recordClockExpired();
    void setScoreOnBoard(int team, std::int16_t value);
    // The history moved: the undo and redo items here and in the menu follow.
    void scoreHistoryChanged();
    QString stepText(int team, std::int16_t from, std::int16_t to) const;
    QJsonObject matchState() const;
    void reportBuzzIn(const buzzlink::BuzzReport& report) override;
    void reportCapture(const buzzlink::CaptureReport& report) override;
    void reportRecovered() override;

    // LinkView
    void showDiagnostic(int value) override;
    void reportCommunicationProblem() override;
    bool askRetry() override;
    buzzlink::ScreenSettings settings() override;
    void stopPolling() override;
    void endProgram() override;
    void reportDecision(const buzzlink::Decision& decision) override;

    ScreenPlacement placement_;
    UsbPoll usb_;
    // The menu's matchTimeSerial() when the clock last took its match time.
    int matchTimeRead_ = -1;
    bool inPortTick_ = false;
    bool linkPaused_ = false;
    // Whether each timer ran when another window took the interface.
    QObject* keyFilter_ = nullptr;
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;

    scoring::ScoreHistory history_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    // What the record last heard of the two count-downs, so that a stop is
    // told once, whatever stopped them.
    QString timerKind_;
    bool timerRunning_ = false;
    bool clockRunning_ = false;
};
