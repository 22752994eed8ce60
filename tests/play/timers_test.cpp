// The response timer and the match clock on each of the four screens: starts,
// ticks, expiry with its words, port bytes and sounds.
#include <map>

#include "playfixture.h"
#include "title/forms.h"

namespace {

// What each screen does differently when a count-down runs out. Written out
// here rather than read from the variant table, so a wrong table entry shows.
struct Expiry {
    const char* clockWord;
    // Data-port bytes when the response timer runs out with the speaker in
    // use (the speaker-off byte, then the expiry tone).
    std::vector<int> timerWithSpeaker;
    // The speaker-off tick writes 0 even when only the sound card is used.
    bool speakerOffAlways;
};

const std::map<ScreenPair, Expiry> kExpiry = {
    {ScreenPair::P2_4, {"Clock Expired", {0, 146}, false}},
    {ScreenPair::P2_5, {"Timer Expired", {0, 146}, false}},
    {ScreenPair::P3_4, {"Timer Expired", {0, 0, 146}, true}},
    {ScreenPair::P3_5, {"Timer Expired", {0, 0, 146}, true}},
};

class Timers : public ::testing::TestWithParam<ScreenPair> {
protected:
    PlayFixture f{GetParam()};
    PlayScreen& s = f.screen;
    const Expiry& expiry = kExpiry.at(GetParam());
};

TEST_P(Timers, ScreenStartsWithEveryTimerStoppedButTheSpeakerOffTick) {
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_FALSE(s.porttimer->isActive());
    EXPECT_TRUE(s.soundtimer->isActive());
    for (QTimer* t : {s.Timer1, s.Timer2}) {
        EXPECT_EQ(t->interval(), 1000);
        EXPECT_EQ(t->timerType(), Qt::PreciseTimer) << "a 60-second time-out must take 60 s";
    }
    EXPECT_EQ(s.porttimer->interval(), 100);
    EXPECT_EQ(s.soundtimer->interval(), 100);
}

TEST_P(Timers, FiveSecondTossUpExpiresOnTheFifthTick) {
    f.menu.Texttimer[7]->setText(QStringLiteral("5"));
    s.spacekey();
    PlayFixture::press(s.CommandT, Qt::LeftButton);
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("5"));
    EXPECT_EQ(s.Labeltimerstate->text(), QStringLiteral("Toss Up"));
    ASSERT_TRUE(s.Timer1->isActive());
    for (int shown = 4; shown >= 1; --shown) {
        f.tick1();
        EXPECT_EQ(s.timerlabel->text(), QString::number(shown));
        EXPECT_TRUE(s.Timer1->isActive());
        EXPECT_TRUE(s.namelabel->text().isEmpty());
    }
    f.clearWrites();
    f.tick1();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("0"));
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Timer Expired"));
    EXPECT_TRUE(s.Labeltimerstate->text().isEmpty());
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_FALSE(s.porttimer->isActive()) << "no buzz-in until the operator clears";
}

TEST_P(Timers, ExpiryBytesAndSoundFollowTheSoundSource) {
    struct Case {
        int source;
        bool speaker;
        bool card;
    };
    for (const Case c : {Case{0, true, false}, Case{1, false, true}, Case{2, true, true}}) {
        SCOPED_TRACE(c.source);
        f.setSoundSource(c.source);
        f.t.sound.played.clear();
        s.soundtimer->stop();
        f.menu.Texttimer[7]->setText(QStringLiteral("1"));
        s.tossUpStart();
        f.clearWrites();
        f.tick1();
        const std::vector<int> expected = c.speaker ? expiry.timerWithSpeaker : std::vector<int>{0};
        EXPECT_EQ(f.writes(), expected);
        EXPECT_EQ(s.soundtimer->isActive(), c.speaker);
        EXPECT_EQ(f.t.sound.played, c.card ? QStringList{f.t->state.TimerSound} : QStringList{});

        // The speaker-off tick, 100 ms later, and then it stops itself.
        f.clearWrites();
        s.soundtimer_Timer();
        const bool offByte = c.speaker || expiry.speakerOffAlways;
        EXPECT_EQ(f.writes(), offByte ? std::vector<int>{0} : std::vector<int>{});
        EXPECT_FALSE(s.soundtimer->isActive());
    }
}

TEST_P(Timers, LengthThatIsNoUsableNumberShowsZeroAndExpiresAtOnce) {
    // No number at all counts as 0; a number too large for the timer is
    // refused the same way instead of being wrapped into another length.
    for (const char* text : {"abc", "", "40000", "-40000", "1e9"}) {
        SCOPED_TRACE(text);
        s.spacekey();
        f.menu.Texttimer[7]->setText(QString::fromLatin1(text));
        s.tossUpStart();
        EXPECT_EQ(s.timerlabel->text(), QStringLiteral("0"));
        f.tick1();
        EXPECT_EQ(s.timerlabel->text(), QStringLiteral("-1"));
        EXPECT_EQ(s.namelabel->text(), QStringLiteral("Timer Expired"));
    }
    f.menu.Texttimer[7]->setText(QStringLiteral("12 seconds"));
    s.tossUpStart();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("12"));
}

TEST_P(Timers, TurnOffClearKeepsTheTossUpFromANameOnShow) {
    f.menu.Texttimer[7]->setText(QStringLiteral("5"));
    f.menu.Texttimer[8]->setText(QStringLiteral("10"));
    struct Case {
        bool turnOffClear;
        const char* name;
        QWidget* widget;
        Qt::MouseButton button;
        const char* timerShows;  // nullptr: nothing started
    };
    const Case cases[] = {
        {true, "Bartholomew", s.CommandT, Qt::LeftButton, nullptr},
        {true, "Bartholomew", s.timerlabel, Qt::LeftButton, nullptr},
        {true, "", s.CommandT, Qt::LeftButton, "5"},
        {true, "", s.timerlabel, Qt::LeftButton, "5"},
        {false, "Bartholomew", s.CommandT, Qt::LeftButton, "5"},
        {false, "Bartholomew", s.timerlabel, Qt::LeftButton, "5"},
        {false, "Bartholomew", s.timerlabel, Qt::MiddleButton, "5"},
        {false, "", s.CommandT, Qt::RightButton, nullptr},
        {true, "", s.timerlabel, Qt::MiddleButton, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.turnOffClear << " " << c.name << " "
                                        << c.widget->objectName().toStdString() << " " << c.button);
        setCheckValue(f.options.CheckTurnOffClear, c.turnOffClear ? 1 : 0);
        ASSERT_EQ(f.t->state.TurnOffClear, c.turnOffClear);
        s.Timer1->stop();
        s.Labeltimerstate->setText(QString());
        s.timerlabel->setText(QStringLiteral("idle"));
        s.namelabel->setText(QString::fromLatin1(c.name));
        PlayFixture::press(c.widget, c.button);
        if (c.timerShows) {
            EXPECT_EQ(s.timerlabel->text(), QString::fromLatin1(c.timerShows));
            EXPECT_EQ(s.Labeltimerstate->text(), QStringLiteral("Toss Up"));
            EXPECT_TRUE(s.Timer1->isActive());
        } else {
            EXPECT_EQ(s.timerlabel->text(), QStringLiteral("idle"));
            EXPECT_FALSE(s.Timer1->isActive());
        }
    }
}

TEST_P(Timers, RightClickOnTheTimerStartsTheBonusAfterTheTossUpTest) {
    f.menu.Texttimer[8]->setText(QStringLiteral("10"));
    // With TurnOffClear on and a name shown, the toss-up is skipped and only
    // the bonus starts.
    setCheckValue(f.options.CheckTurnOffClear, 1);
    s.namelabel->setText(QStringLiteral("Bartholomew"));
    f.clearWrites();
    PlayFixture::press(s.timerlabel, Qt::RightButton);
    EXPECT_EQ(s.Labeltimerstate->text(), QStringLiteral("Bonus"));
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("10"));
    EXPECT_EQ(f.writes(), std::vector<int>{0});
}

TEST_P(Timers, BonusStopsOrAcceptsBuzzInsAsTheOptionSays) {
    f.menu.Texttimer[8]->setText(QStringLiteral("10"));
    struct Case {
        bool buzzOnBonus;
        QWidget* widget;
        Qt::MouseButton button;
        const char* name;
        bool polling;
        std::vector<int> writes;
    };
    const Case cases[] = {
        {false, s.CommandB, Qt::LeftButton, "Bonus", false, {0}},
        {false, s.timerlabel, Qt::RightButton, "Bonus", false, {0}},
        {true, s.CommandB, Qt::LeftButton, "", true, {}},
        {true, s.timerlabel, Qt::RightButton, "", true, {0}},
    };
    setCheckValue(f.options.CheckTurnOffClear, 1);  // the right click starts only the bonus
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.buzzOnBonus << " " << c.widget->objectName().toStdString());
        setCheckValue(f.options.CheckBuzzonBonus, c.buzzOnBonus ? 1 : 0);
        s.namelabel->setText(QStringLiteral("Bartholomew"));
        c.buzzOnBonus ? s.porttimer->stop() : s.porttimer->start();
        f.clearWrites();
        PlayFixture::press(c.widget, c.button);
        EXPECT_EQ(s.namelabel->text(), QString::fromLatin1(c.name));
        EXPECT_EQ(s.Labeltimerstate->text(), QStringLiteral("Bonus"));
        EXPECT_EQ(s.timerlabel->text(), QStringLiteral("10"));
        EXPECT_EQ(s.porttimer->isActive(), c.polling);
        EXPECT_TRUE(s.Timer1->isActive());
        EXPECT_EQ(f.writes(), c.writes);
    }
    // F10 is the "B" tab.
    setCheckValue(f.options.CheckBuzzonBonus, 0);
    s.spacekey();
    f.clearWrites();
    EXPECT_TRUE(f.key(Qt::Key_F10));
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Bonus"));
    EXPECT_FALSE(s.porttimer->isActive());
    EXPECT_EQ(f.writes(), std::vector<int>{0});
}

TEST_P(Timers, AuxiliaryStartsArmTheSystemAndLeaveTheLamps) {
    f.menu.Texttimer[10]->setText(QStringLiteral("45"));
    f.menu.Texttimer[7]->setText(QStringLiteral("5"));
    struct Case {
        QWidget* widget;  // nullptr: F7
        const char* shows;
        const char* state;
    };
    for (const Case& c : {Case{s.CommandA, "45", "Auxillary"}, Case{s.Command20, "20", "Auxillary"},
                          Case{nullptr, "45", "Toss Up"}}) {
        SCOPED_TRACE(c.shows + std::string(" ") + c.state);
        s.namelabel->setText(QStringLiteral("Bartholomew"));
        s.Labelteam->setText(QStringLiteral("Alpha"));
        setBackColour(s.ascorelabel, colourFromBgr(playcolour::kScoreHighlight));
        setBackColour(s.p1label[1], colourFromBgr(playcolour::kLampLit));
        s.porttimer->stop();
        if (c.widget) {
            PlayFixture::press(c.widget, Qt::LeftButton);
        } else {
            EXPECT_TRUE(f.key(Qt::Key_F7));
        }
        EXPECT_EQ(s.timerlabel->text(), QString::fromLatin1(c.shows));
        EXPECT_EQ(s.Labeltimerstate->text(), QString::fromLatin1(c.state));
        EXPECT_TRUE(s.namelabel->text().isEmpty());
        EXPECT_TRUE(s.Labelteam->text().isEmpty());
        EXPECT_TRUE(s.porttimer->isActive());
        EXPECT_TRUE(s.Timer1->isActive());
        EXPECT_EQ(backColour(s.ascorelabel), buttonFaceColour());
        EXPECT_EQ(backColour(s.p1label[1]), colourFromBgr(playcolour::kLampLit));
    }
    // Only the left button starts them.
    s.Timer1->stop();
    PlayFixture::press(s.CommandA, Qt::RightButton);
    PlayFixture::press(s.Command20, Qt::RightButton);
    PlayFixture::press(s.CommandB, Qt::RightButton);
    EXPECT_FALSE(s.Timer1->isActive());
}

TEST_P(Timers, AuxiliaryStartClearsEveryTeamsHighlight) {
    for (int team = 0; team < s.variant().teams; ++team) {
        setBackColour(s.scoreLabel(team), colourFromBgr(playcolour::kScoreHighlight));
    }
    PlayFixture::press(s.Command20, Qt::LeftButton);
    for (int team = 0; team < s.variant().teams; ++team) {
        EXPECT_EQ(backColour(s.scoreLabel(team)), buttonFaceColour()) << team;
    }
}

TEST_P(Timers, MatchClockRunsOutOneTickAfterShowingZero) {
    f.menu.Texttimer[6]->setText(QStringLiteral("0:01"));
    s.Form_Activate();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 0:01"));
    EXPECT_EQ(foreColour(s.clocklabel), greyTextColour());
    s.tossUpStart();
    PlayFixture::press(s.clocklabel, Qt::LeftButton);
    ASSERT_TRUE(s.Timer2->isActive());
    EXPECT_FALSE(s.Timer1->isActive()) << "starting the clock stops the response timer";
    EXPECT_TRUE(s.timerlabel->text().isEmpty());
    EXPECT_EQ(foreColour(s.clocklabel), buttonTextColour());

    s.porttimer->stop();
    f.tick2();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 0:00"));
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_TRUE(s.namelabel->text() != QLatin1String(expiry.clockWord));

    f.clearWrites();
    f.tick2();
    EXPECT_EQ(s.namelabel->text(), QString::fromLatin1(expiry.clockWord));
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 0:00"));
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_TRUE(s.porttimer->isActive()) << "buzz-ins are taken after the clock runs out";
    EXPECT_EQ(f.writes(), (std::vector<int>{0, 82}));
    EXPECT_TRUE(s.soundtimer->isActive());
}

TEST_P(Timers, ClockCountsMinutesAndSeconds) {
    struct Case {
        const char* start;
        std::vector<const char*> shown;
    };
    const Case cases[] = {
        {"15:00", {" 14:59", " 14:58"}},
        {"1:00", {" 0:59"}},
        {"10:10",
         {" 10:09", " 10:08", " 10:07", " 10:06", " 10:05", " 10:04", " 10:03", " 10:02", " 10:01",
          " 10:00", " 9:59"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        s.Timer2->stop();
        f.menu.Texttimer[6]->setText(QString::fromLatin1(c.start));
        s.Form_Activate();
        s.clockStart();
        for (const char* text : c.shown) {
            f.tick2();
            EXPECT_EQ(s.clocklabel->text(), QString::fromLatin1(text));
        }
    }
}

TEST_P(Timers, ClickOnTheClockStopsItForATimeOutAndTheNextClickResumes) {
    f.menu.Texttimer[9]->setText(QStringLiteral("60"));
    f.menu.Texttimer[6]->setText(QStringLiteral("15:00"));
    s.Form_Activate();
    PlayFixture::press(s.clocklabel, Qt::LeftButton);
    f.tick2(3);
    PlayFixture::press(s.clocklabel, Qt::LeftButton);
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_EQ(foreColour(s.clocklabel), greyTextColour());
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Time Out"));
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("60"));
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:57"));

    PlayFixture::press(s.clocklabel, Qt::RightButton);
    EXPECT_TRUE(s.Timer2->isActive());
    EXPECT_FALSE(s.Timer1->isActive());
    EXPECT_TRUE(s.timerlabel->text().isEmpty());
    f.tick2();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:56"));
}

TEST_P(Timers, DisableMatchTimerTurnsEveryClockClickIntoATimeOutButF5StillStarts) {
    setCheckValue(f.options.CheckDisableMatchTimer, 1);
    for (int click = 0; click < 3; ++click) {
        s.namelabel->setText(QString());
        PlayFixture::press(s.clocklabel, Qt::LeftButton);
        EXPECT_FALSE(s.Timer2->isActive());
        EXPECT_EQ(s.namelabel->text(), QStringLiteral("Time Out"));
        EXPECT_TRUE(s.Timer1->isActive());
    }
    EXPECT_TRUE(f.key(Qt::Key_F5));
    EXPECT_TRUE(s.Timer2->isActive());
    // While it runs a click stops it, option or not.
    PlayFixture::press(s.clocklabel, Qt::LeftButton);
    EXPECT_FALSE(s.Timer2->isActive());
}

TEST_P(Timers, TimeOutKeysShowTheMenuOnlyFromF8) {
    f.menu.Texttimer[9]->setText(QStringLiteral("30"));
    f.menu.Texttimer[6]->setText(QStringLiteral("15:00"));
    s.Form_Activate();
    s.clockStart();
    f.tick2(2);
    EXPECT_TRUE(f.key(Qt::Key_F6));
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("30"));
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Time Out"));
    EXPECT_FALSE(f.menu.isVisible());

    s.clockStart();
    f.tick2();
    EXPECT_TRUE(f.key(Qt::Key_F8));
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Time Out"));
    EXPECT_TRUE(f.menu.isVisible());
    EXPECT_FALSE(f.menu.isModal());
    // Unlike the button, F8 leaves the menu's match time as it was.
    EXPECT_EQ(f.menu.Texttimer[6]->text(), QStringLiteral("15:00"));
}

TEST_P(Timers, SetUpMenuButtonParksTheClockInTheMenuAndActivationResumesIt) {
    f.menu.Texttimer[6]->setText(QStringLiteral("15:00"));
    f.menu.Texttimer[9]->setText(QStringLiteral("60"));
    s.Form_Activate();
    s.clockStart();
    f.tick2(3);
    PlayFixture::press(s.Commandsetupmenu, Qt::RightButton);
    EXPECT_EQ(f.menu.Texttimer[6]->text(), QStringLiteral(" 14:57"));
    EXPECT_FALSE(s.Timer2->isActive());
    EXPECT_EQ(s.namelabel->text(), QStringLiteral("Time Out"));
    EXPECT_TRUE(s.Timer1->isActive());
    EXPECT_TRUE(f.menu.isVisible());
    EXPECT_FALSE(f.menu.isModal());
    // The other menu is not this screen's.
    const MenuKind other =
        menuOf(GetParam()) == MenuKind::Players4 ? MenuKind::Players5 : MenuKind::Players4;
    EXPECT_FALSE(formsOf(*f.t).isLoaded(other) && formsOf(*f.t).setupMenu(other).isVisible());

    s.Form_Activate();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:57"));
    s.clockStart();
    f.tick2();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:56"));
}

TEST_P(Timers, ActivationLeavesARunningClockAlone) {
    f.menu.Texttimer[6]->setText(QStringLiteral("15:00"));
    s.Form_Activate();
    s.clockStart();
    f.tick2(5);
    s.Form_Activate();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:55"));
    EXPECT_EQ(s.clockminutes, 14);
    EXPECT_EQ(s.clockseconds, 55);
    EXPECT_EQ(foreColour(s.clocklabel), buttonTextColour());
    f.tick2();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 14:54"));
}

TEST_P(Timers, ActivationReadsAStoppedClockAndTheBoards) {
    struct Case {
        const char* matchTime;
        const char* shown;
    };
    for (const Case& c : {Case{"15:00", " 15:00"}, Case{"7:30", " 7:30"}, Case{"abc", " 0:00"},
                          Case{"", " 0:00"}, Case{"90:05", " 90:05"}}) {
        SCOPED_TRACE(c.matchTime);
        f.menu.Texttimer[6]->setText(QString::fromLatin1(c.matchTime));
        s.Form_Activate();
        EXPECT_EQ(s.clocklabel->text(), QString::fromLatin1(c.shown));
        EXPECT_EQ(foreColour(s.clocklabel), greyTextColour());
    }
    EXPECT_EQ(s.Label1->text(), QStringLiteral("Naddress is:  888"));

    s.ascorelabel->setText(QStringLiteral("12"));
    s.bscorelabel->setText(QStringLiteral("-7"));
    if (s.gscorelabel) {
        s.gscorelabel->setText(QStringLiteral("30"));
    }
    s.Form_Activate();
    EXPECT_EQ(s.ascore, 12);
    EXPECT_EQ(s.bscore, -7);
    EXPECT_EQ(s.gscore, isThreeTeam(GetParam()) ? 30 : 0);
}

TEST_P(Timers, RealActivationRunsTheActivationHandler) {
    f.menu.Texttimer[6]->setText(QStringLiteral("9:09"));
    s.show();
    s.activateWindow();
    QApplication::setActiveWindow(&s);
    QApplication::processEvents();
    EXPECT_EQ(s.clocklabel->text(), QStringLiteral(" 9:09"));
    s.hide();
}

INSTANTIATE_TEST_SUITE_P(AllScreens, Timers, ::testing::ValuesIn(kAllScreens), screenLabel);

}  // namespace
