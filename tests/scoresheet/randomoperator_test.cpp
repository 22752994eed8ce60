// An operator at the keys, at random but within the rules of the game:
// buzzes from any seat, rulings (powers by level), bonus parts and
// bounce-backs, clears, the next toss-up, the boards' own keys, undo and redo
// of either kind, corrections, time-outs, protests lodged, upheld and
// denied, Switch Sides, a change of rules, a substitution, a resume, End
// Match; with a packet, a mark moved, a question thrown out, a bonus read.
// After every step the match must still add up: the boards are the sheet
// plus the operator's own points, the sheet is the fold of the record, the
// result file follows the format and its totals, one correct answer a
// toss-up, bonuses in overtime only where the rules give them, a bonus part
// either the controlling team's or bounced back, never both, every ruled
// buzz on a word of its question, no question of the packet read twice.
//
// TORVANEL_RANDOM_SEQUENCES sets how many matches are played (a long run:
// thousands), TORVANEL_RANDOM_SEED the seed; make test plays a fixed few.
#include <cstdlib>
#include <functional>
#include <random>
#include <utility>

#include <QDir>
#include <QFile>

#include <QJsonArray>

#include "menu/setupmenu.h"
#include "packet/packet.h"
#include "qbjvalidator.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/resultsdesk.h"
#include "scoresheet/sheetstats.h"
#include "sheetroad.h"
#include "testpacket.h"

using namespace scoresheet;
using record::EventKind;

namespace {

int fromEnvironment(const char* name, int otherwise) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : otherwise;
}

// Everything about a sheet but the times.
QString describe(const Sheet& s) {
    QString out = s.rules.name + (s.ended ? " ended" : "");
    for (const SheetTeam& t : s.teams)
        out += QStringLiteral("|%1 %2 %3 beside %4")
                   .arg(t.name, t.players.join(','))
                   .arg(t.points)
                   .arg(t.adjustments);
    for (const Tossup& t : s.tossups) {
        out += QStringLiteral("\n%1%2:").arg(t.number).arg(t.heard ? "h" : "");
        for (const Buzz& b : t.buzzes)
            out += QStringLiteral(" %1.%2=%3%4")
                       .arg(b.team)
                       .arg(b.player)
                       .arg(b.value.value_or(99))
                       .arg(b.wordConfirmed ? QStringLiteral("@%1").arg(b.word.value_or(-1))
                                            : QString());
        if (s.packet)
            out += QStringLiteral(" q%1/%2 b%3/%4")
                       .arg(t.question)
                       .arg(t.thrownOutQuestion)
                       .arg(t.bonusQuestion)
                       .arg(t.thrownOutBonus);
        if (t.bonusTeam) out += QStringLiteral(" bonus %1%2:").arg(*t.bonusTeam).arg(t.bonusHeard);
        for (int p : t.bonusParts)
            out += QStringLiteral(" %1").arg(p);
        for (int p : t.bouncebackParts)
            out += QStringLiteral(" bb%1").arg(p);
        for (const auto& l : t.lineups) {
            out += " [";
            for (int i : l)
                out += QString::number(i);
            out += "]";
        }
    }
    for (const Timeout& t : s.timeouts)
        out += QStringLiteral("\ntime-out %1 after %2").arg(t.team).arg(t.tossup);
    for (const Protest& p : s.protests)
        out += QStringLiteral("\nprotest %1 on %2.%3: %4")
                   .arg(p.team)
                   .arg(p.tossup)
                   .arg(p.part)
                   .arg(int(p.state));
    return out;
}

// The shipped rules, and rules with two power levels and bounce-backs.
std::vector<ScoringRules> rulesPool() {
    std::vector<ScoringRules> pool = presetRules();
    ScoringRules both = twentyTossupRules();
    both.name = QStringLiteral("Two powers, bounce-backs");
    both.answerValues = {20, 15, 10, -5};
    both.bonusesBounceBack = true;
    both.timeoutsPerTeam = 1;
    both.timeoutsPerHalf = true;
    pool.push_back(both);
    return pool;
}

struct Operator : SheetRoad {
    explicit Operator(std::uint32_t seed)
        : SheetRoad(twentyTossupRules()), random(seed), drop(std::make_unique<QTemporaryDir>()) {
        saveMatchDetails(ResultsDesk::detailsPath(*f.t),
                         {"Random Open", "Round 1", "Room 1", "", drop->path()});
        desk = std::make_unique<ResultsDesk>(*f.t);
        // The record as the store keeps it: the current match's events.
        f.t->setMatchHistory([this] {
            MatchEvents events;
            for (std::size_t i = matchStart; i < rec.events.size(); ++i)
                events.push_back({rec.events[i].kind, 0.0, QDateTime::currentMSecsSinceEpoch(),
                                  rec.events[i].data});
            return events;
        });
        f.menu.teamNameBox(0)->setText(QStringLiteral("Alpha"));
        f.menu.teamNameBox(1)->setText(QStringLiteral("Beta"));
        f.menu.textincrement[0]->setText(QString::number(kIncrement));
        schema = qbjcheck::Schema::load(QStringLiteral(TORVANEL_QBJ_SCHEMA_DIR), &schemaError);
    }
    ~Operator() { desk.reset(); }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    void newMatch() {
        const std::vector<ScoringRules> rules = rulesPool();
        f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
        sheet->chooseRules(rules[std::size_t(1 + pick(int(rules.size()) - 1))]);
        f.t.dialogs.answers.clear();
        // Half the matches are read from a packet short enough to run out.
        sheet->model().choosePacket(pick(2) ? packet : nullptr, QStringLiteral("random.json"));
        matchStart = rec.events.size();
        s.newMatch();
    }

    // One legal step, named for the trace.
    QString step() {
        SheetModel& m = sheet->model();
        const Sheet& sh = m.sheet();
        static const int rulings[] = {Qt::Key_P, Qt::Key_O, Qt::Key_C, Qt::Key_N, Qt::Key_W};
        static const int boards[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
        switch (pick(50)) {
        case 0 ... 9: {
            const int player = 1 + pick(8);
            buzz(player);
            return QStringLiteral("buzz %1").arg(player);
        }
        case 10 ... 17: {
            const int key = rulings[pick(5)];
            f.key(key);
            return QStringLiteral("key %1").arg(QChar(key));
        }
        case 18 ... 21: {
            const int part = pick(3);
            f.key(Qt::Key_1 + part);
            return QStringLiteral("part %1").arg(part + 1);
        }
        case 22 ... 24: f.key(Qt::Key_Space); return "space";
        case 25: f.key(Qt::Key_T); return "T";
        case 26: {
            const int key = boards[pick(4)];
            f.key(key);
            return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
        }
        case 27 ... 28: return undoing([this] { s.undoScore(); }, "ctrl+z");
        case 29: return undoing([this] { s.redoScore(); }, "ctrl+shift+z");
        case 30: return undoing([this] { sheet->model().undo(); }, "undo sheet change");
        case 31: {
            if (sh.tossups.empty() || sh.teams.empty()) return "no correction";
            const int tossup = pick(int(sh.tossups.size()));
            const int team = pick(int(sh.teams.size()));
            std::vector<int> values = sh.rules.answerValues;
            values.push_back(0);
            const std::optional<int> player = pick(4) == 0 ? std::nullopt : std::optional(pick(4));
            const std::optional<int> value =
                pick(5) == 0 ? std::nullopt
                             : std::optional(values[std::size_t(pick(int(values.size())))]);
            m.correctBuzz(tossup, team, player, value);
            return QStringLiteral("correct %1/%2").arg(tossup + 1).arg(team);
        }
        case 32: {
            if (sh.tossups.empty()) return "no bonus correction";
            const int tossup = pick(int(sh.tossups.size()));
            std::vector<int> parts(std::size_t(sh.rules.bonusParts));
            for (int& p : parts)
                p = pick(2) * sh.rules.pointsPerBonusPart;
            m.correctBonus(tossup, parts);
            return QStringLiteral("bonus correction %1").arg(tossup + 1);
        }
        case 33: f.menu.CommandSwitch_Click(); return "switch sides";
        case 34: {
            const std::vector<ScoringRules> rules = rulesPool();
            f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
            const ScoringRules& chosen = rules[std::size_t(pick(int(rules.size())))];
            sheet->chooseRules(chosen);
            f.t.dialogs.answers.clear();
            return "rules " + chosen.name;
        }
        case 35: {
            if (sh.teams.empty()) return "no lineup";
            const int team = pick(int(sh.teams.size()));
            QStringList roster = sh.teams[std::size_t(team)].players;
            roster << QStringLiteral("Sub %1").arg(++subs);
            std::vector<int> seats{0, 1, 2, 3};
            seats[std::size_t(pick(4))] = int(roster.size()) - 1;
            m.setLineup(team, roster, seats);
            return QStringLiteral("substitute on %1").arg(team);
        }
        case 36: {
            // Killed and resumed: the match comes back from its record.
            QJsonObject resumed = s.namesInUse();
            resumed.insert("from", 1);
            resumed.insert("scores", QJsonArray{s.ascore, s.bscore});
            resumed.insert("clock", 0);
            f.t->recorder().record(EventKind::MatchResumed, resumed);
            return "resume";
        }
        case 37: {
            f.t.dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
            const int before = desk->files().resultsWritten();
            const bool asked = desk->endMatch();
            // The file is written off the window thread.
            desk->files().flush();
            QCoreApplication::processEvents();
            const std::optional<QString> written =
                asked && desk->files().resultsWritten() > before
                    ? std::optional<QString>(desk->files().lastResult())
                    : std::nullopt;
            f.t.dialogs.answers.clear();
            // For a run of the field's own importers over what was written.
            const QString keep = qEnvironmentVariable("TORVANEL_QBJ_OUT");
            if (written && !keep.isEmpty())
                QFile::copy(*written,
                            QDir(keep).filePath(QStringLiteral("match-%1.qbj").arg(++kept)));
            return "end match";
        }
        case 38: {
            const int word = pick(60) - 5;
            m.moveMark(word);
            return QStringLiteral("mark %1").arg(word);
        }
        case 39: m.throwOut(); return "throw out";
        case 40: m.bonusRead(); return "bonus read";
        case 41:
            if (pick(4)) return "no packet change";
            m.choosePacket(pick(3) ? packet : nullptr, QStringLiteral("again.json"));
            return "packet";
        case 42: {
            const int part = pick(3);
            f.key(Qt::Key_B);
            f.key(Qt::Key_1 + part);
            return QStringLiteral("bounce-back %1").arg(part + 1);
        }
        case 43: {
            if (sh.tossups.empty()) return "no bounce-back correction";
            const int tossup = pick(int(sh.tossups.size()));
            std::vector<int> parts(std::size_t(sh.rules.bonusParts));
            for (int& p : parts)
                p = pick(2) * sh.rules.pointsPerBonusPart;
            m.correctBounceback(tossup, parts);
            return QStringLiteral("bounce-back correction %1").arg(tossup + 1);
        }
        case 44: {
            if (sh.teams.empty()) return "no time-out";
            const int team = pick(int(sh.teams.size()));
            m.callTimeout(team);
            return QStringLiteral("time-out %1").arg(team);
        }
        case 45: {
            if (sh.tossups.empty() || sh.teams.empty()) return "no protest";
            const int tossup = pick(int(sh.tossups.size()));
            const int team = pick(int(sh.teams.size()));
            const int part = pick(4) - 1;
            m.fileProtest(tossup, team, part, QStringLiteral("an answer"),
                          QStringLiteral("a reason"));
            return QStringLiteral("protest %1/%2.%3").arg(tossup + 1).arg(team).arg(part);
        }
        case 46 ... 47: {
            if (sh.protests.empty()) return "no protest to resolve";
            const int protest = pick(int(sh.protests.size()));
            const bool upheld = pick(2) == 0;
            return undoing(
                [&m, protest, upheld] { m.resolveProtest(protest, upheld); },
                QStringLiteral("protest %1 %2").arg(protest).arg(upheld ? "upheld" : "denied"));
        }
        default: {
            const int key = boards[pick(4)];
            f.key(key);
            return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
        }
        }
    }

    // A step back (or forward) of the one history: the sheet's totals and the
    // boards move together, or the sheet stays and a board moves by the
    // increment (an F key's step, the only points beside the sheet).
    QString undoing(const std::function<void()>& act, const QString& name) {
        const Sheet& sh = sheet->model().sheet();
        const auto totals = [&] {
            std::vector<int> t;
            for (int team = 0; team < int(sh.teams.size()); ++team)
                t.push_back(teamTotal(sh, team));
            return t;
        };
        const std::vector<int> before = totals();
        const auto boardsBefore = s.scores();
        act();
        if (sh.rules.plain() || sh.ended) return name;
        const std::vector<int> after = totals();
        const auto boardsAfter = s.scores();
        for (int team = 0; team < int(after.size()); ++team) {
            const int side = sheet->model().builder().sideOfTeam(team);
            const int moved = boardsAfter[std::size_t(side)] - boardsBefore[std::size_t(side)];
            const int sheetMoved = after[std::size_t(team)] - before[std::size_t(team)];
            if (moved != sheetMoved && !(sheetMoved == 0 && std::abs(moved) == kIncrement))
                stepWrong = QStringLiteral("%1 moved board %2 by %3 and the sheet by %4")
                                .arg(name)
                                .arg(team)
                                .arg(moved)
                                .arg(sheetMoved);
        }
        return name;
    }

    // Empty when everything adds up; else what does not.
    QString check() {
        if (!stepWrong.isEmpty()) return std::exchange(stepWrong, QString());
        const Sheet& live = sheet->model().sheet();
        MatchEvents events = f.t->matchHistory();
        const Sheet folded = sheetFromEvents(events);
        if (describe(folded) != describe(live))
            return "the record's sheet differs:\n" + describe(folded) + "\nlive:\n" +
                   describe(live);
        if (describe(desk->sheet()) != describe(live)) return "the result files' sheet differs";
        if (live.rules.plain() || live.ended) return {};
        const SheetBuilder& b = sheet->model().builder();
        for (int team = 0; team < int(live.teams.size()); ++team) {
            const int board = s.scores()[std::size_t(b.sideOfTeam(team))];
            if (board != teamTotal(live, team) + live.teams[std::size_t(team)].adjustments)
                return QStringLiteral("board %1 is %2, the sheet %3 and %4 beside it")
                    .arg(team)
                    .arg(board)
                    .arg(teamTotal(live, team))
                    .arg(live.teams[std::size_t(team)].adjustments);
        }
        std::vector<int> read, bonuses;
        for (const Tossup& t : live.tossups) {
            for (const Buzz& bz : t.buzzes)
                if (bz.value && bz.word && (*bz.word < 0 || *bz.word > t.questionWords))
                    return QStringLiteral("word %1 of %2 on %3")
                        .arg(*bz.word)
                        .arg(t.questionWords)
                        .arg(t.number);
            for (int q : {t.question, t.thrownOutQuestion})
                if (q >= 0) read.push_back(q);
            for (int q : {t.bonusQuestion, t.thrownOutBonus})
                if (q >= 0) bonuses.push_back(q);
        }
        for (std::vector<int>* list : {&read, &bonuses}) {
            std::sort(list->begin(), list->end());
            if (std::adjacent_find(list->begin(), list->end()) != list->end())
                return QStringLiteral("a question of the packet read twice");
        }
        for (const Tossup& t : live.tossups) {
            int correct = 0;
            for (const Buzz& bz : t.buzzes)
                correct += bz.value.value_or(0) > 0;
            if (correct > 1) return QStringLiteral("two correct answers on %1").arg(t.number);
            for (std::size_t i = 0; i < t.bouncebackParts.size(); ++i)
                if (t.bouncebackParts[i] != 0 && (i >= t.bonusParts.size() || t.bonusParts[i] != 0))
                    return QStringLiteral("part %1 of %2 bounced back wrongly")
                        .arg(i + 1)
                        .arg(t.number);
            if (t.bonusTeam && live.rules.regulationTossups > 0 &&
                t.number > live.rules.regulationTossups && !live.rules.overtimeIncludesBonuses)
                return QStringLiteral("a bonus in overtime on %1").arg(t.number);
        }
        const QJsonObject doc = qbjDocument(desk->sheet());
        const QStringList errors =
            qbjcheck::validate(schema, doc) + qbjcheck::checkImporterRules(doc);
        if (!errors.isEmpty()) return "the file: " + errors.join('\n');
        const Sheet played = playedSheet(desk->sheet());
        const QMap<QString, int> totals = qbjcheck::teamTotals(doc);
        const bool boardOnly = computeSheetStats(played).boardOnly;
        for (int team = 0; team < int(played.teams.size()); ++team) {
            const int expected =
                boardOnly ? played.teams[std::size_t(team)].points : teamTotal(played, team);
            if (totals.value(teamName(played, team)) != expected)
                return QStringLiteral("the file gives %1 %2, the sheet %3")
                    .arg(teamName(played, team))
                    .arg(totals.value(teamName(played, team)))
                    .arg(expected);
        }
        return {};
    }

    std::mt19937 random;
    std::shared_ptr<const packet::Packet> packet = [] {
        auto p = std::make_shared<packet::Packet>();
        p->name = QStringLiteral("Random packet");
        for (int i = 0; i < 8; ++i) {
            p->tossups.push_back({QStringLiteral("One two three (*) four five six seven eight "
                                                 "nine ten eleven %1.")
                                      .arg(i),
                                  QStringLiteral("a"), std::nullopt, QString(), QString()});
            p->bonuses.push_back(threePartBonus(QStringLiteral("Lead."), {"x", "y", "z"}));
        }
        return p;
    }();
    std::unique_ptr<QTemporaryDir> drop;
    std::unique_ptr<ResultsDesk> desk;
    qbjcheck::Schema schema;
    QString schemaError;
    std::size_t matchStart = 0;
    int subs = 0;
    int kept = 0;
    QString stepWrong;
    // The F keys' step: no ruling is worth it, so a board's move tells whose it was.
    static constexpr int kIncrement = 1;
};

}  // namespace

TEST(RandomOperator, EveryStepOfEveryMatchAddsUp) {
    const int sequences = fromEnvironment("TORVANEL_RANDOM_SEQUENCES", 40);
    const int seed = fromEnvironment("TORVANEL_RANDOM_SEED", 20261209);
    const int length = 60;
    Operator op{static_cast<std::uint32_t>(seed)};
    ASSERT_TRUE(op.schemaError.isEmpty()) << op.schemaError.toStdString();
    long steps = 0;
    for (int n = 0; n < sequences; ++n) {
        op.newMatch();
        QStringList trace;
        for (int i = 0; i < length; ++i) {
            trace << op.step();
            ++steps;
            const QString wrong = op.check();
            if (!wrong.isEmpty()) {
                FAIL() << "match " << n << " (seed " << seed << "), after:\n"
                       << trace.join(", ").toStdString() << "\n"
                       << wrong.toStdString();
            }
        }
    }
    std::printf("%d matches, %ld steps, every one adding up\n", sequences, steps);
}
