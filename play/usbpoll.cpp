#include "play/usbpoll.h"

#include <QVariant>

#include "app/numbers.h"
#include "app/objecthost.h"
#include "app/usbhost.h"

namespace {

// The port value in a result of the control's RD_P0, read as the poll
// reads it: the leading number of its text, 0 for an empty value (the
// module not found yet) or for anything that is no 16-bit number.
std::int16_t portValue(const QVariant& result) {
    return numbers::textToInt16(result.toString()).value_or(0);
}

}  // namespace

UsbPoll::UsbPoll(Program& program, buzzlink::ScreenLink& link, buzzlink::LinkView& view)
    : program_(program), link_(link), view_(view) {}

UsbPoll::~UsbPoll() = default;

std::int16_t UsbPoll::readPort() {
    // The control is created once, at the first reading; without its
    // plugin there is none, every call below then does nothing and reads as
    // 0, and the screen goes on polling without buzz-ins.
    if (!asked_) {
        asked_ = true;
        control_ = createUsbControl(program_);
    }
    callMethod(control_.get(), "RD_P0");
    // Searched on every tick, so a module plugged in late starts working.
    callMethod(control_.get(), "Find_USB_Device");
    return portValue(callMethod(control_.get(), "RD_P0").result);
}

void UsbPoll::tick() {
    const std::int16_t value = readPort();
    view_.showDiagnostic(value);
    // 255 is every line high (nobody pressing); 0 is no reading.
    if (value == 255 || value == 0) return;
    link_.ResponseCode = value;
    link_.runDecoder(buzzlink::Decoder::UsbWired, view_.settings());
}
