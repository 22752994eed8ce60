// One play screen's link against the simulated box, with the screen's
// porttimer reduced to a flag the link's requests switch off.
#pragma once

#include "app/clock.h"
#include "app/programstate.h"
#include "app/random.h"
#include "link/decoders.h"
#include "link/screenlink.h"
#include "recordingview.h"
#include "sim/simulatedinterface.h"

struct LinkRig {
    LinkRig(int model, ScreenPair screen, std::uint64_t seed = 20261208)
        : box(model, clock), random(seed), link(screen, box, clock, random, state, view) {
        state.PortAddress = 888;
        state.InterfaceModel = static_cast<std::int16_t>(model);
    }
    // The link holds on to the members.
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    ManualClock clock{1000.0, 1e-5};
    SimulatedInterface box;
    SeededRandom random;
    ProgramState state;
    RecordingView view;
    buzzlink::ScreenLink link;
    bool porttimer = true;

    // One porttimer tick, if the timer runs; the screen stops it when a
    // respondent is shown with the lock-out or a second one is held.
    void tick() {
        if (!porttimer) return;
        const std::size_t shownBefore = view.shown.size();
        const int stopsBefore = view.stops;
        link.porttimerTick();
        for (std::size_t i = shownBefore; i < view.shown.size(); ++i) {
            if (view.shown[i].stopPortTimer) porttimer = false;
        }
        if (view.stops != stopsBefore) porttimer = false;
    }

    // The operator clears: polling resumes.
    void clear() { porttimer = true; }

    // The box input that is player p's on this model and screen, as the
    // box is cabled (not as the decoders read it).
    int inputOf(int player) const { return box.inputOfPlayer(link.screen(), player); }

    // A player presses and lets go before the next tick.
    void buzz(int player) { box.buzzPlayer(link.screen(), player); }
};
