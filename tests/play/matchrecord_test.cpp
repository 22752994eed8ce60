// What the play screen tells the match record, through the real screen on the
// simulated box and a manual clock: the kinds in order and what each carries.
#include "link/decoders.h"
#include "options/formextrax.h"
#include "playfixture.h"
#include "support/memoryrecorder.h"
#include "title/forms.h"

namespace {

using record::EventKind;

// One screen with a recorder that keeps everything said after set-up.
struct Recorded {
    Recorded(ScreenPair pair, int model) : f(pair, model), s(f.screen) {
        f.t->state.InterfaceModel = static_cast<std::int16_t>(model);
        formsOf(*f.t).formextrax().Comboxmitter->setCurrentIndex(buzzlink::kExtraNotInUse);
        f.setSoundSource(1);
        s.Form_Activate();
        f.t->setRecorder(rec);
    }

    void tick() {
        if (s.porttimer->isActive()) s.porttimer_Timer();
    }
    int input(int player) const { return f.t.box.inputOfPlayer(s.screen(), player); }
    // A poll (the box listens from then on), the presses, and the poll that
    // reads them.
    void buzz(std::vector<int> players) {
        tick();
        std::vector<int> inputs;
        for (int p : players)
            inputs.push_back(input(p));
        f.t.box.pressTogether(inputs);
        f.t.box.releaseAll();
        tick();
    }

    MemoryRecorder rec;  // outlives the windows
    PlayFixture f;
    PlayScreen& s;
};

// Model 200 runs two decoders on each code on two of the screens, and the
// screen shows the press twice; the record hears of it once.
TEST(MatchRecord, OnePressOnModel200IsOneBuzzInOnEveryScreen) {
    for (ScreenPair pair : kAllScreens) {
        Recorded r(pair, 200);
        r.f.key(Qt::Key_Space);
        r.buzz({2});
        const auto buzzIns = r.rec.of(EventKind::BuzzIn);
        ASSERT_EQ(buzzIns.size(), 1u) << screenName(pair).toStdString();
        EXPECT_EQ(buzzIns[0]["player"].toInt(), 2);
    }
}

TEST(MatchRecord, AShortMatchIsToldInTheOrderItWasPlayed) {
    Recorded r(ScreenPair::P2_4, 180);
    r.f.key(Qt::Key_F5);
    r.f.tick2(2);
    r.f.key(Qt::Key_Space);
    r.f.key(Qt::Key_F9);
    r.buzz({3});
    r.f.key(Qt::Key_F1);
    r.f.key(Qt::Key_Space);
    r.buzz({2, 6});
    const QString drawn = r.s.namelabel->text();
    PlayFixture::press(r.s.bscorelabel, Qt::LeftButton);
    PlayFixture::press(r.s.a10, Qt::RightButton);
    PlayFixture::press(r.s.ascorelabel, Qt::MiddleButton);  // moves nothing
    r.f.menu.CommandSwitch_Click();
    PlayFixture::press(r.s.clocklabel, Qt::LeftButton);

    EXPECT_EQ(r.rec.kinds(),
              QStringList({"clock-started", "cleared", "timer-started", "buzz-in", "timer-stopped",
                           "score-changed", "cleared", "buzz-in", "tie", "decision",
                           "score-changed", "score-changed", "score-changed", "score-changed",
                           "clock-stopped", "timer-started"}));

    const auto buzzIns = r.rec.of(EventKind::BuzzIn);
    ASSERT_EQ(buzzIns.size(), 2u);
    EXPECT_EQ(buzzIns[0]["player"].toInt(), 3);
    EXPECT_EQ(buzzIns[0]["name"].toString(), QStringLiteral("Three"));
    EXPECT_EQ(buzzIns[0]["teamName"].toString(), QStringLiteral("Alpha"));
    EXPECT_EQ(buzzIns[0]["model"].toInt(), 180);
    EXPECT_EQ(buzzIns[0]["screen"].toString(), QStringLiteral("2_4"));
    // Player 3 is line 0x40 of the first byte, low while pressed.
    EXPECT_EQ(buzzIns[0]["bytes"].toArray(), QJsonArray({0xBF, 0xFF}));

    const QJsonObject tie = r.rec.of(EventKind::Tie).at(0);
    EXPECT_EQ(tie["pressed"].toArray(), QJsonArray({2, 6}));
    EXPECT_EQ(tie["drawn"].toInt(), buzzIns[1]["player"].toInt());
    EXPECT_EQ(buzzIns[1]["name"].toString(), drawn) << "the one drawn is the one shown";

    const QJsonObject stopped = r.rec.of(EventKind::TimerStopped).at(0);
    EXPECT_EQ(stopped["kind"].toString(), QStringLiteral("toss-up"));
    EXPECT_EQ(stopped["left"].toInt(), 5);
    EXPECT_EQ(r.rec.of(EventKind::Cleared).at(1)["cleared"].toString(), QStringLiteral("Three"));

    struct Change {
        int team, before, after;
        const char* how;
    };
    const Change expected[] = {{0, 0, 1, "F1"},
                               {1, 0, 1, "board"},
                               {0, 1, -9, "tab"},
                               {0, -9, 1, "switch-sides"},
                               {1, 1, -9, "switch-sides"}};
    const auto changes = r.rec.of(EventKind::ScoreChanged);
    ASSERT_EQ(changes.size(), std::size(expected));
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(changes[i]["team"].toInt(), expected[i].team);
        EXPECT_EQ(changes[i]["before"].toInt(), expected[i].before);
        EXPECT_EQ(changes[i]["after"].toInt(), expected[i].after);
        EXPECT_EQ(changes[i]["how"].toString(), QLatin1String(expected[i].how));
    }
    EXPECT_EQ(changes[2]["button"].toString(), QStringLiteral("right"));
    EXPECT_EQ(changes[2]["tab"].toInt(), 10);
    EXPECT_EQ(changes[3]["name"].toString(), QStringLiteral("Beta")) << "the names moved too";

    EXPECT_EQ(r.rec.of(EventKind::ClockStarted).at(0)["left"].toInt(), 15 * 60);
    EXPECT_EQ(r.rec.of(EventKind::ClockStopped).at(0)["left"].toInt(), 15 * 60 - 2);
    EXPECT_EQ(r.rec.of(EventKind::TimerStarted).at(1)["kind"].toString(),
              QStringLiteral("time-out"));
}

TEST(MatchRecord, TheHeldSecondPlaceIsReleasedAfterTheClearThatShowsIt) {
    Recorded r(ScreenPair::P2_4, 170);
    setCheckValue(r.f.options.CheckPlayerWaiting, 1);
    r.rec.clear();
    r.f.key(Qt::Key_Space);
    r.buzz({2});
    r.buzz({3});  // Alpha's, like the first: passed over
    r.buzz({6});  // Beta's: held
    PlayFixture::press(r.s.namelabel, Qt::LeftButton);

    EXPECT_EQ(r.rec.kinds(),
              QStringList({"cleared", "buzz-in", "second-place-captured", "second-place-captured",
                           "decision", "cleared", "second-place-released"}));
    const auto captures = r.rec.of(EventKind::SecondPlaceCaptured);
    EXPECT_FALSE(captures[0]["held"].toBool());
    EXPECT_TRUE(captures[1]["held"].toBool());
    EXPECT_EQ(captures[1]["name"].toString(), QStringLiteral("Six"));
    const QJsonObject released = r.rec.of(EventKind::SecondPlaceReleased).at(0);
    EXPECT_EQ(released["player"].toInt(), 6);
    EXPECT_EQ(released["name"].toString(), r.s.namelabel->text());
    EXPECT_EQ(r.rec.of(EventKind::Cleared).at(1)["cleared"].toString(), QStringLiteral("Two"));
}

TEST(MatchRecord, CountDownsRunningOutAndAFailedReadAreTold) {
    Recorded r(ScreenPair::P3_4, 170);
    r.f.key(Qt::Key_Space);
    PlayFixture::press(r.s.timerlabel, Qt::LeftButton);
    r.f.tick1(5);
    r.f.menu.Texttimer[6]->setText(QStringLiteral("0:01"));
    r.s.Form_Activate();
    r.f.key(Qt::Key_F5);
    r.f.tick2(2);
    r.f.key(Qt::Key_Space);
    r.f.t.box.stallNextCode(3);
    r.buzz({5});

    EXPECT_EQ(r.rec.kinds(),
              QStringList({"cleared", "timer-started", "timer-expired", "clock-started",
                           "clock-expired", "cleared", "comm-failed", "comm-recovered"}));
    EXPECT_EQ(r.rec.of(EventKind::TimerExpired).at(0)["kind"].toString(),
              QStringLiteral("toss-up"));
    EXPECT_EQ(r.rec.of(EventKind::ClockStarted).at(0)["left"].toInt(), 1);
}

}  // namespace
