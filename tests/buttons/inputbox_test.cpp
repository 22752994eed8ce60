// The software lockout: presses from input devices, ordered by the kernel's
// timestamps, through the box's side of the port protocol.
#include <gtest/gtest.h>

#include "buttonsrig.h"
#include "shell/commandline.h"
#include "shell/interfacestart.h"

using buttons::InputBox;

namespace {

std::vector<int> transmitters(const std::vector<InputBox::Buzz>& buzzes) {
    std::vector<int> t;
    for (const auto& b : buzzes)
        t.push_back(b.transmitter);
    return t;
}

}  // namespace

TEST(InputBox, TheEarliestTimestampWinsWhateverOrderTheDevicesAreReadIn) {
    struct Case {
        const char* what;
        // (player, ms after the arming poll), in the order they are read.
        std::vector<std::pair<int, double>> presses;
        std::vector<int> shownInOrder;
    };
    const Case cases[] = {
        {"read in time order", {{2, 10}, {6, 20}, {7, 30}}, {2, 6, 7}},
        {"the later pad read first", {{6, 20}, {7, 30}, {2, 10}}, {2, 6, 7}},
        {"a microsecond apart", {{5, 40.001}, {1, 40.000}}, {1, 5}},
        {"pressing again changes nothing", {{3, 5}, {8, 6}, {3, 1}}, {3, 8}},
        {"the extra transmitter", {{9, 50}, {4, 60}}, {0, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ButtonsRig rig;
        EXPECT_EQ(rig.poll(), -1);
        const double armed = rig.now();
        for (const auto& [player, ms] : c.presses) {
            // Player 9 stands for the pad's extra button.
            if (player == 9) {
                rig.source.key(ButtonsRig::kB, ButtonsRig::kKey0 + 4, rig.us(armed + ms / 1000));
            } else {
                rig.press(player, armed + ms / 1000);
            }
        }
        // The screen keeps polling (second place): each poll takes the next.
        rig.clock.advance(0.1);
        std::vector<int> shown{rig.poll()};
        for (int code : rig.pollEvery100ms(5))
            shown.push_back(code);
        EXPECT_EQ(shown, c.shownInOrder);
        EXPECT_EQ(transmitters(rig.box.buzzes()), c.shownInOrder);
    }
}

TEST(InputBox, EachBuzzSaysWhoPressedNextAndHowMuchLater) {
    ButtonsRig rig;
    rig.poll();
    const double armed = rig.now();
    rig.press(6, armed + 0.020);
    rig.press(2, armed + 0.0125);
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 2);
    ASSERT_EQ(rig.box.buzzes().size(), 1u);
    EXPECT_EQ(rig.box.buzzes()[0].nextTransmitter, 6);
    EXPECT_DOUBLE_EQ(rig.box.buzzes()[0].nextAfterMs, 7.5);

    // The screen locks out. A press during the lock-out is lost, but it is
    // still who came next, and a closer one replaces a later one.
    ButtonsRig late;
    std::vector<InputBox::Buzz> told;
    late.box.setBuzzListener([&](const InputBox::Buzz& b, bool) { told.push_back(b); });
    late.poll();
    late.press(1, late.now() + 0.01);
    late.clock.advance(0.1);
    EXPECT_EQ(late.poll(), 1);
    const double shown = late.now();
    late.press(7, shown + 0.3);
    late.box.pump();
    late.press(5, shown + 0.2);  // read later, pressed sooner
    late.box.pump();
    ASSERT_EQ(told.size(), 3u) << "presented, then a runner-up, then a closer one";
    EXPECT_EQ(late.box.buzzes()[0].nextTransmitter, 5);
    // A press after the next clear belongs to the next question.
    late.clock.advance(5.0);
    EXPECT_EQ(late.poll(), -1) << "the clear's first poll only arms the box";
    late.press(8, late.now() + 0.05);
    late.clock.advance(0.1);
    EXPECT_EQ(late.poll(), 8);
    EXPECT_EQ(late.box.buzzes()[0].nextTransmitter, 5);
}

TEST(InputBox, PressesWhileLockedOutAreLostAndTheNextQuestionStartsClean) {
    ButtonsRig rig;
    rig.poll();
    rig.press(3, rig.now() + 0.01);
    rig.press(7, rig.now() + 0.02);  // too late: the screen locks out
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 3);
    // Locked out for two seconds: no polls. Presses now are lost.
    rig.clock.advance(1.0);
    rig.press(6, rig.now());
    rig.box.pump();  // read between polls, as the notices timer does
    rig.clock.advance(1.0);
    rig.press(5, rig.now());
    // The operator clears: the first poll arms the box and shows nothing,
    // and neither the runner-up of the last question nor the lock-out's
    // presses come back.
    EXPECT_EQ(rig.poll(), -1);
    EXPECT_EQ(rig.pollEvery100ms(3), std::vector<int>{});
    EXPECT_EQ(rig.box.lostPresses(), 3);
    rig.press(4, rig.now() + 0.01);
    EXPECT_EQ(rig.pollEvery100ms(2), std::vector<int>{4});

    // A model-code request (the re-handshake) drops what was waiting too.
    ButtonsRig again;
    again.poll();
    again.press(1, again.now() + 0.01);
    again.press(2, again.now() + 0.02);
    again.clock.advance(0.1);
    EXPECT_EQ(again.poll(), 1);
    again.box.outport(888, 223);
    again.box.outport(888, 32);
    again.box.outport(888, 0);
    EXPECT_EQ(again.pollEvery100ms(3), std::vector<int>{});
}

TEST(InputBox, PressesInOneReportAreATieDrawnAtRandomAndSaidSo) {
    // The pad reports buttons 2, 3 and 4 together; the draw picks among
    // them in the order the report lists them.
    for (const auto& [draw, winner] :
         std::vector<std::pair<double, int>>{{0.0, 2}, {0.34, 3}, {0.999, 4}}) {
        SCOPED_TRACE(draw);
        ButtonsRig rig(200, draw);
        rig.poll();
        rig.source.keysTogether(ButtonsRig::kA, {289, 290, 291}, rig.us(rig.now() + 0.01));
        rig.clock.advance(0.1);
        EXPECT_EQ(rig.poll(), winner);
        const InputBox::Buzz& buzz = rig.box.buzzes().at(0);
        EXPECT_EQ(buzz.tiedWith.size(), 2u);
        EXPECT_EQ(buzz.nextAfterMs, 0.0);
        ASSERT_EQ(rig.notices.size(), 1);
        EXPECT_TRUE(
            rig.notices[0].startsWith(QStringLiteral("Tie: transmitters %1 and").arg(winner)))
            << rig.notices[0].toStdString();
        // The others still wait for the second-place capture, in turn.
        EXPECT_EQ(rig.pollEvery100ms(3).size(), 2u);
    }
    // Across two devices with the same microsecond, too.
    ButtonsRig rig(200, 0.9);
    rig.poll();
    rig.press(1, rig.now() + 0.01);
    rig.press(5, rig.now());
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 5);
}

TEST(InputBox, DevicesComeAndGoAndOnlyThoseWithButtonsAreRead) {
    ButtonsRig rig;
    const auto keyboard = device(3, QString());
    rig.source.plug(keyboard);
    EXPECT_TRUE(rig.source.isGrabbed(ButtonsRig::kA));
    EXPECT_FALSE(rig.source.isOpen(keyboard.id)) << "no buttons assigned: never opened";
    rig.box.pump();
    EXPECT_EQ(rig.box.devices().size(), 2u);

    // Pad B is pulled out in the middle of a question: named once.
    rig.poll();
    rig.source.unplug(ButtonsRig::kB);
    rig.press(5, rig.now() + 0.01);  // nothing to read it from
    rig.press(2, rig.now() + 0.02);
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 2);
    rig.box.pump();
    ASSERT_EQ(rig.notices.size(), 1);
    EXPECT_TRUE(rig.notices[0].contains(QStringLiteral("unplugged: Buzzer pad 2")));

    // Back in (another node, the same pad): its buttons work at once.
    auto back = ButtonsRig::pad(ButtonsRig::kB);
    back.path = QStringLiteral("/dev/input/event40");
    rig.source.plug(back);
    rig.clock.advance(3.0);
    rig.poll();
    rig.press(6, rig.now() + 0.01);
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 6);
    ASSERT_EQ(rig.notices.size(), 2);
    EXPECT_TRUE(rig.notices[1].startsWith(QStringLiteral("Buttons back: Buzzer pad 2")));
    EXPECT_TRUE(rig.source.isGrabbed(ButtonsRig::kB));

    // A pad we may not open is named with the fix, once.
    auto locked = device(4, QStringLiteral("PAD4"));
    buttons::ButtonAssignment a = rig.box.assignment();
    a.bind(locked.identity, locked.name, 288, 4);
    rig.box.setAssignment(a);
    rig.source.plugDenied(locked);
    rig.box.pump();
    rig.box.setAssignment(a);
    rig.box.pump();
    ASSERT_EQ(rig.notices.size(), 3);
    EXPECT_TRUE(rig.notices[2].contains(QStringLiteral("input group")));
    EXPECT_TRUE(rig.notices[2].contains(locked.path));

    // A pad another program has grabbed: its buttons count, and the
    // operator hears, once, that they may reach that program too.
    auto shared = device(5, QStringLiteral("PAD5"));
    a.bind(shared.identity, shared.name, 288, 3);
    rig.box.setAssignment(a);
    rig.source.plugBusy(shared);
    rig.box.pump();
    rig.box.setAssignment(a);
    rig.box.pump();
    ASSERT_EQ(rig.notices.size(), 4);
    EXPECT_TRUE(rig.notices[3].contains(QStringLiteral("held by another program")));
    rig.clock.advance(3.0);
    rig.poll();
    rig.source.key(shared.id, 288, rig.us(rig.now()));
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), 3);

    // While assigning, every device is read and none is grabbed; presses
    // go to the window, not to the lockout.
    std::vector<std::pair<int, int>> captured;
    rig.box.beginCapture(
        [&](const buttons::DeviceInfo& d, int code) { captured.emplace_back(d.id, code); });
    EXPECT_TRUE(rig.source.isOpen(keyboard.id));
    EXPECT_FALSE(rig.source.isGrabbed(ButtonsRig::kA));
    rig.clock.advance(3.0);
    rig.poll();
    rig.source.key(keyboard.id, 30, rig.us(rig.now()));
    rig.press(1, rig.now());
    rig.clock.advance(0.1);
    EXPECT_EQ(rig.poll(), -1);
    EXPECT_EQ(captured,
              (std::vector<std::pair<int, int>>{{keyboard.id, 30}, {ButtonsRig::kA, 288}}));
    rig.box.endCapture();
    EXPECT_FALSE(rig.source.isOpen(keyboard.id));
    EXPECT_TRUE(rig.source.isGrabbed(ButtonsRig::kA));
}

TEST(InputBox, TheCommandLineChoosesAWirelessModelForButtons) {
    struct Case {
        const char* value;
        int model;  // 0: refused
    };
    for (const Case& c : {Case{"input", 200}, Case{"input:170", 170}, Case{"input:200", 200},
                          Case{"input:180", 0}, Case{"input:", 0}, Case{"inputs", 0}}) {
        SCOPED_TRACE(c.value);
        QString error;
        const auto choice = parseInterfaceOption(QString::fromLatin1(c.value), &error);
        if (c.model == 0) {
            EXPECT_FALSE(choice);
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        ASSERT_TRUE(choice) << error.toStdString();
        EXPECT_EQ(choice->kind, InterfaceChoice::Kind::Input);
        EXPECT_EQ(choice->model, c.model);
        // The box on this machine's input devices, with nothing assigned:
        // it opens none of them.
        ManualClock clock;
        const InterfaceBackend backend = makeBackend(*choice, clock, PortAccess::system());
        ASSERT_NE(backend.input, nullptr);
        EXPECT_EQ(backend.port.get(), backend.input);
        EXPECT_EQ(backend.input->model(), c.model);
        EXPECT_TRUE(backend.input->devices().empty());
        EXPECT_FALSE(backend.isSimulated()) << "no contestant panel for real buttons";
    }
}

TEST(InputBox, TheOperatorsLineSaysWhoWasFirstAndWhoCameNext) {
    const auto name = [](int t) { return t == 0 ? QStringLiteral("Extra") : QString::number(t); };
    InputBox::Buzz alone;
    alone.transmitter = 3;
    InputBox::Buzz close = alone;
    close.nextTransmitter = 6;
    close.nextAfterMs = 7.5;
    InputBox::Buzz far = close;
    far.nextTransmitter = 0;
    far.nextAfterMs = 412.4;
    InputBox::Buzz tie = alone;
    tie.tiedWith = {2, 5};
    tie.nextTransmitter = 2;
    struct Case {
        InputBox::Buzz buzz;
        const char* line;
    };
    for (const Case& c : {Case{alone, "3 first; nobody else has pressed."},
                          Case{close, "3 first; next 6, 7.5 ms later."},
                          Case{far, "3 first; next Extra, 412 ms later."},
                          Case{tie, "Tie: 3, 2, 5 pressed together; 3 was drawn."}}) {
        EXPECT_EQ(buttons::buzzNote(c.buzz, name), QString::fromLatin1(c.line));
    }
}
