// The scoresheet in a whole program: buzz-ins on the simulated box, rulings
// with the keys on the play screen, the boards moved the way of F1 to F4, and
// the window's corrections.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "scoresheet/sheetstats.h"
#include "scoresheet/sheetwindow.h"
#include "sheetroad.h"
#include "sim/contestantpanel.h"

using record::EventKind;
using namespace scoresheet;

namespace {

struct Road : SheetRoad {
    explicit Road(const ScoringRules& rules) : SheetRoad(rules) { s.newMatch(); }

    std::vector<int> boards() const { return {s.ascore, s.bscore}; }
    QStringList hows() const {
        QStringList h;
        for (const QJsonObject& d : rec.of(EventKind::ScoreChanged))
            h << d["how"].toString();
        return h;
    }
};

TEST(ScoresheetRoad, RulingsOnThePlayScreenMoveTheBoardsAndTheWindowCorrects) {
    Road r(twentyTossupRules());
    const Sheet& sheet = r.sheet->model().sheet();

    r.buzz(3);
    EXPECT_TRUE(r.f.key(Qt::Key_C));
    EXPECT_TRUE(r.f.key(Qt::Key_1));
    r.f.key(Qt::Key_Space);
    r.buzz(6);
    EXPECT_TRUE(r.f.key(Qt::Key_N));
    r.f.key(Qt::Key_Space);
    r.buzz(2);
    EXPECT_TRUE(r.f.key(Qt::Key_C));
    EXPECT_EQ(r.boards(), (std::vector<int>{30, -5}));
    // The function keys stay the operator's own, beside the sheet.
    r.f.key(Qt::Key_F1);
    EXPECT_EQ(r.boards(), (std::vector<int>{31, -5}));
    r.s.undoScore();
    EXPECT_EQ(r.boards(), (std::vector<int>{30, -5}));
    ASSERT_EQ(sheet.tossups.size(), 2u);
    EXPECT_EQ(sheet.tossups[1].buzzes.size(), 2u);

    r.sheet->openWindow();
    SheetWindow& w = *r.sheet->window();
    QAbstractItemModel& table = *w.table->model();
    ASSERT_EQ(table.rowCount(), 2);
    // Alpha: four players, bonus, total; then Beta.
    ASSERT_EQ(table.columnCount(), 12);
    EXPECT_EQ(table.index(0, 2).data().toString(), "10");  // Three's answer
    EXPECT_EQ(table.index(0, 5).data().toInt(), 20);       // Alpha's total
    EXPECT_EQ(table.index(1, 7).data().toString(), "-5");  // Beta's second player negged
    EXPECT_EQ(table.index(1, 11).data().toInt(), -5);
    QKeyEvent t(QEvent::KeyPress, Qt::Key_T, Qt::NoModifier, QStringLiteral("t"));
    QApplication::sendEvent(w.table, &t);
    EXPECT_EQ(table.rowCount(), 3);

    // The neg was a wrong answer after the question: no penalty.
    std::unique_ptr<QMenu> menu(w.correctionMenu(table.index(1, 7)));
    ASSERT_TRUE(menu);
    const auto actions = menu->actions();
    const auto noPenalty = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
        return a->text().startsWith(QStringLiteral("0 "));
    });
    ASSERT_NE(noPenalty, actions.end());
    (*noPenalty)->trigger();
    EXPECT_EQ(r.boards(), (std::vector<int>{30, 0}));
    EXPECT_TRUE(w.totalsLabel->text().contains(QStringLiteral("Beta 0")));
    w.undoButton->click();
    EXPECT_EQ(r.boards(), (std::vector<int>{30, -5}));
    EXPECT_EQ(r.hows(), QStringList({"ruling", "bonus", "ruling", "ruling", "F1", "correction",
                                     "correction"}));

    // The record gives the same sheet, with totals equal to the boards.
    const Sheet rebuilt = r.rebuilt();
    ASSERT_EQ(rebuilt.tossups.size(), 3u);
    for (int team = 0; team < 2; ++team)
        EXPECT_EQ(teamTotal(rebuilt, team), r.boards()[std::size_t(team)]) << team;
}

TEST(ScoresheetRoad, TheLineupsDialogSeatsASubstituteFromTheFirstTossupNobodyBuzzedOn) {
    Road r(twentyTossupRules());
    const Sheet& sheet = r.sheet->model().sheet();
    r.buzz(3);
    r.f.key(Qt::Key_C);
    // Zoe comes in for One at Alpha's first button while toss-up 1 is
    // still on the screen.
    r.sheet->openWindow();
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        const auto boxes = dialog->findChildren<QComboBox*>();
        buttons = int(boxes.size());
        if (!boxes.empty()) boxes[0]->setEditText(QStringLiteral("Zoe"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    r.sheet->window()->editLineup(0);
    EXPECT_EQ(buttons, 4);
    // Every window names her: the set-up menu's box, through it the play
    // screen, and the record (the live page and the record window read it).
    EXPECT_EQ(r.f.menu.playerNameBox(1)->text(), QStringLiteral("Zoe"));
    ASSERT_FALSE(r.rec.of(EventKind::NamesChanged).empty());
    EXPECT_EQ(r.rec.of(EventKind::NamesChanged).back()["players"][0][0].toString(), "Zoe");
    r.f.key(Qt::Key_Space);
    r.buzz(1);
    EXPECT_EQ(r.s.namelabel->text(), QStringLiteral("Zoe"));
    r.f.key(Qt::Key_C);
    r.f.key(Qt::Key_Space);

    ASSERT_GE(sheet.tossups.size(), 2u);
    EXPECT_EQ(sheet.tossups[0].lineups[0], (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(sheet.tossups[1].lineups[0], (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(sheet.tossups[1].buzzes.at(0).player, 4);
    QMap<QString, int> heard;
    for (const PlayerStats& p : computeSheetStats(playedSheet(sheet)).players)
        if (p.team == 0) heard[p.name] = p.tossupsHeard;
    EXPECT_EQ(heard,
              (QMap<QString, int>{{"One", 1}, {"Two", 2}, {"Three", 2}, {"Four", 2}, {"Zoe", 1}}));
}

// A name typed over a player who has buzzed: the operator says whether it
// is the same player spelt right or a substitute, and the sheet, live and
// rebuilt from the record, credits each with what they did.
TEST(ScoresheetRoad, ANameTypedOverAPlayerWhoBuzzedAsksRenameOrSubstitute) {
    struct Case {
        int choice;  // 0 rename, 1 substitute
        QStringList roster;
        int secondBuzzer;  // roster index credited with the buzz after the name
    };
    const Case cases[] = {
        {0, {"One", "Two", "Tree", "Four"}, 2},
        {1, {"One", "Two", "Three", "Four", "Tree"}, 4},
    };
    for (const Case& c : cases) {
        Road r(twentyTossupRules());
        const Sheet& sheet = r.sheet->model().sheet();
        r.buzz(3);
        r.f.key(Qt::Key_C);
        r.f.key(Qt::Key_Space);
        // Nobody has buzzed for One: a plain rename, nothing asked.
        r.f.menu.playerNameBox(1)->setText(QStringLiteral("Uno"));
        r.f.menu.playerNameBox(3)->setText(QStringLiteral("Tree"));
        r.f.t.dialogs.choices.push_back(c.choice);
        r.f.menu.recordNames();
        ASSERT_EQ(r.f.t.dialogs.messages.size(), 1u) << c.choice;
        EXPECT_EQ(r.f.t.dialogs.messages[0].choices.size(), 2);
        EXPECT_TRUE(r.f.t.dialogs.messages[0].text.contains("Three")) << c.choice;
        r.buzz(3);
        r.f.key(Qt::Key_C);
        r.f.menu.recordNames();
        EXPECT_EQ(r.f.t.dialogs.messages.size(), 1u) << "asked once";

        QStringList roster = c.roster;
        roster[0] = QStringLiteral("Uno");
        EXPECT_EQ(sheet.teams[0].players, roster) << c.choice;
        ASSERT_EQ(sheet.tossups.size(), 2u);
        EXPECT_EQ(sheet.tossups[0].buzzes.at(0).player, 2) << c.choice;
        EXPECT_EQ(sheet.tossups[1].buzzes.at(0).player, c.secondBuzzer) << c.choice;
        const Sheet rebuilt = r.rebuilt();
        EXPECT_EQ(rebuilt.teams[0].players, roster) << c.choice;
        ASSERT_EQ(rebuilt.tossups.size(), 2u);
        EXPECT_EQ(rebuilt.tossups[1].buzzes.at(0).player, c.secondBuzzer) << c.choice;
    }
}

// With the simulated box, the keys the sheet scores with are the operator's
// while its rules are kept, also in practice; under the plain rules they
// press contestants' buttons.
TEST(ScoresheetRoad, TheSheetsKeysAreTheOperatorsNotTheContestantPanels) {
    for (bool plain : {true, false}) {
        Road r(plain ? plainRules() : twentyTossupRules());
        ContestantPanel panel(*r.f.t, r.f.t.box);
        QApplication::setActiveWindow(&r.s);
        if (QApplication::activeWindow() != &r.s) GTEST_SKIP() << "no window activation here";
        r.buzz(3);
        r.f.key(Qt::Key_C);
        panel.refresh();
        // 1 is Alpha's first player, W Beta's second.
        for (const auto& [key, player] : {std::pair{Qt::Key_1, 1}, std::pair{Qt::Key_W, 6}}) {
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&r.s, &down);
            EXPECT_EQ(panel.playerButton(player)->isDown(), plain) << plain << " " << key;
            EXPECT_EQ(panel.playerButton(player)->text().contains(QStringLiteral("  ")), plain);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(&r.s, &up);
            EXPECT_FALSE(panel.playerButton(player)->isDown());
        }
        if (plain) continue;
        const QJsonObject last = r.rec.of(EventKind::Ruling).back();
        EXPECT_EQ(last["ruling"].toString(), "no-penalty");
        EXPECT_EQ(r.rec.of(EventKind::BonusPart).size(), 1u);
    }
}

// The window's legend lists Space: it and F1 to F12 work there as they do
// on the play screen.
TEST(ScoresheetRoad, SpaceAndTheFunctionKeysWorkInTheScoresheetWindow) {
    Road r(twentyTossupRules());
    r.sheet->openWindow();
    QWidget* table = r.sheet->window()->table;
    auto press = [table](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(table, &e);
    };
    r.buzz(3);
    press(Qt::Key_C);
    press(Qt::Key_Space);
    EXPECT_TRUE(r.s.namelabel->text().isEmpty());
    EXPECT_EQ(r.sheet->model().sheet().tossups.size(), 2u);
    press(Qt::Key_F3);
    EXPECT_EQ(r.boards(), (std::vector<int>{10, 1}));
}

// The toss-up the live page shows stays while its bonus is read after the
// clear, and moves on with the next toss-up's first buzz.
TEST(ScoresheetRoad, TheTossupAnnouncedIsTheOneWhoseBonusIsRead) {
    Road r(twentyTossupRules());
    std::vector<int> announced;
    QObject::connect(&r.f.t->notifier(), &ProgramNotifier::tossUpChanged,
                     [&announced](int n) { announced.push_back(n); });
    r.buzz(3);
    r.f.key(Qt::Key_C);
    r.f.key(Qt::Key_Space);
    r.f.key(Qt::Key_1);
    EXPECT_EQ(announced, std::vector<int>{});
    r.buzz(6);
    EXPECT_EQ(announced, std::vector<int>{2});
}

// A ruling the rules do not have is refused with a word beside the set-up
// menu, not passed over in silence.
TEST(ScoresheetRoad, APowerUnderRulesWithoutPowersIsRefusedAloud) {
    Road r(twentyTossupRules());
    r.buzz(3);
    EXPECT_TRUE(r.f.key(Qt::Key_P));
    EXPECT_TRUE(r.f.t->decision().text.contains(QStringLiteral("no powers")))
        << r.f.t->decision().text.toStdString();
    EXPECT_TRUE(r.rec.of(EventKind::Ruling).empty());
}

TEST(ScoresheetRoad, TeamsThatSwitchSidesKeepTheirColumnsAndTheirBoards) {
    Road r(twentyTossupRules());
    const Sheet& sheet = r.sheet->model().sheet();
    r.buzz(3);
    r.f.key(Qt::Key_C);
    r.f.key(Qt::Key_1);
    r.f.key(Qt::Key_Space);
    r.f.menu.CommandSwitch->click();
    // Button 1 is Beta's Five now, on the Alpha board.
    r.buzz(1);
    EXPECT_EQ(r.s.namelabel->text(), QStringLiteral("Five"));
    r.f.key(Qt::Key_C);
    EXPECT_EQ(r.boards(), (std::vector<int>{10, 20}));
    ASSERT_EQ(sheet.tossups.size(), 2u);
    EXPECT_EQ(sheet.tossups[1].buzzes.at(0).team, 1);
    EXPECT_EQ(sheet.tossups[1].buzzes.at(0).player, 0);
    EXPECT_EQ(sheet.teams[0].name, QStringLiteral("Alpha"));
    EXPECT_EQ(sheet.teams[1].players[0], QStringLiteral("Five"));
    EXPECT_EQ(teamTotal(sheet, 0), 20);
    EXPECT_EQ(teamTotal(sheet, 1), 10);
}

TEST(ScoresheetRoad, UnderThePlainRulesTheKeysDoNothing) {
    Road r(plainRules());
    r.buzz(3);
    for (int key : {Qt::Key_P, Qt::Key_C, Qt::Key_N, Qt::Key_W, Qt::Key_1, Qt::Key_T})
        EXPECT_FALSE(r.f.key(key)) << key;
    EXPECT_EQ(r.boards(), (std::vector<int>{0, 0}));
    EXPECT_EQ(r.rec.of(EventKind::Ruling).size(), 0u);
    EXPECT_EQ(r.s.namelabel->text(), QStringLiteral("Three"));
}

}  // namespace
