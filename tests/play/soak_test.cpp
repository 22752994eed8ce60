// A long match on every box model, driven through the real play screens,
// set-up menus and file commands on a manual clock: buzz-ins (single, tied,
// on the spare transmitter, held for second place), the three clears, every
// timer run out, scores by mouse and keys, setups saved and opened again,
// screen pairs changed. At the end nothing may be lost (the settings opened
// are the settings saved, every score is its steps added up within 16 bits,
// every name shown was a player who pressed) and the process may hold no
// more memory and no more open files than after the warm-up.
//
// TORVANEL_SOAK_ROUNDS sets the length (rounds over all the boxes together);
// TORVANEL_SOAK_SEED the choices. The figures are printed at the end.
#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>

#include <QDir>
#include <QFile>

#include "app/numbers.h"
#include "app/objecthost.h"
#include "app/usbhost.h"
#include "link/decoders.h"
#include "link/responder.h"
#include "menu/setupwindows.h"
#include "options/formextrax.h"
#include "play/countdown.h"
#include "playfixture.h"
#include "setup/setuprecord.h"
#include "sim/simulatedusbmodule.h"
#include "title/forms.h"
#include "title/titleform.h"
#include "usb/usbcontrol.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

constexpr int kWireless = 170;
constexpr int kWired = 180;
constexpr int kUsb = 199;
constexpr int kWireless2 = 200;
constexpr int kWired2 = 210;
constexpr int kModels[] = {kWireless, kWired, kUsb, kWireless2, kWired2};

// What `make test` runs: a few thousand buzz-ins in some seconds.
constexpr long kDefaultRounds = 6000;
// Growth of the resident set after the warm-up that counts as a trend
// rather than the allocator's noise.
constexpr long kRssAllowanceKiB = 3 * 1024;

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end && *end == '\0' && value > 0 ? value : fallback;
}

// --- What the process holds ----------------------------------------------------

struct Footprint {
    long rssKiB = 0;
    int fds = 0;
};

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int openDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the listing's own
}

Footprint footprint() {
    TestProgram::flushDeletes();
    // Freed memory goes back to the system, so what remains is what is held.
    malloc_trim(0);
    return {residentKiB(), openDescriptors()};
}

// --- Tallies -----------------------------------------------------------------------

struct Tally {
    long rounds = 0;
    long presses = 0;
    long shown = 0;  // buzz-ins that put a player's name up
    long ties = 0;
    long extraTransmitter = 0;
    long secondPlace = 0;
    long lockedOutPresses = 0;
    long heldOverClear = 0;        // pressed while polling was off, shown after the clear
    std::array<long, 3> clears{};  // space, click, double-click
    long timerRuns = 0;
    long clockRuns = 0;
    long scoreSteps = 0;
    long saturatedSteps = 0;
    long saves = 0;
    long opens = 0;
    long pairChanges = 0;
};

enum class Clear { Space, Click, DoubleClick };

const QString kTimerExpired = QStringLiteral("Timer Expired");
const QString kBonus = QStringLiteral("Bonus");
const QString kTimeOut = QStringLiteral("Time Out");

// --- One box model with its whole program ---------------------------------------

class Rig {
public:
    Rig(int model, std::uint32_t seed, Tally& tally) : t(model), rng_(seed), tally_(tally) {
        if (model == kUsb) {
            host.registerClass(QLatin1String(kUsbClassId), [] {
                auto control = std::make_unique<UsbControl>(nullptr);
                control->setPause([](int) {});
                return control;
            });
            t->setObjectHost(host);
            t->setUsbTransport(&module);
        }
    }

    int model() const { return t.box.model(); }
    bool wireless() const { return model() == kWireless || model() == kWireless2; }
    bool wired() const { return model() == kWired || model() == kWired2; }

    void startUp() {
        ASSERT_TRUE(t.startUp());
        ASSERT_EQ(t->state.InterfaceModel, model());
        t.dialogs.messages.clear();
        t.sound.played.clear();
    }

    // After every box has started (the start-up road runs an event loop of
    // its own, in which the timers of a program already going would fire).
    void prepare() {
        // Every screen pair is up once (a window's first showing gives it
        // its drawing buffers, which it then keeps), and short timers, so
        // that a run out costs few ticks. The USB lockout is served by the
        // 2-team 4-player screen only.
        for (ScreenPair s : kAllScreens) {
            if (allowed(s)) saveAndOpen(s);
        }
        saveAndOpen(anyAllowedScreen());
    }

    // The screens an operator can work with on this box: the wired model 180
    // refuses five players per team.
    bool allowed(ScreenPair s) const {
        if (model() == kUsb) return s == ScreenPair::P2_4;
        return model() != kWired || playersPerTeamOf(s) == 4;
    }
    ScreenPair anyAllowedScreen() {
        for (;;) {
            const ScreenPair s = kAllScreens[draw(4)];
            if (allowed(s)) return s;
        }
    }

    ScreenPair pair() {
        TitleForm& title = formsOf(*t).titleForm();
        return screenFor(title.TeamText->text().toInt(), title.PlayerText->text().toInt());
    }
    PlayScreen& screen() { return formsOf(*t).playScreen(pair()); }
    SetupMenu& menu() { return formsOf(*t).setupMenu(menuOf(pair())); }
    FormOptions& options() { return formsOf(*t).formOptions(); }
    int players() { return teamsOf(pair()) * playersPerTeamOf(pair()); }
    int teamOf(int player) { return (player - 1) / playersPerTeamOf(pair()); }
    bool lockUpOn() { return wireless() && checkValue(options().CheckPlayerWaiting) == 1; }
    bool timerContinues() { return checkValue(options().CheckTimerContinues) == 1; }

    // One round of the match, chosen at random.
    void round() {
        t.box.clearLog();
        t.sound.played.clear();
        const int pick = draw(100);
        SCOPED_TRACE(testing::Message()
                     << "model " << model() << " on " << screenName(pair()).toStdString()
                     << ", round " << tally_.rounds << ", pick " << pick);
        if (pick < 34) {
            singleBuzzIn();
        } else if (pick < 44) {
            tie();
        } else if (pick < 51) {
            extraTransmitter();
        } else if (pick < 58) {
            secondPlace();
        } else if (pick < 73) {
            timerRun();
        } else if (pick < 76) {
            matchClock();
        } else if (pick < 94) {
            scoring();
        } else if (pick < 98) {
            saveAndOpen();
        } else {
            saveStartupFile();
        }
        ++tally_.rounds;
        EXPECT_TRUE(t.dialogs.messages.empty()) << t.dialogs.texts().join(" | ").toStdString();
        t.dialogs.messages.clear();
        t.dialogs.openRequests.clear();
        t.dialogs.saveRequests.clear();
    }

    // The scores on every screen against the steps applied.
    void checkScores() {
        for (const auto& [screenPair, expected] : scores_) {
            PlayScreen& s = formsOf(*t).playScreen(screenPair);
            for (int team = 0; team < teamsOf(screenPair); ++team) {
                EXPECT_EQ(s.score(team), expected[team]) << screenName(screenPair).toStdString();
                EXPECT_EQ(s.scoreLabel(team)->text(), QString::number(expected[team]));
            }
        }
    }

    int usbHandles() const { return module.openHandles(); }
    // Ticks that came from the event loop rather than from the soak.
    int strayTicks() const { return strayTicks_; }

private:
    int draw(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return draw(100) < percent; }
    int randomPlayer() { return 1 + draw(players()); }

    // --- The operator -------------------------------------------------------

    void key(int qtKey) {
        const QString text = qtKey == Qt::Key_Space ? QStringLiteral(" ") : QString();
        QKeyEvent down(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(&screen(), &down);
        QKeyEvent up(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(&screen(), &up);
    }
    static void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
        PlayFixture::press(w, button);
    }

    Clear randomClear() { return static_cast<Clear>(draw(3)); }

    void clear(Clear how) {
        PlayScreen& s = screen();
        switch (how) {
        case Clear::Space: key(Qt::Key_Space); break;
        case Clear::Click: click(s.namelabel); break;
        case Clear::DoubleClick: PlayFixture::doubleClick(s.namelabel, Qt::LeftButton); break;
        }
        ++tally_.clears[static_cast<int>(how)];
        EXPECT_TRUE(s.porttimer->isActive()) << "every clear re-arms";
    }

    // A new question: nothing held, nothing shown, the box listening.
    void newQuestion() {
        pressed_.clear();
        clear(Clear::Space);
        tick();
        expectEmpty();
    }

    // --- The box ------------------------------------------------------------

    // The soak is the screens' clock: a timer that fires by itself would
    // poll the box or count down behind its back.
    void watch(PlayScreen& s) {
        if (!watched_.insert(&s).second) return;
        for (QTimer* timer : {s.Timer1, s.Timer2, s.porttimer, s.soundtimer})
            QObject::connect(timer, &QTimer::timeout, [this] { ++strayTicks_; });
    }

    void tick() {
        PlayScreen& s = screen();
        watch(s);
        if (s.porttimer->isActive()) s.porttimer_Timer();
        checkDisplay();
    }

    int inputOf(int player) {
        const int input = t.box.inputOfPlayer(pair(), player);
        EXPECT_GE(input, 0) << player;
        return input;
    }

    void press(const std::vector<int>& who) {
        for (int p : who)
            pressed_.insert(p);
        tally_.presses += static_cast<long>(who.size());
        if (model() == kUsb) {
            for (int p : who)
                module.pressPlayer(p, true);
            return;
        }
        std::vector<int> inputs;
        inputs.reserve(who.size());
        for (int p : who)
            inputs.push_back(inputOf(p));
        t.box.pressTogether(inputs);
    }
    void releaseAll() {
        if (model() == kUsb) {
            module.setPort0Lines(0xFF);
        } else {
            t.box.releaseAll();
        }
    }
    // A press and release between two polls, as a quick thumb makes it.
    void buzz(const std::vector<int>& who) {
        press(who);
        if (model() != kUsb) releaseAll();
    }
    // A press some time after the last poll: the poll before it (which
    // arms the box again after a fetch), the press, the poll after it.
    void buzzIn(const std::vector<int>& who) {
        tick();
        buzz(who);
        tick();
    }

    // --- What the audience sees ---------------------------------------------

    // The player whose name is up, 0 for none, -1 for a word of the screen's
    // own.
    int shownPlayer() {
        const QString name = screen().namelabel->text();
        if (name.isEmpty()) return 0;
        if (name == kTimerExpired || name == kBonus || name == kTimeOut ||
            name == QLatin1String(screen().variant().clockExpiredWord)) {
            return -1;
        }
        for (int p = 1; p <= players(); ++p) {
            if (menu().playerNameBox(p)->text() == name) return p;
        }
        ADD_FAILURE() << "a name nobody has: " << name.toStdString();
        return -2;
    }

    bool lampLit(int player) {
        ScaledLabel* lamp = screen().p1label[player - 1];
        return lamp && backColour(lamp) == colourFromBgr(buzzlink::kLampColour);
    }
    std::set<int> litLamps() {
        std::set<int> lit;
        for (int p = 1; p <= players(); ++p) {
            if (lampLit(p)) lit.insert(p);
        }
        return lit;
    }

    // After every poll and clear: a name on show is a player who pressed
    // in this question, with their team, lamp and score board.
    void checkDisplay() {
        const int p = shownPlayer();
        if (p <= 0) return;
        EXPECT_TRUE(pressed_.count(p)) << "player " << p << " is shown but never pressed";
        PlayScreen& s = screen();
        EXPECT_EQ(s.Labelteam->text(), menu().teamNameBox(teamOf(p))->text());
        EXPECT_TRUE(lampLit(p)) << p;
        EXPECT_EQ(backColour(s.scoreLabel(teamOf(p))), colourFromBgr(buzzlink::kScoreBoardColour));
    }

    void expectShowing(int p) {
        PlayScreen& s = screen();
        EXPECT_EQ(shownPlayer(), p) << s.namelabel->text().toStdString();
        EXPECT_EQ(s.ResponderNumber, p);
        ++tally_.shown;
    }
    void expectEmpty() {
        PlayScreen& s = screen();
        EXPECT_EQ(s.namelabel->text(), QString());
        EXPECT_EQ(s.Labelteam->text(), QString());
        EXPECT_TRUE(litLamps().empty());
    }

    // After a buzz-in has been dealt with: the operator clears, and the box
    // is empty and listening. A click while the lock-up waits shows the
    // respondent it holds, if it holds one.
    void clearAndCheck() {
        const bool lockUpWaiting = t->state.SecondPlaceHeld;
        const Clear how = randomClear();
        clear(how);
        checkDisplay();
        if (how == Clear::Click && lockUpWaiting && shownPlayer() > 0) {
            ++tally_.shown;
        } else {
            expectEmpty();
        }
        releaseAll();
        newQuestion();
    }

    // --- Rounds --------------------------------------------------------------

    void singleBuzzIn() {
        newQuestion();
        PlayScreen& s = screen();
        const bool timed = chance(50);
        if (timed) {
            // The toss-up by its tab, the timer display or F9.
            switch (draw(3)) {
            case 0: click(s.CommandT); break;
            case 1: click(s.timerlabel); break;
            default: key(Qt::Key_F9); break;
            }
            EXPECT_TRUE(s.Timer1->isActive());
        }
        const int p = randomPlayer();
        buzz({p});
        tick();
        expectShowing(p);
        EXPECT_EQ(s.porttimer->isActive(), lockUpOn());
        if (timed) {
            EXPECT_EQ(s.Timer1->isActive(), timerContinues());
        }
        if (model() != kUsb || chance(50)) {
            // Someone else presses while the screen is locked (or, with the
            // lock-up, is captured): the name stays.
            int q = randomPlayer();
            if (q == p) q = p % players() + 1;
            buzzIn({q});
            ++tally_.lockedOutPresses;
            EXPECT_EQ(shownPlayer(), p);
            if (model() == kUsb) releaseAll();
        }
        clearAndCheck();
    }

    void tie() {
        newQuestion();
        std::vector<int> who;
        const int n = 2 + draw(2);
        while (static_cast<int>(who.size()) < n) {
            const int p = randomPlayer();
            if (std::find(who.begin(), who.end(), p) == who.end()) who.push_back(p);
        }
        press(who);
        ++tally_.ties;
        tick();
        const int shown = shownPlayer();
        if (wireless()) {
            // A radio box hears one transmitter: the first.
            EXPECT_EQ(shown, who.front());
        } else {
            EXPECT_TRUE(std::find(who.begin(), who.end(), shown) != who.end()) << shown;
        }
        if (shown > 0) expectShowing(shown);
        releaseAll();
        clearAndCheck();
    }

    void extraTransmitter() {
        const std::optional<int> extra = t.box.spareHandset(pair());
        if (!wireless() || !extra) {
            singleBuzzIn();
            return;
        }
        // Lent to a player of the screen, to one it does not have, or to
        // nobody.
        const int entry = draw(buzzlink::kExtraNotInUse + 1);
        formsOf(*t).formextrax().Comboxmitter->setCurrentIndex(entry);
        newQuestion();
        const int lentTo = entry == buzzlink::kExtraNotInUse ? 0 : entry + 1;
        if (lentTo > 0) pressed_.insert(lentTo);
        t.box.press(*extra);
        ++tally_.presses;
        ++tally_.extraTransmitter;
        tick();
        if (lentTo > 0 && lentTo <= players()) {
            expectShowing(lentTo);
            clearAndCheck();
        } else {
            expectEmpty();
            EXPECT_TRUE(screen().porttimer->isActive()) << "nobody: the poll goes on";
            newQuestion();
        }
    }

    void secondPlace() {
        if (!wireless()) {
            tie();
            return;
        }
        FormOptions& o = options();
        const int before = checkValue(o.CheckPlayerWaiting);
        setCheckValue(o.CheckPlayerWaiting, 1);
        newQuestion();
        PlayScreen& s = screen();
        const int ppt = playersPerTeamOf(pair());
        const int first = randomPlayer();
        buzz({first});
        tick();
        expectShowing(first);
        EXPECT_TRUE(s.porttimer->isActive()) << "waiting for a second respondent";
        if (chance(50)) {
            // A team-mate is passed over.
            const int mate = (first - 1) / ppt * ppt + 1 + (first % ppt);
            buzzIn({mate});
            EXPECT_EQ(shownPlayer(), first);
            EXPECT_TRUE(s.porttimer->isActive());
        }
        const int otherTeam = (teamOf(first) + 1 + draw(teamsOf(pair()) - 1)) % teamsOf(pair());
        const int second = otherTeam * ppt + 1 + draw(ppt);
        buzzIn({second});
        EXPECT_EQ(shownPlayer(), first);
        EXPECT_FALSE(s.porttimer->isActive()) << "the second respondent is held";
        EXPECT_TRUE(t->state.SecondPlaceHeld);
        click(s.namelabel);
        ++tally_.clears[static_cast<int>(Clear::Click)];
        checkDisplay();
        expectShowing(second);
        EXPECT_TRUE(s.porttimer->isActive());
        ++tally_.secondPlace;
        setCheckValue(o.CheckPlayerWaiting, before);
        newQuestion();
    }

    // Ticks a second at a time, ten polls to each, until the timer stops.
    int runOut(QTimer* timer, void (PlayScreen::*tickHandler)(), int limit) {
        PlayScreen& s = screen();
        int seconds = 0;
        while (timer->isActive() && seconds < limit) {
            for (int i = 0; i < 10; ++i)
                tick();
            (s.*tickHandler)();
            if (s.soundtimer->isActive()) s.soundtimer_Timer();
            checkDisplay();
            ++seconds;
        }
        EXPECT_FALSE(timer->isActive()) << "still running after " << limit << " s";
        return seconds;
    }

    void timerRun() {
        newQuestion();
        PlayScreen& s = screen();
        SetupMenu& m = menu();
        auto length = [&](int box) { return countdown::readLength(m.Texttimer[box]->text()); };
        int expected = 0;
        bool buzzAllowed = true;
        bool expectExpiry = true;
        switch (draw(9)) {
        case 0:
            click(s.CommandT);
            expected = length(7);
            break;
        case 1:
            key(Qt::Key_F9);
            expected = length(7);
            break;
        case 2:
        case 3: {
            // The bonus, with buzz-in allowed or not, by its tab, F10 or
            // a right click on the timer display.
            setCheckValue(options().CheckBuzzonBonus, draw(2));
            buzzAllowed = t->state.BuzzOnBonus;
            const int how = draw(3);
            if (how == 0) click(s.CommandB);
            if (how == 1) key(Qt::Key_F10);
            if (how == 2) click(s.timerlabel, Qt::RightButton);
            expected = length(8);
            EXPECT_EQ(s.namelabel->text(), buzzAllowed ? QString() : kBonus);
            EXPECT_EQ(s.porttimer->isActive(), buzzAllowed);
            break;
        }
        case 4:
            key(Qt::Key_F6);
            expected = length(9);
            EXPECT_EQ(s.namelabel->text(), kTimeOut);
            break;
        case 5:
            // The set-up menu button calls a time-out too, and the menu.
            click(s.Commandsetupmenu);
            expected = length(9);
            break;
        case 6:
            click(s.CommandA);
            expected = length(10);
            break;
        case 7:
            key(Qt::Key_F7);
            expected = length(10);
            break;
        default:
            if (chance(15)) {
                click(s.Command20);
                expected = 20;
            } else {
                click(s.CommandA);
                expected = length(10);
            }
            break;
        }
        EXPECT_TRUE(s.Timer1->isActive());
        int buzzed = 0;
        const int buzzAt = chance(40) ? draw(std::max<int>(expected, 1)) : -1;
        int seconds = 0;
        while (s.Timer1->isActive() && seconds < 200) {
            for (int i = 0; i < 10; ++i) {
                if (seconds == buzzAt && i == 3 && !buzzed) {
                    buzzed = randomPlayer();
                    buzz({buzzed});
                }
                tick();
            }
            if (buzzed > 0 && buzzAllowed && seconds == buzzAt) {
                expectShowing(buzzed);
                if (!timerContinues()) {
                    EXPECT_FALSE(s.Timer1->isActive());
                    expectExpiry = false;
                }
            }
            if (!s.Timer1->isActive()) break;
            s.Timer1_Timer();
            if (s.soundtimer->isActive()) s.soundtimer_Timer();
            checkDisplay();
            ++seconds;
        }
        EXPECT_FALSE(s.Timer1->isActive());
        ++tally_.timerRuns;
        if (expectExpiry) {
            EXPECT_EQ(seconds, std::max(expected, 1));
            EXPECT_EQ(s.namelabel->text(), kTimerExpired);
            EXPECT_FALSE(s.porttimer->isActive()) << "no buzz-in until the operator clears";
        }
        // A press the box took while polling was stopped (the bonus without
        // buzz-in) is fetched by the first poll after the clear; whoever
        // shows must be that player.
        releaseAll();
        clear(randomClear());
        tick();
        if (shownPlayer() > 0) {
            ++tally_.shown;
            ++tally_.heldOverClear;
        }
        newQuestion();
    }

    void matchClock() {
        newQuestion();
        PlayScreen& s = screen();
        SetupMenu& m = menu();
        if (!s.Timer2->isActive()) {
            // The operator sets a short match and the screen takes it up when
            // it is next activated.
            const int secs = draw(4);
            m.Texttimer[6]->setText(QStringLiteral("0:0%1").arg(secs));
            s.Form_Activate();
        }
        const int nominal = s.clockminutes * 60 + s.clockseconds;
        const bool disabled = checkValue(options().CheckDisableMatchTimer) == 1;
        if (disabled || chance(50)) {
            key(Qt::Key_F5);
        } else {
            click(s.clocklabel);
        }
        EXPECT_TRUE(s.Timer2->isActive());
        const int ticks = runOut(s.Timer2, &PlayScreen::Timer2_Timer, nominal + 5);
        EXPECT_EQ(ticks, nominal + 1);
        EXPECT_EQ(s.namelabel->text(), QLatin1String(s.variant().clockExpiredWord));
        EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 0:00"));
        EXPECT_TRUE(s.porttimer->isActive()) << "polling runs after the clock";
        ++tally_.clockRuns;
        newQuestion();
    }

    // --- Scores ----------------------------------------------------------------

    void scoring() {
        PlayScreen& s = screen();
        SetupMenu& m = menu();
        auto& expected = scores_[pair()];
        const int steps = 4 + draw(12);
        for (int i = 0; i < steps; ++i) {
            if (chance(10)) {
                // Now and then the operator types another increment, a large
                // one (the boards run into the 16-bit limits) or a mistyped
                // one (the step is then nothing).
                static const char* const increments[] = {"1",     "2",   "5",    "10",   "15",
                                                         "20",    "25",  "-5",   "3000", "9999",
                                                         "32767", "abc", "70000"};
                m.textincrement[0]->setText(QString::fromLatin1(increments[draw(13)]));
            }
            const std::int16_t increment =
                numbers::textToInt16(m.textincrement[0]->text()).value_or(0);
            const int team = draw(teamsOf(pair()));
            long long step = 0;
            int times = 1;
            switch (draw(7)) {
            case 0:
            case 1: {
                const bool left = chance(60);
                click(s.scoreLabel(team), left ? Qt::LeftButton : Qt::RightButton);
                step = left ? increment : -increment;
                break;
            }
            case 2: {
                // A quick double-click on a board counts twice.
                PlayFixture::doubleClick(s.scoreLabel(team), Qt::LeftButton);
                step = increment;
                times = 2;
                break;
            }
            case 3:
            case 4: {
                TabButton* tens[] = {s.a10, s.b10, s.g10};
                TabButton* fives[] = {s.a5, s.b5, s.g5};
                const bool ten = chance(50);
                const bool left = chance(60);
                click(ten ? tens[team] : fives[team], left ? Qt::LeftButton : Qt::RightButton);
                step = (ten ? 10LL : 5LL) * increment * (left ? 1 : -1);
                break;
            }
            default: {
                // F1/F2 Alpha, F3/F4 Beta, F11/F12 Gamma.
                static const int up[] = {Qt::Key_F1, Qt::Key_F3, Qt::Key_F11};
                static const int down[] = {Qt::Key_F2, Qt::Key_F4, Qt::Key_F12};
                const bool add = chance(60);
                key(add ? up[team] : down[team]);
                step = add ? increment : -increment;
                break;
            }
            }
            for (int k = 0; k < times; ++k) {
                const long long sum = expected[team] + step;
                const long long kept = std::clamp<long long>(sum, -32768, 32767);
                if (kept != sum) ++tally_.saturatedSteps;
                expected[team] = static_cast<std::int16_t>(kept);
                ++tally_.scoreSteps;
            }
            ASSERT_EQ(s.score(team), expected[team]) << "team " << team << " step " << step;
            ASSERT_EQ(s.scoreLabel(team)->text(), QString::number(expected[team]));
        }
    }

    // --- Settings -------------------------------------------------------------

    // Fresh values everywhere a setup file reaches, for the given pair:
    // names unique to this generation, short timers, another increment,
    // sound source, colours and options.
    void newSettings(ScreenPair target) {
        ++generation_;
        TitleForm& title = formsOf(*t).titleForm();
        title.TeamText->setText(QString::number(teamsOf(target)));
        title.PlayerText->setText(QString::number(playersPerTeamOf(target)));
        SetupMenu& m = formsOf(*t).setupMenu(menuOf(target));
        for (int team = 0; team < 3; ++team)
            m.teamNameBox(team)->setText(QStringLiteral("Team %1.%2").arg(team).arg(generation_));
        for (int p = 1; p <= 3 * m.playersPerTeam(); ++p)
            m.playerNameBox(p)->setText(QStringLiteral("Player %1.%2").arg(p).arg(generation_));
        m.Texttimer[6]->setText(QStringLiteral("0:0%1").arg(draw(4)));
        for (int box = 7; box <= 10; ++box)
            m.Texttimer[box]->setText(QString::number(1 + draw(4)));
        m.textincrement[0]->setText(QString::number(1 + draw(20)));
        for (ScreenPair s : kAllScreens) {
            PlayScreen& screen = formsOf(*t).playScreen(s);
            screen.setScreenBackColour(colourFromBgr(draw(0x1000000)));
            screen.setScreenTextColour(colourFromBgr(draw(0x1000000)));
        }
        FormOptions& o = options();
        for (QCheckBox* box :
             {o.CheckScoringTabs, o.CheckTimerTabs, o.CheckBuzzonBonus, o.CheckTimerContinues,
              o.CheckDisableMatchTimer, o.CheckScoreBoard, o.Check20SecondTab}) {
            setCheckValue(box, draw(2));
        }
        if (wireless()) {
            setCheckValue(o.CheckPlayerWaiting, chance(25) ? 1 : 0);
            formsOf(*t).formextrax().Comboxmitter->setCurrentIndex(draw(13));
        }
        // Only while the list is open to the operator: the lock-up option and
        // the USB box hold it at the sound card.
        if (m.ComboSound->isEnabled()) m.ComboSound->setCurrentIndex(draw(3));
    }

    // Everything a setup file reaches, set to something else.
    void scramble() {
        TitleForm& title = formsOf(*t).titleForm();
        title.TeamText->setText(QStringLiteral("x"));
        title.PlayerText->setText(QStringLiteral("y"));
        for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
            SetupMenu& m = formsOf(*t).setupMenu(kind);
            for (int team = 0; team < 3; ++team)
                m.teamNameBox(team)->setText(QStringLiteral("scrambled"));
            for (int p = 1; p <= 3 * m.playersPerTeam(); ++p)
                m.playerNameBox(p)->setText(QStringLiteral("scrambled"));
            for (int box = 6; box <= 10; ++box)
                m.Texttimer[box]->setText(QStringLiteral("77"));
            m.textincrement[0]->setText(QStringLiteral("77"));
            m.ComboSound->setCurrentIndex((m.ComboSound->currentIndex() + 1) % 3);
        }
        for (ScreenPair s : kAllScreens) {
            PlayScreen& screen = formsOf(*t).playScreen(s);
            screen.setScreenBackColour(colourFromBgr(0x123456));
            screen.setScreenTextColour(colourFromBgr(0x654321));
        }
        FormOptions& o = options();
        for (QCheckBox* box :
             {o.CheckScoringTabs, o.CheckTimerTabs, o.CheckBuzzonBonus, o.CheckTimerContinues,
              o.CheckDisableMatchTimer, o.CheckScoreBoard, o.Check20SecondTab}) {
            setCheckValue(box, 1 - checkValue(box));
        }
        if (wireless()) {
            setCheckValue(o.CheckPlayerWaiting, 1 - checkValue(o.CheckPlayerWaiting));
            Formextrax& x = formsOf(*t).formextrax();
            x.Comboxmitter->setCurrentIndex((x.Comboxmitter->currentIndex() + 5) % 13);
        }
    }

    QString fileIn(const QString& name) const { return QDir(t.configDir.path()).filePath(name); }

    // Save As from the menu of the new pair, everything scrambled, Open
    // from either menu: the windows hold what was saved, and the screen pair
    // the file names is up.
    void saveAndOpen() {
        ScreenPair target = pair();
        if (chance(40)) target = anyAllowedScreen();
        saveAndOpen(target);
    }

    void saveAndOpen(ScreenPair target) {
        if (target != pair()) ++tally_.pairChanges;
        newSettings(target);
        const MenuKind from = menuOf(target);
        const QStringList before = setup::writerLines(*t, setup::Writer::SaveAs, from);

        const QString path = fileIn(QStringLiteral("soak%1.txt").arg(generation_));
        t.dialogs.saveAnswers = {path};
        formsOf(*t).setupMenu(from).mnuSaveAs->trigger();
        ++tally_.saves;
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = saved.readAll();
        saved.close();
        EXPECT_EQ(bytes, setup::fileBytes(before));

        scramble();
        const MenuKind opener = chance(50) ? MenuKind::Players4 : MenuKind::Players5;
        t.dialogs.openAnswers = {path};
        formsOf(*t).setupMenu(opener).mnuOpen->trigger();
        ++tally_.opens;
        EXPECT_EQ(pair(), target);
        EXPECT_TRUE(screen().isVisible());
        EXPECT_EQ(setup::writerLines(*t, setup::Writer::SaveAs, from), before)
            << "the settings opened are the settings saved";
        EXPECT_TRUE(QFile::remove(path));
        // The response timer lengths and the match time came back short.
        EXPECT_LE(countdown::readLength(menu().Texttimer[7]->text()), 4);
        newQuestion();
    }

    void saveStartupFile() {
        const QStringList lines = setup::writerLines(*t, setup::Writer::Save, menuOf(pair()));
        menu().mnuSave->trigger();
        ++tally_.saves;
        QFile saved(t->startupSetupFile());
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), setup::fileBytes(lines));
    }

public:
    // Declared before the program, which they outlive.
    RegisteredObjectHost host;
    SimulatedUsbModule module;
    TestProgram t;

private:
    std::mt19937 rng_;
    Tally& tally_;
    std::set<int> pressed_;
    std::set<PlayScreen*> watched_;
    int strayTicks_ = 0;
    std::map<ScreenPair, std::array<std::int16_t, 3>> scores_;
    int generation_ = 0;
};

// The offscreen platform says so each time a screen pair is raised; over a
// long run that would bury the figures.
QtMessageHandler defaultHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    defaultHandler(type, context, message);
}

void print(const char* what, const Footprint& f) {
    std::printf("[soak] %-9s RSS %6ld KiB, %3d open descriptors\n", what, f.rssKiB, f.fds);
}

}  // namespace

TEST(Soak, ALongMatchOnEveryModelLosesNothingAndHoldsItsFootprint) {
    long rounds = environmentNumber("TORVANEL_SOAK_ROUNDS", kDefaultRounds);
    if (kUnderAddressSanitizer && !std::getenv("TORVANEL_SOAK_ROUNDS")) rounds /= 3;
    const auto seed = static_cast<std::uint32_t>(environmentNumber("TORVANEL_SOAK_SEED", 8));
    const long warmUp = std::max(200L, rounds / 10);

    defaultHandler = qInstallMessageHandler(quietHandler);
    struct Restore {
        ~Restore() { qInstallMessageHandler(defaultHandler); }
    } restore;

    Tally tally;
    std::vector<std::unique_ptr<Rig>> rigs;
    for (int model : kModels) {
        rigs.push_back(
            std::make_unique<Rig>(model, seed + static_cast<std::uint32_t>(model), tally));
        rigs.back()->startUp();
        ASSERT_FALSE(HasFailure());
    }
    for (auto& rig : rigs)
        rig->prepare();
    ASSERT_FALSE(HasFailure());

    const auto started = std::chrono::steady_clock::now();
    Footprint start;
    std::vector<Footprint> samples;
    const long sampleEvery = std::max(1L, rounds / 10);
    for (long r = 0; r < rounds + warmUp; ++r) {
        rigs[static_cast<std::size_t>(r) % rigs.size()]->round();
        if (HasFailure()) {
            FAIL() << "stopped at round " << r;
        }
        // What the event loop does between two ticks, but for the timers,
        // which only the soak fires: paints, window-system requests and the
        // deletion of unloaded windows. Left to pile up they would look like
        // a leak.
        QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
        TestProgram::flushDeletes();
        if (r + 1 == warmUp) start = footprint();
        if (r >= warmUp && (r + 1 - warmUp) % sampleEvery == 0) samples.push_back(footprint());
    }
    for (auto& rig : rigs)
        rig->checkScores();
    const Footprint end = footprint();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("[soak] %ld rounds (+%ld warm-up) on models 170 180 199 200 210, seed %u, %.1f s\n",
                rounds, warmUp, seed, seconds);
    std::printf(
        "[soak] %ld presses, %ld names shown, %ld ties, %ld spare-transmitter presses, %ld "
        "second places, %ld presses while locked; %ld presses made while polling was off shown "
        "after the next clear\n",
        tally.presses, tally.shown, tally.ties, tally.extraTransmitter, tally.secondPlace,
        tally.lockedOutPresses, tally.heldOverClear);
    std::printf(
        "[soak] clears: %ld space, %ld click, %ld double-click; %ld timer runs, %ld match "
        "clocks; %ld score steps (%ld at a 16-bit limit); %ld saves, %ld opens, %ld screen "
        "pair changes\n",
        tally.clears[0], tally.clears[1], tally.clears[2], tally.timerRuns, tally.clockRuns,
        tally.scoreSteps, tally.saturatedSteps, tally.saves, tally.opens, tally.pairChanges);
    print("warmed up", start);
    for (std::size_t i = 0; i < samples.size(); ++i)
        std::printf("[soak]   after %5.0f %%: RSS %6ld KiB, %3d fds\n",
                    100.0 * double(i + 1) / double(samples.size()), samples[i].rssKiB,
                    samples[i].fds);
    print("end", end);
    RecordProperty("rounds", std::to_string(rounds));
    RecordProperty("rss_start_kib", std::to_string(start.rssKiB));
    RecordProperty("rss_end_kib", std::to_string(end.rssKiB));
    RecordProperty("fds_start", std::to_string(start.fds));
    RecordProperty("fds_end", std::to_string(end.fds));

    EXPECT_GT(tally.shown, rounds / 3) << "the match had its buzz-ins";
    for (auto& rig : rigs)
        EXPECT_EQ(rig->strayTicks(), 0) << "only the soak ticks the timers";
    EXPECT_LE(end.fds, start.fds) << "descriptors are not left open";
    for (auto& rig : rigs) {
        if (rig->model() == kUsb) {
            EXPECT_EQ(rig->usbHandles(), 2) << "the module's handles are reused, not piled up";
        }
    }
    if (kUnderAddressSanitizer) {
        std::printf(
            "[soak] resident set not judged under AddressSanitizer (its quarantine "
            "grows)\n");
    } else {
        EXPECT_LE(end.rssKiB - start.rssKiB, kRssAllowanceKiB)
            << "the resident set grew by " << (end.rssKiB - start.rssKiB) << " KiB";
    }
}
