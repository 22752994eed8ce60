#pragma once

#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/controls.h"
#include "menu/setupmenu.h"
#include "options/formoptions.h"
#include "play/playscreen.h"
#include "support/programfixture.h"
#include "title/forms.h"

// One play screen in a whole test program, with its own set-up menu and the
// options window, on the simulated box at 888.
struct PlayFixture {
    explicit PlayFixture(ScreenPair pair, int model = 180)
        : t(model),
          screen((t->state.PortAddress = 888, formsOf(*t).playScreen(pair))),
          menu(formsOf(*t).setupMenu(menuOf(pair))),
          options(formsOf(*t).formOptions()) {
        t.box.clearLog();
    }

    PlayFixture(const PlayFixture&) = delete;
    PlayFixture& operator=(const PlayFixture&) = delete;

    std::vector<int> writes() const { return t.box.dataWrites(); }
    void clearWrites() { t.box.clearLog(); }

    void setSoundSource(int index) { menu.ComboSound->setCurrentIndex(index); }
    void setTimerContinues(bool on) { setCheckValue(options.CheckTimerContinues, on ? 1 : 0); }

    // Real input through the application, so the screen's key filter and
    // the widgets' own handlers all take part.
    static void press(QWidget* w, Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      button, button, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        QMouseEvent r(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &r);
    }
    static void doubleClick(QWidget* w, Qt::MouseButton button) {
        press(w, button);
        QMouseEvent d(QEvent::MouseButtonDblClick, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      button, button, Qt::NoModifier);
        QApplication::sendEvent(w, &d);
        QMouseEvent r(QEvent::MouseButtonRelease, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                      button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &r);
    }
    // A key pressed and released on the given widget (the screen itself when
    // none); true when the press was taken before the widget saw it.
    bool key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* target = nullptr) {
        QWidget* w = target ? target : static_cast<QWidget*>(&screen);
        const QString text = qtKey == Qt::Key_Space ? QStringLiteral(" ") : QString();
        QKeyEvent down(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(w, &down);
        QKeyEvent up(QEvent::KeyRelease, qtKey, mods, text);
        QApplication::sendEvent(w, &up);
        return down.isAccepted();
    }

    void tick1(int n = 1) {
        for (int i = 0; i < n; ++i)
            screen.Timer1_Timer();
    }
    void tick2(int n = 1) {
        for (int i = 0; i < n; ++i)
            screen.Timer2_Timer();
    }

    TestProgram t;
    PlayScreen& screen;
    SetupMenu& menu;
    FormOptions& options;
};

inline std::string screenLabel(const ::testing::TestParamInfo<ScreenPair>& info) {
    return screenName(info.param).toStdString();
}

inline bool isThreeTeam(ScreenPair s) { return s == ScreenPair::P3_4 || s == ScreenPair::P3_5; }
