#include "usb/usbcontrol.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QApplication>

#include "usb/aboutwindow.h"
#include "usb/reportdescriptor.h"

namespace {

// Command codes of the command report.
constexpr std::uint8_t kWriteP0 = 1;
constexpr std::uint8_t kWriteP1 = 2;
constexpr std::uint8_t kReadP0 = 3;
constexpr std::uint8_t kReadP1 = 4;

// Where the value sits in an input report, behind the identifier byte.
constexpr std::size_t kValueByte = 2;

bool isModule(const usbio::HidDeviceInfo& device) {
    if (device.vendorId != UsbControl::kVendorId) return false;
    return std::ranges::find(UsbControl::kProductIds, device.productId) !=
           std::end(UsbControl::kProductIds);
}

}  // namespace

UsbControl::UsbControl(std::unique_ptr<usbio::HidTransport> transport, QObject* parent)
    : QObject(parent),
      ownTransport_(std::move(transport)),
      pause_([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }),
      presenter_([](QDialog& window) { window.exec(); }) {}

UsbControl::~UsbControl() { release(); }

usbio::HidTransport* UsbControl::transport() {
    if (borrowed_) return borrowedObject_ ? borrowed_ : nullptr;
    return ownTransport_.get();
}

void UsbControl::release() {
    reader_.reset();
    writer_.reset();
    path_.clear();
    inputLength_ = 0;
    outputLength_ = 0;
    deviceFound_ = false;
    ioFailed_ = false;
}

bool UsbControl::useTransport(QObject* object) {
    usbio::HidTransport* chosen = nullptr;
    if (object) {
        chosen = qobject_cast<usbio::HidTransport*>(object);
        if (!chosen) {
            lastError_ = QStringLiteral("%1 is not a HID transport")
                             .arg(QString::fromLatin1(object->metaObject()->className()));
            return false;
        }
    }
    release();
    borrowedObject_ = object;
    borrowed_ = chosen;
    lastError_.clear();
    return true;
}

qint16 UsbControl::Find_USB_Device() {
    lastError_.clear();
    usbio::HidTransport* hid = transport();
    if (!hid) {
        release();
        lastError_ = QStringLiteral("no HID transport");
        return 0;
    }
    const std::vector<usbio::HidDeviceInfo> devices = hid->enumerate(kVendorId);

    // The lockout searches on every poll. Opening a hidraw node whose last
    // handle was closed makes the kernel wait for the device (some 50 ms),
    // so the module in use keeps its handles for as long as the search
    // finds it where it was and nothing has failed on them.
    if (deviceFound_ && !ioFailed_ &&
        std::ranges::any_of(devices, [this](const usbio::HidDeviceInfo& device) {
            return isModule(device) && device.path == path_;
        })) {
        return -1;
    }
    // Otherwise the module found before is replaced, so the handles of
    // searches made on every poll never pile up.
    release();

    QString problem;
    for (const usbio::HidDeviceInfo& device : devices) {
        if (!isModule(device)) continue;
        // Like a device that cannot be opened, one that does not fit the
        // commands is passed over for the next match.
        QString error;
        auto writer = hid->open(device.path, &error);
        if (!writer) {
            problem = QStringLiteral("USB module %1 cannot be opened: %2")
                          .arg(QString::fromStdString(device.path), error);
            continue;
        }
        usbio::ReportLayout layout{kDefaultReportLength, kDefaultReportLength, false};
        const std::vector<std::uint8_t> descriptor = writer->reportDescriptor();
        if (const auto parsed = usbio::parseReportDescriptor(descriptor)) layout = *parsed;
        if (layout.outputLength < kMinOutputLength || layout.outputLength > kMaxOutputLength) {
            problem = QStringLiteral(
                          "USB module %1 has %2-byte output reports; the commands "
                          "need %3 to %4")
                          .arg(QString::fromStdString(device.path))
                          .arg(layout.outputLength)
                          .arg(kMinOutputLength)
                          .arg(kMaxOutputLength);
            continue;
        }
        auto reader = hid->open(device.path, &error);
        if (!reader) {
            problem = QStringLiteral("USB module %1 cannot be opened for reading: %2")
                          .arg(QString::fromStdString(device.path), error);
            continue;
        }
        writer_ = std::move(writer);
        reader_ = std::move(reader);
        path_ = device.path;
        inputLength_ = layout.inputLength;
        outputLength_ = layout.outputLength;
        deviceFound_ = true;
        return -1;
    }
    lastError_ = problem.isEmpty() ? QStringLiteral("no USB module found") : problem;
    return 0;
}

bool UsbControl::ensureFound() {
    if (deviceFound_) return true;
    Find_USB_Device();
    return false;
}

void UsbControl::sendCommand(std::uint8_t command, std::uint8_t data) {
    // The report lengths are kept from the search: they do not change while
    // the module stays attached, and a new module means a new search.
    std::vector<std::uint8_t> report(static_cast<std::size_t>(outputLength_), 0);
    report[1] = command;
    report[2] = data;
    // A failed write (a module pulled out) is not acted on here: the read
    // that follows then gets nothing and gives 0. The next search opens the
    // module afresh.
    lastResult_ = writer_->writeReport(report);
    if (lastResult_ < 0) ioFailed_ = true;
}

std::uint8_t UsbControl::readValue() {
    // A buffer of the input report's length, never shorter than the value's
    // place in it, so a short report reads as 0 rather than past its end.
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::max<int>(inputLength_, kValueByte + 1)), 0);
    const int got = reader_->readReport(buffer, kReadTimeoutMs);
    if (got < 0) ioFailed_ = true;
    // A read the module did not answer returns what its fresh buffer held.
    if (got <= static_cast<int>(kValueByte)) return 0;
    return buffer[kValueByte];
}

std::uint8_t UsbControl::readPort(std::uint8_t command) {
    // An answer that came too late for an earlier read would otherwise be
    // taken as this one's.
    reader_->discardQueuedReports();
    sendCommand(command, 0);
    pause_(kPortPauseMs);
    return readValue();
}

qint16 UsbControl::readChannel(std::uint8_t firstP1, std::uint8_t secondP1) {
    lastError_.clear();
    if (!ensureFound()) return 0;
    reader_->discardQueuedReports();
    sendCommand(kWriteP1, firstP1);
    sendCommand(kWriteP1, secondP1);
    sendCommand(kReadP0, 0);
    pause_(kConversionPauseMs);
    return readValue();
}

QVariant UsbControl::RD_P0() {
    lastError_.clear();
    if (!ensureFound()) return QVariant();
    return QVariant::fromValue<qint16>(readPort(kReadP0));
}

qint16 UsbControl::RD_P1() {
    lastError_.clear();
    if (!ensureFound()) return 0;
    return readPort(kReadP1);
}

bool UsbControl::writeValue(int command, int value, const char* method) {
    lastError_.clear();
    if (value < 0 || value > 255) {
        lastError_ = QStringLiteral("Overflow: %1 takes 0 to 255, not %2")
                         .arg(QLatin1String(method))
                         .arg(value);
        return false;
    }
    if (!ensureFound()) return true;
    sendCommand(static_cast<std::uint8_t>(command), static_cast<std::uint8_t>(value));
    return true;
}

bool UsbControl::WR_P0(int value) { return writeValue(kWriteP0, value, "WR_P0"); }
bool UsbControl::WR_P1(int value) { return writeValue(kWriteP1, value, "WR_P1"); }

// P1 bit 0 starts a conversion (set, then cleared); bits 1 and 3 select the
// channel.
qint16 UsbControl::VOLT_CH1() { return readChannel(11, 10); }
qint16 UsbControl::VOLT_CH2() { return readChannel(3, 2); }
qint16 UsbControl::VOLT_CH3() { return readChannel(9, 8); }
qint16 UsbControl::VOLT_CH4() { return readChannel(1, 0); }

QVariant UsbControl::About() {
    lastError_.clear();
    // A window needs a widget application; a caller without one gets no
    // window rather than a crash.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        lastError_ = QStringLiteral("About needs a QApplication");
        return QVariant();
    }
    AboutWindow window;
    presenter_(window);
    return QVariant();
}
