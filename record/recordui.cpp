#include "record/recordui.h"

#include <optional>

#include <QApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "app/program.h"
#include "app/titleform.h"
#include "menu/setupmenu.h"
#include "play/countdown.h"
#include "play/playscreen.h"
#include "record/recordwindow.h"
#include "record/storerecorder.h"

namespace record {

namespace {

// The screen pair the title form's team and player counts select.
ScreenPair currentPair(Program& program) {
    TitleForm& title = program.forms.titleForm();
    return screenFor(title.TeamText->text().toInt(), title.PlayerText->text().toInt());
}

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

// Brings up the screen pair a match was played on, so that every team's
// score has a board, as the menu's team list would.
void bringUpPair(Program& program, ScreenPair pair) {
    TitleForm& title = program.forms.titleForm();
    title.TeamText->setText(QString::number(teamsOf(pair)));
    title.PlayerText->setText(QString::number(playersPerTeamOf(pair)));
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = program.forms.setupMenu(m);
        menu.ComboTeams->setCurrentIndex(teamsOf(pair) == 3 ? 1 : 0);
        if (menu.isVisible() && m != menuOf(pair)) menu.hide();
    }
    if (program.forms.isLoaded(currentPair(program)) || true) {
    }
    showScreenPair(program);
}

StoreRecorder* storeOf(Program& program) {
    return dynamic_cast<StoreRecorder*>(&program.recorder());
}

}  // namespace

namespace {

SetupMenu* visibleMenu(Program& program) {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        if (program.forms.isLoaded(m) && program.forms.setupMenu(m).isVisible())
            return &program.forms.setupMenu(m);
    }
    return nullptr;
}

// A problem found during start-up waits for the set-up menu, so that the box
// comes up beside it.
void tellWhenMenuIsUp(Program& program, QPointer<QObject> context, const QString& text) {
    if (!context) return;
    if (visibleMenu(program)) {
        showRecordProblem(program, text);
        return;
    }
    QTimer::singleShot(200, context,
                       [&program, context, text] { tellWhenMenuIsUp(program, context, text); });
}

}  // namespace

void showRecordProblem(Program& program, const QString& text, std::function<void()> retry) {
    auto* box = new QMessageBox(QMessageBox::Warning, programTitle(), text, QMessageBox::Ok,
                                visibleMenu(program));
    box->setObjectName(QLatin1String(kProblemBoxName));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The operator may be in the middle of a question: the keys stay with
    // the play screen.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    if (retry) {
        box->addButton(QMessageBox::Retry);
        QObject::connect(box, &QMessageBox::buttonClicked, box, [box, retry](QAbstractButton* b) {
            if (box->standardButton(b) == QMessageBox::Retry) retry();
        });
    }
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

void useStore(Program& program, StoreRecorder& store, QObject& contextObject) {
    program.setRecorder(store);
    QPointer<QObject> context = &contextObject;
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
    // The record may have stopped hearing from the match well before the
    // program ended (a full disk): the time says how fresh the scores are.
    const QString asOf =
        QDateTime::fromMSecsSinceEpoch(m.lastHeardMs).toString(QStringLiteral("HH:mm:ss"));
    const QString text =
        QStringLiteral(
            "The match started %1 did not end properly. As the record last had it, "
            "as of %4:\n\n%2\nMatch clock: %3\n\nResume this match?")
            .arg(started, lines.join(u'\n'), clockText(m.clockLeft), asOf);
    if (program.dialogs.message(text, QStringLiteral("Resume Match"), Dialogs::Icon::Question,
                                Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return false;
    }

    // On the match's own screen pair: a three-team match keeps its third
    // score whatever the start-up file chose.
    const std::optional<ScreenPair> own = pairOf(m.match.screen);
    if (own && *own != currentPair(program)) bringUpPair(program, *own);
    PlayScreen& screen = program.forms.playScreen(currentPair(program));
    QJsonArray scores;
    for (int t = 0; t < screen.variant().teams; ++t) {
        const int value = std::clamp(m.state.score(t), -32768, 32767);
        screen.score(t) = std::int16_t(value);
        screen.scoreLabel(t)->setText(QString::number(value));
        scores.append(value);
    }
    // The screen takes a stopped clock from the menu whenever it comes to
    // the front, so the time goes there as the set-up menu button leaves it.
    const countdown::ClockTime left{std::int16_t(std::min(m.clockLeft / 60, 999)),
                                    std::int16_t(m.clockLeft % 60)};
    screen.Timer2->stop();
    screen.menu().Texttimer[6]->setText(countdown::clockText(left));
    screen.Form_Activate();
    program.recorder().record(EventKind::MatchResumed,
                              {{"from", m.match.id}, {"scores", scores}, {"clock", m.clockLeft}});
    return true;
}

void endRecord(Program& program, const QString& how) {
    StoreRecorder* store = storeOf(program);
    if (!store) return;
    if (store->matchOn()) program.recorder().record(EventKind::ProgramEnded, {{"how", how}});
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

}  // namespace record
