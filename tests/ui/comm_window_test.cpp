// The communication settings window on screen (offscreen): opened from the
// tree, its values set and its buttons clicked as a user does, and the files
// read back. When ECR_SCREENSHOT_DIR names a folder, the window is written
// there in English and Italian.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "common/fake_shell.h"
#include "engine/comm_settings.h"
#include "engine/open_register.h"
#include "engine/operation.h"
#include "engine/registry.h"
#include "link/port.h"
#include "ui/frmComm.h"
#include "platform/profile.h"
#include "platform/settings.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"
#include "ui/shell_fixture.h"

namespace {

using shelltest::ShellTest;

class CommWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Core.strCashDir = dir.path();
        Core.strLangFile = dir.file("Testi.eng");
        Core.strPhoneBookIni = dir.file("PhoneBook.ini");
        Write("config.ini", "[Casse]\r\nC0=1|SHOP|EMU|R022002|1|0|0|1\r\nC1=2|||R022002|2|0|1|0\r\n");
        Write("Cassa1/Cassa.txt", "[P9]\r\n11=128\r\n21=5\r\n23=3\r\n[Communication]\r\nhellotype=0\r\n");
    }
    void TearDown() override {
        CloseMain();
        CmdQueue = CmdQueueState{};
        ShellTest::TearDown();
    }
    void CloseMain() {
        if (!main) return;
        ShowForm("K_FRMNULL");
        main->tmrMain()->stop();
        ShellState.bMainCanUnload = true;
        Core.bAskOnExit = false;
        main->close();
        main.reset();
        // As a run starts: the base folder is the folder chosen.
        ShellState.bMainCanUnload = false;
        Core.bAskOnExit = true;
        Core.strCashDir = dir.path();
    }
    // The main window of an interactive run, and the window opened from its
    // tree.
    frmComm* Open() {
        if (!main) {
            main = std::make_unique<frmMain>();
            main->Load();
            main->tmrMain()->stop();  // no tick takes the queue to a port
            main->show();
        }
        QTreeWidget* tree = fDocForm->Tree();
        QList<QTreeWidgetItem*> found =
            tree->findItems(QString::fromStdString(GetText("Nodi", "comm")),
                            Qt::MatchExactly | Qt::MatchRecursive);
        EXPECT_EQ(found.size(), 1);
        if (found.isEmpty()) return nullptr;
        emit tree->itemClicked(found.front(), 0);
        EXPECT_EQ(ShellState.strCurFrmKey, "K_FRMCOMM");
        auto* w = dynamic_cast<frmComm*>(CurrentEditor());
        QCoreApplication::processEvents();
        return w;
    }
    static void Tick(QCheckBox* box, bool on) {
        if (box->isChecked() != on) box->click();
    }
    static void Choose(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    static void Type(QLineEdit* box, const char* text) {
        box->setText(text);
        emit box->editingFinished();
    }
    // A key of the register's Cassa.txt.
    std::string Cassa(const char* section, const char* key, int cash = 1) {
        return platform::ProfileString(section, key, "", dir.file("Cassa" + std::to_string(cash) + "/Cassa.txt"));
    }
    std::string P9(const char* key, int cash = 1) { return Cassa("P9", key, cash); }
    std::string Config(const char* section, const char* key) {
        return platform::ProfileString(section, key, "", dir.file("config.ini"));
    }

    testsupport::ScopedFakeShell shell;
    std::unique_ptr<frmMain> main;
};

TEST_F(CommWindowTest, TheLinkWordIsMadeOfItsBoxesAlone) {
    Write("Cassa1/Cassa.txt", "[P9]\r\n11=4\r\n15=31\r\n");
    frmComm* w = Open();
    ASSERT_TRUE(w);
    // Bits without a box are not kept: 4 of P911; 16, 8 and 4 of P915.
    w->cmdSave->click();
    EXPECT_EQ(P9("11"), "0");
    EXPECT_EQ(P9("15"), "3");

    const struct {
        std::vector<const char*> ticked;
        const char* p911;
        bool addressed;
    } cases[] = {
        {{"chkP911A", "chkP911G"}, "130", true},
        {{"chkP911A"}, "128", false},
        // Addressed mode follows the addressed box alone, as at every opening
        // of a register folder.
        {{}, "0", false},
        {{"chkP911G", "chkP911H"}, "3", true},
    };
    for (const auto& c : cases) {
        for (const auto& [name, box] : w->checks)
            if (std::string(name).rfind("chkP911", 0) == 0 && name.find('_') == std::string::npos)
                Tick(box, false);
        for (const char* name : c.ticked) Tick(w->checks[name], true);
        EXPECT_EQ(LinkState.bAddressed, c.addressed) << c.p911 << " as ticked";
        w->cmdSave->click();
        EXPECT_EQ(P9("11"), c.p911);
        EXPECT_EQ(LinkState.bAddressed, c.addressed) << c.p911;
        EXPECT_EQ(CassaList[0].addressed, c.addressed ? "1" : "0");
    }
}

TEST_F(CommWindowTest, ARefusedValueSavesNothingAtAll) {
    ConfigLevel.ServiceMode(true);  // the service page's memory pages shown
    frmComm* w = Open();
    ASSERT_TRUE(w);
    const std::string before = Read("Cassa1/Cassa.txt");
    const struct {
        const char* box;
        const char* text;
        const char* named;  // the box as the status text names it
    } refused[] = {
        {"txtP923", "0", "Parameter 923"},    {"txtP923", "11", "Parameter 923"},
        {"txtP013", "100", "Register number"}, {"txtP013", "abc", "Register number"},
        {"txtP013", "", "Register number"},    {"txtP910", "4", "Parameter 910"},
        {"txtMemPages_0", "0", "Receipt history"}, {"txtMemPages_1", "40000", "Customers"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(std::string(c.box) + " " + c.text);
        w->ShowConf();
        // Another box changed as well: it is not taken either.
        w->numbers["txtP921"]->setText("50");
        Tick(w->checks["chkP911G"], true);
        w->numbers[c.box]->setText(c.text);
        shell->status.clear();
        w->cmdSave->click();
        EXPECT_EQ(shell->status, "Save settings - " + std::string(c.named) + ": not a valid value: nothing was saved");
        EXPECT_EQ(Read("Cassa1/Cassa.txt"), before);
        EXPECT_EQ(udtCassaConf.P921, 5);
        EXPECT_EQ(udtCassaConf.P911, 128);
        EXPECT_EQ(CassaList[0].addressed, "0");
    }
    for (const char* text : {"1", "10", " 9.6 "}) {
        w->ShowConf();
        w->numbers["txtP923"]->setText(text);
        w->cmdSave->click();
        EXPECT_EQ(P9("23"), std::string(text) == " 9.6 " ? "10" : text);
    }
    ConfigLevel.ServiceMode(false);
}

// A save says so, whichever action made it: the Save button here, the
// choice of another register below.
TEST_F(CommWindowTest, AValueTheWindowDoesNotShowNeverBlocksASave) {
    // The register sent 0 for the history's memory pages, which the service
    // page alone shows.
    Write("Cassa1/Cassa.txt", "[P9]\r\n11=128\r\n21=5\r\n23=3\r\n[P6]\r\n81S=0\r\n");
    for (bool service : {false, true}) {
        SCOPED_TRACE(service ? "service mode" : "no service mode");
        ConfigLevel.ServiceMode(service);
        frmComm* w = Open();
        ASSERT_TRUE(w);
        w->numbers["txtP921"]->setText("50");
        shell->status.clear();
        w->cmdSave->click();
        if (!service) {
            EXPECT_EQ(shell->status, "Saved");
            EXPECT_EQ(P9("21"), "50");
            EXPECT_EQ(udtCassaConf.P681S, 0);
        } else {
            // Shown, the value is checked and its box named.
            EXPECT_EQ(shell->status, "Save settings - Receipt history: not a valid value: nothing was saved");
            w->numbers["txtMemPages_0"]->setText("4");
            w->cmdSave->click();
            EXPECT_EQ(shell->status, "Saved");
            EXPECT_EQ(udtCassaConf.P681S, 4);
        }
        CloseMain();
    }
    ConfigLevel.ServiceMode(false);
}

TEST_F(CommWindowTest, TheCommandsTimeOutTakesOnlyAPositiveWholeNumber) {
    // Opened without the key: the default is taken and written.
    frmComm* w = Open();
    ASSERT_TRUE(w);
    EXPECT_EQ(Config("Generiche", "commandstimeout"), "1800");
    EXPECT_EQ(w->txtCmdTimeout->text().toStdString(), "1800");
    Type(w->txtCmdTimeout, "");
    EXPECT_EQ(w->txtCmdTimeout->text().toStdString(), "1800");
    Type(w->txtCmdTimeout, " 90 ");
    EXPECT_EQ(Config("Generiche", "commandstimeout"), "90");
    EXPECT_FLOAT_EQ(Core.sngCmdTimeout, 90.0f);
    for (const char* text : {"0", "-5", "abc", "1.5", "9999999"}) {
        Type(w->txtCmdTimeout, text);
        EXPECT_EQ(w->txtCmdTimeout->text().toStdString(), "90") << text;
        EXPECT_EQ(Config("Generiche", "commandstimeout"), "90") << text;
        EXPECT_FLOAT_EQ(Core.sngCmdTimeout, 90.0f) << text;
    }
}

TEST_F(CommWindowTest, StoredValuesOutsideTheListsShowClampedAndAreNotWrittenBack) {
    Write("config.ini", "[Communication]\r\nbaud=0\r\n[Casse]\r\nC0=1|||R022002|1|0|0|1\r\n"
                        "C1=2|||R022002|17|0|1|1\r\n");
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM5", "/dev/ttyUSB0"));
    frmComm* w = Open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->cbBaud->currentText().toStdString(), "19200");
    // Register 2's port 17 is no entry of the list: nothing is selected.
    Choose(w->cbIndirizzo, 1);
    EXPECT_EQ(w->cbPorta->currentIndex(), -1);
    EXPECT_EQ(Config("Communication", "baud"), "0");

    Choose(w->cbBaud, 2);
    EXPECT_EQ(Config("Communication", "baud"), "3");
    Choose(w->cbPorta, 4);
    EXPECT_EQ(w->cbPorta->currentText().toStdString(), "COM5 (/dev/ttyUSB0)");
    EXPECT_EQ(w->cbPorta->itemText(0).toStdString(), "COM1 (/dev/ttyS0)");
    EXPECT_EQ(Core.nCommPort, 5);
    EXPECT_EQ(CassaList[1].port, "5");
    EXPECT_NE(Config("Casse", "C1").find("|5|"), std::string::npos) << Config("Casse", "C1");
    platform::SaveSetting("Ports", "COM5", "");
}

TEST_F(CommWindowTest, TheHelloTypeChangesOnlyWhenTheQuestionIsAnsweredYes) {
    frmComm* w = Open();
    ASSERT_TRUE(w);
    shell->QueueAnswer(false);
    w->chkHelloType->click();
    EXPECT_FALSE(w->chkHelloType->isChecked());
    EXPECT_EQ(udtCassaConf.nHelloType, 0);
    ASSERT_EQ(shell->questions.size(), 1u);
    EXPECT_EQ(shell->questions[0].text, "Change the way the register is greeted?");
    w->cmdSave->click();
    EXPECT_EQ(Cassa("Communication", "hellotype"), "0");
    // Answered once an operation has another register's options open: they
    // keep their hello type.
    Write("Cassa2/Cassa.txt", "[Communication]\r\nhellotype=0\r\n");
    shell->underQuestion = [this] { Core.nOpenCash = 1; Core.strCashDir = dir.file("Cassa2"); LoadCassa(false); };
    w->chkHelloType->click();
    EXPECT_EQ(udtCassaConf.nHelloType, 0);
    EXPECT_EQ(shell->status, GetText("Msg", "otherfolder"));
    shell->underQuestion = nullptr;
    Core.nOpenCash = 0;
    Core.strCashDir = dir.file("Cassa1");
    LoadCassa(false);

    shell->QueueAnswer(true);
    w->chkHelloType->click();
    w->cmdSave->click();
    EXPECT_EQ(Cassa("Communication", "hellotype"), "1");
}

TEST_F(CommWindowTest, ChoosingARegisterSavesTheOneShownFirstButNeverWhileAnExchangeRuns) {
    const std::string before = Read("Cassa1/Cassa.txt");
    frmComm* w = Open();
    ASSERT_TRUE(w);
    // Opening saves nothing; a Save then says that nothing was changed.
    EXPECT_EQ(Read("Cassa1/Cassa.txt"), before);
    EXPECT_TRUE(shell->questions.empty());
    w->cmdSave->click();
    EXPECT_EQ(shell->status, GetText("Msg", "nochange"));

    w->numbers["txtP921"]->setText("7");
    shell->QueueAnswer(true);
    Choose(w->cbIndirizzo, 1);
    EXPECT_EQ(shell->questions.size(), 1u);
    EXPECT_EQ(shell->status, "Saved");
    EXPECT_EQ(P9("21", 1), "7");
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(LinkState.nCurCash, 1);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa2"));

    // While a command waits in the queue or runs, the register stays.
    std::string text = "*2;+4;*F;*3;";
    AddCmd(text, 1, 2.5f, "");
    const std::string cassa2 = Read("Cassa2/Cassa.txt");
    w->numbers["txtP921"]->setText("9");
    Choose(w->cbIndirizzo, 0);
    EXPECT_EQ(w->cbIndirizzo->currentIndex(), 1);
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(LinkState.nAddress, 1);
    EXPECT_EQ(Read("Cassa2/Cassa.txt"), cassa2);
    EXPECT_EQ(shell->status, GetText("Msg", "busy"));
    EXPECT_TRUE(CmdQueuePending());
}

// After a Load, the boxes the user changed while the read ran stay over what
// was read, the others show the read's values, and choosing another
// register asks about the change as leaving does.
TEST_F(CommWindowTest, AChangeKeptOverTheReadIsLaidOverItAndAskedAboutAtTheSwitch) {
    const struct {
        int keep;          // the answer: 1 Yes, 0 No, -1 the question closed
        const char* p921;  // what Cassa1 holds after the switch
    } cases[] = {{1, "17"}, {0, "9"}, {-1, "9"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keep);
        CloseMain();
        Write("Cassa1/Cassa.txt", "[P9]\r\n11=128\r\n21=5\r\n23=3\r\n");
        CmdQueue = CmdQueueState{};
        frmComm* w = Open();
        ASSERT_TRUE(w);
        shell->questions.clear();
        w->cmdLoad->click();
        ASSERT_TRUE(CmdQueuePending());
        w->numbers["txtP921"]->setText("17");
        // The register's values arrive and are written, as the read's end does.
        udtCassaConf.P921 = 9;
        udtCassaConf.P923 = 7;
        udtCassaConf.P911 = static_cast<int16_t>(udtCassaConf.P911 | 16);
        ASSERT_TRUE(SaveCassa());
        RefreshForm();
        EXPECT_EQ(w->numbers["txtP921"]->text().toStdString(), "17");
        EXPECT_EQ(w->numbers["txtP923"]->text().toStdString(), "7");
        EXPECT_TRUE(w->checks["chkP911D"]->isChecked());
        // A command is still to come: the read's end is said once, after it.
        EXPECT_EQ(shell->status, "");
        for (CmdQueueEntry& e : CmdQueue.entries) e.state = 0;
        LinkState.nState = 2;
        RefreshForm();
        EXPECT_EQ(w->numbers["txtP921"]->text().toStdString(), "17");
        EXPECT_EQ(shell->status, GetText("Msg", "readkept"));
        EXPECT_TRUE(shell->questions.empty());
        LinkState.nState = 0;
        CmdQueue = CmdQueueState{};  // the read is over
        OperationTick();
        shell->questions.clear();
        shell->QueueAnswer(c.keep == 1);
        shell->closes = c.keep < 0;
        Choose(w->cbIndirizzo, 1);
        EXPECT_EQ(shell->questions.size(), 1u);
        EXPECT_EQ(P9("21", 1), c.p921);
        EXPECT_EQ(P9("23", 1), "7");
        // Closed: the register and its change stay on screen.
        EXPECT_EQ(Core.nOpenCash == 0, c.keep < 0);
        EXPECT_EQ(w->numbers["txtP921"]->text() == "17", c.keep < 0);
        shell->answers.clear();
        Choose(w->cbIndirizzo, 0);
    }
}

// Opened while an operation runs, the window shows the register chosen and
// its list, nothing of an options record that may be another register's or
// half read, and writes nothing; the settings come when the operation ends.
TEST_F(CommWindowTest, OpenedDuringAnOperationItShowsItsRegisterWhenItEndsAndSavesNothingBefore) {
    Write("Cassa2/Cassa.txt", "[P0]\r\n13=2\r\n[P9]\r\n11=128\r\n21=44\r\n");
    for (const bool otherFolderOpen : {false, true}) {
        SCOPED_TRACE(otherFolderOpen);
        CloseMain();
        CmdQueue = CmdQueueState{};
        frmComm* w = Open();
        ASSERT_TRUE(w);
        Choose(w->cbIndirizzo, 1);
        Tick(w->chkEna[1], true);
        ShowForm("K_FRMNULL");
        const std::string config = Read("config.ini"), cassa1 = Read("Cassa1/Cassa.txt"),
                          cassa2 = Read("Cassa2/Cassa.txt");
        std::string text = "*2;+4;&Q;#H;*3;";
        AddCmd(text, 1, 2.5f, "");
        // A bulk operation has the first register's folder open meanwhile.
        if (otherFolderOpen) {
            Core.nOpenCash = 0;
            LinkState.nAddress = 0;
            Core.strCashDir = dir.file("Cassa1");
            LoadCassa(false);
        }
        w = Open();
        ASSERT_TRUE(w);
        EXPECT_EQ(w->cbIndirizzo->currentIndex(), 1);
        EXPECT_TRUE(w->chkConf[0]->isChecked() && w->chkConf[1]->isChecked());
        EXPECT_EQ(w->numbers["txtP921"]->text().toStdString(), "");
        EXPECT_FALSE(w->Frame4->isEnabled());
        EXPECT_EQ(shell->status, GetText("Msg", "commwait"));
        w->cmdSave->click();
        ShowForm("K_FRMNULL");  // leaving saves nothing
        EXPECT_EQ(Read("config.ini"), config);
        EXPECT_EQ(Read("Cassa1/Cassa.txt"), cassa1);
        EXPECT_EQ(Read("Cassa2/Cassa.txt"), cassa2);

        w = Open();
        ASSERT_TRUE(w);
        CmdQueue = CmdQueueState{};  // the operation ends
        LinkState.nState = 0;
        SelectCash();
        w->cmdLoad->click();  // before the timer's turn: the settings come, nothing is read unseen
        EXPECT_FALSE(CmdQueuePending());
        // The window comes anew, as the editors waiting for their folder do.
        shelltest::EventsUntil([&w] {
            w = dynamic_cast<frmComm*>(CurrentEditor());
            return w && w->isEnabled();
        });
        ASSERT_TRUE(w);
        EXPECT_EQ(w->numbers["txtP921"]->text().toStdString(), "44");
        EXPECT_EQ(Core.strCashDir, dir.file("Cassa2"));
        w->cmdSave->click();
        EXPECT_EQ(P9("21", 2), "44");
        EXPECT_EQ(P9("13", 2), "2");  // the station address + 1
        EXPECT_EQ(P9("21", 1), "5");
        EXPECT_EQ(Config("Casse", "C1").substr(0, 2), "2|");
    }
}

// Opened before an operation, the window writes nothing while it runs: not
// the register's settings (another register's folder may be open), nor the
// register list or the ports the operation works from. Each refusal says
// why; leaving without a change asks and says nothing.
TEST_F(CommWindowTest, WhileAnOperationRunsNothingItWorksFromIsWritten) {
    Write("Cassa2/Cassa.txt", "[P0]\r\n13=2\r\n[P9]\r\n11=128\r\n21=44\r\n");
    const struct {
        const char* act;
        bool otherFolder;  // the operation has register 1's folder open
        const char* said;
    } cases[] = {{"save", true, "otherfolder"}, {"save", false, "commbusy"}, {"enabled", true, "commbusy"},
                 {"port", false, "commbusy"},   {"baud", true, "commbusy"},    {"leave", true, ""},
                 {"keylock", false, "commbusy"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.act) + (c.otherFolder ? " other" : " own"));
        CloseMain();
        CmdQueue = CmdQueueState{};
        frmComm* w = Open();
        ASSERT_TRUE(w);
        Choose(w->cbIndirizzo, 1);
        const std::string config = Read("config.ini"), cassa1 = Read("Cassa1/Cassa.txt"),
                          cassa2 = Read("Cassa2/Cassa.txt");
        std::string text = "*2;+4;&Q;#H;*3;";
        AddCmd(text, 1, 2.5f, "");
        if (c.otherFolder) {
            Core.nOpenCash = 0;
            LinkState.nAddress = 0;
            Core.strCashDir = dir.file("Cassa1");
            LoadCassa(false);
        }
        shell->questions.clear();
        shell->status.clear();
        const bool ticked = w->chkEna[1]->isChecked();
        const std::string act = c.act;
        if (act == "save") w->cmdSave->click();
        if (act == "enabled") w->chkEna[1]->click();
        if (act == "port") Choose(w->cbPorta, 5);
        if (act == "baud") Choose(w->cbBaud, 2);
        if (act == "leave") ShowForm("K_FRMNULL");
        if (act == "keylock") w->chkKeyLock->click();
        EXPECT_FALSE(Core.bKeyLock || w->chkKeyLock->isChecked());
        EXPECT_EQ(shell->status, *c.said ? GetText("Msg", c.said) : "");
        EXPECT_TRUE(shell->questions.empty());
        EXPECT_EQ(Read("config.ini"), config);
        EXPECT_EQ(Read("Cassa1/Cassa.txt"), cassa1);
        EXPECT_EQ(Read("Cassa2/Cassa.txt"), cassa2);
        if (act == "leave") continue;
        EXPECT_EQ(w->chkEna[1]->isChecked(), ticked);
        EXPECT_EQ(w->cbPorta->currentIndex(), 1);
        EXPECT_EQ(w->cbBaud->currentIndex(), CommBaudIndex());
    }
}

// A register chosen here is listed in the tree as soon as the choice defines it, and marked.
TEST_F(CommWindowTest, TheTreeListsAndMarksTheRegisterChosenHere) {
    Write("config.ini", "[Casse]\r\nC0=1|SHOP|EMU|R022002|1|0|0|1\r\n");
    frmComm* w = Open();
    ASSERT_TRUE(w);
    auto nodes = [] {
        std::vector<std::string> out;
        QTreeWidgetItem* registers = fDocForm->Tree()->topLevelItem(0);
        for (int i = 0; i < registers->childCount(); ++i)
            out.push_back((registers->child(i)->font(0).bold() ? "*" : "") +
                          registers->child(i)->text(0).toStdString());
        return out;
    };
    EXPECT_EQ(nodes(), std::vector<std::string>{"*Register 1 - SHOP"});
    Choose(w->cbIndirizzo, 2);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa3"));
    EXPECT_EQ(nodes(), (std::vector<std::string>{"Register 1 - SHOP", "*Register 3"}));
    Choose(w->cbIndirizzo, 0);
    EXPECT_EQ(nodes(), (std::vector<std::string>{"*Register 1 - SHOP", "Register 3"}));
}

TEST_F(CommWindowTest, ThePhoneBookEntryIsKeptByItsKey) {
    Write("PhoneBook.ini", "[PhoneBook]\r\n1=Office|111\r\n2=|\r\n3=Shop|333\r\n");
    Write("Cassa1/Cassa.txt", "[P9]\r\n11=129\r\n[Communication]\r\nPhoneBookIndex=3\r\n");
    frmComm* w = Open();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->cbxNumTel->isVisible());
    EXPECT_EQ(w->cbxNumTel->count(), 2);  // the deleted entry is not listed
    EXPECT_EQ(w->cbxNumTel->currentText().toStdString(), "Shop");
    w->cmdSave->click();
    EXPECT_EQ(udtCassaConf.nPhoneBookIndex, 3);

    Choose(w->cbxNumTel, 0);
    w->cmdSave->click();
    EXPECT_EQ(Cassa("Communication", "PhoneBookIndex"), "1");

    // A key that names a deleted entry selects nothing.
    udtCassaConf.nPhoneBookIndex = 2;
    w->ShowConf();
    EXPECT_EQ(w->cbxNumTel->currentIndex(), -1);

    // No modem: the list goes, and the entry with it.
    w->checks["chkP911H"]->click();
    EXPECT_FALSE(w->cbxNumTel->isVisible());
    w->cmdSave->click();
    EXPECT_EQ(udtCassaConf.nPhoneBookIndex, 0);
    EXPECT_EQ(P9("11"), "128");
}

TEST_F(CommWindowTest, SendAndLoadQueueTheTransfersOfAnEnabledRegisterOnly) {
    frmComm* w = Open();
    ASSERT_TRUE(w);
    w->numbers["txtP921"]->setText("12");
    w->cmdSend->click();
    EXPECT_EQ(P9("21"), "12");
    ASSERT_EQ(CmdQueue.nCmdNum, 2);
    EXPECT_EQ(CmdQueue.entries[1].command, "*2;+4;*n;*3;");
    EXPECT_FLOAT_EQ(CmdQueue.entries[1].time, 20.5f);
    EXPECT_EQ(CmdQueue.entries[2].command, "*2;+4;*t;*3;");

    // A refused value is neither saved nor sent.
    CmdQueue = CmdQueueState{};
    w->numbers["txtP923"]->setText("0");
    w->cmdSend->click();
    EXPECT_FALSE(CmdQueuePending());
    w->ShowConf();

    w->cmdLoad->click();
    ASSERT_EQ(CmdQueue.nCmdNum, 2);
    EXPECT_EQ(CmdQueue.entries[1].command, "*2;+4;&m;#H;*3;");
    EXPECT_EQ(CmdQueue.entries[2].command, "*2;+4;&u;#H;*3;");
    // Another node chosen in the tree while the read runs, the change kept
    // (No): the window stays, and so does its node.
    w->numbers["txtP921"]->setText("13");
    shell->answers = {false};
    QTreeWidget* tree = fDocForm->Tree();
    QTreeWidgetItem* other = tree->findItems(QString::fromStdString(GetText("Nodi", "opgen")),
                                             Qt::MatchExactly | Qt::MatchRecursive).front();
    tree->setCurrentItem(other);
    emit tree->itemClicked(other, 0);
    EXPECT_EQ(CurrentEditor(), dynamic_cast<EditorForm*>(w));
    EXPECT_EQ(tree->currentItem()->text(0).toStdString(), GetText("Nodi", "comm"));
    w->ShowConf();

    // Register 2 is not enabled for work.
    CmdQueue = CmdQueueState{};
    Choose(w->cbIndirizzo, 1);
    shell->msgBoxes.clear();
    w->cmdSend->click();
    w->cmdLoad->click();
    EXPECT_FALSE(CmdQueuePending());
    EXPECT_EQ(shell->msgBoxes.size(), 2u);

    // The keep-locked box locks and releases the keyboard.
    CmdQueue = CmdQueueState{};
    Choose(w->cbIndirizzo, 0);
    w->chkKeyLock->click();
    EXPECT_TRUE(Core.bKeyLock);
    EXPECT_EQ(CmdQueue.entries[1].command, "*2;");
    CmdQueue = CmdQueueState{};  // the lock's operation over
    w->chkKeyLock->click();
    EXPECT_FALSE(Core.bKeyLock);
    EXPECT_EQ(CmdQueue.entries[1].command, "*3;");
}

// Every control that shows stands whole in the part of the editor area
// that the main window shows at its default size, covers no other control,
// and says something.
void ExpectNothingCut(frmMain& main, frmComm* w) {
    QWidget* area = main.EditorArea()->viewport();
    const QRect sight(area->mapTo(&main, QPoint(0, 0)), area->size());
    std::vector<QWidget*> shown;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (!c->isVisible() || c->objectName().isEmpty() || c->objectName().startsWith("qt_")) continue;
        const std::string name = c->objectName().toStdString();
        EXPECT_TRUE(sight.contains(QRect(c->mapTo(&main, QPoint(0, 0)), c->size()))) << name;
        if (!qobject_cast<QGroupBox*>(c) && !qobject_cast<QTabWidget*>(c)) shown.push_back(c);
        QString text;
        if (auto* label = qobject_cast<QLabel*>(c)) text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(c)) text = button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(c)) text = group->title();
        else continue;
        // The register's data are empty while it has not answered.
        const bool value = name == "lblMatricola" || name == "lblTipo" || name == "lblVersione";
        const bool box = name.rfind("chkEna_", 0) == 0 || name.rfind("chkConf_", 0) == 0;
        EXPECT_GE(c->width(), c->minimumSizeHint().width()) << name;
        if (!value && !box) {
            EXPECT_FALSE(text.isEmpty()) << name;
            EXPECT_GE(c->width(), c->sizeHint().width()) << name;
        }
    }
    const auto at = [w](QWidget* c) { return QRect(c->mapTo(w, QPoint(0, 0)), c->size()); };
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(at(shown[i]).intersects(at(shown[j])))
                << shown[i]->objectName().toStdString() << " and " << shown[j]->objectName().toStdString();
}

TEST_F(CommWindowTest, OnScreenInEnglishAndItalianWithTheServicePageInServiceModeOnly) {
    const struct {
        const char* file;
        bool service;
        std::string picture;
        const char* caption;
    } cases[] = {
        {"Testi.eng", false, "comm_eng", "Communication settings"},
        {"Testi.ita", false, "comm_ita", "Impostazioni di comunicazione"},
        {"Testi.eng", true, "comm_eng_service", "Communication settings"},
        {"Testi.ita", true, "comm_ita_service", "Impostazioni di comunicazione"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        CloseMain();
        Core.strLangFile = dir.file(c.file);
        ConfigLevel.ServiceMode(c.service);
        frmComm* w = Open();
        ASSERT_TRUE(w);
        EXPECT_EQ(w->windowTitle().toStdString(), c.caption);
        EXPECT_EQ(w->fmeService->isVisibleTo(w->Frame4), c.service);
        EXPECT_TRUE(w->lblMemPages[2]->isVisibleTo(w->Frame4) == c.service);  // this model has them
        // Each page in its turn, as the main window shows it at its default
        // size; a register reached through a modem shows its phone-book
        // entry too.
        Tick(w->checks["chkP911H"], true);
        for (int page = 0; page < w->sstComm->count(); ++page) {
            SCOPED_TRACE(page);
            w->sstComm->setCurrentIndex(page);
            QCoreApplication::processEvents();
            ExpectNothingCut(*main, w);
            shelltest::Picture(main.get(), (c.picture + std::to_string(page)).c_str());
        }
    }
    ConfigLevel.ServiceMode(false);
}

}  // namespace
