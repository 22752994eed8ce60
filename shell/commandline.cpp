#include "shell/commandline.h"

#include <algorithm>
#include <utility>
#include <vector>

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
