#include "play/playvariant.h"

#include <cmath>

namespace {

// One size of square tab for the timers, one for the scores.
constexpr int kTimerTab = 375;
constexpr int kScoreTab = 495;

constexpr TwipsRect timerTab(int left, int top) { return {left, top, kTimerTab, kTimerTab}; }
constexpr TwipsRect scoreTab(int left, int top) { return {left, top, kScoreTab, kScoreTab}; }

constexpr PlayFonts kFonts{
    {"Arial", 72},           // timerlabel
    {"Arial", 14.25},        // Label2, Label3
    {"Arial Black", 24},     // Labeltimerstate
    {"Arial", 72},           // clocklabel
    {"Arial Black", 63.75},  // Labelteam
    {"Arial", 128.25},       // score labels
    {"Arial Black", 15.75},  // team names
    {"Arial Black", 75.75},  // namelabel
    {"Arial", 20.25},        // Label1
    {"Arial", 8.25},         // buttons
};

constexpr PlayLayout kLayout2_4{
    {1320, 120, 2775, 1695},   // timerlabel
    {1320, 1920, 2775, 375},   // Label2
    {5520, 360, 2415, 735},    // Labeltimerstate
    {8880, 120, 5055, 1695},   // clocklabel
    {10200, 1920, 2655, 375},  // Label3
    {6000, 1440, 1455, 495},   // Commandsetupmenu
    timerTab(840, 240),
    timerTab(840, 840),
    timerTab(840, 1440),
    timerTab(840, 2040),
    {720, 2400, 13695, 1575},  // Labelteam
    {{{720, 4080, 4455, 2655}, {9840, 4080, 4575, 2535}, {}}},
    {{scoreTab(720, 4080), scoreTab(9840, 4080), {}}},
    {{scoreTab(4680, 4080), scoreTab(13920, 4080), {}}},
    {{{720, 6720, 4455, 495}, {9840, 6600, 4575, 495}, {}}},
    {720, 7800, 13695, 2415},  // namelabel
    {5880, 5160, 3735, 735},   // Label1
    7320,
    375,
    {1800, 2400, 3000, 3600, 11040, 11640, 12240, 12840},
};

constexpr PlayLayout layout2_5() {
    PlayLayout l = kLayout2_4;
    l.Commandsetupmenu = {6000, 1560, 1455, 495};
    l.lampLeft = {1560, 2160, 2760, 3360, 4080, 10800, 11400, 12000, 12600, 13320};
    return l;
}

constexpr PlayLayout kLayout3_4{
    {1320, 120, 2775, 1695},
    {1320, 1920, 2775, 375},
    {5520, 240, 2415, 735},
    {8880, 120, 5055, 1695},
    {10200, 1920, 2655, 375},
    {6120, 1200, 1455, 495},
    timerTab(840, 240),
    timerTab(840, 840),
    timerTab(840, 1440),
    timerTab(840, 2040),
    {840, 2400, 13575, 1575},
    {{{720, 4080, 4455, 2655}, {5280, 4080, 4575, 2655}, {9960, 4080, 4575, 2655}}},
    {{scoreTab(720, 4080), scoreTab(5280, 4080), scoreTab(9960, 4080)}},
    {{scoreTab(4680, 4080), scoreTab(9360, 4080), scoreTab(14040, 4080)}},
    {{{720, 6720, 4455, 495}, {5280, 6720, 4575, 495}, {9960, 6720, 4575, 495}}},
    {720, 7800, 13815, 2415},
    {5280, 3000, 3735, 735},
    7320,
    375,
    {1800, 2400, 3000, 3600, 6480, 7080, 7680, 8280, 11160, 11760, 12360, 12960},
};

// The 3-team arrangement 120 twips further left and up, with five lamps a
// team.
constexpr PlayLayout kLayout3_5{
    {1200, 0, 2775, 1695},
    {1200, 1800, 2775, 375},
    {5400, 120, 2415, 735},
    {8760, 0, 5055, 1695},
    {10080, 1800, 2655, 375},
    {6000, 1080, 1455, 495},
    timerTab(720, 120),
    timerTab(720, 720),
    timerTab(720, 1320),
    timerTab(720, 1920),
    {720, 2280, 13575, 1575},
    {{{600, 3960, 4455, 2655}, {5160, 3960, 4575, 2655}, {9840, 3960, 4575, 2655}}},
    {{scoreTab(600, 3960), scoreTab(5160, 3960), scoreTab(9840, 3960)}},
    {{scoreTab(4560, 3960), scoreTab(9240, 3960), scoreTab(13920, 3960)}},
    {{{600, 6600, 4455, 495}, {5160, 6600, 4575, 495}, {9840, 6600, 4575, 495}}},
    {600, 7680, 13815, 2415},
    {5160, 2880, 3735, 735},
    7200,
    375,
    {1440, 2040, 2640, 3240, 3840, 6120, 6720, 7320, 7920, 8520, 10800, 11400, 12000, 12600, 13200},
};

// clang-format off
const PlayVariant kVariants[] = {
    // screen, caption, client area, teams, players, menu, layout, fonts,
    // beta5Name, label1Visible, lastFunctionKey, usbDoubleClear,
    // f9ShowsTossUp, clockExpiredWord,
    // timerExpiryZeroBeforePollStop, timerExpirySpeakerZeroFirst,
    // clockExpiryZeroBeforePollStart
    {ScreenPair::P2_4, "Play Screen 2_4", 15240, 10935, 2, 4, MenuKind::Players4,
     kLayout2_4, kFonts,
     "B5", false, 10, true,
     false, "Clock Expired",
     false, false,
     false},
    {ScreenPair::P2_5, "Play Screen 2_5", 15240, 10935, 2, 5, MenuKind::Players5,
     layout2_5(), kFonts,
     "b5", false, 10, false,
     true, "Timer Expired",
     false, false,
     false},
    {ScreenPair::P3_4, "Play Screen 3_4", 15240, 10935, 3, 4, MenuKind::Players4,
     kLayout3_4, kFonts,
     "b5", true, 12, false,
     true, "Timer Expired",
     true, true,
     true},
    {ScreenPair::P3_5, "Play Screen 3_5", 15210, 10905, 3, 5, MenuKind::Players5,
     kLayout3_5, kFonts,
     "b5", false, 12, false,
     false, "Timer Expired",
     true, true,
     true},
};
// clang-format on

}  // namespace

const PlayVariant& playVariant(ScreenPair screen) {
    for (const PlayVariant& v : kVariants) {
        if (v.screen == screen) return v;
    }
    return kVariants[0];
}

QRect scaledRect(const TwipsRect& r, double sx, double sy) {
    constexpr double kTwipsPerPixel = 15.0;
    auto x = [sx](int twips) { return static_cast<int>(std::lround(twips * sx / kTwipsPerPixel)); };
    auto y = [sy](int twips) { return static_cast<int>(std::lround(twips * sy / kTwipsPerPixel)); };
    const int left = x(r.left);
    const int top = y(r.top);
    return QRect(left, top, x(r.right()) - left, y(r.bottom()) - top);
}
