// A match played through the real play screen and the simulated box, with
// the real match record, until it is killed. Started by the kill test: it
// prints, as each event is recorded, "E <monotonic seconds> <kind> <scores>"
// (the boards after the event), and once the screens are up and any
// interrupted match has been resumed, "R <scores>". It is killed, so it
// leaves nothing of its own behind: its program and settings folders are
// made in a folder the test owns.
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <QApplication>
#include <QDir>

#include "app/clock.h"
#include "app/program.h"
#include "app/random.h"
#include "play/playscreen.h"
#include "record/recordui.h"
#include "record/storerecorder.h"
#include "sim/simulatedinterface.h"
#include "support/recordingsound.h"
#include "support/scripteddialogs.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

double monotonic() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RECORD-FOLDER SEED SCRATCH-FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    std::mt19937 rng(unsigned(std::atoi(argv[2])));
    const QDir scratch(QString::fromLocal8Bit(argv[3]));
    const QString programDir = scratch.filePath(QStringLiteral("program"));
    const QString configDir = scratch.filePath(QStringLiteral("config"));
    if (!QDir().mkpath(programDir) || !QDir().mkpath(configDir)) {
        std::fprintf(stderr, "cannot make folders in %s\n", argv[3]);
        return 2;
    }

    SteadyClock clock;
    record::StoreRecorder store(clock, {folder});
    SimulatedInterface box(170, clock, 888);
    RecordingSound sound;
    ScriptedDialogs dialogs;
    SeededRandom random{std::uint32_t(rng())};
    Program program(box, clock, sound, dialogs, random, {programDir, configDir});
    Forms forms(program);
    program.setEndHandler([] { std::_Exit(3); });
    record::MatchRecord matchRecord(program);
    matchRecord.useStore(store);

    PlayScreen* screen = nullptr;
    auto boards = [&] {
        return screen ? QStringLiteral("%1 %2").arg(screen->ascorelabel->text(),
                                                    screen->bscorelabel->text())
                      : QStringLiteral("0 0");
    };
    store.setListener([&](const record::RecordedEvent& e) {
        std::printf("E %.6f %s %s\n", monotonic(), qPrintable(record::kindName(e.kind)),
                    qPrintable(boards()));
        std::fflush(stdout);
    });

    QApplication::setQuitOnLastWindowClosed(false);
    if (!formsOf(program).titleForm().startUp()) return 4;
    screen = &formsOf(program).playScreen(ScreenPair::P2_4);
    dialogs.answers.push_back(Dialogs::Answer::Yes);
    matchRecord.offerResume();
    std::printf("R %s\n", qPrintable(boards()));
    std::fflush(stdout);

    // The operator and the players, at random, until the end comes.
    std::uniform_int_distribution<int> action(0, 9), player(1, 8), team(0, 1), pause(10, 120);
    for (;;) {
        switch (action(rng)) {
        case 0:
        case 1:
            if (screen->porttimer->isActive()) screen->porttimer_Timer();
            box.press(player(rng));
            if (screen->porttimer->isActive()) screen->porttimer_Timer();
            break;
        case 2:
        case 3:
        case 4:
            screen->score_MouseDown(team(rng), (rng() % 2) ? 1 : 5,
                                    (rng() % 4) ? Qt::LeftButton : Qt::RightButton);
            break;
        case 5: screen->undoScore(); break;
        case 6:
        case 7: screen->Form_KeyDown(32); break;
        case 8: screen->Form_KeyDown(rng() % 2 ? 116 : 117); break;  // F5, F6
        default: screen->Timer2_Timer(); break;
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(rng)));
    }
}
