// What a user waits for in a record-by-record transfer: the program with its
// windows (offscreen), the shipped language file loaded and the wait display
// running, sending and reading departments one frame at a time through a
// register emulator that takes the program's bytes at the line's speed and
// answers at once.
//
//   link_ui_bench [--benchmark_filter=...]
//
// BM_RecordByRecord/<baud>/<read>/<records>   read 0: a send ("*F"), 1: a
// read ("&L"). Counters:
//   gap_ms         median time from the register's acknowledgement (send) or
//                  line (read) to the program's next frame or acknowledgement,
//                  less the line time of the program's frame (a read's
//                  acknowledgement leaves during the pause after it)
//   pause_ms       the pause the link prescribes there (10 ms)
//   record_ms      median time per record
//   floor_ms       the line time of a send's frame plus the prescribed pause
//                  (the emulator's own bytes reach the program at once, and
//                  it counts what it takes in up to 1 ms early, so a result
//                  can fall a little below the floor)
//   ratio          record_ms / floor_ms (goal: at most 1.05 at 38400 baud)
//   cpu_ms_per_record  processor time of the program's thread per record
//                  (goal: under 1 ms at 9600 baud)
#include <benchmark/benchmark.h>

#include <QApplication>

#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench_line.h"
#include "core/cassa_conf.h"
#include "engine/builders_tables.h"
#include "engine/comm_settings.h"
#include "engine/cycle.h"
#include "ui/frmMain.h"
#include "ui/frmProgress.h"
#include "ui/qt_shell.h"
#include "transfers/table_procs.h"
#include "link/dispatch.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "link_ui_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

double ThreadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

constexpr double kPauseMs = 10.0;

void BM_RecordByRecord(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    const bool read = state.range(1) != 0;
    const int count = static_cast<int>(state.range(2));
    bench::Line line(0, baud, "R023000");
    Comm.nBaud = baud == 9600 ? 1 : 3;
    InstallAnswerParser();
    RegisterTableProcs();
    // The shipped language file, as an installation has it.
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    App();
    auto main = std::make_unique<frmMain>();
    main->show();
    SetShell(&TheQtShell());
    std::vector<std::string> records;
    for (int n = 1; n <= count; ++n)
        records.push_back(std::to_string(n) + ":DEPARTMENT " + std::to_string(n) + ":31:0:0:0:5:0:0:0:1:0:0:0:");
    line.Reg().SetRecords("departments", records);

    std::vector<double> gaps, intervals;
    double cpu = 0;
    double floorMs = 0;
    for (auto _ : state) {
        line.Emu().ClearRecords();
        const bool queued = read ? ReqReparto(1, static_cast<int16_t>(count))
                                 : SendReparto(1, static_cast<int16_t>(count));
        if (!queued) {
            state.SkipWithError("nothing queued");
            break;
        }
        const double c0 = ThreadCpu();
        do GestMainTimer();
        while (!bench::Idle());
        cpu += ThreadCpu() - c0;
        // Send: each record frame is acknowledged at once; the next frame
        // completes its line time after the program began to write it.
        // Read: the next line follows each acknowledgement at once.
        double previous = -1;
        size_t ownBytes = 0;
        for (const emu::PcUnit& u : line.Emu().Received()) {
            const bool record = read ? u.kind == emu::PcUnit::Ack
                                     : u.kind == emu::PcUnit::Frame && !u.payload.empty() &&
                                           u.payload[0] != '0' && u.payload != "*";
            if (!record) {
                previous = -1;
                continue;
            }
            // A read's acknowledgement goes out on the line during the pause
            // that follows it: only a send's frame adds its line time.
            const double lineMs = read ? 0 : u.bytes.size() * 10.0 * 1000 / baud;
            if (previous >= 0) {
                const double interval = (u.time - previous) * 1000;
                intervals.push_back(interval);
                gaps.push_back(interval - lineMs);
                ownBytes = u.bytes.size();
            }
            previous = u.time;
        }
        floorMs = (read ? 0 : ownBytes * 10.0 * 1000 / baud) + kPauseMs;
    }
    const double recordMs = Median(intervals);
    state.counters["gap_ms"] = Median(gaps);
    state.counters["pause_ms"] = kPauseMs;
    state.counters["record_ms"] = recordMs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio"] = floorMs > 0 ? recordMs / floorMs : 0;
    state.counters["cpu_ms_per_record"] = 1000 * cpu / (static_cast<double>(count) * state.iterations());
    state.counters["records"] = static_cast<double>(intervals.size());
    SetShell(nullptr);
    frmProgress::Unload();
    main.reset();
}
BENCHMARK(BM_RecordByRecord)
    ->ArgsProduct({{9600, 38400}, {0, 1}, {200}})
    ->Iterations(2)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return bench::RunBenchmarks(argc, argv);
}
