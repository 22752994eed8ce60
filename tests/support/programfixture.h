#pragma once

#include <memory>

#include <QTemporaryDir>

#include "app/clock.h"
#include "app/program.h"
#include "app/random.h"
#include "shell/capabilities.h"
#include "sim/simulatedinterface.h"
#include "support/recordingsound.h"
#include "support/scripteddialogs.h"
#include "title/forms.h"

// Thrown by a test program's end handler, so that "the program ends" stops
// the code under test the way the real ending does.
struct ProgramEnded {};

// A whole Program built from stand-ins: a manual clock that moves a little
// with every reading (so a silent box runs into its time limits), the
// simulated box, recorded sound, scripted dialogs, a fixed seed, and fresh
// program and configuration folders (the program folder holds the shipped
// wave files).
class TestProgram {
public:
    explicit TestProgram(int model = 170, std::uint16_t portAddress = 888);
    ~TestProgram();

    Program& operator*() { return *program; }
    Program* operator->() { return program.get(); }

    // Runs the start-up road; false when it ended the program.
    bool startUp();

    // Runs pending deferred deletions (unloaded windows).
    static void flushDeletes();

    ManualClock clock{1000.0, 1e-5};
    SimulatedInterface box;
    RecordingSound sound;
    ScriptedDialogs dialogs;
    SeededRandom random{20261208};
    QTemporaryDir programDir;
    QTemporaryDir configDir;

    // Watches everything the windows record and keeps each key the record's
    // format does not list; a test program that saw one fails.
    struct FormatCheck final : record::MatchRecorder {
        void record(record::EventKind kind, const QJsonObject& data) override;
        QStringList undocumented;
    } formatCheck;

    std::unique_ptr<Program> program;
    std::unique_ptr<Forms> forms;  // the program's windows
    std::unique_ptr<Capabilities> capabilities;
    int ends = 0;
};
