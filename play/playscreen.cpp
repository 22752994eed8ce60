#include "play/playscreen.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

#include "app/numbers.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "link/decisionline.h"
#include "link/dispatch.h"
#include "link/linkdialogs.h"
#include "link/rehandshake.h"
#include "link/secondplace.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/countdown.h"
#include "title/forms.h"

namespace {

constexpr int kKeySpace = 32;
constexpr int kKeyF1 = 112;

// The key code the screen's handlers know a key by (the shift state does not
// count), or -1.
int keyCodeOf(const QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space) return kKeySpace;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return kKeyF1 + (key - Qt::Key_F1);
    return -1;
}

// A timer that is already running keeps its rhythm when started again, so a
// second start does not put off its next tick.
void enable(QTimer* timer) {
    if (!timer->isActive()) timer->start();
}

QTimer* makeTimer(QObject* parent, const char* name, int interval, Qt::TimerType type) {
    auto* t = new QTimer(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    t->setTimerType(type);
    return t;
}

// A square that keeps its shape when the window is wider than the design,
// held against the left or the right edge of its place.
QRect square(const TwipsRect& r, double sx, double sy, bool alignRight) {
    const QRect place = scaledRect(r, sx, sy);
    const int side = std::min(place.width(), place.height());
    const int left = alignRight ? place.right() + 1 - side : place.left();
    return QRect(left, place.top(), side, side);
}

// A screen made afresh after "Hide Set-up Menu" unloaded it looks like the
// screens still loaded: their colours (which the setup file's Save also
// reads from it) and the options' tabs and boards.
void matchLoadedScreens(PlayScreen& fresh, Program& program) {
    for (ScreenPair s : kAllScreens) {
        if (s == fresh.screen() || !formsOf(program).isLoaded(s)) continue;
        const PlayScreen& other = formsOf(program).playScreen(s);
        fresh.setScreenBackColour(other.screenBackColour());
        fresh.setScreenTextColour(other.screenTextColour());
        // Until a text colour is chosen the team's is not the name's.
        setForeColour(fresh.Labelteam, foreColour(other.Labelteam));
        break;
    }
    formsOf(program).formOptions().applyTo(fresh);
}

}  // namespace

// Hands the operator keys to the screen before the widget with the focus
// sees them, and keeps them from that widget (a button must not take the
// space bar as a click).
class OperatorKeyFilter final : public QObject {
public:
    explicit OperatorKeyFilter(PlayScreen& screen) : QObject(&screen), screen_(screen) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
            type != QEvent::ShortcutOverride) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &screen_) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress) return screen_.operatorKey(key);
        if (screen_.handlesKey(keyCodeOf(key))) {
            // Claimed so that no shortcut and no widget acts on it.
            event->accept();
            return true;
        }
        return false;
    }

private:
    PlayScreen& screen_;
};

PlayScreen::PlayScreen(Program& program, ScreenPair screen)
    : program_(program),
      variant_(playVariant(screen)),
      link_(screen, program.port, program.clock, program.random, program.state, *this),
      ResponseCode(link_.ResponseCode),
      ResponderNumber(link_.ResponderNumber),
      placement_(
          *this,
          QSize(twipsToPixels(variant_.clientWidthTwips),
                twipsToPixels(variant_.clientHeightTwips)),
          [this]() -> const QWidget& { return menu(); }, [this] { create(); }),
      usb_(program, link_, *this) {
    setObjectName(screenName(screen));
    setWindowTitle(QString::fromLatin1(variant_.caption));
    setFocusPolicy(Qt::StrongFocus);
    buildWidgets();
    resize(designSize());
    applyLayout();

    setScreenBackColour(colourFromBgr(playcolour::kDesignBack));
    setScreenTextColour(colourFromBgr(playcolour::kNameText));
    setForeColour(Labelteam, buttonFaceColour());

    keyFilter_ = new OperatorKeyFilter(*this);
    qApp->installEventFilter(keyFilter_);
    buildScoreActions();
}

PlayScreen::~PlayScreen() = default;

ScaledLabel* PlayScreen::makeLabel(const char* name, const QString& text, const FontSpec& font,
                                   bool border) {
    auto* l = new ScaledLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setDesignFont(QString::fromLatin1(font.family), font.points);
    if (border) l->setBorderWidth(1);
    // Labels without a colour of their own are button-face boxes, not holes
    // in the window's background.
    setBackColour(l, buttonFaceColour());
    return l;
}

TabButton* PlayScreen::makeButton(const QString& name, const QString& text, bool visible) {
    auto* b = new TabButton(text, this);
    b->setObjectName(name);
    b->setDesignFont(QString::fromLatin1(variant_.fonts.button.family),
                     variant_.fonts.button.points);
    setBackColour(b, buttonFaceColour());
    b->setVisible(visible);
    return b;
}

void PlayScreen::buildWidgets() {
    const PlayFonts& f = variant_.fonts;
    const QString empty;

    timerlabel = makeLabel("timerlabel", QStringLiteral("0"), f.timerlabel, true);
    timerlabel->setAlignment(Qt::AlignCenter);
    Label2 = makeLabel("Label2", QStringLiteral("Response Timer"), f.timerCaption, false);
    Label2->setAlignment(Qt::AlignCenter);
    Labeltimerstate = makeLabel("Labeltimerstate", empty, f.Labeltimerstate, false);
    Labeltimerstate->setAlignment(Qt::AlignCenter);
    clocklabel = makeLabel("clocklabel", QStringLiteral("15:00"), f.clocklabel, true);
    clocklabel->setAlignment(Qt::AlignCenter);
    Label3 = makeLabel("Label3", QStringLiteral("Match Timer"), f.timerCaption, false);
    Label3->setAlignment(Qt::AlignCenter);
    for (ScaledLabel* l : {Label2, Label3})
        setForeColour(l, buttonFaceColour());
    setForeColour(Labeltimerstate, buttonFaceColour());

    Labelteam = makeLabel("Labelteam", empty, f.Labelteam, false);
    Labelteam->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    ascorelabel = makeLabel("ascorelabel", QStringLiteral("0"), f.scorelabel, true);
    bscorelabel = makeLabel("bscorelabel", QStringLiteral("0"), f.scorelabel, true);
    if (variant_.hasGamma()) {
        gscorelabel = makeLabel("gscorelabel", QStringLiteral("0"), f.scorelabel, true);
    }
    Labelalpha = makeLabel("Labelalpha", QStringLiteral("Alpha"), f.teamlabel, true);
    LabelBeta = makeLabel("LabelBeta", QStringLiteral("Beta"), f.teamlabel, true);
    if (variant_.hasGamma()) {
        LabelGamma = makeLabel("LabelGamma", QStringLiteral("Gamma"), f.teamlabel, true);
    }
    for (int team = 0; team < variant_.teams; ++team) {
        scoreLabel(team)->setAlignment(Qt::AlignCenter);
        setForeColour(scoreLabel(team), colourFromBgr(playcolour::kScoreText));
    }
    for (ScaledLabel* l : {Labelalpha, LabelBeta, LabelGamma}) {
        if (l) l->setAlignment(Qt::AlignCenter);
    }

    for (int i = 0; i < variant_.lamps(); ++i) {
        ScaledLabel* lamp = makeLabel("p1label", empty, f.Label1, true);
        lamp->setObjectName(QStringLiteral("p1label_%1").arg(i));
        p1label.add(i, lamp);
    }

    namelabel = makeLabel("namelabel", QStringLiteral("Torvanel"), f.namelabel, true);
    namelabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Label1 = makeLabel("Label1", empty, f.Label1, false);
    Label1->setVisible(variant_.label1Visible);

    // Buttons after the labels: the tabs sit on the score boards' corners.
    Commandsetupmenu =
        makeButton(QStringLiteral("Commandsetupmenu"), QStringLiteral("Set-up Menu"), true);
    CommandT = makeButton(QStringLiteral("CommandT"), QStringLiteral("T"), false);
    CommandB = makeButton(QStringLiteral("CommandB"), QStringLiteral("B"), false);
    CommandA = makeButton(QStringLiteral("CommandA"), QStringLiteral("A"), false);
    Command20 = makeButton(QStringLiteral("Command20"), QStringLiteral("20"), false);
    a10 = makeButton(QStringLiteral("a10"), QStringLiteral("10"), false);
    a5 = makeButton(QStringLiteral("a5"), QStringLiteral("5"), false);
    b10 = makeButton(QStringLiteral("b10"), QStringLiteral("10"), false);
    b5 = makeButton(QString::fromLatin1(variant_.beta5Name), QStringLiteral("5"), false);
    if (variant_.hasGamma()) {
        g10 = makeButton(QStringLiteral("g10"), QStringLiteral("10"), false);
        g5 = makeButton(QStringLiteral("g5"), QStringLiteral("5"), false);
    }
    // Showing or hiding the scoring tabs (the options do) makes room for
    // them on the boards or gives it back.
    for (TabButton* tab : {a10, a5, b10, b5, g10, g5}) {
        if (tab) tab->installEventFilter(this);
    }

    Timer1 = makeTimer(this, "Timer1", 1000, Qt::PreciseTimer);
    Timer2 = makeTimer(this, "Timer2", 1000, Qt::PreciseTimer);
    // Precise: a coarse timer may stretch the poll by 5 %, which the operator
    // would see as a later buzz-in.
    porttimer = makeTimer(this, "porttimer", 100, Qt::PreciseTimer);
    soundtimer = makeTimer(this, "soundtimer", 100, Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &PlayScreen::Timer1_Timer);
    connect(porttimer, &QTimer::timeout, this, &PlayScreen::porttimer_Timer);
    connect(Timer2, &QTimer::timeout, this, &PlayScreen::Timer2_Timer);
    connect(soundtimer, &QTimer::timeout, this, &PlayScreen::soundtimer_Timer);

    connect(Commandsetupmenu, &TabButton::mouseDown, this, &PlayScreen::Commandsetupmenu_MouseDown);
    connect(CommandT, &TabButton::mouseDown, this, &PlayScreen::CommandT_MouseDown);
    connect(CommandB, &TabButton::mouseDown, this, &PlayScreen::CommandB_MouseDown);
    connect(CommandA, &TabButton::mouseDown, this, &PlayScreen::CommandA_MouseDown);
    connect(Command20, &TabButton::mouseDown, this, &PlayScreen::Command20_MouseDown);

    connect(namelabel, &ScaledLabel::mouseDown, this, &PlayScreen::namelabel_MouseDown);
    connect(namelabel, &ScaledLabel::doubleClicked, this, [this](Qt::MouseButton button) {
        // Only the left button double-clicks; any other takes the second
        // press as a press.
        if (button == Qt::LeftButton) {
            namelabel_DblClick();
        } else {
            namelabel_MouseDown(button);
        }
    });
    // Elsewhere every press counts, the second of a double-click included.
    auto onPress = [this](ScaledLabel* label, void (PlayScreen::*handler)(Qt::MouseButton)) {
        connect(label, &ScaledLabel::mouseDown, this, handler);
        connect(label, &ScaledLabel::doubleClicked, this, handler);
    };
    onPress(timerlabel, &PlayScreen::timerlabel_MouseDown);
    onPress(clocklabel, &PlayScreen::clocklabel_MouseDown);

    struct ScoreWidgets {
        ScaledLabel* board;
        TabButton* ten;
        TabButton* five;
    };
    const ScoreWidgets teams[] = {
        {ascorelabel, a10, a5}, {bscorelabel, b10, b5}, {gscorelabel, g10, g5}};
    for (int team = 0; team < variant_.teams; ++team) {
        const ScoreWidgets& w = teams[team];
        auto board = [this, team](Qt::MouseButton b) { score_MouseDown(team, 1, b); };
        connect(w.board, &ScaledLabel::mouseDown, this, board);
        connect(w.board, &ScaledLabel::doubleClicked, this, board);
        connect(w.ten, &TabButton::mouseDown, this,
                [this, team](Qt::MouseButton b) { score_MouseDown(team, 10, b); });
        connect(w.five, &TabButton::mouseDown, this,
                [this, team](Qt::MouseButton b) { score_MouseDown(team, 5, b); });
    }
}

void PlayScreen::load() {
    // The speaker-off tick runs once at the start, so a speaker left on by
    // an earlier run falls silent.
    soundtimer->start();
    matchLoadedScreens(*this, program_);
}

// --- Layout -------------------------------------------------------------------

void PlayScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyLayout();
}

void PlayScreen::applyLayout() {
    const double designWidth = variant_.clientWidthTwips / kTwipsPerPixel;
    const double designHeight = variant_.clientHeightTwips / kTwipsPerPixel;
    // The design fills the window in both directions; text keeps its
    // proportions and grows with the smaller of the two.
    scaleX_ = width() / designWidth;
    scaleY_ = height() / designHeight;
    const double sx = scaleX_;
    const double sy = scaleY_;
    const double fontScale = std::min(sx, sy);
    const int border = std::max(1, static_cast<int>(std::lround(fontScale)));
    const PlayLayout& l = variant_.layout;

    auto label = [&](ScaledLabel* w, const TwipsRect& r) {
        w->setGeometry(scaledRect(r, sx, sy));
        w->setFontScale(fontScale);
        if (w->borderWidth() > 0) w->setBorderWidth(border);
    };
    auto button = [&](TabButton* w, const TwipsRect& r, bool alignRight) {
        w->setGeometry(square(r, sx, sy, alignRight));
        w->setFontScale(fontScale);
    };

    label(timerlabel, l.timerlabel);
    label(Label2, l.Label2);
    label(Labeltimerstate, l.Labeltimerstate);
    label(clocklabel, l.clocklabel);
    label(Label3, l.Label3);
    label(Labelteam, l.Labelteam);
    label(namelabel, l.namelabel);
    label(Label1, l.Label1);
    Commandsetupmenu->setGeometry(scaledRect(l.Commandsetupmenu, sx, sy));
    Commandsetupmenu->setFontScale(fontScale);
    button(CommandT, l.CommandT, false);
    button(CommandB, l.CommandB, false);
    button(CommandA, l.CommandA, false);
    button(Command20, l.Command20, false);

    ScaledLabel* const names[] = {Labelalpha, LabelBeta, LabelGamma};
    TabButton* const tens[] = {a10, b10, g10};
    TabButton* const fives[] = {a5, b5, g5};
    for (int team = 0; team < variant_.teams; ++team) {
        ScaledLabel* board = scoreLabel(team);
        label(board, l.scorelabel[team]);
        label(names[team], l.teamlabel[team]);
        button(tens[team], l.tab10[team], false);
        button(fives[team], l.tab5[team], true);
        // With its tabs on show the score keeps clear of them.
        int top = 0;
        for (TabButton* tab : {tens[team], fives[team]}) {
            if (!tab->isHidden()) {
                top = std::max(top, tab->geometry().bottom() + 1 - board->geometry().top());
            }
        }
        board->setTextInsets(QMargins(0, std::max(0, top - board->borderWidth()), 0, 0));
    }
    for (int i = 0; i < variant_.lamps(); ++i) {
        const TwipsRect r{l.lampLeft[i], l.lampTop, l.lampSize, l.lampSize};
        ScaledLabel* lamp = p1label[i];
        const QRect place = scaledRect(r, sx, sy);
        const int side = std::min(place.width(), place.height());
        // Each lamp stays square, centred where the design puts it.
        lamp->setGeometry(place.center().x() - side / 2, place.top(), side, side);
        lamp->setBorderWidth(border);
    }
}

bool PlayScreen::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShowToParent || type == QEvent::HideToParent) && watched != this) {
        applyLayout();
    }
    return QWidget::eventFilter(watched, event);
}

// --- Colours ------------------------------------------------------------------

void PlayScreen::setScreenBackColour(const QColor& colour) {
    setBackColour(this, colour);
    for (QLabel* l : {static_cast<QLabel*>(Labelteam), static_cast<QLabel*>(Labeltimerstate),
                      static_cast<QLabel*>(Label2), static_cast<QLabel*>(Label3)}) {
        setBackColour(l, colour);
    }
}

QColor PlayScreen::screenBackColour() const { return backColour(this); }

void PlayScreen::setScreenTextColour(const QColor& colour) {
    setForeColour(namelabel, colour);
    setForeColour(Labelteam, colour);
}

QColor PlayScreen::screenTextColour() const { return foreColour(namelabel); }

// --- Settings read at the moment of use -------------------------------------

SetupMenu& PlayScreen::menu() const { return formsOf(program_).setupMenu(variant_.menu); }

std::int16_t PlayScreen::readIncrement() const {
    // An increment that does not fit 16 bits steps by nothing, like one
    // without a number, rather than by a wrapped amount.
    return numbers::textToInt16(menu().textincrement[0]->text()).value_or(0);
}

std::int16_t PlayScreen::timerLength(int box) const {
    return countdown::readLength(menu().Texttimer[box]->text());
}

int PlayScreen::timerContinues() const {
    return checkValue(formsOf(program_).formOptions().CheckTimerContinues);
}

int PlayScreen::soundSource() const { return menu().ComboSound->currentIndex(); }

bool PlayScreen::speakerInUse() const {
    const int s = soundSource();
    return s == 0 || s == 2;
}

bool PlayScreen::soundCardInUse() const {
    const int s = soundSource();
    return s == 1 || s == 2;
}

void PlayScreen::outport(std::uint8_t value) {
    program_.port.outport(program_.state.PortAddress, value);
}

std::int16_t& PlayScreen::score(int team) {
    if (team == kBeta) return bscore;
    if (team == kGamma) return gscore;
    return ascore;
}

ScaledLabel* PlayScreen::scoreLabel(int team) const {
    if (team == kBeta) return bscorelabel;
    if (team == kGamma) return gscorelabel;
    return ascorelabel;
}

// --- Activation -----------------------------------------------------------------

void PlayScreen::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    Form_Activate();
    // Sharing one display, the operator's windows stay in front of the
    // screen while the operator works it.
    if (places::oneDisplay() && !isFullScreen()) places::raiseOperatorWindows();
}

void PlayScreen::Form_Activate() {
    Label1->setText(QStringLiteral("Naddress is:  ") + QString::number(program_.state.PortAddress));
    // The clock keeps its own time across every switch of windows; it takes
    // the menu's match time only when that was given a new one (typed in
    // the menu, or set by a setup file or an option).
    const SetupMenu& m = menu();
    if (m.matchTimeSerial() != matchTimeRead_) {
        matchTimeRead_ = m.matchTimeSerial();
        // A stopped clock while the match timer is off keeps the blank the
        // option gave it, and nothing under it: F5 runs it out at once.
        const bool blank = !Timer2->isActive() &&
                           checkValue(formsOf(program_).formOptions().CheckDisableMatchTimer) == 1;
        const countdown::ClockTime t =
            blank ? countdown::ClockTime{0, 0} : countdown::readMatchTime(m.Texttimer[6]->text());
        clockminutes = t.minutes;
        clockseconds = t.seconds;
        if (!blank) clocklabel->setText(countdown::clockText(t));
    }
    if (!Timer2->isActive()) setForeColour(clocklabel, greyTextColour());
    // The boards are where the scores last; another window may have written
    // one (switching sides exchanges them).
    for (int team = 0; team < variant_.teams; ++team) {
        if (auto value = numbers::textToInt16(scoreLabel(team)->text())) score(team) = *value;
    }
}

void PlayScreen::takeClockFrom(const PlayScreen& other) {
    if (&other == this || Timer2->isActive()) return;
    clockminutes = other.clockminutes;
    clockseconds = other.clockseconds;
    clocklabel->setText(other.clocklabel->text());
    // Taken: the menu's match box (which holds the other's time, or an
    // older one) is not read again at the next activation.
    matchTimeRead_ = menu().matchTimeSerial();
}

void PlayScreen::showMatchTime(const QString& text) {
    const countdown::ClockTime t = countdown::readMatchTime(text);
    clockminutes = t.minutes;
    clockseconds = t.seconds;
    clocklabel->setText(text);
    // The menu's box was given the same time; the next activation reads it
    // from there and shows it in the clock's own format.
}

// --- The set-up menu button ---------------------------------------------------

void PlayScreen::showMenu() {
    SetupMenu& m = menu();
    places::bringForward(m);
}

void PlayScreen::Commandsetupmenu_MouseDown(Qt::MouseButton) {
    // While the menu is up its match box shows the clock's time.
    menu().parkClock(clocklabel->text());
    timeoutStart();
    showMenu();
}

// --- Clears -------------------------------------------------------------------

void PlayScreen::emptyDisplay() {
    namelabel->setText(QString());
    Labelteam->setText(QString());
}

void PlayScreen::resetLamps() {
    for (const auto& [index, lamp] : p1label)
        setBackColour(lamp, buttonFaceColour());
}

void PlayScreen::resetScoreColours() {
    for (int team = 0; team < variant_.teams; ++team) {
        setBackColour(scoreLabel(team), buttonFaceColour());
    }
}

void PlayScreen::topUpContinuingTimer() {
    // The next team gets at least 3 seconds once the next tick has shown.
    if (timerContinues() == 1 && ndigit1 < 3) ndigit1 = 4;
}

void PlayScreen::namelabel_MouseDown(Qt::MouseButton button) {
    clearByMouse(button);
    // The USB module can still report the press that was just cleared, so
    // its screen clears twice.
    if (variant_.usbDoubleClear && program_.state.InterfaceModel == model::kUsb) {
        clearByMouse(button);
    }
}

void PlayScreen::clearByMouse(Qt::MouseButton button) {
    const QString shown = namelabel->text();
    program_.clearDecision();
    if (button == Qt::LeftButton) {
        emptyDisplay();
        enable(porttimer);
        resetLamps();
        timerlabel->setText(QString());
        if (timerContinues() == 0) {
            Labeltimerstate->setText(QString());
            Timer1->stop();
        }
        resetScoreColours();
    }
    topUpContinuingTimer();
    recordClear(button == Qt::LeftButton ? "left-click" : "other-click", shown);
    // A second responder held by the lock-up is shown at this point, after
    // the top-up and before polling resumes.
    if (program_.state.SecondPlaceHeld) PlayerWaiting();
    enable(porttimer);
}

void PlayScreen::armForNewQuestion() {
    program_.clearDecision();
    enable(porttimer);
    // A respondent still held for second place would otherwise swallow the
    // next buzz-in and leave the audience looking at an empty display.
    buzzlink::secondplace::startNewQuestion(program_.state);
}

void PlayScreen::namelabel_DblClick() {
    const QString shown = namelabel->text();
    emptyDisplay();
    armForNewQuestion();
    resetLamps();
    timerlabel->setText(QString());
    Labeltimerstate->setText(QString());
    Timer1->stop();
    resetScoreColours();
    recordClear("double-click", shown);
}

void PlayScreen::spacekey() {
    const QString shown = namelabel->text();
    emptyDisplay();
    armForNewQuestion();
    resetLamps();
    Labeltimerstate->setText(QString());
    resetScoreColours();
    if (timerContinues() == 0) {
        timerlabel->setText(QString());
        Timer1->stop();
    }
    topUpContinuingTimer();
    recordClear("space", shown);
}

// --- Response timer -----------------------------------------------------------

void PlayScreen::tossUpStart() {
    const std::int16_t length = timerLength(7);
    Timer1->stop();
    ndigit1 = length;
    timerlabel->setText(QString::number(ndigit1));
    Labeltimerstate->setText(QStringLiteral("Toss Up"));
    Timer1->start();
    recordTimerStart("toss-up");
}

void PlayScreen::bonusStart(bool fromTimerLabel) {
    const QString shown = namelabel->text();
    const std::int16_t length = timerLength(8);
    Timer1->stop();
    if (program_.state.BuzzOnBonus) {
        armForNewQuestion();
        if (fromTimerLabel) outport(0);
    } else {
        porttimer->stop();
        outport(0);
    }
    ndigit1 = length;
    timerlabel->setText(QString::number(ndigit1));
    Labeltimerstate->setText(QStringLiteral("Bonus"));
    namelabel->setText(program_.state.BuzzOnBonus ? QString() : QStringLiteral("Bonus"));
    Timer1->start();
    if (program_.state.BuzzOnBonus) recordClear("bonus", shown);
    recordTimerStart("bonus");
}

void PlayScreen::auxiliaryStart(std::int16_t length, const QString& caption) {
    const QString shown = namelabel->text();
    Timer1->stop();
    ndigit1 = length;
    timerlabel->setText(QString::number(ndigit1));
    Labeltimerstate->setText(caption);
    emptyDisplay();
    armForNewQuestion();
    resetScoreColours();
    Timer1->start();
    recordClear("auxiliary", shown);
    recordTimerStart("auxiliary");
}

void PlayScreen::timeoutStart() {
    Timer2->stop();
    setForeColour(clocklabel, greyTextColour());
    ndigit1 = timerLength(9);
    timerlabel->setText(QString::number(ndigit1));
    namelabel->setText(QStringLiteral("Time Out"));
    // A response timer already running keeps its rhythm.
    enable(Timer1);
    recordClockState();
    recordTimerStart("time-out");
}

void PlayScreen::clockStart() {
    enable(Timer2);
    Timer1->stop();
    timerlabel->setText(QString());
    setForeColour(clocklabel, buttonTextColour());
    recordTimerState();
    recordClockState();
}

void PlayScreen::Timer1_Timer() {
    ndigit1 = countdown::timerStep(ndigit1);
    timerlabel->setText(QString::number(ndigit1));
    if (!countdown::timerExpired(ndigit1)) return;

    // No buzz-in is taken until the operator clears.
    if (variant_.timerExpiryZeroBeforePollStop) {
        outport(0);
        porttimer->stop();
    } else {
        porttimer->stop();
        outport(0);
    }
    Timer1->stop();
    namelabel->setText(QStringLiteral("Timer Expired"));
    if (speakerInUse()) {
        if (variant_.timerExpirySpeakerZeroFirst) outport(0);
        outport(146);
        enable(soundtimer);
    }
    Labeltimerstate->setText(QString());
    if (soundCardInUse()) program_.sound.play(program_.state.TimerSound);
    recordTimerExpired();
}

// --- Match clock ----------------------------------------------------------------

void PlayScreen::Timer2_Timer() {
    countdown::ClockTime t{clockminutes, clockseconds};
    if (countdown::clockExpired(t)) {
        if (variant_.clockExpiryZeroBeforePollStart) {
            outport(0);
            enable(porttimer);
        } else {
            enable(porttimer);
            outport(0);
        }
        Timer2->stop();
        namelabel->setText(QString::fromLatin1(variant_.clockExpiredWord));
        if (speakerInUse()) {
            outport(82);
            enable(soundtimer);
        }
        if (soundCardInUse()) program_.sound.play(program_.state.TimerSound);
        recordClockExpired();
    }
    t = countdown::clockStep(t, Timer2->isActive());
    clockminutes = t.minutes;
    clockseconds = t.seconds;
    clocklabel->setText(countdown::clockText(t));
}

void PlayScreen::soundtimer_Timer() {
    if (buzzlink::soundtimerWritesOff(screen(), soundSource())) outport(0);
    soundtimer->stop();
}

// --- The buzzer interface -------------------------------------------------------

void PlayScreen::porttimer_Timer() {
    // The messages of a failed read are modal: porttimer keeps firing in
    // their event loop, and a poll then would talk to the box in the middle
    // of its recovery. One tick at a time.
    if (inPortTick_ || linkPaused_) return;
    const QScopedValueRollback<bool> inTick(inPortTick_, true);
    if (buzzlink::usesUsbPoll(program_.state.InterfaceModel, screen())) {
        usb_.tick();
    } else {
        link_.porttimerTick();
    }
}

bool PlayScreen::sdata() { return link_.sdata(); }

void PlayScreen::handshake() { link_.handshake(); }

void PlayScreen::PlayerWaiting() { link_.PlayerWaiting(); }

void PlayScreen::runDecoder(buzzlink::Decoder decoder) { link_.runDecoder(decoder, settings()); }

void PlayScreen::wired() { runDecoder(buzzlink::Decoder::Wired); }

void PlayScreen::wired210() { runDecoder(buzzlink::Decoder::Wired210); }

void PlayScreen::wireless() { runDecoder(buzzlink::Decoder::Wireless); }

void PlayScreen::wireless200() { runDecoder(buzzlink::Decoder::Wireless200); }

const QString& PlayScreen::teamSound(int team) const {
    if (team == kBeta) return program_.state.BetaSound;
    if (team == kGamma) return program_.state.GammaSound;
    return program_.state.AlphaSound;
}

void PlayScreen::showResponder(const buzzlink::Responder& r) {
    const SetupMenu& m = menu();
    const int team = static_cast<int>(r.team);
    namelabel->setText(m.playerNameBox(r.player)->text());
    Qt::Alignment across = Qt::AlignLeft;
    if (r.alignment == buzzlink::TeamAlignment::Centre) across = Qt::AlignHCenter;
    if (r.alignment == buzzlink::TeamAlignment::Right) across = Qt::AlignRight;
    Labelteam->setAlignment(across | Qt::AlignVCenter);
    Labelteam->setText(m.teamNameBox(team)->text());
    setBackColour(scoreLabel(team), colourFromBgr(buzzlink::kScoreBoardColour));
    if (r.playTeamSound) program_.sound.play(teamSound(team));
    for (std::uint8_t byte : r.speakerBytes)
        outport(byte);
    if (!r.speakerBytes.empty()) enable(soundtimer);
    if (ScaledLabel* lamp = p1label[r.player - 1])
        setBackColour(lamp, colourFromBgr(buzzlink::kLampColour));
    if (r.stopPortTimer) porttimer->stop();
    if (r.stopTimer1) Timer1->stop();
}

void PlayScreen::showDiagnostic(int value) { Label1->setText(QString::number(value)); }

void PlayScreen::reportCommunicationProblem() {
    buzzlink::tellCommunicationProblem(program_.dialogs);
    recordEvent(record::EventKind::CommFailed, {{QStringLiteral("what"), QStringLiteral("read")}});
}

bool PlayScreen::askRetry() { return buzzlink::askRetryInterface(program_.dialogs); }

buzzlink::ScreenSettings PlayScreen::settings() {
    const FormOptions& options = formsOf(program_).formOptions();
    buzzlink::ScreenSettings s;
    s.soundSource = soundSource();
    s.timerContinues = checkValue(options.CheckTimerContinues);
    s.lockUpSecondPlace = checkValue(options.CheckPlayerWaiting);
    s.extraTransmitter = formsOf(program_).formextrax().Comboxmitter->currentIndex();
    return s;
}

void PlayScreen::stopPolling() { porttimer->stop(); }

void PlayScreen::reportDecision(const buzzlink::Decision& decision) {
    const SetupMenu& m = menu();
    const auto name = [&m](int player) { return m.playerNameBox(player)->text(); };
    program_.showDecision(buzzlink::decisionNote(decision, name));
}

void PlayScreen::endProgram() {
    recordEvent(record::EventKind::ProgramEnded,
                {{QStringLiteral("how"), QStringLiteral("cancel")}});
    program_.endProgram();
}

// --- Mouse on the timers ------------------------------------------------------

void PlayScreen::timerlabel_MouseDown(Qt::MouseButton button) {
    const bool nameEmpty = namelabel->text().isEmpty();
    if ((nameEmpty && button == Qt::LeftButton) || !program_.state.TurnOffClear) tossUpStart();
    if (button == Qt::RightButton) bonusStart(true);
}

void PlayScreen::clocklabel_MouseDown(Qt::MouseButton) {
    const bool disabled = checkValue(formsOf(program_).formOptions().CheckDisableMatchTimer) == 1;
    if (Timer2->isActive() || disabled) {
        timeoutStart();
    } else {
        clockStart();
    }
}

void PlayScreen::CommandT_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    if (namelabel->text().isEmpty() || !program_.state.TurnOffClear) tossUpStart();
}

void PlayScreen::CommandB_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) bonusStart(false);
}

void PlayScreen::CommandA_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) auxiliaryStart(timerLength(10), QStringLiteral("Auxillary"));
}

void PlayScreen::Command20_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) auxiliaryStart(20, QStringLiteral("Auxillary"));
}

// --- Scoring --------------------------------------------------------------------

void PlayScreen::score_MouseDown(int team, int multiplier, Qt::MouseButton button) {
    if (team < 0 || team >= variant_.teams) return;
    increment = readIncrement();
    const long long step = static_cast<long long>(multiplier) * increment;
    std::int16_t& s = score(team);
    const std::int16_t before = s;
    if (button == Qt::LeftButton) s = numbers::saturatingAdd(s, step);
    if (button == Qt::RightButton) s = numbers::saturatingAdd(s, -step);
    scoreLabel(team)->setText(QString::number(s));
    recordScore(team, before, multiplier == 1 ? "board" : "tab", button, multiplier);
}

void PlayScreen::scoreKey(int team, int sign) {
    if (team >= variant_.teams) return;
    // The step typed in the menu now, as a click on the board would use.
    increment = readIncrement();
    static const char* const keys[3][2] = {{"F1", "F2"}, {"F3", "F4"}, {"F11", "F12"}};
    moveBoard(team, static_cast<long long>(sign) * increment, keys[team][sign > 0 ? 0 : 1]);
}

void PlayScreen::moveBoard(int team, long long step, const char* how, bool ownStep) {
    std::int16_t& s = score(team);
    const std::int16_t before = s;
    s = numbers::saturatingAdd(s, step);
    scoreLabel(team)->setText(QString::number(s));
    recordScore(team, before, how, Qt::NoButton, 1, ownStep);
}

void PlayScreen::moveScore(int team, int points, const QString& how) {
    if (team < 0 || team >= variant_.teams) return;
    moveBoard(team, points, how.toLatin1().constData(), false);
}

// --- Keys -----------------------------------------------------------------------

bool PlayScreen::operatorKey(QKeyEvent* event) {
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (alt && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        toggleFullScreen();
        return true;
    }
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        leaveFullScreen();
        return true;
    }
    const int code = keyCodeOf(event);
    if (code >= 0 && Form_KeyDown(code)) return true;
    // A key the screen has no use for may be a capability's (the
    // scoresheet's rulings); it is not repeated by holding it down.
    if (event->type() != QEvent::KeyPress || event->isAutoRepeat()) return false;
    return program_.operatorKey(event->key(), static_cast<int>(event->modifiers()));
}

bool PlayScreen::handlesKey(int keyCode) const {
    return keyCode == kKeySpace ||
           (keyCode >= kKeyF1 && keyCode < kKeyF1 + variant_.lastFunctionKey);
}

bool PlayScreen::Form_KeyDown(int keyCode) {
    if (!handlesKey(keyCode)) return false;

    // clang-format off
    switch (keyCode) {
    case kKeySpace:   spacekey(); break;
    case kKeyF1 + 0:  F1key(); break;
    case kKeyF1 + 1:  F2key(); break;
    case kKeyF1 + 2:  F3key(); break;
    case kKeyF1 + 3:  F4key(); break;
    case kKeyF1 + 4:  F5key(); break;
    case kKeyF1 + 5:  F6key(); break;
    case kKeyF1 + 6:  F7key(); break;
    case kKeyF1 + 7:  F8key(); break;
    case kKeyF1 + 8:  F9key(); break;
    case kKeyF1 + 9:  F10key(); break;
    case kKeyF1 + 10: F11key(); break;
    case kKeyF1 + 11: F12key(); break;
    default:          return false;
    }
    // clang-format on
    return true;
}

void PlayScreen::F1key() { scoreKey(kAlpha, +1); }
void PlayScreen::F2key() { scoreKey(kAlpha, -1); }
void PlayScreen::F3key() { scoreKey(kBeta, +1); }
void PlayScreen::F4key() { scoreKey(kBeta, -1); }
void PlayScreen::F5key() { clockStart(); }
void PlayScreen::F6key() { timeoutStart(); }
void PlayScreen::F7key() { auxiliaryStart(timerLength(10), QStringLiteral("Toss Up")); }

void PlayScreen::F8key() {
    timeoutStart();
    showMenu();
}

void PlayScreen::F9key() {
    if (!namelabel->text().isEmpty()) return;
    Timer1->stop();
    ndigit1 = timerLength(7);
    timerlabel->setText(QString::number(ndigit1));
    Timer1->start();
    if (variant_.f9ShowsTossUp) Labeltimerstate->setText(QStringLiteral("Toss Up"));
    recordTimerStart("toss-up");
}

void PlayScreen::F10key() { bonusStart(false); }
void PlayScreen::F11key() { scoreKey(kGamma, +1); }
void PlayScreen::F12key() { scoreKey(kGamma, -1); }
