#include "play/scaledlabel.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include "app/controls.h"

namespace {

// Points to pixels at the 96 dots to the inch the twips are reckoned in, so
// that fonts and geometry scale together whatever the display reports.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

// The part of a line the text needs above and below the baseline: at least
// the capitals, and whatever the text reaches beyond them (descenders,
// accents). Digits, which have none, get the full height of the label.
struct Ink {
    double above;
    double below;
    double height() const { return above + below; }
};

Ink inkOf(const QFontMetricsF& m, const QString& text) {
    const QRectF tight = m.tightBoundingRect(text);
    return {std::max(m.capHeight(), -tight.top()), std::max(0.0, tight.bottom())};
}

// Leading and trailing blanks (the clock's sign place) take no room.
QString shown(const QString& text) { return text.trimmed(); }

}  // namespace

ScaledLabel::ScaledLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ScaledLabel::setDesignFont(const QString& family, double points) {
    design_ = programFont(family, points);
    points_ = points;
    setFont(scaledFont());
    update();
}

void ScaledLabel::setFontScale(double scale) {
    scale_ = scale;
    setFont(scaledFont());
    update();
}

QFont ScaledLabel::scaledFont() const {
    QFont f = design_;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(points_ * kPixelsPerPoint * scale_))));
    return f;
}

void ScaledLabel::setTextInsets(const QMargins& insets) {
    insets_ = insets;
    update();
}

QRectF ScaledLabel::textArea() const {
    const QRectF inside = contentsRect().marginsRemoved(insets_);
    // A little air above and below; less at the sides, where the design
    // already fills its widest labels.
    const double tall = contentsRect().height();
    const double across = std::max(2.0, tall * 0.02);
    const double down = std::max(2.0, tall * 0.05);
    return inside.adjusted(across, down, -across, -down);
}

QFont ScaledLabel::fittedFont() const {
    QFont f = scaledFont();
    const QString t = shown(text());
    if (t.isEmpty()) return f;
    const QRectF area = textArea();
    // A first guess from the proportions, then down a pixel at a time, since
    // hinting does not scale exactly.
    {
        const QFontMetricsF m(f);
        const double wide = m.horizontalAdvance(t);
        const double tall = inkOf(m, t).height();
        const double factor = std::min(
            {1.0, area.width() / std::max(1.0, wide), area.height() / std::max(1.0, tall)});
        if (factor < 1.0) {
            f.setPixelSize(std::max(1, static_cast<int>(std::floor(f.pixelSize() * factor))));
        }
    }
    while (f.pixelSize() > 1) {
        const QFontMetricsF m(f);
        if (m.horizontalAdvance(t) <= area.width() && inkOf(m, t).height() <= area.height()) {
            break;
        }
        f.setPixelSize(f.pixelSize() - 1);
    }
    return f;
}

void ScaledLabel::setBorderWidth(int pixels) {
    border_ = std::max(0, pixels);
    setContentsMargins(border_, border_, border_, border_);
    update();
}

void ScaledLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (border_ > 0) {
        // Drawn in black whatever the text colour, as the scoreboard's boxes
        // always were.
        const QRect r = rect();
        p.fillRect(QRect(r.left(), r.top(), r.width(), border_), Qt::black);
        p.fillRect(QRect(r.left(), r.bottom() - border_ + 1, r.width(), border_), Qt::black);
        p.fillRect(QRect(r.left(), r.top(), border_, r.height()), Qt::black);
        p.fillRect(QRect(r.right() - border_ + 1, r.top(), border_, r.height()), Qt::black);
    }
    const QString t = shown(text());
    if (t.isEmpty()) return;
    const QFont f = fittedFont();
    const QFontMetricsF m(f);
    const QRectF area = textArea();
    const double wide = m.horizontalAdvance(t);
    double x = area.left();
    const Qt::Alignment a = alignment();
    if (a & Qt::AlignHCenter) {
        x = area.left() + (area.width() - wide) / 2.0;
    } else if (a & Qt::AlignRight) {
        x = area.right() - wide;
    }
    const Ink ink = inkOf(m, t);
    const double baseline = area.center().y() + (ink.above - ink.below) / 2.0;
    p.setFont(f);
    p.setPen(palette().color(foregroundRole()));
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawText(QPointF(x, baseline), t);
}

void ScaledLabel::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button());
    QLabel::mousePressEvent(event);
}

void ScaledLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->button());
    event->accept();
}
