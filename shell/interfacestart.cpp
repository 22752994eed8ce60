#include "shell/interfacestart.h"

#include <algorithm>

#include "app/dialogs.h"
#include "app/ppdevport.h"
#include "buttons/inputbox.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"

InterfaceBackend::InterfaceBackend() = default;
InterfaceBackend::InterfaceBackend(InterfaceBackend&&) noexcept = default;
InterfaceBackend& InterfaceBackend::operator=(InterfaceBackend&&) noexcept = default;
InterfaceBackend::~InterfaceBackend() = default;

PortAccess PortAccess::system() {
    return {[] { return parallelPortDevices(); },
            [](const QString& device) { return std::make_unique<PpdevPort>(device); }};
}

InterfaceBackend makeBackend(const InterfaceChoice& choice, Clock& clock,
                             const PortAccess& access) {
    InterfaceBackend backend;
    backend.choice = choice;
    switch (choice.kind) {
    case InterfaceChoice::Kind::Simulated: {
        auto box = std::make_unique<SimulatedInterface>(choice.model, clock);
        backend.simulated = box.get();
        backend.port = std::move(box);
        // The USB lockout's control runs against a simulated module.
        if (choice.model == 199) backend.usbModule = std::make_unique<SimulatedUsbModule>();
        break;
    }
    case InterfaceChoice::Kind::Input: {
        // The simulated box, fed by buttons on this machine's input devices.
        std::unique_ptr<buttons::InputBox> box =
            buttons::InputBox::onInputDevices(choice.model, clock);
        backend.input = box.get();
        backend.port = std::move(box);
        break;
    }
    case InterfaceChoice::Kind::Parport: {
        std::unique_ptr<PpdevPort> port = access.open(choice.device);
        backend.parport = port.get();
        backend.port = std::move(port);
        break;
    }
    }
    return backend;
}

std::vector<NoInterfaceChoice> noInterfaceChoices() {
    using Action = NoInterfaceChoice::Action;
    return {
        {Action::Retry, QStringLiteral("Retry"), {}},
        {Action::Quit, QStringLiteral("Quit"), {}},
        {Action::Use, QStringLiteral("Practice without a lockout box"), practiceInterface()},
        {Action::Use, QStringLiteral("Use USB buttons"),
         InterfaceChoice{InterfaceChoice::Kind::Input, 200, {}}},
    };
}

QStringList noInterfaceButtons() {
    QStringList labels;
    for (const NoInterfaceChoice& choice : noInterfaceChoices())
        labels << choice.label;
    return labels;
}

QString noParallelPortText() {
    return QStringLiteral(
        "Torvanel found no parallel port on this computer (no /dev/parport device), so it "
        "cannot reach the lockout interface.\n\n"
        "Most likely the ppdev driver is not loaded: load it with \"sudo modprobe ppdev\" (add "
        "\"ppdev\" to /etc/modules to load it at every start). Check also that the port is "
        "enabled in the computer's set-up, and that your user is in the \"lp\" group (sudo "
        "adduser $USER lp, then log out and back in). Then choose Retry.");
}

namespace {

QString practiceHint() {
    return QStringLiteral(
        "\n\nTo practise without the interface, choose \"Practice without a lockout box\": "
        "Torvanel then runs on a simulated interface. To play with USB buttons, game "
        "controllers or keyboards as buzzers, choose \"Use USB buttons\".");
}

}  // namespace

std::optional<InterfaceBackend> startInterface(std::optional<InterfaceChoice> asked,
                                               Dialogs& dialogs, Clock& clock,
                                               const PortAccess& access) {
    for (;;) {
        QString problem;
        std::optional<InterfaceChoice> choice = asked;
        if (!choice) choice = defaultInterface(access.listPorts());
        if (!choice) {
            problem = noParallelPortText();
        } else {
            InterfaceBackend backend = makeBackend(*choice, clock, access);
            // A port that cannot be opened never reaches detection, whose
            // failure message would send the operator to the box's power
            // and cable instead of the real cause.
            if (!backend.parport || backend.parport->isOpen()) return backend;
            problem = backend.parport->problem();
        }
        const std::vector<NoInterfaceChoice> choices = noInterfaceChoices();
        const auto quit =
            std::ranges::find(choices, NoInterfaceChoice::Action::Quit, &NoInterfaceChoice::action);
        const int answer =
            dialogs.choose(problem + practiceHint(), QString(), Dialogs::Icon::Critical,
                           noInterfaceButtons(), static_cast<int>(quit - choices.begin()));
        // Closing the box, like an answer out of range, quits.
        if (answer < 0 || answer >= static_cast<int>(choices.size())) return std::nullopt;
        const NoInterfaceChoice& chosen = choices[static_cast<std::size_t>(answer)];
        switch (chosen.action) {
        case NoInterfaceChoice::Action::Retry: break;
        case NoInterfaceChoice::Action::Quit: return std::nullopt;
        case NoInterfaceChoice::Action::Use: asked = chosen.use; break;
        }
    }
}
