// The customer import: an outside file checked, sorted by code and written
// as the register's archive, the refused records and duplicate codes listed,
// the source left as it was.
#include <gtest/gtest.h>

#include "store/customer_files.h"
#include "transfers/customers_import.h"
#include "store/transfer_fixture.h"

namespace {

using namespace transfertest;
using testsupport::ReadAll;
using testsupport::WriteAll;

class CustomersImportTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ConfigLevel.SetCashVersion(Core.nOpenCash, "R022002");  // 90-character records
        Sizes.nMaxFunMul = 250;
        Core.strLogErrFile = dir.file("errors.log");
    }
    // The 88 characters of a record before its line end.
    static std::string Content(const std::string& code, const std::string& desc,
                               const std::string& vat = "1") {
        return code + tables::PadRight(desc, 30) + Blanks(30) + "0" + vat + "0  " "100     " "0  ";
    }
};

TEST_F(CustomersImportTest, ChecksSortsKeepsTheLatestOfEachCodeAndListsTheRest) {
    const std::string l1 = Content("          40", "FORTY");
    const std::string l2 = Content("          12", "A;B");
    const std::string l3 = Content("           7", "SEVEN A");
    const std::string l4 = Content("           7", "SEVEN B");
    const std::string l5 = Content("         12a", "BAD CODE");
    const std::string l6 = Content("           5", "BAD VAT", "7");
    const std::string l7 = Content("3           ", "LEFT");  // a code left-aligned
    const std::string l8 = Content("           7", "SEVEN C");
    const std::string l9 = Content("          50", "LONG") + "X";  // one character too many
    const std::string l10 = Content("          60", "SHIFTED");
    std::string source;
    for (const std::string& l : {l1, l2, l3, l4, l5, l6, l7, l8, l9, l10}) source += l + "\r\n";
    const std::string src = dir.file("import.txt");
    WriteAll(src, source);
    WriteAll(CashFile("Clienti.txt"), "old archive");
    Core.bInteractive = false;

    EXPECT_EQ(SortCli(src, CashFile("Clienti.txt")), 5);

    EXPECT_EQ(ReadAll(src), source);
    std::string expected;
    for (const std::string& l : {Content("           3", "LEFT"), l8, Content("          12", "A B"), l1,
                                 l9.substr(0, 88)})
        expected += l + "\r\n";
    EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), expected);
    // The record after the long line is read one character late: its code
    // field starts with the line end, so it is refused.
    EXPECT_EQ(ReadAll(CashFile("ClientErr.txt")),
              "E <01> " + l5 + " line 5\r\n"
              "E <03> " + l6 + " line 6\r\n"
              "E <01> \n" + l10.substr(0, 87) + " line 10\r\n"
              "D -    " + l3 + " line 3\r\n"
              "D -    " + l4 + " line 4\r\n");
    // A command-line run notes the error list with code 9.
    EXPECT_NE(ReadAll(Core.strLogErrFile).find("009"), std::string::npos) << ReadAll(Core.strLogErrFile);
}

TEST_F(CustomersImportTest, ASourceThatCannotBeTakenChangesNothing) {
    WriteAll(CashFile("Clienti.txt"), "old archive");
    WriteAll(dir.file("empty.txt"), "");
    // Records of the newer 175-character layout on a register of 90.
    WriteAll(dir.file("wide.txt"), std::string(173, '1') + "\r\n");
    for (const char* name : {"missing.txt", "empty.txt", "wide.txt"}) {
        SCOPED_TRACE(name);
        shell->msgBoxes.clear();
        EXPECT_EQ(SortCli(dir.file(name), CashFile("Clienti.txt")), -1);
        ASSERT_EQ(shell->msgBoxes.size(), 1u);
        EXPECT_EQ(shell->msgBoxes[0].text,
                  "Loading archive-the file is missing, empty or not of the expected size");
    }
    EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), "old archive");
    EXPECT_FALSE(platform::FileExists(CashFile("ClientErr.txt")));

    // With errors, an interactive run asks whether to open the list.
    WriteAll(dir.file("one.txt"), Content("          1x", "X") + "\r\n");
    shell->QueueAnswer(false);
    EXPECT_EQ(SortCli(dir.file("one.txt"), CashFile("Clienti.txt")), 0);
    ASSERT_FALSE(shell->questions.empty());
    EXPECT_EQ(shell->questions.back().text,
              "Loading archive-errors were found in the imported customer file. Open the error list?");
    EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), "");
}

}  // namespace
