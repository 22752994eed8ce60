#include "sim/contestantpanel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScreen>
#include <QVBoxLayout>

#include "app/matchscreen.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "link/decoders.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"

namespace {

// One row of keys per team, left to right for the team's players.
constexpr int kTeamKeys[3][5] = {
    {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5},
    {Qt::Key_Q, Qt::Key_W, Qt::Key_E, Qt::Key_R, Qt::Key_T},
    {Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_F, Qt::Key_G},
};
constexpr int kExtraKey = Qt::Key_X;
constexpr int kExtra = -1;

// A wired box lets go of buttons pressed together this long after.
constexpr int kTogetherHoldMs = 150;
// The speaker tone lasts one 100 ms tick; the lamp stays lit long enough
// to be seen.
constexpr int kFlashMs = 400;

const char* kLampOff = "QLabel { background: #c8c8c8; color: #404040; padding: 4px; }";
const char* kLampOn =
    "QLabel { background: #ffb000; color: black; font-weight: bold; padding: 4px; }";
const char* kGatheredStyle = "QPushButton { background: #ffe080; font-weight: bold; }";

QString speakerMeaning(int byte) {
    switch (byte) {
    case 194: return QStringLiteral("buzz-in");
    case 129: return QStringLiteral("Beta buzz-in");
    case 65: return QStringLiteral("Gamma buzz-in");
    case 146: return QStringLiteral("response time expired");
    case 82: return QStringLiteral("match clock expired");
    default: return QString::number(byte);
    }
}

QString keyName(int key) { return QKeySequence(key).toString(); }

QString modelName(int model) {
    switch (model) {
    case 170: return QStringLiteral("wireless");
    case 180: return QStringLiteral("wired");
    case 199: return QStringLiteral("USB");
    case 200: return QStringLiteral("wireless, second series");
    case 210: return QStringLiteral("wired, second series");
    default: return QStringLiteral("no buttons simulated");
    }
}

}  // namespace

ContestantPanel::ContestantPanel(Program& program, SimulatedInterface& box)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      program_(program),
      box_(box) {
    setWindowTitle(QStringLiteral("Contestants"));
    setObjectName(QStringLiteral("Contestants"));
    places::markOperatorWindow(*this);
    // Never the active window: the operator's space and function keys stay
    // with the play screen.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);

    auto* column = new QVBoxLayout(this);
    modelLabel_ = new QLabel(QStringLiteral("Simulated interface, model %1 (%2)")
                                 .arg(box_.model())
                                 .arg(modelName(box_.model())),
                             this);
    column->addWidget(modelLabel_);

    grid_ = new QGridLayout;
    column->addLayout(grid_);

    extraButton_ = new QPushButton(this);
    extraButton_->setFocusPolicy(Qt::NoFocus);
    connect(extraButton_, &QPushButton::pressed, this, [this] {
        if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
            toggleGathered(kExtra);
        } else {
            pressPlayer(kExtra);
        }
    });
    column->addWidget(extraButton_);

    auto* together = new QHBoxLayout;
    togetherButton_ = new QPushButton(QStringLiteral("Press together"), this);
    togetherButton_->setFocusPolicy(Qt::NoFocus);
    togetherButton_->setEnabled(false);
    connect(togetherButton_, &QPushButton::clicked, this, &ContestantPanel::pressGathered);
    together->addWidget(togetherButton_);
    auto* hint = new QLabel(QStringLiteral("Ctrl+click or Ctrl+key to gather"), this);
    together->addWidget(hint);
    column->addLayout(together);

    auto* faults = new QHBoxLayout;
    silentBox_ = new QCheckBox(QStringLiteral("Stop answering"), this);
    silentBox_->setFocusPolicy(Qt::NoFocus);
    connect(silentBox_, &QCheckBox::toggled, this, [this](bool on) { box_.setSilent(on); });
    faults->addWidget(silentBox_);
    stallButton_ = new QPushButton(QStringLiteral("Hang the next code"), this);
    stallButton_->setFocusPolicy(Qt::NoFocus);
    stallButton_->setToolTip(
        QStringLiteral("The box stops in the middle of the next buzz-in code it sends."));
    connect(stallButton_, &QPushButton::clicked, this, [this] { box_.stallNextCode(3); });
    faults->addWidget(stallButton_);
    column->addLayout(faults);
    // The USB lockout does not go through the parallel-port box.
    silentBox_->setHidden(!box_.hasButtons());
    stallButton_->setHidden(!box_.hasButtons());

    speakerLamp_ = new QLabel(QStringLiteral("Speaker"), this);
    speakerLamp_->setAlignment(Qt::AlignCenter);
    speakerLamp_->setStyleSheet(QString::fromLatin1(kLampOff));
    column->addWidget(speakerLamp_);

    flashTimer_.setSingleShot(true);
    connect(&flashTimer_, &QTimer::timeout, this, [this] {
        flashing_ = false;
        speakerLamp_->setText(QStringLiteral("Speaker"));
        speakerLamp_->setStyleSheet(QString::fromLatin1(kLampOff));
    });
    box_.setSpeakerListener([this](int byte) { onSpeaker(byte); });

    // Names, team counts and the extra transmitter change in other windows
    // at any time.
    refreshTimer_.setInterval(500);
    connect(&refreshTimer_, &QTimer::timeout, this, &ContestantPanel::refresh);
    refreshTimer_.start();

    usbHoldTimer_.setSingleShot(true);
    connect(&usbHoldTimer_, &QTimer::timeout, this, &ContestantPanel::releaseHeldUsbLines);

    qApp->installEventFilter(this);
    refresh();
}

ContestantPanel::~ContestantPanel() {
    qApp->removeEventFilter(this);
    box_.setSpeakerListener(nullptr);
}

void ContestantPanel::showPanel() {
    adjustSize();
    // Where the operator left it last time; else in the bottom right-hand
    // corner (with one display, at its very foot, beside the set-up menu).
    if (!places::keepPlace(*this, program_, objectName())) {
        if (places::oneDisplay()) {
            places::placeAtFoot(*this, false);
        } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.right() - width() - 16, area.bottom() - height() - 48);
        }
    }
    places::fitOnDisplay(*this);
    show();
    // A play screen put up before the panel makes room for it.
    for (ScreenPair s : kAllScreens) {
        if (program_.windows().isLoaded(s))
            program_.windows().matchScreen(s).fitBesideOperatorWindows();
    }
}

QPushButton* ContestantPanel::playerButton(int player) const {
    if (player < 1 || player > playerCount()) return nullptr;
    return playerButtons_[player - 1];
}

void ContestantPanel::refresh() {
    ScreenPair screen = ScreenPair::P2_4;
    if (program_.windows().titleFormLoaded()) screen = program_.windows().currentScreen();
    if (!built_ || screen != screen_) {
        screen_ = screen;
        rebuild();
    }

    const MenuKind menuKind = menuOf(screen_);
    const bool menu = program_.windows().isLoaded(menuKind);
    const int n = playersPerTeamOf(screen_);
    for (int t = 0; t < teamsOf(screen_); ++t) {
        QString team = menu ? program_.windows().teamName(menuKind, t) : QString();
        if (team.isEmpty()) team = QStringList{"Alpha", "Beta", "Gamma"}[t];
        teamLabels_[t]->setText(team);
        for (int i = 0; i < n; ++i) {
            const int p = t * n + i + 1;
            QString name = menu ? program_.windows().playerName(menuKind, p) : QString();
            if (name.isEmpty()) name = QStringLiteral("Player %1").arg(p);
            // A key the operator has taken is not offered as the player's.
            const int key = kTeamKeys[t][i];
            playerButtons_[p - 1]->setText(program_.operatorKeyClaimed(key, Qt::NoModifier)
                                               ? name
                                               : QStringLiteral("%1  %2").arg(keyName(key), name));
        }
    }

    if (!extraButton_->isHidden()) {
        QString whose = QStringLiteral("not in use");
        if (program_.windows().formextraxLoaded()) {
            const int entry = program_.windows().extraTransmitterEntry();
            if (entry >= 0 && entry != buzzlink::kExtraNotInUse) {
                const int p = entry + 1;
                QString name = menu && p <= playerCount()
                                   ? program_.windows().playerName(menuKind, p)
                                   : QString();
                whose = name.isEmpty() ? QStringLiteral("player %1").arg(p)
                                       : QStringLiteral("%1 (player %2)").arg(name).arg(p);
            }
        }
        extraButton_->setText(QStringLiteral("%1  Extra transmitter (%2): %3")
                                  .arg(keyName(kExtraKey))
                                  .arg(box_.extraTransmitter())
                                  .arg(whose));
    }
}

void ContestantPanel::rebuild() {
    built_ = true;
    gathered_.clear();
    for (QLabel* l : teamLabels_)
        delete l;
    for (QPushButton* b : playerButtons_)
        delete b;
    teamLabels_.clear();
    playerButtons_.clear();

    const int n = playersPerTeamOf(screen_);
    for (int t = 0; t < teamsOf(screen_); ++t) {
        auto* label = new QLabel(this);
        // A team name is whatever was typed or imported: never markup.
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(70);
        grid_->addWidget(label, t, 0);
        teamLabels_.push_back(label);
        for (int i = 0; i < n; ++i) {
            const int p = t * n + i + 1;
            auto* button = new QPushButton(this);
            button->setFocusPolicy(Qt::NoFocus);
            button->setMinimumWidth(90);
            connect(button, &QPushButton::pressed, this, [this, p] {
                if (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) {
                    toggleGathered(p);
                } else {
                    pressPlayer(p);
                }
            });
            connect(button, &QPushButton::released, this, [this, p] { releasePlayer(p); });
            grid_->addWidget(button, t, i + 1);
            playerButtons_.push_back(button);
        }
    }

    // The spare handset exists on the wireless boxes, except where its
    // number is an ordinary player's.
    extraButton_->setVisible(box_.spareHandset(screen_).has_value());
    showGathered();
    adjustSize();
}

SimulatedUsbModule* ContestantPanel::usbModule() const {
    if (box_.model() != 199) return nullptr;
    return qobject_cast<SimulatedUsbModule*>(program_.usbTransport());
}

int ContestantPanel::inputOf(int player) const {
    if (player == kExtra) return box_.extraTransmitter();
    return box_.inputOfPlayer(screen_, player);
}

int ContestantPanel::playerOfKey(int key) const {
    if (key == kExtraKey) return extraButton_->isHidden() ? 0 : kExtra;
    const int n = playersPerTeamOf(screen_);
    for (int t = 0; t < teamsOf(screen_); ++t) {
        for (int i = 0; i < n; ++i) {
            if (kTeamKeys[t][i] == key) return t * n + i + 1;
        }
    }
    return 0;
}

void ContestantPanel::pressPlayer(int player) {
    if (SimulatedUsbModule* module = usbModule()) {
        usbReleasePending_.erase(player);
        usbPressedAt_[player].start();
        module->pressPlayer(player, true);
        return;
    }
    const int input = inputOf(player);
    if (input >= 0) box_.press(input);
}

void ContestantPanel::releasePlayer(int player) {
    if (SimulatedUsbModule* module = usbModule()) {
        const auto pressed = usbPressedAt_.find(player);
        if (pressed != usbPressedAt_.end() && !pressed->second.hasExpired(kUsbHoldMs)) {
            releaseUsbLater(player);
        } else {
            module->pressPlayer(player, false);
        }
        return;
    }
    const int input = inputOf(player);
    if (input >= 0) box_.release(input);
}

void ContestantPanel::releaseUsbLater(int player) {
    usbReleasePending_.insert(player);
    usbHoldTimer_.start(kUsbHoldMs);
}

void ContestantPanel::releaseHeldUsbLines() {
    usbHoldTimer_.stop();
    SimulatedUsbModule* module = usbModule();
    for (int player : usbReleasePending_) {
        if (module) module->pressPlayer(player, false);
    }
    usbReleasePending_.clear();
}

void ContestantPanel::toggleGathered(int player) {
    if (!gathered_.erase(player)) gathered_.insert(player);
    showGathered();
}

void ContestantPanel::pressGathered() {
    if (gathered_.empty()) return;
    const std::set<int> players = gathered_;
    std::vector<int> inputs;
    for (int p : gathered_) {
        const int input = inputOf(p);
        if (input >= 0) inputs.push_back(input);
    }
    gathered_.clear();
    showGathered();
    if (usbModule()) {
        // The lines go low in one go; no poll runs in between.
        for (int p : players) {
            pressPlayer(p);
            releaseUsbLater(p);
        }
        return;
    }
    box_.pressTogether(inputs);
    if (box_.isWiredBox()) {
        QTimer::singleShot(kTogetherHoldMs, this, [this, inputs] {
            for (int input : inputs)
                box_.release(input);
        });
    }
}

void ContestantPanel::showGathered() {
    for (int p = 1; p <= playerCount(); ++p) {
        playerButtons_[p - 1]->setStyleSheet(
            gathered_.count(p) ? QString::fromLatin1(kGatheredStyle) : QString());
    }
    extraButton_->setStyleSheet(gathered_.count(kExtra) ? QString::fromLatin1(kGatheredStyle)
                                                        : QString());
    togetherButton_->setEnabled(!gathered_.empty());
    togetherButton_->setText(gathered_.empty()
                                 ? QStringLiteral("Press together")
                                 : QStringLiteral("Press together (%1)").arg(gathered_.size()));
}

void ContestantPanel::onSpeaker(int byte) {
    // 0 switches the tone off; the lamp goes out on its own timer so that a
    // 100 ms tone is still seen.
    if (byte == 0) return;
    flashing_ = true;
    speakerLamp_->setText(QStringLiteral("Speaker: %1").arg(speakerMeaning(byte)));
    speakerLamp_->setStyleSheet(QString::fromLatin1(kLampOn));
    flashTimer_.start(kFlashMs);
}

bool ContestantPanel::handleKey(int key, Qt::KeyboardModifiers modifiers, bool down,
                                bool autoRepeat) {
    if (key == Qt::Key_Control) {
        if (!down) pressGathered();
        return false;
    }
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return false;
    const int player = playerOfKey(key);
    if (player == 0) return false;
    QPushButton* button = player == kExtra ? extraButton_ : playerButton(player);
    // A key the operator scores with (the scoresheet's) is the operator's,
    // not a contestant's: practice is where the keys are learnt. A button
    // it pressed before the rules changed still goes up with it.
    if (program_.operatorKeyClaimed(key, int(modifiers)) && !(button && button->isDown()))
        return false;
    if (autoRepeat) return true;
    if (down) {
        if (modifiers & Qt::ControlModifier) {
            toggleGathered(player);
            return true;
        }
        pressPlayer(player);
        if (button) button->setDown(true);
    } else {
        releasePlayer(player);
        if (button) button->setDown(false);
    }
    return true;
}

bool ContestantPanel::playScreenActive() const {
    const QWidget* active = QApplication::activeWindow();
    if (!active) return false;
    // Windows that listen to the buttons the way a play screen does (the
    // button check) take the contestants' keys too.
    if (active->property("takesContestantKeys").toBool()) return true;
    for (ScreenPair s : kAllScreens) {
        if (program_.windows().isLoaded(s) &&
            program_.windows().matchScreen(s).screenWidget() == active)
            return true;
    }
    return false;
}

bool ContestantPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return QWidget::eventFilter(watched, event);
    }
    // Only key events on their way to a widget, and only while the play
    // screen is in front: the set-up menu's boxes keep every key.
    if (!watched->isWidgetType() || !playScreenActive()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    return handleKey(key->key(), key->modifiers(), event->type() == QEvent::KeyPress,
                     key->isAutoRepeat());
}
