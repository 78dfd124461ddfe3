// How fast a profile file is read and how much memory it holds, against the
// file's size and the shape of its lines:
//
//   profile_bench [--benchmark_filter=...]
//
// Each run reads one key of a file that has just changed on disk (so the
// whole file is read and indexed again). Counters: bytes_per_second (the
// file's size over the time), held_per_byte (memory the file holds while it
// is kept for the next reads, per byte of the file) and peak_per_byte (the
// most memory in use during the read, per byte of the file). The aim is 50 MB
// a second or more and a few bytes of memory per byte, whatever the lines.
// BM_ProgramFile times a whole command-line run with one of its three
// profile files that large (see there).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/reset_globals.h"
#include "engine/batch.h"
#include "engine/open_register.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;

// Memory in use by the program's allocations.
size_t InUse() {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

std::string Line(int shape, size_t n) {
    switch (shape) {
    case 0: return "\r\n";                                      // blank lines
    case 1: return "k" + std::to_string(n) + "=value\r\n";      // distinct keys
    case 2: return "[s" + std::to_string(n) + "]\r\n";          // distinct sections
    default: return "; a comment line of the usual length\r\n";  // comments
    }
}

const char* const kShapes[] = {"blank", "keys", "sections", "comments"};

// The most memory in use while `work` runs on the file, per byte of the
// file: the work runs in a child process, and its high-water mark of
// resident memory is taken over the one before.
double PeakPerByte(const std::string& file, size_t size, const std::function<void()>& work) {
    double peak = 0;
    int pipefd[2];
    if (::pipe(pipefd) != 0) return 0;
    if (pid_t pid = ::fork(); pid == 0) {
        ::utimensat(AT_FDCWD, file.c_str(), nullptr, 0);
        // Free memory goes back to the system, so that what the work takes
        // shows in the resident size; the high-water mark starts again from
        // what is resident now.
        malloc_trim(0);
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        auto status = [](const char* field) {
            long kb = 0;
            if (FILE* f = std::fopen("/proc/self/status", "r")) {
                char line[256];
                const size_t n = std::strlen(field);
                while (std::fgets(line, sizeof line, f))
                    if (std::strncmp(line, field, n) == 0) kb = std::atol(line + n);
                std::fclose(f);
            }
            return kb * 1024;
        };
        const long start = status("VmRSS:");
        work();
        const long high = status("VmHWM:");
        double v = static_cast<double>(high - start) / static_cast<double>(size);
        if (::write(pipefd[1], &v, sizeof v) != sizeof v) _exit(1);
        _exit(0);
    } else if (pid > 0) {
        double v = 0;
        if (::read(pipefd[0], &v, sizeof v) == sizeof v) peak = v;
        ::waitpid(pid, nullptr, 0);
    }
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return peak;
}

void BM_ReadProfile(benchmark::State& state) {
    platform::GiveBackLargeBlocks();  // as the program does at start-up
    const int shape = static_cast<int>(state.range(0));
    const size_t size = static_cast<size_t>(state.range(1));
    const std::string dir = (fs::temp_directory_path() / ("profile_bench_" + std::to_string(::getpid()))).string();
    fs::create_directories(dir);
    // A file of its own: no copy of another run's file is kept under its name.
    const std::string file = dir + "/" + kShapes[shape] + std::to_string(size) + ".ini";
    // No copy of the file from an earlier run of this benchmark is kept.
    fs::remove(file);
    platform::ProfileString("S", "k", "", file);
    std::string bytes = "[S]\r\nk=1\r\n";
    for (size_t n = 0; bytes.size() < size; ++n) bytes += Line(shape, n);
    bytes.resize(std::min(size, static_cast<size_t>(platform::kProfileMaxBytes)));
    platform::WriteFile(file, bytes);
    bytes = std::string();

    double held = 0;
    const double peak = PeakPerByte(file, size, [&] { platform::ProfileString("S", "k", "", file); });
    // A new modification time every run: the file is read again (the copy
    // of the run before is let go first).
    long second = 1000000;
    const size_t baseline = InUse();
    for (auto _ : state) {
        state.PauseTiming();
        timespec t[2] = {{second, 0}, {second, 0}};
        ++second;
        ::utimensat(AT_FDCWD, file.c_str(), t, 0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(platform::ProfileString("S", "k", "", file));
        state.PauseTiming();
        held = static_cast<double>(InUse() - baseline) / static_cast<double>(size);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.counters["held_per_byte"] = held;
    state.counters["peak_per_byte"] = peak;
    state.SetLabel(kShapes[shape]);
    fs::remove_all(dir);
}

BENCHMARK(BM_ReadProfile)
    ->ArgsProduct({{0, 1, 2, 3}, {1 << 20, 4 << 20, (16 << 20) - 1}})
    ->Unit(benchmark::kMillisecond);

// The three profile files of a command-line run, one of them of the largest
// size a profile file may have and the other two as usual, each just written:
// the run as the program makes it, from its set-up to the opening of its
// register and the save of the register's options (every read of the big
// file, the backup copy of Cassa.txt included):
//   setup.ini: the run's set-up (base folder, logs, semaphore);
//   config.ini: the settings, the register list and the request list;
//   Cassa.txt: the register's options, read at its opening and saved.
// The big file's lines after the usual ones: distinct sections, distinct
// keys (in a section of their own) or noise (lines that are no options, in
// a section of their own). bytes_per_second is the big file's size over the
// time of the whole run. The aim: 50 MB a second for every file and line,
// and the peak memory of the run at most 4 bytes per byte of the big file (a
// 16 MB file within 64 MB above the program's usual 32 MB).
std::string Filler(int shape, size_t n) {
    switch (shape) {
    case 0: return "[s" + std::to_string(n) + "]\r\n";
    case 1: return "k" + std::to_string(n) + "=value\r\n";
    default: return "noise " + std::to_string(n) + " of a line that is no option\r\n";
    }
}

void BM_ProgramFile(benchmark::State& state) {
    platform::GiveBackLargeBlocks();  // as the program does at start-up
    static const char* const kNames[] = {"Cassa1/Cassa.txt", "config.ini", "setup.ini"};
    static const char* const kFillers[] = {"sections", "keys", "noise"};
    static const char* const kHeads[] = {
        "[P9]\r\n11=0\r\n[Communication]\r\nhellotype=1\r\n",
        "[Generiche]\r\ncommandstimeout=5\r\n[Casse]\r\nC0=1|||R022002|1|0|0|1\r\n[Richieste]\r\nr1=&L|\r\n",
        "[Casse]\r\nlogerr=err.log\r\n[Communication]\r\nDTRDelay=0\r\n"};
    const int kind = static_cast<int>(state.range(0));
    const int shape = static_cast<int>(state.range(1));
    const size_t size = static_cast<size_t>(platform::kProfileMaxBytes) - 1;
    const std::string dir = (fs::temp_directory_path() / ("profile_bench_" + std::to_string(::getpid()))).string();
    fs::remove_all(dir);
    fs::create_directories(dir + "/Cassa1");
    std::string files[3];
    for (int n = 0; n < 3; ++n) {
        files[n] = kHeads[n];
        if (n != kind) continue;
        if (shape > 0) files[n] += "[Filler]\r\n";
        for (size_t line = 0; files[n].size() < size; ++line) files[n] += Filler(shape, line);
        files[n].resize(size);
    }
    auto writeFiles = [&] {
        for (int n = 0; n < 3; ++n) platform::WriteFile(dir + "/" + kNames[n], files[n]);
    };
    auto run = [&] {
        testsupport::ResetGlobals();
        Core.strStartDir = dir;
        Batch.args = {"/r:**", "/l:3"};
        if (!ParseCmdLine()) std::abort();
        Core.bInteractive = false;
        InitBatch();
        LoadConfig();
        if (!BatchNothingToDo().empty()) std::abort();
        // The register's turn: its opening, then its options saved.
        Core.nOpenCash = 0;
        LinkState.nAddress = 0;
        Core.strCashDir = dir + "/Cassa1";
        LoadCassa(false);
        SaveCassa();
    };
    // The peak first, while this process holds no copy of the file.
    writeFiles();
    const double peak = PeakPerByte(dir + "/" + kNames[kind], size, run);
    for (auto _ : state) {
        state.PauseTiming();
        writeFiles();
        state.ResumeTiming();
        run();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.counters["peak_per_byte"] = peak;
    state.SetLabel(std::string(kNames[kind]) + " " + kFillers[shape]);
    fs::remove_all(dir);
}

BENCHMARK(BM_ProgramFile)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
