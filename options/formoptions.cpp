#include "options/formoptions.h"

#include <QEvent>
#include <QVBoxLayout>

#include "app/controls.h"
#include "app/program.h"

namespace {

struct OptionText {
    const char* name;
    const char* caption;
    const char* help;
};

// In the window's order, top to bottom.
const OptionText kOptions[] = {
    {"CheckScoringTabs", "Turn on Scoring Tabs",
     "Checking this option will display tabs on the Scoreboard for 5 and 10 point incrementation "
     "of scores. Single point score incrementation is always avaible by left clicking the Score "
     "Board."},
    {"CheckTimerTabs", "Turn on Timer Tabs",
     "Checking this option will display tabs on the response Timer for Toss Up, Bonus, and "
     "Auxillary Timer.  You must select this option to use the Auxillary Timer."},
    {"Check20SecondTab", "Turn on 20 second Timer Tab (Oklahoma)",
     "Checking this box makes the 20 second timer tab available.  (Oklahoma)"},
    {"CheckBuzzonBonus", "Allow \"Buzz-in\" during Bonus",
     "Checking this box will allow contestants to Buzz-in while the Bonus Timer is running."},
    {"CheckTimerContinues", "Allow Timer to continue after \"Buzz-in\"",
     "Checking this option causes the Timer (Toss-up, Bonus, and Auxillay) to continue to count "
     "down after a Buzz-in."},
    {"CheckDisableMatchTimer", "Disable Match Timer",
     "Checking this box will disable (grey-out) the Match Timer.  Use this option if you are NOT "
     "using the Match Timer."},
    {"CheckPlayerWaiting", "Lock up second place respondent",
     "Checking this box will lock up the name of the player who was second to buzz in. This "
     "player's name will be displayed as soon as the computer operator clears the system.  This "
     "feature is only availble on computers using a sound card. Sound from The Torvanel speaker "
     "will be turned off."},
    {"CheckScoreBoard", "Turn OFF Score Board Display",
     "Checking this box will disable and hide the Score Boards"},
    {"CheckTurnOffClear", "Turn OFF Clear on Toss-up Timer Set",
     "Checking this option will require the computer operator to 'arm' the system (Clear buzz-in "
     "name) before the toss-up timer can be set."},
};

const char kHelpOverHelp[] = "Move mouse over a particular optiion for a description of that option";

}  // namespace

FormOptions::FormOptions(Program& program) : program_(program) {
    setObjectName(QStringLiteral("FormOptions"));
    setWindowTitle(QStringLiteral("Options Menu"));
    setFont(programFont(QStringLiteral("Arial"), 10));
    setFixedSize(twipsToPixels(4680), twipsToPixels(5910));

    QCheckBox** boxes[] = {&CheckScoringTabs,    &CheckTimerTabs,         &Check20SecondTab,
                           &CheckBuzzonBonus,    &CheckTimerContinues,    &CheckDisableMatchTimer,
                           &CheckPlayerWaiting,  &CheckScoreBoard,        &CheckTurnOffClear};

    // The last four options share a frame with the help text.
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);

    const int left = twipsToPixels(240);
    const int width = twipsToPixels(4680 - 480);
    const int row = twipsToPixels(360);
    int top = twipsToPixels(120);
    for (int i = 0; i < 9; ++i) {
        const bool framed = i >= 5;
        QWidget* parent = framed ? static_cast<QWidget*>(Frame1) : this;
        auto* box = new QCheckBox(QString::fromLatin1(kOptions[i].caption), parent);
        box->setObjectName(QString::fromLatin1(kOptions[i].name));
        box->setToolTip(QString::fromLatin1(kOptions[i].help));
        box->installEventFilter(this);
        *boxes[i] = box;
        if (i == 5) {
            Frame1->move(left - twipsToPixels(120), top - twipsToPixels(60));
        }
        if (framed) {
            box->setGeometry(twipsToPixels(120), twipsToPixels(60) + (i - 5) * row, width, row);
        } else {
            box->setGeometry(left, top, width, row);
        }
        top += row;
    }

    TextOption = new QTextEdit(Frame1);
    TextOption->setObjectName(QStringLiteral("TextOption"));
    TextOption->setReadOnly(true);
    TextOption->setGeometry(twipsToPixels(120), twipsToPixels(60) + 4 * row + twipsToPixels(60),
                            width, twipsToPixels(1500));
    TextOption->installEventFilter(this);
    TextOption->viewport()->installEventFilter(this);

    Frame1->resize(width + twipsToPixels(240),
                   TextOption->geometry().bottom() + twipsToPixels(120));

    CommandOptions = new QPushButton(QStringLiteral("Done"), this);
    CommandOptions->setObjectName(QStringLiteral("CommandOptions"));
    CommandOptions->setGeometry(twipsToPixels(1680), twipsToPixels(5910 - 615), twipsToPixels(1335),
                                twipsToPixels(435));

    // Over the window's own background the help text goes blank.
    setMouseTracking(true);
    Frame1->setMouseTracking(true);
    installEventFilter(this);
    Frame1->installEventFilter(this);

    connect(CommandOptions, &QPushButton::clicked, this, &QWidget::hide);
    connect(CheckBuzzonBonus, &QCheckBox::stateChanged, this, [this] { CheckBuzzonBonus_Click(); });
    connect(CheckTimerContinues, &QCheckBox::stateChanged, this,
            [this] { CheckTimerContinues_Click(); });
    connect(CheckTurnOffClear, &QCheckBox::stateChanged, this, [this] { CheckTurnOffClear_Click(); });
}

bool FormOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (auto* box = qobject_cast<QCheckBox*>(watched)) {
            TextOption->setPlainText(box->toolTip());
        } else if (watched == TextOption || watched == TextOption->viewport()) {
            TextOption->setPlainText(QString::fromLatin1(kHelpOverHelp));
        }
    } else if (event->type() == QEvent::MouseMove && (watched == this || watched == Frame1)) {
        if (!TextOption->toPlainText().isEmpty()) TextOption->clear();
    } else if (event->type() == QEvent::ToolTip && qobject_cast<QCheckBox*>(watched)) {
        // The help box below already says it; no second copy on top.
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FormOptions::CheckBuzzonBonus_Click() {
    program_.state.BuzzOnBonus = checkValue(CheckBuzzonBonus) == 1;
}

void FormOptions::CheckTimerContinues_Click() {
    program_.state.StopTimerOnBuzz = checkValue(CheckTimerContinues) != 1;
}

void FormOptions::CheckTurnOffClear_Click() {
    program_.state.TurnOffClear = checkValue(CheckTurnOffClear) == 1;
}
