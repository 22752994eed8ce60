#include "scoresheet/resultsdesk.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/dialogs.h"
#include "app/matchextras.h"
#include "app/matchscreen.h"
#include "app/operatorwindows.h"
#include "app/program.h"
#include "app/savefile.h"
#include "scoresheet/matchdetailswindow.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/rosterwindow.h"
#include "scoresheet/sheetmodel.h"
#include "scoresheet/sheetreport.h"
#include "scoresheet/sheetstats.h"

using record::EventKind;

namespace scoresheet {

namespace {

const QString kTitle = QStringLiteral("Result Files");
constexpr const char* kDetailsOption = "match details";

QJsonObject detailsJson(const MatchDetails& d) {
    return {{QStringLiteral("tournament"), d.tournament},
            {QStringLiteral("round"), d.round},
            {QStringLiteral("room"), d.room},
            {QStringLiteral("moderator"), d.moderator}};
}

// The details a recorded match was played under: the last kept with it.
void applyRecordedDetails(Sheet& sheet, const MatchEvents& events) {
    for (const MatchEvent& e : events) {
        if (e.kind != EventKind::OptionChanged ||
            e.data.value(QStringLiteral("option")).toString() != QLatin1String(kDetailsOption))
            continue;
        const QJsonObject d = e.data.value(QStringLiteral("value")).toObject();
        sheet.tournament = d.value(QStringLiteral("tournament")).toString();
        sheet.round = d.value(QStringLiteral("round")).toString();
        sheet.room = d.value(QStringLiteral("room")).toString();
        sheet.moderator = d.value(QStringLiteral("moderator")).toString();
    }
}

}  // namespace

QString ResultsDesk::detailsPath(const Program& program) {
    return QDir(program.paths.configFolder).filePath(QStringLiteral("matchdetails.json"));
}

ResultsDesk::ResultsDesk(Program& program)
    : program_(program),
      details_(loadMatchDetails(detailsPath(program), defaultResultFolder())),
      // The program's own folder is made when missing; one the operator
      // chose is made when chosen, and missing later is a problem to say.
      files_(details_.folder, nullptr,
             details_.folder == defaultResultFolder() ? ResultFiles::MakeFolder::Yes
                                                      : ResultFiles::MakeFolder::No) {
    // Problems come from the writer's thread; the operator hears of them
    // on the window thread beside the set-up menu, as of the record's, in a
    // notice that takes no keys from the play screen: once while the files
    // fail (every change tries again), and once more when one is written.
    connect(
        &files_, &ResultFiles::problem, this,
        [this](const QString& text, bool result) {
            const bool retry = result && resultDone().has_value();
            // A result file not written is said each time: it is the one the
            // stats room waits for. End Match, pressed again, writes it.
            if (filesFailing_ && !result) return;
            filesFailing_ = true;
            program_.dialogs.notice(
                text + (retry ? QStringLiteral("\n\nPress End Match again to try once more.")
                        : result
                            ? QString()
                            : QStringLiteral("\n\nEvery change of the match tries again; you "
                                             "will be told when a result file is written again.")),
                Dialogs::Icon::Warning, program_.windows().visibleMenu(),
                QStringLiteral("ResultFileProblem"));
        },
        Qt::QueuedConnection);
    connect(
        &files_, &ResultFiles::fileWritten, this,
        [this](const QString& path) {
            if (!filesFailing_) return;
            filesFailing_ = false;
            program_.dialogs.notice(
                QStringLiteral("The result files are written again:\n%1").arg(path),
                Dialogs::Icon::Information, program_.windows().visibleMenu(),
                QStringLiteral("ResultFileProblem"));
        },
        Qt::QueuedConnection);
    connect(
        &files_, &ResultFiles::resultWritten, this,
        [this](const QString& path) {
            const std::optional<QStringList> notes = resultDone();
            if (!notes) return;
            QStringList lines{QStringLiteral("The result file was written:\n%1").arg(path)};
            lines << *notes;
            program_.dialogs.notice(lines.join(QStringLiteral("\n\n")), Dialogs::Icon::Information,
                                    program_.windows().visibleMenu(),
                                    QStringLiteral("ResultFileWritten"));
        },
        Qt::QueuedConnection);
    program_.addMatchObserver(*this);
}

ResultsDesk::~ResultsDesk() {
    program_.removeMatchObserver(*this);
    files_.flush();
}

bool ResultsDesk::hasPlay() const {
    const Sheet& s = builder_.sheet();
    for (const Tossup& t : s.tossups)
        if (!t.buzzes.empty() || !t.bonusParts.empty()) return true;
    for (const SheetTeam& t : s.teams)
        if (t.points != 0) return true;
    return false;
}

bool ResultsDesk::writesResults() const {
    return hasPlay() && !builder_.sheet().ended && !practice_;
}

Sheet ResultsDesk::sheet() const {
    Sheet s = builder_.sheet();
    applyDetails(s, details_);
    // Teams taken from a QBJ file stay under the school the file entered
    // them with.
    for (SheetTeam& team : s.teams) {
        for (const RosterTeam& r : rosters_) {
            if (r.name.trimmed() != team.name.trimmed()) continue;
            team.registrationId = r.registrationId;
            team.registrationName = r.registrationName;
        }
    }
    return s;
}

void ResultsDesk::record(EventKind kind, const QJsonObject& data) {
    // A new match ends the one before: its result goes to the stats room
    // before the sheet starts afresh.
    if (kind == EventKind::MatchStarted) {
        if (writesResults()) queueResult(std::nullopt);
        practice_ = false;
    }
    if (kind == EventKind::MatchStarted) {
        // After the match's start has reached everyone who watches it.
        const int match = ++matches_;
        QMetaObject::invokeMethod(
            this,
            [this, match] {
                if (match == matches_) matchBegun();
            },
            Qt::QueuedConnection);
    }
    // A match resumed meanwhile has its own details and lineups.
    if (kind == EventKind::MatchResumed) ++matches_;
    bool changed = false;
    const MatchEvents history =
        kind == EventKind::MatchResumed ? program_.matchHistory() : MatchEvents();
    if (!history.empty()) {
        // The match goes on as the record has it, its earlier toss-ups included.
        builder_ = builderFromEvents(history);
        changed = true;
    } else {
        changed = builder_.apply(kind, data, QDateTime::currentDateTime());
    }
    if (kind == EventKind::ProgramEnded) {
        if (writesResults()) queueResult(std::nullopt);
        builder_.apply(EventKind::MatchEnded, {}, QDateTime::currentDateTime());
        // The program is about to end: the file must be on disk, unless the
        // share does not answer in the time an ending program has.
        finish();
        return;
    }
    // End Match writes the result itself.
    if (kind == EventKind::MatchEnded) return;
    if (changed && writesResults()) files_.matchChanged(sheet());
}

void ResultsDesk::recordDetails() {
    program_.recorder().record(EventKind::OptionChanged,
                               {{QStringLiteral("option"), QLatin1String(kDetailsOption)},
                                {QStringLiteral("value"), detailsJson(details_)}});
}

void ResultsDesk::matchBegun() {
    // Kept with the match, so a past match exports with its own details.
    recordDetails();
    // Teams taken from a QBJ file bring their substitutes to the lineups.
    const Sheet& s = builder_.sheet();
    for (int t = 0; t < static_cast<int>(s.teams.size()); ++t) {
        const SheetTeam& team = s.teams[t];
        const auto roster = std::find_if(
            rosters_.begin(), rosters_.end(),
            [&](const RosterTeam& r) { return r.name.trimmed() == team.name.trimmed(); });
        if (roster == rosters_.end()) continue;
        QStringList names = roster->players;
        QJsonArray seats;
        // Every button keeps its seat; a name not on the roster (or none)
        // joins it, so the bench is what is left over.
        int bench = static_cast<int>(names.size());
        for (const QString& seated : team.players) {
            qsizetype at = seated.trimmed().isEmpty() ? -1 : names.indexOf(seated.trimmed());
            if (at < 0) {
                names << seated.trimmed();
                at = names.size() - 1;
            } else {
                --bench;
            }
            seats.append(static_cast<int>(at));
        }
        if (bench <= 0) continue;
        program_.recorder().record(
            EventKind::LineupChanged,
            {{QStringLiteral("team"), t},
             {QStringLiteral("tossup"), std::max(1, static_cast<int>(s.tossups.size()))},
             {QStringLiteral("roster"), QJsonArray::fromStringList(names)},
             {QStringLiteral("seats"), seats}});
    }
}

bool ResultsDesk::endMatch() {
    // A name typed a moment ago may not have reached the record yet.
    const ScreenPair pair = program_.windows().currentScreen();
    if (program_.windows().isLoaded(pair)) program_.windows().matchScreen(pair).recordNames();
    if (!hasPlay() || practice_) {
        program_.dialogs.message(
            practice_ ? QStringLiteral("What has been played is practice, so there is no result "
                                       "file to write; New Match begins the match.")
                      : QStringLiteral("Nothing has been scored in this match yet, so "
                                       "there is no result file to write."),
            kTitle, Dialogs::Icon::Information, Dialogs::Buttons::Ok);
        return false;
    }
    // Pressed again while its file is on its way: it is said again, not
    // written twice.
    if (builder_.sheet().ended && endMatchWriting()) {
        closeWritingNotice();
        program_.dialogs.notice(
            QStringLiteral("The result file is still being written to %1.\n\nThe match can go "
                           "on; you will be told when it is written.")
                .arg(files_.folder()),
            Dialogs::Icon::Information, program_.windows().visibleMenu(),
            QStringLiteral("ResultFileWriting"));
        return true;
    }
    // A toss-up nobody buzzed on and nobody timed may have been read dead or
    // never read at all: only the scorekeeper knows.
    const Sheet& kept = builder_.sheet();
    if (!kept.ended && !kept.rules.plain() && !kept.tossups.empty()) {
        const Tossup& last = kept.tossups.back();
        // After a correct answer the clear opens the next toss-up at once.
        const bool previousAnswered =
            kept.tossups.size() >= 2 &&
            std::any_of(kept.tossups[kept.tossups.size() - 2].buzzes.begin(),
                        kept.tossups[kept.tossups.size() - 2].buzzes.end(),
                        [](const Buzz& b) { return b.value.value_or(0) > 0; });
        if (!last.heard && last.buzzes.empty() && !previousAnswered &&
            program_.dialogs.message(
                QStringLiteral("Was toss-up %1 read, with nobody answering it?\n\nYes: it counts "
                               "as read.\nNo: the match ended before it.")
                    .arg(last.number),
                kTitle, Dialogs::Icon::Question, Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes)
            program_.recorder().record(EventKind::TossupStarted,
                                       {{QStringLiteral("tossup"), last.number + 1}});
    }
    // What a scorekeeper would look at before signing the sheet.
    if (const QStringList checks = endOfMatchChecks(builder_.sheet());
        !checks.isEmpty() &&
        program_.dialogs.message(
            QStringLiteral("Before the result is written:\n\n%1\n\nEnd the match and write the "
                           "result file as it is?")
                .arg(checks.join(QLatin1Char('\n'))),
            kTitle, Dialogs::Icon::Question, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    // Points given on the boards beside the scoresheet cannot go into a file
    // whose totals the stats programs add up from the toss-ups: say so first.
    const Sheet ending = sheet();
    const QStringList beside = qbjAdjustments(ending);
    if (!builder_.sheet().ended && !beside.isEmpty() &&
        program_.dialogs.message(
            QStringLiteral("The boards differ from the scoresheet by points given beside it "
                           "(%1). The stats programs add a match up from its toss-ups, so the "
                           "result file has the scoresheet's totals and names the difference in "
                           "its notes.\n\nEnd the match and write the result file?")
                .arg(beside.join(QStringLiteral(", "))),
            kTitle, Dialogs::Icon::Question, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    // The match is over, and so is its clock: stopped before the file says
    // how much was left.
    if (program_.windows().isLoaded(pair)) program_.windows().matchScreen(pair).stopClock();
    // The match ends in the record: what happens now belongs to the next.
    if (!builder_.sheet().ended)
        program_.recorder().record(EventKind::MatchEnded,
                                   {{QStringLiteral("how"), QStringLiteral("end-match")}});
    // The share may be slow, or hang: the file is written on the writer's
    // thread while the match goes on, and the outcome said when it is known.
    queueResult(qbjOperatorNotes(builder_.sheet()));
    closeWritingNotice();
    program_.dialogs.notice(
        QStringLiteral("The result file is being written to %1.\n\nThe match can go on; you "
                       "will be told when it is written.")
            .arg(files_.folder()),
        Dialogs::Icon::Information, program_.windows().visibleMenu(),
        QStringLiteral("ResultFileWriting"));
    return true;
}

void ResultsDesk::queueResult(std::optional<QStringList> notes) {
    results_.push_back(std::move(notes));
    files_.matchEnded(sheet());
}

std::optional<QStringList> ResultsDesk::resultDone() {
    if (results_.empty()) return std::nullopt;
    std::optional<QStringList> notes = std::move(results_.front());
    results_.pop_front();
    if (notes && !endMatchWriting()) closeWritingNotice();
    return notes;
}

bool ResultsDesk::endMatchWriting() const {
    return std::any_of(results_.begin(), results_.end(),
                       [](const std::optional<QStringList>& r) { return r.has_value(); });
}

void ResultsDesk::closeWritingNotice() {
    // The last End Match's outcome goes with it: one at a time is enough.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("ResultFileWriting") ||
            w->objectName() == QLatin1String("ResultFileWritten"))
            w->close();
}

bool ResultsDesk::finish() {
    if (!endBy_) endBy_ = std::chrono::steady_clock::now() + endWait_;
    if (files_.flushUntil(*endBy_)) return true;
    if (std::exchange(endSaid_, true)) return false;
    // The program ends anyway: the operator (or whoever reads the session's
    // log) learns what the stats room will not find.
    const QStringList missing = files_.unwritten();
    std::fprintf(stderr, "torvanel: the result folder did not answer within %g s; not written:\n",
                 static_cast<double>(endWait_.count()) / 1000.0);
    for (const QString& line : missing)
        std::fprintf(stderr, "torvanel:   %s\n", qPrintable(line));
    const QString partial = files_.lastPartial();
    if (!partial.isEmpty())
        std::fprintf(stderr, "torvanel: the last partial file written stays: %s\n",
                     qPrintable(partial));
    std::fflush(stderr);
    return false;
}

void ResultsDesk::setDetails(const MatchDetails& details) {
    const bool chosen = details.folder != details_.folder;
    details_ = details;
    files_.setFolder(details.folder,
                     chosen ? ResultFiles::MakeFolder::Yes : ResultFiles::MakeFolder::No);
    if (const auto error = saveMatchDetails(detailsPath(program_), details))
        program_.dialogs.message(
            QStringLiteral("The match details could not be kept for the next start: %1")
                .arg(*error),
            QStringLiteral("Match Details"), Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
    recordDetails();
    // Scores on the boards with nothing ruled, from before the details were
    // set, may be a practice the operator ran: that is no result.
    if (writesResults() && computeSheetStats(playedSheet(builder_.sheet())).boardOnly &&
        program_.dialogs.message(
            QStringLiteral("There are scores on the boards, but nothing has been ruled on the "
                           "scoresheet. Was what has been played so far practice?\n\nYes: it is "
                           "kept out of the result files, and New Match begins the match.\nNo: "
                           "it is part of the match these details are for."),
            QStringLiteral("Match Details"), Dialogs::Icon::Question,
            Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes) {
        practice_ = true;
        files_.matchDropped();
        return;
    }
    if (writesResults()) files_.matchChanged(sheet());
}

}  // namespace scoresheet

namespace scoresheet {

namespace {

Sheet sheetOf(const MatchEvents& events) { return playedSheet(sheetFromEvents(events)); }

std::vector<MatchTable> statsTables(const MatchEvents& events) {
    const Sheet sheet = sheetOf(events);
    if (sheet.rules.plain()) return {};  // no toss-ups kept: nothing beyond the boards
    const SheetStats stats = computeSheetStats(sheet);
    std::vector<MatchTable> tables;
    for (auto [title, table] :
         {std::pair{QStringLiteral("Scoresheet: teams"), teamTable(stats)},
          std::pair{QStringLiteral("Scoresheet: players"), playerTable(stats)}})
        tables.push_back({title, table.heading, table.rows});
    if (const StatsTable points = buzzPointTable(sheet); !points.rows.empty())
        tables.push_back({QStringLiteral("Scoresheet: buzz points"), points.heading, points.rows});
    return tables;
}

}  // namespace

std::unique_ptr<ResultsDesk> installResultFiles(Program& program) {
    auto desk = std::make_unique<ResultsDesk>(program);
    ResultsDesk* d = desk.get();

    program.operatorWindows().add(
        {QStringLiteral("Match &Details..."), QKeySequence(), [&program, d](QWidget* parent) {
             auto* w = new MatchDetailsWindow(
                 d->details(), d->files().lastResult(),
                 [d](const MatchDetails& details) { d->setDetails(details); }, parent);
             w->show();
             w->raise();
         }});
    program.operatorWindows().add(
        {QStringLiteral("&Teams from QBJ File..."), QKeySequence(), [&program, d](QWidget* parent) {
             auto* w = new RosterWindow(
                 program.dialogs, teamsOf(program.windows().currentScreen()),
                 [&program, d](const std::vector<RosterTeam>& teams) {
                     d->setRosters(teams);
                     std::vector<TeamNames> names;
                     for (const RosterTeam& t : teams)
                         names.push_back({t.name, t.players});
                     emit program.notifier().namesOffered(names);
                 },
                 parent);
             w->show();
             w->raise();
         }});
    program.operatorWindows().add(
        {QStringLiteral("&End Match"), QKeySequence(), [d](QWidget*) { d->endMatch(); }});

    program.matchExtras().addExport(
        {QStringLiteral("Export &QBJ..."), QStringLiteral("QBJ Files|*.qbj|All Files|*.*"),
         QStringLiteral("qbj"),
         [](const QString& path, const MatchEvents& events) -> std::optional<QString> {
             Sheet sheet = sheetFromEvents(events);
             applyRecordedDetails(sheet, events);
             return files::saveAtomically(path, writeQbj(sheet));
         }});
    program.matchExtras().addSection(
        {[](const MatchEvents& events) {
             // Where the match belongs, for the stats room reading the report.
             Sheet sheet;
             applyRecordedDetails(sheet, events);
             QStringList where;
             for (const QString& d : {sheet.tournament, sheet.round, sheet.room})
                 if (!d.trimmed().isEmpty()) where << d.trimmed();
             if (!sheet.moderator.trimmed().isEmpty())
                 where << QStringLiteral("Moderator: ") + sheet.moderator.trimmed();
             return where.isEmpty() ? QStringList()
                                    : QStringList{where.join(QStringLiteral("  \u00b7  "))};
         },
         statsTables,
         [](QPainter& painter, QPagedPaintDevice& device, const QRectF& area,
            const MatchEvents& events) {
             Sheet sheet = sheetFromEvents(events);
             applyRecordedDetails(sheet, events);
             if (!sheet.rules.plain()) paintScoresheet(painter, device, area, sheet);
         }});
    return desk;
}

}  // namespace scoresheet
