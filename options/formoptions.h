#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

class Program;
class PlayScreen;

// The options window: nine on/off options for the play screens. It is only
// ever hidden, so its values last the whole run.
class FormOptions final : public QWidget {
    Q_OBJECT

public:
    explicit FormOptions(Program& program);

    void load() {}

    QCheckBox* CheckScoringTabs;
    QCheckBox* CheckTimerTabs;
    QCheckBox* Check20SecondTab;
    QCheckBox* CheckBuzzonBonus;
    QCheckBox* CheckTimerContinues;
    QCheckBox* CheckDisableMatchTimer;
    QCheckBox* CheckPlayerWaiting;
    QCheckBox* CheckScoreBoard;
    QCheckBox* CheckTurnOffClear;
    QFrame* Frame1;
    QTextEdit* TextOption;
    QPushButton* CommandOptions;

    // Applies the options again to all four play screens and both set-up
    // menus; the 4-player menu runs it each time it becomes active.
    void ApplyOptions();

    // One play screen as the boxes want it: its tabs, its score boards, and
    // a blank clock while the match timer is off. For a screen made afresh.
    void applyTo(PlayScreen& screen) const;

    // The boxes' change handlers, run whenever a value changes, by the
    // operator or by the program.
    void CheckScoringTabs_Click();
    void CheckTimerTabs_Click();
    void Check20SecondTab_Click();
    void CheckBuzzonBonus_Click();
    void CheckTimerContinues_Click();
    void CheckDisableMatchTimer_Click();
    void CheckPlayerWaiting_Click();
    void CheckScoreBoard_Click();
    void CheckTurnOffClear_Click();
    void CommandOptions_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the boxes do to the play screens, one screen at a time.
    void showScoringTabs(PlayScreen& screen) const;
    void showTimerTabs(PlayScreen& screen) const;
    void show20SecondTab(PlayScreen& screen) const;
    void showScoreBoards(PlayScreen& screen) const;
    void forEachScreen(void (FormOptions::*apply)(PlayScreen&) const);
    // The clocks: "0:00" while the match timer is off, else each screen
    // pair's saved match time.
    void showMatchClocks();
    // Both menus' sound source, as the lock-up option wants it.
    void lockSoundSource(bool keepSelection);

    Program& program_;
};
