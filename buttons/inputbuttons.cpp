#include "buttons/inputbuttons.h"

#include <cstdio>

#include <QMessageBox>

#include "app/program.h"
#include "app/windowplaces.h"
#include "buttons/assignbuttons.h"
#include "menu/setupmenu.h"

namespace {
// Often enough that a pulled plug is named within a moment.
constexpr int kPumpIntervalMs = 250;
}  // namespace

InputButtons::InputButtons(Program& program, buttons::InputBox& box)
    : program_(program), box_(box) {
    box_.setNoticeListener(
        [this](buttons::InputBox::NoticeKind kind, const QString& text) { onNotice(kind, text); });
    box_.setBuzzListener(
        [this](const buttons::InputBox::Buzz& buzz, bool presented) { onBuzz(buzz, presented); });
    program_.setButtonAssigner([this] { openAssign(); });
    pumpTimer.setInterval(kPumpIntervalMs);
    connect(&pumpTimer, &QTimer::timeout, this, [this] { box_.pump(); });
    pumpTimer.start();
}

InputButtons::~InputButtons() {
    program_.setButtonAssigner(nullptr);
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
            std::make_unique<AssignButtons>(program_, box_, AssignButtons::currentScreen(program_));
        assignWindow_->survey = survey;
        places::markOperatorWindow(*assignWindow_);
        places::keepPlace(*assignWindow_, program_, assignWindow_->objectName());
        places::fitOnDisplay(*assignWindow_);
    }
    assignWindow_->show();
    assignWindow_->raise();
    assignWindow_->activateWindow();
}

SetupMenu& InputButtons::operatorMenu() const {
    return program_.forms.setupMenu(menuOf(AssignButtons::currentScreen(program_)));
}

QString InputButtons::transmitterName(int transmitter) const {
    const ScreenPair screen = AssignButtons::currentScreen(program_);
    if (transmitter >= 1 && transmitter <= teamsOf(screen) * playersPerTeamOf(screen)) {
        const QString name = operatorMenu().playerNameBox(transmitter)->text();
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
    auto* message = new QMessageBox(QMessageBox::Warning, programTitle(), text, QMessageBox::Ok,
                                    &operatorMenu());
    message->setObjectName(QStringLiteral("buttonsNotice"));
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->setAttribute(Qt::WA_ShowWithoutActivating);
    message->setModal(false);
    message->show();
}
