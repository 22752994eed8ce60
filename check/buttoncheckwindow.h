#pragma once

#include <functional>
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
    // `checking` says whether a check is open now (this one or a later
    // one): the drain left behind at closing stops when one is.
    ButtonCheckWindow(Program& program, QWidget& menu, MatchScreen& screen,
                      std::function<bool()> checking = {});
    ~ButtonCheckWindow() override;

    const check::ButtonCheck& results() const { return *check_; }
    // Whether it still checks (closing hands the interface back first).
    bool checking() const { return !restored_; }
    MatchScreen* playScreen() const { return screenWidget_ ? screen_ : nullptr; }

    // The player's tile (1 to the screen's players), nullptr for others.
    QLabel* tile(int player) const;
    QLabel* notHeardLabel() const { return notHeard_; }
    QLabel* findingsLabel() const { return findings_; }
    // Says what every number in the window means.
    QLabel* legendLabel() const { return legend_; }
    static QString legendText(bool usb);
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

    std::function<bool()> checking_;
    Program& program_;
    QPointer<QWidget> menu_;
    MenuKind menuKind_;
    MatchScreen* screen_;
    // Null once the play screen is gone.
    QPointer<QWidget> screenWidget_;
    std::unique_ptr<check::ButtonCheck> check_;
    std::vector<QLabel*> tiles_;  // player p at p - 1
    QLabel* legend_ = nullptr;
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
    CheckDrain(Program& program, QObject& owner, ScreenPair screen, bool secondByte,
               std::function<bool()> checking);

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
    std::function<bool()> checking_;
    bool inTick_ = false;
    bool done_ = false;
};

// The button check of a program: offered in the set-up menus' "&Match"
// menu, one window at a time.
class CheckButtons {
public:
    explicit CheckButtons(Program& program);

    // Opens the one check (or brings it forward) for the set-up menu's play
    // screen of the current team count.
    ButtonCheckWindow* open(QWidget* menu);
    // The check open now, if any.
    ButtonCheckWindow* window() const;

private:
    Program& program_;
    QPointer<ButtonCheckWindow> window_;
};
}  // namespace check
