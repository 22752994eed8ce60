#pragma once

#include <cmath>
#include <cstdint>
#include <map>

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QCheckBox;
class QWidget;

// Helpers that let the windows keep the program's long-standing conventions:
// colours as 0xBBGGRR numbers, check boxes with a greyed third value, control
// arrays with their own first index, geometry in twips.

// 0xBBGGRR as the setup file stores it (red in the low byte).
QColor colourFromBgr(std::int32_t bgr);
std::int32_t bgrFromColour(const QColor& colour);

// The system colours the windows use by name.
QColor buttonFaceColour();
QColor buttonTextColour();
QColor greyTextColour();

// Background and text colour of a widget, as its own palette.
void setBackColour(QWidget* widget, const QColor& colour);
QColor backColour(const QWidget* widget);
void setForeColour(QWidget* widget, const QColor& colour);
QColor foreColour(const QWidget* widget);

// A check box's value: 0 cleared, 1 set, 2 greyed.
int checkValue(const QCheckBox* box);
// Values other than 0, 1 and 2 are refused (returns false, box unchanged).
bool setCheckValue(QCheckBox* box, int value);

// Screen geometry: 1440 twips to the inch, 15 to a pixel at 96 dpi.
inline constexpr double kTwipsPerPixel = 15.0;
inline int twipsToPixels(int twips, double scale = 1.0) {
    return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}
QRect twipsRect(int left, int top, int width, int height, double scale = 1.0);

// A font by family and point size; a family this machine lacks falls back to
// one of the same weight ("Arial Black" to the heaviest sans serif).
QFont programFont(const QString& family, double points, bool bold = false);

// A set of widgets addressed by index, such as the name boxes Text(0..14).
// Indexes need not start at 0 (the timer boxes are 6 to 10).
template <class W>
class ControlArray {
public:
    void add(int index, W* widget) { items_[index] = widget; }
    W* operator[](int index) const {
        auto it = items_.find(index);
        return it == items_.end() ? nullptr : it->second;
    }
    W* at(int index) const { return (*this)[index]; }
    int lowerBound() const { return items_.empty() ? 0 : items_.begin()->first; }
    int upperBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    int count() const { return static_cast<int>(items_.size()); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::map<int, W*> items_;
};
