#include "scoresheet/qbjreader.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

namespace scoresheet {

namespace {

const QString kTooLarge = QStringLiteral("This file is too large to take teams from: ");

// How a control character is named to the operator.
QString controlName(char16_t c) {
    switch (c) {
    case 0x00: return QStringLiteral("NUL");
    case 0x09: return QStringLiteral("a tab");
    case 0x0a:
    case 0x0d: return QStringLiteral("a line break");
    case 0x1b: return QStringLiteral("ESC");
    case 0x7f: return QStringLiteral("DEL");
    default: return QStringLiteral("U+%1").arg(int(c), 4, 16, QLatin1Char('0')).toUpper();
    }
}

bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7f && c <= 0x9f); }

// The type of an object; the moderator app's roster files write none, so a
// tournament is known by its registrations and a registration by its teams.
QString typeOf(const QJsonObject& o) {
    const QJsonValue type = o.value(QStringLiteral("type"));
    if (type.isString()) return type.toString();
    if (o.value(QStringLiteral("registrations")).isArray()) return QStringLiteral("Tournament");
    if (o.value(QStringLiteral("teams")).isArray()) return QStringLiteral("Registration");
    return {};
}

class RosterWalk {
public:
    explicit RosterWalk(const QJsonArray& objects) : objects_(objects) {
        for (const QJsonValue& v : objects)
            index(v);
    }

    Roster read() {
        // Registrations and tournaments first, so that teams come out in the
        // order their schools were entered; top-level teams no one lists
        // follow.
        for (const QJsonValue& v : objects_) {
            const QJsonObject o = v.toObject();
            const QString type = typeOf(o);
            if (type == QLatin1String("Tournament"))
                for (const QJsonValue& r : o.value(QStringLiteral("registrations")).toArray())
                    registration(resolve(r));
            else if (type == QLatin1String("Registration"))
                registration(o);
            if (!error_.isEmpty()) return failed();
        }
        for (const QJsonValue& v : objects_) {
            const QJsonObject o = v.toObject();
            if (o.value(QStringLiteral("type")).toString() == QLatin1String("Team")) team(o);
            if (!error_.isEmpty()) return failed();
        }
        return std::move(roster_);
    }

private:
    Roster failed() {
        Roster r;
        r.error = error_;
        return r;
    }

    // Every object with an id, wherever it is defined, so that references
    // to players defined inside a team resolve too. The objects are shared
    // with the document, not copied.
    void index(const QJsonValue& v) {
        if (v.isArray()) {
            for (const QJsonValue& e : v.toArray())
                index(e);
        } else if (v.isObject()) {
            const QJsonObject o = v.toObject();
            const QJsonValue id = o.value(QStringLiteral("id"));
            if (id.isString() && !o.contains(QStringLiteral("$ref")) &&
                !byId_.contains(id.toString()))
                byId_.insert(id.toString(), o);
            for (const QJsonValue& field : o)
                index(field);
        }
    }

    QJsonObject resolve(const QJsonValue& v) const {
        const QJsonObject o = v.toObject();
        const QJsonValue target = o.value(QStringLiteral("$ref"));
        if (target.isString()) return byId_.value(target.toString());
        return o;
    }

    // The name of an object, checked; an object with an id gives its name
    // once however often it is referenced, so every reference shares it.
    QString nameOf(const QJsonObject& o, const QString& what) {
        const QString id = o.value(QStringLiteral("id")).toString();
        if (!id.isEmpty()) {
            const auto known = names_.constFind(id);
            if (known != names_.cend()) return *known;
        }
        const QJsonValue value = o.value(QStringLiteral("name"));
        QString name;
        // The length is checked before the name is trimmed, so a name of
        // millions of spaces costs no more than a long one.
        if (value.isString()) {
            name = value.toString();
            if (name.size() > 4 * kMaxRosterNameLength) name.truncate(4 * kMaxRosterNameLength);
            name = name.trimmed();
        }
        if (name.size() > kMaxRosterNameLength) {
            error_ = kTooLarge + QStringLiteral("a %1 name is longer than %2 characters.")
                                     .arg(what)
                                     .arg(kMaxRosterNameLength);
            return {};
        }
        for (const QChar c : name) {
            if (!isControl(c.unicode())) continue;
            QString shown = name.left(60);
            for (QChar& s : shown)
                if (isControl(s.unicode())) s = QLatin1Char('?');
            error_ = QStringLiteral(
                         "A %1 name in this file holds a control character (%2): "
                         "\"%3\". A name is plain text; correct the file and open "
                         "it again.")
                         .arg(what, controlName(c.unicode()), shown);
            return {};
        }
        if (!id.isEmpty()) names_.insert(id, name);
        return name;
    }

    void registration(const QJsonObject& r) {
        for (const QJsonValue& t : r.value(QStringLiteral("teams")).toArray()) {
            team(resolve(t), &r);
            if (!error_.isEmpty()) return;
        }
    }

    void team(const QJsonObject& t, const QJsonObject* school = nullptr) {
        const QString name = nameOf(t, QStringLiteral("team"));
        if (name.isEmpty()) return;
        const QString key = t.value(QStringLiteral("id")).toString();
        if (!seen_.insert(key.isEmpty() ? QStringLiteral("name:") + name : key).second) return;
        if (int(roster_.teams.size()) >= kMaxRosterTeams) {
            error_ =
                kTooLarge + QStringLiteral("it lists more than %1 teams.").arg(kMaxRosterTeams);
            return;
        }
        const QJsonArray players = t.value(QStringLiteral("players")).toArray();
        if (players.size() > kMaxTeamPlayers) {
            error_ = kTooLarge + QStringLiteral("the team \"%1\" lists more than %2 players.")
                                     .arg(name)
                                     .arg(kMaxTeamPlayers);
            return;
        }
        RosterTeam team{name, {}, {}, {}};
        if (school) {
            team.registrationId = school->value(QStringLiteral("id")).toString();
            team.registrationName = nameOf(*school, QStringLiteral("school"));
        }
        for (const QJsonValue& p : players) {
            const QString player = nameOf(resolve(p), QStringLiteral("player"));
            if (!error_.isEmpty()) return;
            if (!player.isEmpty()) team.players << player;
        }
        roster_.teams.push_back(std::move(team));
    }

    const QJsonArray objects_;
    QHash<QString, QJsonObject> byId_;
    QHash<QString, QString> names_;
    std::set<QString> seen_;
    Roster roster_;
    QString error_;
};

Roster failure(const QString& why) {
    Roster r;
    r.error = why;
    return r;
}

// A file saved as UTF-16 (by a Windows editor, say) starts with its byte
// order mark, or has a zero byte in every other place among ASCII text.
bool looksUtf16(const QByteArray& bytes) {
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) return true;
    return bytes.size() >= 2 && ((bytes[0] == '\0') != (bytes[1] == '\0'));
}

}  // namespace

Roster readRoster(const QByteArray& bytes) {
    if (bytes.size() > kMaxQbjFileBytes)
        return failure(
            kTooLarge +
            QStringLiteral("it is larger than %1 MB.").arg(kMaxQbjFileBytes / (1024 * 1024)));
    if (looksUtf16(bytes))
        return failure(QStringLiteral(
            "This file is written in UTF-16, and a QBJ file is UTF-8. Save it again as UTF-8 "
            "(most editors offer the encoding under Save As) and open it again."));
    QByteArray json = bytes;
    if (json.startsWith("\xef\xbb\xbf")) json.remove(0, 3);  // a UTF-8 byte order mark
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (doc.isNull())
        return failure(QStringLiteral("This is not a QBJ file: %1 at character %2.")
                           .arg(parse.errorString())
                           .arg(parse.offset));
    json.clear();
    // The envelope, a bare list of objects, or one object on its own.
    QJsonArray objects;
    if (doc.isArray()) {
        objects = doc.array();
    } else if (doc.object().value(QStringLiteral("objects")).isArray()) {
        objects = doc.object().value(QStringLiteral("objects")).toArray();
    } else if (!typeOf(doc.object()).isEmpty()) {
        objects.append(doc.object());
    } else {
        return failure(QStringLiteral(
            "This is not a QBJ file: it has no list of objects and no object type."));
    }
    Roster roster = RosterWalk(objects).read();
    if (!roster.ok()) return roster;
    if (roster.teams.empty()) return failure(QStringLiteral("The file holds no teams with names."));
    return roster;
}

Roster readRosterFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    // Read no more than the limit allows, whatever the file says its size
    // is: a device or a pipe has none.
    const QByteArray bytes = file.read(kMaxQbjFileBytes + 1);
    return readRoster(bytes);
}

}  // namespace scoresheet
