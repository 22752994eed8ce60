#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include "buttons/inputbox.h"
#include "buttons/inputsurvey.h"

#include "app/screenpair.h"

class AssignButtons;
class Program;

// Buttons on input devices as the program's interface, on the operator's
// side: the saved assignment, the devices' notices, the Assign Buttons
// window that the set-up menus open, and, on the set-up menus' decision
// line, for each buzz-in who pressed next and how much later (and a tie the
// box drew). The audience screen sees none of it.
class InputButtons final : public QObject {
    Q_OBJECT
public:
    InputButtons(Program& program, buttons::InputBox& box);
    ~InputButtons() override;

    // Offers Assign Buttons in the set-up menus' "&Match" menu, for as long
    // as `buttons` gives the program's buttons on input devices (null when
    // they are not its interface).
    static void install(Program& program, std::function<InputButtons*()> buttons);

    // The assignment saved in the configuration folder; a file that cannot
    // be read is named, and the buttons start unassigned.
    void loadAssignment();
    // Before the match: when no device with buttons can be read, says so,
    // with what was found and how to fix it, until the operator retries
    // successfully, goes on without buttons (they may be plugged in later)
    // or quits (false).
    bool confirmDevices();
    // Looks at the machine's input devices; tests stand in for it.
    std::function<buttons::InputSurvey()> survey = [] { return buttons::surveyInputDevices(); };

    // Once start-up is over: with no button assigned, offers to assign them.
    void offerToAssign();
    // The Assign Buttons window for the screen pair of the moment.
    void openAssign();
    AssignButtons* assignWindow() const { return assignWindow_.get(); }

    // Our note on the last buzz-in.
    QString lastNote() const { return lastNote_; }
    // A player's name, or what the extra transmitter is called.
    QString transmitterName(int transmitter) const;

    // Reads the devices between polls, so that an unplugged one is named
    // while the screen is locked out.
    QTimer pumpTimer;

signals:
    // A buzz-in was presented, or who came after it became known: our
    // note, before it goes on the line.
    void noted(const QString& line);

private:
    void onNotice(buttons::InputBox::NoticeKind kind, const QString& text);
    void onBuzz(const buttons::InputBox::Buzz& buzz, bool presented);
    void putOnLine();
    MenuKind operatorMenu() const;

    Program& program_;
    buttons::InputBox& box_;
    std::unique_ptr<AssignButtons> assignWindow_;
    QString lastNote_;
    QJsonObject details_;
    // What we last put on the set-up menus' line, and what the screen put
    // there since about the same buzz-in.
    QString shown_;
    QString other_;
    bool linePending_ = false;
    // The buzz-in the line is about: transmitter and kernel time.
    std::optional<std::pair<int, std::int64_t>> buzzIn_;
};
