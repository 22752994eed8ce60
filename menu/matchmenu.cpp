// The set-up menu's "&Match" menu: taking back score changes and starting a
// new match. It comes after the menus the window always had, which stay as
// they are.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

#include "app/program.h"
#include "menu/setupmenu.h"
#include "play/playscreen.h"
#include "title/forms.h"

namespace {

// A name box has the focus nearly all the time the menu is up. While it has
// typing of its own to take back or make again, Ctrl+Z and Ctrl+Shift+Z are
// the box's; otherwise they are kept from it so that the menu's items take
// back the scores.
class MatchKeys final : public QObject {
public:
    explicit MatchKeys(SetupMenu& menu) : QObject(&menu), menu_(menu) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &menu_) return false;
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        if (pressed != menu_.mnuUndoScore->shortcut() && pressed != menu_.mnuRedoScore->shortcut())
            return false;
        auto* box = qobject_cast<QLineEdit*>(widget);
        if (box && !box->isReadOnly() && (box->isUndoAvailable() || box->isRedoAvailable()))
            return false;
        // Left unaccepted, the key goes on to the window's shortcuts.
        return true;
    }

private:
    SetupMenu& menu_;
};

}  // namespace

void SetupMenu::buildMatchMenu() {
    mnuMatch = menuBar()->addMenu(QStringLiteral("&Match"));
    mnuMatch->setObjectName(QStringLiteral("mnuMatch"));
    mnuUndoScore = mnuMatch->addAction(QStringLiteral("Undo Score Change"));
    mnuUndoScore->setObjectName(QStringLiteral("mnuUndoScore"));
    mnuUndoScore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedoScore = mnuMatch->addAction(QStringLiteral("Redo Score Change"));
    mnuRedoScore->setObjectName(QStringLiteral("mnuRedoScore"));
    mnuRedoScore->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnuMatch->addSeparator();
    mnuNewMatch = mnuMatch->addAction(QStringLiteral("New Match"));
    mnuNewMatch->setObjectName(QStringLiteral("mnuNewMatch"));

    updateMatchItems();
    connect(mnuMatch, &QMenu::aboutToShow, this, [this] { updateMatchItems(); });
    connect(mnuUndoScore, &QAction::triggered, this, [this] { mnuUndoScore_Click(); });
    connect(mnuRedoScore, &QAction::triggered, this, [this] { mnuRedoScore_Click(); });
    connect(mnuNewMatch, &QAction::triggered, this, [this] { mnuNewMatch_Click(); });
    qApp->installEventFilter(new MatchKeys(*this));
}

void SetupMenu::mnuUndoScore_Click() { formsOf(program_).playScreen(currentScreen()).undoScore(); }

void SetupMenu::mnuRedoScore_Click() { formsOf(program_).playScreen(currentScreen()).redoScore(); }

void SetupMenu::updateMatchItems() {
    const ScreenPair pair = currentScreen();
    const PlayScreen* screen =
        formsOf(program_).isLoaded(pair) ? &formsOf(program_).playScreen(pair) : nullptr;
    const QString undo = screen ? screen->undoScoreText() : QString();
    const QString redo = screen ? screen->redoScoreText() : QString();
    mnuUndoScore->setEnabled(!undo.isEmpty());
    mnuUndoScore->setText(undo.isEmpty() ? QStringLiteral("Undo Score Change")
                                         : QStringLiteral("Undo ") + undo);
    mnuRedoScore->setEnabled(!redo.isEmpty());
    mnuRedoScore->setText(redo.isEmpty() ? QStringLiteral("Redo Score Change")
                                         : QStringLiteral("Redo ") + redo);
}

void SetupMenu::mnuNewMatch_Click() {
    PlayScreen& screen = formsOf(program_).playScreen(currentScreen());
    // Points on the boards are not thrown away unasked.
    if (!screen.scoresAllZero() &&
        program_.dialogs.message(QStringLiteral("Start a new match?  Every score goes back to 0 "
                                                "and the match clock to the match time."),
                                 QStringLiteral("New Match"), Dialogs::Icon::Question,
                                 Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
        return;
    }
    screen.newMatch();
}
