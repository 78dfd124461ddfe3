// Customers and customer groups over the line, against the register emulator
// playing DRAVO57 in two customer generations: the 90-character records of an
// older release and the 175-character records of a newer one at protocol
// level 1. What is sent comes back byte for byte when it is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/client_file.h"
#include "store/client_groups.h"
#include "store/customer_files.h"
#include "engine/builders_tables.h"
#include "transfers/table_link_fixture.h"
#include "platform/profile.h"
#include "transfers/customers_transfer.h"
#include "store/table_file.h"

namespace {

class CustomersLinkTest : public timertest::TableLinkTest {
protected:
    std::string Archive() const { return testsupport::ReadAll(tables::TablePath(kClientiFile)); }
};

struct Generation {
    const char* release;
    int level;        // protocol level of the register
    int16_t type;     // the customer generation it gives
    // The wire text of the second customer as the program sends it.
    const char* wire;
};

TEST_F(CustomersLinkTest, SentAndReadBackByteForByteOnTwoGenerations) {
    for (const Generation g : {Generation{"R022002", 0, 1, "12:SHOP 12:LINE 2:1:2:3:1200:4:"},
                               Generation{"R022050", 1, 4,
                                          "12:SHOP 12:LINE 2:1:2:3:1200:4:9:D3:D4:CF12:2:00150"}}) {
        SCOPED_TRACE(g.release);
        emu::RegisterConfig config;
        config.model = "DRAVO57";
        config.release = g.release;
        config.customerLevel = g.level;
        StartLine(false, {0}, {config}, 2);
        queuetest::DefineCash(0, 0, true, g.level ? 128 + 8 : 128);
        LinkState.nCurCash = 0;
        // The register's release as the list keeps it.
        platform::WritePrivateProfileStringA(
            "Casse", "C0", (std::string("1|||") + g.release + "|1|0|0|1").c_str(),
            ConfigIniPath().c_str());
        ASSERT_TRUE(NextCash(true));
        ASSERT_EQ(ConfigLevel.GetClientType(0), g.type);
        ASSERT_EQ(ConfigLevel.GetProtoLevel(0), g.level);

        // Three customers in the archive, a named group.
        ClientM cli;
        cli.CliType(g.type);
        cli.SetFile(tables::TablePath(kClientiFile), true);
        for (const char* code : {"5", "12", "40"}) {
            const std::string c = code;
            cli.SetFormattedRecord(c + ":SHOP " + c + ":LINE 2:1:2:3:" + c + "00:4:9:D3:D4:CF" + c +
                                       ":2:00150:",
                                   ":", 1);
            ASSERT_TRUE(cli.QueCli());
        }
        const std::string sent = Archive();
        ASSERT_EQ(sent.size(), 3u * cli.GetLen());
        ClientGroupsM groups;
        groups.SetFile(tables::TablePath(kClientGFile), false);
        ClientGroupRec group;
        group.Code = "7";
        group.GroupDesc1 = "VIP";
        ASSERT_TRUE(groups.SetGroup(group));
        const std::string groupFile = testsupport::ReadAll(tables::TablePath(kClientGFile));

        ASSERT_TRUE(SendCli(1, -1));
        ASSERT_TRUE(Run(SendClientGroup));
        std::vector<std::string> got = registers[0]->Received("customers");
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[1], g.wire);
        EXPECT_TRUE(registers[0]->Refused("customers").empty());
        std::vector<std::string> gotGroups = registers[0]->Received("customer groups");
        ASSERT_EQ(gotGroups.size(), 255u);
        EXPECT_EQ(gotGroups[6], "7:VIP");
        EXPECT_EQ(gotGroups[7], "8:");
        EXPECT_EQ(Tx.nTxCliTo, -1);  // the range of the send again
        EXPECT_EQ(ErrorLog(), "");

        // The local files are lost; the reads bring the same bytes back.
        testsupport::WriteAll(tables::TablePath(kClientiFile), "");
        ASSERT_TRUE(CreateClientGroup());
        ASSERT_TRUE(ReqCli("1", "999999999999"));
        ASSERT_TRUE(Run(ReqClientGroup));
        EXPECT_TRUE(Archive() == sent) << Archive();
        EXPECT_TRUE(testsupport::ReadAll(tables::TablePath(kClientGFile)) == groupFile);
        // The dump holds each line as the dispatcher cut it: the register's
        // own last field (the customer's position) is not part of it.
        const std::string dump = testsupport::ReadAll(tables::TablePath(kC16File));
        EXPECT_EQ(dump.substr(0, dump.find("\r\n")),
                  g.type == 1 ? "5:SHOP 5:LINE 2:1:2:3:500:4:"
                              : "5:SHOP 5:LINE 2:1:2:3:500:4:9:D3:D4:CF5:2:00150:");
        EXPECT_EQ(ReqState.nFileC16, kFileDone);
        EXPECT_FALSE(platform::FileExists(tables::DumpMark(kC16File)));  // the dump is whole
        EXPECT_EQ(ErrorLog(), "");

        // The register changes 5 and 12, drops 40, gains 41; a read of 10 to 45 changes only those codes.
        std::vector<std::string> held;
        for (std::string c : registers[0]->Customers()) {
            if (c.rfind("40:", 0) == 0) c.replace(0, 2, "41");
            const size_t shop = c.find("SHOP");
            c.replace(shop, 4, "REGS");
            held.push_back(c);
        }
        registers[0]->SetCustomers(held);
        ASSERT_TRUE(ReqCli("1", "999999999999"));
        ASSERT_TRUE(RunToIdle(60));
        const std::string whole = Archive();
        ASSERT_EQ(whole.size(), sent.size());
        testsupport::WriteAll(tables::TablePath(kClientiFile), sent);
        ASSERT_TRUE(ReqCli("10", "45"));
        ASSERT_TRUE(RunToIdle(60));
        const size_t len = static_cast<size_t>(cli.GetLen());
        EXPECT_TRUE(Archive() == sent.substr(0, len) + whole.substr(len)) << Archive();
        EXPECT_EQ(ErrorLog(), "");

        // A read that brings no customer leaves an empty archive, not the
        // customers of the dump before.
        registers[0]->SetCustomers({});
        ASSERT_TRUE(ReqCli("1", "999999999999"));
        ASSERT_TRUE(RunToIdle(60));
        EXPECT_EQ(platform::FileSize(tables::TablePath(kClientiFile)), 0);
        EXPECT_EQ(platform::FileSize(tables::TablePath(kC16File)), 0);
        StopLine();
    }
}

TEST_F(CustomersLinkTest, ARegisterWithoutGroupsIsSentAndAskedNoGroups) {
    // TIMBREL with an off-line release before groups: customers, no groups.
    ConfigLevel.InitOffLine(9, "R012000");
    ASSERT_FALSE(ConfigLevel.GetClientGroupsEnable());
    emu::RegisterConfig config;
    config.model = "TIMBREL";
    StartLine(false, {0}, {config}, 2);
    queuetest::DefineCash(0, 0, true, 128);
    LinkState.nCurCash = 0;
    ASSERT_TRUE(NextCash(true));
    EXPECT_FALSE(platform::FileExists(tables::TablePath(kClientGFile)));
    registers[0]->SetRecords("customer groups", {"1:GROUP:"});

    // The builders of a table the register lacks queue nothing.
    EXPECT_FALSE(SendClientGroup());
    EXPECT_FALSE(ReqClientGroup());
    EXPECT_FALSE(CmdQueuePending());
    EXPECT_TRUE(registers[0]->Received("customer groups").empty());
    EXPECT_FALSE(platform::FileExists(tables::TablePath(kClientGFile)));
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(ReqState.bRdClientGroup, False);
}

}  // namespace
