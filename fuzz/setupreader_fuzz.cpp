// Any bytes as a setup file: the reader splits them into at most 44 lines
// and takes nothing after the end of line 44, tells the encoding from the
// bytes of those lines only, parses every line into a value or a reason,
// and whatever record it gives back is written by the formatter into bytes
// that read back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include "setup/setupreader.h"
#include "setup/setuprecord.h"
#include "setup/textcodec.h"

namespace {

[[noreturn]] void fail(const char* what, int line = 0) {
    std::fprintf(stderr, "setup reader: %s (line %d)\n", what, line);
    std::abort();
}

void check(bool condition, const char* what, int line = 0) {
    if (!condition) fail(what, line);
}

// The lines as the file format defines them, worked out here without the
// reader: a line ends at CR or CR LF, a lone LF belongs to its line, a last
// line without its end still counts when it holds anything, and line 44's
// end is the last byte taken.
struct Split {
    std::vector<QByteArray> lines;
    qsizetype end = 0;  // bytes up to and including line 44's end
};

Split split(const QByteArray& bytes) {
    Split s;
    qsizetype pos = 0;
    while (static_cast<int>(s.lines.size()) < setup::kLineCount && pos < bytes.size()) {
        const qsizetype cr = bytes.indexOf('\r', pos);
        if (cr < 0) {
            s.lines.push_back(bytes.mid(pos));
            pos = bytes.size();
            break;
        }
        s.lines.push_back(bytes.mid(pos, cr - pos));
        pos = cr + 1;
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    s.end = pos;
    return s;
}

// Well-formed UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing
// above U+10FFFF, no sequence cut short.
bool isUtf8(const QByteArray& line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.constData());
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        int follow = 0;
        unsigned low = 0x80;
        unsigned high = 0xBF;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + follow >= n) return false;  // cut short
        for (int k = 1; k <= follow; ++k) {
            const unsigned c = p[i + k];
            const unsigned lo = k == 1 ? low : 0x80;
            const unsigned hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi) return false;
        }
        i += follow + 1;
    }
    return true;
}

setup::TextEncoding expectedEncoding(const std::vector<QByteArray>& lines) {
    bool beyondAscii = false;
    bool allUtf8 = true;
    for (const QByteArray& l : lines) {
        for (char c : l)
            beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
        allUtf8 = allUtf8 && isUtf8(l);
    }
    return beyondAscii && allUtf8 ? setup::TextEncoding::Utf8 : setup::TextEncoding::Windows1252;
}

// What the formatter makes of a value: a line break inside a text value is
// written as a blank (it would shift every later line).
setup::SetupRecord asWritten(const setup::SetupRecord& r) {
    setup::SetupRecord w = r;
    for (int n = 2; n <= setup::kLineCount; ++n) {
        if (!setup::isNumericLine(n)) w.setText(n, setup::withoutLineBreaks(r.text(n)));
    }
    return w;
}

void checkLines(const setup::SetupFileReader& reader, const Split& s) {
    check(reader.linesRead() == static_cast<int>(s.lines.size()), "line count");
    check(reader.linesRead() <= setup::kLineCount, "more than 44 lines");
    const setup::TextEncoding encoding = expectedEncoding(s.lines);
    check(reader.encoding() == encoding, "encoding");
    for (int n = 1; n <= reader.linesRead(); ++n) {
        QByteArray raw = s.lines[n - 1];
        if (n == 1 && encoding == setup::TextEncoding::Utf8 && raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3);
        const QString text = reader.text(n);
        if (encoding == setup::TextEncoding::Utf8) {
            // Valid UTF-8 has one reading, so its bytes again mean the
            // line was taken whole.
            check(text.toUtf8() == raw, "UTF-8 text back to its bytes", n);
        } else {
            // One character per byte, and the same bytes again when written.
            check(text.size() == raw.size(), "Windows-1252 length", n);
            check(setup::toWindows1252(text) == raw, "Windows-1252 text back to its bytes", n);
        }
    }
    check(reader.text(0).isEmpty() && reader.text(reader.linesRead() + 1).isEmpty(),
          "text outside the lines read");

    const auto header = reader.header();
    if (s.lines.empty()) {
        check(header == setup::SetupFileReader::Header::Missing, "missing header");
    } else {
        check(header == (reader.text(1) == setup::kHeader ? setup::SetupFileReader::Header::Valid
                                                          : setup::SetupFileReader::Header::Wrong),
              "header");
    }
}

// Every line 2 to 44 on its own: text lines always take their text, numeric
// lines a value in range or a reason, and a line not in the file says so.
void checkEveryLine(const setup::SetupFileReader& reader) {
    for (int n = 2; n <= setup::kLineCount; ++n) {
        setup::SetupRecord record;
        const setup::SetupRecord before = record;
        const auto error = reader.readLine(n, record);
        if (n > reader.linesRead()) {
            check(error && error->kind == setup::SetupError::Kind::FileEnds && error->line == n,
                  "line past the end", n);
            check(record == before, "failed line changed the record", n);
            continue;
        }
        if (!setup::isNumericLine(n)) {
            check(!error, "text line refused", n);
            check(record.text(n) == reader.text(n), "text line taken", n);
            continue;
        }
        if (error) {
            check(error->line == n, "error's line", n);
            check(error->kind == setup::SetupError::Kind::OutOfRange ||
                      error->kind == setup::SetupError::Kind::Overflow,
                  "error kind", n);
            check(record == before, "failed line changed the record", n);
            check(!error->description().isEmpty(), "error words", n);
            continue;
        }
        const std::int32_t v = record.number(n);
        if (setup::lineKind(n) != setup::LineKind::Colour) {
            check(v >= setup::minimumValue(n) && v <= setup::maximumValue(n), "value in range", n);
        }
        const auto parsed = setup::parseNumber(n, reader.text(n));
        check(!parsed.error && parsed.value == v, "readLine and parseNumber agree", n);
    }
}

void checkRoundTrip(const setup::SetupRecord& record) {
    const QByteArray written = setup::fileBytes(record.fileLines());
    const setup::SetupFileReader again(written);
    check(again.linesRead() == setup::kLineCount, "written file's lines");
    check(again.header() == setup::SetupFileReader::Header::Valid, "written file's header");
    setup::SetupRecord back;
    const auto error = again.readAll(back);
    if (error) fail("written file does not read back", error->line);
    const setup::SetupRecord expected = asWritten(record);
    for (int n = 2; n <= setup::kLineCount; ++n) {
        if (setup::isNumericLine(n)) {
            check(back.number(n) == expected.number(n), "number read back", n);
        } else {
            check(back.text(n) == expected.text(n), "text read back", n);
        }
    }
    check(back == expected, "record read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Split s = split(bytes);

    // From a device: nothing after line 44's end is taken from it.
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    const setup::SetupFileReader reader(device);
    check(device.pos() == s.end, "read past the end of line 44");
    checkLines(reader, s);

    // From bytes: the same lines.
    const setup::SetupFileReader fromBytes(bytes);
    check(fromBytes.linesRead() == reader.linesRead() && fromBytes.encoding() == reader.encoding(),
          "bytes and device differ");

    checkEveryLine(reader);

    // Reading in file order stops at the first line that fails and keeps
    // everything before it.
    setup::SetupRecord record;
    const auto error = reader.readAll(record);
    setup::SetupRecord stepwise;
    int failedAt = 0;
    for (int n = 2; n <= setup::kLineCount && failedAt == 0; ++n) {
        if (reader.readLine(n, stepwise)) failedAt = n;
    }
    check(error ? error->line == failedAt : failedAt == 0, "readAll stops at the first failure");
    check(record == stepwise, "readAll keeps what came before the failure");

    checkRoundTrip(record);
    return 0;
}
