#pragma once

#include <functional>

#include <QString>

#include "app/clock.h"
#include "app/dialogs.h"
#include "app/forms.h"
#include "app/portlibrary.h"
#include "app/programstate.h"
#include "app/random.h"
#include "app/soundoutput.h"

// Where the program finds its files.
struct ProgramPaths {
    // The shipped files: wave files and competition presets. The folder of
    // the executable in a build tree, <prefix>/share/torvanel once installed.
    QString programFolder;
    // The start-up setup file's folder: an installed program folder is not
    // writable, so it lives in the user's configuration folder.
    QString configFolder;
};

// The one object behind every window: the program-wide variables, the
// services the windows use, and the window registry. Tests build one from
// stand-ins.
class Program {
public:
    Program(PortLibrary& port, Clock& clock, SoundOutput& sound, Dialogs& dialogs, Random& random,
            ProgramPaths paths);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramState state;

    PortLibrary& port;
    Clock& clock;
    SoundOutput& sound;
    Dialogs& dialogs;
    Random& random;

    const ProgramPaths paths;

    // A file among the shipped ones, such as "ringin.wav".
    QString programFile(const QString& name) const;
    // The start-up setup file, tvlsetup.txt in the configuration folder.
    QString startupSetupFile() const;

    // When the interface is the built-in simulation the title screen says so.
    void setInterfaceDescription(const QString& text, bool simulated);
    QString interfaceDescription() const { return interfaceDescription_; }
    bool simulatedInterface() const { return simulated_; }

    // Ends the program at once, saving nothing (the operator gave up on a
    // missing interface, or chose Exit). Tests replace the ending.
    void endProgram();
    void setEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }

    // Declared last: the windows refer to everything above while they live.
    Forms forms;

private:
    QString interfaceDescription_;
    bool simulated_ = false;
    std::function<void()> endHandler_;
};
