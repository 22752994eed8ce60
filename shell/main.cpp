#include <cstdio>
#include <memory>
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
#include "buttons/inputbuttons.h"
#include "live/liveprogram.h"
#include "packet/readerui.h"
#include "record/recordui.h"
#include "record/storerecorder.h"
#include "scoresheet/resultsdesk.h"
#include "shell/capabilities.h"
#include "shell/commandline.h"
#include "shell/interfacestart.h"
#include "sim/contestantpanel.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"
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

// The program's options; process() answers --help and --version and ends
// the program.
struct CommandLine {
    CommandLine() {
        parser.setApplicationDescription(
            QStringLiteral("Runs a quiz competition from a lockout interface box."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(interfaceOption);
        parser.addOption(livePortOption);
        parser.addOption(packetOption);
    }
    QCommandLineParser parser;
    QCommandLineOption interfaceOption{QStringLiteral("interface"), interfaceOptionHelp(),
                                       QStringLiteral("which")};
    QCommandLineOption livePortOption{
        QStringLiteral("live-port"),
        QStringLiteral("Serve the live page on this computer from the start, at <port> (1024 to "
                       "65535). Match > Live Page... turns it off or opens it to the local "
                       "network."),
        QStringLiteral("port")};
    QCommandLineOption packetOption{
        QStringLiteral("packet"),
        QStringLiteral("Read the match from this packet (a Word .docx file or the field's packet "
                       "JSON), as Match > Packet... does."),
        QStringLiteral("file")};
};

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
        CommandLine line;
        line.parser.process(text);  // prints and ends the program
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();

    CommandLine line;
    QCommandLineParser& parser = line.parser;
    const QCommandLineOption& interfaceOption = line.interfaceOption;
    const QCommandLineOption& livePortOption = line.livePortOption;
    parser.process(app);

    std::optional<quint16> livePort;
    if (parser.isSet(livePortOption)) {
        bool number = false;
        const uint port = parser.value(livePortOption).toUInt(&number);
        if (!number || port < 1024 || port > 65535) {
            std::fprintf(stderr, "torvanel: --live-port: a port from 1024 to 65535\n");
            return 2;
        }
        livePort = static_cast<quint16>(port);
    }

    std::optional<QString> packetFile;
    if (parser.isSet(line.packetOption)) {
        QString error;
        packetFile = parsePacketOption(parser.value(line.packetOption), &error);
        if (!packetFile) {
            std::fprintf(stderr, "torvanel: %s\n", qPrintable(error));
            return 2;
        }
    }

    std::optional<InterfaceChoice> asked;
    if (parser.isSet(interfaceOption)) {
        QString error;
        asked = parseInterfaceOption(parser.value(interfaceOption), &error);
        if (!asked) {
            std::fprintf(stderr, "torvanel: %s\n", qPrintable(error));
            return 2;
        }
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
    std::optional<InterfaceBackend> backend = startInterface(asked, dialogs, clock);
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
    installCapabilities(program);
    // The stats room's result files: written as the match goes, and whole
    // when it ends (the end of the program included).
    const std::unique_ptr<scoresheet::ResultsDesk> results =
        scoresheet::installResultFiles(program);
    // After the other capabilities: its item comes last in the Match menu.
    live::LiveProgram livePage(program);
    std::optional<QString> liveProblem;
    if (livePort) {
        liveProblem = livePage.serveAt(*livePort);
        if (liveProblem)
            std::fprintf(stderr, "torvanel: live page: %s\n", qPrintable(*liveProblem));
        else
            std::fprintf(stderr, "torvanel: live page at http://127.0.0.1:%u/\n", *livePort);
    }
    program.setObjectHost(objects);
    program.setUsbTransport(backend->usbModule.get());
    program.setInterfaceDescription(describe(choice), backend->isSimulated());
    std::fprintf(stderr, "torvanel: %s\n", qPrintable(describe(choice)));
    // Practice sounds like a match: the simulated box's speaker (and the
    // speaker of the box on input devices, which has none of its own) is
    // heard through the sound card.
    if (SimulatedInterface* box = backend->simulated ? backend->simulated : backend->input)
        box->soundSpeakerThrough(&sound);

    QObject recordContext;
    record::useStore(program, store, recordContext);
    // Exit and Cancel end the process on the spot: the match's end goes to
    // disk first.
    program.setEndHandler([&program] {
        record::endRecord(program, QStringLiteral("exit"));
        std::fflush(nullptr);
        std::_Exit(0);
    });
    // A logout, a shutdown or a kill ends the program as File > Exit does:
    // the record closed and the result file written, not the process cut
    // off mid-match.
    const EndRequests endRequests(program);

    // Buttons on input devices: their assignment, the operator's notices,
    // and the window that binds them.
    std::unique_ptr<InputButtons> inputButtons;
    if (backend->input) {
        inputButtons = std::make_unique<InputButtons>(program, *backend->input);
        inputButtons->loadAssignment();
        if (!inputButtons->confirmDevices()) return 0;
    }

    if (!program.forms.titleForm().startUp()) return 0;
    record::offerResume(program);
    if (liveProblem) {
        program.dialogs.inform(*liveProblem, QStringLiteral("Live Page"), Dialogs::Icon::Warning);
    }
    QApplication::setQuitOnLastWindowClosed(true);
    // Read while the operator looks at the set-up menu; its warnings come up
    // when it is read.
    if (packetFile) {
        if (packet::Reader* reader = packet::installedReader(program))
            reader->openPacket(*packetFile);
    }

    if (inputButtons) inputButtons->offerToAssign();

    // With the simulated box, the contestants press its buttons here (the
    // simulated USB module's for model 199).
    std::unique_ptr<ContestantPanel> panel;
    if (SimulatedInterface* box = backend->simulated;
        box && (box->hasButtons() || backend->usbModule)) {
        panel = std::make_unique<ContestantPanel>(program, *box);
        panel->showPanel();
    }
    const int status = app.exec();
    // The last window was closed.
    record::endRecord(program, QStringLiteral("closed"));
    return status;
}
