// The customer editor over each record generation: a new customer added
// from the code box, shown back, changed and deleted, the code box in step
// with the file, the fields each generation shows, and the register
// requests with their ranges.
#include "core/config_level.h"
#include "ui/frmClienti.h"
#include "ui/editor_fixture.h"
#include "ui/controls/range_controls.h"
#include "transfers/transfer.h"

namespace {

class CustomerEditorTest : public editortest::EditorTest {
protected:
    frmClienti* Customers(int16_t model) {
        Main(model);
        return Open<frmClienti>("K_FRMCLIENTI");
    }
    static void Enter(frmClienti* w, const std::string& code) {
        w->cbxCli->setEditText(QString::fromLatin1(code.c_str()));
        w->cbxCli_Enter();
    }
    std::string Archive() const { return File("Clienti.txt"); }
};

struct Generation {
    int16_t model;
    int length;
    bool fmult, ext, fid;
};

TEST_F(CustomerEditorTest, ANewCustomerIsAddedShownChangedAndDeletedInEachGeneration) {
    for (const Generation& g : {Generation{1, 90, false, false, false}, Generation{2, 90, true, false, false},
                                Generation{9, 169, true, true, false}, Generation{11, 175, true, true, true}}) {
        SCOPED_TRACE(g.model);
        frmClienti* w = Customers(g.model);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Archive().GetLen(), g.length);
        EXPECT_EQ(w->txtFMult->isVisible(), g.fmult);
        EXPECT_EQ(w->txtCF_PIVA->isVisible(), g.ext);
        EXPECT_EQ(w->txtSaldoPunti->isVisible(), g.fid);
        EXPECT_EQ(w->fraChipCard->isVisible(), g.ext);
        EXPECT_EQ(w->fraCliCard->isVisible(), g.model == 1);  // the LX4100's offline card panel
        EXPECT_EQ(w->EditState(), 0);
        EXPECT_FALSE(w->txtDesc[0]->isEnabled());

        Enter(w, "1234567890123");  // too long: nothing
        EXPECT_EQ(w->EditState(), 0);
        Enter(w, "123");
        EXPECT_EQ(w->EditState(), 4);
        EXPECT_TRUE(w->cmdAdd->isEnabled());
        EXPECT_FALSE(w->cmdMod->isEnabled());
        EXPECT_EQ(Shown(w->txtListino), "0");
        Type(w->txtDesc[0], "STORE:1");
        EXPECT_EQ(w->EditState(), 5);
        w->cmdAdd->click();
        EXPECT_EQ(w->EditState(), 2);
        const std::string rec = Archive();
        ASSERT_EQ(rec.size(), static_cast<size_t>(g.length));
        EXPECT_EQ(rec.substr(0, 12), "         123");
        EXPECT_EQ(rec.substr(12, 30), "STORE 1" + std::string(23, ' '));
        EXPECT_EQ(rec.substr(g.length - 2), "\r\n");
        EXPECT_EQ(w->cbxCli->count(), 1);

        // A second, lower code goes before it in the file and in the box.
        Enter(w, "45");
        Type(w->txtIVA, "9");  // 9 is always a VAT code
        Type(w->txtCredito, g.model == 1 ? "-5" : "12.50");
        w->cmdAdd->click();
        EXPECT_EQ(w->EditState(), 2) << Status();
        EXPECT_EQ(Archive().substr(0, 12), "          45");
        EXPECT_EQ(Archive().substr(73, 1), "9");
        EXPECT_EQ(Archive().substr(77, 8), g.model == 1 ? "-5      " : "1250    ");
        EXPECT_EQ(w->cbxCli->itemText(0).toStdString(), "45");
        EXPECT_EQ(w->cbxCli->itemText(1).toStdString(), "123");

        // Modify with a refused field writes nothing.
        const std::string before = Archive();
        Type(w->txtIVA, "-1");
        w->cmdMod->click();
        EXPECT_EQ(Archive(), before);
        EXPECT_EQ(Status(), "Modify customer - VAT code: not a valid value: nothing was saved");
        // Leaving with it asks; No keeps the editor, at the field.
        shell.answers = {false};
        ASSERT_FALSE(CloseCurrentEditor());
        EXPECT_EQ(shell.questions.back(), "Changed data: VAT code - The change cannot be saved: a value is not "
                                          "valid. Drop the change and leave?");
        EXPECT_EQ(w->focusWidget(), w->txtIVA);
        // No operation starts over it, and that is said.
        EXPECT_FALSE(MayStartOperation());
        EXPECT_EQ(Status(),
                  "Modify customer - VAT code: not a valid value: nothing was saved-the operation was not started");
        // The same code cannot be added.
        Enter(w, "123");
        EXPECT_EQ(w->EditState(), 2);
        EXPECT_EQ(Shown(w->txtDesc[0]), "STORE 1");

        // Delete shows the next customer; the last one leaves nothing shown.
        w->cbxCli->setCurrentIndex(0);
        w->cmdDel->click();
        EXPECT_EQ(Archive().size(), static_cast<size_t>(g.length));
        EXPECT_EQ(w->cbxCli->count(), 1);
        EXPECT_EQ(Shown(w->txtDesc[0]), "STORE 1");
        w->cmdDel->click();
        EXPECT_EQ(Archive(), "");
        EXPECT_EQ(w->EditState(), 0);
        EXPECT_FALSE(w->cmdSend->isEnabled());
        CloseCurrentEditor();
        main_.reset();
    }
}

TEST_F(CustomerEditorTest, LoadSendAndTheRegisterDeleteTakeCodesOfDigitsOnly) {
    frmClienti* w = Customers(11);
    for (const char* code : {"7", "30", "500"}) {
        Enter(w, code);
        Type(w->txtDesc[0], "X");
        w->cmdAdd->click();
    }
    w->cmdLoad->click();
    w->cmdSend->click();
    w->cmdDelArc->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&I1:999999999999;#H;*3;", "*2;+4;*M;*3;", "*2;+4;#M;*3;"}));
    w->range->chkAll->setChecked(false);
    struct Case {
        const char* from;
        const char* to;
        bool ok;
    };
    for (const Case& c : {Case{"5", "10", true}, Case{"1", "999999999999", true}, Case{"0", "5", false},
                          Case{"", "5", false}, Case{"1abc", "5", false}, Case{"1;+3", "5", false},
                          Case{"01", "5", false}}) {
        CmdQueue = {};
        Type(w->range->txtFrom, c.from);
        Type(w->range->txtTo, c.to);
        w->cmdLoad->click();
        w->cmdDelArc->click();
        if (c.ok) {
            EXPECT_EQ(Queued(), (std::vector<std::string>{std::string("*2;+4;&I") + c.from + ":" + c.to + ";#H;*3;",
                                                          std::string("*2;+4;#N") + c.from + ":" + c.to + ";*3;"}))
                << c.from;
        } else {
            EXPECT_TRUE(Queued().empty()) << c.from;
            EXPECT_EQ(Status(), "Range limits - the limits are not valid") << c.from;
        }
    }
    // Send by codes of the file: a code that is not there queues nothing.
    CmdQueue = {};
    Type(w->range->txtFrom, "8");
    Type(w->range->txtTo, "500");
    w->cmdSend->click();
    EXPECT_TRUE(Queued().empty());
    Type(w->range->txtFrom, "30");
    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;*M;*3;"}));
}

// A customer changed is left only saved or dropped: "Save the changes?"
// closed, or a refused value not dropped, keeps the user on it.
TEST_F(CustomerEditorTest, AChangedCustomerIsLeftOnlySavedOrDropped) {
    frmClienti* w = Customers(11);
    for (const char* code : {"7", "30"}) {
        Enter(w, code);
        Type(w->txtDesc[0], "X");
        w->cmdAdd->click();
    }
    const std::string before = Archive();
    for (QPushButton* act : {static_cast<QPushButton*>(nullptr), w->cmdSend, w->cmdDelArc, w->cmdChipCardLoad})
        for (const char* vat : {"9", "-"}) {  // - is refused
            SCOPED_TRACE(std::string(vat) + (act ? act->objectName().toStdString() : "list"));
            Enter(w, "7");
            Type(w->txtIVA, vat);
            shell.answers = {*vat == '9' ? editortest::ScriptedShell::kClose : 0};
            act ? act->click() : w->cbxCli->setCurrentIndex(1);
            EXPECT_TRUE(w->EditState() == 3 && Shown(w->txtIVA) == vat && Queued().empty());
            EXPECT_EQ(w->cbxCli->currentText().toStdString() + Archive(), "7" + before);
        }
}

TEST_F(CustomerEditorTest, TheCardViewReadsTheCardAndShowsItsFileOnlyOnceThereIsOne) {
    frmClienti* w = Customers(9);
    Enter(w, "5");
    Type(w->txtDesc[0], "EDITED");
    shell.answers = {false};
    w->cmdChipCardDisplay->click();
    EXPECT_EQ(shell.questions.size(), 1u);  // the edited customer offered for saving
    EXPECT_EQ(w->EditState(), 0);
    EXPECT_EQ(Status(), "Customer chip-card file-file not found [" + dir.file("Shop/Cassa1/ClientChipCard.rpt") + "]");
    w->cmdChipCardLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&c;#H;*3;"}));
    EXPECT_EQ(Archive(), "");
}

// The first hello tells an older release than assumed: the open window and
// the archive typed before it take the register's shorter generation.
TEST_F(CustomerEditorTest, AnEditorOpenAcrossTheHelloTakesTheRegistersGeneration) {
    frmClienti* w = Customers(11);  // ZANDORE, assumed of the newest release
    ASSERT_EQ(w->Archive().GetLen(), 175);
    Enter(w, "123");
    Type(w->txtDesc[0], "STORE");
    w->cmdAdd->click();
    const std::string before = Archive();
    ASSERT_EQ(before.size(), 175u);
    ConfigLevel.SetCashVersion(LinkState.nCurCash, "R022002");  // as the hello tells
    Enter(w, "123");
    EXPECT_EQ(w->EditState(), 2);  // found
    EXPECT_EQ(w->Archive().GetLen(), 90);
    EXPECT_EQ(Archive().size(), 90u);
    EXPECT_EQ(Archive().substr(0, 17), "         123STORE");
    // Nothing typed was dropped; the backup keeps the archive as it was.
    EXPECT_EQ(testsupport::ReadAll(dir.file("Shop/Cassa1/Clienti.txt.bak")), before);
    EXPECT_FALSE(w->txtCF_PIVA->isVisible());
    Enter(w, "124");
    Type(w->txtDesc[0], "SECOND");
    w->cmdAdd->click();
    EXPECT_EQ(Archive().size(), 180u);
    // Up again: the fields the conversion adds take a new customer's values,
    // so a customer converted can be changed.
    ConfigLevel.SetCashVersion(LinkState.nCurCash, "R022041");
    Enter(w, "123");
    ASSERT_EQ(w->Archive().GetLen(), 175);
    EXPECT_EQ(Shown(w->txtLineaFid), "0");
    EXPECT_EQ(Shown(w->txtSaldoPunti), "0");
    Type(w->txtDesc[2], "THIRD");
    w->cmdMod->click();
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(Archive().substr(91, 5), "THIRD");
    EXPECT_EQ(Archive().substr(167, 8), "000000\r\n");
}

TEST_F(CustomerEditorTest, AnArchiveThatWillNotOpenIsSaidNotShownEmpty) {
    frmClienti* w = Customers(1);
    Enter(w, "123");
    Type(w->txtDesc[0], "STORE");
    w->cmdAdd->click();
    ASSERT_EQ(w->cbxCli->count(), 1);
    // Every file number of the program is taken: the archive cannot open.
    std::vector<int16_t> taken;
    for (int i = 0; i < 255; ++i) {
        taken.push_back(OpenRandomFileNum(dir.file("Shop/Cassa1/Clienti.txt"), 90));
        ASSERT_NE(taken.back(), 0);
    }
    w->ShowConf(0);
    // Every number is given back: the tests after this one need them.
    for (int16_t n : taken) CloseFileNumber(n);
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(w->cbxCli->count(), 0);
    ASSERT_FALSE(shell.boxes.empty());
    EXPECT_EQ(shell.boxes.back(), ": ShowConf - File access error");
}

TEST_F(CustomerEditorTest, ARegisterNotEnabledIsSaidOncePerOpening) {
    Main(3);
    CassaList[0].bEnabled = False;
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        shell.boxes.clear();
        auto* w = Open<frmClienti>("K_FRMCLIENTI");
        ASSERT_NE(w, nullptr);
        // Keys typed in the code box.
        for (const char* typed : {"1", "12", "123"}) {
            w->cbxCli->setEditText(typed);
            emit w->cbxCli->lineEdit()->textEdited(typed);
        }
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0], "Register not enabled: The selected register is not enabled for work: nothing is "
                                  "sent or loaded.");
        EXPECT_FALSE(w->cmdLoad->isEnabled());
        CloseCurrentEditor();
    }
    CassaList[0].bEnabled = True;
}

}  // namespace
