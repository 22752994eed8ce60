#include "shell/capabilities.h"

#include "app/program.h"
#include "buttons/inputbuttons.h"
#include "check/buttoncheckwindow.h"
#include "packet/readerui.h"
#include "record/recordui.h"
#include "scoresheet/scoresheetui.h"

void installCapabilities(Program& program) {
    record::installMatchRecord(program);
    check::installCheckButtons(program);
    InputButtons::install(program);
    scoresheet::installScoresheet(program);
    packet::installReader(program);
}
