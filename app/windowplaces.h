#pragma once

#include <vector>

#include <QRect>
#include <QSize>
#include <QString>

class Program;
class QWidget;

// Where the windows go when the play screen and the operator's windows share
// one display, and where the operator's windows were last left.
namespace places {

// Only one display is attached: the play screen is then a window beside the
// operator's windows rather than full screen.
bool oneDisplay();

// The rectangle of `area` that overlaps none of `taken` and holds a window
// of the `design` size at the largest scale (by area when two scale alike).
// Empty when nothing is free.
QRect freeRect(const QRect& area, const std::vector<QRect>& taken, const QSize& design);

// An operator's window: the set-up menus, the contestant panel, the record,
// check and assign windows. With one display they are kept above the play
// screen while the operator works it.
void markOperatorWindow(QWidget& window);
bool isOperatorWindow(const QWidget& window);
// The frames of the operator's windows on show, `except` left out.
std::vector<QRect> operatorWindowFrames(const QWidget* except = nullptr);
// Brings every operator's window on show in front, without activating one.
void raiseOperatorWindows();

// Puts the window back where it was last left (on the same display if that
// is still attached) and remembers from now on where the operator moves or
// resizes it, under `key` in the program's settings. False when it had no
// place yet.
bool keepPlace(QWidget& window, const Program& program, const QString& key);
// Whether the window has a place kept for it.
bool hasKeptPlace(const Program& program, const QString& key);
// The settings file the places are kept in.
QString settingsFile(const Program& program);

// Puts a window that has no place yet at the foot of its display, at the
// left or the right, where a play screen above it leaves it in view.
void placeAtFoot(QWidget& window, bool left);

// Keeps the window within its display's free area, smaller if it must be
// (a display scaled to 200 %), and on it.
void fitOnDisplay(QWidget& window);

// Shows the window, in front of the others, with the keyboard.
void bringForward(QWidget& window);

}  // namespace places
