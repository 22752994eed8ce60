#include "title/forms.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "app/program.h"
#include "menu/setupmenu.h"
#include "options/formextrax.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "title/titleform.h"

void Forms::Discard::operator()(QWidget* widget) const {
    // The window may be unloaded from one of its own handlers, so it is only
    // put out of action here and deleted when control is back in the event
    // loop.
    widget->hide();
    for (QTimer* timer : widget->findChildren<QTimer*>())
        timer->stop();
    widget->deleteLater();
}

Forms::Forms(Program& program) : program_(program) { program_.setWindows(this); }

Forms::~Forms() {
    unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    program_.setWindows(nullptr);
}

template <class W, class... Args>
W& Forms::obtain(Slot<W>& slot, Args&&... args) {
    if (!slot) {
        // Registered before its load handler runs, so that a handler referring
        // back to its own window finds it instead of creating a second one.
        slot.reset(new W(program_, std::forward<Args>(args)...));
        slot->load();
    }
    return *slot;
}

TitleForm& Forms::titleForm() { return obtain(title_); }

PlayScreen& Forms::playScreen(ScreenPair screen) { return obtain(screens_[index(screen)], screen); }

SetupMenu& Forms::setupMenu(MenuKind menu) { return obtain(menus_[index(menu)], menu); }

FormOptions& Forms::formOptions() { return obtain(options_); }

Formextrax& Forms::formextrax() { return obtain(extrax_); }

ScreenPair Forms::currentScreen() {
    const TitleForm& title = titleForm();
    return screenFor(title.TeamText->text().toInt(), title.PlayerText->text().toInt());
}

void Forms::bringUpScreen(ScreenPair screen) {
    TitleForm& title = titleForm();
    title.TeamText->setText(QString::number(teamsOf(screen)));
    title.PlayerText->setText(QString::number(playersPerTeamOf(screen)));
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        SetupMenu& menu = setupMenu(m);
        menu.ComboTeams->setCurrentIndex(teamsOf(screen) == 3 ? 1 : 0);
        if (menu.isVisible() && m != menuOf(screen)) menu.hide();
    }
    showScreenPair(program_);
}

MatchScreen& Forms::matchScreen(ScreenPair screen) { return playScreen(screen); }

ScreenPair Forms::menuScreen(const QWidget* menu) {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        if (isLoaded(m) && &setupMenu(m) == menu) return setupMenu(m).currentScreen();
    }
    return currentScreen();
}

QString Forms::teamName(MenuKind menu, int team) {
    return setupMenu(menu).teamNameBox(team)->text();
}

QString Forms::playerName(MenuKind menu, int player) {
    return setupMenu(menu).playerNameBox(player)->text();
}

void Forms::setPlayerName(MenuKind menu, int player, const QString& name) {
    setupMenu(menu).playerNameBox(player)->setText(name);
}

int Forms::soundSource(MenuKind menu) { return setupMenu(menu).ComboSound->currentIndex(); }

int Forms::extraTransmitterEntry() { return formextrax().Comboxmitter->currentIndex(); }

QWidget& Forms::setupMenuWindow(MenuKind menu) { return setupMenu(menu); }

QWidget* Forms::visibleMenu() {
    for (MenuKind m : {MenuKind::Players4, MenuKind::Players5}) {
        if (isLoaded(m) && setupMenu(m).isVisible()) return &setupMenu(m);
    }
    return nullptr;
}

bool Forms::isLoaded(ScreenPair screen) const { return static_cast<bool>(screens_[index(screen)]); }

bool Forms::isLoaded(MenuKind menu) const { return static_cast<bool>(menus_[index(menu)]); }

void Forms::unload(ScreenPair screen) { screens_[index(screen)].reset(); }

void Forms::unload(MenuKind menu) { menus_[index(menu)].reset(); }

void Forms::unloadTitleForm() { title_.reset(); }

void Forms::unloadAll() {
    for (auto& s : screens_)
        s.reset();
    for (auto& m : menus_)
        m.reset();
    options_.reset();
    extrax_.reset();
    title_.reset();
}

Forms& formsOf(const Program& program) {
    // The only registry a program has is this one.
    return static_cast<Forms&>(program.windows());
}
