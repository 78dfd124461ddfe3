// The operators editor: records saved from its controls byte for byte, the
// rights bits (boxed and not), operator 1's lock, the model gating and the
// chip card: its buttons, requests, the answer to the register and a card
// read shown in the operator's controls.
#include <QMessageBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <map>

#include "core/cash_list.h"
#include "core/main_timer_state.h"
#include "engine/builders_reports.h"
#include "engine/operation.h"
#include "ui/editor_fixture.h"
#include "ui/frmDocument.h"
#include "ui/frmOperatori.h"
#include "store/cards.h"
#include "transfers/cards_transfer.h"

namespace {

constexpr int kLen = 58;

class OperatorsTest : public editortest::EditorTest {
protected:
    frmOperatori* Operators(int16_t model = 9) {
        Main(model);
        return Open<frmOperatori>("K_FRMOPERATORI");
    }
    std::string Operator(int n) const { return Record("Operatori.txt", n, kLen); }
    // Record n of the file replaced (before the editor is opened).
    void PutOperator(int n, const std::string& rec) {
        std::string file = File("Operatori.txt");
        file.replace((n - 1) * kLen, kLen, rec);
        Write("Shop/Cassa1/Operatori.txt", file);
    }
    static std::string Rec(const char* head, const char* rights) {
        std::string name = head;
        name.resize(38, ' ');
        return name + rights + "\r\n";
    }
    void Tick(frmOperatori* w, std::initializer_list<const char*> names) {
        for (const char* n : names) w->Check(n)->setChecked(true);
    }
};

TEST_F(OperatorsTest, AnOperatorSavedFromItsControlsByteForByteAndShownBack) {
    frmOperatori* w = Operators();
    EXPECT_EQ(w->cbxOpe->count(), 20);
    EXPECT_EQ(w->cbxOpe->itemText(1), "2");
    Choose(w->cbxOpe, 2);
    Type(w->txtP320C, "7");
    Type(w->txtP320S, "12");
    Type(w->txtP321, "ANNA");
    for (const auto& group : {w->Frame5, w->Frame4, w->Frame3})
        for (QCheckBox* b : group->findChildren<QCheckBox*>()) b->setChecked(false);
    Tick(w, {"chkP322AD", "chkP322AH", "chkP322BA", "chkP322CB"});
    w->cmdSave->click();
    EXPECT_EQ(Operator(2), Rec("02007012ANNA", "017128064000000000"));
    Choose(w->cbxOpe, 3);
    Choose(w->cbxOpe, 2);
    EXPECT_EQ(Shown(w->txtP320C), "7");
    EXPECT_EQ(Shown(w->txtP320S), "12");
    EXPECT_TRUE(shell.questions.empty());
    // The codes take digits only; a separator in the name would shift the
    // fields of the register's record and becomes a blank.
    w->txtP320C->clear();
    w->txtP320C->insert("a");
    w->txtP320C->insert("9");
    EXPECT_EQ(Shown(w->txtP320C), "9");
    Type(w->txtP321, "AN:NA;B");
    w->cmdSave->click();
    EXPECT_EQ(Operator(2).substr(2, 14), "009012AN NA B ");
}

// Bits without a box are written 0 and rights values 4 to 6 "000"; on LX4100
// the hidden boxes still carry their bits through a save.
TEST_F(OperatorsTest, BitsWithoutABoxAndRightsFourToSixAreWrittenZero) {
    for (int16_t model : {9, 1}) {
        SCOPED_TRACE(model);
        Main(model);
        PutOperator(2, Rec("02001002BOB", "255255255001002003"));
        frmOperatori* w = Open<frmOperatori>("K_FRMOPERATORI");
        Choose(w->cbxOpe, 2);
        for (const char* n : {"chkP322AA", "chkP322AH", "chkP322BD", "chkP322CF"})
            EXPECT_TRUE(w->Check(n)->isChecked()) << n;
        // Left unchanged: nothing is asked, as only the unboxed bits differ.
        Choose(w->cbxOpe, 3);
        EXPECT_TRUE(shell.questions.empty());
        EXPECT_EQ(Operator(2), Rec("02001002BOB", "159247252000000000"));
        // Unticking shown boxes clears their bits; the change is asked about.
        Choose(w->cbxOpe, 2);
        for (const char* n : {"chkP322AH", "chkP322BA", "chkP322CA"}) w->Check(n)->setChecked(false);
        Choose(w->cbxOpe, 3);
        EXPECT_EQ(shell.questions.size(), 1u);
        EXPECT_EQ(Operator(2), Rec("02001002BOB", "158119124000000000"));
        // Answered No: the record stays as the file had it.
        Choose(w->cbxOpe, 2);
        w->Check("chkP322AG")->setChecked(false);
        shell.answers = {false};
        Choose(w->cbxOpe, 3);
        EXPECT_EQ(Operator(2), Rec("02001002BOB", "158119124000000000"));
        shell.questions.clear();
        CloseCurrentEditor();
    }
}

TEST_F(OperatorsTest, AnOperatorThatCannotBeReadShowsNothingSoNothingIsSavedOverIt) {
    frmOperatori* w = Operators();
    Choose(w->cbxOpe, 20);
    Choose(w->cbxOpe, 2);
    Type(w->txtP321, "ANNA");
    // The file loses its last record behind the editor's back.
    const std::string cut = File("Operatori.txt").substr(0, 19 * kLen);
    Write("Shop/Cassa1/Operatori.txt", cut);
    shell.answers = {true};
    Choose(w->cbxOpe, 20);
    EXPECT_EQ(w->CurItem(), 0);
    EXPECT_EQ(Shown(w->txtP321), "");
    w->cmdSave->click();
    Choose(w->cbxOpe, 1);
    EXPECT_EQ(File("Operatori.txt").size(), 19u * kLen);
    EXPECT_EQ(Operator(2).substr(8, 4), "ANNA");
}

TEST_F(OperatorsTest, OperatorOneCannotChangeItsFirstTwoRightsValues) {
    frmOperatori* w = Operators();
    Choose(w->cbxOpe, 1);
    EXPECT_FALSE(w->Frame5->isEnabled());
    EXPECT_FALSE(w->Frame4->isEnabled());
    EXPECT_TRUE(w->Frame3->isEnabled());
    Choose(w->cbxOpe, 2);
    EXPECT_TRUE(w->Frame5->isEnabled());
    EXPECT_TRUE(w->Frame4->isEnabled());
}

TEST_F(OperatorsTest, TheModelDecidesTheNameLengthCodeLengthAndCardFrame) {
    struct Case {
        int16_t model;
        int nameLimit, codeLimit;
        bool card;
    } cases[] = {{7, 21, 2, false}, {9, 21, 2, false}, {6, 30, 2, false}, {1, 30, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        frmOperatori* w = Operators(c.model);
        EXPECT_EQ(w->txtP321->Limit(), c.nameLimit);
        EXPECT_EQ(w->txtP320C->Limit(), c.codeLimit);
        EXPECT_EQ(w->Frame6->isVisible(), c.card);
        EXPECT_EQ(w->Check("chkP322AA")->isVisible(), !c.card);
        EXPECT_EQ(w->Check("chkP322CC")->isVisible(), !c.card);
        EXPECT_TRUE(w->Check("chkP322CB")->isVisible());
        CloseCurrentEditor();
    }
}

TEST_F(OperatorsTest, HiddenBoxesOnLX4100StillKeepTheirBits) {
    Main(1);
    PutOperator(3, Rec("03001002CAR", "128000060000000000"));
    frmOperatori* w = Open<frmOperatori>("K_FRMOPERATORI");
    Choose(w->cbxOpe, 3);
    w->Check("chkP322CA")->setChecked(true);
    w->cmdSave->click();
    EXPECT_EQ(Operator(3).substr(38, 9), "128000188");
}

TEST_F(OperatorsTest, LoadKeepsTheOperatorChosenAndShowsItAgainAsRead) {
    frmOperatori* w = Operators();
    Choose(w->cbxOpe, 4);
    Type(w->txtP321, "CHANGED");
    const std::string before = File("Operatori.txt");
    shell.answers = {false};  // the change is asked about first; No drops it
    w->cmdLoad->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&N;#H;*3;"});
    EXPECT_EQ(File("Operatori.txt"), before);
    EXPECT_EQ(w->CurItem(), 4);
    EXPECT_EQ(Shown(w->txtP321), "");  // as kept
    // The read's refresh: operator 4 as the register gave it.
    std::string file = before;
    file.replace(3 * kLen + 8, 4, "READ");
    Write("Shop/Cassa1/Operatori.txt", file);
    ClearCmdQueue();
    RefreshForm();
    EXPECT_EQ(w->CurItem(), 4);
    EXPECT_EQ(w->cbxOpe->currentIndex(), 3);
    EXPECT_EQ(Shown(w->txtP321), "READ");
    EXPECT_EQ(File("Operatori.txt"), file);
    EXPECT_EQ(shell.questions.size(), 1u);
}

// A name saved before the Load is the register's after the read; a bit ticked during the read stays.
TEST_F(OperatorsTest, OnlyWhatIsChangedDuringTheReadIsLaidOverIt) {
    frmOperatori* w = Operators();
    Choose(w->cbxOpe, 20);
    Type(w->txtP321, "FILE20");
    w->cmdSave->click();
    w->cmdLoad->click();
    QCheckBox* bit = w->Check("chkP322AD");
    const bool ticked = !bit->isChecked();
    bit->setChecked(ticked);
    Write("Shop/Cassa1/Operatori.txt", File("Operatori.txt").replace(19 * kLen + 8, 6, "REG20 "));
    RefreshForm();
    EXPECT_EQ(Shown(w->txtP321), "REG20");
    EXPECT_EQ(bit->isChecked(), ticked);
}

// A read that wrote operator 20 anew while "Save the changes?" was open: Yes
// writes only the box the user ticked over the record as read, whether the
// question came from leaving the editor, choosing another operator, or after
// the drop question of a read that ended under it; No and a closed question
// write nothing over the read, and closed keeps the editor at the change.
TEST_F(OperatorsTest, YesAfterAReadUnderTheQuestionWritesOnlyTheUsersChangeOverIt) {
    constexpr int kClose = editortest::ScriptedShell::kClose;
    const std::string read = Rec("20001002REG20", "015247000000000000");
    const struct {
        const char* name;
        bool byList;    // leaves by choosing another operator, else by the tree
        bool readRuns;  // the read's copy is being written when the user leaves
        int answer;     // to "Save the changes?"
    } rows[] = {
        {"tree, Yes", false, false, 1}, {"list, Yes", true, false, 1}, {"drop asked, read ends, Yes", false, true, 1},
        {"tree, No", false, false, 0},  {"tree, closed", false, false, kClose},
    };
    Main();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        PutOperator(20, Rec("20000000OLD", "143247000000000000"));
        auto* w = Open<frmOperatori>("K_FRMOPERATORI");
        Choose(w->cbxOpe, 20);
        Type(w->txtP321, "FILE20B");
        w->cmdSave->click();
        Tick(w, {"chkP322CA"});
        std::string path, error;
        ASSERT_TRUE(!r.readRuns || tables::BeginTableCopy(kOpeFile, path, error)) << error;
        shell.underQuestion = [&] {
            if (!r.readRuns) return PutOperator(20, read);
            Write("Shop/Cassa1/Operatori.txt.part", File("Operatori.txt").replace(19 * kLen, kLen, read));
            ASSERT_TRUE(tables::CommitTableCopy(path, error)) << error;
        };
        shell.answers = {r.answer};
        if (r.readRuns) shell.answers.push_front(1);  // drop the change the read would refuse
        shell.questions.clear();
        if (r.byList)
            Choose(w->cbxOpe, 3);
        else
            ShowForm("K_FRMNULL");
        EXPECT_EQ(shell.questions.size(), r.readRuns ? 2u : 1u);
        EXPECT_EQ(Operator(20), r.answer == 1 ? Rec("20001002REG20", "015247128000000000") : read);
        const bool closed = r.answer == kClose;
        EXPECT_EQ(CurrentEditor() == dynamic_cast<EditorForm*>(w), closed || r.byList);
        EXPECT_TRUE(!closed || w->Check("chkP322CA")->isChecked());
    }
}

TEST_F(OperatorsTest, CardButtonsServeAShownOperatorOnOneRegister) {
    frmOperatori* w = Operators(1);
    EXPECT_FALSE(w->cmdRead->isEnabled());
    w->cmdRead->click();
    w->cmdWrite->click();
    EXPECT_TRUE(Queued().empty());
    Choose(w->cbxOpe, 2);
    EXPECT_TRUE(w->cmdRead->isEnabled() && w->cmdWrite->isEnabled() && w->cmdClear->isEnabled());
    w->cmdLoad->click();  // the operator stays shown, and so do its card buttons
    EXPECT_TRUE(w->cmdRead->isEnabled());
    ClearCmdQueue();
    // With two registers selected for work they stay off.
    CassaList[1].bEnabled = True;
    Choose(w->cbxOpe, 3);
    EXPECT_FALSE(w->cmdRead->isEnabled() || w->cmdWrite->isEnabled() || w->cmdClear->isEnabled());
    // A card operation on the chosen register names no other one at its end.
    OperationTick();  // the Load's end
    Write("Shop/config.ini", "[Casse]\r\nC0=1|Front|||1|1|0|1\r\nC1=2|Back|||1|1|1|1\r\n");
    LoadCasseConf();
    ASSERT_TRUE(ClearChipCard());
    OperationTick();
    EXPECT_EQ(OperationOutcomes()[1], RegisterOutcome::None);
    ClearCmdQueue();
}

TEST_F(OperatorsTest, AWrittenCardCarriesTheControlsToTheRegister) {
    frmOperatori* w = Operators(1);
    Choose(w->cbxOpe, 2);
    Type(w->txtP320C, "7");
    Type(w->txtP320S, "12");
    for (const auto& group : {w->Frame5, w->Frame4, w->Frame3})
        for (QCheckBox* b : group->findChildren<QCheckBox*>()) b->setChecked(false);
    Tick(w, {"chkP322AE", "chkP322AF", "chkP322AG", "chkP322AH", "chkP322BA", "chkP322BB", "chkP322BC",
             "chkP322BD", "chkP322BF", "chkP322BG", "chkP322BH"});
    w->mskData->setText("05/03/24");
    OpeCard.bValid = True;
    w->cmdWrite->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;*a;#H;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].time, 10.0f);
    EXPECT_EQ(OpeCard.bValid, False);
    EXPECT_EQ(AnsOpeCard(), "007:012:15:247:0:0:0:0:050324");
    // A date left partly empty travels as zeros.
    w->mskData->setText("1");
    w->cmdWrite->click();
    EXPECT_EQ(OpeCard.strData, "100000");
    w->cmdRead->click();
    EXPECT_EQ(Queued().back(), "*2;+4;&a;#H;*3;");
}

// A click on the code, "7" typed and a click on Waiters in the tree, the
// first two while a step of the link runs, the last during it too or right
// after it: all go on in their order, to the controls they were aimed at, so
// leaving asks about the code typed; when the editor was loaded anew or a box
// opened meanwhile, they are refused and the status text says so. The tree
// shows the editor on screen whatever came.
TEST_F(OperatorsTest, InputHeldDuringAStepReachesItsControlsInOrderOrIsRefused) {
    enum Meanwhile { kNothing, kEditorLoaded, kBoxOpened };
    const std::string lost = "What you did while the register was busy was not taken: the window changed "
                             "meanwhile. Please do it again.";
    const struct {
        const char* name;
        Meanwhile meanwhile;
        int answer;          // to "Save the changes?"
        const char* shown;   // the code field, when the operators stay
        bool treeInStep;     // the click on Waiters comes during the step too
    } cases[] = {
        {"the editor loaded anew", kEditorLoaded, 1, "", false},
        {"a box opened", kBoxOpened, 1, "2", false},
        {"the question closed", kNothing, editortest::ScriptedShell::kClose, "27", false},
        {"Yes", kNothing, 1, "", false},
        {"Yes, every click in the step", kNothing, 1, "", true},
    };
    Operators();
    const std::string original = File("Operatori.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseCurrentEditor();
        Write("Shop/Cassa1/Operatori.txt", original);
        frmOperatori* w = Operators();
        Choose(w->cbxOpe, 2);
        QCoreApplication::processEvents();  // the windows in their places
        QTreeWidget* tree = fDocForm->Tree();
        std::map<QString, QTreeWidgetItem*> nodes;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) nodes[(*it)->data(0, Qt::UserRole + 1).toString()] = *it;
        tree->setCurrentItem(nodes["K_FRMOPERATORI"]);  // the editor was chosen there
        tree->scrollToItem(nodes["K_FRMCAMERIERI"]);
        const QPoint waiters = tree->visualItemRect(nodes["K_FRMCAMERIERI"]).center();
        shell.questions.clear();
        shell.answers = {c.answer};

        TickInputHold step;
        step.BeginTick();
        // One by one, as the window system hands them over.
        shelltest::PostClick(w->txtP320C);
        QCoreApplication::processEvents();
        shelltest::PostKey(main_.get(), Qt::Key_7, "7");
        if (c.treeInStep) shelltest::PostClick(tree->viewport(), false, waiters);
        QCoreApplication::processEvents();
        if (c.meanwhile == kEditorLoaded) {
            ASSERT_TRUE(ShowForm("K_FRMOPERATORI"));
        }
        if (c.meanwhile == kBoxOpened) {
            MainTimer.bTickRunning = true;
            shell.QtShell::MsgBox("Disk full", "");
            MainTimer.bTickRunning = false;
        }
        step.EndTick();
        if (!c.treeInStep) shelltest::PostClick(tree->viewport(), true, waiters);
        QCoreApplication::processEvents();

        const bool taken = c.meanwhile == kNothing, saved = taken && c.answer == 1;
        const char* editor = saved ? "K_FRMCAMERIERI" : "K_FRMOPERATORI";
        EXPECT_EQ(ShellState.strCurFrmKey, editor);
        EXPECT_EQ(tree->currentItem(), nodes[editor]);
        EXPECT_EQ(Operator(2).substr(0, 5), saved ? "02027" : "02002");
        if (auto* shown = dynamic_cast<frmOperatori*>(CurrentEditor())) {
            EXPECT_EQ(Shown(shown->txtP320C), c.shown);
        }
        EXPECT_EQ(Status(), taken ? (saved ? "Saved" : "") : lost);
        EXPECT_EQ(shell.questions.size(), taken ? 1u : 0u);
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->close();
        shell.answers = {false};  // the change left is dropped
        CloseCurrentEditor();
    }
}

TEST_F(OperatorsTest, EraseAsksFirstAndNeedsNoOperator) {
    frmOperatori* w = Operators(1);
    CassaList[0].bEnabled = True;
    w->cmdClear->setEnabled(true);
    shell.answers = {false, true};
    w->cmdClear->click();
    EXPECT_TRUE(Queued().empty());
    w->cmdClear->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#F;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].answers, 0);
    EXPECT_EQ(shell.questions.front(), GetText("Msg", "74") + ": " + GetText("Msg", "75"));
}

TEST_F(OperatorsTest, AReadCardIsShownInTheOperatorsControlsUntilTheTableIsRead) {
    frmOperatori* w = Operators(1);
    Choose(w->cbxOpe, 2);
    Type(w->txtP321, "ANNA");
    OpeCard = {};
    OpeCard.bValid = True;
    OpeCard.strCodice = "005";
    OpeCard.strCodice2 = "321";
    OpeCard.aP322 = {0, 16, 64, 128, 0, 0, 0};
    OpeCard.strData = "241231";
    RefreshForm();
    EXPECT_EQ(Shown(w->txtP320C), "005");
    EXPECT_EQ(Shown(w->txtP320S), "321");
    EXPECT_EQ(Shown(w->txtP321), "ANNA");
    EXPECT_EQ(Shown(w->mskData), "24/12/31");
    EXPECT_TRUE(w->Check("chkP322AD")->isChecked());
    EXPECT_FALSE(w->Check("chkP322AH")->isChecked());
    EXPECT_TRUE(w->Check("chkP322BB")->isChecked());
    EXPECT_TRUE(w->Check("chkP322CA")->isChecked());
    EXPECT_EQ(w->CurItem(), 2);
    // Leaving the operator asks, then stores the card's values as its record.
    Choose(w->cbxOpe, 3);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Operator(2).substr(0, 16), "02005321ANNA    ");
    // Reading the table clears the card: the refresh refills the list and shows the operator again.
    w->cmdLoad->click();
    EXPECT_EQ(OpeCard.bValid, False);
    Choose(w->cbxOpe, 4);
    RefreshForm();
    EXPECT_EQ(w->CurItem(), 4);
    EXPECT_EQ(Shown(w->txtP320C), "4");
}

}  // namespace
