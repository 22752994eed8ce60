#pragma once

#include <QJsonObject>
#include <QObject>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "app/matchrecorder.h"
#include "scoresheet/qbjreader.h"
#include "scoresheet/resultfiles.h"
#include "scoresheet/sheetbuilder.h"

class Program;
class QWidget;

namespace scoresheet {

// The stats room's side of the running program. It keeps its own sheet of
// the match from what the program records (the same events, through the
// same builder, as the scoresheet window), hands every change to the result
// files so the partial file follows the match, and writes the result file
// when the match ends: the operator's End Match, a new match begun, or the
// program's end. It also holds the match details and the rosters last taken
// from a QBJ file.
class ResultsDesk final : public QObject, public record::MatchRecorder {
    Q_OBJECT
public:
    explicit ResultsDesk(Program& program);
    ~ResultsDesk() override;

    // The program's events, as an observer of the match hears them.
    void record(record::EventKind kind, const QJsonObject& data) override;

    // Ends the match being played now and hands its result file to the
    // writer; returns at once, the share may be slow. A notice beside the
    // set-up menu says the file is being written, and then where it went or
    // that it failed (End Match pressed again tries once more). False, said
    // to the operator, when there is nothing to write.
    bool endMatch();
    // Whether a result file End Match asked for is still being written.
    bool endMatchWriting() const;

    // At the program's end: waits for what is queued until the end's time
    // is up (the first call sets it), then says on stderr what was not
    // written. Whether everything was written.
    bool finish();
    // How long the program's end waits for a share: long enough for a slow
    // one, short enough for a desktop session that is ending.
    void setEndWait(std::chrono::milliseconds wait) { endWait_ = wait; }

    const MatchDetails& details() const { return details_; }
    void setDetails(const MatchDetails& details);
    // The sheet as the result file will have it, details included.
    Sheet sheet() const;
    ResultFiles& files() { return files_; }

    // The teams the operator last took from a QBJ file, whole: their first
    // players are in the set-up menu, the rest are the substitutes a lineup
    // can call on.
    const std::vector<RosterTeam>& rosters() const { return rosters_; }
    void setRosters(std::vector<RosterTeam> rosters) { rosters_ = std::move(rosters); }

    // Where the details are kept between runs.
    static QString detailsPath(const Program& program);

private:
    bool hasPlay() const;
    // Whether the match being played goes to the stats room: it has play,
    // has not ended and is not practice.
    bool writesResults() const;
    void matchBegun();
    void recordDetails();
    // Queues the result file of the match; `notes`: what End Match says
    // with it, when End Match asked for it.
    void queueResult(std::optional<QStringList> notes);
    // A result file written or failed: the first of those queued.
    std::optional<QStringList> resultDone();
    void closeWritingNotice();

    Program& program_;
    MatchDetails details_;
    ResultFiles files_;
    SheetBuilder builder_;
    std::vector<RosterTeam> rosters_;
    bool practice_ = false;  // the operator said what was played is practice
    int matches_ = 0;        // starts and resumes heard, so a late start-up step knows its match
    bool filesFailing_ = false;  // told, and not yet told it works again
    // The result files queued, oldest first: End Match's with what it says
    // when the file is written, the others (a new match begun, the
    // program's end) with nothing.
    std::deque<std::optional<QStringList>> results_;
    std::chrono::milliseconds endWait_{5000};
    std::optional<std::chrono::steady_clock::time_point> endBy_;
    bool endSaid_ = false;
};

// Adds the stats room's windows to the "&Match" menu (Match Details, teams
// from a QBJ file, End Match), the QBJ export, stats and scoresheet page to
// the record window and its report, and starts keeping result files. The
// desk must live as long as the menus and the record window can be used.
std::unique_ptr<ResultsDesk> installResultFiles(Program& program);

}  // namespace scoresheet
