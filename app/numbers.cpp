#include "app/numbers.h"

#include <cmath>
#include <limits>

namespace numbers {
namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Walks the text, skipping blanks wherever they stand, as the operator's
// boxes and the setup file's padded numbers need.
class Scanner {
public:
    explicit Scanner(const QString& text) : text_(text) {}

    QChar peek() {
        skipBlanks();
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    void take() { ++pos_; }

    int position() {
        skipBlanks();
        return pos_;
    }
    void rewind(int pos) { pos_ = pos; }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }

    const QString& text_;
    int pos_ = 0;
};

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

}  // namespace

double leadingNumber(const QString& text) {
    Scanner in(text);
    QString number;  // the recognised part, blanks removed

    if (in.peek() == u'+' || in.peek() == u'-') {
        number += in.peek();
        in.take();
    }
    bool anyDigit = false;
    while (isDigit(in.peek())) {
        number += in.peek();
        in.take();
        anyDigit = true;
    }
    if (in.peek() == u'.') {
        number += u'.';
        in.take();
        while (isDigit(in.peek())) {
            number += in.peek();
            in.take();
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;

    // An exponent counts only when digits follow it ("1e3" is 1000, "1e" is 1).
    const QChar e = in.peek();
    if (e == u'e' || e == u'E' || e == u'd' || e == u'D') {
        const int mark = in.position();
        in.take();
        QString exponent = QStringLiteral("e");
        if (in.peek() == u'+' || in.peek() == u'-') {
            exponent += in.peek();
            in.take();
        }
        bool expDigit = false;
        while (isDigit(in.peek())) {
            exponent += in.peek();
            in.take();
            expDigit = true;
        }
        if (expDigit) {
            number += exponent;
        } else {
            in.rewind(mark);
        }
    }

    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok) return 0.0;
    return value;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5) return lower;
    if (diff > 0.5) return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<std::int16_t> toInt16(double value) {
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> toInt32(double value) {
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

std::optional<std::int16_t> textToInt16(const QString& text) {
    return toInt16(leadingNumber(text));
}

std::optional<std::int32_t> textToInt32(const QString& text) {
    return toInt32(leadingNumber(text));
}

QString printNumber(long long value) {
    if (value < 0) return QStringLiteral("-%1 ").arg(-static_cast<unsigned long long>(value));
    return QStringLiteral(" %1 ").arg(value);
}

std::int16_t saturatingAdd(std::int16_t value, long long step) {
    const long long sum = static_cast<long long>(value) + step;
    if (sum > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (sum < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(sum);
}

}  // namespace numbers
