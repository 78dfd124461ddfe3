// The tree window: its progress bar, the sort buffer of the imports, the
// stop request and the register nodes.
#include <QLabel>
#include <QTreeWidget>

#include <functional>

#include "common/fake_shell.h"
#include "link/cmd_queue.h"
#include "engine/document.h"
#include "engine/progress_range.h"
#include "store/sort_buffer.h"
#include "ui/frmDocument.h"
#include "ui/shell_fixture.h"
#include "engine/open_register.h"
#include "shell_fixture.h"
#include "core/config_level.h"

namespace {

using shelltest::ShellTest;

TEST(ProgressRange, RangeValueStepAndBusyMark) {
    ProgressRange bar;
    EXPECT_FALSE(bar.Busy());
    bar.SetRange(1, 3);
    EXPECT_TRUE(bar.Busy());
    EXPECT_EQ(bar.Value(), 1);
    bar.Inc();
    bar.Inc();
    EXPECT_EQ(bar.Value(), 3);
    bar.Inc();  // past the maximum: back to the minimum
    EXPECT_EQ(bar.Value(), 1);

    bar.SetValue(2);
    EXPECT_EQ(bar.Value(), 2);
    bar.SetValue(99);  // kept within the range
    EXPECT_EQ(bar.Value(), 3);
    bar.SetValue(-1);
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_FALSE(bar.Busy());

    bar.SetRange(0, 40000);
    EXPECT_EQ(bar.Maximum(), 32767);
    bar.SetRange(10, 5);
    EXPECT_EQ(bar.Maximum(), 10);
}

TEST(SortBuffer, SortsByKeyThenRecordNumberByCharacterCode) {
    SortBuffer buffer;
    const std::pair<const char*, int32_t> rows[] = {
        {"B", 1}, {"A", 20}, {"a", 0}, {"A", 3}, {"\xC8", 0}, {"12  ", 9}, {"100 ", 8}, {"", 5}};
    for (const auto& [key, number] : rows) buffer.Add(key, number);
    buffer.Sort();
    std::vector<std::string> order;
    for (size_t r = 0; r < buffer.Rows(); ++r)
        order.push_back(std::string(buffer.Key(r)) + "/" + std::to_string(buffer.Number(r)));
    // An empty key first; "100 " before "12  "; equal keys by record number
    // (3 before 20, not as texts); upper case before lower case; a
    // Windows-1252 letter above 127 last.
    EXPECT_EQ(order, (std::vector<std::string>{"/5", "100 /8", "12  /9", "A/3", "A/20", "B/1", "a/0",
                                               "\xC8/0"}));
    buffer.Clear();
    EXPECT_EQ(buffer.Rows(), 0u);
}

TEST_F(ShellTest, TheStopRequestIsLogged) {
    Core.strLogErrFile = dir.file("err.log");
    SetStopFlag();
    EXPECT_TRUE(MainTimer.StopRequest);
    EXPECT_NE(Read("err.log").find("[006]"), std::string::npos);
}

TEST_F(ShellTest, TheTreeListsTheRegistersAndChoosingOneOpensIt) {
    testsupport::ScopedFakeShell shell;
    Core.strLangFile = dir.file("Testi.eng");
    Core.strRootDir = dir.path();
    Write("config.ini", "[Casse]\r\nC0=1|Front|||1|0|0|1\r\nC1=2||||1|1|3|1\r\n");
    LoadCasseConf();
    EXPECT_EQ(RegisterNodeCaption(0), "Register 1 - Front");
    EXPECT_EQ(RegisterNodeCaption(1), "Register 4");

    frmDocument doc;
    doc.FillTree();
    QTreeWidgetItem* registers = doc.Tree()->topLevelItem(0);
    ASSERT_NE(registers, nullptr);
    EXPECT_EQ(registers->text(0).toStdString(), "Registers");
    ASSERT_EQ(registers->childCount(), 2);
    // Every editor of a table the model has has a node; those not in the
    // program yet are greyed.
    int editors = 0;
    for (int i = 1; i < doc.Tree()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* group = doc.Tree()->topLevelItem(i);
        EXPECT_FALSE(group->text(0).isEmpty());
        for (int j = 0; j < group->childCount(); ++j, ++editors) {
            EXPECT_FALSE(group->child(j)->text(0).isEmpty());
            EXPECT_TRUE(group->child(j)->isDisabled());
        }
    }
    int modelHas = 0;
    for (const EditorNode& node : EditorNodes()) modelHas += !node.table || ModelHasTable(node.table);
    EXPECT_EQ(editors, modelHas);
    EXPECT_LT(modelHas, static_cast<int>(EditorNodes().size()));  // TIMBREL: no loyalty tables

    // An operation under way, or queued: the open register stays, its node
    // stays the one marked and highlighted, and the user is told why.
    const struct {
        const char* name;
        std::function<void()> busy;
    } busyRows[] = {
        {"link busy", [] { LinkState.nState = 1; }},
        {"queued", [] { CmdQueue.entries[1].state = -1; }},
    };
    for (const auto& row : busyRows) {
        SCOPED_TRACE(row.name);
        row.busy();
        doc.Tree()->setCurrentItem(registers->child(1));  // the click highlights it first
        emit doc.Tree()->itemClicked(registers->child(1), 0);
        EXPECT_EQ(LinkState.nCurCash, 0);
        EXPECT_EQ(doc.Tree()->currentItem(), registers->child(0));
        EXPECT_TRUE(registers->child(0)->font(0).bold());
        EXPECT_EQ(shell->status,
                  "An operation with the register is in progress: the register shown cannot change until it ends");
        LinkState.nState = 0;
        CmdQueue.entries[1].state = 0;
    }
    emit doc.Tree()->itemClicked(registers->child(1), 0);
    EXPECT_EQ(LinkState.nCurCash, 1);
    EXPECT_EQ(Core.nOpenCash, 1);
    EXPECT_EQ(LinkState.nAddress, 3);
    EXPECT_EQ(Core.strCashDir, dir.file("Cassa4"));
    EXPECT_TRUE(registers->child(1)->font(0).bold());
    EXPECT_FALSE(registers->child(0)->font(0).bold());
}

// The time allowed for an operation is the saved one from the start, not only once the
// communication window has been opened.
TEST_F(ShellTest, TheSavedTimeAllowedForAnOperationHoldsFromTheStart) {
    Core.bInteractive = true;
    Core.strRootDir = dir.path();
    for (const auto& [saved, taken] : {std::pair<const char*, float>{"commandstimeout=1800\r\n", 1800.0f},
                                       {"commandstimeout=75\r\n", 75.0f},
                                       {"commandstimeout=0\r\n", 1800.0f},
                                       {"", 1800.0f}}) {
        SCOPED_TRACE(saved);
        Core.sngCmdTimeout = 60.0f;
        Write("config.ini", std::string("[Generiche]\r\n") + saved + "[Casse]\r\nC0=1|Front|||1|0|0|1\r\n");
        frmDocument doc;
        doc.Load();
        EXPECT_EQ(Core.sngCmdTimeout, taken);
    }
}

TEST_F(ShellTest, EachCounterHasACaptionAndATooltipInTheLanguageChosen) {
    const struct {
        const char* lang;
        const char* records;
        const char* commands;
        const char* recordsTip;
    } cases[] = {
        {"Testi.eng", "Records", "Commands",
         "Records of the table being sent or read (counted in command-line runs)"},
        {"Testi.ita", "Record", "Comandi",
         "Record della tabella in invio o in lettura (contati nelle esecuzioni da riga di "
         "comando)"},
    };
    for (const auto& c : cases) {
        Core.strLangFile = dir.file(c.lang);
        frmDocument doc;
        doc.Load();
        auto* records = doc.findChild<QLabel*>("lblCntRec");
        auto* commands = doc.findChild<QLabel*>("lblCntPend");
        ASSERT_TRUE(records && commands);
        EXPECT_EQ(records->text().toStdString(), c.records);
        EXPECT_EQ(commands->text().toStdString(), c.commands);
        EXPECT_EQ(records->toolTip().toStdString(), c.recordsTip);
        // The panel says the same as its caption.
        EXPECT_EQ(doc.findChild<QLabel*>("lblPanel7")->toolTip(), records->toolTip());
        EXPECT_EQ(doc.findChild<QLabel*>("lblPanel8")->toolTip(), commands->toolTip());
        EXPECT_FALSE(commands->toolTip().isEmpty());
        // Nothing counted yet: the panels show no number.
        EXPECT_EQ(doc.PanelText(7), "");
    }
}

}  // namespace
