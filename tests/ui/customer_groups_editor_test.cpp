// The customer groups editor: a group saved from its box, the questions of
// Send and Save, Load and Send clearing the display, and the deletion in the
// register with its range, digits only.
#include "ui/frmGClienti.h"
#include "ui/editor_fixture.h"
#include "ui/controls/range_controls.h"
#include <tuple>
#include "engine/operation.h"
#include "store/table_file.h"
#include "editor_fixture.h"

namespace {

class CustomerGroupsTest : public editortest::EditorTest {
protected:
    frmGClienti* Groups() {
        Main(11);  // ZANDORE: customer groups
        return Open<frmGClienti>("K_FRMGCLIENTI");
    }
    std::string Group(int n) const { return Record("ClientG.txt", n, 26); }
};

TEST_F(CustomerGroupsTest, ADescriptionIsSavedCutToItsFieldAndSaveNeverAsks) {
    frmGClienti* w = Groups();
    EXPECT_EQ(w->cbxClientGroup->count(), 255);
    EXPECT_EQ(w->cbxClientGroup->itemText(6).toStdString(), "7");
    Choose(w->cbxClientGroup, 7);
    Type(w->txtGroupDesc1, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    w->cmdSave->click();
    EXPECT_EQ(Group(7), "007ABCDEFGHIJKLMNOPQRSTU\r\n");
    Type(w->txtGroupDesc1, "  SHOP:ONE ");
    w->cmdSave->click();
    EXPECT_EQ(Group(7), "007SHOP ONE             \r\n");
    EXPECT_TRUE(shell.questions.empty());
    Choose(w->cbxClientGroup, 1);
    Choose(w->cbxClientGroup, 7);
    EXPECT_EQ(Shown(w->txtGroupDesc1), "SHOP ONE");
}

TEST_F(CustomerGroupsTest, SendAsksForAChangeAndClearsTheDisplay) {
    frmGClienti* w = Groups();
    const std::string before = Group(2);
    Choose(w->cbxClientGroup, 2);
    Type(w->txtGroupDesc1, "CHANGED");
    shell.answers = {false};
    w->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Group(2), before);  // No keeps the stored description
    EXPECT_EQ(w->cbxClientGroup->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtGroupDesc1), "");
    EXPECT_EQ(w->CurItem(), 0);
    Choose(w->cbxClientGroup, 3);
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;*o;*3;", "*2;+4;&b;#H;*3;"}));
    EXPECT_EQ(w->CurItem(), 0);
    EXPECT_EQ(Shown(w->txtGroupDesc1), "");
}

TEST_F(CustomerGroupsTest, DeleteQueuesTheWholeTableOrARangeOfDigits) {
    frmGClienti* w = Groups();
    w->cmdDel->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;#F1:255;*3;"}));
    ASSERT_EQ(shell.questions.size(), 1u);
    // The question names every register the deletion goes to.
    EXPECT_NE(shell.questions[0].find("Deleted in every enabled register: Register 1"), std::string::npos)
        << shell.questions[0];

    w->range->chkAll->setChecked(false);
    EXPECT_TRUE(w->range->txtFrom->isEnabled());
    struct Case {
        const char* from;
        const char* to;
        const char* token;  // nullptr: refused
    };
    for (const Case& c : {Case{"9", "3", "#F9:3"}, Case{"007", "255", "#F7:255"}, Case{"0", "5", nullptr},
                          Case{"1", "256", nullptr}, Case{"3x", "5", nullptr}, Case{"3;*", "5", nullptr},
                          Case{"-1", "5", nullptr}, Case{"1.5", "5", nullptr}, Case{"", "5", nullptr}}) {
        CmdQueue = {};
        Type(w->range->txtFrom, c.from);
        Type(w->range->txtTo, c.to);
        w->cmdDel->click();
        if (c.token) {
            EXPECT_EQ(Queued(), (std::vector<std::string>{std::string("*2;+4;") + c.token + ";*3;"})) << c.from;
        } else {
            EXPECT_TRUE(Queued().empty()) << c.from;
            EXPECT_EQ(Status(), "Range limits - the limits are not valid") << c.from;
        }
    }
    // No group shown: From puts 0, which the range refuses; No asks nothing more.
    w->range->cmdFrom->click();
    EXPECT_EQ(Shown(w->range->txtFrom), "0");
    CmdQueue = {};
    shell.answers = {false};
    w->cmdDel->click();
    EXPECT_TRUE(Queued().empty());
    // A change shown whose question is closed unanswered: nothing more is
    // asked, nothing deleted, the change stays.
    Choose(w->cbxClientGroup, 4);
    Type(w->txtGroupDesc1, "NEW");
    shell.questions.clear();
    shell.answers = {editortest::ScriptedShell::kClose};
    w->cmdDel->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(Shown(w->txtGroupDesc1), "NEW");
}

// While a read of the groups runs, neither Save nor the save before Delete
// writes into the read's copy of the file; the edit is saved once it is over.
TEST_F(CustomerGroupsTest, ASaveWhileAReadOfTheGroupsRunsIsRefusedAndSaid) {
    frmGClienti* w = Groups();
    const std::string before = File("ClientG.txt");
    Choose(w->cbxClientGroup, 2);
    for (QPushButton* button : {w->cmdSave, w->cmdDel}) {
        SCOPED_TRACE(button->objectName().toStdString());
        Type(w->txtGroupDesc1, "DURING");
        std::string path, error;
        ASSERT_TRUE(tables::BeginTableCopy("ClientG.txt", path, error)) << error;
        shell.answers = {false};
        button->click();
        EXPECT_EQ(Status(), "A read of this table from the register is in progress: nothing was saved");
        EXPECT_EQ(Read("Shop/Cassa1/ClientG.txt.part"), before);
        tables::DiscardTableCopy(path);
        EXPECT_EQ(File("ClientG.txt"), before);
    }
    w->cmdSave->click();
    EXPECT_EQ(Group(2), "002DURING               \r\n");
}

// The description takes typing only while a group is chosen; a read's end
// never takes the group from under an edit.
TEST_F(CustomerGroupsTest, NoGroupNoTypingAndTheReadsEndKeepsTheGroupEdited) {
    frmGClienti* w = Groups();
    EXPECT_FALSE(w->txtGroupDesc1->isEnabled());
    Choose(w->cbxClientGroup, 6);
    EXPECT_TRUE(w->txtGroupDesc1->isEnabled());
    w->cmdLoad->click();
    EXPECT_FALSE(w->txtGroupDesc1->isEnabled());
    Choose(w->cbxClientGroup, 5);
    Type(w->txtGroupDesc1, "DURING");
    w->cmdSave->click();  // refused: the read runs
    RefreshForm();        // the groups' closing line
    ClearCmdQueue();      // the read is over
    OperationTick();
    EXPECT_EQ(w->CurItem(), 5);
    EXPECT_EQ(w->cbxClientGroup->currentIndex(), 4);
    EXPECT_EQ(Shown(w->txtGroupDesc1), "DURING");
    w->cmdSave->click();
    EXPECT_EQ(Group(5), "005DURING               \r\n");
}

TEST_F(CustomerGroupsTest, TheRangeButtonsSpeakTheWindowsLanguage) {
    for (const auto& [lang, from, to] : {std::tuple{"Testi.eng", "From", "To"}, std::tuple{"Testi.ita", "Da", "A"}}) {
        SCOPED_TRACE(lang);
        Main(11, lang);
        auto* w = Open<frmGClienti>("K_FRMGCLIENTI");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->range->cmdFrom->text().toStdString(), from);
        EXPECT_EQ(w->range->cmdTo->text().toStdString(), to);
        CloseCurrentEditor();
        main_.reset();
    }
}

}  // namespace
