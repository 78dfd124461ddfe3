// The answer procedures of icon texts, the loyalty tables, the PLU directory
// and the price/weight codes on their own: the number of answers of a send,
// one end counted, and a request after the end answered "*" again without
// counting the end twice.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/config_level.h"
#include "core/link_state.h"
#include "store/icon_texts.h"
#include "transfers/icon_texts_transfer.h"
#include "store/loyalty.h"
#include "transfers/loyalty_transfer.h"
#include "store/plu_directory.h"
#include "transfers/plu_directory_transfer.h"
#include "store/price_weight.h"
#include "transfers/price_weight_transfer.h"
#include "transfers/transfer.h"
#include "store/transfer_fixture.h"

namespace {

using transfertest::TransferTest;

class LoyaltyTransferTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        Sizes.nMaxReparti = 250;
        Sizes.nMaxDirPLU = 250;
        for (bool (*create)() : {CreateTestoIcone, CreateRepFid, CreateSubFid, CreateCirCli, CreatePrzPeso,
                                 CreateDirPLU})
            ASSERT_TRUE(create());
    }
};

TEST_F(LoyaltyTransferTest, EachSendCountsItsEndOnce) {
    struct Case {
        const char* what;
        std::function<void()> start;   // what the builder sets
        std::string (*answer)();
        size_t answers;                // before the "*"
        std::string first;             // the first answer
    };
    const int messages = ConfigLevel.GetNMessaggiIcone(Core.nOpenCash);
    const Case cases[] = {
        {"icon texts", [] { ReqState.nTxTestoIcone = kFileOpenNext; }, AnsTestoIcone,
         static_cast<size_t>(messages) * 5, "1:1::"},
        {"loyalty by department",
         [] {
             Tx.nTxRepFidFrom = Tx.nTxRepFidFrom0 = 5;
             Tx.nTxRepFidTo = Tx.nTxRepFidTo0 = 6;
             Tx.nTxRepFidA = Tx.nTxRepFidB = 0;
         },
         AnsRepFid, 6, "5:0:0:0:00000000:00000000:00000000:00000000:00000000:00000000"},
        {"loyalty subtotal", [] { Tx.nTxSubFidIdx = 0; }, AnsSubFid, 3,
         "0:0:0:00000000:00000000:00000000:00000000:00000000:00000000"},
        {"customer circularity",
         [] {
             Tx.nTxCirCliIdx = 1;
             ReqState.nTxCirCli = kFileOpenNext;
         },
         AnsCirCli, 10, "01:0000000:0"},
        {"price/weight codes",
         [] {
             Tx.nTxPrzPesoIdx = 1;
             ReqState.nTxPrzPeso = kFileOpenNext;
         },
         AnsPrzPeso, 11, "01:00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.start();
        LinkState.nPendingAns = 5;
        std::string answer = c.answer();
        EXPECT_EQ(answer, c.first);
        size_t answers = 0;
        for (; answer != "*" && answers < 1000; answer = c.answer()) ++answers;
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(LinkState.nPendingAns, 4);
        EXPECT_EQ(c.answer(), "*");
        EXPECT_EQ(LinkState.nPendingAns, 4);
        EXPECT_EQ(OpenFileCount(), 0);
    }
    // A directory of free slots: each pass ends at its first request, and the
    // second follows the first.
    ReqState.nTxDirPLU = kFileOpenNext;
    Tx.nTxDirPLUIdx = 0;
    LinkState.nPendingAns = 5;
    EXPECT_EQ(AnsDirPLU(), "*");
    EXPECT_EQ(LinkState.nPendingAns, 4);
    EXPECT_EQ(ReqState.nTxDirPLU, kDirPLUSecondPass);
    EXPECT_EQ(AnsDirPLU(), "*");
    EXPECT_EQ(LinkState.nPendingAns, 3);
    EXPECT_EQ(ReqState.nTxDirPLU, kFileDone);
    EXPECT_EQ(AnsDirPLU(), "*");
    EXPECT_EQ(LinkState.nPendingAns, 3);
}

// A read whose edits are kept in memory and that ends without its closing
// line leaves nothing behind: a later read that brings only "*" changes no
// file, in the folder of the abandoned read or in another.
TEST_F(LoyaltyTransferTest, AnAbandonedReadLeavesNothingForTheNextOne) {
    struct Case {
        const char* what;
        int16_t ReqStateRec::*flag;
        int16_t (*data)();
        const char* file;
        const char* line;
    };
    const Case cases[] = {
        {"icon texts", &ReqStateRec::bRdTestoIcone, DataTestoIcone, kIconTextFile, "1:1:HELLO:"},
        {"loyalty by department", &ReqStateRec::bRdRepFid, DataRepFid, kRepFidFile,
         "5:0:1:0:00000000:00000000:00000000:00000000:00000000:00000000"},
        {"loyalty subtotal", &ReqStateRec::bRdSubFid, DataSubFid, kSubFidFile,
         "0:1:0:00000000:00000000:00000000:00000000:00000000:00000000"},
    };
    const std::string first = Core.strCashDir;
    const std::string second = dir.file("Cassa2");
    platform::MakeDir(second);
    for (const Case& c : cases) {
        for (bool abandoned : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (abandoned ? ", abandoned" : ", next register"));
            Core.strCashDir = first;
            const std::string before = testsupport::ReadAll(CashFile(c.file));
            ReqState.*c.flag = True;
            Line(c.line);
            EXPECT_EQ(c.data(), -1);
            if (abandoned) CloseAllFiles();  // the command timed out or was stopped
            else Core.strCashDir = second;   // the next register's read
            const std::string other = testsupport::ReadAll(CashFile(c.file));
            ReqState.*c.flag = True;
            LinkState.nPendingAns = 1;
            Line("*");
            EXPECT_EQ(c.data(), 0);
            EXPECT_EQ(testsupport::ReadAll(platform::JoinPath(first, c.file)), before);
            EXPECT_EQ(testsupport::ReadAll(CashFile(c.file)), other);
        }
    }
}

}  // namespace
