#include "app/tonegenerator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Loud enough to be heard across a room, with room left below full scale.
constexpr double kAmplitude = 0.4 * 32767;
}  // namespace

ToneGenerator::ToneGenerator(int sampleRate, QObject* parent)
    : QIODevice(parent), sampleRate_(sampleRate) {
    open(QIODevice::ReadOnly);
}

void ToneGenerator::begin(int hertz) {
    hertz_ = hertz;
    produced_ = 0;
    limit_ = -1;
}

void ToneGenerator::end(double seconds) {
    if (limit_ >= 0) return;
    limit_ = std::max<std::int64_t>(0, std::llround(seconds * sampleRate_));
}

bool ToneGenerator::sounding() const { return limit_ < 0 || produced_ < limit_; }

qint64 ToneGenerator::bytesAvailable() const {
    // An endless stream: silence follows the tone.
    return 1 << 16;
}

qint64 ToneGenerator::readData(char* data, qint64 maxSize) {
    const qint64 samples = maxSize / 2;
    auto* out = reinterpret_cast<std::int16_t*>(data);
    const double step = 2.0 * std::numbers::pi * hertz_ / sampleRate_;
    for (qint64 i = 0; i < samples; ++i) {
        std::int16_t value = 0;
        if (sounding()) {
            value = static_cast<std::int16_t>(std::lround(kAmplitude * std::sin(phase_)));
            phase_ = std::fmod(phase_ + step, 2.0 * std::numbers::pi);
            ++produced_;
        }
        out[i] = value;
    }
    return samples * 2;
}

qint64 ToneGenerator::writeData(const char*, qint64) { return -1; }
