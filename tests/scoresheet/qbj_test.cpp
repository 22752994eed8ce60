#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>

#include "qbjvalidator.h"
#include "scoresheet/matchdetailswindow.h"
#include "scoresheet/qbjreader.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/resultfiles.h"
#include "scoresheet/sheetreport.h"
#include "scoresheet/sheetstats.h"
#include "support/filesizelimit.h"

using namespace scoresheet;

namespace {

const QDateTime kStart(QDate(2026, 3, 14), QTime(9, 30), QTimeZone(3600));

struct Row {
    std::vector<Buzz> buzzes;  // times are filled in from the toss-up's start
    std::optional<int> bonusTeam;
    std::vector<int> parts;
};

Buzz by(int team, int player, std::optional<int> value) { return {team, player, {}, value}; }

// A sheet from rows, each toss-up 40 s after the last, buzzes 6 s in and a
// second apart, the bonus 15 s in.
Sheet sheetOf(ScoringRules rules, std::vector<SheetTeam> teams, const std::vector<Row>& rows,
              std::function<std::vector<std::vector<int>>(int number)> lineups = {}) {
    Sheet s;
    s.rules = std::move(rules);
    s.teams = std::move(teams);
    s.started = kStart;
    s.tournament = QStringLiteral("Spring Open");
    s.round = QStringLiteral("Round 3");
    s.room = QStringLiteral("Room 2");
    s.moderator = QStringLiteral("M. Reader");
    for (size_t i = 0; i < rows.size(); ++i) {
        Tossup t;
        t.number = static_cast<int>(i) + 1;
        t.startTime = kStart.addSecs(40 * static_cast<int>(i));
        t.buzzes = rows[i].buzzes;
        for (size_t b = 0; b < t.buzzes.size(); ++b)
            t.buzzes[b].time = t.startTime.addMSecs(6000 + 1000 * static_cast<int>(b) + 37);
        t.bonusTeam = rows[i].bonusTeam;
        t.bonusParts = rows[i].parts;
        if (t.bonusTeam) t.bonusStartTime = t.startTime.addSecs(15);
        if (lineups) t.lineups = lineups(t.number);
        s.tossups.push_back(t);
    }
    return s;
}

ScoringRules twentyTossups() {
    return {
        QStringLiteral("20 toss-ups, 10/-5, 3x10"), {10, -5}, 20, false, 3, 10, false, 1, false};
}

// Twenty toss-ups and one in overtime: a neg then the other team's buzz, a
// no-penalty wrong answer, dead toss-ups, and Eve in for Ann from the 11th.
Sheet twentyTossupMatch() {
    const int A = 0, B = 1;
    std::vector<Row> rows = {
        {{by(A, 0, 10)}, A, {10, 10, 0}},
        {{by(B, 0, 10)}, B, {10, 0, 0}},
        {{by(A, 1, -5), by(B, 1, 10)}, B, {10, 10, 10}},
        {{}, {}, {}},
        {{by(A, 2, 10)}, A, {0, 0, 0}},
        {{by(B, 2, 0), by(A, 0, 10)}, A, {10, 0, 10}},
        {{by(A, 3, 10)}, A, {10, 10, 10}},
        {{by(B, 3, 10)}, B, {0, 10, 0}},
        {{by(B, 0, -5), by(A, 1, 10)}, A, {10, 10, 0}},
        {{by(B, 1, 10)}, B, {10, 10, 10}},
        {{by(A, 4, 10)}, A, {10, 0, 0}},
        {{by(B, 0, 10)}, B, {10, 10, 0}},
        {{}, {}, {}},
        {{by(A, 1, -5)}, {}, {}},
        {{by(B, 2, 10)}, B, {0, 0, 0}},
        {{by(A, 2, 10)}, A, {10, 10, 10}},
        {{by(B, 3, -5), by(A, 3, -5)}, {}, {}},
        {{by(A, 4, 10)}, A, {0, 10, 0}},
        {{by(B, 0, 10)}, B, {10, 0, 10}},
        {{by(A, 1, 10)}, A, {10, 10, 0}},
        {{by(B, 1, 10)}, {}, {}},  // overtime: no bonus
    };
    return sheetOf(twentyTossups(),
                   {{QStringLiteral("Alpha Academy"), {"Ann", "Ben", "Cal", "Dee", "Eve"}, 235},
                    {QStringLiteral("Beta \"B\" / Co."), {"Fay", "Gus", "Hal", "Ivy"}, 190}},
                   rows, [](int n) {
                       return std::vector<std::vector<int>>{
                           n <= 10 ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{4, 1, 2, 3},
                           {0, 1, 2, 3}};
                   });
}

// A timed match with powers and five players a side, ended by the clock.
Sheet powersMatch() {
    ScoringRules rules{
        QStringLiteral("Timed, powers"), {15, 10, -5}, 20, true, 3, 10, false, 1, false};
    const std::vector<Row> rows = {
        {{by(0, 0, 15)}, 0, {10, 10, 10}},
        {{by(1, 4, -5), by(0, 1, 10)}, 0, {0, 0, 10}},
        {{by(1, 0, 15)}, 1, {10, 0, 0}},
        {{by(0, 2, -5), by(1, 1, 10)}, 1, {10, 10, 0}},
        {{}, {}, {}},  // opened by the last clear, never read
    };
    return sheetOf(rules,
                   {{"Xenon", {"Xa", "Xb", "Xc", "Xd", "Xe"}, 60},
                    {"Yttrium", {"Ya", "Yb", "Yc", "Yd", "Ye"}, 50}},
                   rows, [](int) {
                       return std::vector<std::vector<int>>{{0, 1, 2, 3, 4}, {0, 1, 2, 3, 4}};
                   });
}

// Scored with F1-F4 alone: the boards are everything.
Sheet plainMatch() {
    Sheet s = sheetOf({}, {{"Red", {"Rae", "", "", ""}, 120}, {"Blue", {}, 85}}, {});
    s.lockoutNotes = QStringList{"Tie between Rae and Bo drawn for Rae",
                                 "Second place held: Bo, 14 ms after Rae"};
    return s;
}

// Three teams, two of one name and one unnamed, no bonuses.
Sheet threeTeamMatch() {
    ScoringRules rules{
        QStringLiteral("10/-5, no bonuses"), {10, -5}, 0, false, 0, 0, false, 0, false};
    const std::vector<Row> rows = {
        {{by(0, 0, 10)}, {}, {}},
        {{by(1, 0, -5), by(2, 0, 10)}, {}, {}},
        {{by(0, 1, -5), by(1, 1, -5), by(2, 1, 10)}, {}, {}},
    };
    return sheetOf(
        rules, {{"Gamma", {"G1", "G2"}, 5}, {"Gamma", {"H1", "H2"}, -10}, {"", {"I1", "I2"}, 20}},
        rows);
}

QJsonObject parsed(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

const qbjcheck::Schema& schema() {
    static const qbjcheck::Schema s = [] {
        QString error;
        qbjcheck::Schema loaded =
            qbjcheck::Schema::load(QStringLiteral(TORVANEL_QBJ_SCHEMA_DIR), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return loaded;
    }();
    return s;
}

QStringList allErrors(const QJsonObject& doc) {
    return qbjcheck::validate(schema(), doc) + qbjcheck::checkImporterRules(doc);
}

}  // namespace

TEST(Qbj, SchemaIsReadFromItsOwnDefinition) {
    // The definition itself, not a copy of it in code: its types and their
    // required fields are there.
    ASSERT_NE(schema().field("MatchPlayer", "tossups_heard"), nullptr);
    EXPECT_TRUE(schema().field("MatchPlayer", "tossups_heard")->type.nonNull);
    EXPECT_TRUE(schema().field("Match", "match_teams")->type.list);
    EXPECT_TRUE(schema().enums.value("LineupReason").contains("before_overtime"));
    EXPECT_GE(schema().types.size(), 20);
}

TEST(Qbj, WrittenMatchesFollowTheFormatAndTheirBoards) {
    struct Case {
        const char* what;
        Sheet sheet;
        QMap<QString, int> boards;
        int tossupsRead, overtime;
    };
    const std::vector<Case> cases = {
        {"twenty toss-ups and overtime",
         twentyTossupMatch(),
         {{"Alpha Academy", 235}, {"Beta \"B\" / Co.", 190}},
         21,
         1},
        {"powers, timed, five a side", powersMatch(), {{"Xenon", 60}, {"Yttrium", 50}}, 4, 0},
        {"plain rules", plainMatch(), {{"Red", 120}, {"Blue", 85}}, 0, 0},
        {"three teams", threeTeamMatch(), {{"Gamma", 5}, {"Gamma (2)", -10}, {"Team 3", 20}}, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QJsonObject doc = parsed(writeQbj(c.sheet));
        EXPECT_EQ(allErrors(doc), QStringList());
        EXPECT_EQ(qbjcheck::teamTotals(doc), c.boards);

        QJsonObject match, tournament;
        for (const QJsonValue& v : doc["objects"].toArray()) {
            if (v["type"] == "Match") match = v.toObject();
            if (v["type"] == "Tournament") tournament = v.toObject();
        }
        EXPECT_EQ(match["tossups_read"].toInt(), c.tossupsRead);
        EXPECT_EQ(match["overtime_tossups_read"].toInt(), c.overtime);
        EXPECT_EQ(tournament["scoring_rules"].toObject()["teams_per_match"].toInt(),
                  static_cast<int>(c.sheet.teams.size()));
        EXPECT_EQ(match["location"].toString(), "Room 2");
        // The lockout's own account rides along, for people and for us.
        for (const QString& line : c.sheet.lockoutNotes)
            EXPECT_TRUE(match["notes"].toString().contains(line));
        EXPECT_EQ(match["_torvanel"].toObject()["lockout_notes"].toArray().size(),
                  c.sheet.lockoutNotes.size());
        EXPECT_EQ(match["notes"].toString().contains("take two teams"), c.sheet.teams.size() > 2);
    }
}

TEST(Qbj, BuzzTimesKeepTheirZoneToTheMillisecond) {
    const QJsonObject doc = parsed(writeQbj(twentyTossupMatch()));
    for (const QJsonValue& v : doc["objects"].toArray()) {
        if (v["type"] == "Match") {
            EXPECT_EQ(v["match_questions"][2]["buzzes"][1]["buzz_position"]["time"].toString(),
                      "2026-03-14T09:31:27.037+01:00");
        }
    }
}

TEST(Qbj, TheCheckCatchesBrokenDocuments) {
    const QJsonObject good = parsed(writeQbj(twentyTossupMatch()));
    ASSERT_EQ(allErrors(good), QStringList());

    // A path into the document whose first step names a top-level object
    // by its type ("Match", "Team") or a key of the envelope.
    using Edit = std::function<void(QJsonValue&)>;
    std::function<QJsonValue(QJsonValue, QStringList, const Edit&)> at =
        [&](QJsonValue v, QStringList path, const Edit& edit) -> QJsonValue {
        if (path.isEmpty()) {
            edit(v);
            return v;
        }
        const QString step = path.takeFirst();
        if (v.isArray()) {
            QJsonArray a = v.toArray();
            const int i = step.toInt();
            const QJsonValue inner =
                at(i < a.size() ? a[i] : QJsonValue(QJsonValue::Undefined), path, edit);
            if (inner.isUndefined())
                a.removeAt(i);
            else if (i < a.size())
                a[i] = inner;
            else
                a.append(inner);
            return a;
        }
        QJsonObject o = v.toObject();
        const QJsonValue inner = at(o.value(step), path, edit);
        if (inner.isUndefined())
            o.remove(step);
        else
            o[step] = inner;
        return o;
    };
    auto mutate = [&](const QString& where, const Edit& edit) {
        QStringList path = where.split('/');
        QJsonObject doc = good;
        if (path.first() != "version" && path.first() != "objects") {
            QJsonArray objects = doc["objects"].toArray();
            for (int i = 0; i < objects.size(); ++i)
                if (objects[i].toObject()["type"] == path.first()) {
                    path.first() = QString::number(i);
                    break;
                }
            path.prepend("objects");
        }
        return at(doc, path, edit).toObject();
    };
    auto set = [](QJsonValue value) { return [value](QJsonValue& v) { v = value; }; };
    const Edit remove = [](QJsonValue& v) { v = QJsonValue(QJsonValue::Undefined); };
    const QJsonObject teamRef{{"$ref", "Team_Alpha Academy"}};

    struct Case {
        const char* where;
        Edit edit;
        const char* error;  // empty: the document stays valid
    };
    const std::vector<Case> cases = {
        {"Match/match_teams/0/points", set(235), "points or bonus_points"},
        {"Match/carryover_phases", remove, "carryover_phases"},
        {"Match/notes", set(QJsonValue::Null), "is null"},
        {"Match/match_teams", remove, "match_teams is required"},
        {"Match/tossups_read", set("21"), "must be an Int"},
        {"Match/match_teams/0/lineups/0/reason", set("coffee"), "LineupReason"},
        {"Match/match_questions/2/buzzes/1/team", set(teamRef), "two buzzes by one team"},
        {"Tournament/registrations/0/teams/0/id", set(good["objects"][1]["id"]), "defined twice"},
        {"Match/match_questions/0/buzzes/0/team",
         set(QJsonObject{{"$ref", "Player_Alpha Academy_Ann"}}),
         "refers to a Player where a Team belongs"},
        {"Match/match_teams/0/colour", set("red"), "not a field of MatchTeam"},
        {"Match/match_questions/0/tossup_start_time", set("2026-03-14T09:30:00"), "with zone"},
        {"Match/match_questions/0/bonus_points", set(20), "both bonus and bonus_points"},
        {"Match/match_teams/0/match_players/0/answer_counts/0/number", set(9), "states"},
        {"Match/match_questions/0/bonus/parts/0/controlled_points", set(0), "states"},
        {"version", set("1.3"), "version"},
        {"objects/0/name", set(7), "must be a string"},
        {"Match/overtime_tossups_read", set(0), "overtime"},
        {"Match/match_questions/0/buzzes/0/result", set(QJsonObject{{"$ref", "AT_10"}}),
         "refers to an answer type"},
        {"Tournament/phases/0/name", set("Prelims"), "number"},
        {"Match/match_questions/0/buzzes/0/buzz_position/time",
         set("2026-03-14T09:29:00.000+01:00"), "before its toss-up"},
        {"Tournament/registrations/0/teams/0/name", set("Alpha"), "Team_<name>"},
        {"Match/match_questions/0/buzzes/0/player", remove, "player is required"},
        {"Match/type", remove, "type the format defines"},
        {"Tournament/phases/0/pools/0/pool_teams/1", remove, "no one pool"},
        {"Match/match_teams/1/team", set(QJsonObject{{"name", "Beta"}}), "in place of a reference"},
        // What the stats programs refuse of a scoresheet: a wrong answer
        // without penalty that is no answer type, a bonus in overtime
        // under rules without one, two correct answers on one toss-up,
        // totals that do not add up.
        {"Tournament/scoring_rules/answer_types/1", remove, "no answer type"},
        {"Tournament/scoring_rules/regulation_tossup_count", set(17), "bonus in overtime"},
        {"Match/match_questions/2/buzzes/0/result", set(QJsonObject{{"value", 10}}),
         "two correct answers"},
        {"Match/match_teams/1/bonus_points", set(170), "its toss-ups give"},
        {"Tournament/phases/0/rounds/0/name", set("Round 3"), "round \"Round 3\""},
        {"Tournament/scoring_rules/maximum_players_per_team", set(2), "than the lineups allow"},
        // A reference to something another file defines is allowed.
        {"Tournament/registrations/2", set(QJsonObject{{"$ref", "Registration_Elsewhere"}}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        const QStringList errors = allErrors(mutate(c.where, c.edit));
        if (*c.error == '\0')
            EXPECT_EQ(errors, QStringList());
        else
            EXPECT_TRUE(errors.join('\n').contains(c.error)) << errors.join('\n').toStdString();
    }

    QJsonObject twoTournaments = good;
    QJsonArray objects = good["objects"].toArray();
    objects.append(objects[0]);
    twoTournaments["objects"] = objects;
    EXPECT_TRUE(allErrors(twoTournaments).join('\n').contains("exactly one Tournament"));
}

TEST(Qbj, StatsCountWhoHeardWhatAndWhatBonusesGave) {
    const SheetStats stats = computeSheetStats(twentyTossupMatch());
    // Hal's wrong answer without penalty is an answer of its own kind.
    EXPECT_EQ(stats.answerValues, (std::vector<int>{10, 0, -5}));
    EXPECT_EQ(stats.players[5 + 2].answers, (std::vector<int>{1, 1, 0}));
    auto player = [&](int team, int p) { return stats.players[team * 5 + p]; };
    EXPECT_EQ(player(0, 0).tossupsHeard, 10);  // Ann, until Eve came in
    EXPECT_EQ(player(0, 4).tossupsHeard, 11);
    EXPECT_EQ(player(0, 1).tossupsHeard, 21);
    EXPECT_EQ(player(0, 1).answers, (std::vector<int>{2, 0, 2}));  // Ben: two tens, two negs
    EXPECT_EQ(player(0, 1).points, 10);
    EXPECT_EQ(stats.teams[0].bonusesHeard, 9);
    EXPECT_EQ(stats.teams[0].bonusPoints, 160);
    EXPECT_NEAR(stats.teams[0].pointsPerBonus(), 17.78, 0.01);
    EXPECT_EQ(stats.teams[1].correctWithoutBonus, 1);
    EXPECT_EQ(stats.teams[1].total, 190);
}

// The scoresheet page on paper carries every player's name whole, however
// long; read back from the PDF with poppler's pdftotext where it is there.
TEST(Qbj, TheScoresheetPageNamesEveryPlayerWhole) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    Sheet sheet = twentyTossupMatch();
    sheet.teams[0].players = {"Alexandrina Montgomery-Smythe", "Ben", "Cal", "Dee",
                              "Evangeline Okonkwo-Richards"};
    QTemporaryDir dir;
    const QString pdf = dir.filePath("sheet.pdf");
    ASSERT_TRUE(writeScoresheetPdf(pdf, sheet));
    QProcess p;
    p.start(pdftotext, {pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_FALSE(text.contains(QChar(0x2026))) << "a name was cut";
    for (const SheetTeam& team : sheet.teams)
        for (const QString& name : team.players)
            for (const QString& word : name.split(u' '))
                EXPECT_TRUE(text.contains(word)) << word.toStdString();
}

TEST(Qbj, RostersComeFromTournamentsRegistrationsAndResults) {
    const QByteArray tournament = R"({"version": "2.1.1", "objects": [
        {"type": "Tournament", "name": "T", "registrations": [{"$ref": "school_lomax"}]},
        {"id": "school_lomax", "type": "Registration", "name": "Lomax", "teams": [
            {"id": "team_a", "name": "Lomax A", "players": [
                {"id": "p1", "name": "Flo Ondricka", "year": 12}, {"id": "p2", "name": "Morgan Torp"}]},
            {"id": "team_b", "name": "Lomax B", "players": [{"$ref": "p9"}, {"name": " Rene "}]}]},
        {"type": "Team", "id": "team_c", "name": "Walk-ins", "players": [{"id": "p9", "name": "Laurie"}]}
    ]})";
    const QByteArray registration =
        R"({"type": "Registration", "name": "Lake Worth", "teams": [{"name": "Lake Worth A"}]})";

    struct Case {
        const char* what;
        QByteArray json;
        std::vector<std::pair<QString, QStringList>> teams;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"a tournament",
         tournament,
         {{"Lomax A", {"Flo Ondricka", "Morgan Torp"}},
          {"Lomax B", {"Laurie", "Rene"}},
          {"Walk-ins", {"Laurie"}}},
         ""},
        {"a registration on its own", registration, {{"Lake Worth A", {}}}, ""},
        {"our own result file",
         writeQbj(twentyTossupMatch()),
         {{"Alpha Academy", {"Ann", "Ben", "Cal", "Dee", "Eve"}},
          {"Beta \"B\" / Co.", {"Fay", "Gus", "Hal", "Ivy"}}},
         ""},
        {"not JSON", "{\"version\": \"2.1.1\", \"objects\": [", {}, "This is not a QBJ file"},
        {"JSON of something else", "{\"rows\": [1, 2]}", {}, "This is not a QBJ file"},
        {"no teams",
         R"({"version": "2.1.1", "objects": [{"type": "Tournament", "name": "T"}]})",
         {},
         "The file holds no teams"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Roster roster = readRoster(c.json);
        if (*c.error == '\0')
            EXPECT_TRUE(roster.ok()) << roster.error.toStdString();
        else
            EXPECT_TRUE(roster.error.startsWith(c.error)) << roster.error.toStdString();
        std::vector<std::pair<QString, QStringList>> teams;
        for (const RosterTeam& t : roster.teams)
            teams.push_back({t.name, t.players});
        EXPECT_EQ(teams, c.teams);
    }
    EXPECT_TRUE(readRosterFile("/nonexistent/roster.qbj").error.startsWith("Cannot open"));
}

// A QBJ file comes from anywhere: what it may cost is bounded, a name that is
// not text is refused in words, and a name referenced many times is one name.
TEST(Qbj, RosterFilesThatAreTooLargeOrNotTextAreRefusedPlainly) {
    const auto teams = [](int count, int players, const QString& name) {
        QByteArray json = R"({"version": "2.1.1", "objects": [)";
        for (int t = 0; t < count; ++t) {
            QJsonArray list;
            for (int p = 0; p < players; ++p)
                list.append(QJsonObject{{"name", QStringLiteral("P%1").arg(p)}});
            const QJsonObject team{{"type", "Team"},
                                   {"id", QStringLiteral("t%1").arg(t)},
                                   {"name", t == 0 ? name : QStringLiteral("Team %1").arg(t)},
                                   {"players", list}};
            json += QJsonDocument(team).toJson(QJsonDocument::Compact) + ",";
        }
        json.chop(1);
        return json + "]}";
    };
    const QByteArray small = teams(2, 2, "Lomax");
    QByteArray utf16(reinterpret_cast<const char*>(QString::fromUtf8(small).utf16()),
                     small.size() * 2);

    struct Case {
        const char* what;
        QByteArray bytes;
        const char* error;  // the start of the message; empty: read
    };
    const std::vector<Case> cases = {
        {"the most teams", teams(kMaxRosterTeams, 1, "Lomax"), ""},
        {"one team too many", teams(kMaxRosterTeams + 1, 1, "Lomax"), "This file is too large"},
        {"one player too many", teams(1, kMaxTeamPlayers + 1, "Lomax"), "This file is too large"},
        {"a name too long", teams(1, 1, QString(kMaxRosterNameLength + 1, 'x')),
         "This file is too large"},
        {"a huge name", teams(1, 1, QString(kMaxQbjFileBytes, 'x')), "This file is too large"},
        {"a name of spaces", teams(1, 1, QString(1 << 20, ' ')), "The file holds no teams"},
        {"a file past the limit", QByteArray(kMaxQbjFileBytes + 1, ' '), "This file is too large"},
        {"NUL in a name", teams(1, 1, QString::fromUtf8("Lo\0max", 6)),
         "A team name in this file holds a control character (NUL)"},
        {"ESC in a name", teams(1, 1, "Lo\x1b[31mmax"),
         "A team name in this file holds a control character (ESC)"},
        {"UTF-16 with its mark", "\xff\xfe" + utf16, "This file is written in UTF-16"},
        {"UTF-16 without", utf16, "This file is written in UTF-16"},
        {"UTF-8 with a mark", "\xef\xbb\xbf" + small, ""},
        {"deep nesting", QByteArray(100000, '['), "This is not a QBJ file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Roster roster = readRoster(c.bytes);
        if (*c.error == '\0') {
            EXPECT_TRUE(roster.ok()) << roster.error.toStdString();
        } else {
            EXPECT_TRUE(roster.error.startsWith(QString::fromUtf8(c.error)))
                << roster.error.left(200).toStdString();
            EXPECT_TRUE(roster.teams.empty());
        }
    }

    // A device has no size to check: no more than the limit is read.
    EXPECT_TRUE(readRosterFile("/dev/zero").error.startsWith("This file is too large"));

    // References are looked up, not copied: every team that references a
    // player holds the one name.
    QByteArray bomb = R"({"objects": [{"type": "Team", "id": "p", "name": "Pat", "players": [)"
                      R"({"id": "x", "name": ")" +
                      QByteArray(kMaxRosterNameLength, 'n') + R"("}]})";
    for (int t = 0; t < 50; ++t) {
        bomb += QStringLiteral(R"(, {"type": "Team", "name": "T%1", "players": [)").arg(t).toUtf8();
        for (int r = 0; r < kMaxTeamPlayers; ++r)
            bomb += QByteArray(r ? "," : "") + R"({"$ref": "x"})";
        bomb += "]}";
    }
    bomb += "]}";
    const Roster shared = readRoster(bomb);
    ASSERT_TRUE(shared.ok()) << shared.error.toStdString();
    ASSERT_EQ(shared.teams.size(), 51u);
    const QString& first = shared.teams[0].players.at(0);
    for (const RosterTeam& t : shared.teams)
        for (const QString& p : t.players)
            EXPECT_TRUE(p.isSharedWith(first)) << t.name.toStdString();
}

TEST(Qbj, ResultFilesAreWholeNamedForTheStatsRoomAndKeepOtherMatches) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("drop/room 2");
    ResultFiles files(folder);
    QSignalSpy written(&files, &ResultFiles::resultWritten);

    Sheet sheet = twentyTossupMatch();
    const std::vector<Tossup> all = sheet.tossups;
    sheet.tossups.resize(5);
    files.matchChanged(sheet);
    sheet.tossups = all;
    files.matchChanged(sheet);
    files.flush();
    const QString base = "2026-03-14 Round 3 Room 2 Alpha Academy vs Beta -B- - Co.";
    QFile partial(QDir(folder).filePath(base + ".partial.qbj"));
    ASSERT_TRUE(partial.open(QIODevice::ReadOnly));
    EXPECT_EQ(parsed(partial.readAll())["objects"][1]["tossups_read"].toInt(), 21);
    partial.close();

    files.matchEnded(sheet);
    files.flush();
    EXPECT_EQ(files.lastResult(), QDir(folder).filePath(base + ".result.qbj"));
    EXPECT_FALSE(partial.exists());
    EXPECT_EQ(written.size(), 1);
    // Written again, the same match keeps its file; a rematch that day
    // under the same details gets one of its own.
    files.matchEnded(sheet);
    files.flush();
    EXPECT_EQ(files.lastResult(), QDir(folder).filePath(base + ".result.qbj"));
    sheet.started = sheet.started.addSecs(3600);
    files.matchEnded(sheet);
    files.flush();
    EXPECT_EQ(files.lastResult(), QDir(folder).filePath(base + " (2).result.qbj"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);

    // A folder that cannot be made is reported, not passed over.
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSignalSpy problems(&files, &ResultFiles::problem);
    files.setFolder(dir.filePath("file/results"));
    files.matchEnded(sheet);
    files.flush();
    EXPECT_EQ(problems.size(), 1);
}

// The result folder is meant to be a share several rooms write to, so it may
// hold anything: links are never written through and a dangling one is not
// a free name; names fit the file system; a failing write keeps the last
// good file; a share that is not mounted is said, not made on this disk.
TEST(Qbj, AResultFolderThatMayBeHostileIsWrittenSafely) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("share");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto fileText = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    const QString victim = dir.filePath("record.sqlite");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the record");
    }
    const QString nowhere = dir.filePath("nowhere.qbj");

    Sheet sheet = twentyTossupMatch();
    const QString partial = ResultFiles::partialPath(folder, sheet);
    const QString base = partial.chopped(QStringLiteral(".partial.qbj").size());
    ASSERT_TRUE(QFile::link(victim, partial));
    ASSERT_TRUE(QFile::link(victim, base + ".result.qbj"));
    ASSERT_TRUE(QFile::link(nowhere, base + " (2).result.qbj"));
    {
        ResultFiles files(folder);
        QSignalSpy problems(&files, &ResultFiles::problem);
        files.matchChanged(sheet);
        files.flush();
        EXPECT_FALSE(QFileInfo(partial).isSymLink()) << "the link is replaced";
        EXPECT_TRUE(fileText(partial).contains("\"Match\""));
        files.matchEnded(sheet);
        files.flush();
        EXPECT_EQ(files.lastResult(), base + " (3).result.qbj");
        EXPECT_EQ(problems.size(), 0);
    }
    EXPECT_EQ(fileText(victim), QByteArray("the record"));
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    // Two long Cyrillic school names, DEL and a right-to-left override: the
    // name keeps the date, round and room, and fits in 255 bytes.
    const QString school = QString(120, QChar(0x0416));
    sheet.teams[0].name = QStringLiteral("Школа ") + school;
    sheet.teams[1].name = QStringLiteral("Gim\x7fnazija \u202Eexe.fdp ") + school;
    sheet.round = QStringLiteral("Round 12");
    const QString name = resultBaseName(sheet);
    EXPECT_TRUE(name.startsWith("2026-03-14 Round 12 Room 2 Школа ")) << name.toStdString();
    EXPECT_TRUE(name.contains(" vs Gimnazija exe.fdp ")) << name.toStdString();
    EXPECT_LE((name + " (99).partial.qbj").toUtf8().size(), 255);
    {
        ResultFiles files(folder);
        files.matchChanged(sheet);
        files.flush();
        const QString good = ResultFiles::partialPath(folder, sheet);
        EXPECT_TRUE(QFileInfo(good).isFile()) << good.toStdString();

        // The round's name changes mid-match and the next write fails: the
        // last good partial file stays until one is written in its place.
        QSignalSpy problems(&files, &ResultFiles::problem);
        {
            FileSizeLimit full(64);
            sheet.round = QStringLiteral("Round 13");
            files.matchChanged(sheet);
            files.flush();
        }
        EXPECT_EQ(problems.size(), 1);
        EXPECT_TRUE(QFileInfo(good).isFile()) << "the last good file was deleted first";
        files.matchChanged(sheet);
        files.flush();
        EXPECT_TRUE(QFileInfo(ResultFiles::partialPath(folder, sheet)).isFile());
        EXPECT_FALSE(QFileInfo::exists(good)) << "replaced once its successor was written";
    }

    // A share not mounted: the folder is not made again on this disk; once
    // the operator chooses it, it is.
    const QString unmounted = dir.filePath("mnt/stats");
    ResultFiles files(unmounted, nullptr, ResultFiles::MakeFolder::No);
    QSignalSpy problems(&files, &ResultFiles::problem);
    files.matchEnded(sheet);
    files.flush();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0][0].toString().contains("is not there"))
        << problems[0][0].toString().toStdString();
    EXPECT_FALSE(QFileInfo::exists(unmounted));
    files.setFolder(unmounted, ResultFiles::MakeFolder::Yes);
    files.matchEnded(sheet);
    files.flush();
    EXPECT_EQ(files.resultsWritten(), 1);
    EXPECT_TRUE(files.lastResult().startsWith(unmounted));
}

TEST(Qbj, MatchDetailsAreKeptBetweenRuns) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config/matchdetails.json");
    EXPECT_EQ(loadMatchDetails(path, "/default").folder, "/default");
    const MatchDetails details{"Spring Open", "Round 3", "Room 2", "M. Reader", "/mnt/stats"};
    EXPECT_FALSE(saveMatchDetails(path, details));
    EXPECT_EQ(loadMatchDetails(path, "/default"), details);

    // The window: each label's accelerator reaches its box (none shows a
    // literal "&"), and Enter is OK.
    std::optional<MatchDetails> taken;
    QPointer<MatchDetailsWindow> w =
        new MatchDetailsWindow(details, {}, [&](const MatchDetails& d) { taken = d; });
    for (const QLabel* label : w->findChildren<QLabel*>()) {
        if (label->text().contains(u'&')) {
            EXPECT_TRUE(label->buddy()) << label->text().toStdString();
        }
    }
    w->room->setText(QStringLiteral("Room 5"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->room, &enter);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->room, "Room 5");
    delete w.data();
}
