#pragma once

#include <QList>

class QScreen;

// The display the audience watches: with a second display attached (a
// projector beside the operator's monitor) the first one that is not the
// primary, else the only one. Null only without any display.
QScreen* audienceScreen();

// The same choice among given displays.
QScreen* audienceScreen(const QList<QScreen*>& screens, QScreen* primary);
