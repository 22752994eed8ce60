// Names reach the operator's windows from the keyboard and from QBJ files.
// A label that renders them as markup lets a name load any local image (and
// <img src="/dev/zero"> takes all memory), so every label that shows a name
// or a file's name shows it as plain text.
#include <gtest/gtest.h>

#include <QLabel>
#include <functional>

#include "app/programnotifier.h"
#include "check/buttoncheckwindow.h"
#include "scoresheet/matchdetailswindow.h"
#include "scoresheet/sheetroad.h"
#include "scoresheet/sheetwindow.h"
#include "sim/contestantpanel.h"

namespace {

const QString kName = QStringLiteral("<b>Nox</b><img src=\"/dev/zero\">");

}  // namespace

TEST(NamesAsText, EveryLabelShowingANameShowsItAsPlainText) {
    SheetRoad road(scoresheet::presetRules().at(1));
    SetupMenu& menu = road.f.menu;
    menu.teamNameBox(0)->setText(kName);
    menu.playerNameBox(1)->setText(kName);
    road.s.newMatch();

    std::unique_ptr<ContestantPanel> panel;
    std::unique_ptr<scoresheet::MatchDetailsWindow> details;
    struct Row {
        const char* window;
        std::function<QWidget*()> show;
    };
    const Row rows[] = {
        {"contestant panel",
         [&]() -> QWidget* {
             panel = std::make_unique<ContestantPanel>(*road.f.t, road.f.t.box);
             panel->refresh();
             return panel.get();
         }},
        {"set-up menu's decision line",
         [&]() -> QWidget* {
             emit road.f.t->notifier().decisionChanged(
                 {QStringLiteral("Next: %1, 40 ms later.").arg(kName), {}});
             return &menu;
         }},
        {"button check", [&]() -> QWidget* { return road.f.t.capabilities->check().open(&menu); }},
        {"scoresheet's totals",
         [&]() -> QWidget* {
             road.sheet->openWindow();
             return road.sheet->window();
         }},
        {"match details' last result",
         [&]() -> QWidget* {
             details = std::make_unique<scoresheet::MatchDetailsWindow>(
                 scoresheet::MatchDetails{}, QStringLiteral("/results/%1.result.qbj").arg(kName),
                 [](const scoresheet::MatchDetails&) {});
             return details.get();
         }},
    };
    for (const Row& row : rows) {
        QWidget* window = row.show();
        ASSERT_TRUE(window) << row.window;
        int showing = 0;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->text().contains(kName)) continue;
            ++showing;
            EXPECT_EQ(label->textFormat(), Qt::PlainText)
                << row.window << ": " << label->objectName().toStdString();
        }
        EXPECT_GT(showing, 0) << row.window << " shows the name nowhere";
    }
}
