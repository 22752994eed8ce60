#pragma once

#include <optional>

#include <QString>

#include "app/dialogs.h"

class Program;
class SetupMenu;

// The set-up menus' File commands. Each menu has its own file dialog state
// (SetupMenu::cd1test); these set it up before every use.
namespace setup {

// The file dialog state a set-up menu starts with.
Dialogs::FileRequest initialSetupDialog(const Program& program);

// Open: applies the chosen file to the windows, then shows the screen pair
// its team and player counts select. Returns the file whose settings were
// read, or nothing when none was (not found, failed to open).
std::optional<QString> openSetupFile(Program& program, SetupMenu& menu);

// Save: writes the current settings, as this menu has them, to the start-up
// setup file. Returns the file written, or nothing when it failed.
std::optional<QString> saveSetupFile(Program& program, SetupMenu& menu);

// Save As: the same to a file the operator names; cancelling writes nothing.
std::optional<QString> saveSetupFileAs(Program& program, SetupMenu& menu);

}  // namespace setup
