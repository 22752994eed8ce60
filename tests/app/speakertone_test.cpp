// The simulated box's speaker heard for real: a PulseAudio server of the
// test's own, whose only sound card is a null sink, and the sink's monitor
// recorded with parec while a buzz-in sounds the speaker.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/qtsoundoutput.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "support/programfixture.h"
#include "title/forms.h"

namespace {

constexpr char kUnderPulse[] = "TORVANEL_TEST_UNDER_PULSE";
constexpr char kSink[] = "torvanel_test";
constexpr int kRate = 48000;

// Lets the event loop run (the audio output pulls its samples through it),
// doing `each` as it goes.
template <class F>
void runFor(int ms, F each) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        each();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// How long the recording held a tone: 10 ms stretches whose loudness is
// well above silence.
int toneMs(const QByteArray& raw) {
    const auto* samples = reinterpret_cast<const std::int16_t*>(raw.constData());
    const qsizetype count = raw.size() / 2;
    const qsizetype window = kRate / 100;
    int loud = 0;
    for (qsizetype at = 0; at + window <= count; at += window) {
        double sum = 0.0;
        for (qsizetype i = at; i < at + window; ++i)
            sum += double(samples[i]) * samples[i];
        if (std::sqrt(sum / double(window)) > 2000.0) ++loud;
    }
    return loud * 10;
}

}  // namespace

TEST(SpeakerTone, ABuzzInOnTheSimulatedBoxIsHeardThroughTheSoundCard) {
    if (!qEnvironmentVariableIsSet(kUnderPulse)) {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulseaudio.isEmpty()) GTEST_SKIP() << "pulseaudio is not installed here";
        QTemporaryDir dir;
        const QString socket = QDir(dir.path()).filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        QProcess server;
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(
            pulseaudio,
            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=false",
             "--disable-shm=yes",
             QStringLiteral("-Lmodule-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket),
             QStringLiteral("-Lmodule-null-sink sink_name=%1").arg(kSink)});
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket) && server.state() != QProcess::NotRunning &&
               waited.elapsed() < 10000) {
            server.waitForFinished(100);
        }
        if (!QFileInfo::exists(socket)) {
            const QByteArray log = server.readAll();
            server.kill();
            server.waitForFinished();
            GTEST_SKIP() << "PulseAudio could not start here: " << log.toStdString();
        }
        // The check runs in a second copy of this program that knows only
        // this server, so that its audio output finds the null sink.
        QProcess child;
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
        env.insert(QString::fromLatin1(kUnderPulse), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        EXPECT_TRUE(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        server.terminate();
        server.waitForFinished(5000);
        return;
    }

    QtSoundOutput card;
    ASSERT_TRUE(card.available()) << "the null sink is this program's sound card";
    const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
    ASSERT_FALSE(parec.isEmpty()) << "parec (pulseaudio-utils) records the sink's monitor";

    struct Case {
        int soundSource;  // the set-up menu's sound source
        int heldMs;       // how long the program holds the speaker on
        int minMs, maxMs;
    };
    const Case cases[] = {
        {0, 300, 200, 450},  // the interface's speaker: heard for as long as held
        {2, 150, 80, 300},   // both
        {1, 300, 0, 0},      // the sound card's wave files only: no speaker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.soundSource);
        TestProgram t(200);
        t.box.soundSpeakerThrough(&card);
        ASSERT_TRUE(t.startUp());
        PlayScreen& screen = formsOf(*t).playScreen(ScreenPair::P2_4);
        formsOf(*t).setupMenu(MenuKind::Players4).ComboSound->setCurrentIndex(c.soundSource);

        // What the null sink plays, heard through its monitor.
        QProcess recorder;
        recorder.start(parec,
                       {QStringLiteral("--device=%1.monitor").arg(kSink), "--raw", "--format=s16le",
                        QStringLiteral("--rate=%1").arg(kRate), "--channels=1", "--latency=1920"});
        ASSERT_TRUE(recorder.waitForStarted());
        QByteArray raw;
        const auto listen = [&](int ms) {
            runFor(ms, [&] {
                recorder.waitForReadyRead(0);
                raw += recorder.readAllStandardOutput();
            });
        };
        listen(600);

        // A buzz-in; the screen's own timers are stood in for, so that the
        // speaker stays on for exactly as long as the case says.
        screen.spacekey();
        screen.porttimer->stop();
        screen.soundtimer->stop();
        screen.porttimer_Timer();  // the box listens from the first poll on
        t.box.buzzPlayer(ScreenPair::P2_4, 1);
        screen.porttimer_Timer();
        ASSERT_FALSE(screen.namelabel->text().isEmpty()) << "the buzz-in was taken";
        screen.porttimer->stop();
        screen.soundtimer->stop();
        listen(c.heldMs);
        screen.soundtimer_Timer();
        listen(800);
        // The null sink hands its monitor on in blocks, some of them long:
        // everything up to now is waited for.
        const qsizetype wanted = qsizetype(kRate) * 2 * (600 + c.heldMs + 800) / 1000;
        QElapsedTimer waited;
        waited.start();
        while (raw.size() < wanted && waited.elapsed() < 10000)
            listen(100);
        recorder.terminate();
        recorder.waitForFinished(5000);
        raw += recorder.readAllStandardOutput();

        ASSERT_GT(raw.size(), kRate)
            << "the monitor was heard: " << recorder.readAllStandardError().toStdString();
        const int ms = toneMs(raw);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
    }
}
