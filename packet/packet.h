#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

// A packet as the field writes it: toss-ups and bonuses in reading order.
// Every text field is in the field's form: characters with the formatting
// tags <b> <u> <i> <em> <req> <sub> <sup> and HTML entities (see
// packettext.h), power marks, pronunciation guides and reader directives
// kept as written.
namespace packet {

struct Tossup {
    QString question;
    QString answer;
    std::optional<int> number;  // as printed in the packet, when it says
    QString category;
    QString metadata;  // author, category and the like, as one line
};

struct Bonus {
    QString leadin;
    // The three lists go part by part; a packet may give them of different
    // lengths, which packetWarnings() names and the reader shows as given.
    std::vector<QString> parts;
    std::vector<QString> answers;
    std::vector<int> values;
    // 'e', 'm' or 'h' per part; empty when the packet does not say.
    std::vector<QChar> difficultyModifiers;
    std::optional<int> number;
    QString category;
    QString metadata;
};

struct Packet {
    QString name;
    std::vector<Tossup> tossups;
    std::vector<Bonus> bonuses;
};

// What a reader of a packet file gives back. No packet: `error` says why in
// words for the operator. A packet: `problems` names the questions that could
// not be read (by number and line) and were left out; the rest is there.
struct PacketRead {
    std::optional<Packet> packet;
    QString error;
    QStringList problems;
};

// What the match's rules expect of a packet, for its warnings.
struct PacketExpectations {
    bool powers = false;  // a toss-up should carry a power mark (*)
    int bonusParts = 0;   // 0: any count
};

// What the field's moderator app warns about, each kind said once with every
// question it concerns: toss-ups without a power mark (when the rules have
// powers) or without an answer, bonuses whose part count differs from the
// rules', whose answers or values do not match their parts, or whose parts
// lack an answer. The packet stays usable whatever they say.
QStringList packetWarnings(const Packet& packet, const PacketExpectations& expect);

// Limits on what a packet file may hold; past them the file is refused as
// too large rather than read into memory.
struct PacketLimits {
    // A Word file with pictures can be big; only its text is ever read.
    qsizetype fileBytes = 256LL * 1024 * 1024;
    qsizetype jsonBytes = 8LL * 1024 * 1024;
    int questions = 1000;  // of each kind
    int partsPerBonus = 20;
    qsizetype textChars = 20000;  // one field
    int nesting = 16;             // of JSON arrays and objects
    // The Word file's main document once unzipped, and the zip's entries.
    qsizetype documentBytes = 64LL * 1024 * 1024;
    qsizetype zipEntries = 5000;
};

// Reads a packet file, JSON or Word (.docx), by its content rather than its
// name. The packet's name is the file's when the packet gives none.
PacketRead readPacketFile(const QString& path, const PacketLimits& limits = {});

}  // namespace packet
