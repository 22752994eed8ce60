#include <gtest/gtest.h>

#include <QFile>
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
    window->openButton->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("This is not a QBJ file"));
    EXPECT_EQ(window->teamList->topLevelItemCount(), 0);

    dialogs.openAnswers = {good};
    window->openButton->click();
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
