#include "record/storerecorder.h"

namespace record {

namespace {

// The match the last run left, read from the file before the writer's
// thread takes it over.
std::optional<InterruptedMatch> interruptedIn(RecordWriter& writer) {
    RecordStore* store = writer.openedStore();
    return store ? findInterrupted(*store) : std::nullopt;
}

}  // namespace

StoreRecorder::StoreRecorder(Clock& clock, StoreOptions options)
    : writer_(std::move(options)), book_(clock, writer_, interruptedIn(writer_)) {
    writer_.start();
}

StoreRecorder::~StoreRecorder() = default;

void StoreRecorder::record(EventKind kind, const QJsonObject& data) { book_.record(kind, data); }

qint64 StoreRecorder::currentMatch() const {
    const qint64 key = book_.match();
    return key == 0 ? 0 : writer_.fileId(key);
}

}  // namespace record
