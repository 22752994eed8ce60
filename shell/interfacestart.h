#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "shell/commandline.h"

class Clock;
class Dialogs;
class PortLibrary;
class PpdevPort;
class SimulatedInterface;
class SimulatedUsbModule;
namespace buttons {
class InputBox;
}

// What the program runs on: the port it talks through and, for the
// simulated interface, the box (and model 199's USB module) that the
// contestant panel presses.
struct InterfaceBackend {
    InterfaceBackend();
    InterfaceBackend(InterfaceBackend&&) noexcept;
    InterfaceBackend& operator=(InterfaceBackend&&) noexcept;
    ~InterfaceBackend();

    InterfaceChoice choice;
    std::unique_ptr<PortLibrary> port;
    PpdevPort* parport = nullptr;             // when `port` is a real port
    SimulatedInterface* simulated = nullptr;  // when `port` is the simulated box
    buttons::InputBox* input = nullptr;       // when `port` is the box on input devices
    std::unique_ptr<SimulatedUsbModule> usbModule;

    bool isSimulated() const { return simulated != nullptr; }
};

// How start-up finds and opens parallel ports; tests stand in for the
// machine's.
struct PortAccess {
    std::function<QStringList()> listPorts;
    std::function<std::unique_ptr<PpdevPort>(const QString& device)> open;

    static PortAccess system();
};

// The one place a choice becomes a backend.
InterfaceBackend makeBackend(const InterfaceChoice& choice, Clock& clock, const PortAccess& access);

// The buttons of the message shown when no interface can be used, left to
// right: try the port again, quit, or run on another interface (the
// simulated box for practice). Another stand-in for the box is one more
// entry.
struct NoInterfaceChoice {
    enum class Action { Retry, Quit, Use } action;
    QString label;
    InterfaceChoice use;  // for Action::Use
};
std::vector<NoInterfaceChoice> noInterfaceChoices();
QStringList noInterfaceButtons();

// The text shown when the machine has no parallel port at all.
QString noParallelPortText();

// Settles what the program runs on. `asked` is what the command line asked
// for; without it, the first parallel port of the machine. When the port
// is missing or cannot be opened, the operator is told why and how to fix
// it, and chooses to retry, to quit, or to practise on the simulated
// interface: the simulation never runs unless asked for. Nothing when the
// operator chose to quit.
std::optional<InterfaceBackend> startInterface(std::optional<InterfaceChoice> asked,
                                               Dialogs& dialogs, Clock& clock,
                                               const PortAccess& access = PortAccess::system());
