// Which decoders run on which screen, and what a buzz-in asks of the screen.
#include <gtest/gtest.h>

#include <vector>

#include "link/dispatch.h"
#include "link/responder.h"

using buzzlink::Decoder;
using buzzlink::Team;
using buzzlink::TeamAlignment;

namespace {
constexpr ScreenPair k24 = ScreenPair::P2_4, k25 = ScreenPair::P2_5, k34 = ScreenPair::P3_4,
                     k35 = ScreenPair::P3_5;
constexpr ScreenPair kScreens[] = {k24, k25, k34, k35};

std::vector<Decoder> poll(int model, ScreenPair screen) {
    const auto span = buzzlink::pollDecoders(model, screen);
    return {span.begin(), span.end()};
}
}  // namespace

TEST(Dispatch, DecodersPerModelAndScreen) {
    using V = std::vector<Decoder>;
    for (ScreenPair s : kScreens) {
        EXPECT_EQ(poll(180, s), V{Decoder::Wired});
        EXPECT_EQ(poll(170, s), V{Decoder::Wireless});
        EXPECT_EQ(poll(210, s), V{Decoder::Wired210});
        EXPECT_TRUE(poll(199, s).empty());
        EXPECT_TRUE(poll(190, s).empty()) << "an accepted code that is no model";
    }
    // Model 200 goes through both wireless decoders, first-series rules
    // first, on two of the screens.
    EXPECT_EQ(poll(200, k24), V{Decoder::Wireless200});
    EXPECT_EQ(poll(200, k35), V{Decoder::Wireless200});
    EXPECT_EQ(poll(200, k25), (V{Decoder::Wireless, Decoder::Wireless200}));
    EXPECT_EQ(poll(200, k34), (V{Decoder::Wireless, Decoder::Wireless200}));

    EXPECT_TRUE(buzzlink::usesUsbPoll(199, k24));
    for (ScreenPair s : {k25, k34, k35})
        EXPECT_FALSE(buzzlink::usesUsbPoll(199, s));
    for (int m : {170, 180, 200, 210})
        EXPECT_FALSE(buzzlink::usesUsbPoll(m, k24));
}

TEST(Dispatch, DecoderThatShowsAHeldRespondent) {
    struct Case {
        int model;
        std::optional<Decoder> others;  // 2_4, 2_5, 3_4
        std::optional<Decoder> on35;
    };
    const Case cases[] = {
        {180, Decoder::Wired, Decoder::Wired},
        {170, Decoder::Wireless, Decoder::Wireless},
        {200, Decoder::Wireless, Decoder::Wireless200},
        {210, std::nullopt, Decoder::Wired210},
        {199, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        for (ScreenPair s : {k24, k25, k34})
            EXPECT_EQ(buzzlink::releaseDecoder(c.model, s), c.others);
        EXPECT_EQ(buzzlink::releaseDecoder(c.model, k35), c.on35);
    }
}

TEST(Responder, TeamAndAlignmentOfEveryPlayer) {
    struct Case {
        ScreenPair screen;
        int player;
        Team team;
        TeamAlignment alignment;
    };
    const Case cases[] = {
        {k24, 1, Team::Alpha, TeamAlignment::Left},   {k24, 4, Team::Alpha, TeamAlignment::Left},
        {k24, 5, Team::Beta, TeamAlignment::Right},   {k24, 8, Team::Beta, TeamAlignment::Right},
        {k25, 5, Team::Alpha, TeamAlignment::Left},   {k25, 6, Team::Beta, TeamAlignment::Right},
        {k25, 10, Team::Beta, TeamAlignment::Right},  {k34, 5, Team::Beta, TeamAlignment::Centre},
        {k34, 8, Team::Beta, TeamAlignment::Centre},  {k34, 9, Team::Gamma, TeamAlignment::Right},
        {k34, 12, Team::Gamma, TeamAlignment::Right}, {k35, 5, Team::Alpha, TeamAlignment::Left},
        {k35, 10, Team::Beta, TeamAlignment::Centre}, {k35, 11, Team::Gamma, TeamAlignment::Right},
        {k35, 15, Team::Gamma, TeamAlignment::Right},
    };
    for (const Case& c : cases) {
        const auto r = buzzlink::responderActions(Decoder::Wired, c.screen, c.player, {}, false);
        EXPECT_EQ(r.player, c.player);
        EXPECT_EQ(r.team, c.team) << c.player;
        EXPECT_EQ(r.alignment, c.alignment) << c.player;
    }
}

TEST(Responder, SoundAndSpeakerBytesBySourceAndDecoder) {
    using B = std::vector<std::uint8_t>;
    struct Case {
        Decoder decoder;
        ScreenPair screen;
        int player;
        int soundSource;
        bool sound;
        B speaker;
    };
    const Case cases[] = {
        {Decoder::Wired, k24, 1, 0, false, B{0, 194}},
        {Decoder::Wired, k24, 1, 1, true, B{}},
        {Decoder::Wired, k24, 6, 2, true, B{0, 194}},
        {Decoder::Wireless, k34, 10, 0, false, B{0, 194}},
        {Decoder::Wireless200, k35, 15, 2, true, B{0, 194}},
        {Decoder::UsbWired, k24, 5, 1, true, B{}},
        // The USB lockout has no speaker on the parallel port, even where
        // the list is held at the speaker (no sound card).
        {Decoder::UsbWired, k24, 5, 0, false, B{}},
        {Decoder::UsbWired, k24, 1, 2, true, B{}},
        // The second-series wired box sounds a tone per team, without
        // switching the speaker off first.
        {Decoder::Wired210, k35, 5, 0, false, B{194}},
        {Decoder::Wired210, k35, 10, 0, false, B{129}},
        {Decoder::Wired210, k35, 15, 2, true, B{65}},
        {Decoder::Wired210, k24, 5, 0, false, B{129}},
        {Decoder::Wired210, k24, 5, 1, true, B{}},
    };
    for (const Case& c : cases) {
        buzzlink::ScreenSettings settings;
        settings.soundSource = c.soundSource;
        const auto r = buzzlink::responderActions(c.decoder, c.screen, c.player, settings, false);
        EXPECT_EQ(r.playTeamSound, c.sound) << int(c.decoder) << " " << c.soundSource;
        EXPECT_EQ(r.speakerBytes, c.speaker) << int(c.decoder) << " " << c.soundSource;
    }
}

TEST(Responder, LockOutAndResponseTimer) {
    buzzlink::ScreenSettings lockUp;
    lockUp.lockUpSecondPlace = 1;
    buzzlink::ScreenSettings greyed;
    greyed.lockUpSecondPlace = 2;
    // Only the wireless decoders keep polling, and only with the lock-up
    // ticked.
    for (Decoder d : {Decoder::Wired, Decoder::Wired210, Decoder::UsbWired}) {
        EXPECT_TRUE(buzzlink::responderActions(d, k24, 1, lockUp, false).stopPortTimer);
    }
    for (Decoder d : {Decoder::Wireless, Decoder::Wireless200}) {
        EXPECT_FALSE(buzzlink::responderActions(d, k25, 1, lockUp, false).stopPortTimer);
        EXPECT_TRUE(buzzlink::responderActions(d, k25, 1, greyed, false).stopPortTimer);
        EXPECT_TRUE(buzzlink::responderActions(d, k25, 1, {}, false).stopPortTimer);
    }

    // The 2-team 4-player screen reads the "timer continues" box itself, the
    // others the program-wide flag.
    buzzlink::ScreenSettings continues;
    continues.timerContinues = 1;
    EXPECT_TRUE(buzzlink::responderActions(Decoder::Wired, k24, 1, {}, false).stopTimer1);
    EXPECT_FALSE(buzzlink::responderActions(Decoder::Wired, k24, 1, continues, true).stopTimer1);
    for (ScreenPair s : {k25, k34, k35}) {
        EXPECT_TRUE(
            buzzlink::responderActions(Decoder::Wireless, s, 1, continues, true).stopTimer1);
        EXPECT_FALSE(buzzlink::responderActions(Decoder::Wireless, s, 1, {}, false).stopTimer1);
    }
}

TEST(Responder, SoundTimerSwitchesTheSpeakerOff) {
    for (ScreenPair s : {k24, k25}) {
        EXPECT_TRUE(buzzlink::soundtimerWritesOff(s, 0));
        EXPECT_FALSE(buzzlink::soundtimerWritesOff(s, 1))
            << "sound card only: the port is left alone";
        EXPECT_TRUE(buzzlink::soundtimerWritesOff(s, 2));
    }
    for (ScreenPair s : {k34, k35}) {
        for (int source : {0, 1, 2})
            EXPECT_TRUE(buzzlink::soundtimerWritesOff(s, source));
    }
}
