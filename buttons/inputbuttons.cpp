#include "buttons/inputbuttons.h"

#include <cstdio>
#include <vector>

#include "app/operatorwindows.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "buttons/assignbuttons.h"

namespace {
// Often enough that a pulled plug is named within a moment.
constexpr int kPumpIntervalMs = 250;
}  // namespace

void InputButtons::install(Program& program, std::function<InputButtons*()> buttons) {
    program.operatorWindows().add(
        {QStringLiteral("&Assign Buttons..."), QKeySequence(),
         [buttons](QWidget*) {
             if (InputButtons* b = buttons()) b->openAssign();
         },
         QStringLiteral("mnuAssignButtons"),
         // Only buttons on input devices are assigned here; a lockout box's
         // transmitters come with their numbers.
         QStringLiteral("USB buttons, game controllers or keyboards as buzzers "
                        "(torvanel --interface input)"),
         [buttons] { return buttons() != nullptr; }});
}

InputButtons::InputButtons(Program& program, buttons::InputBox& box)
    : program_(program), box_(box) {
    box_.setNoticeListener(
        [this](buttons::InputBox::NoticeKind kind, const QString& text) { onNotice(kind, text); });
    box_.setBuzzListener(
        [this](const buttons::InputBox::Buzz& buzz, bool presented) { onBuzz(buzz, presented); });
    pumpTimer.setInterval(kPumpIntervalMs);
    connect(&pumpTimer, &QTimer::timeout, this, [this] { box_.pump(); });
    pumpTimer.start();
}

InputButtons::~InputButtons() {
    box_.setNoticeListener(nullptr);
    box_.setBuzzListener(nullptr);
}

void InputButtons::loadAssignment() {
    const QString path = AssignButtons::filePath(program_);
    QString error;
    if (const auto saved = buttons::ButtonAssignment::load(path, &error)) {
        box_.setAssignment(*saved);
        return;
    }
    program_.dialogs.message(
        QStringLiteral("The button assignment %1 could not be read: %2").arg(path, error),
        QString(), Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
}

bool InputButtons::confirmDevices() {
    for (;;) {
        const buttons::InputSurvey found = survey();
        if (found.readableButtonDevices() > 0) return true;
        const int answer = program_.dialogs.choose(
            buttons::noReadableButtonsText(found), QStringLiteral("No buttons can be read"),
            Dialogs::Icon::Warning,
            {QStringLiteral("Retry"), QStringLiteral("Go on without buttons"),
             QStringLiteral("Quit")},
            2);
        if (answer == 0) continue;
        // Closing the box, like Quit, ends the program before it starts.
        return answer == 1;
    }
}

void InputButtons::offerToAssign() {
    if (!box_.assignment().empty()) return;
    if (program_.dialogs.message(QStringLiteral("No buttons are assigned yet. Assign them now?"),
                                 QString(), Dialogs::Icon::Question,
                                 Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes) {
        openAssign();
    }
}

void InputButtons::openAssign() {
    // Made afresh unless it is up, so that it asks for the players of the
    // screen pair chosen since.
    if (!assignWindow_ || !assignWindow_->isVisible()) {
        assignWindow_.reset();
        assignWindow_ =
            std::make_unique<AssignButtons>(program_, box_, program_.windows().currentScreen());
        assignWindow_->survey = survey;
        places::markOperatorWindow(*assignWindow_);
        places::keepPlace(*assignWindow_, program_, assignWindow_->objectName());
        places::fitOnDisplay(*assignWindow_);
    }
    places::bringForward(*assignWindow_);
}

MenuKind InputButtons::operatorMenu() const { return menuOf(program_.windows().currentScreen()); }

QString InputButtons::transmitterName(int transmitter) const {
    const ScreenPair screen = program_.windows().currentScreen();
    if (transmitter >= 1 && transmitter <= teamsOf(screen) * playersPerTeamOf(screen)) {
        const QString name = program_.windows().playerName(menuOf(screen), transmitter);
        if (!name.isEmpty()) return name;
    }
    if (transmitter == box_.extraTransmitter()) return QStringLiteral("the extra transmitter");
    return QStringLiteral("transmitter %1").arg(transmitter);
}

// The line is about the buzz-in the screen shows. A code the box presents
// while a first respondent is held goes to the second-place capture instead
// (the screen has not read it yet, so its state still says which it will
// be); who pressed after the buzz-in may become known later, until the next
// clear.
void InputButtons::onBuzz(const buttons::InputBox::Buzz& buzz, bool presented) {
    const bool buzzIn = presented && !program_.state.SecondPlaceHeld;
    if (buzzIn) {
        buzzIn_.emplace(buzz.transmitter, buzz.timeUs);
        other_.clear();
        shown_.clear();
        details_ = QJsonObject{{QStringLiteral("kind"), QStringLiteral("buttons")},
                               {QStringLiteral("transmitter"), buzz.transmitter}};
    }
    if (!buzzIn_) return;
    const bool ours = buzzIn_->first == buzz.transmitter && buzzIn_->second == buzz.timeUs;
    if (ours) {
        // Cleared since: the runner-up is old news.
        if (!buzzIn && !shown_.isEmpty() && program_.decision().text.isEmpty()) return;
        lastNote_ = buttons::buzzNote(buzz, [this](int t) { return transmitterName(t); });
        if (buzz.nextTransmitter) {
            details_[QStringLiteral("next")] = *buzz.nextTransmitter;
            details_[QStringLiteral("nextAfterMs")] = buzz.nextAfterMs;
        }
        emit noted(lastNote_);
    }
    // After the poll's tick: the screen then has shown the code, and may
    // have put its own note on the line (a second respondent held).
    if (!linePending_) {
        linePending_ = true;
        QTimer::singleShot(0, this, [this] { putOnLine(); });
    }
}

// Our note goes first; what the screen said since about the same buzz-in
// stays after it.
void InputButtons::putOnLine() {
    linePending_ = false;
    if (!buzzIn_) return;
    const QString current = program_.decision().text;
    if (current.isEmpty() && !shown_.isEmpty()) return;  // cleared: a new question
    if (!current.isEmpty() && current != shown_) other_ = current;
    const QString text = other_.isEmpty() ? lastNote_ : lastNote_ + QStringLiteral(" ") + other_;
    if (text == current) return;
    shown_ = text;
    program_.showDecision(DecisionNote{text, details_});
}

void InputButtons::onNotice(buttons::InputBox::NoticeKind kind, const QString& text) {
    std::fprintf(stderr, "torvanel: %s\n", qPrintable(text));
    // A tie is told on the buzz-in's own line.
    if (kind != buttons::InputBox::NoticeKind::Device) return;
    // Over the set-up menu, on the operator's side, and never modal nor
    // taking the focus: the match goes on, and the operator's keys still
    // reach the play screen, while the message waits to be read.
    program_.dialogs.notice(text, Dialogs::Icon::Warning,
                            &program_.windows().setupMenuWindow(operatorMenu()),
                            QStringLiteral("buttonsNotice"));
}
