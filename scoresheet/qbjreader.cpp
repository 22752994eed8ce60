#include "scoresheet/qbjreader.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

namespace scoresheet {

namespace {

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
            const QString type = o.value(QStringLiteral("type")).toString();
            if (type == QLatin1String("Tournament"))
                for (const QJsonValue& r : o.value(QStringLiteral("registrations")).toArray())
                    registration(resolve(r));
            else if (type == QLatin1String("Registration"))
                registration(o);
        }
        for (const QJsonValue& v : objects_) {
            const QJsonObject o = v.toObject();
            if (o.value(QStringLiteral("type")).toString() == QLatin1String("Team")) team(o);
        }
        return std::move(roster_);
    }

private:
    // Every object with an id, wherever it is defined, so that references
    // to players defined inside a team resolve too.
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

    void registration(const QJsonObject& r) {
        for (const QJsonValue& t : r.value(QStringLiteral("teams")).toArray())
            team(resolve(t), &r);
    }

    void team(const QJsonObject& t, const QJsonObject* school = nullptr) {
        const QString name = t.value(QStringLiteral("name")).toString().trimmed();
        if (name.isEmpty()) return;
        const QString key = t.value(QStringLiteral("id")).toString();
        if (!seen_.insert(key.isEmpty() ? QStringLiteral("name:") + name : key).second) return;
        RosterTeam team{name, {}, {}, {}};
        if (school) {
            team.registrationId = school->value(QStringLiteral("id")).toString();
            team.registrationName = school->value(QStringLiteral("name")).toString().trimmed();
        }
        for (const QJsonValue& p : t.value(QStringLiteral("players")).toArray()) {
            const QString player = resolve(p).value(QStringLiteral("name")).toString().trimmed();
            if (!player.isEmpty()) team.players << player;
        }
        roster_.teams.push_back(team);
    }

    const QJsonArray objects_;
    QHash<QString, QJsonObject> byId_;
    std::set<QString> seen_;
    Roster roster_;
};

Roster failure(const QString& why) {
    Roster r;
    r.error = why;
    return r;
}

}  // namespace

Roster readRoster(const QByteArray& json) {
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (doc.isNull())
        return failure(QStringLiteral("This is not a QBJ file: %1 at character %2.")
                           .arg(parse.errorString())
                           .arg(parse.offset));
    // The envelope, a bare list of objects, or one object on its own.
    QJsonArray objects;
    if (doc.isArray()) {
        objects = doc.array();
    } else if (doc.object().value(QStringLiteral("objects")).isArray()) {
        objects = doc.object().value(QStringLiteral("objects")).toArray();
    } else if (doc.object().contains(QStringLiteral("type"))) {
        objects.append(doc.object());
    } else {
        return failure(QStringLiteral(
            "This is not a QBJ file: it has no list of objects and no object type."));
    }
    Roster roster = RosterWalk(objects).read();
    if (roster.teams.empty()) return failure(QStringLiteral("The file holds no teams with names."));
    return roster;
}

Roster readRosterFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    return readRoster(file.readAll());
}

}  // namespace scoresheet
