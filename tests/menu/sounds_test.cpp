// Choosing the wave files and the play-screen colours from a set-up menu.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/controls.h"
#include "menurig.h"

using namespace menutest;

namespace {

using Answer = Dialogs::Answer;

struct SoundItem {
    const char* name;
    void (SetupMenu::*choose)();
    QString ProgramState::*variable;
    const char* title;
    bool teamSound;  // starts in the program folder with no name
};

const SoundItem kItems[] = {
    {"Alpha", &SetupMenu::menuAlphaSnd_Click, &ProgramState::AlphaSound, "Alpha Team Buzz-in Sound",
     true},
    {"Beta", &SetupMenu::mnuBetaSnd_Click, &ProgramState::BetaSound, "Beta Team Buzz-in Sound",
     true},
    {"Gamma", &SetupMenu::mnuGammaSnd_Click, &ProgramState::GammaSound, "Gamma Team Buzz-in Sound",
     true},
    {"Timer", &SetupMenu::mnuTimerSnd_Click, &ProgramState::TimerSound, "Time-Up Sound", false},
    {"GameOver", &SetupMenu::mnuGameSnd_Click, &ProgramState::GameOverSound, "Game-Over Sound",
     false},
};

const QString kLike = QStringLiteral("Like this sound?");

// A wave file of the operator's own, outside the program folder.
QString ownSound(const QTemporaryDir& dir, const QString& name) {
    QString path = QDir(dir.path()).filePath(name);
    setuptest::writeBytes(path, QByteArray("RIFF\0\0\0\0WAVE", 12));
    return path;
}

}  // namespace

TEST(Sounds, YesKeepsThePreviewedFile) {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        for (const SoundItem& item : kItems) {
            StartedProgram p;
            QTemporaryDir own;
            const QString chosen = ownSound(own, QStringLiteral("my bell.wav"));
            SetupMenu& menu = p.menu(m);
            // Where the dialog was left by an earlier use for a sound.
            menu.cd1test.filter = QStringLiteral("Sound Files|*.wav");
            menu.cd1test.folder = QStringLiteral("/somewhere");
            menu.cd1test.fileName = QStringLiteral("/somewhere/before.wav");
            p.t.dialogs.openAnswers = {chosen};
            p.t.dialogs.answers = {Answer::Yes};
            p.t.dialogs.onMessage = [&](const ScriptedDialogs::Shown&) {
                // The preview is playing while the question is up.
                EXPECT_EQ(p.t.sound.played, QStringList({chosen}));
                EXPECT_EQ(p.t.sound.stops, 0);
            };

            (menu.*item.choose)();
            const std::string where = menuName(m).toStdString() + " " + item.name;
            EXPECT_EQ(p.t->state.*item.variable, chosen) << where;
            EXPECT_EQ(p.t.sound.stops, 1) << where << ": the preview stops with the answer";
            ASSERT_EQ(p.t.dialogs.openRequests.size(), 1u) << where;
            const Dialogs::FileRequest& asked = p.t.dialogs.openRequests.front();
            EXPECT_EQ(asked.filter, QStringLiteral("Sound Files|*.wav")) << where;
            EXPECT_EQ(asked.title, QStringLiteral("Open Set-up Prefences")) << where;
            if (item.teamSound) {
                EXPECT_EQ(asked.folder, p.t->paths.programFolder) << where;
                EXPECT_TRUE(asked.fileName.isEmpty()) << where;
            } else {
                EXPECT_EQ(asked.folder, QStringLiteral("/somewhere")) << where;
                EXPECT_EQ(asked.fileName, QStringLiteral("/somewhere/before.wav")) << where;
            }
            ASSERT_EQ(p.t.dialogs.messages.size(), 1u) << where;
            EXPECT_EQ(p.t.dialogs.messages[0].text, kLike);
            EXPECT_EQ(p.t.dialogs.messages[0].title, QString::fromLatin1(item.title)) << where;
            EXPECT_EQ(p.t.dialogs.messages[0].buttons, Dialogs::Buttons::YesNoCancel);
            // The next use starts where this one ended.
            EXPECT_EQ(menu.cd1test.fileName, chosen) << where;
            EXPECT_EQ(menu.cd1test.folder, own.path()) << where;
        }
    }
}

// Open and Save As start at the start-up file, in the configuration folder;
// a sound dialog after them starts where the sounds ship, as it does first.
TEST(Sounds, AfterASetupFileDialogEverySoundStartsWhereTheSoundsShip) {
    for (const bool afterOpen : {false, true}) {
        for (const SoundItem& item : kItems) {
            StartedProgram p;
            SetupMenu& menu = p.menu4();
            if (afterOpen) {
                p.t.dialogs.openAnswers = {p.t->startupSetupFile()};
                menu.mnuOpen->trigger();
                p.t.dialogs.openRequests.clear();
                p.t.dialogs.messages.clear();
            }
            p.t.dialogs.answers = {Answer::Cancel};
            p.t.dialogs.openAnswers = {QString()};
            (menu.*item.choose)();
            ASSERT_EQ(p.t.dialogs.openRequests.size(), 1u) << item.name;
            EXPECT_EQ(p.t.dialogs.openRequests.front().folder, p.t->paths.programFolder)
                << item.name << (afterOpen ? " after Open" : " first");
        }
    }
}

TEST(Sounds, NoAsksAgainUntilYesOrCancel) {
    struct Case {
        std::vector<Answer> answers;
        int takes;  // which file is kept (index into the files), -1 none
    };
    const Case cases[] = {
        {{Answer::No, Answer::Yes}, 1},
        {{Answer::No, Answer::No, Answer::Yes}, 2},
        {{Answer::No, Answer::Cancel}, -1},
        {{Answer::Cancel}, -1},
    };
    for (const Case& c : cases) {
        StartedProgram p;
        QTemporaryDir own;
        const QStringList files = {ownSound(own, "a.wav"), ownSound(own, "b.wav"),
                                   ownSound(own, "c.wav")};
        const QString before = p.t->state.BetaSound;
        for (const QString& f : files)
            p.t.dialogs.openAnswers.push_back(f);
        for (Answer a : c.answers)
            p.t.dialogs.answers.push_back(a);

        p.menu4().mnuBetaSnd_Click();
        const int rounds = static_cast<int>(c.answers.size());
        EXPECT_EQ(static_cast<int>(p.t.dialogs.openRequests.size()), rounds);
        EXPECT_EQ(p.t.dialogs.count(kLike), rounds);
        EXPECT_EQ(p.t.sound.played, files.mid(0, rounds));
        EXPECT_EQ(p.t.sound.stops, rounds);
        EXPECT_EQ(p.t->state.BetaSound, c.takes < 0 ? before : files[c.takes]);
        // A team sound's dialog opens in the program folder every time.
        for (const auto& asked : p.t.dialogs.openRequests) {
            EXPECT_EQ(asked.folder, p.t->paths.programFolder);
            EXPECT_TRUE(asked.fileName.isEmpty());
        }
    }
}

TEST(Sounds, CancellingTheFileDialogKeepsTheSoundAndAsksNothing) {
    for (const SoundItem& item : kItems) {
        StartedProgram p;
        const QString before = p.t->state.*item.variable;
        ASSERT_FALSE(before.isEmpty());
        p.t.dialogs.openAnswers = {std::nullopt};
        (p.menu4().*item.choose)();
        EXPECT_EQ(p.t->state.*item.variable, before) << item.name;
        EXPECT_TRUE(p.t.dialogs.messages.empty()) << item.name;
        EXPECT_TRUE(p.t.sound.played.isEmpty()) << item.name;
    }
}

TEST(Sounds, AFileThatCannotBeReadKeepsTheSound) {
    StartedProgram p;
    const QString before = p.t->state.TimerSound;
    p.t.dialogs.openAnswers = {QDir(p.t.programDir.path()).filePath("gone.wav")};
    p.menu5().mnuTimerSnd_Click();
    EXPECT_EQ(p.t->state.TimerSound, before);
    ASSERT_EQ(p.t.dialogs.messages.size(), 1u);
    EXPECT_TRUE(p.t.dialogs.messages[0].text.startsWith(
        QStringLiteral("An error occured opening the sound file.  Program will continue with "
                       "current sound.\n")));
    EXPECT_TRUE(p.t.dialogs.messages[0].title.isEmpty());
    EXPECT_TRUE(p.t.sound.played.isEmpty());
}

TEST(Sounds, TheChosenSoundIsWhatTheScreenPlays) {
    StartedProgram p;
    QTemporaryDir own;
    const QString chosen = ownSound(own, "buzzer.wav");
    p.menu4().ComboSound->setCurrentIndex(1);
    p.t.dialogs.openAnswers = {chosen};
    p.t.dialogs.answers = {Answer::Yes};
    p.menu4().mnuTimerSnd_Click();
    p.t.sound.played.clear();
    PlayScreen& screen = p.screen(ScreenPair::P2_4);
    screen.tossUpStart();
    for (int i = 0; i < 10 && screen.Timer1->isActive(); ++i)
        screen.Timer1_Timer();
    EXPECT_EQ(screen.namelabel->text(), QStringLiteral("Timer Expired"));
    EXPECT_EQ(p.t.sound.played, QStringList({chosen}));
}

TEST(Sounds, TheSubmenuIsOffWithTheInterfaceSpeakerAlone) {
    StartedProgram p;
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = p.menu(m);
        for (int entry : {0, 1, 2, 0}) {
            operatorPicks(menu.ComboSound, entry);
            EXPECT_EQ(menu.mnuSounds->isEnabled(), entry != 0) << entry;
        }
    }
}

TEST(Colours, ACancelledDialogChangesNoColour) {
    for (bool background : {true, false}) {
        StartedProgram p;
        std::vector<std::pair<QColor, QColor>> before;
        for (ScreenPair s : kAllScreens) {
            before.emplace_back(p.screen(s).screenBackColour(), p.screen(s).screenTextColour());
        }
        p.t.dialogs.colourAnswers = {std::nullopt};
        SetupMenu& menu = p.menu4();
        background ? menu.mnubackgroundcolor_Click() : menu.mnutextcolor_Click();
        EXPECT_EQ(p.t.dialogs.colourRequests, 1);
        for (size_t i = 0; i < 4; ++i) {
            PlayScreen& screen = p.screen(kAllScreens[i]);
            EXPECT_EQ(screen.screenBackColour(), before[i].first) << background;
            EXPECT_EQ(screen.screenTextColour(), before[i].second) << background;
        }
    }
}

TEST(Colours, AChosenColourReachesAllFourScreensShownOrNot) {
    StartedProgram p;
    p.menu5().CommandHide->click();  // three screens unloaded
    TestProgram::flushDeletes();
    const QColor back(12, 140, 60);
    const QColor text(250, 240, 10);
    p.t.dialogs.colourAnswers = {back, text};
    p.menu5().mnubackgroundcolor_Click();
    p.menu5().mnutextcolor_Click();
    for (ScreenPair s : kAllScreens) {
        PlayScreen& screen = p.screen(s);
        const std::string where = screenName(s).toStdString();
        EXPECT_EQ(screen.screenBackColour(), back) << where;
        for (QWidget* w :
             {static_cast<QWidget*>(screen.Labelteam),
              static_cast<QWidget*>(screen.Labeltimerstate), static_cast<QWidget*>(screen.Label2),
              static_cast<QWidget*>(screen.Label3)}) {
            EXPECT_EQ(backColour(w), back) << where << " " << w->objectName().toStdString();
        }
        EXPECT_EQ(foreColour(screen.namelabel), text) << where;
        EXPECT_EQ(foreColour(screen.Labelteam), text) << where;
    }
    // Save writes the colours the screens now carry.
    p.menu5().mnuSave->trigger();
    const QList<QByteArray> lines =
        setuptest::splitLines(setuptest::readBytes(p.t->startupSetupFile()));
    ASSERT_GE(lines.size(), 29);
    EXPECT_EQ(lines[27].trimmed().toInt(), bgrFromColour(back));
    EXPECT_EQ(lines[28].trimmed().toInt(), bgrFromColour(text));
}

TEST(Colours, AScreenMadeAfreshAfterHideKeepsTheChosenColours) {
    StartedProgram p;  // two teams of four
    const QColor back(12, 140, 60);
    const QColor text(250, 240, 10);
    p.t.dialogs.colourAnswers = {back, text};
    p.menu4().mnubackgroundcolor_Click();
    p.menu4().mnutextcolor_Click();
    const QColor teamText = foreColour(p.screen(ScreenPair::P2_4).Labelteam);
    p.menu4().CommandHide->click();  // Playscreen3_4 and the 5-player screens go
    TestProgram::flushDeletes();

    // Save reads the colours from Playscreen3_4, made afresh here.
    p.menu4().mnuSave->trigger();
    const QList<QByteArray> lines =
        setuptest::splitLines(setuptest::readBytes(p.t->startupSetupFile()));
    ASSERT_GE(lines.size(), 29);
    EXPECT_EQ(lines[27].trimmed().toInt(), bgrFromColour(back));
    EXPECT_EQ(lines[28].trimmed().toInt(), bgrFromColour(text));
    for (ScreenPair s : kAllScreens) {
        EXPECT_EQ(p.screen(s).screenBackColour(), back) << screenName(s).toStdString();
        EXPECT_EQ(p.screen(s).screenTextColour(), text) << screenName(s).toStdString();
        EXPECT_EQ(foreColour(p.screen(s).Labelteam), teamText) << screenName(s).toStdString();
    }
}

TEST(Colours, AScreenMadeAfreshWithoutAChoiceKeepsItsDesignColours) {
    StartedProgram p;
    PlayScreen& kept = p.screen(ScreenPair::P2_4);
    const QColor name = foreColour(kept.namelabel);
    const QColor team = foreColour(kept.Labelteam);
    ASSERT_NE(name, team);
    p.menu4().CommandHide->click();
    TestProgram::flushDeletes();
    PlayScreen& fresh = p.screen(ScreenPair::P3_5);
    EXPECT_EQ(foreColour(fresh.namelabel), name);
    EXPECT_EQ(foreColour(fresh.Labelteam), team);
    EXPECT_EQ(fresh.screenBackColour(), kept.screenBackColour());
}
