#pragma once

#include <vector>

#include <QJsonObject>
#include <QString>

#include "scoresheet/sheet.h"

// The scoring rules a match can be played under: the ones shipped with the
// program, the rules as a JSON object (how the record and the choice file
// keep them), and the operator's choice, kept in a file of its own beside
// the start-up setup file so that the setup file stays as it always was.
namespace scoresheet {

// The program's own way: the operator scores with the increment and the
// function keys, no toss-ups are kept. The default.
ScoringRules plainRules();
// Timed halves, 15 for a power, 10, -5 for a neg, bonuses of 3 x 10.
ScoringRules timedRules();
// 20 toss-ups at 10 / -5, bonuses of 3 x 10, one toss-up of overtime.
ScoringRules twentyTossupRules();

// The common formats of the field's moderator app, named as it names them:
// 20 toss-ups, bonuses of 3 x 10 that do not bounce back, overtime of at
// least one toss-up without bonuses, one time-out a team.
ScoringRules acfRules();             // 10 / -5
ScoringRules paceRules();            // 20 for a power, 10, no negs
ScoringRules macfWithPowersRules();  // 15 / 10 / -5

// The shipped rules, plain first.
std::vector<ScoringRules> presetRules();

QJsonObject rulesToJson(const ScoringRules& rules);
// Rules read back; what is missing or makes no sense falls back to the plain
// rules' values (an answer value of 0 is dropped: "no penalty" is always
// there, and is not an answer value).
ScoringRules rulesFromJson(const QJsonObject& json);

// The operator's choice: `folder`/scoring-rules.json. A missing or
// unreadable file gives the plain rules.
QString rulesFileName();
ScoringRules loadRulesChoice(const QString& folder);
// False when the file could not be written.
bool saveRulesChoice(const QString& folder, const ScoringRules& rules);

// The points of the three rulings under these rules; none when the rules have
// no such answer (no powers, no negs).
// `level` 0 is the highest power, 1 the next (a packet's "(+)" before its
// "(*)"), and so on.
std::optional<int> powerValue(const ScoringRules& rules, int level = 0);
int powerLevels(const ScoringRules& rules);
std::optional<int> correctValue(const ScoringRules& rules);
std::optional<int> negValue(const ScoringRules& rules);

}  // namespace scoresheet
