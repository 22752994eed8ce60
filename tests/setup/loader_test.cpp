// The start-up setup file as the windows take it in.
#include <gtest/gtest.h>

#include <QDir>

#include "app/controls.h"
#include "menu/filecommands.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setuptestfiles.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace setuptest;

namespace {

// Puts the file in the configuration folder and runs the start-up loader.
void startWith(TestProgram& t, const QByteArray& bytes) {
    writeBytes(t->startupSetupFile(), bytes);
    formsOf(*t).titleForm().setupfile();
}

SetupMenu& menu4(TestProgram& t) { return formsOf(*t).setupMenu(MenuKind::Players4); }
SetupMenu& menu5(TestProgram& t) { return formsOf(*t).setupMenu(MenuKind::Players5); }
FormOptions& options(TestProgram& t) { return formsOf(*t).formOptions(); }

// Values that differ from every design value.
QStringList distinctLines(const QString& alphaSound) {
    QStringList l = validLines();
    l[1] = "3";
    l[2] = "5";
    l[3] = "A-team";
    for (int slot = 1; slot <= 15; ++slot) {
        const int team = (slot - 1) / 5;
        l[3 + team * 6 + slot - team * 5] = QStringLiteral("p%1").arg(slot);
    }
    l[9] = "B-team";
    l[15] = "G-team";
    l[21] = "12:34";
    l[22] = "7";
    l[23] = "11";
    l[24] = "45";
    l[25] = "33";
    l[26] = "2";
    l[27] = " 65280 ";    // green
    l[28] = " 1193046 ";  // 0x123456
    l[29] = alphaSound;
    l[30] = "C:\\Program Files\\Torvanel\\ringout.wav";
    l[31] = "D:\\Sounds\\fanfare.wav";
    l[32] = "inactive.wav";
    l[33] = "C:\\Torvanel\\SOUND528.WAV";
    l[34] = " 2 ";
    const char* const opts[] = {" 1 ", " 2 ", " 1 ", " 1 ", " 0 ", " 0 ", " 5 ", " 1 ", " 2 "};
    for (int i = 0; i < 9; ++i)
        l[35 + i] = opts[i];
    return l;
}

}  // namespace

TEST(StartupLoader, AFullFileReachesEveryPlaceItsLinesBelong) {
    TestProgram t;
    const QString alphaSound = QDir(t.programDir.path()).filePath("ringout.wav");
    startWith(t, crlf(distinctLines(alphaSound)));
    EXPECT_TRUE(t.dialogs.messages.empty()) << t.dialogs.texts().join("|").toStdString();

    TitleForm& title = formsOf(*t).titleForm();
    EXPECT_EQ(title.Label8->text(), "Loading set-up preferences...");
    EXPECT_EQ(title.TeamText->text(), "3");
    EXPECT_EQ(title.PlayerText->text(), "5");

    // Each menu shows the slots in its own grouping.
    const QStringList five = {"A-team", "p1",  "p2",  "p3",  "p4",  "p5",
                              "B-team", "p6",  "p7",  "p8",  "p9",  "p10",
                              "G-team", "p11", "p12", "p13", "p14", "p15"};
    const QStringList four = {"A-team", "p1", "p2",     "p3", "p4",  "B-team", "p5", "p6",
                              "p7",     "p8", "G-team", "p9", "p10", "p11",    "p12"};
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(menu5(t).Text[i]->text(), five[i]) << "5-player " << i;
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(menu4(t).Text[i]->text(), four[i]) << "4-player " << i;

    EXPECT_EQ(t->state.MatchTime, "12:34");
    const char* const timers[] = {"12:34", "7", "11", "45", "33"};
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(*t).setupMenu(m);
        for (int i = 6; i <= 10; ++i)
            EXPECT_EQ(menu.Texttimer[i]->text(), timers[i - 6]);
        EXPECT_EQ(menu.textincrement[0]->text(), "2");
        EXPECT_EQ(menu.ComboSound->currentIndex(), 2);
        EXPECT_TRUE(menu.mnuSounds->isEnabled()) << "the list's own handler ran";
    }
    for (ScreenPair s : kAllScreens) {
        PlayScreen& screen = formsOf(*t).playScreen(s);
        EXPECT_EQ(screen.clocklabel->text(), "12:34") << screenName(s).toStdString();
        EXPECT_EQ(screen.screenBackColour(), QColor(0, 255, 0));
        EXPECT_EQ(backColour(screen.Labelteam), QColor(0, 255, 0));
        EXPECT_EQ(screen.screenTextColour(), QColor(0x56, 0x34, 0x12));
        EXPECT_EQ(foreColour(screen.Labelteam), QColor(0x56, 0x34, 0x12));
    }

    EXPECT_EQ(t->state.AlphaSound, alphaSound);
    EXPECT_EQ(t->state.BetaSound, t->programFile("ringout.wav"));
    EXPECT_EQ(t->state.GammaSound, "D:\\Sounds\\fanfare.wav");
    EXPECT_EQ(t->state.TimerSound, t->programFile("inactive.wav"));
    EXPECT_EQ(t->state.GameOverSound, t->programFile("sound528.wav"));

    FormOptions& o = options(t);
    EXPECT_EQ(checkValue(o.CheckScoringTabs), 1);
    EXPECT_EQ(checkValue(o.CheckTimerTabs), 2);
    EXPECT_EQ(checkValue(o.CheckBuzzonBonus), 1);
    EXPECT_EQ(checkValue(o.CheckTimerContinues), 1);
    EXPECT_EQ(checkValue(o.CheckScoreBoard), 1);
    EXPECT_EQ(checkValue(o.Check20SecondTab), 2);
    EXPECT_TRUE(t->state.BuzzOnBonus) << "the options' handlers ran";
    EXPECT_FALSE(t->state.StopTimerOnBuzz);
    EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), 5);
}

TEST(StartupLoader, AHeaderDifferingOnlyInCaseIsRejected) {
    TestProgram t;
    QStringList lines = distinctLines("ringin.wav");
    lines[0] = "torvanel setup file";
    startWith(t, crlf(lines));
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, kNotASetupFile);
    EXPECT_TRUE(t.dialogs.messages[0].title.isEmpty());
    EXPECT_EQ(t.dialogs.messages[0].buttons, Dialogs::Buttons::Ok);
    EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), "2");
    EXPECT_EQ(menu5(t).Text[0]->text(), "Alpha");
    EXPECT_EQ(t->state.AlphaSound, t->programFile("ringin.wav")) << "the defaults stand";
    EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), 12);
}

TEST(StartupLoader, AThirtyLineFileKeepsWhatItHadAndReportsTheRest) {
    TestProgram t;
    const QString alphaSound = QDir(t.programDir.path()).filePath("sound528.wav");
    QStringList lines = distinctLines(alphaSound).mid(0, 30);
    startWith(t, crlf(lines));
    EXPECT_EQ(t.dialogs.texts(), QStringList{kReadingError});
    EXPECT_TRUE(t.dialogs.messages[0].title.isEmpty());

    EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), "3");
    EXPECT_EQ(menu5(t).Text[17]->text(), "p15");
    EXPECT_EQ(menu4(t).Texttimer[10]->text(), "33");
    EXPECT_EQ(formsOf(*t).playScreen(ScreenPair::P2_5).screenBackColour(), QColor(0, 255, 0));
    EXPECT_EQ(t->state.AlphaSound, alphaSound);
    EXPECT_EQ(t->state.BetaSound, t->programFile("ringout.wav"));
    EXPECT_EQ(t->state.GammaSound, t->programFile("ringin.wav"));
    EXPECT_EQ(t->state.TimerSound, t->programFile("inactive.wav"));
    EXPECT_EQ(t->state.GameOverSound, t->programFile("sound528.wav"));
    EXPECT_EQ(checkValue(options(t).CheckScoringTabs), 0);
    EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), 12);
}

TEST(StartupLoader, TheSoundSourceLineSelectsBothMenusAndAnUnknownEntryStopsReading) {
    {
        TestProgram t;
        QStringList lines = validLines();
        lines[34] = " 1 ";
        startWith(t, crlf(lines));
        EXPECT_TRUE(t.dialogs.messages.empty());
        EXPECT_EQ(menu4(t).ComboSound->currentIndex(), 1);
        EXPECT_EQ(menu5(t).ComboSound->currentIndex(), 1);
    }
    {
        TestProgram t;
        QStringList lines = validLines();
        lines[34] = " 3 ";
        for (int i = 35; i < 44; ++i)
            lines[i] = " 1 ";
        startWith(t, crlf(lines));
        EXPECT_EQ(t.dialogs.texts(), QStringList{kReadingError});
        EXPECT_EQ(menu4(t).ComboSound->currentIndex(), 0) << "as the menu's creation left it";
        EXPECT_EQ(menu5(t).ComboSound->currentIndex(), 0);
        FormOptions& o = options(t);
        for (QCheckBox* box : {o.CheckScoringTabs, o.CheckTimerTabs, o.CheckBuzzonBonus,
                               o.CheckTimerContinues, o.CheckDisableMatchTimer,
                               o.CheckPlayerWaiting, o.CheckScoreBoard, o.Check20SecondTab}) {
            EXPECT_EQ(checkValue(box), 0) << box->objectName().toStdString();
        }
        EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), 12);
    }
}

TEST(StartupLoader, BadNumbersAreReportedAndNeverApplied) {
    struct Case {
        int line;
        const char* text;
    };
    const Case cases[] = {
        {36, " 3 "},   {44, "-1 "},    {42, " 13 "},        {42, "-2"},
        {37, "70000"}, {38, "-40000"}, {28, "99999999999"}, {29, "-3000000000"},
    };
    for (const Case& c : cases) {
        TestProgram t;
        QStringList lines = validLines();
        for (int i = 35; i < 44; ++i)
            lines[i] = i == 41 ? " 4 " : " 1 ";  // line 42: 4
        lines[c.line - 1] = QString::fromLatin1(c.text);
        startWith(t, crlf(lines));
        EXPECT_EQ(t.dialogs.texts(), QStringList{kReadingError}) << c.line << " " << c.text;
        FormOptions& o = options(t);
        QCheckBox* const boxes[] = {o.CheckScoringTabs,       o.CheckTimerTabs,
                                    o.CheckBuzzonBonus,       o.CheckTimerContinues,
                                    o.CheckDisableMatchTimer, o.CheckPlayerWaiting};
        for (int n = 36; n <= 41; ++n) {
            EXPECT_EQ(checkValue(boxes[n - 36]), n < c.line ? 1 : 0) << c.line << " box " << n;
        }
        EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), c.line > 42 ? 4 : 12);
        EXPECT_EQ(checkValue(o.Check20SecondTab), 0);
        if (c.line == 28) {
            EXPECT_EQ(formsOf(*t).playScreen(ScreenPair::P3_4).screenBackColour(),
                      QColor(0, 0, 255))
                << "the design colour stays";
        }
    }
}

TEST(StartupLoader, ColoursAndCheckValuesTakeTheirLeadingNumber) {
    TestProgram t;
    QStringList lines = validLines();
    lines[27] = "blue sky";
    lines[28] = " 255 plus";
    lines[39] = " 1 ";  // Disable Match Timer
    lines[40] = "1.5";  // Lock up second place: rounds to 2, greyed
    startWith(t, crlf(lines));
    EXPECT_TRUE(t.dialogs.messages.empty());
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(formsOf(*t).playScreen(s).screenBackColour(), QColor(0, 0, 0));
        EXPECT_EQ(formsOf(*t).playScreen(s).screenTextColour(), QColor(255, 0, 0));
    }
    EXPECT_EQ(checkValue(options(t).CheckDisableMatchTimer), 1);
    EXPECT_EQ(checkValue(options(t).CheckPlayerWaiting), 2);
}

TEST(StartupLoader, AnOldWindowsFileKeepsItsAccentsAndFindsTheShippedSounds) {
    TestProgram t;
    const QByteArray original = readBytes(testData("windows1252.txt"));
    ASSERT_FALSE(original.isEmpty());
    startWith(t, original);
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(menu5(t).Text[0]->text(), QStringLiteral("Équipe Rouge"));
    EXPECT_EQ(menu5(t).Text[3]->text(), QStringLiteral("Škoda"));
    EXPECT_EQ(menu5(t).Text[4]->text(), QStringLiteral("Œdipe"));
    EXPECT_EQ(menu4(t).Text[6]->text(), QStringLiteral("Jürgen")) << "slot 5, first Beta box";
    EXPECT_EQ(menu5(t).Text[10]->text(), QStringLiteral("€uro"));
    EXPECT_EQ(menu5(t).Text[17]->text(), QStringLiteral("Ædel"));
    EXPECT_EQ(t->state.AlphaSound, t->programFile("ringin.wav"));
    EXPECT_EQ(t->state.BetaSound, t->programFile("ringout.wav"));
    EXPECT_EQ(t->state.TimerSound, t->programFile("inactive.wav"));

    // Saved again it is the same file, byte for byte, but for the sound
    // paths, which now name this machine's files.
    setup::saveSetupFile(*t, menu4(t));
    const QList<QByteArray> before = splitLines(original);
    const QList<QByteArray> after = splitLines(readBytes(t->startupSetupFile()));
    ASSERT_EQ(after.size(), 45);
    for (int n = 1; n <= 45; ++n) {
        if (n >= 30 && n <= 34) continue;
        EXPECT_EQ(after[n - 1], before[n - 1]) << "line " << n;
    }
    EXPECT_EQ(QString::fromUtf8(after[29]), t->programFile("ringin.wav"));
}

TEST(StartupLoader, AUtf8FileIsReadAsUtf8) {
    TestProgram t;
    QStringList lines = validLines();
    lines[3] = QStringLiteral("Łódź Lions");
    lines[4] = QStringLiteral("李小龙");
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += l.toUtf8() + "\r\n";
    startWith(t, bytes);
    EXPECT_TRUE(t.dialogs.messages.empty());
    EXPECT_EQ(menu4(t).Text[0]->text(), QStringLiteral("Łódź Lions"));
    EXPECT_EQ(menu4(t).Text[1]->text(), QStringLiteral("李小龙"));
}

TEST(StartupLoader, AnEmptyOrUnreadableFileIsAReadingError) {
    {
        TestProgram t;
        startWith(t, QByteArray());
        EXPECT_EQ(t.dialogs.texts(), QStringList{kReadingError});
    }
    {
        TestProgram t;
        ASSERT_TRUE(QDir().mkdir(t->startupSetupFile()));
        formsOf(*t).titleForm().setupfile();
        EXPECT_EQ(t.dialogs.texts(), QStringList{kReadingError});
    }
}
