#include "app/random.h"

namespace {
std::uint64_t freshSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}
}  // namespace

SeededRandom::SeededRandom() : engine_(freshSeed()) {}

SeededRandom::SeededRandom(std::uint64_t seed) : engine_(seed) {}

double SeededRandom::next() {
    const double r = dist_(engine_);
    // uniform_real_distribution may return its upper bound by rounding.
    return r < 1.0 ? r : 0.0;
}
