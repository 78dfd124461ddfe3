// The customer import: an outside file checked, sorted by code and written
// as the register's archive, the refused records and duplicate codes listed,
// the source left as it was.
#include <gtest/gtest.h>

#include "store/customer_files.h"
#include "core/cassa_conf.h"
#include "store/plu.h"
#include "transfers/customers_import.h"
#include "transfers/customers_transfer.h"
#include "transfers/plu_import.h"
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
    const std::string l5 = Content("         12a", "BAD\x01" "CODE\x1b\t");
    const std::string l6 = Content("           5", "BAD VAT", "7");
    const std::string l7 = Content("3           ", "LEFT");  // a code left-aligned
    const std::string l8 = Content("           7", "SEVEN C");
    const std::string l9 = Content("          60", "SIXTY");
    std::string source;
    for (const std::string& l : {l1, l2, l3, l4, l5, l6, l7, l8, l9}) source += l + "\r\n";
    const std::string src = dir.file("import.txt");
    WriteAll(src, source);
    WriteAll(CashFile("Clienti.txt"), "old archive");
    Core.bInteractive = false;

    EXPECT_EQ(SortCli(src, CashFile("Clienti.txt")), 5);

    EXPECT_EQ(ReadAll(src), source);
    std::string expected;
    for (const std::string& l : {Content("           3", "LEFT"), l8, Content("          12", "A B"), l1, l9})
        expected += l + "\r\n";
    EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), expected);
    EXPECT_EQ(ReadAll(CashFile("ClientErr.txt")),
              "E <01> " + Content("         12a", "BAD CODE  ") + " line 5\r\n"
              "E <03> " + l6 + " line 6\r\n"
              "D -    " + l3 + " line 3\r\n"
              "D -    " + l4 + " line 4\r\n");
    // A command-line run notes the error list with code 9.
    EXPECT_NE(ReadAll(Core.strLogErrFile).find("009"), std::string::npos) << ReadAll(Core.strLogErrFile);

    // A range of codes of the new archive, refused in the run's language.
    const struct {
        const char *lang, *first, *last, *why;
    } ranges[] = {
        {"Testi.eng", "7", "9", "Customer code not in the archive: 9"},
        {"Testi.ita", "7", "9", "Codice cliente non presente nell'archivio: 9"},
        {"Testi.eng", "40", "7", "Customer code range runs backwards: 40:7"},
        {"Testi.ita", "40", "7", "Intervallo di codici cliente al contrario: 40:7"},
        {"Testi.ita", "7", "40", ""},
    };
    for (const auto& r : ranges) {
        SCOPED_TRACE(std::string(r.lang) + " " + r.first + ":" + r.last);
        Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/" + r.lang;
        int32_t from = 0, to = 0;
        std::string why;
        EXPECT_EQ(CliCodeRange(r.first, r.last, from, to, why), *r.why == 0);
        EXPECT_EQ(why, r.why);
    }
}

TEST_F(CustomersImportTest, ASourceThatCannotBeTakenChangesNothing) {
    WriteAll(CashFile("Clienti.txt"), "old archive");
    WriteAll(dir.file("empty.txt"), "");
    // Records of the newer 175-character layout on a register of 90.
    WriteAll(dir.file("wide.txt"), std::string(173, '1') + "\r\n");
    // Lines of the right width but for one, first or further on, whatever
    // the line ends; a blank line among the records.
    const std::string good = Content("           1", "ONE");
    WriteAll(dir.file("long.txt"), good + "\r\n" + good + "X\r\n" + good + "\r\n");
    WriteAll(dir.file("short.txt"), good + "\n" + good.substr(1) + "\n");
    WriteAll(dir.file("longcr.txt"), good + "X\r" + good + "\r");
    WriteAll(dir.file("blank.txt"), good + "\r\n\r\n" + good + "\r\n");
    WriteAll(dir.file("shortlast.txt"), good + "\r\n" + good.substr(0, 50));
    WriteAll(dir.file("onechar.txt"), good + "\r\nX\r\n");
    // A command-line run says why in the message log.
    const std::pair<const char*, const char*> cases[] = {
        {"missing.txt", "missing.txt (File not found)"},
        {"empty.txt", "Import file holds no record; nothing imported: "},
        {"wide.txt", "line 1 too long (173 characters, a record has 88)"},
        {"long.txt", "line 2 too long (89 characters, a record has 88)"},
        {"short.txt", "line 2 too short (87 characters, a record has 88)"},
        {"longcr.txt", "line 1 too long (89 characters, a record has 88)"},
        {"blank.txt", "line 2 too short (0 characters, a record has 88)"},
        {"shortlast.txt", "line 2 too short (50 characters, a record has 88)"},
        {"onechar.txt", "line 2 too short (1 character, a record has 88)"},
    };
    for (const auto& [name, why] : cases) {
        SCOPED_TRACE(name);
        shell->msgBoxes.clear();
        Core.bInteractive = false;
        EXPECT_EQ(SortCli(dir.file(name), CashFile("Clienti.txt")), -1);
        EXPECT_NE(ReadAll(dir.file("msg.log")).find(why), std::string::npos) << ReadAll(dir.file("msg.log"));
        Core.bInteractive = true;
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
    // Every record refused: the import takes nothing and the archive stays.
    EXPECT_EQ(SortCli(dir.file("one.txt"), CashFile("Clienti.txt")), -1);
    ASSERT_FALSE(shell->questions.empty());
    EXPECT_EQ(shell->questions.back().text,
              "Loading archive-errors were found in the imported customer file. Open the error list?");
    EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), "old archive");
    EXPECT_NE(ReadAll(dir.file("msg.log")).find("one.txt (line 1 refused, E <01>)"), std::string::npos);
}

// Lines ended by CR LF, LF or CR, mixed, the last one with or without its
// end or followed by an end-of-file byte (0x1A): the same archive, and the
// same PLU file from the PLU import, each record ended by CR LF.
TEST_F(CustomersImportTest, EveryKindOfLineEndGivesTheSameFileInBothImports) {
    Sizes.nMaxReparti = 250;
    Sizes.nMaxScoMag = 20;
    CassaConf.P211 = 13;
    Core.bSortImport = true;
    auto plu = [](const char* code) {
        PLURec r = tables::DefaultRecord<PLURec>(0);
        r.code.PutRight(code);
        r.P220A.PutNum(100);
        r.P220B.PutNum(1);
        r.P220G = "1";
        return tables::RecordBytes(r).substr(0, 87);
    };
    const std::string a = Content("           2", "TWO"), b = Content("           1", "ONE");
    const std::string pa = plu("2"), pb = plu("1");
    // The line end after the first record and after the second.
    const std::pair<const char*, const char*> ends[] = {
        {"\r\n", "\r\n"}, {"\n", "\n"}, {"\r", "\r"}, {"\n", ""}, {"\r", "\r\n"},
        {"\r\n", "\r\n\r\n"}, {"\r\n", "\r\n\x1a"}, {"\r", "\r\x1a"}, {"\r\n", "\x1a"}};
    Core.bInteractive = false;
    for (const auto& [first, second] : ends) {
        SCOPED_TRACE(testing::PrintToString(std::string(first) + "|" + second));
        WriteAll(CashFile("Clienti.txt"), "old archive");
        WriteAll(dir.file("import.txt"), a + first + b + second);
        EXPECT_EQ(SortCli(dir.file("import.txt"), CashFile("Clienti.txt")), 2);
        EXPECT_EQ(ReadAll(CashFile("Clienti.txt")), b + "\r\n" + a + "\r\n");
        WriteAll(CashFile("PLU.txt"), "old PLUs");
        WriteAll(dir.file("import.txt"), pa + first + pb + second);
        EXPECT_TRUE(SortPLU(dir.file("import.txt"), CashFile("PLU.txt")));
        EXPECT_EQ(ReadAll(CashFile("PLU.txt")), pb + "\r\n" + pa + "\r\n");
    }
    EXPECT_EQ(ReadAll(Core.strLogErrFile), "");
}

}  // namespace
