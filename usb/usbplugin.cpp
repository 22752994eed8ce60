#include "usb/usbplugin.h"

#include <string_view>

#include "usb/hidapitransport.h"
#include "usb/usbcontrol.h"

// moc needs the identifier spelled out in Q_PLUGIN_METADATA; it must be the
// one the program looks for.
static_assert(std::string_view(TORVANEL_CONTROL_FACTORY_IID) == "org.torvanel.ControlFactory/1.0");

QObject* UsbPlugin::create(const QString& classId) {
    if (classId != QLatin1String(kClassId)) return nullptr;
    return new UsbControl(std::make_unique<usbio::HidapiTransport>());
}
