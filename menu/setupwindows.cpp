#include "menu/setupwindows.h"

#include "app/controls.h"
#include "app/program.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/soundpaths.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace setup {
namespace {

QCheckBox* optionBox(FormOptions& o, int n) {
    switch (n) {
    case line::ScoringTabs: return o.CheckScoringTabs;
    case line::TimerTabs: return o.CheckTimerTabs;
    case line::BuzzOnBonus: return o.CheckBuzzonBonus;
    case line::TimerContinues: return o.CheckTimerContinues;
    case line::DisableMatchTimer: return o.CheckDisableMatchTimer;
    case line::PlayerWaiting: return o.CheckPlayerWaiting;
    case line::ScoreBoard: return o.CheckScoreBoard;
    case line::TwentySecondTab: return o.Check20SecondTab;
    default: return nullptr;
    }
}

QString* soundVariable(ProgramState& s, int n) {
    switch (n) {
    case line::AlphaSound: return &s.AlphaSound;
    case line::BetaSound: return &s.BetaSound;
    case line::GammaSound: return &s.GammaSound;
    case line::TimerSound: return &s.TimerSound;
    case line::GameOverSound: return &s.GameOverSound;
    default: return nullptr;
    }
}

// The menu box of a player slot (stored in groups of five); the 4-player
// menu shows slots 1 to 12 in groups of four and has no box for 13 to 15.
QLineEdit* slotBox(const SetupMenu& menu, int slot) {
    if (slot > 3 * menu.playersPerTeam()) return nullptr;
    return menu.playerNameBox(slot);
}

}  // namespace

void applyLine(Program& program, int n, const SetupRecord& record) {
    Forms& forms = formsOf(program);
    ProgramState& state = program.state;
    const QString text = record.text(n);
    const std::int32_t number = record.number(n);

    if (n == line::Teams) {
        forms.titleForm().TeamText->setText(text);
        return;
    }
    if (n == line::Players) {
        forms.titleForm().PlayerText->setText(text);
        return;
    }
    if (n >= line::AlphaName && n < line::MatchTime) {
        // The 5-player menu holds every slot; the 4-player one the first 12.
        SetupMenu& menu5 = forms.setupMenu(MenuKind::Players5);
        SetupMenu& menu4 = forms.setupMenu(MenuKind::Players4);
        const int team = teamOfNameLine(n);
        if (team >= 0) {
            menu5.teamNameBox(team)->setText(text);
            menu4.teamNameBox(team)->setText(text);
        } else {
            const int slot = slotOfNameLine(n);
            slotBox(menu5, slot)->setText(text);
            if (QLineEdit* box = slotBox(menu4, slot)) box->setText(text);
        }
        return;
    }
    if (n >= line::MatchTime && n <= line::Auxiliary) {
        const int index = 6 + (n - line::MatchTime);
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            forms.setupMenu(m).Texttimer[index]->setText(text);
        }
        if (n == line::MatchTime) {
            state.MatchTime = text;
            for (ScreenPair s : kAllScreens)
                forms.playScreen(s).showMatchTime(text);
        }
        return;
    }
    if (n == line::Increment) {
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            forms.setupMenu(m).textincrement[0]->setText(text);
        }
        return;
    }
    if (n == line::BackColour || n == line::TextColour) {
        const QColor colour = colourFromBgr(number);
        for (ScreenPair s : kAllScreens) {
            PlayScreen& screen = forms.playScreen(s);
            if (n == line::BackColour) {
                screen.setScreenBackColour(colour);
            } else {
                screen.setScreenTextColour(colour);
            }
        }
        return;
    }
    if (QString* sound = soundVariable(state, n)) {
        *sound = resolveSoundPath(text, program.paths.programFolder);
        return;
    }
    if (n == line::SoundSource) {
        for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
            forms.setupMenu(m).ComboSound->setCurrentIndex(number);
        }
        return;
    }
    if (n == line::ExtraXmitter) {
        forms.formextrax().Comboxmitter->setCurrentIndex(number);
        return;
    }
    if (QCheckBox* box = optionBox(forms.formOptions(), n)) {
        const int before = checkValue(box);
        setCheckValue(box, number);
        // The clocks were just put at the file's match time; an option that
        // was already on must still blank them, as it does when the file
        // turns it on.
        if (n == line::DisableMatchTimer && before == number && number == 1) {
            forms.formOptions().CheckDisableMatchTimer_Click();
        }
        // Clearing these two options puts other settings to a default of
        // their own: the match boxes to a saved time, the sound source to
        // "Both". The file holds those settings on earlier lines, and what
        // was saved must be what comes back, so its own values stand.
        if (n == line::DisableMatchTimer && number == 0) {
            const QString matchTime = record.text(line::MatchTime);
            for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
                QLineEdit* match = forms.setupMenu(m).Texttimer[6];
                if (match->text() != matchTime) match->setText(matchTime);
            }
        }
        if (n == line::PlayerWaiting && number == 0) {
            const int source = record.number(line::SoundSource);
            for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
                QComboBox* list = forms.setupMenu(m).ComboSound;
                if (list->currentIndex() != source) list->setCurrentIndex(source);
            }
        }
    }
}

SetupRecord gatherRecord(Program& program, Writer writer, MenuKind from) {
    Forms& forms = formsOf(program);
    const ProgramState& state = program.state;
    SetupMenu& menu4 = forms.setupMenu(MenuKind::Players4);
    SetupMenu& menu5 = forms.setupMenu(MenuKind::Players5);
    const bool firstRun = writer == Writer::FirstRun;
    SetupMenu& own = firstRun ? menu4 : forms.setupMenu(from);

    SetupRecord r;
    TitleForm& title = forms.titleForm();
    r.setText(line::Teams, title.TeamText->text());
    r.setText(line::Players, title.PlayerText->text());

    for (int team = 0; team < 3; ++team) {
        r.setText(teamNameLine(team), own.teamNameBox(team)->text());
    }
    for (int slot = 1; slot <= 15; ++slot) {
        const SetupMenu* source = &own;
        if (firstRun) {
            // The two menus agree right after a preset; the slots that sit in
            // another team's group in the 4-player menu come from the other.
            const bool fromFive = slot == 5 || slot == 9 || slot == 10 || slot >= 13;
            source = fromFive ? &menu5 : &menu4;
        } else if (!slotBox(own, slot)) {
            source = &menu5;
        }
        r.setText(slotLine(slot), slotBox(*source, slot)->text());
    }

    const SetupMenu& timers = firstRun ? menu5 : own;
    for (int n = line::MatchTime; n <= line::Auxiliary; ++n) {
        r.setText(n, timers.Texttimer[6 + (n - line::MatchTime)]->text());
    }
    r.setText(line::Increment, own.textincrement[0]->text());

    ScreenPair colours = ScreenPair::P3_4;
    if (writer == Writer::SaveAs) {
        colours = from == MenuKind::Players4 ? ScreenPair::P2_4 : ScreenPair::P3_5;
    }
    PlayScreen& screen = forms.playScreen(colours);
    r.setNumber(line::BackColour, bgrFromColour(screen.screenBackColour()));
    r.setNumber(line::TextColour, bgrFromColour(screen.screenTextColour()));

    r.setText(line::AlphaSound, state.AlphaSound);
    r.setText(line::BetaSound, state.BetaSound);
    r.setText(line::GammaSound, state.GammaSound);
    r.setText(line::TimerSound, state.TimerSound);
    r.setText(line::GameOverSound, state.GameOverSound);

    // The first run always leaves the interface's own speaker in the file.
    r.setNumber(line::SoundSource, firstRun ? 0 : own.ComboSound->currentIndex());

    FormOptions& options = forms.formOptions();
    for (int n = line::ScoringTabs; n <= line::TwentySecondTab; ++n) {
        if (QCheckBox* box = optionBox(options, n)) r.setNumber(n, checkValue(box));
    }
    r.setNumber(line::ExtraXmitter, forms.formextrax().Comboxmitter->currentIndex());
    return r;
}

QStringList writerLines(Program& program, Writer writer, MenuKind menu) {
    QStringList lines = gatherRecord(program, writer, menu).fileLines();
    if (writer == Writer::FirstRun) lines[line::SoundSource - 1] = QStringLiteral("0");
    return lines;
}

}  // namespace setup
