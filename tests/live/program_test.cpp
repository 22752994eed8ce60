// The live page inside the program: it sees what the play screen does from
// the start, sits in the Match menu, and shows the scoresheet's toss-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QMouseEvent>
#include <QTcpServer>

#include "live/liveprogram.h"
#include "live/livewindow.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "support/programfixture.h"
#include "title/forms.h"

namespace {

TEST(LiveProgram, FollowsThePlayScreenAndOpensFromTheMatchMenu) {
    TestProgram t(180);
    t->state.PortAddress = 888;
    live::LiveProgram live(*t);
    PlayScreen& screen = formsOf(*t).playScreen(ScreenPair::P2_4);
    SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
    menu.teamNameBox(0)->setText(QStringLiteral("Owls"));
    screen.recordMatchStarted(QStringLiteral("start-up"));
    // A click on Beta's board: one point.
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(screen.bscorelabel, &down);
    emit t->notifier().tossUpChanged(4);

    const QJsonObject doc = live.hub().document();
    EXPECT_EQ(doc[QStringLiteral("teams")][0][QStringLiteral("name")].toString(), "Owls");
    EXPECT_EQ(doc[QStringLiteral("teams")][1][QStringLiteral("score")].toInt(), 1);
    EXPECT_EQ(doc[QStringLiteral("tossup")].toInt(), 4);

    // Off by default, from the Match menu.
    QAction* item = menu.findChild<QAction*>(QStringLiteral("mnuLivePage"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Live &Page..."));
    item->trigger();
    auto* window = QApplication::activeModalWidget() ? nullptr : [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* l = qobject_cast<live::LiveWindow*>(w); l && l->isVisible()) return l;
        return static_cast<live::LiveWindow*>(nullptr);
    }();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->serveBox->isChecked());
    EXPECT_FALSE(live.hub().serving());

    // --live-port on a port another program holds: said, not served.
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, 0));
    const std::optional<QString> failed = live.serveAt(other.serverPort());
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->contains(QStringLiteral("already in use")));
    EXPECT_FALSE(live.hub().serving());
}

}  // namespace
