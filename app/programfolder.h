#pragma once

#include <QString>

// The folder of the program's shipped files (the wave files and the
// competition presets): next to the executable in a build tree,
// <prefix>/share/torvanel once installed, found from the executable's own
// folder so that an installed tree works wherever it was put; failing both,
// the data folder the program was built for.
QString findProgramFolder(const QString& executableFolder, const QString& builtForDataFolder);

// Creates the folder and any missing folder above it, each readable by the
// user alone (a quiz's record and button assignment are nobody else's
// business); folders that exist are left as they are. True when the
// folder exists afterwards.
bool makePrivateFolder(const QString& folder);
