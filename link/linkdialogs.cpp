#include "link/linkdialogs.h"

#include "app/dialogs.h"
#include "link/rehandshake.h"

namespace buzzlink {

void tellCommunicationProblem(Dialogs& dialogs) {
    dialogs.message(communicationProblemText(), communicationProblemTitle(),
                    Dialogs::Icon::Critical, Dialogs::Buttons::Ok);
}

bool askRetryInterface(Dialogs& dialogs) {
    return dialogs.message(interfaceNotFoundText(), interfaceNotFoundTitle(),
                           Dialogs::Icon::Critical,
                           Dialogs::Buttons::RetryCancel) == Dialogs::Answer::Retry;
}

}  // namespace buzzlink
