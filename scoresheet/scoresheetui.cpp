#include "scoresheet/scoresheetui.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QKeyEvent>

#include "app/matchboards.h"
#include "app/matchscreen.h"
#include "app/program.h"
#include "app/windowplaces.h"
#include "scoresheet/rules.h"
#include "scoresheet/sheetkeys.h"
#include "scoresheet/sheetstats.h"
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
    program_.addMatchObserver(watch_);
    model_->setHistorySource([this] { return program_.matchHistory(); });
    model_->setNoticeHandler([this](const QString& text) {
        program_.showDecision({text, {{QStringLiteral("kind"), QStringLiteral("sheet")}}});
    });
    // Under rules that keep toss-ups, the play screen's Undo and the
    // sheet's are one history.
    program_.setMatchUndo(model_.get());
    program_.setOperatorKeyHandler([this](int k, int modifiers) { return key(k, modifiers); });
    program_.setOperatorKeyClaim([this](int key, int modifiers) {
        return !model_->sheet().rules.plain() && sheetKeyFor(key, modifiers).has_value();
    });
    // The toss-up in play, for whoever shows the match elsewhere (the live
    // page): 0 while the plain rules keep no toss-ups.
    model_->addChangeHandler([this] {
        const Sheet& sheet = model_->sheet();
        // While a bonus is read the toss-up it goes with is the one in play,
        // though the sheet has moved on to the next row for the next buzz.
        const int bonus = model_->bonusTarget();
        const int number = sheet.rules.plain() || sheet.tossups.empty() ? 0
                           : bonus >= 0 ? sheet.tossups[std::size_t(bonus)].number
                                        : sheet.tossups.back().number;
        if (lineupChanged_) showLineups();
        if (number == announcedTossup_) return;
        announcedTossup_ = number;
        emit program_.notifier().tossUpChanged(number);
    });
}

Scoresheet::~Scoresheet() {
    window_.reset();
    program_.setMatchUndo(nullptr);
    program_.setOperatorKeyHandler({});
    program_.setOperatorKeyClaim({});
    program_.removeMatchObserver(watch_);
}

bool Scoresheet::key(int key, int modifiers) {
    const std::optional<SheetKey> k = sheetKeyFor(key, modifiers);
    const ScoringRules& rules = model_->sheet().rules;
    if (k && !rules.plain()) {
        // A ruling the rules do not have is refused aloud, not passed over.
        const bool power = k->action == SheetAction::Power && !powerValue(rules);
        const bool second = k->action == SheetAction::SecondPower && !powerValue(rules, 1);
        const bool neg = k->action == SheetAction::Neg && !negValue(rules);
        if (power || second || neg) {
            program_.showDecision(
                {QStringLiteral("%1: the rules \"%2\" have no %3; nothing was ruled.")
                     .arg(power    ? QStringLiteral("P")
                          : second ? QStringLiteral("O")
                                   : QStringLiteral("N"),
                          rules.name,
                          power    ? QStringLiteral("powers (C for a correct answer)")
                          : second ? QStringLiteral("second power level (P for a power)")
                                   : QStringLiteral("negs (W for a wrong answer)")),
                 {{QStringLiteral("kind"), QStringLiteral("ruling")}}});
            return true;
        }
    }
    return model_->key(key, modifiers);
}

bool Scoresheet::windowKey(QKeyEvent* event) {
    if (key(event->key(), int(event->modifiers()))) return true;
    if (!isScreenKey(event->key())) return false;
    sendToScreen(event);
    return true;
}

void Scoresheet::sendToScreen(QKeyEvent* event) {
    // Handed to the play screen in use as if typed there.
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(),
                   event->isAutoRepeat(), ushort(event->count()));
    QCoreApplication::sendEvent(
        program_.windows().matchScreen(program_.windows().currentScreen()).screenWidget(), &copy);
}

void Scoresheet::Watch::record(record::EventKind kind, const QJsonObject& data) {
    if (kind == record::EventKind::NamesChanged) {
        sheet_.namesChanged(data);
        return;
    }
    // Known once the sheet has taken it in (the change handlers run then).
    if (kind == record::EventKind::LineupChanged) sheet_.lineupChanged_ = true;
    sheet_.model_->record(kind, data);
    // The time-out timer started: which team called it is asked once the
    // timer is running, not in the middle of recording.
    if (kind == record::EventKind::TimerStarted &&
        data.value(QStringLiteral("kind")).toString() == QLatin1String("time-out") &&
        !sheet_.model_->sheet().rules.plain() && !sheet_.model_->sheet().ended)
        QMetaObject::invokeMethod(
            &sheet_.program_.notifier(), [s = &sheet_] { s->askTimeout(); }, Qt::QueuedConnection);
}

void Scoresheet::askTimeout() {
    const Sheet& s = model_->sheet();
    if (s.rules.plain() || s.ended || s.teams.empty()) return;
    QStringList buttons;
    for (int team = 0; team < int(s.teams.size()); ++team)
        buttons << teamName(s, team);
    buttons << QStringLiteral("&Neither");
    const int allowed = s.rules.timeoutsPerTeam;
    QStringList called;
    for (int team = 0; team < int(s.teams.size()); ++team)
        called << QStringLiteral("%1 %2").arg(teamName(s, team)).arg(model_->timeoutsCalled(team));
    const int team = program_.dialogs.choose(
        QStringLiteral("Which team called the time-out?\n\nCalled so far%1: %2%3.")
            .arg(s.rules.timeoutsPerHalf ? QStringLiteral(" this half") : QString(),
                 called.join(QStringLiteral(", ")),
                 allowed > 0 ? QStringLiteral("; the rules allow %1 a team").arg(allowed)
                             : QString()),
        QStringLiteral("Time-out"), Dialogs::Icon::Question, buttons, int(buttons.size()) - 1);
    if (team >= 0 && team < int(s.teams.size())) model_->callTimeout(team);
}

void Scoresheet::namesChanged(const QJsonObject& data) {
    // Before the sheet renames anyone: which buttons now carry a name new to
    // every roster over a player who has buzzed in this match. Whether that
    // is a spelling put right or another player is the operator's to say;
    // the sheet cannot tell.
    const Sheet before = model_->sheet();
    const SheetBuilder& builder = model_->builder();
    struct Arrival {
        int team;
        int seat;
        QString name;
    };
    std::vector<Arrival> arrivals;
    const std::vector<QStringList> players =
        record::readNames(record::EventKind::NamesChanged, data)
            .value_or(record::NamesData())
            .players;
    auto onARoster = [&before](const QString& name) {
        for (const SheetTeam& t : before.teams)
            if (t.players.contains(name)) return true;
        return false;
    };
    for (int side = 0; side < int(players.size()) && !before.rules.plain() && !before.ended;
         ++side) {
        const int team = builder.teamAtSide(side);
        if (team < 0) continue;
        const std::vector<int>& seats = builder.seats(team);
        const QStringList& names = players[std::size_t(side)];
        for (int seat = 0; seat < names.size() && seat < int(seats.size()); ++seat) {
            const QString name = names[seat].trimmed();
            const int player = seats[std::size_t(seat)];
            if (name.isEmpty() || onARoster(name)) continue;
            bool buzzed = false;
            for (const Tossup& t : before.tossups)
                for (const Buzz& b : t.buzzes)
                    buzzed = buzzed || (b.team == team && b.player == player);
            if (buzzed) arrivals.push_back({team, seat, names[seat]});
        }
    }
    model_->record(record::EventKind::NamesChanged, data);
    for (const Arrival& a : arrivals) {
        const SheetTeam& team = before.teams[std::size_t(a.team)];
        const int leaving = builder.seats(a.team)[std::size_t(a.seat)];
        const QString who = team.players.value(leaving);
        const int answer = program_.dialogs.choose(
            QStringLiteral("%1 has buzzed in this match, and %2's button now says \"%3\".\n\n"
                           "Rename: %1's name was misspelt; everything %1 did goes under "
                           "\"%3\".\nSubstitute: %3 comes in for %1 from the next toss-up "
                           "nobody has buzzed on; %1 keeps what %1 did.")
                .arg(who, team.name, a.name),
            QStringLiteral("Rename or Substitute"), Dialogs::Icon::Question,
            {QStringLiteral("&Rename"), QStringLiteral("&Substitute")}, 0);
        if (answer != 1) continue;
        // The player who leaves keeps the name they played under (other
        // names changed at the same time stand); the new name takes the
        // button.
        QStringList roster = model_->sheet().teams[std::size_t(a.team)].players;
        roster[leaving] = who;
        roster.append(a.name);
        std::vector<int> seats = builder.seats(a.team);
        seats[std::size_t(a.seat)] = int(roster.size()) - 1;
        model_->setLineup(a.team, roster, seats);
    }
}

void Scoresheet::showLineups() {
    lineupChanged_ = false;
    if (!program_.windows().titleFormLoaded()) return;
    const ScreenPair pair = program_.windows().currentScreen();
    const MenuKind menu = menuOf(pair);
    if (!program_.windows().isLoaded(menu)) return;
    const Sheet& s = model_->sheet();
    const SheetBuilder& builder = model_->builder();
    const int perTeam = playersPerTeamOf(pair);
    bool renamed = false;
    for (int team = 0; team < int(s.teams.size()); ++team) {
        const int side = builder.sideOfTeam(team);
        if (side < 0 || side >= teamsOf(pair)) continue;
        const std::vector<int>& seats = builder.seats(team);
        for (int seat = 0; seat < int(seats.size()) && seat < perTeam; ++seat) {
            const QString name = s.teams[std::size_t(team)].players.value(seats[std::size_t(seat)]);
            const int number = side * perTeam + seat + 1;
            if (name.isEmpty() || program_.windows().playerName(menu, number) == name) continue;
            program_.windows().setPlayerName(menu, number, name);
            renamed = true;
        }
    }
    // The record, and through it the live page and the record window, hear
    // the new names now rather than at the next event.
    if (renamed && program_.windows().isLoaded(pair))
        program_.windows().matchScreen(pair).recordNames();
}

void Scoresheet::Boards::moveScore(int team, int points, const QString& how) {
    program_.windows().matchScreen(program_.windows().currentScreen()).moveScore(team, points, how);
}

bool Scoresheet::Boards::undoBoard() {
    return program_.windows().matchScreen(program_.windows().currentScreen()).undoBoard();
}

bool Scoresheet::Boards::redoBoard() {
    return program_.windows().matchScreen(program_.windows().currentScreen()).redoBoard();
}

void Scoresheet::Boards::historyChanged() {
    const ScreenPair pair = program_.windows().currentScreen();
    if (program_.windows().isLoaded(pair))
        program_.windows().matchScreen(pair).undoHistoryChanged();
}

void Scoresheet::openWindow() {
    if (!window_) {
        window_ = std::make_unique<SheetWindow>(*model_,
                                                [this](const ScoringRules& r) { chooseRules(r); });
        window_->setSheetKeys([this](int k, int modifiers) { return key(k, modifiers); });
        window_->setScreenKeys([this](QKeyEvent* event) { sendToScreen(event); });
        // Kept in front of a play screen sharing its display, where the
        // operator left it; the first time, below the reader beside the play
        // screen, which makes room for it.
        places::markOperatorWindow(*window_);
        if (!places::keepPlace(*window_, program_, window_->objectName()) && places::oneDisplay())
            places::placeInColumn(*window_, places::Column::Lower,
                                  places::playScreenDesign(program_));
        places::fitOnDisplay(*window_);
    }
    window_->show();
    places::refitPlayScreens(program_);
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

std::unique_ptr<Scoresheet> installScoresheet(Program& program) {
    auto owned = std::make_unique<Scoresheet>(program);
    Scoresheet* sheet = owned.get();
    program.operatorWindows().add({QStringLiteral("Scores&heet..."), QKeySequence(),
                                   [sheet](QWidget*) { sheet->openWindow(); },
                                   QStringLiteral("mnuScoresheet")});
    Program::KeySection keys{
        QStringLiteral("Scoresheet, under rules other than Plain (on the play screen and in "
                       "the Scoresheet window; the contestant panel's keys give way)"),
        {}};
    for (const KeyHelp& k : sheetKeyHelp())
        keys.keys.emplace_back(k.key, k.does);
    program.keySections().push_back(std::move(keys));
    program.helpWindows().add({QStringLiteral("&Scoresheet Keys"), QKeySequence(),
                               [](QWidget* parent) { openSheetKeys(parent); },
                               QStringLiteral("mnuScoresheetKeys")});
    return owned;
}

}  // namespace scoresheet
