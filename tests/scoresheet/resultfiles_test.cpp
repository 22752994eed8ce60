// The stats room's side in a whole program: a match played on the simulated
// box and ruled from the play screen ends as a result file that follows the
// format's own definition and says what the boards say; teams taken from a
// QBJ file fill the set-up menu.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "qbjvalidator.h"
#include "record/matchstats.h"
#include "record/recordstore.h"
#include "record/recordui.h"
#include "record/storerecorder.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/resultsdesk.h"
#include "scoresheet/rosterwindow.h"
#include "scoresheet/sheetreport.h"
#include "scoresheet/sheetstats.h"
#include "scoresheet/sheetwindow.h"
#include "sheetroad.h"

using namespace scoresheet;

namespace {

struct Road : SheetRoad {
    explicit Road(const ScoringRules& rules) : SheetRoad(rules) {
        saveMatchDetails(ResultsDesk::detailsPath(*f.t),
                         {"Spring Open", "Round 3", "Room 2", "M. Reader", drop.path()});
        desk = std::make_unique<ResultsDesk>(*f.t);
        f.menu.teamNameBox(0)->setText(QStringLiteral("Alpha"));
        f.menu.teamNameBox(1)->setText(QStringLiteral("Beta"));
        s.newMatch();
    }
    ~Road() { desk.reset(); }

    QMap<QString, int> boards() const { return {{"Alpha", s.ascore}, {"Beta", s.bscore}}; }
    QStringList files() const { return QDir(drop.path()).entryList(QDir::Files); }
    // The match as the record window exports it, from its events alone.
    QJsonObject exported(const MatchExtras& extras) const {
        MatchEvents events;
        for (const auto& e : rec.events)
            events.push_back({e.kind, 0.0, QDateTime::currentMSecsSinceEpoch(), e.data});
        const QString path = elsewhere.filePath("past.qbj");
        EXPECT_FALSE(extras.exports().at(0).write(path, events));
        QFile past(path);
        EXPECT_TRUE(past.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(past.readAll()).object();
    }
    // For a run of the field's own importers over what was written.
    void keep(const QString& name) const {
        const QString folder = qEnvironmentVariable("TORVANEL_RULES_QBJ_OUT");
        if (folder.isEmpty()) return;
        const QString path = QDir(folder).filePath(name + QStringLiteral(".qbj"));
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(desk->files().lastResult(), path));
    }
    QJsonObject result() const {
        QFile file(desk->files().lastResult());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir drop, elsewhere;
    std::unique_ptr<ResultsDesk> desk;
};

// End Match, and what it says once the writer is done: the result file's
// path, or nothing when none was written.
std::optional<QString> endMatchWritten(ResultsDesk& desk) {
    const int before = desk.files().resultsWritten();
    if (!desk.endMatch()) return std::nullopt;
    desk.files().flush();
    QCoreApplication::processEvents();
    if (desk.files().resultsWritten() == before) return std::nullopt;
    return desk.files().lastResult();
}

// A FIFO named as the next result file: the writer, reading the file of that
// name to see whose match it holds, waits on it as on a share that does not
// answer, until release() opens its other end (the name is then taken by no
// match, and the file goes beside it).
class HangingShare {
public:
    explicit HangingShare(const QString& path) : path_(QFile::encodeName(path)) {
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
    }
    ~HangingShare() { release(); }
    bool made() const { return made_; }

    void release() {
        if (!made_ || released_.exchange(true)) return;
        // Opened without waiting once the writer is at the other end.
        for (int tries = 0; tries < 4000; ++tries) {
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Runs `call`; should it wait for the writer (not back within the
    // guard's long limit), the share is let go so that the test ends, and
    // false is returned.
    bool returnsWhileHung(const std::function<void()>& call) {
        std::mutex m;
        std::condition_variable back;
        bool done = false, held = false;
        std::thread guard([&] {
            std::unique_lock lock(m);
            if (back.wait_for(lock, std::chrono::seconds(10), [&] { return done; })) return;
            held = true;
            lock.unlock();
            release();
        });
        call();
        {
            std::lock_guard lock(m);
            done = true;
        }
        back.notify_all();
        guard.join();
        return !held;
    }

private:
    QByteArray path_;
    bool made_ = false;
    std::atomic<bool> released_{false};
};

std::vector<QMessageBox*> visibleNotices(const QString& name) {
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            boxes.push_back(qobject_cast<QMessageBox*>(w));
    return boxes;
}

// Toss-up by toss-up who answered what and what the bonus gave, without
// the times.
QString played(const Sheet& whole) {
    const Sheet sheet = playedSheet(whole);
    QString out;
    for (const Tossup& t : sheet.tossups) {
        out += QStringLiteral("%1:").arg(t.number);
        for (const Buzz& b : t.buzzes)
            out += QStringLiteral(" %1.%2=%3").arg(b.team).arg(b.player).arg(b.value.value_or(99));
        for (int p : t.bonusParts)
            out += QStringLiteral(" +%1").arg(p);
        out += '\n';
    }
    return out;
}

QJsonObject readJson(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject matchOf(const QJsonObject& doc) {
    for (const QJsonValue v : doc["objects"].toArray())
        if (v["type"] == "Match") return v.toObject();
    return {};
}

QStringList errorsOf(const QJsonObject& doc) {
    QString error;
    const qbjcheck::Schema schema =
        qbjcheck::Schema::load(QStringLiteral(TORVANEL_QBJ_SCHEMA_DIR), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return qbjcheck::validate(schema, doc) + qbjcheck::checkImporterRules(doc);
}

}  // namespace

TEST(ResultFilesRoad, ARuledMatchEndsAsAResultFileThatSaysWhatTheBoardsSay) {
    Road r(twentyTossupRules());
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_2, Qt::Key_Space});
    // A neg, the clear re-arms, and the other team answers the same toss-up.
    r.buzz(6);
    r.keys({Qt::Key_N, Qt::Key_Space});
    r.buzz(2);
    r.keys({Qt::Key_C, Qt::Key_3, Qt::Key_Space});
    r.buzz(5);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_Space});
    // The neg was a wrong answer after the question: no penalty.
    ASSERT_TRUE(r.sheet->model().correctBuzz(1, 1, 1, 0));
    r.desk->files().flush();
    const QString base =
        QDate::currentDate().toString(Qt::ISODate) + " Round 3 Room 2 Alpha vs Beta";
    EXPECT_EQ(r.files(), QStringList({base + ".partial.qbj"}));

    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_EQ(r.files(), QStringList({base + ".result.qbj"}));
    const QJsonObject doc = r.result();
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 50}, {"Beta", 20}}));
    for (const QJsonValue& v : doc["objects"].toArray())
        if (v["type"] == "Match") {
            EXPECT_EQ(v["tossups_read"].toInt(), 3);
            EXPECT_EQ(v["match_questions"][1]["buzzes"].toArray().size(), 2);
        }

    // The record window's export of the same match, from its events alone,
    // says the same; its figures and scoresheet page are there for the report.
    const auto installed = installResultFiles(*r.f.t);
    const MatchExtras& extras = r.f.t->matchExtras();
    ASSERT_EQ(extras.exports().size(), 1u);
    const QJsonObject pastDoc = r.exported(extras);
    EXPECT_EQ(errorsOf(pastDoc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(pastDoc), r.boards());
    ASSERT_EQ(extras.sections().size(), 1u);
    MatchEvents events;
    for (const auto& e : r.rec.events)
        events.push_back({e.kind, 0.0, 0, e.data});
    const std::vector<MatchTable> tables = extras.sections()[0].tables(events);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].rows[1][5], "20");  // Beta's total
    // The report's first page says where the match was played, and the
    // record's line for the details reads as such, not as an empty option.
    QCoreApplication::sendPostedEvents();  // the details go with the match once it has begun
    events.clear();
    for (const auto& e : r.rec.events)
        events.push_back({e.kind, 0.0, 0, e.data});
    EXPECT_EQ(extras.sections()[0].summary(events),
              QStringList{QStringLiteral("Spring Open  \u00b7  Round 3  \u00b7  Room 2  \u00b7  "
                                         "Moderator: M. Reader")});
    const auto details = std::find_if(r.rec.events.begin(), r.rec.events.end(), [](const auto& e) {
        return e.kind == record::EventKind::OptionChanged;
    });
    ASSERT_NE(details, r.rec.events.end());
    EXPECT_EQ(record::describe({details->kind, 0, 0, details->data}, {}),
              QStringLiteral("Option match details: moderator M. Reader, room Room 2, round Round "
                             "3, tournament Spring Open"));
}

// End Match stops the match clock; New Match leaves nothing of the last
// match on the audience's display.
TEST(ResultFilesRoad, EndMatchStopsTheClockAndANewMatchBeginsWithAClearDisplay) {
    Road r(twentyTossupRules());
    r.f.key(Qt::Key_F5);
    ASSERT_TRUE(r.s.Timer2->isActive());
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_Space, Qt::Key_F9});
    for (int tick = 0; tick < 60 && r.s.namelabel->text().isEmpty(); ++tick)
        r.s.Timer1_Timer();
    ASSERT_EQ(r.s.namelabel->text(), QStringLiteral("Timer Expired"));
    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_FALSE(r.s.Timer2->isActive());
    EXPECT_EQ(r.rec.of(record::EventKind::ClockStopped).size(), 1u);
    r.s.newMatch();
    EXPECT_TRUE(r.s.namelabel->text().isEmpty());
}

TEST(ResultFilesRoad, NamesTypedDuringTheMatchAreTheNamesOfEveryOutput) {
    Road r(twentyTossupRules());
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_Space});
    // Alpha renamed between toss-ups: the record hears it with the next buzz.
    r.f.menu.teamNameBox(0)->setText(QStringLiteral("Owls"));
    r.buzz(6);
    r.keys({Qt::Key_N, Qt::Key_Space});
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_Space});
    // A tie on the last toss-up, left unruled: its note names Three as the
    // match ends. Three's name is put right just before End Match, with no
    // event after it.
    r.buzz({3, 7});
    r.f.menu.playerNameBox(3)->setText(QStringLiteral("Tess"));
    // End Match says the buzz is not ruled; the scorekeeper ends it anyway.
    r.f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_TRUE(std::any_of(r.f.t.dialogs.messages.begin(), r.f.t.dialogs.messages.end(),
                            [](const auto& m) { return m.text.contains("has not been ruled"); }));
    const QString base =
        QDate::currentDate().toString(Qt::ISODate) + " Round 3 Room 2 Owls vs Beta.result.qbj";
    EXPECT_EQ(r.files(), QStringList({base}));

    // The Scoresheet window says the same.
    r.sheet->openWindow();
    EXPECT_TRUE(r.sheet->window()->totalsLabel->text().startsWith("Owls 30"));
    EXPECT_EQ(r.sheet->window()->table->model()->headerData(2, Qt::Horizontal).toString(),
              "Owls\nTess");
    const QMap<QString, int> boards{{"Owls", 30}, {"Beta", -5}};
    EXPECT_EQ(r.s.ascore, 30);
    EXPECT_EQ(r.s.bscore, -5);
    const auto installed = installResultFiles(*r.f.t);
    for (const QJsonObject& doc : {r.result(), r.exported(r.f.t->matchExtras())}) {
        EXPECT_EQ(errorsOf(doc), QStringList());
        EXPECT_EQ(qbjcheck::teamTotals(doc), boards);
        const QString text = QString::fromUtf8(QJsonDocument(doc).toJson());
        EXPECT_FALSE(text.contains("Alpha") || text.contains("Three")) << text.toStdString();
        // Tess, renamed last, keeps her three toss-ups heard and two answers.
        QString tess;
        for (const QJsonValue r : doc["objects"][0]["registrations"].toArray())
            for (const QJsonValue t : r["teams"].toArray())
                for (const QJsonValue p : t["players"].toArray())
                    if (p["name"] == "Tess") tess = p["id"].toString();
        ASSERT_FALSE(tess.isEmpty());
        int tens = 0;
        for (const QJsonValue o : doc["objects"].toArray())
            for (const QJsonValue mt : o["match_teams"].toArray())
                for (const QJsonValue mp : mt["match_players"].toArray())
                    if (mp["player"]["$ref"] == tess) {
                        EXPECT_EQ(mp["tossups_heard"].toInt(), 3);
                        for (const QJsonValue c : mp["answer_counts"].toArray())
                            if (c["answer_type"]["value"] == 10) tens = c["number"].toInt();
                    }
        EXPECT_EQ(tens, 2);
        EXPECT_TRUE(text.contains("Toss-up 3: Tess, Seven pressed together") ||
                    text.contains("Toss-up 3: Seven, Tess pressed together"));
    }

    // Names typed for the next match once this one has ended leave its
    // result alone.
    r.f.menu.teamNameBox(0)->setText(QStringLiteral("Next Team"));
    r.s.recordNames();
    r.s.newMatch();
    r.desk->files().flush();
    EXPECT_EQ(r.desk->files().resultsWritten(), 1);
    EXPECT_EQ(r.files(), QStringList({base}));
}

TEST(ResultFilesRoad, AMatchScoredWithTheFunctionKeysGivesTheBoardsAndANewMatchWritesIt) {
    Road r(plainRules());
    r.keys({Qt::Key_F1, Qt::Key_F1, Qt::Key_F3, Qt::Key_F2});
    const QMap<QString, int> boards = r.boards();
    EXPECT_NE(boards, (QMap<QString, int>{{"Alpha", 0}, {"Beta", 0}}));
    r.s.newMatch();
    r.desk->files().flush();
    ASSERT_EQ(r.desk->files().resultsWritten(), 1);
    const QJsonObject doc = r.result();
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(doc), boards);
}

TEST(ResultFilesRoad, TeamsFromAQbjFileFillTheSetupMenu) {
    Road r(plainRules());
    QTemporaryDir dir;
    QFile file(dir.filePath("open.qbj"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"version": "2.1.1", "objects": [{"type": "Registration", "name": "Lomax",
        "id": "school_lomax",
        "teams": [{"name": "Lomax A", "players": [{"name": "A1"}, {"name": "A2"}, {"name": "A3"},
                   {"name": "A4"}, {"name": "A5"}, {"name": "A6"}]},
                  {"name": "Lomax B", "players": [{"name": "B1"}]}]}]})");
    file.close();

    r.f.t.dialogs.openAnswers = {file.fileName()};
    const auto installed = installResultFiles(*r.f.t);
    const auto added = r.f.t->operatorWindows().entries();
    const auto teams = std::find_if(added.begin(), added.end(), [](const OperatorWindow& w) {
        return w.text == QStringLiteral("&Teams from QBJ File...");
    });
    ASSERT_NE(teams, added.end());
    teams->open(&r.f.menu);
    auto* window = r.f.menu.findChild<RosterWindow*>();
    ASSERT_TRUE(window);
    window->openButton->click();
    // The file is read off the window thread.
    while (window->reading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(window->teamList->topLevelItemCount(), 2);
    window->teamList->topLevelItem(1)->setCheckState(0, Qt::Checked);
    window->teamList->topLevelItem(0)->setCheckState(0, Qt::Checked);
    window->useButton->click();

    EXPECT_EQ(r.f.menu.teamNameBox(0)->text(), "Lomax B");
    EXPECT_EQ(r.f.menu.teamNameBox(1)->text(), "Lomax A");
    EXPECT_EQ(r.f.menu.playerNameBox(1)->text(), "B1");
    EXPECT_EQ(r.f.menu.playerNameBox(2)->text(), "");
    EXPECT_EQ(r.f.menu.playerNameBox(5)->text(), "A1");
    EXPECT_EQ(r.f.menu.playerNameBox(8)->text(), "A4");
    // The next match has the bench too: A5 and A6 can come in.
    r.s.newMatch();
    QCoreApplication::processEvents();
    EXPECT_EQ(r.desk->sheet().teams[1].players, QStringList({"A1", "A2", "A3", "A4", "A5", "A6"}));

    // The result file enters both teams under the school's own registration,
    // as the stats room has it, not under one made up for each.
    r.keys({Qt::Key_F1, Qt::Key_F3});
    ASSERT_TRUE(endMatchWritten(*installed));
    QFile written(installed->files().lastResult());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QJsonObject doc = QJsonDocument::fromJson(written.readAll()).object();
    EXPECT_EQ(errorsOf(doc), QStringList());
    QStringList registrations;
    for (const QJsonValue& v : doc["objects"][0]["registrations"].toArray())
        registrations << v["id"].toString() + " " + v["name"].toString() + " " +
                             QString::number(v["teams"].toArray().size());
    EXPECT_EQ(registrations, QStringList{"school_lomax Lomax 2"});
}

// A match under rules that keep toss-ups, killed and resumed, is one match:
// the same sheet, a partial file and a result that hold every toss-up, one
// match in the record.
TEST(ResultFilesRoad, AResumedMatchIsTheWholeMatch) {
    QTemporaryDir recordDir;
    QString before;
    QMap<QString, int> boards;
    QString partial;
    {
        ManualClock clock(10.0);
        record::StoreRecorder store(clock, {recordDir.path()});
        Road r(twentyTossupRules());
        r.f.t.capabilities->record().useStore(store);
        r.s.newMatch();
        r.buzz(3);
        r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_Space});
        r.buzz(6);
        r.keys({Qt::Key_N, Qt::Key_Space});
        r.buzz(2);
        r.keys({Qt::Key_C, Qt::Key_Space});
        before = played(r.sheet->model().sheet());
        boards = r.boards();
        r.desk->files().flush();
        partial = r.files().value(0);
        store.flush();
    }  // killed: no end in the record
    ASSERT_EQ(before.count('\n'), 2) << before.toStdString();
    ASSERT_TRUE(partial.endsWith(".partial.qbj")) << partial.toStdString();

    ManualClock clock(10.0);
    record::StoreRecorder store(clock, {recordDir.path()});
    Road r(twentyTossupRules());
    r.f.t.capabilities->record().useStore(store);
    r.s.newMatch();  // the start-up's match, with nothing in it yet
    r.f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
    ASSERT_TRUE(r.f.t.capabilities->record().offerResume());
    EXPECT_EQ(played(r.sheet->model().sheet()), before);
    EXPECT_EQ(played(r.desk->sheet()), before);
    EXPECT_EQ(r.boards(), boards);
    r.desk->files().flush();
    ASSERT_EQ(r.files(), QStringList({partial}));
    EXPECT_EQ(matchOf(readJson(r.drop.filePath(partial)))["tossups_read"].toInt(), 2);

    r.buzz(5);
    r.keys({Qt::Key_C, Qt::Key_2, Qt::Key_Space});
    ASSERT_TRUE(endMatchWritten(*r.desk));
    const QJsonObject doc = r.result();
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(matchOf(doc)["tossups_read"].toInt(), 3);
    EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
    EXPECT_EQ(r.files(), QStringList({QFileInfo(r.desk->files().lastResult()).fileName()}));

    store.flush();
    record::RecordStore kept;
    ASSERT_TRUE(kept.open(record::recordFile(recordDir.path())));
    ASSERT_EQ(kept.matches().size(), 1u);
    MatchEvents events;
    for (const record::RecordedEvent& e : kept.events(kept.matches()[0].id))
        events.push_back({e.kind, e.matchTime, e.wallMs, e.data});
    EXPECT_EQ(played(sheetFromEvents(events)), played(r.sheet->model().sheet()));
}

// A match that ends on a dead toss-up: the scorekeeper says whether it was
// read, and the file counts it or not.
TEST(ResultFilesRoad, TheLastDeadTossupIsCountedWhenItWasRead) {
    for (const bool read : {true, false}) {
        Road r(twentyTossupRules());
        r.buzz(3);
        r.keys({Qt::Key_N, Qt::Key_Space});
        r.buzz(6);
        r.keys({Qt::Key_N, Qt::Key_Space});  // both wrong: the clear opens toss-up 2
        r.f.t.dialogs.answers.push_back(read ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        ASSERT_TRUE(endMatchWritten(*r.desk));
        const QJsonObject doc = r.result();
        EXPECT_EQ(errorsOf(doc), QStringList());
        EXPECT_EQ(matchOf(doc)["tossups_read"].toInt(), read ? 2 : 1) << read;
    }
}

// What the stats room gets is what was played: a practice before the
// details were set is no result; a buzz after End Match changes nothing;
// points given beside the sheet are asked about and named, not added.
TEST(ResultFilesRoad, OnlyTheMatchPlayedGoesToTheStatsRoom) {
    {
        Road r(plainRules());
        r.f.menu.textincrement[0]->setText("10");
        r.keys({Qt::Key_F1, Qt::Key_F3});
        r.f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);  // it was practice
        r.desk->setDetails({"Spring Open", "Round 4", "Room 2", "M. Reader", r.drop.path()});
        r.s.newMatch();
        r.keys({Qt::Key_F1});
        r.s.newMatch();
        r.desk->files().flush();
        EXPECT_EQ(r.files(), QStringList({QDate::currentDate().toString(Qt::ISODate) +
                                          " Round 4 Room 2 Alpha vs Beta.result.qbj"}));
        EXPECT_EQ(qbjcheck::teamTotals(r.result()),
                  (QMap<QString, int>{{"Alpha", 10}, {"Beta", 0}}));
    }
    Road r(twentyTossupRules());
    r.f.menu.textincrement[0]->setText("10");
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_F1, Qt::Key_Space});
    r.f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_TRUE(std::any_of(r.f.t.dialogs.messages.begin(), r.f.t.dialogs.messages.end(),
                            [](const auto& m) {
                                return m.buttons == Dialogs::Buttons::YesNo &&
                                       m.text.contains("Alpha +10");
                            }))
        << "asked before the file is written";
    const QJsonObject doc = r.result();
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(doc), (QMap<QString, int>{{"Alpha", 10}, {"Beta", 0}}));
    EXPECT_TRUE(matchOf(doc)["notes"].toString().contains("Alpha +10"));
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 20}, {"Beta", 0}}));
    const QByteArray written = QJsonDocument(doc).toJson();
    r.buzz(6);
    r.keys({Qt::Key_C, Qt::Key_Space});
    r.desk->files().flush();
    EXPECT_EQ(QJsonDocument(r.result()).toJson(), written);
    EXPECT_EQ(r.desk->files().resultsWritten(), 1);
}

// A share that fails is said once, beside the set-up menu and without taking
// the keys from the play screen, however many changes try it; and said again
// when a file is written once more, here by End Match pressed again.
TEST(ResultFilesRoad, AFailingShareIsSaidOnceAndAgainWhenItWorks) {
    Road r(plainRules());
    const auto notices = [] {
        std::vector<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ResultFileProblem") && w->isVisible())
                boxes.push_back(qobject_cast<QMessageBox*>(w));
        return boxes;
    };
    const auto change = [&r] {
        r.keys({Qt::Key_F1});
        r.desk->files().flush();
        QCoreApplication::processEvents();
    };
    // A file where the chosen folder should be: every write fails.
    QFile blocker(r.elsewhere.filePath("share"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MatchDetails details = r.desk->details();
    details.folder = r.elsewhere.filePath("share/results");
    r.desk->setDetails(details);
    for (int i = 0; i < 4; ++i)
        change();
    std::vector<QMessageBox*> boxes = notices();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0]->text().contains("share/results")) << boxes[0]->text().toStdString();
    EXPECT_TRUE(boxes[0]->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(boxes[0]->isModal());
    // End Match, failing too, says so, and that pressing it again retries.
    EXPECT_FALSE(endMatchWritten(*r.desk));
    QCoreApplication::processEvents();
    boxes = notices();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(
        std::count_if(boxes.begin(), boxes.end(),
                      [](QMessageBox* b) {
                          return b->text().endsWith("Press End Match again to try once more.");
                      }),
        1);

    // The match has ended: End Match, pressed again, writes its result.
    ASSERT_TRUE(blocker.remove());
    ASSERT_TRUE(endMatchWritten(*r.desk));
    QCoreApplication::processEvents();
    boxes = notices();
    ASSERT_EQ(boxes.size(), 3u);
    const auto again = std::find_if(boxes.begin(), boxes.end(), [](QMessageBox* b) {
        return b->text().startsWith("The result files are written again");
    });
    EXPECT_NE(again, boxes.end());
    for (QMessageBox* b : boxes)
        b->close();
}

// A share that hangs holds nothing on the window thread: End Match returns
// at once and says the file is on its way, the next match takes a press
// while it is, and where the file went is said when the writer is done.
TEST(ResultFilesRoad, EndMatchOnAShareThatHangsLetsTheNextMatchGoOn) {
    Road r(plainRules());
    r.f.menu.playerNameBox(3)->setText(QStringLiteral("Tess"));
    r.keys({Qt::Key_F1, Qt::Key_F3});
    r.desk->files().flush();
    const QString taken = ResultFiles::resultPath(r.drop.path(), r.desk->sheet());
    HangingShare share(taken);
    ASSERT_TRUE(share.made());

    bool asked = false;
    EXPECT_TRUE(share.returnsWhileHung([&] { asked = r.desk->endMatch(); }))
        << "End Match waited for the share";
    EXPECT_TRUE(asked);
    QCoreApplication::processEvents();
    std::vector<QMessageBox*> writing = visibleNotices("ResultFileWriting");
    ASSERT_EQ(writing.size(), 1u);
    EXPECT_TRUE(writing[0]->text().contains(r.drop.path())) << writing[0]->text().toStdString();
    EXPECT_TRUE(writing[0]->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(writing[0]->isModal());

    // The next match begins and a contestant's press is heard while the
    // file is still on its way.
    r.s.newMatch();
    r.f.key(Qt::Key_Space);
    r.buzz(3);
    EXPECT_EQ(r.s.namelabel->text(), QStringLiteral("Tess"));
    EXPECT_TRUE(r.desk->endMatchWriting());
    EXPECT_EQ(r.desk->files().resultsWritten(), 0);

    share.release();
    r.desk->files().flush();
    QCoreApplication::processEvents();
    ASSERT_EQ(r.desk->files().resultsWritten(), 1);
    const QString written = r.desk->files().lastResult();
    EXPECT_TRUE(written.endsWith(" (2).result.qbj")) << written.toStdString();
    EXPECT_TRUE(visibleNotices("ResultFileWriting").empty());
    const std::vector<QMessageBox*> said = visibleNotices("ResultFileWritten");
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0]->text().startsWith("The result file was written:\n" + written))
        << said[0]->text().toStdString();
    EXPECT_FALSE(r.desk->endMatchWriting());
    said[0]->close();
}

// The program's end waits for a share that hangs only so long: the record
// is closed, the last partial file stays, and stderr says what was not
// written.
TEST(ResultFilesRoad, TheProgramsEndDoesNotWaitForeverOnAShareThatHangs) {
    Road r(plainRules());
    r.keys({Qt::Key_F1, Qt::Key_F3});
    r.desk->files().flush();
    const QString partial = r.desk->files().lastPartial();
    ASSERT_TRUE(QFileInfo(partial).isFile()) << partial.toStdString();
    HangingShare share(ResultFiles::resultPath(r.drop.path(), r.desk->sheet()));
    ASSERT_TRUE(share.made());
    r.desk->setEndWait(std::chrono::milliseconds(200));

    testing::internal::CaptureStderr();
    EXPECT_TRUE(share.returnsWhileHung([&] {
        r.f.t->recorder().record(record::EventKind::ProgramEnded, {{"how", "exit"}});
        EXPECT_FALSE(r.desk->finish());
    })) << "the end waited for the share";
    const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_TRUE(said.contains("not written")) << said.toStdString();
    EXPECT_TRUE(said.contains("the result file of \"" + resultBaseName(r.desk->sheet())))
        << said.toStdString();
    EXPECT_TRUE(said.contains(partial)) << said.toStdString();
    EXPECT_EQ(said.count("not written"), 1) << "said once";
    EXPECT_TRUE(QFileInfo(partial).isFile());
    EXPECT_EQ(r.rec.of(record::EventKind::ProgramEnded).size(), 1u);
    share.release();
}

// Rules with two power levels: P gives the highest, O the next, each its own
// answer type in the file; under rules with one, O is refused aloud.
TEST(ResultFilesRoad, TwoPowerLevelsAreTwoAnswerTypes) {
    ScoringRules rules = twentyTossupRules();
    rules.name = QStringLiteral("20 / 15 / 10 / -5");
    rules.answerValues = {20, 15, 10, -5};
    {
        Road r(rules);
        r.buzz(1);
        r.keys({Qt::Key_P, Qt::Key_1, Qt::Key_Space});
        r.buzz(6);
        r.keys({Qt::Key_O, Qt::Key_Space});
        r.buzz(2);
        r.keys({Qt::Key_N, Qt::Key_Space});
        r.buzz(7);
        r.keys({Qt::Key_C, Qt::Key_Space});
        EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 25}, {"Beta", 25}}));
        ASSERT_TRUE(endMatchWritten(*r.desk));
        const QJsonObject doc = r.result();
        r.keep(QStringLiteral("two-power-levels"));
        EXPECT_EQ(errorsOf(doc), QStringList());
        EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
        QList<int> types;
        for (const QJsonValue v : doc["objects"][0]["scoring_rules"]["answer_types"].toArray())
            types << v["value"].toInt();
        EXPECT_EQ(types, (QList<int>{20, 15, 10, -5}));
        const QJsonArray questions = matchOf(doc)["match_questions"].toArray();
        EXPECT_EQ(questions[0]["buzzes"][0]["result"]["value"].toInt(), 20);
        EXPECT_EQ(questions[1]["buzzes"][0]["result"]["value"].toInt(), 15);
    }

    Road one(twentyTossupRules());
    one.buzz(1);
    EXPECT_TRUE(one.f.key(Qt::Key_O));
    EXPECT_TRUE(one.f.t->decision().text.contains("no second power level"))
        << one.f.t->decision().text.toStdString();
    EXPECT_EQ(one.boards(), (QMap<QString, int>{{"Alpha", 0}, {"Beta", 0}}));
}

// Under rules with bounce-backs B and a part's number give a part the
// controlling team missed to the other team: on the boards, in the file per
// part and per team, and in the stats apart from points per bonus.
TEST(ResultFilesRoad, ABounceBackMatchWritesBouncebackPointsApart) {
    ScoringRules rules = twentyTossupRules();
    rules.name = QStringLiteral("20 toss-ups, bounce-backs");
    rules.bonusesBounceBack = true;
    Road r(rules);
    const SheetModel& m = r.sheet->model();
    r.buzz(3);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_B, Qt::Key_2, Qt::Key_Space});
    // The bonus is still being read after the clear.
    r.keys({Qt::Key_B, Qt::Key_3});
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 20}, {"Beta", 20}}));
    // A part Alpha converted does not bounce back.
    r.keys({Qt::Key_B, Qt::Key_1});
    EXPECT_TRUE(r.f.t->decision().text.contains("does not bounce back"))
        << r.f.t->decision().text.toStdString();
    // One history: taken back and made again.
    r.s.undoScore();
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 20}, {"Beta", 10}}));
    r.s.redoScore();
    EXPECT_EQ(m.sheet().tossups[0].bouncebackParts, (std::vector<int>{0, 10, 10}));
    r.buzz(6);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_2, Qt::Key_B, Qt::Key_3, Qt::Key_Space});
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 30}, {"Beta", 50}}));
    EXPECT_EQ(r.rebuilt().tossups[0].bouncebackParts, (std::vector<int>{0, 10, 10}));

    ASSERT_TRUE(endMatchWritten(*r.desk));
    const QJsonObject doc = r.result();
    r.keep(QStringLiteral("bounce-backs"));
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
    EXPECT_TRUE(doc["objects"][0]["scoring_rules"]["bonuses_bounce_back"].toBool());
    const QJsonObject match = matchOf(doc);
    QList<int> bounced;
    for (const QJsonValue p : match["match_questions"][0]["bonus"]["parts"].toArray())
        bounced << p["bounceback_points"].toInt();
    EXPECT_EQ(bounced, (QList<int>{0, 10, 10}));
    EXPECT_EQ(match["match_teams"][0]["bonus_points"].toInt(), 10);
    EXPECT_EQ(match["match_teams"][0]["bonus_bounceback_points"].toInt(), 10);
    EXPECT_EQ(match["match_teams"][1]["bonus_points"].toInt(), 20);
    EXPECT_EQ(match["match_teams"][1]["bonus_bounceback_points"].toInt(), 20);
    const StatsTable teams = teamTable(computeSheetStats(playedSheet(m.sheet())));
    EXPECT_EQ(teams.heading, (QStringList{"Team", "Toss-up points", "Bonuses heard", "Bonus points",
                                          "PPB", "BB points", "BB taken", "Total"}));
    EXPECT_EQ(teams.rows[0],
              (QStringList{"Alpha", "10", "1", "10", "10.00", "10", "1 of 1 (100%)", "30"}));
    EXPECT_EQ(teams.rows[1],
              (QStringList{"Beta", "10", "1", "20", "20.00", "20", "2 of 2 (100%)", "50"}));
}

// At the end of regulation a lead ends the match (said, no overtime row) and a
// tie goes on into overtime; End Match first says what a scorekeeper checks.
TEST(ResultFilesRoad, RegulationEndsTheMatchOrGoesToOvertimeAndEndMatchChecksFirst) {
    ScoringRules rules = acfRules();
    rules.regulationTossups = 3;
    Road r(rules);
    const Sheet& sheet = r.sheet->model().sheet();
    r.buzz(1);
    r.keys({Qt::Key_C, Qt::Key_Space});
    r.buzz(5);
    r.keys({Qt::Key_C, Qt::Key_Space});
    r.keys({Qt::Key_T});  // toss-up 3 read dead: 10 all
    EXPECT_TRUE(r.f.t->decision().text.contains("tied after regulation"))
        << r.f.t->decision().text.toStdString();
    ASSERT_EQ(sheet.tossups.size(), 4u);
    // End Match now: the tie and a buzz not ruled are said; No goes back.
    r.buzz(2);
    EXPECT_FALSE(r.desk->endMatch());
    ASSERT_FALSE(r.f.t.dialogs.messages.empty());
    const QString checks = r.f.t.dialogs.messages.back().text;
    EXPECT_TRUE(checks.contains("Alpha's buzz on toss-up 4 has not been ruled"))
        << checks.toStdString();
    EXPECT_TRUE(checks.contains("tied (Alpha 10, Beta 10)")) << checks.toStdString();
    EXPECT_FALSE(sheet.ended);
    r.keys({Qt::Key_C, Qt::Key_Space});
    EXPECT_TRUE(r.f.t->decision().text.contains("the match is over (Alpha 20, Beta 10)"))
        << r.f.t->decision().text.toStdString();
    r.keys({Qt::Key_T});
    EXPECT_EQ(sheet.tossups.size(), 4u) << "no row after the match";
    const std::size_t asked = r.f.t.dialogs.messages.size();
    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_EQ(r.f.t.dialogs.messages.size(), asked) << "no question: the file's word is a notice";
    const QJsonObject doc = r.result();
    r.keep(QStringLiteral("overtime"));
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(matchOf(doc)["tossups_read"].toInt(), 4);
    EXPECT_EQ(matchOf(doc)["overtime_tossups_read"].toInt(), 1);
    EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
}

// Time-outs: the time-out key asks which team called it, one past the rules'
// allowance is said; protests are lodged while play goes on, said when they
// could change the result, upheld as a correction taken back like any
// other, or denied; all of it in the result file's notes and on the PDF.
TEST(ResultFilesRoad, TimeoutsAndProtestsAreKeptAndWrittenUp) {
    ScoringRules rules = acfRules();
    rules.name = QStringLiteral("ACF with bounce-backs");
    rules.bonusesBounceBack = true;
    Road r(rules);
    SheetModel& m = r.sheet->model();
    const Sheet& sheet = m.sheet();
    r.buzz(2);
    r.keys({Qt::Key_W, Qt::Key_Space});
    r.keys({Qt::Key_T});  // nobody else: toss-up 1 goes dead
    // Alpha's answer was right, it says.
    ASSERT_TRUE(m.fileProtest(0, 0, -1, QStringLiteral("Kepler"),
                              QStringLiteral("the answer line accepts the surname")));
    EXPECT_TRUE(r.f.t->decision().text.contains("could change the result"))
        << r.f.t->decision().text.toStdString();
    r.buzz(6);
    r.keys({Qt::Key_C, Qt::Key_1, Qt::Key_B, Qt::Key_2, Qt::Key_Space});
    ASSERT_TRUE(m.fileProtest(1, 1, 2, QStringLiteral("Brahms"), QStringLiteral("")));
    for (int called = 0; called < 2; ++called) {
        r.f.t.dialogs.choices.push_back(1);  // Beta
        r.keys({Qt::Key_F6});
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(sheet.timeouts.size(), 2u);
    EXPECT_EQ(r.f.t.dialogs.messages.back().choices, (QStringList{"Alpha", "Beta", "&Neither"}));
    EXPECT_TRUE(r.f.t->decision().text.contains("Beta has called 2 time-outs"))
        << r.f.t->decision().text.toStdString();
    m.undo();
    ASSERT_EQ(sheet.timeouts.size(), 1u);
    EXPECT_EQ(r.rebuilt().timeouts.size(), 1u);
    EXPECT_EQ(r.rebuilt().protests.size(), 2u);

    // Upheld: Alpha's answer counts, on the sheet and the board; taken back
    // and made again with the one history.
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 10}, {"Beta", 20}}));
    ASSERT_TRUE(m.resolveProtest(0, true));
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 20}, {"Beta", 20}}));
    r.s.undoScore();
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 10}, {"Beta", 20}}));
    EXPECT_EQ(sheet.protests[0].state, Protest::State::Open);
    r.s.redoScore();
    EXPECT_EQ(r.boards(), (QMap<QString, int>{{"Alpha", 20}, {"Beta", 20}}));
    EXPECT_EQ(r.rebuilt().protests[0].state, Protest::State::Upheld);
    // The second stays open at End Match: said, and written up as open.
    r.f.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
    ASSERT_TRUE(endMatchWritten(*r.desk));
    EXPECT_TRUE(std::any_of(r.f.t.dialogs.messages.begin(), r.f.t.dialogs.messages.end(),
                            [](const auto& msg) { return msg.text.contains("1 open protest"); }));
    const QJsonObject doc = r.result();
    r.keep(QStringLiteral("timeouts-protests"));
    EXPECT_EQ(errorsOf(doc), QStringList());
    EXPECT_EQ(qbjcheck::teamTotals(doc), r.boards());
    const QString notes = matchOf(doc)["notes"].toString();
    EXPECT_TRUE(notes.contains("Time-outs called by Beta: 1 (after toss-up 2); the rules allow 1."))
        << notes.toStdString();
    EXPECT_TRUE(
        notes.contains("Protest 1 by Alpha on toss-up 1: answer given \"Kepler\"; reason: "
                       "the answer line accepts the surname. Upheld"))
        << notes.toStdString();
    EXPECT_TRUE(
        notes.contains("Protest 2 by Beta on part 3 of the bonus on toss-up 2: answer "
                       "given \"Brahms\"; no reason given. Open"))
        << notes.toStdString();

    // For a person to look at: the window and the scoresheet page.
    const QString look = qEnvironmentVariable("TORVANEL_LOOK_DIR");
    if (!look.isEmpty()) {
        EXPECT_TRUE(writeScoresheetPdf(QDir(look).filePath("scoresheet.pdf"), sheet));
        r.sheet->openWindow();
        const qint64 until =
            QDateTime::currentMSecsSinceEpoch() + qEnvironmentVariableIntValue("TORVANEL_LOOK_MS");
        while (QDateTime::currentMSecsSinceEpoch() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}
