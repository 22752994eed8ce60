#pragma once

#include <QString>

// Plays wave files in the background. A new sound replaces the one playing;
// a file that is missing or cannot be played is silent and reports nothing.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Whether the computer has any audio output at all.
    virtual bool available() = 0;

    // Starts playing the file and returns at once.
    virtual void play(const QString& path) = 0;

    // Stops whatever is playing.
    virtual void stop() = 0;

    // Sounds a steady tone of `hertz` until called again with 0, the way a
    // lockout box's speaker sounds while the program holds it on. Without
    // a sound card, nothing.
    virtual void tone(int hertz) { static_cast<void>(hertz); }
};
