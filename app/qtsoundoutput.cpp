#include "app/qtsoundoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "app/tonegenerator.h"

namespace {
constexpr int kToneRate = 48000;
// A short buffer, so that a tone starts and ends when it should.
constexpr int kToneBufferBytes = kToneRate * 2 / 20;
// How often the output is topped up.
constexpr int kFeedMs = 10;
// The output is given back once the tone has been silent this long.
constexpr int kReleaseMs = 2000;
}  // namespace

QtSoundOutput::QtSoundOutput() {
    release_.setSingleShot(true);
    QObject::connect(&release_, &QTimer::timeout, [this] {
        if (toneOn_ || (generator_ && generator_->sounding())) {
            release_.start(kReleaseMs);
            return;
        }
        feed_.stop();
        if (sink_) sink_->stop();
        sink_.reset();
        toneOut_ = nullptr;
    });
    feed_.setInterval(kFeedMs);
    feed_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feed_, &QTimer::timeout, [this] { feedTone(); });
}

QtSoundOutput::~QtSoundOutput() {
    feed_.stop();
    if (sink_) sink_->stop();
}

bool QtSoundOutput::available() { return !QMediaDevices::audioOutputs().isEmpty(); }

void QtSoundOutput::play(const QString& path) {
    // A fresh effect per sound: the newest request cuts off the one playing,
    // and a file that fails to load leaves nothing behind that could play.
    if (effect_) effect_->stop();
    effect_.reset();
    if (!QFileInfo(path).isFile()) return;
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->play();
}

void QtSoundOutput::stop() {
    if (effect_) effect_->stop();
}

void QtSoundOutput::tone(int hertz) {
    if (hertz <= 0) {
        // Off: the tone plays for as long as it was held on.
        if (!toneOn_) return;
        toneOn_ = false;
        if (generator_) generator_->end(held_.nsecsElapsed() / 1e9);
        release_.start(kReleaseMs);
        return;
    }
    if (toneOn_) return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return;
    if (!generator_) generator_ = std::make_unique<ToneGenerator>(kToneRate);
    generator_->begin(hertz);
    toneOn_ = true;
    held_.start();
    if (!sink_) {
        QAudioFormat format;
        format.setSampleRate(kToneRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->setBufferSize(kToneBufferBytes);
        // Fed from here rather than pulled, which every backend does alike.
        toneOut_ = sink_->start();
        feed_.start();
    }
    feedTone();
    release_.start(kReleaseMs);
}

void QtSoundOutput::feedTone() {
    if (!sink_ || !toneOut_) return;
    const qsizetype room = sink_->bytesFree() & ~qsizetype(1);
    if (room > 0) toneOut_->write(generator_->read(room));
}
