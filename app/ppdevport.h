#pragma once

#include <cstdint>

#include <QString>

#include "app/portlibrary.h"

// The system calls the parallel-port backend makes, gathered in one place so
// that tests can stand in for a port this machine does not have.
struct PpdevCalls {
    int (*open)(const char* path, int flags);
    int (*ioctl)(int fd, unsigned long request, void* arg);
    int (*close)(int fd);

    static PpdevCalls system();
};

// A real parallel port through the Linux ppdev driver (/dev/parportN).
//
// The device is claimed for as long as it is open (the kernel then lets no
// other driver near the lines) and its data lines are set to drive. When it
// cannot be used, problem() says why: no such port, no permission, a device
// that is not a parallel port, or a port another program holds. The data
// register is written with PPWDATA, the status register read with
// PPRSTATUS. The port answers at the base address the kernel reports for
// it; any other address reaches nothing (writes are dropped, reads return
// 0xFF as a bus with nothing on it does).
class PpdevPort final : public PortLibrary {
public:
    explicit PpdevPort(QString devicePath,
                       QString procRoot = QStringLiteral("/proc/sys/dev/parport"),
                       PpdevCalls calls = PpdevCalls::system());
    ~PpdevPort() override;

    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    int version() override;
    std::uint16_t lptPortAddress(int n) override;
    bool isWinNT() override;
    QString lastState() override;
    void outport(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inport(std::uint16_t address) override;

    bool isOpen() const { return fd_ >= 0; }
    // Why the device could not be used, in words an operator can act on;
    // empty while it is open.
    QString problem() const { return problem_; }
    QString devicePath() const { return path_; }

    // The base address the kernel reports for the device, 888 when it
    // reports none (as for some USB adapters).
    std::uint16_t baseAddress() const { return base_; }

private:
    bool tryOpen();
    void readBaseAddress();
    QString activeHolder() const;
    void setInUse(const QString& holder);
    void setClaimProblem(int err);

    QString path_;
    QString procRoot_;
    PpdevCalls calls_;
    int fd_ = -1;
    std::uint16_t base_ = 888;
    QString state_;
    QString problem_;
};
