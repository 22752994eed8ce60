// What each writer takes from which window, and that its file reads back to
// the same values.
#include <gtest/gtest.h>

#include <QDir>

#include "app/controls.h"
#include "menu/filecommands.h"
#include "menu/loader.h"
#include "menu/setupmenu.h"
#include "menu/setupwindows.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setuptestfiles.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace setuptest;

namespace {

// Every window gets values of its own, so a line shows where it came from.
void fillDistinct(TestProgram& t) {
    Forms& f = formsOf(*t);
    f.titleForm().TeamText->setText("3");
    f.titleForm().PlayerText->setText("5");
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = f.setupMenu(m);
        const QString tag = m == MenuKind::Players4 ? "4" : "5";
        for (const auto& [i, box] : menu.Text)
            box->setText(tag + ":" + QString::number(i));
        for (const auto& [i, box] : menu.Texttimer)
            box->setText(tag + "t" + QString::number(i));
        menu.textincrement[0]->setText(tag + "inc");
        menu.ComboSound->setCurrentIndex(m == MenuKind::Players4 ? 1 : 2);
    }
    int shade = 10;
    for (ScreenPair s : kAllScreens) {
        f.playScreen(s).setScreenBackColour(QColor(shade, shade + 1, shade + 2));
        f.playScreen(s).setScreenTextColour(QColor(shade + 100, shade + 101, shade + 102));
        shade += 10;
    }
    ProgramState& st = t->state;
    st.AlphaSound = "/sounds/alpha.wav";
    st.BetaSound = "/sounds/beta.wav";
    st.GammaSound = "/sounds/gamma.wav";
    st.TimerSound = "/sounds/timer.wav";
    st.GameOverSound = "/sounds/game over.wav";
    FormOptions& o = f.formOptions();
    setCheckValue(o.CheckScoringTabs, 1);
    setCheckValue(o.CheckTimerTabs, 2);
    setCheckValue(o.CheckBuzzonBonus, 0);
    setCheckValue(o.CheckTimerContinues, 1);
    setCheckValue(o.CheckScoreBoard, 2);
    setCheckValue(o.Check20SecondTab, 1);
    f.formextrax().Comboxmitter->setCurrentIndex(7);
}

QString bgr(int r, int g, int b) { return QString(" %1 ").arg((b << 16) | (g << 8) | r); }

struct WriterCase {
    const char* name;
    setup::Writer writer;
    MenuKind menu;
    QStringList names;   // lines 4 to 21
    const char* timers;  // whose timer boxes
    const char* increment;
    QString back, text;  // lines 28, 29
    QString soundSource;
};

std::vector<WriterCase> writerCases() {
    const QStringList from5 = {"5:0",  "5:1",  "5:2",  "5:3",  "5:4",  "5:5",
                               "5:6",  "5:7",  "5:8",  "5:9",  "5:10", "5:11",
                               "5:12", "5:13", "5:14", "5:15", "5:16", "5:17"};
    const QStringList from4 = {"4:0",  "4:1",  "4:2",  "4:3",  "4:4",  "4:6",
                               "4:5",  "4:7",  "4:8",  "4:9",  "4:11", "4:12",
                               "4:10", "4:13", "4:14", "5:15", "5:16", "5:17"};
    const QStringList firstRun = {"4:0",  "4:1",  "4:2",  "4:3",  "4:4",  "5:5",
                                  "4:5",  "4:7",  "4:8",  "4:9",  "5:10", "5:11",
                                  "4:10", "4:13", "4:14", "5:15", "5:16", "5:17"};
    // Play screens in order 2_4, 3_4, 2_5, 3_5 carry shades 10, 20, 30, 40.
    return {
        {"first run", setup::Writer::FirstRun, MenuKind::Players4, firstRun, "5", "4",
         bgr(20, 21, 22), bgr(120, 121, 122), "0"},
        {"Save, 4-player", setup::Writer::Save, MenuKind::Players4, from4, "4", "4",
         bgr(20, 21, 22), bgr(120, 121, 122), " 1 "},
        {"Save, 5-player", setup::Writer::Save, MenuKind::Players5, from5, "5", "5",
         bgr(20, 21, 22), bgr(120, 121, 122), " 2 "},
        {"Save As, 4-player", setup::Writer::SaveAs, MenuKind::Players4, from4, "4", "4",
         bgr(10, 11, 12), bgr(110, 111, 112), " 1 "},
        {"Save As, 5-player", setup::Writer::SaveAs, MenuKind::Players5, from5, "5", "5",
         bgr(40, 41, 42), bgr(140, 141, 142), " 2 "},
    };
}

// Runs the writer's own command and returns the file it wrote.
QString runWriter(TestProgram& t, const WriterCase& c) {
    SetupMenu& menu = formsOf(*t).setupMenu(c.menu);
    switch (c.writer) {
    case setup::Writer::FirstRun:
        setup::createfile(*t);  // the preset dialog is cancelled
        return t->startupSetupFile();
    case setup::Writer::Save: menu.mnuSave->trigger(); return t->startupSetupFile();
    case setup::Writer::SaveAs: {
        QString path = QDir(t.configDir.path()).filePath("mine.txt");
        t.dialogs.saveAnswers = {path};
        menu.mnuSaveAs->trigger();
        return path;
    }
    }
    return {};
}

}  // namespace

TEST(Writers, EachLineComesFromTheWindowItsWriterNames) {
    for (const WriterCase& c : writerCases()) {
        TestProgram t;
        fillDistinct(t);
        const QString path = runWriter(t, c);
        const QList<QByteArray> raw = splitLines(readBytes(path));
        ASSERT_EQ(raw.size(), 45) << c.name;
        QStringList lines;
        for (const QByteArray& l : raw)
            lines << QString::fromLatin1(l);

        QStringList expected = {"Torvanel Setup File", "3", "5"};
        expected << c.names;
        for (int i = 6; i <= 10; ++i)
            expected << QString("%1t%2").arg(c.timers).arg(i);
        expected << QString("%1inc").arg(c.increment);
        expected << c.back << c.text;
        expected << "/sounds/alpha.wav"
                 << "/sounds/beta.wav"
                 << "/sounds/gamma.wav"
                 << "/sounds/timer.wav"
                 << "/sounds/game over.wav";
        expected << c.soundSource;
        expected << " 1 "
                 << " 2 "
                 << " 0 "
                 << " 1 "
                 << " 0 "
                 << " 0 "
                 << " 7 "
                 << " 2 "
                 << " 1 ";
        expected << "";
        for (int n = 1; n <= 45; ++n) {
            EXPECT_EQ(lines[n - 1], expected[n - 1]) << c.name << ", line " << n;
        }
        EXPECT_TRUE(readBytes(path).endsWith("\r\n\r\n")) << "an empty 45th line closes the file";
    }
}

TEST(Writers, EveryWritersFileReadsBackToTheSameValues) {
    for (const WriterCase& c : writerCases()) {
        TestProgram t;
        fillDistinct(t);
        const QByteArray written = readBytes(runWriter(t, c));

        TestProgram fresh;
        writeBytes(fresh->startupSetupFile(), written);
        formsOf(*fresh).titleForm().setupfile();
        EXPECT_TRUE(fresh.dialogs.messages.empty()) << c.name;
        EXPECT_EQ(setup::fileBytes(setup::writerLines(*fresh, c.writer, c.menu)), written)
            << c.name;
    }
}

TEST(Writers, RenamedBoxesLandOnTheirSlotsLines) {
    {
        TestProgram t;
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
        menu.Text[6]->setText("Newcomer");  // first Beta box: slot 5
        menu.Texttimer[7]->setText("8");
        menu.mnuSave->trigger();
        const QList<QByteArray> lines = splitLines(readBytes(t->startupSetupFile()));
        ASSERT_EQ(lines.size(), 45);
        EXPECT_EQ(lines[8], "Newcomer");
        EXPECT_EQ(lines[9], "Beta");
        EXPECT_EQ(lines[22], "8");
    }
    {
        TestProgram t;
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players5);
        menu.Text[7]->setText("Newcomer");  // first Beta box: slot 6
        menu.mnuSave->trigger();
        const QList<QByteArray> lines = splitLines(readBytes(t->startupSetupFile()));
        ASSERT_EQ(lines.size(), 45);
        EXPECT_EQ(lines[10], "Newcomer");
        EXPECT_EQ(lines[8], "Five");
    }
}

TEST(Writers, NamesInAnyLanguageSurviveSaveAndReopen) {
    struct Case {
        QString name;
        QByteArray onLine;    // as the file holds it
        QByteArray betaName;  // "Äpfel" in the same file
    };
    const QByteArray apfel1252("\xC4pfel");
    const QByteArray apfelUtf8("\xC3\x84pfel");
    const Case cases[] = {
        {QStringLiteral("Zoë Šimon"), "Zo\xEB \x8Aimon", apfel1252},
        {QStringLiteral("Zoë Œuvre"), "Zo\xEB \x8Cuvre", apfel1252},
        // One character beyond Windows-1252 makes the whole file UTF-8.
        {QStringLiteral("Zoë Šimić"), "Zo\xC3\xAB \xC5\xA0imi\xC4\x87", apfelUtf8},
        {QStringLiteral("Łukasz 李"), "\xC5\x81ukasz \xE6\x9D\x8E", apfelUtf8},
        {QStringLiteral("Ωμέγα"), "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1", apfelUtf8},
    };
    for (const Case& c : cases) {
        TestProgram t;
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players5);
        menu.Text[1]->setText(c.name);
        menu.Text[6]->setText(QStringLiteral("Äpfel"));
        menu.mnuSave->trigger();
        const QList<QByteArray> lines = splitLines(readBytes(t->startupSetupFile()));
        ASSERT_EQ(lines.size(), 45);
        EXPECT_EQ(lines[4], c.onLine) << c.name.toStdString();
        EXPECT_EQ(lines[9], c.betaName) << c.name.toStdString();

        TestProgram fresh;
        fresh.dialogs.openAnswers = {t->startupSetupFile()};
        SetupMenu& other = formsOf(*fresh).setupMenu(MenuKind::Players4);
        other.mnuOpen->trigger();
        EXPECT_TRUE(fresh.dialogs.messages.empty());
        EXPECT_EQ(other.Text[1]->text(), c.name);
        EXPECT_EQ(other.Text[5]->text(), QStringLiteral("Äpfel"));
    }
}
