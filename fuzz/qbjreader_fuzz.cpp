// Any bytes as a QBJ file for the roster window: the reader either refuses
// them with a reason in words or gives teams within the limits, each named
// once, every name trimmed plain text within its length. The run's memory is
// capped (make fuzz), so a file that makes the reader allocate without bound
// fails it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

#include <QByteArray>
#include <QString>

#include "scoresheet/qbjreader.h"

namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "qbj reader: %s\n", what);
    std::abort();
}

void checkName(const QString& name) {
    check(!name.isEmpty(), "an empty name");
    check(name == name.trimmed(), "a name not trimmed");
    check(name.size() <= scoresheet::kMaxRosterNameLength, "a name past the limit");
    for (const QChar c : name)
        check(c.unicode() >= 0x20 && (c.unicode() < 0x7f || c.unicode() > 0x9f),
              "a control character in a name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const scoresheet::Roster roster = scoresheet::readRoster(bytes);
    if (!roster.ok()) {
        check(roster.teams.empty(), "teams given with an error");
        return 0;
    }
    check(!roster.teams.empty(), "no teams and no reason");
    check(roster.teams.size() <= std::size_t(scoresheet::kMaxRosterTeams), "too many teams");
    for (const scoresheet::RosterTeam& t : roster.teams) {
        checkName(t.name);
        check(t.players.size() <= scoresheet::kMaxTeamPlayers, "too many players");
        for (const QString& p : t.players)
            checkName(p);
    }
    return 0;
}
