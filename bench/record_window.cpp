// A four-hour match of 20,000 events in the record: how long the record
// window takes to show it (read, list, chart and table, first paint) and
// how long the CSV and the PDF report take to write. Also what record()
// costs the window that calls it. Needs a display (offscreen will do).
//
//   bench_record_window [--events N] [--runs R] [--out FOLDER]
//
// --out keeps the last run's match.csv and match.pdf in FOLDER.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>

#include "app/clock.h"
#include "app/program.h"
#include "app/random.h"
#include "bench/windowbench.h"
#include "record/matchstats.h"
#include "record/recordstore.h"
#include "record/recordwindow.h"
#include "record/storerecorder.h"
#include "sim/simulatedinterface.h"
#include "title/forms.h"

namespace {

class NoDialogs final : public Dialogs {
public:
    Answer message(const QString&, const QString&, Icon, Buttons) override { return Answer::Ok; }
    int choose(const QString&, const QString&, Icon, const QStringList&, int escapeIndex) override {
        return escapeIndex;
    }
    std::optional<QString> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileRequest&) override { return std::nullopt; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
};

// Wall time, and the CPU time of the calling thread: on a busy machine the
// second says what the work itself costs.
struct Stopwatch {
    QElapsedTimer wall;
    double cpuStart = 0;
    static double cpu() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    void restart() {
        wall.start();
        cpuStart = cpu();
    }
    double wallMs() const { return double(wall.nsecsElapsed()) / 1e6; }
    double cpuMs() const { return cpu() - cpuStart; }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One question after another: clear, toss-up, a buzz-in (now and then a
// tie), a decision line, points, the timer stopped.
void playMatch(record::StoreRecorder& store, ManualClock& clock, int events) {
    using record::EventKind;
    std::mt19937 rng(7);
    QJsonArray players;
    for (const char* team : {"Alpha", "Beta", "Gamma"}) {
        QJsonArray names;
        for (int i = 1; i <= 5; ++i)
            names.append(QStringLiteral("%1 player %2").arg(QLatin1String(team)).arg(i));
        players.append(names);
    }
    store.record(EventKind::MatchStarted, {{"screen", "3_5"},
                                           {"teams", QJsonArray{"Alpha", "Beta", "Gamma"}},
                                           {"players", players},
                                           {"scores", QJsonArray{0, 0, 0}},
                                           {"clock", 14400}});
    store.record(EventKind::ClockStarted, {{"left", 14400}});
    const double step = 14400.0 / events;
    int scores[3] = {0, 0, 0};
    for (int n = 2; n < events;) {
        auto next = [&](EventKind kind, const QJsonObject& data) {
            clock.advance(step);
            store.record(kind, data);
            ++n;
        };
        const int player = int(rng() % 15) + 1;
        const int team = (player - 1) / 5;
        next(EventKind::Cleared, {{"how", "space"}, {"cleared", ""}});
        next(EventKind::TimerStarted, {{"kind", "toss-up"}, {"seconds", 5}});
        if (rng() % 5 == 0)
            next(EventKind::Tie,
                 {{"pressed", QJsonArray{player, (player % 15) + 1}}, {"drawn", player}});
        next(EventKind::BuzzIn, {{"model", 210},
                                 {"screen", "3_5"},
                                 {"bytes", QJsonArray{int(rng() % 256), int(rng() % 256)}},
                                 {"player", player},
                                 {"name", QStringLiteral("Player %1").arg(player)},
                                 {"team", team}});
        next(EventKind::Decision, {{"text", QStringLiteral("First: player %1").arg(player)}});
        const int after = scores[team] + 10;
        next(EventKind::ScoreChanged,
             {{"team", team}, {"before", scores[team]}, {"after", after}, {"how", "F1"}});
        scores[team] = after;
        next(EventKind::TimerStopped, {{"kind", "toss-up"}, {"left", 3}});
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int events = 20000, runs = 5;
    QString out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--events") events = std::atoi(argv[i + 1]);
        if (option == "--runs") runs = std::atoi(argv[i + 1]);
        if (option == "--out") out = QString::fromLocal8Bit(argv[i + 1]);
    }

    QTemporaryDir dir;
    ManualClock clock;
    std::vector<double> recordCost;
    {
        record::StoreRecorder store(clock, {dir.path()});
        QElapsedTimer t;
        t.start();
        playMatch(store, clock, events);
        recordCost.push_back(double(t.nsecsElapsed()) / 1e3 / events);
        store.record(record::EventKind::ProgramEnded, {{"how", "exit"}});
        events = int(store.currentEvents().size());
    }
    std::printf("record(): %.2f us per event on the calling thread (%d events)\n", recordCost[0],
                events);

    SimulatedInterface box(180, clock, 888);
    windowbench::Silence sound;
    NoDialogs dialogs;
    SeededRandom random(1);
    QTemporaryDir programDir, configDir;
    Program program(box, clock, sound, dialogs, random, {programDir.path(), configDir.path()});
    Forms forms(program);
    record::StoreRecorder store(clock, {dir.path()});

    std::vector<double> open, csv, pdf, openCpu, csvCpu, pdfCpu;
    for (int r = 0; r < runs; ++r) {
        Stopwatch t;
        t.restart();
        auto* window = new record::RecordWindow(program, &store);
        window->show();
        window->showMatch(1);
        QCoreApplication::processEvents();
        window->repaint();
        open.push_back(t.wallMs());
        openCpu.push_back(t.cpuMs());
        if (window->events().size() != std::size_t(events)) {
            std::fprintf(stderr, "the window shows %zu events, not %d\n", window->events().size(),
                         events);
            return 1;
        }
        t.restart();
        window->exportCsv(QDir(out.isEmpty() ? dir.path() : out).filePath("match.csv"));
        csv.push_back(t.wallMs());
        csvCpu.push_back(t.cpuMs());
        t.restart();
        window->exportPdf(QDir(out.isEmpty() ? dir.path() : out).filePath("match.pdf"));
        pdf.push_back(t.wallMs());
        pdfCpu.push_back(t.cpuMs());
        delete window;
    }
    // The parts of opening, each on its own.
    std::vector<double> read, statsTime;
    for (int r = 0; r < runs; ++r) {
        Stopwatch t;
        t.restart();
        record::RecordStore reader;
        reader.open(record::recordFile(dir.path()));
        const std::vector<record::RecordedEvent> all = reader.events(1);
        read.push_back(t.cpuMs());
        t.restart();
        const record::MatchStats stats = record::computeStats(all);
        statsTime.push_back(t.cpuMs());
    }
    std::printf("%d events, median of %d runs, wall (CPU of the window thread):\n", events, runs);
    std::printf("  open %.1f ms (%.1f), CSV %.1f ms (%.1f), PDF %.1f ms (%.1f)\n", median(open),
                median(openCpu), median(csv), median(csvCpu), median(pdf), median(pdfCpu));
    std::printf("  of the open, CPU: reading the file %.1f ms, chart and player table %.1f ms\n",
                median(read), median(statsTime));
    std::printf("worst, wall: open %.1f ms, CSV %.1f ms, PDF %.1f ms\n",
                *std::max_element(open.begin(), open.end()),
                *std::max_element(csv.begin(), csv.end()),
                *std::max_element(pdf.begin(), pdf.end()));
    return 0;
}
