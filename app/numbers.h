#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// Numbers as the operator types them and as the setup file stores them.
//
// Every number the program reads from a text box or a setup-file line is the
// text's leading number: blanks anywhere are skipped, an optional sign, digits,
// an optional fraction and exponent; whatever follows is ignored, and a text
// that does not begin with a number counts as 0 ("12abc" is 12, "15:00" is 15,
// "abc" and "" are 0).
//
// Whole numbers are then rounded half to even. A value outside the target
// range never wraps: the conversion reports it as missing and the caller
// refuses it.
namespace numbers {

// The leading number of a text.
double leadingNumber(const QString& text);

// Round half to even ("2.5" is 2, "3.5" is 4, "-0.5" is 0).
double roundHalfEven(double value);

// The rounded value as a 16-bit integer, or nothing when it lies outside
// -32768..32767 (or is not a number at all).
std::optional<std::int16_t> toInt16(double value);

// The rounded value as a 32-bit integer, or nothing when it lies outside.
std::optional<std::int32_t> toInt32(double value);

// Shorthands: the leading number of a text converted to 16 / 32 bits.
std::optional<std::int16_t> textToInt16(const QString& text);
std::optional<std::int32_t> textToInt32(const QString& text);

// The setup file's numeric print style: " 5 " for 5, " 0 " for 0, "-5 " for -5.
QString printNumber(long long value);

// A 16-bit step added to a 16-bit value, held at the limits instead of
// wrapping (scores never roll over from 32767 to -32768).
std::int16_t saturatingAdd(std::int16_t value, long long step);

}  // namespace numbers
