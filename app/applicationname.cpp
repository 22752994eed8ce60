#include "app/applicationname.h"

#include <QCoreApplication>

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("torvanel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVANEL_VERSION));
}
