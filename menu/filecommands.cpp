#include "menu/filecommands.h"

#include <QFileInfo>

#include "app/program.h"
#include "app/savefile.h"
#include "menu/loader.h"
#include "menu/setupmenu.h"
#include "menu/setupwindows.h"
#include "title/titleform.h"

namespace setup {
namespace {

const QString kNotASetupFile =
    QStringLiteral("File corrupt or not Torvanel Setup File.  Loading default settings.");
const QString kOpenFailed = QStringLiteral(
    "The selected file failed to open.  Program will continue with current configuration.");
const QString kSaveFailed = QStringLiteral("File failed to save as expected.");
const QString kNotSaved = QStringLiteral("File Not Saved!");

// Both start at the start-up file, which lives in the configuration folder
// (the shipped folder may not be writable, and a file saved there would never
// be loaded); the shipped presets are one click away.
void prepare(Dialogs::FileRequest& cd1test, const Program& program) {
    cd1test.filter = QStringLiteral("Setup Files|*.txt");
    cd1test.folder = program.paths.configFolder;
    cd1test.fileName = QStringLiteral("tvlsetup.txt");
    cd1test.sidebar = {program.paths.configFolder, program.paths.programFolder};
}

// The dialog keeps the chosen file, so its next use starts there.
void remember(Dialogs::FileRequest& cd1test, const QString& chosen) {
    cd1test.fileName = chosen;
    cd1test.folder = QFileInfo(chosen).absolutePath();
}

std::optional<QString> write(Program& program, const QString& path, Writer writer, MenuKind from) {
    const auto error = files::saveAtomically(path, fileBytes(writerLines(program, writer, from)));
    if (!error) return path;
    program.dialogs.inform(kSaveFailed + u'\n' + *error + kNotSaved);
    return std::nullopt;
}

}  // namespace

Dialogs::FileRequest initialSetupDialog(const Program& program) {
    Dialogs::FileRequest cd1test;
    cd1test.title = QStringLiteral("Open Set-up Prefences");
    cd1test.defaultSuffix = QStringLiteral("txt");
    prepare(cd1test, program);
    return cd1test;
}

std::optional<QString> openSetupFile(Program& program, SetupMenu& menu) {
    prepare(menu.cd1test, program);
    const std::optional<QString> chosen = program.dialogs.openFile(menu.cd1test);
    if (chosen) remember(menu.cd1test, *chosen);

    std::optional<QString> read;
    if (chosen && QFileInfo::exists(*chosen)) {
        const LoadResult result = loadSetupFile(program, *chosen, true);
        if (result.outcome == LoadResult::Outcome::WrongHeader) {
            program.dialogs.inform(kNotASetupFile);
        } else if (result.outcome == LoadResult::Outcome::Failed) {
            program.dialogs.inform(kOpenFailed + u'\n' + result.error.description() + u'\n');
            return std::nullopt;
        }
        // A file that was not a setup file left the defaults, not its own.
        if (result.outcome != LoadResult::Outcome::WrongHeader) read = *chosen;
    } else {
        program.dialogs.message(
            QStringLiteral("The set-up file TVLSETUP.TXT was not found.  Loading default system "
                           "settings"),
            QStringLiteral("File not found"), Dialogs::Icon::Warning, Dialogs::Buttons::Ok);
    }
    showScreenPair(program);
    return read;
}

std::optional<QString> saveSetupFile(Program& program, SetupMenu& menu) {
    return write(program, program.startupSetupFile(), Writer::Save, menu.kind());
}

std::optional<QString> saveSetupFileAs(Program& program, SetupMenu& menu) {
    prepare(menu.cd1test, program);
    menu.cd1test.confirmOverwrite = true;
    const std::optional<QString> chosen = program.dialogs.saveFile(menu.cd1test);
    if (!chosen) return std::nullopt;
    QString path = *chosen;
    // A name typed without an extension gets the dialog's default one.
    if (QFileInfo(path).suffix().isEmpty()) path += u'.' + menu.cd1test.defaultSuffix;
    remember(menu.cd1test, path);
    return write(program, path, Writer::SaveAs, menu.kind());
}

}  // namespace setup
