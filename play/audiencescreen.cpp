#include "play/audiencescreen.h"

#include <QGuiApplication>
#include <QScreen>

QScreen* audienceScreen() {
    return audienceScreen(QGuiApplication::screens(), QGuiApplication::primaryScreen());
}

QScreen* audienceScreen(const QList<QScreen*>& screens, QScreen* primary) {
    for (QScreen* s : screens) {
        if (s && s != primary) return s;
    }
    return primary ? primary : (screens.isEmpty() ? nullptr : screens.front());
}
