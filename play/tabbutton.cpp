#include "play/tabbutton.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>

#include "app/controls.h"

TabButton::TabButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
}

void TabButton::setDesignFont(const QString& family, double points) {
    design_ = programFont(family, points);
    points_ = points;
    setFontScale(1.0);
}

void TabButton::setFontScale(double scale) {
    QFont f = design_;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(points_ * 96.0 / 72.0 * scale))));
    setFont(f);
}

void TabButton::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button());
    QPushButton::mousePressEvent(event);
}
