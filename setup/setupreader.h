#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

#include "setup/setuprecord.h"
#include "setup/textcodec.h"

class QIODevice;

namespace setup {

// Why reading stopped at a line.
struct SetupError {
    enum class Kind {
        FileEnds,    // the file ended before this line
        Unreadable,  // the file could not be read
        OutOfRange,  // a list index or check value its control does not have
        Overflow,    // a number too large for its line
    };
    int line = 0;
    Kind kind = Kind::FileEnds;
    QString detail;  // the device's own words for an unreadable file

    // The words shown to the operator after "failed to open".
    QString description() const;
};

// No line the program writes is longer: a text box holds at most 32767
// UTF-16 units, each at most 3 bytes of UTF-8 (a surrogate pair, two
// units, is 4).
inline constexpr qsizetype kMaxLineBytes = 32767 * 3;

// Reads a setup file one line at a time. Lines end at CR or CR LF (a lone
// LF is part of its line), and nothing after line 44 is read. A line longer
// than kMaxLineBytes makes that line and the rest unreadable; no more of it
// is read. The text is
// Windows-1252 or UTF-8, told apart by the bytes (see detectEncoding).
class SetupFileReader {
public:
    // Reads the device from where it stands up to the end of line 44.
    explicit SetupFileReader(QIODevice& device);
    explicit SetupFileReader(const QByteArray& bytes);

    enum class Header { Valid, Wrong, Missing };
    // Line 1 compared case-sensitively with the header. Missing when the
    // file has no first line at all or could not be read.
    Header header() const;
    // The error behind a missing header.
    SetupError headerError() const;

    // Takes line n (2 to 44) into the record, or says why it cannot; the
    // record is left as it was for that line then.
    std::optional<SetupError> readLine(int n, SetupRecord& record) const;

    // Lines 2 to 44 one after another, stopping at the first error.
    std::optional<SetupError> readAll(SetupRecord& record) const;

    int linesRead() const { return static_cast<int>(lines_.size()); }
    TextEncoding encoding() const { return encoding_; }
    // Line n's text, decoded; empty beyond the lines read.
    QString text(int n) const;

private:
    void read(QIODevice& device);
    void finish();

    QList<QByteArray> lines_;
    TextEncoding encoding_ = TextEncoding::Windows1252;
    // Set when the device failed; the lines from failedAt_ on are unreadable.
    int failedAt_ = 0;
    QString failure_;
};

// The value of a numeric line's text for that line: the leading number,
// rounded half to even to 16 bits (32 for colours), within the line's range.
struct NumberOrError {
    std::int32_t value = 0;
    std::optional<SetupError::Kind> error;
};
NumberOrError parseNumber(int line, const QString& text);

}  // namespace setup
