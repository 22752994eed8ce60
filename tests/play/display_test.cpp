// Where the screen opens: full screen on the audience's display when there
// is a second one; with one display, a window that leaves the set-up menu
// and the contestant panel in view.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include "app/windowplaces.h"
#include "packet/readerui.h"
#include "packet/readerwindow.h"
#include "play/audiencescreen.h"
#include "playfixture.h"
#include "scoresheet/scoresheetui.h"
#include "scoresheet/sheetwindow.h"
#include "sim/contestantpanel.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

constexpr char kScreensGiven[] = "TORVANEL_TEST_SCREENS_GIVEN";

// Runs `test` of this program again in a second copy whose platform has the
// displays of `screensJson`; true in that copy, which then runs the test's
// body.
bool runWithScreens(const char* test, const char* screensJson) {
    if (qEnvironmentVariableIsSet(kScreensGiven)) return true;
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath(QStringLiteral("screens.json"));
    QFile file(config);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(screensJson);
    file.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kScreensGiven), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QString::fromLatin1(test)});
    EXPECT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return false;
}

std::string rectText(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

// The play screen's frame overlaps none of these windows' frames.
void expectInView(const PlayScreen& screen, std::initializer_list<const QWidget*> windows) {
    for (const QWidget* w : windows) {
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_FALSE(screen.frameGeometry().intersects(w->frameGeometry()))
            << w->objectName().toStdString() << " covered by "
            << screenName(screen.screen()).toStdString();
    }
}

}  // namespace

// One 1280x1024 display: after start-up and F1 on the play screen, the
// set-up menu, the contestant panel, the Scoresheet and the reader are all in
// view; Alt+Return gives full screen and takes it back to its place beside
// them.
TEST(Display, OneDisplayLeavesTheMenuAndThePanelInView) {
    if (!runWithScreens("Display.OneDisplayLeavesTheMenuAndThePanelInView", R"({"screens": [
            {"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 1024,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")) {
        return;
    }
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* players : {"4", "5"}) {
        SCOPED_TRACE(players);
        TestProgram t(200);
        formsOf(*t).titleForm().TeamText->setText(QStringLiteral("3"));
        formsOf(*t).titleForm().PlayerText->setText(QString::fromLatin1(players));
        ASSERT_TRUE(t.startUp());
        ContestantPanel panel(*t, t.box);
        panel.showPanel();
        // The reader and the Scoresheet, which work the match beside it.
        t.capabilities->scoresheet().openWindow();
        t.capabilities->reader().openWindow();
        const QWidget* sheet = t.capabilities->scoresheet().window();
        const QWidget* reader = &t.capabilities->reader().window();
        const ScreenPair pair = players[0] == '4' ? ScreenPair::P3_4 : ScreenPair::P3_5;
        PlayScreen& screen = formsOf(*t).playScreen(pair);
        SetupMenu& menu = formsOf(*t).setupMenu(menuOf(pair));

        screen.activateWindow();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(&screen, &f1);
        ASSERT_TRUE(screen.isVisible());
        EXPECT_FALSE(screen.isFullScreen());
        EXPECT_TRUE(area.contains(screen.frameGeometry())) << rectText(screen.frameGeometry());
        // Room enough to be read: at least half the design's size.
        EXPECT_GE(screen.width(), twipsToPixels(screen.variant().clientWidthTwips) / 2);
        expectInView(screen, {&menu, &panel, sheet, reader});
        for (const QWidget* w : {sheet, reader}) {
            // Raised above the play screen whenever it is worked.
            EXPECT_TRUE(places::isOperatorWindow(*w)) << w->objectName().toStdString();
            EXPECT_TRUE(area.contains(w->frameGeometry()))
                << w->objectName().toStdString() << " " << rectText(w->frameGeometry());
        }

        QKeyEvent altReturn(QEvent::KeyPress, Qt::Key_Return, Qt::AltModifier);
        QApplication::sendEvent(&screen, &altReturn);
        EXPECT_TRUE(screen.isFullScreen());
        EXPECT_EQ(screen.geometry(), QGuiApplication::primaryScreen()->geometry());
        QApplication::sendEvent(&screen, &altReturn);
        EXPECT_FALSE(screen.isFullScreen());
        expectInView(screen, {&menu, &panel, sheet, reader});
        panel.hide();
    }
}

// The set-up menu fits a display scaled to 200 %: its window stays on the
// display, and what does not fit is scrolled to.
TEST(Display, TheSetUpMenuFitsADisplayScaledTo200Percent) {
    if (!runWithScreens("Display.TheSetUpMenuFitsADisplayScaledTo200Percent", R"({"screens": [
            {"name": "laptop", "x": 0, "y": 0, "width": 1920, "height": 1080,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})")) {
        return;
    }
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    TestProgram t(170);
    ASSERT_TRUE(t.startUp());
    for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(*t).setupMenu(kind);
        menu.show();
        EXPECT_TRUE(area.contains(menu.frameGeometry()))
            << menuName(kind).toStdString() << " outside the display";
        const auto* client = menu.findChild<QWidget*>(QStringLiteral("client"));
        ASSERT_TRUE(client);
        EXPECT_EQ(client->height(), twipsToPixels(menu.variant().clientHeightTwips))
            << "the layout itself is kept";
    }
}

// The check itself runs in a second copy of this program on a platform with
// two displays, an operator's monitor and a projector beside it.
TEST(Display, OpensOnTheSecondDisplayWhenThereAreTwo) {
    if (!runWithScreens("Display.OpensOnTheSecondDisplayWhenThereAreTwo", R"({"screens": [
            {"name": "operator", "x": 0, "y": 0, "width": 1024, "height": 768,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "projector", "x": 1024, "y": 0, "width": 1920, "height": 1080,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")) {
        return;
    }
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    QScreen* projector = QGuiApplication::screens().at(1);
    ASSERT_NE(projector, QGuiApplication::primaryScreen());
    EXPECT_EQ(audienceScreen(), projector);
    for (ScreenPair pair : kAllScreens) {
        SCOPED_TRACE(screenName(pair).toStdString());
        PlayFixture f(pair);
        f.screen.showScreen();
        EXPECT_TRUE(f.screen.isFullScreen());
        EXPECT_EQ(f.screen.screen(), pair);
        EXPECT_EQ(f.screen.QWidget::screen(), projector);
        EXPECT_EQ(f.screen.geometry(), QRect(1024, 0, 1920, 1080));
        // Out of full screen and back, it stays with the audience.
        f.screen.toggleFullScreen();
        EXPECT_FALSE(f.screen.isFullScreen());
        f.screen.toggleFullScreen();
        EXPECT_EQ(f.screen.geometry(), QRect(1024, 0, 1920, 1080));
        f.screen.hide();
    }
}

// Where the screen may go beside the operator's windows: the free part of
// the display that holds the design largest.
TEST(Display, TheFreeRoomIsTheLargestForTheDesign) {
    const QSize design(1016, 729);
    const QRect area(0, 0, 1280, 1024);
    struct Case {
        const char* what;
        std::vector<QRect> taken;
        QRect expected;
    };
    const Case cases[] = {
        {"nothing taken", {}, area},
        {"menu and panel along the foot",
         {QRect(0, 450, 760, 574), QRect(900, 650, 380, 374)},
         QRect(0, 0, 1280, 450)},
        {"menu down the right side", {QRect(760, 0, 520, 1024)}, QRect(0, 0, 760, 1024)},
        {"a window in the middle of the top", {QRect(500, 0, 200, 300)}, QRect(0, 300, 1280, 724)},
        {"all of it", {area}, QRect()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(places::freeRect(area, c.taken, design), c.expected) << c.what;
}

// One display as the operator has it, with the window manager's frames: the
// set-up menu and the contestant panel along the foot, the reader and the
// Scoresheet in the column beside the play screen, and the play screen in
// what is left. Every frame is on the display, the windows' foot (the
// menu's status line, the panel's last row) included, and none covers
// another.
TEST(Display, OnOneDisplayEveryOperatorWindowAndThePlayScreenAreInView) {
    if (!runWithScreens("Display.OnOneDisplayEveryOperatorWindowAndThePlayScreenAreInView",
                        R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 2560,
                            "height": 1440, "logicalDpi": 96, "logicalBaseDpi": 96,
                            "dpr": 1}]})")) {
        return;
    }
    // The windows' own sizes, on a display large enough to leave them be.
    TestProgram t(180);
    ASSERT_TRUE(t.startUp());
    ContestantPanel panel(*t, t.box);
    panel.adjustSize();
    const QSize design = formsOf(*t).playScreen(ScreenPair::P2_4).designSize();
    const struct {
        QRect area;
        QMargins frame;
    } cases[] = {
        {QRect(0, 0, 1280, 1024), places::kTypicalFrame},
        {QRect(0, 0, 1920, 1080), places::kTypicalFrame},
        {QRect(0, 0, 1920, 1048), QMargins(1, 37, 1, 1)},  // a taskbar, a thick title bar
        {QRect(0, 0, 1280, 1024), QMargins()},
    };
    for (MenuKind kind : {MenuKind::Players4, MenuKind::Players5}) {
        const QSize menuSize = formsOf(*t).setupMenu(kind).size();
        for (const auto& c : cases) {
            SCOPED_TRACE(rectText(c.area) + " frame top " + std::to_string(c.frame.top()) + " " +
                         menuName(kind).toStdString());
            const QRect menu = places::footFrame(c.area, menuSize, c.frame, true);
            const QRect foot = places::footFrame(c.area, panel.size(), c.frame, false);
            const QRect reader = places::columnFrame(
                c.area, {menu, foot}, design, places::Column::Upper, places::kColumnLeastWidth);
            const QRect sheet = places::columnFrame(
                c.area, {menu, foot}, design, places::Column::Lower, places::kColumnLeastWidth);
            const QRect screen = places::freeRect(c.area, {menu, foot, reader, sheet}, design);
            const struct {
                const char* what;
                QRect frame;
            } windows[] = {{"menu", menu},
                           {"panel", foot},
                           {"reader", reader},
                           {"scoresheet", sheet},
                           {"play screen", screen}};
            for (const auto& w : windows) {
                EXPECT_TRUE(c.area.contains(w.frame)) << w.what << " " << rectText(w.frame);
                for (const auto& other : windows) {
                    if (&other == &w) continue;
                    EXPECT_FALSE(w.frame.intersects(other.frame)) << w.what << ", " << other.what;
                }
            }
            // Each client whole, at its own size for the menu and the panel.
            EXPECT_EQ(menu.size(), menuSize.grownBy(c.frame));
            EXPECT_EQ(foot.size(), panel.size().grownBy(c.frame));
            // Room enough to read from: the play screen at least half its
            // design, the reader a few lines of large type.
            EXPECT_GE(screen.width(), design.width() / 2);
            EXPECT_GE(reader.width(), places::kColumnLeastWidth);
            EXPECT_GE(reader.height(), 200);
            EXPECT_GE(sheet.height(), 150);
        }
    }
}
