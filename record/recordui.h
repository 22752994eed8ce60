#pragma once

#include <QString>

class Program;
class QObject;
class QWidget;

namespace record {

class StoreRecorder;

// Makes the store the program's recorder and has its problems told to the
// operator: once, in a box beside the set-up menu that takes no keys from
// the play screen. The box goes up on the thread of `context`, and only
// while it lives, so it must not outlive the program.
void useStore(Program& program, StoreRecorder& store, QObject& context);

// The box that says the record is not being kept (or that a damaged file
// was put aside); tests find it by this object name.
inline constexpr const char* kProblemBoxName = "RecordProblem";
void showRecordProblem(Program& program, const QString& text);

// At start-up, once the screen pair is up: when the last match did not end
// cleanly, asks whether to put it back. Yes puts its scores on the boards
// and its clock, stopped, where it had got to. True when it was resumed.
bool offerResume(Program& program);

// Ends the current match cleanly, unless the windows already said how the
// program ended, and waits until the record is on disk.
void endRecord(Program& program, const QString& how);

// Opens (or raises) the operator's record window.
QWidget* openRecordWindow(Program& program);

// Offers the record window in the set-up menus' "&Match" menu.
void installMatchRecord(Program& program);

}  // namespace record
