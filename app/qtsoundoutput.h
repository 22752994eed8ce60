#pragma once

#include <memory>

#include "app/soundoutput.h"

class QSoundEffect;

// Sound through Qt Multimedia on the system's default audio output.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool available() override;
    void play(const QString& path) override;
    void stop() override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};
