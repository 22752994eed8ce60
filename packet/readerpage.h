#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include "packet/packet.h"

// What the moderator's reader shows at a moment of the match: the question
// being read, the buzzes marked on its words, the bonus part being read. The
// match side (the scoresheet with its packet) makes it; the reader window
// only draws it and turns the operator's keys and clicks into requests.
namespace packet {

// A buzz marked on the toss-up's words.
struct ReaderMark {
    int word = 0;              // by the field's numbering (numberWords); afterQuestion()
                               // when the buzz came after the last word
    QString name;              // the player who buzzed, as the match names them
    int team = 0;              // 0-based team of the match
    bool confirmed = false;    // ruled, or the operator put the mark there
    std::optional<int> value;  // the ruling's points, once ruled
};

struct ReaderPage {
    enum class Showing { Nothing, Tossup, Bonus };

    std::shared_ptr<const Packet> packet;  // null: no packet chosen
    Showing showing = Showing::Nothing;
    int questionNumber = 0;         // the sheet's toss-up number (1-based)
    int tossupIndex = -1;           // into packet->tossups; -1: the packet has run out
    std::vector<ReaderMark> marks;  // this toss-up's buzzes, in order
    // The mark awaiting a ruling (an index into marks): the arrows and a
    // click move it.
    std::optional<int> movingMark;
    int bonusIndex = -1;           // into packet->bonuses when showing a bonus
    int bonusPart = -1;            // the part being read, 0-based; -1: the lead-in
    std::optional<int> bonusTeam;  // the team in control
};

}  // namespace packet
