// ecr-emulator: plays one register (or several in addressed mode) on a
// pseudo-terminal, for trying the program by hand. It prints the device to
// give the program as its serial port ([Ports] "COM1" of the settings store),
// then one line per unit received and written, until interrupted. Each
// station answers the hello and keeps the tables sent to it for reading back.
//
//   ecr-emulator [--addressed] [--station N]... [--silent] [--nak N]
//                [--badchk N] [--truncate N] [--burst] [--status W]
//                [--noise MS] [--answer-enq]
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "emulator/cash_register.h"
#include "emulator/emulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

int Usage() {
    std::fprintf(stderr,
                 "usage: ecr-emulator [--addressed] [--station N]... [--silent] [--nak N]\n"
                 "                    [--badchk N] [--truncate N] [--burst] [--status W]\n"
                 "                    [--noise MS] [--answer-enq]\n"
                 "  N of --nak, --badchk and --truncate: how many times; -1 always\n"
                 "  --status W: hello status word 0 (9 refuses every command)\n"
                 "  --noise MS: a noise byte on the line every MS milliseconds\n"
                 "  --answer-enq: every enquiry answered with a status frame, as a\n"
                 "    register in the other link mode (run without --addressed against\n"
                 "    a program in addressed mode)\n");
    return 2;
}

bool Number(const char* text, int& out) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!text[0] || *end) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    emu::Options options;
    emu::Faults faults;
    emu::RegisterConfig config;
    bool answerEnq = false;
    options.stations.clear();
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](int& out) { return i + 1 < argc && Number(argv[++i], out); };
        int n = 0;
        if (a == "--addressed") {
            options.addressed = true;
        } else if (a == "--station") {
            if (!value(n) || n < 0 || n > 15) return Usage();
            options.stations.push_back(n);
        } else if (a == "--silent") {
            faults.silentFrames = -1;
        } else if (a == "--nak") {
            if (!value(faults.nakFrames)) return Usage();
        } else if (a == "--badchk") {
            if (!value(faults.badChecksum)) return Usage();
        } else if (a == "--truncate") {
            if (!value(faults.truncate)) return Usage();
        } else if (a == "--burst") {
            faults.ackWithNext = true;
        } else if (a == "--status") {
            if (!value(config.status[0]) || config.status[0] < 0 || config.status[0] > 999)
                return Usage();
        } else if (a == "--noise") {
            if (!value(faults.noiseMs) || faults.noiseMs < 0) return Usage();
            faults.noiseBytes = -1;
        } else if (a == "--answer-enq") {
            answerEnq = true;
        } else {
            return Usage();
        }
    }
    if (options.stations.empty()) options.stations.push_back(0);
    if (answerEnq) {
        faults.enqReply = emu::BuildAnswer("A05", options.addressed, options.stations[0], 1, 2);
        faults.enqReplies = -1;
    }
    options.log = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };

    emu::Emulator emulator(options);
    // Each station plays a whole register: hello, tables sent and read back.
    for (int station : options.stations)
        emulator.AddHandler(std::make_shared<emu::CashRegister>(station, config));
    std::string error;
    if (!emulator.Start(&error)) {
        std::fprintf(stderr, "ecr-emulator: %s\n", error.c_str());
        return 1;
    }
    emulator.SetFaults(faults);
    std::printf("%s\n", emulator.SlavePath().c_str());
    std::fflush(stdout);

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    while (!stopRequested) usleep(50000);
    emulator.Stop();
    return 0;
}
