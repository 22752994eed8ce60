#include "link/decoders.h"

#include <bit>
#include <cmath>

namespace buzzlink {

namespace {

constexpr int D = kDrop;
constexpr int I = kIgnored;

int index(ScreenPair screen) { return static_cast<int>(screen); }

int playersOn(ScreenPair screen) { return teamsOf(screen) * playersPerTeamOf(screen); }

}  // namespace

// Lines in the order of kWiredLines: byte 1 0x10 0x20 0x40 0x80 0x01 0x02
// 0x04 0x08, then byte 2 0x01 0x02 0x04 0x08 0x10 0x20 0x40.

// Buttons numbered straight through; a screen takes as many as it has
// players.
const WiredModel kWiredModel180{{
    /* 2_4 */ {{1, 2, 3, 4, 5, 6, 7, 8, I, I, I, I, I, I, I}, 8},
    /* 2_5 */ {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, I, I, I, I, I}, 10},
    /* 3_4 */ {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, I, I, I}, 12},
    /* 3_5 */ {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 15},
}};

// Buttons at team positions: Alpha 1-4, Beta 1-4, Gamma 1-4, then Beta 5,
// Gamma 5, Alpha 5. A button the screen has no player for throws the code
// away, except that the 2-team 4-player screen ignores Gamma's first four.
const WiredModel kWiredModel210{{
    /* 2_4 */ {{1, 2, 3, 4, 5, 6, 7, 8, I, I, I, I, D, D, D}, 8},
    /* 2_5 */ {{1, 2, 3, 4, 6, 7, 8, 9, D, D, D, D, 10, D, 5}, 15},
    /* 3_4 */ {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, D, D, D}, 15},
    /* 3_5 */ {{1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14, 10, 15, 5}, 15},
}};

const WirelessModel kWirelessModel170{14, 14, 14, kNoExtraTransmitter};
const WirelessModel kWirelessModel200{0, 0, 0, 0};

int boxLineNumber(const WiredLine& line) {
    return (line.byte - 1) * 8 + std::countr_zero(static_cast<unsigned>(line.mask));
}

int breakTie(const std::array<bool, 16>& pressed, int tieSize, Random& random) {
    int start = static_cast<int>(std::floor(random.next() * tieSize)) + 1;
    if (start < 1 || start > tieSize) start = 1;  // a generator outside [0, 1)
    for (int i = start; i <= start + tieSize; ++i) {
        const int j = i > tieSize ? i - tieSize : i;
        if (pressed[j]) return j;
    }
    return 0;
}

Decoded decodeWired(const WiredModel& model, ScreenPair screen, std::uint8_t first,
                    std::uint8_t second, Random& random) {
    const WiredScreen& map = model[index(screen)];
    // Every line idles high, so both bytes are inverted whole.
    const std::uint8_t down[3] = {0, static_cast<std::uint8_t>(first ^ 0xFF),
                                  static_cast<std::uint8_t>(second ^ 0xFF)};
    std::array<bool, 16> pressed{};
    Decoded result;
    for (std::size_t i = 0; i < kWiredLines.size(); ++i) {
        const WiredLine& line = kWiredLines[i];
        if ((down[line.byte] & line.mask) == 0) continue;
        const int entry = map.lines[i];
        if (entry == kDrop) return Decoded{Decoded::Kind::Dropped, 0, result.pressed, 0};
        if (entry == kIgnored) continue;
        pressed[entry] = true;
        result.pressedPlayers |= static_cast<std::uint16_t>(1u << entry);
        result.player = entry;
        ++result.pressed;
    }
    if (result.pressed == 0) return result;
    result.kind = Decoded::Kind::Player;
    if (result.pressed > 1) result.player = breakTie(pressed, map.tieSize, random);
    return result;
}

std::optional<WiredLine> lineOfPlayer(const WiredModel& model, ScreenPair screen, int player) {
    if (player < 1) return std::nullopt;
    const WiredScreen& map = model[index(screen)];
    for (std::size_t i = 0; i < kWiredLines.size(); ++i) {
        if (map.lines[i] == player) return kWiredLines[i];
    }
    return std::nullopt;
}

Decoded decodeWireless(const WirelessModel& model, ScreenPair screen, std::uint8_t code,
                       int extraTransmitterEntry) {
    const int transmitter = code & 0x0F;
    int player = transmitter;
    const int extra = model[index(screen)];
    if (extra != kNoExtraTransmitter && transmitter == extra) {
        if (extraTransmitterEntry == kExtraNotInUse)
            return Decoded{Decoded::Kind::Dropped, 0, 0, 0};
        player = extraTransmitterEntry + 1;
    }
    if (player < 1 || player > playersOn(screen)) return Decoded{Decoded::Kind::Nobody, 0, 0, 0};
    return Decoded{Decoded::Kind::Player, player, 1, static_cast<std::uint16_t>(1u << player)};
}

std::optional<int> extraTransmitterOf(Decoder decoder, ScreenPair screen) {
    const WirelessModel* model = nullptr;
    if (decoder == Decoder::Wireless) model = &kWirelessModel170;
    if (decoder == Decoder::Wireless200) model = &kWirelessModel200;
    if (!model || (*model)[index(screen)] == kNoExtraTransmitter) return std::nullopt;
    return (*model)[index(screen)];
}

Decoded wired(ScreenPair screen, std::uint8_t first, std::uint8_t second, Random& random) {
    return decodeWired(kWiredModel180, screen, first, second, random);
}

Decoded wired210(ScreenPair screen, std::uint8_t first, std::uint8_t second, Random& random) {
    return decodeWired(kWiredModel210, screen, first, second, random);
}

Decoded wireless(ScreenPair screen, std::uint8_t code, int extraTransmitterEntry) {
    return decodeWireless(kWirelessModel170, screen, code, extraTransmitterEntry);
}

Decoded wireless200(ScreenPair screen, std::uint8_t code, int extraTransmitterEntry) {
    return decodeWireless(kWirelessModel200, screen, code, extraTransmitterEntry);
}

Decoded usbwired(std::uint8_t code, Random& random) {
    // The module has the eight lines of the first byte and nothing else; the
    // 2-team 4-player map takes exactly those.
    return decodeWired(kWiredModel180, ScreenPair::P2_4, code, 0xFF, random);
}

Decoded decode(Decoder decoder, ScreenPair screen, Code code, int extraTransmitterEntry,
               Random& random) {
    switch (decoder) {
    case Decoder::Wired: return wired(screen, code.first, code.second, random);
    case Decoder::Wired210: return wired210(screen, code.first, code.second, random);
    case Decoder::Wireless: return wireless(screen, code.first, extraTransmitterEntry);
    case Decoder::Wireless200: return wireless200(screen, code.first, extraTransmitterEntry);
    case Decoder::UsbWired: return usbwired(code.first, random);
    }
    return {};
}

}  // namespace buzzlink
