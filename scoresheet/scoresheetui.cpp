#include "scoresheet/scoresheetui.h"

#include "app/matchscreen.h"
#include "app/program.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetwindow.h"

namespace scoresheet {

Scoresheet::Scoresheet(Program& program)
    : program_(program),
      boards_(program),
      model_(std::make_unique<SheetModel>(program.recorder(), boards_,
                                          loadRulesChoice(program.paths.configFolder))) {
    // The sheet's own events go to the program's recorder, which hands them
    // on to every observer, the sheet among them (it has applied them
    // already and lets them pass).
    program_.addMatchObserver(*model_);
    model_->setHistorySource([this] { return program_.matchHistory(); });
    model_->setNoticeHandler([this](const QString& text) {
        program_.showDecision({text, {{QStringLiteral("kind"), QStringLiteral("sheet")}}});
    });
    // Under rules that keep toss-ups, the play screen's Undo and the
    // sheet's are one history.
    program_.setMatchUndo(model_.get());
    program_.setOperatorKeyHandler(
        [this](int key, int modifiers) { return model_->key(key, modifiers); });
    // The toss-up in play, for whoever shows the match elsewhere (the live
    // page): 0 while the plain rules keep no toss-ups.
    model_->addChangeHandler([this] {
        const Sheet& sheet = model_->sheet();
        const int number =
            sheet.rules.plain() || sheet.tossups.empty() ? 0 : sheet.tossups.back().number;
        if (number == announcedTossup_) return;
        announcedTossup_ = number;
        emit program_.notifier().tossUpChanged(number);
    });
}

Scoresheet::~Scoresheet() {
    window_.reset();
    program_.setMatchUndo(nullptr);
    program_.setOperatorKeyHandler({});
    program_.removeMatchObserver(*model_);
}

void Scoresheet::Boards::moveScore(int team, int points, const QString& how) {
    program_.forms.matchScreen(program_.forms.currentScreen()).moveScore(team, points, how);
}

bool Scoresheet::Boards::undoBoard() {
    return program_.forms.matchScreen(program_.forms.currentScreen()).undoBoard();
}

bool Scoresheet::Boards::redoBoard() {
    return program_.forms.matchScreen(program_.forms.currentScreen()).redoBoard();
}

void Scoresheet::Boards::historyChanged() {
    const ScreenPair pair = program_.forms.currentScreen();
    if (program_.forms.isLoaded(pair)) program_.forms.matchScreen(pair).undoHistoryChanged();
}

void Scoresheet::openWindow() {
    if (!window_) {
        window_ = std::make_unique<SheetWindow>(*model_,
                                                [this](const ScoringRules& r) { chooseRules(r); });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Scoresheet::chooseRules(const ScoringRules& rules) {
    bool buzzes = false;
    for (const Tossup& t : model_->sheet().tossups)
        buzzes = buzzes || !t.buzzes.empty();
    if (buzzes &&
        program_.dialogs.message(
            QStringLiteral("The match being played goes on under the rules \"%1\" from now on; "
                           "what is on the scoresheet stays as it is.  Change the rules?")
                .arg(rules.name),
            QStringLiteral("Scoring Rules"), Dialogs::Icon::Question,
            Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return;
    }
    if (!saveRulesChoice(program_.paths.configFolder, rules)) {
        program_.dialogs.message(
            QStringLiteral("The choice of rules could not be saved in %1; it holds until the "
                           "program ends.")
                .arg(program_.paths.configFolder),
            QStringLiteral("Scoring Rules"), Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
    }
    model_->chooseRules(rules);
}

namespace {

// Keeps the scoresheet as long as the program's notifier lives.
class Holder final : public QObject {
public:
    Holder(Program& program, QObject* parent)
        : QObject(parent), sheet(std::make_unique<Scoresheet>(program)) {}
    std::unique_ptr<Scoresheet> sheet;
};

}  // namespace

Scoresheet* installedScoresheet(Program& program) {
    for (QObject* child : program.notifier().children())
        if (auto* holder = dynamic_cast<Holder*>(child)) return holder->sheet.get();
    return nullptr;
}

void installScoresheet(Program& program) {
    Scoresheet* sheet = (new Holder(program, &program.notifier()))->sheet.get();
    program.operatorWindows().add({QStringLiteral("Scores&heet..."), QKeySequence(),
                                   [sheet](QWidget*) { sheet->openWindow(); },
                                   QStringLiteral("mnuScoresheet")});
    program.helpWindows().add({QStringLiteral("&Scoresheet Keys"), QKeySequence(),
                               [](QWidget* parent) { openSheetKeys(parent); },
                               QStringLiteral("mnuScoresheetKeys")});
}

}  // namespace scoresheet
