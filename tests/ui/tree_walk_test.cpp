// Every editor node of the tree, for every register model: the node's
// window opens beside the tree.
#include "ui/editor_fixture.h"
#include "engine/document.h"

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

}  // namespace
