// A soak of command-line runs, not part of the suite (run it with
// --gtest_also_run_disabled_tests): a request list over four registers in
// addressed mode, one fault injected at random in half of the runs. Every
// run must end within its time-outs with the exit status that matches what
// reached the registers; the figures go to standard error.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "common/batch_fixture.h"

namespace {

using testsupport::RunResult;

class SoakTest : public testsupport::BatchRunTest {};

long ChildrenPeakKb() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

TEST_F(SoakTest, DISABLED_RequestListsOverFourRegistersWithFaultsAtRandom) {
    const std::vector<int> stations{0, 1, 2, 3};
    const std::vector<std::string> expected = {"*2;+4;*F;*3;", "*2;+4;&L1:2;#H;*3;"};
    const char* const faultNames[] = {"none", "bad checksum", "NAK", "stall", "noise", "refusal"};
    std::mt19937 random(29);
    int runs = 0, mismatches = 0, late = 0, zero = 0, one = 0;
    int byFault[6] = {};
    long peakAt10 = 0;
    for (int run = 1; run <= 100; ++run) {
        const int fault = run % 2 == 0 ? 1 + static_cast<int>(random() % 5) : 0;
        const int victim = static_cast<int>(random() % stations.size());
        ++byFault[fault];
        Prepare(stations, "r1=*F|1:2\r\nr2=&L|1:2\r\n", 1800);
        CreateEmulator(stations);
        registers.clear();
        for (size_t i = 0; i < stations.size(); ++i) {
            emu::RegisterConfig config;
            if (fault == 5 && static_cast<int>(i) == victim) config.status[0] = 9;
            AddRegister(stations[i], config);
        }
        StartEmulator();
        emu::Faults f;
        if (fault == 1) f.badChecksum = 1;
        if (fault == 2) f.nakFrames = 1;
        if (fault == 3) f.silentFrames = 1;
        if (fault == 4) f.noiseBytes = 20;
        emulator->SetFaults(f);
        RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 120);
        bool reached = true;
        for (const auto& reg : registers) {
            const auto got = Requests(*reg);
            for (const auto& want : expected)
                reached = reached && std::find(got.begin(), got.end(), want) != got.end();
            reached = reached && reg->Received("departments").size() >= 2;
        }
        const int want = reached ? 0 : 1;
        ++runs;
        if (r.status == -1) ++late;
        if (r.status == 0) ++zero;
        if (r.status == 1) ++one;
        if (r.status != want) {
            ++mismatches;
            std::fprintf(stderr, "run %d (%s at %d): status %d, expected %d\n%s\n", run,
                         faultNames[fault], victim, r.status, want, ErrLog().c_str());
        }
        EXPECT_EQ(r.status, want) << "run " << run << ", " << faultNames[fault];
        emulator->Stop();
        emulator.reset();
        Write("base/err.log", "");
        if (run == 10) peakAt10 = ChildrenPeakKb();
    }
    std::fprintf(stderr,
                 "soak: %d runs, faults: none %d, bad checksum %d, NAK %d, stall %d, noise %d, "
                 "refusal %d; status 0: %d, status 1: %d, not ended in time: %d, status not "
                 "matching: %d; peak resident memory of a run after 10 runs %ld kB, after %d "
                 "runs %ld kB\n",
                 runs, byFault[0], byFault[1], byFault[2], byFault[3], byFault[4], byFault[5], zero,
                 one, late, mismatches, peakAt10, runs, ChildrenPeakKb());
}

}  // namespace
