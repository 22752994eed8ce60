#include "check/buttoncheckwindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include "app/matchscreen.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "link/dispatch.h"
#include "link/linkdialogs.h"
#include "link/rehandshake.h"
#include "link/responder.h"

namespace {

// Each team's colour: a pale shade for a player not heard yet, the full one
// once heard.
struct TeamColours {
    const char* full;
    const char* pale;
};
constexpr TeamColours kTeamColours[] = {
    {"#b03020", "#f4d8d4"},  // Alpha, red
    {"#2050b0", "#d6e0f4"},  // Beta, blue
    {"#207838", "#d4ecd9"},  // Gamma, green
};

QString tileStyle(int team, bool heard, bool stuck) {
    const TeamColours& c = kTeamColours[team];
    QString style = heard
                        ? QStringLiteral(
                              "QLabel { background: %1; color: white; "
                              "font-weight: bold; padding: 6px; ")
                              .arg(QLatin1String(c.full))
                        : QStringLiteral("QLabel { background: %1; color: #505050; padding: 6px; ")
                              .arg(QLatin1String(c.pale));
    style += stuck ? QStringLiteral("border: 3px dashed #ff2000; }")
                   : QStringLiteral("border: 1px solid %1; }").arg(QLatin1String(c.full));
    return style;
}

}  // namespace

ButtonCheckWindow::ButtonCheckWindow(Program& program, QWidget& menu, MatchScreen& screen,
                                     std::function<bool()> checking)
    : QWidget(&menu, Qt::Window),
      checking_(std::move(checking)),
      program_(program),
      menu_(&menu),
      menuKind_(menuOf(screen.screenPair())),
      screen_(&screen),
      screenWidget_(screen.screenWidget()) {
    setObjectName(QStringLiteral("FormCheckButtons"));
    setWindowTitle(QStringLiteral("Check Buttons"));
    // The contestant panel of the simulated interface takes its keys while
    // this window is in front, as it does with a play screen.
    setProperty("takesContestantKeys", true);

    const int model = program_.state.InterfaceModel;
    check_ = std::make_unique<check::ButtonCheck>(
        model, screen.screenPair(), buzzlink::usesUsbPoll(model, screen.screenPair()));
    buildTiles();

    // Only the check talks to the interface while it is open; the clocks
    // are the operator's and go on as they were.
    pauseScreens(true);

    speakerOff_ = new QTimer(this);
    speakerOff_->setSingleShot(true);
    speakerOff_->setInterval(100);
    connect(speakerOff_, &QTimer::timeout, this, [this] {
        const int source = menu_ ? program_.windows().soundSource(menuKind_) : 0;
        if (buzzlink::soundtimerWritesOff(check_->screen(), source)) {
            program_.port.outport(program_.state.PortAddress, buzzlink::kSpeakerOff);
        }
    });

    pollTimer_ = new QTimer(this);
    pollTimer_->setObjectName(QStringLiteral("checktimer"));
    pollTimer_->setInterval(100);
    // As play's poll: a coarse timer would stretch it.
    pollTimer_->setTimerType(Qt::PreciseTimer);
    connect(pollTimer_, &QTimer::timeout, this, &ButtonCheckWindow::pollTick);
    pollTimer_->start();
    refresh();
}

ButtonCheckWindow::~ButtonCheckWindow() { restoreScreen(); }

void ButtonCheckWindow::buildTiles() {
    auto* column = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Have every player press their button once. Nothing is locked out "
                       "and no score changes while this window is open."),
        this);
    intro->setWordWrap(true);
    column->addWidget(intro);

    const ScreenPair screen = check_->screen();
    const int n = playersPerTeamOf(screen);
    auto* teams = new QHBoxLayout;
    for (int t = 0; t < teamsOf(screen); ++t) {
        QString teamName = menu_ ? program_.windows().teamName(menuKind_, t) : QString();
        if (teamName.isEmpty()) teamName = QStringList{"Alpha", "Beta", "Gamma"}[t];
        auto* box = new QGroupBox(teamName, this);
        box->setObjectName(QStringLiteral("team%1").arg(t));
        box->setStyleSheet(QStringLiteral("QGroupBox { color: %1; font-weight: bold; }")
                               .arg(QLatin1String(kTeamColours[t].full)));
        auto* players = new QVBoxLayout(box);
        for (int i = 0; i < n; ++i) {
            const int p = t * n + i + 1;
            auto* tile = new QLabel(box);
            tile->setObjectName(QStringLiteral("tile%1").arg(p));
            tile->setTextFormat(Qt::PlainText);  // carries the player's name
            tile->setAlignment(Qt::AlignCenter);
            tile->setMinimumWidth(170);
            tile->setToolTip(QStringLiteral(
                "How many times this player's button has been heard since the check began."));
            players->addWidget(tile);
            tiles_.push_back(tile);
        }
        teams->addWidget(box);
    }
    column->addLayout(teams);

    // What the numbers in this window mean.
    legend_ = new QLabel(legendText(check_->usb()), this);
    legend_->setObjectName(QStringLiteral("legend"));
    legend_->setWordWrap(true);
    legend_->setStyleSheet(QStringLiteral("QLabel { color: #404040; }"));
    column->addWidget(legend_);

    notHeard_ = new QLabel(this);
    notHeard_->setObjectName(QStringLiteral("notHeard"));
    notHeard_->setTextFormat(Qt::PlainText);
    notHeard_->setWordWrap(true);
    column->addWidget(notHeard_);
    findings_ = new QLabel(this);
    findings_->setObjectName(QStringLiteral("findings"));
    findings_->setTextFormat(Qt::PlainText);
    findings_->setWordWrap(true);
    findings_->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    column->addWidget(findings_);

    auto* foot = new QHBoxLayout;
    sound_ = new QCheckBox(QStringLiteral("Sound"), this);
    sound_->setObjectName(QStringLiteral("CheckSound"));
    sound_->setToolTip(QStringLiteral("Sound each press as a buzz-in would."));
    foot->addWidget(sound_);
    diagnostic_ = new QLabel(this);
    diagnostic_->setObjectName(QStringLiteral("diagnostic"));
    diagnostic_->setToolTip(check_->usb()
                                ? QStringLiteral("Port 0 of the USB module as last read: 255 "
                                                 "while no button is down.")
                                : QStringLiteral("What the interface last answered: 32 while no "
                                                 "code waits, 0 when one does, then the code "
                                                 "it sent."));
    foot->addWidget(diagnostic_, 1, Qt::AlignRight);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    foot->addWidget(close);
    column->addLayout(foot);
}

QString ButtonCheckWindow::legendText(bool usb) {
    QString text = QStringLiteral(
        "\"heard 3\" under a name: that player's button has been heard three times; \"-\": not "
        "yet. ");
    text += usb ? QStringLiteral(
                      "The number at the bottom right is port 0 of the USB module as last read, "
                      "one bit per button line: 255 while no button is down, lower while one is "
                      "(line n down takes 2 to the power n off).")
                : QStringLiteral(
                      "The number at the bottom right is what the interface last answered: 32 "
                      "while no code is waiting, 0 when one is, and then the code it sent (the "
                      "button lines of a wired box, the transmitter's number on a wireless "
                      "one).");
    return text;
}

QLabel* ButtonCheckWindow::tile(int player) const {
    if (player < 1 || player > static_cast<int>(tiles_.size())) return nullptr;
    return tiles_[player - 1];
}

QString ButtonCheckWindow::playerName(int player) const {
    QString name;
    if (menu_ && player >= 1 && player <= check_->players()) {
        name = program_.windows().playerName(menuKind_, player);
    }
    return name.isEmpty() ? QStringLiteral("Player %1").arg(player) : name;
}

int ButtonCheckWindow::extraTransmitterEntry() const {
    return program_.windows().extraTransmitterEntry();
}

void ButtonCheckWindow::pollTick() {
    // The recovery's messages are modal and the timer goes on firing in
    // their event loop: one tick at a time.
    if (inTick_ || restored_ || !screenWidget_) return;
    const QScopedValueRollback<bool> inTick(inTick_, true);
    // A screen shown since (the team count changed) waits too.
    pauseScreens(true);
    const int model = program_.state.InterfaceModel;
    if (check_->usb()) {
        const int value = screen_->readUsbPort();
        diagnostic_->setText(QString::number(value));
        const auto stuckBefore = check_->stuckLines();
        const std::vector<int> heard = check_->hearUsb(value, program_.clock.now());
        if (!heard.empty() || check_->stuckLines() != stuckBefore) hear(heard);
        return;
    }
    const std::span<const buzzlink::Decoder> decoders =
        buzzlink::pollDecoders(model, check_->screen());
    const bool secondByte = !decoders.empty() && buzzlink::readsSecondByte(decoders.front());
    const buzzlink::LinkPort link{program_.port, program_.clock, program_.state.PortAddress};
    const std::optional<buzzlink::Code> code =
        check::pollForCheck(link, check_->screen(), secondByte, *this);
    if (!code || restored_) return;
    hear(check_->hearCode(*code, extraTransmitterEntry(), program_.clock.now()));
}

void ButtonCheckWindow::hear(const std::vector<int>& players) {
    if (!players.empty() && sound_->isChecked()) sound(players.front());
    refresh();
}

void ButtonCheckWindow::sound(int player) {
    if (!menu_) return;
    const int model = program_.state.InterfaceModel;
    const std::span<const buzzlink::Decoder> decoders =
        buzzlink::pollDecoders(model, check_->screen());
    const buzzlink::Decoder decoder =
        check_->usb() || decoders.empty() ? buzzlink::Decoder::UsbWired : decoders.front();
    buzzlink::ScreenSettings settings;
    settings.soundSource = program_.windows().soundSource(menuKind_);
    const buzzlink::Responder r =
        buzzlink::responderActions(decoder, check_->screen(), player, settings, false);
    if (r.playTeamSound) {
        const ProgramState& s = program_.state;
        const QString* sounds[] = {&s.AlphaSound, &s.BetaSound, &s.GammaSound};
        program_.sound.play(*sounds[static_cast<int>(r.team)]);
    }
    for (std::uint8_t byte : r.speakerBytes)
        program_.port.outport(program_.state.PortAddress, byte);
    if (!r.speakerBytes.empty()) speakerOff_->start();
}

void ButtonCheckWindow::refresh() {
    const auto name = [this](int p) { return playerName(p); };
    std::vector<int> stuckPlayers;
    for (const check::ButtonCheck::Line& line : check_->stuckLines())
        stuckPlayers.push_back(line.player);
    const int n = playersPerTeamOf(check_->screen());
    for (int p = 1; p <= static_cast<int>(tiles_.size()); ++p) {
        const int count = check_->count(p);
        const bool stuck =
            std::find(stuckPlayers.begin(), stuckPlayers.end(), p) != stuckPlayers.end();
        QString text = playerName(p);
        text += count > 0 ? QStringLiteral("\nheard %1").arg(count) : QStringLiteral("\n-");
        // On the count's line: the tile keeps its two lines, so nothing is
        // cut off in a window the operator has not enlarged.
        if (stuck) text += QStringLiteral(" - STUCK");
        tiles_[p - 1]->setText(text);
        tiles_[p - 1]->setStyleSheet(tileStyle((p - 1) / n, count > 0, stuck));
    }
    notHeard_->setText(check_->notHeardText(name));
    findings_->setText(check_->findings(name, extraTransmitterEntry()).join(QLatin1Char('\n')));
}

void ButtonCheckWindow::restoreScreen() {
    if (restored_) return;
    restored_ = true;
    pollTimer_->stop();
    if (speakerOff_->isActive()) {
        speakerOff_->stop();
        program_.port.outport(program_.state.PortAddress, buzzlink::kSpeakerOff);
    }
    pauseScreens(false);
    // The check's last poll left the box listening. A screen that is not
    // polling now would see a press made from here on as a buzz-in at its
    // next clear, where without the check the press is lost: the box is
    // drained until a screen polls it again.
    if (!check_->usb() && menu_ && !anyScreenPolling(program_)) {
        const std::span<const buzzlink::Decoder> decoders =
            buzzlink::pollDecoders(program_.state.InterfaceModel, check_->screen());
        const bool secondByte = !decoders.empty() && buzzlink::readsSecondByte(decoders.front());
        new check::CheckDrain(program_, *menu_, check_->screen(), secondByte, checking_);
    }
}

void ButtonCheckWindow::pauseScreens(bool paused) {
    for (ScreenPair s : kAllScreens) {
        if (program_.windows().isLoaded(s)) program_.windows().matchScreen(s).pauseLink(paused);
    }
}

bool ButtonCheckWindow::anyScreenPolling(Program& program) {
    for (ScreenPair s : kAllScreens) {
        if (!program.windows().isLoaded(s)) continue;
        if (program.windows().matchScreen(s).polling()) return true;
    }
    return false;
}

namespace check {

CheckDrain::CheckDrain(Program& program, QObject& owner, ScreenPair screen, bool secondByte,
                       std::function<bool()> checking)
    : QObject(&owner),
      program_(program),
      screen_(screen),
      secondByte_(secondByte),
      checking_(std::move(checking)) {
    setObjectName(QStringLiteral("checkdrain"));
    auto* timer = new QTimer(this);
    timer->setInterval(100);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, &CheckDrain::tick);
    timer->start();
}

void CheckDrain::tick() {
    if (inTick_ || done_) return;
    const QScopedValueRollback<bool> inTick(inTick_, true);
    // A screen polls again: from here on a press is its buzz-in.
    if (ButtonCheckWindow::anyScreenPolling(program_) || (checking_ && checking_())) {
        finish();
        return;
    }
    const buzzlink::LinkPort link{program_.port, program_.clock, program_.state.PortAddress};
    // A code fetched leaves the box deaf until the next poll, as after a
    // buzz-in: nothing more to drain.
    if (pollForCheck(link, screen_, secondByte_, *this)) finish();
}

void CheckDrain::finish() {
    done_ = true;
    deleteLater();
}

void CheckDrain::reportCommunicationProblem() {
    buzzlink::tellCommunicationProblem(program_.dialogs);
}

bool CheckDrain::askRetry() { return buzzlink::askRetryInterface(program_.dialogs); }

void CheckDrain::endProgram() {
    finish();
    program_.endProgram();
}

}  // namespace check

void ButtonCheckWindow::closeEvent(QCloseEvent* event) {
    restoreScreen();
    event->accept();
}

void ButtonCheckWindow::showDiagnostic(int value) { diagnostic_->setText(QString::number(value)); }

void ButtonCheckWindow::reportCommunicationProblem() {
    buzzlink::tellCommunicationProblem(program_.dialogs);
}

bool ButtonCheckWindow::askRetry() { return buzzlink::askRetryInterface(program_.dialogs); }

void ButtonCheckWindow::endProgram() {
    restoreScreen();
    program_.endProgram();
}

check::CheckButtons::CheckButtons(Program& program) : program_(program) {
    program.operatorWindows().add({QStringLiteral("Check &Buttons..."), QKeySequence(),
                                   [this](QWidget* menu) { open(menu); },
                                   QStringLiteral("mnuCheckButtons")});
}

ButtonCheckWindow* check::CheckButtons::open(QWidget* menu) {
    ButtonCheckWindow* window = this->window();
    if (!window) {
        MatchScreen& screen = program_.windows().matchScreen(program_.windows().menuScreen(menu));
        window = new ButtonCheckWindow(program_, *menu, screen,
                                       [this] { return this->window() != nullptr; });
        window->setAttribute(Qt::WA_DeleteOnClose);
        places::markOperatorWindow(*window);
        window->adjustSize();
        places::keepPlace(*window, program_, window->objectName());
        places::fitOnDisplay(*window);
        window_ = window;
    }
    places::bringForward(*window);
    return window;
}

ButtonCheckWindow* check::CheckButtons::window() const {
    return window_ && window_->checking() ? window_.data() : nullptr;
}
