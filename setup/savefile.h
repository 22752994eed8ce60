#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace setup {

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target only once everything is on disk, so a save that fails
// halfway (disk full, folder gone) leaves the previous file as it was.
// Returns the system's description of the failure, or nothing on success.
std::optional<QString> saveAtomically(const QString& path, const QByteArray& bytes);

}  // namespace setup
