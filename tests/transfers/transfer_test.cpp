// What every table transfer shares: the request-state words and their reset
// and close procedures, the copy of a received file, the field codec, and
// the answer and data procedures driven by a table description (here the
// department groups). The send counters put back per register are tested
// with the departments, whose send uses them.
#include "transfers/transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/child_process.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "platform/files.h"
#include "store/client_file.h"
#include "store/customer_files.h"
#include "store/groups.h"
#include "store/plu.h"
#include "store/plu_directory.h"
#include "store/keyboard.h"
#include "transfers/customers_transfer.h"
#include "transfers/keyboard_transfer.h"
#include "transfers/plu_directory_transfer.h"
#include "transfers/plu_transfer.h"
#include "transfers/multiple_functions_transfer.h"
#include "store/transfer_fixture.h"
#include "transfers/groups_transfer.h"
#include "transfers/discounts_transfer.h"
#include "transfers/departments_transfer.h"
#include "transfers/loyalty_transfer.h"
#include "store/departments.h"
#include "store/loyalty.h"

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
    EXPECT_EQ(Work.standing, 1);  // a failure of the run
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

// Numeric codes compare as numbers, alphanumeric PLU codes in the PLU file's order.
TEST(TransferCodec, ACodeRangeHoldsTheCodesBetweenItsEnds) {
    const struct {
        const char* code;
        const char* first;
        const char* last;
        bool in;
    } rows[] = {
        {"           74", "70", "120", true},   {"          123", "70", "120", false},
        {"           74", "0070", "00120", true}, {"          ABC", "70", "120", false},
        {"          ABC", "A", "Z", true},      {"           Z1", "A", "Z", false},
        {"            5", "1", "ABC", true},    {" 999999990005", "A", "Z", false},
        {"             ", "A", "Z", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CodeInRange(r.code, r.first, r.last), r.in) << r.code << " " << r.first << ":" << r.last;
}

TEST(TransferCodec, A16BitFieldTakesItsRangeAndNothingBeyond) {
    struct Row {
        const char* field;
        bool fits;
        int16_t want;  // when it fits; else the value stays as it was (7)
    } rows[] = {
        {"32767", true, 32767}, {"32768", false, 7},   {"-32768", true, -32768},
        {"-32769", false, 7},   {" 12 ", true, 12},    {"2.5", true, 2},
        {"abc", true, 0},       {"99999999999", false, 7},
    };
    for (const Row& r : rows) {
        int16_t out = 7;
        EXPECT_EQ(NumberField16(r.field, out), r.fits) << r.field;
        EXPECT_EQ(out, r.want) << r.field;
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
    EXPECT_EQ(shell->statusTexts.back(), "Sent to register 1");
}

// An empty table ends at the first request; a table whose file is missing
// ends there too, with the file named among the errors and counted, never by
// the answer time-out, and no file is made.
TEST_F(TransferTest, AnswerWithNothingToSendEndsAtTheFirstRequest) {
    for (int16_t size : {0, 3}) {  // no file either way
        SCOPED_TRACE(size);
        shell->errors.clear();
        Sizes.nMaxGrpRep = size;
        ReqState.nTxGrpRep = kFileOpenNext;
        LinkState.nPendingAns = 1;
        EXPECT_EQ(AnswerTable(GroupsTable()), "*");
        EXPECT_EQ(ReqState.nTxGrpRep, kFileDone);
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(OpenFileCount(), 0);
        EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile)));
        ASSERT_EQ(shell->errors.size(), size == 0 ? 0u : 1u);
        if (size != 0) {
            EXPECT_NE(shell->errors[0].text.find(GetText("Log", "nosendfile") + " " +
                                                 CashFile(kGrpRepFile)),
                      std::string::npos);
        }
    }
}

// Every send with its own answer procedure whose file is missing at the
// first request: "*" at once with the answer counted, the file named among
// the errors, no file made or left open, no "sent" status; a late request
// gets "*" again and counts nothing.
TEST_F(TransferTest, EverySendRefusesAMissingFileAtOnce) {
    ASSERT_TRUE(ConfigLevel.GetClientGroupsEnable());
    const struct {
        const char* name;
        std::function<void()> start;
        std::string (*answer)();
        std::string file;
    } sends[] = {
        {"customers", [] {
             ReqState.nTxCli = kFileOpenNext;
             Tx.nTxCliFrom = Tx.nTxCliFrom0 = 1;
             Tx.nTxCliTo = Tx.nTxCliTo0 = 2;
         }, &AnsCli, kClientiFile},
        {"the whole customer archive", [] {
             ReqState.nTxCli = kFileOpenNext;
             Tx.nTxCliFrom = Tx.nTxCliFrom0 = 1;
             Tx.nTxCliTo = Tx.nTxCliTo0 = -1;
         }, &AnsCli, kClientiFile},
        {"customer groups", [] { ReqState.nTxClientGroup = 0; }, &AnsClientGroup, kClientGFile},
        {"PLUs", [] {
             ReqState.nTxPLU = kFileOpenNext;
             Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = 1;
             Tx.nTxPLUTo = Tx.nTxPLUTo0 = 5;
         }, &AnsPLU, kPLUFile},
        {"the whole PLU file", [] {
             ReqState.nTxPLU = kFileOpenNext;
             Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = 1;
             Tx.nTxPLUTo = Tx.nTxPLUTo0 = 65535;
         }, &AnsPLU, kPLUFile},
        {"departments", [] {
             Tx.nTxRepartoFrom = Tx.nTxRepartoFrom0 = 1;
             Tx.nTxRepartoTo = Tx.nTxRepartoTo0 = 2;
             Tx.bTxRepartoEnded = False;
         }, &AnsReparto, kRepartiFile},
        {"loyalty by department", [] {
             Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0 = 1;
             Tx.nTxRepFidTo = Tx.nTxRepFidTo0 = 1;
             Tx.nTxRepFidA = Tx.nTxRepFidB = 0;
         }, &AnsRepFid, kRepFidFile},
        {"loyalty on subtotal", [] { Tx.nTxSubFidIdx = 0; }, &AnsSubFid, kSubFidFile},
        {"loyalty lines", [] { ReqState.nTxCirCli = kFileOpenNext; }, &AnsCirCli, kCirCliFile},
    };
    for (const auto& send : sends) {
        SCOPED_TRACE(send.name);
        shell->errors.clear();
        shell->statusTexts.clear();
        send.start();
        LinkState.nPendingAns = 1;
        EXPECT_EQ(send.answer(), "*");
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(send.answer(), "*");
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(OpenFileCount(), 0);
        EXPECT_FALSE(platform::FileExists(CashFile(send.file)));
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_NE(shell->errors[0].text.find(GetText("Log", "nosendfile") + " " + CashFile(send.file)),
                  std::string::npos);
        for (const std::string& status : shell->statusTexts)
            EXPECT_EQ(status.find("Sent to register"), std::string::npos);
    }
}

// Each send that ends through its own step says it was sent, as the table
// sends do; a send that failed on the way says nothing of the kind.
TEST_F(TransferTest, ACompleteSendSaysSoAndAFailedOneDoesNot) {
    const struct {
        const char* name;
        std::function<void()> prepare;
        std::string (*answer)();
        bool sent;
    } cases[] = {
        {"groups without their file", [] { ReqState.nTxGrpRep = kFileOpenNext; }, [] { return AnswerTable(GroupsTable()); }, false},
        {"customers",
         [&] {
             ClientM cli;
             cli.CliType(ConfigLevel.GetClientType(Core.nOpenCash));
             cli.SetFile(CashFile(kClientiFile), true);
             cli.SetFormattedRecord("5:SHOP:LINE 2:1:2:3:500:4:", ":", 0);
             ASSERT_TRUE(cli.QueCli());
             ReqState.nTxCli = kFileOpenNext;
             Tx.nTxCliFrom = Tx.nTxCliFrom0 = 1;
             Tx.nTxCliTo = Tx.nTxCliTo0 = -1;
         },
         AnsCli, true},
        {"PLUs record by record",
         [&] {
             PLURec r = tables::DefaultRecord<PLURec>(0);
             r.code.PutRight("10");
             r.P220A = "000000100";
             r.P220B.PutNum(1);
             r.P220C = "ITEM";
             r.P220G = "1";
             WriteAll(CashFile("PLU.txt"), tables::RecordBytes(r));
             Sizes.nMaxReparti = 250;
             CassaConf.P211 = 13;
             ReqState.nTxPLU = kFileOpenNext;
             Tx.nTxPLUFrom = Tx.nTxPLUFrom0 = 1;
             Tx.nTxPLUTo = Tx.nTxPLUTo0 = 65535;
         },
         AnsPLU, true},
        {"PLU directory, second pass",
         [&] {
             WriteAll(CashFile(kDirPLUFile), Blanks(sizeof(DirPLURec) - 2) + "\r\n");
             ReqState.nTxDirPLU = kDirPLUSecondPass;
         },
         AnsDirPLU, true},
    };
    Sizes.nMaxGrpRep = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        Texts = TextsGlobals{};  // a run without failures so far
        Work = WorkRecord{};
        LinkState.nPendingAns = 1;
        for (int i = 0; i < 5 && c.answer() != "*"; ++i) continue;
        EXPECT_EQ(LinkState.nPendingAns, 0);
        EXPECT_EQ(shell->status == "Sent to register 1", c.sent) << shell->status;
    }
}

// A file shorter than the table sends what it holds, then the default
// records, and ends with "*".
TEST_F(TransferTest, AFileShorterThanTheTableSendsDefaultsForTheRest) {
    Sizes.nMaxGrpRep = 3;
    WriteAll(CashFile(kGrpRepFile), Group(1, "Drinks"));
    ReqState.nTxGrpRep = kFileOpenNext;
    LinkState.nPendingAns = 1;
    std::vector<std::string> answers;
    for (int i = 0; i < 5 && ReqState.nTxGrpRep != kFileDone; ++i)
        answers.push_back(AnswerTable(GroupsTable()));
    EXPECT_EQ(answers, (std::vector<std::string>{"1:Drinks", "2:", "3:", "*"}));
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_TRUE(shell->errors.empty());
    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), Group(1, "Drinks"));
}

// ---- the data procedure

TEST_F(TransferTest, DataStoresEachLineThenEnds) {
    Sizes.nMaxGrpRep = 12;
    const std::string old = Group(1, "Old one") + Group(2, "Old two");
    WriteAll(CashFile(kGrpRepFile), old);
    ReqState.bRdGrpRep = True;
    LinkState.nPendingAns = 1;
    // Each line is in the read's copy before its acknowledgement goes out;
    // the table file changes only with the closing line.
    std::string copyAtAck, fileAtAck;
    port_->SetResponder([&](const std::string& bytes) {
        if (bytes == std::string(1, ACK)) {
            copyAtAck = ReadAll(CashFile(kGrpRepFile) + ".part");
            fileAtAck = ReadAll(CashFile(kGrpRepFile));
        }
        return std::string();
    });

    Line("7:Abcde:");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    EXPECT_EQ(copyAtAck.substr(6 * 34), Group(7, "Abcde"));
    EXPECT_EQ(fileAtAck, old);
    Line("2::");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    EXPECT_EQ(copyAtAck.substr(34, 34), Group(2, ""));
    EXPECT_EQ(fileAtAck, old);

    Line("*xyz");
    EXPECT_EQ(DataTable(GroupsTable()), 0);
    // A record the register did not send keeps its old value; the records
    // skipped over are blank.
    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)),
              Group(1, "Old one") + Group(2, "") + Blanks(4 * 34) + Group(7, "Abcde"));
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile) + ".part"));
    EXPECT_EQ(ReqState.bRdGrpRep, False);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Acks(), 3);
    EXPECT_TRUE(shell->errors.empty());
    EXPECT_EQ(Work.standing, 0);
}

TEST_F(TransferTest, DataThatIsNotAwaitedIsAcknowledgedAndDropped) {
    Line("7:Abcde:");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    Line("*");
    EXPECT_EQ(DataTable(GroupsTable()), -1);
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile)));
    EXPECT_EQ(Acks(), 2);
}

// A read of no records says so as a note, not as a failure.
TEST_F(TransferTest, AReadOfNoRecordsSaysSo) {
    ReqState.bRdGrpRep = True;
    Line("*");
    EXPECT_EQ(DataTable(GroupsTable()), 0);
    ASSERT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->messages[0].text, GetText("Log", "norecords") + " " + CashFile(kGrpRepFile));
    EXPECT_TRUE(shell->errors.empty());
    EXPECT_EQ(Work.standing, 0);
    // It stays the operation's result (the status text at its end), no success said over it.
    EXPECT_EQ(Texts.strResult, shell->messages[0].text);
}

TEST_F(TransferTest, DataLinesThatCannotBeReadWholeWriteNothing) {
    Sizes.nMaxGrpRep = 12;
    ReqState.bRdGrpRep = True;
    struct Row {
        const char* line;
        const char* key;  // the note listed
    } rows[] = {
        {"7:Abcde", "notstored"},     {"100:Too big:", "notstored"}, {"0:Zero:", "notstored"},
        {"", "notstored"},            {"13:Beyond:", "outofrange"},  {"99:Far beyond:", "outofrange"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        shell->errors.clear();
        Line(r.line);
        EXPECT_EQ(DataTable(GroupsTable()), -1);
        ASSERT_EQ(shell->errors.size(), 1u);
        EXPECT_EQ(shell->errors[0].text.rfind(GetText("Log", r.key) + " GrpRep.txt: ", 0), 0u)
            << shell->errors[0].text;
    }
    EXPECT_EQ(ReqState.bRdGrpRep, True);
    // A read that stored nothing leaves no table and no copy behind.
    Line("*");
    EXPECT_EQ(DataTable(GroupsTable()), 0);
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile)));
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile) + ".part"));
    EXPECT_EQ(Acks(), 7);
    // Lines not stored fail the read: how many of how many.
    ASSERT_EQ(shell->errors.size(), 2u);
    EXPECT_EQ(shell->errors[1].text, GetText("Log", "readrefused") + " " + CashFile(kGrpRepFile) + " (6/6)");
    EXPECT_EQ(Work.standing, 1);
    for (const std::string& t : shell->statusTexts) EXPECT_EQ(t.find("Read from"), std::string::npos) << t;
}

// The groups store a group beyond the size counter, growing the file; a
// number the record's two digits cannot hold is still refused.
TEST_F(TransferTest, AGroupBeyondTheSizeCounterExtendsTheFile) {
    struct Row {
        const TableDesc& table;
        int16_t TableSizes::*size;
        int16_t ReqStateRec::*flag;
        int16_t (*data)();
        const char* file;
    } rows[] = {{GrpStaTable(), &TableSizes::nMaxGrpSta, &ReqStateRec::bRdGrpSta, DataGrpSta, kGrpStaFile},
                {GrpRepTable(), &TableSizes::nMaxGrpRep, &ReqStateRec::bRdGrpRep, DataGrpRep, kGrpRepFile}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        Sizes.*r.size = 19;
        ReqState.*r.flag = True;
        shell->errors.clear();
        for (const char* line : {"25:Zed:", "100:Too big:", "*"}) {
            Line(line);
            r.data();
        }
        const std::string file = ReadAll(CashFile(r.file));
        EXPECT_EQ(file.size(), 850u);
        EXPECT_EQ(file.substr(24 * 34), Group(25, "Zed"));
        ASSERT_EQ(shell->errors.size(), 2u);
        EXPECT_EQ(shell->errors[0].text, GetText("Log", "notstored") + " " + r.file + ": 100:Too big:");
        EXPECT_EQ(shell->errors[1].text, GetText("Log", "readrefused") + " " + CashFile(r.file) + " (1/2)");
    }
}

// The command's answer time-out or the user's abort in the middle of a read.
TEST_F(TransferTest, AReadCutShortLeavesTheOldTableWhole) {
    Sizes.nMaxGrpRep = 12;
    const std::string old = Group(1, "Old one") + Group(2, "Old two");
    WriteAll(CashFile(kGrpRepFile), old);
    ReqState.bRdGrpRep = True;
    LinkState.nPendingAns = 1;
    for (const char* line : {"1:New one:", "2:New two:"}) {
        Line(line);
        EXPECT_EQ(DataTable(GroupsTable()), -1);
    }

    CloseAllFiles();

    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), old);
    EXPECT_FALSE(platform::FileExists(CashFile(kGrpRepFile) + ".part"));
    ASSERT_EQ(shell->errors.size(), 1u);
    EXPECT_EQ(shell->errors[0].text, GetText("Log", "readcut") + " " + CashFile(kGrpRepFile));
    EXPECT_NE(ReadAll(dir.file("msg.log")).find(shell->errors[0].text), std::string::npos);
    EXPECT_EQ(Work.standing, 1);
    // What the register still sends of that read is acknowledged and dropped.
    EXPECT_EQ(ReqState.bRdGrpRep, False);
    for (const char* line : {"3:Late:", "*"}) {
        Line(line);
        EXPECT_EQ(DataTable(GroupsTable()), -1);
    }
    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), old);
    EXPECT_EQ(Acks(), 4);
    // The next read starts again from the file as it is.
    ReqState.bRdGrpRep = True;
    for (const char* line : {"2:Again:", "*"}) {
        Line(line);
        DataTable(GroupsTable());
    }
    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), Group(1, "Old one") + Group(2, "Again"));
    EXPECT_EQ(Work.standing, 1);
}

// The user's abort or a stop before the read's first line came (its command
// acknowledged, the register about to send): the lines that still come are
// acknowledged and dropped, as those of a read cut short in the middle.
TEST_F(TransferTest, AReadAbortedBeforeItsFirstLineTakesNoLateLine) {
    Sizes.nMaxGrpRep = 12;
    const std::string old = Group(1, "Old one") + Group(2, "Old two");
    WriteAll(CashFile(kGrpRepFile), old);
    ReqState.bRdGrpRep = ReqState.bRdReparto = True;  // the abort drops the rest of the queue too
    LinkState.nPendingAns = 1;
    LinkState.AbortRequest = true;

    CloseAllFiles();

    EXPECT_EQ(ReqState.bRdGrpRep, False);
    EXPECT_EQ(ReqState.bRdReparto, False);
    LinkState.AbortRequest = false;  // taken: the register's lines come while it is released
    for (const char* line : {"1:Late one:", "2:Late two:", "*"}) {
        Line(line);
        EXPECT_EQ(DataTable(GroupsTable()), -1);
    }
    EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), old);
    EXPECT_EQ(Acks(), 3);
    EXPECT_TRUE(shell->errors.empty());
    EXPECT_EQ(Work.standing, 0);
}

// A disk that fills up (a limit on the size of the files written), and a copy
// that is gone when the closing line comes, in a command-line run that asked
// for a copy of the table.
TEST_F(TransferTest, AReadThatCannotBeStoredLeavesTheOldTableAndCounts) {
    Sizes.nMaxGrpRep = 12;
    const std::string old = Group(1, "Old one") + Group(2, "Old two");  // 68 bytes
    const std::string part = CashFile(kGrpRepFile) + ".part";
    struct Row {
        const char* what;
        long fileLimit;
        std::vector<std::string> lines;  // "-" removes the copy
        const char* key;                 // the note of the failure
        const char* reason;
        const char* file = kGrpRepFile;  // the file the note names
        int16_t (*data)() = [] { return DataTable(GroupsTable()); };
    } rows[] = {
        {"the copy cannot be made", 50, {"1:New:", "2:New:", "*"}, "readfailed", "File too large"},
        {"a record cannot be written", 100, {"1:New:", "7:Far:", "2:New:", "*"}, "norecord",
         "File too large"},
        {"the copy is gone", 0, {"1:New:", "-", "*"}, "readfailed", "File not found"},
        // A dump cut short leaves no dump file behind.
        {"a PLU dump line", 30, {"10:100:1:ONE:0:0:0:9:", "2:1:1:TWO:0:0:0:9:", "*"}, "nowrite",
         "File too large", kC08File, DataC08},
        {"a customer dump line", 30, {"1:ONE::0:1:0:5:0:", "2:TWO::0:1:0:5:0:", "*"}, "nowrite",
         "File too large", kC16File, [] { return AnswerRec.strAnsRec = AnswerRec.strAnsData, DataC16(); }},
        {"the keyboard", 100, {"1:0:5:45:", "*"}, "readfailed", "File too large", "Keyb3_0.txt", DataTastiera},
    };
    const std::string keys = "[Livello0]\r\nT0=1|5|7\r\n";
    WriteAll(CashFile("Keyb3_0.txt"), keys);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        WriteAll(CashFile(kGrpRepFile), old);
        int result = childtest::Run(
            [&] {
                Core.bInteractive = false;
                Core.strReqArg = dir.file("copy.txt");
                ReqState.bRdGrpRep = ReqState.bRdTastiera = True;
                LoadKeyConf();
                ReqState.nFileC08 = ReqState.nFileC16 = kFileOpenNext;
                LinkState.nPendingAns = 1;
                int16_t last = 0;
                for (const std::string& line : r.lines) {
                    if (line == "-") {
                        platform::RemoveFile(part);
                        continue;
                    }
                    Line(line);
                    last = r.data();
                }
                const std::string want = GetText("Log", r.key) + " " + CashFile(r.file);
                int bad = 0;
                if (last != 0 || LinkState.nPendingAns != 0) bad |= 1;
                if (Work.standing != 1) bad |= 2;
                if (shell->errors.size() != 1 || shell->errors[0].text.rfind(want, 0) != 0 ||
                    shell->errors[0].text.find(r.reason) == std::string::npos)
                    bad |= 4;
                // No success is said, on the status bar or in the message log.
                if (shell->status.find(GetText("Msg", "readfrom")) != std::string::npos) bad |= 8;
                for (const auto& e : shell->errors) std::fprintf(stderr, "%s\n", e.text.c_str());
                return bad;
            },
            r.fileLimit);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ReadAll(dir.file("msg.log")).find(GetText("Msg", "readfrom")), std::string::npos);
        EXPECT_EQ(ReadAll(CashFile(kGrpRepFile)), old);
        EXPECT_EQ(ReadAll(CashFile("Keyb3_0.txt")), keys);
        EXPECT_FALSE(platform::FileExists(dir.file("copy.txt")));
        // Nothing else is left in the folder: no copy, no temporary file.
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Core.strCashDir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{kGrpRepFile, "Keyb3_0.txt"}));
    }
}

}  // namespace

// The multiple-functions read keeps its records until the closing line; a
// folder that cannot take the new file keeps the old one, names the system's
// reason and counts for the run.
TEST_F(TransferTest, AMultipleFunctionsReadThatCannotBeStoredLeavesTheOldFile) {
    Sizes.nMaxFunMul = 10;
    const std::string old(2 * sizeof(FunMulRec), 'o');
    WriteAll(CashFile(kFunMulFile), old);
    const int result = childtest::Run(
        [&] {
            ReqState.bRdFMult = True;
            LinkState.nPendingAns = 1;
            Tx.nRdFMultState = 0;
            int16_t last = 0;
            for (const char* line : {"1:5:Coffee:0:", "2:5:1:3:", "*"}) {
                Line(line);
                last = DataFMult();
            }
            const std::string want =
                GetText("Log", "nowrite") + " " + CashFile(kFunMulFile) + ": File too large";
            int bad = 0;
            if (last != 0 || LinkState.nPendingAns != 0 || ReqState.bRdFMult != False) bad |= 1;
            if (Work.standing != 1) bad |= 2;
            if (shell->errors.size() != 1 || shell->errors[0].text != want) bad |= 4;
            for (const auto& e : shell->errors) std::fprintf(stderr, "%s\n", e.text.c_str());
            return bad;
        },
        static_cast<long>(old.size()) + 10);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(CashFile(kFunMulFile)), old);
}

// An abandoned multiple-functions read keeps nothing: a later read that
// brings only "*" writes no record of it, in its folder or another's.
TEST_F(TransferTest, AnAbandonedMultipleFunctionsReadLeavesNothingForTheNextOne) {
    Sizes.nMaxFunMul = 10;
    const std::string first = Core.strCashDir;
    const std::string second = dir.file("Cassa2");
    platform::MakeDir(second);
    for (bool abandoned : {true, false}) {
        SCOPED_TRACE(abandoned ? "abandoned" : "next register");
        Core.strCashDir = first;
        const std::string old(2 * sizeof(FunMulRec), 'o');
        WriteAll(CashFile(kFunMulFile), old);
        ReqState.bRdFMult = True;
        Tx.nRdFMultState = 0;
        for (const char* line : {"1:5:Coffee:0:", "2:5:1:3:", "1:6:Tea:0:"}) {
            Line(line);
            DataFMult();
        }
        if (abandoned) CloseAllFiles();  // the command timed out or was stopped
        Core.strCashDir = second;        // the next register's read brings nothing
        ReqState.bRdFMult = True;
        Tx.nRdFMultState = 0;
        LinkState.nPendingAns = 1;
        Line("*");
        EXPECT_EQ(DataFMult(), 0);
        EXPECT_FALSE(platform::FileExists(CashFile(kFunMulFile)));
        EXPECT_EQ(ReadAll(platform::JoinPath(first, kFunMulFile)), old);
    }
}


// The discount-options answer cleans its texts as every text answer does.
TEST_F(TransferTest, TheDiscountOptionsAnswerPutsNoSeparatorOfItsTextsOnTheWire) {
    const struct {
        const char* name;
        int16_t model;
        const char* answer;
    } cases[] = {
        {"LX4100", 1, "1 2 3:A B:7"},
        {"DRAVO57", 3, "1 2 3:9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigLevel.InitOffLine(c.model, "V014057");
        CassaConf.P4101A = CassaConf.P4102 = "1:2;3";
        CassaConf.P4112 = "A\x01" "B";
        CassaConf.P4122 = 7;
        CassaConf.P4101B = 9;
        LinkState.nPendingAns = 1;
        EXPECT_EQ(AnsConfScoMag(), c.answer);
    }
}
