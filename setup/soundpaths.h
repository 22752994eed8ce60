#pragma once

#include <QString>
#include <QStringList>

namespace setup {

// The wave files the program ships in its folder.
QStringList shippedSounds();

// The wave file a sound line means on this machine. A full path to a file
// that exists stands as it is. Otherwise, when the path's file name (after
// its last '\' or '/', in any letter case) is one of the shipped wave files,
// the shipped file in the program folder is meant: this lets files written
// on Windows ("C:\...\ringin.wav"), files from an install elsewhere and the
// bare names in the shipped presets find the sounds wherever the program is
// installed. Anything else is kept unchanged.
QString resolveSoundPath(const QString& stored, const QString& programFolder);

}  // namespace setup
