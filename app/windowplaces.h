#pragma once

#include <vector>

#include <QMargins>
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

// The frame the window manager puts round a window: its own once it has
// one; before it is first on show, that of another window on show (the
// manager frames them alike), or else a typical title bar and border, so
// that a window placed before it is shown keeps its frame on the display.
QMargins frameMargins(const QWidget& window);
// The typical frame, when no window on show has one to go by.
inline constexpr QMargins kTypicalFrame{4, 30, 4, 4};

// Where a window of `client` size with that frame stands at the foot of
// `area`, at the left or the right: its frame's rectangle.
QRect footFrame(const QRect& area, const QSize& client, const QMargins& frame, bool left);
// The window's client size and frame moved (and the client made smaller,
// down to `minimum`, when it must) so that the frame is within `area`; the
// frame's rectangle.
QRect fitFrame(const QRect& area, const QRect& frameRect, const QMargins& frame,
               const QSize& minimum);

// With one display: the column of the operator's windows that go with the
// play screen (the reader above, the Scoresheet below), to the right of the
// room the play screen takes at its design's proportions in the band above
// the windows at the foot (`footFrames`), or right of those windows down to
// the ones below it alone when that is larger; never narrower than
// `leastWidth`. Frame rectangles.
enum class Column { Upper, Lower };
QRect columnFrame(const QRect& area, const std::vector<QRect>& footFrames,
                  const QSize& screenDesign, Column part, int leastWidth);
// The column's least width: the Scoresheet's buttons in a row, and the
// reader a line of a dozen words; both windows share the column.
inline constexpr int kColumnLeastWidth = 640;

// Puts a window that has no place yet at the foot of its display, at the
// left or the right, where a play screen above it leaves it in view.
void placeAtFoot(QWidget& window, bool left);
// Puts a window that has no place yet in the column beside the play screen,
// clear of the operator's windows on show; the play screen keeps out of it.
void placeInColumn(QWidget& window, Column part, const QSize& screenDesign);

// The design size of the play screen in use; empty when none is loaded.
QSize playScreenDesign(Program& program);
// The play screens on show beside the operator's windows make room for the
// operator's windows as they now are (a window just put up).
void refitPlayScreens(Program& program);

// Keeps the window within its display's free area, smaller if it must be
// (a display scaled to 200 %), and on it.
void fitOnDisplay(QWidget& window);

// Shows the window, in front of the others, with the keyboard.
void bringForward(QWidget& window);

}  // namespace places
