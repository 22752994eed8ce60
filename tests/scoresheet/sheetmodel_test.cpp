// The scoresheet kept live from a match's events, and the same sheet rebuilt
// from the record afterwards.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTemporaryDir>

#include "scoresheet/rules.h"
#include "scoresheet/sheetmodel.h"
#include "scoresheet/sheetstats.h"

using record::EventKind;
using namespace scoresheet;

namespace {

struct Kept {
    EventKind kind;
    qint64 wallMs;
    QJsonObject data;
};

// The program's recorder with the sheet watching it, and the boards of a
// play screen that record their changes as the screen does.
class Match final : public record::MatchRecorder, public ScoreBoard {
public:
    explicit Match(const ScoringRules& rules) : model(*this, *this, rules) {}

    void record(EventKind kind, const QJsonObject& data) override {
        events.push_back({kind, QDateTime::currentMSecsSinceEpoch(), data});
        model.record(kind, data);
    }
    void moveScore(int team, int points, const QString& how) override {
        const int before = boards[std::size_t(team)];
        boards[std::size_t(team)] += points;
        // The operator's own changes are the board's to take back.
        if (how.startsWith('F')) {
            own.resize(done);
            own.push_back({team, points});
            ++done;
        }
        record(EventKind::ScoreChanged, {{"team", team},
                                         {"before", before},
                                         {"after", boards[std::size_t(team)]},
                                         {"how", how}});
    }
    bool undoBoard() override { return step(-1); }
    bool redoBoard() override { return step(+1); }
    bool step(int direction) {
        if (direction < 0 ? done == 0 : done == own.size()) return false;
        const auto [team, points] = own[direction < 0 ? --done : done++];
        const int before = boards[std::size_t(team)];
        boards[std::size_t(team)] += direction * points;
        record(direction < 0 ? EventKind::ScoreUndone : EventKind::ScoreRedone,
               {{"team", team}, {"before", before}, {"after", boards[std::size_t(team)]}});
        return true;
    }
    void start() {
        boards = {0, 0};
        record(EventKind::MatchStarted,
               {{"teams", QJsonArray{"Red Foxes", "Blue Owls"}},
                {"players", QJsonArray{QJsonArray{"Ann", "Ben", "Cal", "Dee"},
                                       QJsonArray{"Eve", "Fay", "Gus", "Hal"}}},
                {"scores", QJsonArray{0, 0}}});
    }
    // Player numbers as the boxes give them: Red 1 to 4, Blue 5 to 8.
    void buzz(int player) {
        record(EventKind::BuzzIn, {{"player", player}, {"team", (player - 1) / 4}});
    }
    void clear() { record(EventKind::Cleared, {{"how", "space"}}); }

    std::vector<Kept> events;
    std::vector<int> boards{0, 0};
    std::vector<std::pair<int, int>> own;  // the operator's board changes: team, points
    std::size_t done = 0;
    SheetModel model;
};

// What a buzz, a toss-up and a sheet hold, without the times.
QString describe(const Sheet& s) {
    QString out = s.rules.name;
    for (const SheetTeam& t : s.teams)
        out +=
            QStringLiteral("|%1 %2 %3").arg(t.name, t.players.join(','), QString::number(t.points));
    for (const Tossup& t : s.tossups) {
        out += QStringLiteral("\n%1:").arg(t.number);
        for (const Buzz& b : t.buzzes)
            out += QStringLiteral(" %1.%2=%3")
                       .arg(b.team)
                       .arg(b.player)
                       .arg(b.value ? QString::number(*b.value) : QStringLiteral("?"));
        if (t.bonusTeam) {
            out += QStringLiteral(" bonus %1:").arg(*t.bonusTeam);
            for (int p : t.bonusParts)
                out += QStringLiteral(" %1").arg(p);
        }
        for (const auto& l : t.lineups) {
            out += QStringLiteral(" [");
            for (int i : l)
                out += QString::number(i);
            out += QStringLiteral("]");
        }
    }
    return out + QStringLiteral("\n") + s.lockoutNotes.join('\n');
}

TEST(SheetModel, AMatchUnderTwentyTossupRulesKeepsTheFieldsScoresheetAndTheBoards) {
    Match m(twentyTossupRules());
    m.start();
    ASSERT_EQ(m.model.sheet().tossups.size(), 1u);

    // 1: Ann answers (no power under these rules), two bonus parts of three.
    m.buzz(1);
    EXPECT_FALSE(m.model.key(Qt::Key_P, 0));
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    m.clear();  // the next toss-up; the bonus is read after the clear
    EXPECT_TRUE(m.model.key(Qt::Key_1, 0));
    EXPECT_TRUE(m.model.key(Qt::Key_3, 0));
    EXPECT_FALSE(m.model.key(Qt::Key_4, 0));
    // 2: Fay negs, the clear re-arms for Red on the same toss-up, Blue's
    // second press on it is not another buzz, Cal (held in second place)
    // answers.
    m.buzz(6);
    EXPECT_TRUE(m.model.key(Qt::Key_N, 0));
    m.clear();
    ASSERT_EQ(m.model.sheet().tossups.size(), 2u);
    m.buzz(7);
    m.record(EventKind::SecondPlaceReleased, {{"player", 3}, {"team", 0}});
    m.record(EventKind::Tie, {{"pressed", QJsonArray{3, 8}}, {"drawn", 3}});
    EXPECT_TRUE(m.model.key(Qt::Key_C, Qt::ShiftModifier));
    EXPECT_TRUE(m.model.key(Qt::Key_2, 0));
    m.clear();
    // 3: dead; 4: Ivy comes in for Eve at Blue's first button, and is wrong
    // without penalty; everyone ruled, the clear moves on.
    EXPECT_TRUE(m.model.key(Qt::Key_T, 0));
    EXPECT_TRUE(m.model.setLineup(1, {"Eve", "Fay", "Gus", "Hal", "Ivy"}, {4, 1, 2, 3}));
    // Buttons on input devices tell who pressed next and how long after;
    // an earlier next press turning up later is the last word.
    m.buzz(5);
    for (double ms : {31.25, 8.5})
        m.record(EventKind::Decision, {{"kind", "buttons"},
                                       {"transmitter", 5},
                                       {"next", ms > 10 ? 2 : 7},
                                       {"nextAfterMs", ms}});
    EXPECT_TRUE(m.model.key(Qt::Key_W, 0));
    m.buzz(2);
    EXPECT_TRUE(m.model.key(Qt::Key_N, 0));
    m.clear();
    ASSERT_EQ(m.model.sheet().tossups.size(), 5u);
    // Names typed in the set-up menu: Blue renamed, Cal renamed after her
    // tie (the notes follow), Ivy's button box untouched (she stays), and
    // Eve's name typed at Fay's button brings Eve back from the bench.
    m.record(EventKind::NamesChanged,
             {{"teams", QJsonArray{"Red Foxes", "Owls"}},
              {"players", QJsonArray{QJsonArray{"Ann", "Ben", "Cy", "Dee"},
                                     QJsonArray{"Eve", "Eve", "Gus", "Hal"}}}});
    EXPECT_FALSE(m.model.key(Qt::Key_F1, 0));
    EXPECT_FALSE(m.model.key(Qt::Key_C, Qt::ControlModifier));

    // Afterwards: toss-up 2 was really Dee's power-less 10 given to Ben;
    // then the correction is taken back, and toss-up 1's bonus put right.
    EXPECT_TRUE(m.model.correctBuzz(1, 0, 1, 10));
    EXPECT_TRUE(m.model.undo());
    EXPECT_TRUE(m.model.correctBonus(0, {10, 10, 10}));
    // Fay's neg was not a buzz at all.
    EXPECT_TRUE(m.model.correctBuzz(1, 1, std::nullopt, std::nullopt));

    const Sheet& s = m.model.sheet();
    EXPECT_EQ(describe(s).toStdString(),
              "20 toss-ups, 10 / -5|Red Foxes Ann,Ben,Cy,Dee 55|Owls Eve,Fay,Gus,Hal,Ivy 0"
              "\n1: 0.0=10 bonus 0: 10 10 10 [0123] [0123]"
              "\n2: 0.2=10 bonus 0: 0 10 0 [0123] [0123]"
              "\n3: [0123] [0123]"
              "\n4: 1.4=0 0.1=-5 [0123] [4123]"
              "\n5: [0123] [4023]"
              "\nToss-up 2: Cy, Hal pressed together; Cy drawn at random"
              "\nToss-up 4: Ivy pressed first; Gus next, 8.5 ms later");
    for (int team = 0; team < 2; ++team)
        EXPECT_EQ(teamTotal(s, team), m.boards[std::size_t(team)]) << team;

    // The record holds the same sheet.
    EXPECT_EQ(describe(sheetFromEvents(m.events)).toStdString(), describe(s).toStdString());
}

TEST(SheetModel, PlainRulesKeepNoTossupsAndTheBoardsAreThePoints) {
    Match m(plainRules());
    m.start();
    m.buzz(1);
    for (int key : {Qt::Key_P, Qt::Key_C, Qt::Key_N, Qt::Key_W, Qt::Key_1, Qt::Key_T})
        EXPECT_FALSE(m.model.key(key, 0));
    m.moveScore(0, 10, "F1");
    m.moveScore(1, 5, "F3");
    m.moveScore(0, -5, "F2");
    const Sheet rebuilt = sheetFromEvents(m.events);
    EXPECT_TRUE(rebuilt.tossups.empty());
    EXPECT_EQ(teamTotal(rebuilt, 0), 5);
    EXPECT_EQ(teamTotal(rebuilt, 1), 5);
    EXPECT_EQ(std::count_if(m.events.begin(), m.events.end(),
                            [](const Kept& e) { return e.kind == EventKind::RulesChosen; }),
              0);
}

TEST(SheetModel, RulingsFollowTheRulesValues) {
    struct Case {
        ScoringRules rules;
        int key;
        std::optional<int> value;  // none: the key does nothing
    };
    ScoringRules superpowers = timedRules();
    superpowers.answerValues = {20, 15, 10, -5};
    const Case cases[] = {
        {timedRules(), Qt::Key_P, 15},          {timedRules(), Qt::Key_C, 10},
        {timedRules(), Qt::Key_N, -5},          {timedRules(), Qt::Key_W, 0},
        {timedRules(), Qt::Key_O, {}},          {twentyTossupRules(), Qt::Key_P, {}},
        {twentyTossupRules(), Qt::Key_N, -5},   {superpowers, Qt::Key_P, 20},
        {superpowers, Qt::Key_O, 15},           {superpowers, Qt::Key_C, 10},
        {paceRules(), Qt::Key_P, 20},           {paceRules(), Qt::Key_N, {}},
        {macfWithPowersRules(), Qt::Key_P, 15},
    };
    for (const Case& c : cases) {
        Match m(c.rules);
        m.start();
        m.buzz(5);
        EXPECT_EQ(m.model.key(c.key, 0), c.value.has_value())
            << qPrintable(c.rules.name) << ' ' << c.key;
        const Buzz& b = m.model.sheet().tossups[0].buzzes.at(0);
        EXPECT_EQ(b.value, c.value) << qPrintable(c.rules.name) << ' ' << c.key;
        EXPECT_EQ(m.boards[1], c.value.value_or(0));
        // A correct answer opens the bonus of the rules' parts.
        EXPECT_EQ(m.model.sheet().tossups[0].bonusParts.size(), c.value.value_or(0) > 0 ? 3u : 0u);
    }
}

TEST(ScoringRules, ChoiceIsKeptAndABadFileGivesPlainRules) {
    QTemporaryDir dir;
    EXPECT_TRUE(loadRulesChoice(dir.path()).plain());
    for (const ScoringRules& r : presetRules()) {
        ASSERT_TRUE(saveRulesChoice(dir.path(), r));
        const ScoringRules back = loadRulesChoice(dir.path());
        EXPECT_TRUE(rulesToJson(back) == rulesToJson(r)) << qPrintable(r.name);
    }
    QFile f(dir.filePath(rulesFileName()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"answerValues\": [0, -5, 15, \"x\", 15], \"bonusParts\": 40}");
    f.close();
    const ScoringRules odd = loadRulesChoice(dir.path());
    EXPECT_EQ(odd.answerValues, (std::vector<int>{15, -5}));
    EXPECT_EQ(odd.bonusParts, 0);  // parts without points are no bonus
}

}  // namespace

// The boards are the sheet's totals plus the operator's own changes, and one
// history takes back whichever came last; a change of rules leaves the
// boards alone.
TEST(SheetModel, OneHistoryForTheBoardsAndTheSheet) {
    Match m(plainRules());
    m.start();
    m.moveScore(0, 20, "F1");
    m.moveScore(1, 10, "F3");
    m.model.chooseRules(twentyTossupRules());
    EXPECT_EQ(m.boards, (std::vector<int>{20, 10})) << "a change of rules moves no board";
    const auto consistent = [&m] {
        const Sheet& s = m.model.sheet();
        for (int team = 0; team < 2; ++team)
            EXPECT_EQ(teamTotal(s, team) + s.teams[std::size_t(team)].adjustments,
                      m.boards[std::size_t(team)])
                << team;
        EXPECT_EQ(describe(sheetFromEvents(m.events)).toStdString(), describe(s).toStdString());
    };
    consistent();
    m.buzz(1);
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));  // Ann 10: Red 30
    m.moveScore(0, 10, "F1");                // the operator's own: Red 40
    struct Step {
        bool undo;
        std::vector<int> boards;
        std::optional<int> annValue;
    };
    for (const Step& step :
         {Step{true, {30, 10}, 10}, Step{true, {20, 10}, std::nullopt}, Step{false, {30, 10}, 10},
          Step{false, {40, 10}, 10}, Step{true, {30, 10}, 10}}) {
        EXPECT_TRUE(step.undo ? m.model.undo() : m.model.redo());
        EXPECT_EQ(m.boards, step.boards);
        EXPECT_EQ(m.model.sheet().tossups[0].buzzes.at(0).value, step.annValue);
        consistent();
    }
    // A new step ends what could be made again.
    EXPECT_TRUE(m.model.toggleBonusPart(0));
    EXPECT_FALSE(m.model.redo());
    consistent();
    EXPECT_EQ(m.boards[0], 40);
}

// A ruling key rules the buzz on the screen or says why it cannot; a clear
// withdraws a buzz nobody ruled; a team that has answered cannot answer the
// same toss-up again, and T puts its press on the next toss-up.
TEST(SheetModel, RulingKeysActOnTheBuzzOnTheScreen) {
    Match m(twentyTossupRules());
    QStringList said;
    m.model.setNoticeHandler([&said](const QString& text) { said << text; });
    m.start();
    m.buzz(5);  // Eve negs; Red does not buzz; Space instead of T
    EXPECT_TRUE(m.model.key(Qt::Key_N, 0));
    m.clear();
    EXPECT_FALSE(m.model.key(Qt::Key_C, 0)) << "nothing on the screen";
    m.buzz(6);  // Fay, on what is really the next toss-up
    EXPECT_FALSE(m.model.key(Qt::Key_C, 0)) << "Eve's neg is never re-ruled";
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[1].contains("press T")) << said[1].toStdString();
    EXPECT_EQ(m.model.sheet().tossups[0].buzzes.at(0).value, -5);
    EXPECT_TRUE(m.model.key(Qt::Key_T, 0));
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    m.clear();
    // Ann buzzes and is cleared unruled; Ben answers.
    m.buzz(1);
    m.clear();
    m.buzz(2);
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    m.clear();
    const Sheet& s = m.model.sheet();
    EXPECT_EQ(describe(s).section('\n', 1, 3).toStdString(),
              "1: 1.0=-5 [0123] [0123]\n2: 1.1=10 bonus 1: 0 0 0 [0123] [0123]\n"
              "3: 0.1=10 bonus 0: 0 0 0 [0123] [0123]");
    EXPECT_EQ(m.boards, (std::vector<int>{10, 5}));
    // A substitute named while the toss-up has a buzz plays from the next:
    // a press at that button now is still the player who was seated.
    m.buzz(5);
    EXPECT_TRUE(m.model.key(Qt::Key_N, 0));
    EXPECT_TRUE(m.model.setLineup(0, {"Ann", "Ben", "Cal", "Dee", "Zed"}, {4, 1, 2, 3}));
    m.buzz(1);
    EXPECT_EQ(m.model.sheet().tossups.back().buzzes.back().player, 0) << "Ann, not Zed";
}

// The bonus goes with the answer and comes back with it, parts and all; one
// toss-up has one correct answer; overtime has a bonus only where the rules
// give one; a timed match's clock can end before its last bonus is read;
// nothing after the end of a match changes it.
TEST(SheetModel, BonusesFollowTheAnswerAndTheRules) {
    ScoringRules overtimeRules = twentyTossupRules();
    overtimeRules.regulationTossups = 1;
    Match m(overtimeRules);
    m.start();
    m.buzz(1);
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    m.clear();
    EXPECT_TRUE(m.model.key(Qt::Key_1, 0));
    EXPECT_TRUE(m.model.key(Qt::Key_2, 0));
    EXPECT_TRUE(m.model.correctBuzz(0, 0, 0, -5));  // re-ruled a neg: the bonus goes
    EXPECT_FALSE(m.model.sheet().tossups[0].bonusTeam);
    EXPECT_TRUE(m.model.undo());  // and comes back as it was
    EXPECT_EQ(m.model.sheet().tossups[0].bonusParts, (std::vector<int>{10, 10, 0}));
    EXPECT_FALSE(m.model.correctBuzz(0, 1, 0, 10)) << "two correct answers on one toss-up";
    // Toss-up 2 is overtime: no bonus.
    m.buzz(5);
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    EXPECT_FALSE(m.model.sheet().tossups[1].bonusTeam);
    EXPECT_EQ(m.boards, (std::vector<int>{30, 10}));
    // The match ends: a buzz after it is no part of it.
    m.record(EventKind::MatchEnded, {{"how", "end-match"}});
    const QString ended = describe(m.model.sheet());
    m.clear();
    m.buzz(2);
    EXPECT_FALSE(m.model.key(Qt::Key_C, 0));
    EXPECT_EQ(describe(m.model.sheet()), ended);

    for (const bool bonusTimer : {false, true}) {
        Match timed(timedRules());
        timed.start();
        timed.buzz(1);
        EXPECT_TRUE(timed.model.key(Qt::Key_C, 0));
        if (bonusTimer) timed.record(EventKind::TimerStarted, {{"kind", "bonus"}, {"seconds", 5}});
        timed.record(EventKind::ClockExpired, {});
        const Sheet played = playedSheet(timed.model.sheet());
        ASSERT_EQ(played.tossups.size(), 1u);
        EXPECT_EQ(played.tossups[0].bonusTeam.has_value(), bonusTimer);
    }
}
