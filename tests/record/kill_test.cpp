// The record against a killed process: a helper plays a match through the
// real play screen and the simulated box and is killed (SIGKILL) at random
// moments, restarted, and resumes. TORVANEL_KILLS sets how many kills (20
// by default; the README describes a run of a thousand);
// TORVANEL_KILL_HELPER names another copy of the helper, so that a long run
// can go on while the build changes.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include <QProcess>
#include <QTemporaryDir>

#include "record/matchstate.h"
#include "record/recordstore.h"
#include "record/storerecorder.h"

using namespace record;

namespace {

double monotonic() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Printed {
    double time = 0;
    QString kind;
    QString boards;  // "a b", after the event
};

}  // namespace

TEST(KillTest, EveryEventOlderThanHalfASecondSurvivesAndTheBoardsComeBack) {
    const int kills = qEnvironmentVariableIsSet("TORVANEL_KILLS")
                          ? qEnvironmentVariableIntValue("TORVANEL_KILLS")
                          : 20;
    const QString helperProgram =
        qEnvironmentVariable("TORVANEL_KILL_HELPER", QStringLiteral(TORVANEL_KILL_HELPER));
    QTemporaryDir dir;
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> after(0.6, 1.8);
    QString expectedBoards = QStringLiteral("0 0");
    int changedLate = 0;

    for (int kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE(kill);
        // The helper's own folders, fresh for each run: it is killed and
        // cannot remove them itself. Made before the process so that they
        // outlive it.
        QTemporaryDir scratch;
        ASSERT_TRUE(scratch.isValid());
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(helperProgram, {dir.path(), QString::number(kill + 1), scratch.path()});
        ASSERT_TRUE(helper.waitForStarted(10000));

        std::vector<Printed> printed;
        QString resumed;
        auto readLines = [&] {
            while (helper.canReadLine()) {
                const QStringList f = QString::fromUtf8(helper.readLine()).trimmed().split(u' ');
                if (f.value(0) == QLatin1String("R")) resumed = f.mid(1).join(u' ');
                if (f.value(0) == QLatin1String("E") && f.size() == 5)
                    printed.push_back({f[1].toDouble(), f[2], f[3] + u' ' + f[4]});
            }
        };
        while (resumed.isEmpty() && helper.state() == QProcess::Running) {
            helper.waitForReadyRead(1000);
            readLines();
        }
        ASSERT_FALSE(resumed.isEmpty()) << "the helper never got its screens up";
        // The next run puts back what the boards held when the last one died.
        EXPECT_EQ(resumed, expectedBoards);

        const double killAt = monotonic() + after(rng);
        while (monotonic() < killAt) {
            helper.waitForReadyRead(20);
            readLines();
        }
        const double killed = monotonic();
        ::kill(pid_t(helper.processId()), SIGKILL);
        ASSERT_TRUE(helper.waitForFinished(10000));
        helper.waitForReadyRead(0);
        readLines();
        ASSERT_FALSE(printed.empty());
        ASSERT_EQ(printed.front().kind, QLatin1String("match-started"));

        RecordStore store;
        ASSERT_TRUE(store.open(recordFile(dir.path())));
        const std::vector<MatchSummary> matches = store.matches();
        ASSERT_FALSE(matches.empty());
        ASSERT_FALSE(matches.back().endedMs.has_value());
        std::vector<RecordedEvent> kept = store.events(matches.back().id);
        // Its summary is as of the last event the file holds.
        const MatchState whole = replay(kept);
        EXPECT_EQ(matches.back().names, whole.teams);
        EXPECT_EQ(matches.back().scores, whole.scores);
        EXPECT_EQ(matches.back().events, qint64(kept.size()));
        // Resumed again and again, it is still the one match; this run's part
        // begins at its resume, and this run's own start (nothing was played
        // in it) is no event of the record.
        EXPECT_EQ(matches.size(), 1u);
        const auto isKind = [](EventKind kind) {
            return [kind](const RecordedEvent& e) { return e.kind == kind; };
        };
        EXPECT_EQ(std::count_if(kept.begin(), kept.end(), isKind(EventKind::MatchStarted)), 1);
        const auto resume =
            std::find_if(kept.rbegin(), kept.rend(), isKind(EventKind::MatchResumed));
        if (resume != kept.rend()) {
            kept.erase(kept.begin(), std::prev(resume.base()));
            printed.erase(printed.begin());
        } else {
            kept.erase(kept.begin(),
                       std::find_if(kept.begin(), kept.end(), isKind(EventKind::MatchStarted)));
        }

        // Everything that happened half a second before the kill is there,
        // in order; the last moments may be missing, never anything else.
        const auto old = std::count_if(printed.begin(), printed.end(),
                                       [&](const Printed& p) { return p.time < killed - 0.5; });
        ASSERT_GE(kept.size(), std::size_t(old));
        ASSERT_LE(kept.size(), printed.size() + 1);
        for (std::size_t i = 0; i < std::min(kept.size(), printed.size()); ++i)
            ASSERT_EQ(kindName(kept[i].kind), printed[i].kind) << "event " << i;

        // What the next run must put back: the boards after the last event
        // the record holds, which are the boards at the kill unless a score
        // changed in its last half second.
        const MatchState state = replay(kept);
        expectedBoards = QStringLiteral("%1 %2").arg(state.score(0)).arg(state.score(1));
        if (kept.size() <= printed.size()) {
            EXPECT_EQ(expectedBoards, printed[kept.size() - 1].boards);
        }
        const QString settled = old > 0 ? printed[std::size_t(old) - 1].boards : resumed;
        const bool lateChange = std::any_of(printed.begin(), printed.end(), [&](const Printed& p) {
            return p.time >= killed - 0.5 && p.boards != settled;
        });
        if (lateChange) {
            ++changedLate;
        } else {
            EXPECT_EQ(expectedBoards, printed.back().boards);
        }
    }
    std::printf("[kill] %d kills, %d with a score change in the last half second\n", kills,
                changedLate);
}
