#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "app/clock.h"
#include "record/matchstate.h"
#include "record/recordstore.h"
#include "record/storerecorder.h"

using namespace record;

namespace {

QJsonObject matchStart(const QStringList& teams, const QJsonArray& scores, int clock) {
    QJsonArray players;
    for (int t = 0; t < teams.size(); ++t)
        players.append(QJsonArray{QStringLiteral("P%1a").arg(t), QStringLiteral("P%1b").arg(t)});
    return {{"screen", "2_4"},
            {"teams", QJsonArray::fromStringList(teams)},
            {"players", players},
            {"scores", scores},
            {"clock", clock}};
}

QJsonObject score(int team, int before, int after) {
    return {{"team", team}, {"before", before}, {"after", after}, {"how", "F1"}};
}

// The record as its first version wrote it.
constexpr const char* kFirstSchema =
    "CREATE TABLE matches (id INTEGER PRIMARY KEY, started INTEGER NOT NULL, ended INTEGER,"
    " end_how TEXT NOT NULL DEFAULT '', screen TEXT NOT NULL DEFAULT '', teams TEXT NOT NULL"
    " DEFAULT '[]', last_alive REAL NOT NULL DEFAULT 0);"
    "CREATE TABLE events (id INTEGER PRIMARY KEY, match_id INTEGER NOT NULL, match_time REAL"
    " NOT NULL, wall INTEGER NOT NULL, kind TEXT NOT NULL, data TEXT NOT NULL DEFAULT '{}');"
    "CREATE INDEX events_by_match ON events (match_id, id);";

// The second version: the first with match numbers never given again.
constexpr const char* kSecondSchema =
    "CREATE TABLE matches (id INTEGER PRIMARY KEY AUTOINCREMENT, started INTEGER NOT NULL,"
    " ended INTEGER, end_how TEXT NOT NULL DEFAULT '', screen TEXT NOT NULL DEFAULT '',"
    " teams TEXT NOT NULL DEFAULT '[]', last_alive REAL NOT NULL DEFAULT 0);"
    "CREATE TABLE events (id INTEGER PRIMARY KEY, match_id INTEGER NOT NULL, match_time REAL"
    " NOT NULL, wall INTEGER NOT NULL, kind TEXT NOT NULL, data TEXT NOT NULL DEFAULT '{}');"
    "CREATE INDEX events_by_match ON events (match_id, id);";

struct Problems {
    std::vector<QString> heard;
    std::function<void(const QString&)> handler() {
        return [this](const QString& p) { heard.push_back(p); };
    }
};

}  // namespace

// A whole run: what came before the match belongs to it, times are counted
// from its start, the data comes back as it went in, and an Exit ends it
// cleanly so the next run offers nothing back. The folders made for the
// record are the user's alone.
TEST(StoreRecorder, KeepsARunAndItsCleanEnd) {
    QTemporaryDir top;
    const QString folder = top.filePath(QStringLiteral("share/torvanel"));
    ManualClock clock(500.0);
    {
        StoreRecorder recorder(clock, {folder});
        EXPECT_TRUE(recorder.problem().isEmpty());
        for (const QString& made : {folder, top.filePath(QStringLiteral("share"))}) {
            EXPECT_EQ(QFileInfo(made).permissions() & 0x7077,
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                << made.toStdString();
        }
        recorder.record(EventKind::ProgramStarted, {{"interface", "sim:180"}, {"simulated", true}});
        clock.advance(2.0);
        recorder.record(
            EventKind::MatchStarted,
            matchStart({QStringLiteral("Zürich"), QStringLiteral("Bern")}, {0, 0}, 900));
        clock.advance(3.5);
        recorder.record(EventKind::ScoreChanged, score(0, 0, 10));
        clock.advance(1.0);
        recorder.record(EventKind::ProgramEnded, {{"how", "exit"}});
        EXPECT_EQ(recorder.currentEvents().size(), 4u);
    }

    RecordStore store;
    ASSERT_TRUE(store.open(recordFile(folder)));
    const auto matches = store.matches();
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_TRUE(matches[0].endedMs.has_value());
    EXPECT_EQ(matches[0].endHow, "exit");
    EXPECT_EQ(matches[0].teams, (QStringList{"Zürich", "Bern"}));
    const auto events = store.events(matches[0].id);
    ASSERT_EQ(events.size(), 4u);
    const std::vector<std::pair<EventKind, double>> expected{{EventKind::ProgramStarted, -2.0},
                                                             {EventKind::MatchStarted, 0.0},
                                                             {EventKind::ScoreChanged, 3.5},
                                                             {EventKind::ProgramEnded, 4.5}};
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].kind, expected[i].first) << i;
        EXPECT_DOUBLE_EQ(events[i].matchTime, expected[i].second) << i;
        EXPECT_GT(events[i].wallMs, 0);
    }
    EXPECT_EQ(events[2].data.value("after").toInt(), 10);
    EXPECT_EQ(events[0].data.value("interface").toString(), "sim:180");
    store.close();

    StoreRecorder next(clock, {folder});
    EXPECT_FALSE(next.interrupted().has_value());
}

// A run that never ended is offered back with what was on the boards: the
// last scores and the clock as it had counted down, even after a later run
// that died again before anything was played.
TEST(StoreRecorder, OffersTheInterruptedMatchBack) {
    QTemporaryDir dir;
    ManualClock clock(100.0);
    {
        StoreRecorder recorder(clock, {dir.path()});
        recorder.record(EventKind::MatchStarted,
                        matchStart({"Alpha", "Beta", "Gamma"}, {0, 0, 0}, 900));
        clock.advance(10.0);
        recorder.record(EventKind::ClockStarted, {{"left", 900}});
        clock.advance(5.0);
        recorder.record(EventKind::ScoreChanged, score(1, 0, 20));
        recorder.record(EventKind::ScoreChanged, score(2, 0, -5));
        recorder.record(EventKind::ScoreUndone, score(1, 20, 10));
        clock.advance(60.5);
        recorder.record(EventKind::Cleared, {{"how", "space"}});
        // No ProgramEnded: the process died here.
    }
    {
        StoreRecorder again(clock, {dir.path()});
        ASSERT_TRUE(again.interrupted().has_value());
        again.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
    }
    StoreRecorder third(clock, {dir.path()});
    ASSERT_TRUE(third.interrupted().has_value());
    const InterruptedMatch& m = *third.interrupted();
    EXPECT_EQ(m.match.id, 1);
    EXPECT_EQ(m.state.teams, (QStringList{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(m.state.scores, (std::vector<int>{0, 10, -5}));
    EXPECT_EQ(m.clockLeft, 900 - 65);
}

// Each match's summary in the file (names in use, scores, number of events)
// is what its events replay to: for a finished match, for one the process
// left without an end, and for that one once resumed, played on and left
// again; a deleted match takes its summary with it.
TEST(StoreRecorder, KeepsEachMatchsSummaryAsItsEventsGive) {
    QTemporaryDir dir;
    ManualClock clock(100.0);
    auto expectSummariesReplay = [&](std::size_t count) {
        RecordStore store;
        ASSERT_TRUE(store.open(recordFile(dir.path())));
        const std::vector<MatchSummary> matches = store.matches();
        ASSERT_EQ(matches.size(), count);
        for (const MatchSummary& m : matches) {
            SCOPED_TRACE(m.id);
            const std::vector<RecordedEvent> events = store.events(m.id);
            const MatchState state = replay(events);
            EXPECT_EQ(m.names, state.teams);
            EXPECT_EQ(m.scores, state.scores);
            EXPECT_EQ(m.events, qint64(events.size()));
        }
    };
    {
        StoreRecorder recorder(clock, {dir.path()});
        recorder.record(EventKind::ProgramStarted, {{"interface", "sim:180"}});
        recorder.record(EventKind::MatchStarted, matchStart({"Owls", "Larks"}, {0, 0}, 900));
        recorder.record(EventKind::ScoreChanged, score(0, 0, 10));
        recorder.record(EventKind::NamesChanged, {{"teams", QJsonArray{"Night Owls", "Larks"}}});
        recorder.record(EventKind::ScoreChanged, score(1, 0, 5));
        recorder.record(EventKind::ScoreUndone, score(1, 5, 0));
        recorder.record(EventKind::MatchEnded, {{"how", "end-match"}});
        recorder.flush();
        recorder.record(EventKind::MatchStarted,
                        matchStart({"Alpha", "Beta", "Gamma"}, {0, 0, 0}, 900));
        recorder.record(EventKind::ScoreChanged, score(2, 0, 15));
        recorder.flush();
        // Switching sides moves a name with its score.
        recorder.record(EventKind::ScoreChanged,
                        {{"team", 0}, {"before", 0}, {"after", 15}, {"name", "Gamma"}});
        // No end: the process died here.
    }
    expectSummariesReplay(2);
    {
        StoreRecorder recorder(clock, {dir.path()});
        ASSERT_TRUE(recorder.interrupted().has_value());
        const InterruptedMatch& m = *recorder.interrupted();
        recorder.record(EventKind::MatchStarted, matchStart({"New", "Names"}, {0, 0}, 900));
        recorder.record(EventKind::MatchResumed, {{"from", m.match.id},
                                                  {"scores", QJsonArray{15, 0, 15}},
                                                  {"clock", 800},
                                                  {"teams", QJsonArray{"Gamma", "Beta", "Alpha"}}});
        recorder.flush();
        recorder.record(EventKind::ScoreChanged, score(1, 0, 30));
        recorder.record(EventKind::ScoreRedone, score(1, 30, 40));
    }
    expectSummariesReplay(2);
    {
        RecordStore store;
        ASSERT_TRUE(store.open(recordFile(dir.path())));
        const std::vector<MatchSummary> matches = store.matches();
        ASSERT_EQ(matches.size(), 2u);
        EXPECT_EQ(matches[0].names, (QStringList{"Night Owls", "Larks"}));
        EXPECT_EQ(matches[0].scores, (std::vector<int>{10, 0}));
        EXPECT_EQ(matches[1].scores, (std::vector<int>{15, 40, 15}));
        ASSERT_TRUE(store.deleteMatch(matches[0].id));
    }
    expectSummariesReplay(1);
}

// A start with nothing played in it is no match: not in the file, and the
// match that follows takes its number and what was said before.
TEST(StoreRecorder, AStartWithNoPlayLeavesNoMatch) {
    QTemporaryDir dir;
    ManualClock clock(10.0);
    {
        StoreRecorder recorder(clock, {dir.path()});
        recorder.record(EventKind::ProgramStarted, {{"interface", "sim"}});
        recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
        recorder.record(EventKind::NamesChanged, {{"teams", QJsonArray{"Owls", "Beta"}}});
        recorder.record(EventKind::ProgramEnded, {{"how", "exit"}});
        recorder.flush();
    }
    {
        RecordStore store;
        ASSERT_TRUE(store.open(recordFile(dir.path())));
        EXPECT_TRUE(store.matches().empty());
    }
    StoreRecorder recorder(clock, {dir.path()});
    recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
    recorder.record(EventKind::OptionChanged, {{"option", "x"}, {"value", 1}});
    recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
    recorder.record(EventKind::ScoreChanged, score(0, 0, 10));
    recorder.flush();
    RecordStore store;
    ASSERT_TRUE(store.open(recordFile(dir.path())));
    const auto matches = store.matches();
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].id, 1);
    const auto events = store.events(1);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, EventKind::OptionChanged);
    EXPECT_EQ(events[1].kind, EventKind::MatchStarted);
}

// Whatever is wrong with the file, the events are taken without a fuss,
// the current match is still there to look at, and the operator hears why
// once. A damaged file, or another program's database, is moved aside
// unchanged and a fresh record kept; a newer program's file is not touched.
TEST(StoreRecorder, FileProblems) {
    enum class Setup {
        UnwritableFolder,
        Garbage,
        Truncated,
        DamagedInside,
        OldAndDamaged,
        UnknownFormat,
        Foreign,
        Locked,
        Full,
        TooNew,
        HeldByAnotherCopy
    };
    struct Case {
        Setup setup;
        const char* words;  // in the problem; empty: the record is kept
        const char* aside;  // the name the old file is put aside under
    };
    const Case cases[] = {
        {Setup::UnwritableFolder, "cannot be created", nullptr},
        {Setup::Garbage, "", "record-damaged-*.sqlite"},
        {Setup::Truncated, "", "record-damaged-*.sqlite"},
        {Setup::DamagedInside, "", "record-damaged-*.sqlite"},
        {Setup::OldAndDamaged, "", "record-damaged-*.sqlite"},
        {Setup::UnknownFormat, "", "record-damaged-*.sqlite"},
        {Setup::Foreign, "", "record-other-*.sqlite"},
        {Setup::Locked, "locked", nullptr},
        {Setup::Full, "full", nullptr},
        {Setup::TooNew, "newer version", nullptr},
        {Setup::HeldByAnotherCopy, "another copy", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.setup));
        QTemporaryDir dir;
        QString folder = dir.path();
        const QString file = recordFile(folder);
        StoreOptions options{folder};
        sqlite3* locker = nullptr;
        std::unique_ptr<StoreRecorder> first;
        auto earlierRecord = [&] {
            ManualClock clock;
            StoreRecorder earlier(clock, options);
            earlier.record(EventKind::MatchStarted, matchStart({"Owls", "Bats"}, {0, 0}, 900));
            for (int i = 0; i < 40; ++i)
                earlier.record(EventKind::Decision, {{"text", QString(2000, u'y')}});
        };
        auto sql = [&](const char* statements) {
            ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &locker), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(locker, statements, nullptr, nullptr, nullptr), SQLITE_OK);
        };
        switch (c.setup) {
        case Setup::UnwritableFolder: {
            // A file where the folder should be: not even root gets past that.
            QFile blocker(dir.filePath("blocked"));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
            options.folder = dir.filePath("blocked/torvanel");
            break;
        }
        case Setup::Garbage: {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(5000, '\x5a'));
            break;
        }
        case Setup::Truncated:
            earlierRecord();
            ASSERT_TRUE(QFile::resize(file, 5 * 4096 + 100));
            break;
        case Setup::DamagedInside: {
            // A sound header and schema, with pages in the middle
            // overwritten: the damage shows only when they are read.
            earlierRecord();
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_GT(f.size(), 16 * 4096);
            f.seek(8 * 4096);
            f.write(QByteArray(3 * 4096, '\x5a'));
            break;
        }
        case Setup::OldAndDamaged: {
            // A first-version file, not yet in write-ahead mode, whose
            // matches the migration finds damaged: it is put aside as it was.
            sql((std::string(kFirstSchema) +
                 "INSERT INTO matches (started) VALUES (1); PRAGMA user_version=1;")
                    .c_str());
            sqlite3_close(locker);
            locker = nullptr;
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(4096 + 8);
            f.write(QByteArray(64, '\x5a'));
            break;
        }
        case Setup::UnknownFormat: {
            // A header naming a schema format no SQLite reads.
            earlierRecord();
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(44);
            f.write(QByteArray("\0\0\0\x09", 4));
            break;
        }
        case Setup::Foreign:
            // Another program's database that happens to have this name.
            sql("CREATE TABLE contacts (name TEXT); INSERT INTO contacts VALUES ('Ada');");
            sqlite3_close(locker);
            locker = nullptr;
            break;
        case Setup::Locked:
            sql("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;");
            options.busyMs = 50;
            break;
        case Setup::Full:
            options.maxPageCount = 8;
            options.giveUpMs = 0;
            break;
        case Setup::TooNew:
            sql("CREATE TABLE matches (id INTEGER PRIMARY KEY); CREATE TABLE events (id INTEGER);"
                "PRAGMA user_version=99");
            sqlite3_close(locker);
            locker = nullptr;
            break;
        case Setup::HeldByAnotherCopy: {
            // The other copy is in the middle of a match.
            static ManualClock otherClock;
            first = std::make_unique<StoreRecorder>(otherClock, options);
            first->record(EventKind::MatchStarted, matchStart({"Owls", "Bats"}, {0, 0}, 900));
            first->record(EventKind::ScoreChanged, score(0, 0, 10));
            first->flush();
            break;
        }
        }
        QByteArray before;
        if (QFile f(file); f.open(QIODevice::ReadOnly)) before = f.readAll();

        ManualClock clock;
        Problems problems;
        {
            StoreRecorder recorder(clock, options);
            recorder.setProblemHandler(problems.handler());
            if (c.setup == Setup::HeldByAnotherCopy) {
                ASSERT_TRUE(recorder.heldBy().has_value());
                EXPECT_EQ(recorder.heldBy()->pid, QCoreApplication::applicationPid());
                EXPECT_FALSE(recorder.interrupted().has_value());
            } else {
                EXPECT_FALSE(recorder.heldBy().has_value());
            }
            recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
            const QString filler(2000, QLatin1Char('x'));
            for (int i = 0; i < 60; ++i) {
                recorder.record(EventKind::Decision, {{"text", filler}});
                if (i % 10 == 0) recorder.flush();
            }
            recorder.flush();
            EXPECT_EQ(recorder.currentEvents().size(), 61u);
            if (c.setup == Setup::HeldByAnotherCopy) {
                // Asked about at start rather than told later.
                EXPECT_TRUE(problems.heard.empty()) << problems.heard[0].toStdString();
                EXPECT_TRUE(recorder.problem().contains(QLatin1String(c.words)));
            } else if (c.words[0] != '\0') {
                ASSERT_EQ(problems.heard.size(), 1u);
                EXPECT_TRUE(problems.heard[0].contains(QLatin1String(c.words)))
                    << problems.heard[0].toStdString();
                EXPECT_EQ(recorder.problem(), problems.heard[0]);
            } else {
                EXPECT_TRUE(problems.heard.empty()) << problems.heard[0].toStdString();
            }
        }
        if (locker) sqlite3_close(locker);

        if (c.aside) {
            const QStringList aside = QDir(folder).entryList({QLatin1String(c.aside)}, QDir::Files);
            ASSERT_EQ(aside.size(), 1);
            QFile old(QDir(folder).filePath(aside[0]));
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            EXPECT_EQ(old.readAll(), before);
            RecordStore store;
            ASSERT_TRUE(store.open(file));
            const auto matches = store.matches();
            ASSERT_EQ(matches.size(), 1u);
            EXPECT_EQ(store.events(matches[0].id).size(), 61u);
        }
        if (c.setup == Setup::TooNew) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), before);
            RecordStore store;
            EXPECT_FALSE(store.open(file));
            EXPECT_EQ(store.failure(), StoreFailure::TooNew);
        }
        if (first) {
            // The copy that had it first keeps recording its match.
            first->record(EventKind::ScoreChanged, score(0, 10, 20));
            first.reset();
            RecordStore store;
            ASSERT_TRUE(store.open(file));
            const auto matches = store.matches();
            ASSERT_EQ(matches.size(), 1u);
            EXPECT_EQ(replay(store.events(matches[0].id)).scores, (std::vector<int>{20, 0}));
        }
    }
}

// The whole file is read through on the writer thread once the program
// runs; what is recorded meanwhile waits in memory and is all written once
// the check is done. When the check finds the file damaged and moves it
// aside, a resume of the match found in it, before or after the check ends,
// is a new match in the fresh file: nothing is written under the old number.
TEST(StoreRecorder, ChecksTheFileInTheBackground) {
    for (const bool resumeFirst : {true, false}) {
        SCOPED_TRACE(resumeFirst);
        QTemporaryDir dir;
        const QString file = recordFile(dir.path());
        {
            ManualClock clock;
            StoreRecorder earlier(clock, {dir.path()});
            earlier.record(EventKind::MatchStarted, matchStart({"Owls", "Bats"}, {0, 0}, 900));
            for (int i = 0; i < 40; ++i)
                earlier.record(EventKind::Decision, {{"text", QString(2000, u'y')}});
            for (int m = 0; m < 2; ++m) {
                earlier.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
                earlier.record(EventKind::ScoreChanged, score(1, 0, 9));
            }
        }
        {
            // Pages of the first match's events overwritten: only a full
            // read finds it.
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(8 * 4096);
            f.write(QByteArray(3 * 4096, '\x5a'));
        }
        auto bytes = [&] {
            QByteArray all;
            for (const QString& name : {file, file + QStringLiteral("-wal")})
                if (QFile f(name); f.open(QIODevice::ReadOnly)) all += f.readAll();
            return all;
        };
        const QByteArray before = bytes();

        std::promise<std::thread::id> started;
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        ManualClock clock;
        StoreOptions options{dir.path()};
        options.checking = [&] {
            started.set_value(std::this_thread::get_id());
            released.wait();
        };
        StoreRecorder recorder(clock, options);
        auto checkThread = started.get_future();
        ASSERT_EQ(checkThread.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_NE(checkThread.get(), std::this_thread::get_id());
        ASSERT_TRUE(recorder.interrupted().has_value());
        const qint64 from = recorder.interrupted()->match.id;
        EXPECT_EQ(from, 3);
        const std::size_t earlier = recorder.interrupted()->events.size();

        auto checkDone = [&] {
            release.set_value();
            for (int i = 0; i < 250 && recorder.movedAside().isEmpty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ASSERT_FALSE(recorder.movedAside().isEmpty());
        };
        recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
        if (!resumeFirst) checkDone();
        recorder.record(EventKind::MatchResumed, {{"from", from},
                                                  {"scores", QJsonArray{7, 9}},
                                                  {"clock", 600},
                                                  {"teams", QJsonArray{"Alpha", "Beta"}}});
        for (int i = 0; i < 20; ++i)
            recorder.record(EventKind::ScoreChanged, score(0, 7 + i, 8 + i));
        if (resumeFirst) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_EQ(bytes(), before) << "written before the check ended";
            checkDone();
        }
        recorder.flush();

        RecordStore store;
        ASSERT_TRUE(store.open(file));
        const auto matches = store.matches();
        ASSERT_EQ(matches.size(), 1u);
        EXPECT_EQ(recorder.currentMatch(), matches[0].id);
        const auto events = store.events(matches[0].id);
        EXPECT_EQ(events.size(), recorder.currentEvents().size() - (resumeFirst ? earlier : 0))
            << "the resumed match keeps its earlier events in memory only";
        EXPECT_EQ(replay(events).scores, (std::vector<int>{27, 9}));
    }
}

// A batch the file will not take waits in memory and goes in when the file
// answers again: a lock held past the busy timeout loses nothing, and the
// operator hears once that it is over. A fault that lasts stops the record
// until the operator chooses Retry, which writes what waited.
TEST(StoreRecorder, FailedBatchesAreKeptAndWrittenLater) {
    QTemporaryDir dir;
    const QString file = recordFile(dir.path());
    SteadyClock clock;
    StoreOptions options{dir.path()};
    options.busyMs = 200;
    options.giveUpMs = 60000;
    Problems problems;
    std::vector<double> recoveries;
    std::atomic<int> recordedDuringLock{0};
    {
        StoreRecorder recorder(clock, options);
        recorder.setProblemHandler(problems.handler());
        recorder.setRecoveryHandler(
            [&](const QString&, double seconds) { recoveries.push_back(seconds); });
        recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
        recorder.flush();

        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        int n = 0;
        while (std::chrono::steady_clock::now() < until) {
            recorder.record(EventKind::ScoreChanged, score(0, n, n + 1));
            ++n;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        recordedDuringLock = n;
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        // flush() gives up after one failed try, so wait for the writer.
        for (int i = 0; i < 100 && recoveries.empty(); ++i) {
            recorder.flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_EQ(recoveries.size(), 1u);
        EXPECT_TRUE(problems.heard.empty());
        {
            RecordStore store;
            ASSERT_TRUE(store.open(file));
            EXPECT_EQ(store.events(store.matches().at(0).id).size(),
                      std::size_t(recordedDuringLock + 1));
        }
    }
    std::printf("[lock] %d events recorded during a 1.5 s lock, all written\n",
                int(recordedDuringLock));

    // A fault that lasts: the record stops, the events wait.
    options.giveUpMs = 300;
    problems.heard.clear();
    recoveries.clear();
    StoreRecorder recorder(clock, options);
    recorder.setProblemHandler(problems.handler());
    recorder.setRecoveryHandler(
        [&](const QString&, double seconds) { recoveries.push_back(seconds); });
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    recorder.record(EventKind::MatchStarted, matchStart({"Gamma", "Delta"}, {0, 0}, 900));
    for (int i = 0; i < 40 && problems.heard.empty(); ++i) {
        recorder.record(EventKind::ScoreChanged, score(1, i, i + 1));
        recorder.flush();
    }
    ASSERT_EQ(problems.heard.size(), 1u);
    EXPECT_TRUE(problems.heard[0].contains(QLatin1String("locked")));
    EXPECT_TRUE(recorder.canRetry());
    recorder.record(EventKind::Decision, {{"text", "after the stop"}});
    recorder.flush();
    const std::size_t recorded = recorder.currentEvents().size();

    // Put right: Retry writes every event that waited.
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    recorder.retry();
    for (int i = 0; i < 100 && recoveries.empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(recoveries.size(), 1u);
    EXPECT_FALSE(recorder.canRetry());
    RecordStore store;
    ASSERT_TRUE(store.open(file));
    const auto matches = store.matches();
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(store.events(matches[1].id).size(), recorded);
}

// The file numbers the matches: a match that some other connection added
// meanwhile does not make this program's next one fail.
TEST(StoreRecorder, TheFileNumbersTheMatches) {
    QTemporaryDir dir;
    ManualClock clock;
    Problems problems;
    StoreRecorder recorder(clock, {dir.path()});
    recorder.setProblemHandler(problems.handler());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(recordFile(dir.path())).constData(), &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "INSERT INTO matches (id, started) VALUES (1, 0)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
    // A match reaches the file once something is played in it.
    recorder.record(EventKind::ScoreChanged, {{"team", 0}, {"before", 0}, {"after", 10}});
    recorder.flush();
    EXPECT_TRUE(problems.heard.empty());
    EXPECT_EQ(recorder.currentMatch(), 2);
}

// Deleting a match takes its events with it and leaves the others.
TEST(RecordStore, DeletesOneMatch) {
    QTemporaryDir dir;
    ManualClock clock;
    {
        StoreRecorder recorder(clock, {dir.path()});
        for (int m = 0; m < 2; ++m) {
            recorder.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}, {0, 0}, 900));
            recorder.record(EventKind::ScoreChanged, score(0, 0, m + 1));
        }
        recorder.record(EventKind::ProgramEnded, {{"how", "exit"}});
    }
    RecordStore store;
    ASSERT_TRUE(store.open(recordFile(dir.path())));
    ASSERT_EQ(store.matches().size(), 2u);
    EXPECT_EQ(store.matches()[0].endHow, "new-match");
    ASSERT_TRUE(store.deleteMatch(1));
    const auto left = store.matches();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, 2);
    EXPECT_EQ(store.events(1).size(), 0u);
    EXPECT_EQ(store.events(2).size(), 3u);
}

// A file from before matches were numbered for good comes up with every
// match and event, and from then on a number is never given twice: not
// after the newest match is deleted, and not after the file is reopened.
TEST(RecordStore, MatchNumbersAreNeverGivenAgain) {
    QTemporaryDir dir;
    const QString file = recordFile(dir.path());
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &old), SQLITE_OK);
    // As the first version wrote it; match 3 was deleted, and events of a
    // match whose row is gone name 6.
    ASSERT_EQ(sqlite3_exec(old,
                           (std::string(kFirstSchema) +
                            "INSERT INTO matches (id, started, ended, end_how, screen, teams) "
                            "VALUES (1, 10, 20, 'exit', '3_4', '[\"A\",\"B\",\"C\"]'),"
                            " (2, 30, NULL, '', '2_4', '[\"D\",\"E\"]'), (4, 40, 50, 'exit', "
                            "'2_4', '[]');"
                            "INSERT INTO events (match_id, match_time, wall, kind, data) VALUES"
                            " (1, 0, 10, 'match-started', '{}'), (1, 2.5, 12, 'score-changed',"
                            " '{\"team\":2,\"after\":30}'), (2, 0, 30, 'match-started', '{}'),"
                            " (4, 0, 40, 'match-started', '{}'), (6, 0, 60, 'cleared', '{}');"
                            "PRAGMA user_version=1;")
                               .c_str(),
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);

    auto addMatch = [&](RecordStore& store) {
        EXPECT_TRUE(store.begin());
        const qint64 id = store.insertMatch(1, QStringLiteral("2_4"), {"A", "B"});
        EXPECT_TRUE(store.commit());
        return id;
    };
    {
        RecordStore store;
        ASSERT_TRUE(store.open(file));
        const auto matches = store.matches();
        ASSERT_EQ(matches.size(), 3u);
        const std::vector<std::pair<qint64, qint64>> idsAndEvents{{1, 2}, {2, 1}, {4, 1}};
        for (std::size_t i = 0; i < matches.size(); ++i) {
            EXPECT_EQ(matches[i].id, idsAndEvents[i].first);
            EXPECT_EQ(matches[i].events, idsAndEvents[i].second);
        }
        EXPECT_EQ(matches[0].teams, (QStringList{"A", "B", "C"}));
        EXPECT_EQ(matches[0].endHow, "exit");
        EXPECT_FALSE(matches[1].endedMs.has_value());
        EXPECT_EQ(store.events(1).at(1).data.value("after").toInt(), 30);
        EXPECT_EQ(store.events(6).size(), 1u);

        ASSERT_TRUE(store.deleteMatch(4));
        EXPECT_EQ(addMatch(store), 7);
        ASSERT_TRUE(store.deleteMatch(7));
    }
    RecordStore store;
    ASSERT_TRUE(store.open(file));
    EXPECT_EQ(addMatch(store), 8);
    EXPECT_EQ(store.matches().size(), 3u);
}

// A file of the second version, its matches' events interleaved as two
// programs' runs leave them, is given each match's summary as its events
// replay to, and the numbers stay as they were.
TEST(RecordStore, FillsTheSummariesOfAnOlderFile) {
    QTemporaryDir dir;
    const QString file = recordFile(dir.path());
    std::mt19937 rng(29);
    std::string sql = std::string(kSecondSchema) +
                      "INSERT INTO matches (id, started, ended, end_how, teams) VALUES"
                      " (2, 10, 20, 'exit', '[\"A\",\"B\"]'), (5, 30, NULL, '', '[]'),"
                      " (6, 40, NULL, '', '[]');"
                      "INSERT INTO sqlite_sequence (name, seq) VALUES ('matches', 6);";
    auto add = [&](int match, EventKind kind, const QJsonObject& data) {
        sql += "INSERT INTO events (match_id, match_time, wall, kind, data) VALUES (" +
               std::to_string(match) + ", 0, 0, '" + kindName(kind).toStdString() + "', '" +
               QJsonDocument(data).toJson(QJsonDocument::Compact).toStdString() + "');";
    };
    add(2, EventKind::MatchStarted, matchStart({"A", "B"}, {0, 0}, 900));
    add(5, EventKind::MatchStarted, matchStart({"C", "D", "E"}, {0, 0, 0}, 900));
    std::vector<int> after(3, 0);
    for (int i = 0; i < 300; ++i) {
        const int match = rng() % 2 ? 2 : 5;
        const int team = int(rng() % (match == 2 ? 2 : 3));
        switch (rng() % 6) {
        case 0:
            add(match, EventKind::ScoreChanged, score(team, after[team], after[team] + 10));
            break;
        case 1:
            add(match, EventKind::ScoreUndone, score(team, after[team] + 10, after[team]));
            break;
        case 2:
            add(match, EventKind::NamesChanged,
                {{"teams", QJsonArray{QStringLiteral("N%1").arg(i), "B", "E"}}});
            break;
        case 3:
            add(match, EventKind::ScoreChanged,
                {{"team", team}, {"after", 5}, {"name", QStringLiteral("S%1").arg(i)}});
            break;
        case 4: add(match, EventKind::ClockStarted, {{"left", 600}}); break;
        default: add(match, EventKind::Cleared, {{"how", "space"}}); break;
        }
        after[std::size_t(team)] += 10;
    }
    add(5, EventKind::MatchResumed, {{"from", 5}, {"scores", QJsonArray{1, 2, 3}}, {"clock", 60}});
    add(5, EventKind::ScoreRedone, score(1, 2, 12));
    // A kind a newer program wrote counts as an event and changes nothing.
    sql +=
        "INSERT INTO events (match_id, match_time, wall, kind, data) VALUES"
        " (2, 0, 0, 'future-kind', '{\"team\":0}');"
        "PRAGMA user_version=2;";
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(old);

    RecordStore store;
    ASSERT_TRUE(store.open(file));
    const std::vector<MatchSummary> matches = store.matches();
    ASSERT_EQ(matches.size(), 3u);
    const std::vector<qint64> ids{2, 5, 6};
    for (std::size_t i = 0; i < matches.size(); ++i) {
        SCOPED_TRACE(matches[i].id);
        EXPECT_EQ(matches[i].id, ids[i]);
        const std::vector<RecordedEvent> events = store.events(matches[i].id);
        const MatchState state = replay(events);
        EXPECT_EQ(matches[i].names, state.teams);
        EXPECT_EQ(matches[i].scores, state.scores);
        EXPECT_EQ(matches[i].events, qint64(events.size()) + (ids[i] == 2 ? 1 : 0));
    }
    EXPECT_GT(matches[0].events, 100);
    EXPECT_EQ(matches[1].scores.size(), 3u);
    EXPECT_EQ(matches[2].events, 0);
    EXPECT_TRUE(store.begin());
    EXPECT_EQ(store.insertMatch(1, QStringLiteral("2_4"), {"A", "B"}), 7);
    EXPECT_TRUE(store.commit());
}
