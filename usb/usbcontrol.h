#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "usb/hidtransport.h"

class QDialog;

// The control for the USB digital I/O module (12 lines): two digital ports,
// P0 and P1, and four analogue channels read through them. Callers reach it
// by name: every public method below is invokable through the meta-object
// system, which is how the program calls it on an instance loaded from the
// plugin.
//
// Results cross as plain 16-bit integers, RD_P0's wrapped in a QVariant that
// stays empty until the module has been found. Every I/O method first makes
// sure the module was found; if it was not, it searches and returns its
// "not found" result without talking to the module, even when that search
// succeeded: only the next call exchanges reports.
//
// One instance holds all its state; it owns the handles it opens. A search
// that finds the module where it was keeps them; they are released when a
// search finds it gone, or after a report could not be written or read
// (the search then opens the module afresh), and when the control is
// destroyed. It is used from one
// thread only, and its methods block for their pauses and report exchanges.
class UsbControl : public QObject {
    Q_OBJECT

public:
    static constexpr std::uint16_t kVendorId = 3250;  // 0x0CB2
    static constexpr std::uint16_t kProductIds[] = {1, 19};

    // The report lengths assumed when the device's report descriptor cannot
    // be read: the module's 8 data bytes and the identifier byte.
    static constexpr int kDefaultReportLength = 9;
    // The command report is built from an 8-byte command buffer behind the
    // identifier byte, so a module with longer output reports is not one
    // these commands are made for. Shorter than 3 bytes cannot carry a
    // command and its data byte.
    static constexpr int kMaxOutputLength = 9;
    static constexpr int kMinOutputLength = 3;

    // After a port command the module gets 10 ms (70 ms for a conversion)
    // before the answer is fetched; its answer normally waits by then. One
    // that does not is waited for at most this long more. The lockout's
    // poll makes two port reads per 100 ms tick, so with two unanswered
    // reads (2 x (10 + 30) ms) the tick still ends well inside its period
    // and the screen stays responsive, while 30 ms is three times the
    // longest interrupt interval a full-speed HID device usually polls at.
    static constexpr int kReadTimeoutMs = 30;
    static constexpr int kPortPauseMs = 10;
    static constexpr int kConversionPauseMs = 70;

    // Waits the given number of milliseconds; tests replace it.
    using Pause = std::function<void(int milliseconds)>;
    // Shows the About window modally; tests replace it.
    using AboutPresenter = std::function<void(QDialog& window)>;

    // The control talks through `transport`, which it owns.
    explicit UsbControl(std::unique_ptr<usbio::HidTransport> transport, QObject* parent = nullptr);
    ~UsbControl() override;

    UsbControl(const UsbControl&) = delete;
    UsbControl& operator=(const UsbControl&) = delete;

    void setPause(Pause pause) { pause_ = std::move(pause); }
    void setAboutPresenter(AboutPresenter presenter) { presenter_ = std::move(presenter); }

    // Searches the HID devices for the module (vendor 3250, product 1 or
    // 19) and opens the first one found twice, for writing and for reading.
    // A module already open is kept when the search lists it at the same
    // path and no report to or from it has failed since; otherwise what an
    // earlier search opened is released first. -1 when the module was found
    // and is open, 0 otherwise (nothing is then left open).
    Q_INVOKABLE qint16 Find_USB_Device();

    // Port P0's value, 0 to 255, in a QVariant; an empty QVariant while the
    // module has not been found. A read the module does not answer gives 0.
    Q_INVOKABLE QVariant RD_P0();
    // Port P1's value, 0 to 255; 0 while the module has not been found or
    // when the module does not answer.
    Q_INVOKABLE qint16 RD_P1();

    // Writes `value` to port P0 (P1). A value outside 0 to 255 is refused:
    // nothing is sent, nothing is searched, the result is false and
    // lastError() names the value. True otherwise, also when nothing could
    // be sent because the module has not been found.
    Q_INVOKABLE bool WR_P0(int value);
    Q_INVOKABLE bool WR_P1(int value);

    // The raw 8-bit conversion value of an analogue channel, 0 to 255 (no
    // scaling to volts); 0 while the module has not been found.
    Q_INVOKABLE qint16 VOLT_CH1();
    Q_INVOKABLE qint16 VOLT_CH2();
    Q_INVOKABLE qint16 VOLT_CH3();
    Q_INVOKABLE qint16 VOLT_CH4();

    // Shows the About window modally; returns an empty QVariant.
    Q_INVOKABLE QVariant About();

    // Why the last call did not do its work (a refused value, a module not
    // found or not openable); empty when it did.
    Q_INVOKABLE QString lastError() const { return lastError_; }

    // Talks to the module through `transport` instead: a QObject that
    // implements usbio::HidTransport, such as the program's simulated
    // module, which must outlive this control. Releases what the current
    // transport had open and forgets the module; nullptr goes back to the
    // control's own transport. False (and nothing changes) when `transport`
    // is not a HID transport.
    Q_INVOKABLE bool useTransport(QObject* transport);

    // --- For inspection -----------------------------------------------------
    bool deviceFound() const { return deviceFound_; }
    int inputReportLength() const { return inputLength_; }
    int outputReportLength() const { return outputLength_; }
    // The path of the module in use; empty while none is open.
    std::string devicePath() const { return path_; }
    // What the last report write returned.
    int lastResult() const { return lastResult_; }

private:
    usbio::HidTransport* transport();
    bool ensureFound();
    void release();
    bool writeValue(int command, int value, const char* method);
    void sendCommand(std::uint8_t command, std::uint8_t data);
    std::uint8_t readValue();
    std::uint8_t readPort(std::uint8_t command);
    qint16 readChannel(std::uint8_t firstP1, std::uint8_t secondP1);

    std::unique_ptr<usbio::HidTransport> ownTransport_;
    // A borrowed transport, watched so that a destroyed one is never called.
    QPointer<QObject> borrowedObject_;
    usbio::HidTransport* borrowed_ = nullptr;

    Pause pause_;
    AboutPresenter presenter_;

    bool deviceFound_ = false;
    // A report could not be written or read since the module was opened.
    bool ioFailed_ = false;
    std::unique_ptr<usbio::HidHandle> writer_;
    std::unique_ptr<usbio::HidHandle> reader_;
    std::string path_;
    int inputLength_ = 0;
    int outputLength_ = 0;
    int lastResult_ = 0;
    QString lastError_;
};
