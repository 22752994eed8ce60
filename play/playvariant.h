#pragma once

#include <array>
#include <cstdint>

#include <QRect>

#include "app/screenpair.h"

// What differs between the four play screens, read by the one PlayScreen
// class. Geometry is in twips of the window's design size and fonts in points
// at that size; the screen scales both to the window it actually has.

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
};

struct FontSpec {
    const char* family;
    double points;
};

// Indexes of the team columns.
inline constexpr int kAlpha = 0;
inline constexpr int kBeta = 1;
inline constexpr int kGamma = 2;

inline constexpr int kMaxLamps = 15;

struct PlayLayout {
    TwipsRect timerlabel;
    TwipsRect Label2;
    TwipsRect Labeltimerstate;
    TwipsRect clocklabel;
    TwipsRect Label3;
    TwipsRect Commandsetupmenu;
    TwipsRect CommandT;
    TwipsRect CommandB;
    TwipsRect CommandA;
    TwipsRect Command20;
    TwipsRect Labelteam;
    // Per team column (Alpha, Beta, Gamma); the Gamma entries of a 2-team
    // screen are unused.
    std::array<TwipsRect, 3> scorelabel;
    std::array<TwipsRect, 3> tab10;
    std::array<TwipsRect, 3> tab5;
    std::array<TwipsRect, 3> teamlabel;
    TwipsRect namelabel;
    TwipsRect Label1;
    // One lamp per player, all the same square on one row.
    int lampTop;
    int lampSize;
    std::array<int, kMaxLamps> lampLeft;
};

struct PlayFonts {
    FontSpec timerlabel;
    FontSpec timerCaption;  // Label2, Label3
    FontSpec Labeltimerstate;
    FontSpec clocklabel;
    FontSpec Labelteam;
    FontSpec scorelabel;
    FontSpec teamlabel;
    FontSpec namelabel;
    FontSpec Label1;
    FontSpec button;
};

struct PlayVariant {
    ScreenPair screen;
    const char* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    int teams;
    int playersPerTeam;
    // The set-up menu whose widgets hold this screen's names, lengths,
    // increment and sound source.
    MenuKind menu;

    PlayLayout layout;
    PlayFonts fonts;

    // Object name of Beta's 5-point tab.
    const char* beta5Name;
    // The diagnostic label is on show.
    bool label1Visible;
    // Highest function key the screen answers (F10, or F12 with Gamma's keys).
    int lastFunctionKey;
    // With the USB interface a mouse clear on the name runs twice.
    bool usbDoubleClear;
    // F9 also shows "Toss Up".
    bool f9ShowsTossUp;
    // What the name display says when the match clock runs out.
    const char* clockExpiredWord;
    // At response-timer expiry the speaker-off byte goes out before polling
    // stops (instead of after).
    bool timerExpiryZeroBeforePollStop;
    // At response-timer expiry, with the speaker in use, a 0 precedes 146.
    bool timerExpirySpeakerZeroFirst;
    // At match-clock expiry the speaker-off byte goes out before polling
    // starts (instead of after).
    bool clockExpiryZeroBeforePollStart;

    int lamps() const { return teams * playersPerTeam; }
    bool hasGamma() const { return teams == 3; }
};

const PlayVariant& playVariant(ScreenPair screen);

// A design rectangle on a window scaled by sx across and sy down. Edges are
// rounded, not sizes, so neighbours that touch in the design still touch.
QRect scaledRect(const TwipsRect& r, double sx, double sy);

// Colours the screen uses, as 0xBBGGRR like the setup file.
namespace playcolour {
inline constexpr std::int32_t kDesignBack = 0xFF0000;  // blue
inline constexpr std::int32_t kNameText = 0x0000C0;    // dark red
inline constexpr std::int32_t kScoreHighlight = 4088;  // orange-red, the team that buzzed in
inline constexpr std::int32_t kLampLit = 192;          // dark red, the player who buzzed in
inline constexpr std::int32_t kScoreText = 0x000000;   // black
}  // namespace playcolour
