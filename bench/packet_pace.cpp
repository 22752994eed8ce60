// How near the reading pace puts a buzz's word. A simulated moderator reads
// at a pace of 2.5-3.5 words a second for the match, each toss-up faster or
// slower by up to the given share (20 % unless --vary says otherwise); the
// players buzz at random words (a wrong answer sometimes, a second buzz after
// it, a toss-up now and then read to its end); the operator confirms the true
// word each time. From the fourth toss-up of each match on, it counts how far
// the proposal was from the true word.
//
// Beside it, what a proposal at the match's true pace would miss on first
// buzzes: the bound for any estimate from the time alone.
//
//   bench_packet_pace [--matches N] [--vary 0.2] [--seed S]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "packet/readingpace.h"

namespace {

struct Tally {
    std::vector<int> misses;
    void add(int miss) { misses.push_back(std::abs(miss)); }
    double withinTwo() const {
        if (misses.empty()) return 0;
        const auto n = std::count_if(misses.begin(), misses.end(), [](int m) { return m <= 2; });
        return 100.0 * static_cast<double>(n) / static_cast<double>(misses.size());
    }
    double median() {
        if (misses.empty()) return 0;
        std::sort(misses.begin(), misses.end());
        return misses[misses.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) {
    int matches = 500;
    double vary = 0.2;
    unsigned seed = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--matches")) matches = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--vary")) vary = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--seed")) seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
    }
    std::mt19937 random(seed);
    auto uniform = [&random](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    auto chance = [&](double p) { return uniform(0, 1) < p; };

    // What a proposal at the moderator's true pace for the match would miss
    // by: the best any estimate can do before a toss-up's first buzz, since
    // nothing tells how this toss-up's pace differs.
    Tally all, first, later, oracle;
    for (int m = 0; m < matches; ++m) {
        packet::ReadingPace pace;
        const double base = uniform(2.5, 3.5);
        double clock = 0;
        for (int t = 0; t < 20; ++t) {
            const int words = static_cast<int>(uniform(100, 151));
            const double p = base * uniform(1 - vary, 1 + vary);
            const bool counted = t >= 3;
            pace.startTossup(clock, words);
            const double start = clock;
            double paused = 0;
            int from = 0;
            bool over = false;
            for (int buzz = 0; !over; ++buzz) {
                if (buzz == 0 && chance(0.1)) {
                    // Nobody buzzes: read to the end.
                    pace.finishTossup(start + paused + words / p);
                    break;
                }
                // A buzz after the question now and then, else at a word yet
                // to be read, part way into it.
                const int word = chance(0.1) ? words : static_cast<int>(uniform(from, words));
                const double reading =
                    word >= words ? words / p + uniform(0.2, 3) : (word + uniform(0, 1)) / p;
                const double at = start + paused + reading;
                const int proposed = pace.propose(at);
                if (counted) {
                    if (buzz == 0) {
                        const double best = std::min<double>(words, std::floor(reading * base));
                        oracle.add(static_cast<int>(best) - word);
                    }
                    all.add(proposed - word);
                    (buzz == 0 ? first : later).add(proposed - word);
                }
                pace.confirm(at, word);
                const bool wrong = word < words - 1 && chance(0.35) && buzz == 0;
                if (!wrong) break;
                const double answer = uniform(3, 8);
                paused += answer;
                pace.resume(at + answer);
                from = word + 1;
                over = from >= words;
            }
            clock = start + paused + words / p + 20;
        }
    }
    std::printf(
        "reader 2.5-3.5 words/s, +/-%.0f %% between toss-ups, %d matches of 20 toss-ups, "
        "counted from the fourth\n",
        vary * 100, matches);
    std::printf("all buzzes:     %zu, within two words %.1f %%, median miss %.0f words\n",
                all.misses.size(), all.withinTwo(), all.median());
    std::printf("first buzzes:   %zu, within two words %.1f %%, median miss %.0f words\n",
                first.misses.size(), first.withinTwo(), first.median());
    std::printf("second buzzes:  %zu, within two words %.1f %%, median miss %.0f words\n",
                later.misses.size(), later.withinTwo(), later.median());
    std::printf(
        "first buzzes at the match's true pace: within two words %.1f %%, median miss "
        "%.0f words\n",
        oracle.withinTwo(), oracle.median());
    return 0;
}
