#include "packet/words.h"

#include <algorithm>

#include "packet/packettext.h"

namespace packet {

namespace {

// The formatted text read as plain characters, each remembering where in the
// formatted text it came from.
struct PlainWithSource {
    QString text;
    std::vector<qsizetype> start;
    std::vector<qsizetype> end;
};

PlainWithSource readPlain(const QString& formatted) {
    PlainWithSource p;
    p.text.reserve(formatted.size());
    p.start.reserve(formatted.size());
    p.end.reserve(formatted.size());
    auto put = [&p](const QString& chars, qsizetype from, qsizetype to) {
        for (const QChar c : chars) {
            p.text += c;
            p.start.push_back(from);
            p.end.push_back(to);
        }
    };
    for (qsizetype i = 0; i < formatted.size();) {
        if (const qsizetype tag = tagLength(formatted, i)) {
            if (tagSeparatesWords(QStringView(formatted).mid(i, tag)))
                put(QStringLiteral(" "), i, i + tag);
            i += tag;
            continue;
        }
        qsizetype length = 0;
        const QString decoded = decodeEntity(formatted, i, &length);
        if (length > 0) {
            put(decoded, i, i + length);
            i += length;
            continue;
        }
        put(QString(formatted[i]), i, i + 1);
        ++i;
    }
    return p;
}

bool isQuote(QChar c) {
    switch (c.unicode()) {
    case u'"':
    case u'\'':
    case u'\u2018':
    case u'\u2019':
    case u'\u201c':
    case u'\u201d':
    case u'\u201e':
    case u'\u00ab': return true;
    default: return false;
    }
}

// For each opening parenthesis or bracket, the index of the one that closes
// it (-1 when none does), found in one pass so that a text full of unclosed
// parentheses costs no more than any other.
std::vector<qsizetype> matchingCloses(const QString& text) {
    std::vector<qsizetype> match(text.size(), -1);
    std::vector<qsizetype> round;
    std::vector<qsizetype> square;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'(') {
            round.push_back(i);
        } else if (c == u'[') {
            square.push_back(i);
        } else if (c == u')' && !round.empty()) {
            match[round.back()] = i;
            round.pop_back();
        } else if (c == u']' && !square.empty()) {
            match[square.back()] = i;
            square.pop_back();
        }
    }
    return match;
}

enum class Edge { Space, Glued };

}  // namespace

QuestionWords numberWords(const QString& formatted) {
    const PlainWithSource plain = readPlain(formatted);
    const QString& text = plain.text;
    const std::vector<qsizetype> closes = matchingCloses(text);
    QuestionWords out;

    qsizetype pieceStart = -1;
    Edge pieceLeft = Edge::Space;
    auto endPiece = [&](qsizetype pieceEnd, Edge right) {
        if (pieceStart < 0) return;
        const QString piece = text.mid(pieceStart, pieceEnd - pieceStart);
        const bool hasLetters =
            std::any_of(piece.begin(), piece.end(), [](QChar c) { return c.isLetterOrNumber(); });
        if (hasLetters || (pieceLeft == Edge::Space && right == Edge::Space))
            out.words.push_back({piece, plain.start[pieceStart], plain.end[pieceEnd - 1]});
        pieceStart = -1;
    };

    Edge last = Edge::Space;  // what came just before the current character
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c.isSpace()) {
            endPiece(i, Edge::Space);
            last = Edge::Space;
            ++i;
            continue;
        }
        if ((c == u'(' || c == u'[') && closes[i] > i) {
            const qsizetype close = closes[i];
            endPiece(i, Edge::Glued);
            const QString inside = text.mid(i + 1, close - i - 1).trimmed();
            const int before = out.afterQuestion();
            const qsizetype from = plain.start[i];
            const qsizetype to = plain.end[close];
            if (c == u'(' && (inside == u"*" || inside == u"+")) {
                out.marks.push_back(
                    {inside == u"*" ? PowerMarkKind::Power : PowerMarkKind::Superpower, before,
                     from, to});
            } else {
                const AsideKind kind = c == u'(' && !inside.isEmpty() && isQuote(inside[0])
                                           ? AsideKind::PronunciationGuide
                                           : AsideKind::Directive;
                out.asides.push_back({kind, text.mid(i, close - i + 1), before, from, to});
            }
            last = Edge::Glued;
            i = close + 1;
            continue;
        }
        if (pieceStart < 0) {
            pieceStart = i;
            pieceLeft = last;
        }
        ++i;
    }
    endPiece(text.size(), Edge::Space);
    return out;
}

BuzzWorth buzzWorth(const QuestionWords& words, int wordIndex) {
    BuzzWorth worth = BuzzWorth::Normal;
    for (const PowerMark& mark : words.marks) {
        if (wordIndex >= mark.beforeWord) continue;
        if (mark.kind == PowerMarkKind::Superpower) return BuzzWorth::Superpower;
        worth = BuzzWorth::Power;
    }
    return worth;
}

int wordAtOffset(const QuestionWords& words, qsizetype offset) {
    for (std::size_t i = 0; i < words.words.size(); ++i) {
        if (offset < words.words[i].end) return static_cast<int>(i);
    }
    return words.afterQuestion();
}

}  // namespace packet
