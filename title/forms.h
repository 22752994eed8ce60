#pragma once

#include <memory>

#include "app/programwindows.h"
#include "app/screenpair.h"

class MatchScreen;
class Program;
class TitleForm;
class PlayScreen;
class SetupMenu;
class FormOptions;
class Formextrax;
class QString;
class QWidget;

// The registry of the original windows, the one place that knows every
// window. The program's start makes it after the Program and before any
// window is shown; it answers the capabilities' questions (ProgramWindows)
// and gives the windows each other.
//
// Every window exists once. It is created, and its load handler run, the
// first time anything refers to it; it then lives, shown or hidden, until it
// is unloaded or the program ends. A reference after an unload creates it
// afresh.
class Forms final : public ProgramWindows {
public:
    explicit Forms(Program& program);
    ~Forms() override;

    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    TitleForm& titleForm();
    PlayScreen& playScreen(ScreenPair screen);
    SetupMenu& setupMenu(MenuKind menu);
    FormOptions& formOptions();
    Formextrax& formextrax();

    // The questions windows beside the original ones ask of them (see
    // ProgramWindows):
    // the screen pair the title form's team and player counts select;
    ScreenPair currentScreen() override;
    // brings that screen pair up, as the team and player counts chosen for
    // it would, so that every team of a match played on it has a board;
    void bringUpScreen(ScreenPair screen) override;
    // a play screen, as such a window may use it;
    MatchScreen& matchScreen(ScreenPair screen) override;
    // a set-up menu's window;
    QWidget& setupMenuWindow(MenuKind menu) override;
    // the set-up menu in front, if one is (a parent for the operator's
    // boxes);
    QWidget* visibleMenu() override;
    // the play screen a set-up menu works with for the current team count
    // (the current screen pair when `menu` is no set-up menu);
    ScreenPair menuScreen(const QWidget* menu) override;
    // what the set-up menu of these players per team says: a team's name
    // (0 Alpha to 2 Gamma), a player's name (1 to the screen's players), the
    // sound source chosen;
    QString teamName(MenuKind menu, int team) override;
    QString playerName(MenuKind menu, int player) override;
    // puts a name in a player's box, as typing it would (a substitute the
    // scoresheet's lineups brought in);
    void setPlayerName(MenuKind menu, int player, const QString& name) override;
    int soundSource(MenuKind menu) override;
    // the player the extra transmitter stands in for, as an entry of the
    // extra transmitter's list (its last entry: not in use).
    int extraTransmitterEntry() override;

    bool isLoaded(ScreenPair screen) const override;
    bool isLoaded(MenuKind menu) const override;
    bool titleFormLoaded() const override { return static_cast<bool>(title_); }
    bool formOptionsLoaded() const { return static_cast<bool>(options_); }
    bool formextraxLoaded() const override { return static_cast<bool>(extrax_); }

    // The window is hidden, its timers stop, and it is discarded once the
    // event that unloaded it has been handled.
    void unload(ScreenPair screen);
    void unload(MenuKind menu);
    void unloadTitleForm();
    void unloadAll();

private:
    struct Discard {
        void operator()(QWidget* widget) const;
    };
    template <class W>
    using Slot = std::unique_ptr<W, Discard>;

    template <class W, class... Args>
    W& obtain(Slot<W>& slot, Args&&... args);

    static int index(ScreenPair screen) { return static_cast<int>(screen); }
    static int index(MenuKind menu) { return static_cast<int>(menu); }

    Program& program_;
    Slot<TitleForm> title_;
    Slot<PlayScreen> screens_[4];
    Slot<SetupMenu> menus_[2];
    Slot<FormOptions> options_;
    Slot<Formextrax> extrax_;
};

// The registry of a program, for the windows, which may use each other.
Forms& formsOf(const Program& program);
