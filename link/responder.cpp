#include "link/responder.h"

namespace buzzlink {

Team teamOfPlayer(ScreenPair screen, int player) {
    const int team = (player - 1) / playersPerTeamOf(screen);
    if (team <= 0) return Team::Alpha;
    return team == 1 ? Team::Beta : Team::Gamma;
}

namespace {

TeamAlignment alignmentOf(ScreenPair screen, Team team) {
    switch (team) {
    case Team::Alpha: return TeamAlignment::Left;
    case Team::Beta:
        // Beta sits in the middle column when there are three.
        return teamsOf(screen) == 3 ? TeamAlignment::Centre : TeamAlignment::Right;
    case Team::Gamma: return TeamAlignment::Right;
    }
    return TeamAlignment::Left;
}

std::uint8_t teamSpeakerByte(Team team) {
    switch (team) {
    case Team::Alpha: return kSpeakerBuzz;
    case Team::Beta: return kSpeakerBeta;
    case Team::Gamma: return kSpeakerGamma;
    }
    return kSpeakerBuzz;
}

}  // namespace

Responder responderActions(Decoder decoder, ScreenPair screen, int player,
                           const ScreenSettings& settings, bool stopTimerOnBuzz) {
    Responder r;
    r.player = player;
    r.team = teamOfPlayer(screen, player);
    r.alignment = alignmentOf(screen, r.team);
    r.playTeamSound = soundCardInUse(settings.soundSource);
    // The USB lockout has no speaker: nothing of a buzz-in goes to the
    // parallel port, whatever the sound source says (without a sound card
    // the list is held at the speaker's entry).
    if (speakerInUse(settings.soundSource) && decoder != Decoder::UsbWired) {
        if (decoder == Decoder::Wired210) {
            // The second-series wired box has a tone per team.
            r.speakerBytes = {teamSpeakerByte(r.team)};
        } else {
            r.speakerBytes = {kSpeakerOff, kSpeakerBuzz};
        }
    }
    // The wireless boxes keep being polled while the lock-up is on, so the
    // second respondent can be caught.
    const bool wirelessDecoder = decoder == Decoder::Wireless || decoder == Decoder::Wireless200;
    r.stopPortTimer = !(wirelessDecoder && lockUpOn(settings));
    // The 2-team 4-player screen asks the options box itself rather than the
    // program-wide flag set from it.
    r.stopTimer1 = screen == ScreenPair::P2_4 ? settings.timerContinues == 0 : stopTimerOnBuzz;
    return r;
}

bool soundtimerWritesOff(ScreenPair screen, int soundSource) {
    return teamsOf(screen) == 3 || speakerInUse(soundSource);
}

}  // namespace buzzlink
