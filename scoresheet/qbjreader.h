#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Team rosters from a QBJ file: a whole tournament, a registration file, or
// a match result. The reader is forgiving about which objects hold the teams
// (registrations, top-level teams, references or definitions in place) and
// plain about files it cannot use.
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

Roster readRoster(const QByteArray& json);
Roster readRosterFile(const QString& path);

}  // namespace scoresheet
