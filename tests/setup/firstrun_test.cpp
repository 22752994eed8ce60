// The first run: no start-up file yet, so the operator picks a preset.
#include <gtest/gtest.h>

#include <QDir>

#include "menu/loader.h"
#include "menu/setupmenu.h"
#include "setup/setupreader.h"
#include "setup/setuptestfiles.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace setuptest;

namespace {

const QString kWelcome = QStringLiteral(
    "Thanks for chosing Torvanel. To assist you in configuring your system for the competition "
    "rules in your area, please select your state if shown or a generic configuration from the "
    "list about to be show.  These choices will be saved in a set up file TVLSETUP.TXT and can "
    "be modified later.");
const QString kNotFound =
    QStringLiteral("The set-up file TVLSETUP.TXT was not found.  Loading default system settings");
const QString kCreateFailed = QStringLiteral(
    "An error occured while attempting to initially create the set up file TVLSETUP.TXT.  "
    "Program will continue using its default setup values.");

QString shippedPreset(const char* name) {
    return QDir(QStringLiteral(TORVANEL_ASSETS_DIR "/presets")).filePath(QString::fromLatin1(name));
}

// The file first-run creation writes when no preset is applied.
QList<QByteArray> defaultStartupFile(TestProgram& t) {
    QStringList lines = validLines();
    const char* const sounds[] = {"ringin.wav", "ringout.wav", "ringin.wav", "inactive.wav",
                                  "sound528.wav"};
    for (int i = 0; i < 5; ++i)
        lines[29 + i] = t->programFile(sounds[i]);
    lines[34] = "0";
    QList<QByteArray> bytes;
    for (const QString& l : lines)
        bytes << l.toUtf8();
    return bytes;
}

}  // namespace

TEST(FirstRun, APresetIsAppliedAndBecomesTheStartupFile) {
    TestProgram t;
    const QString preset = shippedPreset("generic-3-teams-of-5.txt");
    t.dialogs.openAnswers = {preset};
    ASSERT_TRUE(t.startUp());

    ASSERT_EQ(t.dialogs.messages.size(), 2u) << t.dialogs.texts().join("|").toStdString();
    EXPECT_EQ(t.dialogs.messages[0].text, "All systems go");
    const auto& welcome = t.dialogs.messages[1];
    EXPECT_EQ(welcome.text, kWelcome);
    EXPECT_EQ(welcome.title, "File not found");
    EXPECT_EQ(welcome.icon, Dialogs::Icon::Warning);
    EXPECT_EQ(welcome.buttons, Dialogs::Buttons::Ok);

    ASSERT_EQ(t.dialogs.openRequests.size(), 1u);
    const Dialogs::FileRequest& asked = t.dialogs.openRequests[0];
    EXPECT_TRUE(asked.title.isEmpty());
    EXPECT_EQ(asked.filter, "Setup Files|*.txt");
    EXPECT_EQ(asked.folder, t.programDir.path());
    EXPECT_EQ(asked.fileName, "tvlsetup.txt");

    EXPECT_EQ(visibleWindows(*t), QStringList({"Playscreen3_5", "FrmMenu3_5"}));
    // The preset chose both speaker and sound card; that holds for this run,
    // but the start-up file leaves the interface speaker.
    EXPECT_EQ(formsOf(*t).setupMenu(MenuKind::Players5).ComboSound->currentIndex(), 2);
    EXPECT_EQ(formsOf(*t).setupMenu(MenuKind::Players4).ComboSound->currentIndex(), 2);
    const QList<QByteArray> written = splitLines(readBytes(t->startupSetupFile()));
    const QList<QByteArray> shipped = splitLines(readBytes(preset));
    ASSERT_EQ(written.size(), 45);
    ASSERT_EQ(shipped.size(), 45);
    EXPECT_EQ(shipped[34], " 2 ");
    EXPECT_EQ(written[34], "0");
    for (int n = 1; n <= 45; ++n) {
        if (n == 35 || (n >= 30 && n <= 34)) continue;
        EXPECT_EQ(written[n - 1], shipped[n - 1]) << "line " << n;
    }
    EXPECT_EQ(QString::fromUtf8(written[29]), t->programFile("ringin.wav"));

    // The next start reads it without asking.
    TestProgram next;
    writeBytes(next->startupSetupFile(), readBytes(t->startupSetupFile()));
    ASSERT_TRUE(next.startUp());
    EXPECT_EQ(next.dialogs.texts(), QStringList{"All systems go"});
    EXPECT_EQ(visibleWindows(*next), QStringList({"Playscreen3_5", "FrmMenu3_5"}));
    EXPECT_EQ(formsOf(*next).setupMenu(MenuKind::Players5).ComboSound->currentIndex(), 0);
}

TEST(FirstRun, EveryShippedPresetIsACompleteSetupFile) {
    const QDir presets(QStringLiteral(TORVANEL_ASSETS_DIR "/presets"));
    const QStringList files = presets.entryList({"*.txt"}, QDir::Files);
    EXPECT_GE(files.size(), 3);
    for (const QString& name : files) {
        const QByteArray bytes = readBytes(presets.filePath(name));
        EXPECT_EQ(splitLines(bytes).size(), 45) << name.toStdString();
        EXPECT_EQ(bytes.count("\r\n"), 45) << name.toStdString();
        EXPECT_EQ(bytes.count('\n'), 45) << name.toStdString();

        TestProgram t;
        const setup::LoadResult result = setup::loadSetupFile(*t, presets.filePath(name));
        EXPECT_EQ(result.outcome, setup::LoadResult::Outcome::Loaded) << name.toStdString();
        for (const QString* sound :
             {&t->state.AlphaSound, &t->state.BetaSound, &t->state.GammaSound, &t->state.TimerSound,
              &t->state.GameOverSound}) {
            EXPECT_TRUE(QFileInfo(*sound).isFile())
                << name.toStdString() << ": " << sound->toStdString();
        }
    }
}

TEST(FirstRun, WithoutAPresetTheDefaultsAreWritten) {
    struct Case {
        const char* name;
        QString preset;  // empty: the dialog is cancelled
        QStringList messages;
    };
    const QString missing = QStringLiteral("/nonexistent/no such preset.txt");
    const Case cases[] = {
        {"cancelled", QString(), {kWelcome, kNotFound}},
        {"missing file", missing, {kWelcome, kNotFound}},
        {"wrong header",
         "wrong",
         {kWelcome, "File corrupt or not an Torvanel Setup File.  Loading default settings."}},
    };
    for (const Case& c : cases) {
        TestProgram t;
        if (c.preset == "wrong") {
            QStringList lines = validLines();
            lines[0] = "Setup File";
            lines[1] = "3";
            const QString path = QDir(t.programDir.path()).filePath("odd.txt");
            writeBytes(path, crlf(lines));
            t.dialogs.openAnswers = {path};
        } else if (!c.preset.isEmpty()) {
            t.dialogs.openAnswers = {c.preset};
        }
        formsOf(*t).titleForm().setupfile();
        EXPECT_EQ(t.dialogs.texts(), c.messages) << c.name;
        if (c.messages.size() == 2 && c.messages[1] == kNotFound) {
            EXPECT_EQ(t.dialogs.messages[1].title, "File not found");
            EXPECT_EQ(t.dialogs.messages[1].icon, Dialogs::Icon::Warning);
        }
        EXPECT_EQ(splitLines(readBytes(t->startupSetupFile())), defaultStartupFile(t)) << c.name;
    }
}

TEST(FirstRun, ABrokenPresetLeavesNoStartupFile) {
    TestProgram t;
    QStringList lines = validLines().mid(0, 30);
    lines[1] = "3";
    const QString path = QDir(t.programDir.path()).filePath("short.txt");
    writeBytes(path, crlf(lines));
    t.dialogs.openAnswers = {path};
    formsOf(*t).titleForm().setupfile();
    EXPECT_EQ(t.dialogs.texts(), QStringList({kWelcome, kCreateFailed}));
    EXPECT_FALSE(QFileInfo::exists(t->startupSetupFile())) << "the next start asks again";
    EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), "3") << "what was read stays applied";
}

TEST(FirstRun, AConfigurationFolderThatCannotBeWrittenIsReported) {
    TestProgram t;
    ASSERT_TRUE(t.configDir.remove());
    formsOf(*t).titleForm().setupfile();
    EXPECT_EQ(t.dialogs.texts(), QStringList({kWelcome, kNotFound, kCreateFailed}));
}
