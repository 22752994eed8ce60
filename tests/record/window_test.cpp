// The record window on a store fed the way the windows feed it, and the
// resume question of the start-up road.
#include <gtest/gtest.h>
#include <iterator>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeView>

#include "menu/setupmenu.h"
#include "play/countdown.h"
#include "play/playscreen.h"
#include "record/matchreport.h"
#include "record/recordui.h"
#include "record/recordwindow.h"
#include "record/storerecorder.h"
#include "support/filesizelimit.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

using namespace record;

namespace {

QJsonObject matchStart(const QStringList& teams, int clock = 900) {
    QJsonArray players, scores;
    for (int t = 0; t < teams.size(); ++t) {
        QJsonArray names;
        for (int i = 1; i <= 4; ++i)
            names.append(QStringLiteral("%1 %2").arg(teams[t]).arg(i));
        players.append(names);
        scores.append(0);
    }
    return {{"screen", teams.size() == 2 ? "2_4" : "3_4"},
            {"teams", QJsonArray::fromStringList(teams)},
            {"players", players},
            {"scores", scores},
            {"clock", clock}};
}

QJsonObject buzz(int player, int team) {
    return {{"player", player}, {"name", QStringLiteral("P%1").arg(player)}, {"team", team}};
}

QJsonObject score(int team, int before, int after, const char* how = "F1") {
    return {{"team", team}, {"before", before}, {"after", after}, {"how", how}};
}

// Splits CSV text into rows of fields, honouring quotes.
std::vector<QStringList> parseCsv(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row << field;
            field.clear();
        } else if (c == u'\n') {
            row << field;
            field.clear();
            rows.push_back(row);
            row.clear();
        } else if (c != u'\r') {
            field += c;
        }
    }
    return rows;
}

// The list of matches once the past ones are read in.
const QAbstractItemModel& listedMatches(RecordWindow& window) {
    QElapsedTimer waited;
    waited.start();
    while (window.listing() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(window.listing());
    return *window.matchList->model();
}

QString listed(RecordWindow& window, int row, int column) {
    return listedMatches(window).index(row, column).data().toString();
}

struct RecordRig {
    RecordRig() : store(t.clock, {dir.path()}) { t.capabilities->record().useStore(store); }

    QTemporaryDir dir;
    TestProgram t;
    StoreRecorder store;
};

}  // namespace

// A match followed live: the list grows at the bottom, the filter narrows
// it, the player table counts buzz-ins, ties and the points a team got while
// each player had the floor; the exports read back.
TEST(RecordWindow, FollowsTheMatchAndExportsIt) {
    RecordRig rig;
    RecordWindow window(*rig.t, &rig.store);
    StoreRecorder& s = rig.store;

    s.record(EventKind::MatchStarted,
             matchStart({QStringLiteral("Zürich"), QStringLiteral("Bern")}));
    s.record(EventKind::BuzzIn, buzz(1, 0));
    s.record(EventKind::ScoreChanged, score(0, 0, 10));
    s.record(EventKind::Cleared, {{"how", "space"}});
    s.record(EventKind::Tie, {{"pressed", QJsonArray{2, 5}}, {"drawn", 5}});
    s.record(EventKind::BuzzIn, buzz(5, 1));
    s.record(EventKind::Cleared, {{"how", "mouse"}});
    s.record(EventKind::ScoreChanged, score(1, 0, 5, "board"));  // nobody's floor
    s.record(EventKind::BuzzIn, buzz(2, 0));
    s.record(EventKind::ScoreChanged, score(0, 10, 30));
    s.record(EventKind::ScoreUndone, score(0, 30, 20));
    s.record(EventKind::Decision, {{"text", "Two pressed, \"P2\" drawn, at once"}});

    ASSERT_EQ(window.visibleEvents(), 12);
    const QAbstractItemModel* list = window.eventList->model();
    EXPECT_EQ(list->index(11, 1).data().toString(), "decision");
    EXPECT_EQ(list->index(9, 2).data().toString(), "Zürich 10 -> 30 (F1)");

    window.kindFilter->setCurrentIndex(window.kindFilter->findText("buzz-in"));
    EXPECT_EQ(window.visibleEvents(), 3);
    // Every kind can be chosen, the last of the table too.
    EXPECT_EQ(window.kindFilter->count(), int(std::size(record::kKindFormats)) + 1);
    s.record(EventKind::BuzzIn, buzz(6, 1));  // live, through the filter
    s.record(EventKind::Cleared, {{"how", "space"}});
    EXPECT_EQ(window.visibleEvents(), 4);
    EXPECT_EQ(list->index(3, 2).data().toString(), "P6 (Bern) buzzed in");
    window.kindFilter->setCurrentIndex(0);
    EXPECT_EQ(window.visibleEvents(), 14);

    window.updateStats();
    struct Expected {
        int player, buzzIns, tiesIn, tiesWon, points;
    };
    for (const Expected& e : {Expected{1, 1, 0, 0, 10}, Expected{2, 1, 1, 0, 10},
                              Expected{5, 1, 1, 1, 0}, Expected{6, 1, 0, 0, 0}}) {
        const PlayerLine& line = window.stats().players[std::size_t(e.player - 1)];
        EXPECT_EQ(line.player, e.player);
        EXPECT_EQ(std::tuple(line.buzzIns, line.tiesIn, line.tiesWon, line.points),
                  std::tuple(e.buzzIns, e.tiesIn, e.tiesWon, e.points))
            << "player " << e.player;
    }
    ASSERT_EQ(window.playerTable->rowCount(), 8);
    EXPECT_EQ(window.playerTable->item(1, 0)->text(), "P2");        // as shown at the buzz-in
    EXPECT_EQ(window.playerTable->item(2, 0)->text(), "Zürich 3");  // from the match's start
    EXPECT_EQ(window.playerTable->item(1, 5)->text(), "10");
    ASSERT_EQ(window.stats().series.size(), 2u);
    EXPECT_EQ(window.stats().series[0].back().score, 20);
    EXPECT_EQ(window.stats().series[1].back().score, 5);

    const QString csvPath = rig.dir.filePath("match.csv");
    rig.t.dialogs.saveAnswers.push_back(csvPath);
    window.exportCsvAsked();
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const auto rows = parseCsv(QString::fromUtf8(csv.readAll()));
    ASSERT_EQ(rows.size(), 15u);
    EXPECT_EQ(rows[0],
              (QStringList{"number", "match_time_s", "wall_clock", "kind", "description", "data"}));
    for (const QStringList& row : rows)
        EXPECT_EQ(row.size(), 6);
    EXPECT_EQ(rows[1][3], "match-started");
    EXPECT_EQ(rows[3][4], "Zürich 0 -> 10 (F1)");
    EXPECT_EQ(rows[12][4], "Two pressed, \"P2\" drawn, at once");
    EXPECT_EQ(QJsonDocument::fromJson(rows[3][5].toUtf8()).object().value("after").toInt(), 10);

    const QString pdfPath = rig.dir.filePath("match.pdf");
    rig.t.dialogs.saveAnswers.push_back(pdfPath);
    window.exportPdfAsked();
    QFile pdf(pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    EXPECT_TRUE(bytes.contains("/Type /Page"));
    // Each export says where it went.
    ASSERT_EQ(rig.t.dialogs.messages.size(), 2u);
    for (const ScriptedDialogs::Shown& shown : rig.t.dialogs.messages) {
        EXPECT_TRUE(shown.text.contains(rig.dir.path())) << shown.text.toStdString();
    }
    EXPECT_TRUE(rig.t.dialogs.messages[0].text.contains("\"match.csv\""));
    EXPECT_TRUE(rig.t.dialogs.messages[1].text.contains("\"match.pdf\""));
}

// In the report a right-to-left name is set apart from the left-to-right
// text around it, so "(F1)" and the scores after it are not drawn as part of
// the name; a left-to-right name is left as it is.
TEST(MatchReport, RightToLeftNamesKeepTheirDirection) {
    const QString hebrew = QStringLiteral("שועלים");
    const QString arabic = QStringLiteral("سمير");
    auto isolated = [](const QString& name) { return QChar(0x2068) + name + QChar(0x2069); };
    const std::vector<RecordedEvent> events{
        {EventKind::MatchStarted, 0.0, 1, matchStart({hebrew, "Owls"})},
        {EventKind::BuzzIn, 1.0, 2, {{"player", 2}, {"name", arabic}, {"team", 1}}},
        {EventKind::ScoreChanged, 2.0, 3, score(0, 0, 10)},
    };
    const QStringList lines = reportEvents(events);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], isolated(arabic) + " (Owls) buzzed in");
    EXPECT_EQ(lines[2], isolated(hebrew) + " 0 -> 10 (F1)");
    EXPECT_EQ(reportFinals(computeStats(events)), isolated(hebrew) + "  10        Owls  0");
}

// Other boards brought up mid-match (a third team added) show their own
// scores from then on, and so does the chart: not the old boards' until the
// match ends.
TEST(MatchStats, TheChartFollowsOtherBoardsBroughtUpMidMatch) {
    QJsonObject three = matchStart({"Owls", "Larks", "Wrens"});
    three["scores"] = QJsonArray{0, 0, 5};
    const MatchStats stats = computeStats({
        {EventKind::MatchStarted, 0.0, 1, matchStart({"Owls", "Larks"})},
        {EventKind::ScoreChanged, 1.0, 2, score(0, 0, 10)},
        {EventKind::NamesChanged, 2.0, 3, three},
        {EventKind::ScoreChanged, 3.0, 4, score(1, 0, 15)},
    });
    const auto at = [&](int team, double time) {
        int shown = 0;
        for (const ScorePoint& p : stats.series.at(std::size_t(team)))
            if (p.time <= time) shown = p.score;
        return shown;
    };
    ASSERT_EQ(stats.series.size(), 3u);
    EXPECT_EQ(at(0, 1.5), 10);
    for (const double time : {2.0, 2.5})
        EXPECT_EQ((std::vector<int>{at(0, time), at(1, time), at(2, time)}),
                  (std::vector<int>{0, 0, 5}));
    EXPECT_EQ(at(1, 3.0), 15);
}

// An export is offered under the day the match began and its teams.
TEST(RecordWindow, ExportsAreNamedAfterTheMatch) {
    const qint64 day = QDateTime(QDate(2026, 12, 8), QTime(19, 30)).toMSecsSinceEpoch();
    auto started = [&](QStringList teams) {
        RecordedEvent e;
        e.kind = EventKind::MatchStarted;
        e.wallMs = day;
        e.data = matchStart(teams);
        return e;
    };
    RecordedEvent later;
    later.kind = EventKind::ScoreChanged;
    later.wallMs = day + 3600000;
    RecordedEvent renamed;
    renamed.kind = EventKind::NamesChanged;
    renamed.wallMs = day + 60000;
    renamed.data = matchStart({"Red Foxes", "Grey Owls"});
    struct Case {
        std::vector<RecordedEvent> events;
        const char* expected;
    };
    const Case cases[] = {
        {{started({"Red Foxes", "Blue Owls"}), later}, "2026-12-08 Red Foxes v Blue Owls.pdf"},
        // The names at the end, not those typed before the start.
        {{started({"Red Foxes", "Blue Owls"}), renamed, later},
         "2026-12-08 Red Foxes v Grey Owls.pdf"},
        {{started({"Owls", "Larks", "Bats"})}, "2026-12-08 Owls v Larks v Bats.pdf"},
        // Typed names may hold what a file name cannot.
        {{started({"A/B: \"Stars\"", ".."})}, "2026-12-08 A-B- -Stars- v ...pdf"},
        {{started({})}, "2026-12-08 match.pdf"},
        {{}, "match.pdf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecordWindow::exportFileName(c.events, QStringLiteral("pdf")),
                  QString::fromUtf8(c.expected));
    }
}

// What the operator types ends up in exported cells: a name a spreadsheet
// program would run as a formula is neutralised, and the file says it is
// UTF-8. An export that cannot be written whole says why and leaves an
// older file of that name as it was.
TEST(RecordWindow, ExportsAreSafeAndWholeOrNothing) {
    RecordRig rig;
    RecordWindow window(*rig.t, &rig.store);
    StoreRecorder& s = rig.store;
    s.record(EventKind::MatchStarted, matchStart({QStringLiteral("=1+2"), QStringLiteral("Ærø")}));
    for (const char* name : {"@SUM(A1)", "+cmd", "-2+3", "\tTab", "\rCR", "Plain"})
        s.record(EventKind::BuzzIn, {{"player", 1}, {"name", name}, {"team", 0}});
    s.record(EventKind::Decision, {{"text", "=HYPERLINK(\"x\")"}});
    s.record(EventKind::ScoreChanged, score(0, 0, 3));
    for (int i = 0; i < 400; ++i)
        s.record(EventKind::ScoreChanged, score(1, i, i + 1));

    const QString csvPath = rig.dir.filePath("match.csv");
    ASSERT_TRUE(window.exportCsv(csvPath));
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFnumber,"));
    int neutralised = 0;
    for (const QStringList& row : parseCsv(QString::fromUtf8(bytes.mid(3)))) {
        for (int c = 2; c < row.size(); ++c) {
            EXPECT_FALSE(!row[c].isEmpty() && QStringLiteral("=+-@\t\r").contains(row[c][0]))
                << row[c].toStdString();
            neutralised += row[c].startsWith(u'\'') ? 1 : 0;
        }
    }
    EXPECT_GE(neutralised, 7);
    EXPECT_TRUE(bytes.contains("\xC3\x86r\xC3\xB8"));  // Ærø, as UTF-8

    using Export = bool (RecordWindow::*)(const QString&, QString*);
    for (Export exportTo : {Export(&RecordWindow::exportCsv), Export(&RecordWindow::exportPdf)}) {
        const QString path = rig.dir.filePath("old");
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("an older export");
        old.close();
        QString error;
        {
            const FileSizeLimit full(4096);  // as a disk that fills up halfway
            EXPECT_FALSE((window.*exportTo)(path, &error));
        }
        EXPECT_FALSE(error.isEmpty());
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "an older export");
        old.close();
        EXPECT_TRUE((window.*exportTo)(path, &error));
    }
}

// Turning a match into a three-team one mid-match brings up other boards:
// the record follows what they show, so a resume puts back what was seen.
TEST(RecordWindow, OtherBoardsMidMatchAreWhatTheRecordHas) {
    RecordRig rig;
    ASSERT_TRUE(rig.t.startUp());
    formsOf(*rig.t).playScreen(ScreenPair::P2_4).F1key();
    formsOf(*rig.t).bringUpScreen(ScreenPair::P3_4);
    PlayScreen& three = formsOf(*rig.t).playScreen(ScreenPair::P3_4);
    three.F11key();
    const auto boards = three.scores();
    EXPECT_EQ(replay(rig.store.currentEvents()).scores,
              (std::vector<int>{boards[0], boards[1], boards[2]}));
    EXPECT_EQ(replay(rig.store.currentEvents()).screen, "3_4");
}

// Names typed once the match has begun (it begins at start-up) are the
// names of the record: each event under the names it happened with, the
// tables and the list under the names at the end, one event per name typed.
TEST(RecordWindow, NamesTypedAfterTheStartAreTheNamesOfTheRecord) {
    RecordRig rig;
    ASSERT_TRUE(rig.t.startUp());
    SetupMenu& menu = formsOf(*rig.t).setupMenu(MenuKind::Players4);
    PlayScreen& screen = formsOf(*rig.t).playScreen(ScreenPair::P2_4);
    const QString beta = menu.teamNameBox(1)->text();
    screen.F3key();

    QLineEdit* team = menu.teamNameBox(0);
    team->clear();
    for (const QChar c : QStringLiteral("Red Foxes"))
        team->insert(QString(c));
    emit team->editingFinished();
    menu.playerNameBox(1)->setText(QStringLiteral("Dee"));
    emit menu.playerNameBox(1)->editingFinished();
    screen.F1key();
    screen.F1key();

    const auto& events = rig.store.currentEvents();
    EXPECT_EQ(
        std::count_if(events.begin(), events.end(),
                      [](const RecordedEvent& e) { return e.kind == EventKind::NamesChanged; }),
        2);

    RecordWindow window(*rig.t, &rig.store);
    window.updateStats();
    QStringList scores;
    const QAbstractItemModel* list = window.eventList->model();
    for (int row = 0; row < window.visibleEvents(); ++row) {
        if (list->index(row, 1).data().toString() == "score-changed")
            scores << list->index(row, 2).data().toString();
    }
    ASSERT_EQ(scores.size(), 3);
    EXPECT_TRUE(scores[0].startsWith(beta + " ")) << scores[0].toStdString();
    EXPECT_TRUE(scores[1].startsWith("Red Foxes ")) << scores[1].toStdString();
    EXPECT_EQ(window.playerTable->item(0, 0)->text(), "Dee");
    EXPECT_EQ(window.playerTable->item(0, 1)->text(), "Red Foxes");
    EXPECT_TRUE(window.heading->text().contains("Red Foxes"));

    const QString csvPath = rig.dir.filePath("names.csv");
    ASSERT_TRUE(window.exportCsv(csvPath));
    QFile csv(csvPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    QStringList described;
    for (const QStringList& row : parseCsv(QString::fromUtf8(csv.readAll())))
        if (row.value(3) == "score-changed") described << row.value(4);
    EXPECT_EQ(described, scores);

    // The list shows the match under its final names and score.
    rig.store.flush();
    window.refreshMatches();
    ASSERT_EQ(listedMatches(window).rowCount(), 1);
    const QString increment = menu.textincrement[0]->text().trimmed();
    EXPECT_EQ(listed(window, 0, 2), QStringLiteral("Red Foxes %1, %2 %3")
                                        .arg(2 * increment.toInt())
                                        .arg(beta)
                                        .arg(increment.toInt()));
}

// Past matches: listed with how they ended, opened from the disk, deleted
// after a question; the current one cannot be deleted.
TEST(RecordWindow, OpensAndDeletesPastMatches) {
    RecordRig rig;
    StoreRecorder& s = rig.store;
    s.record(EventKind::MatchStarted, matchStart({"Alpha", "Beta"}));
    s.record(EventKind::ScoreChanged, score(0, 0, 10));
    s.record(EventKind::MatchStarted, matchStart({"Owls", "Larks", "Bats"}));
    s.flush();

    // From the set-up menu's "&Match" menu; a second time raises the same one.
    auto windows = [&] {
        QList<RecordWindow*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<RecordWindow*>(w); r && r->isVisible()) found << r;
        return found;
    };
    QAction* item = formsOf(*rig.t)
                        .setupMenu(MenuKind::Players4)
                        .findChild<QAction*>(QStringLiteral("mnuMatchRecord"));
    EXPECT_EQ(item->text(), "Match &Record...");
    item->trigger();
    item->trigger();
    ASSERT_EQ(windows().size(), 1);
    RecordWindow& window = *windows().front();
    ASSERT_EQ(listedMatches(window).rowCount(), 2);
    EXPECT_EQ(listed(window, 0, 4), "new-match");
    EXPECT_EQ(listed(window, 1, 4), "current");

    window.matchList->setCurrentIndex(window.matchList->model()->index(1, 0));
    EXPECT_FALSE(window.deleteButton->isEnabled());
    window.matchList->setCurrentIndex(window.matchList->model()->index(0, 0));
    window.openSelected();
    EXPECT_EQ(window.shownMatch(), 1);
    // Its events are read on the window's reading thread.
    QElapsedTimer waited;
    waited.start();
    while (window.reading() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(window.events().size(), 2u);
    EXPECT_TRUE(window.heading->text().contains("Alpha, Beta"));
    EXPECT_EQ(listed(window, 1, 2), "Owls 0, Larks 0, Bats 0")
        << "the current match's line keeps its own score";
    s.record(EventKind::Cleared, {{"how", "space"}});  // the current match, not shown
    EXPECT_EQ(window.events().size(), 2u);

    rig.t.dialogs.answers.push_back(Dialogs::Answer::No);
    window.deleteAsked();
    EXPECT_EQ(listedMatches(window).rowCount(), 2);
    rig.t.dialogs.answers.push_back(Dialogs::Answer::Yes);
    window.deleteAsked();
    ASSERT_EQ(listedMatches(window).rowCount(), 1);
    EXPECT_EQ(window.shownMatch(), 0);
    EXPECT_EQ(window.events().size(), 2u);  // the current match: its start and the clear
    // Shown again, its line follows it.
    s.record(EventKind::ScoreChanged, score(0, 0, 10));
    window.updateStats();
    EXPECT_EQ(listed(window, 0, 2), "Owls 10, Larks 0, Bats 0");
    EXPECT_EQ(listed(window, 0, 3), "3");
    window.close();
    TestProgram::flushDeletes();
}

// The question after the screen pair is up: it shows what was on the
// boards; yes puts it back (clock stopped), no starts afresh; either way
// the interrupted match stays in the record.
TEST(Resume, PutsTheInterruptedMatchBackOnlyWhenAsked) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        QTemporaryDir dir;
        {
            ManualClock clock(50.0);
            StoreRecorder before(clock, {dir.path()});
            before.record(EventKind::MatchStarted, matchStart({"Owls", "Larks"}));
            clock.advance(10);
            before.record(EventKind::ClockStarted, {{"left", 900}});
            before.record(EventKind::ScoreChanged, score(0, 0, 30));
            before.record(EventKind::ScoreChanged, score(1, 0, -10));
            clock.advance(65.5);
            before.record(EventKind::Cleared, {{"how", "space"}});
        }
        TestProgram t;
        StoreRecorder store(t.clock, {dir.path()});
        t.capabilities->record().useStore(store);
        ASSERT_TRUE(t.startUp());
        const std::size_t shown = t.dialogs.messages.size();
        t.dialogs.answers.push_back(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        EXPECT_EQ(t.capabilities->record().offerResume(), yes);

        ASSERT_EQ(t.dialogs.messages.size(), shown + 1);
        const auto& question = t.dialogs.messages.back();
        EXPECT_EQ(question.buttons, Dialogs::Buttons::YesNo);
        for (const char* words : {"Owls: 30", "Larks: -10", "Match clock: 13:55"})
            EXPECT_TRUE(question.text.contains(QLatin1String(words)))
                << question.text.toStdString();

        PlayScreen& screen = formsOf(*t).playScreen(ScreenPair::P2_4);
        screen.Form_Activate();  // as when the operator comes back to it
        EXPECT_EQ(screen.ascorelabel->text(), yes ? "30" : "0");
        EXPECT_EQ(screen.bscorelabel->text(), yes ? "-10" : "0");
        EXPECT_EQ(screen.ascore, yes ? 30 : 0);
        if (yes) {
            EXPECT_EQ(screen.clocklabel->text(), countdown::clockText({13, 55}));
        }
        EXPECT_FALSE(screen.Timer2->isActive());

        // Yes puts the names back too, so the boards read as the question.
        SetupMenu& menu = formsOf(*t).setupMenu(MenuKind::Players4);
        EXPECT_EQ(menu.teamNameBox(0)->text() == "Owls", yes);
        EXPECT_EQ(menu.playerNameBox(8)->text() == "Larks 4", yes);

        // A resumed match goes on as itself, one match in the record; a
        // start with nothing played in it leaves no match of its own.
        store.flush();
        RecordStore record;
        ASSERT_TRUE(record.open(recordFile(dir.path())));
        const auto matches = record.matches();
        ASSERT_EQ(matches.size(), 1u);
        EXPECT_FALSE(matches[0].endedMs.has_value());
        const auto now = record.events(matches[0].id);
        EXPECT_EQ(
            std::count_if(now.begin(), now.end(),
                          [](const RecordedEvent& e) { return e.kind == EventKind::MatchResumed; }),
            yes ? 1 : 0);
        EXPECT_EQ(
            std::count_if(now.begin(), now.end(),
                          [](const RecordedEvent& e) { return e.kind == EventKind::MatchStarted; }),
            1);
        EXPECT_GE(now.back().matchTime, 75.5) << "its time goes on";
        EXPECT_EQ(store.currentMatch() == matches[0].id, yes);
        // Died again: what comes back is what the boards showed.
        EXPECT_EQ(replay(now).scores, (std::vector<int>{30, -10}));
        EXPECT_EQ(replay(now).teams, (QStringList{"Owls", "Larks"}));
    }
}

// A three-team match comes back on a three-team screen whatever the start-up
// file chose, and the question says how fresh the scores are.
TEST(Resume, AMatchComesBackOnItsOwnScreens) {
    // Started with three teams, or turned into a three-team match later.
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later);
        QTemporaryDir dir;
        QDateTime heard;
        {
            ManualClock clock(50.0);
            StoreRecorder before(clock, {dir.path()});
            const QStringList three{"Owls", "Larks", "Wrens"};
            if (later) {
                before.record(EventKind::MatchStarted, matchStart({"Owls", "Larks"}));
                before.record(EventKind::ScoreChanged, score(0, 0, 10));
                QJsonObject names = matchStart(three);
                names.remove("scores");
                names.remove("clock");
                before.record(EventKind::NamesChanged, names);
            } else {
                before.record(EventKind::MatchStarted, matchStart(three));
            }
            before.record(EventKind::ScoreChanged, score(2, 0, 40));
            before.record(EventKind::ScoreChanged, score(1, 0, 15));
            heard = QDateTime::currentDateTime();
        }
        TestProgram t;
        StoreRecorder store(t.clock, {dir.path()});
        t.capabilities->record().useStore(store);
        ASSERT_TRUE(t.startUp());
        ASSERT_EQ(formsOf(*t).titleForm().TeamText->text(), "2");
        t.dialogs.answers.push_back(Dialogs::Answer::Yes);
        ASSERT_TRUE(t.capabilities->record().offerResume());
        const QString question = t.dialogs.messages.back().text;
        const auto asOf = [](const QDateTime& d) {
            return QStringLiteral("as of ") + d.toString(QStringLiteral("HH:mm:ss"));
        };
        EXPECT_TRUE(question.contains(asOf(heard)) || question.contains(asOf(heard.addSecs(-1))))
            << question.toStdString();

        PlayScreen& screen = formsOf(*t).playScreen(ScreenPair::P3_4);
        EXPECT_TRUE(screen.isVisible());
        screen.Form_Activate();
        EXPECT_EQ(screen.gscore, 40);
        EXPECT_EQ(screen.gscorelabel->text(), "40");
        EXPECT_EQ(screen.bscorelabel->text(), "15");
        EXPECT_EQ(formsOf(*t).titleForm().TeamText->text(), "3");
    }
}

// A store that cannot be kept says so once, beside the set-up menu, and
// never takes the keys from the play screen.
TEST(Resume, AProblemIsToldOnceBesideTheMenu) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    TestProgram t;
    StoreRecorder store(t.clock, {dir.filePath("blocked/torvanel")});
    t.capabilities->record().useStore(store);
    ASSERT_TRUE(t.startUp());
    store.record(EventKind::ScoreChanged, score(0, 0, 1));
    store.flush();
    auto problemBoxes = [] {
        QList<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(kProblemBoxName) && w->isVisible()) found << w;
        return found;
    };
    // The box waits for the set-up menu and comes up through the event loop.
    QElapsedTimer waited;
    waited.start();
    while (problemBoxes().isEmpty() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    int boxes = 0;
    for (QWidget* w : problemBoxes()) {
        ++boxes;
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
        EXPECT_TRUE(qobject_cast<SetupMenu*>(w->parentWidget())) << "beside the set-up menu";
        EXPECT_TRUE(w->findChild<QLabel*>() != nullptr);
        w->close();
    }
    EXPECT_EQ(boxes, 1);
    TestProgram::flushDeletes();
}
