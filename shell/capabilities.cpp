#include "shell/capabilities.h"

#include <cstdio>

#include "app/program.h"
#include "buttons/inputbox.h"
#include "buttons/inputbuttons.h"
#include "check/buttoncheckwindow.h"
#include "live/liveprogram.h"
#include "packet/readerui.h"
#include "packet/readerwindow.h"
#include "record/recordui.h"
#include "scoresheet/resultsdesk.h"
#include "scoresheet/rules.h"
#include "scoresheet/scoresheetui.h"
#include "sim/contestantpanel.h"
#include "sim/simulatedinterface.h"

Capabilities::Capabilities(Program& program, const CapabilityParts& parts)
    : program_(program), parts_(parts) {
    record_ = std::make_unique<record::MatchRecord>(program);
    if (parts.store) record_->useStore(*parts.store);
    check_ = std::make_unique<check::CheckButtons>(program);
    InputButtons::install(program, [this] { return inputButtons_.get(); });
    scoresheet_ = scoresheet::installScoresheet(program);
    reader_ = packet::installReader(program);
    readWithTheSheet();
    // The stats room's result files: written as the match goes, and whole
    // when it ends (the end of the program included).
    if (parts.resultFiles) results_ = scoresheet::installResultFiles(program);
    // Its item comes last in the Match menu.
    if (parts.livePage) {
        live_ = std::make_unique<live::LiveProgram>(program);
        if (parts.livePort) {
            liveProblem_ = live_->serveAt(*parts.livePort);
            if (liveProblem_)
                std::fprintf(stderr, "torvanel: live page: %s\n", qPrintable(*liveProblem_));
            else
                std::fprintf(stderr, "torvanel: live page at http://127.0.0.1:%u/\n",
                             *parts.livePort);
        }
    }
    // Buttons on input devices: their assignment, the operator's notices,
    // and the window that binds them.
    if (parts.inputBox) {
        inputButtons_ = std::make_unique<InputButtons>(program, *parts.inputBox);
        inputButtons_->loadAssignment();
    }
}

Capabilities::~Capabilities() = default;

void Capabilities::readWithTheSheet() {
    scoresheet::Scoresheet& sheet = *scoresheet_;
    scoresheet::SheetModel& model = sheet.model();
    packet::Reader& reader = *reader_;
    packet::ReaderWindow& window = reader.window();
    // The packet chosen is the match's: the sheet records it and says what
    // the reader shows from then on.
    reader.setPacketChosen(
        [&model, &reader](std::shared_ptr<const packet::Packet> packet, const QString& path) {
            model.choosePacket(std::move(packet), path);
            reader.showPage(model.readerPage());
        });
    reader.setExpectations([&model] {
        const scoresheet::ScoringRules& rules = model.sheet().rules;
        return packet::PacketExpectations{scoresheet::powerValue(rules).has_value(),
                                          rules.bonusParts};
    });
    model.addChangeHandler([&model, &window] {
        if (model.chosenPacket()) window.show(model.readerPage());
    });
    // The scoresheet's keys, then the play screen's, work in the reader as
    // in the Scoresheet window.
    window.setKeyHandler([&sheet](QKeyEvent* event) { return sheet.windowKey(event); });
    QObject::connect(&window, &packet::ReaderWindow::markMoved,
                     [&model](int word) { model.moveMark(word); });
    QObject::connect(&window, &packet::ReaderWindow::throwOutRequested,
                     [&model] { model.throwOut(); });
}

bool Capabilities::beforeWindows() { return !inputButtons_ || inputButtons_->confirmDevices(); }

void Capabilities::afterWindows() {
    record_->offerResume();
    if (liveProblem_) {
        program_.dialogs.inform(*liveProblem_, QStringLiteral("Live Page"), Dialogs::Icon::Warning);
    }
    if (inputButtons_) inputButtons_->offerToAssign();
    // With the simulated box, the contestants press its buttons here.
    if (parts_.panelBox) {
        panel_ = std::make_unique<ContestantPanel>(program_, *parts_.panelBox);
        panel_->showPanel();
    }
    // Read while the operator looks at the set-up menu; its warnings come up
    // when it is read.
    if (parts_.packetFile) reader_->openPacket(*parts_.packetFile);
}

bool Capabilities::end(const QString& how) {
    record_->end(how);
    return !results_ || results_->finish();
}
