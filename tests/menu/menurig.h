#pragma once

// A program started the way the operator starts it (first run, no preset
// chosen), with helpers for what the operator does in a set-up menu.

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "setup/setuptestfiles.h"
#include "support/programfixture.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace menutest {

struct StartedProgram {
    explicit StartedProgram(int model = 170, const char* teams = "2", const char* players = "4")
        : t(model) {
        TitleForm& title = formsOf(*t).titleForm();
        title.TeamText->setText(QString::fromLatin1(teams));
        title.PlayerText->setText(QString::fromLatin1(players));
        started = t.startUp();
        // What start-up asked and played is not the test's business.
        t.dialogs.messages.clear();
        t.dialogs.openRequests.clear();
        t.dialogs.saveRequests.clear();
        t.dialogs.colourRequests = 0;
        t.sound.played.clear();
        t.sound.stops = 0;
    }

    SetupMenu& menu(MenuKind m) { return formsOf(*t).setupMenu(m); }
    SetupMenu& menu4() { return menu(MenuKind::Players4); }
    SetupMenu& menu5() { return menu(MenuKind::Players5); }
    PlayScreen& screen(ScreenPair s) { return formsOf(*t).playScreen(s); }
    FormOptions& options() { return formsOf(*t).formOptions(); }
    TitleForm& title() { return formsOf(*t).titleForm(); }
    QStringList shown() { return setuptest::visibleWindows(*t); }

    TestProgram t;
    bool started = false;
};

// The operator moves through a list with the arrow keys, as on a closed
// drop-down list: each step is a choice, as a click in the open list is.
inline void operatorPicks(QComboBox* list, int entry) {
    while (list->isEnabled() && list->currentIndex() != entry) {
        const int before = list->currentIndex();
        const int key = before < entry ? Qt::Key_Down : Qt::Key_Up;
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(list, &up);
        if (list->currentIndex() == before) break;
    }
}

}  // namespace menutest
