// The wired and wireless decoders against the button maps and transmitter
// numbers as the boxes' documentation gives them, row by row, and
// exhaustively over every code.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <vector>

#include "app/clock.h"
#include "app/random.h"
#include "link/decoders.h"
#include "sim/simulatedinterface.h"
#include "sim/simulatedusbmodule.h"

using buzzlink::Decoded;

namespace {

constexpr ScreenPair kScreens[] = {ScreenPair::P2_4, ScreenPair::P2_5, ScreenPair::P3_4,
                                   ScreenPair::P3_5};
int players(ScreenPair s) { return teamsOf(s) * playersPerTeamOf(s); }

// Draws the values it was given, then 0.
struct ScriptedRandom final : Random {
    std::deque<double> values;
    double next() override {
        if (values.empty()) return 0.0;
        const double v = values.front();
        values.pop_front();
        return v;
    }
};

// One row of a box's button table: consecutive bits of one byte, and per
// screen (2_4, 2_5, 3_4, 3_5) the first player they give, or what happens.
constexpr int kIgnored = 0;
constexpr int kDrop = -1;
struct Row {
    int byte;
    std::vector<std::uint8_t> masks;
    int perScreen[4];
};

// Model 180: buttons straight through, a screen taking as many as it has
// players.
const std::vector<Row> kModel180 = {
    {1, {0x10, 0x20, 0x40, 0x80}, {1, 1, 1, 1}},
    {1, {0x01, 0x02, 0x04, 0x08}, {5, 5, 5, 5}},
    {2, {0x01, 0x02}, {kIgnored, 9, 9, 9}},
    {2, {0x04, 0x08}, {kIgnored, kIgnored, 11, 11}},
    {2, {0x10, 0x20, 0x40}, {kIgnored, kIgnored, kIgnored, 13}},
};

// Model 210: fixed team positions.
const std::vector<Row> kModel210 = {
    {1, {0x10, 0x20, 0x40, 0x80}, {1, 1, 1, 1}},              // Alpha 1-4
    {1, {0x01, 0x02, 0x04, 0x08}, {5, 6, 5, 6}},              // Beta 1-4
    {2, {0x01, 0x02, 0x04, 0x08}, {kIgnored, kDrop, 9, 11}},  // Gamma 1-4
    {2, {0x10}, {kDrop, 10, kDrop, 10}},                      // Beta 5
    {2, {0x20}, {kDrop, kDrop, kDrop, 15}},                   // Gamma 5
    {2, {0x40}, {kDrop, 5, kDrop, 5}},                        // Alpha 5
};

struct Model {
    const char* name;
    const std::vector<Row>* rows;
    Decoded (*decode)(ScreenPair, std::uint8_t, std::uint8_t, Random&);
};
const Model kWiredModels[] = {{"180", &kModel180, buzzlink::wired},
                              {"210", &kModel210, buzzlink::wired210}};

// What one line held down means, from the rows above: a player, kIgnored
// or kDrop.
struct Meaning {
    int byte;
    std::uint8_t mask;
    int value;
};
std::vector<Meaning> meanings(const std::vector<Row>& rows, ScreenPair screen) {
    std::vector<Meaning> out;
    for (const Row& row : rows) {
        const int first = row.perScreen[static_cast<int>(screen)];
        for (std::size_t i = 0; i < row.masks.size(); ++i) {
            out.push_back(
                {row.byte, row.masks[i], first > 0 ? first + static_cast<int>(i) : first});
        }
    }
    return out;
}

// The bytes a box sends with exactly this line down (active low).
std::pair<std::uint8_t, std::uint8_t> only(int byte, std::uint8_t mask) {
    const auto down = static_cast<std::uint8_t>(0xFF ^ mask);
    return byte == 1 ? std::pair<std::uint8_t, std::uint8_t>{down, 0xFF}
                     : std::pair<std::uint8_t, std::uint8_t>{0xFF, down};
}

}  // namespace

TEST(WiredDecoders, EachButtonAloneFollowsTheModelsTable) {
    SeededRandom random(1);
    for (const Model& model : kWiredModels) {
        for (ScreenPair screen : kScreens) {
            for (const Meaning& m : meanings(*model.rows, screen)) {
                const auto [first, second] = only(m.byte, m.mask);
                const Decoded d = model.decode(screen, first, second, random);
                SCOPED_TRACE(testing::Message()
                             << model.name << " " << screenName(screen).toStdString() << " byte "
                             << m.byte << " bit " << int(m.mask));
                if (m.value == kDrop) {
                    EXPECT_EQ(d.kind, Decoded::Kind::Dropped);
                } else if (m.value == kIgnored) {
                    EXPECT_EQ(d.kind, Decoded::Kind::Nobody);
                } else {
                    EXPECT_EQ(d.kind, Decoded::Kind::Player);
                    EXPECT_EQ(d.player, m.value);
                    EXPECT_EQ(d.pressed, 1);
                }
            }
        }
    }
}

TEST(WiredDecoders, KnownCodes) {
    struct Case {
        const char* model;
        ScreenPair screen;
        std::uint8_t first, second;
        Decoded::Kind kind;
        int player;
    };
    using K = Decoded::Kind;
    const Case cases[] = {
        {"180", ScreenPair::P2_4, 0xEF, 0xFF, K::Player, 1},   // Alpha's first
        {"180", ScreenPair::P2_4, 0xFE, 0xFF, K::Player, 5},   // Beta's first
        {"180", ScreenPair::P2_5, 0xFE, 0xFF, K::Player, 5},   // Alpha's fifth
        {"180", ScreenPair::P2_5, 0xFF, 0xFD, K::Player, 10},  // Beta's fifth
        {"180", ScreenPair::P2_4, 0xFF, 0x00, K::Nobody, 0},   // all of byte 2 ignored
        {"180", ScreenPair::P2_4, 0xFF, 0xFF, K::Nobody, 0},   // nothing pressed
        // Every line of the box idles high: on the 15-player screen an idle
        // second byte holds nobody, so a lone press is no tie.
        {"180", ScreenPair::P3_5, 0xEF, 0xFF, K::Player, 1},
        {"180", ScreenPair::P3_5, 0xFF, 0xEF, K::Player, 13},
        {"180", ScreenPair::P3_5, 0xFF, 0xBF, K::Player, 15},
        {"210", ScreenPair::P2_4, 0xEF, 0xEF, K::Dropped, 0},  // Alpha 1 with Beta 5
        {"210", ScreenPair::P2_4, 0xEF, 0xDF, K::Dropped, 0},
        {"210", ScreenPair::P2_4, 0xEF, 0xBF, K::Dropped, 0},
        {"210", ScreenPair::P2_4, 0xEF, 0xF0, K::Player, 1},  // Gamma 1-4 have no effect
        {"210", ScreenPair::P2_5, 0xFF, 0xBF, K::Player, 5},
        {"210", ScreenPair::P2_5, 0xFF, 0xEF, K::Player, 10},
        {"210", ScreenPair::P2_5, 0xFF, 0xFE, K::Dropped, 0},  // a Gamma button
        {"210", ScreenPair::P3_5, 0xFF, 0xDF, K::Player, 15},
        {"210", ScreenPair::P3_5, 0xFF, 0xF7, K::Player, 14},
    };
    SeededRandom random(2);
    for (const Case& c : cases) {
        const auto decode = c.model[1] == '8' ? buzzlink::wired : buzzlink::wired210;
        const Decoded d = decode(c.screen, c.first, c.second, random);
        EXPECT_EQ(d.kind, c.kind) << c.model << " " << int(c.first) << " " << int(c.second);
        EXPECT_EQ(d.player, c.player) << c.model << " " << int(c.first) << " " << int(c.second);
    }
}

TEST(WiredDecoders, EveryTwoByteCodeGivesAPressedPlayerNobodyOrDropped) {
    SeededRandom random(3);
    for (const Model& model : kWiredModels) {
        for (ScreenPair screen : kScreens) {
            const std::vector<Meaning> lines = meanings(*model.rows, screen);
            for (int first = 0; first < 256; ++first) {
                for (int second = 0; second < 256; ++second) {
                    std::set<int> down;
                    bool drop = false;
                    for (const Meaning& m : lines) {
                        const int byte = m.byte == 1 ? first : second;
                        if (byte & m.mask) continue;
                        if (m.value == kDrop) drop = true;
                        if (m.value > 0) down.insert(m.value);
                    }
                    const Decoded d = model.decode(screen, static_cast<std::uint8_t>(first),
                                                   static_cast<std::uint8_t>(second), random);
                    if (drop) {
                        ASSERT_EQ(d.kind, Decoded::Kind::Dropped) << first << " " << second;
                    } else if (down.empty()) {
                        ASSERT_EQ(d.kind, Decoded::Kind::Nobody) << first << " " << second;
                    } else {
                        ASSERT_EQ(d.kind, Decoded::Kind::Player) << first << " " << second;
                        ASSERT_TRUE(down.count(d.player)) << first << " " << second;
                        ASSERT_LE(d.player, players(screen));
                        ASSERT_EQ(d.pressed, static_cast<int>(down.size()));
                    }
                }
            }
        }
    }
}

TEST(WiredDecoders, TwoPressesGiveOneOfTheTwoAndEitherCanWin) {
    SeededRandom random(20261208);
    for (const Model& model : kWiredModels) {
        for (ScreenPair screen : kScreens) {
            const std::vector<Meaning> lines = meanings(*model.rows, screen);
            std::vector<Meaning> playerLines;
            for (const Meaning& m : lines) {
                if (m.value > 0) playerLines.push_back(m);
            }
            for (std::size_t a = 0; a < playerLines.size(); ++a) {
                for (std::size_t b = a + 1; b < playerLines.size(); ++b) {
                    std::uint8_t bytes[3] = {0, 0xFF, 0xFF};
                    bytes[playerLines[a].byte] ^= playerLines[a].mask;
                    bytes[playerLines[b].byte] ^= playerLines[b].mask;
                    std::set<int> winners;
                    for (int draw = 0; draw < 400; ++draw) {
                        const Decoded d = model.decode(screen, bytes[1], bytes[2], random);
                        ASSERT_EQ(d.kind, Decoded::Kind::Player);
                        ASSERT_TRUE(d.player == playerLines[a].value ||
                                    d.player == playerLines[b].value);
                        winners.insert(d.player);
                    }
                    EXPECT_EQ(winners.size(), 2u)
                        << model.name << " " << screenName(screen).toStdString() << " players "
                        << playerLines[a].value << " and " << playerLines[b].value;
                }
            }
        }
    }
}

TEST(TieBreak, ScansUpwardFromTheDrawnPlayerAndWraps) {
    struct Case {
        std::vector<int> pressed;
        int tieSize;
        double draw;
        int winner;
    };
    const Case cases[] = {
        {{2, 7}, 8, 0.0, 2},    // start 1: the first pressed upward is 2
        {{2, 7}, 8, 0.125, 2},  // start 2
        {{2, 7}, 8, 0.25, 7},   // start 3
        {{2, 7}, 8, 0.875, 2},  // start 8: nothing at 8, wraps to 1, then 2
        {{1, 8}, 8, 0.99, 8},   // start 8 is pressed itself
        // A draw beyond the last player of a 10-player screen with a
        // 15-wide tie carries on from player 1.
        {{3, 9}, 15, 11.0 / 15, 3},
        {{3, 9}, 15, 5.0 / 15, 9},
    };
    for (const Case& c : cases) {
        std::array<bool, 16> pressed{};
        for (int p : c.pressed)
            pressed[p] = true;
        ScriptedRandom random;
        random.values = {c.draw};
        EXPECT_EQ(buzzlink::breakTie(pressed, c.tieSize, random), c.winner) << c.draw;
    }
}

TEST(TieBreak, UsesOneDrawPerTieAndNoneForASinglePress) {
    ScriptedRandom random;
    random.values = {0.5, 0.0};
    EXPECT_EQ(buzzlink::wired(ScreenPair::P2_4, 0xEF, 0xFF, random).player, 1);
    EXPECT_EQ(random.values.size(), 2u) << "a lone press draws nothing";
    // Players 1 and 5 (0x10 and 0x01 low): the draw 0.5 starts at 5.
    EXPECT_EQ(buzzlink::wired(ScreenPair::P2_4, 0xEE, 0xFF, random).player, 5);
    EXPECT_EQ(random.values.size(), 1u);
}

TEST(WiredDecoders, EveryPlayersLineDecodesBackToThatPlayer) {
    SeededRandom random(4);
    struct M {
        const buzzlink::WiredModel* table;
        Decoded (*decode)(ScreenPair, std::uint8_t, std::uint8_t, Random&);
    };
    for (const M m : {M{&buzzlink::kWiredModel180, buzzlink::wired},
                      M{&buzzlink::kWiredModel210, buzzlink::wired210}}) {
        for (ScreenPair screen : kScreens) {
            std::set<int> lineNumbers;
            for (int p = 1; p <= players(screen); ++p) {
                const auto line = buzzlink::lineOfPlayer(*m.table, screen, p);
                ASSERT_TRUE(line.has_value()) << p;
                lineNumbers.insert(buzzlink::boxLineNumber(*line));
                const auto [first, second] = only(line->byte, line->mask);
                const Decoded d = m.decode(screen, first, second, random);
                EXPECT_EQ(d.player, p);
            }
            EXPECT_EQ(lineNumbers.size(), static_cast<std::size_t>(players(screen)));
            EXPECT_FALSE(buzzlink::lineOfPlayer(*m.table, screen, players(screen) + 1));
        }
    }
    EXPECT_EQ(buzzlink::boxLineNumber({1, 0x01}), 0);
    EXPECT_EQ(buzzlink::boxLineNumber({1, 0x80}), 7);
    EXPECT_EQ(buzzlink::boxLineNumber({2, 0x40}), 14);
}

TEST(UsbDecoder, TakesTheFirstByteOfTheModel180Map) {
    SeededRandom random(5);
    EXPECT_EQ(buzzlink::usbwired(0xEF, random).player, 1);
    EXPECT_EQ(buzzlink::usbwired(0xF7, random).player, 8);
    EXPECT_EQ(buzzlink::usbwired(0xFF, random).kind, Decoded::Kind::Nobody);
    std::set<int> winners;
    for (int i = 0; i < 200; ++i)
        winners.insert(buzzlink::usbwired(0xEE, random).player);
    EXPECT_EQ(winners, (std::set<int>{1, 5}));
}

// --- Wireless ----------------------------------------------------------------

namespace {

// The extra transmitter's number per screen, or -1 where that number is an
// ordinary player's.
struct WirelessModel {
    const char* name;
    int extra[4];
    Decoded (*decode)(ScreenPair, std::uint8_t, int);
};
const WirelessModel kWirelessModels[] = {{"170", {14, 14, 14, -1}, buzzlink::wireless},
                                         {"200", {0, 0, 0, 0}, buzzlink::wireless200}};

}  // namespace

TEST(WirelessDecoders, EveryCodeScreenAndExtraTransmitterEntry) {
    for (const WirelessModel& model : kWirelessModels) {
        for (ScreenPair screen : kScreens) {
            const int extra = model.extra[static_cast<int>(screen)];
            for (int entry = -1; entry <= 13; ++entry) {
                for (int code = 0; code < 256; ++code) {
                    const Decoded d = model.decode(screen, static_cast<std::uint8_t>(code), entry);
                    const int t = code % 16;
                    SCOPED_TRACE(testing::Message()
                                 << model.name << " " << screenName(screen).toStdString()
                                 << " entry " << entry << " code " << code);
                    if (d.isPlayer()) {
                        ASSERT_GE(d.player, 1);
                        ASSERT_LE(d.player, players(screen));
                    } else {
                        ASSERT_EQ(d.player, 0);
                    }
                    if (t == extra) {
                        if (entry == 12) {
                            ASSERT_EQ(d.kind, Decoded::Kind::Dropped);
                        } else if (entry >= 0 && entry + 1 <= players(screen)) {
                            ASSERT_EQ(d.player, entry + 1);
                        } else {
                            ASSERT_EQ(d.kind, Decoded::Kind::Nobody);
                        }
                    } else if (t >= 1 && t <= players(screen)) {
                        ASSERT_EQ(d.player, t);
                    } else {
                        ASSERT_EQ(d.kind, Decoded::Kind::Nobody);
                    }
                }
            }
        }
    }
}

TEST(WirelessDecoders, KnownCodes) {
    struct Case {
        const char* model;
        ScreenPair screen;
        std::uint8_t code;
        int entry;
        int player;  // 0: nothing shown
    };
    const Case cases[] = {
        {"170", ScreenPair::P2_4, 0x03, 12, 3},
        {"170", ScreenPair::P2_4, 0x13, 12, 3},  // the high bits are ignored
        {"170", ScreenPair::P2_4, 0x09, 12, 0},  // no ninth player
        {"170", ScreenPair::P2_4, 0x0E, 4, 5},   // extra transmitter lent to player 5
        {"170", ScreenPair::P2_5, 0x0E, 4, 5},
        {"170", ScreenPair::P3_4, 0x0E, 4, 5},
        {"170", ScreenPair::P3_4, 0x0E, 12, 0},  // not in use
        {"170", ScreenPair::P3_5, 0x0E, 4, 14},  // Gamma's fourth whatever the entry
        {"170", ScreenPair::P3_5, 0x0E, 12, 14},
        {"170", ScreenPair::P3_5, 0x00, 4, 0},
        {"170", ScreenPair::P2_4, 0x00, 4, 0},
        {"200", ScreenPair::P2_4, 0x00, 2, 3},  // the extra transmitter on every screen
        {"200", ScreenPair::P3_5, 0x00, 11, 12},
        {"200", ScreenPair::P3_5, 0x00, 12, 0},
        {"200", ScreenPair::P3_4, 0x0E, 4, 0},  // 14 is no player of twelve
        {"200", ScreenPair::P3_5, 0x0E, 4, 14},
        {"200", ScreenPair::P2_4, 0x00, 11, 0},  // lent to a player the screen lacks
    };
    for (const Case& c : cases) {
        const auto decode = c.model[1] == '7' ? buzzlink::wireless : buzzlink::wireless200;
        const Decoded d = decode(c.screen, c.code, c.entry);
        EXPECT_EQ(d.player, c.player) << c.model << " " << screenName(c.screen).toStdString()
                                      << " code " << int(c.code) << " entry " << c.entry;
    }
}

TEST(WirelessDecoders, ExtraTransmitterNumbers) {
    using buzzlink::Decoder;
    for (ScreenPair screen : kScreens) {
        EXPECT_EQ(buzzlink::extraTransmitterOf(Decoder::Wireless200, screen), 0);
        EXPECT_FALSE(buzzlink::extraTransmitterOf(Decoder::Wired, screen));
    }
    EXPECT_EQ(buzzlink::extraTransmitterOf(Decoder::Wireless, ScreenPair::P2_4), 14);
    EXPECT_EQ(buzzlink::extraTransmitterOf(Decoder::Wireless, ScreenPair::P3_4), 14);
    EXPECT_FALSE(buzzlink::extraTransmitterOf(Decoder::Wireless, ScreenPair::P3_5));
}

TEST(TieBreak, TheTieSizePerModelAndScreen) {
    // Players 1 and P (the screen's last) press together, cabled as the box
    // is. A draw starting the scan at 2 to P gives P, any other gives 1; so
    // over draws spread evenly across [0, 1), P wins (P - 1) / S of them.
    // 120 draws divide evenly for every S in use.
    struct Case {
        int model;
        ScreenPair screen;
        int tieSize;
    };
    const Case cases[] = {
        {180, ScreenPair::P2_4, 8},  {180, ScreenPair::P2_5, 10}, {180, ScreenPair::P3_4, 12},
        {180, ScreenPair::P3_5, 15}, {210, ScreenPair::P2_4, 8},  {210, ScreenPair::P2_5, 15},
        {210, ScreenPair::P3_4, 15}, {210, ScreenPair::P3_5, 15}, {199, ScreenPair::P2_4, 8},
    };
    constexpr int kDraws = 120;
    ManualClock clock;
    for (const Case& c : cases) {
        const int last = c.model == 199 ? 8 : players(c.screen);
        SCOPED_TRACE(std::to_string(c.model) + " with " + std::to_string(last) + " players");
        buzzlink::Code code;
        if (c.model == 199) {
            for (int p : {1, last})
                code.first &=
                    static_cast<std::uint8_t>(~(1u << SimulatedUsbModule::lineOfPlayer(p)));
        } else {
            const SimulatedInterface box(c.model, clock);
            const auto lines = static_cast<std::uint16_t>(
                (1u << box.inputOfPlayer(c.screen, 1)) | (1u << box.inputOfPlayer(c.screen, last)));
            const std::vector<std::uint8_t> bytes = SimulatedInterface::wiredMap(lines);
            code = {bytes.at(0), bytes.at(1)};
        }
        const buzzlink::Decoder decoder = c.model == 180   ? buzzlink::Decoder::Wired
                                          : c.model == 210 ? buzzlink::Decoder::Wired210
                                                           : buzzlink::Decoder::UsbWired;
        int lastWins = 0;
        for (int k = 0; k < kDraws; ++k) {
            ScriptedRandom random;
            random.values = {(k + 0.5) / kDraws};
            const Decoded d =
                buzzlink::decode(decoder, c.screen, code, buzzlink::kExtraNotInUse, random);
            ASSERT_TRUE(d.player == 1 || d.player == last) << d.player;
            lastWins += d.player == last ? 1 : 0;
        }
        ASSERT_GT(lastWins, 0);
        EXPECT_EQ(kDraws * (last - 1) % lastWins, 0) << lastWins << " wins";
        EXPECT_EQ(kDraws * (last - 1) / lastWins, c.tieSize) << lastWins << " wins";
    }
}
