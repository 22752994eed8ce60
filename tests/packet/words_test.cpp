#include <gtest/gtest.h>

#include <QStringList>

#include "packet/words.h"

namespace {

using packet::AsideKind;
using packet::BuzzWorth;
using packet::numberWords;
using packet::PowerMarkKind;

QString joined(const packet::QuestionWords& w) {
    QStringList out;
    for (const packet::Word& word : w.words)
        out << word.text;
    return out.join(u'|');
}

QString marks(const packet::QuestionWords& w) {
    QStringList out;
    for (const packet::PowerMark& m : w.marks)
        out << QStringLiteral("%1@%2")
                   .arg(m.kind == PowerMarkKind::Power ? QStringLiteral("*") : QStringLiteral("+"))
                   .arg(m.beforeWord);
    for (const packet::Aside& a : w.asides)
        out << QStringLiteral("%1@%2")
                   .arg(a.kind == AsideKind::PronunciationGuide ? QStringLiteral("guide")
                                                                : QStringLiteral("directive"))
                   .arg(a.beforeWord);
    return out.join(u' ');
}

// Toss-ups numbered by hand the way the field's buzz-point tools count.
TEST(WordNumbering, HandNumberedTossups) {
    struct Row {
        const char* text;
        const char* words;
        const char* marks;
    };
    const Row rows[] = {
        // Tags inside a word join it; tags between words do not.
        {"name this <b>gold</b>berg. <i>The</i> <u>Trial</u>", "name|this|goldberg.|The|Trial", ""},
        {"10<sup>3</sup> parts of CO<sub>2</sub>", "103|parts|of|CO2", ""},
        // Hyphens and unspaced dashes stay inside a word; a dash between
        // spaces is a word of its own.
        {"A <i>nine</i>teenth-century work", "A|nineteenth-century|work", ""},
        {"He wrote\u2014then fled \u2013 to Rome", "He|wrote\u2014then|fled|\u2013|to|Rome", ""},
        // Quotes belong to their words.
        {"\u201cIch bin ein Berliner,\u201d he said", "\u201cIch|bin|ein|Berliner,\u201d|he|said",
         ""},
        {"\"Howl\" and 'Kaddish'", "\"Howl\"|and|'Kaddish'", ""},
        // The power mark between spaces, against a comma, inside a word's
        // punctuation, before a word.
        {"the Trial (*), a novel", "the|Trial|a|novel", "*@2"},
        {"by Kafka(*) who", "by|Kafka|who", "*@2"},
        {"wrote (*)Kafka's \"Trial.\"", "wrote|Kafka's|\"Trial.\"", "*@1"},
        {"Kafka. (*) \"The", "Kafka.|\"The", "*@1"},
        {"A (+) B C (*) D", "A|B|C|D", "+@1 *@3"},
        {"ends <b>(*)</b> here", "ends|here", "*@1"},
        // Pronunciation guides, straight and curly, with and without a space.
        {"Tchaikovsky (\"chai-KOFF-skee\") wrote it", "Tchaikovsky|wrote|it", "guide@1"},
        {"Goldberg(\u201cGOLD-burg\u201d), a name", "Goldberg|a|name", "guide@1"},
        {"Tomas ( \"toh-MAHSH\" ) said", "Tomas|said", "guide@1"},
        // Reader directives in parentheses or brackets, nested ones too.
        {"read (pause) this [emphasize] now", "read|this|now", "directive@1 directive@2"},
        {"x (see (this) too) y", "x|y", "directive@1"},
        {"[Note to moderator: read slowly] Name", "Name", "directive@0"},
        // Entities decoded; a no-break space parts words like any space.
        {"Tom &amp; Jerry caf&eacute; one&nbsp;two &#8220;hi&#x201D;",
         "Tom|&|Jerry|caf\u00e9|one|two|\u201chi\u201d", ""},
        {"end.<br>Next<br/>line", "end.|Next|line", ""},
        // What is not markup stays text: a lone '<', an unclosed parenthesis,
        // an unknown entity.
        {"a < b (c d &zork; e", "a|<|b|(c|d|&zork;|e", ""},
        {"", "", ""},
        {"<b> </b> (*)", "", "*@0"},
    };
    for (const Row& row : rows) {
        const packet::QuestionWords w = numberWords(QString::fromUtf8(row.text));
        EXPECT_EQ(joined(w), QString::fromUtf8(row.words)) << row.text;
        EXPECT_EQ(marks(w), QString::fromUtf8(row.marks)) << row.text;
        EXPECT_EQ(w.afterQuestion(), static_cast<int>(w.words.size()));
    }
}

// A window marks a word where it stands in the formatted text, and a click
// in that text finds the word.
TEST(WordNumbering, WordsKnowWhereTheyStandInTheFormattedText) {
    const QString text = QStringLiteral("name <b>gold</b>berg caf&eacute; (*) now");
    const packet::QuestionWords w = numberWords(text);
    ASSERT_EQ(w.words.size(), 4u);
    auto source = [&](const auto& item) { return text.mid(item.start, item.end - item.start); };
    EXPECT_EQ(source(w.words[1]), QStringLiteral("gold</b>berg"));
    EXPECT_EQ(source(w.words[2]), QStringLiteral("caf&eacute;"));
    EXPECT_EQ(source(w.marks[0]), QStringLiteral("(*)"));
    EXPECT_EQ(packet::wordAtOffset(w, text.indexOf(u'g')), 1);
    EXPECT_EQ(packet::wordAtOffset(w, text.indexOf(QStringLiteral("(*)"))), 3);
    EXPECT_EQ(packet::wordAtOffset(w, text.size()), w.afterQuestion());
}

// A correct buzz's worth by its side of the marks; the word the buzz cut
// into before a mark counts as heard before it.
TEST(WordNumbering, PowerBySideOfTheMark) {
    const packet::QuestionWords both = numberWords(QStringLiteral("A (+) B C (*) D"));
    const BuzzWorth expected[] = {BuzzWorth::Superpower, BuzzWorth::Power, BuzzWorth::Power,
                                  BuzzWorth::Normal, BuzzWorth::Normal};
    for (int i = 0; i <= both.afterQuestion(); ++i)
        EXPECT_EQ(packet::buzzWorth(both, i), expected[i]) << i;
    const packet::QuestionWords none = numberWords(QStringLiteral("no mark here"));
    EXPECT_EQ(packet::buzzWorth(none, 0), BuzzWorth::Normal);
}

}  // namespace
