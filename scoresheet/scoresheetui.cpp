#include "scoresheet/scoresheetui.h"

#include <QDir>

#include "app/program.h"
#include "scoresheet/matchdetailswindow.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetwindow.h"

namespace scoresheet {

namespace {

// A match worth a file: something on the sheet or on a board.
bool played(const Sheet& sheet) {
    for (const SheetTeam& t : sheet.teams)
        if (t.points != 0) return true;
    for (const Tossup& t : sheet.tossups)
        if (!t.buzzes.empty()) return true;
    return false;
}

}  // namespace

Scoresheet::Scoresheet(Program& program, const QString& resultFolder)
    : program_(program),
      recorder_(program.recorder()),
      boards_(program),
      model_(std::make_unique<SheetModel>(recorder_, boards_,
                                          loadRulesChoice(program.paths.configFolder))) {
    tee_ = std::make_unique<Tee>(recorder_, *model_);
    program_.setRecorder(*tee_);
    program_.setOperatorKeyHandler(
        [this](int key, int modifiers) { return model_->key(key, modifiers); });

    detailsPath_ = QDir(program.paths.configFolder).filePath(QStringLiteral("match-details.json"));
    details_ = loadMatchDetails(detailsPath_, resultFolder);
    results_ = std::make_unique<ResultFiles>(details_.folder);
    // The writer's thread reports here; the operator hears it beside the
    // set-up menu, never on the audience screen.
    QObject::connect(
        results_.get(), &ResultFiles::problem, results_.get(),
        [this](const QString& text) {
            program_.dialogs.message(text, QStringLiteral("Result File"), Dialogs::Icon::Warning,
                                     Dialogs::Buttons::Ok);
        },
        Qt::QueuedConnection);
    // The sheet is copied here and written on the writer's thread.
    model_->addChangeHandler([this] {
        const Sheet& s = model_->sheet();
        if (!played(s)) return;
        Sheet withDetails = s;
        applyDetails(withDetails, details_);
        results_->matchChanged(withDetails);
    });
    model_->setEndHandler([this](const Sheet& s) {
        if (!played(s)) return;
        Sheet withDetails = s;
        applyDetails(withDetails, details_);
        results_->matchEnded(withDetails);
        // The program may be about to end on the spot.
        results_->flush();
    });
}

Scoresheet::~Scoresheet() {
    detailsWindow_.reset();
    window_.reset();
    program_.setOperatorKeyHandler({});
    program_.setRecorder(recorder_);
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

void Scoresheet::openDetails(QWidget* parent) {
    detailsWindow_ = std::make_unique<MatchDetailsWindow>(
        details_, results_->lastResult(),
        [this](const MatchDetails& d) {
            details_ = d;
            results_->setFolder(d.folder);
            if (const std::optional<QString> problem = saveMatchDetails(detailsPath_, d)) {
                program_.dialogs.message(*problem, QStringLiteral("Match Details"),
                                         Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
            }
        },
        parent);
    detailsWindow_->show();
    detailsWindow_->raise();
}

void Scoresheet::openKeys(QWidget* parent) { openSheetKeys(parent); }

}  // namespace scoresheet
