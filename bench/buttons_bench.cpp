// The cost of one button press through the input box: the key event is
// read from the source on the poll request, ordered, and presented, until
// the status register says a code is waiting. Each iteration also resets
// the box (32) so that the next press starts a new question; that reset is
// part of the figure.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/clock.h"
#include "app/random.h"
#include "buttons/inputbox.h"
#include "support/scriptedpresssource.h"

namespace {

buttons::DeviceInfo pad() {
    buttons::DeviceInfo d;
    d.id = 1;
    d.identity = {0x1209, 0x4d42, QStringLiteral("PAD"), QString()};
    d.name = QStringLiteral("Buzzer pad");
    return d;
}

}  // namespace

static void BM_InputEventToCodeWaiting(benchmark::State& state) {
    SteadyClock clock;
    SeededRandom random(1);
    buttons::ScriptedPressSource source;
    buttons::InputBox box(200, clock, source, random);
    buttons::ButtonAssignment a;
    for (int p = 1; p <= 8; ++p)
        a.bind(pad().identity, pad().name, 287 + p, p);
    box.setAssignment(a);
    source.plug(pad());
    int player = 0;
    unsigned n = 0;
    for ([[maybe_unused]] auto _ : state) {
        player = player % 8 + 1;
        if ((++n & 1023) == 0) box.clearLog();
        box.outport(888, 19);
        source.key(1, 287 + player, std::llround(clock.now() * 1e6));
        box.outport(888, 19);
        if (box.inport(889) & SimulatedInterface::kReady) state.SkipWithError("no code waiting");
        box.outport(888, 32);
    }
}
BENCHMARK(BM_InputEventToCodeWaiting);

BENCHMARK_MAIN();
