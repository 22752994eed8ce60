#pragma once

#include <cmath>
#include <vector>

#include <QStringList>

#include "app/clock.h"
#include "app/random.h"
#include "buttons/inputbox.h"
#include "link/poll.h"
#include "support/scriptedpresssource.h"

// A generator that answers what the test says.
class FixedRandom final : public Random {
public:
    explicit FixedRandom(double value) : value(value) {}
    double next() override { return value; }
    double value;
};

inline buttons::DeviceInfo device(int id, const QString& serial) {
    buttons::DeviceInfo d;
    d.id = id;
    d.identity = {0x1209, 0x4d42, serial, QStringLiteral("usb-0000:00:14.0-%1/input0").arg(id)};
    d.name = QStringLiteral("Buzzer pad %1").arg(id);
    d.path = QStringLiteral("/dev/input/event%1").arg(id + 10);
    return d;
}

// The box on scripted devices, reached through the link's own poll.
struct ButtonsRig {
    static constexpr int kA = 1;  // two pads with four buttons each
    static constexpr int kB = 2;
    static constexpr int kKey0 = 288;  // BTN_TRIGGER and up

    explicit ButtonsRig(int model = 200, double randomValue = 0.0)
        : random(randomValue), box(model, clock, source, random) {
        box.setNoticeListener(
            [this](buttons::InputBox::NoticeKind, const QString& text) { notices << text; });
        // Pad A: players 1 to 4; pad B: players 5 to 8 and the extra.
        buttons::ButtonAssignment a;
        for (int i = 0; i < 4; ++i) {
            a.bind(pad(kA).identity, pad(kA).name, kKey0 + i, 1 + i);
            a.bind(pad(kB).identity, pad(kB).name, kKey0 + i, 5 + i);
        }
        a.bind(pad(kB).identity, pad(kB).name, kKey0 + 4, buttons::ButtonAssignment::kExtra);
        box.setAssignment(a);
        source.plug(pad(kA));
        source.plug(pad(kB));
    }

    static buttons::DeviceInfo pad(int id) { return device(id, QStringLiteral("PAD%1").arg(id)); }

    // The press of a player's button on its pad, at a clock time.
    void press(int player, double at) {
        const int pad = player <= 4 ? kA : kB;
        source.key(pad, kKey0 + (player - 1) % 4, us(at));
    }
    static std::int64_t us(double seconds) { return std::llround(seconds * 1e6); }

    buzzlink::LinkPort link() { return {box, clock, 888}; }
    // One poll tick: the code read, -1 when nothing was waiting.
    int poll() {
        const auto p = buzzlink::pollStep(link());
        return p.outcome == buzzlink::PollOutcome::CodeRead ? p.read.code : -1;
    }
    // The poll ticks of a screen that keeps polling, until one reads a code.
    std::vector<int> pollEvery100ms(int ticks) {
        std::vector<int> codes;
        for (int i = 0; i < ticks; ++i) {
            clock.advance(0.1);
            const int code = poll();
            if (code >= 0) codes.push_back(code);
        }
        return codes;
    }
    double now() { return clock.peek(); }

    ManualClock clock{1000.0, 1e-6};
    buttons::ScriptedPressSource source;
    FixedRandom random;
    buttons::InputBox box;
    QStringList notices;
};
