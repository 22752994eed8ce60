#pragma once

#include <cstdint>

#include <QString>

// The program-wide variables every window reads and writes. All start at 0,
// false or empty. The flags are plain booleans: nothing stores them, so the
// 16-bit true of old (-1) has no reader to keep it for.
struct ProgramState {
    // Base address of the parallel port (data register; status is + 1).
    std::uint16_t PortAddress = 0;
    // 170 wireless, 180 wired, 199 USB, 200 wireless second series,
    // 210 wired second series; set once by the start-up handshake.
    std::int16_t InterfaceModel = 0;
    // The model code being assembled during the start-up handshake.
    std::int16_t HandshakeCode = 0;

    // Full paths of the wave files.
    QString AlphaSound;
    QString BetaSound;
    QString GammaSound;
    QString TimerSound;
    QString GameOverSound;

    bool BuzzOnBonus = false;
    bool StopTimerOnBuzz = false;
    // The match time as last loaded from a setup file, such as "15:00".
    QString MatchTime;
    bool TurnOffClear = false;
    QString SavedMatchTime4;
    QString SavedMatchTime5;

    // Second-place lock-up.
    std::int16_t FirstResponder = 0;
    std::int16_t SecondResponder = 0;
    std::int16_t FirstResponderTeam = 0;
    std::int16_t SecondResponderTeam = 0;
    bool SecondPlaceHeld = false;

    // The start-up sound test found no sound card: the sound source stays
    // at the interface's speaker, locked, for the rest of the run.
    bool soundCardMissing = false;
};

namespace model {
inline constexpr int kWireless = 170;
inline constexpr int kWired = 180;
inline constexpr int kUsb = 199;
inline constexpr int kWireless2 = 200;
inline constexpr int kWired2 = 210;

inline bool isWired(int m) { return m == kWired || m == kWired2; }
inline bool isWireless(int m) { return m == kWireless || m == kWireless2; }
}  // namespace model
