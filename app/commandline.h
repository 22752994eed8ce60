#pragma once

#include <optional>

#include <QString>

// Which interface backend to run on: the port layer's own configuration,
// chosen on the command line, not a setting of the program.
struct InterfaceChoice {
    // Input: the simulated box driven by buttons on Linux input devices.
    enum class Kind { Simulated, Parport, Input } kind = Kind::Simulated;
    int model = 170;  // for the simulated box (200 by default for Input)
    QString device;   // for a real port, e.g. /dev/parport0
};

// Parses the value of --interface: "sim", "sim:MODEL", "input",
// "input:MODEL" or a device path.
// On a bad value, nothing and `error` says why.
std::optional<InterfaceChoice> parseInterfaceOption(const QString& value, QString* error);

// With no option: the first parallel port when the machine has one, else the
// simulated box with the wireless model.
InterfaceChoice defaultInterface(bool firstPortExists);

// A line for the title screen and the terminal saying what is in use.
QString describe(const InterfaceChoice& choice);
