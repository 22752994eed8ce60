// A four-hour match of 20,000 events in the record: how long the record
// window takes to show it (read, list, chart and table, first paint) and
// how long the CSV and the PDF report take to write. Also what record()
// costs the window that calls it, and the window opened while that match
// is still on (shown from memory, on the window's thread). Then a record of
// many matches (2,000 of 500 events: a million events): how long the window
// takes to come up and how long until the list of them is in (it is read on
// the window's reading thread), and how late a poll ticking every 10 ms on
// the window's thread (as the play screen's does) runs across the whole
// open. Needs a display (offscreen will do).
//
//   bench_record_window [--events N] [--runs R] [--out FOLDER]
//                       [--matches M] [--per-match E] [--keep FOLDER] [--record FOLDER]
//
// --out keeps the last run's match.csv and match.pdf in FOLDER. --keep
// keeps the record of many matches in FOLDER; --record opens a copy of
// the one in FOLDER (an older program's, say) instead of making one.
// --matches 0 leaves that part out.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

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
void playMatch(record::StoreRecorder& store, ManualClock& clock, int events, unsigned seed = 7) {
    using record::EventKind;
    std::mt19937 rng(seed);
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

// Every `ms` on the calling thread, as the play screen's poll: how late
// the tick came at worst, while it runs, and the most CPU time the thread
// spent between two ticks (what made it late, whatever the machine's load
// added).
class Poll {
public:
    explicit Poll(int ms) : ms_(ms) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(ms);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const double now = double(since_.nsecsElapsed()) / 1e6;
            worst_ = std::max(worst_, now - last_ - ms_);
            last_ = now;
            const double cpu = Stopwatch::cpu();
            busiest_ = std::max(busiest_, cpu - lastCpu_);
            lastCpu_ = cpu;
        });
    }
    void start() {
        since_.start();
        last_ = 0;
        worst_ = 0;
        lastCpu_ = Stopwatch::cpu();
        busiest_ = 0;
        timer_.start();
    }
    double stop() {
        timer_.stop();
        return worst_;
    }
    double busiest() const { return busiest_; }

private:
    int ms_;
    QTimer timer_;
    QElapsedTimer since_;
    double last_ = 0;
    double worst_ = 0;
    double lastCpu_ = 0;
    double busiest_ = 0;
};

// Runs the window thread's events for `ms`, asleep between them (a loop
// that spins would take a core from the window's reading thread).
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the window thread's events, asleep between them, while `busy` says
// so (ten seconds at most): the poll's ticks and the reading thread's
// answer wake it.
template <typename Busy>
void runWhile(Busy busy) {
    QElapsedTimer t;
    t.start();
    while (busy() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The record of many matches: the window opened on it, with the poll
// ticking; how long the list takes to come up, and the worst poll delay.
int manyMatches(Program& program, ManualClock& clock, int matches, int perMatch, int runs,
                const QString& keep, const QString& from) {
    QTemporaryDir dir;
    const QString folder = keep.isEmpty() ? dir.path() : keep;
    if (!from.isEmpty()) {
        QDir().mkpath(folder);
        QFile::remove(record::recordFile(folder));
        if (!QFile::copy(record::recordFile(from), record::recordFile(folder))) {
            std::fprintf(stderr, "no record in %s\n", qPrintable(from));
            return 1;
        }
    } else {
        QElapsedTimer made;
        made.start();
        record::StoreRecorder store(clock, {folder});
        for (int m = 0; m < matches; ++m) {
            playMatch(store, clock, perMatch, unsigned(m + 1));
            store.record(record::EventKind::MatchEnded, {{"how", "end-match"}});
        }
        store.flush();
        std::printf("many matches: %d of %d events written in %.1f s\n", matches, perMatch,
                    double(made.elapsed()) / 1e3);
    }
    QElapsedTimer opened;
    opened.start();
    std::vector<double> up, upCpu, in, inCpu, poll, detail, detailCpu, detailPoll, readList, made;
    std::vector<double> refresh, refreshCpu, refreshPoll, busy, refreshBusy, detailBusy;
    double idlePoll = 0;
    {
        record::StoreRecorder store(clock, {folder});
        std::printf("many matches: the record opened (and brought up to date) in %.1f ms\n",
                    double(opened.nsecsElapsed()) / 1e6);
        Poll ticks(10);
        // What the machine's load alone makes of the poll: the thread idle.
        ticks.start();
        runFor(300);
        idlePoll = ticks.stop();
        for (int r = 0; r < runs; ++r) {
            Stopwatch part;
            part.restart();
            record::RecordStore reader;
            reader.open(record::recordFile(folder));
            const std::size_t listed = reader.matches().size();
            readList.push_back(part.cpuMs());
            if (listed == 0) return 1;
        }
        // Until the list's rows are in.
        auto waitForList = [](record::RecordWindow& window) {
            runWhile([&window] { return window.listing(); });
            window.repaint();
        };
        for (int r = 0; r < runs; ++r) {
            // The whole open, from the window made to its list painted, with
            // the poll ticking.
            ticks.start();
            runFor(30);
            Stopwatch t;
            t.restart();
            auto* window = new record::RecordWindow(program, &store);
            made.push_back(t.cpuMs());
            window->show();
            QCoreApplication::processEvents();
            window->repaint();
            up.push_back(t.wallMs());
            upCpu.push_back(t.cpuMs());
            waitForList(*window);
            in.push_back(t.wallMs());
            inCpu.push_back(t.cpuMs());
            runFor(30);
            poll.push_back(ticks.stop());
            busy.push_back(ticks.busiest());
            const int listed = window->matchList->model()->rowCount();
            if (window->listing() || (listed != matches && from.isEmpty())) {
                std::fprintf(stderr, "the list shows %d matches, not %d\n", listed, matches);
                return 1;
            }
            // The list read again, as when a match starts.
            ticks.start();
            runFor(30);
            t.restart();
            window->refreshMatches();
            waitForList(*window);
            refresh.push_back(t.wallMs());
            refreshCpu.push_back(t.cpuMs());
            runFor(30);
            refreshPoll.push_back(ticks.stop());
            refreshBusy.push_back(ticks.busiest());
            // One past match opened from the list, the poll ticking.
            ticks.start();
            runFor(30);
            t.restart();
            window->matchList->setCurrentIndex(window->matchList->model()->index(listed / 2, 0));
            window->openSelected();
            runWhile([window] { return window->reading(); });
            window->repaint();
            detail.push_back(t.wallMs());
            detailCpu.push_back(t.cpuMs());
            runFor(30);
            detailPoll.push_back(ticks.stop());
            detailBusy.push_back(ticks.busiest());
            delete window;
        }
    }
    auto worst = [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); };
    std::printf("many matches (%d listed), median of %d runs, wall (CPU of the window thread):\n",
                matches, runs);
    std::printf("  window up %.1f ms (%.1f; worst %.1f), list in %.1f ms (%.1f; worst %.1f)\n",
                median(up), median(upCpu), worst(up), median(in), median(inCpu), worst(in));
    std::printf(
        "  poll late by %.1f ms at worst across the whole open (the thread's longest step:"
        " %.1f ms CPU between two ticks)\n",
        worst(poll), worst(busy));
    std::printf(
        "  of the open, CPU: reading the list from the file %.1f ms (on the reading thread),"
        " the window made %.1f ms\n",
        median(readList), median(made));
    std::printf("  poll late by %.1f ms at worst with the thread idle (the machine's load)\n",
                idlePoll);
    std::printf(
        "  the list read again %.1f ms (%.1f), poll late by %.1f ms at worst (longest step %.1f"
        " ms CPU)\n",
        median(refresh), median(refreshCpu), worst(refreshPoll), worst(refreshBusy));
    std::printf(
        "  one past match opened %.1f ms (%.1f), poll late by %.1f ms at worst (longest step"
        " %.1f ms CPU)\n",
        median(detail), median(detailCpu), worst(detailPoll), worst(detailBusy));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int events = 20000, runs = 5, matches = 2000, perMatch = 500;
    QString out, keep, from;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        if (option == "--events") events = std::atoi(argv[i + 1]);
        if (option == "--runs") runs = std::atoi(argv[i + 1]);
        if (option == "--out") out = QString::fromLocal8Bit(argv[i + 1]);
        if (option == "--matches") matches = std::atoi(argv[i + 1]);
        if (option == "--per-match") perMatch = std::atoi(argv[i + 1]);
        if (option == "--keep") keep = QString::fromLocal8Bit(argv[i + 1]);
        if (option == "--record") from = QString::fromLocal8Bit(argv[i + 1]);
    }

    QTemporaryDir dir;
    ManualClock clock;
    SimulatedInterface box(180, clock, 888);
    windowbench::Silence sound;
    NoDialogs dialogs;
    SeededRandom random(1);
    QTemporaryDir programDir, configDir;
    Program program(box, clock, sound, dialogs, random, {programDir.path(), configDir.path()});
    Forms forms(program);

    std::vector<double> recordCost, current, currentCpu, currentPoll, currentBusy, currentStats;
    {
        record::StoreRecorder store(clock, {dir.path()});
        QElapsedTimer t;
        t.start();
        playMatch(store, clock, events);
        recordCost.push_back(double(t.nsecsElapsed()) / 1e3 / events);
        // The window opened during the match: the current match is shown
        // from memory, all of it on the window's thread.
        Poll ticks(10);
        for (int r = 0; r < runs; ++r) {
            ticks.start();
            runFor(30);
            Stopwatch w;
            w.restart();
            auto* window = new record::RecordWindow(program, &store);
            window->show();
            QCoreApplication::processEvents();
            window->repaint();
            current.push_back(w.wallMs());
            currentCpu.push_back(w.cpuMs());
            w.restart();
            window->updateStats();
            currentStats.push_back(w.cpuMs());
            runFor(30);
            currentPoll.push_back(ticks.stop());
            currentBusy.push_back(ticks.busiest());
            delete window;
        }
        store.record(record::EventKind::ProgramEnded, {{"how", "exit"}});
        events = int(store.currentEvents().size());
    }
    std::printf("record(): %.2f us per event on the calling thread (%d events)\n", recordCost[0],
                events);
    std::printf(
        "the window opened on a current match of %d events, median of %d runs: %.1f ms (CPU"
        " %.1f), poll late by %.1f ms at worst (longest step %.1f ms CPU); its chart, table"
        " and line brought up to date (every quarter second while events come) %.1f ms CPU\n",
        events - 1, runs, median(current), median(currentCpu),
        *std::max_element(currentPoll.begin(), currentPoll.end()),
        *std::max_element(currentBusy.begin(), currentBusy.end()), median(currentStats));

    record::StoreRecorder store(clock, {dir.path()});

    std::vector<double> open, csv, pdf, openCpu, csvCpu, pdfCpu;
    for (int r = 0; r < runs; ++r) {
        Stopwatch t;
        t.restart();
        auto* window = new record::RecordWindow(program, &store);
        window->show();
        window->showMatch(1);
        while (window->reading())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
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
    if (matches <= 0) return 0;
    return manyMatches(program, clock, matches, perMatch, runs, keep, from);
}
