#include "link/dispatch.h"

#include "app/programstate.h"

namespace buzzlink {

namespace {
constexpr Decoder kWiredOnly[] = {Decoder::Wired};
constexpr Decoder kWired210Only[] = {Decoder::Wired210};
constexpr Decoder kWirelessOnly[] = {Decoder::Wireless};
constexpr Decoder kWireless200Only[] = {Decoder::Wireless200};
constexpr Decoder kBothWireless[] = {Decoder::Wireless, Decoder::Wireless200};

bool screenDecodesBothWireless(ScreenPair screen) {
    return screen == ScreenPair::P2_5 || screen == ScreenPair::P3_4;
}
}  // namespace

std::span<const Decoder> pollDecoders(int model, ScreenPair screen) {
    switch (model) {
    case model::kWired: return kWiredOnly;
    case model::kWired2: return kWired210Only;
    case model::kWireless: return kWirelessOnly;
    case model::kWireless2:
        if (screenDecodesBothWireless(screen)) return kBothWireless;
        return kWireless200Only;
    default: return {};
    }
}

bool usesUsbPoll(int model, ScreenPair screen) {
    return model == model::kUsb && screen == ScreenPair::P2_4;
}

std::optional<Decoder> releaseDecoder(int model, ScreenPair screen) {
    const bool threeByFive = screen == ScreenPair::P3_5;
    switch (model) {
    case model::kWired: return Decoder::Wired;
    case model::kWireless: return Decoder::Wireless;
    case model::kWireless2: return threeByFive ? Decoder::Wireless200 : Decoder::Wireless;
    case model::kWired2:
        if (threeByFive) return Decoder::Wired210;
        return std::nullopt;
    default: return std::nullopt;
    }
}

}  // namespace buzzlink
