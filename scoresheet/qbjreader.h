#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Team rosters from a QBJ file: a whole tournament, a registration file, or
// a match result; or the moderator app's roster file, a tournament or a list
// of registrations written without their types. The reader is forgiving about which objects hold
// the teams (registrations, top-level teams, references or definitions in place) and plain about
// files it cannot use.
//
// A file comes from anywhere, so what it can cost is bounded: its size, how
// many teams and players it may list and how long a name may be, each with a
// plain "too large" message; references are looked up, never copied, so a
// file that references one long name many times costs no more than the name.
namespace scoresheet {

struct RosterTeam {
    QString name;
    QStringList players;  // in the file's order
    // The school (registration) the file enters the team under, when it
    // says: the result file keeps it, so the stats room finds its own.
    QString registrationId{};
    QString registrationName{};
};

struct Roster {
    std::vector<RosterTeam> teams;  // in the file's order, each once
    QString error;                  // why nothing could be read; empty on success
    bool ok() const { return error.isEmpty(); }
};

// The limits. Far beyond any tournament's registrations and any school's
// name, and small enough that the roster window stays quick.
inline constexpr qint64 kMaxQbjFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxRosterTeams = 1000;
inline constexpr int kMaxTeamPlayers = 100;
inline constexpr int kMaxRosterNameLength = 200;

Roster readRoster(const QByteArray& json);
Roster readRosterFile(const QString& path);

}  // namespace scoresheet
