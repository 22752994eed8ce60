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
    struct Kept {
        EventKind kind;
        qint64 wallMs;
        QJsonObject data;
    };
    std::vector<Kept> kept;
    for (const auto& e : r.rec.events)
        kept.push_back({e.kind, 0, e.data});
    const Sheet rebuilt = sheetFromEvents(kept);
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
    r.f.key(Qt::Key_Space);
    r.buzz(1);
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
