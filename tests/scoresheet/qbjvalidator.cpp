#include "qbjvalidator.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <cmath>

namespace qbjcheck {

namespace {

// ---- The GraphQL definitions ------------------------------------------------

QStringList tokenize(QString text) {
    // Descriptions and comments say nothing a validator can check.
    text.remove(QRegularExpression(QStringLiteral("\"\"\"[\\s\\S]*?\"\"\"")));
    text.remove(QRegularExpression(QStringLiteral("\"[^\"\\n]*\"")));
    text.remove(QRegularExpression(QStringLiteral("#[^\\n]*")));
    QStringList tokens;
    static const QRegularExpression token(
        QStringLiteral("[_A-Za-z][_0-9A-Za-z]*|[{}:!\\[\\]()=@|&]"));
    auto it = token.globalMatch(text);
    while (it.hasNext())
        tokens << it.next().captured();
    return tokens;
}

class Parser {
public:
    Parser(QStringList tokens, Schema& schema) : t_(std::move(tokens)), s_(schema) {}

    QString run() {
        while (i_ < t_.size()) {
            const QString keyword = next();
            if (keyword == QLatin1String("scalar")) {
                s_.scalars.insert(next());
            } else if (keyword == QLatin1String("enum")) {
                const QString name = next();
                expect(QStringLiteral("{"));
                QSet<QString> values;
                while (!error_.size() && peek() != QLatin1String("}"))
                    values.insert(next());
                expect(QStringLiteral("}"));
                s_.enums.insert(name, values);
            } else if (keyword == QLatin1String("type")) {
                const QString name = next();
                expect(QStringLiteral("{"));
                std::vector<Field> fields;
                while (!error_.size() && peek() != QLatin1String("}")) {
                    Field f;
                    f.name = next();
                    expect(QStringLiteral(":"));
                    f.type = typeRef();
                    fields.push_back(f);
                }
                expect(QStringLiteral("}"));
                s_.types.insert(name, fields);
            } else {
                // Interfaces, unions, inputs, arguments: none in the format
                // today; a new one must be taught here, not skipped.
                error_ = QStringLiteral("unexpected '%1'").arg(keyword);
            }
            if (!error_.isEmpty()) return error_;
        }
        return {};
    }

private:
    QString next() {
        if (i_ >= t_.size()) {
            error_ = QStringLiteral("unexpected end");
            return {};
        }
        return t_[i_++];
    }
    QString peek() const { return i_ < t_.size() ? t_[i_] : QString(); }
    void expect(const QString& what) {
        if (next() != what && error_.isEmpty()) error_ = QStringLiteral("expected '%1'").arg(what);
    }
    TypeRef typeRef() {
        TypeRef r;
        if (peek() == QLatin1String("[")) {
            next();
            r.list = true;
            r.name = next();
            if (peek() == QLatin1String("!")) {
                next();
                r.itemNonNull = true;
            }
            expect(QStringLiteral("]"));
        } else {
            r.name = next();
        }
        if (peek() == QLatin1String("!")) {
            next();
            r.nonNull = true;
        }
        return r;
    }

    QStringList t_;
    Schema& s_;
    int i_ = 0;
    QString error_;
};

// ---- Documents --------------------------------------------------------------

bool isRef(const QJsonValue& v) {
    return v.isObject() && v.toObject().contains(QStringLiteral("$ref"));
}

QString refOf(const QJsonValue& v) { return v.toObject().value(QStringLiteral("$ref")).toString(); }

bool isInt(const QJsonValue& v) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    return std::floor(d) == d && d >= -2147483648.0 && d <= 2147483647.0;
}

bool isDate(const QJsonValue& v) {
    // ISO 8601: a date, or a date and time with its zone.
    static const QRegularExpression date(QStringLiteral(
        "^\\d{4}-\\d{2}-\\d{2}(T\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?(Z|[+-]\\d{2}:\\d{2}))?$"));
    return v.isString() && date.match(v.toString()).hasMatch();
}

class Validator {
public:
    explicit Validator(const Schema& s) : s_(s) {}

    QStringList run(const QJsonObject& doc) {
        if (doc.value(QStringLiteral("version")).toString() != QLatin1String("2.1.1"))
            fail(QStringLiteral("version"), QStringLiteral("must be \"2.1.1\""));
        if (!doc.value(QStringLiteral("objects")).isArray()) {
            fail(QStringLiteral("objects"), QStringLiteral("must be an array"));
            return errors_;
        }
        for (const QString& key : doc.keys())
            if (key != QLatin1String("version") && key != QLatin1String("objects"))
                fail(key, QStringLiteral("is not part of the envelope"));
        int tournaments = 0;
        const QJsonArray objects = doc.value(QStringLiteral("objects")).toArray();
        for (int i = 0; i < objects.size(); ++i) {
            const QString path = QStringLiteral("objects[%1]").arg(i);
            const QJsonObject o = objects[i].toObject();
            const QString type = o.value(QStringLiteral("type")).toString();
            if (!objects[i].isObject() || !s_.types.contains(type) || type == "Query") {
                fail(path, QStringLiteral("needs a type the format defines"));
                continue;
            }
            if (isRef(objects[i])) fail(path, QStringLiteral("a reference cannot stand alone"));
            tournaments += type == QLatin1String("Tournament");
            object(o, type, path);
        }
        if (tournaments != 1)
            fail(QStringLiteral("objects"), QStringLiteral("must hold exactly one Tournament"));
        for (const auto& [id, want, path] : refs_) {
            const auto defined = ids_.find(id);
            // A reference to an object the file does not define is allowed:
            // files may be sent in pieces.
            if (defined != ids_.end() && defined.value() != want)
                fail(
                    path,
                    QStringLiteral("refers to a %1 where a %2 belongs").arg(defined.value(), want));
        }
        return errors_;
    }

private:
    void fail(const QString& path, const QString& why) { errors_ << path + QLatin1Char(' ') + why; }

    void value(const QJsonValue& v, const TypeRef& t, const QString& path, bool item = false) {
        const bool required = item ? t.itemNonNull : t.nonNull;
        if (v.isNull() || v.isUndefined()) {
            if (required) fail(path, QStringLiteral("is required"));
            return;
        }
        if (t.list && !item) {
            if (!v.isArray()) {
                fail(path, QStringLiteral("must be a list"));
                return;
            }
            const QJsonArray a = v.toArray();
            for (int i = 0; i < a.size(); ++i)
                value(a[i], t, path + QStringLiteral("[%1]").arg(i), true);
            return;
        }
        const QString& n = t.name;
        if (s_.types.contains(n)) {
            if (!v.isObject()) {
                fail(path, QStringLiteral("must be a %1 object").arg(n));
            } else if (isRef(v)) {
                if (v.toObject().size() != 1 ||
                    !v.toObject().value(QStringLiteral("$ref")).isString())
                    fail(path, QStringLiteral("a reference has one string key, $ref"));
                else
                    refs_.push_back({refOf(v), n, path});
            } else {
                object(v.toObject(), n, path);
            }
        } else if (s_.enums.contains(n)) {
            if (!v.isString() || !s_.enums[n].contains(v.toString()))
                fail(path, QStringLiteral("must be one of the %1 values").arg(n));
        } else if (n == QLatin1String("Int")) {
            if (!isInt(v)) fail(path, QStringLiteral("must be an Int"));
        } else if (n == QLatin1String("Float")) {
            if (!v.isDouble()) fail(path, QStringLiteral("must be a Float"));
        } else if (n == QLatin1String("String") || n == QLatin1String("ID")) {
            if (!v.isString()) fail(path, QStringLiteral("must be a string"));
        } else if (n == QLatin1String("Boolean")) {
            if (!v.isBool()) fail(path, QStringLiteral("must be a Boolean"));
        } else if (n == QLatin1String("Date")) {
            if (!isDate(v))
                fail(path, QStringLiteral("must be an ISO 8601 date and time with zone"));
        } else {
            fail(path, QStringLiteral("has the unknown type %1").arg(n));
        }
    }

    void object(const QJsonObject& o, const QString& type, const QString& path) {
        // A type with a field of that name (a Question's "tossup" or
        // "bonus") carries no tag there.
        const QJsonValue tag = o.value(QStringLiteral("type"));
        if (!tag.isUndefined() && !s_.field(type, QStringLiteral("type")) && tag.toString() != type)
            fail(path, QStringLiteral("is tagged %1 where a %2 belongs").arg(tag.toString(), type));
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString& key = it.key();
            if (key == QLatin1String("type") || key.startsWith(QLatin1Char('_'))) continue;
            if (!s_.field(type, key))
                fail(path + '.' + key, QStringLiteral("is not a field of ") + type);
        }
        for (const Field& f : s_.types[type]) {
            const QString at = path + '.' + f.name;
            if (f.name == QLatin1String("id")) {
                // Ids are optional in a file; one that is given is unique.
                const QJsonValue id = o.value(QStringLiteral("id"));
                if (id.isUndefined()) continue;
                if (!id.isString()) {
                    fail(at, QStringLiteral("must be a string"));
                } else if (ids_.contains(id.toString())) {
                    fail(at, QStringLiteral("\"%1\" is defined twice").arg(id.toString()));
                } else {
                    ids_.insert(id.toString(), type);
                }
                continue;
            }
            value(o.value(f.name), f.type, at);
        }
    }

    struct Ref {
        QString id, type, path;
    };
    const Schema& s_;
    QStringList errors_;
    QMap<QString, QString> ids_;  // id -> type
    std::vector<Ref> refs_;
};

// ---- What importers need ----------------------------------------------------

void findNulls(const QJsonValue& v, const QString& path, QStringList& errors) {
    if (v.isNull()) errors << path + QStringLiteral(" is null");
    if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            findNulls(a[i], path + QStringLiteral("[%1]").arg(i), errors);
    } else if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            findNulls(it.value(), path + '.' + it.key(), errors);
    }
}

struct Objects {
    // Top-level objects, teams (top-level or in a registration, tagged Team
    // here) and players.
    QMap<QString, QJsonObject> byId;
    QJsonObject tournament;
    std::vector<std::pair<QString, QJsonObject>> matches;  // path, match
};

Objects collect(const QJsonObject& doc) {
    Objects out;
    const QJsonArray objects = doc.value(QStringLiteral("objects")).toArray();
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject o = objects[i].toObject();
        const QString type = o.value(QStringLiteral("type")).toString();
        if (o.contains(QStringLiteral("id")))
            out.byId.insert(o.value(QStringLiteral("id")).toString(), o);
        if (type == QLatin1String("Tournament")) out.tournament = o;
        if (type == QLatin1String("Match"))
            out.matches.push_back({QStringLiteral("objects[%1]").arg(i), o});
        std::vector<QJsonObject> teams;
        if (type == QLatin1String("Team")) teams.push_back(o);
        for (const QJsonValue& r : o.value(QStringLiteral("registrations")).toArray())
            for (const QJsonValue& t : r.toObject().value(QStringLiteral("teams")).toArray()) {
                QJsonObject team = t.toObject();
                team.insert(QStringLiteral("type"), QStringLiteral("Team"));
                if (team.contains(QStringLiteral("id")))
                    out.byId.insert(team.value(QStringLiteral("id")).toString(), team);
                teams.push_back(team);
            }
        for (const QJsonObject& team : teams)
            for (const QJsonValue& p : team.value(QStringLiteral("players")).toArray())
                if (p.toObject().contains(QStringLiteral("id")))
                    out.byId.insert(p.toObject().value(QStringLiteral("id")).toString(),
                                    p.toObject());
    }
    return out;
}

int intOf(const QJsonObject& o, const char* key, int otherwise = 0) {
    return o.value(QLatin1String(key)).toInt(otherwise);
}

}  // namespace

Schema Schema::load(const QString& folder, QString* error) {
    Schema s;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.graphql")}, QDir::Files);
    if (files.isEmpty()) *error = QStringLiteral("no .graphql files in ") + folder;
    for (const QString& name : files) {
        QFile f(QDir(folder).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            *error = name + QStringLiteral(": cannot read");
            return s;
        }
        const QString why = Parser(tokenize(QString::fromUtf8(f.readAll())), s).run();
        if (!why.isEmpty()) {
            *error = name + QStringLiteral(": ") + why;
            return s;
        }
    }
    // The built-in scalars of GraphQL, and every named type defined.
    for (const auto& fields : s.types)
        for (const Field& f : fields)
            if (!s.types.contains(f.type.name) && !s.enums.contains(f.type.name) &&
                !s.scalars.contains(f.type.name) &&
                !QStringList{"Int", "Float", "String", "Boolean", "ID"}.contains(f.type.name))
                *error = QStringLiteral("undefined type ") + f.type.name;
    return s;
}

const Field* Schema::field(const QString& type, const QString& name) const {
    const auto it = types.find(type);
    if (it == types.end()) return nullptr;
    for (const Field& f : *it)
        if (f.name == name) return &f;
    return nullptr;
}

QStringList validate(const Schema& schema, const QJsonObject& document) {
    return Validator(schema).run(document);
}

QStringList checkImporterRules(const QJsonObject& doc) {
    QStringList errors;
    findNulls(doc, QStringLiteral("document"), errors);
    const Objects all = collect(doc);
    const QJsonObject rules = all.tournament.value(QStringLiteral("scoring_rules")).toObject();
    const int maxPlayers = intOf(rules, "maximum_players_per_team", 4);

    for (const auto& [id, o] : all.byId.asKeyValueRange())
        if (o.value(QStringLiteral("type")).toString() == QLatin1String("Team") &&
            id != QStringLiteral("Team_") + o.value(QStringLiteral("name")).toString())
            errors << QStringLiteral("team %1 is not named Team_<name>").arg(id);

    // Where each match sits: a round of a phase named by a number, with
    // all of its teams in one pool of that phase.
    QMap<QString, QJsonObject> phaseOf;
    for (const QJsonValue& pv : all.tournament.value(QStringLiteral("phases")).toArray()) {
        const QJsonObject phase = pv.toObject();
        bool numeric = false;
        phase.value(QStringLiteral("name")).toString().toInt(&numeric);
        if (!numeric)
            errors << QStringLiteral("phase \"%1\" is not named by a number")
                          .arg(phase.value(QStringLiteral("name")).toString());
        for (const QJsonValue& rv : phase.value(QStringLiteral("rounds")).toArray()) {
            // Rounds are found by the number their name begins with.
            const QString round = rv.toObject().value(QStringLiteral("name")).toString();
            if (round.isEmpty() || !round.front().isDigit())
                errors << QStringLiteral("round \"%1\" is not named by a number").arg(round);
            for (const QJsonValue& mv : rv.toObject().value(QStringLiteral("matches")).toArray())
                phaseOf.insert(
                    isRef(mv) ? refOf(mv) : mv.toObject().value(QStringLiteral("id")).toString(),
                    phase);
        }
    }

    for (const auto& [path, m] : all.matches) {
        const QString id = m.value(QStringLiteral("id")).toString();
        if (!m.value(QStringLiteral("carryover_phases")).isArray())
            errors << path + QStringLiteral(" has no carryover_phases list");

        const QJsonArray teams = m.value(QStringLiteral("match_teams")).toArray();
        QStringList teamIds;
        for (const QJsonValue& tv : teams) {
            const QJsonValue team = tv.toObject().value(QStringLiteral("team"));
            if (!isRef(team))
                errors << path + QStringLiteral(" defines a team in place of a reference");
            teamIds << refOf(team);
        }
        if (!phaseOf.contains(id)) {
            errors << path + QStringLiteral(" is in no round of the tournament");
        } else {
            bool pooled = false;
            for (const QJsonValue& pool : phaseOf[id].value(QStringLiteral("pools")).toArray()) {
                QSet<QString> in;
                for (const QJsonValue& pt :
                     pool.toObject().value(QStringLiteral("pool_teams")).toArray())
                    in.insert(refOf(pt.toObject().value(QStringLiteral("team"))));
                pooled |= std::all_of(teamIds.begin(), teamIds.end(),
                                      [&](const QString& t) { return in.contains(t); });
            }
            if (!pooled) errors << path + QStringLiteral(" has teams in no one pool of its phase");
        }

        const int read = intOf(m, "tossups_read");
        if (rules.contains(QStringLiteral("regulation_tossup_count")) &&
            m.contains(QStringLiteral("tossups_read")) &&
            intOf(m, "overtime_tossups_read", -1) !=
                std::max(0, read - intOf(rules, "regulation_tossup_count")))
            errors << path + QStringLiteral(" counts overtime toss-ups wrongly");

        // Totals two ways: from the teams' and players' lines, and from the
        // toss-ups. Player answers likewise.
        QMap<QString, int> stated, counted;
        QMap<QString, QMap<int, int>> playerStated, playerCounted;  // player -> value -> number
        for (int t = 0; t < teams.size(); ++t) {
            const QJsonObject mt = teams[t].toObject();
            const QString at = path + QStringLiteral(".match_teams[%1]").arg(t);
            const bool points = mt.contains(QStringLiteral("points"));
            const bool bonus = mt.contains(QStringLiteral("bonus_points"));
            if (points == bonus)
                errors << at + QStringLiteral(
                                   " must have points or bonus_points, not both or neither");
            int total = intOf(mt, "points") + intOf(mt, "bonus_points") +
                        intOf(mt, "bonus_bounceback_points");
            int heard = 0;
            for (const QJsonValue& pv : mt.value(QStringLiteral("match_players")).toArray()) {
                const QJsonObject mp = pv.toObject();
                heard += intOf(mp, "tossups_heard");
                if (intOf(mp, "tossups_heard") > read)
                    errors << at + QStringLiteral(
                                       " has a player who heard more toss-ups than were read");
                for (const QJsonValue& cv : mp.value(QStringLiteral("answer_counts")).toArray()) {
                    const QJsonObject type =
                        cv.toObject().value(QStringLiteral("answer_type")).toObject();
                    if (isRef(type)) errors << at + QStringLiteral(" refers to an answer type");
                    const int value = intOf(type, "value"), number = intOf(cv.toObject(), "number");
                    total += value * number;
                    if (number)
                        playerStated[refOf(mp.value(QStringLiteral("player")))][value] += number;
                }
            }
            // No more players can have heard a toss-up than a lineup holds.
            if (heard > read * maxPlayers)
                errors << at + QStringLiteral(
                                   " has players who heard more toss-ups than the "
                                   "lineups allow");
            for (const QJsonValue& lv : mt.value(QStringLiteral("lineups")).toArray()) {
                const QJsonObject l = lv.toObject();
                if ((l.value(QStringLiteral("reason")).toString() == QLatin1String("initial")) !=
                    (intOf(l, "first_question") == 1))
                    errors << at + QStringLiteral(" has an initial lineup not at question 1");
                if (l.value(QStringLiteral("players")).toArray().size() > maxPlayers)
                    errors << at + QStringLiteral(" has a lineup larger than the rules allow");
            }
            stated[teamIds.value(t)] = total;
            counted[teamIds.value(t)] = points ? total : 0;
        }

        QSet<int> answerValues;
        for (const QJsonValue& av : rules.value(QStringLiteral("answer_types")).toArray())
            answerValues.insert(intOf(av.toObject(), "value"));
        const int regulation = intOf(rules, "regulation_tossup_count", 0);
        const bool overtimeBonuses =
            rules.value(QStringLiteral("overtime_includes_bonuses")).toBool(false);

        const bool detailed =
            !teams.isEmpty() && !teams[0].toObject().contains(QStringLiteral("points"));
        const QJsonArray questions = m.value(QStringLiteral("match_questions")).toArray();
        if (detailed && m.contains(QStringLiteral("match_questions")) && questions.size() != read)
            errors << path + QStringLiteral(" has %1 toss-ups but says %2 were read")
                                 .arg(questions.size())
                                 .arg(read);
        for (int q = 0; q < questions.size(); ++q) {
            const QJsonObject mq = questions[q].toObject();
            const QString at = path + QStringLiteral(".match_questions[%1]").arg(q);
            if (mq.contains(QStringLiteral("bonus")) && mq.contains(QStringLiteral("bonus_points")))
                errors << at + QStringLiteral(" has both bonus and bonus_points");
            const QDateTime start = QDateTime::fromString(
                mq.value(QStringLiteral("tossup_start_time")).toString(), Qt::ISODateWithMs);
            QSet<QString> buzzed;
            QString controlling;
            int correct = 0;
            const QJsonArray buzzes = mq.value(QStringLiteral("buzzes")).toArray();
            if (buzzes.size() > teams.size())
                errors << at + QStringLiteral(" has more buzzes than teams");
            for (const QJsonValue& bv : buzzes) {
                const QJsonObject b = bv.toObject();
                const QString team = refOf(b.value(QStringLiteral("team")));
                if (buzzed.contains(team))
                    errors << at + QStringLiteral(" has two buzzes by one team");
                buzzed.insert(team);
                if (!teamIds.contains(team))
                    errors << at + QStringLiteral(" has a buzz by a team not playing");
                const QJsonObject result = b.value(QStringLiteral("result")).toObject();
                if (isRef(result)) errors << at + QStringLiteral(" refers to an answer type");
                const int value = intOf(result, "value");
                if (!answerValues.contains(value))
                    errors << at + QStringLiteral(
                                       " has a result of %1, which is no answer type "
                                       "of the scoring rules")
                                       .arg(value);
                counted[team] += value;
                ++playerCounted[refOf(b.value(QStringLiteral("player")))][value];
                if (value > 0) {
                    controlling = team;
                    ++correct;
                }
                const QDateTime time =
                    QDateTime::fromString(b.value(QStringLiteral("buzz_position"))
                                              .toObject()
                                              .value(QStringLiteral("time"))
                                              .toString(),
                                          Qt::ISODateWithMs);
                if (start.isValid() && time.isValid() && time < start)
                    errors << at + QStringLiteral(" has a buzz before its toss-up began");
            }
            int bonus = intOf(mq, "bonus_points");
            int bounced = intOf(mq, "bonus_bounceback_points");
            for (const QJsonValue& part : mq.value(QStringLiteral("bonus"))
                                              .toObject()
                                              .value(QStringLiteral("parts"))
                                              .toArray()) {
                bonus += intOf(part.toObject(), "controlled_points");
                bounced += intOf(part.toObject(), "bounceback_points");
            }
            // What the controlling team missed and the other took.
            if (bounced && (controlling.isEmpty() || teamIds.size() != 2))
                errors << at + QStringLiteral(" has bounce-back points with no other team");
            else if (bounced)
                counted[teamIds.value(teamIds.indexOf(controlling) == 0 ? 1 : 0)] += bounced;
            if (correct > 1) errors << at + QStringLiteral(" has two correct answers");
            if (bonus && controlling.isEmpty())
                errors << at + QStringLiteral(" has bonus points but no team answered");
            if (mq.contains(QStringLiteral("bonus")) && regulation > 0 && !overtimeBonuses &&
                intOf(mq, "question_number") > regulation)
                errors << at + QStringLiteral(
                                   " has a bonus in overtime, which the rules do not give");
            counted[controlling] += bonus;
        }
        if (detailed) {
            for (const QString& team : teamIds)
                if (stated[team] != counted[team])
                    errors << path + QStringLiteral(" states %1 for %2 but its toss-ups give %3")
                                         .arg(stated[team])
                                         .arg(team)
                                         .arg(counted[team]);
            if (playerStated != playerCounted)
                errors << path + QStringLiteral(" has answer counts its buzzes do not give");
        }
    }
    return errors;
}

QMap<QString, int> teamTotals(const QJsonObject& doc) {
    QMap<QString, int> totals;
    const Objects all = collect(doc);
    for (const auto& [path, m] : all.matches)
        for (const QJsonValue& tv : m.value(QStringLiteral("match_teams")).toArray()) {
            const QJsonObject mt = tv.toObject();
            int total = intOf(mt, "points") + intOf(mt, "bonus_points") +
                        intOf(mt, "bonus_bounceback_points");
            for (const QJsonValue& pv : mt.value(QStringLiteral("match_players")).toArray())
                for (const QJsonValue& cv :
                     pv.toObject().value(QStringLiteral("answer_counts")).toArray())
                    total += intOf(cv.toObject().value(QStringLiteral("answer_type")).toObject(),
                                   "value") *
                             intOf(cv.toObject(), "number");
            const QString id = refOf(mt.value(QStringLiteral("team")));
            totals[all.byId.value(id).value(QStringLiteral("name")).toString()] = total;
        }
    return totals;
}

}  // namespace qbjcheck
