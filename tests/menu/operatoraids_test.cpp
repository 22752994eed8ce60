// The operator's aids in the set-up menu: the Operator Keys window, access
// keys no two items share, a button check that explains its numbers, and the
// menu found again where the operator left it.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QKeySequence>
#include <QLabel>
#include <QRegularExpression>
#include <QTreeWidget>

#include "app/windowplaces.h"
#include "check/buttoncheckwindow.h"
#include "menu/operatorkeys.h"
#include "menurig.h"
#include "sim/contestantpanel.h"
#include "title/forms.h"

using namespace menutest;

namespace {

// The access key of an item's text ("Check &Buttons..." -> 'b'), or none.
QChar accessKey(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

}  // namespace

TEST(OperatorAids, NoTwoItemsOfTheMatchOrHelpMenuShareAnAccessKey) {
    StartedProgram p(200);
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = p.menu(m);
        for (QMenu* list : {menu.mnuMatch, menu.mnuHelp}) {
            QMap<QChar, QString> taken;
            for (QAction* item : list->actions()) {
                const QChar key = accessKey(item->text());
                if (!item->isVisible() || key.isNull()) continue;
                EXPECT_FALSE(taken.contains(key))
                    << item->text().toStdString() << " and " << taken[key].toStdString();
                taken[key] = item->text();
            }
        }
    }
}

// Every key the play screen and the contestant panel take is in the window.
TEST(OperatorAids, OperatorKeysListsEveryKeyOfThePlayScreenAndThePanel) {
    StartedProgram p(170, "3", "5");
    SetupMenu& menu = p.menu5();
    const QList<QAction*> help = menu.mnuHelp->actions();
    // After the menu's own items; only the capabilities' help windows follow.
    ASSERT_EQ(help.size() - 1 - help.indexOf(menu.mnuOperatorKeys),
              qsizetype(p.t->helpWindows().entries().size()));
    EXPECT_EQ(help.indexOf(menu.mnuOperatorKeys), help.indexOf(menu.mnuContactMarlowen) + 2);
    menu.mnuOperatorKeys->trigger();
    auto* window = menu.findChild<OperatorKeys*>();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Operator Keys"));
    const QStringList listed = window->keyNames();

    QStringList keys;
    PlayScreen& screen = p.screen(ScreenPair::P3_5);
    for (int code = 0; code < 256; ++code) {
        if (!screen.handlesKey(code)) continue;
        keys << (code == 32 ? QStringLiteral("Space") : QStringLiteral("F%1").arg(code - 111));
    }
    EXPECT_EQ(keys.size(), 13);
    keys << menu.mnuUndoScore->shortcut().toString() << menu.mnuRedoScore->shortcut().toString()
         << QStringLiteral("Alt+Return") << QStringLiteral("Escape") << QStringLiteral("Ctrl");
    ContestantPanel panel(*p.t, p.t.box);
    for (int key = Qt::Key_0; key <= Qt::Key_Z; ++key) {
        if (panel.playerOfKey(key) != 0) keys << QKeySequence(key).toString();
    }
    // The scoresheet's ruling keys too (its others are the panel's letters).
    keys << QStringLiteral("P") << QStringLiteral("C") << QStringLiteral("N");
    for (const QString& key : keys)
        EXPECT_TRUE(listed.contains(key)) << key.toStdString() << " is not in Operator Keys";

    // Every line whole at the window's size: no key wider than its column,
    // no text wider than its own, no heading wider than the list.
    QTreeWidget* list = window->Listkeys;
    const QFontMetrics fm = list->fontMetrics();
    for (int s = 0; s < list->topLevelItemCount(); ++s) {
        const QTreeWidgetItem* section = list->topLevelItem(s);
        EXPECT_LE(QFontMetrics(section->font(0)).horizontalAdvance(section->text(0)),
                  list->viewport()->width())
            << section->text(0).toStdString();
        for (int r = 0; r < section->childCount(); ++r) {
            const QTreeWidgetItem* row = section->child(r);
            EXPECT_LE(fm.horizontalAdvance(row->text(0)) + 8, list->columnWidth(0))
                << row->text(0).toStdString();
            EXPECT_LE(fm.horizontalAdvance(row->text(1)) + 8, list->columnWidth(1))
                << row->text(1).toStdString();
        }
    }
}

// Every number the check shows is explained, for the parallel-port boxes and
// for the USB module.
TEST(OperatorAids, CheckButtonsExplainsItsNumbers) {
    for (int model : {170, 199}) {
        StartedProgram p(model);
        ButtonCheckWindow* check = p.t.capabilities->check().open(&p.menu4());
        ASSERT_TRUE(check);
        const QString legend = check->legendLabel()->text();
        EXPECT_TRUE(legend.contains(QStringLiteral("heard 3")));
        EXPECT_TRUE(legend.contains(model == 199 ? QStringLiteral("255") : QStringLiteral("32")))
            << legend.toStdString();
        for (int player = 1; check->tile(player); ++player)
            EXPECT_FALSE(check->tile(player)->toolTip().isEmpty());
        check->close();
    }
}

// The menu moved, the program left through File > Exit and started again:
// the menu is where it was.
TEST(OperatorAids, TheSetUpMenuOpensWhereItWasLeft) {
    StartedProgram first;
    SetupMenu& menu = first.menu4();
    ASSERT_TRUE(menu.isVisible());
    menu.move(31, 17);
    const QRect left = menu.geometry();
    try {
        menu.mnuExit_Click();
    } catch (const ProgramEnded&) {
    }
    ASSERT_EQ(first.t.ends, 1);
    EXPECT_TRUE(places::hasKeptPlace(*first.t, menuName(MenuKind::Players4)));

    TestProgram& t = first.t;
    Program again(t.box, t.clock, t.sound, t.dialogs, t.random,
                  ProgramPaths{t.programDir.path(), t.configDir.path()});
    Forms forms(again);
    // Within the platform's frame (the test platform draws one of 2 pixels).
    const QRect back = forms.setupMenu(MenuKind::Players4).geometry();
    EXPECT_LE((back.topLeft() - left.topLeft()).manhattanLength(), 2);
    EXPECT_LE(std::abs(back.height() - left.height()) + std::abs(back.width() - left.width()), 2);
    EXPECT_FALSE(places::hasKeptPlace(again, menuName(MenuKind::Players5)))
        << "a menu never shown keeps no place";
}
