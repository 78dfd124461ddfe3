// Command-line runs that move customers (and PLUs) by code range: a send to
// two registers in addressed mode gets each register exactly the customers
// of its own archive in the range, and a register whose archive lacks a code
// of the range gets nothing, and the run says so; a read of a range in which
// the register holds nothing keeps the local file.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/batch_fixture.h"
#include "store/client_file.h"

namespace {

class CustomersBatchTest : public testsupport::BatchRunTest {
protected:
    // A 90-character archive of the codes, in order.
    void Archive(const std::string& folder, std::initializer_list<const char*> codes) {
        std::string bytes;
        ClientM cli;
        cli.CliType(1);
        for (const char* code : codes) {
            cli.SetFormattedRecord(std::string(code) + ":CUST " + code + "::0:1:0:" + code + "0:0:",
                                   ":", 0);
            bytes += cli.GetRecord();
        }
        Write(folder + "/Clienti.txt", bytes);
    }
};

TEST_F(CustomersBatchTest, ARangeOfCodesReachesExactlyTheCustomersInIt) {
    Prepare({0, 1}, "r1=*M|12:40\r\n");
    Archive("base/Cassa1", {"5", "12", "20", "40", "41"});
    Archive("base/Cassa2", {"5", "20", "40"});  // no customer 12

    StartRegisters({0, 1}, "DRAVO57");  // release R022002: 90-character customers
    const auto& regs = registers;
    const testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:3", "/t:1"});

    EXPECT_EQ(regs[0]->Received("customers"),
              (std::vector<std::string>{"12:CUST 12::0:1:0:120:0:", "20:CUST 20::0:1:0:200:0:",
                                        "40:CUST 40::0:1:0:400:0:"}));
    EXPECT_TRUE(regs[1]->Received("customers").empty());
    EXPECT_TRUE(regs[1]->Customers().empty());
    // The second register's failure ends the run with status 1 and one
    // error-log line of the request interpreter.
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string log = ErrLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("003"), std::string::npos) << log;
}

// A read of a range in which the register holds nothing keeps the local file
// as it was: a success, said in msg.log. A read cut short keeps the file and
// fails.
TEST_F(CustomersBatchTest, ARangeReadThatFindsNothingKeepsTheLocalFile) {
    const struct {
        const char* request;
        const char* file;
        const char* registerHolds;  // the one customer (or PLU) of the register
        int stallAfter;             // the register falls silent after that many lines
        int status;
    } rows[] = {
        {"&M|1001:2000", "PLU.txt", "5:250:1:ITEM 5:0:0:0:1:0:", -1, 0},
        {"&I|1:500", "Clienti.txt", "900:CUST 900::0:1:0:9000:0:", -1, 0},
        {"&I|1:500", "Clienti.txt", "12:CUST 12::0:1:0:120:0:", 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request);
        std::filesystem::remove(dir.file("base/err.log"));
        std::filesystem::remove(dir.file("base/msg.log"));
        Prepare({0}, std::string("r1=") + row.request + "\r\n");
        Archive("base/Cassa1", {"5", "12"});
        Write("base/Cassa1/PLU.txt", Plu("5", 1, "ITEM 5") + Plu("7", 1, "ITEM 7"));
        const std::string before = Cash(row.file);
        registers.clear();
        if (emulator) emulator->Stop();
        CreateEmulator({0});
        emu::RegisterConfig config;
        config.model = "DRAVO57";
        config.stallAfter = row.stallAfter;
        auto reg = AddRegister(0, config);
        reg->SetArticles({row.registerHolds});
        reg->SetCustomers({row.registerHolds});
        StartEmulator();

        const testsupport::RunResult r = Run({"/r:**", "/f:setup.ini", "/l:3", "/t:1"}, 60);
        EXPECT_EQ(r.status, row.status) << r.err << ErrLog();
        EXPECT_EQ(Cash(row.file), before);
        std::string read = row.request;  // "&I1:500"
        const std::string said = "keeps its records: " + read.erase(2, 1) + ", ";
        EXPECT_EQ(Read("base/msg.log").find(said + dir.file("base/Cassa1/") + row.file) !=
                      std::string::npos,
                  row.status == 0)
            << Read("base/msg.log");
    }
}

}  // namespace
