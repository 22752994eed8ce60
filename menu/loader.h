#pragma once

#include <QString>

#include "setup/setupreader.h"

class Program;

namespace setup {

// The values that hold when no setup file, or a bad one, is read: the five
// shipped wave files, the eight stored option boxes cleared and no extra
// transmitter. Everything else keeps the windows' design values.
void applyLoaderDefaults(Program& program);

// How reading a setup file into the windows ended.
struct LoadResult {
    enum class Outcome { Loaded, WrongHeader, Failed };
    Outcome outcome = Outcome::Loaded;
    SetupError error;  // why it failed
};

// Reads the file and applies lines 2 to 44 to the windows in file order,
// each line as soon as it has been read, so that whatever came before a
// bad line stays applied. With `setsTeamLists` (opening a file from a
// set-up menu) both menus' team lists follow line 2 at once.
LoadResult loadSetupFile(Program& program, const QString& path, bool setsTeamLists = false);

// The start-up file, after the defaults: read it, or make it on the first
// run. Every failure is reported to the operator and start-up goes on.
void loadStartupSetupFile(Program& program);

// The first run: the operator picks a competition preset, which is applied
// and written out as the start-up file.
void createfile(Program& program);

}  // namespace setup
