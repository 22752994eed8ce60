#pragma once

#include <QFont>
#include <QLabel>

// A one-line label of the play screen. Its font is given at the window's
// design size and grows or shrinks with the window; a text too long for the
// label at that size (a long team name, a four-digit or negative score) is
// drawn smaller so that it stays whole and inside the border.
//
// Presses and double-clicks are passed on with the button, as the screen's
// handlers want them.
class ScaledLabel final : public QLabel {
    Q_OBJECT

public:
    ScaledLabel(const QString& text, QWidget* parent);

    void setDesignFont(const QString& family, double points);
    // Font size relative to the design size.
    void setFontScale(double scale);
    double fontScale() const { return scale_; }

    // The design font at the present scale.
    QFont scaledFont() const;
    // The font the present text is drawn in: the scaled font, or smaller
    // when the text would not fit.
    QFont fittedFont() const;
    // Where the text may go: inside the border, less a small margin.
    QRectF textArea() const;

    // Room kept free of text inside the border, such as the corners where
    // the scoring tabs sit.
    void setTextInsets(const QMargins& insets);

    // A plain black line round the label, of the given width in pixels
    // (0 for none).
    void setBorderWidth(int pixels);
    int borderWidth() const { return border_; }

signals:
    void mouseDown(Qt::MouseButton button);
    void doubleClicked(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QFont design_;
    double points_ = 8.25;
    double scale_ = 1.0;
    int border_ = 0;
    QMargins insets_;
};
