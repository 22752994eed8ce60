// The live match built from the play screen's events, as the stream files
// (and so the page) show it, along a whole match.
#include <map>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "live/livestate.h"
#include "live/streamfiles.h"

namespace {

struct Step {
    const char* kind;                  // the record's name of the event; "tossup" sets the toss-up
    const char* data;                  // JSON (for "tossup": the number)
    qint64 at;                         // ms
    bool changes;                      // the version moves on
    qint64 seenAt;                     // when the files are read
    std::map<QString, QString> shown;  // file -> text
};

std::map<QString, QString> shownAt(const live::LiveState& state, qint64 now) {
    std::map<QString, QString> files;
    for (const auto& [name, text] : live::StreamFiles::texts(state, now))
        files[name] = text;
    return files;
}

// One match on a two-team screen, then a three-team one. Times in ms.
const Step kMatch[] = {
    {"match-started",
     R"({"screen":"2_4","teams":["Alpha","Beta"],"scores":[0,0],"clock":900,"clockRunning":false})",
     0,
     true,
     0,
     {{"team1.txt", "Alpha"},
      {"team2.txt", "Beta"},
      {"score1.txt", "0"},
      {"team3.txt", ""},
      {"score3.txt", ""},
      {"clock.txt", "15:00"},
      {"buzzer.txt", ""},
      {"timer.txt", ""},
      {"tossup.txt", ""}}},
    // The clock counts ticks from its start: 2.5 s later it has ticked twice.
    {"clock-started", R"({"left":900})", 1000, true, 3500, {{"clock.txt", "14:58"}}},
    {"timer-started",
     R"({"kind":"toss-up","seconds":5})",
     4000,
     true,
     6999,
     {{"timer.txt", "3"}, {"clock.txt", "14:55"}}},
    {"tossup", "7", 4100, true, 4100, {{"tossup.txt", "7"}}},
    {"buzz-in",
     R"({"player":3,"name":"Cara","team":0,"teamName":"Alpha","bytes":[4]})",
     7200,
     true,
     7200,
     {{"buzzer.txt", "Cara"}, {"buzzerteam.txt", "Alpha"}}},
    // Frozen by the buzz-in: the digits stay.
    {"timer-stopped", R"({"kind":"toss-up","left":2})", 7200, true, 20000, {{"timer.txt", "2"}}},
    {"decision", R"({"text":"Cara first by 3 ms"})", 7300, false, 7300, {{"buzzer.txt", "Cara"}}},
    {"score-changed",
     R"({"team":0,"name":"Alpha","before":0,"after":10,"how":"F1"})",
     8000,
     true,
     8000,
     {{"score1.txt", "10"}, {"score2.txt", "0"}}},
    {"cleared",
     R"({"how":"space","cleared":"Cara"})",
     21000,
     true,
     21000,
     {{"buzzer.txt", ""}, {"buzzerteam.txt", ""}, {"timer.txt", ""}}},
    // A bonus that takes no buzz-ins says "Bonus" where the name goes...
    {"timer-started",
     R"({"kind":"bonus","seconds":10})",
     22000,
     true,
     22000,
     {{"buzzer.txt", "Bonus"}, {"timer.txt", "10"}}},
    {"timer-expired",
     R"({"kind":"bonus"})",
     32000,
     true,
     40000,
     {{"buzzer.txt", "Timer Expired"}, {"timer.txt", "0"}}},
    // ...one that does clears the display first and leaves it empty.
    {"cleared",
     R"({"how":"bonus","cleared":"Timer Expired"})",
     41000,
     true,
     41000,
     {{"buzzer.txt", ""}, {"timer.txt", ""}}},
    {"timer-started",
     R"({"kind":"bonus","seconds":10})",
     41000,
     true,
     41000,
     {{"buzzer.txt", ""}, {"timer.txt", "10"}}},
    // A clear while it runs and the timer does not continue: stopped and
    // blanked.
    {"cleared", R"({"how":"space","cleared":""})", 42000, false, 42000, {{"timer.txt", "9"}}},
    {"timer-stopped", R"({"kind":"bonus","left":9})", 42000, true, 42000, {{"timer.txt", ""}}},
    // A time-out stops the clock where it is.
    {"clock-stopped", R"({"left":859})", 42000, true, 90000, {{"clock.txt", "14:19"}}},
    {"timer-started",
     R"({"kind":"time-out","seconds":60})",
     42000,
     true,
     43000,
     {{"buzzer.txt", "Time Out"}, {"timer.txt", "59"}}},
    // Starting the clock blanks the response timer.
    {"clock-started",
     R"({"left":859})",
     50000,
     true,
     50000,
     {{"timer.txt", ""}, {"clock.txt", "14:19"}}},
    // A timer of length 0 shows -1 as it expires.
    {"timer-started",
     R"({"kind":"toss-up","seconds":0})",
     51000,
     true,
     51000,
     {{"timer.txt", "0"}}},
    {"timer-expired", R"({"kind":"toss-up"})", 52000, true, 52000, {{"timer.txt", "-1"}}},
    // Switching sides moves names and scores together.
    {"score-changed",
     R"({"team":0,"name":"Beta","before":10,"after":0,"how":"switch-sides"})",
     53000,
     true,
     53000,
     {{"team1.txt", "Beta"}, {"score1.txt", "0"}}},
    {"score-changed",
     R"({"team":1,"name":"Alpha","before":0,"after":10,"how":"switch-sides"})",
     53000,
     true,
     53000,
     {{"team2.txt", "Alpha"}, {"score2.txt", "10"}}},
    {"score-undone",
     R"({"team":1,"name":"Alpha","before":10,"after":-5})",
     54000,
     true,
     54000,
     {{"score2.txt", "-5"}}},
    // The held second responder comes up on a clear.
    {"second-place-released",
     R"({"player":5,"name":"Eve","team":1,"teamName":"Alpha"})",
     55000,
     true,
     55000,
     {{"buzzer.txt", "Eve"}, {"buzzerteam.txt", "Alpha"}}},
    // A running clock never shows less than 0:00; its expiry says so.
    {"clock-started", R"({"left":2})", 56000, true, 70000, {{"clock.txt", "0:00"}}},
    {"clock-expired",
     "{}",
     59000,
     true,
     60000,
     {{"clock.txt", "0:00"}, {"buzzer.txt", "Clock Expired"}}},
    // Names typed during the match; a resumed match brings its own.
    {"names-changed",
     R"({"screen":"2_4","teams":["Barn Owls","Alpha"],"players":[[],[]]})",
     60500,
     true,
     60500,
     {{"team1.txt", "Barn Owls"}, {"score1.txt", "0"}}},
    {"match-resumed",
     R"({"from":3,"scores":[3,4],"clock":300,"teams":["Owls","Larks"],"players":[[],[]]})",
     61000,
     true,
     99000,
     {{"score1.txt", "3"}, {"score2.txt", "4"}, {"clock.txt", "5:00"}, {"team2.txt", "Larks"}}},
    {"tossup", "0", 61000, true, 61000, {{"tossup.txt", ""}}},
    {"option-changed", R"({"option":"CheckTimerContinues","value":1})", 62000, false, 62000, {}},
    {"match-started",
     R"({"screen":"3_5","teams":["Red","Green","Blue"],"scores":[0,0,7],"clock":600,"clockRunning":true})",
     70000,
     true,
     71000,
     {{"team3.txt", "Blue"}, {"score3.txt", "7"}, {"team1.txt", "Red"}, {"clock.txt", "9:59"}}},
};

TEST(LiveState, FollowsAWholeMatch) {
    live::LiveState state;
    for (const Step& step : kMatch) {
        SCOPED_TRACE(
            QStringLiteral("%1 %2 at %3").arg(step.kind, step.data).arg(step.at).toStdString());
        const quint64 before = state.version();
        bool changed = false;
        if (QLatin1String(step.kind) == QLatin1String("tossup")) {
            changed = state.setTossUp(QByteArray(step.data).toInt());
        } else {
            record::EventKind kind{};
            ASSERT_TRUE(record::kindFromName(QString::fromLatin1(step.kind), kind));
            const QJsonObject data = QJsonDocument::fromJson(step.data).object();
            changed = state.apply(kind, data, step.at);
        }
        EXPECT_EQ(changed, step.changes);
        EXPECT_EQ(state.version(), before + (step.changes ? 1 : 0));
        const auto files = shownAt(state, step.seenAt);
        for (const auto& [name, text] : step.shown)
            EXPECT_EQ(files.at(name), text) << name.toStdString();
        // The document says the same as the files, and its version.
        const QJsonObject doc = state.document();
        EXPECT_EQ(doc.value(QStringLiteral("version")).toInteger(), qint64(state.version()));
        EXPECT_EQ(doc.value(QStringLiteral("format")).toInt(), live::kDocumentFormat);
        EXPECT_EQ(doc.value(QStringLiteral("teams")).toArray().size(), state.teams().size());
    }
}

// Only what changed is rewritten, each file whole; a folder that cannot be
// written is reported and tried again.
TEST(StreamFiles, RewritesChangedFilesWhole) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("stream"));
    live::LiveState state;
    record::EventKind kind{};
    ASSERT_TRUE(record::kindFromName(QStringLiteral("match-started"), kind));
    state.apply(
        kind,
        QJsonDocument::fromJson(R"({"teams":["Alpha","Beta"],"scores":[1,2],"clock":65})").object(),
        0);
    live::StreamFiles files(folder);
    ASSERT_FALSE(files.update(state, 0));
    auto read = [&](const char* name) {
        QFile f(QDir(folder).filePath(QLatin1String(name)));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("?");
    };
    EXPECT_EQ(read("team1.txt"), QStringLiteral("Alpha"));
    EXPECT_EQ(read("score2.txt"), QStringLiteral("2"));
    EXPECT_EQ(read("clock.txt"), QStringLiteral("1:05"));
    EXPECT_EQ(read("team3.txt"), QString());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 11);

    ASSERT_TRUE(record::kindFromName(QStringLiteral("score-changed"), kind));
    state.apply(kind, QJsonDocument::fromJson(R"({"team":1,"after":12})").object(), 10);
    QFile::remove(QDir(folder).filePath(QStringLiteral("team1.txt")));
    ASSERT_FALSE(files.update(state, 10));
    EXPECT_EQ(read("score2.txt"), QStringLiteral("12"));
    // Not rewritten: nothing in it changed.
    EXPECT_EQ(read("team1.txt"), QStringLiteral("?"));

    // A file where the folder should be.
    QFile blocker(dir.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    live::StreamFiles bad(dir.filePath(QStringLiteral("blocked")));
    EXPECT_TRUE(bad.update(state, 0).has_value());
}

// A link named as a stream file, to a file the operator may write or to
// nothing at all, is replaced by the stream file, never written through.
TEST(StreamFiles, ALinkInTheFolderIsReplacedNotFollowed) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("stream"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString victim = dir.filePath(QStringLiteral("setup.txt"));
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the setup");
    }
    const QString nowhere = dir.filePath(QStringLiteral("nowhere.txt"));
    ASSERT_TRUE(QFile::link(victim, QDir(folder).filePath(QStringLiteral("team1.txt"))));
    ASSERT_TRUE(QFile::link(nowhere, QDir(folder).filePath(QStringLiteral("team2.txt"))));
    live::LiveState state;
    record::EventKind kind{};
    ASSERT_TRUE(record::kindFromName(QStringLiteral("match-started"), kind));
    state.apply(kind, QJsonDocument::fromJson(R"({"teams":["Alpha","Beta"]})").object(), 0);
    live::StreamFiles files(folder);
    ASSERT_FALSE(files.update(state, 0));
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("the setup"));
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    for (const char* name : {"team1.txt", "team2.txt"}) {
        const QFileInfo info(QDir(folder).filePath(QLatin1String(name)));
        EXPECT_FALSE(info.isSymLink()) << name;
        EXPECT_TRUE(info.isFile()) << name;
    }
}

}  // namespace
