// The waiters editor: a waiter saved from its controls, the card frame of
// LX4100 with its buttons fixed at opening, the card written from its own
// controls, and a card read shown there without touching the waiter.
#include "core/cash_list.h"
#include "ui/editor_fixture.h"
#include "ui/frmCamerieri.h"
#include "store/cards.h"
#include "transfers/cards_transfer.h"

namespace {

class WaitersTest : public editortest::EditorTest {
protected:
    frmCamerieri* Waiters(int16_t model = 1) {
        Main(model);
        return Open<frmCamerieri>("K_FRMCAMERIERI");
    }
    std::string Waiter(int n) const { return Record("Camerieri.txt", n, 34); }
};

TEST_F(WaitersTest, AWaiterSavedFromItsControlsByteForByte) {
    frmCamerieri* w = Waiters(9);
    EXPECT_EQ(w->cbxCam->itemText(0), "1");
    EXPECT_EQ(w->txtP330->Limit(), 21);
    EXPECT_FALSE(w->Frame3->isVisible());
    Choose(w->cbxCam, 1);
    Type(w->txtP330, "ANNA");
    w->cmdSave->click();
    EXPECT_EQ(Waiter(1), "01ANNA" + std::string(26, ' ') + "\r\n");
    Type(w->txtP330, " AN:NA ");
    Choose(w->cbxCam, 2);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Waiter(1), "01AN NA" + std::string(25, ' ') + "\r\n");
    // Load keeps the waiter shown.
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&K;#H;*3;"});
    EXPECT_EQ(w->CurItem(), 2);
    EXPECT_EQ(w->cbxCam->currentIndex(), 1);
}

TEST_F(WaitersTest, ACardWrittenRightAfterOpeningCarriesNumberOneAndZeros) {
    frmCamerieri* w = Waiters();
    EXPECT_EQ(w->txtP330->Limit(), 30);
    ASSERT_TRUE(w->Frame3->isVisible());
    ASSERT_TRUE(w->cmdWrite->isEnabled());
    w->cmdWrite->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;*b;#H;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].time, 10.0f);
    EXPECT_EQ(AnsCamCard(), "001:000:0:0:0:0:0:0:000000");
    // A number typed with a leading zero, the counters and the date.
    Type(w->txtNumero, "07");
    Type(w->txtChiave, "12");
    Type(w->txtClienti, "3");
    Type(w->txtArticoli, "40");
    Type(w->txtVendite, "");
    w->mskData->setText("05/03/24");
    w->cmdWrite->click();
    EXPECT_EQ(CamCard.strNumero, "7");
    EXPECT_EQ(AnsCamCard(), "007:012:3:40:0:0:0:0:050324");
    w->cmdRead->click();
    EXPECT_EQ(Queued().back(), "*2;+4;&b;#H;*3;");
    shell.answers = {true};
    w->cmdClear->click();
    EXPECT_EQ(Queued().back(), "*2;+4;#F;*3;");
}

TEST_F(WaitersTest, TwoRegistersAtOpeningKeepTheCardButtonsOff) {
    Main(1);
    CassaList[1].bEnabled = True;
    frmCamerieri* w = Open<frmCamerieri>("K_FRMCAMERIERI");
    EXPECT_FALSE(w->cmdRead->isEnabled() || w->cmdWrite->isEnabled() || w->cmdClear->isEnabled());
    CassaList[1].bEnabled = False;
    Choose(w->cbxCam, 1);
    EXPECT_FALSE(w->cmdRead->isEnabled());
}

TEST_F(WaitersTest, AReadCardFillsOnlyTheCardFieldsAndATableReadShowsTheTableAgain) {
    frmCamerieri* w = Waiters();
    Choose(w->cbxCam, 3);
    Type(w->txtP330, "CARLO");
    const std::string before = File("Camerieri.txt");
    CamCard = {};
    CamCard.bValid = True;
    CamCard.strNumero = "04";
    CamCard.strChiave = "999";
    CamCard.nClienti = 12;
    CamCard.nArticoli = 345;
    CamCard.nVendite = 67890;
    CamCard.strData = "010224";
    RefreshForm();
    EXPECT_EQ(Shown(w->txtNumero), "04");
    EXPECT_EQ(Shown(w->txtChiave), "999");
    EXPECT_EQ(Shown(w->txtClienti), "12");
    EXPECT_EQ(Shown(w->txtArticoli), "345");
    EXPECT_EQ(Shown(w->txtVendite), "67890");
    EXPECT_EQ(Shown(w->mskData), "01/02/24");
    EXPECT_EQ(Shown(w->txtP330), "CARLO");
    EXPECT_EQ(w->CurItem(), 3);
    EXPECT_EQ(File("Camerieri.txt"), before);
    // Reading the waiters table clears the card, so the refresh at its end
    // shows the table read (the list refilled, no waiter shown).
    w->cmdLoad->click();
    EXPECT_EQ(CamCard.bValid, False);
    RefreshForm();
    EXPECT_EQ(w->CurItem(), 0);
    EXPECT_EQ(w->cbxCam->currentIndex(), -1);
    // Sending the table clears it as well.
    CamCard.bValid = True;
    w->cmdSend->click();
    EXPECT_EQ(CamCard.bValid, False);
}

}  // namespace
