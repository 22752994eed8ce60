#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/clock.h"
#include "app/matchrecorder.h"
#include "record/matchbook.h"
#include "record/matchstate.h"
#include "record/recordstore.h"
#include "record/recordwriter.h"

namespace record {

// The recorder the program runs with: it stamps each event, keeps the
// current match's events in memory for the record window, and hands them to
// one writer thread that commits them in batches. record() never waits for
// the disk. A batch that cannot be written stays in memory and is tried
// again, less and less often; when it goes through the recovery handler
// hears so, once. A fault that lasts (StoreOptions::giveUpMs) stops the
// record: the problem handler hears why, and retry() tries again with what
// is still in memory. When the file cannot be opened, or another copy of the
// program keeps it, the match goes on and the events of this run are kept
// in memory only.
//
// The match book decides what belongs to which match; the writer owns the
// file and its thread.
class StoreRecorder final : public MatchRecorder {
public:
    StoreRecorder(Clock& clock, StoreOptions options);
    ~StoreRecorder() override;

    StoreRecorder(const StoreRecorder&) = delete;
    StoreRecorder& operator=(const StoreRecorder&) = delete;

    void record(EventKind kind, const QJsonObject& data = {}) override;

    QString filePath() const { return writer_.path(); }
    // Empty while the record is kept; else why it is not.
    QString problem() const { return writer_.problem(); }
    // When the file was moved aside (damaged, or another program's
    // database): where it went. Damage inside a sound file is found by the
    // writer, a moment after start.
    QString movedAside() const { return writer_.movedAside(); }
    // Whether the store was another program's database, moved aside.
    bool movedForeign() const { return writer_.movedForeign(); }
    // Called once the file has been moved aside (at once if it already
    // was), from whichever thread moved it.
    void setMovedAsideHandler(std::function<void()> handler) {
        writer_.setMovedAsideHandler(std::move(handler));
    }
    // Set when another copy of the program keeps this record: nothing was
    // read from it and nothing is written to it.
    const std::optional<RecordHolder>& heldBy() const { return writer_.heldBy(); }
    // Called once per stop, from whichever thread finds it, with the problem
    // in words; at once when the store already failed to open.
    void setProblemHandler(std::function<void(const QString&)> handler) {
        writer_.setProblemHandler(std::move(handler));
    }
    // Called, from the writer thread, when writing works again after it
    // failed, with what had been wrong and for how many seconds.
    void setRecoveryHandler(std::function<void(const QString& problem, double seconds)> handler) {
        writer_.setRecoveryHandler(std::move(handler));
    }
    // After the record stopped: true while events wait to be written and
    // retry() may write them.
    bool canRetry() const { return writer_.canRetry(); }
    // Tries again at once, with every event still in memory.
    void retry() { writer_.retry(); }

    // The match the last run left without an end, found when the file was
    // opened (before this run recorded anything).
    const std::optional<InterruptedMatch>& interrupted() const { return book_.interrupted(); }

    // Blocks until every event recorded so far is on disk, or one more try
    // to write them failed (they then wait in memory), or the record is
    // not being kept.
    void flush() { writer_.flush(); }

    // The current match, on the recording thread: its number in the file
    // (0 before the first MatchStarted, and until the file has it) and its
    // events so far. It is written to the file only once something has been
    // played in it; a resume of the interrupted match (MatchResumed from it)
    // makes that match the current one again, under its own number, its
    // earlier events included.
    bool matchOn() const { return book_.match() != 0; }
    qint64 currentMatch() const;
    const std::vector<RecordedEvent>& currentEvents() const { return book_.currentEvents(); }
    // Hears each event of the current match as it is recorded, on the
    // recording thread; a MatchStarted means a new match has begun.
    void setListener(std::function<void(const RecordedEvent&)> listener) {
        book_.setListener(std::move(listener));
    }

private:
    // The writer comes first: the book hands it what it records, and it
    // outlives the book to write what is left.
    RecordWriter writer_;
    MatchBook book_;
};

}  // namespace record
