#pragma once

#include <vector>

#include <QJsonObject>
#include <QStringList>

#include "app/matchrecorder.h"

// The match recorder of the tests: every event kept in memory, in order.
class MemoryRecorder final : public record::MatchRecorder {
public:
    struct Event {
        record::EventKind kind;
        QJsonObject data;
    };

    void record(record::EventKind kind, const QJsonObject& data) override {
        events.push_back({kind, data});
    }

    // The kinds by their stored names ("buzz-in"), in order.
    QStringList kinds() const {
        QStringList names;
        for (const Event& e : events)
            names << record::kindName(e.kind);
        return names;
    }

    // The events of one kind, in order.
    std::vector<QJsonObject> of(record::EventKind kind) const {
        std::vector<QJsonObject> found;
        for (const Event& e : events) {
            if (e.kind == kind) found.push_back(e.data);
        }
        return found;
    }

    void clear() { events.clear(); }

    std::vector<Event> events;
};
