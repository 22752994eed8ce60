#include "play/screenplacement.h"

#include <utility>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "app/windowplaces.h"
#include "play/audiencescreen.h"

ScreenPlacement::ScreenPlacement(QWidget& window, QSize design,
                                 std::function<const QWidget&()> menu, std::function<void()> create)
    : window_(window), design_(design), menu_(std::move(menu)), create_(std::move(create)) {}

void ScreenPlacement::show() {
    if (!places::oneDisplay()) {
        showFullScreenOnAudience();
        return;
    }
    // One display: working the play screen (every operator key needs its
    // focus) must not hide the set-up menu and the contestant panel.
    if (window_.isFullScreen()) window_.showNormal();
    placeBesideOperatorWindows();
    window_.show();
    // Once on show the window manager's frame is known, and goes inside the
    // room too.
    placeBesideOperatorWindows();
    window_.raise();
}

void ScreenPlacement::showFullScreenOnAudience() {
    QScreen* target = audienceScreen();
    if (target) {
        // The window goes to the audience's display before it is shown, so
        // it opens there rather than moving across.
        window_.setGeometry(target->geometry());
        if (!window_.windowHandle()) create_();
        if (window_.windowHandle()) window_.windowHandle()->setScreen(target);
    }
    window_.showFullScreen();
    window_.raise();
}

void ScreenPlacement::placeBesideOperatorWindows() {
    const QScreen* display = window_.screen();
    if (!display) display = QGuiApplication::primaryScreen();
    if (!display) return;
    const QRect area = display->availableGeometry();
    std::vector<QRect> taken = places::operatorWindowFrames(&window_);
    // The set-up menu comes up just after the screen: its room is kept too.
    const QWidget& m = menu_();
    if (!m.isVisible()) taken.push_back(QRect(m.pos(), m.size().grownBy(places::frameMargins(m))));
    QRect room = places::freeRect(area, taken, design_);
    // Too little left beside them: the operator's windows stay above the
    // screen instead.
    if (room.width() < design_.width() / 4 || room.height() < design_.height() / 4) room = area;
    // The window manager's frame goes round the window, within the room
    // (before the window is first on show, the frame it will have).
    window_.setGeometry(room.marginsRemoved(places::frameMargins(window_)));
    placedIn_ = room;
}

void ScreenPlacement::fitBesideOperatorWindows() {
    if (!places::oneDisplay() || !window_.isVisible() || window_.isFullScreen()) return;
    // Moved or resized out of its room by the operator: left where it is.
    if (!placedIn_.contains(window_.geometry())) return;
    placeBesideOperatorWindows();
}

void ScreenPlacement::toggleFullScreen() {
    if (window_.isFullScreen()) {
        leaveFullScreen();
    } else {
        showFullScreenOnAudience();
        window_.activateWindow();
    }
}

void ScreenPlacement::leaveFullScreen() {
    if (!window_.isFullScreen()) return;
    window_.showNormal();
    if (places::oneDisplay()) {
        placeBesideOperatorWindows();
        return;
    }
    QScreen* display = window_.screen();
    const QRect area = display ? display->availableGeometry() : QRect();
    QSize size = design_;
    if (area.isValid()) size = size.boundedTo(area.size());
    window_.resize(size);
}
