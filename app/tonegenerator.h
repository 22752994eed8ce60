#pragma once

#include <cstdint>

#include <QIODevice>

// The samples of a tone: a sine wave, 16-bit signed mono, read by the audio
// output as it needs them. The tone lasts as long as it was held on, counted
// in samples from the first one read, so that the output's start-up delay
// neither shortens it nor cuts it off; after it, silence.
class ToneGenerator final : public QIODevice {
    Q_OBJECT
public:
    explicit ToneGenerator(int sampleRate, QObject* parent = nullptr);

    int sampleRate() const { return sampleRate_; }

    // A new tone from the next sample on, for as long as it is held.
    void begin(int hertz);
    // The tone was held `seconds`: it ends once that much has been read.
    void end(double seconds);
    // Whether a tone is still to come or being read.
    bool sounding() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    int sampleRate_;
    double hertz_ = 0.0;
    double phase_ = 0.0;
    std::int64_t produced_ = 0;
    std::int64_t limit_ = 0;  // samples of tone in all; -1 while held
};
