// The customer editor's offline card panel on an LX4100: the fields of each
// card type, the panel taken into the card record exactly (numbers that do
// not fit refused), the record shown back by the refresh, the card buttons;
// and the list window unloaded with the editor.
#include <QRadioButton>

#include "core/cash_list.h"
#include "core/globals.h"
#include "ui/frmClienti.h"
#include "ui/editor_fixture.h"
#include "ui/frmList.h"

namespace {

class CustomerCardTest : public editortest::EditorTest {
protected:
    frmClienti* Customers() {
        CliCard = {};
        Main(1);
        return Open<frmClienti>("K_FRMCLIENTI");
    }
};

TEST_F(CustomerCardTest, EachCardTypeEmptiesThePanelAndShowsItsFields) {
    frmClienti* w = Customers();
    EXPECT_TRUE(w->optTipo[0]->isChecked());
    EXPECT_EQ(w->Label1[13]->text().toStdString(), "Stamps 3");
    // Shown: flag, value, amount, recharges, stamps (each with its label).
    const std::pair<int, const char*> types[] = {{1, "01010"}, {2, "10001"}, {3, "00110"}, {0, "10000"}};
    for (const auto& [option, shown] : types) {
        SCOPED_TRACE(option);
        Type(w->txtCodice, "CARD");
        Type(w->txtBollini[1], "7");
        w->mskData->setText("01/02/03");
        w->optTipo[option]->click();
        EXPECT_EQ(CliCard.nTipo, 20 + option);  // at once, before any write
        std::string seen;
        for (bool v : {w->chkP312->isVisible(), w->txtValore->isVisible() && w->Label1[9]->isVisible(),
                       w->txtImporto->isVisible() && w->Label1[10]->isVisible(),
                       w->txtRicariche->isVisible() && w->Label1[15]->isVisible(),
                       w->txtBollini[3]->isVisible() && w->Label1[14]->isVisible()})
            seen += v ? '1' : '0';
        EXPECT_EQ(seen, shown);
        EXPECT_EQ(Shown(w->txtCodice) + Shown(w->txtBollini[1]) + Shown(w->mskData) + Shown(w->txtRicariche),
                  "00/00/000");
    }
}

TEST_F(CustomerCardTest, SetCardTakesThePanelExactlyAndRefusesNumbersThatDoNotFit) {
    frmClienti* w = Customers();
    struct Case {
        int option;
        const char *code, *date, *value, *amount, *stamps[4], *strCodice, *strData;
        int32_t nValore, nImporto;
        std::array<int16_t, 5> aBollini;
    };
    const Case cases[] = {
        {0, " 12AB ", "31/12/25", "", "", {"", "", "", ""}, "12AB", "311225", 0, 0, {}},
        {1, "A:B;C", "1", "12.50", "", {"", "", "", ""}, "A B C", "100000", 1250, 0, {}},
        {2, "77", "05/06/07", "", "", {"1", "32767", "0", "450"}, "77", "050607", 0, 0, {0, 1, 32767, 0, 450}},
        {3, "99999999", "", "", "12345678", {"", "", "", ""}, "99999999", "000000", 0, 1234567800, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        w->optTipo[c.option]->click();
        CliCard.bValid = True;
        Type(w->txtCodice, c.code);
        w->mskData->setText(c.date);
        w->chkP312->setChecked(c.option == 2);
        Type(w->txtValore, c.value);
        Type(w->txtImporto, c.amount);
        for (int k = 0; k < 4; ++k) Type(w->txtBollini[k], c.stamps[k]);
        ASSERT_TRUE(w->SetCard());
        EXPECT_EQ(CliCard.bValid, False);
        EXPECT_EQ(CliCard.nTipo, 20 + c.option);
        EXPECT_EQ(CliCard.strCodice, c.strCodice);
        EXPECT_EQ(CliCard.bP312, c.option == 2 ? 128 : 0);
        EXPECT_EQ(CliCard.nValore, c.nValore);
        EXPECT_EQ(CliCard.nImporto, c.nImporto);
        EXPECT_EQ(CliCard.aBollini, c.aBollini);
        EXPECT_EQ(CliCard.strData, c.strData);
        EXPECT_EQ(Shown(w->txtRicariche), std::to_string(c.option + 1));
    }
    // A number that does not fit: the card stays as it was, recharges too.
    const std::pair<FieldBox*, const char*> bad[] = {{w->txtImporto, "99999999"}, {w->txtImporto, "-5"},
                                                     {w->txtValore, "1,5,0"}, {w->txtValore, "21474837"},
                                                     {w->txtBollini[3], "32768"}};
    for (const auto& [box, text] : bad) {
        SCOPED_TRACE(text);
        Type(box, text);
        EXPECT_FALSE(w->SetCard());
        EXPECT_EQ(Status(), "Writing chip card - some values are not valid: nothing was saved");
        EXPECT_EQ(CliCard.nImporto + CliCard.nValore + CliCard.aBollini[4] + CliCard.nRicariche, 1234567800 + 4);
        Type(box, "");
    }
    w->txtBollini[0]->clear();
    for (const char* key : {"-", "x", "4"}) w->txtBollini[0]->insert(key);
    EXPECT_EQ(Shown(w->txtBollini[0]), "4");  // digits only
}

TEST_F(CustomerCardTest, AValidCardIsShownByTheRefreshWhenThePanelShowsItsType) {
    frmClienti* w = Customers();
    w->optTipo[3]->click();
    CliCard = {True, "CARD7", 23, 99999999, 0, 4, {}, 0, "241231"};
    RefreshForm();
    EXPECT_EQ(Shown(w->txtCodice) + Shown(w->txtImporto) + Shown(w->txtValore) + Shown(w->txtRicariche) +
                  Shown(w->mskData),
              "CARD7999999.990.00424/12/31");
    ASSERT_TRUE(w->SetCard());  // the nine characters shown are taken back whole
    EXPECT_EQ(CliCard.nImporto, 99999999);
    // A card of another type: the message, the panel kept.
    CliCard.bValid = True;
    CliCard.strCodice = "OTHER";
    CliCard.nTipo = 21;
    RefreshForm();
    EXPECT_EQ(Status(), "Reading chip card - not completed, or the card does not match");
    EXPECT_EQ(Shown(w->txtCodice), "CARD7");
    // Without a valid card the refresh rebuilds the customers.
    CliCard.bValid = False;
    w->cbxCli->setEditText("5");
    w->cbxCli_Enter();
    RefreshForm();
    EXPECT_EQ(w->EditState(), 0);
}

TEST_F(CustomerCardTest, EraseAsksAndQueuesTheEraseReadAndWriteQueueNothing) {
    frmClienti* w = Customers();
    w->optTipo[1]->click();
    Type(w->txtValore, "3");
    ASSERT_TRUE(w->SetCard());
    w->cbxCli->setEditText("5");
    w->cbxCli_Enter();
    Type(w->txtDesc[0], "EDITED");
    shell.answers = {false, false};  // the edited customer not saved; no erase
    w->cmdClear->click();
    EXPECT_EQ(shell.questions.back(), GetText("Msg", "74") + ": " + GetText("Msg", "75"));
    EXPECT_EQ(w->EditState(), 0);
    EXPECT_TRUE(Queued().empty());
    w->cmdClear->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#F;*3;"});  // as the operators' erase
    EXPECT_EQ(CmdQueue.entries[1].answers, 0);
    EXPECT_EQ(CmdQueue.entries[1].time, 25.0f);
    EXPECT_EQ(CliCard.nValore + CliCard.nRicariche, 0);
    EXPECT_EQ(CliCard.strData, "000000");
    EXPECT_EQ(Shown(w->mskData) + Shown(w->txtValore) + Shown(w->txtRicariche), "00/00/000.000");

    ClearCmdQueue();
    w->cmdRead->click();
    for (int i = 0; i < 3; ++i) w->cmdWrite->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(w->txtRicariche), "3");
    // A register not enabled for work: its message box and nothing more.
    CassaList[0].bEnabled = False;
    const size_t asked = shell.questions.size();
    w->cmdWrite->click();
    w->cmdClear->click();
    EXPECT_EQ(shell.boxes.back(), GetText("Msg1", "20") + ": " + GetText("Msg", "82"));
    EXPECT_EQ(shell.questions.size(), asked);
    EXPECT_EQ(CliCard.nRicariche, 3);
    EXPECT_TRUE(Queued().empty());
}

TEST_F(CustomerCardTest, ClosingTheEditorUnloadsTheListWindow) {
    Customers();
    frmList::Instance()->show();
    ShowForm(kNullFormKey);
    ASSERT_EQ(CurrentEditor(), nullptr);
    EXPECT_FALSE(frmList::Exists());
}

}  // namespace
