#include "app/controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QWidget>

QColor colourFromBgr(std::int32_t bgr) {
    const auto v = static_cast<std::uint32_t>(bgr);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

std::int32_t bgrFromColour(const QColor& colour) {
    return static_cast<std::int32_t>((colour.blue() << 16) | (colour.green() << 8) | colour.red());
}

QColor buttonFaceColour() { return QApplication::palette().color(QPalette::Button); }
QColor buttonTextColour() { return QApplication::palette().color(QPalette::ButtonText); }
QColor greyTextColour() {
    return QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}

void setBackColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QColor backColour(const QWidget* widget) { return widget->palette().color(QPalette::Window); }

void setForeColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, colour);
        p.setColor(group, QPalette::ButtonText, colour);
        p.setColor(group, QPalette::Text, colour);
    }
    widget->setPalette(p);
}

QColor foreColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    }
    return 0;
}

bool setCheckValue(QCheckBox* box, int value) {
    switch (value) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        box->setTristate(false);
        return true;
    case 1:
        box->setCheckState(Qt::Checked);
        box->setTristate(false);
        return true;
    case 2:
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
        return true;
    default: return false;
    }
}

QRect twipsRect(int left, int top, int width, int height, double scale) {
    return QRect(twipsToPixels(left, scale), twipsToPixels(top, scale), twipsToPixels(width, scale),
                 twipsToPixels(height, scale));
}

QFont programFont(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    const bool black = family.contains(QStringLiteral("Black"), Qt::CaseInsensitive);
    if (!QFontDatabase::hasFamily(family)) {
        // Liberation Sans stands in for Arial with the same metrics; the heavy
        // face is the nearest thing to Arial Black on a free system.
        font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("DejaVu Sans")});
        if (black) font.setWeight(QFont::Black);
    }
    if (bold) font.setBold(true);
    return font;
}
