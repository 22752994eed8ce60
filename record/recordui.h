#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class Dialogs;
class Program;

namespace record {

class StoreRecorder;

// The match record of a program: the record window in the set-up menus'
// "&Match" menu, the store the events go to, the resume question at
// start-up and the clean end of the match when the program ends.
class MatchRecord {
public:
    explicit MatchRecord(Program& program);
    ~MatchRecord();
    MatchRecord(const MatchRecord&) = delete;
    MatchRecord& operator=(const MatchRecord&) = delete;

    // Makes the store the program's recorder and has its problems told to
    // the operator: once, in a box beside the set-up menu that takes no keys
    // from the play screen. The store must outlive this.
    void useStore(StoreRecorder& store);

    // At start-up, once the screen pair is up: when the last match did not
    // end cleanly, asks whether to put it back. Yes puts its scores on the
    // boards and its clock, stopped, where it had got to. True when it was
    // resumed.
    bool offerResume();

    // Ends the current match cleanly, unless the windows already said how
    // the program ended, and waits until the record is on disk.
    void end(const QString& how);

    // Opens (or raises) the operator's record window.
    QWidget* openWindow();

private:
    Program& program_;
    StoreRecorder* store_ = nullptr;
    // The store's problems are told on the window thread, through this, and
    // only while it lives.
    QObject context_;
    QPointer<QWidget> window_;
};

// The box that says the record is not being kept (or that a damaged file
// was put aside); tests find it by this object name.
inline constexpr const char* kProblemBoxName = "RecordProblem";
// With `retry`, the box has a Retry button that calls it.
void showRecordProblem(Program& program, const QString& text,
                       std::function<void()> retry = nullptr);

// When another copy of the program keeps the record: says which and since
// when, and asks whether to quit. True to go on without a record.
bool runWithoutRecord(Dialogs& dialogs, const StoreRecorder& store);

}  // namespace record
