#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/clock.h"
#include "record/matchrecorder.h"

// A recorder that does what a recorder keeping the match on disk does on the
// windows' thread, and the rest on its own: each event is stamped and queued
// at once, and a writer thread turns the queue into one JSON line per event
// (counted, not stored). What it costs the buzz-in is the cost of a real one.
class QueueRecorder final : public record::MatchRecorder {
public:
    explicit QueueRecorder(Clock& clock) : clock_(clock), writer_([this] { run(); }) {}

    ~QueueRecorder() override {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        writer_.join();
    }

    QueueRecorder(const QueueRecorder&) = delete;
    QueueRecorder& operator=(const QueueRecorder&) = delete;

    void record(record::EventKind kind, const QJsonObject& data) override {
        Entry entry{kind, data, clock_.now(), QDateTime::currentMSecsSinceEpoch()};
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(entry));
        }
        wake_.notify_one();
    }

    // Events written so far, and their bytes.
    long written() const {
        const std::lock_guard lock(mutex_);
        return written_;
    }
    long long bytes() const {
        const std::lock_guard lock(mutex_);
        return bytes_;
    }

private:
    struct Entry {
        record::EventKind kind;
        QJsonObject data;
        double monotonic;
        qint64 wallMs;
    };

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            std::deque<Entry> batch;
            batch.swap(queue_);
            lock.unlock();
            long long size = 0;
            for (const Entry& e : batch) {
                QJsonObject row{{QStringLiteral("kind"), record::kindName(e.kind)},
                                {QStringLiteral("time"), e.monotonic},
                                {QStringLiteral("wall"), e.wallMs},
                                {QStringLiteral("data"), e.data}};
                size += QJsonDocument(row).toJson(QJsonDocument::Compact).size() + 1;
            }
            lock.lock();
            written_ += static_cast<long>(batch.size());
            bytes_ += size;
            if (stopping_ && queue_.empty()) return;
        }
    }

    Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> queue_;
    bool stopping_ = false;
    long written_ = 0;
    long long bytes_ = 0;
    std::thread writer_;  // last: starts once everything above exists
};
