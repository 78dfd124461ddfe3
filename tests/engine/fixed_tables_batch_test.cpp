// Groups, currencies and stamps in a batch run of the program, without a
// display, against the register emulator: each table is read into a copy
// destination and sent back by its builder's request code, and the stamps
// are imported from a file ("*Q") before they are sent.

#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"

namespace {

class FixedTablesBatchTest : public testsupport::BatchRunTest {
protected:
    std::string Record(const std::string& file, int n, int length) {
        return Cash(file).substr(static_cast<size_t>(n - 1) * length, length);
    }
};

TEST_F(FixedTablesBatchTest, ARequestListReadsIntoCopiesAndSendsByRequestCode) {
    Prepare({0}, "r1=&p|groups.txt\r\nr2=*O\r\nr3=&s|currencies.txt\r\nr4=*P\r\n"
                 "r5=*Q|import.txt\r\nr6=&r|stamps.txt\r\n");
    // Stamps 2 and 3 to import.
    const std::string two = "21" "000100000200000300000400" "001002003004\r\n";
    const std::string three = "30" "999999000000000000000001" "999000000001\r\n";
    Write("import.txt", two + three);

    StartRegisters({0});
    const auto reg = registers[0];
    std::vector<std::string> groups, sentGroups;
    for (int n = 1; n <= 12; ++n) {
        groups.push_back(std::to_string(n) + ":Group " + std::to_string(n) + ":");
        sentGroups.push_back(groups.back().substr(0, groups.back().size() - 1));
    }
    reg->SetRecords("department groups", groups);
    reg->SetRecords("currencies", {"2:01936,27000000:1:USD:", "3:00000,50000000:0:GBP:"});

    // Model 9 is TIMBREL, of the newer family: its first currency is never sent.
    auto run = Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read("base/err.log"), "");
    EXPECT_TRUE(std::filesystem::exists(dir.file("base/done.sem")));

    // The reads stored the register's records and copied each table.
    const std::string crlf = "\r\n";
    EXPECT_EQ(Record("GrpRep.txt", 7, 34), "07Group 7" + std::string(23, ' ') + crlf);
    EXPECT_TRUE(Read("groups.txt") == Cash("GrpRep.txt"));
    const std::string usd = Record("Valute.txt", 2, 27);
    ASSERT_EQ(usd.size(), 27u);
    const std::string sep = usd.substr(7, 1);  // the system's separator
    EXPECT_TRUE(sep == "." || sep == ",") << usd;
    EXPECT_EQ(usd, "2001936" + sep + "270000001USD     " + crlf);
    EXPECT_EQ(Record("Valute.txt", 4, 27), "4000000" + sep + "000000000        " + crlf);
    EXPECT_TRUE(Read("currencies.txt") == Cash("Valute.txt"));

    // The sends gave the register the same records.
    EXPECT_EQ(reg->Received("department groups"), sentGroups);
    EXPECT_EQ(reg->Received("currencies"),
              (std::vector<std::string>{"2:01936,27000000:1:USD", "3:00000,50000000:0:GBP",
                                        "4:00000,00000000:0:"}));

    // The stamps: imported, sent and read back into the copy.
    EXPECT_EQ(reg->Received("stamps"),
              (std::vector<std::string>{"1:0:0:0:0:0:0:0:0:0", "2:1:100:1:200:2:300:3:400:4",
                                        "3:0:999999:999:0:0:0:0:1:1", "4:0:0:0:0:0:0:0:0:0"}));
    EXPECT_EQ(Record("Bollini.txt", 2, 40), two);
    EXPECT_EQ(Record("Bollini.txt", 3, 40), three);
    EXPECT_TRUE(Read("stamps.txt") == Cash("Bollini.txt"));
}

}  // namespace
