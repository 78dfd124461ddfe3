// The keyboard editor on screen: the key grid as the layout file places it,
// a key chosen and given a function, the key configuration file written,
// the level and the type switched with and without keeping a change, the
// keyboard simulation queued, and the Send of the keyboard.
#include <QCoreApplication>
#include <QListWidget>
#include <functional>

#include "common/child_process.h"
#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "engine/builders_reports.h"
#include "engine/operation.h"
#include "ui/editor_fixture.h"
#include "ui/frmTastiera.h"

namespace {

using editortest::EditorTest;

class KeyboardEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Core.strLangExt = ".eng";
        nKeybLevel = 0;
        // DRAVO57: two keyboard types of 88 and 120 keys, layout base "1".
        Write("Cod3.eng",
              "[Funzioni]\r\nC1=110|1|---|No function\r\nC2=12|1|TOT|Total\r\nC3=250|3|PLU|Plu |1\r\n");
        Write("klay1_0.txt", "[Pos]\r\nK0=0|0\r\nK1=0|1\r\nK2=0|2\r\nK3=1\r\nK5=2|3\r\n");
        Write("klay1_1.txt", "[Pos]\r\nK0=0|0\r\nK1=0|1\r\nK100=5|11\r\n");
        Write("Keyb3_0.txt",
              "[Livello0]\r\nT0=0|1|110\r\nT1=1|2|12\r\nT2=1|3|999\r\nT5=1|6|250\r\n"
              "[Livello1]\r\nT0=0|1|12\r\nT1=1|2|251\r\nT2=1|3|110\r\nT5=1|6|252\r\n");
        Write("Keyb3_1.txt", "[Livello0]\r\nT0=1|40|251\r\nT1=1|41|12\r\nT100=1|99|250\r\n"
                             "[Livello1]\r\nT0=1|40|110\r\nT1=0|41|110\r\nT100=1|99|12\r\n");
    }
    frmTastiera* OpenKeyboard() {
        Main(3);
        return Open<frmTastiera>("K_FRMTASTIERA");
    }
    static QRgb Colour(QLabel* key) { return key->palette().color(QPalette::Window).rgb() & 0xFFFFFF; }
    static std::string Text(QLabel* l) { return l->text().toStdString(); }
    // The user picks the function of the code in the function list.
    static void Pick(frmTastiera* e, int code) { e->cbxFunzione->setCurrentIndex(e->cbxFunzione->findData(code)); }
};

TEST_F(KeyboardEditorTest, TheGridFollowsTheLayoutAndShowsEachKeysFunction) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Keyb.nNumKeys, 88);
    // K5=2|3: column 3 x 540 + 180 = 1800 twips, row 2 x 405 + 2475 = 3285.
    EXPECT_TRUE(e->lblKey[5]->isVisibleTo(e));
    EXPECT_EQ(e->lblKey[5]->pos(), QPoint(1800 / 15, 3285 / 15));
    EXPECT_FALSE(e->lblKey[3]->isVisibleTo(e));   // a value without "|"
    EXPECT_FALSE(e->lblKey[4]->isVisibleTo(e));   // no value
    EXPECT_FALSE(e->lblKey[88]->isVisibleTo(e));  // past the keys of the type
    EXPECT_EQ(Text(e->lblKey[1]), "TOT");
    EXPECT_EQ(Text(e->lblKey[2]), "?");  // 999 is not in the list
    EXPECT_EQ(Text(e->lblKey[5]), "PLU1");
    EXPECT_EQ(Colour(e->lblKey[0]), frmTastiera::kFixedColour);
    EXPECT_EQ(Colour(e->lblKey[1]), frmTastiera::kProgColour);
    ASSERT_EQ(e->cbxTipo->count(), 2);
    EXPECT_EQ(e->cbxTipo->itemText(1).toStdString(), "Type 2");
    EXPECT_EQ(Text(e->Label1[0]), "Level");
    EXPECT_EQ(e->cbxFunzione->count(), 5);
    EXPECT_EQ(e->frmKeySym->title().toStdString(), "Keyboard simulation");
    EXPECT_EQ(e->cmdSendMacro->text().toStdString(), "Send");
}

TEST_F(KeyboardEditorTest, AChosenKeyTakesTheFunctionPickedAndSaveWritesTheFile) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    // No key chosen yet: the function goes to key 0 of the level shown.
    Pick(e, 12);
    EXPECT_EQ(e->ShownCode(0, 0), 12);
    EXPECT_EQ(Text(e->lblKey[0]), "TOT");
    // A non-programmable key cannot be chosen.
    e->lblKey_Click(0);
    EXPECT_EQ(e->CurKey(), 0);
    e->lblKey_Click(5);
    EXPECT_EQ(e->CurKey(), 5);
    EXPECT_EQ(Colour(e->lblKey[5]), frmTastiera::kChosenColour);
    EXPECT_EQ(Colour(e->lblKey[0]), frmTastiera::kFixedColour);  // key 0 is grey again, not green
    EXPECT_EQ(Text(e->lblCodPos), "6");
    EXPECT_EQ(Text(e->lblCodFun), "250");
    EXPECT_EQ(e->cbxFunzione->currentData().toInt(), 250);
    Pick(e, 110);
    EXPECT_EQ(e->ShownCode(0, 5), 110);
    EXPECT_EQ(Text(e->lblKey[5]), "---");
    EXPECT_EQ(Text(e->lblCodFun), "110");
    e->lblKey_Click(1);
    EXPECT_EQ(Colour(e->lblKey[5]), frmTastiera::kProgColour);

    e->cmdSave->click();
    EXPECT_TRUE(shell.questions.empty());
    EXPECT_EQ(Status(), "Saved");
    e->cmdSave->click();  // nothing changed since: no news
    EXPECT_EQ(Status(), "");
    const std::string file = File("Keyb3_0.txt");
    EXPECT_NE(file.find("T0=0|1|12\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("T5=1|6|110\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("T5=1|6|252\r\n"), std::string::npos) << file;  // level 1 as it was
    // A full disk: said, and the file as it was.
    Pick(e, 250);
    childtest::WithFileLimit(16, [&] { e->cmdSave->click(); });
    EXPECT_EQ(shell.boxes, std::vector<std::string>{": SaveKeyConf - File too large"});
    EXPECT_EQ(File("Keyb3_0.txt"), file);
}

TEST_F(KeyboardEditorTest, TheSimulationRecordsKeysAndQueuesThemAsOneCommand) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    e->cmdSendMacro->click();
    EXPECT_TRUE(Queued().empty());  // nothing recorded, nothing sent
    e->chkRecording->setChecked(true);
    e->lblKey_Click(0);  // not programmable: recorded all the same
    e->lblKey_Click(2);  // 999 is in no list: not recorded
    e->lblKey_Click(1);
    ASSERT_EQ(e->lstKeyMacro->count(), 2);
    EXPECT_EQ(e->lstKeyMacro->item(0)->text().toStdString(), "---");
    EXPECT_EQ(e->CurKey(), 0);  // recording chooses no key
    e->cmdSendMacro->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;#S110:12:;*3"});
    EXPECT_EQ(CmdQueue.entries[1].answers, 0);
    EXPECT_FLOAT_EQ(CmdQueue.entries[1].time, 2.5f);
    e->cmdClearMacro->click();
    EXPECT_EQ(e->lstKeyMacro->count(), 0);
    e->cmdSendMacro->click();
    EXPECT_EQ(Queued().size(), 1u);
}

TEST_F(KeyboardEditorTest, ALevelSwitchKeepsAChangeOnlyWhenTheUserSaysSo) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    const std::string before = File("Keyb3_0.txt");
    e->lblKey_Click(1);
    Pick(e, 250);
    shell.answers = {false};
    Choose(e->cbxLivello, 2);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(nKeybLevel, 1);
    EXPECT_EQ(e->ShownCode(0, 1), 12);  // the change is gone
    EXPECT_EQ(Text(e->lblKey[1]), "PLU2");     // level 1 shown
    EXPECT_EQ(File("Keyb3_0.txt"), before);

    Choose(e->cbxLivello, 1);  // nothing changed: no question
    EXPECT_EQ(shell.questions.size(), 1u);
    e->lblKey_Click(1);
    Pick(e, 250);
    shell.answers = {true};
    Choose(e->cbxLivello, 2);
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_NE(File("Keyb3_0.txt").find("[Livello0]\r\nT0=0|1|110\r\nT1=1|2|250\r\n"), std::string::npos);
    // The program's own showing of the lists starts no switch, even with a
    // change waiting.
    e->lblKey_Click(2);
    Pick(e, 12);
    e->ShowConf();
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(e->ShownCode(1, 2), 12);
}

TEST_F(KeyboardEditorTest, ATypeChosenIsKeptInTheRegisterOptionsAtOnce) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    e->lblKey_Click(5);
    Choose(e->cbxTipo, 2);
    EXPECT_EQ(CassaFile.nTipoTastiera, 1);
    EXPECT_EQ(Keyb.nNumKeys, 120);
    EXPECT_NE(File("Cassa.txt").find("tipo=1"), std::string::npos);
    EXPECT_EQ(e->CurKey(), 0);  // a new grid: no key chosen on it
    EXPECT_TRUE(e->lblKey[100]->isVisibleTo(e));
    EXPECT_EQ(e->lblKey[100]->pos(), QPoint((11 * 540 + 180) / 15, (5 * 405 + 2475) / 15));
    EXPECT_FALSE(e->lblKey[5]->isVisibleTo(e));
    EXPECT_EQ(Text(e->lblKey[0]), "PLU2");
    // The register opened again (as a send does) finds the type chosen.
    CassaFile.nTipoTastiera = 0;
    ASSERT_TRUE(ReadCassaTipo());
    EXPECT_EQ(CassaFile.nTipoTastiera, 1);
}

TEST_F(KeyboardEditorTest, SendSavesAKeptChangeAndQueuesTheKeyboardOfAnEnabledRegisterOnly) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    e->lblKey_Click(1);
    Pick(e, 251);
    CassaList[0].bEnabled = False;
    e->cmdSend->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(shell.boxes.size(), 1u);
    CassaList[0].bEnabled = True;
    shell.answers = {true};
    e->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_NE(File("Keyb3_0.txt").find("T1=1|2|251\r\n"), std::string::npos);
    const auto queued = Queued();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_NE(queued[0].find("*y;"), std::string::npos) << queued[0];
}

TEST_F(KeyboardEditorTest, NothingIsSavedIntoAnotherRegistersFolderOpenForAnOperation) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    const std::string before = File("Keyb3_0.txt");
    e->lblKey_Click(1);
    Pick(e, 251);
    // A send to several registers has the second register's folder open.
    Write("Shop/Cassa2/Cassa.txt", "");
    Core.nOpenCash = 1;
    Core.strCashDir = dir.file("Shop/Cassa2");
    shell.answers = {true, true, true};
    struct Act {
        const char* name;
        std::function<void()> act;
    } acts[] = {{"Save", [e] { e->cmdSave->click(); }},
                {"Send", [e] { e->cmdSend->click(); }},
                {"level", [e] { Choose(e->cbxLivello, 2); }},
                {"unload", [] { CloseCurrentEditor(); }}};
    for (const Act& a : acts) {
        ShowMsg("", "");
        a.act();
        EXPECT_FALSE(testsupport::Exists(dir.file("Shop/Cassa2/Keyb3_0.txt"))) << a.name;
        EXPECT_EQ(File("Keyb3_0.txt"), before) << a.name;
        EXPECT_NE(Status().find("Another register's folder is open"), std::string::npos) << a.name;
        EXPECT_TRUE(Queued().empty()) << a.name;
    }
    EXPECT_EQ(nKeybLevel, 0);
    // Opened meanwhile it takes no input, and comes with its register's keys
    // when that register's folder is open again.
    e = Open<frmTastiera>("K_FRMTASTIERA");
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->isEnabled());
    Core.nOpenCash = 0;
    Core.strCashDir = dir.file("Shop/Cassa1");
    e = ShownAnew(e);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Text(e->lblKey[1]), "TOT");
    EXPECT_EQ(Status(), "");
}

// The keys are loaded again from the files by the editor's Load, by its
// simulation's Send, and by any operation another window starts (bulk
// programming, the keep-locked tick): a change not saved yet is asked about
// first, kept in the file or put back as loaded.
TEST_F(KeyboardEditorTest, AChangeIsAskedAboutBeforeAnOperationReloadsTheKeys) {
    enum Act { Simulation, Load, OtherWindow };
    struct Case {
        const char* name;
        bool keep;
        Act act;
        bool shownAgain = false;  // the editor shown again first (another register chosen)
        bool turnBetween = false;  // an operation's turn loaded the keys from the files meanwhile
    } cases[] = {{"simulation kept", true, Simulation},  {"simulation dropped", false, Simulation},
                 {"load kept", true, Load},              {"load dropped", false, Load},
                 {"other window kept", true, OtherWindow}, {"other window dropped", false, OtherWindow},
                 {"shown again, other window", true, OtherWindow, true},
                 {"shown again, load", false, Load, true},
                 {"after a turn, load kept", true, Load, false, true},
                 {"after a turn, other window dropped", false, OtherWindow, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("Shop/Cassa1/Keyb3_0.txt", "[Livello0]\r\nT0=0|1|110\r\nT1=1|2|12\r\n");
        frmTastiera* e = OpenKeyboard();
        ASSERT_NE(e, nullptr);
        if (c.shownAgain) {
            e = Open<frmTastiera>("K_FRMTASTIERA");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the old one is gone
        }
        shell.questions.clear();
        e->lblKey_Click(1);
        Pick(e, 251);
        if (c.turnBetween) LoadKeyConf();
        shell.answers = {c.keep};
        if (c.act == Load) {
            e->cmdLoad->click();
        } else if (c.act == Simulation) {
            e->chkRecording->setChecked(true);
            e->lblKey_Click(1);
            e->cmdSendMacro->click();
        } else {
            SendKeyLock(true, true);
        }
        EXPECT_EQ(shell.questions.size(), 1u);
        EXPECT_EQ(File("Keyb3_0.txt").find("T1=1|2|251\r\n") != std::string::npos, c.keep);
        EXPECT_EQ(e->ShownCode(0, 1), c.keep ? 251 : 12);
        // The chosen key shows its function; a dropped one can be chosen again.
        EXPECT_EQ(Text(e->lblCodFun), c.keep ? "251" : "12");
        EXPECT_EQ(e->cbxFunzione->currentData().toInt(), c.keep ? 251 : 12);
        EXPECT_EQ(Queued().size(), 1u);
        if (!c.keep) {
            Pick(e, 251);
            EXPECT_EQ(e->ShownCode(0, 1), 251);
        }
        ClearCmdQueue();
        OperationTick();
        CloseCurrentEditor();
    }
}

// While the keyboard's read runs, Save and a level switch wait for its end.
TEST_F(KeyboardEditorTest, SaveAndALevelSwitchWaitForTheKeyboardsRead) {
    frmTastiera* e = OpenKeyboard();
    ASSERT_NE(e, nullptr);
    e->cmdLoad->click();
    ASSERT_EQ(Queued().size(), 1u);
    // A line of the read is in the tables: the editor shown again leaves them.
    Keyb.KeyConf0[1].nFunCode = 251;
    e = Open<frmTastiera>("K_FRMTASTIERA");
    EXPECT_EQ(Keyb.KeyConf0[1].nFunCode, 251);
    Keyb.KeyConf0[1].nFunCode = 12;
    e->ShowConf();
    const std::string before = File("Keyb3_0.txt");
    e->lblKey_Click(1);
    Pick(e, 251);
    e->cmdSave->click();
    EXPECT_EQ(Status(), "A read of this table from the register is in progress: nothing was saved");
    Choose(e->cbxLivello, 2);
    EXPECT_EQ(Status(), "A read of this table from the register is in progress: wait until it ends");
    EXPECT_EQ(nKeybLevel, 0);
    EXPECT_EQ(e->cbxLivello->currentIndex(), 0);
    EXPECT_EQ(File("Keyb3_0.txt"), before);
    EXPECT_TRUE(shell.questions.empty());
    ClearCmdQueue();  // the read is over
    e->cmdSave->click();
    EXPECT_EQ(Status(), "Saved");
    EXPECT_NE(File("Keyb3_0.txt").find("T1=1|2|251\r\n"), std::string::npos);
}

}  // namespace
