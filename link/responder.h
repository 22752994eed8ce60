#pragma once

#include <cstdint>
#include <vector>

#include "app/screenpair.h"
#include "link/decoders.h"

namespace buzzlink {

// 0 Alpha, 1 Beta, 2 Gamma: also the index of the team's name box and score
// label.
enum class Team { Alpha = 0, Beta = 1, Gamma = 2 };

enum class TeamAlignment { Left, Centre, Right };

// Players are numbered team after team: Alpha 1 to N, Beta N+1 to 2N, Gamma
// 2N+1 to 3N.
Team teamOfPlayer(ScreenPair screen, int player);

// Colours of a buzz-in (0xBBGGRR): the team's score board and the player's
// lamp.
inline constexpr std::int32_t kScoreBoardColour = 4088;  // 0x000FF8, red-orange
inline constexpr std::int32_t kLampColour = 192;         // 0x0000C0, dark red

// Speaker bytes.
inline constexpr std::uint8_t kSpeakerOff = 0;
inline constexpr std::uint8_t kSpeakerBuzz = 194;
inline constexpr std::uint8_t kSpeakerBeta = 129;
inline constexpr std::uint8_t kSpeakerGamma = 65;

// The set-up menu's ComboSound entries.
inline constexpr int kSoundSpeaker = 0;
inline constexpr int kSoundCard = 1;
inline constexpr int kSoundBoth = 2;
inline bool speakerInUse(int soundSource) {
    return soundSource == kSoundSpeaker || soundSource == kSoundBoth;
}
inline bool soundCardInUse(int soundSource) { return soundSource > kSoundSpeaker; }

// What a buzz-in reads from the windows at the moment it happens.
struct ScreenSettings {
    int soundSource = kSoundSpeaker;        // the screen's set-up menu, ComboSound index
    int timerContinues = 0;                 // FormOptions CheckTimerContinues value
    int lockUpSecondPlace = 0;              // FormOptions CheckPlayerWaiting value
    int extraTransmitter = kExtraNotInUse;  // Formextrax Comboxmitter index
};

// Whether the second-place lock-up is on (the box is ticked, not greyed).
inline bool lockUpOn(const ScreenSettings& s) { return s.lockUpSecondPlace == 1; }

// Everything a play screen does to show one respondent, the same for every
// model:
//   namelabel   := the player's name box;  Labelteam := the team's name box,
//                  aligned as given;
//   the team's score label gets kScoreBoardColour;
//   if playTeamSound, the team's sound file is played;
//   speakerBytes are written to the data register in order, and if there
//                  are any soundtimer is enabled;
//   p1label(player - 1) gets kLampColour;
//   porttimer stops if stopPortTimer; Timer1 stops if stopTimer1.
struct Responder {
    int player = 0;
    Team team = Team::Alpha;
    TeamAlignment alignment = TeamAlignment::Left;
    bool playTeamSound = false;
    std::vector<std::uint8_t> speakerBytes;
    bool stopPortTimer = true;
    bool stopTimer1 = false;

    bool operator==(const Responder&) const = default;
};

// The screen's part of a buzz-in by `player`, as the decoder that found it
// would do it. stopTimerOnBuzz is the program-wide StopTimerOnBuzz.
Responder responderActions(Decoder decoder, ScreenPair screen, int player,
                           const ScreenSettings& settings, bool stopTimerOnBuzz);

// The soundtimer tick's speaker-off: whether it writes 0. The 3-team
// screens switch the speaker off whatever the sound source.
bool soundtimerWritesOff(ScreenPair screen, int soundSource);

}  // namespace buzzlink
