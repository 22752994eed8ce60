#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

class Program;

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CheckBuzzonBonus_Click();
    void CheckTimerContinues_Click();
    void CheckTurnOffClear_Click();

    Program& program_;
};
