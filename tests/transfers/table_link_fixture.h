#pragma once
// The table procedures over the line: the main timer against the register
// emulator with the table procedures registered, every transfer idle and the
// send counters at zero, a register folder made afresh for a model, and the
// tables filled with records of their own as a read stores them.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "transfers/timer_fixture.h"
#include "platform/files.h"
#include "transfers/table_procs.h"
#include "transfers/transfer.h"

namespace timertest {

using Lines = std::vector<std::string>;

class TableLinkTest : public TimerTest {
protected:
    void SetUp() override {
        TimerTest::SetUp();
        ClearDispatchProcs();
        RegisterTableProcs();
        InitFlags();
        Tx = TxCountersRec{};
    }
    void TearDown() override {
        TimerTest::TearDown();
        InitFlags();
        Numbers = NumbersGlobals{};
    }
    // The registers of the model at the stations on a line of their own
    // (quiet time 2 ms), their folders made afresh, the first one opened.
    void OpenModel(int16_t model, bool addressed = false, std::vector<int> stations = {0},
                   std::vector<emu::RegisterConfig> configs = {}) {
        ConfigLevel.InitOffLine(model, "V014057");
        for (int s : stations) std::filesystem::remove_all(dir.file("Cassa" + std::to_string(s + 1)));
        StartLine(addressed, stations, std::move(configs), 2);
        for (size_t i = 0; i < stations.size(); ++i) Define(static_cast<int>(i), stations[i], addressed);
        ASSERT_TRUE(NextCash(true));
    }
    // A file of the open register's folder.
    std::string File(const std::string& name) const {
        return testsupport::ReadAll(platform::JoinPath(Core.strCashDir, name));
    }
    void Put(const std::string& name, const std::string& bytes) const {
        testsupport::WriteAll(platform::JoinPath(Core.strCashDir, name), bytes);
    }
    // Runs a builder's operation to its end.
    bool Run(const std::function<bool()>& builder) { return builder() && RunToIdle(60); }
};

// Gives the open folder's table (count records of `length` bytes) record(n)
// for each n ("" keeps the file's record); what the file then holds goes
// into filled, and the result is what a send gives the register: sent(n)
// for each n in turn.
inline Lines FillTable(const std::string& file, int length, int count,
                       const std::function<std::string(int)>& record,
                       const std::function<Lines(int)>& sent, std::string& filled) {
    const std::string path = platform::JoinPath(Core.strCashDir, file);
    filled = testsupport::ReadAll(path);
    Lines out;
    for (int n = 1; n <= count; ++n) {
        const std::string r = record(n);
        if (!r.empty()) filled.replace(static_cast<size_t>(n - 1) * length, length, r);
        for (const std::string& l : sent(n)) out.push_back(l);
    }
    testsupport::WriteAll(path, filled);
    return out;
}

// Fields of a wire record ("1:A:2" has three).
inline size_t Fields(const std::string& record) {
    size_t n = 1;
    for (char c : record) n += c == ':';
    return n;
}

}  // namespace timertest
