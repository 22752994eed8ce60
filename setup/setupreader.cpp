#include "setup/setupreader.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>

#include "app/numbers.h"

namespace setup {

QString SetupError::description() const {
    QString what;
    switch (kind) {
    case Kind::FileEnds: what = QStringLiteral("Input past end of file"); break;
    case Kind::Unreadable:
        what = detail.isEmpty() ? QStringLiteral("File could not be read") : detail;
        break;
    case Kind::OutOfRange: what = QStringLiteral("Invalid property value"); break;
    case Kind::Overflow: what = QStringLiteral("Overflow"); break;
    }
    return QStringLiteral("%1 (line %2)").arg(what).arg(line);
}

SetupFileReader::SetupFileReader(QIODevice& device) { read(device); }

SetupFileReader::SetupFileReader(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    read(buffer);
}

void SetupFileReader::read(QIODevice& device) {
    QByteArray current;
    bool pending = false;  // bytes seen since the last line end
    char c = 0;
    while (lines_.size() < kLineCount) {
        if (!device.getChar(&c)) {
            const auto* file = qobject_cast<const QFileDevice*>(&device);
            if (file && file->error() != QFileDevice::NoError) {
                failedAt_ = static_cast<int>(lines_.size()) + 1;
                failure_ = device.errorString();
            } else if (pending) {
                lines_ << current;  // a last line without its line end
            }
            break;
        }
        if (c == '\r') {
            lines_ << current;
            current.clear();
            pending = false;
            // CR LF is one line end; look at the next byte without taking
            // anything that belongs to a line we will not read.
            char next = 0;
            if (device.peek(&next, 1) == 1 && next == '\n') device.getChar(&next);
            continue;
        }
        if (current.size() >= kMaxLineBytes) {
            // Not a setup file, whatever its first lines say: a huge file
            // without a line end must not be taken into memory whole.
            failedAt_ = static_cast<int>(lines_.size()) + 1;
            failure_ = QStringLiteral("Line too long");
            break;
        }
        current += c;
        pending = true;
    }
    finish();
}

void SetupFileReader::finish() {
    encoding_ = detectEncoding(lines_);
    // An editor may put a byte-order mark before the header of a UTF-8 file.
    if (encoding_ == TextEncoding::Utf8 && !lines_.isEmpty() &&
        lines_.first().startsWith("\xEF\xBB\xBF")) {
        lines_.first().remove(0, 3);
    }
}

QString SetupFileReader::text(int n) const {
    if (n < 1 || n > linesRead()) return {};
    return decode(lines_.at(n - 1), encoding_);
}

SetupFileReader::Header SetupFileReader::header() const {
    if (linesRead() < 1) return Header::Missing;
    return text(1) == kHeader ? Header::Valid : Header::Wrong;
}

SetupError SetupFileReader::headerError() const {
    if (failedAt_ == 1) return {1, SetupError::Kind::Unreadable, failure_};
    return {1, SetupError::Kind::FileEnds, {}};
}

NumberOrError parseNumber(int l, const QString& text) {
    const double n = numbers::leadingNumber(text);
    if (lineKind(l) == LineKind::Colour) {
        const auto v = numbers::toInt32(n);
        if (!v) return {0, SetupError::Kind::Overflow};
        return {*v, std::nullopt};
    }
    const auto v = numbers::toInt16(n);
    if (!v) return {0, SetupError::Kind::Overflow};
    if (*v < minimumValue(l) || *v > maximumValue(l)) return {*v, SetupError::Kind::OutOfRange};
    return {*v, std::nullopt};
}

std::optional<SetupError> SetupFileReader::readLine(int n, SetupRecord& record) const {
    if (failedAt_ != 0 && n >= failedAt_)
        return SetupError{n, SetupError::Kind::Unreadable, failure_};
    if (n > linesRead()) return SetupError{n, SetupError::Kind::FileEnds, {}};
    const QString t = text(n);
    if (!isNumericLine(n)) {
        record.setText(n, t);
        return std::nullopt;
    }
    const NumberOrError parsed = parseNumber(n, t);
    if (parsed.error) return SetupError{n, *parsed.error, {}};
    record.setNumber(n, parsed.value);
    return std::nullopt;
}

std::optional<SetupError> SetupFileReader::readAll(SetupRecord& record) const {
    for (int n = 2; n <= kLineCount; ++n) {
        if (auto error = readLine(n, record)) return error;
    }
    return std::nullopt;
}

}  // namespace setup
