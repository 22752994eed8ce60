#pragma once

#include <QWidget>

#include "app/screenpair.h"
#include "buttons/buttonassignment.h"
#include "buttons/inputbox.h"

class Program;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

// Binds buttons to players. It names each player of the screen pair in turn
// ("press Two's button"); the next key or button to go down on any device is
// theirs. The operator can skip a player, redo one, give the spare button
// to the extra transmitter, and sees every binding; Save writes them to the
// configuration folder and the box uses them from then on.
class AssignButtons final : public QWidget {
    Q_OBJECT
public:
    AssignButtons(Program& program, buttons::InputBox& box, ScreenPair screen,
                  QWidget* parent = nullptr);
    ~AssignButtons() override;

    // Where the assignment is kept.
    static QString filePath(const Program& program);

    QLabel* Labelprompt;
    QTreeWidget* Listbindings;
    QPushButton* CommandSkip;
    QPushButton* CommandRedo;
    QPushButton* CommandExtra;
    QPushButton* CommandSave;
    QPushButton* CommandClose;
    QTimer* readtimer;

    // Who the next press is for: a player, ButtonAssignment::kExtra, or
    // kNobody once everyone has had their turn.
    static constexpr int kNobody = -1;
    int asking() const { return asking_; }
    const buttons::ButtonAssignment& assignment() const { return assignment_; }

    // A key the operator uses on this window (Tab, Enter, Escape, the
    // modifiers), which no press binds.
    static bool isOperatorKey(int code);

    // The player's name as the set-up menu has it.
    QString playerName(int player) const;

    // What readtimer does: takes the presses that came since.
    void readPresses();
    void skip();
    // Asks again for the player of the selected row (the extra transmitter's
    // row included).
    void redo();
    void askExtra();
    bool save();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Unsaved buttons are not thrown away unasked.
    void closeEvent(QCloseEvent* event) override;

private:
    void onPress(const buttons::DeviceInfo& device, int code);
    void ask(int who);
    void askAfter(int who);
    void askFrom(int first);
    void refresh();
    int players() const;

    Program& program_;
    buttons::InputBox& box_;
    ScreenPair screen_;
    buttons::ButtonAssignment assignment_;
    int asking_ = 1;
};
