// What every table transfer shares: the request-state words and their reset
// and close procedures, the copy of a received file, the field codec, and
// the answer and data procedures driven by a table description (here the
// department groups). The send counters put back per register are tested
// with the departments, whose send uses them.
#include "tables/transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/texts.h"
#include "platform/files.h"
#include "tables/groups.h"
#include "transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::Blanks;
using transfertest::TransferTest;

const TableDesc& GroupsTable() {
    static const TableDesc t{
        kGrpRepFile, &NameRec::Layout, &TableSizes::nMaxGrpRep,
        {{"number", WireKind::Number}, {"name", WireKind::Text}},
        &ReqStateRec::nTxGrpRep, &TxCountersRec::nTxGrpRepIdx, "sgruprep",
        &ReqStateRec::bRdGrpRep, nullptr, nullptr};
    return t;
}

std::string Group(int n, const std::string& name) {
    std::string num = (n < 10 ? "0" : "") + std::to_string(n);
    return num + name + Blanks(30 - static_cast<int>(name.size())) + "\r\n";
}

// ---- request-state words

TEST_F(TransferTest, InitFlagsPutsEveryTransferBackToIdle) {
    ReqState.bRdStorico = ReqState.bRdComm = ReqState.bRdReparto = True;
    ReqState.nFileStorico = ReqState.nTxPrzPeso = ReqState.nFileChiusura = kFileOpenNext;
    ReqState.nRptValute = 3;
    ReqState.nTxClientGroup = 7;
    ReqState.nRdDirPLUIdx = 4;
    ReqState.nTxTastieraKey = 5;
    ReqState.nTxTastieraLvl = 1;
    Transfer.nC08Pending = 2;

    InitFlags();

    ReqStateRec want;  // the start-up values ...
    want.nTxClientGroup = 7;  // ... except these, which stay as they were
    want.nRdDirPLUIdx = 4;
    want.nTxTastieraKey = 5;
    want.nTxTastieraLvl = 1;
    EXPECT_EQ(0, std::memcmp(&ReqState, &want, sizeof want));
    EXPECT_EQ(Transfer.nC08Pending, 0);
}

TEST_F(TransferTest, CloseAllFilesClosesOnlyFileWords) {
    int16_t a = OpenOutputFileNum(CashFile("Reparti.rpt"), false);
    int16_t b = OpenRandomFileNum(CashFile(kGrpRepFile), 34);
    int16_t c = OpenOutputFileNum(CashFile("Chiusura.txt"), false);
    ASSERT_TRUE(a > 0 && b > 0 && c > 0);
    ReqState.nRptReparti = static_cast<uint16_t>(a);
    ReqState.nTxGrpRep = static_cast<uint16_t>(b);
    ReqState.nFileChiusura = static_cast<uint16_t>(c);  // outside the range
    ReqState.nTxFMult2 = static_cast<uint16_t>(c);      // a step index, not a file
    ReqState.nTxPLU = kFileOpenNext;                    // queued, not opened yet

    CloseAllFiles();

    EXPECT_EQ(OpenFileCount(), 1);  // the closure's file
    EXPECT_EQ(ReqState.nRptReparti, kFileDone);
    EXPECT_EQ(ReqState.nTxGrpRep, kFileDone);
    EXPECT_EQ(ReqState.nFileChiusura, c);
    EXPECT_EQ(ReqState.nTxFMult2, c);
    EXPECT_EQ(ReqState.nTxPLU, kFileOpenNext);
    EXPECT_TRUE(PrintFileNum(c, "still open"));
    EXPECT_FALSE(PrintFileNum(a, "closed"));
}

// ---- copy of a received file

TEST_F(TransferTest, CopyRecvFileCopiesOnlyInABatchRunWithADestination) {
    WriteAll(CashFile(kGrpRepFile), Group(1, "A"));
    Core.strReqArg = dir.file("out.txt");
    EXPECT_TRUE(CopyRecvFile("\\GrpRep.txt"));  // interactive: nothing
    EXPECT_FALSE(platform::FileExists(Core.strReqArg));

    Core.bInteractive = false;
    EXPECT_TRUE(CopyRecvFile("\\GrpRep.txt"));
    EXPECT_EQ(ReadAll(Core.strReqArg), Group(1, "A"));
    EXPECT_TRUE(shell->errors.empty());

    // A copy that cannot be made says so, in the error list and the message log.
    Core.strReqArg = dir.file("missing/out.txt");
    EXPECT_FALSE(CopyRecvFile("\\GrpRep.txt"));
    ASSERT_EQ(shell->errors.size(), 1u);
    EXPECT_NE(shell->errors[0].text.find("missing/out.txt"), std::string::npos);
    EXPECT_NE(ReadAll(dir.file("msg.log")).find("missing/out.txt: No such file"), std::string::npos);
    EXPECT_EQ(Texts.nRunFailures, 1);  // a failure of the run
}

// ---- field codec

TEST(TransferCodec, NumbersFitTheirFieldOrAreRefused) {
    struct Row {
        int64_t value;
        int width;
        const char* want;  // nullptr: does not fit
    } rows[] = {
        {-5, 4, "-005"}, {12, 4, "0012"},     {0, 1, "0"},      {10, 1, nullptr},
        {-999, 4, "-999"}, {-1000, 4, nullptr}, {99999999, 8, "99999999"},
        {123456789, 8, nullptr}, {-1, 1, nullptr},
    };
    for (const Row& r : rows) {
        std::string out;
        bool ok = FormatNumberField(r.value, r.width, out);
        EXPECT_EQ(ok, r.want != nullptr) << r.value << " in " << r.width;
        if (r.want) {
            EXPECT_EQ(out, r.want);
        }
    }
}

TEST(TransferCodec, EveryFieldOfALineEndsWithAColon) {
    std::vector<std::string> f;
    EXPECT_TRUE(CutLineFields("7:Abc:", 2, f));
    EXPECT_EQ(f, (std::vector<std::string>{"7", "Abc"}));
    EXPECT_TRUE(CutLineFields("7::", 2, f));
    EXPECT_EQ(f, (std::vector<std::string>{"7", ""}));
    EXPECT_TRUE(CutLineFields("1:2:3:", 2, f));  // what follows is not read
    EXPECT_FALSE(CutLineFields("7:Abc", 2, f));  // the last field is not ended
    EXPECT_FALSE(CutLineFields("", 1, f));
}

// ---- the answer procedure

TEST_F(TransferTest, AnswerSendsEveryRecordThenEndsOnce) {
    Sizes.nMaxGrpRep = 2;
    WriteAll(CashFile(kGrpRepFile), Group(1, "  Drinks ") + Group(2, ""));
    ReqState.nTxGrpRep = kFileOpenNext;
    LinkState.nPendingAns = 2;

    EXPECT_EQ(AnswerTable(GroupsTable()), "1:Drinks");
    EXPECT_GT(ReqState.nTxGrpRep, 0);
    EXPECT_LT(ReqState.nTxGrpRep, 32768);
    EXPECT_EQ(AnswerTable(GroupsTable()), "2:");  // a blank name is an empty field
    EXPECT_EQ(AnswerTable(GroupsTable()), "*");
    EXPECT_EQ(ReqState.nTxGrpRep, kFileDone);
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(LinkState.nPendingAns, 1);
    EXPECT_EQ(AnswerTable(GroupsTable()), "*");  // a late request: no second count
    EXPECT_EQ(LinkState.nPendingAns, 1);
    EXPECT_EQ(shell->pgbCalls,
              (std::vector<std::string>{"range 1 3", "inc", "inc", "value -1"}));
    EXPECT_EQ(shell->statusTexts.front(),
              GetText("Msg", "sgruprep") + " - " + GetText("Msg1", "2"));
    EXPECT_EQ(shell->statusTexts.back(), "");
}

// An empty table ends at the first request; a table whose file cannot be
// read ends too, but the command then ends by its answer time-out.
TEST_F(TransferTest, AnswerWithNothingToSendEndsAtTheFirstRequest) {
    for (int16_t size : {0, 3}) {  // no file either way
        SCOPED_TRACE(size);
        Sizes.nMaxGrpRep = size;
        ReqState.nTxGrpRep = kFileOpenNext;
        LinkState.nPendingAns = 1;
        EXPECT_EQ(AnswerTable(GroupsTable()), "*");
        EXPECT_EQ(ReqState.nTxGrpRep, kFileDone);
        EXPECT_EQ(LinkState.nPendingAns, size == 0 ? 0 : 1);
        EXPECT_EQ(OpenFileCount(), 0);
    }
}

// ---- the data procedure

TEST_F(TransferTest, DataStoresEachLineThenEnds) {
    ReqState.bRdGrpRep = True;
    LinkState.nPendingAns = 1;
    // The acknowledgement goes out only once the record is in the file.
    std::string fileAtAck;
    port_->SetResponder([&](const std::string& bytes) {
        if (bytes == std::string(1, ACK)) fileAtAck = ReadAll(CashFile(kGrpRepFile));
        return std::string();
    });

    Line("7:Abcde:");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    EXPECT_EQ(fileAtAck.substr(6 * 34), Group(7, "Abcde"));
    Line("2::");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    std::string file = ReadAll(CashFile(kGrpRepFile));
    ASSERT_EQ(file.size(), 7u * 34);
    EXPECT_EQ(file.substr(34, 34), Group(2, ""));
    EXPECT_EQ(file.substr(6 * 34), Group(7, "Abcde"));

    Line("*xyz");
    EXPECT_EQ(DataTable(GroupsTable()), 0);
    EXPECT_EQ(ReqState.bRdGrpRep, False);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Acks(), 3);
    EXPECT_TRUE(shell->errors.empty());
}

TEST_F(TransferTest, DataThatIsNotAwaitedIsAcknowledgedAndDropped) {
    Line("7:Abcde:");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    Line("*");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile)));
    EXPECT_EQ(Acks(), 2);
}

TEST_F(TransferTest, DataLinesThatCannotBeReadWholeWriteNothing) {
    ReqState.bRdGrpRep = True;
    for (const char* bad : {"7:Abcde", "100:Too big:", "0:Zero:", ""}) {
        SCOPED_TRACE(bad);
        Line(bad);
        EXPECT_EQ(DataTable(GroupsTable()), -1);
    }
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile)));
    EXPECT_EQ(Acks(), 4);
    EXPECT_EQ(shell->errors.size(), 4u);
    EXPECT_EQ(ReqState.bRdGrpRep, True);
}

TEST_F(TransferTest, DataClosingLineCopiesTheTableInABatchRun) {
    Core.bInteractive = false;
    Core.strReqArg = dir.file("groups-copy.txt");
    ReqState.bRdGrpRep = True;
    Line("3:Bar:");
    DataTable(GroupsTable());
    Line("*");
    EXPECT_EQ(DataTable(GroupsTable()), 0);
    EXPECT_EQ(ReadAll(Core.strReqArg), ReadAll(CashFile(kGrpRepFile)));
}

}  // namespace
