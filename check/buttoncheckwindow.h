#pragma once

#include <memory>
#include <vector>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "check/buttoncheck.h"
#include "check/checklink.h"

#include "app/screenpair.h"

class MatchScreen;
class Program;

// The operator's button check before a match: one tile per player of the
// screen pair, grouped by team, lit with a count as each player is heard.
// While it is open the check polls the interface itself, every 100 ms as
// play does, and the play screens' own polls wait; their clocks go on.
// Closing it hands the interface back as it was. It changes no score and no setting.
class ButtonCheckWindow final : public QWidget, private check::CheckView {
    Q_OBJECT

public:
    // Opens the program's one check (or brings it forward) for the set-up
    // menu's play screen of the current team count.
    static ButtonCheckWindow* open(Program& program, QWidget* menu);
    // The program's open check, if any.
    static ButtonCheckWindow* find(Program& program);

    ButtonCheckWindow(Program& program, QWidget& menu, MatchScreen& screen);
    ~ButtonCheckWindow() override;

    const check::ButtonCheck& results() const { return *check_; }
    MatchScreen* playScreen() const { return screenWidget_ ? screen_ : nullptr; }

    // The player's tile (1 to the screen's players), nullptr for others.
    QLabel* tile(int player) const;
    QLabel* notHeardLabel() const { return notHeard_; }
    QLabel* findingsLabel() const { return findings_; }
    QCheckBox* soundBox() const { return sound_; }
    QTimer* pollTimer() const { return pollTimer_; }

    // One poll of the interface (the poll timer's tick).
    void pollTick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTiles();
    void hear(const std::vector<int>& players);
    void refresh();
    void sound(int player);
    QString playerName(int player) const;
    int extraTransmitterEntry() const;
    void restoreScreen();
    // The link of every play screen made so far waits (or goes on).
    void pauseScreens(bool paused);

public:
    // Whether a play screen polls the interface now.
    static bool anyScreenPolling(Program& program);

private:
    // CheckView
    void showDiagnostic(int value) override;
    void reportCommunicationProblem() override;
    bool askRetry() override;
    void endProgram() override;

    Program& program_;
    QPointer<QWidget> menu_;
    MenuKind menuKind_;
    MatchScreen* screen_;
    // Null once the play screen is gone.
    QPointer<QWidget> screenWidget_;
    std::unique_ptr<check::ButtonCheck> check_;
    std::vector<QLabel*> tiles_;  // player p at p - 1
    QLabel* notHeard_ = nullptr;
    QLabel* findings_ = nullptr;
    QLabel* diagnostic_ = nullptr;
    QCheckBox* sound_ = nullptr;
    QTimer* pollTimer_ = nullptr;
    QTimer* speakerOff_ = nullptr;
    bool inTick_ = false;
    bool restored_ = false;
};

namespace check {

// After the check has closed: polls the box and drops what it reads until a
// play screen polls it again, or one code has been read (the box then waits
// for the next poll, as after a buzz-in). So the box is left as if the
// check had never run. It ends itself; the owner only outlives it.
class CheckDrain final : public QObject, private CheckView {
    Q_OBJECT

public:
    CheckDrain(Program& program, QObject& owner, ScreenPair screen, bool secondByte);

    void tick();

private:
    void finish();
    void showDiagnostic(int) override {}
    void reportCommunicationProblem() override;
    bool askRetry() override;
    void endProgram() override;

    Program& program_;
    ScreenPair screen_;
    bool secondByte_;
    bool inTick_ = false;
    bool done_ = false;
};

// Offers the button check in the set-up menus' "&Match" menu.
void installCheckButtons(Program& program);
}  // namespace check
