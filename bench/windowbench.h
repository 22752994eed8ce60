// What the window programs of bench/ share: reading their options, the
// process's own CPU time and wake-ups, a sound card that stays quiet, and a
// whole program on real time and a simulated wired box.
#pragma once

#include <sys/resource.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/clock.h"
#include "app/program.h"
#include "app/qtdialogs.h"
#include "app/random.h"
#include "app/soundoutput.h"
#include "sim/simulatedinterface.h"
#include "title/forms.h"

namespace windowbench {

// The value after NAME on the command line, else FALLBACK.
inline QString argument(const QStringList& args, const char* name, const char* fallback) {
    const int i = args.indexOf(QString::fromLatin1(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString::fromLatin1(fallback);
}

// User and system CPU seconds this process has used.
inline double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

// Context switches so far, voluntary and not: how often the process woke.
inline long contextSwitches() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw + u.ru_nivcsw;
}

class Silence final : public SoundOutput {
public:
    bool available() override { return false; }
    void play(const QString&) override {}
    void stop() override {}
};

// The program on the steady clock, with a model 180 box at the usual
// address, real message boxes, no sound and throw-away folders.
struct QuietProgram {
    SteadyClock clock;
    SimulatedInterface box{180, clock};
    Silence sound;
    QtDialogs dialogs;
    SeededRandom random{1};
    QTemporaryDir programDir;
    QTemporaryDir configDir;
    Program program{box,     clock,  sound,
                    dialogs, random, ProgramPaths{programDir.path(), configDir.path()}};
    Forms forms{program};

    explicit QuietProgram(int model = 180) : box{model, clock} { program.state.PortAddress = 888; }
};

}  // namespace windowbench
