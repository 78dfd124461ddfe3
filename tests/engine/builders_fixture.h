#pragma once
// Common ground of the builder tests: every global at its start-up value,
// the shipped language file, one register in config.ini (station 0, enabled
// or not) whose folder is open, the recording shell, and the queue's pending
// entries and the request state's words to compare.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"

namespace builderstest {

// The queue's pending entries in index order.
inline std::vector<CmdQueueEntry> Pending() {
    std::vector<CmdQueueEntry> out;
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state == -1) out.push_back(CmdQueue.entries[i]);
    return out;
}

// The texts of the pending entries.
inline std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const CmdQueueEntry& e : Pending()) out.push_back(e.command);
    return out;
}

// The request state as its 16-bit words, for a comparison that names the
// word that differs.
inline std::vector<uint16_t> WordsOf(const ReqStateRec& r) {
    static_assert(sizeof(ReqStateRec) % 2 == 0);
    std::vector<uint16_t> w(sizeof(ReqStateRec) / 2);
    std::memcpy(w.data(), &r, sizeof(ReqStateRec));
    return w;
}

class BuildersFixture : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strRootDir = dir_.path();
        Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
        // Opening a new folder makes a new, disabled register-list entry:
        // open it once, then enable it.
        SetEnabled(true);
        ConfigLevel.InitOffLine(3, "V014057");
        NextCash(true);
        SetEnabled(true);
    }
    void TearDown() override { testsupport::ResetGlobals(); }
    // One register in config.ini, station 0, enabled or not; opening its
    // folder reads the list again.
    void SetEnabled(bool enabled) {
        testsupport::WriteAll(dir_.file("config.ini"), std::string("[Casse]\r\nC0=1|Reg|ID|R022002|1|0|0|") +
                                                         (enabled ? "1" : "0") + "\r\n");
        CassaList = {};
        CassaList[0].port = "1";
        CassaList[0].station = "0";
        CassaList[0].bDefined = True;
        CassaList[0].bEnabled = enabled ? True : False;
    }

    testsupport::TempDir dir_;
    testsupport::ScopedFakeShell shell_;
};

}  // namespace builderstest
