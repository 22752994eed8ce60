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
                           "and back in, then start Torvanel again.")
                           .arg(path_);
            state_ = clip(shortName + QStringLiteral(": join group lp"));
        } else if (err == ENOENT || err == ENXIO || err == ENODEV) {
            problem_ = QStringLiteral(
                           "There is no parallel port %1 on this computer.\n\n"
                           "Check that the port is enabled and the ppdev driver is loaded "
                           "(sudo modprobe ppdev).")
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

    // A claim waits, without a time limit, for whoever holds the port to let
    // go of it; when another program holds it, say so instead of hanging.
    const QString holder = activeHolder();
    if (!holder.isEmpty()) {
        calls_.close(fd);
        setInUse(holder);
        return false;
    }

    // No PPEXCL: it fails whenever any other driver is registered on the
    // port, and the printer driver lp nearly always is. A plain claim gives
    // us sole use of the lines while we hold it all the same; lp only takes
    // the port for the moment it prints.
    if (calls_.ioctl(fd, PPCLAIM, nullptr) < 0) {
        const int err = errno;
        calls_.close(fd);
        setClaimProblem(err);
        return false;
    }
    // A port left in reverse mode (by a scanner driver, say) would not drive
    // the data lines, and the interface would never hear a request.
    int forward = 0;
    if (calls_.ioctl(fd, PPDATADIR, &forward) < 0) {
        const int err = errno;
        calls_.ioctl(fd, PPRELEASE, nullptr);
        calls_.close(fd);
        setClaimProblem(err);
        return false;
    }
    fd_ = fd;
    problem_.clear();
    state_ = clip(QStringLiteral("claimed ") + path_);
    return true;
}

QString PpdevPort::activeHolder() const {
    // /proc/sys/dev/parport/parportN/devices/active names the device that
    // holds the port now, "none" when it is free.
    const QString name = QFileInfo(path_).fileName();
    QFile file(procRoot_ + u'/' + name + QStringLiteral("/devices/active"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QString holder = QString::fromLocal8Bit(file.readAll()).trimmed();
    return holder == QLatin1String("none") ? QString() : holder;
}

void PpdevPort::setInUse(const QString& holder) {
    problem_ = QStringLiteral(
                   "The parallel port %1 is in use by %2.\n\n"
                   "Close the other program that uses the port (another Torvanel, a "
                   "printer or scanner program), then choose Retry.")
                   .arg(path_, holder.isEmpty() ? QStringLiteral("another program") : holder);
    state_ = clip(QFileInfo(path_).fileName() + QStringLiteral(": port busy"));
}

void PpdevPort::setClaimProblem(int err) {
    const QString shortName = QFileInfo(path_).fileName();
    switch (err) {
    case ENOTTY:
    case EINVAL:
    case ENOSYS:
    case EOPNOTSUPP:
        // The device answers, but not to the parallel-port requests: a USB
        // printer cable (/dev/usb/lp0) and the like, which only pass whole
        // print jobs and cannot set the lines one by one.
        problem_ = QStringLiteral(
                       "%1 is not a parallel port Torvanel can use.\n\n"
                       "Torvanel sets the port's lines one by one, which needs a real "
                       "parallel port (on the main board or a PCI or PCIe card, seen as "
                       "/dev/parport0, /dev/parport1, ...). A USB printer cable cannot do "
                       "that.")
                       .arg(path_);
        state_ = clip(shortName + QStringLiteral(": not a parallel port"));
        return;
    case EBUSY:
    case EAGAIN:
    case EINTR:
    case ENXIO:  // another program registered for sole use of the port
        setInUse(QString());
        return;
    default:
        problem_ = QStringLiteral("Torvanel cannot claim the parallel port %1: %2.")
                       .arg(path_, QString::fromLocal8Bit(std::strerror(err)));
        state_ =
            clip(shortName + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(err)));
        return;
    }
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
