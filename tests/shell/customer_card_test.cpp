// The customer editor's offline card panel on an LX4100: the fields each card
// type shows, the panel taken into the card record exactly (numbers that do
// not fit refused), the record shown back and by the refresh, and the card
// buttons with what they queue. Also: closing the editor unloads the list
// window.
#include <QRadioButton>

#include "core/cash_list.h"
#include "core/globals.h"
#include "customers/ui/frmClienti.h"
#include "editor_fixture.h"
#include "shell/ui/frmList.h"

namespace {

class CustomerCardTest : public editortest::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        CliCard = {};
    }
    frmClienti* Customers(int16_t model = 1) {
        Main(model);
        return Open<frmClienti>("K_FRMCLIENTI");
    }
    static std::vector<bool> Visible(frmClienti* w) {
        std::vector<bool> v = {w->chkP312->isVisible(), w->txtValore->isVisible(), w->Label1[9]->isVisible(),
                               w->txtImporto->isVisible(), w->Label1[10]->isVisible(),
                               w->txtRicariche->isVisible(), w->Label1[15]->isVisible()};
        for (int k = 0; k < 4; ++k) {
            v.push_back(w->txtBollini[k]->isVisible());
            v.push_back(w->Label1[11 + k]->isVisible());
        }
        return v;
    }
};

TEST_F(CustomerCardTest, EachCardTypeEmptiesThePanelAndShowsItsOwnFields) {
    // Only an LX4100 has the panel; the card-view generations have theirs.
    for (int16_t model : {2, 9}) {
        frmClienti* w = Customers(model);
        EXPECT_FALSE(w->fraCliCard->isVisible()) << model;
        EXPECT_EQ(w->fraChipCard->isVisible(), model == 9);
        CloseCurrentEditor();
        main_.reset();
    }
    frmClienti* w = Customers();
    EXPECT_TRUE(w->fraCliCard->isVisible());
    EXPECT_FALSE(w->fraChipCard->isVisible());
    EXPECT_TRUE(w->optTipo[0]->isChecked());
    EXPECT_EQ(CliCard.nTipo, 20);
    EXPECT_EQ(w->Label1[13]->text().toStdString(), "Stamps 3");
    struct Case {
        int option;
        bool p312, value, amount, recharges, stamps;
    };
    for (const Case& c : {Case{1, false, true, false, true, false}, Case{2, true, false, false, false, true},
                          Case{3, false, false, true, true, false}, Case{0, true, false, false, false, false}}) {
        SCOPED_TRACE(c.option);
        Type(w->txtCodice, "CARD");
        Type(w->txtImporto, "5");
        Type(w->txtBollini[1], "7");
        w->mskData->setText("01/02/03");
        w->chkP312->setChecked(true);
        w->optTipo[c.option]->click();
        EXPECT_EQ(CliCard.nTipo, 20 + c.option);  // at once, before any write
        std::vector<bool> expected = {c.p312, c.value, c.value, c.amount, c.amount, c.recharges, c.recharges};
        expected.insert(expected.end(), 8, c.stamps);
        EXPECT_EQ(Visible(w), expected);
        EXPECT_EQ(Shown(w->txtCodice), "");
        EXPECT_EQ(Shown(w->txtImporto), "");
        EXPECT_EQ(Shown(w->txtBollini[1]), "");
        EXPECT_EQ(Shown(w->mskData), "00/00/00");
        EXPECT_EQ(Shown(w->txtRicariche), "0");
        EXPECT_FALSE(w->chkP312->isChecked());
        EXPECT_TRUE(w->txtCodice->isVisible() && w->mskData->isVisible());
    }
}

TEST_F(CustomerCardTest, SetCardTakesThePanelExactlyAndKeepsOutNumbersThatDoNotFit) {
    frmClienti* w = Customers();
    struct Case {
        int option;
        const char *code, *date;
        bool p312;
        const char *value, *amount, *stamps[4];
        int32_t nValore, nImporto;
        std::array<int16_t, 5> aBollini;
        const char *strData, *strCodice;
    };
    const Case cases[] = {
        {0, " 12AB ", "31/12/25", true, "", "", {"", "", "", ""}, 0, 0, {0, 0, 0, 0, 0}, "311225", "12AB"},
        {1, "A:B;C", "1", false, "12.50", "", {"", "", "", ""}, 1250, 0, {0, 0, 0, 0, 0}, "100000", "A B C"},
        {2, "77", "05/06/07", true, "", "", {"1", "32767", "0", "450"}, 0, 0, {0, 1, 32767, 0, 450}, "050607", "77"},
        {3, "99999999", "", false, "", "12345678", {"", "", "", ""}, 0, 1234567800, {0, 0, 0, 0, 0}, "000000", "99999999"},
    };
    int32_t recharges = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        w->optTipo[c.option]->click();
        CliCard.bValid = True;
        Type(w->txtCodice, c.code);
        w->mskData->setText(c.date);
        w->chkP312->setChecked(c.p312);
        Type(w->txtValore, c.value);
        Type(w->txtImporto, c.amount);
        for (int k = 0; k < 4; ++k) Type(w->txtBollini[k], c.stamps[k]);
        ASSERT_TRUE(w->SetCard());
        EXPECT_EQ(CliCard.bValid, False);
        EXPECT_EQ(CliCard.nTipo, 20 + c.option);
        EXPECT_EQ(CliCard.strCodice, c.strCodice);
        EXPECT_EQ(CliCard.bP312, c.p312 ? 128 : 0);
        EXPECT_EQ(CliCard.nValore, c.nValore);
        EXPECT_EQ(CliCard.nImporto, c.nImporto);
        EXPECT_EQ(CliCard.aBollini, c.aBollini);
        EXPECT_EQ(CliCard.strData, c.strData);
        EXPECT_EQ(CliCard.nRicariche, ++recharges);
        EXPECT_EQ(Shown(w->txtRicariche), std::to_string(recharges));
    }

    // A number that does not fit its field: the card stays as it was.
    const CliCardRec kept = CliCard;
    struct Bad {
        FieldBox* box;
        const char* text;
    };
    for (const Bad& b : {Bad{w->txtImporto, "99999999"}, Bad{w->txtImporto, "-5"}, Bad{w->txtValore, "1,5"},
                         Bad{w->txtValore, "21474837"}, Bad{w->txtBollini[3], "32768"}}) {
        SCOPED_TRACE(b.text);
        Type(b.box, b.text);
        EXPECT_FALSE(w->SetCard());
        EXPECT_EQ(Status(), "Writing chip card - some values are not valid: nothing was saved");
        EXPECT_EQ(CliCard.nImporto, kept.nImporto);
        EXPECT_EQ(CliCard.nValore, kept.nValore);
        EXPECT_EQ(CliCard.aBollini, kept.aBollini);
        EXPECT_EQ(CliCard.nRicariche, kept.nRicariche);
        Type(b.box, "");
    }
    // The stamp boxes take digits only.
    w->txtBollini[0]->clear();
    w->txtBollini[0]->insert("-");
    w->txtBollini[0]->insert("x");
    w->txtBollini[0]->insert("4");
    EXPECT_EQ(Shown(w->txtBollini[0]), "4");
}

TEST_F(CustomerCardTest, AValidCardIsShownByTheRefreshWhenThePanelShowsItsType) {
    frmClienti* w = Customers();
    w->optTipo[3]->click();
    CliCard.bValid = True;
    CliCard.strCodice = "CARD7";
    CliCard.nImporto = 99999999;  // shown as nine characters, taken back whole
    CliCard.nRicariche = 4;
    CliCard.strData = "241231";
    RefreshForm();
    EXPECT_EQ(Shown(w->txtCodice), "CARD7");
    EXPECT_EQ(Shown(w->txtImporto), "999999.99");
    EXPECT_EQ(Shown(w->txtValore), "0.00");
    EXPECT_EQ(Shown(w->txtRicariche), "4");
    EXPECT_EQ(Shown(w->mskData), "24/12/31");
    ASSERT_TRUE(w->SetCard());
    EXPECT_EQ(CliCard.nImporto, 99999999);
    EXPECT_EQ(CliCard.strData, "241231");
    EXPECT_EQ(CliCard.nRicariche, 5);

    // Another type on the panel: the message, the panel kept.
    CliCard.bValid = True;
    CliCard.nTipo = 21;
    CliCard.strCodice = "OTHER";
    RefreshForm();
    EXPECT_EQ(Status(), "Reading chip card - not completed, or the card does not match");
    EXPECT_EQ(Shown(w->txtCodice), "CARD7");

    // Without a valid card the refresh rebuilds the editor.
    CliCard.bValid = False;
    w->cbxCli->setEditText("5");
    w->cbxCli_Enter();
    EXPECT_EQ(w->EditState(), 4);
    RefreshForm();
    EXPECT_EQ(w->EditState(), 0);
    EXPECT_EQ(Shown(w->txtCodice), "CARD7");
}

TEST_F(CustomerCardTest, ClearAsksThenErasesTheCardReadAndWriteQueueNothing) {
    frmClienti* w = Customers();
    w->optTipo[1]->click();
    Type(w->txtValore, "3");
    ASSERT_TRUE(w->SetCard());
    // The edited customer is offered for saving first, then the erase asked.
    w->cbxCli->setEditText("5");
    w->cbxCli_Enter();
    Type(w->txtDesc[0], "EDITED");
    shell.answers = {false, false};
    w->cmdClear->click();
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(shell.questions.back(), GetText("Msg", "74") + ": " + GetText("Msg", "75"));
    EXPECT_EQ(w->EditState(), 0);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(CliCard.nValore, 300);

    w->cmdClear->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#F;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].answers, 0);
    EXPECT_EQ(CmdQueue.entries[1].time, 25.0f);
    EXPECT_EQ(CliCard.nValore, 0);
    EXPECT_EQ(CliCard.nRicariche, 0);
    EXPECT_EQ(CliCard.strData, "000000");
    EXPECT_EQ(CliCard.nTipo, 21);
    EXPECT_EQ(Shown(w->mskData), "00/00/00");
    EXPECT_EQ(Shown(w->txtValore), "0.00");
    EXPECT_EQ(Shown(w->txtRicariche), "0");

    // Read and Write queue nothing; each Write counts a recharge.
    ClearCmdQueue();
    w->cmdRead->click();
    for (int i = 0; i < 3; ++i) w->cmdWrite->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(w->txtRicariche), "3");
    // A register that is not enabled: its message box, nothing more.
    CassaList[0].bEnabled = False;
    const size_t asked = shell.questions.size();
    w->cmdWrite->click();
    w->cmdClear->click();
    ASSERT_FALSE(shell.boxes.empty());
    EXPECT_EQ(shell.boxes.back(), GetText("Msg1", "20") + ": " + GetText("Msg", "82"));
    EXPECT_EQ(shell.questions.size(), asked);
    EXPECT_EQ(CliCard.nRicariche, 3);
    EXPECT_TRUE(Queued().empty());
}

TEST_F(CustomerCardTest, ClosingTheEditorUnloadsTheListWindow) {
    Customers();
    ASSERT_TRUE(frmList::Exists());  // built with the code box
    frmList::Instance()->show();
    ShowForm(kNullFormKey);
    ASSERT_EQ(CurrentEditor(), nullptr);
    EXPECT_FALSE(frmList::Exists());
}

}  // namespace
