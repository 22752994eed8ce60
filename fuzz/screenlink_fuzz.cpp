// One play screen's whole link (poll ticks, the reads, every decoder, the
// second-place lock-up and the recovery) against a box whose status lines
// do anything, with any model, screen and window settings, and the operator
// clearing, re-arming and answering the recovery question at any moment.
// Whatever arrives, the link names only players the screen has, on their
// own team, writes only the bytes of its protocol, and never hangs.
//
// Input: byte 0 the model and screen, bytes 1 and 2 the window settings,
// byte 3 StopTimerOnBuzz and the port address; then, in whatever order the
// link asks for them, one byte per operator action, status read, tie-break
// draw or recovery answer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/programstate.h"
#include "app/random.h"
#include "app/screenpair.h"
#include "link/screenlink.h"
#include "scriptedport.h"

using fuzzing::check;
using fuzzing::Event;

namespace {

constexpr int kModels[] = {model::kWireless, model::kWired, model::kUsb, model::kWireless2,
                           model::kWired2};
constexpr ScreenPair kScreens[] = {ScreenPair::P2_4, ScreenPair::P2_5, ScreenPair::P3_4,
                                   ScreenPair::P3_5};

// Draws for the tie-break from the input, anywhere in [0, 1).
class InputRandom final : public Random {
public:
    explicit InputRandom(fuzzing::Input& input) : input_(input) {}
    double next() override { return input_.take() / 256.0; }

private:
    fuzzing::Input& input_;
};

struct View final : buzzlink::LinkView {
    explicit View(fuzzing::Input& input) : input(input) {}
    fuzzing::Input& input;
    buzzlink::ScreenSettings screenSettings;
    std::vector<buzzlink::Responder> shown;
    std::vector<int> diagnostics;
    int stops = 0;
    bool ended = false;

    void showDiagnostic(int value) override { diagnostics.push_back(value); }
    void reportCommunicationProblem() override {}
    // Cancel once the input is used up, so a dead box ends the run.
    bool askRetry() override { return (input.take() & 1) != 0; }
    buzzlink::ScreenSettings settings() override { return screenSettings; }
    void showResponder(const buzzlink::Responder& r) override { shown.push_back(r); }
    void stopPolling() override { ++stops; }
    void endProgram() override { ended = true; }
};

void checkResponder(const buzzlink::Responder& r, ScreenPair screen, int model) {
    const int players = teamsOf(screen) * playersPerTeamOf(screen);
    check(r.player >= 1 && r.player <= players, "a player the screen does not have", r.player);
    const int team = (r.player - 1) / playersPerTeamOf(screen);
    check(static_cast<int>(r.team) == team, "the player's team", r.player);
    check(static_cast<int>(r.team) < teamsOf(screen), "a team the screen does not have");
    for (std::uint8_t b : r.speakerBytes) {
        check(b == 0 || b == 194 || b == 129 || b == 65, "speaker byte", b);
    }
    if (model == model::kUsb) check(r.player <= 8, "the module has eight lines", r.player);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    const std::uint8_t choice = input.take();
    const int model = kModels[choice % 5];
    const ScreenPair screen = kScreens[(choice / 5) % 4];

    std::vector<Event> log;
    log.reserve(4096);
    fuzzing::WatchedClock clock(1000.0, 1e-4, log);
    fuzzing::ScriptedPort port(input, clock, log);
    InputRandom random(input);
    View view(input);

    // The windows may hold any value their lists and boxes allow, "nothing
    // selected" (-1) included.
    const std::uint8_t s1 = input.take();
    view.screenSettings.soundSource = s1 % 4 - 1;
    view.screenSettings.timerContinues = (s1 / 4) % 3;
    view.screenSettings.lockUpSecondPlace = (s1 / 12) % 3;
    view.screenSettings.extraTransmitter = input.take() % 14 - 1;

    ProgramState state;
    state.InterfaceModel = static_cast<std::int16_t>(model);
    const std::uint8_t s3 = input.take();
    state.StopTimerOnBuzz = (s3 & 1) != 0;
    state.PortAddress = (s3 & 2) ? 888 : 0xFFFF;  // the top address wraps to status 0
    const auto status = static_cast<std::uint16_t>(state.PortAddress + 1);

    buzzlink::ScreenLink link(screen, port, clock, random, state, view);
    bool porttimer = true;
    // Each action takes an input byte and a tick at least two status reads,
    // so the loop ends with the input; the bound is a guard.
    for (int action = 0; action < 100000 && !input.empty() && !view.ended; ++action) {
        const std::uint8_t what = input.take();
        const std::size_t shownBefore = view.shown.size();
        const int stopsBefore = view.stops;
        const std::size_t logBefore = log.size();
        if (what < 0xC0) {
            if (!porttimer) continue;
            link.porttimerTick();
            if (model == model::kUsb && screen == ScreenPair::P2_4)
                check(log.size() == logBefore, "the USB screen polls the module, not the port");
        } else if (what < 0xE0) {
            // A click on the name display: shows a held second respondent.
            if (state.SecondPlaceHeld) link.PlayerWaiting();
            porttimer = true;
        } else {
            // The space key: a new question.
            state.SecondPlaceHeld = false;
            porttimer = true;
        }
        for (std::size_t i = shownBefore; i < view.shown.size(); ++i) {
            checkResponder(view.shown[i], screen, model);
            if (view.shown[i].stopPortTimer) porttimer = false;
        }
        if (view.shown.size() > shownBefore) {
            check(link.ResponderNumber == view.shown.back().player, "ResponderNumber");
        }
        if (view.stops != stopsBefore) porttimer = false;
        check(state.FirstResponderTeam >= 0 && state.FirstResponderTeam <= 3, "first team");
        check(state.SecondResponderTeam >= 0 && state.SecondResponderTeam <= 3, "second team");
    }

    for (const Event& e : log) {
        if (e.kind == Event::Kind::Status) check(e.address == status, "status address", e.address);
        if (e.kind != Event::Kind::Write) continue;
        check(e.address == state.PortAddress, "data address", e.address);
        static constexpr std::uint8_t kProtocol[] = {19, 2, 18, 223, 32, 0};
        check(std::find(std::begin(kProtocol), std::end(kProtocol), e.value) != std::end(kProtocol),
              "a byte the link never writes", e.value);
    }
    for (int d : view.diagnostics)
        check(d >= 0 && d <= 255, "diagnostic value", d);
    return 0;
}
