// The set-up menus' "&Match" menu: score changes taken back and made again
// from the play screen and from the menu, a new match, and where a match
// begins and the program ends in the record.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QTest>

#include "menurig.h"
#include "play/countdown.h"
#include "support/memoryrecorder.h"
#include "title/forms.h"

namespace {

using menutest::StartedProgram;
using record::EventKind;

struct MatchRig {
    MatchRig() { p.t->setRecorder(rec); }

    PlayScreen& screen() { return p.screen(ScreenPair::P2_4); }
    SetupMenu& menu() { return p.menu4(); }
    QString boards() { return screen().ascorelabel->text() + u':' + screen().bscorelabel->text(); }
    // The window is made the active one, as the operator's click would.
    bool activate(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        return QApplication::activeWindow() == &window;
    }

    MemoryRecorder rec;  // outlives the windows
    StartedProgram p;
};

TEST(MatchMenu, ComesAfterTheMenusTheWindowAlwaysHadInBothMenus) {
    MatchRig r;
    for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& m = r.p.menu(kind);
        const QList<QAction*> bar = m.menuBar()->actions();
        ASSERT_FALSE(bar.isEmpty());
        EXPECT_EQ(bar.last(), m.mnuMatch->menuAction());
        EXPECT_EQ(bar.indexOf(m.mnuHelp->menuAction()), bar.size() - 2);
        EXPECT_EQ(m.mnuMatch->title(), QStringLiteral("&Match"));
        EXPECT_EQ(m.mnuUndoScore->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        EXPECT_EQ(m.mnuRedoScore->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    }
}

TEST(MatchMenu, ScoreChangesAreTakenBackAndMadeAgainFromTheScreenAndTheMenu) {
    MatchRig r;
    PlayScreen& s = r.screen();
    SetupMenu& m = r.menu();
    if (!r.activate(s)) GTEST_SKIP() << "no window activation here";
    QTest::keyClick(&s, Qt::Key_F1);
    QTest::keyClick(&s, Qt::Key_F1);
    QTest::keyClick(&s, Qt::Key_F3);
    ASSERT_EQ(r.boards(), QStringLiteral("2:1"));

    QTest::keyClick(&s, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(r.boards(), QStringLiteral("2:0")) << "Ctrl+Z on the play screen";
    // The items say what they would change; each change is said on the
    // decision line.
    const QString alpha = m.teamNameBox(0)->text();
    EXPECT_EQ(m.mnuUndoScore->text(), QStringLiteral("Undo %1 1 \u2192 2").arg(alpha));
    EXPECT_EQ(m.mnuRedoScore->text(),
              QStringLiteral("Redo %1 0 \u2192 1").arg(m.teamNameBox(1)->text()));
    m.mnuUndoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("1:0")) << "the menu item";
    EXPECT_EQ(m.decisionLine->text(), QStringLiteral("Undone: %1 2 \u2192 1").arg(alpha));

    // In the menu a name box has the focus. Typing of its own to take back
    // is the box's; the boards stay as they are.
    ASSERT_TRUE(r.activate(m));
    QLineEdit* box = m.playerNameBox(1);
    box->setFocus();
    const QString name = box->text();
    QTest::keyClicks(box, QStringLiteral("x"));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), name) << "Ctrl+Z took back the typing";
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box->text(), name + u'x') << "Ctrl+Shift+Z typed it again";
    EXPECT_EQ(r.boards(), QStringLiteral("1:0")) << "the boards never moved";
    // Nothing of its own to take back (setting a text clears the box's
    // history): the keys are the match's.
    box->setText(name);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(r.boards(), QStringLiteral("2:0")) << "Ctrl+Shift+Z in the menu";
    EXPECT_EQ(m.decisionLine->text(), QStringLiteral("Redone: %1 1 \u2192 2").arg(alpha));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(r.boards(), QStringLiteral("1:0")) << "Ctrl+Z in the menu";
    EXPECT_EQ(box->text(), name);

    m.mnuRedoScore->trigger();
    m.mnuRedoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("2:1"));
    r.rec.clear();
    m.mnuRedoScore->trigger();
    EXPECT_TRUE(r.rec.events.empty()) << "nothing left to make again";

    // A new change: what was taken back since can no longer come back.
    m.mnuUndoScore->trigger();
    s.F2key();
    m.mnuRedoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("1:0"));

    // Back to the start of the match, and no further.
    for (int i = 0; i < 5; ++i)
        m.mnuUndoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("0:0"));
    EXPECT_EQ(s.ascore, 0);
    EXPECT_FALSE(m.mnuUndoScore->isEnabled()) << "nothing left to take back";
    EXPECT_TRUE(m.mnuRedoScore->isEnabled());

    const auto undone = r.rec.of(EventKind::ScoreUndone);
    ASSERT_EQ(undone.size(), 4u) << "F2, then F1, F1's redo and the other F1";
    EXPECT_EQ(undone[1]["team"].toInt(), 0);
    EXPECT_EQ(undone[1]["before"].toInt(), 1);
    EXPECT_EQ(undone[1]["after"].toInt(), 2);
    EXPECT_EQ(r.rec.of(EventKind::ScoreRedone).size(), 0u);
}

TEST(MatchMenu, AfterSwitchSidesATakenBackPointLeavesTheTeamThatGotIt) {
    MatchRig r;
    PlayScreen& s = r.screen();
    s.F1key();  // Alpha's, increment 1
    r.menu().CommandSwitch_Click();
    ASSERT_EQ(r.boards(), QStringLiteral("0:1"));
    r.menu().mnuUndoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("0:0"));
    r.menu().mnuRedoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("0:1"));
    r.menu().CommandSwitch_Click();
    EXPECT_EQ(r.boards(), QStringLiteral("1:0")) << "Switch Sides undoes itself";
}

TEST(MatchMenu, NewMatchAsksOnlyWhenPointsWouldBeLost) {
    MatchRig r;
    PlayScreen& s = r.screen();
    SetupMenu& m = r.menu();
    r.p.t->state.MatchTime = QStringLiteral("12:00");  // as a setup file sets it
    const countdown::ClockTime matchTime{12, 0};
    auto newMatches = [&] { return r.rec.of(EventKind::MatchStarted).size(); };

    m.mnuNewMatch->trigger();
    EXPECT_TRUE(r.p.t.dialogs.messages.empty()) << "nothing on the boards to lose";
    EXPECT_EQ(newMatches(), 1u);

    s.Form_Activate();
    s.F5key();
    s.Timer2_Timer();
    s.F1key();
    s.F3key();
    s.F3key();
    r.p.t.dialogs.answers = {Dialogs::Answer::No};
    m.mnuNewMatch->trigger();
    ASSERT_EQ(r.p.t.dialogs.messages.size(), 1u);
    EXPECT_EQ(r.p.t.dialogs.messages[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(r.boards(), QStringLiteral("1:2")) << "No keeps the match";
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_EQ(newMatches(), 1u);

    r.p.t.dialogs.answers = {Dialogs::Answer::Yes};
    m.mnuNewMatch->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("0:0"));
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_EQ(s.clocklabel->text(), countdown::clockText(matchTime));
    s.Form_Activate();
    EXPECT_EQ(s.clocklabel->text(), countdown::clockText(matchTime)) << "and it stays there";
    m.mnuUndoScore->trigger();
    EXPECT_EQ(r.boards(), QStringLiteral("0:0")) << "the old match's changes are gone";

    ASSERT_EQ(newMatches(), 2u);
    const QJsonObject started = r.rec.of(EventKind::MatchStarted).back();
    EXPECT_EQ(started["how"].toString(), QStringLiteral("new-match"));
    EXPECT_EQ(started["scores"].toArray(), QJsonArray({0, 0}));
    EXPECT_EQ(started["clock"].toInt(), matchTime.minutes * 60 + matchTime.seconds);
    EXPECT_EQ(r.rec.kinds().indexOf(QStringLiteral("clock-stopped")), r.rec.kinds().size() - 2)
        << "the running clock stopped, then the new match";
}

TEST(MatchMenu, TheRecordHearsWhereTheMatchBeginsAndHowTheProgramEnded) {
    MemoryRecorder rec;
    TestProgram t(170);
    t->setRecorder(rec);
    formsOf(*t).titleForm().TeamText->setText(QStringLiteral("3"));
    ASSERT_TRUE(t.startUp());

    ASSERT_FALSE(rec.events.empty());
    EXPECT_EQ(rec.events.front().kind, EventKind::ProgramStarted);
    EXPECT_EQ(rec.events.back().kind, EventKind::MatchStarted);
    const QJsonObject match = rec.events.back().data;
    SetupMenu& m = formsOf(*t).setupMenu(MenuKind::Players4);
    EXPECT_EQ(match["screen"].toString(), QStringLiteral("3_4"));
    EXPECT_EQ(
        match["teams"].toArray(),
        QJsonArray({m.teamNameBox(0)->text(), m.teamNameBox(1)->text(), m.teamNameBox(2)->text()}));
    EXPECT_EQ(match["players"].toArray().at(2).toArray().at(3).toString(),
              m.playerNameBox(12)->text());
    EXPECT_EQ(match["scores"].toArray(), QJsonArray({0, 0, 0}));
    // Where the screen's clock starts from.
    const countdown::ClockTime clock = countdown::readMatchTime(m.Texttimer[6]->text());
    EXPECT_EQ(match["clock"].toInt(), clock.minutes * 60 + clock.seconds);

    EXPECT_THROW(m.mnuExit_Click(), ProgramEnded);
    EXPECT_EQ(rec.events.back().kind, EventKind::ProgramEnded);
    EXPECT_EQ(rec.events.back().data["how"].toString(), QStringLiteral("exit"));
}

}  // namespace
