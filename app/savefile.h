#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace files {

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target only once everything is on disk, so a save that fails
// halfway (disk full, folder gone) leaves the previous file as it was.
// Returns the system's description of the failure, or nothing on success.
std::optional<QString> saveAtomically(const QString& path, const QByteArray& bytes);

// As saveAtomically, but for a folder others may write to (a share, the
// stream files' folder): a link of the file's name is replaced by the file,
// never written through, so a link cannot send the bytes over another file
// (the record, the setup file). The file is readable by all, as the stats
// room and a streaming program need.
std::optional<QString> saveReplacingLinks(const QString& path, const QByteArray& bytes);

// The name a file is put aside under, beside it, for the given local time
// and the word for why: "record-damaged-2026-12-08-125230.sqlite".
QString asideName(const QString& path, const QDateTime& when, const QString& why);

}  // namespace files
