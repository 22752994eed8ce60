#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/applicationname.h"
#include "app/clock.h"
#include "app/commandline.h"
#include "app/pluginobjecthost.h"
#include "app/ppdevport.h"
#include "app/program.h"
#include "app/programfolder.h"
#include "app/qtdialogs.h"
#include "app/qtsoundoutput.h"
#include "app/random.h"
#include "app/titleform.h"
#include "buttons/inputbox.h"
#include "buttons/inputbuttons.h"
#include "sim/contestantpanel.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"

namespace {

QString findConfigFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QString folder = QDir(base).filePath(QStringLiteral("torvanel"));
    QDir().mkpath(folder);
    return folder;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    nameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs a quiz competition from a lockout interface box."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption interfaceOption(
        QStringLiteral("interface"),
        QStringLiteral("The interface to use: sim, sim:MODEL (170, 180, 199, 200 or 210), "
                       "input or input:MODEL (200 or 170; USB buttons, game controllers or "
                       "keyboards as buzzers) or a parallel port device such as /dev/parport0. "
                       "Without it, /dev/parport0 when the machine has one, else the simulated "
                       "interface."),
        QStringLiteral("which"));
    parser.addOption(interfaceOption);
    parser.process(app);

    InterfaceChoice choice = defaultInterface(QFileInfo::exists(QStringLiteral("/dev/parport0")));
    if (parser.isSet(interfaceOption)) {
        QString error;
        const auto parsed = parseInterfaceOption(parser.value(interfaceOption), &error);
        if (!parsed) {
            std::fprintf(stderr, "torvanel: %s\n", qPrintable(error));
            return 2;
        }
        choice = *parsed;
    }

    SteadyClock clock;
    QtSoundOutput sound;
    QtDialogs dialogs;
    SeededRandom random;

    std::unique_ptr<PortLibrary> port;
    PpdevPort* parport = nullptr;
    SimulatedInterface* simulated = nullptr;
    buttons::InputBox* inputBox = nullptr;
    if (choice.kind == InterfaceChoice::Kind::Simulated) {
        auto box = std::make_unique<SimulatedInterface>(choice.model, clock);
        simulated = box.get();
        port = std::move(box);
    } else if (choice.kind == InterfaceChoice::Kind::Input) {
        auto box = buttons::InputBox::onInputDevices(choice.model, clock);
        inputBox = box.get();
        port = std::move(box);
    } else {
        auto real = std::make_unique<PpdevPort>(choice.device);
        parport = real.get();
        port = std::move(real);
    }

    // The USB lockout's control comes from the plugins installed with the
    // program. The simulated model 199 runs it against a simulated module.
    PluginObjectHost objects(PluginObjectHost::defaultFolders(
        QCoreApplication::applicationDirPath(), QStringLiteral(TORVANEL_PLUGINDIR),
        QStringLiteral(TORVANEL_INSTALL_PLUGINDIR)));
    std::unique_ptr<SimulatedUsbModule> usbModule;
    if (choice.kind == InterfaceChoice::Kind::Simulated && choice.model == 199) {
        usbModule = std::make_unique<SimulatedUsbModule>();
    }

    Program program(*port, clock, sound, dialogs, random,
                    ProgramPaths{findProgramFolder(QCoreApplication::applicationDirPath(),
                                                   QStringLiteral(TORVANEL_INSTALL_DATADIR)),
                                 findConfigFolder()});
    program.setObjectHost(objects);
    program.setUsbTransport(usbModule.get());
    program.setInterfaceDescription(describe(choice),
                                    choice.kind == InterfaceChoice::Kind::Simulated);
    std::fprintf(stderr, "torvanel: %s\n", qPrintable(describe(choice)));

    // Message boxes during start-up must not count as the last window
    // closing.
    QApplication::setQuitOnLastWindowClosed(false);
    if (parport && !parport->isOpen()) {
        std::fprintf(stderr, "torvanel: %s\n", qPrintable(parport->problem()));
        dialogs.message(parport->problem(), QString(), Dialogs::Icon::Critical,
                        Dialogs::Buttons::Ok);
    }
    // Buttons on input devices: their assignment, the operator's notices,
    // and the window that binds them.
    std::unique_ptr<InputButtons> inputButtons;
    if (inputBox) {
        inputButtons = std::make_unique<InputButtons>(program, *inputBox);
        inputButtons->loadAssignment();
    }

    if (!program.forms.titleForm().startUp()) return 0;
    QApplication::setQuitOnLastWindowClosed(true);

    if (inputButtons) inputButtons->offerToAssign();

    // With the simulated box, the contestants press its buttons here (the
    // simulated USB module's for model 199).
    std::unique_ptr<ContestantPanel> panel;
    if (simulated && (simulated->hasButtons() || usbModule)) {
        panel = std::make_unique<ContestantPanel>(program, *simulated);
        panel->showPanel();
    }
    return app.exec();
}
