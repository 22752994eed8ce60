#pragma once

// Small helpers the setup-file tests share: building files line by line,
// writing and reading them, and what the operator can see.

#include <stdexcept>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/program.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "title/forms.h"

namespace setuptest {

// The loader's two messages for a start-up file it cannot use.
inline const QString kReadingError = QStringLiteral(
    "An error occured opening the Setup File TVLSETUP.TXT.  File may be corrupt.  Program will "
    "use its default values and continue. Change the program options as you require and try re "
    "saving from the FILE menu option.");
inline const QString kNotASetupFile =
    QStringLiteral("File corrupt or not an Torvanel Setup File.  Loading default settings.");

// Lines joined the way the program writes them: each one ended by CR LF.
inline QByteArray crlf(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += l.toLatin1() + "\r\n";
    return bytes;
}

// A complete, valid file's 45 lines with the windows' design values.
inline QStringList validLines() {
    QStringList lines = {QStringLiteral("Torvanel Setup File"), "2", "4"};
    lines << "Alpha"
          << "One"
          << "Two"
          << "Three"
          << "Four"
          << "Five";
    lines << "Beta"
          << "Six"
          << "Seven"
          << "Eight"
          << "Nine"
          << "Ten";
    lines << "Gamma"
          << "Eleven"
          << "Twelve"
          << "Thirteen"
          << "Fourteen"
          << "Fifteen";
    lines << "15:00"
          << "5"
          << "10"
          << "60"
          << "60"
          << "1";
    lines << " 16711680 "
          << " 192 ";
    lines << "ringin.wav"
          << "ringout.wav"
          << "ringin.wav"
          << "inactive.wav"
          << "sound528.wav";
    lines << " 0 ";
    for (int i = 36; i <= 41; ++i)
        lines << " 0 ";
    lines << " 12 "
          << " 0 "
          << " 0 "
          << "";
    return lines;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write test file");
    }
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// A file's lines as written: split at CR LF, without the part after the
// last line end (empty for a well-formed file).
inline QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray& l : lines) {
        if (l.endsWith('\r')) l.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

inline QStringList visibleWindows(Program& p) {
    QStringList shown;
    for (ScreenPair s : kAllScreens) {
        if (formsOf(p).isLoaded(s) && formsOf(p).playScreen(s).isVisible()) shown << screenName(s);
    }
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        if (formsOf(p).isLoaded(m) && formsOf(p).setupMenu(m).isVisible()) shown << menuName(m);
    }
    return shown;
}

inline QString testData(const QString& name) {
    return QDir(QStringLiteral(TORVANEL_TEST_DATA "/setup")).filePath(name);
}

}  // namespace setuptest
