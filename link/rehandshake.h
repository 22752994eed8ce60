#pragma once

#include <cstdint>

#include <QString>

#include "app/screenpair.h"
#include "link/poll.h"

namespace buzzlink {

// What a play screen shows and asks while it gets the box back in step
// after a failed read.
class RecoveryView {
public:
    virtual ~RecoveryView() = default;
    // Label1: a raw value from the box.
    virtual void showDiagnostic(int value) = 0;
    // The communication-problem message (OK only).
    virtual void reportCommunicationProblem() = 0;
    // The interface-not-found message: true for Retry, false for Cancel.
    virtual bool askRetry() = 0;
};

// The messages' texts and titles.
QString communicationProblemText();
QString communicationProblemTitle();
QString interfaceNotFoundText();
QString interfaceNotFoundTitle();

// Whether a play screen takes `code` as the box's model code on attempt 1
// or 2. The 2-team screens take 170 to 220 on the first attempt and 170 to
// 210 on the second; the 3-team screens only the four parallel-port models.
bool acceptedAnswer(ScreenPair screen, int attempt, int code);

// Asks the box for its model code until it answers with one the screen
// accepts: an attempt, and when that fails the reset request, a 1 s pause
// and a second attempt; when both fail the operator is asked to retry or
// cancel. Every completed answer is shown; responseCode holds the last
// one, or the bits of an answer that did not complete. Returns false when
// the operator cancelled.
bool rehandshake(LinkPort link, ScreenPair screen, RecoveryView& view, std::int16_t& responseCode);

}  // namespace buzzlink
