#include "link/serialread.h"

namespace buzzlink {

SerialRead readSerialByte(PortLibrary& port, Clock& clock, std::uint16_t base, double start,
                          double budget) {
    SerialRead result;
    const std::uint16_t status = static_cast<std::uint16_t>(base + 1);
    for (int k = 0; k < 8; ++k) {
        const bool wantHigh = (k % 2) == 1;
        for (;;) {
            const double now = clock.now();
            if (now - start > budget) {
                result.elapsed = now - start;
                return result;
            }
            const bool high = (port.inport(status) & kStatusReady) != 0;
            if (high == wantHigh) break;
        }
        if (port.inport(status) & kStatusData) result.value += 1 << k;
        port.outport(base, wantHigh ? kAckOdd : kAckEven);
    }
    result.complete = true;
    result.elapsed = clock.now() - start;
    return result;
}

}  // namespace buzzlink
