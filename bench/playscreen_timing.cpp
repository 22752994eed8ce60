// How well the play screen keeps time, and what it costs while it waits.
//
//   bench_playscreen_timing [--timeout S] [--clock M:SS] [--idle S]
//
// Runs on a real play screen with real timers (under Xvfb or with
// QT_QPA_PLATFORM=offscreen):
//   1. a time-out of S seconds (default 60) started with F6, timed from the
//      key to "Timer Expired";
//   2. the match clock from M:SS (default 2:00) started with F5, timed to the
//      tick that shows 0:00 and to the tick after, when it runs out;
//   3. the screen armed (name cleared, polling on) for S seconds (default 60),
//      with the CPU time the process used meanwhile.
// Every tick is stamped on the monotonic clock; the drift is how far the
// count-down's end lies from its nominal length, the jitter how far any one
// tick strayed from its nominal second.
//
// The poll of the interface is not part of the screen itself; for step 3 a
// stand-in does the poll's port traffic on the simulated box (one write, two
// reads of the status every tick), so the figure includes it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include "app/clock.h"
#include "app/program.h"
#include "app/soundoutput.h"
#include "bench/windowbench.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "sim/simulatedinterface.h"
#include "title/forms.h"

namespace {

using windowbench::argument;
using windowbench::contextSwitches;
using windowbench::cpuSeconds;

// Stamps of the ticks of a count-down, from its start.
struct Run {
    double start = 0.0;
    std::vector<double> ticks;

    double worstJitter() const {
        double worst = 0.0;
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            worst = std::max(worst, std::abs(ticks[k] - start - double(k + 1)));
        }
        return worst;
    }
};

// Runs the event loop until a tick of the timer finds the condition met;
// nothing else wakes the program meanwhile.
void runUntil(QTimer* timer, const std::function<bool()>& done) {
    QEventLoop loop;
    auto check = QObject::connect(timer, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    loop.exec();
    QObject::disconnect(check);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QApplication::arguments();
    const int timeout = argument(args, "--timeout", "60").toInt();
    const QString matchTime = argument(args, "--clock", "2:00");
    const int idle = argument(args, "--idle", "60").toInt();

    windowbench::QuietProgram quiet;
    Program& program = quiet.program;
    SteadyClock& clock = quiet.clock;
    SimulatedInterface& box = quiet.box;

    PlayScreen& s = formsOf(program).playScreen(ScreenPair::P2_4);
    SetupMenu& menu = formsOf(program).setupMenu(MenuKind::Players4);
    menu.ComboSound->setCurrentIndex(1);  // no speaker bytes to muddle the log
    s.showScreen();
    QCoreApplication::processEvents();
    std::printf("platform %s, screen %dx%d\n", qPrintable(QGuiApplication::platformName()),
                s.width(), s.height());

    // 1. Time-out.
    menu.Texttimer[9]->setText(QString::number(timeout));
    Run out;
    auto stampOut =
        QObject::connect(s.Timer1, &QTimer::timeout, [&] { out.ticks.push_back(clock.now()); });
    s.spacekey();
    out.start = clock.now();
    s.Form_KeyDown(117);  // F6
    runUntil(s.Timer1, [&] { return !s.Timer1->isActive(); });
    QObject::disconnect(stampOut);
    const double outLength = out.ticks.back() - out.start;
    std::printf(
        "time-out %d s: %zu ticks, \"%s\" after %.4f s, drift %+.1f ms, worst tick %.1f ms "
        "off\n",
        timeout, out.ticks.size(), qPrintable(s.namelabel->text()), outLength,
        (outLength - timeout) * 1e3, out.worstJitter() * 1e3);

    // 2. Match clock.
    menu.Texttimer[6]->setText(matchTime);
    s.Form_Activate();
    const int nominal = s.clockminutes * 60 + s.clockseconds;
    Run match;
    double zeroShown = -1.0;
    auto stampClock = QObject::connect(s.Timer2, &QTimer::timeout, [&] {
        match.ticks.push_back(clock.now());
        if (zeroShown < 0 && s.clocklabel->text() == QLatin1String(" 0:00")) {
            zeroShown = match.ticks.back();
        }
    });
    match.start = clock.now();
    s.Form_KeyDown(116);  // F5
    runUntil(s.Timer2, [&] { return !s.Timer2->isActive(); });
    QObject::disconnect(stampClock);
    const double clockLength = zeroShown - match.start;
    const double expiredAt = match.ticks.back() - match.start;
    std::printf(
        "match clock %s: 0:00 shown after %.4f s (drift %+.1f ms), \"%s\" after %.4f s "
        "(drift %+.1f ms), worst tick %.1f ms off\n",
        qPrintable(matchTime), clockLength, (clockLength - nominal) * 1e3,
        qPrintable(s.namelabel->text()), expiredAt, (expiredAt - nominal - 1) * 1e3,
        match.worstJitter() * 1e3);

    // 3. Armed and waiting.
    long polls = 0;
    QObject::connect(s.porttimer, &QTimer::timeout, [&] {
        ++polls;
        box.outport(888, 19);
        (void)box.inport(889);
        (void)box.inport(889);
        box.clearLog();
    });
    s.spacekey();
    const double cpu0 = cpuSeconds();
    const long wake0 = contextSwitches();
    QElapsedTimer wall;
    wall.start();
    {
        QEventLoop loop;
        QTimer::singleShot(idle * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = wall.elapsed() / 1e3;
    std::printf("armed %.1f s: %ld polls, CPU %.3f s = %.2f %% of one core, %ld context switches\n",
                seconds, polls, cpu, cpu / seconds * 100.0, contextSwitches() - wake0);
    return 0;
}
