#include "scoresheet/resultfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include "app/programfolder.h"
#include "app/savefile.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/sheetstats.h"

namespace scoresheet {

namespace {

constexpr int kDetailsVersion = 1;

const QString kResultSuffix = QStringLiteral(".result.qbj");
const QString kPartialSuffix = QStringLiteral(".partial.qbj");
const QString kMatchSuffix = QStringLiteral(".match.qbj");

// The match a result file holds, as its writer stamped it.
QString startedOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QJsonObject doc = QJsonDocument::fromJson(file.readAll()).object();
    for (const QJsonValue& v : doc.value(QStringLiteral("objects")).toArray()) {
        const QJsonObject o = v.toObject();
        if (o.value(QStringLiteral("type")).toString() == QLatin1String("Match"))
            return o.value(QStringLiteral("_torvanel"))
                .toObject()
                .value(QStringLiteral("started"))
                .toString();
    }
    return {};
}

}  // namespace

QString defaultResultFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("torvanel/results"));
}

MatchDetails loadMatchDetails(const QString& path, const QString& defaultFolder) {
    MatchDetails d;
    d.folder = defaultFolder;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return d;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    if (o.value(QStringLiteral("version")).toInt() != kDetailsVersion) return d;
    d.tournament = o.value(QStringLiteral("tournament")).toString();
    d.round = o.value(QStringLiteral("round")).toString();
    d.room = o.value(QStringLiteral("room")).toString();
    d.moderator = o.value(QStringLiteral("moderator")).toString();
    const QString folder = o.value(QStringLiteral("folder")).toString();
    if (!folder.isEmpty()) d.folder = folder;
    return d;
}

std::optional<QString> saveMatchDetails(const QString& path, const MatchDetails& d) {
    const QJsonObject o{
        {QStringLiteral("version"), kDetailsVersion}, {QStringLiteral("tournament"), d.tournament},
        {QStringLiteral("round"), d.round},           {QStringLiteral("room"), d.room},
        {QStringLiteral("moderator"), d.moderator},   {QStringLiteral("folder"), d.folder}};
    // Kept with the program's settings, in its private folder.
    makePrivateFolder(QFileInfo(path).absolutePath());
    return files::saveAtomically(path, QJsonDocument(o).toJson(QJsonDocument::Indented));
}

void applyDetails(Sheet& sheet, const MatchDetails& d) {
    sheet.tournament = d.tournament;
    sheet.round = d.round;
    sheet.room = d.room;
    sheet.moderator = d.moderator;
}

namespace {

// A file name is at most 255 bytes on the file systems a share is made of;
// room is kept for the suffix and a number after a second match's name.
constexpr int kMaxBaseBytes = 255 - 12 - 8;
constexpr int kMaxPlaceBytes = 60;  // a round's or a room's part

QString cleanPart(const QString& text) {
    // What Windows shares refuse as well as the slash Linux does, and
    // control characters.
    static const QRegularExpression bad(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    // DEL, and the marks that turn text right to left: in a file name they
    // make one file look like another in the stats room's listing.
    static const QRegularExpression hidden(QStringLiteral(
        "[\\x7f-\\x9f\\x{061c}\\x{200e}\\x{200f}\\x{202a}-\\x{202e}\\x{2066}-\\x{2069}]"));
    return QString(text).remove(hidden).replace(bad, QStringLiteral("-")).simplified();
}

// The longest start of `text` that takes no more than `bytes` in UTF-8,
// never cutting a character in two.
QString fitBytes(const QString& text, int bytes) {
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size();
        const qsizetype next = end + (pair ? 2 : 1);
        const int size = int(text.mid(end, next - end).toUtf8().size());
        if (used + size > bytes) break;
        used += size;
        end = next;
    }
    return text.left(end).trimmed();
}

int utf8Size(const QString& text) { return int(text.toUtf8().size()); }

}  // namespace

QString resultBaseName(const Sheet& sheet) {
    QStringList teams;
    for (int t = 0; t < static_cast<int>(sheet.teams.size()); ++t)
        teams << cleanPart(teamName(sheet, t));
    // The date, round and room place the match in the stats room: they are
    // kept, and the team names shortened to fit.
    QStringList place;
    if (sheet.started.isValid()) place << sheet.started.date().toString(Qt::ISODate);
    place << fitBytes(cleanPart(sheet.round), kMaxPlaceBytes)
          << fitBytes(cleanPart(sheet.room), kMaxPlaceBytes);
    place.removeAll(QString());
    const QString separator = QStringLiteral(" vs ");
    if (utf8Size((place + QStringList{teams.join(separator)}).join(QLatin1Char(' '))) >
        kMaxBaseBytes) {
        const int room = kMaxBaseBytes - utf8Size(place.join(QLatin1Char(' '))) - 1 -
                         utf8Size(separator) * int(std::max<qsizetype>(teams.size() - 1, 0));
        for (QString& team : teams)
            team = fitBytes(team, std::max(1, room / int(std::max<qsizetype>(teams.size(), 1))));
    }
    QStringList parts = place;
    parts << teams.join(separator);
    parts.removeAll(QString());
    QString name = parts.join(QLatin1Char(' ')).simplified();
    // A leading dot would hide the file from the stats room's file dialog.
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name.isEmpty() ? QStringLiteral("match") : name;
}

QString ResultFiles::resultPath(const QString& folder, const Sheet& sheet) {
    const QDir dir(folder);
    const QString base = resultBaseName(sheet);
    const QString started = sheet.started.isValid() ? isoTime(sheet.started) : QString();
    for (int n = 1;; ++n) {
        const QString path = dir.filePath(
            base + (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + kResultSuffix);
        // A link, even one to nothing, is not a free name: the folder may be
        // a share others write to, and a link would send the file anywhere.
        const QFileInfo info(path);
        if (info.isSymLink()) continue;
        // Another match of the same teams, round and room that day keeps its
        // file; this match's own file is written over.
        if (!info.exists() || (!started.isEmpty() && startedOf(path) == started)) return path;
    }
}

QString ResultFiles::bareMatchPath(const QString& resultPath) {
    QString path = resultPath;
    if (path.endsWith(kResultSuffix)) path.chop(kResultSuffix.size());
    return path + kMatchSuffix;
}

QString ResultFiles::partialPath(const QString& folder, const Sheet& sheet) {
    return QDir(folder).filePath(resultBaseName(sheet) + kPartialSuffix);
}

ResultFiles::ResultFiles(QString folder, QObject* parent, MakeFolder make)
    : QObject(parent),
      folder_(std::move(folder)),
      folderToMake_(make == MakeFolder::Yes ? folder_ : QString()),
      worker_([this] { run(); }) {}

ResultFiles::~ResultFiles() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void ResultFiles::setFolder(const QString& folder, MakeFolder make) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
    if (make == MakeFolder::Yes) folderToMake_ = folder;
}

QString ResultFiles::folder() const {
    std::lock_guard lock(mutex_);
    return folder_;
}

QString ResultFiles::lastResult() const {
    std::lock_guard lock(mutex_);
    return lastResult_;
}

int ResultFiles::resultsWritten() const {
    std::lock_guard lock(mutex_);
    return resultsWritten_;
}

void ResultFiles::matchChanged(const Sheet& sheet) {
    {
        std::lock_guard lock(mutex_);
        // Only the newest state matters; one waiting is replaced, not queued.
        if (!jobs_.empty() && !jobs_.back().final)
            jobs_.back() = Job{sheet, folder_, false};
        else
            jobs_.push_back(Job{sheet, folder_, false});
    }
    wake_.notify_one();
}

void ResultFiles::matchEnded(const Sheet& sheet) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(Job{sheet, folder_, true});
    }
    wake_.notify_one();
}

void ResultFiles::matchDropped() {
    {
        std::lock_guard lock(mutex_);
        // A partial file still waiting to be written is not written at all.
        if (!jobs_.empty() && !jobs_.back().final) jobs_.pop_back();
        jobs_.push_back(Job{{}, {}, false, true});
    }
    wake_.notify_one();
}

void ResultFiles::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

bool ResultFiles::flushUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return idle_.wait_until(lock, deadline, [this] { return jobs_.empty() && !busy_; });
}

namespace {

QString describeJob(const Sheet& sheet, const QString& folder, bool final) {
    return (final ? QStringLiteral("the result file of \"%1\" in %2")
                  : QStringLiteral("the partial file of \"%1\" in %2"))
        .arg(resultBaseName(sheet), folder);
}

}  // namespace

QStringList ResultFiles::unwritten() const {
    std::lock_guard lock(mutex_);
    QStringList out;
    if (busy_ && !writing_.isEmpty()) out << writing_;
    for (const Job& job : jobs_)
        if (!job.drop) out << describeJob(job.sheet, job.folder, job.final);
    return out;
}

QString ResultFiles::lastPartial() const {
    std::lock_guard lock(mutex_);
    return lastPartial_;
}

void ResultFiles::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping with nothing left to write
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        writing_ = job.drop ? QString() : describeJob(job.sheet, job.folder, job.final);
        lock.unlock();
        write(job);
        lock.lock();
        busy_ = false;
        if (jobs_.empty()) idle_.notify_all();
    }
}

void ResultFiles::write(const Job& job) {
    if (job.drop) {
        QString partial;
        {
            std::lock_guard lock(mutex_);
            partial.swap(lastPartial_);
        }
        if (!partial.isEmpty()) QFile::remove(partial);
        return;
    }
    bool make = false;
    {
        std::lock_guard lock(mutex_);
        make = !folderToMake_.isEmpty() && folderToMake_ == job.folder;
    }
    // The folder is made when the operator chooses it, and no other time: a
    // share that is not mounted leaves an empty mount point, and a folder
    // made there would hold the results on this computer while the stats
    // room waits for them.
    if (job.folder.isEmpty() ||
        (make ? !QDir().mkpath(job.folder) : !QFileInfo(job.folder).isDir())) {
        emit problem(make ? QStringLiteral("The result folder %1 cannot be made.").arg(job.folder)
                          : QStringLiteral("The result folder %1 is not there (is the share "
                                           "mounted?). Nothing was written to it.")
                                .arg(job.folder),
                     job.final);
        return;
    }
    if (make) {
        std::lock_guard lock(mutex_);
        if (folderToMake_ == job.folder) folderToMake_.clear();
    }
    const QString partial = partialPath(job.folder, job.sheet);
    QString previousPartial;
    {
        std::lock_guard lock(mutex_);
        previousPartial = lastPartial_;
    }

    const QString path = job.final ? resultPath(job.folder, job.sheet) : partial;
    if (const auto error = files::saveReplacingLinks(path, writeQbj(job.sheet))) {
        emit problem(
            QStringLiteral("The result file %1 could not be written: %2").arg(path, *error),
            job.final);
        return;
    }
    // Only now that its successor is on disk does the last good file go:
    // the partial of a name the details changed mid-match, or the match's
    // partial once its result is written.
    {
        std::lock_guard lock(mutex_);
        lastPartial_ = job.final ? QString() : partial;
    }
    if (!previousPartial.isEmpty() && previousPartial != path) QFile::remove(previousPartial);
    emit fileWritten(path);
    // A match read from a packet goes beside its result as the moderator
    // app exports one, for the buzz-point tools.
    if (job.final && job.sheet.packet) {
        const QString bare = bareMatchPath(path);
        if (const auto error = files::saveReplacingLinks(bare, writeBareMatchQbj(job.sheet)))
            emit problem(
                QStringLiteral("The match file %1 could not be written: %2").arg(bare, *error),
                job.final);
        else
            emit fileWritten(bare);
    }
    if (job.final) {
        if (partial != previousPartial) QFile::remove(partial);
        {
            std::lock_guard lock(mutex_);
            lastResult_ = path;
            ++resultsWritten_;
        }
        emit resultWritten(path);
    }
}

}  // namespace scoresheet
