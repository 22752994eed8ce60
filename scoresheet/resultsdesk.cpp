#include "scoresheet/resultsdesk.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <utility>

#include "app/dialogs.h"
#include "app/matchextras.h"
#include "app/matchscreen.h"
#include "app/operatorwindows.h"
#include "app/program.h"
#include "scoresheet/matchdetailswindow.h"
#include "scoresheet/qbjwriter.h"
#include "scoresheet/rosterwindow.h"
#include "scoresheet/sheetreport.h"
#include "scoresheet/sheetstats.h"
#include "setup/savefile.h"

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
            // A result file not written is said each time: it is the one the
            // stats room waits for. End Match, pressed again, writes it.
            if (filesFailing_ && !result) return;
            filesFailing_ = true;
            const bool retry = result && std::exchange(endMatchFailed_, false);
            program_.dialogs.notice(
                text + (retry ? QStringLiteral("\n\nPress End Match again to try once more.")
                        : result
                            ? QString()
                            : QStringLiteral("\n\nEvery change of the match tries again; you "
                                             "will be told when a result file is written again.")),
                Dialogs::Icon::Warning, program_.forms.visibleMenu(),
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
                Dialogs::Icon::Information, program_.forms.visibleMenu(),
                QStringLiteral("ResultFileProblem"));
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

Sheet ResultsDesk::sheet() const {
    Sheet s = builder_.sheet();
    applyDetails(s, details_);
    return s;
}

void ResultsDesk::record(EventKind kind, const QJsonObject& data) {
    // A new match ends the one before: its result goes to the stats room
    // before the sheet starts afresh.
    if (kind == EventKind::MatchStarted && hasPlay() && !ended_) files_.matchEnded(sheet());
    if (kind == EventKind::MatchStarted) {
        ended_ = false;
        // After the match's start has reached everyone who watches it.
        QMetaObject::invokeMethod(this, &ResultsDesk::matchBegun, Qt::QueuedConnection);
    }
    if (kind == EventKind::RulesChosen) lastRules_ = data;
    // Names typed and rules chosen once the operator has ended the match
    // are the next match's (the scoresheet chooses the rules as it hears of
    // a new match, before this desk does): the result written stays as it
    // is.
    if (ended_ && (kind == EventKind::NamesChanged || kind == EventKind::RulesChosen)) return;
    const QDateTime now = QDateTime::currentDateTime();
    bool changed = builder_.apply(kind, data, now);
    // The scoresheet records the rules as it hears of the match's start, so
    // an observer after it hears them first; they hold for the new match.
    if (kind == EventKind::MatchStarted && lastRules_)
        changed = builder_.apply(EventKind::RulesChosen, *lastRules_, now) || changed;
    if (kind == EventKind::ProgramEnded) {
        if (hasPlay() && !ended_) files_.matchEnded(sheet());
        ended_ = true;
        files_.flush();  // the program is about to end: the file must be on disk
        return;
    }
    if (changed && hasPlay()) {
        ended_ = false;
        files_.matchChanged(sheet());
    }
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

std::optional<QString> ResultsDesk::endMatch() {
    // A name typed a moment ago may not have reached the record yet.
    const ScreenPair pair = program_.forms.currentScreen();
    if (program_.forms.isLoaded(pair)) program_.forms.matchScreen(pair).recordNames();
    if (!hasPlay()) {
        program_.dialogs.message(QStringLiteral("Nothing has been scored in this match yet, so "
                                                "there is no result file to write."),
                                 kTitle, Dialogs::Icon::Information, Dialogs::Buttons::Ok);
        return std::nullopt;
    }
    const int before = files_.resultsWritten();
    files_.matchEnded(sheet());
    files_.flush();
    ended_ = true;
    const QString path = files_.lastResult();
    if (files_.resultsWritten() == before) {
        endMatchFailed_ = true;  // the problem, told next, says how to retry
        return std::nullopt;
    }
    QStringList lines{QStringLiteral("The result file was written:\n%1").arg(path)};
    lines << qbjOperatorNotes(builder_.sheet());
    program_.dialogs.message(lines.join(QStringLiteral("\n\n")), kTitle, Dialogs::Icon::Information,
                             Dialogs::Buttons::Ok);
    return path;
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
    if (hasPlay() && !ended_) files_.matchChanged(sheet());
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
                 program.dialogs, teamsOf(program.forms.currentScreen()),
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
             return setup::saveAtomically(path, writeQbj(sheet));
         }});
    program.matchExtras().addSection(
        {statsTables, [](QPainter& painter, QPagedPaintDevice& device, const QRectF& area,
                         const MatchEvents& events) {
             Sheet sheet = sheetFromEvents(events);
             applyRecordedDetails(sheet, events);
             if (!sheet.rules.plain()) paintScoresheet(painter, device, area, sheet);
         }});
    return desk;
}

}  // namespace scoresheet
