#pragma once

#include <functional>
#include <vector>

#include <QString>
#include <QWidget>

#include "packet/readerpage.h"
#include "packet/words.h"

class QKeyEvent;
class QLabel;
class QTextDocument;
class QTextEdit;

namespace packet {

// Where each character of a question's formatted text landed in the drawn
// document, and back: a click in the document finds the word under it.
struct DrawnText {
    // The document position of each offset of the formatted text (one past
    // the end included).
    std::vector<int> positionOfOffset;
    // The formatted text's offset behind each document position; -1 for
    // what the reader added (a buzzer's name, a label).
    std::vector<qsizetype> offsetAtPosition;
};

// What a mark looks like beside its word.
struct DrawnMark {
    int word = 0;
    QString label;  // the buzzer's name and, once ruled, the points
    bool moving = false;
    bool confirmed = false;
    bool wrong = false;  // ruled at a loss of points
};

// Draws formatted packet text (see packettext.h) at the end of `document`
// through a cursor, never through an HTML parser: the packet's characters
// are only ever characters. <b> <u> <i> <em> <req> <sub> <sup> become
// formats, other tags are dropped, entities decoded; power marks stand out,
// pronunciation guides are smaller and grey, directives grey. Marks go at
// their words: the word underlaid, the label after it.
DrawnText drawFormatted(QTextDocument& document, const QString& formatted,
                        const QuestionWords& words, const std::vector<DrawnMark>& marks,
                        double pointSize);

// The moderator's reader: the question being read in a large type, its
// answer, the buzzes marked on its words; for a bonus the lead-in and the
// parts with answers and values. It only draws what the match side hands it
// and turns the operator's keys and clicks into requests.
//
// Keys: Left and Right move the moving mark a word; Ctrl+Plus and
// Ctrl+Minus change the type size (kept in `settingsFile`); Ctrl+T asks for
// the question to be thrown out. Any other key goes to the key handler
// (the scoresheet's keys, Space and F1 to F12 for the play screen).
class ReaderWindow final : public QWidget {
    Q_OBJECT
public:
    // `settingsFile`: the program's settings, where the type size is kept;
    // empty: not kept.
    explicit ReaderWindow(QString settingsFile, QWidget* parent = nullptr);

    void show(const ReaderPage& page);
    using QWidget::show;
    const ReaderPage& page() const { return page_; }

    void setKeyHandler(std::function<bool(QKeyEvent*)> handler) {
        keyHandler_ = std::move(handler);
    }

    double pointSize() const { return pointSize_; }
    void setPointSize(double size);

    // The word of the shown toss-up at a point of the question view's
    // viewport; nothing when the point is on no text of the question.
    std::optional<int> wordAt(const QPoint& viewportPoint) const;

    QLabel* heading;
    QTextEdit* view;

    static constexpr double kSmallestSize = 10;
    static constexpr double kLargestSize = 72;
    static constexpr double kDefaultSize = 22;

signals:
    // The moving mark to this word (one past the last: after the question).
    void markMoved(int word);
    void throwOutRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();
    void drawTossup();
    void drawBonus();
    bool ownKey(QKeyEvent* event);

    QString settingsFile_;
    ReaderPage page_;
    double pointSize_ = kDefaultSize;
    std::function<bool(QKeyEvent*)> keyHandler_;
    // The shown toss-up's words and where its text was drawn.
    QuestionWords words_;
    DrawnText drawn_;
    int questionStart_ = -1;  // where the question's text begins in the view
};

}  // namespace packet
