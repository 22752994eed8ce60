#include "packet/packetjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include "packet/packettext.h"

namespace packet {

namespace {

// Qt's parser would go a thousand levels deep; a packet needs four. Counted
// before parsing, outside strings, so that a deep file costs one pass.
bool nestedDeeperThan(const QByteArray& json, int limit) {
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

class Reader {
public:
    explicit Reader(const PacketLimits& limits) : limits_(limits) {}

    QString error;

    // The text of `field`, or of its sanitized copy when only that is given
    // (the copy has no tags, so it is escaped to stand as formatted text).
    // Plain fields (category, metadata) are taken as they are.
    std::optional<QString> text(const QJsonObject& o, const QString& where, const char* field,
                                bool required, bool formatted = true) {
        const QString key = QString::fromLatin1(field);
        QJsonValue v = o.value(key);
        bool sanitized = false;
        if ((v.isUndefined() || v.isNull()) && formatted) {
            v = o.value(key + QStringLiteral("_sanitized"));
            sanitized = true;
        }
        if (v.isUndefined() || v.isNull()) {
            if (required) fail(QStringLiteral("%1: \"%2\" is missing.").arg(where, key));
            return required ? std::nullopt : std::optional<QString>(QString());
        }
        if (!v.isString()) {
            fail(QStringLiteral("%1: \"%2\" is not text.").arg(where, key));
            return std::nullopt;
        }
        QString s = v.toString();
        if (s.size() > limits_.textChars) {
            fail(QStringLiteral("%1: \"%2\" is too large (more than %3 characters).")
                     .arg(where, key)
                     .arg(limits_.textChars));
            return std::nullopt;
        }
        return sanitized ? escapeText(s) : s;
    }

    std::optional<std::vector<QString>> texts(const QJsonObject& o, const QString& where,
                                              const char* field) {
        const QString key = QString::fromLatin1(field);
        QJsonValue v = o.value(key);
        bool sanitized = false;
        if (v.isUndefined() || v.isNull()) {
            v = o.value(key + QStringLiteral("_sanitized"));
            sanitized = true;
        }
        if (v.isUndefined() || v.isNull()) {
            fail(QStringLiteral("%1: \"%2\" is missing.").arg(where, key));
            return std::nullopt;
        }
        if (!v.isArray()) {
            fail(QStringLiteral("%1: \"%2\" is not a list.").arg(where, key));
            return std::nullopt;
        }
        const QJsonArray a = v.toArray();
        if (a.size() > limits_.partsPerBonus) {
            fail(QStringLiteral("%1: \"%2\" is too large (more than %3 parts).")
                     .arg(where, key)
                     .arg(limits_.partsPerBonus));
            return std::nullopt;
        }
        std::vector<QString> out;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!a[i].isString()) {
                fail(QStringLiteral("%1: \"%2\" item %3 is not text.").arg(where, key).arg(i + 1));
                return std::nullopt;
            }
            const QString s = a[i].toString();
            if (s.size() > limits_.textChars) {
                fail(QStringLiteral("%1: \"%2\" item %3 is too large (more than %4 characters).")
                         .arg(where, key)
                         .arg(i + 1)
                         .arg(limits_.textChars));
                return std::nullopt;
            }
            out.push_back(sanitized ? escapeText(s) : s);
        }
        return out;
    }

    // The question's number as printed; a number that is not a whole number
    // from 1 up is an error rather than a silent guess.
    bool number(const QJsonObject& o, const QString& where, std::optional<int>* out) {
        const QJsonValue v = o.value(QStringLiteral("number"));
        if (v.isUndefined() || v.isNull()) return true;
        // Some tools write the number as text.
        bool isText = false;
        const double d = v.isString() ? v.toString().trimmed().toInt(&isText) : v.toDouble(-1);
        if ((!v.isDouble() && !isText) || d < 1 || d > 1e6 || d != static_cast<int>(d)) {
            fail(QStringLiteral("%1: \"number\" is not a question number.").arg(where));
            return false;
        }
        *out = static_cast<int>(d);
        return true;
    }

    bool values(const QJsonObject& o, const QString& where, std::vector<int>* out) {
        const QJsonValue v = o.value(QStringLiteral("values"));
        if (v.isUndefined() || v.isNull()) return true;  // warned as not matching the parts
        if (!v.isArray()) {
            fail(QStringLiteral("%1: \"values\" is not a list.").arg(where));
            return false;
        }
        const QJsonArray a = v.toArray();
        if (a.size() > limits_.partsPerBonus) {
            fail(QStringLiteral("%1: \"values\" is too large (more than %2 parts).")
                     .arg(where)
                     .arg(limits_.partsPerBonus));
            return false;
        }
        for (qsizetype i = 0; i < a.size(); ++i) {
            const double d = a[i].toDouble(-1);
            if (!a[i].isDouble() || d < 0 || d > 1000 || d != static_cast<int>(d)) {
                fail(QStringLiteral("%1: \"values\" item %2 is not a number of points.")
                         .arg(where)
                         .arg(i + 1));
                return false;
            }
            out->push_back(static_cast<int>(d));
        }
        return true;
    }

    bool difficulties(const QJsonObject& o, const QString& where, std::vector<QChar>* out) {
        const QJsonValue v = o.value(QStringLiteral("difficultyModifiers"));
        if (v.isUndefined() || v.isNull()) return true;
        if (!v.isArray() || v.toArray().size() > limits_.partsPerBonus) {
            fail(QStringLiteral("%1: \"difficultyModifiers\" is not a list of e, m or h.")
                     .arg(where));
            return false;
        }
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString s = a[i].toString().trimmed().toLower();
            if (!a[i].isString() || s.size() != 1 || !QStringLiteral("emh").contains(s)) {
                fail(QStringLiteral("%1: \"difficultyModifiers\" item %2 is not e, m or h.")
                         .arg(where)
                         .arg(i + 1));
                return false;
            }
            out->push_back(s[0]);
        }
        return true;
    }

    std::optional<Tossup> tossup(const QJsonValue& v, qsizetype place) {
        const QString where = QStringLiteral("Toss-up %1").arg(place + 1);
        if (!v.isObject()) {
            fail(QStringLiteral("%1 is not a question (an object).").arg(where));
            return std::nullopt;
        }
        const QJsonObject o = v.toObject();
        Tossup t;
        const auto question = text(o, where, "question", true);
        if (!question) return std::nullopt;
        const auto answer = text(o, where, "answer", true);
        if (!answer) return std::nullopt;
        const auto category = text(o, where, "category", false, false);
        if (!category) return std::nullopt;
        const auto metadata = text(o, where, "metadata", false, false);
        if (!metadata) return std::nullopt;
        if (!number(o, where, &t.number)) return std::nullopt;
        t.question = *question;
        t.answer = *answer;
        t.category = *category;
        t.metadata = *metadata;
        return t;
    }

    std::optional<Bonus> bonus(const QJsonValue& v, qsizetype place) {
        const QString where = QStringLiteral("Bonus %1").arg(place + 1);
        if (!v.isObject()) {
            fail(QStringLiteral("%1 is not a question (an object).").arg(where));
            return std::nullopt;
        }
        const QJsonObject o = v.toObject();
        Bonus b;
        const auto leadin = text(o, where, "leadin", true);
        if (!leadin) return std::nullopt;
        auto parts = texts(o, where, "parts");
        if (!parts) return std::nullopt;
        auto answers = texts(o, where, "answers");
        if (!answers) return std::nullopt;
        if (!values(o, where, &b.values) || !difficulties(o, where, &b.difficultyModifiers))
            return std::nullopt;
        const auto category = text(o, where, "category", false, false);
        if (!category) return std::nullopt;
        const auto metadata = text(o, where, "metadata", false, false);
        if (!metadata) return std::nullopt;
        if (!number(o, where, &b.number)) return std::nullopt;
        b.leadin = *leadin;
        b.parts = std::move(*parts);
        b.answers = std::move(*answers);
        b.category = *category;
        b.metadata = *metadata;
        return b;
    }

private:
    void fail(const QString& message) {
        if (error.isEmpty()) error = message;
    }

    const PacketLimits& limits_;
};

QJsonArray textArray(const std::vector<QString>& texts, bool sanitize) {
    QJsonArray a;
    for (const QString& s : texts)
        a.append(sanitize ? plainText(s) : s);
    return a;
}

void putCommon(QJsonObject* o, const std::optional<int>& number, const QString& category,
               const QString& metadata) {
    if (number) o->insert(QStringLiteral("number"), *number);
    if (!category.isEmpty()) o->insert(QStringLiteral("category"), category);
    if (!metadata.isEmpty()) o->insert(QStringLiteral("metadata"), metadata);
}

}  // namespace

PacketRead readPacketJson(const QByteArray& json, const PacketLimits& limits) {
    PacketRead read;
    if (json.size() > limits.jsonBytes) {
        read.error = QStringLiteral("The packet is too large (more than %1 MB).")
                         .arg(limits.jsonBytes / (1024 * 1024));
        return read;
    }
    if (nestedDeeperThan(json, limits.nesting)) {
        read.error = QStringLiteral("The packet is too large (nested more than %1 levels deep).")
                         .arg(limits.nesting);
        return read;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        read.error = QStringLiteral("The packet is not valid JSON (at character %1: %2).")
                         .arg(parseError.offset)
                         .arg(parseError.errorString());
        return read;
    }
    if (!doc.isObject()) {
        read.error = QStringLiteral("The packet is not a packet (a JSON object with \"tossups\").");
        return read;
    }
    const QJsonObject root = doc.object();
    const QJsonValue tossups = root.value(QStringLiteral("tossups"));
    const QJsonValue bonuses = root.value(QStringLiteral("bonuses"));
    if (!tossups.isArray()) {
        read.error = tossups.isUndefined()
                         ? QStringLiteral("The packet has no \"tossups\".")
                         : QStringLiteral("The packet's \"tossups\" is not a list.");
        return read;
    }
    if (!bonuses.isUndefined() && !bonuses.isNull() && !bonuses.isArray()) {
        read.error = QStringLiteral("The packet's \"bonuses\" is not a list.");
        return read;
    }
    const QJsonArray t = tossups.toArray();
    const QJsonArray b = bonuses.toArray();
    if (t.size() > limits.questions || b.size() > limits.questions) {
        read.error = QStringLiteral("The packet is too large (more than %1 questions of a kind).")
                         .arg(limits.questions);
        return read;
    }
    Reader reader(limits);
    Packet packet;
    const QJsonValue name = root.value(QStringLiteral("name"));
    if (!name.isUndefined() && !name.isNull()) {
        if (!name.isString() || name.toString().size() > limits.textChars) {
            read.error = QStringLiteral("The packet's \"name\" is not text.");
            return read;
        }
        packet.name = name.toString();
    }
    for (qsizetype i = 0; i < t.size(); ++i) {
        auto q = reader.tossup(t[i], i);
        if (!q) {
            read.error = reader.error;
            return read;
        }
        packet.tossups.push_back(std::move(*q));
    }
    for (qsizetype i = 0; i < b.size(); ++i) {
        auto q = reader.bonus(b[i], i);
        if (!q) {
            read.error = reader.error;
            return read;
        }
        packet.bonuses.push_back(std::move(*q));
    }
    read.packet = std::move(packet);
    return read;
}

QJsonObject packetToJson(const Packet& packet) {
    QJsonObject root;
    if (!packet.name.isEmpty()) root.insert(QStringLiteral("name"), packet.name);
    QJsonArray tossups;
    for (const Tossup& t : packet.tossups) {
        QJsonObject o;
        o.insert(QStringLiteral("question"), t.question);
        o.insert(QStringLiteral("answer"), t.answer);
        o.insert(QStringLiteral("question_sanitized"), plainText(t.question));
        o.insert(QStringLiteral("answer_sanitized"), plainText(t.answer));
        putCommon(&o, t.number, t.category, t.metadata);
        tossups.append(o);
    }
    QJsonArray bonuses;
    for (const Bonus& b : packet.bonuses) {
        QJsonObject o;
        o.insert(QStringLiteral("leadin"), b.leadin);
        o.insert(QStringLiteral("leadin_sanitized"), plainText(b.leadin));
        o.insert(QStringLiteral("parts"), textArray(b.parts, false));
        o.insert(QStringLiteral("parts_sanitized"), textArray(b.parts, true));
        o.insert(QStringLiteral("answers"), textArray(b.answers, false));
        o.insert(QStringLiteral("answers_sanitized"), textArray(b.answers, true));
        QJsonArray values;
        for (const int v : b.values)
            values.append(v);
        o.insert(QStringLiteral("values"), values);
        if (!b.difficultyModifiers.empty()) {
            QJsonArray d;
            for (const QChar c : b.difficultyModifiers)
                d.append(QString(c));
            o.insert(QStringLiteral("difficultyModifiers"), d);
        }
        putCommon(&o, b.number, b.category, b.metadata);
        bonuses.append(o);
    }
    root.insert(QStringLiteral("tossups"), tossups);
    root.insert(QStringLiteral("bonuses"), bonuses);
    return root;
}

QByteArray writePacketJson(const Packet& packet) {
    return QJsonDocument(packetToJson(packet)).toJson(QJsonDocument::Indented);
}

}  // namespace packet
