#include "scoresheet/rules.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include "app/programfolder.h"
#include "app/savefile.h"

namespace scoresheet {

ScoringRules plainRules() {
    ScoringRules r;
    r.name = QStringLiteral("Plain");
    return r;
}

ScoringRules timedRules() {
    ScoringRules r;
    r.name = QStringLiteral("Timed, powers and negs");
    r.answerValues = {15, 10, -5};
    r.timed = true;
    r.bonusParts = 3;
    r.pointsPerBonusPart = 10;
    return r;
}

ScoringRules twentyTossupRules() {
    ScoringRules r;
    r.name = QStringLiteral("20 toss-ups, 10 / -5");
    r.answerValues = {10, -5};
    r.regulationTossups = 20;
    r.bonusParts = 3;
    r.pointsPerBonusPart = 10;
    r.minimumOvertimeTossups = 1;
    return r;
}

namespace {
ScoringRules tournamentFormat(const char* name, std::vector<int> values) {
    ScoringRules r;
    r.name = QLatin1String(name);
    r.answerValues = std::move(values);
    r.regulationTossups = 20;
    r.bonusParts = 3;
    r.pointsPerBonusPart = 10;
    r.minimumOvertimeTossups = 1;
    r.timeoutsPerTeam = 1;
    return r;
}
}  // namespace

ScoringRules acfRules() { return tournamentFormat("ACF", {10, -5}); }

ScoringRules paceRules() { return tournamentFormat("PACE", {20, 10}); }

ScoringRules macfWithPowersRules() { return tournamentFormat("mACF with powers", {15, 10, -5}); }

std::vector<ScoringRules> presetRules() {
    return {plainRules(), timedRules(), twentyTossupRules(),
            acfRules(),   paceRules(),  macfWithPowersRules()};
}

QJsonObject rulesToJson(const ScoringRules& r) {
    QJsonArray values;
    for (int v : r.answerValues)
        values.append(v);
    return {{QStringLiteral("name"), r.name},
            {QStringLiteral("answerValues"), values},
            {QStringLiteral("regulationTossups"), r.regulationTossups},
            {QStringLiteral("timed"), r.timed},
            {QStringLiteral("bonusParts"), r.bonusParts},
            {QStringLiteral("pointsPerBonusPart"), r.pointsPerBonusPart},
            {QStringLiteral("bonusesBounceBack"), r.bonusesBounceBack},
            {QStringLiteral("minimumOvertimeTossups"), r.minimumOvertimeTossups},
            {QStringLiteral("overtimeIncludesBonuses"), r.overtimeIncludesBonuses},
            {QStringLiteral("timeoutsPerTeam"), r.timeoutsPerTeam},
            {QStringLiteral("timeoutsPerHalf"), r.timeoutsPerHalf}};
}

namespace {
constexpr int kMostPoints = 1000;
constexpr std::size_t kMostAnswerValues = 8;
}  // namespace

ScoringRules rulesFromJson(const QJsonObject& json) {
    ScoringRules r = plainRules();
    if (json.value(QStringLiteral("name")).isString())
        r.name = json.value(QStringLiteral("name")).toString();
    // The file may have been edited by hand: a value is kept within what a
    // sheet's total can add up over any match without overflowing, and a
    // handful of values is all a key can choose among.
    for (const QJsonValue v : json.value(QStringLiteral("answerValues")).toArray()) {
        if (r.answerValues.size() >= kMostAnswerValues) break;
        const int value = std::clamp(v.toInt(), -kMostPoints, kMostPoints);
        if (value != 0 &&
            std::find(r.answerValues.begin(), r.answerValues.end(), value) == r.answerValues.end())
            r.answerValues.push_back(value);
    }
    std::sort(r.answerValues.begin(), r.answerValues.end(), std::greater<>());
    auto count = [&json](const char* key, int most) {
        return std::clamp(json.value(QLatin1String(key)).toInt(), 0, most);
    };
    r.regulationTossups = count("regulationTossups", 999);
    r.timed = json.value(QStringLiteral("timed")).toBool();
    r.bonusParts = count("bonusParts", 9);  // one key per part: 1 to 9
    r.pointsPerBonusPart = count("pointsPerBonusPart", kMostPoints);
    if (r.pointsPerBonusPart == 0) r.bonusParts = 0;
    r.bonusesBounceBack = json.value(QStringLiteral("bonusesBounceBack")).toBool();
    r.minimumOvertimeTossups = count("minimumOvertimeTossups", 99);
    r.overtimeIncludesBonuses = json.value(QStringLiteral("overtimeIncludesBonuses")).toBool();
    r.timeoutsPerTeam = count("timeoutsPerTeam", 9);
    r.timeoutsPerHalf = json.value(QStringLiteral("timeoutsPerHalf")).toBool();
    return r;
}

QString rulesFileName() { return QStringLiteral("scoring-rules.json"); }

ScoringRules loadRulesChoice(const QString& folder) {
    QFile file(QDir(folder).filePath(rulesFileName()));
    if (!file.open(QIODevice::ReadOnly)) return plainRules();
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 16));
    if (!doc.isObject()) return plainRules();
    return rulesFromJson(doc.object());
}

bool saveRulesChoice(const QString& folder, const ScoringRules& rules) {
    return makePrivateFolder(folder) &&
           !files::saveAtomically(QDir(folder).filePath(rulesFileName()),
                                  QJsonDocument(rulesToJson(rules)).toJson());
}

int powerLevels(const ScoringRules& r) {
    // A power is worth more than the plain correct answer: every positive
    // value above the smallest is one.
    const long positives =
        std::count_if(r.answerValues.begin(), r.answerValues.end(), [](int v) { return v > 0; });
    return positives > 1 ? int(positives) - 1 : 0;
}

std::optional<int> powerValue(const ScoringRules& r, int level) {
    if (level < 0 || level >= powerLevels(r)) return std::nullopt;
    return r.answerValues[std::size_t(level)];
}

std::optional<int> correctValue(const ScoringRules& r) {
    // The smallest positive value: answerValues are highest first.
    for (auto it = r.answerValues.rbegin(); it != r.answerValues.rend(); ++it)
        if (*it > 0) return *it;
    return std::nullopt;
}

std::optional<int> negValue(const ScoringRules& r) {
    for (int v : r.answerValues)
        if (v < 0) return v;
    return std::nullopt;
}

}  // namespace scoresheet
