// How long the customer import (SortCli: every record read, checked, sorted
// by code and written as the archive) takes on 100,000 customers of the
// 175-character generation, beside GNU sort ordering the same lines, in one
// run on the same machine:
//
//   customers_bench [--benchmark_filter=...]
//
// BM_SortCli and BM_GnuSort report wall time per run; compare the two.
// The records are in random code order, with a few codes repeated.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/table_sizes.h"
#include "store/client_file.h"
#include "platform/files.h"
#include "transfers/customers_import.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCustomers = 100000;

struct Folder {
    Folder() {
        path = (fs::temp_directory_path() / ("customers_bench_" + std::to_string(::getpid()))).string();
        fs::create_directories(path);
        Core.strCashDir = path;
        Core.bInteractive = false;
        ConfigLevel.InitOffLine(3, "V014057");  // DRAVO57 without a known release: type 4
        Sizes.nMaxFunMul = 250;
        Sizes.nMaxClientG = 255;
        ClientM cli;
        cli.CliType(4);
        std::mt19937 random(42);
        std::string bytes;
        for (int i = 0; i < kCustomers; ++i) {
            const std::string code = std::to_string(random() % 1000000000u + 1);
            cli.SetFormattedRecord(code + ":CUSTOMER " + code + ":VIA ROMA " + std::to_string(i % 300) +
                                       ":1:2:0:" + std::to_string(random() % 100000) + ":0:" +
                                       std::to_string(i % 200) + ":DESC 3::ABCDEF12G34H567I:1:" +
                                       std::to_string(i % 30000) + ":",
                                   ":", 1);
            bytes += cli.GetRecord();
        }
        source = path + "/import.txt";
        platform::WriteFile(source, bytes);
    }
    ~Folder() { fs::remove_all(path); }
    std::string path;
    std::string source;
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

void BM_SortCli(benchmark::State& state) {
    Folder& f = TheFolder();
    int32_t written = 0;
    for (auto _ : state) written = SortCli(f.source, f.path + "/Clienti.txt");
    state.counters["records_written"] = written;
}
BENCHMARK(BM_SortCli)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_GnuSort(benchmark::State& state) {
    Folder& f = TheFolder();
    const std::string command = "LC_ALL=C sort '" + f.source + "' -o '" + f.path + "/sorted.txt'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("sort failed");
}
BENCHMARK(BM_GnuSort)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
