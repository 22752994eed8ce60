#include "scoresheet/sheetstats.h"

#include <algorithm>
#include <functional>

namespace scoresheet {

bool PlayerStats::played() const {
    return tossupsHeard > 0 ||
           std::any_of(answers.begin(), answers.end(), [](int n) { return n > 0; });
}

double TeamStats::pointsPerBonus() const {
    return bonusesHeard > 0 ? static_cast<double>(bonusPoints) / bonusesHeard : 0.0;
}

double TeamStats::bouncebackConversion() const {
    return bouncebackPartsHeard > 0 ? static_cast<double>(bouncebackParts) / bouncebackPartsHeard
                                    : 0.0;
}

QString teamName(const Sheet& sheet, int team) {
    const QString name =
        team < static_cast<int>(sheet.teams.size()) ? sheet.teams[team].name.trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("Team %1").arg(team + 1) : name;
}

QString playerName(const Sheet& sheet, int team, int player) {
    QString name;
    if (team < static_cast<int>(sheet.teams.size()) && player >= 0 &&
        player < sheet.teams[team].players.size())
        name = sheet.teams[team].players[player].trimmed();
    return name.isEmpty() ? QStringLiteral("Player %1").arg(player + 1) : name;
}

std::vector<int> lineupOf(const Sheet& sheet, const Tossup& tossup, int team) {
    if (team < static_cast<int>(tossup.lineups.size()) && !tossup.lineups[team].empty())
        return tossup.lineups[team];
    std::vector<int> all;
    if (team < static_cast<int>(sheet.teams.size()))
        for (int p = 0; p < sheet.teams[team].players.size(); ++p)
            all.push_back(p);
    return all;
}

double buzzShare(const Tossup& tossup, int word) {
    return tossup.questionWords > 0
               ? std::clamp(double(word) / double(tossup.questionWords), 0.0, 1.0)
               : 0.0;
}

QString shareText(double share) { return QStringLiteral("%1 %").arg(qRound(share * 100)); }

StatsTable buzzPointTable(const Sheet& sheet) {
    StatsTable t;
    if (!sheet.packet) return t;
    t.heading << QStringLiteral("Toss-up") << QStringLiteral("Question")
              << QStringLiteral("First buzz") << QStringLiteral("Correct buzz");
    for (const Tossup& tu : sheet.tossups) {
        const Buzz* first = nullptr;
        const Buzz* correct = nullptr;
        for (const Buzz& b : tu.buzzes) {
            if (!b.value || !b.word) continue;
            if (!first) first = &b;
            if (*b.value > 0) correct = &b;
        }
        auto text = [&](const Buzz* b) {
            return b ? QStringLiteral("%1, word %2, %3")
                           .arg(playerName(sheet, b->team, b->player))
                           .arg(*b->word)
                           .arg(shareText(buzzShare(tu, *b->word)))
                     : QStringLiteral("\u2013");
        };
        t.rows.push_back(
            {QString::number(tu.number),
             tu.question >= 0 ? QString::number(tu.question + 1) : QStringLiteral("\u2013"),
             text(first), text(correct)});
    }
    return t;
}

QString answerLabel(int value) {
    return value < 0 ? QStringLiteral("\u2212%1").arg(-value) : QString::number(value);
}

Sheet playedSheet(const Sheet& sheet) {
    Sheet played = sheet;
    if (!played.tossups.empty() && !played.tossups.back().heard &&
        played.tossups.back().buzzes.empty() && played.tossups.back().bonusParts.empty())
        played.tossups.pop_back();
    // The clock can end a timed match before the last bonus is read: one
    // nobody gave a part of, with no timer started for it and nothing played
    // after it, was not.
    for (auto t = played.tossups.rbegin(); played.rules.timed && t != played.tossups.rend(); ++t) {
        if (t->bonusTeam) {
            if (!t->bonusHeard && std::all_of(t->bonusParts.begin(), t->bonusParts.end(),
                                              [](int p) { return p == 0; })) {
                t->bonusTeam.reset();
                t->bonusParts.clear();
            }
            break;
        }
        if (t->heard || !t->buzzes.empty()) break;
    }
    return played;
}

SheetStats computeSheetStats(const Sheet& sheet) {
    SheetStats stats;
    const int teams = static_cast<int>(sheet.teams.size());

    stats.answerValues = sheet.rules.answerValues;
    for (const Tossup& t : sheet.tossups)
        for (const Buzz& b : t.buzzes)
            if (b.value && std::find(stats.answerValues.begin(), stats.answerValues.end(),
                                     *b.value) == stats.answerValues.end())
                stats.answerValues.push_back(*b.value);
    std::sort(stats.answerValues.begin(), stats.answerValues.end(), std::greater<int>());

    // Rows for the roster, and for any player a buzz names beyond it, so
    // that no ruled point is lost from the tables.
    std::vector<std::vector<int>> row(teams);
    auto rowOf = [&](int team, int player) -> PlayerStats& {
        auto& rows = row[team];
        if (player >= static_cast<int>(rows.size())) rows.resize(player + 1, -1);
        if (rows[player] < 0) {
            rows[player] = static_cast<int>(stats.players.size());
            PlayerStats p;
            p.team = team;
            p.player = player;
            p.name = playerName(sheet, team, player);
            p.answers.assign(stats.answerValues.size(), 0);
            stats.players.push_back(p);
        }
        return stats.players[rows[player]];
    };
    for (int team = 0; team < teams; ++team)
        for (int p = 0; p < sheet.teams[team].players.size(); ++p)
            rowOf(team, p);

    stats.teams.resize(teams);
    for (int team = 0; team < teams; ++team)
        stats.teams[team].name = teamName(sheet, team);

    bool anyRuling = false;
    for (const Tossup& t : sheet.tossups) {
        for (int team = 0; team < teams; ++team) {
            std::vector<int> heard = lineupOf(sheet, t, team);
            for (const Buzz& b : t.buzzes)
                if (b.team == team && b.player >= 0 &&
                    std::find(heard.begin(), heard.end(), b.player) == heard.end())
                    heard.push_back(b.player);
            for (int p : heard)
                if (p >= 0) ++rowOf(team, p).tossupsHeard;
        }
        std::optional<int> correctTeam;
        for (const Buzz& b : t.buzzes) {
            if (!b.value || b.team < 0 || b.team >= teams || b.player < 0) continue;
            anyRuling = true;
            PlayerStats& p = rowOf(b.team, b.player);
            p.points += *b.value;
            stats.teams[b.team].tossupPoints += *b.value;
            const auto at =
                std::find(stats.answerValues.begin(), stats.answerValues.end(), *b.value);
            if (at != stats.answerValues.end()) ++p.answers[at - stats.answerValues.begin()];
            if (*b.value > 0) correctTeam = b.team;
            if (*b.value > 0 && b.word && t.questionWords > 0) {
                ++p.correctWithWord;
                p.correctShareSum += buzzShare(t, *b.word);
            }
        }
        const bool bonusRead =
            t.bonusTeam && *t.bonusTeam >= 0 && *t.bonusTeam < teams && !t.bonusParts.empty();
        if (bonusRead) {
            anyRuling = true;
            TeamStats& team = stats.teams[*t.bonusTeam];
            ++team.bonusesHeard;
            for (int part : t.bonusParts)
                team.bonusPoints += part;
            // What the controlling team missed went to the other.
            if (teams == 2 && !t.bouncebackParts.empty()) {
                TeamStats& other = stats.teams[1 - *t.bonusTeam];
                for (std::size_t i = 0; i < t.bonusParts.size(); ++i) {
                    if (t.bonusParts[i] != 0) continue;
                    ++other.bouncebackPartsHeard;
                    const int took = i < t.bouncebackParts.size() ? t.bouncebackParts[i] : 0;
                    other.bouncebackPoints += took;
                    if (took != 0) ++other.bouncebackParts;
                }
            }
        }
        if (correctTeam && !(bonusRead && *t.bonusTeam == *correctTeam))
            ++stats.teams[*correctTeam].correctWithoutBonus;
    }

    stats.boardOnly = sheet.rules.plain() || !anyRuling;
    for (int team = 0; team < teams; ++team) {
        TeamStats& s = stats.teams[team];
        s.total = stats.boardOnly ? sheet.teams[team].points
                                  : s.tossupPoints + s.bonusPoints + s.bouncebackPoints;
    }
    // Bounce-backs taken under rules changed since are the match's too.
    stats.bouncebacks =
        teams == 2 && ((sheet.rules.bonusesBounceBack && sheet.rules.bonusParts > 0) ||
                       std::any_of(stats.teams.begin(), stats.teams.end(),
                                   [](const TeamStats& t) { return t.bouncebackPoints != 0; }));
    stats.tossupsRead = static_cast<int>(sheet.tossups.size());
    if (sheet.rules.regulationTossups > 0)
        stats.overtimeTossups = std::max(0, stats.tossupsRead - sheet.rules.regulationTossups);
    return stats;
}

}  // namespace scoresheet

namespace scoresheet {

StatsTable playerTable(const SheetStats& stats) {
    StatsTable t;
    t.heading << QStringLiteral("Player") << QStringLiteral("Team") << QStringLiteral("TUH");
    for (int v : stats.answerValues)
        t.heading << answerLabel(v);
    t.heading << QStringLiteral("Points");
    const bool points = std::any_of(stats.players.begin(), stats.players.end(),
                                    [](const PlayerStats& p) { return p.correctWithWord > 0; });
    if (points) t.heading << QStringLiteral("Avg. correct buzz");
    for (const PlayerStats& p : stats.players) {
        if (!p.played()) continue;
        QStringList row{p.name, stats.teams[p.team].name, QString::number(p.tossupsHeard)};
        for (int n : p.answers)
            row << QString::number(n);
        row << QString::number(p.points);
        if (points)
            row << (p.correctWithWord ? shareText(p.correctShareSum / p.correctWithWord)
                                      : QStringLiteral("\u2013"));
        t.rows.push_back(row);
    }
    return t;
}

StatsTable teamTable(const SheetStats& stats) {
    StatsTable t;
    t.heading << QStringLiteral("Team") << QStringLiteral("Toss-up points")
              << QStringLiteral("Bonuses heard") << QStringLiteral("Bonus points")
              << QStringLiteral("PPB");
    if (stats.bouncebacks) t.heading << QStringLiteral("BB points") << QStringLiteral("BB taken");
    t.heading << QStringLiteral("Total");
    for (const TeamStats& s : stats.teams) {
        QStringList row{s.name, QString::number(s.tossupPoints), QString::number(s.bonusesHeard),
                        QString::number(s.bonusPoints),
                        s.bonusesHeard ? QString::number(s.pointsPerBonus(), 'f', 2)
                                       : QStringLiteral("\u2013")};
        if (stats.bouncebacks)
            row << QString::number(s.bouncebackPoints)
                << (s.bouncebackPartsHeard ? QStringLiteral("%1 of %2 (%3%)")
                                                 .arg(s.bouncebackParts)
                                                 .arg(s.bouncebackPartsHeard)
                                                 .arg(qRound(100.0 * s.bouncebackConversion()))
                                           : QStringLiteral("\u2013"));
        row << QString::number(s.total);
        t.rows.push_back(row);
    }
    return t;
}

}  // namespace scoresheet
