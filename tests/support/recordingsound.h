#pragma once

#include <QString>
#include <QStringList>

#include "app/soundoutput.h"

// Lists what the program asked to play instead of playing it.
class RecordingSound final : public SoundOutput {
public:
    bool available() override { return available_; }
    void play(const QString& path) override { played << path; }
    void stop() override { ++stops; }

    void setAvailable(bool available) { available_ = available; }

    QStringList played;
    int stops = 0;

private:
    bool available_ = true;
};
