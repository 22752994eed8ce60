#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "scoresheet/rosterwindow.h"
#include "support/scripteddialogs.h"

using namespace scoresheet;

namespace {

QString fileWith(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

// The window reads on a thread of its own: the test waits for the list.
void openAndWait(RosterWindow* window) {
    window->openButton->click();
    QElapsedTimer waited;
    waited.start();
    while (window->reading() && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(window->reading());
}

}  // namespace

TEST(RosterWindow, TeamsCheckedInSeatOrderGoToTheSetupAndBadFilesAreExplained) {
    QTemporaryDir dir;
    const QString good = fileWith(dir, "open.qbj", R"({"version": "2.1.1", "objects": [
        {"type": "Registration", "name": "Lomax", "teams": [
            {"name": "Lomax A", "players": [{"name": "A1"}, {"name": "A2"}]},
            {"name": "Lomax B", "players": [{"name": "B1"}]},
            {"name": "Lomax C", "players": []}]}]})");
    const QString bad = fileWith(dir, "bad.qbj", "{\"objects\": [1, 2,");

    ScriptedDialogs dialogs;
    std::vector<RosterTeam> used;
    auto* window =
        new RosterWindow(dialogs, 2, [&](const std::vector<RosterTeam>& t) { used = t; });

    dialogs.openAnswers = {bad};
    openAndWait(window);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("This is not a QBJ file"));
    EXPECT_EQ(window->teamList->topLevelItemCount(), 0);

    dialogs.openAnswers = {good};
    openAndWait(window);
    ASSERT_EQ(window->teamList->topLevelItemCount(), 3);
    EXPECT_EQ(window->teamList->topLevelItem(0)->childCount(), 2);
    EXPECT_FALSE(window->useButton->isEnabled());

    // Lomax C sits left of Lomax A because it was checked first.
    window->teamList->topLevelItem(2)->setCheckState(0, Qt::Checked);
    window->teamList->topLevelItem(1)->setCheckState(0, Qt::Checked);
    window->teamList->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    window->teamList->topLevelItem(0)->setCheckState(0, Qt::Checked);
    ASSERT_TRUE(window->useButton->isEnabled());
    window->useButton->click();
    ASSERT_EQ(used.size(), 2u);
    EXPECT_EQ(used[0].name, "Lomax C");
    EXPECT_EQ(used[1].players, QStringList({"A1", "A2"}));
}

// A file too large to read at once is read off the window thread: the window
// says it is reading and answers events meanwhile, and the list fills after.
TEST(RosterWindow, AFileIsReadOffTheWindowThread) {
    QTemporaryDir dir;
    QByteArray big = R"({"version": "2.1.1", "objects": [)";
    for (int t = 0; t < 900; ++t)
        big += QStringLiteral(R"({"type": "Team", "id": "T%1", "name": "Team %1", "players": [)"
                              R"({"name": "P%1a"}, {"name": "P%1b"}]}, )")
                   .arg(t)
                   .toUtf8();
    big += R"({"type": "Tournament", "name": "T"}]})";
    const QString path = fileWith(dir, "big.qbj", big);

    ScriptedDialogs dialogs;
    auto* window = new RosterWindow(dialogs, 2, {});
    bool finished = false;
    QObject::connect(window, &RosterWindow::readFinished, [&](bool ok) { finished = ok; });
    dialogs.openAnswers = {path};
    window->openButton->click();
    // Back from the click before the file is read: nothing listed yet.
    EXPECT_TRUE(window->reading());
    EXPECT_FALSE(window->openButton->isEnabled());
    EXPECT_TRUE(window->status->text().startsWith("Reading big.qbj"));
    EXPECT_EQ(window->teamList->topLevelItemCount(), 0);
    openAndWait(window);  // the button is off: nothing more is asked
    EXPECT_TRUE(finished);
    EXPECT_EQ(window->teamList->topLevelItemCount(), 900);
    EXPECT_TRUE(window->openButton->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
    delete window;
}
