// The set-up menu's "&Match" menu. It comes after the menus the window always
// had, which stay as they are.
#include <QMenuBar>

#include "app/program.h"
#include "menu/setupmenu.h"

void SetupMenu::buildMatchMenu() {
    mnuMatch = menuBar()->addMenu(QStringLiteral("&Match"));
    mnuMatch->setObjectName(QStringLiteral("mnuMatch"));
    mnuAssignButtons = mnuMatch->addAction(QStringLiteral("Assign &Buttons..."));
    mnuAssignButtons->setObjectName(QStringLiteral("mnuAssignButtons"));
    // Only buttons on input devices are assigned here; a lockout box's
    // transmitters come with their numbers.
    mnuAssignButtons->setStatusTip(
        QStringLiteral("USB buttons, game controllers or keyboards as buzzers "
                       "(torvanel --interface input)"));
    auto follow = [this] { mnuAssignButtons->setEnabled(program_.canAssignButtons()); };
    follow();
    connect(mnuMatch, &QMenu::aboutToShow, this, follow);
    connect(mnuAssignButtons, &QAction::triggered, this, [this] { mnuAssignButtons_Click(); });
}

void SetupMenu::mnuAssignButtons_Click() { program_.assignButtons(); }
