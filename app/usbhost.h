#pragma once

#include <memory>

#include <QObject>

class Program;

// The class identifier the USB module's control is registered under.
inline constexpr const char* kUsbClassId = "USB_ActiveX.USB";

// A new instance of the USB module's control from the program's object
// host, owned by the caller; its methods (Find_USB_Device, RD_P0, ...) are
// called by name with callMethod. With the simulated interface the control
// is handed the simulated module, so the real control code runs against it.
// nullptr when the control cannot be had (its plugin is not installed), or
// when it cannot take the simulated module: a simulation never reaches for
// real hardware.
std::unique_ptr<QObject> createUsbControl(Program& program);
