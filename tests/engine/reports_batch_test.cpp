// Reports, the receipt history and the closure in a command-line run: the
// program as a process against the register emulator; each file received
// lands in the copy destination its request names, and each request given a
// range sends that range.
#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"
#include "store/client_file.h"

namespace {

class ReportsBatchRun : public testsupport::BatchRunTest {};

TEST_F(ReportsBatchRun, EveryFileReceivedLandsInItsCopyDestination) {
    const char* const reports[] = {"*A", "*C", "*D", "*E", "*f", "*g", "*R",
                                   "*S", "*h", "*u", "*w", "*b", "*c", "*B"};
    std::string requests;
    int n = 0;
    for (const char* token : reports) {
        ++n;
        requests += "r" + std::to_string(n) + "=" + token + "|" +
                    dir.file("out" + std::to_string(n) + ".txt") + "\r\n";
    }
    requests += "h=#P|" + dir.file("history.txt") + "\r\nz=#Z|" + dir.file("closure.txt") + "\r\n";
    Prepare({0}, requests);

    CreateEmulator({0});
    auto reg = AddRegister(0);
    for (const char* token : reports) reg->SetReport(token, {std::string("report ") + token, "end"});
    reg->SetHistory({{"0001:01", "sale 1"}, {"0001:02", "sale 2"}});
    reg->SetClosure("Z 0007:TOTAL 99,00");
    ASSERT_NO_FATAL_FAILURE(StartEmulator());

    testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, 120);
    emulator->Stop();
    EXPECT_EQ(r.status, 0) << r.err << ErrLog();
    n = 0;
    for (const char* token : reports) {
        const std::string copy = Read("out" + std::to_string(++n) + ".txt");
        EXPECT_EQ(copy, std::string("report ") + token + "\r\nend\r\n") << token;
    }
    EXPECT_EQ(Cash("PLUGiorno.rpt"), "report *B\r\nend\r\n");
    EXPECT_EQ(Read("history.txt"), "C00:0001:01:sale 1\r\nC00:0001:02:sale 2\r\nC00:ZZZZ:ZZ:*\r\n");
    EXPECT_EQ(Read("closure.txt"), "Z 0007:TOTAL 99,00\r\n");
    EXPECT_EQ(ErrLog(), "");
}

// The closure waits for its data as a report for its lines: data sent at
// once or late are stored; data that never come make a closure done without
// its data, said once ([017], not [011]) and never sent again, not even in
// the register's extra turn for a later request's failure.
TEST_F(ReportsBatchRun, TheClosureWaitsForItsDataAndSaysWhenTheyNeverCome) {
    const struct {
        const char* name;
        int delayMs;     // the register's closure data after its command; -1 never
        int silentPoll;  // the register's poll left unanswered (4: the send's hello)
        int status;
    } cases[] = {
        {"at once", 0, 0, 0},
        {"0.4 s late", 400, 0, 0},
        {"never", -1, 0, 1},
        {"never, then an extra turn", -1, 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* f : {"base/err.log", "base/msg.log"}) std::filesystem::remove(dir.file(f));
        registers.clear();
        if (emulator) emulator->Stop();
        Prepare({0}, "r1=#Z|\r\nr2=*F|1:2\r\n");
        Write("base/Cassa1/Chiusura.txt", "the day before\r\n");
        CreateEmulator({0});
        emu::RegisterConfig config;
        config.closureDataDelayMs = c.delayMs;
        config.silentPoll = c.silentPoll;
        AddRegister(0, config)->SetClosure("Z 0007:TOTAL 99,00");
        ASSERT_NO_FATAL_FAILURE(StartEmulator());

        const testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"});
        const bool never = c.delayMs < 0;
        EXPECT_EQ(r.status, c.status) << r.err << ErrLog();
        EXPECT_EQ(Cash("Chiusura.txt"), never ? "the day before\r\n" : "Z 0007:TOTAL 99,00\r\n");
        EXPECT_EQ(Requests(*registers[0]), (std::vector<std::string>{"*2;+3;#Z;*3;", "*2;+4;*F;*3;"}));
        EXPECT_EQ(registers[0]->ClosureAnswer(), never ? "" : "0;");
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "[017] <#Z|>"), never ? 1 : 0) << ErrLog();
        EXPECT_EQ(ErrorLines("001"), c.silentPoll ? 1 : 0) << ErrLog();
        EXPECT_EQ(ErrorLines("018"), c.silentPoll ? 1 : 0) << ErrLog();  // made good by the extra turn
        EXPECT_EQ(testsupport::CountOf(ErrLog(), "\n"), (never ? 1 : 0) + (c.silentPoll ? 2 : 0))
            << ErrLog();
        const std::string msg = Read("base/msg.log");
        EXPECT_EQ(testsupport::CountOf(msg, "Daily closure done but its data were not received; it is "
                                            "never sent again. Not written: " +
                                                dir.file("base/Cassa1/Chiusura.txt")),
                  never ? 1 : 0)
            << msg;
        EXPECT_EQ(testsupport::CountOf(msg, "made good"), c.silentPoll ? 1 : 0) << msg;
        // The send after the closure is done, in the extra turn when its hello failed.
        EXPECT_EQ(registers[0]->Sends("departments").size(), 1u);
    }
}

// The history copy of two registers holds each one's history, in register order.
TEST_F(ReportsBatchRun, TheHistoryCopyHoldsTheHistoryOfEveryRegister) {
    Prepare({0, 1}, "h=#P|" + dir.file("history.txt") + "\r\n");
    CreateEmulator({0, 1});
    AddRegister(0)->SetHistory({{"0001:01", "sale A"}});
    AddRegister(1)->SetHistory({{"0007:01", "sale B"}});
    ASSERT_NO_FATAL_FAILURE(StartEmulator());
    const testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"});
    EXPECT_EQ(r.status, 0) << r.err << ErrLog();
    EXPECT_EQ(Read("history.txt"), "C00:0001:01:sale A\r\nC00:ZZZZ:ZZ:*\r\n"
                                   "C00:0007:01:sale B\r\nC00:ZZZZ:ZZ:*\r\n");
}

// A PLU dump and a customer read of a range in which the register holds
// nothing keep the local files, and say so.
TEST_F(ReportsBatchRun, EveryRangedRequestSendsItsRange) {
    const char* const rows[][2] = {
        {"&L|3:7", "*2;+4;&L3:7;#H;*3;"},         {"^E|2:9", "*2;+4;^E2:9;#H;*3;"},
        {"&M|1001:2000", "*2;+4;&M1001:2000;#H;*3;"}, {"&I|1:500", "*2;+4;&I1:500;#H;*3;"},
        {"*c|100:200", "*2;+2;*c100:200;#H;*3;"}, {"*B|10:20", "*2;+2;*B10:20;#H;*3;"},
        {"*K|10:20", "*2;+2;*K10:20;#H;*3;"},     {"#C|100:200", "*2;+4;#C100:200;*3;"},
        {"#L|999999990001:999999990009", "*2;+4;#L999999990001:999999990009;*3;"},
        {"#q|1:5", "*2;+3;#q1:5;*3;"},            {"#i|1:5", "*2;+4;#i1:5;*3;"},
        {"#d|6:3", "*2;+4;#d6:3;*3;"},            {"#M|1:500", "*2;+4;#M1:500;*3;"},
        {"#N|1:500", "*2;+4;#N1:500;*3;"},        {"#F|2:4", "*2;+4;#F2:4;*3;"},
        {"#l|1:3", "*2;+4;#l1:3;*3;"},
    };
    std::string requests;
    std::vector<std::string> frames;
    for (const auto& row : rows) {
        requests += "r" + std::to_string(frames.size() + 1) + "=" + row[0] + "\r\n";
        if (std::string(row[0]).rfind("&M", 0) == 0) frames.push_back("*2;+4;&z;#H;*3;");
        frames.push_back(row[1]);
    }
    Prepare({0}, requests, 120, "[P2]\r\n10=160\r\n");
    ClientM cli;
    cli.CliType(1);
    cli.SetFormattedRecord("5:CUST 5::0:1:0:50:0:", ":", 0);
    Write("base/Cassa1/Clienti.txt", cli.GetRecord());
    Write("base/Cassa1/PLU.txt", Plu("5", 1, "ITEM 5"));
    CreateEmulator({0});
    AddRegister(0)->SetRecords("plu options", {"160:0:0:"});
    ASSERT_NO_FATAL_FAILURE(StartEmulator());

    const testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:3", "/t:1", "/w:2"});
    EXPECT_EQ(Requests(*registers[0]), frames);
    EXPECT_EQ(r.status, 0) << r.err << ErrLog();
    EXPECT_EQ(Cash("Clienti.txt"), cli.GetRecord());
    EXPECT_EQ(Cash("PLU.txt"), Plu("5", 1, "ITEM 5"));
    for (const std::string read : {"&M1001:2000, ", "&I1:500, "})
        EXPECT_NE(Read("base/msg.log").find("keeps its records: " + read), std::string::npos);
}

}  // namespace
