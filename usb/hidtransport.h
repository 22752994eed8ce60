#pragma once

// How the USB control reaches HID devices. The control itself only builds
// and reads reports; where they go is up to the transport: the hidapi
// backend for a real module, or a simulated module for training and tests.
//
// This header is all a transport needs: the program's simulated module
// implements it without linking any of the control's code, and hands itself
// to a control loaded from the plugin as a QObject (see
// UsbControl::useTransport), found again there with qobject_cast, which
// matches the interface by its identifier across the plugin boundary.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QtPlugin>

namespace usbio {

struct HidDeviceInfo {
    // The system's name for the device, as open() takes it (a hidraw node
    // for the hidapi backend).
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// One open device. Closing is destroying it.
class HidHandle {
public:
    virtual ~HidHandle() = default;

    // Sends one output report. report[0] is the report identifier (0 for a
    // device without numbered reports), the report's data follows. Returns
    // the number of bytes sent, or -1.
    virtual int writeReport(std::span<const std::uint8_t> report) = 0;

    // Receives one input report into `buffer`, laid out as writeReport's
    // argument: buffer[0] is the report identifier (0 for a device without
    // numbered reports), the data follows. Waits at most `timeoutMs`.
    // Returns the number of bytes placed in the buffer, 0 when no report
    // came within the time, -1 on failure.
    //
    // When it returns, no read is outstanding on `buffer`: a report that
    // arrives later waits in the device's queue for a later call and is
    // never written into a buffer that was given up.
    virtual int readReport(std::span<std::uint8_t> buffer, int timeoutMs) = 0;

    // Drops the input reports already waiting, so that the next read gets
    // a report sent after this call.
    virtual void discardQueuedReports() = 0;

    // The device's HID report descriptor; empty when it cannot be read.
    virtual std::vector<std::uint8_t> reportDescriptor() = 0;
};

class HidTransport {
public:
    virtual ~HidTransport() = default;

    // The HID devices present, in the system's order. `vendorId` 0 lists
    // every device; otherwise a backend may leave out other vendors'.
    virtual std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId) = 0;

    // Opens a device for reading and writing; nullptr when it cannot, with
    // `error` saying why. A handle stays safe to close after the transport
    // that opened it is gone.
    virtual std::unique_ptr<HidHandle> open(const std::string& path, QString* error) = 0;
};

}  // namespace usbio

#define TORVANEL_HID_TRANSPORT_IID "org.torvanel.usb.HidTransport/1.0"
Q_DECLARE_INTERFACE(usbio::HidTransport, TORVANEL_HID_TRANSPORT_IID)
