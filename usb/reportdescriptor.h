#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace usbio {

// What the control needs to know of a HID device's reports, counted the way
// the host exchanges them: each length includes the report-identifier byte
// that leads every report on the host side, numbered or not.
struct ReportLayout {
    int inputLength = 0;    // the longest input report; 0 when there is none
    int outputLength = 0;   // the longest output report; 0 when there is none
    bool numbered = false;  // the device tags its reports with an identifier
};

// Reads the Report Size, Report Count and Report ID items of a report
// descriptor and sums the Input and Output main items per report. Nothing
// when the descriptor is empty, cut short or describes reports larger than
// any HID transfer can be.
std::optional<ReportLayout> parseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace usbio
