#include "app/usbhost.h"

#include "app/objecthost.h"
#include "app/program.h"

std::unique_ptr<QObject> createUsbControl(Program& program) {
    std::unique_ptr<QObject> control = program.objects().create(QLatin1String(kUsbClassId));
    if (!control) return nullptr;
    if (QObject* module = program.usbTransport()) {
        const MethodCall handed =
            callMethod(control.get(), "useTransport", {QVariant::fromValue(module)});
        if (!handed.ok || !handed.result.toBool()) return nullptr;
    }
    return control;
}
