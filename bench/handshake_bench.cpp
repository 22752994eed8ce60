// How long detection takes against a box that answers at once: one model
// code request (write 223, eight bits with their acknowledgements).
#include <benchmark/benchmark.h>

#include "app/clock.h"
#include "link/handshake.h"
#include "sim/simulatedinterface.h"

static void BM_ModelCodeRequest(benchmark::State& state) {
    SteadyClock clock;
    SimulatedInterface box(170, clock);
    std::int16_t code = 0;
    for ([[maybe_unused]] auto _ : state) {
        const int answer = handshake::requestModelCode(box, clock, 888, code);
        benchmark::DoNotOptimize(answer);
        box.clearLog();
    }
}
BENCHMARK(BM_ModelCodeRequest);

BENCHMARK_MAIN();
