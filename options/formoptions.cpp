#include "options/formoptions.h"

#include <utility>

#include <QEvent>
#include <QMouseEvent>

#include "app/controls.h"
#include "app/program.h"
#include "menu/matchbox.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "title/forms.h"

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

const char kHelpOverHelp[] =
    "Move mouse over a particular optiion for a description of that option";

}  // namespace

FormOptions::FormOptions(Program& program) : program_(program) {
    setObjectName(QStringLiteral("FormOptions"));
    setWindowTitle(QStringLiteral("Options Menu"));
    setFont(programFont(QStringLiteral("Arial"), 10));
    setFixedSize(twipsToPixels(4680), twipsToPixels(5910));

    QCheckBox** boxes[] = {&CheckScoringTabs,   &CheckTimerTabs,      &Check20SecondTab,
                           &CheckBuzzonBonus,   &CheckTimerContinues, &CheckDisableMatchTimer,
                           &CheckPlayerWaiting, &CheckScoreBoard,     &CheckTurnOffClear};

    // The last four options share a frame with the help text.
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);

    // In twips: one box every 360, each a little lower than its row so that
    // the frame's line clears the box above it; the frame holds the last
    // four boxes and a help box tall enough for the longest help text.
    constexpr int kLeft = 240;
    constexpr int kTop = 120;
    constexpr int kRow = 360;
    constexpr int kBoxHeight = 300;
    constexpr int kFramed = 5;
    constexpr int kFrameLeft = 90;
    constexpr int kFrameWidth = 4680 - 2 * kFrameLeft;
    constexpr int kInset = kLeft - kFrameLeft;
    constexpr int kWidth = kFrameWidth - 2 * kInset;
    constexpr int kFrameTop = kTop + kFramed * kRow - 45;
    constexpr int kDoneHeight = 435;
    constexpr int kDoneTop = 5910 - 90 - kDoneHeight;
    constexpr int kHelpTop = 45 + (9 - kFramed) * kRow + 15;
    constexpr int kFrameHeight = kDoneTop - 75 - kFrameTop;
    constexpr int kHelpHeight = kFrameHeight - kHelpTop - 90;

    Frame1->setGeometry(twipsRect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
    for (int i = 0; i < 9; ++i) {
        const bool framed = i >= kFramed;
        QWidget* parent = framed ? static_cast<QWidget*>(Frame1) : this;
        auto* box = new QCheckBox(QString::fromLatin1(kOptions[i].caption), parent);
        box->setObjectName(QString::fromLatin1(kOptions[i].name));
        box->setToolTip(QString::fromLatin1(kOptions[i].help));
        box->installEventFilter(this);
        *boxes[i] = box;
        if (framed) {
            box->setGeometry(twipsRect(kInset, 45 + (i - kFramed) * kRow, kWidth, kBoxHeight));
        } else {
            box->setGeometry(twipsRect(kLeft, kTop + i * kRow, kWidth, kBoxHeight));
        }
    }

    TextOption = new QTextEdit(Frame1);
    TextOption->setObjectName(QStringLiteral("TextOption"));
    TextOption->setReadOnly(true);
    TextOption->setGeometry(twipsRect(kInset, kHelpTop, kWidth, kHelpHeight));
    TextOption->installEventFilter(this);
    TextOption->viewport()->installEventFilter(this);

    CommandOptions = new QPushButton(QStringLiteral("Done"), this);
    CommandOptions->setObjectName(QStringLiteral("CommandOptions"));
    CommandOptions->setGeometry(twipsRect(1680, kDoneTop, 1335, kDoneHeight));

    // Over the window's own background the help text goes blank.
    setMouseTracking(true);
    Frame1->setMouseTracking(true);
    installEventFilter(this);
    Frame1->installEventFilter(this);

    connect(CommandOptions, &QPushButton::clicked, this, [this] { CommandOptions_Click(); });
    const std::pair<QCheckBox*, void (FormOptions::*)()> handlers[] = {
        {CheckScoringTabs, &FormOptions::CheckScoringTabs_Click},
        {CheckTimerTabs, &FormOptions::CheckTimerTabs_Click},
        {Check20SecondTab, &FormOptions::Check20SecondTab_Click},
        {CheckBuzzonBonus, &FormOptions::CheckBuzzonBonus_Click},
        {CheckTimerContinues, &FormOptions::CheckTimerContinues_Click},
        {CheckDisableMatchTimer, &FormOptions::CheckDisableMatchTimer_Click},
        {CheckPlayerWaiting, &FormOptions::CheckPlayerWaiting_Click},
        {CheckScoreBoard, &FormOptions::CheckScoreBoard_Click},
        {CheckTurnOffClear, &FormOptions::CheckTurnOffClear_Click},
    };
    for (const auto& [box, handler] : handlers) {
        connect(box, &QCheckBox::stateChanged, this, [this, h = handler] { (this->*h)(); });
        // After the option has been applied.
        connect(box, &QCheckBox::stateChanged, this, [this, b = box] {
            program_.recorder().record(record::EventKind::OptionChanged,
                                       {{QStringLiteral("option"), b->objectName()},
                                        {QStringLiteral("value"), checkValue(b)}});
        });
    }
}

bool FormOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (auto* box = qobject_cast<QCheckBox*>(watched)) {
            TextOption->setPlainText(box->toolTip());
        } else if (watched == TextOption || watched == TextOption->viewport()) {
            TextOption->setPlainText(QString::fromLatin1(kHelpOverHelp));
        }
    } else if (event->type() == QEvent::MouseMove && (watched == this || watched == Frame1)) {
        // The moves over a check box come here too (the box does not track
        // the mouse itself); only the bare background empties the help.
        auto* area = static_cast<QWidget*>(watched);
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!area->childAt(at) && !TextOption->toPlainText().isEmpty()) TextOption->clear();
    } else if (event->type() == QEvent::ToolTip && qobject_cast<QCheckBox*>(watched)) {
        // The help box below already says it; no second copy on top.
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- What the options do to a play screen -------------------------------------

namespace {
bool isSet(const QCheckBox* box) { return checkValue(box) == 1; }
}  // namespace

void FormOptions::showScoringTabs(PlayScreen& screen) const {
    const bool on = isSet(CheckScoringTabs);
    // The 2-team screens have no Gamma tabs.
    for (QWidget* tab : {screen.a5, screen.a10, screen.b5, screen.b10, screen.g5, screen.g10}) {
        if (tab) tab->setVisible(on);
    }
}

void FormOptions::showTimerTabs(PlayScreen& screen) const {
    const bool on = isSet(CheckTimerTabs);
    for (QWidget* tab : {screen.CommandT, screen.CommandB, screen.CommandA})
        tab->setVisible(on);
}

void FormOptions::show20SecondTab(PlayScreen& screen) const {
    screen.Command20->setVisible(isSet(Check20SecondTab));
}

void FormOptions::showScoreBoards(PlayScreen& screen) const {
    const bool hidden = isSet(CheckScoreBoard);
    for (QWidget* board : {screen.ascorelabel, screen.bscorelabel, screen.gscorelabel}) {
        if (board) board->setVisible(!hidden);
    }
}

void FormOptions::forEachScreen(void (FormOptions::*apply)(PlayScreen&) const) {
    // Every screen, shown or not, made if it does not exist yet.
    for (ScreenPair s : kAllScreens)
        (this->*apply)(formsOf(program_).playScreen(s));
}

void FormOptions::showMatchClocks() {
    const ProgramState& state = program_.state;
    const bool off = isSet(CheckDisableMatchTimer);
    for (ScreenPair s : kAllScreens) {
        PlayScreen& screen = formsOf(program_).playScreen(s);
        const QString& saved =
            playersPerTeamOf(s) == 4 ? state.SavedMatchTime4 : state.SavedMatchTime5;
        if (off) {
            // Blank and at nothing: F5 then runs out at the next tick, as
            // a clock that is not in use should.
            screen.showMatchTime(QStringLiteral("0:00"));
        } else if (matchbox::hasMinutes(saved)) {
            screen.showMatchTime(saved);
        } else {
            // Nothing saved yet: the menu's box was given the match length,
            // which the screen takes when it is next activated.
            screen.clocklabel->setText(saved);
        }
    }
}

void FormOptions::lockSoundSource(bool keepSelection) {
    const bool locked = isSet(CheckPlayerWaiting);
    // The held name is shown without the interface's speaker: the sound card
    // alone.
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        QComboBox* list = formsOf(program_).setupMenu(m).ComboSound;
        if (locked) {
            list->setCurrentIndex(1);
        } else if (!keepSelection) {
            list->setCurrentIndex(2);
        }
        list->setEnabled(!locked && !program_.state.soundCardMissing);
    }
}

void FormOptions::applyTo(PlayScreen& screen) const {
    showScoringTabs(screen);
    showTimerTabs(screen);
    show20SecondTab(screen);
    showScoreBoards(screen);
    if (isSet(CheckDisableMatchTimer)) screen.showMatchTime(QStringLiteral("0:00"));
}

// --- ApplyOptions ----------------------------------------------------------------

void FormOptions::ApplyOptions() {
    Forms& forms = formsOf(program_);
    ProgramState& state = program_.state;

    forEachScreen(&FormOptions::show20SecondTab);

    // Only the 2-team screens' clocks say whether there is a time to keep.
    if (forms.playScreen(ScreenPair::P2_4).clocklabel->text() != QLatin1String("0:00")) {
        state.SavedMatchTime4 = forms.setupMenu(MenuKind::Players4).Texttimer[6]->text();
    }
    if (forms.playScreen(ScreenPair::P2_5).clocklabel->text() != QLatin1String("0:00")) {
        state.SavedMatchTime5 = forms.setupMenu(MenuKind::Players5).Texttimer[6]->text();
    }
    // The blank again while the match timer is off. With it on, each clock
    // keeps the time it has counted down to: the menu is activated at every
    // time-out and every visit, and a clock put back to the saved match time
    // there would give the teams their time again.
    if (isSet(CheckDisableMatchTimer)) showMatchClocks();

    // Without the lock-up the lists are only freed: the operator's sound
    // source (or the setup file's) stays as chosen.
    lockSoundSource(true);

    forEachScreen(&FormOptions::showScoreBoards);
    forEachScreen(&FormOptions::showScoringTabs);
    state.StopTimerOnBuzz = !isSet(CheckTimerContinues);
    forEachScreen(&FormOptions::showTimerTabs);
}

// --- The boxes' handlers -----------------------------------------------------------

void FormOptions::CheckScoringTabs_Click() { forEachScreen(&FormOptions::showScoringTabs); }

void FormOptions::CheckTimerTabs_Click() { forEachScreen(&FormOptions::showTimerTabs); }

void FormOptions::Check20SecondTab_Click() { forEachScreen(&FormOptions::show20SecondTab); }

void FormOptions::CheckScoreBoard_Click() { forEachScreen(&FormOptions::showScoreBoards); }

void FormOptions::CheckPlayerWaiting_Click() { lockSoundSource(false); }

void FormOptions::CheckDisableMatchTimer_Click() {
    Forms& forms = formsOf(program_);
    ProgramState& state = program_.state;
    struct Pair {
        MenuKind menu;
        QString& saved;
    };
    const Pair pairs[] = {{MenuKind::Players4, state.SavedMatchTime4},
                          {MenuKind::Players5, state.SavedMatchTime5}};
    for (const Pair& p : pairs) {
        QLineEdit* box = forms.setupMenu(p.menu).Texttimer[6];
        if (matchbox::hasMinutes(box->text())) p.saved = box->text();
        if (!matchbox::hasMinutes(p.saved)) box->setText(state.MatchTime);
    }
    if (!isSet(CheckDisableMatchTimer)) {
        // The menu's match box held "0:00" while the clock was off; it takes
        // the time the clocks show again. Before the clocks are set, so that
        // they keep that time rather than read it anew.
        for (const Pair& p : pairs) {
            QLineEdit* box = forms.setupMenu(p.menu).Texttimer[6];
            if (matchbox::readsAsZero(box->text()) && matchbox::hasMinutes(p.saved)) {
                box->setText(p.saved);
            }
        }
    }
    showMatchClocks();
}

void FormOptions::CommandOptions_Click() {
    // No cancel: every change has been applied as it was made.
    hide();
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
