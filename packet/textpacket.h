#pragma once

#include <vector>

#include <QString>

#include "packet/packet.h"

// Packets as people write them in a word processor, line by line:
//   Tossups                       a section heading (or Bonuses); optional
//   1. Question text (*) more.    a question numbered "1." or "1)"
//   ANSWER: <u>required</u> part  the answer line
//   <Author, Category>            lines after the answer: metadata
//   1. Bonus lead-in.
//   [10e] First part.             parts: value, then e/m/h for difficulty
//   ANSWER: first answer
// Whether a question is a toss-up or a bonus is told by its parts, so
// packets that alternate a toss-up and its bonus read as well as ones in
// sections.
namespace packet {

struct PacketLine {
    QString formatted;          // the field's text form (tags and entities)
    int line = 0;               // 1-based, as a person counts the document's lines
    bool listNumbered = false;  // numbered by the word processor, not in the text
};

// The packet the lines hold. A question that cannot be read is left out with
// a problem naming its number and line; the rest is read. The error is set
// (and no packet given) only when there is nothing to read or too much.
PacketRead readPacketLines(const std::vector<PacketLine>& lines, const PacketLimits& limits = {});

}  // namespace packet
