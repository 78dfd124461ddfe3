// The fixed tables over the line: department and statistic groups, multiple
// functions, currencies, change loading, discounts with their options and
// stamps, each sent to the register emulator by its builder and read back,
// on LX4100 and on a model of the newer family. The emulator keeps what it
// receives and sends it back when the table is read.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/cassa_conf.h"
#include "core/numbers.h"
#include "core/open_register.h"
#include "link/builders_tables.h"
#include "link/timer_fixture.h"
#include "platform/files.h"
#include "tables/currencies.h"
#include "tables/discounts.h"
#include "tables/groups.h"
#include "tables/multiple_functions.h"
#include "tables/table_procs.h"
#include "tables/transfer.h"

namespace {

using tables::DefaultRecord;

std::string Num(int n) { return std::to_string(n); }

class FixedTablesLinkTest : public timertest::TimerTest {
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
    // A new folder for register 0 of the model, on a line of its own.
    void OpenModel(int16_t model, bool addressed = false, std::vector<int> stations = {0},
                   std::vector<emu::RegisterConfig> configs = {}) {
        ConfigLevel.InitOffLine(model, "V014057");
        for (int s : stations) std::filesystem::remove_all(dir.file("Cassa" + Num(s + 1)));
        StartLine(addressed, stations, std::move(configs), 2);
        for (size_t i = 0; i < stations.size(); ++i)
            Define(static_cast<int>(i), stations[i], addressed);
        ASSERT_TRUE(NextCash(true));
    }
    void StopLine() {
        SetPortFactory({});
        emulator->Stop();
        emulator.reset();
        registers.clear();
        for (auto& e : CassaList) e.bConnected = False;
    }
    std::string File(const std::string& name) const {
        return testsupport::ReadAll(platform::JoinPath(Core.strCashDir, name));
    }
};

// ---- The tables, filled with values of their own in the form a read stores

void FillGroups(bool (*save)(int16_t, NameRec&), int16_t count, const std::string& what) {
    for (int16_t n = 1; n <= count; ++n) {
        NameRec rec = DefaultRecord<NameRec>(n);
        rec.name = what + " " + Num(n) + (n == count ? std::string(30, 'x') : "");
        ASSERT_TRUE(save(n, rec));
    }
}
std::vector<std::string> SentGroups(int16_t count, const std::string& what) {
    std::vector<std::string> out;
    for (int n = 1; n <= count; ++n)
        out.push_back(Num(n) + ":" + what + " " + Num(n) +
                      (n == count ? std::string(30 - what.size() - 1 - Num(n).size(), 'x') : ""));
    return out;
}

// Multiple functions 5 (steps 1 and 3), 7 (step 60) and the last (every
// step); the others are the default ones, which hold no step.
void FillFMult() {
    auto put = [](int16_t n, const std::string& descr, int flags,
                  std::vector<std::pair<int, int>> steps) {
        FunMulRec rec;
        ASSERT_TRUE(GetFMult(n, rec));
        rec.description = descr;
        rec.flags.PutNum(flags);
        for (auto [s, code] : steps) rec.Item[s - 1].code.PutNum(code);
        ASSERT_TRUE(SaveFMult(n, rec));
    };
    put(5, "ABC", 0, {{1, 110}, {3, 20}});
    put(7, "Menu 7", 3, {{60, 5}});
    std::vector<std::pair<int, int>> all;
    for (int s = 1; s <= 60; ++s) all.emplace_back(s, 900 + s % 100);
    put(Sizes.nMaxFunMul, "Every step", 1, all);
}
std::vector<std::string> SentFMult() {
    std::vector<std::string> out = {"1:5:ABC:0", "2:5:1:110", "2:5:3:20", "1:7:Menu 7:3", "2:7:60:5"};
    const std::string last = Num(Sizes.nMaxFunMul);
    out.push_back("1:" + last + ":Every step:1");
    for (int s = 1; s <= 60; ++s) out.push_back("2:" + last + ":" + Num(s) + ":" + Num(900 + s % 100));
    return out;
}

// Rates with the system's separator in the file, "," on the wire.
const char* const kRates[] = {"", "000001.00000000", "001936.27000000", "000000.00012345",
                              "099999.99999999"};
const char* const kWireRates[] = {"", "00001,00000000", "01936,27000000", "00000,00012345",
                                  "99999,99999999"};
int16_t FirstCurrency() { return NewerFamily() ? 2 : 1; }

void FillCurrencies() {
    for (int16_t n = FirstCurrency(); n <= Sizes.nMaxValute; ++n) {
        ValutaRec rec = DefaultRecord<ValutaRec>(n);
        rec.P530 = ReplaceChr(kRates[n], ".", Numbers.strDecSep);
        rec.P532.PutNum(n + 4);
        rec.P531 = n == 4 ? "EIGHTCHR" : "CUR" + Num(n);
        ASSERT_TRUE(SaveValuta(n, rec));
    }
}
std::vector<std::string> SentCurrencies() {
    std::vector<std::string> out;
    for (int n = FirstCurrency(); n <= Sizes.nMaxValute; ++n)
        out.push_back(Num(n) + ":" + kWireRates[n] + ":" + Num(n + 4) + ":" +
                      (n == 4 ? "EIGHTCHR" : "CUR" + Num(n)));
    return out;
}

void FillChange() {
    for (int16_t n = 1; n <= Sizes.nMaxRResto; ++n) {
        RRestoRec rec = DefaultRecord<RRestoRec>(n);
        rec.pieces.PutNum(n * 7);
        ASSERT_TRUE(SaveRResto(n, rec));
    }
}
std::vector<std::string> SentChange() {
    std::vector<std::string> out;
    for (int n = 1; n <= Sizes.nMaxRResto; ++n) out.push_back(Num(n) + ":" + tables::FormatNum(n * 7, 3));
    return out;
}

void FillDiscounts() {
    for (int16_t n = 1; n <= Sizes.nMaxScoMag; ++n) {
        ScoMagRec rec = DefaultRecord<ScoMagRec>(n);
        rec.P421.PutNum(n * 13 % 256);
        rec.P423.PutLeftNum(n * 100);
        rec.P422.PutLeftNum(n == 1 ? 99999999 : n);
        if (n != 2) rec.P420 = "Discount " + Num(n);  // discount 2 has none
        ASSERT_TRUE(SaveScoMag(n, rec));
    }
    CassaConf.P4102 = "150";
    CassaConf.P4112 = "75";
    CassaConf.P4122 = 7;
    CassaConf.P4101A = "2500";
    CassaConf.P4101B = 12;
    CassaConf.P4111 = {0, 1, 2, 3, 4, 5, 20};
    ASSERT_TRUE(SaveCassa());  // the builders open the register's folder again
}
std::vector<std::string> SentDiscounts() {
    std::vector<std::string> out;
    for (int n = 1; n <= Sizes.nMaxScoMag; ++n)
        out.push_back(Num(n) + ":" + Num(n * 13 % 256) + ":" + Num(n * 100) + ":" +
                      (n == 1 ? "99999999" : Num(n)) + ":" + (n == 2 ? " " : "Discount " + Num(n)));
    return out;
}
void ForgetOptions() {
    CassaConf.P4102 = CassaConf.P4112 = CassaConf.P4101A = "";
    CassaConf.P4122 = CassaConf.P4101B = 0;
    CassaConf.P4111 = {};
    ASSERT_TRUE(SaveCassa());
}

void FillStamps() {
    for (int16_t n = 1; n <= Sizes.nMaxBollini; ++n) {
        BollinoRec rec = DefaultRecord<BollinoRec>(n);
        rec.P430.PutNum(n + 5);
        for (int k = 0; k < 4; ++k) {
            rec.P431[k].PutNum(n == 4 ? 999999 : n * 1000 + k);
            rec.P432[k].PutNum(n * 10 + k);
        }
        ASSERT_TRUE(SaveBollino(n, rec));
    }
}
std::vector<std::string> SentStamps() {
    std::vector<std::string> out;
    for (int n = 1; n <= Sizes.nMaxBollini; ++n) {
        std::string r = Num(n) + ":" + Num(n + 5);
        for (int k = 0; k < 4; ++k)
            r += ":" + Num(n == 4 ? 999999 : n * 1000 + k) + ":" + Num(n * 10 + k);
        out.push_back(r);
    }
    return out;
}

struct TableCase {
    const char* emu;   // the emulator's name of the table
    const char* file;  // the table file
    bool newerOnly;    // the table exists on the newer family only
    std::function<void()> fill;
    std::function<bool()> send;
    std::function<bool()> read;  // empty: the table is not read back
    std::function<bool()> create;  // the default file
    std::function<std::vector<std::string>()> sent;
};

std::vector<TableCase> Cases() {
    return {
        {"department groups", kGrpRepFile, false,
         [] { FillGroups(SaveGrpRep, Sizes.nMaxGrpRep, "Dept group"); }, SendGrpRep, ReqGrpRep,
         CreateGrpRep, [] { return SentGroups(Sizes.nMaxGrpRep, "Dept group"); }},
        {"statistic groups", kGrpStaFile, false,
         [] { FillGroups(SaveGrpSta, Sizes.nMaxGrpSta, "Stat group"); }, SendGrpSta, ReqGrpSta,
         CreateGrpSta, [] { return SentGroups(Sizes.nMaxGrpSta, "Stat group"); }},
        {"multiple functions", kFunMulFile, true, FillFMult,
         [] { return SendFMult(1, Sizes.nMaxFunMul); }, ReqFMult, CreateFMult, SentFMult},
        {"currencies", kValuteFile, false, FillCurrencies, SendValuta, ReqValuta, CreateValuta,
         SentCurrencies},
        {"change loading", kRRestoFile, true, FillChange, SendRResto, {}, CreateRResto, SentChange},
        {"discounts", kScoMagFile, false, FillDiscounts, SendScoMag, ReqScoMag, CreateScoMag,
         SentDiscounts},
        {"stamps", kBolliniFile, false, FillStamps, SendBollino, ReqBollino, CreateBollino,
         SentStamps},
    };
}

// Every table sent and read back, on each model: the register gets each
// record field for field, and the read brings the file back byte for byte;
// the discount options travel with the discounts and come back into the
// options record and Cassa.txt.
TEST_F(FixedTablesLinkTest, EveryTableSentAndReadBackOnEachModel) {
    struct Model {
        int16_t number;
        const char* key;
        const char* decSep;
    };
    for (const Model m : {Model{1, "LX4100", ","}, Model{9, "TIMBREL", "."}}) {
        SCOPED_TRACE(m.key);
        Numbers.strDecSep = m.decSep;
        OpenModel(m.number);
        const bool lx = ConfigLevel.CashType() == "LX4100";
        for (const TableCase& t : Cases()) {
            if (t.newerOnly && !NewerFamily()) continue;
            SCOPED_TRACE(t.emu);
            t.fill();
            const std::string filled = File(t.file);

            ASSERT_TRUE(t.send());
            ASSERT_TRUE(RunToIdle(60));
            EXPECT_EQ(registers[0]->Received(t.emu), t.sent());
            EXPECT_EQ(LinkState.nPendingAns, 0);
            if (!t.read) continue;

            ASSERT_TRUE(t.create());  // the local table is lost
            if (std::string(t.file) == kScoMagFile) ForgetOptions();
            ASSERT_TRUE(t.read());
            ASSERT_TRUE(RunToIdle(60));
            EXPECT_TRUE(File(t.file) == filled) << File(t.file);
        }
        // The options: one answer each, the array not on LX4100.
        EXPECT_EQ(registers[0]->Received("discount options"),
                  std::vector<std::string>{lx ? "150:75:7" : "2500:12"});
        EXPECT_EQ(registers[0]->Received("discount option array"),
                  lx ? std::vector<std::string>{} : std::vector<std::string>{"1:2:3:4:5:20"});
        CassaConfRec read = CassaConf;
        LoadCassa(false);  // what Cassa.txt holds
        for (const CassaConfRec& c : {read, CassaConf}) {
            if (lx) {
                EXPECT_EQ(c.P4102, "150");
                EXPECT_EQ(c.P4112, "75");
                EXPECT_EQ(c.P4122, 7);
            } else {
                EXPECT_EQ(c.P4101A, "2500");
                EXPECT_EQ(c.P4101B, 12);
                EXPECT_EQ(c.P4111, (std::array<int16_t, 7>{0, 1, 2, 3, 4, 5, 20}));
            }
        }
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(ts.errors.empty());
        StopLine();
    }
}

// Lines the register sends that a table cannot store: each is acknowledged,
// listed once among the errors and changes nothing on disk (a step of a
// refused header goes with it without a line of its own).
TEST_F(FixedTablesLinkTest, LinesThatCannotBeStoredChangeNothing) {
    OpenModel(3);  // DRAVO57
    struct Bad {
        const char* emu;
        std::vector<std::string> lines;
        size_t errors;
    };
    const Bad bad[] = {
        {"department groups", {"123:Too wide:", "0:Number zero:", "7:Cut short"}, 3},
        {"statistic groups", {"-1:Negative:"}, 1},
        {"multiple functions",
         {"1:251:Beyond:0:", "2:251:1:5:", "2:0:1:5:", "1:5:100005:1000:", "1:5:100005:0:",
          "2:5:61:3:", "2:5:0:3:", "2:5:2:1000:", "3:5:1:1:"},
         6},
        {"currencies", {"2:1234567,5:0:BIG:", "3:1,5:12:WIDE:", "4:-1:0:NEG:"}, 3},
        {"discounts", {"1:16:123456789:0:X:", "2:1000:0:0:Y:"}, 2},
        {"discount option array", {"1:2:3:4:5:99999:"}, 1},
        {"discount options", {"2500:40000:"}, 1},
        {"stamps", {"1:0:1000000:0:0:0:0:0:0:0:", "2:0:0:1000:0:0:0:0:0:0:"}, 2},
    };
    size_t expected = 0;
    for (const Bad& b : bad) {
        registers[0]->SetRecords(b.emu, b.lines);
        expected += b.errors;
    }
    const CassaConfRec options = CassaConf;
    std::vector<std::string> before;
    const char* files[] = {kGrpRepFile, kGrpStaFile, kFunMulFile, kValuteFile, kScoMagFile, kBolliniFile};
    for (const char* f : files) before.push_back(File(f));

    for (bool (*read)() : {ReqGrpRep, ReqGrpSta, ReqFMult, ReqValuta, ReqScoMag, ReqBollino}) {
        ASSERT_TRUE(read());
        ASSERT_TRUE(RunToIdle(60));
    }
    for (size_t i = 0; i < std::size(files); ++i) EXPECT_TRUE(File(files[i]) == before[i]) << files[i];
    EXPECT_EQ(CassaConf.P4101B, options.P4101B);
    EXPECT_EQ(CassaConf.P4111, options.P4111);
    // Each error names the line it refused.
    EXPECT_EQ(ts.errors.size(), expected);
    for (const auto& e : ts.errors) {
        bool named = false;
        for (const Bad& b : bad)
            for (const std::string& l : b.lines)
                named = named || (e.text.size() >= l.size() &&
                                  e.text.compare(e.text.size() - l.size(), l.size(), l) == 0);
        EXPECT_TRUE(named) << e.text;
    }
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(LinkState.nPendingAns, 0);
}

// A send abandoned on one register (it falls silent halfway through the
// multiple functions) gives the next register of the run the whole range.
TEST_F(FixedTablesLinkTest, AnAbandonedSendGivesTheNextRegisterTheWholeRange) {
    emu::RegisterConfig silent;
    silent.stallAfter = 4;
    OpenModel(3, true, {0, 1}, {silent, {}});
    FillFMult();
    CassaList[0].bDone = True;
    ASSERT_TRUE(NextCash(false));
    FillFMult();  // register 1's folder

    ASSERT_TRUE(SendFMult(1, Sizes.nMaxFunMul));
    ASSERT_TRUE(RunToIdle(60));
    EXPECT_TRUE(registers[0]->Received("multiple functions").empty());
    EXPECT_EQ(registers[1]->Received("multiple functions"), SentFMult());
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);  // register 0's answer time-out
}

}  // namespace
