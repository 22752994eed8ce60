// What reading a packet costs: a 24 + 24 question packet from the field's
// JSON and from a Word file, from memory and from disk (aims: 50 ms and
// 200 ms). Before the timings, the memory a 50 MB Word file (the same packet
// beside 50 MB of pictures) costs to read: the peak resident size before and
// after.
#include <sys/resource.h>

#include <cstdio>

#include <benchmark/benchmark.h>

#include <QFile>

#include "packet/docxpacket.h"
#include "packet/packetjson.h"

namespace {

QString fixture(const char* name) {
    return QStringLiteral(TORVANEL_PACKET_FIXTURES "/") + QString::fromUtf8(name);
}

QByteArray contents(const char* name) {
    QFile f(fixture(name));
    if (!f.open(QIODevice::ReadOnly)) std::fprintf(stderr, "cannot read %s\n", name);
    return f.readAll();
}

void check(const packet::PacketRead& read, benchmark::State& state) {
    if (!read.packet || read.packet->tossups.size() != 24 || read.packet->bonuses.size() != 24)
        state.SkipWithError("the packet did not read as 24 + 24");
}

void BM_PacketJsonFromMemory(benchmark::State& state) {
    const QByteArray json = contents("bench24.json");
    for (auto _ : state) {
        const auto read = packet::readPacketJson(json);
        check(read, state);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_PacketJsonFromMemory)->Unit(benchmark::kMillisecond);

void BM_PacketJsonFile(benchmark::State& state) {
    for (auto _ : state)
        check(packet::readPacketFile(fixture("bench24.json")), state);
}
BENCHMARK(BM_PacketJsonFile)->Unit(benchmark::kMillisecond);

void BM_PacketDocxFromMemory(benchmark::State& state) {
    const QByteArray docx = contents("bench24.docx");
    for (auto _ : state) {
        const auto read = packet::readDocxPacket(docx);
        check(read, state);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_PacketDocxFromMemory)->Unit(benchmark::kMillisecond);

void BM_PacketDocxFile(benchmark::State& state) {
    for (auto _ : state)
        check(packet::readPacketFile(fixture("bench24.docx")), state);
}
BENCHMARK(BM_PacketDocxFile)->Unit(benchmark::kMillisecond);

void BM_PacketLargeDocxFile(benchmark::State& state) {
    for (auto _ : state)
        check(packet::readPacketFile(fixture("large.docx")), state);
}
BENCHMARK(BM_PacketLargeDocxFile)->Unit(benchmark::kMillisecond);

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const long before = peakKilobytes();
    const auto large = packet::readPacketFile(fixture("large.docx"));
    const long after = peakKilobytes();
    std::printf("50 MB Word file: %s; peak resident %ld kB before, %ld kB after (+%ld kB)\n",
                large.packet ? "read" : qPrintable(large.error), before, after, after - before);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
