#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>

#include "scoresheet/rules.h"
#include "scoresheet/sheetbuilder.h"

using namespace scoresheet;

// scoring-rules.json may be edited by hand: whatever it says, every value is
// kept within bounds, so a match of the most toss-ups the rules allow, each
// answered for the most and every bonus part heard, adds up to its true
// total rather than overflowing.
TEST(ScoringRulesFile, ValuesEditedByHandAreClampedSoTheTotalCannotOverflow) {
    QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath(rulesFileName()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"name": "Edited", "answerValues": [2147483647, 2147483000, -2147483648, 5, 6, 7,
        8, 9, 11, 12, 13], "regulationTossups": 2147483647, "bonusParts": 2147483647,
        "pointsPerBonusPart": 2147483647, "minimumOvertimeTossups": 2147483647,
        "timeoutsPerTeam": 2147483647})");
    file.close();
    const ScoringRules rules = loadRulesChoice(dir.path());
    ASSERT_FALSE(rules.answerValues.empty());
    EXPECT_LE(rules.answerValues.size(), 8u);
    EXPECT_LE(rules.timeoutsPerTeam, 9);
    for (int v : rules.answerValues) {
        EXPECT_LE(v, 1000);
        EXPECT_GE(v, -1000);
    }

    Sheet sheet;
    sheet.rules = rules;
    sheet.teams = {{QStringLiteral("A"), {QStringLiteral("Ann")}, 0},
                   {QStringLiteral("B"), {QStringLiteral("Bo")}, 0}};
    const int most = rules.answerValues.front();
    const int tossups = rules.regulationTossups + rules.minimumOvertimeTossups;
    for (int n = 1; n <= tossups; ++n) {
        Tossup t;
        t.number = n;
        t.buzzes.push_back({0, 0, {}, most});
        t.bonusTeam = 0;
        t.bonusParts.assign(std::size_t(rules.bonusParts), rules.pointsPerBonusPart);
        sheet.tossups.push_back(t);
    }
    const long long expected =
        static_cast<long long>(tossups) * (most + rules.bonusParts * rules.pointsPerBonusPart);
    ASSERT_LE(expected, INT_MAX);
    EXPECT_EQ(teamTotal(sheet, 0), expected);
}
