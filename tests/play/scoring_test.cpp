// Scores by mouse and by key on each screen.
#include <QLineEdit>

#include "playfixture.h"
#include "title/forms.h"

namespace {

class Scoring : public ::testing::TestWithParam<ScreenPair> {
protected:
    void setIncrement(const char* text) {
        f.menu.textincrement[0]->setText(QString::fromLatin1(text));
    }
    // The board and the two tabs of a team.
    struct TeamWidgets {
        ScaledLabel* board;
        TabButton* ten;
        TabButton* five;
    };
    std::vector<TeamWidgets> teams() const {
        std::vector<TeamWidgets> all = {{s.ascorelabel, s.a10, s.a5}, {s.bscorelabel, s.b10, s.b5}};
        if (s.gscorelabel) all.push_back({s.gscorelabel, s.g10, s.g5});
        return all;
    }

    PlayFixture f{GetParam()};
    PlayScreen& s = f.screen;
};

TEST_P(Scoring, LeftAddsRightTakesAwayOnEveryBoard) {
    setIncrement("1");
    const auto all = teams();
    for (std::size_t team = 0; team < all.size(); ++team) {
        SCOPED_TRACE(team);
        ScaledLabel* board = all[team].board;
        PlayFixture::press(board, Qt::LeftButton);
        EXPECT_EQ(board->text(), QStringLiteral("1"));
        PlayFixture::press(board, Qt::RightButton);
        EXPECT_EQ(board->text(), QStringLiteral("0"));
        PlayFixture::press(board, Qt::RightButton);
        EXPECT_EQ(board->text(), QStringLiteral("-1"));
        EXPECT_EQ(s.score(static_cast<int>(team)), -1);
    }
}

TEST_P(Scoring, TabsStepByFiveAndTenIncrements) {
    setIncrement("2");
    const auto all = teams();
    for (std::size_t team = 0; team < all.size(); ++team) {
        SCOPED_TRACE(team);
        const TeamWidgets& w = all[team];
        PlayFixture::press(w.ten, Qt::LeftButton);
        EXPECT_EQ(w.board->text(), QStringLiteral("20"));
        PlayFixture::press(w.five, Qt::RightButton);
        EXPECT_EQ(w.board->text(), QStringLiteral("10"));
        PlayFixture::press(w.five, Qt::LeftButton);
        PlayFixture::press(w.ten, Qt::RightButton);
        EXPECT_EQ(w.board->text(), QStringLiteral("0"));
        PlayFixture::press(w.ten, Qt::MiddleButton);
        EXPECT_EQ(w.board->text(), QStringLiteral("0"));
    }
    // The other teams were not touched by one team's tabs.
    s.Form_Activate();
    for (std::size_t team = 0; team < all.size(); ++team)
        EXPECT_EQ(s.score(int(team)), 0);
}

TEST_P(Scoring, QuickDoubleClickCountsTwice) {
    setIncrement("1");
    PlayFixture::doubleClick(s.ascorelabel, Qt::LeftButton);
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("2"));
    PlayFixture::doubleClick(s.b10, Qt::LeftButton);
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("20"));
}

TEST_P(Scoring, MiddleClickRewritesTheBoardFromTheScore) {
    setIncrement("1");
    PlayFixture::press(s.ascorelabel, Qt::LeftButton);
    s.ascorelabel->setText(QStringLiteral("edited"));
    PlayFixture::press(s.ascorelabel, Qt::MiddleButton);
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("1"));
}

TEST_P(Scoring, ScoresStopAtTheSixteenBitLimits) {
    struct Case {
        const char* increment;
        int startScore;
        Qt::MouseButton button;
        int expected;
    };
    const Case cases[] = {
        {"1", 32767, Qt::LeftButton, 32767},    {"1", 32766, Qt::LeftButton, 32767},
        {"1", -32768, Qt::RightButton, -32768}, {"32767", 0, Qt::LeftButton, 32767},
        {"32767", 0, Qt::RightButton, -32767},  {"-5", 32765, Qt::RightButton, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.increment << " from " << c.startScore);
        setIncrement(c.increment);
        s.ascorelabel->setText(QString::number(c.startScore));
        s.Form_Activate();
        PlayFixture::press(s.ascorelabel, c.button);
        EXPECT_EQ(s.ascorelabel->text(), QString::number(c.expected));
        EXPECT_EQ(s.ascore, c.expected);
    }
    // Ten steps of a large increment at once: held at the limit, not wrapped.
    setIncrement("30000");
    s.bscorelabel->setText(QStringLiteral("0"));
    s.Form_Activate();
    PlayFixture::press(s.b10, Qt::LeftButton);
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("32767"));
    PlayFixture::press(s.b10, Qt::RightButton);
    PlayFixture::press(s.b10, Qt::RightButton);
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("-32768"));
    // The keys too.
    setIncrement("1");
    s.bscorelabel->setText(QStringLiteral("32767"));
    s.Form_Activate();
    EXPECT_TRUE(f.key(Qt::Key_F3));
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("32767"));
}

TEST_P(Scoring, AnIncrementThatIsNoUsableNumberStepsByNothing) {
    for (const char* text : {"abc", "", "40000", "-40000"}) {
        SCOPED_TRACE(text);
        setIncrement(text);
        PlayFixture::press(s.ascorelabel, Qt::LeftButton);
        PlayFixture::press(s.a10, Qt::LeftButton);
        EXPECT_TRUE(f.key(Qt::Key_F1));
        EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("0"));
    }
    setIncrement("2.5");  // rounded half to even
    PlayFixture::press(s.ascorelabel, Qt::LeftButton);
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("2"));
}

TEST_P(Scoring, ScoreKeysUseTheIncrementTypedNow) {
    // From the first press, before any mouse scoring, and after the operator
    // changes the step.
    setIncrement("3");
    EXPECT_TRUE(f.key(Qt::Key_F1));
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("3"));
    setIncrement("5");
    EXPECT_TRUE(f.key(Qt::Key_F1));
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("8"));
    EXPECT_TRUE(f.key(Qt::Key_F2));
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("3"));
    EXPECT_TRUE(f.key(Qt::Key_F3));
    EXPECT_TRUE(f.key(Qt::Key_F3));
    EXPECT_TRUE(f.key(Qt::Key_F4));
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("5"));
    EXPECT_EQ(s.increment, 5);
}

TEST_P(Scoring, EachScreenReadsTheMenuOfItsPlayerCount) {
    SetupMenu& other = formsOf(*f.t).setupMenu(
        menuOf(GetParam()) == MenuKind::Players4 ? MenuKind::Players5 : MenuKind::Players4);
    other.textincrement[0]->setText(QStringLiteral("7"));
    other.Texttimer[7]->setText(QStringLiteral("33"));
    setIncrement("2");
    f.menu.Texttimer[7]->setText(QStringLiteral("6"));
    PlayFixture::press(s.ascorelabel, Qt::LeftButton);
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("2"));
    s.tossUpStart();
    EXPECT_EQ(s.timerlabel->text(), QStringLiteral("6"));
    // The sound source too: with the speaker chosen only in the other menu,
    // expiry writes no tone.
    f.setSoundSource(1);
    other.ComboSound->setCurrentIndex(0);
    f.menu.Texttimer[7]->setText(QStringLiteral("1"));
    s.tossUpStart();
    f.clearWrites();
    f.tick1();
    EXPECT_EQ(f.writes(), std::vector<int>{0});
}

TEST_P(Scoring, ActivationPicksUpABoardWrittenElsewhere) {
    setIncrement("1");
    s.ascorelabel->setText(QStringLiteral("40"));
    s.bscorelabel->setText(QStringLiteral("25"));
    s.Form_Activate();
    PlayFixture::press(s.ascorelabel, Qt::LeftButton);
    EXPECT_TRUE(f.key(Qt::Key_F4));
    EXPECT_EQ(s.ascorelabel->text(), QStringLiteral("41"));
    EXPECT_EQ(s.bscorelabel->text(), QStringLiteral("24"));
}

INSTANTIATE_TEST_SUITE_P(AllScreens, Scoring, ::testing::ValuesIn(kAllScreens), screenLabel);

}  // namespace
