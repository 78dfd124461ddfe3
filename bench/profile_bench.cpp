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
// BM_ProgramFile does the same for the work a run does on each of its three
// profile files (see there).
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

// The three profile files of a run as the program takes them, each of the
// largest size a profile file may have, its lines distinct sections after
// the usual ones, the file just written (so read from disk at every call
// until it settles):
//   Cassa.txt: the options read key by key while the file's bytes are
//     looked through for lines that are no options, then saved (lines that
//     are no options dropped, the keys written, the file replaced once);
//   config.ini: the request list and the settings read, the register list
//     saved;
//   setup.ini: the settings read.
// The aim: the peak memory of the work at most 4 bytes per byte of the file
// (a 16 MB file within 64 MB above the program's usual 32 MB).
void BM_ProgramFile(benchmark::State& state) {
    platform::GiveBackLargeBlocks();  // as the program does at start-up
    static const char* const kNames[] = {"Cassa.txt", "config.ini", "setup.ini"};
    static const char* const kHeads[] = {
        "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n",
        "[Generiche]\r\ncommandstimeout=5\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n[Richieste]\r\nr1=&L|\r\n",
        "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\n[Communication]\r\nDTRDelay=0\r\n"};
    const int kind = static_cast<int>(state.range(0));
    const size_t size = static_cast<size_t>(platform::kProfileMaxBytes) - 1;
    const std::string dir = (fs::temp_directory_path() / ("profile_bench_" + std::to_string(::getpid()))).string();
    fs::create_directories(dir);
    const std::string file = dir + "/" + kNames[kind];
    std::string bytes = kHeads[kind];
    for (size_t n = 0; bytes.size() < size; ++n) bytes += Line(2, n);
    bytes.resize(size);
    const std::string original = bytes;
    bytes = std::string();
    auto work = [&] {
        if (kind == 0) {
            {
                platform::ProfileReader options(file);
                std::string value, whole;
                for (int n = 0; n < 200; ++n) options.Get("P" + std::to_string(n % 10), std::to_string(n), value);
                platform::ReadFile(file, whole);
                benchmark::DoNotOptimize(whole.size());
            }
            platform::ProfileBatch save(file);
            save.DropLines([](std::string_view line) { return line.find_first_of("=[;") == std::string_view::npos; });
            for (int n = 0; n < 200; ++n)
                platform::WriteProfileString("P" + std::to_string(n % 10), std::to_string(n), "1", file);
            save.Commit();
        } else if (kind == 1) {
            benchmark::DoNotOptimize(platform::ProfileSection("Richieste", file).size());
            for (int n = 0; n < 16; ++n)
                benchmark::DoNotOptimize(platform::ProfileString("Casse", "C" + std::to_string(n), "", file));
            platform::ProfileBatch save(file);
            for (int n = 0; n < 16; ++n)
                platform::WriteProfileString("Casse", "C" + std::to_string(n), "1|||R022002|1|1|0|1", file);
            save.Commit();
        } else {
            for (const char* key : {"path", "logerr", "sem", "lang", "ecr"})
                benchmark::DoNotOptimize(platform::ProfileString("Casse", key, "", file));
        }
    };
    // The peak first, while this process holds no copy of the file.
    platform::WriteFile(file, original);
    const double peak = PeakPerByte(file, size, work);
    for (auto _ : state) {
        state.PauseTiming();
        platform::WriteFile(file, original);
        state.ResumeTiming();
        work();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.counters["peak_per_byte"] = peak;
    state.SetLabel(kNames[kind]);
    fs::remove_all(dir);
}

BENCHMARK(BM_ProgramFile)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
