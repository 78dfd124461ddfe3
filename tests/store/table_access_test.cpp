// Record accessors of the table files and the conversion of an older
// operator file.
#include <gtest/gtest.h>

#include <string>

#include "common/record_text.h"
#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "platform/files.h"
#include "store/create_tables.h"
#include "store/departments.h"
#include "store/groups.h"
#include "store/loyalty.h"
#include "store/operators.h"
#include "store/payments.h"
#include "store/plu_directory.h"

namespace {

using testsupport::text::Blanks;

using testsupport::ReadAll;
using testsupport::WriteAll;

const std::string CRLF = "\r\n";

class TableAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strCashDir = dir.path();
        ConfigLevel.InitOffLine(3, "V014057");
        Sizes.nMaxGrpRep = 12;
        Sizes.nMaxReparti = 250;
        Sizes.nMaxDirPLU = 250;
        Sizes.nMaxOpe = 20;
    }
    void TearDown() override { testsupport::ResetGlobals(); }
    std::string Record(const char* file, int length, int n) {
        return ReadAll(dir.file(file)).substr(static_cast<std::size_t>(n - 1) * length, length);
    }

    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
};

TEST_F(TableAccessTest, SaveAndGetOneRecordOfTheFile) {
    ASSERT_TRUE(CreateGrpRep());
    NameRec rec;
    rec.number.PutNum(7);
    rec.name = "Drinks";
    rec.end.c[0] = 'x';  // Save puts CR LF back
    ASSERT_TRUE(SaveGrpRep(7, rec));
    EXPECT_EQ(Record("GrpRep.txt", 34, 7), "07Drinks" + Blanks(24) + CRLF);
    EXPECT_EQ(Record("GrpRep.txt", 34, 8), "08" + Blanks(30) + CRLF);
    EXPECT_EQ(ReadAll(dir.file("GrpRep.txt")).size(), 12u * 34);

    NameRec back;
    ASSERT_TRUE(GetGrpRep(7, back));
    EXPECT_EQ(back.name.Trim(), "Drinks");
    EXPECT_TRUE(back.end.IsSet());

    RepartoRec dept;
    dept.number.PutNum(3);
    dept.P126 = "-005";
    ASSERT_TRUE(SaveReparto(" 3 ", dept));
    RepartoRec deptBack;
    ASSERT_TRUE(GetReparto("3", deptBack));
    EXPECT_EQ(deptBack.P126.Num(), -5);
}

// Bad record numbers and missing records: false, with "<name> - <text>" in
// interactive runs for the tables that report, nothing for the others.
TEST_F(TableAccessTest, FailuresReportedAsEachTableSays) {
    ASSERT_TRUE(CreateGrpRep());
    NameRec rec;
    RepartoRec dept;
    OpeRec ope;
    struct Case {
        const char* what;
        bool result;
        const char* box;  // nullptr: no message
    } cases[] = {  // evaluated in order, so the boxes come in this order
        {"group 0", GetGrpRep(0, rec), "GetGrpRep - Bad record number"},
        {"group past the end", GetGrpRep(13, rec), "GetGrpRep - Input past end of file"},
        {"save group 0", SaveGrpRep(0, rec), "SaveGrpRep - Bad record number"},
        {"missing file", GetOpe(1, ope), "GetOpe - File not found"},
        {"silent department", GetReparto("1", dept), nullptr},
    };
    std::size_t boxes = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.result);
        if (c.box) {
            ASSERT_GT(shell->msgBoxes.size(), boxes);
            EXPECT_EQ(shell->msgBoxes[boxes++].text, c.box);
        }
    }
    EXPECT_EQ(shell->msgBoxes.size(), boxes);

    Core.bInteractive = false;
    EXPECT_FALSE(GetGrpRep(0, rec));
    EXPECT_EQ(shell->msgBoxes.size(), boxes);
}

TEST_F(TableAccessTest, AccessorsWithTheirOwnSteps) {
    // Meal tickets: ticket 2, denomination 1 is record 16; out of range refused.
    ASSERT_TRUE(CreateTicketAmount());
    TicketAmountRec t;
    ASSERT_TRUE(GetTicketAmount(2, 1, t));
    EXPECT_EQ(t.ticket.str() + t.denomination.str(), "0201");
    t.amount.PutNum(1500);
    ASSERT_TRUE(SaveTicketAmount(2, 1, t));
    EXPECT_EQ(Record("TicketAmount.txt", 15, 16), "0201000001500" + CRLF);
    EXPECT_FALSE(GetTicketAmount(35, 1, t));
    EXPECT_FALSE(SaveTicketAmount(1, 16, t));
    EXPECT_FALSE(SaveTicketAmount(0, 1, t));
    EXPECT_EQ(ReadAll(dir.file("TicketAmount.txt")).size(), 510u * 15);

    // Loyalty by department: Save numbers the record itself.
    ASSERT_TRUE(CreateRepFid());
    RepFidRec r;
    r.Linee.Linea[1].Tipo = "2";
    ASSERT_TRUE(SaveRepFid("5", r));
    std::string rec5 = Record("RepFid.txt", 156, 5);
    EXPECT_EQ(rec5.substr(0, 4), "0005");
    EXPECT_EQ(rec5.substr(54, 1), "2");

    // PLU directory: the code is trimmed, the slot's number kept; codes over
    // 13 characters and slots outside the table are refused.
    ASSERT_TRUE(CreateDirPLU());
    EXPECT_TRUE(SaveDirPLU(5, "  123  "));
    EXPECT_EQ(Record("DirPLU.txt", 18, 5), "123" + Blanks(10) + "5  " + CRLF);
    EXPECT_FALSE(SaveDirPLU(0, "1"));
    EXPECT_FALSE(SaveDirPLU(251, "1"));
    EXPECT_FALSE(SaveDirPLU(6, "12345678901234"));
    EXPECT_EQ(Record("DirPLU.txt", 18, 6), Blanks(13) + "6  " + CRLF);
    EXPECT_EQ(ReadAll(dir.file("DirPLU.txt")).size(), 250u * 18);
}

std::string OldOperator(int n, int code, const std::string& name) {
    std::string s = std::to_string(code);
    return (n < 10 ? "0" : "") + std::to_string(n) + (code < 10 ? "0" : "") + s + "123" + name +
           Blanks(30 - static_cast<int>(name.size())) + "015255000001002003" + CRLF;
}

// An operator file of the older records is converted once; the old file is
// kept as OpeTmp.txt and a second opening changes nothing.
TEST_F(TableAccessTest, ConvertsAnOlderOperatorFileOnce) {
    const std::string old = OldOperator(1, 5, "ANNA") + OldOperator(2, 42, "BRUNO") + OldOperator(3, 7, "");
    ASSERT_EQ(old.size(), 3u * 57);
    WriteAll(dir.file("Operatori.txt"), old);

    ASSERT_TRUE(ConvOpeFile());
    const std::string converted = ReadAll(dir.file("Operatori.txt"));
    EXPECT_EQ(converted,
              "01005123ANNA" + Blanks(26) + "015255000001002003" + CRLF +
              "02042123BRUNO" + Blanks(25) + "015255000001002003" + CRLF +
              "03007123" + Blanks(30) + "015255000001002003" + CRLF);
    EXPECT_EQ(ReadAll(dir.file("OpeTmp.txt")), old);

    WriteAll(dir.file("OpeTmp.txt"), "left by the first conversion");
    ASSERT_TRUE(ConvOpeFile());
    EXPECT_EQ(ReadAll(dir.file("Operatori.txt")), converted);
    EXPECT_EQ(ReadAll(dir.file("OpeTmp.txt")), "left by the first conversion");
    EXPECT_TRUE(shell->msgBoxes.empty());
}

TEST_F(TableAccessTest, LeavesOtherOperatorFilesAlone) {
    ASSERT_TRUE(CreateOpe());
    const std::string current = ReadAll(dir.file("Operatori.txt"));
    const std::string cases[] = {
        current,                                   // current layout
        "",                                        // empty file
        "not an operator file\r\n",                // unknown layout
        OldOperator(1, 5, "ANNA").substr(0, 40),   // cut short
    };
    for (const std::string& bytes : cases) {
        WriteAll(dir.file("Operatori.txt"), bytes);
        EXPECT_TRUE(ConvOpeFile());
        EXPECT_EQ(ReadAll(dir.file("Operatori.txt")), bytes);
        EXPECT_FALSE(testsupport::Exists(dir.file("OpeTmp.txt")));
    }

    // Whole old records only: a damaged tail stays in OpeTmp.txt.
    const std::string old = OldOperator(1, 5, "ANNA") + OldOperator(2, 6, "EVA") + "0307";
    WriteAll(dir.file("Operatori.txt"), old);
    ASSERT_TRUE(ConvOpeFile());
    EXPECT_EQ(ReadAll(dir.file("Operatori.txt")).size(), 2u * 58);
    EXPECT_EQ(ReadAll(dir.file("OpeTmp.txt")), old);
}

}  // namespace
