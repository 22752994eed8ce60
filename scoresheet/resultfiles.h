#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "scoresheet/sheet.h"

// The result files the stats room picks up: one QBJ file a match, written
// whole or not at all into a folder the operator chooses (a share when
// several rooms feed one stats desk), with a partial file kept current while
// the match is played so a crash loses nothing the sheet had.
namespace scoresheet {

// What the stats room needs to place a match, kept between runs.
struct MatchDetails {
    QString tournament, round, room, moderator;
    QString folder;  // where the result files go

    bool operator==(const MatchDetails&) const = default;
};

// The folder result files go to until the operator picks one: "results" in
// the program's data folder.
QString defaultResultFolder();

// The details kept in `path` (a small versioned JSON file); defaults (and
// `defaultFolder`) when the file is missing or unreadable.
MatchDetails loadMatchDetails(const QString& path, const QString& defaultFolder);
// Nothing on success, else why the file could not be written.
std::optional<QString> saveMatchDetails(const QString& path, const MatchDetails& details);

// Fills the sheet's tournament, round, room and moderator from the details.
void applyDetails(Sheet& sheet, const MatchDetails& details);

// "<date> <round> <room> <team> vs <team>" with what is unknown left out and
// characters no file system (or network share) takes replaced.
QString resultBaseName(const Sheet& sheet);

// Writes result files off the window thread. matchChanged() is called with
// the sheet after every change and returns at once: only the newest sheet
// waiting is written. matchEnded() queues the result file and removes the
// partial one. Problems are reported by the signal, from the writer thread
// (a queued connection brings them to a window).
class ResultFiles final : public QObject {
    Q_OBJECT
public:
    // Whether the folder is made when it is missing: when the operator has
    // just chosen it (or it is the program's own), not when a folder chosen
    // earlier has gone, as a share that is not mounted has.
    enum class MakeFolder { No, Yes };
    explicit ResultFiles(QString folder, QObject* parent = nullptr,
                         MakeFolder make = MakeFolder::Yes);
    ~ResultFiles() override;  // writes what is queued first

    void setFolder(const QString& folder, MakeFolder make = MakeFolder::No);
    QString folder() const;

    void matchChanged(const Sheet& sheet);
    void matchEnded(const Sheet& sheet);
    // The match is no result after all (it was practice): its partial file
    // goes.
    void matchDropped();
    // Waits until everything queued is on disk (or has failed).
    void flush();
    // As flush(), but no longer than until `deadline`: a share that hangs
    // must not hold the program's end for ever. Whether everything queued
    // was dealt with.
    bool flushUntil(std::chrono::steady_clock::time_point deadline);
    // What is queued or being written, in the operator's words, one line
    // each ("the result file of 2026-03-14 Round 3 ... in /srv/results").
    QStringList unwritten() const;
    // The partial file last written and not yet replaced by its match's
    // result; empty when there is none.
    QString lastPartial() const;

    // Where the last result file went; empty before the first. How many
    // have been written.
    QString lastResult() const;
    int resultsWritten() const;

    // The result file for a sheet in a folder: its base name with
    // ".result.qbj", numbered when another match already holds that name.
    static QString resultPath(const QString& folder, const Sheet& sheet);
    static QString partialPath(const QString& folder, const Sheet& sheet);
    // Beside a result file of a match read from a packet: the match alone,
    // as the moderator app exports one (".match.qbj").
    static QString bareMatchPath(const QString& resultPath);

signals:
    // `result`: the match's result file (not the partial one) was not
    // written.
    void problem(const QString& text, bool result);
    void resultWritten(const QString& path);
    // Any file written, partial or result.
    void fileWritten(const QString& path);

private:
    struct Job {
        Sheet sheet;
        QString folder;
        bool final = false;
        bool drop = false;
    };
    void run();
    void write(const Job& job);

    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Job> jobs_;
    bool busy_ = false, stop_ = false;
    QString writing_;  // what the writer is on, described
    QString folder_, folderToMake_, lastResult_, lastPartial_;
    int resultsWritten_ = 0;
    std::thread worker_;
};

}  // namespace scoresheet
