// What a user waits for at a command-line import: the program started as a
// process (its language file loaded, its windows and the tree window's
// progress bar drawn offscreen), importing a file with "*G" (PLUs), "*M"
// (customers) or "*F" (departments), until the first byte of the send
// reaches the register emulator on the line; beside it GNU sort ordering the
// same file.
//
//   import_bench [--benchmark_filter=...]
//
// IMPORT_BENCH_PROGRAM set: that program is run instead of the one built
// beside the benchmark (to compare two builds on the same machine).
//
// BM_Import/<kind>/<lines>   kind 0: PLUs ("*G"), 1: customers ("*M"), 2: a
//                            batch table import, departments ("*F"): numbers
//                            1 to 99 over and over, the last of each kept.
// Counters:
//   first_byte_s   from the start of the program to the first frame on the line
//   sort_s         LC_ALL=C sort over the same file (output to a file)
//   ratio          first_byte_s / sort_s (goal: at most 2)
//   cpu_s          the program's processor time (user and system) up to then
//   peak_mb        the program's largest resident size up to then
//   sort_peak_mb   sort's largest resident size
//   over_sort_mb   peak_mb - sort_peak_mb (goal: at most 64)
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_line.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/table_sizes.h"
#include "store/client_file.h"
#include "store/client_record.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "store/departments.h"
#include "store/plu.h"
#include "core/record.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* const kRelease = "R023000";
const char* const kRequest[] = {"*G", "*M", "*F"};

std::string PluRecord(int64_t code, int n) {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(std::to_string(code));
    r.P220A.PutNum(100 + n % 100000);
    r.P220B.PutNum(1 + n % 9);
    r.P220C = n % 89 == 0 ? "WITH:SEP;" + std::to_string(n) : "ARTICLE " + std::to_string(n);
    r.P220G = "1";
    r.end.Set();
    return tables::RecordBytes(r);
}

// The records of the kind in random code order, a few codes repeated.
std::string Records(int kind, int count) {
    std::mt19937_64 rng(42);
    std::string bytes;
    if (kind == 0) {
        bytes.reserve(static_cast<size_t>(count) * kPLURecLen);
        for (int n = 1; n <= count; ++n) bytes += PluRecord(static_cast<int64_t>(rng() % 5000000000ULL) + 1, n);
        return bytes;
    }
    if (kind == 2) {
        bytes.reserve(static_cast<size_t>(count) * sizeof(RepartoRec));
        for (int n = 0; n < count; ++n) {
            RepartoRec r = tables::DefaultRecord<RepartoRec>(0);
            r.number.PutNum(1 + n % 99);
            r.P120 = "DEPARTMENT " + std::to_string(n);
            r.end.Set();
            bytes += tables::RecordBytes(r);
        }
        return bytes;
    }
    ClientM cli;
    cli.CliType(ConfigLevel.GetClientType(0));
    for (int i = 0; i < count; ++i) {
        const std::string code = std::to_string(rng() % 1000000000u + 1);
        cli.SetFormattedRecord(code + ":CUSTOMER " + code + ":VIA ROMA " + std::to_string(i % 300) +
                                   ":1:2:0:" + std::to_string(rng() % 100000) + ":0:" +
                                   std::to_string(i % 200) + ":DESC 3::ABCDEF12G34H567I:1:" +
                                   std::to_string(i % 30000) + ":",
                               ":", 1);
        bytes += cli.GetRecord();
    }
    return bytes;
}

void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The environment of a run without a display.
std::vector<char*> Environment() {
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0 &&
            std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.push_back(*e);
    env.push_back(nullptr);
    return env;
}

pid_t Start(const std::string& folder, std::vector<std::string> args, const std::string& out = "") {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> env = Environment();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        if (!out.empty()) {
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
        } else {
            const int fd = open("/dev/null", O_WRONLY);
            dup2(fd, 1);
            dup2(fd, 2);
        }
        execve(argv[0], argv.data(), env.data());
        _exit(127);
    }
    return pid;
}

double PeakMb(const rusage& usage) { return usage.ru_maxrss / 1024.0; }

double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_Import(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    const std::string start = bench::TempDir("importbench");
    ConfigLevel.InitOffLine(3, kRelease);
    Sizes.nMaxFunMul = 250;
    Sizes.nMaxClientG = 255;
    const std::string source = start + "/import.txt";
    platform::WriteFile(source, Records(kind, count));
    fs::copy_file(std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng", start + "/Testi.eng");
    WriteText(start + "/setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                                    "[Communication]\r\nDTRDelay=0\r\n");
    WriteText(start + "/base/config.ini",
              "[Generiche]\r\nlangfile=" + start + "/Testi.eng\r\ncommandstimeout=600\r\n[Casse]\r\nC0=1|||" +
                  kRelease + "|1|1|0|1\r\n[Richieste]\r\nr1=" + kRequest[kind] + "|" + source + "\r\n");
    WriteText(start + "/base/Cassa1/Cassa.txt",
              "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");

    double first = 0, sorted = 0, peak = 0, sortPeak = 0, cpu = 0;
    for (auto _ : state) {
        emu::Options options;
        options.addressed = true;
        options.stations = {0};
        options.gapMs = 2;
        emu::Emulator emulator(options);
        emu::RegisterConfig config;
        config.release = kRelease;
        emulator.AddHandler(std::make_shared<emu::CashRegister>(0, config));
        std::string error;
        if (!emulator.Start(&error) || !platform::SaveSetting("Ports", "COM1", emulator.SlavePath())) {
            state.SkipWithError("no emulator");
            return;
        }
        const double t0 = emu::Emulator::Clock();
        const char* other = std::getenv("IMPORT_BENCH_PROGRAM");
        const pid_t program =
            Start(start, {other ? other : ECRPROG_PROGRAM, "/r:**", "/f:setup.ini", "/l:3", "/t:1", "/s:1"});
        const bool reached = emulator.WaitFor([&] { return !emulator.Received().empty(); }, 900);
        const double t1 = reached ? emulator.Received().front().time : 0;
        kill(program, SIGKILL);
        int status = 0;
        rusage usage{};
        wait4(program, &status, 0, &usage);
        emulator.Stop();
        if (!reached) {
            state.SkipWithError("nothing reached the line");
            return;
        }
        first += t1 - t0;
        cpu += CpuSeconds(usage);
        peak = std::max(peak, PeakMb(usage));

        const double s0 = emu::Emulator::Clock();
        setenv("LC_ALL", "C", 1);
        const pid_t sort = Start("", {"/usr/bin/sort", source}, start + "/sorted.txt");
        unsetenv("LC_ALL");
        wait4(sort, &status, 0, &usage);
        sorted += emu::Emulator::Clock() - s0;
        sortPeak = std::max(sortPeak, PeakMb(usage));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["first_byte_s"] = first / n;
    state.counters["sort_s"] = sorted / n;
    state.counters["ratio"] = first / sorted;
    state.counters["cpu_s"] = cpu / n;
    state.counters["peak_mb"] = peak;
    state.counters["sort_peak_mb"] = sortPeak;
    state.counters["over_sort_mb"] = peak - sortPeak;
    // IMPORT_BENCH_KEEP set: the start folder stays, to run the program by hand.
    if (std::getenv("IMPORT_BENCH_KEEP")) {
        std::fprintf(stderr, "start folder kept: %s\n", start.c_str());
        return;
    }
    std::error_code ec;
    fs::remove_all(start, ec);
}
BENCHMARK(BM_Import)
    ->ArgsProduct({{0, 1}, {10000, 100000, 1000000}})
    ->Args({2, 99})
    ->Args({2, 100000})
    ->Args({2, 1000000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
