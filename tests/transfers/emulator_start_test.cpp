// The tables the emulator's register holds at its start on an installation's
// folder: what the program's send of the folder's files leaves in a register.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/folder_tables.h"
#include "engine/builders_tables.h"
#include "store/client_file.h"
#include "store/customer_files.h"
#include "store/plu.h"
#include "store/plu_directory.h"
#include "store/table_file.h"
#include "transfers/table_link_fixture.h"

namespace {

class EmulatorStartTest : public timertest::TableLinkTest {};

// Every send of a table the program reads back, over its whole table.
bool (*const kSends[])() = {
    [] { return SendReparto(1, Sizes.nMaxReparti); }, [] { return SendRepFid(1, Sizes.nMaxReparti); },
    [] { return SendFMult(1, Sizes.nMaxFunMul); },    [] { return SendPLU(1, 2); },
    [] { return SendOff(1, 1); },                     [] { return SendCli(1, -1); },
    [] { return SendIntScontrino(0); },               [] { return SendOpGen("", true); },
    SendValuta, SendTestoIcone, SendScontrino, SendScoMag, SendSubFid, SendCirCli, SendOpe,
    SendOpeCamCli, SendModPag, SendTicketAmount, SendIconePeriodo, SendGrpRep, SendGrpSta,
    SendClientGroup, SendGlbCassa, SendDirPLU, SendCam, SendBollino, SendComm, SendPrzPeso,
};

TEST_F(EmulatorStartTest, ARegisterStartsWithWhatTheSendOfItsFolderLeaves) {
    for (const auto& [number, key] : {std::pair<int16_t, const char*>{3, "DRAVO57"}, {1, "LX4100"}}) {
        SCOPED_TRACE(key);
        emu::RegisterConfig config;
        config.model = key;
        OpenModel(number, false, {0}, {config});
        // Besides its default tables: PLUs, an offer, a customer, a directory slot.
        PLURec article = tables::DefaultRecord<PLURec>(0);
        article.P220A.PutNum(1000);
        article.P220B.PutNum(1);
        article.P220C = "Article";
        article.P220G = "9";
        for (const char* code : {"37", "74"}) {
            article.code.PutRight(code);
            ASSERT_TRUE(AddPLU(article));
        }
        article.code.PutRight("999999990001");
        ASSERT_TRUE(AddOfferta(article));
        ClientM cli;
        cli.CliType(ConfigLevel.GetClientType(0));
        cli.SetFile(tables::TablePath(kClientiFile), true);
        cli.SetFormattedRecord("5:SHOP:LINE 2:1:2:3:500:4:9:D3:D4:CF5:2:00150:", ":", 1);
        ASSERT_TRUE(cli.QueCli());
        ASSERT_TRUE(SaveDirPLU(3, "74"));

        emu::CashRegister started(0, config);
        for (emu::CashRegister* reg : {&started, registers[0].get()}) reg->SeedOptions(key);
        for (bool (*send)() : kSends) Run(send);  // a table the model lacks is not sent
        // The PLU options are those the program keeps from its last read.
        CassaConf.P210 = 1, CassaConf.P211 = 13, CassaConf.P212 = 30;
        for (const auto& [table, records] : emu::FolderTables(true)) started.Hold(table, records);

        const emu::CashRegister& sent = *registers[0];
        for (const emu::TableInfo& t : emu::KnownTables()) {
            if (t.name != "keyboard" && t.name != "plu options" && !t.readToken.empty()) {
                EXPECT_EQ(started.Records(t.name), sent.Records(t.name)) << t.name;
            }
        }
        EXPECT_EQ(started.Articles(), sent.Articles());
        EXPECT_EQ(started.Customers(), sent.Customers());
        for (const char* table : {"departments", "operators", "communication", "plu directory"})
            EXPECT_FALSE(started.Records(table).empty()) << table;
        EXPECT_EQ(started.Records("plu options"), std::vector<std::string>{"1:13:30:"});
        EXPECT_EQ(started.Articles().size(), 3u);
        EXPECT_EQ(started.Customers().size(), 1u);
        StopLine();
    }
}

}  // namespace
