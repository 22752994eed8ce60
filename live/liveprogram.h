#pragma once

#include <optional>

#include <QPointer>
#include <QString>

#include "live/livehub.h"

class Program;
class QWidget;

namespace live {

class LiveWindow;

// The live page as part of the program: it watches the match from start-up
// (so the page is current the moment it is turned on), offers "Live
// &Page..." in the "&Match" menu, and shows the toss-up the scoresheet
// announces. Made after the program and gone before it.
class LiveProgram {
public:
    explicit LiveProgram(Program& program);
    ~LiveProgram();
    LiveProgram(const LiveProgram&) = delete;
    LiveProgram& operator=(const LiveProgram&) = delete;

    // Serves the page on this computer at `port` (the --live-port option).
    // Nothing on success; otherwise what went wrong and what to do.
    std::optional<QString> serveAt(quint16 port);

    // Opens (or raises) the Live Page window.
    LiveWindow* openWindow(QWidget* parent);

    LiveHub& hub() { return hub_; }

private:
    QString settingsFile() const;
    static QString defaultFilesFolder();

    Program& program_;
    LiveHub hub_;
    QPointer<LiveWindow> window_;
};

}  // namespace live
