// The loyalty settings: the circularity slots saved from their boxes, the
// codes and lines refused, Clear, Load and Send gated on the model and the
// option bit, the slot saved before the send, and the subtotal's lines.
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "ui/frmFidelizza.h"
#include "ui/frmLineeFid.h"
#include "ui/editor_fixture.h"

namespace {

class LoyaltySettingsTest : public editortest::EditorTest {
protected:
    frmFidelizza* Loyalty(int16_t model = 11) {  // ZANDORE: the loyalty tables
        Main(model);
        udtCassaConf.P019_1 = 64 + 1;
        return Open<frmFidelizza>("K_FRMFIDELIZZA");
    }
    std::string Slot(int n) const { return Record("CirCli.txt", n, 12); }
};

TEST_F(LoyaltySettingsTest, ASlotIsSavedFromItsBoxesAndABadCodeOrLineIsRefused) {
    frmFidelizza* w = Loyalty();
    ASSERT_EQ(w->cbxSlot->count(), 10);
    EXPECT_EQ(w->cbxSlot->itemText(0).toStdString(), "01");
    EXPECT_EQ(w->cbxSlot->itemText(9).toStdString(), "10");
    EXPECT_EQ(w->cbxSlot->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtCircolarita), "");
    Choose(w->cbxSlot, 3);
    struct Case {
        const char* circ;
        const char* line;
        const char* stored;  // nullptr: refused
    };
    for (const Case& c : {Case{"123", "1", "0300001231\r\n"}, Case{"12*4*67", "2", "0312*4*672\r\n"},
                          Case{"", "0", "03       0\r\n"}, Case{"12A", "1", nullptr}, Case{"1 2", "1", nullptr},
                          Case{"123", "3", nullptr}, Case{"123", "x", nullptr}, Case{"123", "-1", nullptr},
                          Case{"123", "", nullptr}}) {
        const std::string before = Slot(3);
        Type(w->txtCircolarita, c.circ);
        Type(w->txtLineaFid, c.line);
        w->cmdSave->click();
        EXPECT_EQ(Slot(3), c.stored ? c.stored : before) << c.circ << " " << c.line;
        if (!c.stored) {
            EXPECT_EQ(Status(), "Slot 3-value not valid") << c.circ << " " << c.line;
        }
    }
    w->cmdAzzera->click();
    EXPECT_EQ(Slot(3), "03       0\r\n");  // nothing stored before the save
    w->cmdSave->click();
    EXPECT_EQ(Slot(3), "0300000000\r\n");
    EXPECT_TRUE(shell.questions.empty());
}

TEST_F(LoyaltySettingsTest, SendSavesTheSlotFirstAndQueuesTheCircularityOnlyWhenItWasSaved) {
    frmFidelizza* w = Loyalty();
    Choose(w->cbxSlot, 2);
    Type(w->txtCircolarita, "12A");
    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;^d;*3;"}));
    CmdQueue = {};
    udtCassaConf.P019_1 = 64;  // the send reloaded the register's options
    Type(w->txtCircolarita, "77");
    Type(w->txtLineaFid, "2");
    w->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Slot(2), "0200000772\r\n");
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;^d;*3;", "*2;+4;^f;*3;"}));
    // The question closed unanswered: nothing is sent, the change stays shown.
    CmdQueue = {};
    udtCassaConf.P019_1 = 64;
    Type(w->txtCircolarita, "88");
    shell.answers = {editortest::ScriptedShell::kClose};
    w->cmdSend->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(w->txtCircolarita), "88");
    EXPECT_EQ(Slot(2), "0200000772\r\n");
    Type(w->txtCircolarita, "77");
    CmdQueue = {};
    udtCassaConf.P019_1 = 64;
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;^D;*3;", "*2;+4;^F;*3;"}));
    EXPECT_EQ(w->CurItem(), 2);  // the refresh at the end of the reads empties it

    // Without the option bit: nothing queued, nothing said.
    CmdQueue = {};
    udtCassaConf.P019_1 = 1;
    w->cmdSend->click();
    w->cmdLoad->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(LoyaltySettingsTest, AModelWithoutTheLoyaltyTablesQueuesNothing) {
    frmFidelizza* w = Loyalty(9);
    ASSERT_NE(ConfigLevel.CashType(), "ZANDORE");
    w->cmdSend->click();
    w->cmdLoad->click();
    EXPECT_TRUE(Queued().empty());
}

TEST_F(LoyaltySettingsTest, WithoutTheLoyaltyOptionSendAndLoadSaySo) {
    frmFidelizza* w = Loyalty();
    udtCassaConf.P019_1 = 1;  // the general option "Loyalty" not ticked
    for (QPushButton* button : {w->cmdSend, w->cmdLoad}) {
        SCOPED_TRACE(button->objectName().toStdString());
        ShowMsg("", "");
        button->click();
        EXPECT_EQ(Status(), "Loyalty is not sent or loaded: tick the general option \"Loyalty\" first");
        EXPECT_TRUE(Queued().empty());
    }
}

TEST_F(LoyaltySettingsTest, TheSubtotalsLinesAreWrittenBackAfterOkAndCancel) {
    frmFidelizza* w = Loyalty();
    const std::string before = File("SubFid.txt");
    ASSERT_EQ(before.size(), 152u);
    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        EXPECT_EQ(d->lblSourceDesc->text().toStdString(), "Loyalty lines of the subtotal");
        Choose(d->cbxLineaFid, 3);
        Type(d->txtTipo, "2");
        d->cmdAnnulla->click();
    });
    w->cmdFidSbt->click();
    EXPECT_EQ(File("SubFid.txt"), before);

    editortest::WhenShown<frmLineeFid>([](frmLineeFid* d) {
        Choose(d->cbxLineaFid, 3);
        Type(d->txtTipo, "2");
        Type(d->txtValore2, "2.5");
        d->cmdOk->click();
    });
    w->cmdFidSbt->click();
    EXPECT_EQ(File("SubFid.txt").substr(100, 50), "20" + std::string(40, '0') + "00000250");
    EXPECT_EQ(File("SubFid.txt").substr(0, 100), before.substr(0, 100));
}

}  // namespace
