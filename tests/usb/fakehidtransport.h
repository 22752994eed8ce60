#pragma once

// A HID transport for the control's tests: modules that answer the command
// reports (or fail to, on request), with everything the control did logged.

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "usb/hidtransport.h"

struct FakeModule {
    enum class Answer {
        Immediately,  // the input report waits before the read is made
        Never,        // no input report ever comes
        Late,         // the report comes only after the read has given up
    };

    std::string path;
    std::uint16_t vendorId = 3250;
    std::uint16_t productId = 1;
    // Opens that succeed before the next ones fail (-1: all succeed).
    int opensAllowed = -1;
    QString openError = QStringLiteral("Permission denied");
    // 8-byte input and output reports, no identifiers.
    std::vector<std::uint8_t> descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75,
                                            0x08, 0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0x95,
                                            0x08, 0x09, 0x01, 0x91, 0x02, 0xC0};
    Answer answer = Answer::Immediately;
    // Bytes of an input report, the identifier byte included.
    std::size_t answerLength = 9;
    bool unplugged = false;  // handles fail, as after the cable was pulled
    bool ioFails = false;    // handles fail while the module stays listed
    std::uint8_t p0 = 0xFF;
    std::uint8_t p1 = 0x00;

    // Command reports received, whole.
    std::vector<std::vector<std::uint8_t>> reports;

    // Answers made and not yet delivered, and those waiting to be read.
    std::vector<std::vector<std::uint8_t>> answers;
    std::deque<std::vector<std::uint8_t>> queue;

    void deliver() {
        for (auto& a : answers)
            queue.push_back(std::move(a));
        answers.clear();
    }
};

struct FakeHid {
    std::vector<std::shared_ptr<FakeModule>> devices;
    // In order: "search", "open <path>", "write <command> <data>",
    // "pause <ms>", "read", "discard". Tests may add their own.
    std::vector<std::string> events;
    std::vector<int> readTimeouts;
    int openHandles = 0;
    int enumerations = 0;

    std::shared_ptr<FakeModule> add(std::string path, std::uint16_t vendor = 3250,
                                    std::uint16_t product = 1) {
        auto m = std::make_shared<FakeModule>();
        m->path = std::move(path);
        m->vendorId = vendor;
        m->productId = product;
        devices.push_back(m);
        return m;
    }

    // The events, with those of `kind` ("write", "read", ...) only.
    std::vector<std::string> only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            if (e.rfind(kind, 0) == 0) out.push_back(e);
        }
        return out;
    }
    int reportsSent() const {
        int n = 0;
        for (const auto& d : devices)
            n += static_cast<int>(d->reports.size());
        return n;
    }
};

class FakeHandle final : public usbio::HidHandle {
public:
    FakeHandle(std::shared_ptr<FakeHid> hid, std::shared_ptr<FakeModule> module)
        : hid_(std::move(hid)), module_(std::move(module)) {
        ++hid_->openHandles;
    }
    ~FakeHandle() override { --hid_->openHandles; }

    FakeHandle(const FakeHandle&) = delete;
    FakeHandle& operator=(const FakeHandle&) = delete;

    int writeReport(std::span<const std::uint8_t> report) override {
        hid_->events.push_back("write " + std::to_string(report.size() > 1 ? report[1] : -1) + " " +
                               std::to_string(report.size() > 2 ? report[2] : -1));
        if (module_->unplugged || module_->ioFails) return -1;
        module_->reports.emplace_back(report.begin(), report.end());
        if (report.size() > 2) {
            const std::uint8_t command = report[1];
            if (command == 1) module_->p0 = report[2];
            if (command == 2) module_->p1 = report[2];
            if (command == 3 || command == 4) {
                std::vector<std::uint8_t> answer(std::max<std::size_t>(module_->answerLength, 1),
                                                 0);
                if (answer.size() > 1) answer[1] = command;
                if (answer.size() > 2) answer[2] = command == 3 ? module_->p0 : module_->p1;
                module_->answers.push_back(std::move(answer));
            }
        }
        return static_cast<int>(report.size());
    }

    int readReport(std::span<std::uint8_t> buffer, int timeoutMs) override {
        hid_->events.push_back("read");
        hid_->readTimeouts.push_back(timeoutMs);
        if (module_->unplugged || module_->ioFails) return -1;
        if (module_->answer == FakeModule::Answer::Immediately) module_->deliver();
        if (module_->queue.empty()) {
            // A late answer arrives once the read has been given up.
            if (module_->answer == FakeModule::Answer::Late) module_->deliver();
            return 0;
        }
        const auto report = module_->queue.front();
        module_->queue.pop_front();
        const std::size_t n = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return static_cast<int>(n);
    }

    void discardQueuedReports() override {
        hid_->events.push_back("discard");
        module_->queue.clear();
    }

    std::vector<std::uint8_t> reportDescriptor() override { return module_->descriptor; }

private:
    std::shared_ptr<FakeHid> hid_;
    std::shared_ptr<FakeModule> module_;
};

class FakeHidTransport final : public usbio::HidTransport {
public:
    explicit FakeHidTransport(std::shared_ptr<FakeHid> hid) : hid_(std::move(hid)) {}

    std::vector<usbio::HidDeviceInfo> enumerate(std::uint16_t vendorId) override {
        (void)vendorId;  // every device, so the control's own matching is seen
        hid_->events.push_back("search");
        ++hid_->enumerations;
        std::vector<usbio::HidDeviceInfo> list;
        for (const auto& d : hid_->devices) {
            if (!d->unplugged) list.push_back({d->path, d->vendorId, d->productId});
        }
        return list;
    }

    std::unique_ptr<usbio::HidHandle> open(const std::string& path, QString* error) override {
        hid_->events.push_back("open " + path);
        for (const auto& d : hid_->devices) {
            if (d->path != path || d->unplugged) continue;
            if (d->opensAllowed == 0) {
                if (error) *error = d->openError;
                return nullptr;
            }
            if (d->opensAllowed > 0) --d->opensAllowed;
            return std::make_unique<FakeHandle>(hid_, d);
        }
        if (error) *error = QStringLiteral("No such device");
        return nullptr;
    }

private:
    std::shared_ptr<FakeHid> hid_;
};
