#include "app/objecthost.h"

#include <array>

#include <QMetaMethod>
#include <QMetaObject>

namespace {

// QMetaMethod::invoke takes at most ten arguments.
constexpr int kMaxArguments = 10;

}  // namespace

MethodCall callMethod(QObject* object, const char* name, const QVariantList& arguments) {
    MethodCall call;
    if (!object) {
        call.error = QStringLiteral("no object");
        return call;
    }
    if (arguments.size() > kMaxArguments) {
        call.error = QStringLiteral("too many arguments");
        return call;
    }
    const QMetaObject* meta = object->metaObject();
    const QByteArray wanted(name);
    for (int i = 0; i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Method &&
            method.methodType() != QMetaMethod::Slot) {
            continue;
        }
        if (method.access() != QMetaMethod::Public) continue;
        if (method.name() != wanted || method.parameterCount() != arguments.size()) continue;

        std::array<QVariant, kMaxArguments> converted;
        std::array<QGenericArgument, kMaxArguments> generic;
        for (int a = 0; a < arguments.size(); ++a) {
            const QMetaType type = method.parameterMetaType(a);
            if (type == QMetaType::fromType<QVariant>()) {
                // The parameter is a QVariant: hand over the argument as it is.
                converted[a] = arguments[a];
                generic[a] = QGenericArgument("QVariant", &converted[a]);
                continue;
            }
            converted[a] = arguments[a];
            if (!converted[a].convert(type)) {
                call.error = QStringLiteral("argument %1 of %2 cannot be a %3")
                                 .arg(a + 1)
                                 .arg(QLatin1String(name), QLatin1String(type.name()));
                return call;
            }
            generic[a] = QGenericArgument(type.name(), converted[a].constData());
        }

        const QMetaType returnType = method.returnMetaType();
        QVariant result;
        QGenericReturnArgument returned;
        if (returnType == QMetaType::fromType<QVariant>()) {
            returned = QGenericReturnArgument("QVariant", &result);
        } else if (returnType.id() != QMetaType::Void) {
            result = QVariant(returnType);
            returned = QGenericReturnArgument(returnType.name(), result.data());
        }
        call.ok = method.invoke(object, Qt::DirectConnection, returned, generic[0], generic[1],
                                generic[2], generic[3], generic[4], generic[5], generic[6],
                                generic[7], generic[8], generic[9]);
        if (call.ok) {
            call.result = std::move(result);
        } else {
            call.error = QStringLiteral("%1 could not be called").arg(QLatin1String(name));
        }
        return call;
    }
    call.error = QStringLiteral("%1 has no method %2 taking %3 argument(s)")
                     .arg(QLatin1String(meta->className()), QLatin1String(name))
                     .arg(arguments.size());
    return call;
}

void RegisteredObjectHost::registerClass(const QString& classId, Factory factory) {
    factories_[classId] = std::move(factory);
}

std::unique_ptr<QObject> RegisteredObjectHost::create(const QString& classId) {
    lastError_.clear();
    const auto it = factories_.find(classId);
    if (it == factories_.end()) {
        lastError_ = QStringLiteral("no class %1 is registered").arg(classId);
        return nullptr;
    }
    auto object = it->second();
    if (!object) {
        lastError_ = QStringLiteral("the class %1 made no object").arg(classId);
        return nullptr;
    }
    ++created_;
    return object;
}
