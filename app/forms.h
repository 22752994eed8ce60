#pragma once

#include <memory>

#include "app/screenpair.h"

class Program;
class TitleForm;
class PlayScreen;
class SetupMenu;
class FormOptions;
class Formextrax;
class QWidget;

// Every window exists once. It is created, and its load handler run, the
// first time anything refers to it; it then lives, shown or hidden, until it
// is unloaded or the program ends. A reference after an unload creates it
// afresh.
class Forms {
public:
    explicit Forms(Program& program);
    ~Forms();

    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    TitleForm& titleForm();
    PlayScreen& playScreen(ScreenPair screen);
    SetupMenu& setupMenu(MenuKind menu);
    FormOptions& formOptions();
    Formextrax& formextrax();

    bool isLoaded(ScreenPair screen) const;
    bool isLoaded(MenuKind menu) const;
    bool titleFormLoaded() const { return static_cast<bool>(title_); }
    bool formOptionsLoaded() const { return static_cast<bool>(options_); }
    bool formextraxLoaded() const { return static_cast<bool>(extrax_); }

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
