#include "app/savefile.h"

#include <cerrno>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <unistd.h>
#include <cstdio>

namespace files {
namespace {

// Qt reports a short write (a full disk, a file-size limit) as "Unknown
// error"; the system's own words for it are still in errno.
QString describe(const QSaveFile& file, int systemError) {
    if (systemError != 0 &&
        (file.errorString().isEmpty() || file.errorString() == QLatin1String("Unknown error"))) {
        return qt_error_string(systemError);
    }
    return file.errorString();
}

}  // namespace

std::optional<QString> saveAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    errno = 0;
    // commit() renames the temporary file over the old one even when its
    // final flush fails, so the flush is checked here first. An uncommitted
    // temporary file is removed when `file` goes.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString error = describe(file, errno);
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return describe(file, errno);
    return std::nullopt;
}

std::optional<QString> saveReplacingLinks(const QString& path, const QByteArray& bytes) {
    // A short temporary name: the file's own may be near the 255-byte limit.
    QTemporaryFile temp(QFileInfo(path).dir().filePath(QStringLiteral(".torvanel-XXXXXX.tmp")));
    if (!temp.open()) return temp.errorString();
    errno = 0;
    if (temp.write(bytes) != bytes.size() || !temp.flush() || ::fsync(temp.handle()) != 0)
        return errno != 0 ? qt_error_string(errno) : temp.errorString();
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    // rename() puts the file in place of a link of its name; it does not
    // follow it, as opening the name would.
    if (::rename(QFile::encodeName(temp.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0)
        return qt_error_string(errno);
    temp.setAutoRemove(false);
    return std::nullopt;
}

QString asideName(const QString& path, const QDateTime& when, const QString& why) {
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral("%1-%2-%3.%4")
                                   .arg(info.completeBaseName(), why,
                                        when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")),
                                        info.suffix()));
}

}  // namespace files
