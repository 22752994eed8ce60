// What the button check costs while nobody presses.
//
//   bench_buttoncheck_cpu [--model M] [--screen 2_4|2_5|3_4|3_5] [--idle S]
//
// Opens the button check on a real play screen and set-up menu (under Xvfb
// or with QT_QPA_PLATFORM=offscreen) over the simulated box of model M
// (default 180), lets it poll on its real 100 ms timer for S seconds
// (default 60) and prints how many polls ran and the CPU time the process
// used meanwhile, as a share of one core. The box's write log is emptied
// after every poll so that it does not grow.
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench/windowbench.h"
#include "check/buttoncheckwindow.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "sim/simulatedinterface.h"
#include "title/forms.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int model = windowbench::argument(args, "--model", "180").toInt();
    const QString screenArg = windowbench::argument(args, "--screen", "2_4");
    const double idle = windowbench::argument(args, "--idle", "60").toDouble();

    ScreenPair pair = ScreenPair::P2_4;
    for (ScreenPair s : kAllScreens) {
        if (screenName(s).endsWith(screenArg)) pair = s;
    }

    windowbench::QuietProgram quiet(model);
    SimulatedInterface& box = quiet.box;
    Program& program = quiet.program;
    program.state.InterfaceModel = static_cast<std::int16_t>(model);

    PlayScreen& screen = formsOf(program).playScreen(pair);
    screen.show();
    SetupMenu& menu = formsOf(program).setupMenu(menuOf(pair));
    menu.show();
    ButtonCheckWindow window(program, menu, screen);
    window.show();

    long polls = 0;
    QObject::connect(window.pollTimer(), &QTimer::timeout, [&] {
        ++polls;
        box.clearLog();
    });
    // Let the windows settle before measuring.
    {
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu0 = windowbench::cpuSeconds();
    const long wake0 = windowbench::contextSwitches();
    QElapsedTimer wall;
    wall.start();
    polls = 0;
    {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(idle * 1000), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = windowbench::cpuSeconds() - cpu0;
    const double seconds = wall.elapsed() / 1e3;
    std::printf(
        "button check, model %d on %s, nobody pressing %.1f s: %ld polls, CPU %.3f s = %.2f %% "
        "of one core, %ld context switches\n",
        model, qPrintable(screenName(pair)), seconds, polls, cpu, cpu / seconds * 100.0,
        windowbench::contextSwitches() - wake0);
    window.close();
    return 0;
}
