#pragma once

#include <QString>

#include "usb/hidtransport.h"

struct hid_device_;
struct hid_device_info;

namespace usbio {

// The hidapi calls the backend makes, gathered in one place so that tests
// can stand in for a module this machine does not have.
struct HidapiCalls {
    hid_device_info* (*enumerate)(unsigned short vendorId, unsigned short productId);
    void (*freeEnumeration)(hid_device_info* devices);
    hid_device_* (*openPath)(const char* path);
    void (*close)(hid_device_* device);
    int (*write)(hid_device_* device, const unsigned char* data, size_t length);
    int (*readTimeout)(hid_device_* device, unsigned char* data, size_t length, int ms);
    const wchar_t* (*error)(hid_device_* device);

    static HidapiCalls library();
};

// HID devices through hidapi's hidraw backend (/dev/hidrawN).
//
// Reads are synchronous with a timeout (poll, then read), so a read that
// gives up leaves nothing outstanding; a report that comes later waits in
// the kernel's queue for this handle. The report descriptor is read from
// sysfs (<sysfsRoot>/hidrawN/device/report_descriptor), which needs no
// access to the device itself.
class HidapiTransport final : public HidTransport {
public:
    explicit HidapiTransport(HidapiCalls calls = HidapiCalls::library(),
                             QString sysfsRoot = QStringLiteral("/sys/class/hidraw"));

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) override;
    std::unique_ptr<HidHandle> open(const std::string& path, QString* error) override;

private:
    HidapiCalls calls_;
    QString sysfsRoot_;
};

// The report descriptor of the hidraw node `devicePath`, read from sysfs;
// empty when there is none.
std::vector<std::uint8_t> readHidrawDescriptor(const std::string& devicePath,
                                               const QString& sysfsRoot);

}  // namespace usbio
