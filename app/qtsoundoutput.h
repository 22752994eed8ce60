#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QTimer>

#include "app/soundoutput.h"

class QAudioSink;
class QIODevice;
class QSoundEffect;
class ToneGenerator;

// Sound through Qt Multimedia on the system's default audio output.
class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool available() override;
    void play(const QString& path) override;
    void stop() override;
    void tone(int hertz) override;

private:
    void feedTone();

    std::unique_ptr<QSoundEffect> effect_;
    // The tone's output, open from the first tone until a while after the
    // last one ended.
    std::unique_ptr<ToneGenerator> generator_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* toneOut_ = nullptr;  // the sink's, while it is open
    QTimer feed_;
    QElapsedTimer held_;
    bool toneOn_ = false;
    QTimer release_;
};
