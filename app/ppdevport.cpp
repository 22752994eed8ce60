#include "app/ppdevport.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

int sysOpen(const char* path, int flags) { return ::open(path, flags | O_CLOEXEC); }
int sysIoctl(int fd, unsigned long request, void* arg) { return ::ioctl(fd, request, arg); }
int sysClose(int fd) { return ::close(fd); }

QString clip(const QString& text) { return text.left(kLastStateLength); }

}  // namespace

PpdevCalls PpdevCalls::system() { return {&sysOpen, &sysIoctl, &sysClose}; }

PpdevPort::PpdevPort(QString devicePath, QString procRoot, PpdevCalls calls)
    : path_(std::move(devicePath)), procRoot_(std::move(procRoot)), calls_(calls) {
    readBaseAddress();
    tryOpen();
}

PpdevPort::~PpdevPort() {
    if (fd_ >= 0) {
        calls_.ioctl(fd_, PPRELEASE, nullptr);
        calls_.close(fd_);
    }
}

void PpdevPort::readBaseAddress() {
    // "/dev/parport0" -> "/proc/sys/dev/parport/parport0/base-addr", which
    // holds the base address and the extended-mode address in decimal.
    const QString name = QFileInfo(path_).fileName();
    static const QRegularExpression portName(QStringLiteral("^parport\\d+$"));
    if (!portName.match(name).hasMatch()) return;
    QFile file(procRoot_ + u'/' + name + QStringLiteral("/base-addr"));
    if (!file.open(QIODevice::ReadOnly)) return;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    bool ok = false;
    const uint value = fields.value(0).toUInt(&ok);
    if (ok && value > 0 && value <= 0xFFFF) base_ = static_cast<std::uint16_t>(value);
}

bool PpdevPort::tryOpen() {
    if (fd_ >= 0) return true;
    const QByteArray native = QFile::encodeName(path_);
    const QString shortName = QFileInfo(path_).fileName();
    const int fd = calls_.open(native.constData(), O_RDWR);
    if (fd < 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM) {
            problem_ = QStringLiteral(
                           "Torvanel may not use the parallel port %1 (permission denied).\n\n"
                           "Add your user to the \"lp\" group (sudo adduser $USER lp), log out "
                           "and back in, then start Torvanel again. To practise without the "
                           "interface, start it with --interface sim.")
                           .arg(path_);
            state_ = clip(shortName + QStringLiteral(": join group lp"));
        } else if (err == ENOENT || err == ENXIO || err == ENODEV) {
            problem_ = QStringLiteral(
                           "There is no parallel port %1 on this computer.\n\n"
                           "Check that the port is enabled and the ppdev driver is loaded "
                           "(sudo modprobe ppdev), or start Torvanel with --interface sim.")
                           .arg(path_);
            state_ = clip(shortName + QStringLiteral(": no such port"));
        } else {
            problem_ = QStringLiteral("Torvanel cannot open the parallel port %1: %2.")
                           .arg(path_, QString::fromLocal8Bit(std::strerror(err)));
            state_ =
                clip(shortName + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)));
        }
        return false;
    }
    // Exclusive access must be asked for before the claim.
    if (calls_.ioctl(fd, PPEXCL, nullptr) < 0 || calls_.ioctl(fd, PPCLAIM, nullptr) < 0) {
        const int err = errno;
        calls_.close(fd);
        problem_ = QStringLiteral(
                       "The parallel port %1 is in use by another program (%2).\n\n"
                       "Stop the printer service or unload the lp driver (sudo rmmod lp), "
                       "then start Torvanel again.")
                       .arg(path_, QString::fromLocal8Bit(std::strerror(err)));
        state_ = clip(shortName + QStringLiteral(": port busy"));
        return false;
    }
    fd_ = fd;
    problem_.clear();
    state_ = clip(QStringLiteral("claimed ") + path_);
    return true;
}

int PpdevPort::version() {
    // The ppdev interface has no version of its own; this is the backend's.
    return 1;
}

std::uint16_t PpdevPort::lptPortAddress(int n) {
    (void)n;  // one device per run: the one named on the command line
    // A retry after the operator fixed the permissions gets a second chance.
    tryOpen();
    return base_;
}

bool PpdevPort::isWinNT() {
    // Port access goes through the kernel, as on that system family.
    return true;
}

QString PpdevPort::lastState() { return state_; }

void PpdevPort::outport(std::uint16_t address, std::uint8_t value) {
    if (fd_ < 0) return;
    if (address == base_) {
        unsigned char byte = value;
        calls_.ioctl(fd_, PPWDATA, &byte);
    } else if (address == base_ + 2) {
        unsigned char byte = value;
        calls_.ioctl(fd_, PPWCONTROL, &byte);
    }
}

std::uint8_t PpdevPort::inport(std::uint16_t address) {
    if (fd_ < 0) return 0xFF;
    unsigned char byte = 0xFF;
    unsigned long request = 0;
    if (address == base_) {
        request = PPRDATA;
    } else if (address == base_ + 1) {
        request = PPRSTATUS;
    } else if (address == base_ + 2) {
        request = PPRCONTROL;
    } else {
        return 0xFF;
    }
    if (calls_.ioctl(fd_, request, &byte) < 0) return 0xFF;
    return byte;
}
