#pragma once

#include <cstdint>
#include <random>

// The program's one generator, used by the tie-break between buttons pressed
// together.
class Random {
public:
    virtual ~Random() = default;
    // A value drawn uniformly from [0, 1).
    virtual double next() = 0;
};

// Seeded once per run from the system's random source, so the tie-break is
// not the same sequence in every match. Tests pass a fixed seed.
class SeededRandom final : public Random {
public:
    SeededRandom();
    explicit SeededRandom(std::uint64_t seed);

    double next() override;

private:
    std::mt19937_64 engine_;
    std::uniform_real_distribution<double> dist_{0.0, 1.0};
};
