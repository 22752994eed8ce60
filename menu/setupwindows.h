#pragma once

#include "app/screenpair.h"
#include "setup/setuprecord.h"

class Program;

// Where each line of a setup file lives in the windows: applying a line sets
// its widgets (so their change handlers run as if the operator had made the
// change), gathering reads them back for a writer.
namespace setup {

// Puts line n (2 to 44) of the record into every place it belongs, in the
// order the file lists them. Windows that do not exist yet are created.
void applyLine(Program& program, int n, const SetupRecord& record);

// Who is writing, which decides the windows some lines come from.
enum class Writer {
    FirstRun,  // the start-up file made on the first run
    Save,      // Save from a set-up menu
    SaveAs,    // Save As from a set-up menu
};

// The 44 values as the writer takes them from the windows. `menu` is the
// set-up menu the command was started from (unused for the first run).
SetupRecord gatherRecord(Program& program, Writer writer, MenuKind menu = MenuKind::Players4);

// The 45 lines the writer puts in the file.
QStringList writerLines(Program& program, Writer writer, MenuKind menu = MenuKind::Players4);

}  // namespace setup
