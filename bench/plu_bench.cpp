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
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/main_timer.h"
#include "core/table_sizes.h"
#include "emulator/bulk_receiver.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "link/builders_tables.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "link/link_state.h"
#include "link/port.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "shell/cycle.h"
#include "tables/bulk_transfer.h"
#include "tables/plu.h"
#include "tables/plu_import.h"
#include "tables/record.h"
#include "tables/table_procs.h"
#include "tables/transfer.h"
#include "shell/ui/frmMain.h"
#include "shell/ui/frmProgress.h"
#include "shell/ui/qt_shell.h"

namespace {

double WallNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string TempDir(const char* stem) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data())) std::abort();
    return tmpl;
}

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

void Globals(const std::string& base) {
    Core = CoreGlobals{};
    LinkState = LinkStateRec{};
    CmdQueue = CmdQueueState{};
    MainTimer = MainTimerGlobals{};
    CassaList = {};
    Core.strRootDir = base;
    Core.strStartDir = base;
    Core.strCashDir = base + "/Cassa1";
    Core.sngCmdTimeout = 3600.0f;
    Core.bInteractive = false;
    platform::MakeDir(Core.strCashDir);
}

void BM_ImportSort(benchmark::State& state) {
    const std::string base = TempDir("plubench");
    Globals(base);
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

// One register on a pseudo-terminal, defined in a base folder of its own.
class Line {
public:
    Line(int lineBaud, int gapMs, bool bulk) {
        base_ = TempDir("plubench");
        Globals(base_);
        Core.bInteractive = true;
        ConfigLevel.InitOffLine(3, "R023000");
        emu::Options options;
        options.gapMs = gapMs;
        options.lineBaud = lineBaud;
        emulator_ = std::make_unique<emu::Emulator>(options);
        if (bulk) {
            receiver_ = std::make_shared<emu::BulkReceiver>(0);
            emulator_->AddHandler(receiver_);
        }
        emu::RegisterConfig config;
        config.release = "R023000";
        reg_ = std::make_shared<emu::CashRegister>(0, config);
        emulator_->AddHandler(reg_);
        std::string error;
        if (!emulator_->Start(&error)) std::abort();
        platform::SaveSetting("Ports", "COM1", emulator_->SlavePath());
        platform::WritePrivateProfileStringA("Casse", "C0", "1|||R023000|1|0|0|1", ConfigIniPath().c_str());
        std::ofstream(base_ + "/Cassa1/Cassa.txt")
            << "[P9]\r\n11=128\r\n[Communication]\r\nhellotype=1\r\n";
        LoadCasseConf();
        LinkState.nCurCash = 0;
        Comm.nBaud = 3;  // 38400
        SetAnswerParser(&ParseAnswer);
        RegisterTableProcs();
    }
    ~Line() {
        SetPortFactory({});
        emulator_->Stop();
        std::error_code ec;
        std::filesystem::remove_all(base_, ec);
    }
    emu::Emulator& Emu() { return *emulator_; }
    emu::BulkReceiver& Receiver() { return *receiver_; }

private:
    std::string base_;
    std::unique_ptr<emu::Emulator> emulator_;
    std::shared_ptr<emu::BulkReceiver> receiver_;
    std::shared_ptr<emu::CashRegister> reg_;
};

bool Idle() {
    if (LinkState.nState != 0) return false;
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state != 0) return false;
    return true;
}

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
    // The settings store (where port 1's device is named) goes into a
    // temporary folder, never the user's own.
    const std::string home = TempDir("plubench-home");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}
