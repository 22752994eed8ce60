#pragma once

#include <memory>
#include <optional>

#include <QString>
#include <QtGlobal>

class ContestantPanel;
class InputButtons;
class Program;
class SimulatedInterface;
namespace buttons {
class InputBox;
}
namespace check {
class CheckButtons;
}
namespace live {
class LiveProgram;
}
namespace packet {
class Reader;
}
namespace record {
class MatchRecord;
class StoreRecorder;
}  // namespace record
namespace scoresheet {
class ResultsDesk;
class Scoresheet;
}  // namespace scoresheet

// What the program has for its capabilities beyond itself. Tests leave out
// what they do not need.
struct CapabilityParts {
    record::StoreRecorder* store = nullptr;  // the match record on disk
    bool resultFiles = false;                // the stats room's result files
    bool livePage = false;
    std::optional<quint16> livePort;  // serve the live page from the start
    // Buttons on input devices are the interface.
    buttons::InputBox* inputBox = nullptr;
    // The simulated box the contestant panel presses the buttons of.
    SimulatedInterface* panelBox = nullptr;
    // A packet to read the match from, read once start-up is over.
    std::optional<QString> packetFile;
};

// The one owner of the program's capabilities. It makes them in order
// (the "&Match" menu lists their windows so): the match record, the button
// check, buttons on input devices, the scoresheet, the packet and its reader,
// the result files, the live page, and at the end of start-up the contestant
// panel. Each offers
// its windows and watches the match from when it is made; start-up and the
// program's end go through the steps below.
class Capabilities {
public:
    // After the program and its windows' registry, before the first window
    // is shown.
    explicit Capabilities(Program& program, const CapabilityParts& parts = {});
    ~Capabilities();
    Capabilities(const Capabilities&) = delete;
    Capabilities& operator=(const Capabilities&) = delete;

    // Before the title form: the input devices looked at. False when the
    // operator chose to quit.
    bool beforeWindows();
    // Once the title form has started: the resume question, a live page
    // that could not be served, the offer to assign buttons, the contestant
    // panel, the packet asked for on the command line.
    void afterWindows();
    // The program ends (how: "exit", "closed"...): the match ended cleanly in
    // the record, and its result file written. False when the result file's
    // share did not answer in the few seconds an ending session allows (the
    // writer is then not waited for).
    bool end(const QString& how);

    record::MatchRecord& record() { return *record_; }
    check::CheckButtons& check() { return *check_; }
    scoresheet::Scoresheet& scoresheet() { return *scoresheet_; }
    packet::Reader& reader() { return *reader_; }
    scoresheet::ResultsDesk* results() { return results_.get(); }
    live::LiveProgram* livePage() { return live_.get(); }
    InputButtons* inputButtons() { return inputButtons_.get(); }
    ContestantPanel* panel() { return panel_.get(); }

private:
    // The reader shows what the sheet reads, and asks it to move a buzz's
    // mark or throw a question out.
    void readWithTheSheet();

    Program& program_;
    CapabilityParts parts_;
    std::unique_ptr<record::MatchRecord> record_;
    std::unique_ptr<check::CheckButtons> check_;
    std::unique_ptr<scoresheet::Scoresheet> scoresheet_;
    std::unique_ptr<packet::Reader> reader_;
    std::unique_ptr<scoresheet::ResultsDesk> results_;
    std::unique_ptr<live::LiveProgram> live_;
    std::optional<QString> liveProblem_;
    std::unique_ptr<InputButtons> inputButtons_;
    std::unique_ptr<ContestantPanel> panel_;
};
