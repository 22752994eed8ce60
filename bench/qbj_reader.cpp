// What reading a roster from a 5 MB QBJ file costs: the wall time and the
// peak memory the read adds, for a large tournament (a thousand teams of six,
// and its matches' objects making up the rest) and for a file of the same
// size made of references to one long name, each in a process of its own.
//
//     ./build/bench/bench_qbj_reader [--runs N]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "scoresheet/qbjreader.h"

namespace {

constexpr qsizetype kTarget = 5 * 1024 * 1024;

QByteArray tournament() {
    QJsonArray objects;
    QJsonArray registrations;
    for (int t = 0; t < 1000; ++t) {
        QJsonArray players;
        for (int p = 0; p < 6; ++p)
            players.append(
                QJsonObject{{"id", QStringLiteral("p%1_%2").arg(t).arg(p)},
                            {"name", QStringLiteral("Player %1 of team %2").arg(p).arg(t)}});
        registrations.append(QJsonObject{
            {"type", "Registration"},
            {"name", QStringLiteral("School %1").arg(t)},
            {"teams", QJsonArray{QJsonObject{{"id", QStringLiteral("t%1").arg(t)},
                                             {"name", QStringLiteral("School %1 A").arg(t)},
                                             {"players", players}}}}});
    }
    objects.append(QJsonObject{
        {"type", "Tournament"}, {"name", "Spring Open"}, {"registrations", registrations}});
    QByteArray json = R"({"version": "2.1.1", "objects": )" +
                      QJsonDocument(objects).toJson(QJsonDocument::Compact);
    // Matches the roster does not need, as a whole tournament's file has.
    json.chop(1);
    for (int m = 0; json.size() < kTarget; ++m) {
        QJsonArray buzzes;
        for (int b = 0; b < 20; ++b)
            buzzes.append(QJsonObject{
                {"player", QJsonObject{{"$ref", QStringLiteral("p%1_1").arg(m % 1000)}}},
                {"buzz_position", QJsonObject{{"word_index", b * 7}}},
                {"result", QJsonObject{{"value", 10}}}});
        json += "," + QJsonDocument(QJsonObject{{"type", "Match"},
                                                {"id", QStringLiteral("m%1").arg(m)},
                                                {"match_questions", buzzes}})
                          .toJson(QJsonDocument::Compact);
    }
    return json + "]}";
}

QByteArray references() {
    QByteArray json = R"({"objects": [{"type": "Team", "id": "x", "name": "Pat", "players": [)"
                      R"({"id": "p", "name": ")" +
                      QByteArray(190, 'n') + R"("}]})";
    for (int t = 0; json.size() < kTarget; ++t) {
        json += QStringLiteral(R"(, {"type": "Registration", "name": "R%1", "teams": [)")
                    .arg(t)
                    .toUtf8();
        for (int r = 0; r < 1000; ++r)
            json += QByteArray(r ? "," : "") + R"({"$ref": "x"})";
        json += "]}";
    }
    return json + "]}";
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void measure(const char* what, const QByteArray& bytes, int runs) {
    std::vector<double> ms;
    const long before = peakKb();
    std::size_t teams = 0;
    QString error;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const scoresheet::Roster roster = scoresheet::readRoster(bytes);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        teams = roster.teams.size();
        error = roster.error;
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "%-22s %5.2f MB  median %7.1f ms  max %7.1f ms  peak memory added %6.1f MB  "
        "(%zu teams%s%s)\n",
        what, bytes.size() / 1048576.0, ms[ms.size() / 2], ms.back(), (peakKb() - before) / 1024.0,
        teams, error.isEmpty() ? "" : "; ", error.left(60).toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    // Each file is made and read in a process of its own, made before the
    // read is measured, so the peak the read adds is the reader's alone.
    for (QByteArray (*make)() : {tournament, references}) {
        const pid_t child = fork();
        if (child == 0) {
            const QByteArray bytes = make();
            measure(make == tournament ? "tournament" : "references to one name", bytes, runs);
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
