#include "packet/textpacket.h"

#include <QRegularExpression>

#include "packet/packettext.h"

namespace packet {

namespace {

enum class Section { Unknown, Tossups, Bonuses };

struct DraftPart {
    int value = 10;
    QChar difficulty;
    QString text;
    QString answer;
    bool answered = false;
};

struct Draft {
    int number = 0;
    int line = 0;
    QString text;
    QString answer;
    bool answered = false;
    std::vector<DraftPart> parts;
    QStringList metadata;
    QString category;
    bool faulted = false;  // left out, for the reason below
    QString fault;

    bool afterAnswer() const { return parts.empty() ? answered : parts.back().answered; }
};

// The formatted text without its first `count` plain characters. Tags met
// on the way are kept, so that "<b>1. Name</b>" loses "1. " and stays bold;
// pairs left empty are then dropped.
QString dropPlainPrefix(const QString& formatted, qsizetype count) {
    QString tags;
    qsizetype i = 0;
    while (i < formatted.size() && count > 0) {
        if (const qsizetype tag = tagLength(formatted, i)) {
            tags += QStringView(formatted).mid(i, tag);
            i += tag;
            continue;
        }
        qsizetype length = 0;
        const QString decoded = decodeEntity(formatted, i, &length);
        if (length > 0) {
            count -= decoded.size();
            i += length;
        } else {
            --count;
            ++i;
        }
    }
    QString out = tags + formatted.mid(i);
    static const QRegularExpression emptyPair(QStringLiteral("<([a-z]+)>(\\s*)</\\1>"));
    for (;;) {
        const QString before = out;
        out.replace(emptyPair, QStringLiteral("\\2"));
        if (out == before) break;
    }
    return out.trimmed();
}

QString joinText(const QString& a, const QString& b) {
    if (a.isEmpty()) return b;
    if (b.isEmpty()) return a;
    return a + u' ' + b;
}

std::optional<Section> heading(const QString& plain) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:((?:extra\\s+)?toss-?ups?)|((?:extra\\s+)?(?:bonus(?:es)?|boni))|"
                       "(tie-?breakers?|extras?|extra questions))\\s*:?$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = pattern.match(plain);
    if (!m.hasMatch()) return std::nullopt;
    if (m.hasCaptured(1)) return Section::Tossups;
    if (m.hasCaptured(2)) return Section::Bonuses;
    return Section::Unknown;
}

class LineReader {
public:
    explicit LineReader(const PacketLimits& limits) : limits_(limits) {}

    PacketRead read(const std::vector<PacketLine>& lines) {
        static const QRegularExpression numbered(
            QStringLiteral("^\\s*(?:(?:TU|B|Tossup|Toss-up|Bonus)\\s*)?(\\d{1,4})\\s*[.)]\\s*"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression answerLine(QStringLiteral("^\\s*ANSWER\\s*:\\s*"),
                                                   QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression partLine(
            QStringLiteral("^\\s*\\[\\s*(\\d{1,3})?\\s*([emhEMH])?\\s*\\]\\s*"));
        static const QRegularExpression categoryLine(QStringLiteral("^\\s*Category\\s*:\\s*"),
                                                     QRegularExpression::CaseInsensitiveOption);

        for (const PacketLine& line : lines) {
            if (!error_.isEmpty()) break;
            const QString plain = plainText(line.formatted).trimmed();
            if (plain.isEmpty()) continue;
            if (const auto section = heading(plain)) {
                finish();
                section_ = *section;
                listCount_ = 0;
                continue;
            }
            if (const auto m = numbered.match(plain); m.hasMatch() || line.listNumbered) {
                finish();
                draft_.emplace();
                draft_->line = line.line;
                if (m.hasMatch()) {
                    draft_->number = m.captured(1).toInt();
                    draft_->text = dropPlainPrefix(line.formatted, m.capturedLength(0));
                } else {
                    draft_->number = ++listCount_;
                    draft_->text = line.formatted.trimmed();
                }
                continue;
            }
            if (const auto m = answerLine.match(plain); m.hasMatch()) {
                const QString answer = dropPlainPrefix(line.formatted, m.capturedLength(0));
                if (!draft_) {
                    problems_ << QStringLiteral(
                                     "Line %1: an ANSWER: line with no question "
                                     "before it; left out.")
                                     .arg(line.line);
                    continue;
                }
                QString* into =
                    draft_->parts.empty() ? &draft_->answer : &draft_->parts.back().answer;
                bool* answered =
                    draft_->parts.empty() ? &draft_->answered : &draft_->parts.back().answered;
                if (*answered) {
                    fault(QStringLiteral("a second ANSWER: line at line %1").arg(line.line));
                    continue;
                }
                *into = answer;
                *answered = true;
                continue;
            }
            if (const auto m = partLine.match(plain);
                m.hasMatch() && (m.hasCaptured(1) || m.hasCaptured(2))) {
                if (!draft_) {
                    problems_ << QStringLiteral(
                                     "Line %1: a bonus part with no bonus before "
                                     "it; left out.")
                                     .arg(line.line);
                    continue;
                }
                if (draft_->parts.empty() && draft_->answered) {
                    fault(QStringLiteral("an answer before its first part"));
                    continue;
                }
                DraftPart part;
                if (m.hasCaptured(1)) part.value = m.captured(1).toInt();
                if (m.hasCaptured(2)) part.difficulty = m.captured(2).at(0).toLower();
                part.text = dropPlainPrefix(line.formatted, m.capturedLength(0));
                draft_->parts.push_back(part);
                continue;
            }
            if (!draft_) {
                // Lines before the first question: the packet's title first.
                if (packet_.name.isEmpty() && packet_.tossups.empty() && packet_.bonuses.empty() &&
                    plain.size() <= limits_.textChars)
                    packet_.name = plain;
                continue;
            }
            if (draft_->afterAnswer()) {
                if (plain.startsWith(u'[') || plain.startsWith(u'(')) {
                    // An answer's acceptances on a line of their own.
                    QString* into =
                        draft_->parts.empty() ? &draft_->answer : &draft_->parts.back().answer;
                    *into = joinText(*into, line.formatted.trimmed());
                } else if (const auto c = categoryLine.match(plain); c.hasMatch()) {
                    draft_->category = plain.mid(c.capturedLength(0)).trimmed();
                } else {
                    QString meta = plain;
                    if (meta.startsWith(u'<') && meta.endsWith(u'>'))
                        meta = meta.mid(1, meta.size() - 2).trimmed();
                    draft_->metadata << meta;
                }
                continue;
            }
            QString* into = draft_->parts.empty() ? &draft_->text : &draft_->parts.back().text;
            *into = joinText(*into, line.formatted.trimmed());
        }
        finish();
        PacketRead read;
        if (!error_.isEmpty()) {
            read.error = error_;
            return read;
        }
        if (packet_.tossups.empty() && packet_.bonuses.empty() && problems_.isEmpty()) {
            read.error = QStringLiteral(
                "The document holds no questions (numbered \"1.\", with "
                "an \"ANSWER:\" line).");
            return read;
        }
        read.packet = std::move(packet_);
        read.problems = problems_;
        return read;
    }

private:
    // The question being read cannot be used: say why, with its number and
    // line, and leave it out.
    void fault(const QString& why) {
        if (!draft_ || draft_->faulted) return;
        draft_->faulted = true;
        draft_->fault = why;
    }

    void finish() {
        if (!draft_) return;
        Draft d = std::move(*draft_);
        draft_.reset();
        const bool bonus = !d.parts.empty() || section_ == Section::Bonuses;
        const QString where = QStringLiteral("%1 %2 (line %3)")
                                  .arg(bonus ? QStringLiteral("Bonus") : QStringLiteral("Toss-up"))
                                  .arg(d.number)
                                  .arg(d.line);
        auto leaveOut = [&](const QString& why) {
            problems_ << QStringLiteral("%1: %2; left out.").arg(where, why);
        };
        if (d.faulted) return leaveOut(d.fault);
        if (plainText(d.text).trimmed().isEmpty())
            return leaveOut(bonus ? QStringLiteral("no lead-in") : QStringLiteral("no question"));
        if (bonus && d.parts.empty())
            return leaveOut(QStringLiteral("no parts (lines beginning [10])"));
        auto tooLong = [this](const QString& s) { return s.size() > limits_.textChars; };
        const QString metadata = d.metadata.join(QStringLiteral("; "));
        bool longText =
            tooLong(d.text) || tooLong(d.answer) || tooLong(metadata) || tooLong(d.category);
        for (const DraftPart& p : d.parts)
            longText = longText || tooLong(p.text) || tooLong(p.answer);
        if (longText)
            return leaveOut(
                QStringLiteral("more than %1 characters in one field").arg(limits_.textChars));
        if (static_cast<qsizetype>(d.parts.size()) > limits_.partsPerBonus)
            return leaveOut(QStringLiteral("more than %1 parts").arg(limits_.partsPerBonus));

        if (!bonus) {
            if (static_cast<int>(packet_.tossups.size()) >= limits_.questions) return tooMany();
            packet_.tossups.push_back({d.text, d.answer, d.number, d.category, metadata});
            return;
        }
        if (static_cast<int>(packet_.bonuses.size()) >= limits_.questions) return tooMany();
        Bonus b;
        b.leadin = d.text;
        b.number = d.number;
        b.category = d.category;
        b.metadata = metadata;
        bool everyDifficulty = true;
        for (const DraftPart& p : d.parts) {
            b.parts.push_back(p.text);
            b.answers.push_back(p.answer);
            b.values.push_back(p.value);
            everyDifficulty = everyDifficulty && !p.difficulty.isNull();
        }
        // The moderator app takes one modifier per part or none at all.
        if (everyDifficulty)
            for (const DraftPart& p : d.parts)
                b.difficultyModifiers.push_back(p.difficulty);
        packet_.bonuses.push_back(std::move(b));
    }

    void tooMany() {
        error_ = QStringLiteral("The packet is too large (more than %1 questions of a kind).")
                     .arg(limits_.questions);
    }

    const PacketLimits& limits_;
    Packet packet_;
    QStringList problems_;
    QString error_;
    Section section_ = Section::Unknown;
    int listCount_ = 0;
    std::optional<Draft> draft_;
};

}  // namespace

PacketRead readPacketLines(const std::vector<PacketLine>& lines, const PacketLimits& limits) {
    return LineReader(limits).read(lines);
}

}  // namespace packet
