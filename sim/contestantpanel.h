#pragma once

#include <map>
#include <set>
#include <vector>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "app/screenpair.h"

class Program;
class SimulatedInterface;
class SimulatedUsbModule;

// The contestants' side of the simulated interface: one button per player
// of the screen pair in use, named from the set-up menu, the spare radio
// handset on the wireless models, and a lamp that flashes when the box
// sounds its speaker. It never takes the keyboard focus, so the operator's
// keys keep going to the play screen.
//
// Keys, while a play screen is the active window: Alpha's players on 1 to
// 5, Beta's on Q W E R T, Gamma's on A S D F G, the extra transmitter on X.
// Holding Ctrl while clicking or pressing keys gathers players; letting go
// of Ctrl (or "Press together") presses them all at the same instant. Keys
// the operator scores with at the moment (Program::operatorKeyClaimed) stay
// the operator's: those players are pressed with the mouse, or Ctrl.
//
// With the USB lockout (model 199) the buttons pull the simulated USB
// module's port-0 lines low instead, players 1 to 8. The module reports its
// lines as they are when read, so a button let go of quickly keeps its line
// low for kUsbHoldMs: long enough for the 100 ms poll to see it.
class ContestantPanel final : public QWidget {
    Q_OBJECT

public:
    ContestantPanel(Program& program, SimulatedInterface& box);
    ~ContestantPanel() override;

    // The shortest time a USB line stays low after its button went down.
    static constexpr int kUsbHoldMs = 250;

    // Shows the panel in the bottom right-hand corner without activating it.
    void showPanel();

    // The screen pair the panel's buttons are for (the title form's team and
    // player counts).
    ScreenPair screen() const { return screen_; }
    int playerCount() const { return static_cast<int>(playerButtons_.size()); }
    QPushButton* playerButton(int player) const;
    QPushButton* extraButton() const { return extraButton_; }
    QPushButton* togetherButton() const { return togetherButton_; }
    QLabel* speakerLamp() const { return speakerLamp_; }
    bool speakerFlashing() const { return flashing_; }
    const std::set<int>& gathered() const { return gathered_; }

    // The player (1 to 15) a key stands for on this screen, 0 for none; -1
    // is the extra transmitter.
    int playerOfKey(int key) const;

    // A key went down or up while a play screen was active: true when it
    // was a contestant's key and has been used.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers, bool down, bool autoRepeat);

    // Re-reads the screen pair, the names and the extra transmitter.
    void refresh();

    // A player's button goes down or up (-1 is the extra transmitter).
    void pressPlayer(int player);
    void releasePlayer(int player);
    // Adds a player to, or takes one from, the players to press together.
    void toggleGathered(int player);
    void pressGathered();

    // The simulated USB module the buttons press, when the USB lockout is
    // simulated; nullptr otherwise.
    SimulatedUsbModule* usbModule() const;
    // USB lines let go of before their hold ran out, still held low.
    const std::set<int>& heldUsbPlayers() const { return usbReleasePending_; }
    // The hold has run out: those lines go high (the hold timer calls it).
    void releaseHeldUsbLines();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    int inputOf(int player) const;
    bool playScreenActive() const;
    void onSpeaker(int byte);
    void showGathered();
    void releaseUsbLater(int player);

    Program& program_;
    SimulatedInterface& box_;
    ScreenPair screen_ = ScreenPair::P2_4;
    bool built_ = false;

    QLabel* modelLabel_;
    QGridLayout* grid_;
    std::vector<QLabel*> teamLabels_;
    std::vector<QPushButton*> playerButtons_;  // player p at p - 1
    QPushButton* extraButton_;
    QPushButton* togetherButton_;
    QCheckBox* silentBox_;
    QPushButton* stallButton_;
    QLabel* speakerLamp_;
    QTimer flashTimer_;
    QTimer refreshTimer_;
    bool flashing_ = false;
    std::set<int> gathered_;
    std::map<int, QElapsedTimer> usbPressedAt_;
    std::set<int> usbReleasePending_;
    QTimer usbHoldTimer_;
};
