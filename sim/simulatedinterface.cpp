#include "sim/simulatedinterface.h"

#include <algorithm>

namespace {
constexpr std::uint8_t kRequestCode = 223;
constexpr std::uint8_t kResetRequest = 32;
constexpr std::uint8_t kAckEven = 2;
constexpr std::uint8_t kAckOdd = 18;
constexpr std::uint8_t kPollRequest = 19;
// Status lines the box does not drive read high.
constexpr std::uint8_t kUndrivenStatus = 0x07;
}  // namespace

SimulatedInterface::SimulatedInterface(int model, Clock& clock, std::uint16_t baseAddress)
    : model_(model), clock_(clock), base_(baseAddress), reported_(baseAddress) {}

bool SimulatedInterface::isKnownModel(int model) {
    return model == 170 || model == 180 || model == 199 || model == 200 || model == 210;
}

int SimulatedInterface::version() { return 1; }

std::uint16_t SimulatedInterface::lptPortAddress(int n) {
    (void)n;
    ++addressQueries_;
    return reported_;
}

bool SimulatedInterface::isWinNT() { return false; }

QString SimulatedInterface::lastState() {
    return QStringLiteral("simulated box, model %1").arg(model_).left(kLastStateLength);
}

int SimulatedInterface::speakerPitch(int byte) {
    switch (byte) {
    case 146:  // response time expired
    case 82:   // match clock expired
        return 440;
    default: return 880;
    }
}

std::vector<int> SimulatedInterface::dataWrites() const {
    std::vector<int> values;
    for (const Write& w : writes_) {
        if (w.address == base_) values.push_back(w.value);
    }
    return values;
}

void SimulatedInterface::clearLog() {
    writes_.clear();
    codeRequests_.clear();
    resets_ = 0;
    speakerSoundings_ = 0;
    lastSpeakerByte_ = 0;
}

void SimulatedInterface::scriptReplies(std::vector<Reply> replies) {
    replies_.assign(replies.begin(), replies.end());
}

void SimulatedInterface::queueCode(std::vector<std::uint8_t> bytes, double latency,
                                   int stallAfterBits) {
    Transfer t;
    t.bytes = std::move(bytes);
    t.latency = latency;
    t.stallAfterBits = stallAfterBits;
    t.isBuzzCode = true;
    queued_.push_back(std::move(t));
}

void SimulatedInterface::outport(std::uint16_t address, std::uint8_t value) {
    writes_.push_back({clock_.now(), address, value});
    if (value == kRequestCode) codeRequests_.push_back(address);
    // Nothing but the box's own port reaches it.
    if (address != base_) return;

    switch (value) {
    case 194:
    case 129:
    case 65:
    case 146:
    case 82:
        speakerOn_ = true;
        lastSpeakerByte_ = value;
        ++speakerSoundings_;
        if (speakerSound_) speakerSound_->tone(speakerPitch(value));
        if (speakerListener_) speakerListener_(value);
        break;
    case 0:
        if (speakerOn_ && speakerSound_) speakerSound_->tone(0);
        speakerOn_ = false;
        if (speakerListener_) speakerListener_(0);
        break;
    default: break;
    }

    if (silent_) {
        onWrite(value);
        return;
    }

    if (value == kPollRequest) armed_ = true;

    if (value == kRequestCode) {
        // Asked for its model code, the box forgets any buzz-in it held.
        dropButtonCode();
        Reply reply;
        if (!replies_.empty()) {
            reply = replies_.front();
            replies_.pop_front();
        } else {
            reply.latency = latency_;
        }
        if (reply.kind == Reply::Kind::Silent) {
            outgoing_.clear();
            ready_ = true;
        } else {
            Transfer t;
            t.bytes = {
                static_cast<std::uint8_t>(reply.kind == Reply::Kind::Code ? reply.code : model_)};
            t.latency = reply.latency;
            t.stallAfterBits = reply.stallAfterBits >= 8 ? -1 : reply.stallAfterBits;
            startTransfer(std::move(t));
        }
    } else if (value == kResetRequest) {
        ++resets_;
        dropButtonCode();
        outgoing_.clear();
        ready_ = true;
        data_ = false;
    } else if (!outgoing_.empty() && !stalled_ && bitVisible()) {
        const bool evenBit = (bit_ % 2) == 0;
        if ((evenBit && value == kAckEven) || (!evenBit && value == kAckOdd)) {
            ++bitsSent_;
            if (bit_ == 7) {
                outgoing_.pop_front();
                bit_ = 0;
                if (outgoing_.empty()) {
                    finishTransfer();
                } else {
                    presentNextBit();
                }
            } else {
                ++bit_;
                presentNextBit();
            }
        }
    }
    onWrite(value);
}

std::uint8_t SimulatedInterface::inport(std::uint16_t address) {
    if (address != base_ + 1) return 0xFF;
    if (!silent_ && outgoing_.empty() && !queued_.empty()) {
        Transfer t = std::move(queued_.front());
        queued_.pop_front();
        // The map is of the buttons as they are when the fetch begins.
        if (t.fromButtons && isWiredBox()) t.bytes = wiredMap(latched_ | held_);
        startTransfer(std::move(t));
    }
    std::uint8_t status = kUndrivenStatus;
    if (!outgoing_.empty() && !stalled_ && bitVisible()) {
        ready_ = (bit_ % 2) == 1;
        data_ = ((outgoing_.front() >> bit_) & 1) != 0;
    }
    if (ready_) status |= kReady;
    if (data_) status |= kData;
    return status;
}

void SimulatedInterface::startTransfer(Transfer transfer) {
    current_ = std::move(transfer);
    outgoing_.assign(current_.bytes.begin(), current_.bytes.end());
    bit_ = 0;
    bitsSent_ = 0;
    stalled_ = current_.stallAfterBits == 0;
    visibleAt_ = clock_.now() + current_.latency;
}

void SimulatedInterface::presentNextBit() {
    if (current_.stallAfterBits >= 0 && bitsSent_ >= current_.stallAfterBits) {
        stalled_ = true;
        return;
    }
    visibleAt_ = clock_.now() + current_.latency;
}

void SimulatedInterface::finishTransfer() {
    ready_ = true;
    data_ = false;
    const bool buzz = current_.isBuzzCode;
    if (current_.fromButtons) {
        // Fetched: the box waits for the next poll before it listens again.
        buttonCodePending_ = false;
        latched_ = 0;
        armed_ = false;
    }
    current_ = Transfer{};
    if (buzz) onCodeFetched();
}

bool SimulatedInterface::bitVisible() const {
    return current_.latency <= 0.0 || clock_.now() >= visibleAt_;
}

// --- Players ---------------------------------------------------------------

bool SimulatedInterface::isWiredBox() const { return model_ == 180 || model_ == 210; }

bool SimulatedInterface::isWirelessBox() const { return model_ == 170 || model_ == 200; }

bool SimulatedInterface::hasButtons() const { return isWiredBox() || isWirelessBox(); }

int SimulatedInterface::extraTransmitter() const {
    if (model_ == 170) return 14;
    if (model_ == 200) return 0;
    return -1;
}

int SimulatedInterface::inputOfPlayer(ScreenPair screen, int player) const {
    const int perTeam = playersPerTeamOf(screen);
    if (player < 1 || player > teamsOf(screen) * perTeam) return -1;
    if (isWirelessBox()) return player;
    if (model_ == 180) {
        static constexpr int kLine180[] = {4, 5, 6, 7, 0, 1, 2, 3, 8, 9, 10, 11, 12, 13, 14};
        return kLine180[player - 1];
    }
    if (model_ == 210) {
        // Per team, Alpha, Beta, Gamma: where its first seat starts, and its
        // fifth seat's line.
        static constexpr int kFirstSeat[] = {4, 0, 8};
        static constexpr int kFifthSeat[] = {14, 12, 13};
        const int team = (player - 1) / perTeam;
        const int seat = (player - 1) % perTeam;
        return seat < 4 ? kFirstSeat[team] + seat : kFifthSeat[team];
    }
    return -1;
}

std::optional<int> SimulatedInterface::spareHandset(ScreenPair screen) const {
    const int spare = extraTransmitter();
    if (spare < 0) return std::nullopt;
    if (spare >= 1 && spare <= teamsOf(screen) * playersPerTeamOf(screen)) return std::nullopt;
    return spare;
}

void SimulatedInterface::buzzPlayer(ScreenPair screen, int player) {
    const int input = inputOfPlayer(screen, player);
    press(input);
    release(input);
}

std::vector<std::uint8_t> SimulatedInterface::wiredMap(std::uint16_t lines) {
    // Active low: a line held down reads 0.
    return {static_cast<std::uint8_t>(~lines & 0xFF), static_cast<std::uint8_t>(~lines >> 8)};
}

void SimulatedInterface::press(int input) { pressTogether({input}); }

void SimulatedInterface::pressTogether(const std::vector<int>& inputs) {
    if (isWiredBox()) {
        for (int input : inputs) {
            if (input < 0 || input >= kInputs) continue;
            const auto bit = static_cast<std::uint16_t>(1u << input);
            held_ |= bit;
            if (armed_ || buttonCodePending_) latched_ |= bit;
        }
        if (listening() && latched_ != 0) queueButtonCode(0);
        return;
    }
    if (!isWirelessBox() || !listening()) return;
    for (int input : inputs) {
        if (input < 0 || input >= kInputs) continue;
        queueButtonCode(input);
        return;
    }
}

void SimulatedInterface::release(int input) {
    if (input < 0 || input >= kInputs) return;
    held_ &= static_cast<std::uint16_t>(~(1u << input));
}

void SimulatedInterface::releaseAll() { held_ = 0; }

bool SimulatedInterface::isPressed(int input) const {
    if (input < 0 || input >= kInputs) return false;
    return (held_ >> input) & 1;
}

void SimulatedInterface::queueButtonCode(int transmitter) {
    Transfer t;
    // A wired box's bytes are filled in when the fetch begins.
    t.bytes = isWiredBox() ? wiredMap(0)
                           : std::vector<std::uint8_t>{static_cast<std::uint8_t>(transmitter)};
    t.latency = latency_;
    t.stallAfterBits = stallNext_;
    stallNext_ = -1;
    t.isBuzzCode = true;
    t.fromButtons = true;
    queued_.push_back(std::move(t));
    buttonCodePending_ = true;
}

void SimulatedInterface::dropButtonCode() {
    if (!buttonCodePending_) return;
    buttonCodePending_ = false;
    latched_ = 0;
    armed_ = false;
    std::erase_if(queued_, [](const Transfer& t) { return t.fromButtons; });
    if (current_.fromButtons) {
        outgoing_.clear();
        current_ = Transfer{};
        stalled_ = false;
        ready_ = true;
        data_ = false;
    }
}
