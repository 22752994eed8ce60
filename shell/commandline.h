#pragma once

#include <optional>
#include <span>

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QCommandLineParser;

// Which interface backend to run on: the port layer's own configuration,
// chosen on the command line (or, when none is there, by start-up), not a
// setting of the program.
struct InterfaceChoice {
    // Input: the simulated box driven by buttons on Linux input devices.
    enum class Kind { Simulated, Parport, Input } kind = Kind::Simulated;
    int model = 170;  // for the simulated box (200 by default for Input)
    QString device;   // for a real port, e.g. /dev/parport0
};

// One form the value of --interface can take. A new kind of interface is one
// more entry in interfaceForms().
struct InterfaceForm {
    const char* usage;  // how it is written, for --help and error messages
    const char* help;   // what it runs on
    // Nothing when `value` is not of this form; nothing with `error` set
    // when it is, but wrongly so.
    std::optional<InterfaceChoice> (*parse)(const QString& value, QString* error);
};
std::span<const InterfaceForm> interfaceForms();

// The text --help gives for --interface.
QString interfaceOptionHelp();

// Parses the value of --interface by the first form that takes it. On a bad
// value, nothing and `error` says why.
std::optional<InterfaceChoice> parseInterfaceOption(const QString& value, QString* error);

// The value of --packet: a packet file to read from (a .docx or the field's
// packet JSON), as an absolute path. Nothing, and `error` says why, when it
// names no file that can be read.
std::optional<QString> parsePacketOption(const QString& value, QString* error);

// The parallel ports of this machine: the /dev/parportN devices in
// `devFolder`, lowest number first.
QStringList parallelPortDevices(const QString& devFolder = QStringLiteral("/dev"));

// With no option: the first of `ports`; nothing when there is none (the
// simulation runs only when asked for).
std::optional<InterfaceChoice> defaultInterface(const QStringList& ports);

// The simulated box chosen for practice when no interface can be used.
InterfaceChoice practiceInterface();

// A line for the title screen and the terminal saying what is in use.
QString describe(const InterfaceChoice& choice);

// What the command line asks for.
struct ProgramOptions {
    // Nothing: start-up chooses (the first parallel port, or asks).
    std::optional<InterfaceChoice> interface;
    // Serve the live page on this computer from the start, at this port.
    std::optional<quint16> livePort;
    // The packet to read the match from (an absolute path).
    std::optional<QString> packetFile;
};

// Every option of the program, as --help lists them (with --help and
// --version themselves).
void describeOptions(QCommandLineParser& parser);

// Parses the program's arguments, its own name first. A wrong option or
// value gives nothing, and `error` says what is wrong in a line for the
// terminal.
std::optional<ProgramOptions> parseCommandLine(const QStringList& arguments, QString* error);
