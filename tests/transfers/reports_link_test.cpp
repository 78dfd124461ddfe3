// Options, keyboard, receipt header, receipt history, closure and reports
// over the line: the builders, the main timer, the link and the procedures
// against the register emulator on a pseudo-terminal, on LX4100 and on a
// model of the newer family.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "store/keyboard.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "transfers/table_link_fixture.h"
#include "platform/profile.h"
#include "transfers/history.h"
#include "transfers/reports.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

struct Model {
    int16_t number;
    const char* key;
};
const Model kModels[] = {{1, "LX4100"}, {3, "DRAVO57"}};

// The user interface of a run: its range window confirms what it proposes.
class RunShell : public timertest::TimerShell {
public:
    bool AskRange(const std::string&, std::string&, std::string&, const RangeCheck&) override { return true; }
};

class ReportsLinkTest : public timertest::TableLinkTest {
protected:
    void SetUp() override {
        TableLinkTest::SetUp();
        SetShell(&shell_);
    }
    void TearDown() override {
        SetShell(&ts);
        TableLinkTest::TearDown();
    }
    // One register in direct mode of the model, its folder opened.
    void Open(const Model& m, const std::function<void()>& beforeOpening = nullptr) {
        ConfigLevel.InitOffLine(m.number, "V014057");
        StartLine(false, {0}, {}, 2);
        Define(0, 0, false);
        registers[0]->SeedOptions(m.key);
        if (beforeOpening) beforeOpening();
        ASSERT_TRUE(NextCash(true));
    }
    // The line and the register's folder gone, for the next model.
    void Close() {
        StopLine();
        std::filesystem::remove_all(dir.file("Cassa1"));
        InitFlags();
        History = HistoryGlobals{};
        ConfigLevel.ServiceMode(false);
    }
    // Runs a builder of the current operation to its end.
    void Run(const std::function<bool()>& builder) {
        ResetTimer();  // the reports window starts an operation for each request
        ASSERT_TRUE(builder());
        ASSERT_TRUE(RunToIdle(60));
    }
    std::string Cash(const std::string& name) const { return dir.file("Cassa1/" + name); }

    RunShell shell_;
};

// Every member of the option groups a value of its own; the link settings
// as the line needs them (direct mode, P911 128) and the station's address.
void Distinct() {
    CassaConfRec& c = CassaConf;
    int16_t v = 3;
    for (int16_t* m : {&c.P914, &c.P922N, &c.P922F, &c.P922S, &c.P921, &c.P920, &c.P923, &c.P910,
                       &c.P930, &c.P013, &c.P681S, &c.P681C, &c.P042, &c.P110, &c.P019, &c.P019_1,
                       &c.P015, &c.P040, &c.P012, &c.P213, &c.PX2, &c.P915, &c.P216, &c.P041,
                       &c.P312, &c.P510, &c.P513, &c.P517, &c.P030, &c.P032, &c.P031, &c.P033,
                       &c.P020A, &c.P020B, &c.P020C, &c.P310, &c.P311, &c.P050})
        *m = v++;
    c.P017 = -4;
    c.P601G = 28, c.P601M = 2, c.P601A = 24;
    for (int i = 0; i < 6; ++i) c.P016[i] = static_cast<int16_t>(2200 - 100 * i);
    c.P511 = "shop", c.P512 = "12", c.P514 = "*first", c.P515 = "second line", c.P516 = "x";
    c.P518 = "8", c.P519 = "9", c.P050C = "04711", c.P050P = "007";
}

// The values the reads must bring back, changed in the program.
void Garble(bool lx) {
    CassaConfRec& c = CassaConf;
    for (int16_t* m : {&c.P914, &c.P922N, &c.P922F, &c.P922S, &c.P921, &c.P920, &c.P923, &c.P910,
                       &c.P930, &c.P013, &c.P681S, &c.P681C, &c.P042, &c.P110, &c.P019, &c.P019_1,
                       &c.P015, &c.P040, &c.P012, &c.P017, &c.P213, &c.PX2, &c.P915, &c.P216,
                       &c.P041, &c.P312, &c.P510, &c.P513, &c.P030, &c.P032, &c.P031,
                       &c.P020A, &c.P020B, &c.P020C, &c.P310, &c.P311, &c.P050, &c.P601G,
                       &c.P601M, &c.P601A})
        *m = static_cast<int16_t>(*m + 1000);
    for (int i = 0; i < ConfigLevel.GetMaxTabIva(); ++i) c.P016[i] = 1;
    c.P511 = c.P512 = "?";
    c.P050C = "99999", c.P050P = "999";
    // LX4100 has no P033, no P518 and P519 and no second register options group.
    if (!lx) c.P033 = 1, c.P518 = c.P519 = c.P514 = c.P515 = c.P516 = "?", c.P517 = 1;
}

TEST_F(ReportsLinkTest, EveryOptionGroupWrittenAndReadBackLeavesCassaTxtTheSame) {
    for (const Model& m : kModels) {
        SCOPED_TRACE(m.key);
        Open(m);
        const bool lx = m.number == 1;
        // What the register keeps before anything is written: its records
        // have the fields of its model (LX4100's register options end after
        // P513, its receipt options have no P033).
        CassaConf.P518 = "kept";
        ASSERT_TRUE(SaveCassa());
        Run(ReqGlbCassa);
        Run(ReqScontrino);
        EXPECT_EQ(CassaConf.P030, 52);
        EXPECT_EQ(CassaConf.P033, lx ? 10 : 11);  // LX4100: its default, untouched
        EXPECT_EQ(CassaConf.P518, lx ? "kept" : "0");
        EXPECT_EQ(CassaConf.P510, lx ? 0 : 128);
        EXPECT_TRUE(shell_.errors.empty());

        ConfigLevel.ServiceMode(true);  // the line parameters travel too
        Distinct();
        ASSERT_TRUE(SaveCassa());
        const std::string before = ReadAll(Cash("Cassa.txt"));

        for (auto send : std::vector<std::function<bool()>>{
                 SendComm, [] { return SendOpGen("", true); }, SendGlbCassa, SendScontrino,
                 SendOpeCamCli})
            Run(send);
        emu::CashRegister& reg = *registers[0];
        EXPECT_EQ(reg.Received("receipt options"),
                  std::vector<std::string>{lx ? "31:32:33" : "31:32:33:34"});
        EXPECT_EQ(reg.Received("communication"),
                  std::vector<std::string>{"3:4:5:6:7:8:9:10:11:12:13:1:128:14"});
        EXPECT_EQ(reg.Received("register options 2").size(), lx ? 0u : 1u);
        EXPECT_EQ(reg.Received("vat table"),
                  std::vector<std::string>{lx ? "2200:2100:2000:1900" : "2200:2100:2000:1900:1800"});

        Garble(lx);
        ASSERT_TRUE(SaveCassa());
        ASSERT_NE(ReadAll(Cash("Cassa.txt")), before);
        for (auto read : std::vector<std::function<bool()>>{ReqComm, ReqOpGen, ReqGlbCassa,
                                                              ReqScontrino, ReqOpeCamCli})
            Run(read);
        EXPECT_EQ(ReadAll(Cash("Cassa.txt")), before);
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(ts.errors.empty() && shell_.errors.empty());
        Close();
    }
}

TEST_F(ReportsLinkTest, AKeyboardAndAReceiptHeaderComeBackByteForByte) {
    for (const Model& m : kModels) {
        SCOPED_TRACE(m.key);
        // Every key of both levels marked to be sent, each level-1 key at
        // its level-0 key's position.
        std::string conf, garbled;
        std::string keyFile;
        Open(m, [&] {
            SetKeybInfos();
            keyFile = Keyb.strKeybConfFile = Cash(KeybConfFileName(0));
            for (int level = 0; level < 2; ++level) {
                conf += "[Livello" + std::to_string(level) + "]\r\n";
                garbled += "[Livello" + std::to_string(level) + "]\r\n";
                for (int k = 0; k <= Keyb.nNumKeys; ++k) {
                    const bool key = k < Keyb.nNumKeys;
                    const std::string start = "T" + std::to_string(k) + "=" + (key ? "1|" : "0|") +
                                              std::to_string(key ? 30 + k : 0) + "|";
                    conf += start + std::to_string(key ? 500 + 2 * k + level : 110) + "\r\n";
                    garbled += start + (key ? "1" : "110") + "\r\n";  // a fixed key is not read
                }
            }
            WriteAll(keyFile, conf);
        });
        const int16_t keys = Keyb.nNumKeys;
        ASSERT_GT(keys, 0);
        Run(SendTastiera);
        std::vector<std::string> sent = registers[0]->Received("keyboard");
        ASSERT_EQ(sent.size(), static_cast<size_t>(2 * keys));
        EXPECT_EQ(sent[1], "1:0:31:502");
        EXPECT_EQ(sent[keys + 1], "1:1:31:503");

        WriteAll(keyFile, garbled);  // the functions lost, marks and positions kept
        LoadKeyConf();
        Run(ReqTastiera);
        EXPECT_EQ(ReadAll(keyFile), conf);

        CassaConfRec& c = CassaConf;
        for (int i = 1; i <= 6; ++i) c.P021[i] = "Header line " + std::to_string(i);
        c.P023 = {"", "Thank you", "See you soon"};
        ASSERT_TRUE(SaveCassa());
        const std::string before = ReadAll(Cash("Cassa.txt"));
        Run([] { return SendIntScontrino(0); });
        EXPECT_EQ(registers[0]->Received("receipt header"),
                  (std::vector<std::string>{"A:Header line 1:Header line 2:Header line 3",
                                            "B:Header line 4:Header line 5:Header line 6",
                                            "F:Thank you:See you soon"}));
        c.P021 = {};
        c.P023 = {};
        ASSERT_TRUE(SaveCassa());
        Run(ReqIntScontrino);
        EXPECT_EQ(ReadAll(Cash("Cassa.txt")), before);
        EXPECT_EQ(ErrorLog(), "");
        Close();
    }
}

TEST_F(ReportsLinkTest, TheHistoryReadInTwoRunsHoldsEveryLineOnce) {
    for (const Model& m : kModels) {
        SCOPED_TRACE(m.key);
        Open(m);
        emu::CashRegister& reg = *registers[0];
        reg.SetHistory({{"0001:01", "sale 1"}, {"0001:02", "sale 2"}, {"0002:01", "sale 3"}});
        Run(ReqStorico);
        EXPECT_EQ(reg.HistoryStart(), "XXXX:XX;#H;");
        reg.AddHistory({{"0002:02", "sale 4"}, {"0003:01", "sale 5"}});
        // Another day: the register's folder opened again, in mode 0.
        ASSERT_TRUE(NextCash(true));
        EXPECT_EQ(CassaFile.nB90Type, 0);
        Run(ReqStorico);
        EXPECT_EQ(reg.HistoryStart(), "0002:01;#H;");
        EXPECT_EQ(ReadAll(Cash("Storico.txt")),
                  "C00:0001:01:sale 1\r\nC00:0001:02:sale 2\r\nC00:0002:01:sale 3\r\n"
                  "C00:ZZZZ:ZZ:*\r\n"
                  "C00:0002:02:sale 4\r\nC00:0003:01:sale 5\r\nC00:ZZZZ:ZZ:*\r\n");
        EXPECT_EQ(ErrorLog(), "");
        Close();
    }
}

// A read cut short by a register that falls silent keeps the lines it
// stored with their position: the next read starts after the last of them,
// and no line is stored twice.
TEST_F(ReportsLinkTest, AHistoryReadCutShortStoresNoLineTwice) {
    Open(kModels[0]);
    emu::CashRegister& reg = *registers[0];
    reg.SetHistory({{"0001:01", "sale 1"}, {"0001:02", "sale 2"}, {"0002:01", "sale 3"},
                    {"0002:02", "sale 4"}});
    emu::RegisterConfig stall = reg.Config();
    stall.stallAfter = 3;
    reg.SetConfig(stall);
    Run(ReqStorico);
    const std::string cut = ReadAll(Cash("Storico.txt"));
    ASSERT_EQ(cut.rfind("C00:0001:01:sale 1\r\nC00:0001:02:sale 2\r\n", 0), 0u) << cut;
    ASSERT_EQ(cut.find("ZZZZ"), std::string::npos) << cut;
    stall.stallAfter = -1;
    reg.SetConfig(stall);
    // The folder opened again, as by the next run.
    ASSERT_TRUE(NextCash(true));
    Run(ReqStorico);
    EXPECT_EQ(ReadAll(Cash("Storico.txt")),
              "C00:0001:01:sale 1\r\nC00:0001:02:sale 2\r\nC00:0002:01:sale 3\r\n"
              "C00:0002:02:sale 4\r\nC00:ZZZZ:ZZ:*\r\n");
    Close();
}

// The closure waits for its data; when they never come the closure is said
// done without them: in the status bar, even after the operation's end, in
// the progress window and in the error log, not as a plain time-out.
TEST_F(ReportsLinkTest, TheClosureWritesChiusuraTxtOrSaysItsDataNeverCame) {
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    for (const Model& m : kModels) {
        for (const int delayMs : {0, 400, -1}) {
            SCOPED_TRACE(std::string(m.key) + " " + std::to_string(delayMs));
            std::filesystem::remove(Core.strLogErrFile);
            shell_.errors.clear();
            Open(m);
            WriteAll(Cash("Chiusura.txt"), "the day before\r\n");
            registers[0]->SetClosure("Z 0042:TOTAL 1234,50");
            emu::RegisterConfig config = registers[0]->Config();
            config.closureDataDelayMs = delayMs;
            registers[0]->SetConfig(config);
            Run(SendChiusuraZ);
            EXPECT_EQ(registers[0]->Closures(), 1);
            if (delayMs >= 0) {
                EXPECT_EQ(ReadAll(Cash("Chiusura.txt")), "Z 0042:TOTAL 1234,50\r\n");
                EXPECT_EQ(registers[0]->ClosureAnswer(), "0;");
                EXPECT_EQ(shell_.status, "Daily closure done on register 1");
                EXPECT_EQ(ErrorLog(), "");
            } else {
                const std::string said = "Daily closure done but its data were not received; it is never "
                                         "sent again. Not written: " + Cash("Chiusura.txt");
                EXPECT_EQ(ReadAll(Cash("Chiusura.txt")), "the day before\r\n");
                EXPECT_EQ(shell_.status, said);
                ASSERT_EQ(shell_.errors.size(), 1u);
                EXPECT_EQ(shell_.errors[0].text, said);
                EXPECT_EQ(testsupport::CountOf(ErrorLog(), "[017]"), 1) << ErrorLog();
                EXPECT_EQ(testsupport::CountOf(ErrorLog(), "\n"), 1) << ErrorLog();
            }
            Close();
        }
    }
}

TEST_F(ReportsLinkTest, EveryReportLandsInItsFile) {
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    struct Rpt {
        const char* token;
        std::function<bool()> run;
        const char* file;
    };
    static std::string range;
    const Rpt reports[] = {
        {"*A", ReqRptReparti, "Reparti.rpt"},
        {"*C", ReqRptOperatori, "Operatori.rpt"},
        {"*D", ReqRptCamerieri, "Camerieri.rpt"},
        {"*E", ReqRptIVA, "IVA.rpt"},
        {"*f", ReqRptFinanziario, "Finanziario.rpt"},
        {"*g", ReqRptBollini, "Bollini.rpt"},
        {"*R", ReqRptClienti, "Clienti.rpt"},
        {"*S", ReqRptFatture, "Fatture.rpt"},
        {"*h", ReqRptOraria, "Oraria.rpt"},
        {"*u", ReqRptTavoli, "Tavoli.rpt"},
        {"*w", ReqRptValute, "Valute.rpt"},
        {"*b", ReqRptTicketAmount, "TicketAmount.rpt"},
        {"*c", [] { return ReqRptClientG(ClientGReportToken("1", "999999999999")); }, "ClientG.rpt"},
        {"*B", [] { return ReqRptPLU("*B", range = "1:500"); }, "PLUGiorno.rpt"},
        {"*K", [] { return ReqRptPLU("*K", range = ""); }, "PLUPeriodo.rpt"},
    };
    for (const Model& m : kModels) {
        SCOPED_TRACE(m.key);
        Open(m);
        CassaConf.P210 = 32 + 128;  // both PLU reports kept
        ASSERT_TRUE(SaveCassa());
        for (const Rpt& r : reports) {
            SCOPED_TRACE(r.token);
            const std::string lines[] = {std::string("REPORT ") + r.token, "  1   x  12,50", ""};
            registers[0]->SetReport(r.token, {lines[0], lines[1], lines[2]});
            Run(r.run);
            EXPECT_EQ(ReadAll(Cash(r.file)), lines[0] + "\r\n" + lines[1] + "\r\n\r\n");
            EXPECT_EQ(shell_.status, "Read from register 1");
        }
        EXPECT_EQ(ErrorLog(), "");
        Close();
    }
}

TEST_F(ReportsLinkTest, TwoRegistersInAddressedModeEachGetTheirOwnReportAndHistory) {
    ConfigLevel.InitOffLine(1, "V014057");  // LX4100
    StartLine(true, {0, 1}, {}, 2);
    Define(0, 0, true);
    Define(1, 1, true);
    for (int station : {0, 1}) {
        const std::string s = std::to_string(station);
        registers[station]->SetReport("*A", {"departments of " + s});
        registers[station]->SetHistory({{"000" + s + ":01", "sale at " + s}});
    }
    Run(ReqRptReparti);
    Run(ReqStorico);
    for (int station : {0, 1}) {
        SCOPED_TRACE(station);
        const std::string s = std::to_string(station);
        const std::string folder = "Cassa" + std::to_string(station + 1) + "/";
        EXPECT_EQ(ReadAll(dir.file(folder + "Reparti.rpt")), "departments of " + s + "\r\n");
        EXPECT_EQ(ReadAll(dir.file(folder + "Storico.txt")),
                  "C00:000" + s + ":01:sale at " + s + "\r\nC00:ZZZZ:ZZ:*\r\n");
        EXPECT_EQ(platform::ProfileString("B90", "indi", "", dir.file(folder + "Cassa.txt")),
                  "000" + s);
    }
    EXPECT_EQ(ErrorLog(), "");
}

}  // namespace
