// The set-up menus' File commands as the operator uses them.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>

#include <QDir>

#include "app/controls.h"
#include "menu/setupmenu.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setuptestfiles.h"
#include "support/filesizelimit.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace setuptest;

namespace {

const QString kOpenFailed = QStringLiteral(
    "The selected file failed to open.  Program will continue with current configuration.");
const QString kNotFound =
    QStringLiteral("The set-up file TVLSETUP.TXT was not found.  Loading default system settings");

SetupMenu& menu4(TestProgram& t) { return formsOf(*t).setupMenu(MenuKind::Players4); }
SetupMenu& menu5(TestProgram& t) { return formsOf(*t).setupMenu(MenuKind::Players5); }

QString fileIn(const QTemporaryDir& dir, const QString& name) {
    return QDir(dir.path()).filePath(name);
}

QStringList threeTeamsOfFive() {
    QStringList lines = validLines();
    lines[1] = "3";
    lines[2] = "5";
    lines[3] = "Opened";
    return lines;
}

}  // namespace

TEST(FileMenu, TheFileItemsAreAvailableInBothMenus) {
    TestProgram t;
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(*t).setupMenu(m);
        for (QAction* a : {menu.mnuOpen, menu.mnuSave, menu.mnuSaveAs}) {
            EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        }
    }
}

TEST(OpenSetupFile, AThreeTeamFivePlayerFileBringsUpItsScreenPair) {
    TestProgram t;
    showScreenPair(*t);
    ASSERT_EQ(visibleWindows(*t), QStringList({"PlayScreen2_4", "FrmMenu3_4"}));
    const QString path = fileIn(t.programDir, "club.txt");
    writeBytes(path, crlf(threeTeamsOfFive()));
    t.dialogs.openAnswers = {path};
    menu4(t).mnuOpen->trigger();

    EXPECT_TRUE(t.dialogs.messages.empty()) << t.dialogs.texts().join("|").toStdString();
    const QStringList shown = visibleWindows(*t);
    EXPECT_TRUE(shown.contains("Playscreen3_5")) << shown.join(",").toStdString();
    EXPECT_TRUE(shown.contains("FrmMenu3_5")) << shown.join(",").toStdString();
    EXPECT_EQ(menu4(t).ComboTeams->currentIndex(), 1);
    EXPECT_EQ(menu5(t).ComboTeams->currentIndex(), 1);
    EXPECT_EQ(menu5(t).Text[0]->text(), "Opened");
    EXPECT_EQ(formsOf(*t).playScreen(ScreenPair::P2_4).clocklabel->text(), "15:00");

    // The dialog is this menu's own, set up afresh for set-up files, and it
    // keeps the file chosen.
    ASSERT_EQ(t.dialogs.openRequests.size(), 1u);
    const Dialogs::FileRequest& asked = t.dialogs.openRequests[0];
    EXPECT_EQ(asked.title, "Open Set-up Prefences");
    EXPECT_EQ(asked.filter, "Setup Files|*.txt");
    // It starts where the start-up file is, with the shipped presets one
    // click away.
    EXPECT_EQ(QDir(asked.folder).filePath(asked.fileName), t->startupSetupFile());
    EXPECT_TRUE(asked.sidebar.contains(t.programDir.path()));
    EXPECT_EQ(asked.defaultSuffix, "txt");
    EXPECT_EQ(menu4(t).cd1test.fileName, path);
    EXPECT_EQ(menu5(t).cd1test.fileName, "tvlsetup.txt") << "the other menu's dialog is its own";
}

TEST(OpenSetupFile, AWrongHeaderOrNoFileChangesNothing) {
    struct Case {
        const char* name;
        bool wrongHeader;  // else cancelled
    };
    for (const Case& c : {Case{"wrong header", true}, Case{"cancelled", false}}) {
        TestProgram t;
        showScreenPair(*t);
        if (c.wrongHeader) {
            QStringList lines = threeTeamsOfFive();
            lines[0] = "Torvanel Setup File v2";
            const QString path = fileIn(t.programDir, "other.txt");
            writeBytes(path, crlf(lines));
            t.dialogs.openAnswers = {path};
        }
        menu5(t).mnuOpen->trigger();
        ASSERT_EQ(t.dialogs.messages.size(), 1u) << c.name;
        const auto& m = t.dialogs.messages[0];
        if (c.wrongHeader) {
            EXPECT_EQ(m.text,
                      "File corrupt or not Torvanel Setup File.  Loading default settings.");
            EXPECT_TRUE(m.title.isEmpty());
        } else {
            EXPECT_EQ(m.text, kNotFound);
            EXPECT_EQ(m.title, "File not found");
            EXPECT_EQ(m.icon, Dialogs::Icon::Warning);
        }
        EXPECT_EQ(m.buttons, Dialogs::Buttons::Ok);
        EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), "2") << c.name;
        EXPECT_EQ(menu4(t).Text[0]->text(), "Alpha") << c.name;
        EXPECT_EQ(visibleWindows(*t), QStringList({"PlayScreen2_4", "FrmMenu3_4"})) << c.name;
    }
}

TEST(OpenSetupFile, AReadingErrorKeepsWhatWasReadAndChoosesNoScreens) {
    struct Case {
        int keepLines;     // lines kept of a 3-teams-of-5 file
        QString teams;     // line 2
        QString detail;    // what the message adds
        QString teamText;  // TeamText afterwards
    };
    const Case cases[] = {
        {30, "3", "Input past end of file (line 31)", "3"},
        {45, "4", "Invalid property value (line 2)", "4"},
        {45, "x", "Invalid property value (line 2)", "x"},
    };
    for (const Case& c : cases) {
        TestProgram t;
        showScreenPair(*t);
        QStringList lines = threeTeamsOfFive().mid(0, c.keepLines);
        lines[1] = c.teams;
        const QString path = fileIn(t.programDir, "short.txt");
        writeBytes(path, crlf(lines));
        t.dialogs.openAnswers = {path};
        menu4(t).mnuOpen->trigger();
        ASSERT_EQ(t.dialogs.messages.size(), 1u);
        EXPECT_EQ(t.dialogs.messages[0].text, kOpenFailed + "\n" + c.detail + "\n");
        EXPECT_TRUE(t.dialogs.messages[0].title.isEmpty());
        EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), c.teamText);
        EXPECT_EQ(visibleWindows(*t), QStringList({"PlayScreen2_4", "FrmMenu3_4"}));
        if (c.keepLines == 30) {
            EXPECT_EQ(menu5(t).Text[0]->text(), "Opened") << "read before the error";
            EXPECT_EQ(menu4(t).ComboTeams->currentIndex(), 1);
        } else {
            EXPECT_EQ(menu5(t).Text[0]->text(), "Alpha") << "nothing after line 2";
        }
    }
}

TEST(SaveSetupFile, SaveWritesTheStartupFileAndSaveAsTheNamedOne) {
    TestProgram t;
    menu4(t).Text[0]->setText("Saved");
    menu4(t).mnuSave->trigger();
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_TRUE(t.dialogs.saveRequests.empty()) << "Save asks nothing";
    EXPECT_EQ(splitLines(readBytes(t->startupSetupFile())).value(3), "Saved");

    // A name typed without an extension gets ".txt".
    t.dialogs.saveAnswers = {fileIn(t.configDir, "regional")};
    menu5(t).mnuSaveAs->trigger();
    ASSERT_EQ(t.dialogs.saveRequests.size(), 1u);
    const Dialogs::FileRequest& asked = t.dialogs.saveRequests[0];
    EXPECT_EQ(asked.title, "Open Set-up Prefences");
    EXPECT_EQ(asked.filter, "Setup Files|*.txt");
    EXPECT_EQ(QDir(asked.folder).filePath(asked.fileName), t->startupSetupFile());
    EXPECT_TRUE(asked.sidebar.contains(t.programDir.path()));
    EXPECT_TRUE(asked.confirmOverwrite);
    EXPECT_EQ(splitLines(readBytes(fileIn(t.configDir, "regional.txt"))).size(), 45);
    EXPECT_FALSE(QFileInfo::exists(fileIn(t.configDir, "regional")));
    EXPECT_EQ(menu5(t).cd1test.fileName, fileIn(t.configDir, "regional.txt"));
}

TEST(SaveSetupFile, CancellingSaveAsWritesNothing) {
    TestProgram t;
    const QStringList before = QDir(t.configDir.path()).entryList(QDir::Files);
    const QStringList beforeProgram = QDir(t.programDir.path()).entryList(QDir::Files);
    const QStringList beforeHere = QDir::current().entryList(QDir::Files);
    menu4(t).mnuSaveAs->trigger();
    EXPECT_EQ(t.dialogs.saveRequests.size(), 1u);
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(QDir(t.configDir.path()).entryList(QDir::Files), before);
    EXPECT_EQ(QDir(t.programDir.path()).entryList(QDir::Files), beforeProgram);
    EXPECT_EQ(QDir::current().entryList(QDir::Files), beforeHere);
}

TEST(SaveSetupFile, AFailedSaveKeepsTheOldFileAndSaysSo) {
    TestProgram t;
    menu4(t).mnuSave->trigger();
    const QByteArray old = readBytes(t->startupSetupFile());
    ASSERT_EQ(splitLines(old).size(), 45);

    menu4(t).Text[0]->setText(QString(200, u'x'));  // well past the limit below
    {
        FileSizeLimit limit(64);
        menu4(t).mnuSave->trigger();
    }
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    const QString text = t.dialogs.messages[0].text;
    EXPECT_TRUE(text.startsWith("File failed to save as expected.\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("File Not Saved!")) << text.toStdString();
    EXPECT_GT(text.size(), QString("File failed to save as expected.\nFile Not Saved!").size())
        << "the system's description is in between";
    EXPECT_FALSE(text.contains("Unknown error")) << text.toStdString();
    EXPECT_TRUE(t.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(readBytes(t->startupSetupFile()), old) << "the old file is whole";
    EXPECT_EQ(QDir(t.configDir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"tvlsetup.txt"})
        << "no half-written file is left behind";
}

TEST(SaveSetupFile, SaveAsIntoAMissingFolderSaysSo) {
    TestProgram t;
    t.dialogs.saveAnswers = {fileIn(t.configDir, "gone/elsewhere.txt")};
    menu4(t).mnuSaveAs->trigger();
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_TRUE(t.dialogs.messages[0].text.startsWith("File failed to save as expected.\n"));
    EXPECT_TRUE(t.dialogs.messages[0].text.endsWith("File Not Saved!"));
}

// Options switched on since the save must not pull the settings the file
// holds on earlier lines away from what was saved when the file turns them
// off again.
TEST(OpenSetupFile, TurningOptionsOffKeepsTheFilesOwnSoundSourceAndMatchTime) {
    TestProgram t;
    showScreenPair(*t);
    FormOptions& options = formsOf(*t).formOptions();
    menu4(t).Texttimer[6]->setText("12:00");
    setCheckValue(options.CheckDisableMatchTimer, 1);
    setCheckValue(options.CheckPlayerWaiting, 1);
    ASSERT_EQ(menu4(t).ComboSound->currentIndex(), 1) << "the lock-up forces the sound card";

    QStringList lines = validLines();
    lines[21] = "0:00";  // saved after the match clock ran out
    lines[34] = " 0 ";   // the interface speaker
    lines[39] = " 0 ";   // Disable Match Timer off
    lines[40] = " 0 ";   // lock-up off
    const QString path = fileIn(t.programDir, "after-the-match.txt");
    writeBytes(path, crlf(lines));
    t.dialogs.openAnswers = {path};
    menu4(t).mnuOpen->trigger();

    EXPECT_TRUE(t.dialogs.messages.empty());
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(*t).setupMenu(m);
        EXPECT_EQ(menu.ComboSound->currentIndex(), 0) << menuName(m).toStdString();
        EXPECT_TRUE(menu.ComboSound->isEnabled());
        EXPECT_EQ(menu.Texttimer[6]->text(), "0:00") << menuName(m).toStdString();
    }
}

TEST(OpenSetupFile, AMatchTimerAlreadyOffStaysBlankWhenTheFileTurnsItOff) {
    TestProgram t;
    showScreenPair(*t);
    FormOptions& options = formsOf(*t).formOptions();
    setCheckValue(options.CheckDisableMatchTimer, 1);

    QStringList lines = validLines();
    lines[21] = "20:00";
    lines[39] = " 1 ";  // Disable Match Timer, already on
    const QString path = fileIn(t.programDir, "no-clock.txt");
    writeBytes(path, crlf(lines));
    t.dialogs.openAnswers = {path};
    menu4(t).mnuOpen->trigger();
    ASSERT_TRUE(t.dialogs.messages.empty());

    PlayScreen& shown = formsOf(*t).playScreen(ScreenPair::P2_4);
    shown.Form_Activate();
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).clocklabel->text(), "0:00")
            << screenName(s).toStdString();
    }
    // Turned on again, the clocks have the file's match time.
    options.CheckDisableMatchTimer->click();
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).clocklabel->text(), "20:00")
            << screenName(s).toStdString();
    }
}

TEST(OpenSetupFile, CountsNoScreenPairHasGiveTwoTeamsOfFourInBothMenus) {
    // Through the start-up file and through Open, from three teams of five.
    for (bool opened : {false, true}) {
        SCOPED_TRACE(opened ? "opened" : "start-up");
        TestProgram t;
        QStringList lines = validLines();
        lines[1] = "3";
        lines[2] = "7";
        if (opened) {
            writeBytes(t->startupSetupFile(), crlf(threeTeamsOfFive()));
            ASSERT_TRUE(t.startUp());
            const QString path = fileIn(t.programDir, "seven.txt");
            writeBytes(path, crlf(lines));
            t.dialogs.openAnswers = {path};
            menu5(t).mnuOpen->trigger();
        } else {
            writeBytes(t->startupSetupFile(), crlf(lines));
            ASSERT_TRUE(t.startUp());
        }
        EXPECT_TRUE(visibleWindows(*t).contains("PlayScreen2_4"));
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            SetupMenu& menu = formsOf(*t).setupMenu(m);
            EXPECT_EQ(menu.ComboTeams->currentText(), "2 Teams") << menuName(m).toStdString();
            const int gamma = 2 * menu.stride();
            for (int i = gamma; i < gamma + menu.stride(); ++i) {
                EXPECT_FALSE(menu.Text[i]->isEnabled()) << menuName(m).toStdString() << " " << i;
            }
        }
    }
}
