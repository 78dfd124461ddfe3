// The fixed tables over the line: department and statistic groups, multiple
// functions, currencies, change loading, discounts with their options and
// stamps, each sent to the register emulator by its builder and read back,
// on LX4100 and on a model of the newer family. The emulator keeps what it
// receives and sends it back when the table is read.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "core/cassa_conf.h"
#include "engine/open_register.h"
#include "engine/builders_tables.h"
#include "core/texts.h"
#include "transfers/table_link_fixture.h"
#include "store/currencies.h"
#include "store/discounts.h"
#include "store/groups.h"
#include "store/multiple_functions.h"
#include "core/config_level.h"

namespace {

using namespace testsupport::text;

using FixedTablesLinkTest = timertest::TableLinkTest;

// Multiple functions 5 (steps 1 and 3), 7 (step 60) and the last (every
// step); the others keep their default records, which hold no step.
std::string FMult(int n) {
    std::map<int, int> codes;
    if (n == 5) codes = {{1, 110}, {3, 20}};
    if (n == 7) codes = {{60, 5}};
    if (n == Sizes.nMaxFunMul)
        for (int s = 1; s <= 60; ++s) codes[s] = 900 + s % 100;
    if (codes.empty()) return "";
    std::string steps;
    for (int s = 1; s <= 60; ++s) steps += Z(s, 2) + Z(codes.count(s) ? codes[s] : 0, 3);
    const char* descr = n == 5 ? "ABC" : n == 7 ? "Menu 7" : "Every step";
    return Z(n, 3) + Pad(descr, 12) + Z(n == 7 ? 3 : n == 5 ? 0 : 1, 3) + steps + kEnd;
}
Lines FMultSent(int n) {
    if (n == 5) return {"1:5:ABC:0", "2:5:1:110", "2:5:3:20"};
    if (n == 7) return {"1:7:Menu 7:3", "2:7:60:5"};
    if (n != Sizes.nMaxFunMul) return {};
    Lines out = {"1:" + Num(n) + ":Every step:1"};
    for (int s = 1; s <= 60; ++s) out.push_back("2:" + Num(n) + ":" + Num(s) + ":" + Num(900 + s % 100));
    return out;
}

// Rates: the system's separator in the file, "," and five integer digits on
// the wire. The newer family's first currency is never sent.
const char* const kRates[] = {"", "000001.00000000", "001936.27000000", "000000.00012345",
                              "099999.99999999"};
const char* const kWireRates[] = {"", "00001,00000000", "01936,27000000", "00000,00012345",
                                  "99999,99999999"};
bool Unsent(int currency) { return currency == 1 && NewerFamily(); }
std::string Currency(int n) { return n == 4 ? "EIGHTCHR" : "CUR" + Num(n); }

// Discount 2 has no description (a single blank on the wire); P423 and P422
// are left-aligned numbers.
std::string DiscountName(int n) { return n == 2 ? "" : "Discount " + Num(n); }
int64_t P422(int n) { return n == 1 ? 99999999 : n; }

struct TableCase {
    const char* emu;   // the emulator's name of the table
    const char* file;  // the table file
    int length;        // its record length
    bool newerOnly;    // the table exists on the newer family only
    int16_t TableSizes::*size;
    std::function<std::string(int)> record;  // record n; "" keeps the file's
    std::function<Lines(int)> sent;          // what the register gets of it
    std::function<bool()> send, read, create;  // read empty: never read back
};

std::vector<TableCase> Cases() {
    // The last department group's name fills its 30 characters.
    auto name = [](const char* what, int n) {
        return (what + Num(n) + (n == 12 ? std::string(30, 'x') : "")).substr(0, 30);
    };
    auto groups = [name](const char* what) {
        return [=](int n) { return Z(n, 2) + Pad(name(what, n), 30) + kEnd; };
    };
    auto groupSent = [name](const char* what) {
        return [=](int n) { return Lines{Num(n) + ":" + name(what, n)}; };
    };
    return {
        {"department groups", kGrpRepFile, 34, false, &TableSizes::nMaxGrpRep, groups("Dept "),
         groupSent("Dept "), SendGrpRep, ReqGrpRep, CreateGrpRep},
        {"statistic groups", kGrpStaFile, 34, false, &TableSizes::nMaxGrpSta, groups("Stat "),
         groupSent("Stat "), SendGrpSta, ReqGrpSta, CreateGrpSta},
        {"multiple functions", kFunMulFile, 320, true, &TableSizes::nMaxFunMul, FMult, FMultSent,
         [] { return SendFMult(1, Sizes.nMaxFunMul); }, ReqFMult, CreateFMult},
        {"currencies", kValuteFile, 27, false, &TableSizes::nMaxValute,
         [](int n) {
             return Unsent(n) ? "" : Num(n) + ReplaceChr(kRates[n], ".", Numbers.strDecSep) +
                                         Num(n + 4) + Pad(Currency(n), 8) + kEnd;
         },
         [](int n) {
             return Unsent(n) ? Lines{}
                              : Lines{Num(n) + ":" + kWireRates[n] + ":" + Num(n + 4) + ":" + Currency(n)};
         },
         SendValuta, ReqValuta, CreateValuta},
        {"change loading", kRRestoFile, 6, true, &TableSizes::nMaxRResto,
         [](int n) { return Num(n) + Z(n * 7, 3) + kEnd; },
         [](int n) { return Lines{Num(n) + ":" + Z(n * 7, 3)}; }, SendRResto, {}, CreateRResto},
        {"discounts", kScoMagFile, 53, false, &TableSizes::nMaxScoMag,
         [](int n) {
             return Z(n, 2) + Z(n * 13 % 256, 3) + Pad(Num(n * 100), 8) + Pad(Num(P422(n)), 8) +
                    Pad(DiscountName(n), 30) + kEnd;
         },
         [](int n) {
             return Lines{Num(n) + ":" + Num(n * 13 % 256) + ":" + Num(n * 100) + ":" + Num(P422(n)) +
                          ":" + (n == 2 ? " " : DiscountName(n))};
         },
         SendScoMag, ReqScoMag, CreateScoMag},
        {"stamps", kBolliniFile, 40, false, &TableSizes::nMaxBollini,
         [](int n) {
             std::string r = Num(n) + Num(n + 5);
             for (int k = 0; k < 4; ++k) r += Z(n == 4 ? 999999 : n * 1000 + k, 6);
             for (int k = 0; k < 4; ++k) r += Z(n * 10 + k, 3);
             return r + kEnd;
         },
         [](int n) {
             std::string r = Num(n) + ":" + Num(n + 5);
             for (int k = 0; k < 4; ++k)
                 r += ":" + Num(n == 4 ? 999999 : n * 1000 + k) + ":" + Num(n * 10 + k);
             return Lines{r};
         },
         SendBollino, ReqBollino, CreateBollino},
    };
}

// The discount options, set in the options record and Cassa.txt (the
// builders open the register's folder again).
void SetOptions(bool set) {
    CassaConf.P4102 = set ? "150" : "";
    CassaConf.P4112 = set ? "75" : "";
    CassaConf.P4122 = set ? 7 : 0;
    CassaConf.P4101A = set ? "2500" : "";
    CassaConf.P4101B = set ? 12 : 0;
    CassaConf.P4111 = set ? std::array<int16_t, 7>{0, 1, 2, 3, 4, 5, 20} : std::array<int16_t, 7>{};
    ASSERT_TRUE(SaveCassa());
}

Lines Fill(const TableCase& t, std::string& filled) {
    return timertest::FillTable(t.file, t.length, Sizes.*t.size, t.record, t.sent, filled);
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
        SetOptions(true);
        for (const TableCase& t : Cases()) {
            if (t.newerOnly && !NewerFamily()) continue;
            SCOPED_TRACE(t.emu);
            std::string filled;
            const Lines sent = Fill(t, filled);

            ASSERT_TRUE(Run(t.send));
            EXPECT_EQ(registers[0]->Received(t.emu), sent);
            EXPECT_EQ(LinkState.nPendingAns, 0);
            if (!t.read) continue;

            ASSERT_TRUE(t.create());  // the local table is lost
            if (std::string(t.file) == kScoMagFile) SetOptions(false);
            ASSERT_TRUE(Run(t.read));
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
// refused header goes with it without a line of its own); the read fails, counting the lines.
TEST_F(FixedTablesLinkTest, LinesThatCannotBeStoredChangeNothing) {
    OpenModel(3);  // DRAVO57
    struct Bad {
        const char* emu;
        std::vector<std::string> lines;
        size_t errors;
        const char* counted;  // the read's failure: its file, not stored/received
    };
    const Bad bad[] = {
        {"department groups", {"123:Too wide:", "0:Number zero:", "7:Cut short"}, 3, "GrpRep.txt (3/3)"},
        {"statistic groups", {"-1:Negative:"}, 1, "GrpSta.txt (1/1)"},
        {"multiple functions",
         {"1:251:Beyond:0:", "2:251:1:5:", "2:0:1:5:", "1:5:100005:1000:", "1:5:100005:0:",
          "2:5:61:3:", "2:5:0:3:", "2:5:2:1000:", "3:5:1:1:"},
         6, nullptr},
        {"currencies", {"2:1234567,5:0:BIG:", "3:1,5:12:WIDE:", "4:-1:0:NEG:"}, 3, "Valute.txt (3/3)"},
        {"discounts", {"1:16:123456789:0:X:", "2:1000:0:0:Y:"}, 2, "ScoMag.txt (2/2)"},
        {"discount option array", {"1:2:3:4:5:99999:"}, 1, nullptr},
        {"discount options", {"2500:40000:"}, 1, nullptr},
        {"stamps", {"1:0:1000000:0:0:0:0:0:0:0:", "2:0:0:1000:0:0:0:0:0:0:"}, 2, "Bollini.txt (2/2)"},
    };
    size_t expected = 0;
    std::vector<std::string> counted;
    for (const Bad& b : bad) {
        registers[0]->SetRecords(b.emu, b.lines);
        expected += b.errors + (b.counted ? 1 : 0);
        if (b.counted) counted.push_back(b.counted);
    }
    const CassaConfRec options = CassaConf;
    std::vector<std::string> before;
    const char* files[] = {kGrpRepFile, kGrpStaFile, kFunMulFile, kValuteFile, kScoMagFile, kBolliniFile};
    for (const char* f : files) before.push_back(File(f));

    for (bool (*read)() : {ReqGrpRep, ReqGrpSta, ReqFMult, ReqValuta, ReqScoMag, ReqBollino}) {
        ASSERT_TRUE(Run(read));
    }
    for (size_t i = 0; i < std::size(files); ++i) EXPECT_TRUE(File(files[i]) == before[i]) << files[i];
    EXPECT_EQ(CassaConf.P4101A, options.P4101A);
    EXPECT_EQ(CassaConf.P4101B, options.P4101B);
    EXPECT_EQ(CassaConf.P4111, options.P4111);
    // Each error names the line it refused.
    EXPECT_EQ(ts.errors.size(), expected);
    for (const auto& e : ts.errors) {
        bool named = false;
        for (const std::string& c : counted)
            named = named || e.text == GetText("Log", "readrefused") + " " + platform::JoinPath(Core.strCashDir, c);
        for (const Bad& b : bad)
            for (const std::string& l : b.lines)
                named = named || (e.text.size() >= l.size() &&
                                  e.text.compare(e.text.size() - l.size(), l.size(), l) == 0);
        EXPECT_TRUE(named) << e.text;
    }
    EXPECT_EQ(testsupport::CountOf(ErrorLog(), "[012]"), counted.size()) << ErrorLog();
    EXPECT_EQ(LinkState.nPendingAns, 0);
}

// A send abandoned on one register (it falls silent halfway through the
// multiple functions) gives the next register of the run the whole range.
TEST_F(FixedTablesLinkTest, AnAbandonedSendGivesTheNextRegisterTheWholeRange) {
    emu::RegisterConfig silent;
    silent.stallAfter = 4;
    OpenModel(3, true, {0, 1}, {silent, {}});
    const TableCase fmult = Cases()[2];
    std::string filled;
    Fill(fmult, filled);
    CassaList[0].bDone = True;
    ASSERT_TRUE(NextCash(false));
    const Lines sent = Fill(fmult, filled);  // register 1's folder

    ASSERT_TRUE(SendFMult(1, Sizes.nMaxFunMul));
    ASSERT_TRUE(RunToIdle(60));
    EXPECT_TRUE(registers[0]->Received("multiple functions").empty());
    EXPECT_EQ(registers[1]->Received("multiple functions"), sent);
    EXPECT_NE(ErrorLog().find("[011]"), std::string::npos);  // register 0's answer time-out
}

}  // namespace
