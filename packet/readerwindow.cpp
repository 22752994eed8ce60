#include "packet/readerwindow.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "packet/packettext.h"

namespace packet {

namespace {

constexpr char kSizeKey[] = "reader/pointSize";

const QColor kPowerColour(0xb0, 0x00, 0x20);
const QColor kAsideColour(0x70, 0x70, 0x70);
const QColor kMovingColour(0xff, 0xd5, 0x4f);
const QColor kConfirmedColour(0xc8, 0xe6, 0xc9);
const QColor kWrongColour(0xff, 0xcd, 0xd2);
const QColor kReadingColour(0xff, 0xf8, 0xd0);

// The formats a tag of the field's text turns on or off.
struct Styles {
    int bold = 0, underline = 0, italic = 0, sub = 0, sup = 0;

    void apply(QStringView tag) {
        const bool closing = tag.size() > 1 && tag[1] == u'/';
        qsizetype from = closing ? 2 : 1;
        qsizetype to = from;
        while (to < tag.size() && tag[to].isLetter())
            ++to;
        const QString name = tag.mid(from, to - from).toString().toLower();
        const int step = closing ? -1 : 1;
        auto move = [step](int& count) { count = std::max(0, count + step); };
        if (name == u"b" || name == u"strong") {
            move(bold);
        } else if (name == u"u") {
            move(underline);
        } else if (name == u"i" || name == u"em") {
            move(italic);
        } else if (name == u"req") {
            move(bold);
            move(underline);
        } else if (name == u"sub") {
            move(sub);
        } else if (name == u"sup") {
            move(sup);
        }
    }
};

QTextCharFormat labelFormat(const DrawnMark& mark, double pointSize) {
    QTextCharFormat f;
    f.setFontPointSize(std::max(8.0, pointSize * 0.6));
    f.setFontWeight(QFont::Bold);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    f.setForeground(Qt::black);
    f.setBackground(mark.moving ? kMovingColour : kConfirmedColour);
    f.setVerticalAlignment(QTextCharFormat::AlignNormal);
    return f;
}

QString labelText(const ReaderMark& m, bool moving) {
    QString text = m.name.isEmpty() ? QStringLiteral("buzz") : m.name;
    if (m.value) text += QStringLiteral(" %1%2").arg(*m.value > 0 ? "+" : "").arg(*m.value);
    if (moving) text = QStringLiteral("\u25BC ") + text + QStringLiteral(" ?");
    return text;
}

void insertLabel(QTextCursor& cursor, DrawnText& drawn, int base, const QString& text,
                 const QTextCharFormat& format) {
    cursor.insertText(QStringLiteral("\u2009") + text + QStringLiteral("\u2009"), format);
    drawn.offsetAtPosition.resize(std::size_t(cursor.position() - base), -1);
}

}  // namespace

DrawnText drawFormatted(QTextDocument& document, const QString& formatted,
                        const QuestionWords& words, const std::vector<DrawnMark>& marks,
                        double pointSize) {
    const qsizetype n = formatted.size();
    // What each character of the formatted text is part of.
    enum Part : char { Text, Power, Guide, Directive };
    std::vector<Part> part(std::size_t(n), Text);
    for (const PowerMark& m : words.marks)
        for (qsizetype i = m.start; i < m.end && i < n; ++i)
            part[std::size_t(i)] = Power;
    for (const Aside& a : words.asides)
        for (qsizetype i = a.start; i < a.end && i < n; ++i)
            part[std::size_t(i)] = a.kind == AsideKind::PronunciationGuide ? Guide : Directive;
    // The marks at each word; a word may carry several (two teams' buzzes).
    std::vector<std::vector<const DrawnMark*>> marksAt(words.words.size() + 1);
    for (const DrawnMark& m : marks)
        marksAt[std::size_t(std::clamp(m.word, 0, words.afterQuestion()))].push_back(&m);
    std::vector<int> wordEndingAt(std::size_t(n) + 1, -1);
    std::vector<int> wordAtChar(std::size_t(n), -1);
    for (int w = 0; w < int(words.words.size()); ++w) {
        const Word& word = words.words[std::size_t(w)];
        if (word.end <= n) wordEndingAt[std::size_t(word.end)] = w;
        for (qsizetype i = word.start; i < word.end && i < n; ++i)
            wordAtChar[std::size_t(i)] = w;
    }

    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    const int base = cursor.position();
    DrawnText drawn;
    drawn.positionOfOffset.resize(std::size_t(n) + 1, base);
    Styles styles;

    auto formatFor = [&](qsizetype i) {
        QTextCharFormat f;
        f.setFontPointSize(pointSize);
        f.setFontWeight(styles.bold ? QFont::Bold : QFont::Normal);
        f.setFontUnderline(styles.underline > 0);
        f.setFontItalic(styles.italic > 0);
        if (styles.sub)
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        else if (styles.sup)
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        switch (part[std::size_t(i)]) {
        case Power:
            f.setFontWeight(QFont::Bold);
            f.setForeground(kPowerColour);
            break;
        case Guide:
            f.setForeground(kAsideColour);
            f.setFontPointSize(std::max(8.0, pointSize * 0.75));
            break;
        case Directive: f.setForeground(kAsideColour); break;
        case Text: break;
        }
        const int w = wordAtChar[std::size_t(i)];
        if (w >= 0 && !marksAt[std::size_t(w)].empty()) {
            bool moving = false;
            bool wrong = false;
            for (const DrawnMark* m : marksAt[std::size_t(w)]) {
                moving = moving || m->moving;
                wrong = wrong || m->wrong;
            }
            f.setBackground(moving ? kMovingColour : wrong ? kWrongColour : kConfirmedColour);
        }
        return f;
    };
    auto labelsAfter = [&](int w) {
        for (const DrawnMark* m : marksAt[std::size_t(w)]) {
            QTextCharFormat f = labelFormat(*m, pointSize);
            if (!m->moving && m->wrong) f.setBackground(kWrongColour);
            insertLabel(cursor, drawn, base, m->label, f);
        }
    };

    for (qsizetype i = 0; i < n;) {
        drawn.positionOfOffset[std::size_t(i)] = cursor.position();
        if (const int w = wordEndingAt[std::size_t(i)]; w >= 0) labelsAfter(w);
        const QChar c = formatted[i];
        if (c == u'<') {
            if (const qsizetype len = tagLength(formatted, i); len > 0) {
                const QStringView tag = QStringView(formatted).mid(i, len);
                if (tagSeparatesWords(tag)) {
                    cursor.insertText(QStringLiteral(" "), formatFor(i));
                    drawn.offsetAtPosition.push_back(i);
                } else {
                    styles.apply(tag);
                }
                for (qsizetype k = 1; k < len; ++k)
                    drawn.positionOfOffset[std::size_t(i + k)] = cursor.position();
                i += len;
                continue;
            }
        }
        QString text(c);
        qsizetype len = 1;
        if (c == u'&') {
            qsizetype entity = 0;
            const QString decoded = decodeEntity(formatted, i, &entity);
            if (entity > 0) {
                text = decoded;
                len = entity;
            }
        }
        // Line ends and tabs in a field read as spaces, as they do for the
        // word count.
        for (QChar& t : text)
            if (t == u'\n' || t == u'\r' || t == u'\t') t = u' ';
        const int before = cursor.position();
        cursor.insertText(text, formatFor(i));
        for (int p = before; p < cursor.position(); ++p)
            drawn.offsetAtPosition.push_back(i);
        for (qsizetype k = 1; k < len; ++k)
            drawn.positionOfOffset[std::size_t(i + k)] = before;
        i += len;
    }
    drawn.positionOfOffset[std::size_t(n)] = cursor.position();
    if (const int w = wordEndingAt[std::size_t(n)]; w >= 0) labelsAfter(w);
    // Buzzes after the last word.
    if (!marksAt.back().empty()) {
        cursor.insertText(QStringLiteral(" "), QTextCharFormat());
        drawn.offsetAtPosition.push_back(-1);
        for (const DrawnMark* m : marksAt.back()) {
            QTextCharFormat f = labelFormat(*m, pointSize);
            insertLabel(cursor, drawn, base, m->label + QStringLiteral(" (after the question)"), f);
        }
    }
    return drawn;
}

ReaderWindow::ReaderWindow(QString settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window), settingsFile_(std::move(settingsFile)) {
    setObjectName(QStringLiteral("ReaderWindow"));
    setWindowTitle(QStringLiteral("Reader"));
    setFocusPolicy(Qt::StrongFocus);

    heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("readerHeading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    view = new QTextEdit(this);
    view->setObjectName(QStringLiteral("readerText"));
    view->setReadOnly(true);
    // The window takes every key (the arrows move the mark, the sheet's keys
    // rule); a click is a word, not a text cursor.
    view->setTextInteractionFlags(Qt::NoTextInteraction);
    view->setFocusPolicy(Qt::NoFocus);
    view->setUndoRedoEnabled(false);
    view->viewport()->installEventFilter(this);
    view->viewport()->setCursor(Qt::PointingHandCursor);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(view, 1);
    resize(640, 520);

    if (!settingsFile_.isEmpty()) {
        const double kept = QSettings(settingsFile_, QSettings::IniFormat)
                                .value(QLatin1String(kSizeKey), kDefaultSize)
                                .toDouble();
        pointSize_ = std::clamp(kept, kSmallestSize, kLargestSize);
    }
    redraw();
}

void ReaderWindow::show(const ReaderPage& page) {
    page_ = page;
    redraw();
}

void ReaderWindow::setPointSize(double size) {
    size = std::clamp(size, kSmallestSize, kLargestSize);
    if (size == pointSize_) return;
    pointSize_ = size;
    if (!settingsFile_.isEmpty()) {
        QSettings settings(settingsFile_, QSettings::IniFormat);
        settings.setValue(QLatin1String(kSizeKey), pointSize_);
        settings.sync();
    }
    redraw();
}

void ReaderWindow::redraw() {
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(std::max(11.0, pointSize_ * 0.6));
    headingFont.setBold(true);
    heading->setFont(headingFont);
    QTextDocument* document = view->document();
    document->clear();
    QFont font = document->defaultFont();
    font.setPointSizeF(pointSize_);
    document->setDefaultFont(font);
    words_ = {};
    drawn_ = {};
    questionStart_ = -1;

    const Packet* p = page_.packet.get();
    const QString name = p && !p->name.isEmpty() ? QStringLiteral(" \u2014 ") + p->name : QString();
    setWindowTitle(QStringLiteral("Reader") + name);
    if (!p) {
        heading->setText(QStringLiteral("No packet"));
        view->setPlainText(QStringLiteral("Match > Packet... opens a packet to read from."));
        return;
    }
    if (page_.showing == ReaderPage::Showing::Bonus) {
        drawBonus();
    } else if (page_.tossupIndex >= 0 && page_.tossupIndex < int(p->tossups.size())) {
        drawTossup();
        // The buzz awaiting its ruling in view; else the question's start.
        QTextCursor at(document);
        if (page_.movingMark && *page_.movingMark >= 0 &&
            *page_.movingMark < int(page_.marks.size())) {
            const int word = page_.marks[std::size_t(*page_.movingMark)].word;
            const qsizetype offset = word < words_.afterQuestion()
                                         ? words_.words[std::size_t(word)].start
                                         : qsizetype(drawn_.positionOfOffset.size()) - 1;
            at.setPosition(drawn_.positionOfOffset[std::size_t(offset)]);
        }
        view->setTextCursor(at);
        view->ensureCursorVisible();
    } else {
        heading->setText(page_.questionNumber > 0
                             ? QStringLiteral("Toss-up %1").arg(page_.questionNumber)
                             : QStringLiteral("Toss-up"));
        view->setPlainText(page_.tossupIndex < 0 && page_.showing != ReaderPage::Showing::Nothing
                               ? QStringLiteral("The packet has no more toss-ups.")
                               : QString());
    }
}

namespace {

// The packet's own number for a question, beside the match's.
QString packetPlace(std::optional<int> number, int index) {
    return QStringLiteral("packet question %1").arg(number ? *number : index + 1);
}

void newParagraph(QTextCursor& cursor, const QTextBlockFormat& format = {}) {
    if (cursor.position() > 0)
        cursor.insertBlock(format);
    else
        cursor.setBlockFormat(format);
}

void insertPlain(QTextCursor& cursor, const QString& text, double pointSize, bool bold = false,
                 const QColor& colour = QColor()) {
    QTextCharFormat f;
    f.setFontPointSize(pointSize);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (colour.isValid()) f.setForeground(colour);
    cursor.insertText(text, f);
}

}  // namespace

void ReaderWindow::drawTossup() {
    const Tossup& t = page_.packet->tossups[std::size_t(page_.tossupIndex)];
    heading->setText(QStringLiteral("Toss-up %1 (%2)")
                         .arg(page_.questionNumber)
                         .arg(packetPlace(t.number, page_.tossupIndex)));
    QTextDocument& document = *view->document();
    QTextCursor cursor(&document);
    words_ = numberWords(t.question);
    std::vector<DrawnMark> marks;
    for (std::size_t i = 0; i < page_.marks.size(); ++i) {
        const ReaderMark& m = page_.marks[i];
        const bool moving = page_.movingMark && std::size_t(*page_.movingMark) == i;
        marks.push_back(
            {m.word, labelText(m, moving), moving, m.confirmed, m.value && *m.value < 0});
    }
    questionStart_ = cursor.position();
    drawn_ = drawFormatted(document, t.question, words_, marks, pointSize_);

    cursor.movePosition(QTextCursor::End);
    QTextBlockFormat answerBlock;
    answerBlock.setTopMargin(pointSize_);
    newParagraph(cursor, answerBlock);
    insertPlain(cursor, QStringLiteral("ANSWER: "), pointSize_, true);
    drawFormatted(document, t.answer, numberWords(t.answer), {}, pointSize_);
    if (!t.metadata.isEmpty()) {
        cursor.movePosition(QTextCursor::End);
        newParagraph(cursor);
        insertPlain(cursor, plainText(t.metadata), std::max(8.0, pointSize_ * 0.6), false,
                    kAsideColour);
    }
}

void ReaderWindow::drawBonus() {
    const Packet& p = *page_.packet;
    const int index = page_.bonusIndex;
    if (index < 0 || index >= int(p.bonuses.size())) {
        heading->setText(QStringLiteral("Bonus"));
        view->setPlainText(QStringLiteral("The packet has no more bonuses."));
        return;
    }
    const Bonus& b = p.bonuses[std::size_t(index)];
    heading->setText(QStringLiteral("Bonus %1 (%2)")
                         .arg(page_.questionNumber)
                         .arg(packetPlace(b.number, index)));
    QTextDocument& document = *view->document();
    QTextCursor cursor(&document);
    auto block = [this](bool reading) {
        QTextBlockFormat f;
        f.setTopMargin(pointSize_ * 0.5);
        if (reading) f.setBackground(kReadingColour);
        return f;
    };
    newParagraph(cursor, block(page_.bonusPart < 0));
    if (page_.bonusPart < 0) insertPlain(cursor, QStringLiteral("\u25B6 "), pointSize_, true);
    drawFormatted(document, b.leadin, numberWords(b.leadin), {}, pointSize_);
    const std::size_t parts = std::max({b.parts.size(), b.answers.size(), b.values.size()});
    int readingAt = 0;
    for (std::size_t i = 0; i < parts; ++i) {
        const bool reading = int(i) == page_.bonusPart;
        cursor.movePosition(QTextCursor::End);
        newParagraph(cursor, block(reading));
        if (reading) readingAt = cursor.position();
        QString value = i < b.values.size() ? QString::number(b.values[i]) : QStringLiteral("?");
        if (i < b.difficultyModifiers.size()) value += b.difficultyModifiers[i];
        insertPlain(
            cursor,
            (reading ? QStringLiteral("\u25B6 ") : QString()) + QStringLiteral("[%1] ").arg(value),
            pointSize_, true);
        if (i < b.parts.size())
            drawFormatted(document, b.parts[i], numberWords(b.parts[i]), {}, pointSize_);
        cursor.movePosition(QTextCursor::End);
        QTextBlockFormat answer = block(reading);
        answer.setTopMargin(0);
        answer.setLeftMargin(pointSize_ * 1.5);
        newParagraph(cursor, answer);
        insertPlain(cursor, QStringLiteral("ANSWER: "), pointSize_ * 0.85, true);
        if (i < b.answers.size())
            drawFormatted(document, b.answers[i], numberWords(b.answers[i]), {}, pointSize_ * 0.85);
    }
    if (!b.metadata.isEmpty()) {
        cursor.movePosition(QTextCursor::End);
        newParagraph(cursor);
        insertPlain(cursor, plainText(b.metadata), std::max(8.0, pointSize_ * 0.6), false,
                    kAsideColour);
    }
    // The part being read in view.
    QTextCursor at(&document);
    at.setPosition(readingAt);
    view->setTextCursor(at);
    view->ensureCursorVisible();
}

std::optional<int> ReaderWindow::wordAt(const QPoint& viewportPoint) const {
    if (questionStart_ < 0 || drawn_.offsetAtPosition.empty()) return std::nullopt;
    const int position = view->cursorForPosition(viewportPoint).position();
    qsizetype at = position - questionStart_;
    if (at < 0 || at > qsizetype(drawn_.offsetAtPosition.size())) return std::nullopt;
    if (at == qsizetype(drawn_.offsetAtPosition.size())) return words_.afterQuestion();
    // A buzzer's name stands for the word before it.
    while (at >= 0 && drawn_.offsetAtPosition[std::size_t(at)] < 0)
        --at;
    if (at < 0) return 0;
    return wordAtOffset(words_, drawn_.offsetAtPosition[std::size_t(at)]);
}

bool ReaderWindow::ownKey(QKeyEvent* event) {
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (ctrl && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
        setPointSize(pointSize_ + 2);
        return true;
    }
    if (ctrl && key == Qt::Key_Minus) {
        setPointSize(pointSize_ - 2);
        return true;
    }
    if (ctrl && key == Qt::Key_T) {
        emit throwOutRequested();
        return true;
    }
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !ctrl) {
        if (!page_.movingMark || questionStart_ < 0 || *page_.movingMark < 0 ||
            *page_.movingMark >= int(page_.marks.size()))
            return false;
        const int from = page_.marks[std::size_t(*page_.movingMark)].word;
        const int to = std::clamp(from + (key == Qt::Key_Left ? -1 : 1), 0, words_.afterQuestion());
        if (to != from) emit markMoved(to);
        return true;
    }
    return false;
}

void ReaderWindow::keyPressEvent(QKeyEvent* event) {
    if (ownKey(event)) return;
    if (keyHandler_ && keyHandler_(event)) return;
    QWidget::keyPressEvent(event);
}

bool ReaderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && page_.movingMark) {
            if (const std::optional<int> word = wordAt(mouse->position().toPoint()))
                emit markMoved(*word);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace packet
