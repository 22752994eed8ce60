#pragma once

#include <vector>

#include <QString>

// Words of a toss-up numbered as the field numbers them for buzz points:
// formatting tags removed, entities decoded, split on white space. The power
// marks (*) and (+), pronunciation guides (parentheses opening with a quote,
// ("gold-berg")) and reader directives (anything else in parentheses or
// brackets) are read differently or not at all, so they are not words.
// Index 0 is the first word read; one past the last word is "after the
// question", where a buzz on a question read to its end sits.
//
// A piece of punctuation glued to a mark or a guide ("(*)," or ("x"),) is no
// word of its own; one standing between spaces (a spaced dash) is, as it is
// for every tool that splits on white space.
namespace packet {

// Offsets are into the formatted text the words came from, so that a window
// can mark a word in the text it shows: [start, end).
struct Word {
    QString text;  // as read: tags removed, entities decoded
    qsizetype start = 0;
    qsizetype end = 0;
};

enum class PowerMarkKind { Power, Superpower };

struct PowerMark {
    PowerMarkKind kind = PowerMarkKind::Power;
    int beforeWord = 0;  // the words read before the mark
    qsizetype start = 0;
    qsizetype end = 0;
};

enum class AsideKind { PronunciationGuide, Directive };

struct Aside {
    AsideKind kind = AsideKind::Directive;
    QString text;  // with its parentheses or brackets, as read
    int beforeWord = 0;
    qsizetype start = 0;
    qsizetype end = 0;
};

struct QuestionWords {
    std::vector<Word> words;
    std::vector<PowerMark> marks;  // in reading order
    std::vector<Aside> asides;

    // The index of a buzz after the whole question was read.
    int afterQuestion() const { return static_cast<int>(words.size()); }
};

QuestionWords numberWords(const QString& formatted);

// What a correct buzz at a word earns by its place: before the superpower
// mark (+), before the power mark (*), or neither. A buzz on the last word
// before a mark is before it: the word it cut into counts as heard.
enum class BuzzWorth { Normal, Power, Superpower };
BuzzWorth buzzWorth(const QuestionWords& words, int wordIndex);

// The word of the toss-up at the formatted text's offset (a click in the
// shown text): the word containing it, or the next word after it;
// afterQuestion() past the last word.
int wordAtOffset(const QuestionWords& words, qsizetype offset);

}  // namespace packet
