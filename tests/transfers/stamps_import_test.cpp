// The stamps import of a command-line run: which files and records it takes,
// what it leaves in Bollini.txt, and the request "*Q" that runs it.
#include "transfers/stamps_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/texts.h"
#include "core/work_record.h"
#include "engine/batch.h"
#include "store/discounts.h"
#include "store/transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::TransferTest;

// A record of a stamps file: the number, P430, the four P431 and the four
// P432 as they stand in the file.
std::string Stamp(const std::string& number, const std::string& p430,
                  std::vector<std::string> p431 = {"000100", "000200", "000300", "000400"},
                  std::vector<std::string> p432 = {"001", "002", "003", "004"}) {
    std::string r = number + p430;  // every field whole: 1 + 1 + 4 * 6 + 4 * 3 + 2
    for (const auto& v : p431) r += v;
    for (const auto& v : p432) r += v;
    return r + "\r\n";
}

class StampsImportTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        Sizes.nMaxBollini = 4;
        ASSERT_TRUE(CreateBollino());
        defaults = ReadAll(CashFile(kBolliniFile));
    }
    // The default table with record n replaced.
    std::string With(std::string table, int n, const std::string& record) {
        return table.replace(static_cast<size_t>(n - 1) * 40, 40, record);
    }
    std::string defaults;
};

TEST_F(StampsImportTest, TakesWholeRecordsOfDigitsWithinTheTable) {
    const std::string two = Stamp("2", "1");
    const std::string three = Stamp("3", "0", {"999999", "   12 ", "0     ", "000000"}, {" 7 ", "999", "0  ", "000"});
    const std::string threeStored = Stamp("3", "0", {"999999", "000012", "000000", "000000"},
                                          {"007", "999", "000", "000"});
    // Blank values and a blank P430 are 0.
    const std::string blanks = Stamp("4", " ", {"000100", "      ", "000300", "000400"}, {"001", "   ", "003", "004"});
    const std::string blanksStored = Stamp("4", "0", {"000100", "000000", "000300", "000400"}, {"001", "000", "003", "004"});
    struct Case {
        const char* what;
        const char* content;  // nullptr: no file
        std::string bytes;
        bool result;
        int32_t count;
        std::string table;  // Bollini.txt afterwards
    } cases[] = {
        {"two records and a stray byte", "", two + three + "x", true, 2,
         With(With(defaults, 2, two), 3, threeStored)},
        {"a file without a whole record", "", std::string(39, '1'), false, 0, defaults},
        {"number 0 stops the import", "", two + Stamp("0", "0") + three, false, 3, With(defaults, 2, two)},
        {"a number past the table", "", Stamp("5", "0"), false, 1, defaults},
        {"letters in a value", "", Stamp("1", "0", {"00a100", "000000", "000000", "000000"}), false, 1, defaults},
        {"blank values and P430", "", blanks, true, 1, With(defaults, 4, blanksStored)},
        {"a letter in P430", "", Stamp("1", "x"), false, 1, defaults},
        {"a blank number", "", Stamp(" ", "0"), false, 1, defaults},
        {"a sign in the number", "", Stamp("-", "0"), false, 1, defaults},
        {"no file", nullptr, "", false, 0, defaults},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(CashFile(kBolliniFile), defaults);
        shell->errors.clear();
        const std::string source = dir.file("stamps.txt");
        platform::RemoveFile(source);
        if (c.content) WriteAll(source, c.bytes);
        int32_t count = -1;
        EXPECT_EQ(ImportBollino(source, count), c.result);
        EXPECT_EQ(count, c.count);
        EXPECT_TRUE(ReadAll(CashFile(kBolliniFile)) == c.table) << ReadAll(CashFile(kBolliniFile));
        // A refused record or file is one line of the error list.
        EXPECT_EQ(shell->errors.size(), c.result ? 0u : 1u);
    }
    // The stray byte of the first case is named in the message log.
    EXPECT_NE(ReadAll(dir.file("msg.log")).find("left out: " + dir.file("stamps.txt") + " (1 byte)"),
              std::string::npos);
}

TEST_F(StampsImportTest, AFailedImportSendsNothingAndIsLogged) {
    Core.strLogErrFile = dir.file("err.log");
    WriteAll(dir.file("stamps.txt"), Stamp("9", "0"));
    EXPECT_FALSE(ExecRequest("*Q", dir.file("stamps.txt")));
    EXPECT_NE(ReadAll(dir.file("err.log")).find("[004]"), std::string::npos);
    EXPECT_EQ(CmdQueue.nCmdNum, 0);
    EXPECT_EQ(Work.standing, 1);
}

}  // namespace
