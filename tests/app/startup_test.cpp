// The start-up road as the operator sees it, with the simulated box and
// scripted message boxes.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>

#include "app/applicationname.h"
#include "app/controls.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setuptestfiles.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

const QString kAllSystemsGo = QStringLiteral("All systems go");

QStringList visibleWindows(Program& p) {
    QStringList shown;
    for (ScreenPair s : kAllScreens) {
        if (formsOf(p).isLoaded(s) && formsOf(p).playScreen(s).isVisible()) shown << screenName(s);
    }
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        if (formsOf(p).isLoaded(m) && formsOf(p).setupMenu(m).isVisible()) shown << menuName(m);
    }
    if (formsOf(p).titleFormLoaded() && formsOf(p).titleForm().isVisible()) shown << "TitleForm";
    return shown;
}

}  // namespace

TEST(StartUp, AllSystemsGoComesFirstWithItsTitle) {
    TestProgram t(170);
    ASSERT_TRUE(t.startUp());
    ASSERT_FALSE(t.dialogs.messages.empty());
    const auto& first = t.dialogs.messages.front();
    EXPECT_EQ(first.text, kAllSystemsGo);
    EXPECT_EQ(first.title, QStringLiteral("Initializtion Completed"));
    EXPECT_EQ(first.icon, Dialogs::Icon::Information);
    EXPECT_EQ(first.buttons, Dialogs::Buttons::Ok);

    TitleForm& title = formsOf(*t).titleForm();
    EXPECT_FALSE(title.isVisible()) << "the title screen is put away once detection is done";
    EXPECT_EQ(title.Label2->text(), QStringLiteral("NTPort Version:  1"));
    EXPECT_EQ(title.Label6->text(), QStringLiteral("Testing for Torvanel Interface..."));
    EXPECT_EQ(title.Label3->text(), QStringLiteral("LPT Port Address:  888"));
    EXPECT_EQ(title.Label4->text(), QStringLiteral("NT Operating System?  False"));
    EXPECT_TRUE(title.Label5->text().startsWith(QStringLiteral("Call to NTPort successful?  ")));
    EXPECT_EQ(title.Label1->text(), QStringLiteral("170"));
    EXPECT_EQ(title.Label7->text(), QStringLiteral("Torvanel Model:  170"));
    EXPECT_EQ(title.LabelKestrane->text(), QStringLiteral("Kestrane"));
    EXPECT_EQ(title.Label8->text(), QStringLiteral("Loading set-up preferences..."));
    EXPECT_EQ(t->state.PortAddress, 888);
    EXPECT_EQ(t->state.InterfaceModel, 170);
    EXPECT_EQ(formsOf(*t).formextrax().Comboxmitter->currentIndex(), 12);
}

// The title screen names what the program runs on while it looks for the
// interface.
TEST(StartUp, TheInterfaceInUseIsNamedOnTheTitleScreen) {
    struct Case {
        const char* description;
        bool simulated;
        const char* named;
    };
    const Case cases[] = {
        {"Simulated interface, model 200 (no hardware in use)", true, "Simulated"},
        {"Buttons on input devices, as model 200", false, "input devices, as model 200"},
    };
    for (const Case& c : cases) {
        TestProgram t(200);
        t->setInterfaceDescription(QString::fromLatin1(c.description), c.simulated);
        bool namedDuringDetection = false;
        t.dialogs.onMessage = [&](const ScriptedDialogs::Shown& shown) {
            if (shown.text == kAllSystemsGo) {
                TitleForm& title = formsOf(*t).titleForm();
                namedDuringDetection =
                    title.isVisible() && !title.LabelInterface->isHidden() &&
                    title.LabelInterface->text().contains(QString::fromLatin1(c.named));
            }
        };
        ASSERT_TRUE(t.startUp());
        EXPECT_TRUE(namedDuringDetection) << c.description;
        EXPECT_EQ(formsOf(*t).titleForm().LabelKestrane->text(), QStringLiteral("Marlowen Tech."));
    }
}

TEST(StartUp, TheTeamAndPlayerCountsChooseTheScreenPair) {
    struct Case {
        const char* teams;
        const char* players;
        ScreenPair screen;
        MenuKind menu;
    };
    const Case cases[] = {
        {"2", "4", ScreenPair::P2_4, MenuKind::Players4},
        {"3", "4", ScreenPair::P3_4, MenuKind::Players4},
        {"2", "5", ScreenPair::P2_5, MenuKind::Players5},
        {"3", "5", ScreenPair::P3_5, MenuKind::Players5},
        // Counts no screen pair has: taken as 2 teams and 4 players each.
        {"4", "4", ScreenPair::P2_4, MenuKind::Players4},
        {"3", "7", ScreenPair::P2_4, MenuKind::Players4},
        {"", "", ScreenPair::P2_4, MenuKind::Players4},
    };
    for (const Case& c : cases) {
        TestProgram t(170);
        TitleForm& title = formsOf(*t).titleForm();
        title.TeamText->setText(QString::fromLatin1(c.teams));
        title.PlayerText->setText(QString::fromLatin1(c.players));
        ASSERT_TRUE(t.startUp());
        EXPECT_EQ(visibleWindows(*t), QStringList({screenName(c.screen), menuName(c.menu)}))
            << c.teams << "/" << c.players;
        EXPECT_EQ(formsOf(*t).playScreen(c.screen).windowTitle(),
                  QString::fromLatin1(playVariant(c.screen).caption));
    }
}

TEST(StartUp, GammaBoxesAreDisabledOnlyForTwoTeamsOfFour) {
    for (const char* teams : {"2", "3"}) {
        TestProgram t(170);
        formsOf(*t).titleForm().TeamText->setText(QString::fromLatin1(teams));
        ASSERT_TRUE(t.startUp());
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
        const bool threeTeams = QLatin1String(teams) == QLatin1String("3");
        for (int i = 0; i <= 14; ++i) {
            const bool gamma = i >= 10;
            EXPECT_EQ(menu.Text[i]->isEnabled(), !gamma || threeTeams)
                << teams << " teams, box " << i;
        }
    }
}

TEST(StartUp, WiredModelsLoseTheLockUpOptionAndTheExtraTransmitter) {
    for (int model : {170, 180, 199, 200, 210}) {
        TestProgram t(model);
        // Switched on beforehand, as a setup file might.
        setCheckValue(formsOf(*t).formOptions().CheckPlayerWaiting, 1);
        ASSERT_TRUE(t.startUp());
        FormOptions& options = formsOf(*t).formOptions();
        const bool wired = model == 180 || model == 210;
        EXPECT_EQ(options.CheckPlayerWaiting->isEnabled(), !wired) << model;
        if (wired) {
            EXPECT_EQ(checkValue(options.CheckPlayerWaiting), 0) << model;
        }
        EXPECT_EQ(formsOf(*t).setupMenu(MenuKind::Players4).mnuextraxmitter->isEnabled(), !wired)
            << model;
        EXPECT_TRUE(formsOf(*t).setupMenu(MenuKind::Players5).mnuextraxmitter->isEnabled())
            << model;
    }
}

TEST(StartUp, TheAlphaSoundIsHeardOnceAfterAllSystemsGo) {
    TestProgram t(170);
    int playedBeforeTheMessage = -1;
    t.dialogs.onMessage = [&](const ScriptedDialogs::Shown& shown) {
        if (shown.text == kAllSystemsGo) playedBeforeTheMessage = t.sound.played.size();
    };
    ASSERT_TRUE(t.startUp());
    EXPECT_EQ(playedBeforeTheMessage, 0);
    ASSERT_EQ(t.sound.played.size(), 1);
    EXPECT_EQ(t.sound.played.front(), t->programFile(QStringLiteral("ringin.wav")));
    EXPECT_EQ(t->state.AlphaSound, t->programFile(QStringLiteral("ringin.wav")));
    EXPECT_EQ(t.dialogs.count(QStringLiteral("Sound card is not available.")), 0);
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        EXPECT_TRUE(formsOf(*t).setupMenu(m).ComboSound->isEnabled());
    }
}

TEST(StartUp, WithoutAnyAudioOutputTheInterfaceSpeakerIsForced) {
    TestProgram t(170);
    t.sound.setAvailable(false);
    ASSERT_TRUE(t.startUp());
    ASSERT_EQ(t.dialogs.count(QStringLiteral("Sound card is not available.")), 1);
    for (const auto& m : t.dialogs.messages) {
        if (m.text == QStringLiteral("Sound card is not available.")) {
            EXPECT_TRUE(m.title.isEmpty());
            EXPECT_EQ(m.buttons, Dialogs::Buttons::Ok);
        }
    }
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = formsOf(*t).setupMenu(m);
        EXPECT_EQ(menu.ComboSound->currentIndex(), 0);
        EXPECT_FALSE(menu.ComboSound->isEnabled());
        EXPECT_FALSE(menu.mnuSounds->isEnabled()) << "no sound-card sounds to choose";
    }
    EXPECT_TRUE(t.sound.played.isEmpty());
}

TEST(StartUp, WithoutAnyAudioOutputNothingLaterBringsTheSoundCardBack) {
    // Model 199's menu asks for the sound card at every activation.
    for (int model : {170, 199}) {
        SCOPED_TRACE(model);
        TestProgram t(model);
        t.sound.setAvailable(false);
        ASSERT_TRUE(t.startUp());
        FormOptions& options = formsOf(*t).formOptions();
        options.CheckPlayerWaiting->click();  // wants the sound card
        options.CheckPlayerWaiting->click();  // wants "Both"
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5})
            formsOf(*t).setupMenu(m).Form_Activate();
        // A setup file asking for both, with the lock-up on.
        QStringList lines = setuptest::validLines();
        lines[34] = QStringLiteral(" 2 ");
        lines[40] = QStringLiteral(" 1 ");
        const QString path = QDir(t.configDir.path()).filePath(QStringLiteral("both.txt"));
        setuptest::writeBytes(path, setuptest::crlf(lines));
        t.dialogs.openAnswers = {path};
        formsOf(*t).setupMenu(MenuKind::Players4).mnuOpen->trigger();
        formsOf(*t).setupMenu(MenuKind::Players4).Form_Activate();

        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            SetupMenu& menu = formsOf(*t).setupMenu(m);
            EXPECT_EQ(menu.ComboSound->currentIndex(), 0) << menuName(m).toStdString();
            EXPECT_FALSE(menu.ComboSound->isEnabled()) << menuName(m).toStdString();
        }
    }
}

TEST(StartUp, WindowTitlesAreTheCaptionsAlone) {
    nameApplication();
    // Qt adds a display name, once one is given, to every window's title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("torvanel"));
}

TEST(StartUp, CancelWhenNoInterfaceAnswersEndsTheProgram) {
    TestProgram t(170);
    t.box.setSilent(true);
    t.dialogs.answers = {Dialogs::Answer::Retry, Dialogs::Answer::Cancel};
    EXPECT_FALSE(t.startUp());
    EXPECT_EQ(t.ends, 1);
    ASSERT_EQ(t.dialogs.messages.size(), 2u);
    for (const auto& m : t.dialogs.messages) {
        EXPECT_EQ(m.title, QStringLiteral("Torvanel Interface not found."));
        EXPECT_EQ(m.icon, Dialogs::Icon::Critical);
        EXPECT_EQ(m.buttons, Dialogs::Buttons::RetryCancel);
        EXPECT_TRUE(
            m.text.startsWith(QStringLiteral("Can't continue until interface problem is "
                                             "corrected.  Check power and cable")));
    }
    EXPECT_EQ(t.dialogs.count(kAllSystemsGo), 0);
    EXPECT_FALSE(formsOf(*t).isLoaded(ScreenPair::P2_4));
    EXPECT_EQ(t.box.addressQueries(), 2) << "Retry asks the port layer again";
}
