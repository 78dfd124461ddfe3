// The table imports of a command-line run: what each takes into its table or
// the options, and that every kind of bad file is refused with one error
// line and nothing written.
#include "transfers/table_imports.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "platform/profile.h"
#include "store/departments.h"
#include "store/discounts.h"
#include "store/loyalty.h"
#include "transfers/transfer.h"
#include "store/transfer_fixture.h"

namespace {

using namespace testsupport::text;

using testsupport::ReadAll;
using testsupport::WriteAll;
using transfertest::TransferTest;

// Good records of each import's file, record number or entry n.
std::string Department(int n) {
    return Z(n, 4) + Pad("Dept " + std::to_string(n), 30) + "31 0  " + Z(n, 8) + Z(2 * n, 8) +
           Z(3 * n, 8) + "5" "01" "-005" "02" "001" "000" "00000009\r\n";
}
std::string Loyalty(int n) {
    std::string lines;
    for (int k = 0; k < 3; ++k) lines += "12" + Z(n * 10 + k, 8) + Z(0, 40);
    return lines;
}
std::string RepFid(int n) { return Pad(std::to_string(n), 4) + Loyalty(n) + "\r\n"; }
std::string SubFid(int n) { return Loyalty(n) + "\r\n"; }
std::string CirCli(int n) { return Z(n, 2) + Z(n * 111, 7) + "1\r\n"; }
std::string ScoMag(int n) {
    return Z(n, 2) + "016" + Pad("150", 8) + Pad("20", 8) + Pad("Discount", 30) + "\r\n";
}
std::string Option2(int entry, int value = 3) { return Z(entry, 2) + Z(value, 2) + "\r\n"; }
std::string Option1(int64_t amount, int value) { return Z(amount, 8) + Z(value, 2) + "\r\n"; }

class TableImportsTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        ConfigLevel.InitOffLine(3, "V014057");  // DRAVO57, with loyalty tables
        Sizes.nMaxReparti = 250;
        Sizes.nMaxScoMag = 20;
        for (bool (*create)() : {CreateReparto, CreateRepFid, CreateSubFid, CreateCirCli, CreateScoMag})
            ASSERT_TRUE(create());
        CassaConf.P4101A = "100";
        CassaConf.P4101B = 2;
        CassaConf.P4111 = {0, 1, 1, 1, 1, 1, 1};
        ASSERT_TRUE(SaveCassa());
    }
    std::string Source(const std::string& bytes) {
        const std::string path = dir.file("import.txt");
        WriteAll(path, bytes);
        return path;
    }
    std::string Table(const char* file) const { return ReadAll(CashFile(file)); }
};

struct Import {
    const char* code;
    const char* file;  // the file it writes
    int length;        // record length of its source
    std::function<bool(const std::string&)> run;
    std::function<std::string(int)> good;  // a good record numbered n
    int past;          // the first number past the table
    int numberField;   // offset of a number field that is not the record number
};

std::vector<Import> Imports() {
    static int32_t count = 0;
    return {
        {"*F", kRepartiFile, 89, [](const std::string& f) { return ImportReparto(f, count); }, Department, 251,
         34},
        {"^e", kRepFidFile, 156, [](const std::string& f) { return ImportRepFid(f, count); }, RepFid, 251, 6},
        {"^d", kSubFidFile, 152, [](const std::string& f) { return ImportSubFid(f); }, SubFid, 0, 2},
        {"^f", kCirCliFile, 12, [](const std::string& f) { return ImportCirCli(f, count); }, CirCli, 11, 3},
        {"*Y", kScoMagFile, 53, [](const std::string& f) { return ImportScoMag(f, count); }, ScoMag, 21, 5},
        {"*m", "Cassa.txt", 6, [](const std::string& f) { return ImportConfScoMag2(f, count); },
         [](int n) { return Option2(n); }, 7, 2},
        {"*W", "Cassa.txt", 12, [](const std::string& f) { return ImportConfScoMag(f); },
         [](int n) { return Option1(n, 5); }, 0, 8},
    };
}

// Every kind of bad file, for every import: false, one error line naming the
// file, nothing written (the table, Cassa.txt and the options record as they
// were).
TEST_F(TableImportsTest, BadFilesAreRefusedWithOneErrorLineAndNothingWritten) {
    for (const Import& im : Imports()) {
        SCOPED_TRACE(im.code);
        const std::string one = im.good(1), two = im.good(2);
        std::string letters = two;
        letters[static_cast<size_t>(im.numberField)] = 'x';
        std::vector<std::pair<const char*, std::string>> bad = {
            {"empty file", ""},
            {"no whole record", one.substr(0, one.size() - 1)},
            {"over-long line", one.substr(0, one.size() - 2) + "X\r\n" + two.substr(1)},
            {"line without CR LF", one.substr(0, one.size() - 2) + "  " + two},
            {"non-numeric field", one + letters},
        };
        if (im.past > 0) {
            bad.push_back({"record number 0", one + im.good(0)});
            bad.push_back({"one past the table", one + im.good(im.past)});
        }
        if (std::string(im.code) == "*m") bad.push_back({"value 21", Option2(1) + Option2(2) + Option2(3, 21)});
        if (std::string(im.code) == "*W") bad.push_back({"value 21", Option1(12, 21)});
        for (const auto& [what, bytes] : bad) {
            SCOPED_TRACE(what);
            const std::string table = Table(im.file), cassa = Table("Cassa.txt");
            const CassaConfRec options = CassaConf;
            const TxCountersRec tx = Tx;
            shell->errors.clear();
            const std::string source = Source(bytes);
            EXPECT_FALSE(im.run(source));
            ASSERT_EQ(shell->errors.size(), 1u);
            EXPECT_NE(shell->errors[0].text.find(source), std::string::npos) << shell->errors[0].text;
            EXPECT_TRUE(Table(im.file) == table);
            EXPECT_TRUE(Table("Cassa.txt") == cassa);
            EXPECT_TRUE(CassaConf == options);
            EXPECT_TRUE(Tx == tx);
        }
        shell->errors.clear();
        EXPECT_FALSE(im.run(dir.file("missing.txt")));
        EXPECT_EQ(shell->errors.size(), 1u);
    }
}

// What the imports take: records at the numbers they carry, the range of a
// department or loyalty file, the first record of a subtotal file, the
// discount options into the options record and Cassa.txt.
TEST_F(TableImportsTest, RecordsGoWhereTheirNumbersSayAndOptionsIntoCassaTxt) {
    auto with = [](std::string table, int length, int n, const std::string& record) {
        return table.replace(static_cast<size_t>(n - 1) * length, length, record);
    };
    int32_t count = 0;

    std::string expected = with(with(with(Table(kRepartiFile), 89, 7, Department(7)), 89, 3, Department(3)),
                                89, 12, Department(12));
    ASSERT_TRUE(ImportReparto(Source(Department(7) + Department(3) + Department(12)), count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(Table(kRepartiFile) == expected);
    EXPECT_EQ(Tx.nTxRepartoFrom, 3);
    EXPECT_EQ(Tx.nTxRepartoTo, 12);

    // The department number is written zero-padded, as SaveRepFid does.
    expected = with(with(Table(kRepFidFile), 156, 6, "0006" + RepFid(6).substr(4)), 156, 5,
                    "0005" + RepFid(5).substr(4));
    ASSERT_TRUE(ImportRepFid(Source(RepFid(6) + RepFid(5)), count));
    EXPECT_TRUE(Table(kRepFidFile) == expected);
    EXPECT_EQ(Tx.nTxRepFidFrom, 5);
    EXPECT_EQ(Tx.nTxRepFidTo, 6);

    ASSERT_TRUE(ImportSubFid(Source(SubFid(4) + SubFid(8))));
    EXPECT_EQ(Table(kSubFidFile), SubFid(4));

    expected = with(with(Table(kCirCliFile), 12, 9, CirCli(9)), 12, 2, CirCli(2));
    ASSERT_TRUE(ImportCirCli(Source(CirCli(9) + CirCli(2)), count));
    EXPECT_EQ(Table(kCirCliFile), expected);

    expected = with(Table(kScoMagFile), 53, 20, ScoMag(20));
    ASSERT_TRUE(ImportScoMag(Source(ScoMag(20)), count));
    EXPECT_TRUE(Table(kScoMagFile) == expected);

    ASSERT_TRUE(ImportConfScoMag2(Source(Option2(2, 0) + Option2(6, 20) + Option2(2, 7)), count));
    EXPECT_EQ(count, 3);
    ASSERT_TRUE(ImportConfScoMag(Source(Option1(12, 5))));
    const CassaConfRec read = CassaConf;
    EXPECT_EQ(read.P4111, (std::array<int16_t, 7>{0, 1, 7, 1, 1, 1, 20}));
    EXPECT_EQ(read.P4101A, "12");
    EXPECT_EQ(read.P4101B, 5);
    // What Cassa.txt holds.
    const std::string cassa = CashFile("Cassa.txt");
    EXPECT_EQ(platform::ProfileString("P4", "101A", "", cassa), "12");
    EXPECT_EQ(platform::ProfileInt("P4", "101B", -1, cassa), 5);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(platform::ProfileInt("P4", "111" + std::to_string(n), -1, cassa), read.P4111[n]);
    EXPECT_TRUE(shell->errors.empty());

    // The whole records are taken; what follows them (the end-of-file byte,
    // a cut record) is left out and named in the message log.
    for (const Import& im : Imports()) {
        for (const std::string& rest : {std::string("\x1A"), im.good(2).substr(1)}) {
            SCOPED_TRACE(std::string(im.code) + " + " + std::to_string(rest.size()));
            const std::string source = Source(im.good(1) + rest);
            EXPECT_TRUE(im.run(source));
            EXPECT_NE(ReadAll(dir.file("msg.log")).find("left out: " + source + " (" +
                                                         std::to_string(rest.size()) +
                                                         (rest.size() == 1 ? " byte)" : " bytes)")),
                      std::string::npos);
        }
    }
    EXPECT_TRUE(shell->errors.empty());

    // LX4100 has other discount options: nothing is taken.
    ConfigLevel.InitOffLine(1, "V014057");
    const std::string before = Table("Cassa.txt");
    EXPECT_FALSE(ImportConfScoMag(Source(Option1(12, 5))));
    EXPECT_FALSE(ImportConfScoMag2(Source(Option2(1)), count));
    EXPECT_EQ(shell->errors.size(), 2u);
    EXPECT_TRUE(Table("Cassa.txt") == before);
}

}  // namespace
