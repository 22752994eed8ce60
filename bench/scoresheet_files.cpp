// What a match's result file costs. A whole 30-toss-up match (five players a
// side, every toss-up answered and most bonuses heard) to an indented QBJ
// document; the same to disk through the atomic save; and what the window
// thread pays to hand the sheet to the result files' writer, which is all it
// pays: the document is built and written on the writer's thread.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "scoresheet/qbjwriter.h"
#include "scoresheet/resultfiles.h"

namespace {

scoresheet::Sheet thirtyTossups() {
    using namespace scoresheet;
    Sheet s;
    s.rules = {QStringLiteral("Timed, powers"), {15, 10, -5}, 20, true, 3, 10, false, 1, false};
    s.teams = {{QStringLiteral("Alpha Academy"), {"Ann", "Ben", "Cal", "Dee", "Eve", "Fin"}, 0},
               {QStringLiteral("Beta College"), {"Gus", "Hal", "Ivy", "Jo", "Kit"}, 0}};
    s.started = QDateTime::currentDateTime();
    s.tournament = QStringLiteral("Spring Open");
    s.round = QStringLiteral("Round 3");
    s.room = QStringLiteral("Room 2");
    for (int n = 1; n <= 30; ++n) {
        Tossup t;
        t.number = n;
        t.startTime = s.started.addSecs(40 * n);
        const int team = n % 2;
        if (n % 5 == 0) t.buzzes.push_back({1 - team, n % 5, t.startTime.addSecs(5), -5});
        t.buzzes.push_back({team, n % 5, t.startTime.addSecs(7), n % 3 ? 10 : 15});
        t.bonusTeam = team;
        t.bonusParts = {10, n % 2 ? 10 : 0, 0};
        t.bonusStartTime = t.startTime.addSecs(20);
        t.lineups = {n <= 15 ? std::vector<int>{0, 1, 2, 3, 4} : std::vector<int>{5, 1, 2, 3, 4},
                     {0, 1, 2, 3, 4}};
        s.tossups.push_back(t);
        s.lockoutNotes
            << QStringLiteral("Toss-up %1: second place held 12 ms after the first").arg(n);
    }
    return s;
}

}  // namespace

static void BM_Qbj30TossupsToJson(benchmark::State& state) {
    const scoresheet::Sheet sheet = thirtyTossups();
    for ([[maybe_unused]] auto _ : state)
        benchmark::DoNotOptimize(scoresheet::writeQbj(sheet));
}
BENCHMARK(BM_Qbj30TossupsToJson)->Unit(benchmark::kMillisecond);

static void BM_Qbj30TossupsResultFile(benchmark::State& state) {
    const scoresheet::Sheet sheet = thirtyTossups();
    QTemporaryDir dir;
    scoresheet::ResultFiles files(dir.path());
    for ([[maybe_unused]] auto _ : state) {
        files.matchEnded(sheet);
        files.flush();
    }
}
BENCHMARK(BM_Qbj30TossupsResultFile)->Unit(benchmark::kMillisecond);

// The window thread's share of keeping the partial file current.
static void BM_PartialHandOffOnWindowThread(benchmark::State& state) {
    const scoresheet::Sheet sheet = thirtyTossups();
    QTemporaryDir dir;
    scoresheet::ResultFiles files(dir.path());
    for ([[maybe_unused]] auto _ : state)
        files.matchChanged(sheet);
    files.flush();  // after the timed loop: the writer's share is not the window's
}
BENCHMARK(BM_PartialHandOffOnWindowThread)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
