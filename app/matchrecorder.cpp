#include "app/matchrecorder.h"

namespace record {

QString kindName(EventKind kind) {
    for (const KindFormat& f : kKindFormats)
        if (f.kind == kind) return QString::fromLatin1(f.name);
    return {};
}

bool kindFromName(const QString& name, EventKind& kind) {
    for (const KindFormat& f : kKindFormats)
        if (name == QLatin1String(f.name)) {
            kind = f.kind;
            return true;
        }
    return false;
}

QStringList kindKeys(EventKind kind) {
    for (const KindFormat& f : kKindFormats)
        if (f.kind == kind) return QString::fromLatin1(f.keys).split(u' ', Qt::SkipEmptyParts);
    return {};
}

}  // namespace record
