// Any bytes as a packet file, read both as the field's JSON and as a Word
// file: each reader either refuses them with a reason or gives a packet
// whose JSON reads back to the same packet, whose warnings can be said, and
// whose toss-ups number their words inside their own text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>

#include "packet/docxpacket.h"
#include "packet/packetjson.h"
#include "packet/words.h"

namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "packet: %s\n", what);
    std::abort();
}

void checkRead(const packet::PacketRead& read) {
    if (!read.packet) {
        check(!read.error.isEmpty(), "refused without a reason");
        return;
    }
    const QByteArray written = packet::writePacketJson(*read.packet);
    const packet::PacketRead again = packet::readPacketJson(written);
    check(again.packet.has_value(), "a written packet does not read back");
    check(packet::writePacketJson(*again.packet) == written, "a packet changed on its way back");
    packet::packetWarnings(*read.packet, {true, 3});
    for (const packet::Tossup& t : read.packet->tossups) {
        const packet::QuestionWords w = packet::numberWords(t.question);
        for (const packet::Word& word : w.words) {
            check(!word.text.isEmpty(), "an empty word");
            check(0 <= word.start && word.start < word.end && word.end <= t.question.size(),
                  "a word outside its question");
        }
        for (const packet::PowerMark& m : w.marks)
            check(m.beforeWord >= 0 && m.beforeWord <= w.afterQuestion(), "a mark out of place");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkRead(packet::readPacketJson(bytes));
    checkRead(packet::readDocxPacket(bytes));
    return 0;
}
