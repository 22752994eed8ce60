#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "app/random.h"
#include "app/screenpair.h"

namespace buzzlink {

// The ways a buzz-in code is turned into a player, one per kind of box.
enum class Decoder {
    Wired,        // model 180: buttons numbered straight through
    Wired210,     // model 210: buttons at fixed team positions
    Wireless,     // model 170: transmitter numbers, extra transmitter 14
    Wireless200,  // model 200: transmitter numbers, extra transmitter 0
    UsbWired,     // model 199: the model 180 rules on one byte from the USB module
};

inline bool readsSecondByte(Decoder d) { return d == Decoder::Wired || d == Decoder::Wired210; }

// Who a code names.
struct Decoded {
    enum class Kind {
        Player,   // `player` buzzed in (after any tie-break)
        Nobody,   // no player of this screen in the code; the poll goes on
        Dropped,  // the code is thrown away by rule; the poll goes on
    };
    Kind kind = Kind::Nobody;
    int player = 0;  // 1 to 15 for Kind::Player, else 0
    // How many players' buttons were down (wired boxes; 1 for a wireless
    // player).
    int pressed = 0;
    // Bit p is set when player p's button was down (wired boxes): who took
    // part in a tie.
    std::uint16_t pressedPlayers = 0;

    bool isPlayer() const { return kind == Kind::Player; }
};

// --- Wired boxes ------------------------------------------------------------
//
// A wired box reports every button at once as a map over two bytes, one
// line per bit. All lines are active low: a 0 bit is a button held down.

// One line of the box: bit `mask` of byte 1 or 2.
struct WiredLine {
    int byte;
    std::uint8_t mask;
};

// The box's fifteen button lines, in the order a decode tests them.
inline constexpr std::array<WiredLine, 15> kWiredLines{{
    {1, 0x10},
    {1, 0x20},
    {1, 0x40},
    {1, 0x80},
    {1, 0x01},
    {1, 0x02},
    {1, 0x04},
    {1, 0x08},
    {2, 0x01},
    {2, 0x02},
    {2, 0x04},
    {2, 0x08},
    {2, 0x10},
    {2, 0x20},
    {2, 0x40},
}};

// The line's number on the box, 0 to 15: bit n of byte 1 is line n, bit n of
// byte 2 is line 8 + n.
int boxLineNumber(const WiredLine& line);

// What a held button means on one screen.
inline constexpr int kIgnored = 0;  // the bit never changes the result
inline constexpr int kDrop = -1;    // the whole code is thrown away

struct WiredScreen {
    // Per line of kWiredLines: the player (1 to 15), kIgnored or kDrop.
    std::array<int, 15> lines;
    // A tie is broken over players 1 to tieSize (see breakTie).
    int tieSize;
};

// One wired model: its button map on each screen, indexed by ScreenPair.
using WiredModel = std::array<WiredScreen, 4>;

extern const WiredModel kWiredModel180;
extern const WiredModel kWiredModel210;

// Decodes a wired box's two bytes as read from the port.
Decoded decodeWired(const WiredModel& model, ScreenPair screen, std::uint8_t first,
                    std::uint8_t second, Random& random);

// The line a player's button is wired to on this model and screen.
std::optional<WiredLine> lineOfPlayer(const WiredModel& model, ScreenPair screen, int player);

// Several buttons were down in one code: draws a start position from 1 to
// tieSize and takes the first pressed player from there upward, wrapping
// after tieSize. pressed[p] tells whether player p (1 to 15) was down.
int breakTie(const std::array<bool, 16>& pressed, int tieSize, Random& random);

// --- Wireless boxes ---------------------------------------------------------
//
// A wireless box sends one transmitter number per buzz-in in the low four
// bits of its byte. Transmitter t is player t. The spare handset ("extra
// transmitter") sends a number of its own and stands for whichever player
// the operator lent it to.

inline constexpr int kNoExtraTransmitter = -1;

// One wireless model: the extra transmitter's number on each screen
// (kNoExtraTransmitter where that number is an ordinary player's).
using WirelessModel = std::array<int, 4>;

extern const WirelessModel kWirelessModel170;
extern const WirelessModel kWirelessModel200;

// The Comboxmitter entry that means the extra transmitter is not in use;
// entries 0 to 11 lend it to players 1 to 12.
inline constexpr int kExtraNotInUse = 12;

Decoded decodeWireless(const WirelessModel& model, ScreenPair screen, std::uint8_t code,
                       int extraTransmitterEntry);

// The extra transmitter's number for the decoder on this screen, if it has
// one.
std::optional<int> extraTransmitterOf(Decoder decoder, ScreenPair screen);

// --- The decoders by name ---------------------------------------------------

Decoded wired(ScreenPair screen, std::uint8_t first, std::uint8_t second, Random& random);
Decoded wired210(ScreenPair screen, std::uint8_t first, std::uint8_t second, Random& random);
Decoded wireless(ScreenPair screen, std::uint8_t code, int extraTransmitterEntry);
Decoded wireless200(ScreenPair screen, std::uint8_t code, int extraTransmitterEntry);
// The model 180 rules on one byte (players 1 to 8), as the USB module
// delivers it.
Decoded usbwired(std::uint8_t code, Random& random);

// The bytes of one buzz-in: the code the poll read, and for the wired boxes
// the second byte the decoder read after it.
struct Code {
    std::uint8_t first = 0xFF;
    std::uint8_t second = 0xFF;
};

Decoded decode(Decoder decoder, ScreenPair screen, Code code, int extraTransmitterEntry,
               Random& random);

}  // namespace buzzlink
