// The payment types editor: the model's payment types and meal-ticket group,
// a payment type and a meal-ticket amount saved together, the refusals, and
// the requests with and without meal tickets.
#include "core/numbers.h"
#include "ui/editor_fixture.h"
#include "ui/frmModPag.h"
#include "platform/profile.h"

namespace {

class PaymentTypesTest : public editortest::EditorTest {
protected:
    frmModPag* Payments(int16_t model = 11) {
        Main(model);
        Numbers.strDecSep = ",";
        return Open<frmModPag>("K_FRMMODPAG");
    }
    std::string Payment(int n) const { return Record("ModPag.txt", n, 57); }
    std::string Ticket(int n) const { return Record("TicketAmount.txt", n, 15); }
};

TEST_F(PaymentTypesTest, TheModelDecidesTheTypesTheTicketGroupAndP524) {
    struct Case {
        int16_t model;
        int types;
        bool tickets, p524;
        int description;
    } cases[] = {{11, 40, true, true, 30}, {9, 40, true, true, 21}, {2, 10, false, true, 30}, {1, 10, false, false, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        frmModPag* w = Payments(c.model);
        EXPECT_EQ(w->cbxModPag->count(), c.types);
        EXPECT_EQ(w->frameTicket->isVisible(), c.tickets);
        EXPECT_EQ(w->txtP524->isVisible(), c.p524);
        EXPECT_EQ(w->Label1[4]->isVisible(), c.p524);
        EXPECT_EQ(w->txtP520->maxLength(), c.description);
        if (c.tickets) {
            EXPECT_EQ(w->cbxTagliTicket->count(), 15);
            EXPECT_TRUE(w->cmdDelTicketData->isEnabled());
            for (auto [type, on] : {std::pair{5, false}, std::pair{6, true}, std::pair{39, true}, std::pair{40, false}}) {
                Choose(w->cbxModPag, type);
                EXPECT_EQ(w->cbxTagliTicket->isEnabled(), on) << type;
                EXPECT_EQ(w->txtTicketAmount->isEnabled(), on) << type;
            }
        }
        CloseCurrentEditor();
    }
}

TEST_F(PaymentTypesTest, APaymentTypeSavedFromItsControls) {
    frmModPag* w = Payments();
    Choose(w->cbxModPag, 7);
    Type(w->txtP520, "CARD");
    ShowFlags({{w->chkP521A, 1}, {w->chkP521E, 1}, {w->chkP521D, 0}, {w->chkP521F, 0}, {w->chkP521G, 0},
               {w->chkP521H, 0}},
              1);
    Type(w->txtP522, "12,50");
    Type(w->txtP523, "0");
    Type(w->txtP524, "15");
    w->cmdSave->click();
    EXPECT_EQ(Payment(7), "07CARD" + std::string(26, ' ') + "136" "00001250" "00000000" "0015" "\r\n");

    // Flags 200 (128, 64 and 8): A and E shown, saved as 136.
    std::string file = File("ModPag.txt");
    file.replace(57 + 32, 3, "200");
    Write("Shop/Cassa1/ModPag.txt", file);
    Choose(w->cbxModPag, 2);
    EXPECT_TRUE(w->chkP521A->isChecked());
    EXPECT_TRUE(w->chkP521E->isChecked());
    EXPECT_FALSE(w->chkP521D->isChecked());
    w->cmdSave->click();
    EXPECT_EQ(Payment(2).substr(32, 3), "136");

    // A refused value: neither file is written, Send queues nothing.
    const std::string payments = File("ModPag.txt");
    Choose(w->cbxModPag, 7);
    Type(w->txtP522, "-1");
    w->cmdSend->click();
    EXPECT_EQ(Status(), "Payment type 7-Amount (P522): value not valid");
    EXPECT_EQ(File("ModPag.txt"), payments);
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(shell.questions.empty());
}

TEST_F(PaymentTypesTest, AMealTicketAmountTravelsWithItsPaymentType) {
    frmModPag* w = Payments();
    Choose(w->cbxModPag, 39);
    Choose(w->cbxTagliTicket, 15);
    EXPECT_EQ(Shown(w->txtTicketAmount), "0,00");
    Type(w->txtTicketAmount, "1,50");
    w->cmdSave->click();
    EXPECT_EQ(Ticket(510), "3415000000150\r\n");
    Choose(w->cbxModPag, 6);
    Choose(w->cbxTagliTicket, 3);
    Type(w->txtTicketAmount, "2");
    // Another payment type: the old one's amount is stored, the new one shows
    // no denomination.
    Choose(w->cbxModPag, 8);
    EXPECT_EQ(Ticket(3), "0103000000200\r\n");
    EXPECT_EQ(w->CurTicket(), 0);
    EXPECT_EQ(Shown(w->txtTicketAmount), "");
    EXPECT_EQ(shell.questions.size(), 1u);

    // Only the amount changed, and No: both files stay as they were.
    const std::string payments = File("ModPag.txt"), tickets = File("TicketAmount.txt");
    Choose(w->cbxTagliTicket, 1);
    Type(w->txtTicketAmount, "9");
    shell.answers = {false};
    Choose(w->cbxTagliTicket, 2);
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(File("TicketAmount.txt"), tickets);
    EXPECT_EQ(File("ModPag.txt"), payments);
    // While the read runs, leaving a changed amount asks: No keeps it shown.
    w->cmdLoad->click();
    Choose(w->cbxModPag, 8);
    Choose(w->cbxTagliTicket, 2);
    Type(w->txtTicketAmount, "4");
    shell.answers = {false};
    Choose(w->cbxTagliTicket, 5);
    EXPECT_EQ(w->CurTicket(), 2);
    EXPECT_EQ(Shown(w->txtTicketAmount), "4");
    EXPECT_EQ(File("TicketAmount.txt"), tickets);
    ClearCmdQueue();  // the read is over
    // An amount that is no number, or does not fit nine digits, is refused.
    for (const char* bad : {"x", "-1", "10000000"}) {
        Type(w->txtTicketAmount, bad);
        w->cmdSave->click();
        EXPECT_EQ(Status(), "Payment type 8-Amount: value not valid") << bad;
    }
    EXPECT_EQ(File("TicketAmount.txt"), tickets);
}

// A read that wrote the meal-ticket amount shown while "Save the changes?"
// was open: Yes writes the description the user typed and keeps the amount as
// read, whether the read wrote the payment type too or not.
TEST_F(PaymentTypesTest, YesAfterAReadUnderTheQuestionKeepsTheTicketAmountAsRead) {
    frmModPag* w = Payments();
    const std::string payments = File("ModPag.txt"), tickets = File("TicketAmount.txt");
    const std::string read = "06READ" + std::string(26, ' ') + "000" "00000700" "00000000" "0000" "\r\n";
    for (const bool typeRead : {false, true}) {  // the read wrote payment type 6 anew too (P522 7,00)
        SCOPED_TRACE(typeRead);
        Write("Shop/Cassa1/ModPag.txt", payments);
        Write("Shop/Cassa1/TicketAmount.txt", tickets);
        Choose(w->cbxModPag, 6);
        Choose(w->cbxTagliTicket, 3);
        Type(w->txtP520, "CARD");
        shell.underQuestion = [&] {
            Write("Shop/Cassa1/TicketAmount.txt", std::string(tickets).replace(2 * 15, 15, "0103000000500\r\n"));
            if (typeRead) Write("Shop/Cassa1/ModPag.txt", std::string(payments).replace(5 * 57, 57, read));
        };
        shell.answers = {true};
        Choose(w->cbxModPag, 8);
        EXPECT_EQ(Ticket(3), "0103000000500\r\n");
        EXPECT_EQ(Payment(6).substr(2, 4), "CARD");
        EXPECT_EQ(Payment(6).substr(35, 8), typeRead ? "00000700" : "00000000");
    }
}

TEST_F(PaymentTypesTest, MealTicketsTravelOnlyWithOptionP517D) {
    frmModPag* w = Payments();
    w->cmdLoad->click();
    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&P;#H;*3;", "*2;+4;*U;*3;"}));
    ClearCmdQueue();

    platform::WriteProfileString("P5", "17", "240", dir.file("Shop/Cassa1/Cassa.txt"));
    Choose(w->cbxModPag, 3);
    w->cmdLoad->click();
    EXPECT_EQ(w->cbxModPag->currentIndex(), -1);
    w->cmdSend->click();
    // The deletion reaches the register after an operation that served it.
    CassaList[0].bDone = True;
    w->cmdDelTicketData->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&P;#H;*3;", "*2;+4;&a;#H;*3;", "*2;+4;*U;*3;",
                                                  "*2;+4;*a;*3;", "*2;+4;#d6:39;*3;"}));
    EXPECT_EQ(CmdQueue.entries[5].answers, 0);
    EXPECT_FLOAT_EQ(CmdQueue.entries[5].time, 25.0f);
    EXPECT_TRUE(shell.questions.empty());
}

}  // namespace
