// Icon texts, the loyalty tables, the PLU directory and the price/weight
// codes over the line, against the register emulator, on LX4100 and on
// DRAVO57 of the newer family (the only one of the two with loyalty tables):
// each table sent by its builder and read back byte for byte; a read line
// changes exactly the part of its record it names; lines a table cannot hold
// change nothing; a read or a directory send cut short leaves the files as
// they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "engine/open_register.h"
#include "engine/builders_tables.h"
#include "core/texts.h"
#include "transfers/table_link_fixture.h"
#include "store/icon_texts.h"
#include "store/loyalty.h"
#include "store/plu_directory.h"
#include "store/price_weight.h"

namespace {

using namespace testsupport::text;

class LoyaltyLinkTest : public timertest::TableLinkTest {
protected:
    // The registers of the model, of a release that keeps the number of icon
    // messages the same before and after their hello.
    void Open(int16_t model, bool addressed = false, std::vector<int> stations = {0}) {
        std::vector<emu::RegisterConfig> configs(stations.size());
        for (auto& c : configs) c.release = "R022040";
        OpenModel(model, addressed, stations, configs);
    }
};

int Messages() { return ConfigLevel.GetNMessaggiIcone(Core.nOpenCash); }

// ---- Each table with values of its own, as a read stores them, and what a
// send gives the register of them.

std::string LoyaltyLine(int seed) {
    std::string l = Num(seed % 10) + Num((seed + 1) % 10);
    for (int k = 0; k < 6; ++k) l += Z(seed == 7 ? 99999999 : seed * 100 + k, 8);
    return l;
}
std::string LoyaltyWire(int seed) {
    std::string w = Num(seed % 10) + ":" + Num((seed + 1) % 10);
    for (int k = 0; k < 6; ++k) w += ":" + Z(seed == 7 ? 99999999 : seed * 100 + k, 8);
    return w;
}

struct TableCase {
    const char* emu;    // the emulator's name of the table
    const char* file;   // the table file
    int length;         // its record length
    bool loyalty;       // on the loyalty models only
    std::function<int()> records;               // records of the file
    std::function<std::string(int)> record;     // record n; "" keeps the file's
    std::function<Lines(int)> sent;             // what the register gets of it
    std::function<bool()> send, read, create;
};

std::vector<TableCase> Cases() {
    return {
        {"icon texts", kIconTextFile, 106, false, Messages,
         [](int n) {
             // Message 2 has an empty line 3 and a line of twenty characters.
             std::string r = Pad(Num(n), 2) + Pad(Num(n + 10), 2);
             for (int k = 1; k <= 5; ++k)
                 r += Pad(n == 2 && k == 3 ? "" : n == 2 && k == 5 ? std::string(20, 'W')
                                                                   : "Msg " + Num(n) + " line " + Num(k),
                          20);
             return r + kEnd;
         },
         [](int n) {
             Lines out;
             for (int k = 1; k <= 5; ++k)
                 out.push_back(Num(n) + ":" + Num(k) + ":" +
                               (n == 2 && k == 3 ? "" : n == 2 && k == 5 ? std::string(20, 'W')
                                                                         : "Msg " + Num(n) + " line " + Num(k)) +
                               ":" + Num(n + 10));
             return out;
         },
         SendTestoIcone, ReqTestoIcone, CreateTestoIcone},
        {"loyalty by department", kRepFidFile, 156, true, [] { return int(Sizes.nMaxReparti); },
         [](int n) {
             if (n < 5 || n > 7) return std::string();
             return Z(n, 4) + LoyaltyLine(n) + LoyaltyLine(n + 1) + LoyaltyLine(n + 2) + kEnd;
         },
         [](int n) {
             if (n < 5 || n > 7) return Lines{};
             Lines out;
             for (int k = 0; k < 3; ++k) out.push_back(Num(n) + ":" + Num(k) + ":" + LoyaltyWire(n + k));
             return out;
         },
         [] { return SendRepFid(5, 7); }, [] { return ReqRepFid(5, 7); }, CreateRepFid},
        {"loyalty subtotal", kSubFidFile, 152, true, [] { return 1; },
         [](int) { return LoyaltyLine(3) + LoyaltyLine(7) + LoyaltyLine(9) + kEnd; },
         [](int) { return Lines{"0:" + LoyaltyWire(3), "1:" + LoyaltyWire(7), "2:" + LoyaltyWire(9)}; },
         SendSubFid, ReqSubFid, CreateSubFid},
        {"loyalty lines", kCirCliFile, 12, true, [] { return kCirCliSlots; },
         [](int n) { return Z(n, 2) + Z(n == 10 ? 9999999 : n * 1234, 7) + Num(n % 3) + kEnd; },
         [](int n) {
             return Lines{Z(n, 2) + ":" + Z(n == 10 ? 9999999 : n * 1234, 7) + ":" + Num(n % 3)};
         },
         SendCirCli, ReqCirCli, CreateCirCli},
        {"price weight codes", kPrezPesoFile, 12, false, [] { return kPrzPesoSlots; },
         [](int n) { return Z(n, 2) + Z(n == 11 ? 99999999 : n * 21, 8) + kEnd; },
         [](int n) { return Lines{Z(n, 2) + ":" + Z(n == 11 ? 99999999 : n * 21, 8)}; },
         SendPrzPeso, ReqPrzPeso, CreatePrzPeso},
    };
}

Lines Fill(const TableCase& t, std::string& filled) {
    return timertest::FillTable(t.file, t.length, t.records(), t.record, t.sent, filled);
}

TEST_F(LoyaltyLinkTest, EveryTableSentAndReadBackOnEachModel) {
    for (const int16_t model : {int16_t(1), int16_t(3)}) {
        Open(model);
        SCOPED_TRACE(ConfigLevel.CashType());
        const bool loyalty = ConfigLevel.CashType() == "DRAVO57";
        EXPECT_EQ(std::filesystem::exists(platform::JoinPath(Core.strCashDir, kRepFidFile)), loyalty);
        for (const TableCase& t : Cases()) {
            if (t.loyalty && !loyalty) continue;
            SCOPED_TRACE(t.emu);
            std::string filled;
            const Lines sent = Fill(t, filled);
            ASSERT_TRUE(Run(t.send));
            EXPECT_EQ(registers[0]->Received(t.emu), sent);
            EXPECT_TRUE(registers[0]->Refused(t.emu).empty());
            EXPECT_EQ(LinkState.nPendingAns, 0);

            ASSERT_TRUE(t.create());  // the local table is lost
            ASSERT_TRUE(Run(t.read));
            EXPECT_TRUE(File(t.file) == filled) << File(t.file);
        }
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(ts.errors.empty());
        StopLine();
    }
}

// The directory send: the register's directory is read, its codes freed,
// the user's directory sent; DirPLU.txt is the user's throughout. A read on
// its own then stores the register's directory and sets the old aside.
TEST_F(LoyaltyLinkTest, TheDirectorySendReplacesTheRegistersDirectory) {
    for (const int16_t model : {int16_t(1), int16_t(3)}) {
        Open(model);
        SCOPED_TRACE(ConfigLevel.CashType());
        const int last = Sizes.nMaxDirPLU;
        std::string user = File(kDirPLUFile);
        ASSERT_EQ(user.size(), static_cast<size_t>(last) * 18);
        auto slot = [&](int n, const std::string& code) {
            user.replace(static_cast<size_t>(n - 1) * 18, 13, Pad(code, 13));
        };
        slot(1, "4000123456789");
        slot(5, "123");
        slot(last, "9");
        Put(kDirPLUFile, user);
        registers[0]->SetRecords("plu directory", {"77:2:", "123:7:", "55:" + Num(last) + ":"});

        ASSERT_TRUE(Run(SendDirPLU));
        EXPECT_EQ(registers[0]->Records("plu directory"),
                  (Lines{"4000123456789:1:", "123:5:", "9:" + Num(last) + ":"}));
        EXPECT_EQ(registers[0]->Received("plu directory"),
                  (Lines{"4000123456789:1", "123:5", "9:" + Num(last)}));
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(ReqState.nTxDirPLU, kFileDone);
        EXPECT_TRUE(File(kDirPLUFile) == user);

        // A read alone: what the register holds, on free slots; the old file
        // set aside.
        registers[0]->SetRecords("plu directory", {"  77  :3:", "123:5:"});
        ASSERT_TRUE(Run(ReqDirPLU));
        EXPECT_TRUE(File(kDirPLUFile + std::string(".bak")) == user);
        std::string read = user;
        for (int n : {1, 5, last}) read.replace(static_cast<size_t>(n - 1) * 18, 13, Pad("", 13));
        read.replace(2 * 18, 13, Pad("77", 13));
        read.replace(4 * 18, 13, Pad("123", 13));
        EXPECT_TRUE(File(kDirPLUFile) == read) << File(kDirPLUFile);
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(ts.errors.empty());
        StopLine();
    }
}

// A read line changes exactly the part of its record that it names: one
// line and the icon of one message, one loyalty line of one department or of
// the subtotal.
TEST_F(LoyaltyLinkTest, AReadLineChangesExactlyThePartItNames) {
    Open(3);
    struct Case {
        const char* emu;
        const char* file;
        std::string line;
        size_t offset;         // where the change starts in the file
        std::string changed;   // the bytes there after the read
        std::function<bool()> read;
    };
    const Case cases[] = {
        {"icon texts", kIconTextFile, "2:3:NEW TEXT:9:", 106 + 2, Pad("9", 2) + Pad("", 40) + Pad("NEW TEXT", 20),
         ReqTestoIcone},
        {"loyalty by department", kRepFidFile, "5:1:12:0:1:2:3:4:5:6:", 4 * 156 + 4 + 50,
         "10" "00000001" "00000002" "00000003" "00000004" "00000005" "00000006", [] { return ReqRepFid(5, 5); }},
        {"loyalty subtotal", kSubFidFile, "2:3:4:0:0:0:0:0:77:", 100,
         "34" + Z(0, 40) + Z(77, 8), ReqSubFid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.emu);
        std::string before = File(c.file);
        registers[0]->SetRecords(c.emu, {c.line});
        ASSERT_TRUE(Run(c.read));
        std::string expected = before;
        expected.replace(c.offset, c.changed.size(), c.changed);
        EXPECT_TRUE(File(c.file) == expected) << File(c.file);
    }
    EXPECT_TRUE(ts.errors.empty());
}

// Lines that a table cannot hold: each is acknowledged, listed once among
// the errors and changes nothing on disk; the read fails, counting the lines.
TEST_F(LoyaltyLinkTest, LinesThatCannotBeStoredChangeNothing) {
    Open(3);
    const int messages = Messages();
    struct Bad {
        const char* emu;
        Lines lines;
        std::function<bool()> read;
        const char* counted = nullptr;  // the read's failure: its file, not stored/received
    };
    const Bad bad[] = {
        {"icon texts", {"1:6:Line six:1:", "1:0:Line zero:1:", "0:1:Message zero:1:",
                        Num(messages + 1) + ":1:Past the end:1:", "1:1:Cut short"},
         ReqTestoIcone},
        {"loyalty by department",
         {"0:0:1:1:1:1:1:1:1:1:", "251:0:1:1:1:1:1:1:1:1:", "5:3:1:1:1:1:1:1:1:1:",
          "5:0:1:1:123456789:1:1:1:1:1:", "5:0:1:1:1:1:1:1:1:"},
         [] { return ReqRepFid(1, 250); }},
        {"loyalty subtotal", {"3:1:1:1:1:1:1:1:1:", "-1:1:1:1:1:1:1:1:1:", "0:1:1:1:1:1:1:1:"}, ReqSubFid},
        {"loyalty lines", {"0:1:1:", "11:1:1:", "1:12345678:1:"}, ReqCirCli, "CirCli.txt (3/3)"},
        {"price weight codes", {"0:1:", "12:1:", "3:123456789:", "4"}, ReqPrzPeso, "PrezPeso.txt (4/4)"},
        {"plu directory", {"12345678901234:1:", "1:0:", "1:251:", "1"}, ReqDirPLU},
    };
    const char* files[] = {kIconTextFile, kRepFidFile, kSubFidFile, kCirCliFile, kPrezPesoFile};
    std::vector<std::string> before;
    for (const char* f : files) before.push_back(File(f));
    size_t expected = 0, counted = 0;
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.emu);
        registers[0]->SetRecords(b.emu, b.lines);
        expected += b.lines.size() + (b.counted ? 1 : 0);
        ASSERT_TRUE(Run(b.read));
        ASSERT_EQ(ts.errors.size(), expected);
        if (b.counted) {
            ++counted;
            EXPECT_EQ(ts.errors.back().text,
                      GetText("Log", "readrefused") + " " + platform::JoinPath(Core.strCashDir, b.counted));
        }
    }
    for (size_t i = 0; i < std::size(files); ++i) EXPECT_TRUE(File(files[i]) == before[i]) << files[i];
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(testsupport::CountOf(ErrorLog(), "[012]"), counted) << ErrorLog();
}

// A register that falls silent halfway through a read or a directory send:
// the command ends by its answer time-out and every file is as it was; the
// user's directory is never lost.
TEST_F(LoyaltyLinkTest, ATransferCutShortLeavesTheFilesAsTheyWere) {
    Open(3);
    std::string user = File(kDirPLUFile);
    user.replace(0, 13, Pad("111", 13));
    user.replace(9 * 18, 13, Pad("999", 13));
    Put(kDirPLUFile, user);
    Lines many;
    for (int n = 1; n <= 20; ++n) many.push_back(Num(500 + n) + ":" + Num(n) + ":");
    registers[0]->SetRecords("plu directory", many);
    registers[0]->SetRecords("icon texts", {"1:1:A:1:", "1:2:B:1:", "2:1:C:2:", "3:1:D:3:"});
    registers[0]->SetRecords("loyalty by department",
                             {"1:0:1:1:1:1:1:1:1:1:", "1:1:1:1:1:1:1:1:1:1:", "2:0:1:1:1:1:1:1:1:1:"});
    const std::string icons = File(kIconTextFile), repfid = File(kRepFidFile);

    emu::RegisterConfig stall = registers[0]->Config();
    stall.lineDelay = 0.05;  // time to see the first pass begin
    stall.stallAfter = 2;
    registers[0]->SetConfig(stall);
    for (auto read : {ReqTestoIcone, ReqDirPLU}) ASSERT_TRUE(Run(read));
    ASSERT_TRUE(Run([] { return ReqRepFid(1, 2); }));
    EXPECT_TRUE(File(kIconTextFile) == icons);
    EXPECT_TRUE(File(kRepFidFile) == repfid);
    EXPECT_TRUE(File(kDirPLUFile) == user);

    // The directory send: its read goes through, its first pass stops after
    // a few of the register's twenty codes.
    stall.stallAfter = -1;
    registers[0]->SetConfig(stall);
    ASSERT_TRUE(SendDirPLU());
    ASSERT_TRUE(RunUntil([&] {
        for (const std::string& c : registers[0]->Commands())
            if (c == "*2;+4;*i;*3;") return true;
        return false;
    }, 60));
    stall.stallAfter = 3;
    registers[0]->SetConfig(stall);
    ASSERT_TRUE(RunToIdle(60));
    EXPECT_TRUE(File(kDirPLUFile) == user);
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);

    // The next send, on a register that answers, gives it the user's
    // directory whole.
    stall.stallAfter = -1;
    registers[0]->SetConfig(stall);
    ASSERT_TRUE(Run(SendDirPLU));
    EXPECT_EQ(registers[0]->Records("plu directory"), (Lines{"111:1:", "999:10:"}));
    EXPECT_TRUE(File(kDirPLUFile) == user);
}

// A send over two registers in addressed mode: each register gets the
// whole table, the second as the first, and each answer procedure counts its
// end once per register.
TEST_F(LoyaltyLinkTest, EveryRegisterOfASendGetsTheWholeTable) {
    Open(3, true, {0, 1});
    std::vector<Lines> sent;
    // Each register's folder gets the same tables.
    for (int r = 0; r < 2; ++r) {
        if (r == 1) {
            CassaList[0].bDone = True;
            ASSERT_TRUE(NextCash(false));
        }
        sent.clear();
        for (const TableCase& t : Cases()) {
            std::string filled;
            sent.push_back(Fill(t, filled));
        }
        std::string dirplu = File(kDirPLUFile);
        dirplu.replace(3 * 18, 13, Pad("44", 13));
        Put(kDirPLUFile, dirplu);
    }
    for (auto& reg : registers) reg->SetRecords("plu directory", {"66:1:"});
    std::vector<TableCase> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].emu);
        ASSERT_TRUE(Run(cases[i].send));
        for (auto& reg : registers) EXPECT_EQ(reg->Received(cases[i].emu), sent[i]);
        EXPECT_EQ(LinkState.nPendingAns, 0);
    }
    ASSERT_TRUE(Run(SendDirPLU));
    for (auto& reg : registers) EXPECT_EQ(reg->Records("plu directory"), Lines{"44:4:"});
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(ts.errors.empty());
}

}  // namespace
