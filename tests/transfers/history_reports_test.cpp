// The receipt history, the closure, the plain acknowledgement and the report
// writers: the exact bytes of Storico.txt, Chiusura.txt and every report
// file, the history position kept and saved, the size limit, and what a
// refused, malformed or cut-short transfer leaves behind.
#include "transfers/history.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "core/texts.h"
#include "core/work_record.h"
#include "platform/profile.h"
#include "core/shell_state.h"
#include "transfers/report_procs.h"
#include "transfers/reports.h"
#include "store/transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::TransferTest;

class HistoryTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ClearDispatchProcs();
        RegisterReportProcs();
        Core.strLogErrFile = dir.file("err.log");
    }
    // A "C" line through the dispatcher, as the link hands it over.
    int16_t Feed(const std::string& payload) {
        AnswerRec.strAnsFrame = payload;
        AnswerRec.strCode = payload.substr(1, 2);
        return GestAnsC();
    }
    std::string HistoryFile() const { return ReadAll(CashFile("Storico.txt")); }
    int ErrorLines(const std::string& code) const {
        return testsupport::CountOf(ReadAll(dir.file("err.log")), "[" + code + "]");
    }
    std::string SavedPosition() const {
        return platform::ProfileString("B90", "indi", "?", CashFile("Cassa.txt")) + ":" +
               platform::ProfileString("B90", "pg", "?", CashFile("Cassa.txt"));
    }
    // The start of a read as the register begins it: "B90".
    std::string Start() { return AnsStoricoStart(); }
    // A history read asked for, from the stored position, and its start.
    void BeginRead(const char* indi, const char* pg) {
        ReqState.bRdStorico = True;
        ReqState.nFileStorico = kFileOpenNext;
        LinkState.nPendingAns = 1;
        CassaFile.strB90Indi = indi;
        CassaFile.strB90Pg = pg;
        Start();
    }
};

TEST_F(HistoryTest, TheStartPointFollowsTheStoredPositionAndTheMode) {
    struct Row {
        const char* indi;
        const char* pg;
        int16_t type;
        const char* answer;
    };
    const Row rows[] = {
        {"", "", 0, "XXXX:XX;#H;"},          {"", "07", 2, "XXXX:XX;#H;"},
        {"0123", "45", 0, "0123:45;#H;"},    {"0123", "45", 1, "XXXX:XX;#H;"},
        {"0123", "45", 2, "****:**;#H;"},
    };
    for (const Row& row : rows) {
        CassaFile.strB90Indi = row.indi;
        CassaFile.strB90Pg = row.pg;
        CassaFile.nB90Type = row.type;
        LinkState.nPendingAns = 1;
        EXPECT_EQ(Start(), row.answer);
        EXPECT_EQ(LinkState.nPendingAns, 1);
    }
}

TEST_F(HistoryTest, LinesAreAppendedWholeAndTheLastPositionIsSavedAtTheEnd) {
    WriteAll(CashFile("Storico.txt"), "C00:0001:01:OLD\r\n");
    BeginRead("0001", "01");
    EXPECT_EQ(Feed("C00:0002:01:FIRST"), True);
    EXPECT_EQ(Feed("C01:0002:02:SECOND: with a colon"), True);
    EXPECT_EQ(CassaFile.strB90Indi + ":" + CassaFile.strB90Pg, "0002:02");
    EXPECT_EQ(Feed("C00:ZZZZ:ZZ:*"), 1);
    EXPECT_EQ(HistoryFile(), "C00:0001:01:OLD\r\nC00:0002:01:FIRST\r\nC01:0002:02:SECOND: with a colon\r\n"
                         "C00:ZZZZ:ZZ:*\r\n");
    EXPECT_EQ(ReqState.bRdStorico, False);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(SavedPosition(), "0002:02");
    EXPECT_EQ(shell->status, "Read from register 1");
    EXPECT_EQ(Acks(), 3);
    EXPECT_EQ(shell->refreshCalls, 0);  // the end of the history shows no editor again
}

TEST_F(HistoryTest, AFileOverTheLimitTakesNoMoreLinesAndTheRestOfTheReadIsNotStored) {
    ShellState.HistoryLimit = 1;
    const std::string line = "C00:0007:01:X\r\n";  // 15 bytes
    // A file of exactly the limit still takes the next line, whole.
    WriteAll(CashFile("Storico.txt"), std::string(1024000, 'h'));
    BeginRead("0006", "09");

    EXPECT_EQ(Feed("C00:0007:01:X"), True);
    EXPECT_EQ(platform::FileSize(CashFile("Storico.txt")), 1024000 + 15);
    EXPECT_EQ(shell->status, "");
    EXPECT_EQ(Feed("C00:0008:01:Y"), True);  // the file is over the limit now
    EXPECT_EQ(Feed("C00:0008:02:"), True);   // and this one is refused too
    EXPECT_EQ(platform::FileSize(CashFile("Storico.txt")), 1024000 + 15);
    EXPECT_EQ(HistoryFile().substr(1024000), line);
    EXPECT_EQ(CassaFile.strB90Indi + ":" + CassaFile.strB90Pg, "0007:01");
    EXPECT_EQ(shell->status, GetText("Errori", "hstlimiterror"));
    EXPECT_EQ(ErrorLines("010"), 1);
    EXPECT_EQ(Acks(), 3);

    // The read still ends, and the position of the last line stored is saved.
    EXPECT_EQ(Feed("C00:ZZZZ:ZZ:*"), 1);
    EXPECT_EQ(ReqState.bRdStorico, False);
    EXPECT_EQ(shell->status, GetText("Errori", "hstlimiterror"));  // no success said
    EXPECT_EQ(SavedPosition(), "0007:01");
    EXPECT_EQ(platform::FileSize(CashFile("Storico.txt")), 1024000 + 15);

    // One byte over the limit: the first line is refused.
    WriteAll(CashFile("Storico.txt"), std::string(1024001, 'h'));
    Start();
    EXPECT_EQ(Feed("C00:0008:01:Y"), True);
    EXPECT_EQ(platform::FileSize(CashFile("Storico.txt")), 1024001);
    EXPECT_EQ(ErrorLines("010"), 2);

    // No limit: nothing is refused.
    ShellState.HistoryLimit = 0;
    Start();
    EXPECT_EQ(Feed("C00:0008:01:Y"), True);
    EXPECT_EQ(platform::FileSize(CashFile("Storico.txt")), 1024001 + 15);
}

TEST_F(HistoryTest, AMalformedPositionIsNotStoredAndTheLinesAfterItAre) {
    BeginRead("0001", "01");
    for (const char* bad : {"C00:12:01:SHORT", "C00:0002", "C00:00021:01:LONG"}) {
        SCOPED_TRACE(bad);
        shell->errors.clear();
        EXPECT_EQ(Feed(bad), True);
        EXPECT_EQ(CassaFile.strB90Indi + ":" + CassaFile.strB90Pg, "0001:01");
        EXPECT_EQ(shell->errors.size(), 1u);
    }
    EXPECT_EQ(Feed("C00:0003:01:GOOD"), True);
    EXPECT_EQ(HistoryFile(), "C00:0003:01:GOOD\r\n");
    EXPECT_EQ(Acks(), 4);
}

TEST_F(HistoryTest, AFullDiskStoresNothingLogsAndKeepsThePosition) {
    if (!platform::FileExists("/dev/full") && access("/dev/full", W_OK) != 0) GTEST_SKIP();
    ASSERT_EQ(symlink("/dev/full", CashFile("Storico.txt").c_str()), 0);
    BeginRead("0004", "01");
    EXPECT_EQ(Feed("C00:0005:01:LOST"), True);
    EXPECT_EQ(CassaFile.strB90Indi + ":" + CassaFile.strB90Pg, "0004:01");
    EXPECT_EQ(ErrorLines(std::to_string(1000 + kErrFile).substr(1)), 1);
    EXPECT_EQ(Feed("C00:ZZZZ:ZZ:*"), 1);
    EXPECT_EQ(SavedPosition(), "0004:01");
    EXPECT_EQ(Acks(), 2);
}

// A copy where no register has a history (each read failed, said) adds no
// line; one that cannot be written names the history request and its file,
// not what the last turn left open.
TEST_F(HistoryTest, ACopyWithoutAnyHistoryAddsNoLineAndAFailedOneNamesItsRequest) {
    NoteHistoryCopy(1, dir.file("never-read"));
    EXPECT_FALSE(CopyHistories(dir.file("copy.txt")));
    EXPECT_EQ(ErrorLines("012"), 0);
    EXPECT_FALSE(platform::FileExists(dir.file("copy.txt")));

    Core.bInteractive = false;  // the copy is a command-line run's
    Core.strReqCode = "&L";
    CassaList[Core.nOpenCash].name = "LASTTURN";
    WriteAll(CashFile("Storico.txt"), "C00:0001:01:A\r\n");
    NoteHistoryCopy(1, Core.strCashDir);
    EXPECT_FALSE(CopyHistories(dir.file("none/copy.txt")));
    const std::string log = ReadAll(dir.file("err.log"));
    EXPECT_NE(log.find("[012] <#P|" + dir.file("none/copy.txt") + ">"), std::string::npos) << log;
    EXPECT_EQ(log.find("LASTTURN"), std::string::npos) << log;
    // Nor does the message log name the register the last turn left open.
    const std::string msg = ReadAll(dir.file("msg.log"));
    EXPECT_NE(msg.find(" : Cannot copy " + dir.file("none/copy.txt")), std::string::npos) << msg;
}

TEST_F(HistoryTest, TheClosureDataReplaceTheFileOncePerClosure) {
    WriteAll(CashFile("Chiusura.txt"), "yesterday\r\nmore\r\n");
    ReqState.nFileChiusura = kFileOpenNext;
    LinkState.nPendingAns = 2;
    AnswerRec.strAnsFrame = "B45:ABC:1";
    EXPECT_EQ(AnsChiusura(), "0;");
    EXPECT_EQ(ReadAll(CashFile("Chiusura.txt")), "ABC:1\r\n");
    EXPECT_EQ(shell->status, "Daily closure done on register 1");
    EXPECT_EQ(AnswerRec.strAnsData, "ABC:1");
    EXPECT_EQ(LinkState.nPendingAns, 1);
    AnswerRec.strAnsFrame = "B45:OTHER";
    EXPECT_EQ(AnsChiusura(), "0;");
    EXPECT_EQ(ReadAll(CashFile("Chiusura.txt")), "ABC:1\r\n");
    EXPECT_EQ(LinkState.nPendingAns, 1);

    // Data missing from the request, or that cannot be stored (a folder in
    // the file's place): the closure was made all the same, so the line is
    // the closure's failure, not a file's, and the last closure's file stays.
    const struct {
        const char* frame;
        bool blocked;
    } failures[] = {{"B45", false}, {"B45:NEW", true}};
    for (const auto& f : failures) {
        SCOPED_TRACE(f.frame);
        if (f.blocked) {
            ASSERT_TRUE(platform::RemoveFile(CashFile("Chiusura.txt")));
            ASSERT_TRUE(platform::MakeDir(CashFile("Chiusura.txt")));
            WriteAll(CashFile("Chiusura.txt/kept"), "ABC:1\r\n");
        }
        ReqState.nFileChiusura = kFileOpenNext;
        shell->errors.clear();
        AnswerRec.strAnsFrame = f.frame;
        EXPECT_EQ(AnsChiusura(), "0;");
        EXPECT_EQ(ReadAll(CashFile(f.blocked ? "Chiusura.txt/kept" : "Chiusura.txt")), "ABC:1\r\n");
        EXPECT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(ErrorLines("017"), f.blocked ? 2 : 1);
        EXPECT_EQ(ErrorLines("012"), 0);
    }

    // The plain acknowledgement.
    LinkState.nPendingAns = 1;
    EXPECT_EQ(AnsAck(), "0;");
    EXPECT_EQ(LinkState.nPendingAns, 0);
}

// ---- reports

TEST_F(HistoryTest, EveryReportLandsInItsFileAndInTheCopyDestination) {
    Core.bInteractive = false;
    for (const ReportInfo& r : ReportInfos()) {
        for (bool day : {true, false}) {
            if (!day && std::string(r.code) != "04") continue;
            SCOPED_TRACE(std::string(r.writer) + (day ? "" : " period"));
            Reports.bRptPLUDay = day;
            const std::string name = ReportFileName(r);
            WriteAll(CashFile(name), "an older report, longer than the new one\r\n");
            Core.strReqArg = dir.file("copy-" + name);
            ReqState.*r.word = kFileOpenNext;
            LinkState.nPendingAns = 1;
            Texts.nCntRec = 50;
            const std::string code = r.code;
            EXPECT_EQ(Feed("C" + code + ":ZZZZ:ZZ:TOTAL  12,50"), 0);
            EXPECT_EQ(Feed("C" + code + ":ZZZZ:ZZ:"), 0);
            EXPECT_EQ(Feed("C" + code + ":ZZZZ:ZZ:a:b:c:"), 0);
            // Until its end the older report stays.
            EXPECT_EQ(ReadAll(CashFile(name)), "an older report, longer than the new one\r\n");
            EXPECT_EQ(Feed("C" + code + ":ZZZZ:ZZ:*"), 0);
            const std::string want = "TOTAL  12,50\r\n\r\na:b:c:\r\n";
            EXPECT_EQ(ReadAll(CashFile(name)), want);
            EXPECT_EQ(ReadAll(Core.strReqArg), want);
            EXPECT_FALSE(platform::FileExists(CashFile(name + ".part")));
            EXPECT_EQ(ReqState.*r.word, kFileDone);
            EXPECT_EQ(LinkState.nPendingAns, 0);
            // The operator report leaves the record counter alone.
            EXPECT_EQ(Texts.nCntRec, std::string(r.writer) == "RptOperatori" ? 50 : 3);
            // A line after the end changes nothing.
            EXPECT_EQ(Feed("C" + code + ":ZZZZ:ZZ:LATE"), 0);
            EXPECT_EQ(ReadAll(CashFile(name)), want);
        }
    }
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(ReadAll(dir.file("err.log")), "");
}

TEST_F(HistoryTest, AReportCutShortOrMalformedLeavesThePreviousReport) {
    WriteAll(CashFile("Reparti.rpt"), "previous\r\n");
    ReqState.nRptReparti = kFileOpenNext;
    EXPECT_EQ(Feed("C02:ZZZZ:ZZ:line 1"), 0);
    EXPECT_EQ(Feed("C02:ZZZZ"), 0);  // no data part: acknowledged, not written, a failure
    EXPECT_EQ(shell->errors.size(), 1u);
    EXPECT_EQ(ErrorLines(std::to_string(1000 + kErrFile).substr(1)), 1);
    // The register falls silent: the command's time-out closes the files.
    CloseAllFiles();
    EXPECT_EQ(ReadAll(CashFile("Reparti.rpt")), "previous\r\n");
    EXPECT_EQ(ReqState.nRptReparti, kFileDone);
    EXPECT_EQ(Feed("C02:ZZZZ:ZZ:*"), 0);  // a late end line changes nothing
    EXPECT_EQ(ReadAll(CashFile("Reparti.rpt")), "previous\r\n");

    // A report of no lines replaces the previous one with an empty file.
    ReqState.nRptReparti = kFileOpenNext;
    EXPECT_EQ(Feed("C02:ZZZZ:ZZ:*"), 0);
    EXPECT_TRUE(platform::FileExists(CashFile("Reparti.rpt")));
    EXPECT_EQ(ReadAll(CashFile("Reparti.rpt")), "");

    // A work file that cannot be made: said, a failure of the run, and the
    // previous report kept.
    ASSERT_TRUE(platform::MakeDir(CashFile("Reparti.rpt.part")));
    ReqState.nRptReparti = kFileOpenNext;
    shell->errors.clear();
    EXPECT_EQ(Feed("C02:ZZZZ:ZZ:new"), 0);
    EXPECT_EQ(Feed("C02:ZZZZ:ZZ:*"), 0);
    EXPECT_EQ(ReadAll(CashFile("Reparti.rpt")), "");
    EXPECT_EQ(ErrorLines(std::to_string(1000 + kErrFile).substr(1)), 2);
    EXPECT_EQ(shell->errors.size(), 1u);

    // A report not asked for makes no file.
    EXPECT_EQ(Feed("C19:ZZZZ:ZZ:X"), 0);
    EXPECT_FALSE(platform::FileExists(CashFile("Valute.rpt")));
    EXPECT_EQ(Acks(), 7);

    // A report that ends after a line it could not store is not whole: it is
    // neither noted as stored (the reports window shows it) nor taken as done.
    ASSERT_EQ(::rmdir(CashFile("Reparti.rpt.part").c_str()), 0);
    ReqState.nRptReparti = kFileOpenNext;
    const int32_t stores = WorkOf(Core.nOpenCash).stores, failures = ::Work.failures;
    for (const char* line : {"C02:ZZZZ:ZZ:a", "C02:ZZZZ", "C02:ZZZZ:ZZ:*"}) Feed(line);
    EXPECT_EQ(WorkOf(Core.nOpenCash).stores, stores);
    EXPECT_GT(::Work.failures, failures);
}

}  // namespace
