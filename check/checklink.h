#pragma once

#include <optional>

#include "app/screenpair.h"
#include "link/decoders.h"
#include "link/poll.h"
#include "link/rehandshake.h"

namespace check {

// The check window as its poll sees it: the diagnostic and the messages of
// a failed read, as on a play screen, and the program's end when the
// operator gives up on the interface.
class CheckView : public buzzlink::RecoveryView {
public:
    virtual void endProgram() = 0;
};

// One poll of the parallel-port box for the button check, the way a play
// screen polls it: the poll request and status reads, the bit-serial read of
// the waiting code and, for the wired boxes (`secondByte`), of the second
// byte. A read that fails runs the same recovery as in play (the message,
// then the re-handshake; the program ends when the operator cancels) and
// yields no code. Nothing is decoded or shown here.
std::optional<buzzlink::Code> pollForCheck(buzzlink::LinkPort link, ScreenPair screen,
                                           bool secondByte, CheckView& view);

}  // namespace check
