#pragma once

#include <QObject>

#include "app/controlfactory.h"

// The plugin's entry: creates UsbControl instances, each with its own hidapi
// transport.
class UsbPlugin : public QObject, public ControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.torvanel.ControlFactory/1.0" FILE "usb.json")
    Q_INTERFACES(ControlFactory)

public:
    static constexpr const char* kClassId = "USB_ActiveX.USB";

    QObject* create(const QString& classId) override;
};
