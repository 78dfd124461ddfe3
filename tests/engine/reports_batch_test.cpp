// Reports, the receipt history and the closure in a command-line run: the
// program as a process against the register emulator; each file received
// lands in the copy destination its request names.
#include "common/batch_fixture.h"

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

}  // namespace
