#include "buttons/evdevpresssource.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace buttons {

namespace {

// How long a node may refuse us before we say so: udev gives a new node its
// group and mode just after the kernel creates it.
constexpr double kPermissionGrace = 1.0;

double monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

QString readLine(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll()).trimmed();
}

}  // namespace

EvdevPressSource::EvdevPressSource(QString deviceFolder, QString sysfsFolder)
    : deviceFolder_(std::move(deviceFolder)), sysfsFolder_(std::move(sysfsFolder)) {
    watch();
}

EvdevPressSource::~EvdevPressSource() {
    for (auto& [node, open] : open_)
        close(open);
    if (inotify_ >= 0) ::close(inotify_);
}

void EvdevPressSource::watch() {
    if (inotify_ < 0) {
        inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ < 0) {
            watchProblem_ = qt_error_string(errno);
            return;
        }
    }
    const QByteArray folder = QFile::encodeName(deviceFolder_);
    watch_ = inotify_add_watch(inotify_, folder.constData(),
                               IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVE_SELF);
    // A folder that is not there yet is watched from when it appears; any
    // other refusal leaves no hot-plug at all, and that is said.
    if (watch_ < 0 && errno != ENOENT && errno != ENOTDIR) {
        watchProblem_ = qt_error_string(errno);
        ::close(inotify_);
        inotify_ = -1;
    }
}

void EvdevPressSource::setSelection(Selection selection) {
    selection_ = std::move(selection);
    rescan_ = true;
}

DeviceInfo EvdevPressSource::describe(const QString& sysfsFolder, const QString& node) {
    // eventN/device is the inputN the node belongs to.
    const QString base = sysfsFolder + u'/' + node + QStringLiteral("/device/");
    DeviceInfo info;
    info.name = readLine(base + QStringLiteral("name"));
    info.identity.vendor = readLine(base + QStringLiteral("id/vendor")).toInt(nullptr, 16);
    info.identity.product = readLine(base + QStringLiteral("id/product")).toInt(nullptr, 16);
    info.identity.serial = readLine(base + QStringLiteral("uniq"));
    info.identity.phys = readLine(base + QStringLiteral("phys"));
    return info;
}

// True when the folder changed.
bool EvdevPressSource::readWatch() {
    if (inotify_ < 0) return false;
    bool changed = false;
    if (watch_ < 0) {
        // No device folder when we looked (no input device yet, or a
        // container given its devices later): it may be there now.
        watch();
        if (watch_ < 0) return false;
        changed = true;
    }
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(inotify_, buffer, sizeof buffer);
        if (n <= 0) break;
        changed = true;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof event);
            // The folder itself went away or was moved: watched again once
            // it is back.
            if (event.mask & IN_MOVE_SELF) inotify_rm_watch(inotify_, watch_);
            if (event.mask & (IN_IGNORED | IN_MOVE_SELF)) watch_ = -1;
            at += ssize_t(sizeof(inotify_event)) + event.len;
        }
    }
    return changed;
}

void EvdevPressSource::drain(std::vector<DeviceChange>& changes, std::vector<InputEvent>& events) {
    if (!watchProblem_.isEmpty()) {
        // Said once: the devices there now still work.
        DeviceInfo folder;
        folder.path = deviceFolder_;
        folder.name = std::exchange(watchProblem_, QString());
        changes.push_back({DeviceChange::Kind::NoHotPlug, folder});
    }
    if (readWatch()) rescan_ = true;
    // A refused node is tried again until it opens or we have said so.
    if (denied_.size() > namedDenied_.size()) rescan_ = true;
    if (rescan_) rescan(changes);

    for (auto it = open_.begin(); it != open_.end();) {
        bool gone = false;
        readDevice(it->second, events, gone);
        if (gone) {
            changes.push_back({DeviceChange::Kind::Removed, it->second.info});
            close(it->second);
            it = open_.erase(it);
        } else {
            ++it;
        }
    }
}

void EvdevPressSource::rescan(std::vector<DeviceChange>& changes) {
    rescan_ = false;
    const bool started = started_;
    started_ = true;
    const QStringList nodes =
        QDir(deviceFolder_).entryList({QStringLiteral("event*")}, QDir::System | QDir::Files);
    const double now = monotonicNow();

    // Let go of what went away or is no longer wanted.
    for (auto it = open_.begin(); it != open_.end();) {
        const bool present = nodes.contains(it->first);
        const bool wanted = selection_.wanted && selection_.wanted(it->second.info.identity);
        if (present && wanted) {
            // The grab follows the selection without reopening.
            if (it->second.grabbed != selection_.grab) {
                it->second.grabbed =
                    libevdev_grab(it->second.dev,
                                  selection_.grab ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0 &&
                    selection_.grab;
                if (selection_.grab && !it->second.grabbed)
                    changes.push_back({DeviceChange::Kind::NotGrabbed, it->second.info});
            }
            ++it;
            continue;
        }
        changes.push_back({DeviceChange::Kind::Removed, it->second.info});
        close(it->second);
        it = open_.erase(it);
    }
    for (auto it = denied_.begin(); it != denied_.end();) {
        if (!nodes.contains(it->first)) {
            namedDenied_.erase(it->first);
            it = denied_.erase(it);
        } else {
            ++it;
        }
    }

    for (const QString& node : nodes) {
        if (open_.count(node) > 0) continue;
        DeviceInfo info = describe(sysfsFolder_, node);
        info.path = deviceFolder_ + u'/' + node;
        if (!selection_.wanted || !selection_.wanted(info.identity)) continue;
        openNode(node, info, started, changes);
        if (open_.count(node) > 0) continue;
        // Not opened: refused, or not a device with keys.
        const auto refused = denied_.find(node);
        if (refused == denied_.end()) continue;
        if (now - refused->second >= kPermissionGrace && namedDenied_.insert(node).second)
            changes.push_back({DeviceChange::Kind::PermissionDenied, info});
    }
}

void EvdevPressSource::openNode(const QString& node, const DeviceInfo& described, bool started,
                                std::vector<DeviceChange>& changes) {
    const QByteArray path = QFile::encodeName(described.path);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM) {
            // A node we have never seen is given the grace; one present at
            // start-up had its permissions long ago.
            denied_.emplace(node, started ? monotonicNow() : monotonicNow() - kPermissionGrace);
        }
        return;
    }
    denied_.erase(node);
    namedDenied_.erase(node);
    libevdev* dev = nullptr;
    if (libevdev_new_from_fd(fd, &dev) < 0) {
        ::close(fd);
        return;
    }
    // Only devices with keys or buttons can be buzzers.
    if (!libevdev_has_event_type(dev, EV_KEY)) {
        libevdev_free(dev);
        ::close(fd);
        return;
    }
    // Timestamps on the clock the program's budgets use.
    libevdev_set_clock_id(dev, CLOCK_MONOTONIC);
    Open open;
    open.fd = fd;
    open.dev = dev;
    open.info = described;
    open.info.id = nextId_++;
    if (const char* name = libevdev_get_name(dev)) open.info.name = QString::fromUtf8(name);
    if (selection_.grab) open.grabbed = libevdev_grab(dev, LIBEVDEV_GRAB) == 0;
    changes.push_back({DeviceChange::Kind::Added, open.info});
    if (selection_.grab && !open.grabbed)
        changes.push_back({DeviceChange::Kind::NotGrabbed, open.info});
    open_.emplace(node, open);
}

void EvdevPressSource::close(Open& open) {
    if (open.dev) {
        if (open.grabbed) libevdev_grab(open.dev, LIBEVDEV_UNGRAB);
        libevdev_free(open.dev);
    }
    if (open.fd >= 0) ::close(open.fd);
    open.dev = nullptr;
    open.fd = -1;
}

void EvdevPressSource::readDevice(Open& open, std::vector<InputEvent>& events, bool& gone) {
    input_event ev{};
    unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
    for (;;) {
        const int rc = libevdev_next_event(open.dev, flags, &ev);
        if (rc == LIBEVDEV_READ_STATUS_SYNC) {
            // The kernel's buffer overflowed; the sync events describe state,
            // not presses with a true time, so they are read and dropped.
            flags = LIBEVDEV_READ_FLAG_SYNC;
            continue;
        }
        if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
            if (flags == LIBEVDEV_READ_FLAG_SYNC) continue;
            if (ev.type != EV_KEY) continue;
            events.push_back({open.info.id,
                              static_cast<std::int64_t>(ev.input_event_sec) * 1000000 +
                                  static_cast<std::int64_t>(ev.input_event_usec),
                              ev.type, ev.code, ev.value});
            continue;
        }
        if (rc == -EAGAIN) {
            if (flags == LIBEVDEV_READ_FLAG_SYNC) {
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            return;
        }
        // ENODEV: unplugged. Anything else leaves the device unreadable too.
        gone = true;
        return;
    }
}

}  // namespace buttons
