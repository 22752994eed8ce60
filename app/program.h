#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include <QString>

#include "app/clock.h"
#include "app/decisionnote.h"
#include "app/dialogs.h"
#include "app/matchextras.h"
#include "app/matchrecorder.h"
#include "app/matchundo.h"
#include "app/objecthost.h"
#include "app/operatorwindows.h"
#include "app/portlibrary.h"
#include "app/programnotifier.h"
#include "app/programstate.h"
#include "app/programwindows.h"
#include "app/random.h"
#include "app/soundoutput.h"

// Where the program finds its files.
struct ProgramPaths {
    // The shipped files: wave files and competition presets. The folder of
    // the executable in a build tree, <prefix>/share/torvanel once installed.
    QString programFolder;
    // The start-up setup file's folder: an installed program folder is not
    // writable, so it lives in the user's configuration folder.
    QString configFolder;
};

// The one object behind every window: the program-wide variables, the
// services the windows use, and the window registry. Tests build one from
// stand-ins.
class Program {
public:
    Program(PortLibrary& port, Clock& clock, SoundOutput& sound, Dialogs& dialogs, Random& random,
            ProgramPaths paths);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    ProgramState state;

    PortLibrary& port;
    Clock& clock;
    SoundOutput& sound;
    Dialogs& dialogs;
    Random& random;

    const ProgramPaths paths;

    // A file among the shipped ones, such as "ringin.wav".
    QString programFile(const QString& name) const;
    // The start-up setup file, tvlsetup.txt in the configuration folder.
    QString startupSetupFile() const;

    // When the interface is the built-in simulation the title screen says so.
    void setInterfaceDescription(const QString& text, bool simulated);
    QString interfaceDescription() const { return interfaceDescription_; }
    bool simulatedInterface() const { return simulated_; }

    // Where controls such as the USB module's come from: the plugins
    // installed with the program, or classes a test registers. Until one is
    // set, a host that has no classes.
    ObjectHost& objects() { return *objects_; }
    void setObjectHost(ObjectHost& host) { objects_ = &host; }

    // The simulated USB module when the simulated interface is in use (a
    // QObject implementing usbio::HidTransport that outlives the program's
    // windows); nullptr when controls are to reach the real module.
    QObject* usbTransport() const { return usbTransport_; }
    void setUsbTransport(QObject* transport) { usbTransport_ = transport; }

    // Where the windows report what changes a match. Each event goes to the
    // recorder set here (until one is, a recorder that keeps nothing), then,
    // on the same thread and in the order they were added, to every
    // observer. The recorder and the observers must outlive the windows, or
    // an observer be removed first.
    record::MatchRecorder& recorder() { return events_; }
    void setRecorder(record::MatchRecorder& recorder) { events_.target = &recorder; }
    void addMatchObserver(record::MatchRecorder& observer);
    void removeMatchObserver(record::MatchRecorder& observer);
    // The current match's events as the record keeps them, earlier ones of
    // a resumed match included: what a capability folds to put its view of
    // the match back after a resume. Empty without a record.
    void setMatchHistory(std::function<::MatchEvents()> history) { history_ = std::move(history); }
    ::MatchEvents matchHistory() const { return history_ ? history_() : ::MatchEvents(); }

    // The match's one undo history, when a capability keeps it (nullptr:
    // the play screen's own).
    void setMatchUndo(MatchUndo* undo) { matchUndo_ = undo; }
    MatchUndo* matchUndo() const {
        return matchUndo_ && matchUndo_->keepsHistory() ? matchUndo_ : nullptr;
    }

    // The team and player names the record last heard ({"teams", "players"}),
    // so that a change of names is told once.
    QJsonObject recordedNames;

    // How the last buzz-in was decided, for the line at the foot of both
    // set-up menus. showDecision replaces the last note, announces it and
    // records it as a Decision event; clearDecision empties it (every clear
    // of a play screen does). A set-up menu made later shows the current
    // note.
    void showDecision(const DecisionNote& note);
    void clearDecision();
    const DecisionNote& decision() const { return decision_; }

    // What the program announces, such as a new decision line.
    ProgramNotifier& notifier() { return notifier_; }

    // The operator windows the capabilities offer in the "&Match" menu.
    OperatorWindows& operatorWindows() { return operatorWindows_; }
    // Help windows the capabilities offer, listed in the set-up menus' Help
    // menu after its own items.
    OperatorWindows& helpWindows() { return helpWindows_; }

    // Keys the capabilities add, listed in Help > Operator Keys beside the
    // play screen's: a heading, then each key and what it does.
    struct KeySection {
        QString heading;
        std::vector<std::pair<QString, QString>> keys;
    };
    std::vector<KeySection>& keySections() { return keySections_; }

    // What the capabilities add to the record window for a recorded match.
    MatchExtras& matchExtras() { return matchExtras_; }

    // Keys the play screen has no use for (a Qt::Key with its modifiers) go
    // to the handler a capability set; true when it took the key.
    void setOperatorKeyHandler(std::function<bool(int key, int modifiers)> handler) {
        operatorKeys_ = std::move(handler);
    }
    bool operatorKey(int key, int modifiers) {
        return operatorKeys_ && operatorKeys_(key, modifiers);
    }
    // Whether that handler wants the key as things stand (the scoresheet's
    // ruling keys while its rules are not plain), asked without acting on
    // it: keys such as the simulated contestants' give way to it.
    void setOperatorKeyClaim(std::function<bool(int key, int modifiers)> claim) {
        operatorKeyClaim_ = std::move(claim);
    }
    bool operatorKeyClaimed(int key, int modifiers) const {
        return operatorKeyClaim_ && operatorKeyClaim_(key, modifiers);
    }

    // Ends the program at once, saving nothing (the operator gave up on a
    // missing interface, or chose Exit). Tests replace the ending.
    void endProgram();
    void setEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }

    // The windows, as the capabilities may ask them; their registry is made
    // after the program and sets itself here for as long as it lives.
    ProgramWindows& windows() const;
    void setWindows(ProgramWindows* windows) { windows_ = windows; }

private:
    RegisteredObjectHost noObjects_;
    ObjectHost* objects_ = &noObjects_;
    QObject* usbTransport_ = nullptr;
    // The recorder the windows see: hands each event on to the one set and
    // to the observers. An event recorded while another is being handed on
    // waits for it, so every observer hears the events in the record's order.
    class MatchEvents final : public record::MatchRecorder {
    public:
        void record(record::EventKind kind, const QJsonObject& data) override;
        record::NoRecorder none;
        record::MatchRecorder* target = &none;
        std::vector<record::MatchRecorder*> observers;

    private:
        bool handing_ = false;
        std::deque<std::pair<record::EventKind, QJsonObject>> waiting_;
    };
    MatchEvents events_;
    ProgramNotifier notifier_;
    OperatorWindows operatorWindows_;
    OperatorWindows helpWindows_;
    std::function<bool(int, int)> operatorKeys_;
    std::function<::MatchEvents()> history_;
    MatchUndo* matchUndo_ = nullptr;
    std::function<bool(int, int)> operatorKeyClaim_;
    MatchExtras matchExtras_;
    std::vector<KeySection> keySections_;

    ProgramWindows* windows_ = nullptr;
    QString interfaceDescription_;
    bool simulated_ = false;
    DecisionNote decision_;
    std::function<void()> endHandler_;
};
