#include "buttons/inputevent.h"

namespace buttons {

QString DeviceIdentity::key() const {
    const QString ids = QStringLiteral("%1:%2")
                            .arg(vendor, 4, 16, QLatin1Char('0'))
                            .arg(product, 4, 16, QLatin1Char('0'));
    if (!serial.isEmpty()) return ids + QStringLiteral(" serial ") + serial;
    return ids + QStringLiteral(" at ") + phys;
}

}  // namespace buttons
