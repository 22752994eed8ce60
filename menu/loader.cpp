#include "menu/loader.h"

#include <QFile>
#include <QFileInfo>

#include "app/controls.h"
#include "app/numbers.h"
#include "app/program.h"
#include "app/savefile.h"
#include "menu/setupmenu.h"
#include "menu/setupwindows.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace setup {
namespace {

const QString kNotASetupFile =
    QStringLiteral("File corrupt or not an Torvanel Setup File.  Loading default settings.");
const QString kStartupFileFailed = QStringLiteral(
    "An error occured opening the Setup File TVLSETUP.TXT.  File may be corrupt.  Program will "
    "use its default values and continue. Change the program options as you require and try re "
    "saving from the FILE menu option.");
const QString kCreateFailed = QStringLiteral(
    "An error occured while attempting to initially create the set up file TVLSETUP.TXT.  "
    "Program will continue using its default setup values.");
const QString kFirstRunWelcome = QStringLiteral(
    "Thanks for chosing Torvanel. To assist you in configuring your system for the competition "
    "rules in your area, please select your state if shown or a generic configuration from the "
    "list about to be show.  These choices will be saved in a set up file TVLSETUP.TXT and can "
    "be modified later.");
const QString kFileNotFoundTitle = QStringLiteral("File not found");
const QString kPresetNotFound =
    QStringLiteral("The set-up file TVLSETUP.TXT was not found.  Loading default system settings");

// Opening a file sets both menus' team lists from line 2, the 4-player
// menu's first; a count without an entry there is as bad as any other
// out-of-range value.
std::optional<SetupError> followTeamCount(Program& program) {
    const QString teams = formsOf(program).titleForm().TeamText->text();
    const auto index = numbers::toInt16(numbers::leadingNumber(teams) - 2);
    if (!index) return SetupError{line::Teams, SetupError::Kind::Overflow, {}};
    if (*index < -1 || *index > 1) return SetupError{line::Teams, SetupError::Kind::OutOfRange, {}};
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        formsOf(program).setupMenu(m).ComboTeams->setCurrentIndex(*index);
    }
    return std::nullopt;
}

}  // namespace

void applyLoaderDefaults(Program& program) {
    ProgramState& s = program.state;
    s.AlphaSound = program.programFile(QStringLiteral("ringin.wav"));
    s.BetaSound = program.programFile(QStringLiteral("ringout.wav"));
    s.GammaSound = program.programFile(QStringLiteral("ringin.wav"));
    s.TimerSound = program.programFile(QStringLiteral("inactive.wav"));
    s.GameOverSound = program.programFile(QStringLiteral("sound528.wav"));

    FormOptions& o = formsOf(program).formOptions();
    for (QCheckBox* box :
         {o.CheckScoringTabs, o.CheckTimerTabs, o.CheckBuzzonBonus, o.CheckTimerContinues,
          o.CheckDisableMatchTimer, o.CheckPlayerWaiting, o.CheckScoreBoard, o.Check20SecondTab}) {
        setCheckValue(box, 0);
    }
    formsOf(program).formextrax().Comboxmitter->setCurrentIndex(12);
}

LoadResult loadSetupFile(Program& program, const QString& path, bool setsTeamLists) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {LoadResult::Outcome::Failed, {1, SetupError::Kind::Unreadable, file.errorString()}};
    }
    const SetupFileReader reader(file);
    file.close();

    switch (reader.header()) {
    case SetupFileReader::Header::Missing:
        return {LoadResult::Outcome::Failed, reader.headerError()};
    case SetupFileReader::Header::Wrong: return {LoadResult::Outcome::WrongHeader, {}};
    case SetupFileReader::Header::Valid: break;
    }

    SetupRecord record;
    for (int n = 2; n <= kLineCount; ++n) {
        if (auto error = reader.readLine(n, record)) return {LoadResult::Outcome::Failed, *error};
        applyLine(program, n, record);
        if (n == line::Teams && setsTeamLists) {
            if (auto error = followTeamCount(program)) return {LoadResult::Outcome::Failed, *error};
        }
    }
    return {};
}

void loadStartupSetupFile(Program& program) {
    const QString path = program.startupSetupFile();
    if (!QFileInfo::exists(path)) {
        createfile(program);
        return;
    }
    const LoadResult result = loadSetupFile(program, path);
    if (result.outcome == LoadResult::Outcome::WrongHeader) {
        program.dialogs.inform(kNotASetupFile);
    } else if (result.outcome == LoadResult::Outcome::Failed) {
        program.dialogs.inform(kStartupFileFailed);
    }
}

void createfile(Program& program) {
    Dialogs& dialogs = program.dialogs;
    dialogs.message(kFirstRunWelcome, kFileNotFoundTitle, Dialogs::Icon::Warning,
                    Dialogs::Buttons::Ok);

    Dialogs::FileRequest cd1test;
    cd1test.filter = QStringLiteral("Setup Files|*.txt");
    cd1test.folder = program.paths.programFolder;
    cd1test.fileName = QStringLiteral("tvlsetup.txt");
    // Cancelling picks nothing: the defaults are written.
    const std::optional<QString> preset = dialogs.openFile(cd1test);

    if (preset && QFileInfo::exists(*preset)) {
        const LoadResult result = loadSetupFile(program, *preset);
        if (result.outcome == LoadResult::Outcome::Failed) {
            // The start-up file is not written, so the next start asks again.
            dialogs.inform(kCreateFailed);
            return;
        }
        if (result.outcome == LoadResult::Outcome::WrongHeader) dialogs.inform(kNotASetupFile);
    } else {
        dialogs.message(kPresetNotFound, kFileNotFoundTitle, Dialogs::Icon::Warning,
                        Dialogs::Buttons::Ok);
    }

    if (files::saveAtomically(program.startupSetupFile(),
                              fileBytes(writerLines(program, Writer::FirstRun)))) {
        dialogs.inform(kCreateFailed);
    }
}

}  // namespace setup
