// Where the screen opens: the audience's display, full screen.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include "play/audiencescreen.h"
#include "playfixture.h"

namespace {

constexpr char kTwoDisplays[] = "TORVANEL_TEST_TWO_DISPLAYS";

TEST(Display, OneDisplayIsTheAudiencesToo) {
    if (qEnvironmentVariableIsSet(kTwoDisplays)) GTEST_SKIP() << "run with one display";
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    EXPECT_EQ(audienceScreen(), QGuiApplication::primaryScreen());
    PlayFixture f(ScreenPair::P2_4);
    f.screen.showScreen();
    EXPECT_TRUE(f.screen.isFullScreen());
    EXPECT_EQ(f.screen.geometry(), QGuiApplication::primaryScreen()->geometry());
    f.screen.hide();
}

// The check itself runs in a second copy of this program on a platform with
// two displays, an operator's monitor and a projector beside it.
TEST(Display, OpensOnTheSecondDisplayWhenThereAreTwo) {
    if (!qEnvironmentVariableIsSet(kTwoDisplays)) {
        QTemporaryDir dir;
        const QString config = QDir(dir.path()).filePath(QStringLiteral("screens.json"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"screens": [
            {"name": "operator", "x": 0, "y": 0, "width": 1024, "height": 768,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
            {"name": "projector", "x": 1024, "y": 0, "width": 1920, "height": 1080,
             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kTwoDisplays), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("offscreen:configfile=") + config);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=Display.OpensOnTheSecondDisplayWhenThereAreTwo")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
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

}  // namespace
