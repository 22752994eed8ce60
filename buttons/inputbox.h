#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/random.h"
#include "buttons/buttonassignment.h"
#include "buttons/presssource.h"
#include "sim/simulatedinterface.h"

namespace buttons {

// A wireless lockout box whose transmitters are buttons on Linux input
// devices. The program sees a box on the parallel port like any other: the
// handshake, the poll, the bit-serial read and the decoders are the ones a
// real box goes through.
//
// Who was first is decided by the kernel's timestamps, never by the order
// presses happen to be read in: every poll request first reads everything
// the devices have sent, then the earliest press is presented. The rest of
// the presses made while the screen is armed wait in time order, and each
// following poll presents the next, so the second-place capture gets the
// real runner-up. Presses made while the screen is locked out are lost, as
// on a real box. Presses with one timestamp (one USB report) are a real
// tie: the box draws one with the program's generator and says so.
//
// The box cannot see the screen's timers, only the polls. After a code is
// fetched, a poll within kCarryOver means the screen kept polling (the
// second-place lock-up is on) and the waiting presses still count; a later
// poll is the operator clearing a locked screen, and they are dropped.
class InputBox final : public SimulatedInterface {
public:
    static constexpr double kCarryOver = 0.25;

    // A wireless model: 200 (extra transmitter 0) or 170 (extra 14), the
    // two whose codes each name one player.
    static bool isInputModel(int model) { return model == 200 || model == 170; }

    InputBox(int model, Clock& clock, PressSource& source, Random& random,
             std::uint16_t baseAddress = 888);

    // The box on this machine's input devices (/dev/input), drawing its ties
    // with a generator of its own, seeded afresh in every run.
    static std::unique_ptr<InputBox> onInputDevices(int model, Clock& clock);

    // What the title screen shows as the port library's state: the mode,
    // not a simulated box.
    QString lastState() override;

    // The buttons that count; the devices with none are let go.
    void setAssignment(ButtonAssignment assignment);
    const ButtonAssignment& assignment() const { return assignment_; }

    // Reads the source now. The box reads it on every poll request; reading
    // between polls as well keeps the operator's notices prompt.
    void pump();

    // Every buzz-in the box presented, with who pressed after it.
    struct Buzz {
        int transmitter = 0;
        std::int64_t timeUs = 0;
        // The others pressed at the very same instant, from which this one
        // was drawn.
        std::vector<int> tiedWith;
        // The next other button pressed, and how long after.
        std::optional<int> nextTransmitter;
        double nextAfterMs = 0.0;
    };
    const std::vector<Buzz>& buzzes() const { return buzzes_; }
    // Told when a buzz is presented (`presented` true) and again when its
    // runner-up is known.
    using BuzzListener = std::function<void(const Buzz&, bool presented)>;
    void setBuzzListener(BuzzListener listener) { buzzListener_ = std::move(listener); }

    // Things the operator should read: a device unplugged or back, a device
    // we may not open and the fix, a device another program holds too
    // (Device); a tie drawn (Tie), which belongs beside the buzz-in rather
    // than in a window of its own.
    enum class NoticeKind { Device, Tie };
    void setNoticeListener(std::function<void(NoticeKind, const QString&)> listener) {
        noticeListener_ = std::move(listener);
    }

    // While capturing (the assignment window), every device with keys is
    // read, none is grabbed, and each key going down goes to `listener`
    // instead of the lockout.
    void beginCapture(std::function<void(const DeviceInfo&, int code)> listener);
    void endCapture();
    bool capturing() const { return static_cast<bool>(captureListener_); }

    // The devices open now, by the source's id.
    const std::map<int, DeviceInfo>& devices() const { return devices_; }
    // Presses lost because the screen was locked out.
    int lostPresses() const { return lost_; }
    // The transmitter of a binding's player on this model.
    int transmitterOf(int player) const;

protected:
    void onWrite(std::uint8_t value) override;
    void onCodeFetched() override;

private:
    struct Press {
        int transmitter;
        std::int64_t timeUs;
    };
    void applySelection();
    void onChange(const DeviceChange& change);
    void onPress(const Press& press);
    void presentNext();
    void noteRunnerUp(const Press& press);
    void notice(NoticeKind kind, const QString& text);
    std::int64_t nowUs();

    // What the box was given to own (onInputDevices); the references below
    // may point into them.
    std::unique_ptr<PressSource> ownedSource_;
    std::unique_ptr<Random> ownedRandom_;

    Clock& clock_;
    PressSource& source_;
    Random& random_;
    ButtonAssignment assignment_;

    std::map<int, DeviceInfo> devices_;
    std::set<QString> unplugged_;  // identities named as gone
    std::set<QString> denied_;     // paths named as not ours to open
    std::set<QString> shared_;     // identities named as grabbed by another program

    bool listening_ = false;
    std::int64_t sinceUs_ = 0;               // presses before this are lost
    std::optional<std::int64_t> fetchedUs_;  // when the last code was fetched
    std::vector<Press> waiting_;             // in time order, one per transmitter
    // Until when a later press may be the last buzz's runner-up: the start
    // of the next question.
    std::optional<std::int64_t> runnerUpUntilUs_;
    int lost_ = 0;

    std::vector<Buzz> buzzes_;
    BuzzListener buzzListener_;
    std::function<void(NoticeKind, const QString&)> noticeListener_;
    std::function<void(const DeviceInfo&, int)> captureListener_;

    std::vector<DeviceChange> changes_;
    std::vector<InputEvent> events_;
};

// The operator's line for one buzz-in: who was first (and that a tie was
// drawn), who pressed next and how many milliseconds later. `name` names a
// transmitter.
QString buzzNote(const InputBox::Buzz& buzz, const std::function<QString(int)>& name);

}  // namespace buttons
