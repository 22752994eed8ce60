#include "record/recordui.h"

#include <QApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "app/program.h"
#include "app/titleform.h"
#include "app/windowplaces.h"
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

void showRecordProblem(Program& program, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, programTitle(), text, QMessageBox::Ok,
                                visibleMenu(program));
    box->setObjectName(QLatin1String(kProblemBoxName));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The operator may be in the middle of a question: the keys stay with
    // the play screen.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

void useStore(Program& program, StoreRecorder& store, QObject& contextObject) {
    program.setRecorder(store);
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
    places::markOperatorWindow(*window);
    places::keepPlace(*window, program, window->objectName());
    places::fitOnDisplay(*window);
    window->show();
    return window;
}

}  // namespace record
