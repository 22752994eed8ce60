#pragma once

#include <QString>
#include <QStringList>

#include "packet/packet.h"

// A bonus of three 10-point parts with these texts, answered "a", "b", "c".
inline packet::Bonus threePartBonus(const QString& leadin, const QStringList& parts) {
    packet::Bonus b;
    b.leadin = leadin;
    b.parts.assign(parts.begin(), parts.end());
    b.answers = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    b.values = {10, 10, 10};
    return b;
}
