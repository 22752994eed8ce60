#include "record/recordui.h"

#include <optional>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "app/clocktext.h"
#include "app/matchscreen.h"
#include "app/operatorwindows.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "record/recordwindow.h"
#include "record/storerecorder.h"

namespace record {

namespace {

// The screen pair a match was played on ("3_4"), or nothing for a code
// this program does not have.
std::optional<ScreenPair> pairOf(const QString& code) {
    const QStringList parts = code.split(u'_');
    if (parts.size() != 2) return std::nullopt;
    const int teams = parts[0].toInt();
    const int players = parts[1].toInt();
    if ((teams != 2 && teams != 3) || (players != 4 && players != 5)) return std::nullopt;
    return screenFor(teams, players);
}

// A problem found during start-up waits for the set-up menu, so that the box
// comes up beside it.
void tellWhenMenuIsUp(Program& program, QPointer<QObject> context, const QString& text) {
    if (!context) return;
    if (program.windows().visibleMenu()) {
        showRecordProblem(program, text);
        return;
    }
    QTimer::singleShot(200, context,
                       [&program, context, text] { tellWhenMenuIsUp(program, context, text); });
}

}  // namespace

void showRecordProblem(Program& program, const QString& text, std::function<void()> retry) {
    if (!retry) {
        program.dialogs.notice(text, Dialogs::Icon::Warning, program.windows().visibleMenu(),
                               QLatin1String(kProblemBoxName));
        return;
    }
    // As the notice, with a Retry button.
    auto* box = new QMessageBox(QMessageBox::Warning, programTitle(), text, QMessageBox::Ok,
                                program.windows().visibleMenu());
    box->setObjectName(QLatin1String(kProblemBoxName));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The operator may be in the middle of a question: the keys stay with
    // the play screen.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->addButton(QMessageBox::Retry);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [box, retry](QAbstractButton* b) {
        if (box->standardButton(b) == QMessageBox::Retry) retry();
    });
    box->show();
}

bool runWithoutRecord(Dialogs& dialogs, const StoreRecorder& store) {
    if (!store.heldBy()) return true;
    const RecordHolder& holder = *store.heldBy();
    const QString text =
        QStringLiteral(
            "Torvanel is already running (process %1, since %2) and keeps the match "
            "record. Two copies cannot keep one record.\n\nQuit this copy, or run it "
            "without a record of its matches?")
            .arg(holder.pid)
            .arg(holder.since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    return dialogs.choose(text, programTitle(), Dialogs::Icon::Warning,
                          {QStringLiteral("&Quit"), QStringLiteral("&Run Without a Record")},
                          0) == 1;
}

MatchRecord::MatchRecord(Program& program) : program_(program) {
    program.operatorWindows().add({QStringLiteral("Match &Record..."), QKeySequence(),
                                   [this](QWidget*) { openWindow(); },
                                   QStringLiteral("mnuMatchRecord")});
}

MatchRecord::~MatchRecord() {
    if (store_) program_.setMatchHistory({});
}

void MatchRecord::useStore(StoreRecorder& store) {
    Program& program = program_;
    store_ = &store;
    program.setRecorder(store);
    program.setMatchHistory([&store] {
        MatchEvents events;
        for (const RecordedEvent& e : store.currentEvents())
            events.push_back({e.kind, e.matchTime, e.wallMs, e.data});
        return events;
    });
    QPointer<QObject> context = &context_;
    StoreRecorder* recorder = &store;
    store.setMovedAsideHandler([&program, context, recorder] {
        if (!context) return;
        QMetaObject::invokeMethod(
            context,
            [&program, context, recorder] {
                tellWhenMenuIsUp(
                    program, context,
                    recorder->movedForeign()
                        ? QStringLiteral("The file %1 is not a Torvanel match record; it belongs "
                                         "to some other program. It has been put aside, "
                                         "unchanged, as %2 and a new record started.")
                              .arg(recorder->filePath(), recorder->movedAside())
                        : QStringLiteral("The match record file was damaged. It has been put "
                                         "aside as %1 and a new record started.")
                              .arg(recorder->movedAside()));
            },
            Qt::QueuedConnection);
    });
    // The writer thread finds the problem; the box goes up on the window
    // thread.
    store.setProblemHandler([&program, context, recorder](const QString& problem) {
        if (!context) return;
        QMetaObject::invokeMethod(
            context,
            [&program, context, problem, recorder] {
                if (!recorder->canRetry()) {
                    tellWhenMenuIsUp(program, context,
                                     QStringLiteral("The match record is not being kept: %1 The "
                                                    "match goes on as before.")
                                         .arg(problem));
                    return;
                }
                showRecordProblem(
                    program,
                    QStringLiteral("The match record has stopped: %1 The match goes on as "
                                   "before, and the events not yet written are kept until the "
                                   "program ends. Put it right (free some space), then choose "
                                   "Retry.")
                        .arg(problem),
                    [recorder] { recorder->retry(); });
            },
            Qt::QueuedConnection);
    });
    store.setRecoveryHandler([&program, context](const QString& problem, double seconds) {
        if (!context) return;
        QMetaObject::invokeMethod(
            context,
            [&program, problem, seconds] {
                showRecordProblem(
                    program,
                    QStringLiteral("The match record could not be written for %1 s (%2) It is "
                                   "written again, and no event was lost.")
                        .arg(seconds, 0, 'f', 1)
                        .arg(problem));
            },
            Qt::QueuedConnection);
    });
}

bool MatchRecord::offerResume() {
    Program& program = program_;
    StoreRecorder* store = store_;
    if (!store || !store->interrupted()) return false;
    const InterruptedMatch& m = *store->interrupted();

    QStringList lines;
    for (int t = 0; t < int(m.state.scores.size()); ++t) {
        const QString name = t < m.state.teams.size() ? m.state.teams[t] : QString();
        lines << QStringLiteral("%1: %2").arg(name).arg(m.state.scores[std::size_t(t)]);
    }
    const QString started = QDateTime::fromMSecsSinceEpoch(m.match.startedMs)
                                .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    // The record may have stopped hearing from the match well before the
    // program ended (a full disk): the time says how fresh the scores are.
    const QString asOf =
        QDateTime::fromMSecsSinceEpoch(m.lastHeardMs).toString(QStringLiteral("HH:mm:ss"));
    const QString text =
        QStringLiteral(
            "The match started %1 did not end properly. As the record last had it, "
            "as of %4:\n\n%2\nMatch clock: %3\n\nResume this match?")
            .arg(started, lines.join(u'\n'), matchClockText(m.clockLeft), asOf);
    if (program.dialogs.message(text, QStringLiteral("Resume Match"), Dialogs::Icon::Question,
                                Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return false;
    }

    // On the match's own screen pair, the one it was last on: a three-team
    // match (or one that became so after its start) keeps its third score
    // whatever the start-up file chose.
    const std::optional<ScreenPair> own =
        pairOf(m.state.screen.isEmpty() ? m.match.screen : m.state.screen);
    if (own && *own != program.windows().currentScreen()) program.windows().bringUpScreen(*own);
    const ScreenPair pair = program.windows().currentScreen();
    std::vector<int> values;
    QJsonArray scores;
    for (int t = 0; t < teamsOf(pair); ++t) {
        const int value = std::clamp(m.state.score(t), -32768, 32767);
        values.push_back(value);
        scores.append(value);
    }
    MatchScreen& screen = program.windows().matchScreen(pair);
    screen.restoreMatch(values, m.clockLeft, m.state.teams, m.state.players);
    QJsonObject resumed = screen.namesInUse();
    resumed.insert(QStringLiteral("from"), m.match.id);
    resumed.insert(QStringLiteral("scores"), scores);
    resumed.insert(QStringLiteral("clock"), m.clockLeft);
    // The names went back with the match; the record has heard them.
    program.recordedNames = screen.namesInUse();
    // The match goes on as the same match (m is gone once it does).
    program.recorder().record(EventKind::MatchResumed, resumed);
    return true;
}

void MatchRecord::end(const QString& how) {
    Program& program = program_;
    StoreRecorder* store = store_;
    if (!store) return;
    if (store->matchOn()) {
        // A name typed a moment ago belongs to the match that ends.
        const ScreenPair pair = program.windows().currentScreen();
        if (program.windows().isLoaded(pair)) program.windows().matchScreen(pair).recordNames();
        program.recorder().record(EventKind::ProgramEnded, {{"how", how}});
    }
    store->flush();
}

QWidget* MatchRecord::openWindow() {
    Program& program = program_;
    if (window_) {
        places::bringForward(*window_);
        return window_;
    }
    auto* window = new RecordWindow(program, store_);
    window_ = window;
    window->setAttribute(Qt::WA_DeleteOnClose);
    places::markOperatorWindow(*window);
    places::keepPlace(*window, program, window->objectName());
    places::fitOnDisplay(*window);
    window->show();
    return window;
}

}  // namespace record
