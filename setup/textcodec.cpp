#include "setup/textcodec.h"

#include <QStringDecoder>

namespace setup {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

std::optional<char> windows1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

}  // namespace

QString fromWindows1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        text += QChar(u >= 0x80 && u <= 0x9F ? kHighControls[u - 0x80] : char16_t(u));
    }
    return text;
}

std::optional<QByteArray> toWindows1252(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const auto b = windows1252Byte(c.unicode());
        if (!b) return std::nullopt;
        bytes += *b;
    }
    return bytes;
}

TextEncoding detectEncoding(const QList<QByteArray>& lines) {
    bool beyondAscii = false;
    for (const QByteArray& l : lines) {
        for (char b : l) {
            if (static_cast<unsigned char>(b) >= 0x80) {
                beyondAscii = true;
                break;
            }
        }
        if (beyondAscii) break;
    }
    if (!beyondAscii) return TextEncoding::Windows1252;
    for (const QByteArray& l : lines) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        // The decoder works only when its result is taken.
        const QString decoded = utf8.decode(l);
        if (utf8.hasError()) return TextEncoding::Windows1252;
    }
    return TextEncoding::Utf8;
}

QString decode(QByteArrayView bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        // QString::fromUtf8 drops a byte-order mark at the start; a line is
        // taken as it stands (the reader removes the header's own mark).
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(bytes);
    }
    return fromWindows1252(bytes);
}

}  // namespace setup
