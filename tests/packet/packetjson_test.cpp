#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "packet/packetjson.h"
#include "packet/packettext.h"

namespace {

using packet::Packet;
using packet::PacketLimits;
using packet::readPacketJson;

const char* const twoAndOne = R"({
  "name": "Round 4",
  "tossups": [
    {"question": "This <b>gold</b>berg (\"GOLD-burg\") wrote (*) &amp; left.",
     "answer": "<u><b>Goldberg</b></u> [accept <req>G</req>]", "metadata": "A. Writer, Music",
     "number": 7, "category": "Music"},
    {"question": "Second (*) toss-up.", "answer": "second", "number": " 8"}
  ],
  "bonuses": [
    {"leadin": "For 10 points each:", "parts": ["H<sub>2</sub>O?", "E = mc<sup>2</sup>?"],
     "answers": ["<u>water</u>", "<i>energy</i>"], "values": [10, 20],
     "difficultyModifiers": ["e", "h"], "metadata": "B. Writer, Science"}
  ]
})";

TEST(PacketJson, ReadsTheFieldsWithTheirFormatting) {
    const packet::PacketRead read = readPacketJson(twoAndOne);
    ASSERT_TRUE(read.packet) << read.error.toStdString();
    const Packet& p = *read.packet;
    EXPECT_EQ(p.name, QStringLiteral("Round 4"));
    ASSERT_EQ(p.tossups.size(), 2u);
    EXPECT_EQ(p.tossups[0].question,
              QStringLiteral("This <b>gold</b>berg (\"GOLD-burg\") wrote (*) &amp; left."));
    EXPECT_EQ(p.tossups[0].answer, QStringLiteral("<u><b>Goldberg</b></u> [accept <req>G</req>]"));
    EXPECT_EQ(p.tossups[0].number, 7);
    EXPECT_EQ(p.tossups[0].category, QStringLiteral("Music"));
    EXPECT_EQ(p.tossups[0].metadata, QStringLiteral("A. Writer, Music"));
    EXPECT_EQ(p.tossups[1].number, 8);
    ASSERT_EQ(p.bonuses.size(), 1u);
    const packet::Bonus& b = p.bonuses[0];
    EXPECT_EQ(b.parts[1], QStringLiteral("E = mc<sup>2</sup>?"));
    EXPECT_EQ(b.answers[0], QStringLiteral("<u>water</u>"));
    EXPECT_EQ(b.values, (std::vector<int>{10, 20}));
    EXPECT_EQ(b.difficultyModifiers, (std::vector<QChar>{u'e', u'h'}));
}

// What is written reads back the same, and carries the plain copies the
// field's tools read.
TEST(PacketJson, WrittenPacketsReadBackTheSame) {
    const Packet p = *readPacketJson(twoAndOne).packet;
    const QByteArray written = packet::writePacketJson(p);
    const Packet again = *readPacketJson(written).packet;
    EXPECT_EQ(packet::writePacketJson(again), written);
    const QJsonObject root = QJsonDocument::fromJson(written).object();
    const QJsonObject first = root[QStringLiteral("tossups")].toArray()[0].toObject();
    EXPECT_EQ(first[QStringLiteral("question_sanitized")].toString(),
              QStringLiteral("This goldberg (\"GOLD-burg\") wrote (*) & left."));
    EXPECT_EQ(first[QStringLiteral("number")].toInt(), 7);
    const QJsonObject bonus = root[QStringLiteral("bonuses")].toArray()[0].toObject();
    EXPECT_EQ(bonus[QStringLiteral("parts_sanitized")].toArray()[0].toString(),
              QStringLiteral("H2O?"));
    EXPECT_EQ(bonus[QStringLiteral("difficultyModifiers")].toArray().size(), 2);
    EXPECT_EQ(root[QStringLiteral("tossups")].toArray()[1].toObject()[QStringLiteral("number")], 8);
    EXPECT_FALSE(bonus.contains(QStringLiteral("number")));
}

// A packet that only gives the plain copies is read from them, escaped to
// stand as formatted text.
TEST(PacketJson, ReadsSanitizedCopiesWhenAlone) {
    const auto read = readPacketJson(R"({"tossups": [{"question_sanitized": "Is a < b & c?",
                                                      "answer_sanitized": "yes"}]})");
    ASSERT_TRUE(read.packet) << read.error.toStdString();
    EXPECT_EQ(read.packet->tossups[0].question, QStringLiteral("Is a &lt; b &amp; c?"));
    EXPECT_EQ(packet::plainText(read.packet->tossups[0].question), QStringLiteral("Is a < b & c?"));
    EXPECT_TRUE(read.packet->bonuses.empty());
}

TEST(PacketJson, MalformedPacketsNameTheQuestionAndTheField) {
    struct Row {
        const char* json;
        const char* error;
    };
    const Row rows[] = {
        {R"({"tossups": [{"question": "Q", "answer": "A"}, {"question": "Q2"}]})",
         R"(Toss-up 2: "answer" is missing.)"},
        {R"({"tossups": [{"question": 5, "answer": "A"}]})",
         R"(Toss-up 1: "question" is not text.)"},
        {R"({"tossups": ["Q"]})", "Toss-up 1 is not a question"},
        {R"({"tossups": [{"question": "Q", "answer": "A", "number": -1}]})",
         R"(Toss-up 1: "number" is not a question number.)"},
        {R"({"tossups": [{"question": "Q", "answer": "A", "number": "seven"}]})",
         R"(Toss-up 1: "number" is not a question number.)"},
        {R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": "p", "answers": []}]})",
         R"(Bonus 1: "parts" is not a list.)"},
        {R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": ["a", 3], "answers": []}]})",
         R"(Bonus 1: "parts" item 2 is not text.)"},
        {R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": [], "answers": []},
                                        {"parts": [], "answers": []}]})",
         R"(Bonus 2: "leadin" is missing.)"},
        {R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": ["a"], "answers": ["b"],
                                         "values": [10, "ten"]}]})",
         R"(Bonus 1: "values" item 2 is not a number of points.)"},
        {R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": ["a"], "answers": ["b"],
                                         "values": [10], "difficultyModifiers": ["x"]}]})",
         R"(Bonus 1: "difficultyModifiers" item 1 is not e, m or h.)"},
        {R"({"tossups": {}})", R"(The packet's "tossups" is not a list.)"},
        {R"({"bonuses": []})", R"(The packet has no "tossups".)"},
        {R"([1, 2])", "The packet is not a packet"},
        {R"({"tossups": [)", "The packet is not valid JSON"},
    };
    for (const Row& row : rows) {
        const auto read = readPacketJson(row.json);
        EXPECT_FALSE(read.packet) << row.json;
        EXPECT_TRUE(read.error.startsWith(QString::fromUtf8(row.error)))
            << row.json << "\n"
            << read.error.toStdString();
    }
}

TEST(PacketJson, RefusesWhatIsTooLarge) {
    PacketLimits small;
    small.questions = 2;
    small.textChars = 10;
    small.nesting = 5;
    small.jsonBytes = 200;
    small.partsPerBonus = 2;
    const char* const rows[] = {
        R"({"tossups": [{"question": "Q", "answer": "A"}, {"question": "Q", "answer": "A"},
                        {"question": "Q", "answer": "A"}]})",
        R"({"tossups": [{"question": "a question too long", "answer": "A"}]})",
        R"({"tossups": [], "bonuses": [{"leadin": "L", "parts": ["a", "b", "c"], "answers": []}]})",
        R"({"tossups": [[[[[[[]]]]]]]})",
        R"({"tossups": [], "name": "a name longer than the whole file may be, which is two hundred bytes, so here are some more words to pass it by a margin: one two three four five six seven eight nine ten eleven"})",
    };
    for (const char* json : rows) {
        const auto read = readPacketJson(json, small);
        EXPECT_FALSE(read.packet) << json;
        EXPECT_TRUE(read.error.contains(QStringLiteral("too large"))) << read.error.toStdString();
    }
    // Brackets inside text are no nesting.
    EXPECT_TRUE(readPacketJson(R"({"tossups": [], "name": "[[[[[[[["})", small).packet);
}

TEST(PacketWarnings, EachKindSaidOnceWithEveryQuestionItConcerns) {
    const auto read = readPacketJson(R"({"tossups": [
        {"question": "No mark.", "answer": "a"},
        {"question": "A mark (*) here.", "answer": "b"},
        {"question": "No mark, no answer.", "answer": " ", "number": 9}
      ], "bonuses": [
        {"leadin": "L", "parts": ["a", "b"], "answers": ["a", "b"], "values": [10, 10]},
        {"leadin": "L", "parts": ["a", "b", "c"], "answers": ["a", "b"], "values": [10, 10, 10]},
        {"leadin": "L", "parts": ["a", "b", "c"], "answers": ["a", "", "c"], "values": [10, 10]}
      ]})");
    ASSERT_TRUE(read.packet) << read.error.toStdString();
    EXPECT_EQ(packet::packetWarnings(*read.packet, {true, 3}),
              (QStringList{
                  QStringLiteral("Toss-ups without a power mark (*): 1, 9."),
                  QStringLiteral("Toss-ups without an answer: 9."),
                  QStringLiteral("Bonuses whose number of parts is not the rules' 3: 1 (2)."),
                  QStringLiteral("Bonuses whose answers do not match their parts: 2 (3 parts, 2 "
                                 "answers)."),
                  QStringLiteral("Bonuses whose values do not match their parts: 3 (3 parts, 2 "
                                 "values)."),
                  QStringLiteral("Bonuses with a part without an answer: 3."),
              }));
    // Rules without powers or a set part count do not ask for them.
    EXPECT_EQ(packet::packetWarnings(*read.packet, {false, 0}).size(), 4);
}

}  // namespace
