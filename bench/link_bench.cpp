// The cost of the interface link on the simulated box with the real clock:
// one idle poll (what every 100 ms tick costs while the screen is armed),
// one buzz-in byte clocked out bit by bit, and a whole wired buzz-in from
// press to decoded player.
#include <benchmark/benchmark.h>

#include "app/clock.h"
#include "app/random.h"
#include "link/decoders.h"
#include "link/poll.h"
#include "sim/simulatedinterface.h"

namespace {
// A box whose codes the benchmark queues directly.
struct Box final : SimulatedInterface {
    using SimulatedInterface::queueCode;
    using SimulatedInterface::SimulatedInterface;
};
}  // namespace

static void BM_IdlePollStep(benchmark::State& state) {
    SteadyClock clock;
    SimulatedInterface box(170, clock);
    const buzzlink::LinkPort link{box, clock, 888};
    for ([[maybe_unused]] auto _ : state) {
        const buzzlink::Poll poll = buzzlink::pollStep(link);
        benchmark::DoNotOptimize(poll);
        box.clearLog();
    }
}
BENCHMARK(BM_IdlePollStep);

static void BM_ReadOneByte(benchmark::State& state) {
    SteadyClock clock;
    Box box(170, clock);
    const buzzlink::LinkPort link{box, clock, 888};
    for ([[maybe_unused]] auto _ : state) {
        // Queuing costs a small allocation; pausing the timer around it
        // would cost more than the read itself.
        box.queueCode({0xA5});
        const buzzlink::CodeRead read = buzzlink::readCode(link);
        if (!read.succeeded || read.code != 0xA5) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_ReadOneByte);

static void BM_WiredBuzzInPressToPlayer(benchmark::State& state) {
    SteadyClock clock;
    SimulatedInterface box(180, clock);
    SeededRandom random(1);
    const buzzlink::LinkPort link{box, clock, 888};
    for ([[maybe_unused]] auto _ : state) {
        buzzlink::pollStep(link);  // the box listens
        box.pressTogether({4, 9});
        const buzzlink::Poll poll = buzzlink::pollStep(link);
        const buzzlink::CodeRead second = buzzlink::readCode(link);
        const buzzlink::Decoded d =
            buzzlink::wired(ScreenPair::P3_5, static_cast<std::uint8_t>(poll.read.code),
                            static_cast<std::uint8_t>(second.code), random);
        if (!d.isPlayer()) state.SkipWithError("nobody decoded");
        box.releaseAll();
        box.clearLog();
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_WiredBuzzInPressToPlayer);

BENCHMARK_MAIN();
