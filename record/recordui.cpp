#include "record/recordui.h"

#include <map>
#include <vector>

#include <QApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QPointer>
#include <QTimer>

#include "app/matchscreen.h"
#include "app/operatorwindows.h"
#include "app/program.h"
#include "record/recordwindow.h"
#include "record/storerecorder.h"

namespace record {

namespace {

// The store of each program that keeps one, as useStore made it so: the
// program itself only knows a recorder.
std::map<const Program*, StoreRecorder*>& stores() {
    static std::map<const Program*, StoreRecorder*> map;
    return map;
}

StoreRecorder* storeOf(const Program& program) {
    const auto found = stores().find(&program);
    return found == stores().end() ? nullptr : found->second;
}

// A problem found during start-up waits for the set-up menu, so that the box
// comes up beside it.
void tellWhenMenuIsUp(Program& program, QPointer<QObject> context, const QString& text) {
    if (!context) return;
    if (program.forms.visibleMenu()) {
        showRecordProblem(program, text);
        return;
    }
    QTimer::singleShot(200, context,
                       [&program, context, text] { tellWhenMenuIsUp(program, context, text); });
}

}  // namespace

void showRecordProblem(Program& program, const QString& text) {
    program.dialogs.notice(text, Dialogs::Icon::Warning, program.forms.visibleMenu(),
                           QLatin1String(kProblemBoxName));
}

void useStore(Program& program, StoreRecorder& store, QObject& contextObject) {
    program.setRecorder(store);
    stores()[&program] = &store;
    QObject::connect(&contextObject, &QObject::destroyed, [&program, &store] {
        const auto found = stores().find(&program);
        if (found != stores().end() && found->second == &store) stores().erase(found);
    });
    QPointer<QObject> context = &contextObject;
    if (!store.movedAside().isEmpty()) {
        tellWhenMenuIsUp(program, context,
                         QStringLiteral("The match record file was damaged. It has been put "
                                        "aside as %1 and a new record started.")
                             .arg(store.movedAside()));
    }
    // The writer thread finds the problem; the box goes up on the window
    // thread.
    store.setProblemHandler([&program, context](const QString& problem) {
        if (!context) return;
        QMetaObject::invokeMethod(
            context,
            [&program, context, problem] {
                tellWhenMenuIsUp(program, context,
                                 QStringLiteral("The match record is not being kept: %1 The "
                                                "match goes on as before.")
                                     .arg(problem));
            },
            Qt::QueuedConnection);
    });
}

bool offerResume(Program& program) {
    StoreRecorder* store = storeOf(program);
    if (!store || !store->interrupted()) return false;
    const InterruptedMatch& m = *store->interrupted();

    QStringList lines;
    for (int t = 0; t < int(m.state.scores.size()); ++t) {
        const QString name = t < m.state.teams.size() ? m.state.teams[t] : QString();
        lines << QStringLiteral("%1: %2").arg(name).arg(m.state.scores[std::size_t(t)]);
    }
    const QString started = QDateTime::fromMSecsSinceEpoch(m.match.startedMs)
                                .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString text = QStringLiteral(
                             "The match started %1 did not end properly. When it stopped:\n\n%2\n"
                             "Match clock: %3\n\nResume this match?")
                             .arg(started, lines.join(u'\n'), clockText(m.clockLeft));
    if (program.dialogs.message(text, QStringLiteral("Resume Match"), Dialogs::Icon::Question,
                                Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return false;
    }

    const ScreenPair pair = program.forms.currentScreen();
    std::vector<int> values;
    QJsonArray scores;
    for (int t = 0; t < teamsOf(pair); ++t) {
        const int value = std::clamp(m.state.score(t), -32768, 32767);
        values.push_back(value);
        scores.append(value);
    }
    MatchScreen& screen = program.forms.matchScreen(pair);
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

void endRecord(Program& program, const QString& how) {
    StoreRecorder* store = storeOf(program);
    if (!store) return;
    if (store->currentMatch() != 0)
        program.recorder().record(EventKind::ProgramEnded, {{"how", how}});
    store->flush();
}

QWidget* openRecordWindow(Program& program) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<RecordWindow*>(w);
        if (window && &window->program() == &program) {
            window->show();
            window->raise();
            window->activateWindow();
            return window;
        }
    }
    auto* window = new RecordWindow(program, storeOf(program));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void installMatchRecord(Program& program) {
    program.operatorWindows().add({QStringLiteral("Match &Record..."), QKeySequence(),
                                   [&program](QWidget*) { openRecordWindow(program); },
                                   QStringLiteral("mnuMatchRecord")});
}

}  // namespace record
