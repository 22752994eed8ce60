#include "app/programfolder.h"

#include <QDir>
#include <QFileInfo>

QString findProgramFolder(const QString& executableFolder, const QString& builtForDataFolder) {
    const QDir exeDir(executableFolder);
    const QString installed = exeDir.absoluteFilePath(QStringLiteral("../share/torvanel"));
    if (QFileInfo::exists(installed + QStringLiteral("/ringin.wav")))
        return QDir::cleanPath(installed);
    if (QFileInfo::exists(exeDir.filePath(QStringLiteral("ringin.wav"))))
        return exeDir.absolutePath();
    return builtForDataFolder;
}

bool makePrivateFolder(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir()) return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent == path || !makePrivateFolder(parent)) return false;
    QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFileInfo(path).isDir();
}
