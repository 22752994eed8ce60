#pragma once

#include <vector>

#include "app/matchrecorder.h"
#include "app/objecthost.h"
#include "app/usbhost.h"
#include "check/buttoncheckwindow.h"
#include "link/decoders.h"
#include "options/formextrax.h"
#include "play/playfixture.h"
#include "sim/simulatedusbmodule.h"
#include "title/forms.h"
#include "usb/usbcontrol.h"

inline constexpr int kWireless = 170;
inline constexpr int kWired = 180;
inline constexpr int kUsb = 199;
inline constexpr int kWireless2 = 200;
inline constexpr int kWired2 = 210;

inline QString playerName(int p) { return QStringLiteral("Name %1").arg(p); }

// Keeps every event the windows report.
struct KeptRecorder final : record::MatchRecorder {
    struct Event {
        record::EventKind kind;
        QJsonObject data;
    };
    void record(record::EventKind kind, const QJsonObject& data) override {
        events.push_back({kind, data});
    }
    std::vector<Event> events;
};

// One screen of a whole test program on one model, every player named, the
// USB lockout reached through the real control and the simulated module.
struct CheckRig {
    CheckRig(ScreenPair pair, int model) : f(pair, model) {
        f.t->state.InterfaceModel = static_cast<std::int16_t>(model);
        for (int p = 1; p <= players(); ++p)
            f.menu.playerNameBox(p)->setText(playerName(p));
        formsOf(*f.t).formextrax().Comboxmitter->setCurrentIndex(buzzlink::kExtraNotInUse);
        f.t->setRecorder(recorder);
        if (model == kUsb) {
            host.registerClass(QLatin1String(kUsbClassId), [] {
                auto control = std::make_unique<UsbControl>(nullptr);
                control->setPause([](int) {});
                return control;
            });
            f.t->setObjectHost(host);
            f.t->setUsbTransport(&module);
        }
    }

    int model() const { return f.t.box.model(); }
    ScreenPair screen() const { return f.screen.screen(); }
    int players() const { return teamsOf(screen()) * playersPerTeamOf(screen()); }

    // The box input (wired line or transmitter number) of player p, as the
    // simulated box maps it.
    int inputOf(int player) const { return f.t.box.inputOfPlayer(screen(), player); }

    void press(int player) {
        if (model() == kUsb) {
            module.pressPlayer(player, true);
        } else {
            f.t.box.press(inputOf(player));
        }
    }
    void release(int player) {
        if (model() == kUsb) {
            module.pressPlayer(player, false);
        } else {
            f.t.box.release(inputOf(player));
        }
    }

    // Declared before the program, which refers to them until it ends.
    KeptRecorder recorder;
    RegisteredObjectHost host;
    SimulatedUsbModule module;
    PlayFixture f;
};
