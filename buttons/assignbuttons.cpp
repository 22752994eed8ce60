#include "buttons/assignbuttons.h"

#include <algorithm>
#include <iterator>

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/program.h"

namespace {
// Fast enough that a press shows at once, with no cost worth measuring.
constexpr int kReadIntervalMs = 30;
}  // namespace

using buttons::ButtonAssignment;

AssignButtons::AssignButtons(Program& program, buttons::InputBox& box, ScreenPair screen,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      Labeldevices(new QLabel(this)),
      CommandRetry(new QPushButton(QStringLiteral("Re&try"), this)),
      Labelprompt(new QLabel(this)),
      Listbindings(new QTreeWidget(this)),
      CommandSkip(new QPushButton(QStringLiteral("&Skip"), this)),
      CommandRedo(new QPushButton(QStringLiteral("&Redo"), this)),
      CommandExtra(new QPushButton(QStringLiteral("&Extra Transmitter"), this)),
      CommandSave(new QPushButton(QStringLiteral("Sa&ve"), this)),
      CommandClose(new QPushButton(QStringLiteral("&Close"), this)),
      readtimer(new QTimer(this)),
      program_(program),
      box_(box),
      screen_(screen),
      assignment_(box.assignment()) {
    setObjectName(QStringLiteral("AssignButtons"));
    setWindowTitle(QStringLiteral("Assign Buttons"));
    QFont big = Labelprompt->font();
    big.setPointSize(big.pointSize() * 2);
    Labelprompt->setFont(big);
    Labelprompt->setWordWrap(true);
    Labelprompt->setTextFormat(Qt::PlainText);  // names a player
    Listbindings->setColumnCount(2);
    Listbindings->setHeaderLabels({QStringLiteral("Player"), QStringLiteral("Button")});
    Listbindings->setRootIsDecorated(false);
    Listbindings->header()->setStretchLastSection(true);

    auto* buttonsRow = new QHBoxLayout;
    for (QPushButton* b : {CommandSkip, CommandRedo, CommandExtra, CommandSave, CommandClose})
        buttonsRow->addWidget(b);
    Labeldevices->setObjectName(QStringLiteral("Labeldevices"));
    Labeldevices->setTextFormat(Qt::PlainText);  // device names come from the devices
    Labeldevices->setWordWrap(true);
    Labeldevices->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Labeldevices->setStyleSheet(
        QStringLiteral("QLabel { background: #fff4d0; border: 1px solid #c08000; padding: 6px; }"));
    Labeldevices->hide();
    CommandRetry->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Labeldevices);
    layout->addWidget(CommandRetry, 0, Qt::AlignLeft);
    layout->addWidget(Labelprompt);
    layout->addWidget(Listbindings);
    layout->addLayout(buttonsRow);
    resize(560, 420);

    connect(CommandSkip, &QPushButton::clicked, this, &AssignButtons::skip);
    connect(CommandRedo, &QPushButton::clicked, this, &AssignButtons::redo);
    connect(CommandExtra, &QPushButton::clicked, this, &AssignButtons::askExtra);
    connect(CommandSave, &QPushButton::clicked, this, &AssignButtons::save);
    connect(CommandClose, &QPushButton::clicked, this, &QWidget::close);
    connect(CommandRetry, &QPushButton::clicked, this, [this] {
        box_.pump();
        devicesSeen_ = -1;  // look again even if still none
        checkDevices();
    });
    readtimer->setInterval(kReadIntervalMs);
    connect(readtimer, &QTimer::timeout, this, &AssignButtons::readPresses);
    // Opened again later: the first player still without a button.
    askFrom(1);
}

AssignButtons::~AssignButtons() {
    if (box_.capturing()) box_.endCapture();
}

QString AssignButtons::filePath(const Program& program) {
    return QDir(program.paths.configFolder).filePath(ButtonAssignment::fileName());
}

int AssignButtons::players() const { return teamsOf(screen_) * playersPerTeamOf(screen_); }

QString AssignButtons::playerName(int player) const {
    return program_.windows().playerName(menuOf(screen_), player);
}

void AssignButtons::showEvent(QShowEvent* event) {
    box_.beginCapture(
        [this](const buttons::DeviceInfo& device, int code) { onPress(device, code); });
    readtimer->start();
    box_.pump();
    devicesSeen_ = -1;
    checkDevices();
    QWidget::showEvent(event);
}

void AssignButtons::hideEvent(QHideEvent* event) {
    readtimer->stop();
    if (box_.capturing()) box_.endCapture();
    QWidget::hideEvent(event);
}

void AssignButtons::closeEvent(QCloseEvent* event) {
    if (assignment_.toJson() != box_.assignment().toJson()) {
        const Dialogs::Answer answer = program_.dialogs.message(
            QStringLiteral("Save the buttons you assigned?"), QStringLiteral("Assign Buttons"),
            Dialogs::Icon::Question, Dialogs::Buttons::YesNoCancel);
        if (answer == Dialogs::Answer::Cancel || (answer == Dialogs::Answer::Yes && !save())) {
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}

void AssignButtons::readPresses() {
    box_.pump();
    checkDevices();
}

void AssignButtons::checkDevices() {
    const bool hasDevices = !box_.devices().empty();
    // Looked at again only when the devices come or go.
    if (int(hasDevices) == devicesSeen_) return;
    devicesSeen_ = int(hasDevices);
    QString notice;
    if (!hasDevices) {
        notice = buttons::noReadableButtonsText(survey());
        // Devices are there and readable, but none has been opened yet.
        if (notice.isEmpty())
            notice = QStringLiteral("No input device with buttons is open yet; choose Retry.");
    }
    Labeldevices->setText(notice);
    Labeldevices->setVisible(!notice.isEmpty());
    CommandRetry->setVisible(!notice.isEmpty());
}

// The keys an operator works this window with from the keyboard: Tab,
// Enter, Escape and the modifiers of its shortcuts (linux/input-event-codes.h).
// Every keyboard is read while assigning, the operator's own too, so these
// never become anybody's button.
bool AssignButtons::isOperatorKey(int code) {
    // Esc, Tab, Enter, left Ctrl, left and right Shift, left Alt, keypad
    // Enter, right Ctrl, right Alt, left and right Meta.
    static constexpr int kKeys[] = {1, 15, 28, 29, 42, 54, 56, 96, 97, 100, 125, 126};
    return std::find(std::begin(kKeys), std::end(kKeys), code) != std::end(kKeys);
}

void AssignButtons::onPress(const buttons::DeviceInfo& device, int code) {
    if (asking_ == kNobody || isOperatorKey(code)) return;
    assignment_.bind(device.identity, device.name, code, asking_);
    askAfter(asking_);
}

void AssignButtons::skip() {
    if (asking_ != kNobody) askAfter(asking_);
}

// The next player after `who` still without a button; after the extra
// transmitter, nobody.
void AssignButtons::askAfter(int who) {
    if (who == ButtonAssignment::kExtra) return ask(kNobody);
    askFrom(who + 1);
}

void AssignButtons::askFrom(int first) {
    for (int p = first; p <= players(); ++p) {
        if (!assignment_.bindingOf(p)) return ask(p);
    }
    ask(kNobody);
}

void AssignButtons::redo() {
    const QTreeWidgetItem* row = Listbindings->currentItem();
    if (!row) return;
    const int who = row->data(0, Qt::UserRole).toInt();
    assignment_.unbindPlayer(who);
    ask(who);
}

void AssignButtons::askExtra() { ask(ButtonAssignment::kExtra); }

bool AssignButtons::save() {
    QString error;
    QString aside;
    const bool saved = assignment_.save(filePath(program_), &error, &aside);
    if (!aside.isEmpty()) {
        program_.dialogs.message(
            QStringLiteral("The earlier button assignment in %1 could not be read; it has been "
                           "kept as %2.")
                .arg(filePath(program_), aside),
            QString(), Dialogs::Icon::Information, Dialogs::Buttons::Ok);
    }
    if (!saved) {
        program_.dialogs.message(QStringLiteral("The buttons could not be saved to %1: %2")
                                     .arg(filePath(program_), error),
                                 QString(), Dialogs::Icon::Critical, Dialogs::Buttons::Ok);
        return false;
    }
    box_.setAssignment(assignment_);
    return true;
}

void AssignButtons::ask(int who) {
    asking_ = who;
    if (who == kNobody) {
        Labelprompt->setText(
            QStringLiteral("Every player has had a turn. Save keeps the buttons; they buzz in "
                           "once this window is closed."));
    } else if (who == ButtonAssignment::kExtra) {
        Labelprompt->setText(QStringLiteral("press the extra transmitter's button"));
    } else {
        Labelprompt->setText(QStringLiteral("press %1's button").arg(playerName(who)));
    }
    refresh();
}

void AssignButtons::refresh() {
    Listbindings->clear();
    auto describe = [&](int who) {
        const buttons::Binding* b = assignment_.bindingOf(who);
        if (!b) return QStringLiteral("(none)");
        return QStringLiteral("%1, key %2").arg(b->deviceName).arg(b->code);
    };
    for (int p = 0; p <= players(); ++p) {
        // The extra transmitter last, after the players.
        const int who = p < players() ? p + 1 : ButtonAssignment::kExtra;
        const QString name = who == ButtonAssignment::kExtra
                                 ? QStringLiteral("Extra transmitter")
                                 : QStringLiteral("%1. %2").arg(who).arg(playerName(who));
        auto* row = new QTreeWidgetItem(Listbindings, {name, describe(who)});
        row->setData(0, Qt::UserRole, who);
        if (who == asking_) Listbindings->setCurrentItem(row);
    }
}
