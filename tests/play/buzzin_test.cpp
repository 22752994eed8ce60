// The whole buzz-in road through a real play screen: a player presses on the
// simulated box, porttimer's tick reads the code, and the screen shows the
// respondent, locks the others out and is re-armed by the operator's clears.
#include <set>

#include "link/decoders.h"
#include "options/formextrax.h"
#include "playfixture.h"
#include "title/forms.h"

namespace {

constexpr int kWireless = 170;
constexpr int kWired = 180;
constexpr int kWireless2 = 200;
constexpr int kWired2 = 210;

const QString kCommunicationText =
    QStringLiteral("Program will attempt to reset Torvanel Interface.");
const QString kCommunicationTitle =
    QStringLiteral("Communication problem between computer and Torvanel");
const QString kNotFoundTitle = QStringLiteral("Torvanel Interface not found.");

QString playerName(int p) { return QStringLiteral("Name %1").arg(p); }
QString teamName(int team) { return QStringList{"Red Team", "Blue Team", "Gold Team"}[team]; }
QString teamSoundFile(int team) { return QStringList{"alpha.wav", "beta.wav", "gamma.wav"}[team]; }

// One screen on one model, with every player and team named and the extra
// transmitter not in use.
struct Road {
    Road(ScreenPair pair, int model) : f(pair, model), s(f.screen) {
        f.t->state.InterfaceModel = static_cast<std::int16_t>(model);
        f.t->state.AlphaSound = teamSoundFile(0);
        f.t->state.BetaSound = teamSoundFile(1);
        f.t->state.GammaSound = teamSoundFile(2);
        for (int team = 0; team < teamsOf(pair); ++team)
            f.menu.teamNameBox(team)->setText(teamName(team));
        for (int p = 1; p <= players(); ++p)
            f.menu.playerNameBox(p)->setText(playerName(p));
        formsOf(*f.t).formextrax().Comboxmitter->setCurrentIndex(buzzlink::kExtraNotInUse);
        f.setSoundSource(1);
        setTimerContinues(false);
    }

    int players() const { return teamsOf(s.screen()) * playersPerTeamOf(s.screen()); }
    int model() const { return f.t.box.model(); }

    // Through the box's click handler, so the program-wide flag follows.
    void setTimerContinues(bool on) {
        f.setTimerContinues(!on);
        f.setTimerContinues(on);
    }
    void setLockUp(bool on) { setCheckValue(f.options.CheckPlayerWaiting, on ? 1 : 0); }

    // porttimer's tick, when the timer runs.
    void tick() {
        if (s.porttimer->isActive()) s.porttimer_Timer();
    }
    // The operator clears with the space bar; the first poll makes the box
    // listen.
    void arm() {
        s.spacekey();
        tick();
    }

    // The box input of player p on this model and screen.
    int inputOf(int player) const { return f.t.box.inputOfPlayer(s.screen(), player); }
    void buzz(int player) { f.t.box.buzzPlayer(s.screen(), player); }
    // A poll (the box listens from then on), the press, and the poll that
    // reads it; a locked screen polls neither time.
    void buzzIn(int player) {
        tick();
        buzz(player);
        tick();
    }

    // The lamps lit, by player number.
    std::set<int> litLamps() const {
        std::set<int> lit;
        for (const auto& [index, lamp] : s.p1label) {
            if (backColour(lamp) == colourFromBgr(192)) lit.insert(index + 1);
        }
        return lit;
    }
    // The teams whose score boards are coloured.
    std::set<int> colouredBoards() const {
        std::set<int> coloured;
        for (int team = 0; team < teamsOf(s.screen()); ++team) {
            if (backColour(s.scoreLabel(team)) == colourFromBgr(4088)) coloured.insert(team);
        }
        return coloured;
    }

    // What the screen shows for one respondent, p.
    void expectShowing(int p) const {
        const int team = (p - 1) / playersPerTeamOf(s.screen());
        EXPECT_EQ(s.namelabel->text(), playerName(p));
        EXPECT_EQ(s.Labelteam->text(), teamName(team));
        Qt::Alignment across = Qt::AlignLeft;
        if (team == 1) across = teamsOf(s.screen()) == 3 ? Qt::AlignHCenter : Qt::AlignRight;
        if (team == 2) across = Qt::AlignRight;
        EXPECT_EQ(s.Labelteam->alignment() & Qt::AlignHorizontal_Mask, across);
        EXPECT_EQ(colouredBoards(), std::set<int>{team});
        EXPECT_EQ(litLamps(), std::set<int>{p});
        EXPECT_EQ(s.ResponderNumber, p);
    }
    void expectEmpty() const {
        EXPECT_TRUE(s.namelabel->text().isEmpty());
        EXPECT_TRUE(s.Labelteam->text().isEmpty());
        EXPECT_TRUE(litLamps().empty());
        EXPECT_TRUE(colouredBoards().empty());
    }

    PlayFixture f;
    PlayScreen& s;
};

bool decodesTwice(int model, ScreenPair s) {
    return model == kWireless2 && (s == ScreenPair::P2_5 || s == ScreenPair::P3_4);
}

// The data-port writes after the last acknowledgement of the read: the
// speaker bytes of the buzz-in.
std::vector<int> speakerWrites(const std::vector<int>& writes) {
    std::vector<int> tail;
    for (auto it = writes.rbegin(); it != writes.rend() && *it != 2 && *it != 18; ++it)
        tail.insert(tail.begin(), *it);
    return tail;
}

std::vector<int> teamPlayers(ScreenPair s) {
    // The first and last player of each team.
    std::vector<int> players;
    const int n = playersPerTeamOf(s);
    for (int team = 0; team < teamsOf(s); ++team) {
        players.push_back(team * n + 1);
        players.push_back(team * n + n);
    }
    return players;
}

class EveryModel : public ::testing::TestWithParam<std::tuple<int, ScreenPair>> {
protected:
    int model() const { return std::get<0>(GetParam()); }
    ScreenPair screen() const { return std::get<1>(GetParam()); }
};

std::string modelAndScreen(const ::testing::TestParamInfo<std::tuple<int, ScreenPair>>& info) {
    return std::to_string(std::get<0>(info.param)) + "_" +
           screenName(std::get<1>(info.param)).toStdString();
}

}  // namespace

TEST_P(EveryModel, APressShowsThePlayerAndTheirTeamAndLocksTheOthersOut) {
    for (int p : teamPlayers(screen())) {
        SCOPED_TRACE(p);
        Road r(screen(), model());
        r.arm();
        r.expectEmpty();
        r.buzzIn(p);
        r.expectShowing(p);
        EXPECT_FALSE(r.s.porttimer->isActive()) << "the others are locked out";
        EXPECT_TRUE(r.f.t.dialogs.messages.empty());

        // Someone else presses while the screen is locked: nobody changes,
        // and the press is gone once the operator clears.
        const int other = p == 1 ? r.players() : 1;
        r.buzzIn(other);
        r.expectShowing(p);
        r.arm();
        r.expectEmpty();
        r.tick();
        r.expectEmpty();
    }
}

TEST_P(EveryModel, TheSoundCardPlaysTheTeamsSoundAndTheSpeakerGetsItsBytes) {
    const int twice = decodesTwice(model(), screen()) ? 2 : 1;
    for (int source : {0, 1, 2}) {
        Road r(screen(), model());
        r.f.setSoundSource(source);
        for (int p : teamPlayers(screen())) {
            SCOPED_TRACE(testing::Message() << "source " << source << " player " << p);
            const int team = (p - 1) / playersPerTeamOf(screen());
            r.arm();
            // The last speaker-off tick has had its turn.
            r.s.soundtimer_Timer();
            r.f.clearWrites();
            r.f.t.sound.played.clear();
            r.buzzIn(p);

            QStringList sounds;
            if (source != 0) {
                for (int i = 0; i < twice; ++i)
                    sounds << teamSoundFile(team);
            }
            EXPECT_EQ(r.f.t.sound.played, sounds);

            std::vector<int> speaker;
            if (source != 1) {
                for (int i = 0; i < twice; ++i) {
                    if (model() == kWired2) {
                        speaker.push_back(std::vector<int>{194, 129, 65}[team]);
                    } else {
                        speaker.insert(speaker.end(), {0, 194});
                    }
                }
            }
            EXPECT_EQ(speakerWrites(r.f.writes()), speaker);
            EXPECT_EQ(r.s.soundtimer->isActive(), !speaker.empty());
            EXPECT_EQ(r.f.t.box.speakerOn(), !speaker.empty());
            if (!speaker.empty()) {
                r.s.soundtimer_Timer();
                EXPECT_FALSE(r.f.t.box.speakerOn()) << "one tick later the tone stops";
                EXPECT_FALSE(r.s.soundtimer->isActive());
            }
        }
    }
}

TEST_P(EveryModel, TheResponseTimerFreezesUnlessItMayContinue) {
    for (bool continues : {false, true}) {
        SCOPED_TRACE(continues);
        Road r(screen(), model());
        r.setTimerContinues(continues);
        r.arm();
        r.s.tossUpStart();
        ASSERT_TRUE(r.s.Timer1->isActive());
        r.buzzIn(2);
        r.expectShowing(2);
        EXPECT_EQ(r.s.Timer1->isActive(), continues);
        EXPECT_FALSE(r.s.porttimer->isActive());
    }
}

TEST_P(EveryModel, WithTheLockUpOnOnlyTheWirelessBoxesKeepPolling) {
    Road r(screen(), model());
    r.setLockUp(true);
    r.arm();
    r.buzzIn(1);
    r.expectShowing(1);
    const bool wireless = model() == kWireless || model() == kWireless2;
    EXPECT_EQ(r.s.porttimer->isActive(), wireless);
}

INSTANTIATE_TEST_SUITE_P(AllModelsAndScreens, EveryModel,
                         ::testing::Combine(::testing::Values(kWireless, kWired, kWireless2,
                                                              kWired2),
                                            ::testing::ValuesIn(kAllScreens)),
                         modelAndScreen);

TEST(BuzzIn, ButtonsPressedTogetherShowOneOfThePressed) {
    for (int model : {kWired, kWired2}) {
        for (ScreenPair screen : kAllScreens) {
            const int last = teamsOf(screen) * playersPerTeamOf(screen);
            std::set<int> winners;
            Road r(screen, model);
            for (int draw = 0; draw < 24; ++draw) {
                SCOPED_TRACE(testing::Message() << model << " " << screenName(screen).toStdString()
                                                << " draw " << draw);
                r.arm();
                r.f.t.box.pressTogether({r.inputOf(2), r.inputOf(last)});
                r.f.t.box.releaseAll();
                r.tick();
                const int shown = r.s.ResponderNumber;
                ASSERT_TRUE(shown == 2 || shown == last) << shown;
                r.expectShowing(shown);
                winners.insert(shown);
            }
            EXPECT_EQ(winners, (std::set<int>{2, last}))
                << model << " " << screenName(screen).toStdString() << ": both can win";
        }
    }
}

TEST(BuzzIn, AFailedReadTellsTheOperatorOnceAndTheBoxIsBackInStep) {
    for (int model : {kWireless, kWired, kWireless2, kWired2}) {
        for (ScreenPair screen : kAllScreens) {
            SCOPED_TRACE(testing::Message() << model << " " << screenName(screen).toStdString());
            Road r(screen, model);
            r.arm();
            // Wired boxes hang in their second byte: the decoder's own read
            // fails.
            r.f.t.box.stallNextCode(model == kWired || model == kWired2 ? 11 : 3);
            r.buzzIn(1);
            ASSERT_EQ(r.f.t.dialogs.messages.size(), 1u);
            const ScriptedDialogs::Shown& shown = r.f.t.dialogs.messages[0];
            EXPECT_EQ(shown.text, kCommunicationText);
            EXPECT_EQ(shown.title, kCommunicationTitle);
            EXPECT_EQ(shown.icon, Dialogs::Icon::Critical);
            EXPECT_EQ(shown.buttons, Dialogs::Buttons::Ok);
            r.expectEmpty();
            EXPECT_EQ(r.s.Label1->text(), QString::number(model)) << "the re-handshake's answer";
            EXPECT_TRUE(r.s.porttimer->isActive()) << "polling goes on";

            r.tick();
            r.buzzIn(3);
            r.expectShowing(3);
            EXPECT_EQ(r.f.t.dialogs.messages.size(), 1u);
        }
    }
}

TEST(BuzzIn, PorttimerFiringWhileAMessageIsUpDoesNotPollTheBox) {
    using Reply = SimulatedInterface::Reply;
    Road r(ScreenPair::P2_4, kWired);
    r.arm();
    r.f.t.box.stallNextCode(3);
    r.f.t.box.scriptReplies({Reply{Reply::Kind::Silent}, Reply{Reply::Kind::Silent}});
    r.f.t.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Retry};
    // A modal message runs an event loop of its own, in which the running
    // porttimer fires.
    std::vector<std::vector<int>> writesDuringMessages;
    r.f.t.dialogs.onMessage = [&](const ScriptedDialogs::Shown&) {
        const std::size_t before = r.f.t.box.dataWrites().size();
        ASSERT_TRUE(r.s.porttimer->isActive());
        r.s.porttimer_Timer();
        r.s.porttimer_Timer();
        const std::vector<int> all = r.f.t.box.dataWrites();
        writesDuringMessages.emplace_back(all.begin() + static_cast<long>(before), all.end());
    };
    r.buzzIn(1);
    ASSERT_EQ(r.f.t.dialogs.messages.size(), 2u) << "the message, then Retry/Cancel";
    EXPECT_EQ(writesDuringMessages, (std::vector<std::vector<int>>{{}, {}}));
    EXPECT_EQ(r.f.t.box.codeRequests().size(), 3u) << "two attempts, then the retry";
    EXPECT_EQ(r.s.Label1->text(), QStringLiteral("180"));

    r.f.t.dialogs.onMessage = nullptr;
    r.buzzIn(2);
    r.expectShowing(2);
}

TEST(BuzzIn, ABoxThatStaysSilentIsAskedForAgainUntilTheOperatorGivesUp) {
    using Reply = SimulatedInterface::Reply;
    const Reply silent{Reply::Kind::Silent};
    Road r(ScreenPair::P3_4, kWireless);
    r.arm();
    r.f.t.box.stallNextCode(2);
    r.f.t.box.scriptReplies({silent, silent});
    r.f.t.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Retry};
    r.buzzIn(5);
    ASSERT_EQ(r.f.t.dialogs.messages.size(), 2u);
    EXPECT_EQ(r.f.t.dialogs.messages[1].title, kNotFoundTitle);
    EXPECT_EQ(r.f.t.dialogs.messages[1].buttons, Dialogs::Buttons::RetryCancel);
    EXPECT_EQ(r.f.t.box.resets(), 1);
    EXPECT_EQ(r.f.t.ends, 0) << "Retry: the box answered the third request";
    EXPECT_EQ(r.s.Label1->text(), QStringLiteral("170"));

    // The same again, and this time the operator cancels: the program ends.
    r.tick();
    r.f.t.box.stallNextCode(2);
    r.f.t.box.scriptReplies({silent, silent});
    r.f.t.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Cancel};
    r.buzz(5);
    EXPECT_THROW(r.tick(), ProgramEnded);
    EXPECT_EQ(r.f.t.ends, 1);
    EXPECT_EQ(r.f.t.dialogs.count(kCommunicationText), 2);
    r.expectEmpty();
}

TEST(BuzzIn, EveryClearRearmsTheScreen) {
    struct Clear {
        const char* name;
        void (*run)(Road&);
    };
    const Clear clears[] = {
        {"space", [](Road& r) { r.f.key(Qt::Key_Space); }},
        {"left click", [](Road& r) { PlayFixture::press(r.s.namelabel, Qt::LeftButton); }},
        {"double-click", [](Road& r) { PlayFixture::doubleClick(r.s.namelabel, Qt::LeftButton); }},
    };
    for (const Clear& clear : clears) {
        for (ScreenPair screen : kAllScreens) {
            SCOPED_TRACE(testing::Message()
                         << clear.name << " " << screenName(screen).toStdString());
            Road r(screen, kWired);
            r.arm();
            r.buzzIn(2);
            r.expectShowing(2);
            ASSERT_FALSE(r.s.porttimer->isActive());

            clear.run(r);
            r.expectEmpty();
            EXPECT_TRUE(r.s.porttimer->isActive());
            r.tick();
            r.buzzIn(r.players());
            r.expectShowing(r.players());
        }
    }
}

// --- Second place --------------------------------------------------------------

TEST(SecondPlace, TwoThreeSixShowsTwoPassesOverThreeAndHoldsSix) {
    for (int model : {kWireless, kWireless2}) {
        SCOPED_TRACE(model);
        Road r(ScreenPair::P2_4, model);
        r.setLockUp(true);
        r.arm();
        r.buzzIn(2);
        r.expectShowing(2);
        EXPECT_TRUE(r.s.porttimer->isActive()) << "waiting for a second respondent";

        r.buzzIn(3);  // Alpha, like player 2: passed over
        r.expectShowing(2);
        EXPECT_TRUE(r.s.porttimer->isActive());

        r.f.t.sound.played.clear();
        r.buzzIn(6);  // Beta: held
        r.expectShowing(2);
        EXPECT_FALSE(r.s.porttimer->isActive()) << "the second respondent is held";
        EXPECT_TRUE(r.f.t.sound.played.isEmpty()) << "a capture shows and sounds nothing";

        PlayFixture::press(r.s.namelabel, Qt::LeftButton);
        r.expectShowing(6);
        EXPECT_EQ(r.f.t.sound.played, QStringList{teamSoundFile(1)});
        EXPECT_FALSE(r.f.t->state.SecondPlaceHeld);
        EXPECT_TRUE(r.s.porttimer->isActive());

        // The next buzz-in is a new first respondent and takes over the
        // name; nothing cleared the lamp of the one before.
        r.buzzIn(7);
        EXPECT_EQ(r.s.namelabel->text(), playerName(7));
        EXPECT_EQ(r.litLamps(), (std::set<int>{6, 7}));
        EXPECT_TRUE(r.f.t->state.SecondPlaceHeld);
    }
}

TEST(SecondPlace, TheSpaceBarStartsANewQuestion) {
    Road r(ScreenPair::P3_4, kWireless);
    r.setLockUp(true);
    r.arm();
    r.buzzIn(2);
    r.expectShowing(2);
    ASSERT_TRUE(r.f.t->state.SecondPlaceHeld);

    EXPECT_TRUE(r.f.key(Qt::Key_Space));
    r.expectEmpty();
    EXPECT_FALSE(r.f.t->state.SecondPlaceHeld);
    // Another team's player is shown rather than held out of sight.
    r.buzzIn(10);
    r.expectShowing(10);
    EXPECT_TRUE(r.s.porttimer->isActive());

    // Even with a respondent held, the space bar drops it unseen.
    r.buzzIn(5);
    ASSERT_FALSE(r.s.porttimer->isActive());
    r.f.key(Qt::Key_Space);
    r.expectEmpty();
    r.tick();
    PlayFixture::press(r.s.namelabel, Qt::LeftButton);
    r.expectEmpty();
}

TEST(SecondPlace, EveryWayOfArmingForANewQuestionDropsAHeldRespondent) {
    struct Arming {
        const char* name;
        void (*run)(Road&);
    };
    const Arming ways[] = {
        {"F7", [](Road& r) { r.f.key(Qt::Key_F7); }},
        {"A tab", [](Road& r) { PlayFixture::press(r.s.CommandA, Qt::LeftButton); }},
        {"20 tab", [](Road& r) { PlayFixture::press(r.s.Command20, Qt::LeftButton); }},
        {"bonus with buzz-in allowed",
         [](Road& r) {
             setCheckValue(r.f.options.CheckBuzzonBonus, 1);
             r.f.key(Qt::Key_F10);
         }},
    };
    for (const Arming& way : ways) {
        for (ScreenPair screen : {ScreenPair::P2_4, ScreenPair::P3_5}) {
            SCOPED_TRACE(testing::Message() << way.name << " " << screenName(screen).toStdString());
            Road r(screen, kWireless2);
            r.setLockUp(true);
            r.arm();
            r.buzzIn(2);
            r.buzzIn(r.players());  // another team: held
            ASSERT_FALSE(r.s.porttimer->isActive());

            way.run(r);
            EXPECT_TRUE(r.s.porttimer->isActive());
            EXPECT_FALSE(r.f.t->state.SecondPlaceHeld);
            // The next question's first press is shown, not swallowed.
            r.buzzIn(r.players() - 1);
            EXPECT_EQ(r.s.namelabel->text(), playerName(r.players() - 1));
        }
    }
}

TEST(SecondPlace, AWiredBoxNeverHoldsAnyone) {
    Road r(ScreenPair::P2_5, kWired);
    r.setLockUp(true);
    r.arm();
    r.buzzIn(2);
    r.expectShowing(2);
    EXPECT_FALSE(r.s.porttimer->isActive());
    PlayFixture::press(r.s.namelabel, Qt::LeftButton);
    r.expectEmpty();
    EXPECT_FALSE(r.f.t->state.SecondPlaceHeld);
    EXPECT_TRUE(r.s.porttimer->isActive());
}
