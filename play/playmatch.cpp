// The play screen's part in the match record and in taking back score
// changes. Every report here is made after the screen has acted, so keeping
// a record never stands between a buzz-in and the audience.
#include <algorithm>
#include <bit>

#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeySequence>

#include "app/controls.h"
#include "app/numbers.h"
#include "app/program.h"
#include "menu/setupmenu.h"
#include "options/formoptions.h"
#include "play/countdown.h"
#include "play/playscreen.h"
#include "title/forms.h"

using record::EventKind;

namespace {

// "2_4": the screen as the record names it.
QString screenCode(ScreenPair screen) {
    return QStringLiteral("%1_%2").arg(teamsOf(screen)).arg(playersPerTeamOf(screen));
}

QString buttonName(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return QStringLiteral("left");
    case Qt::RightButton: return QStringLiteral("right");
    case Qt::MiddleButton: return QStringLiteral("middle");
    default: return QStringLiteral("other");
    }
}

QString decoderName(buzzlink::Decoder decoder) {
    switch (decoder) {
    case buzzlink::Decoder::Wired: return QStringLiteral("wired");
    case buzzlink::Decoder::Wired210: return QStringLiteral("wired210");
    case buzzlink::Decoder::Wireless: return QStringLiteral("wireless");
    case buzzlink::Decoder::Wireless200: return QStringLiteral("wireless200");
    case buzzlink::Decoder::UsbWired: return QStringLiteral("usbwired");
    }
    return {};
}

}  // namespace

void PlayScreen::buildScoreActions() {
    // Not operator keys: the key filter passes them on, and as shortcuts of
    // this window they work whatever widget has the focus.
    undoAction_ = new QAction(QStringLiteral("Undo Score Change"), this);
    undoAction_->setObjectName(QStringLiteral("undoScoreAction"));
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction_ = new QAction(QStringLiteral("Redo Score Change"), this);
    redoAction_->setObjectName(QStringLiteral("redoScoreAction"));
    redoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    addAction(undoAction_);
    addAction(redoAction_);
    // Nothing to take back yet.
    undoAction_->setEnabled(false);
    redoAction_->setEnabled(false);
    connect(undoAction_, &QAction::triggered, this, &PlayScreen::undoScore);
    connect(redoAction_, &QAction::triggered, this, &PlayScreen::redoScore);
}

void PlayScreen::recordEvent(EventKind kind, const QJsonObject& data) {
    // Every event is kept under the names in use when it happened: names
    // typed since the last event are told first.
    recordNames();
    program_.recorder().record(kind, data);
}

QJsonObject PlayScreen::namesInUse() const {
    const SetupMenu& m = menu();
    const int perTeam = playersPerTeamOf(screen());
    QJsonArray teams, players;
    for (int team = 0; team < variant_.teams; ++team) {
        teams.append(m.teamNameBox(team)->text());
        QJsonArray names;
        for (int p = 1; p <= perTeam; ++p)
            names.append(m.playerNameBox(team * perTeam + p)->text());
        players.append(names);
    }
    return {{QStringLiteral("teams"), teams}, {QStringLiteral("players"), players}};
}

void PlayScreen::recordNames() {
    // Until a match has started the record has no names to differ from;
    // the start tells them.
    if (program_.recordedNames.isEmpty()) return;
    QJsonObject names = namesInUse();
    if (names == program_.recordedNames) return;
    program_.recordedNames = names;
    names.insert(QStringLiteral("screen"), screenCode(screen()));
    // New names can come with other boards (the number of teams changed
    // mid-match): the record says what these boards show.
    QJsonArray shown;
    const auto board = scores();
    for (int team = 0; team < variant_.teams; ++team)
        shown.append(board[static_cast<std::size_t>(team)]);
    names.insert(QStringLiteral("scores"), shown);
    program_.recorder().record(EventKind::NamesChanged, names);
}

// --- Clears -------------------------------------------------------------------

void PlayScreen::recordClear(const char* how, const QString& cleared) {
    // A mouse button other than the left clears nothing; it only arms.
    if (qstrcmp(how, "other-click") == 0) {
        recordEvent(EventKind::Armed, {{QStringLiteral("how"), QLatin1String(how)}});
    } else {
        recordEvent(EventKind::Cleared, {{QStringLiteral("how"), QLatin1String(how)},
                                         {QStringLiteral("cleared"), cleared}});
    }
    recordTimerState();
}

// --- Buzz-ins -----------------------------------------------------------------

void PlayScreen::reportBuzzIn(const buzzlink::BuzzReport& r) {
    const QJsonObject who{
        {QStringLiteral("player"), r.player},
        {QStringLiteral("name"), namelabel->text()},
        {QStringLiteral("team"), static_cast<int>(buzzlink::teamOfPlayer(screen(), r.player))},
        {QStringLiteral("teamName"), Labelteam->text()}};
    if (r.secondPlaceRelease) {
        recordEvent(EventKind::SecondPlaceReleased, who);
    } else {
        QJsonObject data = who;
        QJsonArray bytes;
        for (int i = 0; i < r.byteCount; ++i)
            bytes.append(r.bytes[static_cast<std::size_t>(i)]);
        data.insert(QStringLiteral("model"), program_.state.InterfaceModel);
        data.insert(QStringLiteral("screen"), screenCode(screen()));
        data.insert(QStringLiteral("decoder"), decoderName(r.decoder));
        data.insert(QStringLiteral("bytes"), bytes);
        recordEvent(EventKind::BuzzIn, data);
        if (std::popcount(r.pressedPlayers) > 1) {
            QJsonArray pressed;
            for (int p = 1; p < 16; ++p) {
                if (r.pressedPlayers & (1u << p)) pressed.append(p);
            }
            recordEvent(EventKind::Tie, {{QStringLiteral("pressed"), pressed},
                                         {QStringLiteral("drawn"), r.player}});
        }
    }
    recordTimerState();
}

void PlayScreen::reportCapture(const buzzlink::CaptureReport& r) {
    QJsonObject data{{QStringLiteral("code"), r.code},
                     {QStringLiteral("transmitter"), r.transmitter},
                     {QStringLiteral("held"), r.held}};
    // On the wireless boxes a transmitter number is a player number.
    const int players = variant_.teams * playersPerTeamOf(screen());
    if (model::isWireless(program_.state.InterfaceModel) && r.transmitter >= 1 &&
        r.transmitter <= players) {
        data.insert(QStringLiteral("player"), r.transmitter);
        data.insert(QStringLiteral("name"), menu().playerNameBox(r.transmitter)->text());
    }
    recordEvent(EventKind::SecondPlaceCaptured, data);
}

void PlayScreen::reportRecovered() {
    recordEvent(EventKind::CommRecovered, {{QStringLiteral("what"), QStringLiteral("read")}});
}

// --- Count-downs --------------------------------------------------------------

void PlayScreen::recordTimerStart(const char* kind) {
    timerKind_ = QLatin1String(kind);
    timerRunning_ = Timer1->isActive();
    recordEvent(EventKind::TimerStarted,
                {{QStringLiteral("kind"), timerKind_}, {QStringLiteral("seconds"), ndigit1}});
}

void PlayScreen::recordTimerExpired() {
    timerRunning_ = false;
    recordEvent(EventKind::TimerExpired, {{QStringLiteral("kind"), timerKind_}});
}

void PlayScreen::recordTimerState() {
    if (!timerRunning_ || Timer1->isActive()) return;
    timerRunning_ = false;
    recordEvent(EventKind::TimerStopped,
                {{QStringLiteral("kind"), timerKind_}, {QStringLiteral("left"), ndigit1}});
}

void PlayScreen::recordClockState() {
    const bool running = Timer2->isActive();
    if (running == clockRunning_) return;
    clockRunning_ = running;
    const int left = clockminutes * 60 + clockseconds;
    recordEvent(running ? EventKind::ClockStarted : EventKind::ClockStopped,
                {{QStringLiteral("left"), left}, {QStringLiteral("shown"), clocklabel->text()}});
}

void PlayScreen::stopClock() {
    if (!Timer2->isActive()) return;
    Timer2->stop();
    setForeColour(clocklabel, greyTextColour());
    recordClockState();
}

void PlayScreen::recordClockExpired() {
    clockRunning_ = false;
    recordEvent(EventKind::ClockExpired, {});
}

// --- Scores -------------------------------------------------------------------

void PlayScreen::recordScore(int team, std::int16_t before, const char* how, Qt::MouseButton button,
                             int multiplier, bool ownStep) {
    const std::int16_t after = score(team);
    // A click that moved nothing (a middle button, an increment of 0) is no
    // change to take back.
    if (after == before) return;
    if (ownStep) {
        history_.push({team, before, after});
        scoreHistoryChanged();
    }
    QJsonObject data{{QStringLiteral("team"), team},
                     {QStringLiteral("name"), menu().teamNameBox(team)->text()},
                     {QStringLiteral("before"), before},
                     {QStringLiteral("after"), after},
                     {QStringLiteral("how"), QLatin1String(how)}};
    if (button != Qt::NoButton) data.insert(QStringLiteral("button"), buttonName(button));
    if (multiplier != 1) data.insert(QStringLiteral("tab"), multiplier);
    recordEvent(EventKind::ScoreChanged, data);
}

void PlayScreen::setScoreOnBoard(int team, std::int16_t value) {
    if (team < 0 || team >= variant_.teams) return;
    score(team) = value;
    scoreLabel(team)->setText(QString::number(value));
}

QString PlayScreen::stepText(int team, std::int16_t from, std::int16_t to) const {
    QString name = menu().teamNameBox(team)->text();
    if (name.isEmpty()) name = QStringList{"Alpha", "Beta", "Gamma"}.value(team);
    return QStringLiteral("%1 %2 \u2192 %3").arg(name).arg(from).arg(to);
}

QString PlayScreen::undoScoreText() const {
    if (const MatchUndo* undo = program_.matchUndo()) return undo->undoText();
    const auto step = history_.nextUndo();
    return step ? stepText(step->team, step->before, step->after) : QString();
}

QString PlayScreen::redoScoreText() const {
    if (const MatchUndo* undo = program_.matchUndo()) return undo->redoText();
    const auto step = history_.nextRedo();
    return step ? stepText(step->team, step->before, step->after) : QString();
}

void PlayScreen::scoreHistoryChanged() {
    undoAction_->setEnabled(canUndoScore());
    redoAction_->setEnabled(canRedoScore());
    if (formsOf(program_).isLoaded(variant_.menu)) menu().updateMatchItems();
}

void PlayScreen::undoScore() {
    if (MatchUndo* undo = program_.matchUndo()) {
        undo->undo();
        return;
    }
    undoBoard();
}

void PlayScreen::redoScore() {
    if (MatchUndo* undo = program_.matchUndo()) {
        undo->redo();
        return;
    }
    redoBoard();
}

bool PlayScreen::undoBoard() {
    const std::optional<scoring::ScoreStep> step = history_.undo();
    if (!step) return false;
    const std::int16_t shown = score(step->team);
    setScoreOnBoard(step->team, step->before);
    scoreHistoryChanged();
    // A board never changes without a word to the operator.
    program_.showDecision({QStringLiteral("Undone: ") + stepText(step->team, shown, step->before),
                           {{QStringLiteral("kind"), QStringLiteral("undone")},
                            {QStringLiteral("team"), step->team}}});
    recordEvent(EventKind::ScoreUndone,
                {{QStringLiteral("team"), step->team},
                 {QStringLiteral("name"), menu().teamNameBox(step->team)->text()},
                 {QStringLiteral("before"), shown},
                 {QStringLiteral("after"), step->before}});
    return true;
}

bool PlayScreen::redoBoard() {
    const std::optional<scoring::ScoreStep> step = history_.redo();
    if (!step) return false;
    const std::int16_t shown = score(step->team);
    setScoreOnBoard(step->team, step->after);
    scoreHistoryChanged();
    program_.showDecision({QStringLiteral("Redone: ") + stepText(step->team, shown, step->after),
                           {{QStringLiteral("kind"), QStringLiteral("redone")},
                            {QStringLiteral("team"), step->team}}});
    recordEvent(EventKind::ScoreRedone,
                {{QStringLiteral("team"), step->team},
                 {QStringLiteral("name"), menu().teamNameBox(step->team)->text()},
                 {QStringLiteral("before"), shown},
                 {QStringLiteral("after"), step->after}});
    return true;
}

std::array<std::int16_t, 3> PlayScreen::scores() const {
    std::array<std::int16_t, 3> result{};
    for (int team = 0; team < variant_.teams; ++team)
        result[static_cast<std::size_t>(team)] = team == kAlpha  ? ascore
                                                 : team == kBeta ? bscore
                                                                 : gscore;
    return result;
}

bool PlayScreen::scoresAllZero() const {
    for (int team = 0; team < variant_.teams; ++team) {
        if (scores()[static_cast<std::size_t>(team)] != 0) return false;
        if (scoreLabel(team)->text() != QLatin1String("0")) return false;
    }
    return true;
}

void PlayScreen::switchSides() {
    const std::array<std::int16_t, 3> before = scores();
    if (!variant_.hasGamma()) {
        const QString alpha = ascorelabel->text();
        ascorelabel->setText(bscorelabel->text());
        bscorelabel->setText(alpha);
    } else {
        // Every team moves one place on: Alpha to Beta, Beta to Gamma, Gamma
        // to Alpha.
        const QString alpha = ascorelabel->text();
        ascorelabel->setText(gscorelabel->text());
        gscorelabel->setText(bscorelabel->text());
        bscorelabel->setText(alpha);
    }
    // The boards are where the scores last; the counts follow them now, so
    // a score key pressed before the screen is next activated adds to the
    // right team.
    for (int team = 0; team < variant_.teams; ++team) {
        if (auto value = numbers::textToInt16(scoreLabel(team)->text())) score(team) = *value;
    }
    history_.switchSides(variant_.teams);
    scoreHistoryChanged();
    // Every board is told, so the record knows the names moved even when the
    // scores did not.
    for (int team = 0; team < variant_.teams; ++team) {
        recordEvent(EventKind::ScoreChanged,
                    {{QStringLiteral("team"), team},
                     {QStringLiteral("name"), menu().teamNameBox(team)->text()},
                     {QStringLiteral("before"), before[static_cast<std::size_t>(team)]},
                     {QStringLiteral("after"), score(team)},
                     {QStringLiteral("how"), QStringLiteral("switch-sides")}});
    }
}

// --- A new match ----------------------------------------------------------------

void PlayScreen::newMatch() {
    for (int team = 0; team < variant_.teams; ++team)
        setScoreOnBoard(team, 0);
    // What the last match left on the display ("Timer Expired", a name) is
    // not the new one's.
    namelabel->setText(QString());
    Labelteam->setText(QString());
    history_.clear();
    scoreHistoryChanged();
    // A clock switched off by the options stays as the options left it.
    if (checkValue(formsOf(program_).formOptions().CheckDisableMatchTimer) != 1) {
        const QString matchTime = program_.state.MatchTime.isEmpty() ? menu().Texttimer[6]->text()
                                                                     : program_.state.MatchTime;
        Timer2->stop();
        const countdown::ClockTime t = countdown::readMatchTime(matchTime);
        clockminutes = t.minutes;
        clockseconds = t.seconds;
        clocklabel->setText(countdown::clockText(t));
        setForeColour(clocklabel, greyTextColour());
        // Where the next activation of this screen takes the clock from.
        menu().Texttimer[6]->setText(clocklabel->text());
        recordClockState();
    }
    recordMatchStarted(QStringLiteral("new-match"));
}

QJsonObject PlayScreen::matchState() const {
    const QJsonObject names = namesInUse();
    QJsonArray boards;
    for (int team = 0; team < variant_.teams; ++team)
        boards.append(scores()[static_cast<std::size_t>(team)]);
    // A stopped clock is what the audience sees; a running one is counting.
    countdown::ClockTime clock{clockminutes, clockseconds};
    if (!Timer2->isActive()) clock = countdown::readMatchTime(clocklabel->text());
    return {{QStringLiteral("screen"), screenCode(screen())},
            {QStringLiteral("model"), program_.state.InterfaceModel},
            {QStringLiteral("teams"), names.value(QLatin1String("teams"))},
            {QStringLiteral("players"), names.value(QLatin1String("players"))},
            {QStringLiteral("scores"), boards},
            {QStringLiteral("clock"), clock.minutes * 60 + clock.seconds},
            {QStringLiteral("clockRunning"), Timer2->isActive()},
            {QStringLiteral("matchTime"), program_.state.MatchTime}};
}

void PlayScreen::recordMatchStarted(const QString& how) {
    QJsonObject data = matchState();
    data.insert(QStringLiteral("how"), how);
    clockRunning_ = Timer2->isActive();
    timerRunning_ = Timer1->isActive();
    program_.recordedNames = namesInUse();
    program_.recorder().record(EventKind::MatchStarted, data);
}

void PlayScreen::restoreMatch(const std::vector<int>& scores, int clockLeft,
                              const QStringList& teams, const std::vector<QStringList>& players) {
    // The names first: the boards then read as the resume question did.
    SetupMenu& m = menu();
    const int perTeam = playersPerTeamOf(screen());
    for (int t = 0; t < variant().teams && t < teams.size(); ++t) {
        m.teamNameBox(t)->setText(teams[t]);
        if (std::size_t(t) >= players.size()) continue;
        const QStringList& names = players[std::size_t(t)];
        for (int i = 0; i < perTeam && i < names.size(); ++i)
            m.playerNameBox(t * perTeam + i + 1)->setText(names[i]);
    }
    for (int t = 0; t < variant().teams && t < static_cast<int>(scores.size()); ++t) {
        const int value = scores[std::size_t(t)];
        score(t) = std::int16_t(value);
        scoreLabel(t)->setText(QString::number(value));
    }
    // The screen takes a stopped clock from the menu whenever it comes to
    // the front, so the time goes there as the set-up menu button leaves it.
    const countdown::ClockTime left{std::int16_t(std::min(clockLeft / 60, 999)),
                                    std::int16_t(clockLeft % 60)};
    Timer2->stop();
    menu().Texttimer[6]->setText(countdown::clockText(left));
    Form_Activate();
}

bool PlayScreen::polling() const { return porttimer->isActive() && !linkPaused_; }
