// The data and answer procedures of payment types, meal-ticket amounts,
// operators, waiters and chip cards where they leave the shared pattern:
// lines the tables cannot hold, a register folder without meal tickets, and
// the card answers and reads. (The round trip of every table runs against
// the emulator in setup_tables_link_test.cpp.)
#include <gtest/gtest.h>

#include <string>

#include "engine/open_register.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "store/cards.h"
#include "transfers/cards_transfer.h"
#include "store/operators.h"
#include "transfers/operators_transfer.h"
#include "store/payments.h"
#include "transfers/payments_transfer.h"
#include "store/transfer_fixture.h"

namespace {

using testsupport::ReadAll;
using transfertest::TransferTest;

class SetupTablesTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        SetTableSizes();
    }
    void UseModel(int16_t number) {
        ConfigLevel.InitOffLine(number, "V014057");
        SetTableSizes();
    }
};

struct BadLine {
    const char* why;
    int16_t (*data)();
    int16_t ReqStateRec::*flag;
    const char* file;
    bool (*create)();
    const char* line;
};

// A line each table stores.
const char* GoodLine(int16_t (*data)()) {
    if (data == DataModPag) return "2:8:150:0:CHEQUE:7:";
    if (data == DataTicketAmount) return "7:01:000001500:";
    if (data == DataOpe) return "3:5:7:ANNA:1:2:3:4:5:6:";
    return "3:BOB:";
}

// Each line is acknowledged, listed once, and changes nothing: the read it
// came in stores its other lines as if it had not come.
TEST_F(SetupTablesTest, LinesTheTablesCannotHoldChangeNothing) {
    const BadLine lines[] = {
        {"payment type past the table", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt",
         CreateModPag, "41:8:0:0:X:0:"},
        {"payment type 0", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt", CreateModPag,
         "0:8:0:0:X:0:"},
        {"payment flags too wide", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt",
         CreateModPag, "2:1000:0:0:X:0:"},
        {"P522 too wide", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt", CreateModPag,
         "2:8:123456789:0:X:0:"},
        {"P524 too wide", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt", CreateModPag,
         "2:8:0:0:X:12345:"},
        {"payment type cut short", DataModPag, &ReqStateRec::bRdModPag, "ModPag.txt",
         CreateModPag, "2:8:0:0:X:0"},
        {"payment type 5 is no ticket", DataTicketAmount, &ReqStateRec::bRdTicketAmount,
         "TicketAmount.txt", CreateTicketAmount, "5:01:000000001:"},
        {"payment type 40 is no ticket", DataTicketAmount, &ReqStateRec::bRdTicketAmount,
         "TicketAmount.txt", CreateTicketAmount, "40:01:000000001:"},
        {"denomination 0", DataTicketAmount, &ReqStateRec::bRdTicketAmount, "TicketAmount.txt",
         CreateTicketAmount, "7:0:000000001:"},
        {"denomination 16", DataTicketAmount, &ReqStateRec::bRdTicketAmount, "TicketAmount.txt",
         CreateTicketAmount, "39:16:000000001:"},
        {"amount too wide", DataTicketAmount, &ReqStateRec::bRdTicketAmount, "TicketAmount.txt",
         CreateTicketAmount, "7:01:1234567890:"},
        {"operator past the table", DataOpe, &ReqStateRec::bRdOpe, "Operatori.txt", CreateOpe,
         "21:1:0:X:0:0:0:0:0:0:"},
        {"operator code too wide", DataOpe, &ReqStateRec::bRdOpe, "Operatori.txt", CreateOpe,
         "3:1000:0:X:0:0:0:0:0:0:"},
        {"rights byte too wide", DataOpe, &ReqStateRec::bRdOpe, "Operatori.txt", CreateOpe,
         "3:1:0:X:0:0:0:0:0:1000:"},
        {"waiter past the table", DataCam, &ReqStateRec::bRdCam, "Camerieri.txt", CreateCam,
         "21:X:"},
        {"waiter 0", DataCam, &ReqStateRec::bRdCam, "Camerieri.txt", CreateCam, "0:X:"},
    };
    auto read = [this](const BadLine& b, std::initializer_list<const char*> dataLines) {
        EXPECT_TRUE(b.create());
        ReqState.*b.flag = True;
        LinkState.nPendingAns = 1;
        for (const char* l : dataLines) {
            Line(l);
            EXPECT_EQ(b.data(), -1);
        }
        Line("*");
        EXPECT_EQ(b.data(), 0);
        EXPECT_EQ(ReqState.*b.flag, False);
        EXPECT_EQ(LinkState.nPendingAns, 0);
        return ReadAll(CashFile(b.file));
    };
    for (const BadLine& b : lines) {
        SCOPED_TRACE(b.why);
        const std::string defaults = (b.create(), ReadAll(CashFile(b.file)));
        const std::string want = read(b, {GoodLine(b.data)});
        ASSERT_FALSE(want == defaults);
        ASSERT_TRUE(shell->errors.empty());
        const int acks = Acks();

        EXPECT_TRUE(read(b, {b.line, GoodLine(b.data)}) == want);
        EXPECT_EQ(Acks(), acks + 3);
        // The line named, then the read's failure: one line of two not stored.
        ASSERT_EQ(shell->errors.size(), 2u);
        EXPECT_NE(shell->errors[0].text.find(b.file), std::string::npos) << shell->errors[0].text;
        EXPECT_EQ(shell->errors[1].text, GetText("Log", "readrefused") + " " + CashFile(b.file) + " (1/2)");
        shell->errors.clear();
    }
}

// A register folder without TicketAmount.txt (LX4100 has no meal tickets):
// the send answers "*" at once and the read stores nothing; the file is not
// created, and each transfer is one failure of the run.
TEST_F(SetupTablesTest, NoMealTicketsWhereTheFolderHasNone) {
    UseModel(1);
    ASSERT_EQ(Sizes.nMaxTicketAmount, 0);
    const std::string file = CashFile("TicketAmount.txt");

    ReqState.nTxTicketAmount = kFileOpenNext;
    LinkState.nPendingAns = 1;
    EXPECT_EQ(AnsTicketAmount(), "*");
    EXPECT_EQ(ReqState.nTxTicketAmount, kFileDone);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    LinkState.nPendingAns = 1;
    EXPECT_EQ(AnsTicketAmount(), "*");  // a request after the end
    EXPECT_EQ(LinkState.nPendingAns, 1);
    EXPECT_EQ(shell->errors.size(), 1u);
    EXPECT_EQ(Work.standing, 1);

    ReqState.bRdTicketAmount = True;
    Line("7:01:000000100:");
    EXPECT_EQ(DataTicketAmount(), -1);
    Line("*");
    EXPECT_EQ(DataTicketAmount(), 0);
    EXPECT_EQ(ReqState.bRdTicketAmount, False);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(Acks(), 2);
    EXPECT_EQ(shell->errors.size(), 2u);
    EXPECT_EQ(Work.standing, 2);
    EXPECT_FALSE(platform::FileExists(file));
    EXPECT_EQ(OpenFileCount(), 0);
}

// A card write is one answer, and the write is over with it: LX4100 sends
// the card's nine fields (codes as three digits, no name), the other models
// an empty answer. A text never carries the field separator.
TEST_F(SetupTablesTest, CardAnswers) {
    OpeCard.strCodice = "5";
    OpeCard.strCodice2 = "12";
    OpeCard.strData = "010124";
    OpeCard.strNome = "ANNA";
    CamCard.strNumero = "1234";
    CamCard.strChiave = "7";
    CamCard.nClienti = 3;
    CamCard.nArticoli = 40;
    CamCard.nVendite = 500000;
    CamCard.aExtra = {9, 1, 2, 3};
    CamCard.strData = "31:12\r24";
    struct Case {
        int16_t model;
        std::string (*ans)();
        int16_t ReqStateRec::*flag;
        const char* answer;
    };
    const Case cases[] = {
        {1, AnsOpeCard, &ReqStateRec::bWrOpeCard, "005:012:0:0:0:0:0:0:010124"},
        {1, AnsCamCard, &ReqStateRec::bWrCamCard, "1234:007:3:40:500000:1:2:3:31 12 24"},
        {3, AnsOpeCard, &ReqStateRec::bWrOpeCard, ""},
        {3, AnsCamCard, &ReqStateRec::bWrCamCard, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        UseModel(c.model);
        ReqState.*c.flag = True;
        LinkState.nPendingAns = 2;
        EXPECT_EQ(c.ans(), c.answer);
        EXPECT_EQ(LinkState.nPendingAns, 1);
        EXPECT_EQ(ReqState.*c.flag, False);
        // Only a card that was written says so.
        EXPECT_EQ(shell->status, c.model == 1 ? "Sent to register 1" : "");
    }
}

// A card read that the register garbles: lines not awaited are only
// acknowledged, a line without the card's nine fields changes nothing and is
// listed, and the read ends without a card to show.
// (Whole cards read back: setup_tables_link_test.cpp.)
TEST_F(SetupTablesTest, CardReadsOfBadLines) {
    UseModel(1);
    OpeCard.strCodice = "5";
    OpeCard.strNome = "ANNA";
    Line("7:8:1:2:3:0:0:0:311224:");
    EXPECT_EQ(DataOpeCard(), -1);  // not awaited

    ReqState.bRdOpeCard = True;
    LinkState.nPendingAns = 1;
    Line("7:8:1:2:3:0:0:0:311224");  // the date is not ended
    EXPECT_EQ(DataOpeCard(), -1);
    EXPECT_EQ(shell->errors.size(), 1u);
    Line("*");
    EXPECT_EQ(DataOpeCard(), 0);
    EXPECT_EQ(Acks(), 3);
    EXPECT_EQ(LinkState.nPendingAns, 0);
    EXPECT_EQ(ReqState.bRdOpeCard, False);
    EXPECT_EQ(OpeCard.bValid, False);
    EXPECT_EQ(OpeCard.strCodice, "5");
    EXPECT_EQ(OpeCard.strNome, "ANNA");
}

}  // namespace
