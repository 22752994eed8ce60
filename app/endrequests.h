#pragma once

#include <QObject>

class QSocketNotifier;

class Program;

// Asks for the program's end when the system does: SIGTERM (a logout, a
// shutdown, `kill`), SIGHUP (the terminal gone) and SIGINT (Ctrl+C in it).
// Left to their defaults these end the process on the spot, with the match
// record's end unwritten and no result file; here they come back as
// endRequested() on the window thread, where the program ends the way
// File > Exit ends it (program.endProgram()), as it does when the desktop
// session asks the application to save before it ends. A signal handler may
// do next to nothing, so it only writes a byte to a pipe the window thread
// watches.
//
// One at a time in a process; the handlers are put back as they were when
// it goes.
class EndRequests final : public QObject {
    Q_OBJECT
public:
    explicit EndRequests(Program& program, QObject* parent = nullptr);
    ~EndRequests() override;

    EndRequests(const EndRequests&) = delete;
    EndRequests& operator=(const EndRequests&) = delete;

    // False when the pipe could not be made (the signals keep their
    // defaults).
    bool watching() const { return notifier_ != nullptr; }

signals:
    // Once per signal received; the signal's number.
    void endRequested(int signal);

private:
    void readPipe();

    QSocketNotifier* notifier_ = nullptr;
};
