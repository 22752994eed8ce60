#pragma once

#include "app/dialogs.h"

class Program;
class SetupMenu;

// The set-up menus' File commands. Each menu has its own file dialog state
// (SetupMenu::cd1test); these set it up before every use.
namespace setup {

// The file dialog state a set-up menu starts with.
Dialogs::FileRequest initialSetupDialog(const Program& program);

// Open: applies the chosen file to the windows, then shows the screen pair
// its team and player counts select.
void openSetupFile(Program& program, SetupMenu& menu);

// Save: writes the current settings, as this menu has them, to the start-up
// setup file.
void saveSetupFile(Program& program, SetupMenu& menu);

// Save As: the same to a file the operator names; cancelling writes nothing.
void saveSetupFileAs(Program& program, SetupMenu& menu);

}  // namespace setup
