#include "support/scriptedpresssource.h"

namespace buttons {

void ScriptedPressSource::setSelection(Selection selection) {
    selection_ = std::move(selection);
    apply();
}

// Opens what is wanted and closes what no longer is, reporting both.
void ScriptedPressSource::apply() {
    for (auto& [id, d] : devices_) {
        const bool wanted = selection_.wanted && selection_.wanted(d.info.identity);
        if (wanted && !d.open) {
            if (d.denied) {
                changes_.push_back({DeviceChange::Kind::PermissionDenied, d.info});
                continue;
            }
            d.open = true;
            changes_.push_back({DeviceChange::Kind::Added, d.info});
        } else if (!wanted && d.open) {
            d.open = false;
            changes_.push_back({DeviceChange::Kind::Removed, d.info});
        }
        const bool grab = d.open && selection_.grab;
        if (grab && !d.grabAsked && d.busy)
            changes_.push_back({DeviceChange::Kind::NotGrabbed, d.info});
        d.grabAsked = grab;
        d.grabbed = grab && !d.busy;
    }
}

void ScriptedPressSource::drain(std::vector<DeviceChange>& changes,
                                std::vector<InputEvent>& events) {
    changes.insert(changes.end(), changes_.begin(), changes_.end());
    events.insert(events.end(), events_.begin(), events_.end());
    changes_.clear();
    events_.clear();
}

void ScriptedPressSource::plug(const DeviceInfo& device) {
    devices_[device.id] = Device{device};
    apply();
}

void ScriptedPressSource::plugDenied(const DeviceInfo& device) {
    devices_[device.id] = Device{device, true};
    apply();
}

void ScriptedPressSource::plugBusy(const DeviceInfo& device) {
    Device d{device};
    d.busy = true;
    devices_[device.id] = d;
    apply();
}

void ScriptedPressSource::unplug(int id) {
    const auto it = devices_.find(id);
    if (it == devices_.end()) return;
    if (it->second.open) changes_.push_back({DeviceChange::Kind::Removed, it->second.info});
    devices_.erase(it);
}

void ScriptedPressSource::key(int device, int code, std::int64_t timeUs, std::int32_t value) {
    // Only an open device is read; presses on the others go to whoever else
    // reads them.
    if (!isOpen(device)) return;
    events_.push_back({device, timeUs, kEvKey, static_cast<std::uint16_t>(code), value});
}

void ScriptedPressSource::keysTogether(int device, const std::vector<int>& codes,
                                       std::int64_t timeUs) {
    for (int code : codes)
        key(device, code, timeUs);
}

bool ScriptedPressSource::isOpen(int id) const {
    const auto it = devices_.find(id);
    return it != devices_.end() && it->second.open;
}

bool ScriptedPressSource::isGrabbed(int id) const {
    const auto it = devices_.find(id);
    return it != devices_.end() && it->second.grabbed;
}

}  // namespace buttons
