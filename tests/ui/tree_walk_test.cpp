// Every editor node of the tree, for every register model: the node's
// window opens beside the tree.
#include "ui/editor_fixture.h"
#include "engine/document.h"
#include <QTreeWidget>
#include "engine/builders_tables.h"
#include "ui/frmDocument.h"

namespace {

using editortest::EditorTest;

TEST_F(EditorTest, EveryNodeOfTheTreeOpensItsWindowForEveryModel) {
    for (int16_t model = 1; model <= 11; ++model) {
        Main(model);
        for (const EditorNode& node : EditorNodes()) {
            SCOPED_TRACE(std::to_string(model) + " " + node.key);
            EXPECT_TRUE(EditorRegistered(node.key));
            EXPECT_TRUE(ShowForm(node.key));
            EXPECT_NE(CurrentEditor(), nullptr);
        }
        CloseCurrentEditor();
        main_.reset();
    }
}

// The editor nodes of the tables some models lack, per model: shown only
// where the model has the table, and their builders queue nothing elsewhere.
TEST_F(EditorTest, TheTreeShowsOnlyTheTablesTheModelHas) {
    const struct {
        int16_t number;
        const char* model;
        bool changeLoading, groups, loyalty;
    } models[] = {
        {1, "LX4100", false, false, false},   {2, "KWT1900", false, false, false},
        {3, "DRAVO57", true, true, true},     {5, "TAV3800", false, false, false},
        {6, "QUENTARO", false, false, false}, {7, "VELTA7300", false, false, false},
        {8, "ORBA", false, false, false},     {9, "TIMBREL", true, true, false},
        {10, "NAVOSK", true, true, false},    {11, "ZANDORE", true, true, true},
        {12, "MERIDOTAN", true, true, true},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.model);
        Main(m.number);
        ConfigLevel.InitOffLine(m.number, "R022040");
        fDocForm->FillTree();
        EXPECT_EQ(ConfigLevel.CashType(), m.model);
        std::vector<std::string> keys;
        QTreeWidget* tree = fDocForm->Tree();
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            keys.push_back((*it)->data(0, Qt::UserRole + 1).toString().toStdString());
        auto shown = [&keys](const char* key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); };
        EXPECT_EQ(shown("K_FRMCARRESTO"), m.changeLoading);
        EXPECT_EQ(shown("K_FRMGCLIENTI"), m.groups);
        EXPECT_EQ(shown("K_FRMFIDELIZZA"), m.loyalty);
        EXPECT_TRUE(shown("K_FRMVALUTE"));
        EXPECT_TRUE(shown("K_FRMCLIENTI"));
        if (const char* out = std::getenv("ECR_SCREENSHOT_DIR")) {
            QCoreApplication::processEvents();
            main_->grab().save(QString("%1/tree_%2.png").arg(out, m.model));
        }
        // The builders of a table the model lacks queue nothing.
        SendRResto();
        SendClientGroup();
        ReqClientGroup();
        SendCirCli();
        ReqCirCli();
        SendSubFid();
        std::string lacking;
        for (const std::string& c : Queued()) {
            if (!m.changeLoading && c.find("^b") != std::string::npos) lacking += c;
            if (!m.groups && (c.find("*o") != std::string::npos || c.find("&b") != std::string::npos)) lacking += c;
            if (!m.loyalty && (c.find("^f") != std::string::npos || c.find("^F") != std::string::npos ||
                               c.find("^d") != std::string::npos))
                lacking += c;
        }
        EXPECT_EQ(lacking, "");
        ClearCmdQueue();
        CloseCurrentEditor();
        main_.reset();
    }
}

}  // namespace
