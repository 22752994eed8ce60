#include "scoresheet/scoresheetui.h"

#include "app/program.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetwindow.h"

namespace scoresheet {

Scoresheet::Scoresheet(Program& program)
    : program_(program),
      recorder_(program.recorder()),
      boards_(program),
      model_(std::make_unique<SheetModel>(recorder_, boards_,
                                          loadRulesChoice(program.paths.configFolder))) {
    program_.addMatchObserver(*model_);
    program_.setOperatorKeyHandler(
        [this](int key, int modifiers) { return model_->key(key, modifiers); });
}

Scoresheet::~Scoresheet() {
    program_.setOperatorKeyHandler({});
    program_.removeMatchObserver(*model_);
}

void Scoresheet::Boards::moveScore(int team, int points, const QString& how) {
    program_.scoreBoard().moveScore(team, points, how);
}

void Scoresheet::openWindow(QWidget* parent) {
    if (!window_) {
        window_ = std::make_unique<SheetWindow>(
            *model_, [this](const ScoringRules& r) { chooseRules(r); }, parent);
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

}  // namespace scoresheet
