// A command-line run whose request list sends customers by code range to
// two registers in addressed mode: each register gets exactly the customers
// of its own archive in the range; a register whose archive lacks a code of
// the range gets nothing, and the run says so.
#include <algorithm>
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

}  // namespace
