// The whole road with buttons on input devices: the operator assigns them
// in the window, the assignment is saved, and scripted presses reach the
// play screen through the handshake-free poll, the bit-serial read, the
// decoder and the second-place lock-up, as a name on the screen.
#include <gtest/gtest.h>

#include <deque>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "app/controls.h"
#include "app/program.h"
#include "buttons/assignbuttons.h"
#include "buttons/inputbuttons.h"
#include "buttonsrig.h"
#include "check/buttoncheck.h"
#include "check/buttoncheckwindow.h"
#include "link/decoders.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playfixture.h"
#include "play/playscreen.h"
#include "scoresheet/scoresheetui.h"
#include "shell/capabilities.h"
#include "support/recordingsound.h"
#include "support/scripteddialogs.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

const QStringList kNames{"One", "Two", "Three", "Four", "Five", "Six", "Seven", "Eight"};

// A program on the input box, 2 teams of 4, model 200.
struct ButtonRoad {
    ButtonRoad()
        : program(rig.box, rig.clock, sound, dialogs, rig.random,
                  ProgramPaths{programDir.path(), configDir.path()}),
          forms(program),
          screen((program.state.PortAddress = 888, program.state.InterfaceModel = 200,
                  formsOf(program).playScreen(ScreenPair::P2_4))),
          menu(formsOf(program).setupMenu(MenuKind::Players4)) {
        installCapabilities(program);
        rig.box.setAssignment({});
        for (int p = 1; p <= 8; ++p)
            menu.playerNameBox(p)->setText(kNames[p - 1]);
        formsOf(program).formextrax().Comboxmitter->setCurrentIndex(buzzlink::kExtraNotInUse);
    }
    ~ButtonRoad() { forms.unloadAll(); }

    void tick() {
        if (screen.porttimer->isActive()) screen.porttimer_Timer();
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            rig.clock.advance(0.1);
            tick();
        }
    }

    ButtonsRig rig;
    RecordingSound sound;
    ScriptedDialogs dialogs;
    QTemporaryDir programDir;
    QTemporaryDir configDir;
    Program program;
    Forms forms;
    PlayScreen& screen;
    SetupMenu& menu;
};

}  // namespace

TEST(ButtonRoad, AssignedButtonsBuzzInByTimestampAndTheRunnerUpIsHeld) {
    ButtonRoad road;
    auto& rig = road.rig;

    // --- Assigning: each player by name, one press each -----------------
    AssignButtons window(road.program, rig.box, ScreenPair::P2_4);
    window.show();
    EXPECT_EQ(window.Labelprompt->text(), QStringLiteral("press One's button"));
    EXPECT_FALSE(rig.source.isGrabbed(ButtonsRig::kA)) << "assigning grabs nothing";
    // Pad A's four buttons for One to Four, pad B's for Five to Eight;
    // Six is skipped at first and redone at the end.
    for (int p = 1; p <= 8; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(window.Labelprompt->text(),
                  QStringLiteral("press %1's button").arg(kNames[p - 1]));
        if (p == 6) {
            window.CommandSkip->click();
            continue;
        }
        rig.press(p, rig.now());
        window.readPresses();
    }
    EXPECT_EQ(window.asking(), AssignButtons::kNobody);
    window.Listbindings->setCurrentItem(window.Listbindings->topLevelItem(5));
    EXPECT_EQ(window.Listbindings->currentItem()->text(1), QStringLiteral("(none)"));
    window.CommandRedo->click();
    EXPECT_EQ(window.Labelprompt->text(), QStringLiteral("press Six's button"));
    rig.press(6, rig.now());
    window.readPresses();
    window.CommandExtra->click();
    rig.source.key(ButtonsRig::kB, ButtonsRig::kKey0 + 4, rig.us(rig.now()));
    window.readPresses();
    EXPECT_EQ(window.Listbindings->topLevelItem(8)->text(1),
              QStringLiteral("Buzzer pad 2, key 292"));
    EXPECT_EQ(window.Listbindings->topLevelItemCount(), 9);
    EXPECT_TRUE(rig.box.assignment().empty()) << "nothing counts until it is saved";
    ASSERT_TRUE(window.save());
    window.close();
    QString error;
    const auto saved =
        buttons::ButtonAssignment::load(AssignButtons::filePath(road.program), &error);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->bindings().size(), 9u);
    EXPECT_TRUE(rig.source.isGrabbed(ButtonsRig::kB)) << "in the match the pads are ours alone";
    EXPECT_TRUE(road.dialogs.messages.empty());

    // --- A question: pad B is read first, pad A pressed first -------------
    InputButtons operatorSide(road.program, rig.box);
    setCheckValue(formsOf(road.program).formOptions().CheckPlayerWaiting, 1);
    road.screen.spacekey();
    road.tick();
    const double armed = rig.now();
    rig.press(6, armed + 0.030);  // Beta, third
    rig.press(2, armed + 0.025);  // Alpha, second: Three's team mate
    rig.press(3, armed + 0.020);  // Alpha, first
    road.ticks(1);
    EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Three"));
    EXPECT_EQ(road.screen.ResponderNumber, 3);
    // The screen keeps polling for second place: Two is passed over (same
    // team), Six is held and the poll stops.
    road.ticks(3);
    EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Three"));
    EXPECT_FALSE(road.screen.porttimer->isActive());
    EXPECT_EQ(rig.box.buzzes().at(0).nextTransmitter, 2);
    EXPECT_DOUBLE_EQ(rig.box.buzzes().at(0).nextAfterMs, 5.0);
    // The operator's line: who came next, then the screen's own word on the
    // held respondent.
    QCoreApplication::processEvents();
    EXPECT_EQ(road.menu.decisionLine->text(),
              QStringLiteral("Three first; next Two, 5.0 ms later. Second place: Six is waiting."));
    // The operator clears with the mouse: the held player is shown.
    rig.clock.advance(1.5);
    PlayFixture::press(road.screen.namelabel, Qt::LeftButton);
    EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Six"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(road.menu.decisionLine->text().isEmpty()) << "cleared with the screen";

    // --- Next question, lock-up off: the lock-out loses the late press ----
    rig.clock.advance(3.0);
    setCheckValue(formsOf(road.program).formOptions().CheckPlayerWaiting, 0);
    road.screen.spacekey();
    road.tick();
    rig.press(8, rig.now() + 0.01);
    rig.press(1, rig.now() + 0.02);
    road.ticks(1);
    EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Eight"));
    EXPECT_FALSE(road.screen.porttimer->isActive());
    QCoreApplication::processEvents();
    EXPECT_EQ(road.menu.decisionLine->text(),
              QStringLiteral("Eight first; next One, 10 ms later."));
    rig.clock.advance(2.0);
    road.screen.spacekey();
    road.ticks(3);
    EXPECT_TRUE(road.screen.namelabel->text().isEmpty()) << "One's press was in the lock-out";
    EXPECT_TRUE(road.dialogs.messages.empty());
}

TEST(ButtonRoad, TheOperatorAssignsFromTheMenusAndReadsWhoCameNext) {
    ButtonRoad road;
    auto& rig = road.rig;
    formsOf(road.program).titleForm().PlayerText->setText(QStringLiteral("4"));
    SetupMenu& five = formsOf(road.program).setupMenu(MenuKind::Players5);
    EXPECT_FALSE(road.menu.findChild<QAction*>(QStringLiteral("mnuAssignButtons"))->isEnabled())
        << "not with a lockout box";

    auto buttons = std::make_unique<InputButtons>(road.program, rig.box);
    for (SetupMenu* m : {&road.menu, &five}) {
        emit m->mnuMatch->aboutToShow();
        EXPECT_TRUE(m->findChild<QAction*>(QStringLiteral("mnuAssignButtons"))->isEnabled());
    }
    // Nothing assigned yet: offered once start-up is over.
    road.dialogs.answers = {Dialogs::Answer::Yes};
    buttons->offerToAssign();
    AssignButtons* window = buttons->assignWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->Labelprompt->text(), QStringLiteral("press One's button"));
    // The operator's Tab and Alt on any keyboard are not buttons.
    rig.source.key(ButtonsRig::kA, 15, rig.us(rig.now()));
    rig.source.key(ButtonsRig::kA, 56, rig.us(rig.now()));
    window->readPresses();
    EXPECT_EQ(window->asking(), 1);
    rig.press(1, rig.now());
    rig.press(2, rig.now() + 0.001);
    window->readPresses();
    // Closing asks about what is not saved: Cancel stays, Yes saves.
    road.dialogs.answers = {Dialogs::Answer::Cancel};
    window->close();
    EXPECT_TRUE(window->isVisible());
    road.dialogs.answers = {Dialogs::Answer::Yes};
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(rig.box.assignment().bindings().size(), 2u);
    EXPECT_EQ(road.dialogs.messages.size(), 3u);

    // The other menu's item opens the window afresh, already knowing them.
    five.findChild<QAction*>(QStringLiteral("mnuAssignButtons"))->trigger();
    ASSERT_TRUE(buttons->assignWindow()->isVisible());
    EXPECT_EQ(buttons->assignWindow()->Labelprompt->text(), QStringLiteral("press Three's button"));
    buttons->assignWindow()->close();
    EXPECT_EQ(road.dialogs.messages.size(), 3u) << "nothing new, nothing asked";
    buttons->offerToAssign();
    EXPECT_EQ(road.dialogs.messages.size(), 3u) << "assigned: not offered again";

    // A buzz-in: the operator's line says who pressed next and how much later.
    QStringList lines;
    QObject::connect(buttons.get(), &InputButtons::noted,
                     [&](const QString& line) { lines << line; });
    // Second place is held: Two is offered to the capture after One, which
    // is not a buzz-in of its own.
    setCheckValue(formsOf(road.program).formOptions().CheckPlayerWaiting, 1);
    road.screen.recordMatchStarted(QStringLiteral("start-up"));
    road.screen.spacekey();
    road.tick();
    rig.press(2, rig.now() + 0.0125);
    rig.press(1, rig.now() + 0.010);
    road.ticks(3);
    EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("One"));
    EXPECT_EQ(rig.box.buzzes().size(), 2u);
    EXPECT_EQ(lines, QStringList{QStringLiteral("One first; next Two, 2.5 ms later.")});
    QCoreApplication::processEvents();
    for (SetupMenu* m : {&road.menu, &five})
        EXPECT_EQ(m->decisionLine->text(), lines.back());
    // The scoresheet keeps the gap with the match's lockout notes.
    EXPECT_EQ(scoresheet::installedScoresheet(road.program)->model().sheet().lockoutNotes,
              QStringList({QStringLiteral("Two held in second place"),
                           QStringLiteral("One pressed first; Two next, 2.5 ms later")}));

    // Pad A is pulled out: named once over the set-up menu, which keeps the
    // focus and the match going.
    rig.source.unplug(ButtonsRig::kA);
    EXPECT_TRUE(buttons->pumpTimer.isActive()) << "read between polls too";
    rig.box.pump();
    rig.box.pump();
    const auto notices = road.menu.findChildren<QMessageBox*>(QStringLiteral("buttonsNotice"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0]->isVisible());
    EXPECT_FALSE(notices[0]->isModal());
    EXPECT_TRUE(notices[0]->text().contains(QStringLiteral("unplugged: Buzzer pad 1")));

    // A broken file is named; the buttons in use stay.
    QFile file(AssignButtons::filePath(road.program));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ not json");
    file.close();
    buttons->loadAssignment();
    EXPECT_TRUE(road.dialogs.messages.back().text.contains(QStringLiteral("could not be read")));
    EXPECT_EQ(rig.box.assignment().bindings().size(), 2u);

    buttons.reset();
    EXPECT_FALSE(InputButtons::of(road.program) != nullptr);
}

TEST(ButtonRoad, WithTheLockUpOnTheScreenNeverStopsPollingAndEveryQuestionIsFresh) {
    // Nobody else presses after the first respondent, so the screen polls
    // on through the operator's clear: the box cannot see the question
    // end, and the same player must still buzz in the next one.
    ButtonRoad road;
    auto& rig = road.rig;
    buttons::ButtonAssignment a;
    for (int p = 1; p <= 8; ++p)
        a.bind(rig.pad(p <= 4 ? 1 : 2).identity, "Buzzer pad", ButtonsRig::kKey0 + (p - 1) % 4, p);
    rig.box.setAssignment(a);
    InputButtons buttons(road.program, rig.box);
    QStringList lines;
    QObject::connect(&buttons, &InputButtons::noted, [&](const QString& line) { lines << line; });
    setCheckValue(formsOf(road.program).formOptions().CheckPlayerWaiting, 1);
    for (int question = 0; question < 3; ++question) {
        SCOPED_TRACE(question);
        road.screen.spacekey();
        road.tick();
        rig.press(3, rig.now() + 0.01);
        road.ticks(1);
        EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Three"));
        // Pressing again, and a team mate after: passed over by the capture.
        rig.press(3, rig.now() + 0.05);
        rig.press(4, rig.now() + 0.06);
        road.ticks(30);
        EXPECT_EQ(road.screen.namelabel->text(), QStringLiteral("Three"));
        EXPECT_TRUE(road.screen.porttimer->isActive());
    }
    // Each buzz-in's line, then again once Four is heard; none for the
    // codes the capture passed over.
    const QStringList each{QStringLiteral("Three first; nobody else has pressed."),
                           QStringLiteral("Three first; next Four, 150 ms later.")};
    EXPECT_EQ(lines, each + each + each);
}

TEST(ButtonRoad, CheckButtonsHearsEveryButtonPressedOverAndOver) {
    ButtonRoad road;
    auto& rig = road.rig;
    buttons::ButtonAssignment a;
    for (int p = 1; p <= 8; ++p)
        a.bind(rig.pad(p <= 4 ? 1 : 2).identity, "Buzzer pad", ButtonsRig::kKey0 + (p - 1) % 4, p);
    rig.box.setAssignment(a);
    ButtonCheckWindow check(road.program, road.menu, road.screen);
    check.pollTick();  // polling from the moment the window is up
    for (int p : {1, 2, 1, 6, 1}) {
        rig.press(p, rig.now() + 0.01);
        for (int i = 0; i < 3; ++i) {
            rig.clock.advance(0.1);
            check.pollTick();
        }
    }
    EXPECT_EQ(check.results().count(1), 3);
    EXPECT_EQ(check.results().count(2), 1);
    EXPECT_EQ(check.results().count(6), 1);
    EXPECT_EQ(check.results().notHeard(), (std::vector<int>{3, 4, 5, 7, 8}));
}

// No input device can be read (no /dev/input on this machine, or no
// permission): the operator is told so before the match and while
// assigning, with what was found and the fixes, until a device comes.
TEST(ButtonRoad, WithNoReadableDeviceTheOperatorIsToldBeforeAndDuringAssigning) {
    ButtonRoad road;
    auto& rig = road.rig;
    rig.source.unplug(ButtonsRig::kA);
    rig.source.unplug(ButtonsRig::kB);
    rig.box.pump();
    ASSERT_TRUE(rig.box.devices().empty());

    buttons::InputSurvey none;
    none.folder = QStringLiteral("/dev/input");
    buttons::InputSurvey one = none;
    one.folderExists = true;
    one.devices.push_back({QStringLiteral("event3"), QStringLiteral("Buzzer pad"), true, true, {}});
    InputButtons inputs(road.program, rig.box);
    std::vector<buttons::InputSurvey> surveys;
    inputs.survey = [&] {
        buttons::InputSurvey s = surveys.front();
        if (surveys.size() > 1) surveys.erase(surveys.begin());
        return s;
    };

    struct Case {
        std::vector<buttons::InputSurvey> found;
        std::deque<int> choices;  // Retry, Go on without buttons, Quit
        bool goesOn;
        std::size_t asked;
    };
    const Case cases[] = {
        {{one}, {}, true, 0},
        {{none, one}, {0}, true, 1},  // Retry once the buttons are readable
        {{none}, {1}, true, 1},       // they may be plugged in later
        {{none}, {2}, false, 1},
        {{none}, {}, false, 1},  // the box closed
    };
    for (const Case& c : cases) {
        surveys = c.found;
        road.dialogs.messages.clear();
        road.dialogs.choices = c.choices;
        EXPECT_EQ(inputs.confirmDevices(), c.goesOn);
        ASSERT_EQ(road.dialogs.messages.size(), c.asked);
        if (c.asked == 0) continue;
        const ScriptedDialogs::Shown& shown = road.dialogs.messages.front();
        EXPECT_EQ(shown.choices, QStringList({"Retry", "Go on without buttons", "Quit"}));
        EXPECT_TRUE(shown.text.contains("no /dev/input folder")) << shown.text.toStdString();
        EXPECT_TRUE(shown.text.contains("sudo adduser $USER input"));
        EXPECT_TRUE(shown.text.contains("70-torvanel-buttons.rules"));
    }

    // While assigning: said in the window, with Retry, until a device is
    // there.
    surveys = {none};
    inputs.openAssign();
    AssignButtons* window = inputs.assignWindow();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_TRUE(window->Labeldevices->isVisible());
    EXPECT_TRUE(window->CommandRetry->isVisible());
    EXPECT_TRUE(window->Labeldevices->text().contains("no /dev/input folder"));
    rig.source.plug(ButtonsRig::pad(ButtonsRig::kA));
    window->readPresses();
    EXPECT_FALSE(window->Labeldevices->isVisible());
    EXPECT_FALSE(window->CommandRetry->isVisible());
    rig.source.unplug(ButtonsRig::kA);
    window->CommandRetry->click();
    EXPECT_TRUE(window->Labeldevices->isVisible()) << "gone again";
    road.dialogs.answers = {Dialogs::Answer::No};
    window->close();
}
