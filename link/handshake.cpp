#include "link/handshake.h"

#include "link/serialread.h"

namespace handshake {

int requestModelCode(PortLibrary& port, Clock& clock, std::uint16_t address, std::int16_t& code) {
    port.outport(address, buzzlink::kRequestCode);
    code = 0;
    const double start = clock.now();
    const buzzlink::SerialRead read = buzzlink::readSerialByte(port, clock, address, start);
    code = static_cast<std::int16_t>(read.value);
    return read.complete ? read.value : -1;
}

void resetAndPause(PortLibrary& port, Clock& clock, std::uint16_t address, bool holdLine) {
    const double start = clock.now();
    port.outport(address, buzzlink::kResetRequest);
    if (!holdLine) port.outport(address, 0);
    clock.waitUntil(start + buzzlink::kResetPause);
}

namespace {

// One attempt: the code if the box answered with an acceptable one.
bool attempt(PortLibrary& port, Clock& clock, ProgramState& state, HandshakeView& view) {
    const int code = requestModelCode(port, clock, state.PortAddress, state.HandshakeCode);
    if (code < 0) return false;
    view.showCode(code);
    return acceptedAtStartup(code);
}

// Two attempts at the current address with the reset pulse between them.
bool tryAddress(PortLibrary& port, Clock& clock, ProgramState& state, HandshakeView& view) {
    if (attempt(port, clock, state, view)) return true;
    resetAndPause(port, clock, state.PortAddress);
    return attempt(port, clock, state, view);
}

}  // namespace

bool findInterface(PortLibrary& port, Clock& clock, ProgramState& state, HandshakeView& view) {
    for (;;) {
        state.PortAddress = port.lptPortAddress(1);
        view.showPortAddress(state.PortAddress);
        view.showOperatingSystem(port.isWinNT());
        view.showLibraryState(port.lastState());

        bool found = tryAddress(port, clock, state, view);
        if (!found && state.PortAddress != kFallbackAddress) {
            state.PortAddress = kFallbackAddress;
            view.showPortAddress(state.PortAddress);
            found = tryAddress(port, clock, state, view);
        }
        if (found) {
            state.InterfaceModel = state.HandshakeCode;
            view.showModel(state.InterfaceModel);
            return true;
        }
        if (!view.askRetry()) return false;
    }
}

QString makerCaption(int model) {
    if (model == model::kWireless2 || model == model::kWired2) {
        return QStringLiteral("Marlowen Tech.");
    }
    return QStringLiteral("Kestrane");
}

}  // namespace handshake
