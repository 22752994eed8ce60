// Any bytes as the record file: opening it either gives a store that reads
// and takes a new match, or refuses with a reason in words; a file that is
// put aside is kept byte for byte; and the recorder the program runs with
// starts on it, offers back no more than it found and records a match.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/clock.h"
#include "record/recordstore.h"
#include "record/storerecorder.h"

namespace {

void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "record file: %s\n", what);
    std::abort();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    check(f.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
    f.write(bytes);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir top;
    QDir folder(top.path());
    folder.removeRecursively();
    QDir().mkpath(top.path());
    const QString path = record::recordFile(top.path());
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    putFile(path, bytes);
    {
        record::RecordStore store;
        if (store.open(path, 10, true)) {
            if (!store.movedAside().isEmpty())
                check(contents(store.movedAside()) == bytes, "file put aside is not the input");
            for (const record::MatchSummary& m : store.matches())
                store.events(m.id);
            check(store.begin(), "an open store does not write");
            const qint64 id = store.insertMatch(1, QStringLiteral("2_4"), {"A", "B"});
            check(id > 0, "an open store does not take a match");
            check(store.insertEvent(id, {record::EventKind::MatchStarted, 0.0, 1, {}}),
                  "an open store does not take an event");
            check(store.commit(), "an open store does not commit");
        } else {
            check(!store.problem().isEmpty(), "refused without a reason");
            check(!store.problem().contains(QLatin1String("SQL logic error")),
                  "SQLite's words for the operator");
        }
    }

    folder.removeRecursively();
    QDir().mkpath(top.path());
    putFile(path, bytes);
    {
        ManualClock clock;
        record::StoreRecorder recorder(clock, {top.path()});
        if (const auto& m = recorder.interrupted())
            check(m->state.scores.size() <= 64, "implausible interrupted match");
        recorder.record(record::EventKind::MatchStarted, {{"screen", "2_4"}});
        recorder.record(record::EventKind::ScoreChanged, {{"team", 0}, {"after", 10}});
        recorder.flush();
        check(recorder.currentEvents().size() == 2, "events of the run lost");
    }
    return 0;
}
