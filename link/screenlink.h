#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/clock.h"
#include "app/portlibrary.h"
#include "app/programstate.h"
#include "app/random.h"
#include "app/screenpair.h"
#include "link/decoders.h"
#include "link/poll.h"
#include "link/rehandshake.h"
#include "link/responder.h"

namespace buzzlink {

// What the link read and decided for one respondent it had shown, in plain
// values, for whoever keeps a record of the match.
struct BuzzReport {
    Decoder decoder = Decoder::Wired;
    // The code as read: the poll's byte, and the wired boxes' second byte.
    std::array<std::uint8_t, 2> bytes{};
    int byteCount = 1;
    int player = 0;
    // Bit p set: player p's button was down. More than one is a tie, and
    // `player` the one the draw picked.
    std::uint16_t pressedPlayers = 0;
    // The respondent held for second place, shown by the operator's clear.
    bool secondPlaceRelease = false;
};

// A code the second-place lock-up took instead of showing it.
struct CaptureReport {
    int code = 0;         // as read
    int transmitter = 0;  // its transmitter number on the wireless boxes, else the code
    bool held = false;    // another team's: held, and polling stopped
};

// How a buzz-in was decided, when more than a single press decided it: a
// tie the wired decoder or the USB lockout broke at random, or a second
// respondent held by the lock-up.
struct Decision {
    enum class Kind {
        Tie,      // `pressed` were down together; `player` was drawn
        Waiting,  // `player` (transmitter `transmitter`) is held for second place
    };
    Kind kind = Kind::Tie;
    std::vector<int> pressed;
    // The player drawn or held; 0 when the held transmitter is no player.
    int player = 0;
    int transmitter = 0;

    bool operator==(const Decision&) const = default;
};

// The play screen as the buzz-in road sees it.
class LinkView : public RecoveryView {
public:
    // The option boxes, the sound source and the extra transmitter, read at
    // the moment of a buzz-in.
    virtual ScreenSettings settings() = 0;
    // Shows a respondent (see Responder for the whole list).
    virtual void showResponder(const Responder& responder) = 0;
    // porttimer off: a second-place respondent is being held.
    virtual void stopPolling() = 0;
    // The operator cancelled the recovery: the program ends at once.
    virtual void endProgram() = 0;

    // Told after the screen has acted, so that keeping a record never
    // delays what the audience sees. A view that keeps none ignores them.
    virtual void reportBuzzIn(const BuzzReport&) {}
    virtual void reportCapture(const CaptureReport&) {}
    // The box answered the re-handshake after a failed read.
    virtual void reportRecovered() {}
    // Told after the screen has shown (or held) the respondent.
    virtual void reportDecision(const Decision& decision) { (void)decision; }
};

// One play screen's end of the interface link: the poll tick, the
// bit-serial read with its recovery, the decoders and the second-place
// release, over the port, the clock, the program's one generator and the
// program-wide variables. The screen supplies the window through LinkView.
class ScreenLink {
public:
    ScreenLink(ScreenPair screen, PortLibrary& port, Clock& clock, Random& random,
               ProgramState& state, LinkView& view);

    ScreenPair screen() const { return screen_; }

    // The code last read from the box (for the wired boxes, the second byte
    // once the decoder has read it).
    std::int16_t ResponseCode = 0;
    // The player last shown.
    std::int16_t ResponderNumber = 0;

    // porttimer's tick: polls the box and, when a code is waiting, reads it
    // and hands it to the second-place lock-up and the model's decoders.
    // Model 199 on the screen that reads the USB module is polled there
    // instead; this does nothing for it.
    void porttimerTick();

    // Reads one code into ResponseCode. A read that fails tells the operator
    // and runs handshake() before returning false.
    bool sdata();

    // Gets the box back in step; ends the program when the operator cancels.
    void handshake();

    // Shows the respondent held for second place (the mouse clear calls it
    // while SecondPlaceHeld).
    void PlayerWaiting();

    // Runs one decoder on ResponseCode and shows the player it names; false
    // when it names nobody. The wired decoders first read their second byte.
    bool runDecoder(Decoder decoder, const ScreenSettings& settings);

private:
    // Whether the screen's decoders would show a player for ResponseCode.
    bool namesPlayer(const ScreenSettings& settings) const;
    // Tells the view who the lock-up has just held.
    void reportHeld(const ScreenSettings& settings);

    LinkPort link() const { return LinkPort{port_, clock_, state_.PortAddress}; }

    ScreenPair screen_;
    PortLibrary& port_;
    Clock& clock_;
    Random& random_;
    ProgramState& state_;
    LinkView& view_;
    bool releasing_ = false;  // showing the held second-place respondent
    // Within one poll's decoders: the code's buzz-in has been reported.
    bool oneReportPerCode_ = false;
    bool reported_ = false;
};

}  // namespace buzzlink
