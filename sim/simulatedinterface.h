#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "app/clock.h"
#include "app/portlibrary.h"
#include "app/screenpair.h"
#include "app/soundoutput.h"

// The lockout interface box, simulated on its side of the parallel port.
//
// It is driven only by what the program writes to the data register and
// reads from the status register, the way the real box is:
//   - 223 asks for the model code; the box answers with its 8-bit code;
//   - 32 then 0 is the reset pulse; the box drops whatever it was sending;
//   - a code is sent one bit at a time, least significant first: the box
//     lowers the ready line (status 0x20) for bits 0, 2, 4, 6 and raises it
//     for bits 1, 3, 5, 7, with the bit on status 0x10, and moves on only
//     when the program acknowledges with 2 (after an even bit) or 18 (after
//     an odd bit);
//   - while a code is waiting to be fetched the ready line is low;
//   - the speaker bytes (194, 129, 65, 146, 82) sound its speaker, 0 stops it.
//
// Players press its buttons (press, release, pressTogether). A wired box
// (180, 210) then presents two bytes, the map of every button line, active
// low; a wireless box (170, 200) presents the number of the transmitter
// heard. The box is a lockout: it takes a press only while the program is
// polling it (after a poll request 19, until a code has been fetched) and
// holds one code at a time. A wired box latches every press until the code
// is fetched and presents, at the moment the program starts fetching, the
// latched presses and whatever is held down then; presses while that code
// waits become a tie. A wireless box presents the first transmitter it heard
// and loses the rest. The USB model has no buttons here.
//
// Every write is logged. Tests can make the box answer late, stay silent,
// stop in the middle of a byte or answer with another code.
class SimulatedInterface : public PortLibrary {
public:
    static constexpr std::uint8_t kReady = 0x20;
    static constexpr std::uint8_t kData = 0x10;

    SimulatedInterface(int model, Clock& clock, std::uint16_t baseAddress = 888);

    // Where the port layer says the first port is; by default the box's own
    // address. A box on another address lets the fallback to 888 be seen.
    void setReportedAddress(std::uint16_t address) { reported_ = address; }

    // PortLibrary
    int version() override;
    std::uint16_t lptPortAddress(int n) override;
    bool isWinNT() override;
    QString lastState() override;
    void outport(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inport(std::uint16_t address) override;

    static bool isKnownModel(int model);
    int model() const { return model_; }
    std::uint16_t baseAddress() const { return base_; }

    // --- What the program did -------------------------------------------
    struct Write {
        double time;
        std::uint16_t address;
        std::uint8_t value;
    };
    const std::vector<Write>& writes() const { return writes_; }
    // Values written to the data register, in order.
    std::vector<int> dataWrites() const;
    // Addresses the model code was asked at (one entry per 223 written,
    // wherever it went).
    const std::vector<std::uint16_t>& codeRequests() const { return codeRequests_; }
    int resets() const { return resets_; }
    // How often the program asked for the port's address.
    int addressQueries() const { return addressQueries_; }
    void clearLog();

    bool speakerOn() const { return speakerOn_; }
    // The last speaker byte written (194, 129, 65, 146 or 82), 0 if none.
    int lastSpeakerByte() const { return lastSpeakerByte_; }
    int speakerSoundings() const { return speakerSoundings_; }

    // --- Scripting --------------------------------------------------------
    // How the box answers one request for its model code.
    struct Reply {
        enum class Kind { Normal, Silent, Code } kind = Kind::Normal;
        int code = 0;            // for Kind::Code: the byte sent instead of the model
        double latency = 0.0;    // seconds before each of its ready toggles
        int stallAfterBits = 8;  // bits presented before the box goes quiet
    };
    // Replies for the coming model-code requests, used in order; once they
    // are used up the box answers normally.
    void scriptReplies(std::vector<Reply> replies);

    // Applies to every transfer that has no reply of its own.
    void setLatency(double seconds) { latency_ = seconds; }
    // A silent box never moves its lines (as with the power off).
    void setSilent(bool silent) { silent_ = silent; }

    // Whether a transfer (model code or buzz-in code) is in progress.
    bool sending() const { return !outgoing_.empty(); }

    // --- Players ------------------------------------------------------------
    // An input is a button line on a wired box: line n is bit n of the first
    // byte for n < 8 and bit n - 8 of the second byte; on a wireless box it
    // is a transmitter number, 0 to 15.
    static constexpr int kInputs = 16;
    bool hasButtons() const;
    bool isWiredBox() const;
    bool isWirelessBox() const;
    // The spare handset's transmitter number (14 on 170, 0 on 200), or -1.
    int extraTransmitter() const;

    // Players by their number on a play screen (Alpha 1 to N, Beta N+1 to
    // 2N, Gamma 2N+1 to 3N), mapped to inputs the way the boxes are cabled,
    // and not from the program's decoders, so that a press reaches the
    // program exactly as a contestant's does:
    //   - model 180 numbers its buttons straight through: players 1 to 4 on
    //     lines 4 to 7, players 5 to 8 on lines 0 to 3, players 9 to 15 on
    //     lines 8 to 14, on every screen;
    //   - model 210 has a seat per team position: the first four seats of
    //     Alpha on lines 4 to 7, of Beta on lines 0 to 3, of Gamma on lines
    //     8 to 11; the fifth seats on line 14 (Alpha), 12 (Beta), 13 (Gamma);
    //   - a wireless box hears transmitter p from player p.
    // The input of player p on this screen; -1 when the screen has no such
    // player or the box no input for him.
    int inputOfPlayer(ScreenPair screen, int player) const;
    // The spare handset's number where it is not also a player's own
    // transmitter on this screen.
    std::optional<int> spareHandset(ScreenPair screen) const;
    // Player p presses and lets go at once.
    void buzzPlayer(ScreenPair screen, int player);

    // A button goes down (a wired button stays down until released; a
    // transmitter sends once).
    void press(int input);
    void release(int input);
    // Several inputs at the same instant: on a wired box one code carries
    // them all; a wireless box hears the first of them.
    void pressTogether(const std::vector<int>& inputs);
    void releaseAll();
    bool isPressed(int input) const;
    // Whether the box holds a buzz-in code the program has not fetched yet.
    bool buttonCodePending() const { return buttonCodePending_; }
    // Whether a press now would be taken.
    bool listening() const { return armed_ && !buttonCodePending_ && !silent_; }

    // The two bytes a wired box would present for these held lines.
    static std::vector<std::uint8_t> wiredMap(std::uint16_t lines);

    // The next buzz-in code stops after this many bits (counted over both
    // bytes of a wired box), as a box that hangs mid-code.
    void stallNextCode(int afterBits) { stallNext_ = afterBits; }

    // Told of every speaker byte (194, 129, 65, 146, 82) and of 0 (off).
    void setSpeakerListener(std::function<void(int byte)> listener) {
        speakerListener_ = std::move(listener);
    }

    // The box's speaker heard through the computer's sound card: a tone for
    // as long as the program holds the speaker on (nullptr: silent).
    void soundSpeakerThrough(SoundOutput* sound) { speakerSound_ = sound; }
    // The tone the speaker byte sounds: buzz-ins high, the timers' ends low.
    static int speakerPitch(int byte);

protected:
    // Queues bytes to be fetched by the program's poll (a buzz-in code).
    void queueCode(std::vector<std::uint8_t> bytes, double latency = 0.0, int stallAfterBits = -1);
    bool codeQueued() const { return !queued_.empty(); }

    // Called when the program has fetched the last bit of a buzz-in code.
    virtual void onCodeFetched() {}
    // Called for every write after the box has acted on it.
    virtual void onWrite(std::uint8_t value) { (void)value; }

private:
    struct Transfer {
        std::vector<std::uint8_t> bytes;
        double latency = 0.0;
        int stallAfterBits = -1;  // counted over the whole transfer; -1 never
        bool isBuzzCode = false;
        bool fromButtons = false;  // bytes taken when the fetch begins
    };

    void startTransfer(Transfer transfer);
    void presentNextBit();
    void finishTransfer();
    bool bitVisible() const;
    void queueButtonCode(int transmitter);
    void dropButtonCode();

    int model_;
    Clock& clock_;
    std::uint16_t base_;
    std::uint16_t reported_;

    std::vector<Write> writes_;
    std::vector<std::uint16_t> codeRequests_;
    int resets_ = 0;
    int addressQueries_ = 0;

    std::deque<Reply> replies_;
    double latency_ = 0.0;
    bool silent_ = false;

    std::deque<Transfer> queued_;
    // The transfer in progress: its remaining bytes, the bit presented now.
    std::deque<std::uint8_t> outgoing_;
    Transfer current_;
    int bit_ = 0;
    int bitsSent_ = 0;
    double visibleAt_ = 0.0;
    bool stalled_ = false;
    bool ready_ = true;  // the ready line as the program last could see it
    bool data_ = false;

    bool speakerOn_ = false;
    int lastSpeakerByte_ = 0;
    int speakerSoundings_ = 0;
    std::function<void(int)> speakerListener_;
    SoundOutput* speakerSound_ = nullptr;

    // Players.
    bool armed_ = false;  // a poll request came since the last fetch
    bool buttonCodePending_ = false;
    std::uint16_t held_ = 0;     // wired lines down now
    std::uint16_t latched_ = 0;  // wired lines pressed since the box was armed
    int stallNext_ = -1;
};
