#include "record/recordstore.h"

#include <array>
#include <map>
#include <utility>

#include <sqlite3.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "app/programfolder.h"
#include "app/savefile.h"
#include "record/matchstate.h"

namespace record {

namespace {

// Each step brings the file from version i to i + 1. A released step is
// never changed; a new schema is a new step at the end.
constexpr std::array<const char*, 3> kMigrations{{
    "CREATE TABLE matches ("
    " id INTEGER PRIMARY KEY,"
    " started INTEGER NOT NULL,"
    " ended INTEGER,"
    " end_how TEXT NOT NULL DEFAULT '',"
    " screen TEXT NOT NULL DEFAULT '',"
    " teams TEXT NOT NULL DEFAULT '[]',"
    " last_alive REAL NOT NULL DEFAULT 0);"
    "CREATE TABLE events ("
    " id INTEGER PRIMARY KEY,"
    " match_id INTEGER NOT NULL,"
    " match_time REAL NOT NULL,"
    " wall INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " data TEXT NOT NULL DEFAULT '{}');"
    "CREATE INDEX events_by_match ON events (match_id, id);",
    // A match's number is never given again, not even after the newest
    // match is deleted: an export or a note that names match 7 keeps
    // naming that match. The count starts past every number the file has
    // used that can still be seen, events of a lost match row included.
    "CREATE TABLE matches_numbered ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " started INTEGER NOT NULL,"
    " ended INTEGER,"
    " end_how TEXT NOT NULL DEFAULT '',"
    " screen TEXT NOT NULL DEFAULT '',"
    " teams TEXT NOT NULL DEFAULT '[]',"
    " last_alive REAL NOT NULL DEFAULT 0);"
    "INSERT INTO matches_numbered (id, started, ended, end_how, screen, teams, last_alive)"
    " SELECT id, started, ended, end_how, screen, teams, last_alive FROM matches;"
    "DROP TABLE matches;"
    "ALTER TABLE matches_numbered RENAME TO matches;"
    "DELETE FROM sqlite_sequence WHERE name IN ('matches', 'matches_numbered');"
    "INSERT INTO sqlite_sequence (name, seq) SELECT 'matches', max("
    " (SELECT coalesce(max(id), 0) FROM matches),"
    " (SELECT coalesce(max(match_id), 0) FROM events));",
    // Each match keeps what the list of matches shows of it: the names in
    // use and the scores after its last event, and how many events it has.
    // The writer keeps them with every batch; a file that had matches has
    // them filled once (RecordStore::fillSummaries).
    "ALTER TABLE matches ADD COLUMN names TEXT NOT NULL DEFAULT '[]';"
    "ALTER TABLE matches ADD COLUMN scores TEXT NOT NULL DEFAULT '[]';"
    "ALTER TABLE matches ADD COLUMN events INTEGER NOT NULL DEFAULT 0;",
}};
// The version whose step adds the summaries.
constexpr int kSummariesFrom = 2;
static_assert(kMigrations.size() == RecordStore::kSchemaVersion);

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return rc_ == SQLITE_OK; }
    int prepareCode() const { return rc_; }
    sqlite3_stmt* get() const { return s_; }

    void bind(int i, qint64 v) { sqlite3_bind_int64(s_, i, v); }
    void bind(int i, double v) { sqlite3_bind_double(s_, i, v); }
    void bind(int i, const QString& v) {
        const QByteArray utf8 = v.toUtf8();
        sqlite3_bind_text(s_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindNull(int i) { sqlite3_bind_null(s_, i); }
    int step() { return sqlite3_step(s_); }

    QString text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(s_, col)) : QString();
    }
    qint64 integer(int col) const { return sqlite3_column_int64(s_, col); }
    double real(int col) const { return sqlite3_column_double(s_, col); }
    bool isNull(int col) const { return sqlite3_column_type(s_, col) == SQLITE_NULL; }

private:
    sqlite3_stmt* s_ = nullptr;
    int rc_ = SQLITE_OK;
};

// The file's schema version, with SQLITE_OK, or the code that kept it
// from being read.
std::pair<int, int> userVersion(sqlite3* db) {
    Statement s(db, "PRAGMA user_version");
    if (!s.ok()) return {s.prepareCode(), 0};
    const int rc = s.step();
    if (rc != SQLITE_ROW) return {rc, 0};
    return {SQLITE_OK, int(s.integer(0))};
}

QString compact(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString compact(const QStringList& list) {
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

QString compact(const std::vector<int>& list) {
    QJsonArray array;
    for (int v : list)
        array.append(v);
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QStringList stringsFrom(const QString& json) {
    QStringList out;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array())
        out << v.toString();
    return out;
}

std::vector<int> numbersFrom(const QString& json) {
    std::vector<int> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array())
        out.push_back(v.toInt());
    return out;
}

}  // namespace

RecordStore::~RecordStore() { close(); }

void RecordStore::close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool RecordStore::fail(int code, const QString& what) {
    const int primary = code & 0xff;
    switch (primary) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        failure_ = StoreFailure::Unwritable;
        problem_ = QStringLiteral("the file %1 cannot be written.").arg(path_);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        failure_ = StoreFailure::Locked;
        problem_ = QStringLiteral("the file %1 is locked by another program.").arg(path_);
        break;
    case SQLITE_FULL:
        failure_ = StoreFailure::Full;
        problem_ = QStringLiteral("the disk holding %1 is full.").arg(path_);
        break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        failure_ = StoreFailure::Corrupt;
        problem_ = QStringLiteral("the file %1 is damaged.").arg(path_);
        break;
    default:
        failure_ = StoreFailure::Other;
        problem_ = QStringLiteral("%1 failed on %2: %3.")
                       .arg(what, path_, QString::fromUtf8(sqlite3_errstr(code)));
        break;
    }
    return false;
}

bool RecordStore::exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK) return fail(rc, QString::fromLatin1(sql).section(u' ', 0, 1));
    return true;
}

bool RecordStore::openFile(const QString& path, int busyMs, bool check, bool& corrupt) {
    corrupt = false;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc, QStringLiteral("Opening"));
        close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyMs);
    // Whose the file is, which version it has and whether it can be read
    // are settled before anything in it changes: a newer program's file,
    // another program's database or a damaged file is left exactly as it
    // was (a migration that meets damage is rolled back). A full commit
    // syncs the log, so what is committed survives a power cut as well as a
    // killed process.
    if (checkOwner() && (!check || quickCheck()) && migrate() && exec("PRAGMA journal_mode=WAL") &&
        exec("PRAGMA synchronous=FULL")) {
        return true;
    }
    corrupt = failure_ == StoreFailure::Corrupt || failure_ == StoreFailure::Foreign;
    close();
    return false;
}

bool RecordStore::checkOwner() {
    // A file whose schema SQLite cannot even read (its header names a
    // format no SQLite knows) is damaged, whatever SQLite calls it.
    auto unreadable = [this](int rc, const QString& what) {
        return fail((rc & 0xff) == SQLITE_ERROR ? SQLITE_CORRUPT : rc, what);
    };
    const auto [versionRead, version] = userVersion(db_);
    if (versionRead != SQLITE_OK)
        return unreadable(versionRead, QStringLiteral("Reading the version"));
    // Every version of the record has had both tables; a file of version
    // 0 is ours only while it is empty, since the first step creates them
    // and sets the version in one transaction. SQLite's own tables (the
    // match count among them) are no sign either way.
    Statement s(db_,
                "SELECT count(*), sum(name IN ('matches', 'events') AND type = 'table')"
                " FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'");
    if (!s.ok()) return unreadable(s.prepareCode(), QStringLiteral("Reading the tables"));
    const int rc = s.step();
    if (rc != SQLITE_ROW) return unreadable(rc, QStringLiteral("Reading the tables"));
    const qint64 objects = s.integer(0);
    const qint64 ours = s.integer(1);
    if (version == 0 ? objects == 0 : ours == 2) {
        if (version <= kSchemaVersion) return true;
        failure_ = StoreFailure::TooNew;
        problem_ =
            QStringLiteral("the file %1 was written by a newer version of the program.").arg(path_);
        return false;
    }
    failure_ = StoreFailure::Foreign;
    problem_ = QStringLiteral("the file %1 is not a Torvanel match record.").arg(path_);
    return false;
}

bool RecordStore::quickCheck() {
    Statement s(db_, "PRAGMA quick_check(1)");
    if (!s.ok()) return fail(s.prepareCode(), QStringLiteral("Checking the file"));
    const int rc = s.step();
    if (rc != SQLITE_ROW) return fail(rc, QStringLiteral("Checking the file"));
    if (s.text(0) == QLatin1String("ok")) return true;
    return fail(SQLITE_CORRUPT, QStringLiteral("Checking the file"));
}

bool RecordStore::open(const QString& path, int busyMs, bool check) {
    close();
    path_ = path;
    failure_ = StoreFailure::None;
    problem_.clear();
    movedAside_.clear();
    movedForeign_ = false;

    const QString folder = QFileInfo(path).absolutePath();
    if (!makePrivateFolder(folder)) {
        failure_ = StoreFailure::Unwritable;
        problem_ = QStringLiteral("the folder %1 cannot be created.").arg(folder);
        return false;
    }
    bool corrupt = false;
    if (openFile(path, busyMs, check, corrupt)) return true;
    if (!corrupt) return false;

    // Keep the file for whoever wants to look into it, and start afresh. A
    // damaged file's log files are of no use to a new one; another
    // program's database keeps its log, or it would lose what is in it.
    const bool foreign = failure_ == StoreFailure::Foreign;
    const QString aside =
        files::asideName(path, QDateTime::currentDateTime(),
                         foreign ? QStringLiteral("other") : QStringLiteral("damaged"));
    if (!QFile::rename(path, aside)) return false;
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (foreign) {
            QFile::rename(path + suffix, aside + suffix);
        } else {
            QFile::remove(path + suffix);
        }
    }
    failure_ = StoreFailure::None;
    problem_.clear();
    if (!openFile(path, busyMs, check, corrupt)) return false;
    movedAside_ = aside;
    movedForeign_ = foreign;
    return true;
}

bool RecordStore::migrate() {
    const auto [versionRead, version] = userVersion(db_);
    if (versionRead != SQLITE_OK) return fail(versionRead, QStringLiteral("Reading the version"));
    if (version == kSchemaVersion) return true;
    if (!exec("BEGIN IMMEDIATE")) return false;
    for (int v = version; v < kSchemaVersion; ++v) {
        char* message = nullptr;
        const int rc = sqlite3_exec(db_, kMigrations[std::size_t(v)], nullptr, nullptr, &message);
        sqlite3_free(message);
        if (rc != SQLITE_OK) {
            rollback();
            // Tables that do not hold what the file's version says (damage
            // the header cannot show) cannot be brought up to date: the file
            // is put aside like any damaged one, never left to stop every
            // later start.
            const int primary = rc & 0xff;
            const bool damaged = primary == SQLITE_CONSTRAINT || primary == SQLITE_ERROR ||
                                 primary == SQLITE_MISMATCH;
            return fail(damaged ? SQLITE_CORRUPT : rc,
                        QStringLiteral("Bringing the file up to date"));
        }
    }
    if (version <= kSummariesFrom && !fillSummaries()) {
        rollback();
        return false;
    }
    const QByteArray setVersion = "PRAGMA user_version=" + QByteArray::number(kSchemaVersion);
    if (!exec(setVersion.constData()) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

// The summaries of the matches a file had before it kept them, in the
// migration's transaction: one pass through the events in the order they
// were written. Only the kinds that name the teams or set a score are read,
// since no other changes the names or the scores the fold gives.
bool RecordStore::fillSummaries() {
    struct Tally {
        MatchState state;
        qint64 events = 0;
    };
    std::map<qint64, Tally> tallies;
    {
        Statement s(db_, "SELECT match_id, count(*) FROM events GROUP BY match_id");
        int rc = SQLITE_OK;
        while ((rc = s.step()) == SQLITE_ROW)
            tallies[s.integer(0)].events = s.integer(1);
        if (rc != SQLITE_DONE) return fail(rc, QStringLiteral("Counting the events"));
    }
    {
        QStringList kinds;
        for (EventKind kind :
             {EventKind::MatchStarted, EventKind::MatchResumed, EventKind::NamesChanged,
              EventKind::ScoreChanged, EventKind::ScoreUndone, EventKind::ScoreRedone})
            kinds << QLatin1Char('\'') + kindName(kind) + QLatin1Char('\'');
        const QByteArray sql = "SELECT match_id, kind, data FROM events WHERE kind IN (" +
                               kinds.join(u',').toUtf8() + ") ORDER BY id";
        Statement s(db_, sql.constData());
        int rc = SQLITE_OK;
        while ((rc = s.step()) == SQLITE_ROW) {
            RecordedEvent e;
            if (!kindFromName(s.text(1), e.kind)) continue;
            e.data = QJsonDocument::fromJson(s.text(2).toUtf8()).object();
            apply(tallies[s.integer(0)].state, e);
        }
        if (rc != SQLITE_DONE) return fail(rc, QStringLiteral("Reading the events"));
    }
    for (const auto& [id, tally] : tallies) {
        if (!setSummary(id, tally.state.teams, tally.state.scores, tally.events)) return false;
    }
    return true;
}

void RecordStore::setMaxPageCount(int pages) {
    const QByteArray sql = "PRAGMA max_page_count=" + QByteArray::number(pages);
    exec(sql.constData());
}

bool RecordStore::begin() { return exec("BEGIN IMMEDIATE"); }
bool RecordStore::commit() { return exec("COMMIT"); }
void RecordStore::rollback() {
    if (db_ && !sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 RecordStore::insertMatch(qint64 startedMs, const QString& screen, const QStringList& teams) {
    // The file gives the number, inside the writing transaction, so it is
    // never one that some other connection has given already.
    Statement s(db_, "INSERT INTO matches (started, screen, teams) VALUES (?, ?, ?)");
    s.bind(1, startedMs);
    s.bind(2, screen);
    s.bind(3, compact(teams));
    const int rc = s.step();
    if (rc != SQLITE_DONE) {
        fail(rc, QStringLiteral("Adding a match"));
        return 0;
    }
    return sqlite3_last_insert_rowid(db_);
}

bool RecordStore::insertEvent(qint64 matchId, const RecordedEvent& e) {
    Statement s(
        db_, "INSERT INTO events (match_id, match_time, wall, kind, data) VALUES (?, ?, ?, ?, ?)");
    s.bind(1, matchId);
    s.bind(2, e.matchTime);
    s.bind(3, e.wallMs);
    s.bind(4, kindName(e.kind));
    s.bind(5, compact(e.data));
    const int rc = s.step();
    return rc == SQLITE_DONE || fail(rc, QStringLiteral("Adding an event"));
}

bool RecordStore::endMatch(qint64 id, qint64 endedMs, const QString& how) {
    Statement s(db_, "UPDATE matches SET ended = ?, end_how = ? WHERE id = ?");
    s.bind(1, endedMs);
    s.bind(2, how);
    s.bind(3, id);
    const int rc = s.step();
    return rc == SQLITE_DONE || fail(rc, QStringLiteral("Ending a match"));
}

bool RecordStore::setLastAlive(qint64 id, double matchTime) {
    Statement s(db_, "UPDATE matches SET last_alive = ? WHERE id = ?");
    s.bind(1, matchTime);
    s.bind(2, id);
    const int rc = s.step();
    return rc == SQLITE_DONE || fail(rc, QStringLiteral("Noting the time"));
}

bool RecordStore::setSummary(qint64 id, const QStringList& names, const std::vector<int>& scores,
                             qint64 events) {
    Statement s(db_, "UPDATE matches SET names = ?, scores = ?, events = ? WHERE id = ?");
    s.bind(1, compact(names));
    s.bind(2, compact(scores));
    s.bind(3, events);
    s.bind(4, id);
    const int rc = s.step();
    return rc == SQLITE_DONE || fail(rc, QStringLiteral("Noting the score"));
}

bool RecordStore::deleteMatch(qint64 id) {
    if (!begin()) return false;
    for (const char* sql :
         {"DELETE FROM events WHERE match_id = ?", "DELETE FROM matches WHERE id = ?"}) {
        Statement s(db_, sql);
        s.bind(1, id);
        const int rc = s.step();
        if (rc != SQLITE_DONE) {
            fail(rc, QStringLiteral("Deleting a match"));
            rollback();
            return false;
        }
    }
    return commit();
}

MatchSummary RecordStore::summaryFrom(void* statement) {
    const auto& s = *static_cast<Statement*>(statement);
    MatchSummary m;
    m.id = s.integer(0);
    m.startedMs = s.integer(1);
    if (!s.isNull(2)) m.endedMs = s.integer(2);
    m.endHow = s.text(3);
    m.screen = s.text(4);
    m.teams = stringsFrom(s.text(5));
    m.lastAlive = s.real(6);
    m.events = s.integer(7);
    m.names = stringsFrom(s.text(8));
    m.scores = numbersFrom(s.text(9));
    return m;
}

#define TORVANEL_SUMMARY_COLUMNS                                                           \
    "SELECT id, started, ended, end_how, screen, teams, last_alive, events, names, scores" \
    " FROM matches"

std::vector<MatchSummary> RecordStore::matches() {
    std::vector<MatchSummary> out;
    if (!db_) return out;
    Statement s(db_, TORVANEL_SUMMARY_COLUMNS " ORDER BY id");
    while (s.step() == SQLITE_ROW)
        out.push_back(summaryFrom(&s));
    return out;
}

std::optional<MatchSummary> RecordStore::match(qint64 id) {
    if (!db_) return std::nullopt;
    Statement s(db_, TORVANEL_SUMMARY_COLUMNS " WHERE id = ?");
    s.bind(1, id);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return summaryFrom(&s);
}

#undef TORVANEL_SUMMARY_COLUMNS

std::vector<RecordedEvent> RecordStore::events(qint64 matchId) {
    std::vector<RecordedEvent> out;
    if (!db_) return out;
    Statement s(db_,
                "SELECT kind, match_time, wall, data FROM events WHERE match_id = ? ORDER BY id");
    s.bind(1, matchId);
    while (s.step() == SQLITE_ROW) {
        RecordedEvent e;
        // A kind this program does not know (a newer program wrote it) is
        // left out rather than shown as something it is not.
        if (!kindFromName(s.text(0), e.kind)) continue;
        e.matchTime = s.real(1);
        e.wallMs = s.integer(2);
        e.data = QJsonDocument::fromJson(s.text(3).toUtf8()).object();
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace record
