// Windows-1252 and UTF-8 in setup files.
#include <gtest/gtest.h>

#include "setup/setupreader.h"
#include "setup/setuprecord.h"
#include "setup/textcodec.h"

using setup::TextEncoding;

TEST(Windows1252, TheHighControlRangeHoldsTheWindowsCharacters) {
    const QByteArray bytes("\x80\x82\x85\x8A\x8C\x8E\x91\x92\x93\x94\x96\x97\x99\x9A\x9C\x9E\x9F");
    EXPECT_EQ(setup::fromWindows1252(bytes), QStringLiteral("€‚…ŠŒŽ‘’“”–—™šœžŸ"));
    EXPECT_EQ(setup::fromWindows1252("Fran\xE7ois M\xFCller \xC5ngstr\xF6m"),
              QStringLiteral("François Müller Ångström"));
}

TEST(Windows1252, EveryByteComesBackAsItWas) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const QString text = setup::fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(setup::toWindows1252(text), all);
}

TEST(Windows1252, CharactersWithoutAPlaceAreRefused) {
    for (const QString& text : {QStringLiteral("Łukasz"), QStringLiteral("李"), QStringLiteral("Ж"),
                                QString(QChar(0x80)), QStringLiteral("😀")}) {
        EXPECT_EQ(setup::toWindows1252(text), std::nullopt) << text.toStdString();
    }
    EXPECT_EQ(setup::toWindows1252(QStringLiteral("Zoë €5")), QByteArray("Zo\xEB \x80"
                                                                         "5"));
}

TEST(TextEncoding, UTF8OnlyWhenTheBytesSaySo) {
    struct Case {
        QList<QByteArray> lines;
        TextEncoding expected;
    };
    const Case cases[] = {
        {{"plain", "ascii"}, TextEncoding::Windows1252},
        {{"Zo\xC3\xAB", "ok"}, TextEncoding::Utf8},
        {{"Zo\xEB", "ok"}, TextEncoding::Windows1252},
        // One line of Windows-1252 makes the whole file Windows-1252.
        {{"Zo\xC3\xAB", "Fran\xE7ois"}, TextEncoding::Windows1252},
        // A sequence cut at the end of a line is not UTF-8.
        {{"\xE6\x9D", "\x8E"}, TextEncoding::Windows1252},
        {{"\xE6\x9D\x8E"}, TextEncoding::Utf8},
        {{"\xC0\xAF"}, TextEncoding::Windows1252},      // overlong
        {{"\xED\xA0\x80"}, TextEncoding::Windows1252},  // a lone surrogate
        {{}, TextEncoding::Windows1252},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setup::detectEncoding(c.lines), c.expected)
            << c.lines.join('|').toHex().constData();
    }
}

TEST(TextEncoding, AFileIsWindows1252WhenItCanBeAndUTF8OtherwiseAndReadsBackEitherWay) {
    struct Case {
        QString name;
        TextEncoding written;
        QByteArray bytesOnLine;
    };
    const Case cases[] = {
        {QStringLiteral("Zoë Œuvre"), TextEncoding::Windows1252, "Zo\xEB \x8Cuvre"},
        {QStringLiteral("Plain"), TextEncoding::Windows1252, "Plain"},
        {QStringLiteral("Łukasz 李"), TextEncoding::Utf8, "\xC5\x81ukasz \xE6\x9D\x8E"},
        {QStringLiteral("Zoë и Ж"), TextEncoding::Utf8, "Zo\xC3\xAB \xD0\xB8 \xD0\x96"},
    };
    for (const Case& c : cases) {
        setup::SetupRecord r;
        r.setText(setup::slotLine(3), c.name);
        r.setText(setup::line::AlphaName, QStringLiteral("Ærø"));  // fits either way
        const QByteArray bytes = setup::fileBytes(r.fileLines());
        EXPECT_EQ(bytes.split('\n').at(setup::slotLine(3) - 1), c.bytesOnLine + '\r');
        setup::SetupFileReader reader(bytes);
        EXPECT_EQ(reader.encoding(), c.written) << c.name.toStdString();
        setup::SetupRecord back;
        ASSERT_EQ(reader.readAll(back), std::nullopt);
        EXPECT_EQ(back.text(setup::slotLine(3)), c.name);
        EXPECT_EQ(back.text(setup::line::AlphaName), QStringLiteral("Ærø"));
    }
}

TEST(TextEncoding, NamesWhoseWindows1252BytesLookLikeUTF8AreWrittenInUTF8) {
    // "Ã©" is C3 A9 in Windows-1252, which is "é" in UTF-8: written that way
    // the file would come back with other names. Found by the setup-file
    // fuzzer (a name read from a Windows-1252 file whose only other high
    // bytes were on a numeric line the writer puts out again as digits).
    struct Case {
        QString name;
        TextEncoding written;
    };
    const Case cases[] = {
        {QStringLiteral("Ã©"), TextEncoding::Utf8},
        {QStringLiteral("Å\u0081ukasz"), TextEncoding::Utf8},   // "Łukasz" read as Windows-1252
        {QStringLiteral("Ã© Zoë"), TextEncoding::Windows1252},  // ë alone is not UTF-8
        {QStringLiteral("Zoë"), TextEncoding::Windows1252},
    };
    for (const Case& c : cases) {
        setup::SetupRecord r;
        r.setText(setup::slotLine(7), c.name);
        const setup::SetupFileReader reader(setup::fileBytes(r.fileLines()));
        EXPECT_EQ(reader.encoding(), c.written) << c.name.toStdString();
        setup::SetupRecord back;
        ASSERT_EQ(reader.readAll(back), std::nullopt);
        EXPECT_EQ(back.text(setup::slotLine(7)), c.name);
        EXPECT_EQ(back, r);
    }
}

TEST(TextEncoding, AByteOrderMarkIsDroppedBeforeTheHeaderOnly) {
    // The mark an editor puts before the header goes; one at the start of
    // any other line is part of its text (found by the setup-file fuzzer:
    // the UTF-8 decoder dropped it from every line).
    QByteArray bytes = "\xEF\xBB\xBF" + setup::fileBytes(setup::SetupRecord().fileLines());
    bytes.replace("One\r\n", "\xEF\xBB\xBFOne \xC3\xAB\r\n");
    const setup::SetupFileReader reader(bytes);
    ASSERT_EQ(reader.encoding(), TextEncoding::Utf8);
    EXPECT_EQ(reader.header(), setup::SetupFileReader::Header::Valid);
    EXPECT_EQ(reader.text(setup::slotLine(1)), QStringLiteral("\uFEFFOne ë"));
    // Two marks before the header: the second is text, so the header is wrong.
    const setup::SetupFileReader twice("\xEF\xBB\xBF" + bytes);
    EXPECT_EQ(twice.header(), setup::SetupFileReader::Header::Wrong);
}
