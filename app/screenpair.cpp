#include "app/screenpair.h"

#include <QString>

QString screenName(ScreenPair s) {
    switch (s) {
    case ScreenPair::P2_4: return QStringLiteral("PlayScreen2_4");
    case ScreenPair::P2_5: return QStringLiteral("PlayScreen2_5");
    case ScreenPair::P3_4: return QStringLiteral("Playscreen3_4");
    case ScreenPair::P3_5: return QStringLiteral("Playscreen3_5");
    }
    return {};
}

QString menuName(MenuKind m) {
    return m == MenuKind::Players4 ? QStringLiteral("FrmMenu3_4") : QStringLiteral("FrmMenu3_5");
}
