#include "usb/hidapitransport.h"

#include <hidapi.h>

#include <QFile>
#include <QFileInfo>

#include "usb/reportdescriptor.h"

namespace usbio {

namespace {

// hidraw queues at most 64 reports per open handle; discarding more than
// that means the device keeps sending, and the caller must not spin on it.
constexpr int kMaxDiscarded = 64;

QString hidError(const HidapiCalls& calls, hid_device* device) {
    const wchar_t* text = calls.error(device);
    return text ? QString::fromWCharArray(text) : QString();
}

class HidapiHandle final : public HidHandle {
public:
    HidapiHandle(HidapiCalls calls, hid_device* device, std::vector<std::uint8_t> descriptor)
        : calls_(calls), device_(device), descriptor_(std::move(descriptor)) {
        // Without a readable descriptor, take the module's own layout: one
        // unnumbered report each way.
        if (const auto layout = parseReportDescriptor(descriptor_)) numbered_ = layout->numbered;
    }
    ~HidapiHandle() override { calls_.close(device_); }

    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    int writeReport(std::span<const std::uint8_t> report) override {
        // hidapi takes the identifier byte first, numbered or not.
        return calls_.write(device_, report.data(), report.size());
    }

    int readReport(std::span<std::uint8_t> buffer, int timeoutMs) override {
        if (buffer.empty()) return -1;
        if (numbered_) return calls_.readTimeout(device_, buffer.data(), buffer.size(), timeoutMs);
        // hidraw hands over an unnumbered report without the identifier
        // byte; put the 0 back so every report reads the same way.
        buffer[0] = 0;
        const int got =
            calls_.readTimeout(device_, buffer.data() + 1, buffer.size() - 1, timeoutMs);
        return got > 0 ? got + 1 : got;
    }

    void discardQueuedReports() override {
        unsigned char scratch[4097];
        for (int i = 0; i < kMaxDiscarded; ++i) {
            if (calls_.readTimeout(device_, scratch, sizeof scratch, 0) <= 0) return;
        }
    }

    std::vector<std::uint8_t> reportDescriptor() override { return descriptor_; }

private:
    HidapiCalls calls_;
    hid_device* device_;
    std::vector<std::uint8_t> descriptor_;
    bool numbered_ = false;
};

}  // namespace

HidapiCalls HidapiCalls::library() {
    return {&hid_enumerate, &hid_free_enumeration, &hid_open_path, &hid_close,
            &hid_write,     &hid_read_timeout,     &hid_error};
}

HidapiTransport::HidapiTransport(HidapiCalls calls, QString sysfsRoot)
    : calls_(calls), sysfsRoot_(std::move(sysfsRoot)) {}

std::vector<HidDeviceInfo> HidapiTransport::enumerate(std::uint16_t vendorId) {
    std::vector<HidDeviceInfo> devices;
    hid_device_info* list = calls_.enumerate(vendorId, 0);
    for (const hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        devices.push_back({d->path, d->vendor_id, d->product_id});
    }
    if (list) calls_.freeEnumeration(list);
    return devices;
}

std::unique_ptr<HidHandle> HidapiTransport::open(const std::string& path, QString* error) {
    hid_device* device = calls_.openPath(path.c_str());
    if (!device) {
        if (error) {
            *error = hidError(calls_, nullptr);
            if (error->isEmpty()) *error = QStringLiteral("cannot open");
        }
        return nullptr;
    }
    return std::make_unique<HidapiHandle>(calls_, device, readHidrawDescriptor(path, sysfsRoot_));
}

std::vector<std::uint8_t> readHidrawDescriptor(const std::string& devicePath,
                                               const QString& sysfsRoot) {
    // "/dev/hidraw3" -> "<sysfsRoot>/hidraw3/device/report_descriptor".
    const QString name = QFileInfo(QString::fromStdString(devicePath)).fileName();
    if (!name.startsWith(QLatin1String("hidraw"))) return {};
    QFile file(sysfsRoot + u'/' + name + QStringLiteral("/device/report_descriptor"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.read(HID_API_MAX_REPORT_DESCRIPTOR_SIZE);
    return {bytes.begin(), bytes.end()};
}

}  // namespace usbio
