#include "usb/reportdescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace usbio {

namespace {

// The largest report the Linux HID layer transfers; anything beyond it is a
// broken descriptor, not a device.
constexpr std::uint64_t kMaxReportBits = 4096 * 8;

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

// Main item tags.
constexpr std::uint8_t kInput = 0x8;
constexpr std::uint8_t kOutput = 0x9;
// Global item tags.
constexpr std::uint8_t kReportSize = 0x7;
constexpr std::uint8_t kReportId = 0x8;
constexpr std::uint8_t kReportCount = 0x9;
constexpr std::uint8_t kPush = 0xA;
constexpr std::uint8_t kPop = 0xB;

constexpr std::uint8_t kLongItem = 0xFE;

struct Globals {
    std::uint64_t size = 0;
    std::uint64_t count = 0;
    std::uint32_t id = 0;
};

int lengthOf(const std::map<std::uint32_t, std::uint64_t>& bits) {
    std::uint64_t longest = 0;
    for (const auto& [id, total] : bits)
        longest = std::max(longest, total);
    if (longest == 0) return 0;
    return static_cast<int>((longest + 7) / 8) + 1;
}

}  // namespace

std::optional<ReportLayout> parseReportDescriptor(std::span<const std::uint8_t> d) {
    if (d.empty()) return std::nullopt;

    Globals globals;
    std::vector<Globals> stack;
    std::map<std::uint32_t, std::uint64_t> inputBits;
    std::map<std::uint32_t, std::uint64_t> outputBits;
    bool numbered = false;

    std::size_t i = 0;
    while (i < d.size()) {
        const std::uint8_t prefix = d[i];
        if (prefix == kLongItem) {
            // Long items carry their own size and mean nothing to us.
            if (i + 2 >= d.size()) return std::nullopt;
            i += 3 + d[i + 1];
            if (i > d.size()) return std::nullopt;
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > d.size()) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < size; ++b) {
            value |= static_cast<std::uint32_t>(d[i + 1 + b]) << (8 * b);
        }
        const std::uint8_t type = (prefix >> 2) & 3;
        const std::uint8_t tag = prefix >> 4;
        i += 1 + size;

        if (type == kGlobal) {
            switch (tag) {
            case kReportSize: globals.size = value; break;
            case kReportCount: globals.count = value; break;
            case kReportId:
                // Identifier 0 is reserved for devices that number nothing.
                if (value == 0) return std::nullopt;
                globals.id = value;
                numbered = true;
                break;
            case kPush: stack.push_back(globals); break;
            case kPop:
                if (stack.empty()) return std::nullopt;
                globals = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        } else if (type == kMain && (tag == kInput || tag == kOutput)) {
            if (globals.size > kMaxReportBits || globals.count > kMaxReportBits) {
                return std::nullopt;
            }
            auto& bits = tag == kInput ? inputBits : outputBits;
            std::uint64_t& total = bits[globals.id];
            total += globals.size * globals.count;
            if (total > kMaxReportBits) return std::nullopt;
        }
    }

    ReportLayout layout;
    layout.inputLength = lengthOf(inputBits);
    layout.outputLength = lengthOf(outputBits);
    layout.numbered = numbered;
    return layout;
}

}  // namespace usbio
