// The option-editor frame through a small editor of two register-wide
// options: a flag (P510 bit 128) and a number 0 to 100 (P513).
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/texts.h"
#include "ui/editor_fixture.h"
#include "core/field_rules.h"
#include "engine/builders_tables.h"
#include "engine/open_register.h"
#include "link/cmd_queue.h"
#include "engine/operation.h"
#include "ui/frmProgress.h"
#include "ui/option_editor.h"
#include "ui/controls/range_controls.h"

namespace {

class frmTwoOptions : public OptionEditor {
public:
    frmTwoOptions() {
        chkP510A = NewCheck(this, "chkP510A");
        chkP510A->setText("A");
        txtP513 = new FieldBox(this, "txtP513", 3);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(chkP510A);
        layout->addWidget(txtP513);
        layout->addLayout(ButtonRow());
    }
    void ShowConf() override {
        chkP510A->setChecked(udtCassaConf.P510 & 128);
        txtP513->Show(std::to_string(udtCassaConf.P513));
    }
    QCheckBox* chkP510A;
    FieldBox* txtP513;
    int requests = 0, sends = 0;

protected:
    void InitForm() override { NumberedTexts(this, "17"); }
    bool SetConf() override {
        bool ok = true;
        udtCassaConf.P510 = static_cast<int16_t>((udtCassaConf.P510 & 127) | (chkP510A->isChecked() ? 128 : 0));
        int64_t v = 0;
        if (fields::TakeWhole(txtP513->Typed(), 0, 100, v))
            udtCassaConf.P513 = static_cast<int16_t>(v);
        else
            ok = false;
        return ok;
    }
    void Request() override {
        ++requests;
        ReqGlbCassa();
    }
    void Send() override { ++sends; }
};

class OptionEditorTest : public editortest::EditorTest {
protected:
    frmTwoOptions* Options() {
        // The program's own editors are registered as the main window loads.
        if (!main_) Main();
        RegisterEditor("K_FRMGLBCASSA", [] { return EditorWindow::Show(new frmTwoOptions); });
        return Open<frmTwoOptions>("K_FRMGLBCASSA");
    }
};

TEST_F(OptionEditorTest, ARefusedFieldWritesNothingAndLeavesTheWorkingCopy) {
    frmTwoOptions* w = Options();
    const std::string before = File("Cassa.txt");
    const CassaConfRec options = udtCassaConf;
    w->chkP510A->setChecked(!w->chkP510A->isChecked());
    Type(w->txtP513, "500");
    w->cmdSend->click();
    ExpectRefused(before);
    EXPECT_TRUE(udtCassaConf == options);
    EXPECT_EQ(w->sends, 0);

    // Valid: Send asks about the change, No writes the options as they were
    // and the send goes on.
    Type(w->txtP513, "50");
    shell.answers = {false};
    w->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_TRUE(udtCassaConf == options);
    EXPECT_EQ(w->sends, 1);
    // Save never asks.
    w->cmdSave->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_NE(File("Cassa.txt").find("13=50\r\n"), std::string::npos);
    EXPECT_EQ(udtCassaConf.P513, 50);
    // Load with a change asks first, as leaving does; No drops it.
    Type(w->txtP513, "60");
    shell.answers = {false};
    w->cmdLoad->click();
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(Shown(w->txtP513), "50");  // the change dropped shows no more
    EXPECT_NE(File("Cassa.txt").find("13=50\r\n"), std::string::npos);
    EXPECT_EQ(w->requests, 1);
    // Leaving with a value refused, no field named: asked; No stays.
    ClearCmdQueue();  // the read is over
    OperationTick();
    Type(w->txtP513, "500");
    shell.answers = {false};
    EXPECT_FALSE(CloseCurrentEditor());
    EXPECT_EQ(shell.questions.back(), "Changed data: The change could not be saved (the status bar says why). "
                                      "Drop the change and leave?");
}

// An operation that another window starts (bulk programming) sends the
// options from Cassa.txt: a change not saved is asked about first. Yes saves
// it, No drops it; the question closed starts nothing and keeps it unsaved;
// a value refused stays on screen, unasked.
TEST_F(OptionEditorTest, AChangeIsAskedAboutBeforeAnOperationSendsTheFile) {
    frmTwoOptions* w = Options();
    const struct {
        const char* typed;
        int answer;
        bool starts;
        size_t questions;
        const char* shown;
    } rows[] = {{"50", true, true, 1, "50"},
                {"60", false, true, 1, "50"},
                {"70", editortest::ScriptedShell::kClose, false, 1, "70"},
                {"500", true, true, 0, "500"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.typed);
        shell.questions.clear();
        Type(w->txtP513, r.typed);
        shell.answers = {r.answer};
        EXPECT_EQ(MayStartOperation(), r.starts);
        EXPECT_EQ(shell.questions.size(), r.questions);
        EXPECT_NE(File("Cassa.txt").find("13=50\r\n"), std::string::npos);
        EXPECT_EQ(Shown(w->txtP513), r.shown);
        OperationTick();
    }
}

// The read's refresh shows the options as read, with only the controls the
// user changed meanwhile laid over them, to be asked about.
TEST_F(OptionEditorTest, TheReadsRefreshKeepsOnlyAChangeMadeWhileItRan) {
    frmTwoOptions* w = Options();
    const struct {
        const char* name;
        const char* typed;  // typed into the number box while the read runs (nullptr: untouched)
        bool tick;          // the box ticked while the read runs
        int16_t readFlag;   // the flag word the read brings
        const char* number;
        bool ticked;
    } rows[] = {
        {"untouched", nullptr, false, 128, "33", true},
        {"number typed", "70", false, 128, "70", true},
        {"box ticked", nullptr, true, 0, "33", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        w->chkP510A->setChecked(false);
        Type(w->txtP513, "50");
        w->cmdSave->click();
        w->cmdLoad->click();
        ASSERT_TRUE(CmdQueuePending());
        udtCassaConf.P513 = 33;  // the register's values arrive
        udtCassaConf.P510 = r.readFlag;
        if (r.typed) Type(w->txtP513, r.typed);
        if (r.tick) w->chkP510A->setChecked(true);
        RefreshForm();
        EXPECT_EQ(Shown(w->txtP513), r.number);
        EXPECT_EQ(w->chkP510A->isChecked(), r.ticked);
        EXPECT_TRUE(shell.questions.empty());
        ClearCmdQueue();  // the read is over
        OperationTick();
    }
    shell.answers = {false};
    CloseCurrentEditor();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(udtCassaConf.P513, 33);
    EXPECT_EQ(udtCassaConf.P510, 0);
}

// A read of the register's options (by another window's operation) ended
// while "Save the changes?" was open: Yes writes the box the user ticked over
// the options as read; No keeps the options as read.
TEST_F(OptionEditorTest, YesAfterAReadOfTheOptionsUnderTheQuestionWritesOnlyTheUsersChangeOverIt) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        frmTwoOptions* w = Options();
        Type(w->txtP513, "20");
        w->chkP510A->setChecked(false);
        w->cmdSave->click();
        w->chkP510A->setChecked(true);
        shell.underQuestion = [] {
            udtCassaConf.P513 = 55;
            ASSERT_TRUE(SaveCassa());
        };
        shell.answers = {yes};
        ShowForm("K_FRMNULL");
        EXPECT_EQ(CurrentEditor(), nullptr);
        LoadCassa(false);
        EXPECT_EQ(udtCassaConf.P513, 55);
        EXPECT_EQ((udtCassaConf.P510 & 128) != 0, yes);
    }
}

// Opened while an operation has another register's folder open, the editor
// shows nothing of that register's options and writes nothing; when the
// operation is over it comes on screen anew with its own register's.
TEST_F(OptionEditorTest, AnotherRegistersOptionsOpenForAnOperationAreNeitherShownNorToldAsAChange) {
    frmTwoOptions* w = Options();
    Type(w->txtP513, "20");
    w->cmdSave->click();
    Write("Shop/Cassa2/Cassa.txt", "[P5]\r\n13=77\r\n");
    const std::string cassa1 = File("Cassa.txt"), cassa2 = Read("Shop/Cassa2/Cassa.txt");
    const auto otherFolder = [this] {
        std::string text = "*2;+4;&Q;*3;";
        AddCmd(text, 1, 2.5f, "");
        Core.nOpenCash = 1;
        LinkState.nAddress = 1;
        Core.strCashDir = dir.file("Shop/Cassa2");
        LoadCassa(false);
    };
    // Open before the operation started: leaving meanwhile asks about a
    // change of the user's only, never about the other register's options.
    // Answered once the other folder is open: the change stays on screen.
    const struct {
        const char* typed;
        size_t questions;
        bool underQuestion;
        bool yes;  // No drops the change whoever's folder is open: the editor leaves
    } leaving[] = {{"20", 0, false, true}, {"21", 1, false, true}, {"22", 1, true, true}, {"23", 1, true, false}};
    for (const auto& l : leaving) {
        SCOPED_TRACE(l.typed);
        w = Options();
        ASSERT_TRUE(MayStartOperation());
        Type(w->txtP513, l.typed);
        if (l.underQuestion)
            shell.underQuestion = otherFolder;
        else
            otherFolder();
        shell.answers = {l.yes};
        ShowForm("K_FRMNULL");
        EXPECT_EQ(shell.questions.size(), l.questions);
        EXPECT_EQ(Read("Shop/Cassa2/Cassa.txt"), cassa2);
        EXPECT_EQ(udtCassaConf.P513, 77);
        EXPECT_EQ(CurrentEditor() == w, l.underQuestion && l.yes);
        if (l.underQuestion && l.yes) {
            // The refusal after Yes stays over the operation's next lines,
            // listed in the progress window too, until the user acts.
            const std::string refusal = Status();
            ShowMsg("30", "2"), ShowResult("Sent to register 2"), ShowOperationEnd();
            EXPECT_EQ(Status(), refusal);
            const QString listed = QString::fromStdString(refusal);
            EXPECT_EQ(frmProgress::Instance()->lstMessages->findItems(listed, Qt::MatchExactly).size(), 1);
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &key);
            // The user acted: the end the refusal covered is seen.
            EXPECT_EQ(Status(), "Sent to register 2");
            ShowMsg("30", "2");
            EXPECT_EQ(Status(), "Sending operators - in progress");
        }
        shell.questions.clear();
        ClearCmdQueue();
        OperationTick();
        SelectCash();
        if (l.underQuestion) shell.answers = {false};
        ShowForm("K_FRMNULL");
        shell.questions.clear();
    }
    EXPECT_EQ(File("Cassa.txt"), cassa1);
    otherFolder();
    const struct {
        const char* name;
        void (*act)(frmTwoOptions*);
        bool says;  // the waiting is said (leaving writes nothing, says nothing)
    } acts[] = {{"Save", [](frmTwoOptions* e) { e->cmdSave_Click(); }, true},
                {"Send", [](frmTwoOptions* e) { e->cmdSend_Click(); }, true},
                {"leave", [](frmTwoOptions*) { ShowForm("K_FRMNULL"); }, false}};
    for (const auto& a : acts) {
        SCOPED_TRACE(a.name);
        w = Options();
        ASSERT_TRUE(w);
        EXPECT_NE(Shown(w->txtP513), "77");
        EXPECT_FALSE(w->isEnabled());
        a.act(w);
        EXPECT_EQ(Status().find("Another register's folder is open") != std::string::npos, a.says) << Status();
        EXPECT_EQ(File("Cassa.txt"), cassa1);
        EXPECT_EQ(Read("Shop/Cassa2/Cassa.txt"), cassa2);
        EXPECT_TRUE(shell.questions.empty());
        EXPECT_EQ(w->sends, 0);
    }
    // The operation's end says how it went, or nothing; the waiting is no
    // longer said.
    for (const char* said : {"Sent to register 2", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(said ? said : "nothing said");
        if (!OperationRunning()) otherFolder();
        w = Options();
        ClearCmdQueue();
        LinkState.nState = 0;
        SelectCash();
        if (said) CurrentShell().SetStatusText(said);
        w = ShownAnew(w);
        ASSERT_TRUE(w);
        EXPECT_EQ(Shown(w->txtP513), "20");
        EXPECT_EQ(Status(), said ? said : "");
    }
}

}  // namespace

namespace {

TEST(RangeControlsTest, AllSwitchesTheLimitsOffAndTheButtonsTakeTheRecordShown) {
    shelltest::App();
    QWidget window;
    RangeControls range(&window, 12, [] { return std::string("000000000042"); });
    range.cmdTo->click();
    EXPECT_EQ(range.txtTo->Text(), "000000000042");
    range.chkAll->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(range.txtFrom), static_cast<QWidget*>(range.txtTo),
                       static_cast<QWidget*>(range.cmdFrom), static_cast<QWidget*>(range.cmdTo)})
        EXPECT_FALSE(w->isEnabled());
    range.chkAll->setChecked(false);
    EXPECT_TRUE(range.cmdFrom->isEnabled());
}

}  // namespace
