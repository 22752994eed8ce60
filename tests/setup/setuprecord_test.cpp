// The setup file's format without any window: the lines a writer puts out
// and what a reader takes from them.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QRandomGenerator>

#include "setup/setupreader.h"
#include "setup/setuprecord.h"
#include "setup/setuptestfiles.h"

using setup::SetupError;
using setup::SetupFileReader;
using setup::SetupRecord;

TEST(SetupFormat, TheWindowsDesignValuesAreWrittenAsFortyFiveLines) {
    const QByteArray expected =
        "Torvanel Setup File\r\n2\r\n4\r\n"
        "Alpha\r\nOne\r\nTwo\r\nThree\r\nFour\r\nFive\r\n"
        "Beta\r\nSix\r\nSeven\r\nEight\r\nNine\r\nTen\r\n"
        "Gamma\r\nEleven\r\nTwelve\r\nThirteen\r\nFourteen\r\nFifteen\r\n"
        "15:00\r\n5\r\n10\r\n60\r\n60\r\n1\r\n"
        " 16711680 \r\n 192 \r\n"
        "ringin.wav\r\nringout.wav\r\nringin.wav\r\ninactive.wav\r\nsound528.wav\r\n"
        "-1 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 12 \r\n 0 \r\n 0 \r\n"
        "\r\n";
    EXPECT_EQ(setup::fileBytes(SetupRecord().fileLines()), expected);
}

TEST(SetupFormat, EveryPlayerSlotHasItsLine) {
    // Slots are stored in groups of five after their team's name.
    const int lineOfSlot[16] = {0, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21};
    SetupRecord r;
    for (int slot = 1; slot <= 15; ++slot) {
        r.setText(setup::slotLine(slot), QStringLiteral("slot %1").arg(slot));
    }
    for (int team = 0; team < 3; ++team) {
        r.setText(setup::teamNameLine(team), QStringLiteral("team %1").arg(team));
    }
    const QStringList lines = r.fileLines();
    for (int slot = 1; slot <= 15; ++slot) {
        EXPECT_EQ(lines[lineOfSlot[slot] - 1], QStringLiteral("slot %1").arg(slot));
        EXPECT_EQ(setup::slotOfNameLine(lineOfSlot[slot]), slot);
        EXPECT_EQ(setup::teamOfNameLine(lineOfSlot[slot]), -1);
    }
    EXPECT_EQ(lines[3], "team 0");
    EXPECT_EQ(lines[9], "team 1");
    EXPECT_EQ(lines[15], "team 2");
    EXPECT_EQ(setup::teamOfNameLine(10), 1);
    EXPECT_EQ(setup::slotOfNameLine(16), 0);
}

TEST(SetupFormat, ALineBreakInsideAValueIsWrittenAsABlank) {
    SetupRecord r;
    r.setText(setup::line::AlphaName, QStringLiteral("Red\r\nRovers"));
    r.setText(setup::slotLine(1), QStringLiteral("Ann\nLee"));
    r.setText(setup::slotLine(2), QStringLiteral("Bo\rJo\n"));
    r.setText(setup::line::MatchTime, QStringLiteral("\r\n15:00"));
    const QByteArray bytes = setup::fileBytes(r.fileLines());
    ASSERT_EQ(setuptest::splitLines(bytes).size(), 45);
    EXPECT_EQ(bytes.count("\r\n"), 45);
    EXPECT_EQ(bytes.count('\r'), 45) << "no stray CR";
    EXPECT_EQ(bytes.count('\n'), 45) << "no stray LF";

    SetupRecord back;
    ASSERT_EQ(SetupFileReader(bytes).readAll(back), std::nullopt);
    EXPECT_EQ(back.text(setup::line::AlphaName), "Red Rovers");
    EXPECT_EQ(back.text(setup::slotLine(1)), "Ann Lee");
    EXPECT_EQ(back.text(setup::slotLine(2)), "Bo Jo ");
    EXPECT_EQ(back.text(setup::line::MatchTime), " 15:00");
    EXPECT_EQ(back.text(setup::line::TossUp), "5") << "the lines after it are where they belong";
}

TEST(SetupFormat, AnyRecordReadsBackAsWritten) {
    QRandomGenerator random(42);
    auto anyText = [&] {
        QString t;
        const int length = random.bounded(12);
        for (int i = 0; i < length; ++i) {
            // Printable text from several scripts, never a line break.
            const char16_t pool[] = {u'a', u'Z', u' ', u'7',  u':', u'\\', u'é', u'Œ',
                                     u'€', u'ß', u'Ł', u'李', u'ж', u'\t', u'"', u'ñ'};
            t += QChar(pool[random.bounded(int(std::size(pool)))]);
        }
        return t;
    };
    for (int round = 0; round < 300; ++round) {
        SetupRecord r;
        for (int n = 2; n <= setup::kLineCount; ++n) {
            switch (setup::lineKind(n)) {
            case setup::LineKind::Colour: r.setNumber(n, random.bounded(0, 0x1000000)); break;
            case setup::LineKind::ListIndex:
            case setup::LineKind::CheckValue:
                r.setNumber(n, random.bounded(setup::minimumValue(n), setup::maximumValue(n) + 1));
                break;
            default: r.setText(n, anyText());
            }
        }
        const QByteArray bytes = setup::fileBytes(r.fileLines());
        ASSERT_EQ(setuptest::splitLines(bytes).size(), 45);
        SetupFileReader reader(bytes);
        ASSERT_EQ(reader.header(), SetupFileReader::Header::Valid);
        SetupRecord back;
        ASSERT_EQ(reader.readAll(back), std::nullopt);
        // Numbers are written with their blanks and read by their leading
        // number; text comes back exactly (a leading blank included).
        for (int n = 2; n <= setup::kLineCount; ++n) {
            if (setup::isNumericLine(n)) {
                ASSERT_EQ(back.number(n), r.number(n)) << "line " << n;
            } else {
                ASSERT_EQ(back.text(n), r.text(n)) << "line " << n;
            }
        }
    }
}

TEST(SetupReader, LinesEndAtCrOrCrLfButNotAtALoneLf) {
    const QByteArray bytes = "Torvanel Setup File\r3\r\n4\n5\r\rAl\npha\r\nlast";
    SetupFileReader reader(bytes);
    EXPECT_EQ(reader.header(), SetupFileReader::Header::Valid);
    ASSERT_EQ(reader.linesRead(), 6);
    EXPECT_EQ(reader.text(2), "3");
    EXPECT_EQ(reader.text(3), "4\n5");
    EXPECT_EQ(reader.text(4), "");
    EXPECT_EQ(reader.text(5), "Al\npha");
    EXPECT_EQ(reader.text(6), "last") << "a last line needs no line end";
}

TEST(SetupReader, NothingAfterLine44IsRead) {
    QStringList lines = setuptest::validLines();
    lines.removeLast();
    const QByteArray first44 = setuptest::crlf(lines);
    for (const QByteArray& tail : {QByteArray(""), QByteArray("\r\nmore\r\n"),
                                   QByteArray("junk without end"), QByteArray("\n\n\n")}) {
        QByteArray bytes = first44 + tail;
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        SetupFileReader reader(device);
        EXPECT_EQ(reader.linesRead(), 44);
        // Line 44's CR LF is taken whole, and not one byte more.
        EXPECT_EQ(device.pos(), first44.size()) << tail.constData();
    }
    // Line 44 ended by a lone CR: its LF-less end does not swallow the
    // first byte of what follows.
    QByteArray cr = first44;
    cr.chop(1);
    cr += "X";
    QBuffer device(&cr);
    device.open(QIODevice::ReadOnly);
    SetupFileReader reader(device);
    EXPECT_EQ(device.pos(), first44.size() - 1);
}

TEST(SetupReader, TheHeaderMustMatchExactly) {
    struct Case {
        QByteArray first;
        SetupFileReader::Header expected;
    };
    const Case cases[] = {
        {"Torvanel Setup File\r\n", SetupFileReader::Header::Valid},
        {"Torvanel Setup File", SetupFileReader::Header::Valid},
        {"\xEF\xBB\xBFTorvanel Setup File\r\n", SetupFileReader::Header::Valid},
        {"torvanel setup file\r\n", SetupFileReader::Header::Wrong},
        {"TORVANEL SETUP FILE\r\n", SetupFileReader::Header::Wrong},
        {"Torvanel Setup File \r\n", SetupFileReader::Header::Wrong},
        {" Torvanel Setup File\r\n", SetupFileReader::Header::Wrong},
        {"Torvanel Setup File\n2\n4\n", SetupFileReader::Header::Wrong},
        {"\r\n", SetupFileReader::Header::Wrong},
        {"", SetupFileReader::Header::Missing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetupFileReader(c.first).header(), c.expected) << c.first.constData();
    }
    EXPECT_EQ(SetupFileReader(QByteArray()).headerError().kind, SetupError::Kind::FileEnds);
}

TEST(SetupReader, NumericLinesTakeTheirLeadingNumberWithinTheirRange) {
    using K = SetupError::Kind;
    struct Case {
        int line;
        const char* text;
        std::int32_t value;
        std::optional<K> error;
    };
    const Case cases[] = {
        {35, " 1 ", 1, {}},
        {35, "-1 ", -1, {}},
        {35, "2", 2, {}},
        {35, " 3 ", 0, K::OutOfRange},
        {35, "-2", 0, K::OutOfRange},
        {35, "2.5", 2, {}},  // halves go to the even neighbour
        {35, "1.5", 2, {}},
        {35, "2.6", 0, K::OutOfRange},
        {35, "Sound Card", 0, {}},  // no number counts as 0
        {35, "", 0, {}},
        {42, " 12 ", 12, {}},
        {42, " 13 ", 0, K::OutOfRange},
        {42, "-1", -1, {}},
        {36, " 2 ", 2, {}},
        {36, "-1 ", 0, K::OutOfRange},
        {44, " 3 ", 0, K::OutOfRange},
        {40, "1 checked", 1, {}},
        {36, "40000", 0, K::Overflow},  // beyond 16 bits: never wrapped
        {36, "-32769", 0, K::Overflow},
        {36, "1e300", 0, K::Overflow},
        {28, " 16711680 ", 16711680, {}},
        {28, "blue", 0, {}},
        {28, "-1", -1, {}},
        {28, " 2147483647 ", 2147483647, {}},
        {29, "2147483648", 0, K::Overflow},
        {29, "-2147483649", 0, K::Overflow},
        {29, "255.5", 256, {}},
    };
    for (const Case& c : cases) {
        const auto parsed = setup::parseNumber(c.line, QString::fromLatin1(c.text));
        EXPECT_EQ(parsed.error, c.error) << "line " << c.line << " '" << c.text << "'";
        if (!c.error) {
            EXPECT_EQ(parsed.value, c.value) << "line " << c.line << " '" << c.text << "'";
        }
    }
}

TEST(SetupReader, ReadingStopsAtTheFirstBadLine) {
    QStringList lines = setuptest::validLines();
    lines[34] = " 3 ";  // line 35 out of range
    lines[35] = " 1 ";
    SetupFileReader reader(setuptest::crlf(lines));
    SetupRecord r;
    const auto error = reader.readAll(r);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, 35);
    EXPECT_EQ(error->kind, SetupError::Kind::OutOfRange);
    EXPECT_EQ(r.number(35), -1) << "the bad value is not taken";
    EXPECT_EQ(r.number(36), 0) << "nor anything after it";
    EXPECT_EQ(error->description(), "Invalid property value (line 35)");

    QStringList shortFile = setuptest::validLines().mid(0, 30);
    SetupRecord s;
    const auto ends = SetupFileReader(setuptest::crlf(shortFile)).readAll(s);
    ASSERT_TRUE(ends.has_value());
    EXPECT_EQ(ends->line, 31);
    EXPECT_EQ(ends->kind, SetupError::Kind::FileEnds);
    EXPECT_EQ(ends->description(), "Input past end of file (line 31)");
}

// A line longer than any the program writes makes the file unreadable from
// that line on, and reading stops there rather than taking in the rest.
TEST(SetupReader, ALineLongerThanAnyValidOneIsRefused) {
    struct Case {
        int line;     // the long line
        bool header;  // whether the header is still read
    };
    for (const Case c : {Case{1, false}, Case{4, true}}) {
        SCOPED_TRACE(c.line);
        QStringList lines = setuptest::validLines();
        lines[c.line - 1] = QString(setup::kMaxLineBytes + 1, u'x');
        QByteArray bytes = setuptest::crlf(lines) + QByteArray(4 << 20, 'y');
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        SetupFileReader reader(device);
        EXPECT_LE(device.pos(), qint64(setup::kMaxLineBytes) * 2);
        EXPECT_EQ(reader.header() == SetupFileReader::Header::Valid, c.header);
        SetupRecord r;
        const auto error = c.header ? reader.readAll(r) : std::optional(reader.headerError());
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->line, c.line);
        EXPECT_EQ(error->kind, SetupError::Kind::Unreadable);
        EXPECT_EQ(error->description(), QStringLiteral("Line too long (line %1)").arg(c.line));
    }
    // The longest line the program writes is still read.
    QStringList lines = setuptest::validLines();
    lines[3] = QString(32767, QChar(0x20AC));  // three bytes each in UTF-8
    QByteArray longest;
    for (int i = 0; i < lines.size(); ++i)
        longest += (i == 3 ? lines[i].toUtf8() : lines[i].toLatin1()) + "\r\n";
    const SetupFileReader reader(longest);
    EXPECT_EQ(reader.text(4).size(), 32767);
    SetupRecord r;
    EXPECT_FALSE(reader.readAll(r));
}
