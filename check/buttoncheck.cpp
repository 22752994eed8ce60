#include "check/buttoncheck.h"

#include "link/dispatch.h"

namespace check {

namespace {

// The USB module's port 0 carries the first byte of the model 180 map.
constexpr int kUsbLines = 8;

QString joined(const QStringList& items) { return items.join(QStringLiteral(", ")); }

QString numbers(const std::set<int>& values) {
    QStringList items;
    for (int v : values)
        items << QString::number(v);
    return joined(items);
}

QString times(int n) { return n == 1 ? QStringLiteral("once") : QStringLiteral("%1 times").arg(n); }

}  // namespace

ButtonCheck::ButtonCheck(int model, ScreenPair screen, bool usb)
    : model_(model), screen_(usb ? ScreenPair::P2_4 : screen), usb_(usb) {
    if (usb_) {
        wired_ = &buzzlink::kWiredModel180;
        return;
    }
    decoders_ = buzzlink::pollDecoders(model, screen);
    for (buzzlink::Decoder d : decoders_) {
        if (d == buzzlink::Decoder::Wired) wired_ = &buzzlink::kWiredModel180;
        if (d == buzzlink::Decoder::Wired210) wired_ = &buzzlink::kWiredModel210;
        if (const auto extra = buzzlink::extraTransmitterOf(d, screen)) extraTransmitter_ = *extra;
    }
}

int ButtonCheck::players() const { return teamsOf(screen_) * playersPerTeamOf(screen_); }

int ButtonCheck::playerOnLine(int line) const {
    if (!wired_) return 0;
    const buzzlink::WiredScreen& map = (*wired_)[static_cast<int>(screen_)];
    for (std::size_t i = 0; i < buzzlink::kWiredLines.size(); ++i) {
        if (buzzlink::boxLineNumber(buzzlink::kWiredLines[i]) == line) {
            return map.lines[i] > 0 ? map.lines[i] : 0;
        }
    }
    return 0;
}

void ButtonCheck::hearLines(std::uint16_t down, double now) {
    // Lines down now that were up in the last code: somebody pressed.
    const auto pressedNow = static_cast<std::uint16_t>(down & ~lastDown_);
    lastDown_ = down;
    for (int line = 0; line < 16; ++line) {
        const auto bit = static_cast<std::uint16_t>(1u << line);
        Run& run = runs_[line];
        if (!(down & bit)) {
            run = Run{};
            continue;
        }
        if (!run.down) {
            run = Run{true, now, now, false, true, false};
        } else {
            if (now - run.last > kBackToBack) run.backToBack = false;
            // Still down in a code that another player's press brought: its
            // own player cannot have pressed again in it.
            if (pressedNow & ~bit) run.carried = true;
        }
        run.last = now;
        // Down in every code for a while proves nothing when those codes were
        // the player's own presses; it does when somebody else's press
        // carried it, or when the codes came faster than anyone presses.
        run.stuck = now - run.since >= kStuckAfter && (run.carried || run.backToBack);
    }
}

std::vector<int> ButtonCheck::hearCode(buzzlink::Code code, int extraTransmitterEntry, double now) {
    std::vector<int> heard;
    if (usb_ || decoders_.empty()) return heard;

    if (wired_) {
        const std::uint16_t down = static_cast<std::uint16_t>(
            ((code.first ^ 0xFF) | ((code.second ^ 0xFF) << 8)) & 0x7FFF);
        const buzzlink::WiredScreen& map = (*wired_)[static_cast<int>(screen_)];
        for (std::size_t i = 0; i < buzzlink::kWiredLines.size(); ++i) {
            const int line = buzzlink::boxLineNumber(buzzlink::kWiredLines[i]);
            if (!(down & (1u << line))) continue;
            const int player = map.lines[i];
            if (player > 0) {
                ++counts_[player];
                heard.push_back(player);
            } else {
                strayLines_.insert(line);
            }
        }
        hearLines(down, now);
        return heard;
    }

    const int transmitter = code.first & 0x0F;
    if (transmitter == extraTransmitter_) ++extraHeard_;
    for (buzzlink::Decoder d : decoders_) {
        const buzzlink::Decoded found =
            d == buzzlink::Decoder::Wireless
                ? buzzlink::wireless(screen_, code.first, extraTransmitterEntry)
                : buzzlink::wireless200(screen_, code.first, extraTransmitterEntry);
        // Model 200 on some screens runs two decoders on the same code: one
        // press, one count.
        if (found.isPlayer() && (heard.empty() || heard.front() != found.player)) {
            heard.push_back(found.player);
        }
    }
    if (heard.empty() && transmitter != extraTransmitter_) strayTransmitters_.insert(transmitter);
    for (int p : heard)
        ++counts_[p];
    return heard;
}

std::vector<int> ButtonCheck::hearUsb(int value, double now) {
    std::vector<int> heard;
    // 0 is no reading (the module is missing), as in play.
    if (!usb_ || value <= 0 || value > 255) return heard;
    const auto down = static_cast<std::uint16_t>((value ^ 0xFF) & 0xFF);
    for (int line = 0; line < kUsbLines; ++line) {
        if (!(down & (1u << line)) || runs_[line].down) continue;
        if (const int player = playerOnLine(line)) {
            ++counts_[player];
            heard.push_back(player);
        }
    }
    // The module is read at every poll, so a line low in every reading for
    // a while stays low.
    hearLines(down, now);
    return heard;
}

int ButtonCheck::count(int player) const {
    return player >= 1 && player < 16 ? counts_[player] : 0;
}

std::vector<int> ButtonCheck::notHeard() const {
    std::vector<int> missing;
    for (int p = 1; p <= players(); ++p) {
        if (counts_[p] == 0) missing.push_back(p);
    }
    return missing;
}

std::vector<ButtonCheck::Line> ButtonCheck::stuckLines() const {
    std::vector<Line> stuck;
    for (int line = 0; line < 16; ++line) {
        if (runs_[line].stuck) stuck.push_back(Line{line, playerOnLine(line)});
    }
    return stuck;
}

QString ButtonCheck::notHeardText(const std::function<QString(int)>& name) const {
    if (!hearsButtons()) {
        return QStringLiteral("This screen takes no buzz-ins from interface model %1.").arg(model_);
    }
    const std::vector<int> missing = notHeard();
    if (missing.empty()) return QStringLiteral("Every player has been heard.");
    QStringList names;
    for (int p : missing)
        names << name(p);
    return QStringLiteral("Not heard yet: %1").arg(joined(names));
}

QStringList ButtonCheck::findings(const std::function<QString(int)>& name,
                                  int extraTransmitterEntry) const {
    QStringList lines;
    for (const Line& stuck : stuckLines()) {
        const QString who = stuck.player ? name(stuck.player) : QStringLiteral("no player");
        if (usb_) {
            lines << QStringLiteral("Port 0 line %1 stays low: %2's button is stuck.")
                         .arg(stuck.line)
                         .arg(who);
        } else {
            lines << QStringLiteral("Stuck: %1's button (line %2) is down in every code.")
                         .arg(who)
                         .arg(stuck.line);
        }
    }
    if (!strayLines_.empty()) {
        lines << QStringLiteral("Button lines down that no player of this screen is on: %1")
                     .arg(numbers(strayLines_));
    }
    if (extraHeard_ > 0) {
        const QString lent =
            extraTransmitterEntry >= 0 && extraTransmitterEntry < buzzlink::kExtraNotInUse
                ? QStringLiteral("lent to %1").arg(name(extraTransmitterEntry + 1))
                : QStringLiteral("not in use");
        lines << QStringLiteral("Extra transmitter (%1) heard %2, %3.")
                     .arg(extraTransmitter_)
                     .arg(times(extraHeard_))
                     .arg(lent);
    }
    if (!strayTransmitters_.empty()) {
        lines << QStringLiteral("Transmitters of no player on this screen: %1")
                     .arg(numbers(strayTransmitters_));
    }
    return lines;
}

}  // namespace check
