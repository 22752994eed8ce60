// A whole program scored with a scoresheet: a two-team screen on the
// simulated wired box, four players a team, the record kept in memory.
#pragma once

#include <initializer_list>
#include <vector>

#include "link/decoders.h"
#include "options/formextrax.h"
#include "play/playfixture.h"
#include "scoresheet/rules.h"
#include "scoresheet/scoresheetui.h"
#include "scoresheet/sheetbuilder.h"
#include "support/memoryrecorder.h"
#include "title/forms.h"
#include "title/titleform.h"

struct SheetRoad {
    // The match starts when the caller has set up what it needs and calls
    // s.newMatch().
    explicit SheetRoad(const scoresheet::ScoringRules& rules)
        : f(ScreenPair::P2_4, 180), s(f.screen) {
        f.t->state.InterfaceModel = 180;
        formsOf(*f.t).formextrax().Comboxmitter->setCurrentIndex(buzzlink::kExtraNotInUse);
        f.setSoundSource(1);
        formsOf(*f.t).titleForm().TeamText->setText(QStringLiteral("2"));
        formsOf(*f.t).titleForm().PlayerText->setText(QStringLiteral("4"));
        s.Form_Activate();
        f.t->setRecorder(rec);
        sheet = scoresheet::installedScoresheet(*f.t);
        sheet->chooseRules(rules);
    }

    // Players pressing at once: a tie the program draws.
    void buzz(std::initializer_list<int> players) {
        s.porttimer_Timer();
        std::vector<int> lines;
        for (int p : players)
            lines.push_back(buzzlink::boxLineNumber(
                *buzzlink::lineOfPlayer(buzzlink::kWiredModel180, s.screen(), p)));
        f.t.box.pressTogether(lines);
        f.t.box.releaseAll();
        s.porttimer_Timer();
    }
    void buzz(int player) { buzz({player}); }
    void keys(std::initializer_list<int> keys) {
        for (int k : keys)
            f.key(k);
    }

    // The sheet as the record's events give it.
    scoresheet::Sheet rebuilt() const {
        struct Kept {
            record::EventKind kind;
            qint64 wallMs;
            QJsonObject data;
        };
        std::vector<Kept> kept;
        for (const auto& e : rec.events)
            kept.push_back({e.kind, 0, e.data});
        return scoresheet::sheetFromEvents(kept);
    }

    MemoryRecorder rec;  // outlives the windows
    PlayFixture f;
    PlayScreen& s;
    scoresheet::Scoresheet* sheet = nullptr;
};
