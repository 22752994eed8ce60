#include "setup/soundpaths.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

namespace setup {

QStringList shippedSounds() {
    return {QStringLiteral("ringin.wav"), QStringLiteral("ringout.wav"),
            QStringLiteral("inactive.wav"), QStringLiteral("sound528.wav")};
}

QString resolveSoundPath(const QString& stored, const QString& programFolder) {
    // A relative name would depend on the folder the program was started
    // from, so it never counts as an existing file.
    const QFileInfo info(stored);
    if (!stored.isEmpty() && info.isAbsolute() && info.isFile()) return stored;

    const qsizetype cut = std::max(stored.lastIndexOf(u'\\'), stored.lastIndexOf(u'/'));
    const QString name = stored.mid(cut + 1);
    for (const QString& shipped : shippedSounds()) {
        if (name.compare(shipped, Qt::CaseInsensitive) == 0) {
            return QDir(programFolder).filePath(shipped);
        }
    }
    return stored;
}

}  // namespace setup
