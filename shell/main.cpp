#include <cstdio>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include "app/applicationname.h"
#include "app/clock.h"
#include "app/endrequests.h"
#include "app/pluginobjecthost.h"
#include "app/program.h"
#include "app/programfolder.h"
#include "app/qtdialogs.h"
#include "app/qtsoundoutput.h"
#include "app/random.h"
#include "buttons/inputbox.h"
#include "record/recordui.h"
#include "record/storerecorder.h"
#include "shell/capabilities.h"
#include "shell/commandline.h"
#include "shell/interfacestart.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

QString findConfigFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QString folder = QDir(base).filePath(QStringLiteral("torvanel"));
    makePrivateFolder(folder);
    return folder;
}

// The match record lives with the user's data: $XDG_DATA_HOME/torvanel,
// normally ~/.local/share/torvanel.
QString findDataFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("torvanel"));
}

// --help and --version only print: they are answered before anything needs
// a display, so that they work over ssh or in a build without a screen.
bool onlyPrints(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--") return false;
        if (a == "-h" || a == "-?" || a == "--help" || a == "--help-all" || a == "-v" ||
            a == "--version")
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (onlyPrints(argc, argv)) {
        QCoreApplication text(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(text);  // prints and ends the program
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();
    QString error;
    const std::optional<ProgramOptions> options =
        parseCommandLine(QCoreApplication::arguments(), &error);
    if (!options) {
        std::fprintf(stderr, "torvanel: %s\n", qPrintable(error));
        return 2;
    }

    SteadyClock clock;
    // Before the program, so that it outlives every window that reports to
    // it; its writer thread puts the last events on disk as it goes.
    record::StoreRecorder store(clock, {findDataFolder()});
    QtSoundOutput sound;
    QtDialogs dialogs;
    SeededRandom random;
    // A second copy started on the same record (a double launch) says so
    // before it shows anything else.
    if (!record::runWithoutRecord(dialogs, store)) return 0;

    // Message boxes during start-up must not count as the last window
    // closing.
    QApplication::setQuitOnLastWindowClosed(false);
    std::optional<InterfaceBackend> backend = startInterface(options->interface, dialogs, clock);
    if (!backend) return 0;
    const InterfaceChoice& choice = backend->choice;

    // The USB lockout's control comes from the plugins installed with the
    // program; the simulated model 199 runs it against a simulated module.
    PluginObjectHost objects(PluginObjectHost::defaultFolders(
        QCoreApplication::applicationDirPath(), QStringLiteral(TORVANEL_PLUGINDIR),
        QStringLiteral(TORVANEL_INSTALL_PLUGINDIR)));

    Program program(*backend->port, clock, sound, dialogs, random,
                    ProgramPaths{findProgramFolder(QCoreApplication::applicationDirPath(),
                                                   QStringLiteral(TORVANEL_INSTALL_DATADIR)),
                                 findConfigFolder()});
    // The windows, made as they are first needed; they answer the
    // capabilities' questions of them from here on.
    Forms forms(program);
    program.setObjectHost(objects);
    program.setUsbTransport(backend->usbModule.get());
    program.setInterfaceDescription(describe(choice), backend->isSimulated());
    std::fprintf(stderr, "torvanel: %s\n", qPrintable(describe(choice)));
    // Practice sounds like a match: the simulated box's speaker (and the
    // speaker of the box on input devices, which has none of its own) is
    // heard through the sound card.
    if (SimulatedInterface* box = backend->simulated ? backend->simulated : backend->input)
        box->soundSpeakerThrough(&sound);

    CapabilityParts parts;
    parts.store = &store;
    parts.resultFiles = true;
    parts.livePage = true;
    parts.livePort = options->livePort;
    parts.packetFile = options->packetFile;
    parts.inputBox = backend->input;
    // With the simulated box, the contestants press its buttons on a panel
    // (the simulated USB module's for model 199).
    if (SimulatedInterface* box = backend->simulated;
        box && (box->hasButtons() || backend->usbModule))
        parts.panelBox = box;
    Capabilities capabilities(program, parts);

    // Exit and Cancel end the process on the spot: the match's end goes to
    // disk first, and the result file too unless the share does not answer
    // in the few seconds an ending desktop session allows (stderr says what
    // was not written).
    program.setEndHandler([&capabilities] {
        capabilities.end(QStringLiteral("exit"));
        std::fflush(nullptr);
        std::_Exit(0);
    });
    // A logout, a shutdown or a kill ends the program as File > Exit does:
    // the record closed and the result file written, not the process cut
    // off mid-match.
    const EndRequests endRequests(program);

    if (!capabilities.beforeWindows()) return 0;
    if (!forms.titleForm().startUp()) return 0;
    capabilities.afterWindows();
    QApplication::setQuitOnLastWindowClosed(true);

    const int status = app.exec();
    // The last window was closed.
    // A writer still held by a share that does not answer is not waited for
    // any longer (nor is its thread joined).
    if (!capabilities.end(QStringLiteral("closed"))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
