#include "buttons/buttonassignment.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/savefile.h"

namespace buttons {

namespace {

const QString kFormat = QStringLiteral("torvanel-buttons");

QString hex4(int v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); }

}  // namespace

void ButtonAssignment::bind(const DeviceIdentity& device, const QString& deviceName, int code,
                            int player) {
    std::erase_if(bindings_, [&](const Binding& b) {
        return b.player == player || (b.code == code && b.device == device);
    });
    bindings_.push_back({device, deviceName, code, player});
    std::stable_sort(bindings_.begin(), bindings_.end(),
                     [](const Binding& a, const Binding& b) { return a.player < b.player; });
}

void ButtonAssignment::unbindPlayer(int player) {
    std::erase_if(bindings_, [&](const Binding& b) { return b.player == player; });
}

std::optional<int> ButtonAssignment::playerOf(const DeviceIdentity& device, int code) const {
    for (const Binding& b : bindings_) {
        if (b.code == code && b.device == device) return b.player;
    }
    return std::nullopt;
}

const Binding* ButtonAssignment::bindingOf(int player) const {
    for (const Binding& b : bindings_) {
        if (b.player == player) return &b;
    }
    return nullptr;
}

bool ButtonAssignment::hasDevice(const DeviceIdentity& device) const {
    return std::any_of(bindings_.begin(), bindings_.end(),
                       [&](const Binding& b) { return b.device == device; });
}

QByteArray ButtonAssignment::toJson() const {
    QJsonArray list;
    for (const Binding& b : bindings_) {
        QJsonObject device{{"vendor", hex4(b.device.vendor)},
                           {"product", hex4(b.device.product)},
                           {"serial", b.device.serial},
                           {"phys", b.device.phys},
                           {"name", b.deviceName}};
        QJsonObject entry{{"device", device}, {"code", b.code}};
        if (b.player == kExtra) {
            entry.insert(QStringLiteral("extra"), true);
        } else {
            entry.insert(QStringLiteral("player"), b.player);
        }
        list.append(entry);
    }
    const QJsonObject root{{"format", kFormat}, {"version", kVersion}, {"bindings", list}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ButtonAssignment> ButtonAssignment::fromJson(const QByteArray& json, QString* error) {
    auto fail = [&](const QString& why) -> std::optional<ButtonAssignment> {
        if (error) *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) return fail(parseError.errorString());
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat)
        return fail(QStringLiteral("not a button assignment"));
    const int version = root.value(QStringLiteral("version")).toInt(-1);
    if (version < 1 || version > kVersion)
        return fail(QStringLiteral("version %1 is not one this program reads").arg(version));

    // An empty list is an assignment; no list at all is a damaged file,
    // which must not pass for one that binds nothing.
    const QJsonValue bindings = root.value(QStringLiteral("bindings"));
    if (!bindings.isArray()) return fail(QStringLiteral("it has no list of bindings"));
    ButtonAssignment result;
    for (const QJsonValue& value : bindings.toArray()) {
        const QJsonObject entry = value.toObject();
        const QJsonObject device = entry.value(QStringLiteral("device")).toObject();
        bool vendorOk = false;
        bool productOk = false;
        Binding b;
        b.device.vendor = device.value(QStringLiteral("vendor")).toString().toInt(&vendorOk, 16);
        b.device.product = device.value(QStringLiteral("product")).toString().toInt(&productOk, 16);
        b.device.serial = device.value(QStringLiteral("serial")).toString();
        b.device.phys = device.value(QStringLiteral("phys")).toString();
        b.deviceName = device.value(QStringLiteral("name")).toString();
        b.code = entry.value(QStringLiteral("code")).toInt(-1);
        const bool extra = entry.value(QStringLiteral("extra")).toBool(false);
        b.player = extra ? kExtra : entry.value(QStringLiteral("player")).toInt(-1);
        if (!vendorOk || !productOk || b.code < 0 || b.code > 0x2ff || b.player < 0 ||
            b.player > 15) {
            return fail(QStringLiteral("binding %1 is incomplete or out of range")
                            .arg(result.bindings_.size() + 1));
        }
        result.bind(b.device, b.deviceName, b.code, b.player);
    }
    return result;
}

bool ButtonAssignment::save(const QString& path, QString* error, QString* movedAside) const {
    // A file this program cannot read (damaged, or from a newer version)
    // may still be worth something to someone: it is kept under another
    // name rather than written over.
    QString unreadable;
    if (QFileInfo::exists(path) && !load(path, &unreadable)) {
        const QString aside =
            files::asideName(path, QDateTime::currentDateTime(), QStringLiteral("unreadable"));
        if (!QFile::rename(path, aside)) {
            if (error) {
                *error = QStringLiteral("the unreadable file there (%1) could not be put aside")
                             .arg(unreadable);
            }
            return false;
        }
        if (movedAside) *movedAside = aside;
    }
    if (const auto failure = files::saveAtomically(path, toJson())) {
        if (error) *error = *failure;
        return false;
    }
    return true;
}

std::optional<ButtonAssignment> ButtonAssignment::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists()) return ButtonAssignment{};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return std::nullopt;
    }
    return fromJson(file.readAll(), error);
}

}  // namespace buttons
