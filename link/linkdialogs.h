#pragma once

class Dialogs;

namespace buzzlink {

// The two messages as every window that polls the box puts them up: the
// communication problem (OK only); the interface not found, true for Retry.
void tellCommunicationProblem(Dialogs& dialogs);
bool askRetryInterface(Dialogs& dialogs);

}  // namespace buzzlink
