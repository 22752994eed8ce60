#include <gtest/gtest.h>

#include <QFile>

#include "packet/docxpacket.h"
#include "packet/packetjson.h"
#include "packet/packettext.h"
#include "packet/words.h"

// The Word files are written by tools/make_packets.py from the plain
// descriptions there; the comments name what each one holds.
namespace {

using packet::Packet;
using packet::plainText;

QString fixture(const char* name) {
    return QStringLiteral(TORVANEL_PACKET_FIXTURES "/") + QString::fromUtf8(name);
}

Packet readDocx(const char* name) {
    const packet::PacketRead read = packet::readDocxPacketFile(fixture(name));
    EXPECT_TRUE(read.packet) << name << ": " << read.error.toStdString();
    EXPECT_TRUE(read.problems.isEmpty()) << read.problems.join(u'\n').toStdString();
    return read.packet.value_or(Packet{});
}

// Sections, the title, the power mark, formatting kept as tags, a run split
// inside a word, a line break inside a question, metadata and category
// lines, acceptances on their own line, parts with and without difficulty.
TEST(DocxPacket, ReadsEveryConvention) {
    const Packet p = readDocx("sections.docx");
    EXPECT_EQ(p.name, QStringLiteral("Spring Open 2024 - Round 3"));
    ASSERT_EQ(p.tossups.size(), 3u);
    ASSERT_EQ(p.bonuses.size(), 2u);

    const packet::Tossup& kafka = p.tossups[0];
    EXPECT_EQ(kafka.number, 1);
    EXPECT_TRUE(kafka.question.startsWith(QStringLiteral("This author of <i>The Trial</i> wrote")));
    EXPECT_TRUE(kafka.question.contains(QStringLiteral("Gregor Samsa (*) waking")));
    EXPECT_EQ(kafka.answer, QStringLiteral("Franz <b><u>Kafka</u></b>"));
    EXPECT_EQ(kafka.metadata, QStringLiteral("Ann Author, Literature"));

    const packet::Tossup& gas = p.tossups[1];
    EXPECT_TRUE(gas.question.contains(QStringLiteral("H<sub>2</sub>O's")));
    EXPECT_TRUE(gas.question.contains(QStringLiteral("10<sup>3</sup> parts")));
    EXPECT_TRUE(
        gas.question.contains(QStringLiteral("Black (\"blak\") called it fixed air "
                                             "(read slowly) in 1750 (*)")));
    EXPECT_EQ(gas.answer,
              QStringLiteral("<u>carbon dioxide</u> [accept <u>CO2</u>; prompt on <u>gas</u>]"));
    EXPECT_EQ(gas.category, QStringLiteral("Science"));
    EXPECT_TRUE(gas.metadata.isEmpty());

    EXPECT_EQ(plainText(p.tossups[2].question),
              QStringLiteral("In a noted speech, this man said \"Ich bin ein Berliner.\" For 10 "
                             "points, name this president."));

    const packet::Bonus& rivers = p.bonuses[0];
    EXPECT_EQ(rivers.leadin, QStringLiteral("Answer these questions about rivers, for 10 points "
                                            "each."));
    EXPECT_EQ(rivers.parts.size(), 3u);
    EXPECT_EQ(rivers.parts[0], QStringLiteral("This river flows through Cairo."));
    EXPECT_TRUE(rivers.parts[2].contains(QStringLiteral("<i>Oxus</i>")));
    EXPECT_EQ(rivers.answers,
              (std::vector<QString>{QStringLiteral("<u>Nile</u>"), QStringLiteral("<u>Tigris</u>"),
                                    QStringLiteral("<u>Amu Darya</u>")}));
    EXPECT_EQ(rivers.values, (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(rivers.difficultyModifiers, (std::vector<QChar>{u'e', u'm', u'h'}));
    EXPECT_EQ(rivers.metadata, QStringLiteral("Ben Writer, Geography"));
    EXPECT_TRUE(p.bonuses[1].difficultyModifiers.empty());
    EXPECT_EQ(p.bonuses[1].number, 2);

    // The same file from memory reads the same.
    QFile file(fixture("sections.docx"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto fromMemory = packet::readDocxPacket(file.readAll());
    ASSERT_TRUE(fromMemory.packet);
    EXPECT_EQ(packet::writePacketJson(*fromMemory.packet), packet::writePacketJson(p));
}

TEST(DocxPacket, ReadsPacketsThatAlternateATossupAndItsBonus) {
    const Packet p = readDocx("alternating.docx");
    ASSERT_EQ(p.tossups.size(), 3u);
    EXPECT_EQ(p.tossups[2].number, 21);  // under a heading of extras
    ASSERT_EQ(p.bonuses.size(), 2u);
    EXPECT_EQ(p.tossups[1].number, 2);
    EXPECT_EQ(p.bonuses[1].number, 2);
    EXPECT_EQ(plainText(p.bonuses[1].answers[0]), QStringLiteral("The Marriage of Figaro"));
    EXPECT_TRUE(p.bonuses[1].answers[0].contains(QStringLiteral("Marriage of Figaro</i></u>")));
    EXPECT_EQ(p.bonuses[0].answers[2], QStringLiteral("<u>Europa</u>"));
}

TEST(DocxPacket, ReadsQuestionsNumberedByTheWordProcessor) {
    const Packet p = readDocx("listnumbered.docx");
    ASSERT_EQ(p.tossups.size(), 2u);
    EXPECT_EQ(p.tossups[1].number, 2);
    EXPECT_EQ(p.tossups[1].answer, QStringLiteral("Mount <u>Everest</u>"));
}

// Questions that cannot be read are named by number and line and left out;
// the rest is read, and what is only doubtful is warned about once.
TEST(DocxPacket, LeavesOutWhatItCannotReadAndReadsTheRest) {
    const packet::PacketRead read = packet::readDocxPacketFile(fixture("problems.docx"));
    ASSERT_TRUE(read.packet) << read.error.toStdString();
    EXPECT_EQ(read.problems,
              (QStringList{
                  QStringLiteral("Line 2: an ANSWER: line with no question before it; left out."),
                  QStringLiteral("Toss-up 2 (line 5): no question; left out."),
                  QStringLiteral("Toss-up 5 (line 10): a second ANSWER: line at line 12; left "
                                 "out."),
                  QStringLiteral("Bonus 1 (line 14): no parts (lines beginning [10]); left out."),
              }));
    const Packet& p = *read.packet;
    ASSERT_EQ(p.tossups.size(), 3u);
    EXPECT_EQ(p.tossups[2].answer, QStringLiteral("<u>still read</u>"));
    ASSERT_EQ(p.bonuses.size(), 1u);
    EXPECT_EQ(packet::packetWarnings(p, {true, 3}),
              (QStringList{
                  QStringLiteral("Toss-ups without a power mark (*): 3."),
                  QStringLiteral("Toss-ups without an answer: 3."),
                  QStringLiteral("Bonuses whose number of parts is not the rules' 3: 2 (2)."),
              }));
}

TEST(DocxPacket, RefusesBadFilesInPlainWords) {
    struct Row {
        const char* file;
        const char* error;
    };
    const Row rows[] = {
        {"notword.docx", "The file is not a Word document (.docx)."},
        {"old.doc", "The file is an older Word document (.doc)"},
        {"nodocument.docx", "The file is a zip archive but not a Word document"},
        {"truncated.docx", "The Word document is damaged (its zip archive cannot be read"},
        {"damaged.docx", "The Word document is damaged (its text cannot be unpacked"},
        {"badxml.docx", "The Word document is damaged (its text cannot be read"},
        {"many-entries.docx", "The Word document is too large (more than 5000 files"},
        {"bomb.docx", "The Word document is too large (its text unpacks to more than 64 MB"},
    };
    for (const Row& row : rows) {
        const packet::PacketRead read = packet::readDocxPacketFile(fixture(row.file));
        EXPECT_FALSE(read.packet) << row.file;
        EXPECT_TRUE(read.error.startsWith(QString::fromUtf8(row.error)))
            << row.file << ": " << read.error.toStdString();
    }
}

// One toss-up from a Word file and from the field's JSON numbers its words
// the same: tags, hyphens, dashes, quotes, a guide, a directive, the power
// mark against a comma, entities.
TEST(DocxPacket, WordNumberingMatchesTheSameQuestionFromJson) {
    const Packet docx = readDocx("same.docx");
    const auto json = packet::readPacketFile(fixture("same.json"));
    ASSERT_TRUE(json.packet) << json.error.toStdString();
    ASSERT_EQ(docx.tossups.size(), 1u);
    const auto a = packet::numberWords(docx.tossups[0].question);
    const auto b = packet::numberWords(json.packet->tossups[0].question);
    ASSERT_EQ(a.words.size(), 18u);
    ASSERT_EQ(b.words.size(), a.words.size());
    for (std::size_t i = 0; i < a.words.size(); ++i)
        EXPECT_EQ(a.words[i].text, b.words[i].text);
    ASSERT_EQ(a.marks.size(), 1u);
    ASSERT_EQ(b.marks.size(), 1u);
    EXPECT_EQ(a.marks[0].beforeWord, 11);
    EXPECT_EQ(b.marks[0].beforeWord, 11);
    EXPECT_EQ(a.asides.size(), 2u);
    EXPECT_EQ(b.asides.size(), 2u);
    EXPECT_EQ(a.words[14].text, QStringLiteral("1812's"));
}

// The same 24 + 24 packet written as a Word file and as JSON reads to the
// same packet through the one entry point, which tells them by content.
TEST(DocxPacket, WordAndJsonOfOnePacketReadTheSame) {
    const auto docx = packet::readPacketFile(fixture("bench24.docx"));
    const auto json = packet::readPacketFile(fixture("bench24.json"));
    ASSERT_TRUE(docx.packet) << docx.error.toStdString();
    ASSERT_TRUE(json.packet) << json.error.toStdString();
    Packet d = *docx.packet;
    for (auto& t : d.tossups)
        t.number.reset();
    for (auto& b : d.bonuses)
        b.number.reset();
    EXPECT_EQ(packet::writePacketJson(d), packet::writePacketJson(*json.packet));
    EXPECT_EQ(d.tossups.size(), 24u);
    EXPECT_EQ(d.bonuses.size(), 24u);

    const auto notJson = packet::readPacketFile(fixture("notword.docx"));
    EXPECT_TRUE(notJson.error.startsWith(QStringLiteral("notword.docx: The packet is not valid")))
        << notJson.error.toStdString();
}

}  // namespace
