#include "shell/commandline.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "sim/simulatedinterface.h"

namespace {

std::optional<InterfaceChoice> parseSimulated(const QString& value, QString* error) {
    if (value != QLatin1String("sim") && !value.startsWith(QLatin1String("sim:")))
        return std::nullopt;
    InterfaceChoice choice;
    choice.kind = InterfaceChoice::Kind::Simulated;
    if (value.size() > 3) {
        bool ok = false;
        const int model = value.mid(4).toInt(&ok);
        if (!ok || !SimulatedInterface::isKnownModel(model)) {
            if (error) {
                *error = QStringLiteral(
                             "unknown interface model \"%1\" (choose 170, 180, 199, 200 or 210)")
                             .arg(value.mid(4));
            }
            return std::nullopt;
        }
        choice.model = model;
    }
    return choice;
}

std::optional<InterfaceChoice> parseInput(const QString& value, QString* error) {
    if (value != QLatin1String("input") && !value.startsWith(QLatin1String("input:")))
        return std::nullopt;
    InterfaceChoice choice;
    choice.kind = InterfaceChoice::Kind::Input;
    // Model 200: each code names one player and the second place can be
    // held.
    choice.model = 200;
    if (value.size() > 5) {
        bool ok = false;
        const int model = value.mid(6).toInt(&ok);
        if (!ok || (model != 170 && model != 200)) {
            if (error) {
                *error = QStringLiteral("input buttons work as model 200 or 170, not \"%1\"")
                             .arg(value.mid(6));
            }
            return std::nullopt;
        }
        choice.model = model;
    }
    return choice;
}

std::optional<InterfaceChoice> parseDevice(const QString& value, QString*) {
    if (!value.startsWith(u'/')) return std::nullopt;
    InterfaceChoice choice;
    choice.kind = InterfaceChoice::Kind::Parport;
    choice.device = value;
    return choice;
}

constexpr InterfaceForm kForms[] = {
    {"sim[:MODEL]", "the simulated box of that model: 170 when none is given, 180, 199, 200 or 210",
     &parseSimulated},
    {"input[:MODEL]",
     "USB buttons, game controllers or keyboards as buzzers, read as model 200 or 170",
     &parseInput},
    {"/dev/parportN", "a parallel port device such as /dev/parport1", &parseDevice},
};

}  // namespace

std::span<const InterfaceForm> interfaceForms() { return kForms; }

QString interfaceOptionHelp() {
    QStringList forms;
    for (const InterfaceForm& form : interfaceForms()) {
        forms << QStringLiteral("%1 (%2)").arg(QLatin1String(form.usage), QLatin1String(form.help));
    }
    return QStringLiteral(
               "The interface to use: %1. Without it, the first parallel port of the machine; "
               "when there is none, Torvanel asks.")
        .arg(forms.join(QStringLiteral("; ")));
}

std::optional<InterfaceChoice> parseInterfaceOption(const QString& value, QString* error) {
    QStringList usages;
    for (const InterfaceForm& form : interfaceForms()) {
        usages << QLatin1String(form.usage);
        QString problem;
        if (auto choice = form.parse(value, &problem)) return choice;
        if (!problem.isEmpty()) {
            if (error) *error = problem;
            return std::nullopt;
        }
    }
    if (error) {
        const QString last = usages.takeLast();
        const QString all = usages.isEmpty()
                                ? last
                                : usages.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
        *error = QStringLiteral("--interface takes %1, not \"%2\"").arg(all, value);
    }
    return std::nullopt;
}

std::optional<QString> parsePacketOption(const QString& value, QString* error) {
    const QFileInfo file(value);
    QString problem;
    if (value.isEmpty())
        problem = QStringLiteral("--packet takes a packet file (.docx or .json)");
    else if (!file.exists())
        problem = QStringLiteral("--packet: there is no file \"%1\"").arg(value);
    else if (!file.isFile())
        problem = QStringLiteral("--packet: \"%1\" is not a file").arg(value);
    else if (!file.isReadable())
        problem = QStringLiteral("--packet: \"%1\" cannot be read").arg(value);
    if (!problem.isEmpty()) {
        if (error) *error = problem;
        return std::nullopt;
    }
    return file.absoluteFilePath();
}

QStringList parallelPortDevices(const QString& devFolder) {
    static const QRegularExpression portName(QStringLiteral("^parport(\\d+)$"));
    std::vector<std::pair<uint, QString>> found;
    const QDir dev(devFolder);
    // Device nodes are neither files nor folders to QDir: System lists them.
    for (const QString& name :
         dev.entryList({QStringLiteral("parport*")}, QDir::System | QDir::Files)) {
        const QRegularExpressionMatch match = portName.match(name);
        if (match.hasMatch()) found.emplace_back(match.captured(1).toUInt(), dev.filePath(name));
    }
    // parport10 comes after parport2.
    std::ranges::sort(found);
    QStringList ports;
    for (const auto& entry : found)
        ports << entry.second;
    return ports;
}

std::optional<InterfaceChoice> defaultInterface(const QStringList& ports) {
    if (ports.isEmpty()) return std::nullopt;
    InterfaceChoice choice;
    choice.kind = InterfaceChoice::Kind::Parport;
    choice.device = ports.front();
    return choice;
}

InterfaceChoice practiceInterface() { return InterfaceChoice{}; }

QString describe(const InterfaceChoice& choice) {
    if (choice.kind == InterfaceChoice::Kind::Simulated) {
        return QStringLiteral("Simulated interface, model %1 (no hardware in use)")
            .arg(choice.model);
    }
    if (choice.kind == InterfaceChoice::Kind::Input) {
        return QStringLiteral("Buttons on input devices, as model %1").arg(choice.model);
    }
    return QStringLiteral("Parallel port %1").arg(choice.device);
}

namespace {

QCommandLineOption interfaceOption() {
    return {QStringLiteral("interface"), interfaceOptionHelp(), QStringLiteral("which")};
}

QCommandLineOption livePortOption() {
    return {QStringLiteral("live-port"),
            QStringLiteral("Serve the live page on this computer from the start, at <port> (1024 "
                           "to 65535). Match > Live Page... turns it off or opens it to the "
                           "local network."),
            QStringLiteral("port")};
}

}  // namespace

void describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Runs a quiz competition from a lockout interface box."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(interfaceOption());
    parser.addOption(livePortOption());
    parser.addOption({QStringLiteral("packet"),
                      QStringLiteral("Read the match from this packet (a Word .docx file or the "
                                     "field's packet JSON), as Match > Packet... does."),
                      QStringLiteral("file")});
}

std::optional<ProgramOptions> parseCommandLine(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    describeOptions(parser);
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return std::nullopt;
    };
    if (!parser.parse(arguments)) return fail(parser.errorText());
    ProgramOptions options;
    if (parser.isSet(QStringLiteral("interface"))) {
        QString why;
        options.interface = parseInterfaceOption(parser.value(QStringLiteral("interface")), &why);
        if (!options.interface) return fail(why);
    }
    if (parser.isSet(QStringLiteral("live-port"))) {
        bool number = false;
        const uint port = parser.value(QStringLiteral("live-port")).toUInt(&number);
        if (!number || port < 1024 || port > 65535)
            return fail(QStringLiteral("--live-port: a port from 1024 to 65535"));
        options.livePort = static_cast<quint16>(port);
    }
    if (parser.isSet(QStringLiteral("packet"))) {
        QString why;
        options.packetFile = parsePacketOption(parser.value(QStringLiteral("packet")), &why);
        if (!options.packetFile) return fail(why);
    }
    return options;
}
