#pragma once

#include <functional>

#include <QRect>
#include <QSize>

class QWidget;

// Where the play screen's window goes. With a second display attached it is
// full screen there, for the audience; with one display it is a window in
// the room the operator's windows (set-up menu, contestant panel) leave,
// which it keeps them in view of, and full screen there only when the
// operator asks (Alt+Return).
class ScreenPlacement {
public:
    // `window` is laid out for `design`; `menu` gives its set-up menu, whose
    // room is kept even before it comes up; `create` makes the window's
    // native window (QWidget::create, the window's own to call), so that it
    // can be put on a display before it is first shown.
    ScreenPlacement(QWidget& window, QSize design, std::function<const QWidget&()> menu,
                    std::function<void()> create);

    // Puts the window up for the audience.
    void show();
    // With one display: sizes the window to the room the operator's windows
    // leave, if the operator has not moved or resized it since.
    void fitBesideOperatorWindows();
    // Alt+Return toggles full screen, Escape leaves it.
    void toggleFullScreen();
    void leaveFullScreen();

    QSize designSize() const { return design_; }

private:
    void showFullScreenOnAudience();
    void placeBesideOperatorWindows();

    QWidget& window_;
    const QSize design_;
    std::function<const QWidget&()> menu_;
    std::function<void()> create_;
    // The room the window was given beside the operator's windows.
    QRect placedIn_;
};
