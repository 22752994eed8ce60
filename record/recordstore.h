#pragma once

#include <optional>
#include <vector>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "app/matchrecorder.h"

struct sqlite3;

namespace record {

// One event as kept: its kind, the seconds since its match started (on the
// program's monotonic clock; negative for what happened before the start,
// such as the program starting) and the wall-clock time in milliseconds
// since the epoch.
struct RecordedEvent {
    EventKind kind = EventKind::ProgramStarted;
    double matchTime = 0.0;
    qint64 wallMs = 0;
    QJsonObject data;
};

// One match as the list of past matches shows it. The names in use, the
// scores and the number of events are kept with the match as its events
// are written (as of the last event in the file), so that the list never
// reads the events.
struct MatchSummary {
    qint64 id = 0;
    qint64 startedMs = 0;
    std::optional<qint64> endedMs;  // none: the match was interrupted
    QString endHow;
    QString screen;
    QStringList teams;  // as named at the start
    qint64 events = 0;
    double lastAlive = 0.0;   // match time the program was last seen running
    QStringList names;        // the teams as named after the last event
    std::vector<int> scores;  // per team, after the last event
};

// Why the store cannot be used.
enum class StoreFailure { None, Unwritable, Locked, Corrupt, Full, TooNew, Foreign, Other };

// The record file: SQLite, one row per match and one per event, the schema
// version in PRAGMA user_version, write-ahead logging. One object is one
// connection and belongs to one thread; the recorder's writer thread has
// one, a window that reads or deletes has its own.
class RecordStore {
public:
    // The schema this program writes; older files are brought up to it.
    static constexpr int kSchemaVersion = 3;

    RecordStore() = default;
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Opens (creating when missing) and migrates the file. A file that is
    // not a database, is damaged, or is another program's database is moved
    // aside under a dated name and a fresh one started (movedAside() then
    // says where the old one went). A newer program's file is refused
    // unchanged.
    // busyMs is how long to wait for another program's lock. With `check`
    // the whole file is read through once (SQLite's quick check), so that
    // damage inside a file whose header is sound is found now rather than
    // by the first write that touches it.
    bool open(const QString& path, int busyMs = 1000, bool check = false);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    // Reads the whole open file through once; false (and failure() says
    // Corrupt) when damage is found, or when the check could not be run.
    bool check() { return quickCheck(); }

    StoreFailure failure() const { return failure_; }
    // The reason in words, for the operator.
    QString problem() const { return problem_; }
    QString movedAside() const { return movedAside_; }
    // Whether what was moved aside was another program's database rather
    // than a damaged record.
    bool movedForeign() const { return movedForeign_; }
    QString path() const { return path_; }

    // Caps the file's size in pages: the disk runs full there.
    void setMaxPageCount(int pages);

    // --- Writing (one transaction per batch) --------------------------------
    bool begin();
    bool commit();
    void rollback();
    // The new match's number, or 0 when it could not be added.
    qint64 insertMatch(qint64 startedMs, const QString& screen, const QStringList& teams);
    bool insertEvent(qint64 matchId, const RecordedEvent& event);
    bool endMatch(qint64 id, qint64 endedMs, const QString& how);
    bool setLastAlive(qint64 id, double matchTime);
    // The match's names, scores and number of events after its last event.
    bool setSummary(qint64 id, const QStringList& names, const std::vector<int>& scores,
                    qint64 events);
    bool deleteMatch(qint64 id);

    // --- Reading ------------------------------------------------------------
    std::vector<MatchSummary> matches();
    std::optional<MatchSummary> match(qint64 id);
    std::vector<RecordedEvent> events(qint64 matchId);

private:
    bool exec(const char* sql);
    bool checkOwner();
    bool migrate();
    bool fillSummaries();
    bool fail(int code, const QString& what);
    bool openFile(const QString& path, int busyMs, bool check, bool& corrupt);
    bool quickCheck();
    MatchSummary summaryFrom(void* statement);

    sqlite3* db_ = nullptr;
    QString path_;
    QString problem_;
    QString movedAside_;
    bool movedForeign_ = false;
    StoreFailure failure_ = StoreFailure::None;
};

}  // namespace record
