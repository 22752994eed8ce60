#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "app/soundoutput.h"

// Lists what the program asked to play instead of playing it.
class RecordingSound final : public SoundOutput {
public:
    bool available() override { return available_; }
    void play(const QString& path) override { played << path; }
    void stop() override { ++stops; }
    void tone(int hertz) override { tones.push_back(hertz); }

    void setAvailable(bool available) { available_ = available; }

    QStringList played;
    int stops = 0;
    // Each tone asked for, 0 for off.
    std::vector<int> tones;

private:
    bool available_ = true;
};
