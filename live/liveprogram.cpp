#include "live/liveprogram.h"

#include <QDir>
#include <QKeySequence>
#include <QStandardPaths>

#include "app/operatorwindows.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "live/livewindow.h"

namespace live {

LiveProgram::LiveProgram(Program& program) : program_(program) {
    program_.addMatchObserver(hub_);
    QObject::connect(&program_.notifier(), &ProgramNotifier::tossUpChanged, &hub_,
                     [this](int number) { hub_.setTossUp(number); });
    program_.operatorWindows().add({QStringLiteral("Live &Page..."), QKeySequence(),
                                    [this](QWidget* parent) { openWindow(parent); },
                                    QStringLiteral("mnuLivePage"),
                                    QStringLiteral("Serve the match to browsers, other programs "
                                                   "and streaming programs")});
    // The files are a choice for this computer alone and stay on once
    // chosen; the page is served only when asked for each time.
    const LiveSettings kept = LiveSettings::load(settingsFile(), defaultFilesFolder());
    if (kept.filesOn && !kept.filesFolder.isEmpty()) hub_.writeFilesTo(kept.filesFolder);
}

LiveProgram::~LiveProgram() {
    delete window_;
    program_.removeMatchObserver(hub_);
}

QString LiveProgram::settingsFile() const {
    return QDir(program_.paths.configFolder).filePath(QStringLiteral("live.conf"));
}

QString LiveProgram::defaultFilesFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("torvanel/stream"));
}

std::optional<QString> LiveProgram::serveAt(quint16 port) {
    ServeChoice choice;
    choice.port = port;
    return hub_.serve(choice);
}

LiveWindow* LiveProgram::openWindow(QWidget* parent) {
    if (!window_) {
        window_ = new LiveWindow(hub_, settingsFile(), defaultFilesFolder(), parent);
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    window_->refresh();
    places::bringForward(*window_);
    return window_;
}

}  // namespace live
