#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// Setup files written by the program on Windows are in the Windows-1252 code
// page; a name that code page cannot hold is written in UTF-8 instead. Qt
// has no Windows-1252 codec of its own, so the table lives here.
namespace setup {

enum class TextEncoding { Windows1252, Utf8 };

// Every byte has a character: the five bytes the code page leaves unused
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) come back as the control characters of the
// same number, so that writing them again gives the same bytes.
QString fromWindows1252(QByteArrayView bytes);

// Nothing when a character has no place in the code page.
std::optional<QByteArray> toWindows1252(QStringView text);

// UTF-8 when the lines hold bytes above 0x7F and all of them form valid
// UTF-8, else Windows-1252 (which accepts any bytes). Plain ASCII reads the
// same either way.
TextEncoding detectEncoding(const QList<QByteArray>& lines);

QString decode(QByteArrayView bytes, TextEncoding encoding);

}  // namespace setup
