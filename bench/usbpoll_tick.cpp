// How long one poll tick of the USB lockout holds the interface thread.
//
//   bench_usbpoll_tick [--ticks N] [--answer-us U]
//
// A real Play Screen 2_4 on model 199 polls through the real `usb` control,
// loaded from the plugin built with the program, against the simulated USB
// module set to answer each port read U microseconds (default 1000) after
// its command. Each of N ticks (default 1000) is timed on the monotonic
// clock around porttimer's handler: RD_P0, Find_USB_Device, RD_P0, with
// nobody pressing. The two 10 ms pauses after the port-read commands are
// the floor; a search that reopened the module every tick would show here.
//
// Needs a display (Xvfb, or QT_QPA_PLATFORM=offscreen).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "app/clock.h"
#include "app/pluginobjecthost.h"
#include "app/program.h"
#include "app/qtdialogs.h"
#include "app/random.h"
#include "bench/windowbench.h"
#include "play/playscreen.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"
#include "title/forms.h"

namespace {

// Nearest rank, in milliseconds.
double percentile(std::vector<double> seconds, double q) {
    std::sort(seconds.begin(), seconds.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * double(seconds.size())));
    return seconds[std::clamp<std::size_t>(rank, 1, seconds.size()) - 1] * 1e3;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int ticks = std::max(1, windowbench::argument(args, "--ticks", "1000").toInt());
    const int answerUs = std::max(0, windowbench::argument(args, "--answer-us", "1000").toInt());

    SteadyClock clock;
    SimulatedInterface box(199, clock);
    windowbench::Silence sound;
    QtDialogs dialogs;
    SeededRandom random(1);
    QTemporaryDir programDir;
    QTemporaryDir configDir;
    PluginObjectHost plugins({QStringLiteral(TORVANEL_USB_PLUGIN_DIR)});
    SimulatedUsbModule module;
    module.setAnswerDelay(std::chrono::microseconds(answerUs));

    Program program(box, clock, sound, dialogs, random,
                    ProgramPaths{programDir.path(), configDir.path()});
    Forms forms(program);
    program.setObjectHost(plugins);
    program.setUsbTransport(&module);
    program.state.PortAddress = 888;
    program.state.InterfaceModel = 199;

    PlayScreen& screen = formsOf(program).playScreen(ScreenPair::P2_4);
    screen.spacekey();  // armed: porttimer runs
    // The first tick creates the control and finds the module; not counted.
    screen.porttimer_Timer();
    if (module.openHandles() != 2) {
        std::fprintf(stderr, "the control did not open the simulated module (plugin in %s?)\n",
                     TORVANEL_USB_PLUGIN_DIR);
        return 1;
    }

    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(ticks));
    const int readsBefore = module.portReads();
    for (int i = 0; i < ticks; ++i) {
        const double start = clock.now();
        screen.porttimer_Timer();
        times.push_back(clock.now() - start);
    }
    if (!screen.porttimer->isActive() || module.portReads() - readsBefore != 2 * ticks) {
        std::fprintf(stderr, "the ticks did not poll as expected\n");
        return 1;
    }

    std::printf("USB poll tick, %d ticks, module answers after %d us, handles open %d\n", ticks,
                answerUs, module.openHandles());
    std::printf("  median %6.2f  p90 %6.2f  p99 %6.2f  max %6.2f ms  (floor: 2 x 10 ms)\n",
                percentile(times, 0.5), percentile(times, 0.9), percentile(times, 0.99),
                percentile(times, 1.0));
    return 0;
}
