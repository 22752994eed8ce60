// A match read from a packet, played through the whole program: a moderator
// reading at a steady pace, players pressing the simulated box at the words
// the test chose, the operator ruling on the play screen and moving a mark
// only when the proposal is more than two words off. The result files must
// carry those words.
//
// With TORVANEL_QBJ_OUT set, the packet and both result files are copied
// there, for the field's own tools to check by hand.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "packet/packetjson.h"
#include "packet/words.h"
#include "qbjvalidator.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/resultfiles.h"
#include "sheetroad.h"
#include "testpacket.h"

using namespace scoresheet;

namespace {

constexpr double kPace = 3.2;  // words a second

std::shared_ptr<const packet::Packet> roadPacket() {
    auto p = std::make_shared<packet::Packet>();
    p->name = QStringLiteral("Road Open Round 3");
    for (int i = 0; i < 24; ++i) {
        QStringList words;
        const int count = 60 + (i * 7) % 30;
        for (int w = 0; w < count; ++w) {
            // Formatting and a guide, which are not words of their own.
            words << (w == 3 ? QStringLiteral("<b>bold%1</b>").arg(w)
                             : QStringLiteral("w%1").arg(w));
            if (w == 5) words << QStringLiteral("(\"guide\")");
            if (w == 29) words << QStringLiteral("(*)");
        }
        p->tossups.push_back({words.join(QLatin1Char(' ')), QStringLiteral("answer %1").arg(i + 1),
                              std::nullopt, QString(), QString()});
        p->bonuses.push_back(
            threePartBonus(QStringLiteral("For 10 points each:"), {"A.", "B.", "C."}));
    }
    return p;
}

TEST(PacketRoad, TheLockoutMarksTheWordsAndTheResultFilesCarryThem) {
    SheetRoad r(timedRules());
    SheetModel& model = r.sheet->model();
    qint64 ms = 0;
    const QDateTime base = QDateTime::fromMSecsSinceEpoch(1'800'000'000'000);
    model.setClock([&] { return base.addMSecs(ms); });
    auto at = [&](double seconds) { ms = qint64(seconds * 1000); };
    const auto packet = roadPacket();
    ASSERT_TRUE(model.choosePacket(packet, QStringLiteral("road.json")));
    r.s.newMatch();

    // Toss-up by toss-up: the true word of the first buzz, and whether it
    // is wrong (the other team then buzzes on a later word).
    struct Planned {
        int word;
        bool wrong;
        int second;
    };
    const std::vector<Planned> plan{{40, false, 0}, {12, true, 50}, {33, false, 0},
                                    {25, false, 0}, {58, true, 59}, {18, false, 0},
                                    {44, false, 0}, {8, true, 31},  {36, false, 0}};
    std::vector<int> truth, proposed, recorded;
    double reading = 0;  // when the moderator began the toss-up
    auto press = [&](int player, int word) {
        r.buzz(player);
        const packet::ReaderPage page = model.readerPage();
        EXPECT_TRUE(page.movingMark.has_value());
        const int proposal = page.marks.at(std::size_t(*page.movingMark)).word;
        proposed.push_back(proposal);
        truth.push_back(word);
        // The operator moves a mark that is more than two words off.
        if (std::abs(proposal - word) > 2) {
            EXPECT_TRUE(model.moveMark(word));
        }
        recorded.push_back(model.readerPage().marks.at(std::size_t(*page.movingMark)).word);
    };
    for (std::size_t k = 0; k < plan.size(); ++k) {
        const Planned& p = plan[k];
        ASSERT_EQ(model.readerPage().showing, packet::ReaderPage::Showing::Tossup) << k;
        ASSERT_EQ(model.readerPage().tossupIndex, int(k));
        double now = reading + (p.word + 0.5) / kPace;
        at(now);
        const bool alphaFirst = k % 2 == 0;
        press(alphaFirst ? 1 + int(k % 4) : 5 + int(k % 4), p.word);
        if (p.wrong) {
            EXPECT_TRUE(r.f.key(Qt::Key_N));
            now += 4;  // the answer
            at(now);
            r.f.key(Qt::Key_Space);
            now += (p.second - p.word) / kPace;
            at(now);
            press(alphaFirst ? 5 : 1, p.second);
        }
        EXPECT_TRUE(r.f.key(Qt::Key_C));
        // The bonus, then the next toss-up.
        at(now += 2);
        r.f.key(Qt::Key_Space);
        EXPECT_EQ(model.readerPage().showing, packet::ReaderPage::Showing::Bonus);
        at(now += 8);
        EXPECT_TRUE(r.f.key(Qt::Key_1));
        at(now += 16);
        EXPECT_TRUE(model.bonusRead());
        reading = now;
    }

    // Every word kept is the buzz's within two words; from the fourth
    // toss-up the proposals themselves are.
    for (std::size_t i = 0; i < truth.size(); ++i) {
        EXPECT_LE(std::abs(recorded[i] - truth[i]), 2) << i;
        if (i >= 4) {
            EXPECT_LE(std::abs(proposed[i] - truth[i]), 2) << i;
        }
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Sheet sheet = model.sheet();
    sheet.round = QStringLiteral("Round 3");
    QString result;
    {
        ResultFiles files(dir.path());
        QObject::connect(&files, &ResultFiles::resultWritten,
                         [&result](const QString& path) { result = path; });
        files.matchEnded(sheet);
        files.flush();
    }
    ASSERT_FALSE(result.isEmpty());
    QFile resultFile(result), bareFile(ResultFiles::bareMatchPath(result));
    ASSERT_TRUE(resultFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(bareFile.open(QIODevice::ReadOnly));
    const QJsonObject document = QJsonDocument::fromJson(resultFile.readAll()).object();
    const QByteArray bare = bareFile.readAll();
    QString error;
    const qbjcheck::Schema schema =
        qbjcheck::Schema::load(QStringLiteral(TORVANEL_QBJ_SCHEMA_DIR), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QStringList problems =
        qbjcheck::validate(schema, document) + qbjcheck::checkImporterRules(document);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();

    // The word indexes, buzz by buzz, in both files.
    std::vector<int> inFile, inBare;
    for (const QJsonValue o : document["objects"].toArray())
        if (o["type"].toString() == "Match")
            for (const QJsonValue q : o["match_questions"].toArray())
                for (const QJsonValue b : q["buzzes"].toArray())
                    inFile.push_back(b["buzz_position"]["word_index"].toInt(-1));
    const QJsonObject one = QJsonDocument::fromJson(bare).object();
    for (const QJsonValue q : one["match_questions"].toArray()) {
        const int number = q["tossup_question"]["question_number"].toInt();
        EXPECT_EQ(number, q["question_number"].toInt());
        for (const QJsonValue b : q["buzzes"].toArray())
            inBare.push_back(b["buzz_position"]["word_index"].toInt(-1));
    }
    EXPECT_EQ(inFile, recorded);
    EXPECT_EQ(inBare, recorded);
    EXPECT_FALSE(bare.contains("$ref"));
    EXPECT_EQ(one["packets"].toString(), packet->name);

    if (const QByteArray out = qgetenv("TORVANEL_QBJ_OUT"); !out.isEmpty()) {
        const QDir to(QString::fromLocal8Bit(out));
        QFile::remove(to.filePath(QStringLiteral("road.result.qbj")));
        QFile::remove(to.filePath(QStringLiteral("road.match.qbj")));
        QFile::copy(result, to.filePath(QStringLiteral("road.result.qbj")));
        QFile::copy(ResultFiles::bareMatchPath(result),
                    to.filePath(QStringLiteral("road.match.qbj")));
        QFile packetFile(to.filePath(QStringLiteral("road.packet.json")));
        ASSERT_TRUE(packetFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        packetFile.write(packet::writePacketJson(*packet));
    }
}

}  // namespace
