#include "link/rehandshake.h"

#include "link/handshake.h"

namespace buzzlink {

QString communicationProblemText() {
    return QStringLiteral("Program will attempt to reset Torvanel Interface.");
}

QString communicationProblemTitle() {
    return QStringLiteral("Communication problem between computer and Torvanel");
}

QString interfaceNotFoundText() {
    return QStringLiteral(
        "Can't continue until interface problem is corrected.  Check power and cables. If you "
        "are using an older Torvanel, you must use the special cable and manually reset the "
        "interface.");
}

QString interfaceNotFoundTitle() { return QStringLiteral("Torvanel Interface not found."); }

bool acceptedAnswer(ScreenPair screen, int attempt, int code) {
    if (teamsOf(screen) == 3) return code == 170 || code == 180 || code == 200 || code == 210;
    return code >= 170 && code <= (attempt == 1 ? 220 : 210);
}

namespace {

bool attempt(LinkPort link, ScreenPair screen, int number, RecoveryView& view,
             std::int16_t& responseCode) {
    const int answer =
        handshake::requestModelCode(link.port, link.clock, link.address, responseCode);
    if (answer < 0) return false;
    view.showDiagnostic(answer);
    return acceptedAnswer(screen, number, answer);
}

}  // namespace

bool rehandshake(LinkPort link, ScreenPair screen, RecoveryView& view, std::int16_t& responseCode) {
    for (;;) {
        if (attempt(link, screen, 1, view, responseCode)) return true;
        handshake::resetAndPause(link.port, link.clock, link.address, /*holdLine=*/true);
        if (attempt(link, screen, 2, view, responseCode)) return true;
        if (!view.askRetry()) return false;
    }
}

}  // namespace buzzlink
