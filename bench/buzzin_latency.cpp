// How long a buzz-in takes to reach the audience, on real timers.
//
//   bench_buzzin_latency [--presses N] [--model M] [--screen 2_4|2_5|3_4|3_5]
//                        [--min-delay MS] [--max-delay MS] [--idle S] [--seed N]
//                        [--record] [--buttons] [--live] [--live-clients N]
//                        [--live --hostile N]
//
// A real play screen (under Xvfb or with QT_QPA_PLATFORM=offscreen) polls
// the simulated box from its own porttimer in the event loop. A timer in the
// same loop presses a random player's button MS milliseconds after each
// clear, at a moment drawn at random between --min-delay (default 150) and
// --max-delay (default 350; two whole poll periods, so that the press falls
// at a uniformly random point of the poll's period). The time from the press
// until the screen has put the player's name into `namelabel`, and until
// `namelabel` is next painted, is taken for each of N presses (default 500);
// the operator's space bar then clears for the next. Last, the screen is left
// armed and untouched for S seconds (default 60) and the CPU time the
// process used meanwhile is measured.
//
// The name is seen the moment it is set: the screen sets the name, the
// team and the score board and then tells the sound card to play the team's
// sound; the sound output here stamps that call (and plays nothing). The
// poll's tick is seen through an event filter on porttimer and a slot
// connected after the screen's own, the port traffic through a stand-in
// between the screen and the box that stamps every access, the drawing
// through an event filter on namelabel. Nothing in the screen is changed
// for it.
//
// With --record every press is made twice, the same player after the same
// delay: once with the match record off, once with it on (the program's own
// recorder, writing to a record file in a temporary folder from its writer
// thread, as the program runs it). The figures are given for each,
// and the screen's own part of the road (from the poll's tick to the name
// painted) compared.
//
// With --live every press is made twice in the same way: once with the live
// page's hub not told of the match, once with it told (the hub serving the
// page on a loopback port from its own thread, with N feed clients, default
// 200, connected all along from a thread of their own, and, when chromium
// is installed, the page open in a headless chromium). The screen's own part
// is compared as with --record; the page's delay from the press to its name
// text changing is taken in the browser; and the armed idle is measured
// twice, with the N clients connected and with the page off.
//
// With --live --hostile N the live page is on for every press; the first
// half of the presses are made with no other connection to it, the second
// half with N hostile ones held open all along from eight loopback addresses
// (127.0.0.2 to 127.0.0.9), each a slowloris: half a request, a byte a
// second, and connecting again whenever the server closes it. The figures
// are given for each half.
//
// With --buttons (models 170 and 200) the box is the input box, and each
// press is a key event with the press's timestamp from a scripted input
// device: the same presses at the same moments, through the button road.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "app/clock.h"
#include "app/controls.h"
#include "app/program.h"
#include "app/random.h"
#include "app/soundoutput.h"
#include "bench/windowbench.h"
#include "buttons/inputbox.h"
#include "link/decoders.h"
#include "live/livehub.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "record/storerecorder.h"
#include "sim/simulatedinterface.h"
#include "support/scriptedpresssource.h"
#ifdef TORVANEL_BENCH_BROWSER
#include "support/headlessbrowser.h"
#include "title/forms.h"
#endif

namespace {

using windowbench::argument;
using windowbench::contextSwitches;
using windowbench::cpuSeconds;

// The sound card, as far as the screen can tell: it is told to play the
// team's wave file straight after the name, team and score board have been
// set, so the moment it is told is the moment the name is up. Nothing is
// played.
class StampingSound final : public SoundOutput {
public:
    explicit StampingSound(Clock& clock) : clock_(clock) {}
    bool available() override { return true; }
    void play(const QString&) override {
        if (onPlay) onPlay(clock_.now());
    }
    void stop() override {}
    std::function<void(double)> onPlay;

private:
    Clock& clock_;
};

// Answers every question with its way out and counts them: a message would
// mean a failed read, which must not pass unseen.
class CountingDialogs final : public Dialogs {
public:
    Answer message(const QString& text, const QString&, Icon, Buttons buttons) override {
        ++shown;
        std::printf("message: %s\n", qPrintable(text));
        return buttons == Buttons::RetryCancel ? Answer::Retry : Answer::Ok;
    }
    int choose(const QString& text, const QString&, Icon, const QStringList&,
               int escapeIndex) override {
        ++shown;
        std::printf("message: %s\n", qPrintable(text));
        return escapeIndex;
    }
    std::optional<QString> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    int shown = 0;
};

// The port as the screen sees it, with the time of its last access.
class StampedPort final : public PortLibrary {
public:
    StampedPort(PortLibrary& port, Clock& clock) : port_(port), clock_(clock) {}
    int version() override { return port_.version(); }
    std::uint16_t lptPortAddress(int n) override { return port_.lptPortAddress(n); }
    bool isWinNT() override { return port_.isWinNT(); }
    QString lastState() override { return port_.lastState(); }
    void outport(std::uint16_t address, std::uint8_t value) override {
        port_.outport(address, value);
        stamp();
    }
    std::uint8_t inport(std::uint16_t address) override {
        const std::uint8_t value = port_.inport(address);
        stamp();
        return value;
    }
    double lastAccess = 0.0;
    long accesses = 0;

private:
    void stamp() {
        lastAccess = clock_.now();
        ++accesses;
    }
    PortLibrary& port_;
    Clock& clock_;
};

// One press, stamped on the program's clock (seconds).
struct Press {
    int player = 0;
    double pressed = 0.0;
    double tickStart = -1.0;  // the poll that read the code
    double readDone = -1.0;   // the last port access before the name was set
    double nameSet = -1.0;
    double tickEnd = -1.0;
    double painted = -1.0;   // namelabel's next paint begins
    bool recorded = false;   // the match record (or with --live, the live page) was on
    bool hostile = false;    // with --hostile: the hostile connections were open
    qint64 pressedWall = 0;  // ms since the epoch, for the browser's clock
};

struct Stats {
    double median = 0.0;
    double p90 = 0.0;
    double p99 = 0.0;
    double max = 0.0;
    double mean = 0.0;
};

// Nearest-rank percentiles, in milliseconds.
Stats stats(std::vector<double> seconds) {
    Stats s;
    if (seconds.empty()) return s;
    std::sort(seconds.begin(), seconds.end());
    auto at = [&](double q) {
        const auto rank = static_cast<std::size_t>(std::ceil(q * double(seconds.size())));
        return seconds[std::clamp<std::size_t>(rank, 1, seconds.size()) - 1] * 1e3;
    };
    s.median = at(0.5);
    s.p90 = at(0.9);
    s.p99 = at(0.99);
    s.max = seconds.back() * 1e3;
    double sum = 0.0;
    for (double v : seconds)
        sum += v;
    s.mean = sum / double(seconds.size()) * 1e3;
    return s;
}

void printStats(const char* what, const std::vector<double>& seconds) {
    const Stats s = stats(seconds);
    std::printf("  %-34s median %7.2f  p90 %7.2f  p99 %7.2f  max %7.2f  mean %7.2f ms\n", what,
                s.median, s.p90, s.p99, s.max, s.mean);
}

ScreenPair screenArgument(const QString& text) {
    if (text == QLatin1String("2_5")) return ScreenPair::P2_5;
    if (text == QLatin1String("3_4")) return ScreenPair::P3_4;
    if (text == QLatin1String("3_5")) return ScreenPair::P3_5;
    return ScreenPair::P2_4;
}

// Stamps the start of porttimer's ticks and the paints of namelabel.
class Stamps final : public QObject {
public:
    Stamps(QObject* porttimer, QObject* namelabel, Clock& clock)
        : porttimer_(porttimer), namelabel_(namelabel), clock_(clock) {
        porttimer->installEventFilter(this);
        namelabel->installEventFilter(this);
    }
    Press* current = nullptr;
    double lastTickStart = -1.0;
    long ticks = 0;
    std::vector<double> tickTimes;  // kept only while `recordTicks`
    bool recordTicks = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == porttimer_ && event->type() == QEvent::Timer) {
            lastTickStart = clock_.now();
            ++ticks;
            if (recordTicks) tickTimes.push_back(lastTickStart);
        } else if (watched == namelabel_ && event->type() == QEvent::Paint) {
            if (current && current->nameSet >= 0 && current->painted < 0)
                current->painted = clock_.now();
        }
        return false;
    }

private:
    QObject* porttimer_;
    QObject* namelabel_;
    Clock& clock_;
};

// Feed clients of the live page, on a thread of their own so that reading
// them costs the window thread nothing: each asks for /events once and
// reads whatever comes.
class FeedClients final : public QObject {
public:
    void open(quint16 port, int count) {
        for (int i = 0; i < count; ++i) {
            auto* s = new QTcpSocket(this);
            connect(s, &QTcpSocket::connected, s,
                    [s] { s->write("GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"); });
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                const QByteArray in = s->readAll();
                events.fetchAndAddRelaxed(static_cast<int>(in.count("event: state")));
            });
            s->connectToHost(QHostAddress::LocalHost, port);
        }
    }
    void close() { qDeleteAll(findChildren<QTcpSocket*>()); }
    QAtomicInt events;
};

// Connections that ask for nothing, slowly, and come back when closed.
class HostileClients final : public QObject {
public:
    ~HostileClients() override {
        closing_ = true;
        qDeleteAll(findChildren<QTcpSocket*>());
    }
    void open(quint16 port, int count) {
        port_ = port;
        for (int i = 0; i < count; ++i)
            connectOne(i);
        auto* drip = new QTimer(this);
        connect(drip, &QTimer::timeout, this, [this] {
            for (QTcpSocket* s : findChildren<QTcpSocket*>())
                if (s->state() == QAbstractSocket::ConnectedState) s->write("X");
        });
        drip->start(1000);
    }
    QAtomicInt reconnects;

private:
    void connectOne(int i) {
        auto* s = new QTcpSocket(this);
        s->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i % 8)));
        connect(s, &QTcpSocket::connected, s, [s] { s->write("GET /state HTTP/1.1\r\nX-Slow: "); });
        connect(s, &QTcpSocket::disconnected, this, [this, s, i] {
            if (closing_) return;
            s->deleteLater();
            reconnects.fetchAndAddRelaxed(1);
            connectOne(i);
        });
        s->connectToHost(QHostAddress::LocalHost, port_);
    }
    quint16 port_ = 0;
    bool closing_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QApplication::arguments();
    const int presses = argument(args, "--presses", "500").toInt();
    const int model = argument(args, "--model", "180").toInt();
    const ScreenPair pair = screenArgument(argument(args, "--screen", "2_4"));
    const int minDelay = argument(args, "--min-delay", "150").toInt();
    const int maxDelay = argument(args, "--max-delay", "350").toInt();
    const int idle = argument(args, "--idle", "60").toInt();
    const unsigned seed = argument(args, "--seed", "1").toUInt();
    const bool recordSwitch = args.contains(QStringLiteral("--record"));
    const bool useButtons = args.contains(QStringLiteral("--buttons"));
    const bool liveSwitch = args.contains(QStringLiteral("--live"));
    const int liveClients = argument(args, "--live-clients", "200").toInt();
    const int hostile = argument(args, "--hostile", "0").toInt();
    if (hostile > 0 && !liveSwitch) {
        std::fprintf(stderr, "--hostile: with --live\n");
        return 2;
    }
    if (recordSwitch && liveSwitch) {
        std::fprintf(stderr, "--record and --live: one at a time\n");
        return 2;
    }
    const bool pairs = (recordSwitch || liveSwitch) && hostile == 0;
    if (!SimulatedInterface::isKnownModel(model) || model == 199 ||
        (useButtons && !buttons::InputBox::isInputModel(model))) {
        std::fprintf(stderr, "--model: 170, 180, 200 or 210 (170 or 200 with --buttons)\n");
        return 2;
    }

    SteadyClock clock;
    SeededRandom random(seed);
    // With --buttons: one pad whose key 288 + p - 1 is player p.
    buttons::ScriptedPressSource pad;
    buttons::DeviceInfo padInfo;
    padInfo.id = 1;
    padInfo.identity = {0x1209, 0x4d42, QStringLiteral("PAD"), QString()};
    padInfo.name = QStringLiteral("Buzzer pad");
    std::unique_ptr<SimulatedInterface> boxOwner;
    if (useButtons) {
        auto input = std::make_unique<buttons::InputBox>(model, clock, pad, random);
        buttons::ButtonAssignment a;
        for (int p = 1; p <= 15; ++p)
            a.bind(padInfo.identity, padInfo.name, 287 + p, p);
        input->setAssignment(a);
        pad.plug(padInfo);
        boxOwner = std::move(input);
    } else {
        boxOwner = std::make_unique<SimulatedInterface>(model, clock);
    }
    SimulatedInterface& box = *boxOwner;
    StampedPort port(box, clock);
    StampingSound sound(clock);
    CountingDialogs dialogs;
    QTemporaryDir programDir;
    QTemporaryDir configDir;
    // Before the program: recorders outlive the windows.
    QTemporaryDir recordDir;
    record::StoreRecorder store(clock, {recordDir.path()});
    record::NoRecorder noRecorder;
    Program program(port, clock, sound, dialogs, random,
                    ProgramPaths{programDir.path(), configDir.path()});
    Forms forms(program);
    program.state.PortAddress = 888;
    program.state.InterfaceModel = static_cast<std::int16_t>(model);

    PlayScreen& s = formsOf(program).playScreen(pair);
    SetupMenu& menu = formsOf(program).setupMenu(menuOf(pair));
    const int players = teamsOf(pair) * playersPerTeamOf(pair);
    for (int team = 0; team < teamsOf(pair); ++team)
        menu.teamNameBox(team)->setText(QStringLiteral("Team %1").arg(team + 1));
    for (int p = 1; p <= players; ++p)
        menu.playerNameBox(p)->setText(QStringLiteral("Player %1").arg(p));
    // "Both": the speaker's bytes go to the box and the sound card is told
    // to play (which stamps the name).
    menu.ComboSound->setCurrentIndex(2);
    s.showScreen();
    QCoreApplication::processEvents();
    std::printf("platform %s, %s %dx%d, model %d%s, %d presses %d-%d ms after each clear%s\n",
                qPrintable(QGuiApplication::platformName()), qPrintable(screenName(pair)),
                s.width(), s.height(), model, useButtons ? " (input box)" : "", presses, minDelay,
                maxDelay,
                recordSwitch  ? ", each with the record off and on"
                : hostile > 0 ? ", the live page on, hostile connections for the second half"
                : liveSwitch  ? ", each with the live page off and on"
                              : "");

    // The live page: served from its own thread, followed by the feed
    // clients and by a real browser.
    std::unique_ptr<live::LiveHub> hub;
    QThread feedThread;
    FeedClients* feeds = nullptr;
    HostileClients* hostiles = nullptr;
#ifdef TORVANEL_BENCH_BROWSER
    std::unique_ptr<HeadlessBrowser> browser;
#endif
    if (liveSwitch) {
        hub = std::make_unique<live::LiveHub>();
        live::ServeChoice choice;
        choice.port = 0;
        // The clients all come from this machine at once.
        choice.limits.requestBurst = liveClients + 20;
        choice.limits.maxConnections = liveClients + 20 + hostile;
        choice.limits.maxConnectionsPerAddress = liveClients + 20;
        if (auto failed = hub->serve(choice)) {
            std::fprintf(stderr, "live page: %s\n", qPrintable(*failed));
            return 1;
        }
        program.setRecorder(*hub);
        s.recordMatchStarted(QStringLiteral("start-up"));
        program.setRecorder(noRecorder);
        int following = 0;
        QObject::connect(hub.get(), &live::LiveHub::feedClientsChanged, &app,
                         [&following](int n) { following = n; });
        feeds = new FeedClients;
        feeds->moveToThread(&feedThread);
        hostiles = new HostileClients;
        hostiles->moveToThread(&feedThread);
        feedThread.start();
        QMetaObject::invokeMethod(
            feeds, [feeds, port = hub->port(), liveClients] { feeds->open(port, liveClients); });
        QElapsedTimer waited;
        waited.start();
        while (following < liveClients && waited.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("live page on port %u: %d feed clients connected\n", hub->port(), following);
#ifdef TORVANEL_BENCH_BROWSER
        browser = std::make_unique<HeadlessBrowser>();
        QString error;
        if (!browser->start(QStringLiteral("http://127.0.0.1:%1/").arg(hub->port()), &error) ||
            !browser->waitFor(QStringLiteral("!!document.getElementById('team1')"), true, 20000)) {
            std::printf("no browser: %s\n", qPrintable(error));
            browser.reset();
        } else {
            // Every change of the name on the page, stamped by the browser.
            browser->evaluate(QStringLiteral(
                "window.changes = []; new MutationObserver(() => window.changes.push("
                "[Date.now(), document.getElementById('name').textContent])).observe("
                "document.getElementById('name'), {childList: true, characterData: true, "
                "subtree: true}); true"));
        }
#else
        std::printf("no browser: built without the test support\n");
#endif
    }

    if (recordSwitch) {
        // The record holds a match from here on, as after the program's start.
        program.setRecorder(store);
        s.recordMatchStarted(QStringLiteral("start-up"));
        program.setRecorder(noRecorder);
    }
    auto recordSize = [&] {
        store.flush();
        const QString file = record::recordFile(recordDir.path());
        return QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size();
    };

    std::vector<Press> done;
    done.reserve(static_cast<std::size_t>(presses));
    Press current;
    Stamps stamps(s.porttimer, s.namelabel, clock);
    stamps.current = &current;
    sound.onPlay = [&](double now) {
        // The first call of a buzz-in (model 200 on two of the screens
        // decodes, and plays, twice).
        if (current.pressed > 0 && current.nameSet < 0) {
            current.nameSet = now;
            current.readDone = port.lastAccess;
            current.tickStart = stamps.lastTickStart;
        }
    };

    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> delay(minDelay, std::max(minDelay, maxDelay - 1));
    std::uniform_int_distribution<int> anyone(1, players);
    int lost = 0;
    QEventLoop loop;

    auto spacebar = [&] {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&s, &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&s, &up);
    };
    QTimer pressTimer;
    pressTimer.setSingleShot(true);
    pressTimer.setTimerType(Qt::PreciseTimer);
    QTimer giveUp;  // a press that never shows
    giveUp.setSingleShot(true);
    giveUp.setInterval(2000);
    QTimer settle;  // the paint after the name, before the clear
    settle.setSingleShot(true);
    settle.setTimerType(Qt::PreciseTimer);
    settle.setInterval(40);

    const int total = pairs ? 2 * presses : presses;
    int made = 0;
    int player = 0;
    int pause = 0;
    auto nextQuestion = [&] {
        spacebar();
        current = Press{};
        if (made >= total) {
            loop.quit();
            return;
        }
        // With --record the second of each pair repeats the first with the
        // record on.
        current.recorded = pairs && made % 2 == 1;
        if (hostile > 0 && made == total / 2) {
            QMetaObject::invokeMethod(hostiles, [hostiles, port = hub->port(), hostile] {
                hostiles->open(port, hostile);
            });
        }
        current.hostile = hostile > 0 && made >= total / 2;
        if (!current.recorded) {
            player = anyone(rng);
            pause = delay(rng);
        }
        ++made;
        current.player = player;
        record::MatchRecorder& on = liveSwitch ? static_cast<record::MatchRecorder&>(*hub)
                                               : static_cast<record::MatchRecorder&>(store);
        program.setRecorder(current.recorded || hostile > 0 ? on : noRecorder);
        pressTimer.start(pause);
    };
    QObject::connect(&pressTimer, &QTimer::timeout, [&] {
        const int input = box.inputOfPlayer(pair, current.player);
        current.pressed = clock.now();
        current.pressedWall = QDateTime::currentMSecsSinceEpoch();
        if (useButtons) {
            const auto at = static_cast<std::int64_t>(std::llround(current.pressed * 1e6));
            pad.key(padInfo.id, 287 + current.player, at, buttons::kKeyDown);
            pad.key(padInfo.id, 287 + current.player, at + 80000, buttons::kKeyUp);
        } else {
            box.press(input);
            box.release(input);
        }
        giveUp.start();
    });
    // After the screen's own handler: the tick that read the code is over.
    QObject::connect(s.porttimer, &QTimer::timeout, [&] {
        if (current.nameSet >= 0 && current.tickEnd < 0) {
            current.tickEnd = clock.now();
            giveUp.stop();
            settle.start();
        }
    });
    QObject::connect(&settle, &QTimer::timeout, [&] {
        if (s.namelabel->text() != menu.playerNameBox(current.player)->text()) {
            std::printf("press %zu: player %d pressed, \"%s\" shown\n", done.size() + 1,
                        current.player, qPrintable(s.namelabel->text()));
            ++lost;
        } else {
            done.push_back(current);
        }
        nextQuestion();
    });
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        std::printf("press %zu: player %d not seen within 2 s (\"%s\" shown, name set %d)\n",
                    done.size() + 1, current.player, qPrintable(s.namelabel->text()),
                    current.nameSet >= 0);
        ++lost;
        nextQuestion();
    });

    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(0, nextQuestion);
    loop.exec();
    const double runSeconds = wall.elapsed() / 1e3;

    std::printf("%zu presses shown, %d lost, %d messages, %.1f s\n", done.size(), lost,
                dialogs.shown, runSeconds);
    // The figures of one group of presses; returns the screen's own part
    // (poll tick start -> namelabel painted).
    auto report = [](const std::vector<Press>& group) {
        std::vector<double> toName, toPaint, wait, read, show, restOfTick, toPainting, own;
        for (const Press& p : group) {
            toName.push_back(p.nameSet - p.pressed);
            if (p.painted >= 0) {
                toPaint.push_back(p.painted - p.pressed);
                toPainting.push_back(p.painted - p.tickEnd);
                own.push_back(p.painted - p.tickStart);
            }
            wait.push_back(p.tickStart - p.pressed);
            read.push_back(p.readDone - p.tickStart);
            show.push_back(p.nameSet - p.readDone);
            restOfTick.push_back(p.tickEnd - p.nameSet);
        }
        std::printf("press -> name in namelabel:\n");
        printStats("total", toName);
        printStats("  waiting for the next poll", wait);
        printStats("  poll and read (sdata, 2nd byte)", read);
        printStats("  decode, name set", show);
        std::printf("after the name:\n");
        printStats("  rest of the tick (lamp, sound)", restOfTick);
        printStats("  tick end -> namelabel painted", toPainting);
        printStats("press -> namelabel painted", toPaint);
        printStats("poll tick -> namelabel painted", own);
        std::printf("  (%zu of the %zu names painted within 40 ms of the tick)\n", toPaint.size(),
                    group.size());
        return stats(own);
    };
    if (hostile > 0) {
        std::vector<Press> none, held;
        for (const Press& p : done)
            (p.hostile ? held : none).push_back(p);
        std::printf("--- live page on, no hostile connections (%zu presses)\n", none.size());
        const Stats a = report(none);
        std::printf(
            "--- live page on, %d hostile connections held (%zu presses; %d closed by the "
            "server and opened again)\n",
            hostile, held.size(), int(hostiles->reconnects.loadRelaxed()));
        const Stats b = report(held);
        std::printf(
            "screen's own part, median: none %.3f ms, hostile %.3f ms, difference %+.3f ms\n",
            a.median, b.median, b.median - a.median);
    } else if (!pairs) {
        report(done);
    } else if (liveSwitch) {
        std::vector<Press> off, on;
        for (const Press& p : done)
            (p.recorded ? on : off).push_back(p);
        std::printf("--- live page off (%zu presses)\n", off.size());
        const Stats a = report(off);
        std::printf("--- live page on, %d feed clients (%zu presses)\n", liveClients, on.size());
        const Stats b = report(on);
        std::printf(
            "screen's own part, median: off %.3f ms, on %.3f ms, difference %+.3f ms "
            "(allowed 0.100): %s\n",
            a.median, b.median, b.median - a.median,
            b.median - a.median <= 0.1 ? "within" : "OVER");
        std::printf("screen's own part, p90:    off %.3f ms, on %.3f ms, difference %+.3f ms\n",
                    a.p90, b.p90, b.p90 - a.p90);
#ifdef TORVANEL_BENCH_BROWSER
        if (browser) {
            const QJsonArray changes =
                QJsonDocument::fromJson(
                    browser->evaluate(QStringLiteral("JSON.stringify(window.changes)"))
                        .toString()
                        .toUtf8())
                    .array();
            std::vector<double> delays;
            for (const Press& p : on) {
                const QString name = menu.playerNameBox(p.player)->text();
                for (const QJsonValue& c : changes) {
                    const qint64 at = c[0].toInteger();
                    if (at >= p.pressedWall && c[1].toString() == name) {
                        delays.push_back(double(at - p.pressedWall) / 1e3);
                        break;
                    }
                }
            }
            std::printf("press -> name on the page in chromium (%zu of %zu seen; ms clock):\n",
                        delays.size(), on.size());
            printStats("  page text changed", delays);
        }
#endif
        std::printf("feed clients received %d state events\n", feeds->events.loadRelaxed());
        program.setRecorder(noRecorder);
    } else {
        std::vector<Press> off, on;
        for (const Press& p : done)
            (p.recorded ? on : off).push_back(p);
        std::printf("--- match record off (%zu presses)\n", off.size());
        const Stats a = report(off);
        std::printf("--- match record on (%zu presses; %ld events written, %lld bytes)\n",
                    on.size(), long(store.currentEvents().size()),
                    static_cast<long long>(recordSize()));
        const Stats b = report(on);
        // The record may cost the screen's own part 10 % or 0.1 ms, whichever
        // is more.
        const double allowed = std::max(a.median * 0.10, 0.1);
        std::printf(
            "screen's own part, median: off %.3f ms, on %.3f ms, difference %+.3f ms "
            "(allowed %.3f): %s\n",
            a.median, b.median, b.median - a.median, allowed,
            b.median - a.median <= allowed ? "within" : "OVER");
        std::printf("screen's own part, p90:    off %.3f ms, on %.3f ms, difference %+.3f ms\n",
                    a.p90, b.p90, b.p90 - a.p90);
        program.setRecorder(noRecorder);
    }

    // The cost of drawing: namelabel repainted at once, and the whole screen
    // drawn into an image.
    {
        s.namelabel->setText(menu.playerNameBox(1)->text());
        QCoreApplication::processEvents();
        constexpr int kRepaints = 200;
        std::vector<double> label, whole;
        for (int i = 0; i < kRepaints; ++i) {
            double t = clock.now();
            s.namelabel->repaint();
            label.push_back(clock.now() - t);
            t = clock.now();
            (void)s.grab();
            whole.push_back(clock.now() - t);
        }
        std::printf("drawing, synchronous repaint:\n");
        printStats("  namelabel", label);
        printStats("  whole screen (into an image)", whole);
        spacebar();
    }

    // Armed and waiting: porttimer polls the box, nobody presses.
    QCoreApplication::processEvents();
    const long ticks0 = stamps.ticks;
    const long accesses0 = port.accesses;
    stamps.recordTicks = true;
    const double cpu0 = cpuSeconds();
    const long switches0 = contextSwitches();
    wall.restart();
    {
        QEventLoop idleLoop;
        QTimer::singleShot(idle * 1000, Qt::PreciseTimer, &idleLoop, &QEventLoop::quit);
        idleLoop.exec();
    }
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = wall.elapsed() / 1e3;
    std::vector<double> intervals;
    for (std::size_t i = 1; i < stamps.tickTimes.size(); ++i)
        intervals.push_back(stamps.tickTimes[i] - stamps.tickTimes[i - 1]);
    std::printf(
        "armed %.1f s: %ld polls (%ld port accesses), CPU %.3f s = %.3f %% of one core, "
        "%ld context switches\n",
        seconds, stamps.ticks - ticks0, port.accesses - accesses0, cpu, cpu / seconds * 100.0,
        contextSwitches() - switches0);
    printStats("  poll interval", intervals);
    if (liveSwitch) {
        std::printf("  (with the live page served to %d idle feed clients%s)\n", liveClients,
#ifdef TORVANEL_BENCH_BROWSER
                    browser ? " and the page open in chromium" : ""
#else
                    ""
#endif
        );
        QMetaObject::invokeMethod(
            feeds, [feeds] { feeds->close(); }, Qt::BlockingQueuedConnection);
        // Closed with the thread that holds them.
        QMetaObject::invokeMethod(
            hostiles, [hostiles] { delete hostiles; }, Qt::BlockingQueuedConnection);
        hub->stopServing();
#ifdef TORVANEL_BENCH_BROWSER
        browser.reset();
#endif
        QCoreApplication::processEvents();
        const double cpuOff0 = cpuSeconds();
        wall.restart();
        QEventLoop offLoop;
        QTimer::singleShot(idle * 1000, Qt::PreciseTimer, &offLoop, &QEventLoop::quit);
        offLoop.exec();
        const double cpuOff = cpuSeconds() - cpuOff0;
        const double offSeconds = wall.elapsed() / 1e3;
        std::printf("armed %.1f s, live page off: CPU %.3f s = %.3f %% of one core\n", offSeconds,
                    cpuOff, cpuOff / offSeconds * 100.0);
        feedThread.quit();
        feedThread.wait();
        delete feeds;
    }
    return lost == 0 && dialogs.shown == 0 ? 0 : 1;
}
