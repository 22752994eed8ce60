#include "buttons/inputbox.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

#include "buttons/evdevpresssource.h"

namespace buttons {

namespace {
constexpr std::uint8_t kPollRequest = 19;
constexpr std::uint8_t kRequestCode = 223;
constexpr std::uint8_t kResetRequest = 32;
}  // namespace

InputBox::InputBox(int model, Clock& clock, PressSource& source, Random& random,
                   std::uint16_t baseAddress)
    : SimulatedInterface(model, clock, baseAddress),
      clock_(clock),
      source_(source),
      random_(random) {
    applySelection();
}

std::unique_ptr<InputBox> InputBox::onInputDevices(int model, Clock& clock) {
    auto source = std::make_unique<EvdevPressSource>();
    auto random = std::make_unique<SeededRandom>();
    auto box = std::make_unique<InputBox>(model, clock, *source, *random);
    box->ownedSource_ = std::move(source);
    box->ownedRandom_ = std::move(random);
    return box;
}

void InputBox::setAssignment(ButtonAssignment assignment) {
    assignment_ = std::move(assignment);
    applySelection();
}

void InputBox::beginCapture(std::function<void(const DeviceInfo&, int)> listener) {
    captureListener_ = std::move(listener);
    applySelection();
}

void InputBox::endCapture() {
    // Whatever was pressed while assigning is not a buzz-in.
    pump();
    captureListener_ = nullptr;
    applySelection();
    waiting_.clear();
}

void InputBox::applySelection() {
    Selection s;
    if (capturing()) {
        s.wanted = [](const DeviceIdentity&) { return true; };
        s.grab = false;
    } else {
        s.wanted = [this](const DeviceIdentity& d) { return assignment_.hasDevice(d); };
        s.grab = true;
    }
    source_.setSelection(std::move(s));
}

int InputBox::transmitterOf(int player) const {
    return player == ButtonAssignment::kExtra ? extraTransmitter() : player;
}

std::int64_t InputBox::nowUs() { return std::llround(clock_.now() * 1e6); }

void InputBox::pump() {
    changes_.clear();
    events_.clear();
    source_.drain(changes_, events_);
    for (const DeviceChange& c : changes_)
        onChange(c);
    // Devices are read one after the other; the kernel's times say what
    // happened first.
    std::stable_sort(events_.begin(), events_.end(),
                     [](const InputEvent& a, const InputEvent& b) { return a.timeUs < b.timeUs; });
    for (const InputEvent& e : events_) {
        if (e.type != kEvKey || e.value != kKeyDown) continue;
        const auto device = devices_.find(e.device);
        if (device == devices_.end()) continue;
        if (capturing()) {
            captureListener_(device->second, e.code);
            continue;
        }
        const auto player = assignment_.playerOf(device->second.identity, e.code);
        if (player) onPress({transmitterOf(*player), e.timeUs});
    }
}

void InputBox::onChange(const DeviceChange& change) {
    const DeviceInfo& d = change.device;
    const QString who = d.name.isEmpty() ? d.path : d.name;
    switch (change.kind) {
    case DeviceChange::Kind::Added:
        devices_[d.id] = d;
        denied_.erase(d.path);
        if (unplugged_.erase(d.identity.key()) > 0)
            notice(NoticeKind::Device, QStringLiteral("Buttons back: %1 works again.").arg(who));
        break;
    case DeviceChange::Kind::Removed:
        devices_.erase(d.id);
        shared_.erase(d.identity.key());
        // A device let go because it has no buttons any more is no news.
        if (assignment_.hasDevice(d.identity) && unplugged_.insert(d.identity.key()).second) {
            // Without a serial number the device is known by its USB port.
            const QString where =
                d.identity.serial.isEmpty() ? QStringLiteral(" into the same USB port") : QString();
            notice(NoticeKind::Device,
                   QStringLiteral("Buttons unplugged: %1. Its buttons work again as soon as it "
                                  "is plugged back in%2.")
                       .arg(who, where));
        }
        break;
    case DeviceChange::Kind::NotGrabbed:
        if (!shared_.insert(d.identity.key()).second) break;
        notice(NoticeKind::Device,
               QStringLiteral("%1 is held by another program as well: its buttons count, but "
                              "they may also reach that program (a keyboard may type into "
                              "other windows).")
                   .arg(who));
        break;
    case DeviceChange::Kind::PermissionDenied:
        if (denied_.insert(d.path).second) {
            notice(NoticeKind::Device,
                   QStringLiteral("No permission to read %1 (%2). Add your user to the input "
                                  "group (sudo adduser $USER input, then log in again) or install "
                                  "the udev rule for USB buttons (see \"USB buttons\" in the "
                                  "README).")
                       .arg(who, d.path));
        }
        break;
    }
}

void InputBox::onWrite(std::uint8_t value) {
    if (value == kRequestCode || value == kResetRequest) {
        // The box forgot any code it held; the next poll starts afresh.
        listening_ = false;
        fetchedUs_.reset();
        lost_ += static_cast<int>(waiting_.size());
        waiting_.clear();
        return;
    }
    if (value != kPollRequest) return;
    if (!listening_) {
        const std::int64_t now = nowUs();
        const bool keptPolling = fetchedUs_ && now - *fetchedUs_ <= std::llround(kCarryOver * 1e6);
        if (!keptPolling) {
            // A new question: what was pressed before it is lost.
            sinceUs_ = now;
            runnerUpUntilUs_ = now;
            lost_ += static_cast<int>(waiting_.size());
            waiting_.clear();
        }
        listening_ = true;
    }
    pump();
    presentNext();
}

void InputBox::onCodeFetched() {
    listening_ = false;
    fetchedUs_ = nowUs();
}

void InputBox::onPress(const Press& press) {
    noteRunnerUp(press);
    if (press.timeUs < sinceUs_) {
        ++lost_;
        return;
    }
    // A button pressed again before its code went out counts from its first
    // press. Once it has gone out, a new press is a new code, as on a real
    // box: the second-place capture passes over the first respondent's own
    // team, and with the lock-up on the screen never stops polling, so the
    // box cannot tell the next question from this one.
    const auto same = std::find_if(waiting_.begin(), waiting_.end(), [&](const Press& p) {
        return p.transmitter == press.transmitter;
    });
    if (same != waiting_.end()) {
        if (same->timeUs <= press.timeUs) return;
        waiting_.erase(same);
    }
    const auto at = std::upper_bound(waiting_.begin(), waiting_.end(), press.timeUs,
                                     [](std::int64_t t, const Press& p) { return t < p.timeUs; });
    waiting_.insert(at, press);
}

void InputBox::presentNext() {
    if (!listening_ || !listening() || waiting_.empty()) return;
    const std::int64_t first = waiting_.front().timeUs;
    std::size_t together = 0;
    while (together < waiting_.size() && waiting_[together].timeUs == first)
        ++together;
    std::size_t pick = 0;
    if (together > 1) {
        pick = std::min(together - 1,
                        static_cast<std::size_t>(random_.next() * static_cast<double>(together)));
    }
    Buzz buzz;
    buzz.transmitter = waiting_[pick].transmitter;
    buzz.timeUs = first;
    for (std::size_t i = 0; i < together; ++i) {
        if (i != pick) buzz.tiedWith.push_back(waiting_[i].transmitter);
    }
    waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(pick));
    runnerUpUntilUs_.reset();
    if (!waiting_.empty()) {
        buzz.nextTransmitter = waiting_.front().transmitter;
        buzz.nextAfterMs = static_cast<double>(waiting_.front().timeUs - first) / 1000.0;
    }
    press(buzz.transmitter);
    buzzes_.push_back(buzz);
    if (buzzListener_) buzzListener_(buzz, true);
    if (!buzz.tiedWith.empty()) {
        QStringList others;
        for (int t : buzz.tiedWith)
            others << QString::number(t);
        notice(NoticeKind::Tie,
               QStringLiteral("Tie: transmitters %1 and %2 pressed at the same instant; drawn at "
                              "random: %1.")
                   .arg(buzz.transmitter)
                   .arg(others.join(QStringLiteral(", "))));
    }
}

void InputBox::noteRunnerUp(const Press& press) {
    if (buzzes_.empty()) return;
    Buzz& last = buzzes_.back();
    if (press.transmitter == last.transmitter || press.timeUs < last.timeUs) return;
    if (runnerUpUntilUs_ && press.timeUs >= *runnerUpUntilUs_) return;
    const double after = static_cast<double>(press.timeUs - last.timeUs) / 1000.0;
    if (last.nextTransmitter && last.nextAfterMs <= after) return;
    last.nextTransmitter = press.transmitter;
    last.nextAfterMs = after;
    if (buzzListener_) buzzListener_(last, false);
}

void InputBox::notice(NoticeKind kind, const QString& text) {
    if (noticeListener_) noticeListener_(kind, text);
}

QString buzzNote(const InputBox::Buzz& buzz, const std::function<QString(int)>& name) {
    QString line;
    if (buzz.tiedWith.empty()) {
        line = QStringLiteral("%1 first").arg(name(buzz.transmitter));
    } else {
        QStringList together{name(buzz.transmitter)};
        for (int t : buzz.tiedWith)
            together << name(t);
        line = QStringLiteral("Tie: %1 pressed together; %2 was drawn")
                   .arg(together.join(QStringLiteral(", ")), name(buzz.transmitter));
    }
    // After a tie the next press worth telling is the first after it.
    if (!buzz.nextTransmitter || (!buzz.tiedWith.empty() && buzz.nextAfterMs == 0.0)) {
        return line + (buzz.tiedWith.empty() ? QStringLiteral("; nobody else has pressed.")
                                             : QStringLiteral("."));
    }
    const double ms = buzz.nextAfterMs;
    return QStringLiteral("%1; next %2, %3 ms later.")
        .arg(line, name(*buzz.nextTransmitter), QString::number(ms, 'f', ms < 10.0 ? 1 : 0));
}

}  // namespace buttons
