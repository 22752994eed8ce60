#include "app/qtsoundoutput.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

QtSoundOutput::QtSoundOutput() = default;

QtSoundOutput::~QtSoundOutput() = default;

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
