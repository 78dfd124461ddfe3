// Every editor node of the tree, for every register model: the node's
// window opens beside the tree. The nodes whose windows are still being
// built elsewhere are listed; the list only shrinks.
#include <set>

#include "editor_fixture.h"
#include "shell/document.h"

namespace {

using editortest::EditorTest;

TEST_F(EditorTest, EveryNodeOfTheTreeOpensItsWindowForEveryModel) {
    const std::set<std::string> toCome = {"K_FRMOPGEN", "K_FRMICONEPERIODO", "K_FRMOPECAMCLI"};
    for (int16_t model = 1; model <= 11; ++model) {
        Main(model);
        std::set<std::string> missing;
        for (const EditorNode& node : EditorNodes()) {
            SCOPED_TRACE(std::to_string(model) + " " + node.key);
            if (!EditorRegistered(node.key)) {
                missing.insert(node.key);
                continue;
            }
            EXPECT_TRUE(ShowForm(node.key));
            EXPECT_NE(CurrentEditor(), nullptr);
        }
        EXPECT_EQ(missing, std::set<std::string>(toCome)) << model;
        CloseCurrentEditor();
        main_.reset();
    }
}

}  // namespace
