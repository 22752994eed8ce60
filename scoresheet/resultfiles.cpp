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
#include "scoresheet/qbjwriter.h"
#include "scoresheet/sheetstats.h"
#include "setup/savefile.h"

namespace scoresheet {

namespace {

constexpr int kDetailsVersion = 1;

const QString kResultSuffix = QStringLiteral(".result.qbj");
const QString kPartialSuffix = QStringLiteral(".partial.qbj");

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
    return setup::saveAtomically(path, QJsonDocument(o).toJson(QJsonDocument::Indented));
}

void applyDetails(Sheet& sheet, const MatchDetails& d) {
    sheet.tournament = d.tournament;
    sheet.round = d.round;
    sheet.room = d.room;
    sheet.moderator = d.moderator;
}

QString resultBaseName(const Sheet& sheet) {
    QStringList teams;
    for (int t = 0; t < static_cast<int>(sheet.teams.size()); ++t)
        teams << teamName(sheet, t);
    QStringList parts;
    if (sheet.started.isValid()) parts << sheet.started.date().toString(Qt::ISODate);
    parts << sheet.round.trimmed() << sheet.room.trimmed() << teams.join(QStringLiteral(" vs "));
    parts.removeAll(QString());
    // What Windows shares refuse as well as the slash Linux does, and
    // control characters.
    static const QRegularExpression bad(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    QString name = parts.join(QLatin1Char(' ')).replace(bad, QStringLiteral("-")).simplified();
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
        // Another match of the same teams, round and room that day keeps its
        // file; this match's own file is written over.
        if (!QFileInfo::exists(path) || (!started.isEmpty() && startedOf(path) == started))
            return path;
    }
}

QString ResultFiles::partialPath(const QString& folder, const Sheet& sheet) {
    return QDir(folder).filePath(resultBaseName(sheet) + kPartialSuffix);
}

ResultFiles::ResultFiles(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), worker_([this] { run(); }) {}

ResultFiles::~ResultFiles() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void ResultFiles::setFolder(const QString& folder) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
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

void ResultFiles::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping with nothing left to write
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
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
    if (job.folder.isEmpty() || !QDir().mkpath(job.folder)) {
        emit problem(QStringLiteral("The result folder %1 cannot be made.").arg(job.folder));
        return;
    }
    const QString partial = partialPath(job.folder, job.sheet);
    QString previousPartial;
    {
        std::lock_guard lock(mutex_);
        previousPartial = lastPartial_;
        lastPartial_ = job.final ? QString() : partial;
    }
    // The details changed the file's name mid-match: the old partial goes.
    if (!previousPartial.isEmpty() && previousPartial != partial) QFile::remove(previousPartial);

    const QString path = job.final ? resultPath(job.folder, job.sheet) : partial;
    if (const auto error = setup::saveAtomically(path, writeQbj(job.sheet))) {
        emit problem(
            QStringLiteral("The result file %1 could not be written: %2").arg(path, *error));
        return;
    }
    if (job.final) {
        QFile::remove(partial);
        {
            std::lock_guard lock(mutex_);
            lastResult_ = path;
            ++resultsWritten_;
        }
        emit resultWritten(path);
    }
}

}  // namespace scoresheet
