#include "app/commandline.h"

#include "sim/simulatedinterface.h"

std::optional<InterfaceChoice> parseInterfaceOption(const QString& value, QString* error) {
    InterfaceChoice choice;
    if (value == QLatin1String("sim") || value.startsWith(QLatin1String("sim:"))) {
        choice.kind = InterfaceChoice::Kind::Simulated;
        if (value.size() > 3) {
            bool ok = false;
            const int model = value.mid(4).toInt(&ok);
            if (!ok || !SimulatedInterface::isKnownModel(model)) {
                if (error) {
                    *error = QStringLiteral(
                                 "unknown interface model \"%1\" (choose 170, 180, 199, "
                                 "200 or 210)")
                                 .arg(value.mid(4));
                }
                return std::nullopt;
            }
            choice.model = model;
        }
        return choice;
    }
    if (value == QLatin1String("input") || value.startsWith(QLatin1String("input:"))) {
        choice.kind = InterfaceChoice::Kind::Input;
        // Model 200: each code names one player and the second place can
        // be held.
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
    if (value.startsWith(u'/')) {
        choice.kind = InterfaceChoice::Kind::Parport;
        choice.device = value;
        return choice;
    }
    if (error) {
        *error = QStringLiteral(
                     "--interface takes sim, sim:MODEL, input, input:MODEL or a device "
                     "such as /dev/parport0, not \"%1\"")
                     .arg(value);
    }
    return std::nullopt;
}

InterfaceChoice defaultInterface(bool firstPortExists) {
    InterfaceChoice choice;
    if (firstPortExists) {
        choice.kind = InterfaceChoice::Kind::Parport;
        choice.device = QStringLiteral("/dev/parport0");
    }
    return choice;
}

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
