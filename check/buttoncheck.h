#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <vector>

#include <QString>
#include <QStringList>

#include "app/screenpair.h"
#include "link/decoders.h"

// The bookkeeping of a button check before a match: which players of the
// screen have been heard and how often, which button lines look stuck, and
// what was heard that belongs to nobody here. It reads the codes through
// the same decoder tables as play, so a player shows up exactly as play
// would name them; it draws no ties and locks nobody out.
namespace check {

// A line reported down in every code for this long is stuck.
inline constexpr double kStuckAfter = 2.0;
// Codes this close together came at consecutive polls: faster than anyone
// lets go of a button and presses it again.
inline constexpr double kBackToBack = 0.25;

class ButtonCheck {
public:
    // The box of `model` as `screen` reads it; `usb` when the USB lockout's
    // module is polled instead of the parallel port.
    ButtonCheck(int model, ScreenPair screen, bool usb);

    ScreenPair screen() const { return screen_; }
    int players() const;
    // Whether anything on this screen can be heard at all.
    bool hearsButtons() const { return usb_ || !decoders_.empty(); }
    bool usb() const { return usb_; }

    // A code the poll read at `now` (seconds): for the wired boxes both
    // bytes, for the wireless ones the first. Returns the players it names.
    std::vector<int> hearCode(buzzlink::Code code, int extraTransmitterEntry, double now);
    // The USB module's port 0 as read at `now`; a player counts once each
    // time their line goes low. Returns the players whose line went low.
    std::vector<int> hearUsb(int value, double now);

    int count(int player) const;
    std::vector<int> notHeard() const;

    // A wired or USB line and the player on it here (0: nobody).
    struct Line {
        int line = 0;
        int player = 0;
        bool operator==(const Line&) const = default;
    };
    // Lines that look held down now.
    std::vector<Line> stuckLines() const;
    // Wired lines reported down that no player of this screen is on.
    const std::set<int>& strayLines() const { return strayLines_; }
    // Transmitter numbers heard that are no player of this screen (the
    // extra transmitter not counted).
    const std::set<int>& strayTransmitters() const { return strayTransmitters_; }
    // The extra transmitter's number on this screen, -1 when it has none,
    // and how often it was heard.
    int extraTransmitter() const { return extraTransmitter_; }
    int extraHeard() const { return extraHeard_; }

    // What the operator should look at, one sentence each; `name` gives a
    // player's name.
    QStringList findings(const std::function<QString(int)>& name, int extraTransmitterEntry) const;
    // "Not heard yet: ..." or that everyone has been.
    QString notHeardText(const std::function<QString(int)>& name) const;

private:
    // How a line has looked over the codes in a row that had it down.
    struct Run {
        bool down = false;
        double since = 0.0;
        double last = 0.0;
        bool carried = false;    // down in a code another player's press brought
        bool backToBack = true;  // every code came at the next poll
        bool stuck = false;
    };

    void hearLines(std::uint16_t down, double now);
    int playerOnLine(int line) const;

    int model_;
    ScreenPair screen_;
    bool usb_;
    std::span<const buzzlink::Decoder> decoders_;
    const buzzlink::WiredModel* wired_ = nullptr;
    std::array<int, 16> counts_{};
    std::array<Run, 16> runs_{};
    std::uint16_t lastDown_ = 0;
    std::set<int> strayLines_;
    std::set<int> strayTransmitters_;
    int extraTransmitter_ = -1;
    int extraHeard_ = 0;
};

}  // namespace check
