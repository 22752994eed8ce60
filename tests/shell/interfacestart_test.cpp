// Which interface the program runs on, and what the operator is told when
// there is none it can use: with the machine's ports and ppdev devices
// stood in for, and scripted message boxes.
#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/clock.h"
#include "app/fakeppdev.h"
#include "app/ppdevport.h"
#include "shell/commandline.h"
#include "shell/interfacestart.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"
#include "support/scripteddialogs.h"

namespace {

// The no-interface message's buttons, by their place.
constexpr int kRetry = 0;
constexpr int kPractice = 2;

TEST(InterfaceStart, ParallelPortsAreListedLowestNumberFirst) {
    QTemporaryDir dev;
    for (const char* name : {"parport10", "parport2", "parport", "parportx", "lp0", "parport0"}) {
        QFile f(dev.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(parallelPortDevices(dev.path()),
              QStringList({dev.filePath(QStringLiteral("parport0")),
                           dev.filePath(QStringLiteral("parport2")),
                           dev.filePath(QStringLiteral("parport10"))}));
    EXPECT_TRUE(parallelPortDevices(dev.filePath(QStringLiteral("none"))).isEmpty());
}

TEST(InterfaceStart, TheOptionTakesASimulatedModelOrADeviceAndSaysWhatIsWrongWithTheRest) {
    struct Case {
        const char* value;
        std::optional<InterfaceChoice::Kind> kind;  // nothing: refused
        int model;
        const char* errorNames;  // for a refused value, a part of the error
    };
    using Kind = InterfaceChoice::Kind;
    const Case cases[] = {
        {"sim", Kind::Simulated, 170, nullptr},
        {"sim:199", Kind::Simulated, 199, nullptr},
        {"/dev/parport2", Kind::Parport, 0, nullptr},
        {"sim:171", std::nullopt, 0, "\"171\""},
        {"sim:", std::nullopt, 0, "unknown interface model"},
        {"simulated", std::nullopt, 0, "/dev/parportN"},
        {"parport0", std::nullopt, 0, "sim[:MODEL]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        QString error;
        const auto choice = parseInterfaceOption(QString::fromLatin1(c.value), &error);
        ASSERT_EQ(choice.has_value(), c.kind.has_value()) << error.toStdString();
        if (!choice) {
            EXPECT_TRUE(error.contains(QLatin1String(c.errorNames))) << error.toStdString();
            continue;
        }
        EXPECT_EQ(choice->kind, *c.kind);
        if (choice->kind == Kind::Simulated) {
            EXPECT_EQ(choice->model, c.model);
        } else {
            EXPECT_EQ(choice->device, QLatin1String(c.value));
        }
    }
}

// --packet names a file that is there to read; anything else is refused
// before a window opens, with what is wrong.
TEST(CommandLine, ThePacketOptionNamesAFileThatIsThere) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("round 3.docx"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const struct {
        QString value;
        const char* errorNames;  // nullptr: taken
    } cases[] = {
        {file, nullptr},
        {dir.filePath(QStringLiteral("round 4.docx")), "there is no file"},
        {dir.path(), "is not a file"},
        {QString(), "takes a packet file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        QString error;
        const std::optional<QString> path = parsePacketOption(c.value, &error);
        ASSERT_EQ(path.has_value(), c.errorNames == nullptr) << error.toStdString();
        if (path)
            EXPECT_EQ(*path, QFileInfo(file).absoluteFilePath());
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.errorNames))) << error.toStdString();
    }
    // The program itself refuses a missing packet before anything else.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TORVANEL_EXECUTABLE),
            {QStringLiteral("--packet"), dir.filePath(QStringLiteral("none.json"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("there is no file"));
}

TEST(InterfaceStart, TheSimulationRunsOnlyWhenAskedForAndAMissingPortIsExplained) {
    struct Case {
        const char* name;
        const char* option;                 // --interface, or none
        std::vector<QStringList> listings;  // what each look for ports finds
        int openErrno;                      // for every port opened
        std::deque<int> answers;            // to the no-interface message
        // Expected:
        bool runs;
        const char* device;             // a real port opened, or nullptr for the simulation
        int model;                      // of the simulation
        std::vector<const char*> told;  // a part of each message shown, in order
    };
    const QString p0 = QStringLiteral("/dev/parport0");
    const QString p1 = QStringLiteral("/dev/parport1");
    const Case cases[] = {
        {"the first port there is",
         nullptr,
         {{p1, QStringLiteral("/dev/parport3")}},
         0,
         {},
         true,
         "/dev/parport1",
         0,
         {}},
        {"no port, the operator quits",
         nullptr,
         {{}},
         0,
         {},
         false,
         nullptr,
         0,
         {"modprobe ppdev"}},
        {"no port, practice",
         nullptr,
         {{}},
         0,
         {kPractice},
         true,
         nullptr,
         170,
         {"modprobe ppdev"}},
        {"no port, driver loaded meanwhile",
         nullptr,
         {{}, {p0}},
         0,
         {kRetry},
         true,
         "/dev/parport0",
         0,
         {"modprobe ppdev"}},
        {"no permission",
         nullptr,
         {{p0}, {p0}},
         EACCES,
         {kRetry},
         false,
         nullptr,
         0,
         {"\"lp\" group", "\"lp\" group"}},
        {"asked port missing, practice",
         "/dev/parport1",
         {},
         ENOENT,
         {kPractice},
         true,
         nullptr,
         170,
         {"modprobe ppdev"}},
        {"asked port", "/dev/parport1", {}, 0, {}, true, "/dev/parport1", 0, {}},
        {"asked simulation", "sim:210", {}, 0, {}, true, nullptr, 210, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kernel k;
        k.openErrno = c.openErrno;
        kernel = &k;
        QTemporaryDir proc;
        std::size_t looks = 0;
        PortAccess access{
            [&] {
                EXPECT_LT(looks, c.listings.size()) << "looked for ports again";
                return looks < c.listings.size() ? c.listings[looks++] : QStringList();
            },
            [&](const QString& device) {
                return std::make_unique<PpdevPort>(device, proc.path(), fakePpdevCalls());
            }};
        ScriptedDialogs dialogs;
        dialogs.choices = c.answers;
        ManualClock clock;
        std::optional<InterfaceChoice> asked;
        if (c.option) asked = parseInterfaceOption(QString::fromLatin1(c.option), nullptr);

        const std::optional<InterfaceBackend> backend =
            startInterface(asked, dialogs, clock, access);
        ASSERT_EQ(backend.has_value(), c.runs);
        ASSERT_EQ(dialogs.messages.size(), c.told.size());
        for (std::size_t i = 0; i < c.told.size(); ++i) {
            const ScriptedDialogs::Shown& shown = dialogs.messages[i];
            EXPECT_TRUE(shown.text.contains(QLatin1String(c.told[i]))) << shown.text.toStdString();
            // Never the box's power and cable: the box was not even asked.
            EXPECT_FALSE(shown.text.contains(QStringLiteral("cable"))) << shown.text.toStdString();
            EXPECT_EQ(shown.choices, QStringList({QStringLiteral("Retry"), QStringLiteral("Quit"),
                                                  QStringLiteral("Practice without a lockout box"),
                                                  QStringLiteral("Use USB buttons")}));
            EXPECT_EQ(shown.icon, Dialogs::Icon::Critical);
        }
        if (!backend) continue;
        if (c.device) {
            ASSERT_NE(backend->parport, nullptr);
            EXPECT_TRUE(backend->parport->isOpen());
            EXPECT_EQ(backend->parport->devicePath(), QLatin1String(c.device));
            EXPECT_FALSE(backend->isSimulated());
            EXPECT_EQ(k.openedPath, c.device);
        } else {
            ASSERT_TRUE(backend->isSimulated());
            EXPECT_EQ(backend->parport, nullptr);
            EXPECT_EQ(backend->simulated->model(), c.model);
            EXPECT_TRUE(describe(backend->choice).contains(QStringLiteral("Simulated")));
        }
        EXPECT_EQ(backend->port.get(),
                  c.device ? static_cast<PortLibrary*>(backend->parport) : backend->simulated);
    }
    kernel = nullptr;
    // The last button runs the box on this machine's input devices.
    EXPECT_EQ(noInterfaceChoices().back().use.kind, InterfaceChoice::Kind::Input);
}

TEST(InterfaceStart, TheSimulatedUsbLockoutComesWithItsModule) {
    ManualClock clock;
    for (int model : {170, 180, 199, 200, 210}) {
        InterfaceChoice choice;
        choice.model = model;
        const InterfaceBackend backend = makeBackend(choice, clock, PortAccess{});
        EXPECT_EQ(backend.usbModule != nullptr, model == 199) << model;
    }
}

// The whole command line, every option in one place: a wrong one is named
// in the line the terminal gets, and nothing starts.
TEST(CommandLine, EachOptionIsReadOrItsFaultSaid) {
    struct Case {
        QStringList args;
        const char* error;  // nothing: taken
        std::optional<quint16> livePort;
        bool interface;
    };
    const Case cases[] = {
        {{}, nullptr, std::nullopt, false},
        {{"--interface", "sim:210", "--live-port", "8080"}, nullptr, 8080, true},
        {{"--live-port=65535"}, nullptr, 65535, false},
        {{"--live-port", "1023"}, "--live-port: a port from 1024 to 65535", std::nullopt, false},
        {{"--live-port", "http"}, "--live-port: a port from 1024 to 65535", std::nullopt, false},
        {{"--live-port"}, "Missing value after '--live-port'.", std::nullopt, false},
        {{"--interface", "sim:171"}, "\"171\"", std::nullopt, false},
        {{"--fullscreen"}, "Unknown option 'fullscreen'.", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QString error;
        const auto options = parseCommandLine(QStringList{"torvanel"} + c.args, &error);
        ASSERT_EQ(options.has_value(), c.error == nullptr) << error.toStdString();
        if (!options) {
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
            continue;
        }
        EXPECT_EQ(options->livePort, c.livePort);
        EXPECT_EQ(options->interface.has_value(), c.interface);
    }
}

// --help and --version answer on the terminal where there is no display at
// all (over ssh, in a build).
TEST(CommandLine, HelpAndVersionNeedNoDisplay) {
    const struct {
        const char* arg;
        const char* says;
    } cases[] = {{"--help", "--interface"}, {"--version", "torvanel"}};
    for (const auto& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TORVANEL_EXECUTABLE), {QLatin1String(c.arg)});
        ASSERT_TRUE(p.waitForFinished(60000)) << c.arg;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << c.arg;
        EXPECT_EQ(p.exitCode(), 0) << c.arg;
        EXPECT_TRUE(p.readAllStandardOutput().contains(c.says)) << c.arg;
    }
}

}  // namespace
