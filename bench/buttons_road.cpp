// The whole road of buttons on input devices, on real timers, for looking at
// and for screenshots:
//
//   bench_buttons_road [--hold S] [--shot FILE]
//
// A program on the input box, model 200, two teams of four, with two
// scripted pads standing in for /dev/input (pad A: One to Four, pad B: Five
// to Eight). The operator's Match > Assign Buttons is chosen, each player's
// button is pressed in turn and the assignment saved; then the play screen
// is armed with the space bar and three buttons go down a few milliseconds
// apart, the earliest on the pad that is read last. The play screen's own
// porttimer polls the box; the bit-serial read, the decoder and the
// second-place lock-up do the rest. When a name is on the screen it is
// printed with the operator's line, FILE (if given) gets a picture of the
// whole display, and the windows stay up S seconds (default 10).
#include <cmath>
#include <cstdio>
#include <functional>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/controls.h"
#include "bench/windowbench.h"
#include "buttons/assignbuttons.h"
#include "buttons/inputbuttons.h"
#include "menu/setupmenu.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "shell/capabilities.h"
#include "support/scriptedpresssource.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

// Answers Yes to everything: the program's questions are the operator's.
class YesDialogs final : public Dialogs {
public:
    Answer message(const QString& text, const QString&, Icon, Buttons buttons) override {
        std::printf("message: %s\n", qPrintable(text));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
    }
    int choose(const QString& text, const QString&, Icon, const QStringList&, int) override {
        std::printf("message: %s\n", qPrintable(text));
        return 0;
    }
    std::optional<QString> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
};

buttons::DeviceInfo pad(int id) {
    buttons::DeviceInfo d;
    d.id = id;
    d.identity = {0x1209, 0x4d42, QStringLiteral("PAD%1").arg(id), QString()};
    d.name = QStringLiteral("Buzzer pad %1").arg(id);
    d.path = QStringLiteral("/dev/input/event%1").arg(20 + id);
    return d;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int hold = windowbench::argument(args, "--hold", "10").toInt();
    const QString shot = windowbench::argument(args, "--shot", "");

    SteadyClock clock;
    SeededRandom random;
    buttons::ScriptedPressSource devices;
    buttons::InputBox box(200, clock, devices, random);
    windowbench::Silence sound;
    YesDialogs dialogs;
    QTemporaryDir programDir;
    QTemporaryDir configDir;
    Program program(box, clock, sound, dialogs, random,
                    ProgramPaths{programDir.path(), configDir.path()});
    Forms forms(program);
    program.state.PortAddress = 888;
    program.state.InterfaceModel = 200;
    Capabilities capabilities(program);
    InputButtons inputButtons(program, box);
    devices.plug(pad(1));
    devices.plug(pad(2));

    const QStringList names{"Ada", "Bruno", "Chiara", "Dmitri", "Eun-ji", "Femi", "Greta", "Hugo"};
    PlayScreen& screen = formsOf(program).playScreen(ScreenPair::P2_4);
    SetupMenu& menu = formsOf(program).setupMenu(MenuKind::Players4);
    menu.teamNameBox(0)->setText(QStringLiteral("Owls"));
    menu.teamNameBox(1)->setText(QStringLiteral("Foxes"));
    for (int p = 1; p <= 8; ++p)
        menu.playerNameBox(p)->setText(names[p - 1]);
    setCheckValue(formsOf(program).formOptions().CheckPlayerWaiting, 1);
    screen.showScreen();
    menu.show();
    menu.move(40, 40);
    QObject::connect(&inputButtons, &InputButtons::noted,
                     [](const QString& line) { std::printf("line: %s\n", qPrintable(line)); });

    auto nowUs = [&] { return std::llround(clock.now() * 1e6); };
    auto key = [&](int player, std::int64_t atUs) {
        devices.key(player <= 4 ? 1 : 2, 287 + (player - 1) % 4 + 1, atUs);
    };

    // The operator assigns: one press per player, a third of a second apart.
    int player = 0;
    QTimer assigning;
    assigning.setInterval(300);
    QObject::connect(&assigning, &QTimer::timeout, [&] {
        AssignButtons* window = inputButtons.assignWindow();
        if (player == 8) {
            assigning.stop();
            window->CommandSave->click();
            window->close();
            std::printf("assigned %zu buttons\n", box.assignment().bindings().size());
            // Arm, and a moment later three presses: pad B is read first,
            // pad A's Chiara pressed first, her team mate Bruno 5 ms later.
            screen.spacekey();
            QTimer::singleShot(400, [&] {
                const std::int64_t t = nowUs() - 50000;
                key(6, t + 30000);
                key(2, t + 25000);
                key(3, t + 20000);
            });
            return;
        }
        std::printf("%s\n", qPrintable(window->Labelprompt->text()));
        key(++player, nowUs());
    });
    QTimer::singleShot(500, [&] {
        menu.findChild<QAction*>(QStringLiteral("mnuAssignButtons"))->trigger();
        inputButtons.assignWindow()->move(700, 300);
        assigning.start();
    });

    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!names.contains(screen.namelabel->text())) return;
        watch.stop();
        // A moment for the runner-up and for the drawing.
        QTimer::singleShot(700, [&] {
            std::printf("on the play screen: %s\nset-up menu's line: %s\nready\n",
                        qPrintable(screen.namelabel->text()),
                        qPrintable(menu.decisionLine->text()));
            std::fflush(stdout);
            if (!shot.isEmpty()) QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            QTimer::singleShot(hold * 1000, &app, &QApplication::quit);
        });
    });
    watch.start();
    return app.exec();
}
