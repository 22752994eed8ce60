// What a ruling costs the window thread: the key taken, the sheet changed
// and recorded, the board moved and recorded, the open scoresheet window's
// table told. Matches of 30 toss-ups under the 20-toss-up rules on a real
// play screen with the record on disk. Needs a display (offscreen will do).
//
//   bench_scoresheet_ruling [--matches M] [--look FILE.png]
//
// --look then plays a short match with a neg, a dead toss-up, a substitution
// and a correction, and saves a picture of the window as it stands.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include "bench/windowbench.h"
#include "play/playscreen.h"
#include "record/storerecorder.h"
#include "scoresheet/rules.h"
#include "scoresheet/scoresheetui.h"
#include "scoresheet/sheetwindow.h"
#include "title/forms.h"
#include "title/titleform.h"

namespace {

double threadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

struct Figures {
    std::vector<double> wall, cpu;
    void add(double w, double c) {
        wall.push_back(w);
        cpu.push_back(c);
    }
    static double at(std::vector<double> v, double q) {
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
    }
    void print(const char* what) const {
        std::printf(
            "%-34s n=%zu  wall median %.1f us, p99 %.1f us;  thread CPU median %.1f us, "
            "p99 %.1f us\n",
            what, wall.size(), at(wall, 0.5), at(wall, 0.99), at(cpu, 0.5), at(cpu, 0.99));
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int matches = windowbench::argument(app.arguments(), "--matches", "20").toInt();

    windowbench::QuietProgram q;
    Program& program = q.program;
    QTemporaryDir data;
    record::StoreRecorder store(q.clock, {data.path()});
    program.setRecorder(store);
    formsOf(program).titleForm().TeamText->setText(QStringLiteral("2"));
    formsOf(program).titleForm().PlayerText->setText(QStringLiteral("4"));
    PlayScreen& screen = formsOf(program).playScreen(ScreenPair::P2_4);
    screen.show();
    scoresheet::saveRulesChoice(program.paths.configFolder, scoresheet::twentyTossupRules());
    scoresheet::Scoresheet sheet(program);
    sheet.openWindow();
    app.processEvents();

    Figures ruling, ruleAndPaint, bonus;
    QElapsedTimer wall;
    for (int m = 0; m < matches; ++m) {
        screen.newMatch();
        for (int t = 0; t < 30; ++t) {
            const int player = 1 + (t * 3) % 8;
            program.recorder().record(record::EventKind::BuzzIn,
                                      {{"player", player}, {"team", (player - 1) / 4}});
            const bool paint = t % 2 == 1;
            wall.start();
            const double cpu = threadCpuUs();
            sheet.model().key(Qt::Key_C, 0);
            if (paint) sheet.window()->table->viewport()->repaint();
            const double w = double(wall.nsecsElapsed()) / 1e3;
            (paint ? ruleAndPaint : ruling).add(w, threadCpuUs() - cpu);

            wall.start();
            const double cpu2 = threadCpuUs();
            sheet.model().key(Qt::Key_1, 0);
            bonus.add(double(wall.nsecsElapsed()) / 1e3, threadCpuUs() - cpu2);
            screen.spacekey();
            app.processEvents();
        }
    }
    ruling.print("ruling (key to table told)");
    bonus.print("bonus part");
    ruleAndPaint.print("ruling and the table repainted");
    std::printf("boards %d : %d, sheet %d : %d\n", screen.ascore, screen.bscore,
                scoresheet::teamTotal(sheet.model().sheet(), 0),
                scoresheet::teamTotal(sheet.model().sheet(), 1));
    const QString look = windowbench::argument(app.arguments(), "--look", "");
    if (!look.isEmpty()) {
        screen.newMatch();
        scoresheet::SheetModel& model = sheet.model();
        model.chooseRules(scoresheet::timedRules());
        auto buzz = [&](int player) {
            program.recorder().record(record::EventKind::BuzzIn,
                                      {{"player", player}, {"team", (player - 1) / 4}});
        };
        // 1 to 11: a match under way.
        const char* script = "3C12 _ 6N _ 2C3 _ T 8P _ 5C123 _ 1N _ 7C2 _ 4C13 _ T 6C1 _ 2W _ 7C";
        for (const char* c = script; *c; ++c) {
            if (*c >= '1' && *c <= '8' && (c == script || c[-1] == ' '))
                buzz(*c - '0');
            else if (*c >= '1' && *c <= '9')
                model.key(Qt::Key_1 + (*c - '1'), 0);
            else if (*c == '_')
                screen.spacekey();
            else if (*c != ' ')
                model.key(*c, 0);
        }
        model.setLineup(1, {"One", "Two", "Three", "Four", "Sub Five"}, {4, 1, 2, 3});
        model.correctBuzz(5, 0, 0, 0);  // toss-up 6: no penalty after all
        sheet.window()->resize(1100, 520);
        app.processEvents();
        sheet.window()->grab().save(look);
        std::printf("window saved in %s\n", qPrintable(look));
    }
    store.flush();
    return 0;
}
