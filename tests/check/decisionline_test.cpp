// The line at the foot of the set-up menus that says how the last buzz-in
// was decided, and the match record's event of it.
#include "checkrig.h"
#include "title/forms.h"

namespace {

const KeptRecorder::Event* lastDecision(const KeptRecorder& recorder) {
    for (auto it = recorder.events.rbegin(); it != recorder.events.rend(); ++it) {
        if (it->kind == record::EventKind::Decision) return &*it;
    }
    return nullptr;
}

struct TieCase {
    int model;
    ScreenPair screen;
    std::vector<int> together;
};

class Tie : public ::testing::TestWithParam<TieCase> {};

// Players pressing in the same code: the line names them all and the one
// the draw showed, until the next clear.
TEST_P(Tie, NamesWhoPressedTogetherAndWhoWasDrawn) {
    const TieCase& c = GetParam();
    CheckRig rig(c.screen, c.model);
    PlayScreen& s = rig.f.screen;
    SetupMenu& menu = rig.f.menu;
    s.spacekey();
    for (int round = 0; round < 3; ++round) {
        s.porttimer_Timer();
        if (c.model == kUsb) {
            for (int p : c.together)
                rig.module.pressPlayer(p, true);
        } else {
            std::vector<int> inputs;
            for (int p : c.together)
                inputs.push_back(rig.inputOf(p));
            rig.f.t.box.pressTogether(inputs);
        }
        s.porttimer_Timer();
        const int drawn = s.ResponderNumber;
        ASSERT_NE(std::find(c.together.begin(), c.together.end(), drawn), c.together.end());
        QStringList names;
        for (int p : c.together)
            names << playerName(p);
        const QString expected = QStringLiteral("Tie: %1 pressed together; %2 was drawn.")
                                     .arg(names.join(QStringLiteral(", ")), playerName(drawn));
        EXPECT_EQ(menu.decisionLine->text(), expected);
        const KeptRecorder::Event* event = lastDecision(rig.recorder);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(event->data.value(QStringLiteral("text")).toString(), expected);
        EXPECT_EQ(event->data.value(QStringLiteral("drawn")).toInt(), drawn);

        for (int p : c.together)
            rig.release(p);
        rig.f.t.box.releaseAll();
        s.spacekey();
        EXPECT_EQ(menu.decisionLine->text(), QString()) << "a clear empties the line";
    }

    // Another source's note (the next press and how much later) takes the
    // same line and record; a set-up menu made afterwards shows it too.
    rig.f.t->showDecision(DecisionNote{QStringLiteral("Next: Name 2, 40 ms later."),
                                       QJsonObject{{QStringLiteral("nextAfterMs"), 40}}});
    EXPECT_EQ(menu.decisionLine->text(), QStringLiteral("Next: Name 2, 40 ms later."));
    const MenuKind other =
        menuOf(c.screen) == MenuKind::Players4 ? MenuKind::Players5 : MenuKind::Players4;
    EXPECT_EQ(formsOf(*rig.f.t).setupMenu(other).decisionLine->text(), menu.decisionLine->text());
    const KeptRecorder::Event* note = lastDecision(rig.recorder);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->data.value(QStringLiteral("nextAfterMs")).toInt(), 40);
    EXPECT_EQ(note->data.value(QStringLiteral("text")).toString(), menu.decisionLine->text());
    s.spacekey();
    EXPECT_EQ(formsOf(*rig.f.t).setupMenu(other).decisionLine->text(), QString());

    // One player alone decides nothing worth a line.
    s.porttimer_Timer();
    rig.press(c.together.front());
    s.porttimer_Timer();
    EXPECT_EQ(s.namelabel->text(), playerName(c.together.front()));
    EXPECT_EQ(menu.decisionLine->text(), QString());
}

INSTANTIATE_TEST_SUITE_P(Decision, Tie,
                         ::testing::Values(TieCase{kWired, ScreenPair::P2_4, {1, 5}},
                                           TieCase{kWired2, ScreenPair::P3_5, {2, 10, 15}},
                                           TieCase{kUsb, ScreenPair::P2_4, {3, 8}}));

// With second-place lock-up on, the respondent held from another team is
// named as waiting; the mouse clear shows them and empties the line.
TEST(Decision, SecondPlaceCaptureSaysWhoIsWaiting) {
    CheckRig rig(ScreenPair::P2_4, kWireless);
    PlayScreen& s = rig.f.screen;
    setCheckValue(rig.f.options.CheckPlayerWaiting, 1);
    s.spacekey();
    for (int transmitter : {2, 3, 6}) {
        s.porttimer_Timer();
        rig.f.t.box.press(transmitter);
        s.porttimer_Timer();
    }
    EXPECT_EQ(s.namelabel->text(), playerName(2));
    EXPECT_FALSE(s.porttimer->isActive());
    EXPECT_EQ(rig.f.menu.decisionLine->text(),
              QStringLiteral("Second place: %1 is waiting.").arg(playerName(6)));
    const KeptRecorder::Event* event = lastDecision(rig.recorder);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->data.value(QStringLiteral("player")).toInt(), 6);

    PlayFixture::press(s.namelabel, Qt::LeftButton);
    EXPECT_EQ(s.namelabel->text(), playerName(6));
    EXPECT_EQ(rig.f.menu.decisionLine->text(), QString());
}

}  // namespace
