#include "shell/capabilities.h"

#include "app/program.h"
#include "buttons/inputbuttons.h"
#include "check/buttoncheckwindow.h"
#include "record/recordui.h"

void installCapabilities(Program& program) {
    record::installMatchRecord(program);
    check::installCheckButtons(program);
    InputButtons::install(program);
}
