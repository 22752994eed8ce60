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

class Program;
class PlayScreen;
class SetupMenu;

// The operator's button check before a match: one tile per player of the
// screen pair, grouped by team, lit with a count as each player is heard.
// While it is open the check polls the interface itself, every 100 ms as
// play does, and the play screen's own poll and its two clocks wait; closing
// it hands everything back as it was. It changes no score and no setting.
class ButtonCheckWindow final : public QWidget, private check::CheckView {
    Q_OBJECT

public:
    // Opens the program's one check (or brings it forward) for the menu's
    // play screen of the current team count.
    static ButtonCheckWindow* open(Program& program, SetupMenu& menu);
    // The program's open check, if any.
    static ButtonCheckWindow* find(Program& program);

    ButtonCheckWindow(Program& program, SetupMenu& menu, PlayScreen& screen);
    ~ButtonCheckWindow() override;

    const check::ButtonCheck& results() const { return *check_; }
    PlayScreen* playScreen() const { return screen_; }

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

    // CheckView
    void showDiagnostic(int value) override;
    void reportCommunicationProblem() override;
    bool askRetry() override;
    void endProgram() override;

    Program& program_;
    QPointer<SetupMenu> menu_;
    QPointer<PlayScreen> screen_;
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
    // What the play screen was doing when the check began.
    bool timer1Was_ = false;
    bool timer2Was_ = false;
};
