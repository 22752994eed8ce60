#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "scoresheet/sheet.h"

// A played match as the field's tournament interchange file (QBJ 2.1.1): one
// document holding the tournament, a registration and a team for each side,
// and the match itself, toss-up by toss-up. The stats programs that import
// these files are stricter than the format: they want no null anywhere, an
// empty carryover list, a phase named by a number, teams at the top level
// referenced by id and answer types written inline, so the document is
// written that way.
namespace scoresheet {

inline constexpr const char* kQbjVersion = "2.1.1";

// The whole document.
QJsonObject qbjDocument(const Sheet& sheet);
// The document as UTF-8 JSON, indented so a person can read it.
QByteArray writeQbj(const Sheet& sheet);

// The match alone, as the field's moderator app exports one and the
// buzz-point tools read it: one Match object, its teams and players written
// in place rather than referenced, the packet it was read from in
// `packets`, and the round beside the lockout's notes.
QJsonObject qbjBareMatch(const Sheet& sheet);
QByteArray writeBareMatchQbj(const Sheet& sheet);

// What the operator should know about this match's file, such as that a
// three-team match is beyond the common stats programs. Empty when nothing.
QStringList qbjOperatorNotes(const Sheet& sheet);
// The time-outs each team called, a line a team, for the notes and the report.
QStringList timeoutNotes(const Sheet& sheet);
// The points each team's board holds beside the sheet's toss-ups, which a
// file that adds up cannot carry ("Alpha +10"); none when the file's totals
// are the boards.
QStringList qbjAdjustments(const Sheet& sheet);

// A time as ISO 8601 with its zone offset, to the millisecond.
QString isoTime(const QDateTime& time);

// The id of a team in the document: "Team_" and its name.
QString qbjTeamId(const QString& name);

}  // namespace scoresheet
