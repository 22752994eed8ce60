// A match read from a packet: which question each toss-up and bonus reads,
// the word each buzz is proposed at and ruled on, throw-outs, what the
// reader is handed, and what the result files say. Time is the test's own:
// the sheet hears every event at the moment the test has set.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "packet/packetjson.h"
#include "packet/words.h"
#include "scoresheet/qbjreader.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetmodel.h"
#include "testpacket.h"

using record::EventKind;
using namespace scoresheet;

namespace {

struct Kept {
    EventKind kind;
    qint64 wallMs;
    QJsonObject data;
};

// A toss-up of `words` words "w0 w1 ...", with the power mark after word
// `power` (none when negative).
QString tossupText(int words, int power) {
    QStringList list;
    for (int i = 0; i < words; ++i) {
        list << QStringLiteral("w%1").arg(i);
        if (i + 1 == power) list << QStringLiteral("(*)");
    }
    return list.join(QLatin1Char(' '));
}

std::shared_ptr<const packet::Packet> makePacket(int tossups, int words, int power) {
    auto p = std::make_shared<packet::Packet>();
    p->name = QStringLiteral("Round 3 packet");
    for (int i = 0; i < tossups; ++i) {
        p->tossups.push_back({tossupText(words + i, power), QStringLiteral("answer %1").arg(i + 1),
                              std::nullopt, QString(), QString()});
        p->bonuses.push_back(
            threePartBonus(QStringLiteral("Lead-in %1.").arg(i + 1), {"One.", "Two.", "Three."}));
    }
    return p;
}

class Match final : public record::MatchRecorder, public ScoreBoard {
public:
    explicit Match(const ScoringRules& rules) : model(*this, *this, rules) {
        model.setClock([this] { return at(); });
    }
    QDateTime at() const { return QDateTime::fromMSecsSinceEpoch(1'800'000'000'000 + ms); }
    void wait(double seconds) { ms += qint64(seconds * 1000); }

    void record(EventKind kind, const QJsonObject& data) override {
        // Only the keys the record's table lists.
        const QStringList keys = record::kindKeys(kind);
        for (const QString& key : data.keys())
            EXPECT_TRUE(keys.contains(key))
                << record::kindName(kind).toStdString() << " " << key.toStdString();
        events.push_back({kind, at().toMSecsSinceEpoch(), data});
        model.record(kind, data);
    }
    void moveScore(int team, int points, const QString& how) override {
        boards[std::size_t(team)] += points;
        record(EventKind::ScoreChanged, {{"team", team},
                                         {"before", boards[std::size_t(team)] - points},
                                         {"after", boards[std::size_t(team)]},
                                         {"how", how}});
    }
    bool undoBoard() override { return false; }
    bool redoBoard() override { return false; }

    void start() {
        record(EventKind::MatchStarted,
               {{"teams", QJsonArray{"Red", "Blue"}},
                {"players", QJsonArray{QJsonArray{"Ann", "Ben"}, QJsonArray{"Eve", "Fay"}}},
                {"scores", QJsonArray{0, 0}}});
    }
    void buzz(int player) {
        record(EventKind::BuzzIn, {{"player", player}, {"team", (player - 1) / 2}});
    }
    void clear() { record(EventKind::Cleared, {{"how", "space"}}); }
    QJsonObject last(EventKind kind) const {
        for (auto e = events.rbegin(); e != events.rend(); ++e)
            if (e->kind == kind) return e->data;
        return {};
    }

    qint64 ms = 0;
    std::vector<Kept> events;
    std::vector<int> boards{0, 0};
    SheetModel model;
};

// Each toss-up's questions and each buzz's word, as the sheet has them.
QString words(const Sheet& s) {
    QString out;
    for (const Tossup& t : s.tossups) {
        out += QStringLiteral("%1:q%2").arg(t.number).arg(t.question);
        if (t.thrownOutQuestion >= 0) out += QStringLiteral("(out %1)").arg(t.thrownOutQuestion);
        if (t.bonusQuestion >= 0) out += QStringLiteral(" b%1").arg(t.bonusQuestion);
        if (t.thrownOutBonus >= 0) out += QStringLiteral("(out %1)").arg(t.thrownOutBonus);
        for (const Buzz& b : t.buzzes)
            out += QStringLiteral(" %1@%2%3=%4")
                       .arg(b.team)
                       .arg(b.word ? QString::number(*b.word) : QStringLiteral("-"))
                       .arg(b.wordConfirmed ? QStringLiteral("!") : QString())
                       .arg(b.value ? QString::number(*b.value) : QStringLiteral("?"));
        out += QLatin1Char('\n');
    }
    return out;
}

TEST(PacketMatch, TheReaderFollowsTheMatchAndTheRecordKeepsEveryWord) {
    Match m(timedRules());
    // Chosen before the match: it is read from its start.
    m.model.choosePacket(makePacket(6, 40, 20), QStringLiteral("/p/round3.json"));
    m.start();
    EXPECT_EQ(m.last(EventKind::PacketChosen)["name"].toString(), "Round 3 packet");

    // 1: Ann buzzes 5 s into the reading: at the typical three words a second,
    // word 15. The operator moves the mark to word 18, still before the power
    // mark, and C makes it a power.
    packet::ReaderPage page = m.model.readerPage();
    EXPECT_EQ(page.showing, packet::ReaderPage::Showing::Tossup);
    EXPECT_EQ(page.tossupIndex, 0);
    m.wait(5.0);
    m.buzz(1);
    page = m.model.readerPage();
    ASSERT_EQ(page.marks.size(), 1u);
    EXPECT_EQ(page.marks[0].word, 15);
    EXPECT_EQ(page.marks[0].name, "Ann");
    EXPECT_EQ(page.movingMark, 0);
    int heard = 0;
    m.model.addChangeHandler([&heard] { ++heard; });
    EXPECT_TRUE(m.model.moveMark(18));
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(m.model.readerPage().marks[0].word, 18);
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    EXPECT_EQ(m.last(EventKind::Ruling)["ruling"].toString(), "power");
    EXPECT_EQ(m.last(EventKind::Ruling)["word"].toInt(), 18);
    EXPECT_EQ(m.boards[0], 15);

    // The bonus is read after the clear: the reader shows it, part by part,
    // until the operator says it was read.
    m.wait(3.0);
    m.clear();
    page = m.model.readerPage();
    EXPECT_EQ(page.showing, packet::ReaderPage::Showing::Bonus);
    EXPECT_EQ(page.bonusIndex, 0);
    EXPECT_EQ(page.bonusTeam, 0);
    EXPECT_EQ(page.bonusPart, 0);
    m.wait(10.0);
    EXPECT_TRUE(m.model.key(Qt::Key_1, 0));
    EXPECT_EQ(m.model.readerPage().bonusPart, 1);
    m.wait(10.0);
    EXPECT_TRUE(m.model.bonusRead());
    page = m.model.readerPage();
    EXPECT_EQ(page.showing, packet::ReaderPage::Showing::Tossup);
    EXPECT_EQ(page.questionNumber, 2);
    EXPECT_EQ(page.tossupIndex, 1);

    // 2: thrown out a moment in; the packet's last toss-up is read instead,
    // from its start. Eve buzzes 6 s into it: Ann's confirmed word (18.5
    // words in 5 s) quickened the pace to 3.27 words a second, so word 19.
    m.wait(2.0);
    EXPECT_TRUE(m.model.throwOut());
    EXPECT_EQ(m.model.readerPage().tossupIndex, 5);
    m.wait(6.0);
    m.buzz(3);
    EXPECT_EQ(m.model.readerPage().marks[0].word, 19);
    EXPECT_TRUE(m.model.key(Qt::Key_N, 0));
    EXPECT_EQ(m.last(EventKind::Ruling)["word"].toInt(), 19);
    // Reading goes on after the answer's 4 s; it ends before Ben buzzes.
    m.wait(4.0);
    m.clear();
    m.wait(30.0);
    m.record(EventKind::TimerStarted, {{"kind", "toss-up"}, {"seconds", 5}});
    m.wait(2.0);
    m.buzz(2);
    EXPECT_EQ(m.model.readerPage().marks[1].word, 45);  // after the question
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    EXPECT_EQ(m.boards, (std::vector<int>{35, -5}));
    // The bonus thrown out too: the last bonus.
    m.clear();
    EXPECT_TRUE(m.model.throwOut());
    EXPECT_EQ(m.model.readerPage().bonusIndex, 5);
    EXPECT_TRUE(m.model.key(Qt::Key_2, 0));

    // Taking the part and Ben's ruling back and making them again keeps his
    // word.
    EXPECT_TRUE(m.model.undo());
    EXPECT_TRUE(m.model.undo());
    EXPECT_EQ(m.boards, (std::vector<int>{25, -5}));
    EXPECT_TRUE(m.model.redo());
    EXPECT_TRUE(m.model.redo());
    EXPECT_EQ(m.boards, (std::vector<int>{45, -5}));
    const QString live = words(m.model.sheet());
    EXPECT_EQ(live.toStdString(),
              "1:q0 b0 0@18!=15\n"
              "2:q5(out 1) b5(out 1) 1@19!=-5 0@45!=10\n"
              "3:q2\n");

    // Resumed from the record: the same questions, words and pace.
    SheetBuilder rebuilt = builderFromEvents(m.events);
    EXPECT_EQ(words(rebuilt.sheet()).toStdString(), live.toStdString());

    // The result file names every question by its place in the packet.
    const QJsonObject doc = qbjDocument(m.model.sheet());
    QJsonObject match;
    for (const QJsonValue v : doc["objects"].toArray())
        if (v["type"].toString() == "Match") match = v.toObject();
    EXPECT_EQ(match["packets"].toString(), "Round 3 packet");
    const QJsonArray questions = match["match_questions"].toArray();
    ASSERT_GE(questions.size(), 2);
    EXPECT_EQ(questions[0]["tossup_question"].toObject(),
              (QJsonObject{{"question_number", 1}, {"type", "tossup"}, {"parts", 1}}));
    EXPECT_EQ(questions[0]["buzzes"][0]["buzz_position"]["word_index"].toInt(), 18);
    EXPECT_EQ(questions[0]["bonus"]["question"]["question_number"].toInt(), 1);
    EXPECT_EQ(questions[0]["bonus"]["question"]["parts"].toInt(), 3);
    EXPECT_EQ(questions[1]["tossup_question"]["question_number"].toInt(), 2);
    EXPECT_EQ(questions[1]["replacement_tossup_question"]["question_number"].toInt(), 6);
    EXPECT_EQ(questions[1]["buzzes"][1]["buzz_position"]["word_index"].toInt(), 45);
    EXPECT_EQ(questions[1]["bonus"]["question"]["question_number"].toInt(), 2);
    EXPECT_EQ(questions[1]["replacement_bonus"]["question"]["question_number"].toInt(), 6);

    // The match alone: names in place, no reference anywhere.
    const QByteArray bare = writeBareMatchQbj(m.model.sheet());
    EXPECT_FALSE(bare.contains("$ref"));
    const QJsonObject one = QJsonDocument::fromJson(bare).object();
    EXPECT_EQ(one["packets"].toString(), "Round 3 packet");
    EXPECT_EQ(one["match_teams"][0]["team"]["name"].toString(), "Red");
    EXPECT_EQ(one["match_questions"][0]["buzzes"][0]["player"]["name"].toString(), "Ann");
}

TEST(PacketMatch, ThrowOutsTakeFromTheEndAndTheRulesDecideWhatMayBeThrown) {
    Match m(twentyTossupRules());
    m.start();
    // No packet: nothing to throw out or mark.
    EXPECT_FALSE(m.model.throwOut());
    m.model.choosePacket(makePacket(3, 30, -1), QStringLiteral("p.json"));
    EXPECT_EQ(m.model.sheet().tossups[0].question, 0);
    EXPECT_TRUE(m.model.throwOut());  // 1 -> 3
    EXPECT_TRUE(m.model.throwOut());  // 3 -> 2
    EXPECT_TRUE(m.model.throwOut());  // 2 -> none left
    EXPECT_EQ(m.model.sheet().tossups[0].question, -1);
    EXPECT_EQ(m.model.sheet().tossups[0].thrownOutQuestion, 0);
    EXPECT_FALSE(m.model.throwOut());
    EXPECT_EQ(m.model.readerPage().tossupIndex, -1);
    // A buzz on a toss-up with no question left has no word.
    m.buzz(1);
    EXPECT_FALSE(m.model.moveMark(3));
    EXPECT_TRUE(m.model.key(Qt::Key_C, 0));
    EXPECT_FALSE(m.last(EventKind::Ruling).contains("word"));

    // A new packet: every toss-up reads its questions afresh, in order; a
    // ruled toss-up is not thrown out once its bonus has been read.
    m.model.choosePacket(makePacket(4, 30, -1), QStringLiteral("q.json"));
    EXPECT_EQ(m.model.sheet().tossups[0].question, 0);
    EXPECT_EQ(m.model.sheet().tossups[0].bonusQuestion, 0);
    EXPECT_TRUE(m.model.bonusRead());
    EXPECT_FALSE(m.model.throwOut());
    EXPECT_EQ(words(builderFromEvents(m.events).sheet()).toStdString(),
              words(m.model.sheet()).toStdString());
}

TEST(PacketMatch, RostersFromTheModeratorAppsFilesWithoutTypes) {
    const QByteArray tournament = R"({"name": "Fall Open", "registrations": [
        {"name": "Northside", "teams": [{"name": "Northside A", "players": [{"name": "Ann"}]}]},
        {"name": "Southside", "teams": [{"name": "Southside", "players": [{"name": "Eve"},
                                                                         {"name": "Fay"}]}]}]})";
    const QByteArray bare = R"([{"name": "Westside", "teams": [
        {"name": "Westside", "players": [{"name": "Gus"}]}]}])";
    const Roster a = readRoster(tournament), b = readRoster(bare);
    ASSERT_TRUE(a.ok()) << a.error.toStdString();
    ASSERT_EQ(a.teams.size(), 2u);
    EXPECT_EQ(a.teams[1].players, (QStringList{"Eve", "Fay"}));
    EXPECT_EQ(a.teams[0].registrationName, "Northside");
    ASSERT_TRUE(b.ok()) << b.error.toStdString();
    ASSERT_EQ(b.teams.size(), 1u);
    EXPECT_EQ(b.teams[0].players, (QStringList{"Gus"}));
}

}  // namespace
