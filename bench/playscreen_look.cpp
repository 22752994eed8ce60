// Puts one play screen up as the audience would see it in the middle of a
// match, for looking at and for screenshots:
//
//   bench_playscreen_look SCREEN [buzz|idle] [--tabs] [--windowed]
//
// SCREEN is 2_4, 2_5, 3_4 or 3_5. "buzz" shows a long name after a buzz-in
// (lit lamp, highlighted board, scores 120 and -35, both clocks running).
// --tabs shows the timer and scoring tabs. The screen opens full screen on
// the audience display unless --windowed is given.
#include <cstdio>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include "app/clock.h"
#include "app/controls.h"
#include "app/program.h"
#include "app/soundoutput.h"
#include "bench/windowbench.h"
#include "menu/setupmenu.h"
#include "play/audiencescreen.h"
#include "play/playscreen.h"
#include "sim/simulatedinterface.h"
#include "title/forms.h"

namespace {

bool parseScreen(const QString& text, ScreenPair* out) {
    const struct {
        const char* name;
        ScreenPair screen;
    } screens[] = {{"2_4", ScreenPair::P2_4},
                   {"2_5", ScreenPair::P2_5},
                   {"3_4", ScreenPair::P3_4},
                   {"3_5", ScreenPair::P3_5}};
    for (const auto& s : screens) {
        if (text == QLatin1String(s.name)) {
            *out = s.screen;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QApplication::arguments();
    ScreenPair pair = ScreenPair::P2_4;
    if (args.size() < 2 || !parseScreen(args[1], &pair)) {
        std::fprintf(stderr, "usage: %s 2_4|2_5|3_4|3_5 [buzz|idle] [--tabs] [--windowed]\n",
                     argv[0]);
        return 2;
    }
    const bool buzz = args.contains(QStringLiteral("buzz"));
    const bool tabs = args.contains(QStringLiteral("--tabs"));
    const bool windowed = args.contains(QStringLiteral("--windowed"));

    windowbench::QuietProgram quiet;
    Program& program = quiet.program;

    for (QScreen* screen : QGuiApplication::screens()) {
        std::fprintf(stderr, "display %s %dx%d at %d,%d%s%s\n", qPrintable(screen->name()),
                     screen->geometry().width(), screen->geometry().height(),
                     screen->geometry().x(), screen->geometry().y(),
                     screen == QGuiApplication::primaryScreen() ? " (primary)" : "",
                     screen == audienceScreen() ? " (audience)" : "");
    }

    PlayScreen& s = formsOf(program).playScreen(pair);
    if (windowed) {
        s.show();
    } else {
        s.showScreen();
    }
    s.activateWindow();
    s.Form_Activate();

    if (tabs) {
        for (QWidget* w : {s.CommandT, s.CommandB, s.CommandA, s.Command20, s.a10, s.a5, s.b10,
                           s.b5, s.g10, s.g5}) {
            if (w) w->show();
        }
    }
    if (buzz) {
        SetupMenu& menu = formsOf(program).setupMenu(menuOf(pair));
        menu.Texttimer[6]->setText(QStringLiteral("12:34"));
        s.Form_Activate();
        s.ascorelabel->setText(QStringLiteral("120"));
        s.bscorelabel->setText(QStringLiteral("-35"));
        if (s.gscorelabel) s.gscorelabel->setText(QStringLiteral("1045"));
        s.Form_Activate();
        s.clockStart();
        s.tossUpStart();
        s.namelabel->setText(QStringLiteral("Bartholomew"));
        s.Labelteam->setText(QStringLiteral("Alpha"));
        s.Labeltimerstate->setText(QStringLiteral("Toss Up"));
        setBackColour(s.ascorelabel, colourFromBgr(playcolour::kScoreHighlight));
        setBackColour(s.p1label[0], colourFromBgr(playcolour::kLampLit));
        s.Timer1->stop();
    }
    return app.exec();
}
