// The PLU work at the sizes a dealer meets:
//
//   plu_bench [--benchmark_filter=...]
//
// BM_ImportSort/100000   SortPLU over 100,000 records (duplicates, refused
//     records, separators in descriptions), and GNU sort over the same lines
//     in the same run. Counters: import_ms, gnu_sort_ms, ratio (import /
//     sort, goal below 3) and peak_mb (the largest resident size of a child
//     process that runs only the import; goal below 64).
// BM_BulkPLU/10000       the bulk PLU send to a register paced at 38400
//     baud. Counters: send_s (from the first raw frame to the end mark, on
//     the register's clock), wire_s (the bytes of both directions in that
//     time at 38400 baud plus the 10 ms pause after each acknowledgement the
//     link rules prescribe), ratio (send / wire, goal at most 1.05).
// BM_RecordLatency/250/ui   250 departments sent record by record to a
//     register that asks for the next one at once. Counters: adds_ms (mean
//     time from the register's ACK of one record to the next record frame,
//     less the 10 ms pause after the ACK), max_adds_ms; ui 1: with the
//     program's windows (offscreen), ui 0: without.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "bench_line.h"
#include "core/cassa_conf.h"
#include "core/table_sizes.h"
#include "engine/builders_tables.h"
#include "engine/cycle.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/qt_shell.h"
#include "transfers/bulk_transfer.h"
#include "store/plu.h"
#include "transfers/plu_import.h"
#include "core/record.h"
#include "transfers/table_procs.h"
#include "transfers/transfer.h"
#include "engine/builders_bulk.h"
#include "link/dispatch.h"

namespace {

using bench::Idle;
using bench::TempDir;
using bench::WallNow;

std::string Record(int64_t code, int n) {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(std::to_string(code));
    r.P220A.PutNum(100 + n % 100000);
    r.P220B.PutNum(n % 97 == 0 ? 0 : 1 + n % 50);  // every 97th refused
    r.P220C = n % 89 == 0 ? "WITH:SEP;" + std::to_string(n) : "ARTICLE " + std::to_string(n);
    r.P220G = "1";
    r.end.Set();
    return tables::RecordBytes(r);
}

void BM_ImportSort(benchmark::State& state) {
    const std::string base = TempDir("plubench");
    bench::ResetGlobals(base);
    ConfigLevel.InitOffLine(3, "R023000");
    Sizes.nMaxReparti = 250;
    Sizes.nMaxScoMag = 20;
    Sizes.nMaxFunMul = 250;
    CassaConf.P211 = 13;
    Core.bSortImport = true;
    const int count = static_cast<int>(state.range(0));
    std::mt19937_64 rng(42);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(count) * 89);
    for (int n = 1; n <= count; ++n) bytes += Record(static_cast<int64_t>(rng() % 5000000000ULL), n);
    const std::string source = base + "/import.txt";
    const std::string dest = base + "/Cassa1/PLU.txt";
    platform::WriteFile(source, bytes);

    double import = 0, gnu = 0;
    for (auto _ : state) {
        double t0 = WallNow();
        SortPLU(source, dest);
        import += WallNow() - t0;
        t0 = WallNow();
        const std::string cmd = "LC_ALL=C sort '" + source + "' > '" + base + "/sorted.txt'";
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("GNU sort failed");
        gnu += WallNow() - t0;
    }
    // The import alone in a child process: its peak resident size.
    pid_t pid = fork();
    if (pid == 0) {
        SortPLU(source, dest);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);  // this child's own peak, not GNU sort's
    const double n = static_cast<double>(state.iterations());
    state.counters["import_ms"] = 1000 * import / n;
    state.counters["gnu_sort_ms"] = 1000 * gnu / n;
    state.counters["ratio"] = import / gnu;
    state.counters["peak_mb"] = usage.ru_maxrss / 1024.0;
    state.counters["written"] = PLUFiles.nPLUNum;
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
}
BENCHMARK(BM_ImportSort)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The register of release R023000, the program at 38400 baud with the
// table procedures.
class Line : public bench::Line {
public:
    Line(int lineBaud, int gapMs, bool bulk) : bench::Line(gapMs, lineBaud, "R023000", bulk) {
        Comm.nBaud = 3;  // 38400
        InstallAnswerParser();
        RegisterTableProcs();
    }
};

void RunUntilIdle() {
    do GestMainTimer();
    while (!Idle());
}

void BM_BulkPLU(benchmark::State& state) {
    Line line(38400, 0, true);
    const int count = static_cast<int>(state.range(0));
    CassaConf.P211 = 13;
    Sizes.nMaxReparti = 250;
    Sizes.nMaxFunMul = 250;
    Sizes.nMaxScoMag = 20;
    if (!NextCash(true)) {
        state.SkipWithError("no register");
        return;
    }
    std::string bytes;
    for (int n = 1; n <= count; ++n) bytes += Record(n, n + 1).replace(22, 3, "001");
    platform::WriteFile(PLUFilePath(), bytes);
    double send = 0, wire = 0;
    for (auto _ : state) {
        line.Emu().ClearRecords();
        if (!SendFastPLU(1, -1)) {
            state.SkipWithError("nothing queued");
            return;
        }
        RunUntilIdle();
        if (line.Receiver().Rows().size() != static_cast<size_t>(count)) state.SkipWithError("records lost");
        // On the register's clock: from the first raw frame to the end mark.
        double first = -1, last = 0;
        size_t wireBytes = 0;
        int pauses = 0;
        for (const emu::PcUnit& u : line.Emu().Received()) {
            if (u.kind == emu::PcUnit::RawFrame && first < 0) first = u.time;
            if (first < 0) continue;
            wireBytes += u.bytes.size();
            if (u.kind == emu::PcUnit::Frame) ++pauses;  // each number frame: ACK, then 10 ms
            if (u.kind == emu::PcUnit::RawFrame && u.payload == "*") {
                last = u.time;
                break;
            }
        }
        for (const std::string& w : line.Emu().Written()) wireBytes += w.size();  // B99 answers, ACKs, hellos
        send += last - first;
        wire += wireBytes * 10.0 / 38400 + pauses * 0.010;
    }
    state.counters["send_s"] = send / state.iterations();
    state.counters["wire_s"] = wire / state.iterations();
    state.counters["ratio"] = send / wire;
}
BENCHMARK(BM_BulkPLU)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same with the program's own windows (offscreen): the wait display
// that the link refreshes while it waits, and the event processing of
// every wait.
QApplication& App() {
    static int argc = 1;
    static char name[] = "plu_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The program's shell, timing what the link's waits spend in the user
// interface: the event processing and the wait display.
class TimedShell : public QtShell {
public:
    void DoEvents() override {
        const double t0 = WallNow();
        QtShell::DoEvents();
        uiSeconds += WallNow() - t0;
        ++calls;
    }
    void ShowWait() override {
        const double t0 = WallNow();
        QtShell::ShowWait();
        uiSeconds += WallNow() - t0;
        ++calls;
    }
    double uiSeconds = 0;
    int64_t calls = 0;
};

void BM_RecordLatency(benchmark::State& state) {
    Line line(0, 0, false);
    std::unique_ptr<frmMain> main;
    TimedShell timed;
    if (state.range(1)) {
        App();
        main = std::make_unique<frmMain>();
        main->show();
        SetShell(&timed);
    }
    ConfigLevel.InitOffLine(3, "R023000");
    const int16_t count = static_cast<int16_t>(state.range(0));
    double sum = 0, worst = 0;
    int64_t intervals = 0;
    for (auto _ : state) {
        line.Emu().ClearRecords();
        if (!SendReparto(1, count)) {
            state.SkipWithError("no register");
            return;
        }
        RunUntilIdle();
        // Each record frame is acknowledged when it arrives; the register
        // asks for the next at once: the gap to the next record frame is the
        // program's 10 ms pause and its own time.
        double previous = -1;
        for (const emu::PcUnit& u : line.Emu().Received()) {
            if (u.kind != emu::PcUnit::Frame || u.payload.empty() || u.payload[0] == '0') continue;
            if (previous >= 0) {
                const double adds = (u.time - previous) * 1000 - 10.0;
                sum += adds;
                worst = std::max(worst, adds);
                ++intervals;
            }
            previous = u.payload == "*" ? -1 : u.time;
        }
    }
    if (main) {
        state.counters["ui_ms_per_record"] = 1000 * timed.uiSeconds / (count * state.iterations());
        state.counters["ui_calls_per_record"] = static_cast<double>(timed.calls) / (count * state.iterations());
        SetShell(nullptr);
        frmProgress::Unload();
        main.reset();
    }
    state.counters["adds_ms"] = intervals ? sum / intervals : 0;
    state.counters["max_adds_ms"] = worst;
    state.counters["intervals"] = static_cast<double>(intervals);
}
BENCHMARK(BM_RecordLatency)->Args({250, 0})->Args({250, 1})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return bench::RunBenchmarks(argc, argv);
}
