#pragma once

#include <QString>

// Question text as the field keeps it: plain characters with the formatting
// tags <b> <u> <i> <em> <req> <sub> <sup> and HTML entities. These turn it
// into what a person reads and back.
namespace packet {

// The text with every tag removed and the entities decoded; <br> and
// paragraph tags become a space, so that words on either side stay apart.
QString plainText(const QString& formatted);

// Characters that would read as markup (& < >) written as entities, so that
// plain text can stand in a formatted field.
QString escapeText(const QString& plain);

// The decoded character(s) of the entity that starts at `at` (an '&'), and
// its length in `length`; an empty string (length 0) when `at` does not start
// an entity this reader knows, which is then kept as written.
QString decodeEntity(const QString& text, qsizetype at, qsizetype* length);

// The length of the tag that starts at `at` (a '<' followed by a letter, or
// "</" and a letter, up to the next '>'); 0 when there is none, so that a
// lone '<' stays text.
qsizetype tagLength(const QString& text, qsizetype at);

// True when the tag is one that separates words (a line break or a paragraph).
bool tagSeparatesWords(QStringView tag);

}  // namespace packet
