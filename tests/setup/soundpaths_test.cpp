// Sound lines written elsewhere find the shipped wave files here.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "setup/setuptestfiles.h"
#include "setup/soundpaths.h"

TEST(SoundPaths, APathThatDoesNotExistHereFallsBackToTheShippedFileOfThatName) {
    QTemporaryDir program;
    QTemporaryDir elsewhere;
    const QDir p(program.path());
    const QString ownRingin = QDir(elsewhere.path()).filePath("ringin.wav");
    const QString fanfare = QDir(elsewhere.path()).filePath("fanfare.wav");
    setuptest::writeBytes(ownRingin, "RIFF");
    setuptest::writeBytes(fanfare, "RIFF");

    struct Case {
        QString stored;
        QString expected;
    };
    const Case cases[] = {
        {"C:\\Torvanel\\ringin.wav", p.filePath("ringin.wav")},
        {"C:\\Program Files\\Torvanel\\RINGOUT.WAV", p.filePath("ringout.wav")},
        {"c:/torvanel/Inactive.Wav", p.filePath("inactive.wav")},
        {"sound528.wav", p.filePath("sound528.wav")},
        {"/usr/local/share/torvanel/ringin.wav", p.filePath("ringin.wav")},
        // Files that are there, or that the program does not ship, stay.
        {ownRingin, ownRingin},
        {fanfare, fanfare},
        {"C:\\Sounds\\fanfare.wav", "C:\\Sounds\\fanfare.wav"},
        {"C:\\Torvanel\\ringin.wav.bak", "C:\\Torvanel\\ringin.wav.bak"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setup::resolveSoundPath(c.stored, program.path()), c.expected)
            << c.stored.toStdString();
    }
}
