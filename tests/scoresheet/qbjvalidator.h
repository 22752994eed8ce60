#pragma once

#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// Checks QBJ documents against the format's own definition, read from its
// GraphQL files (types, fields, which are required, enums, scalars) and its
// serialization rules (envelope, type tags, unique ids, references), and
// against what the stats programs that import these files also need. Our
// writer's structures are never consulted: a document passes on what it
// says, not on how it was made.
namespace qbjcheck {

struct TypeRef {
    QString name;
    bool list = false;
    bool nonNull = false;      // the field (or the list) is required
    bool itemNonNull = false;  // [T!]
};

struct Field {
    QString name;
    TypeRef type;
};

struct Schema {
    QMap<QString, std::vector<Field>> types;
    QMap<QString, QSet<QString>> enums;
    QSet<QString> scalars;

    // Every *.graphql file of a folder; empty `error` on success.
    static Schema load(const QString& folder, QString* error);
    const Field* field(const QString& type, const QString& name) const;
};

// The format: envelope, types, required fields, enums, scalars, ids and
// references (a reference to an id the file does not define is allowed).
QStringList validate(const Schema& schema, const QJsonObject& document);

// What importers need beyond the format, and the match's own arithmetic:
// no null, carryover_phases on every match, points or bonus_points (never
// both), bonus or bonus_points (never both), one buzz per team a toss-up,
// teams at the top level as Team_<name>, answer types inline, phases named
// by numbers with the match's teams in one pool, overtime counted past
// regulation, buzzes not before their toss-up, and every team's total the
// same counted from its players and from the toss-ups.
QStringList checkImporterRules(const QJsonObject& document);

// Each match team's total as the file states it, by team name.
QMap<QString, int> teamTotals(const QJsonObject& document);

}  // namespace qbjcheck
