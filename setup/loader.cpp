#include "setup/loader.h"

#include "app/controls.h"
#include "app/program.h"
#include "options/formextrax.h"
#include "options/formoptions.h"

namespace setup {

void applyLoaderDefaults(Program& program) {
    ProgramState& s = program.state;
    s.AlphaSound = program.programFile(QStringLiteral("ringin.wav"));
    s.BetaSound = program.programFile(QStringLiteral("ringout.wav"));
    s.GammaSound = program.programFile(QStringLiteral("ringin.wav"));
    s.TimerSound = program.programFile(QStringLiteral("inactive.wav"));
    s.GameOverSound = program.programFile(QStringLiteral("sound528.wav"));

    FormOptions& o = program.forms.formOptions();
    for (QCheckBox* box : {o.CheckScoringTabs, o.CheckTimerTabs, o.CheckBuzzonBonus,
                           o.CheckTimerContinues, o.CheckDisableMatchTimer, o.CheckPlayerWaiting,
                           o.CheckScoreBoard, o.Check20SecondTab}) {
        setCheckValue(box, 0);
    }
    program.forms.formextrax().Comboxmitter->setCurrentIndex(12);
}

}  // namespace setup
