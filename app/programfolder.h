#pragma once

#include <QString>

// The folder of the program's shipped files (the wave files and the
// competition presets): next to the executable in a build tree,
// <prefix>/share/torvanel once installed, found from the executable's own
// folder so that an installed tree works wherever it was put; failing both,
// the data folder the program was built for.
QString findProgramFolder(const QString& executableFolder, const QString& builtForDataFolder);
