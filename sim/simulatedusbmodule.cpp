#include "sim/simulatedusbmodule.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kReportLength = 9;  // identifier byte and 8 data bytes
// As hidraw, each open handle keeps at most this many unread reports and
// drops what comes on top.
constexpr std::size_t kQueueDepth = 64;

}  // namespace

struct SimulatedUsbModule::Board {
    using Time = std::chrono::steady_clock::time_point;
    struct Report {
        std::vector<std::uint8_t> bytes;
        Time arrives;  // before then the host cannot see it
    };
    struct Queue {
        std::deque<Report> reports;
        bool dead = false;  // opened before the module was unplugged
    };

    bool attached = true;
    std::uint8_t port0Lines = 0xFF;
    std::uint8_t port1Lines = 0xFF;
    std::uint8_t port0Latch = 0xFF;
    std::uint8_t port1Latch = 0xFF;
    std::array<std::uint8_t, 4> channels{};
    int pendingConversion = -1;  // the value the next P0 read answers with
    std::vector<Queue*> queues;  // one per open handle
    int commands = 0;
    int portReads = 0;
    std::chrono::microseconds answerDelay{0};

    void answer(std::uint8_t command, std::uint8_t value) {
        std::vector<std::uint8_t> report(kReportLength, 0);
        report[1] = command;
        report[2] = value;
        const Time arrives = std::chrono::steady_clock::now() + answerDelay;
        for (Queue* q : queues) {
            if (!q->dead && q->reports.size() < kQueueDepth)
                q->reports.push_back({report, arrives});
        }
    }

    void command(std::uint8_t code, std::uint8_t data) {
        ++commands;
        switch (code) {
        case 1: port0Latch = data; break;
        case 2: {
            const bool fell = (port1Latch & 1) && !(data & 1);
            port1Latch = data;
            if (fell) {
                const bool b1 = data & 0x02;
                const bool b3 = data & 0x08;
                const int channel = b1 && b3 ? 0 : b1 ? 1 : b3 ? 2 : 3;
                pendingConversion = channels[static_cast<std::size_t>(channel)];
            }
            break;
        }
        case 3:
            ++portReads;
            if (pendingConversion >= 0) {
                answer(code, static_cast<std::uint8_t>(pendingConversion));
                pendingConversion = -1;
            } else {
                answer(code, port0Latch & port0Lines);
            }
            break;
        case 4:
            ++portReads;
            answer(code, port1Latch & port1Lines);
            break;
        default: break;
        }
    }
};

namespace {

class SimulatedHandle final : public usbio::HidHandle {
public:
    explicit SimulatedHandle(std::shared_ptr<SimulatedUsbModule::Board> board)
        : board_(std::move(board)) {
        board_->queues.push_back(&queue_);
    }
    ~SimulatedHandle() override { std::erase(board_->queues, &queue_); }

    SimulatedHandle(const SimulatedHandle&) = delete;
    SimulatedHandle& operator=(const SimulatedHandle&) = delete;

    int writeReport(std::span<const std::uint8_t> report) override {
        if (queue_.dead) return -1;
        if (report.size() < 3 || report[0] != 0) return -1;
        board_->command(report[1], report[2]);
        return static_cast<int>(report.size());
    }

    int readReport(std::span<std::uint8_t> buffer, int timeoutMs) override {
        if (queue_.dead) return -1;
        // Nothing asked for means nothing comes: no wait for it.
        if (queue_.reports.empty()) return 0;
        // An answer on its way is waited for, as long as the caller would.
        const auto now = std::chrono::steady_clock::now();
        const auto arrives = queue_.reports.front().arrives;
        if (arrives > now) {
            const auto limit = now + std::chrono::milliseconds(std::max(timeoutMs, 0));
            std::this_thread::sleep_until(std::min(arrives, limit));
            if (arrives > limit) return 0;
        }
        const std::vector<std::uint8_t> report = std::move(queue_.reports.front().bytes);
        queue_.reports.pop_front();
        const std::size_t n = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return static_cast<int>(n);
    }

    void discardQueuedReports() override {
        // Only what has arrived can be dropped.
        const auto now = std::chrono::steady_clock::now();
        while (!queue_.reports.empty() && queue_.reports.front().arrives <= now)
            queue_.reports.pop_front();
    }

    std::vector<std::uint8_t> reportDescriptor() override {
        return SimulatedUsbModule::descriptor();
    }

private:
    std::shared_ptr<SimulatedUsbModule::Board> board_;
    SimulatedUsbModule::Board::Queue queue_;
};

}  // namespace

SimulatedUsbModule::SimulatedUsbModule(QObject* parent)
    : QObject(parent), board_(std::make_shared<Board>()) {}

SimulatedUsbModule::~SimulatedUsbModule() = default;

std::vector<std::uint8_t> SimulatedUsbModule::descriptor() {
    return {
        0x06, 0x00, 0xFF,  // Usage Page (vendor defined)
        0x09, 0x01,        // Usage (1)
        0xA1, 0x01,        // Collection (Application)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x08,        //   Report Count (8)
        0x09, 0x01,        //   Usage (1)
        0x81, 0x02,        //   Input (Data, Variable, Absolute)
        0x95, 0x08,        //   Report Count (8)
        0x09, 0x01,        //   Usage (1)
        0x91, 0x02,        //   Output (Data, Variable, Absolute)
        0xC0,              // End Collection
    };
}

std::vector<usbio::HidDeviceInfo> SimulatedUsbModule::enumerate(std::uint16_t vendorId) {
    if (!board_->attached || (vendorId != 0 && vendorId != kVendorId)) return {};
    return {{kPath, kVendorId, kProductId}};
}

std::unique_ptr<usbio::HidHandle> SimulatedUsbModule::open(const std::string& path,
                                                           QString* error) {
    if (!board_->attached || path != kPath) {
        if (error) *error = QStringLiteral("No such device");
        return nullptr;
    }
    return std::make_unique<SimulatedHandle>(board_);
}

void SimulatedUsbModule::setAttached(bool attached) {
    if (board_->attached && !attached) {
        for (Board::Queue* q : board_->queues) {
            q->dead = true;
            q->reports.clear();
        }
    }
    board_->attached = attached;
}

bool SimulatedUsbModule::attached() const { return board_->attached; }

void SimulatedUsbModule::setAnswerDelay(std::chrono::microseconds delay) {
    board_->answerDelay = delay;
}

void SimulatedUsbModule::setPort0Lines(std::uint8_t lines) { board_->port0Lines = lines; }
std::uint8_t SimulatedUsbModule::port0Lines() const { return board_->port0Lines; }

void SimulatedUsbModule::setLine(int line, bool low) {
    if (line < 0 || line > 7) return;
    const auto bit = static_cast<std::uint8_t>(1u << line);
    if (low) {
        board_->port0Lines &= static_cast<std::uint8_t>(~bit);
    } else {
        board_->port0Lines |= bit;
    }
}

int SimulatedUsbModule::lineOfPlayer(int player) {
    if (player >= 1 && player <= 4) return player + 3;  // Alpha: lines 4 to 7
    if (player >= 5 && player <= 8) return player - 5;  // Beta: lines 0 to 3
    return -1;
}

void SimulatedUsbModule::pressPlayer(int player, bool pressed) {
    const int line = lineOfPlayer(player);
    if (line >= 0) setLine(line, pressed);
}

void SimulatedUsbModule::setPort1Lines(std::uint8_t lines) { board_->port1Lines = lines; }

void SimulatedUsbModule::setChannel(int channel, std::uint8_t value) {
    if (channel < 1 || channel > 4) return;
    board_->channels[static_cast<std::size_t>(channel - 1)] = value;
}

std::uint8_t SimulatedUsbModule::port0Latch() const { return board_->port0Latch; }
std::uint8_t SimulatedUsbModule::port1Latch() const { return board_->port1Latch; }
int SimulatedUsbModule::openHandles() const { return static_cast<int>(board_->queues.size()); }
int SimulatedUsbModule::commands() const { return board_->commands; }
int SimulatedUsbModule::portReads() const { return board_->portReads; }
