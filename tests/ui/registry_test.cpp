// The editor registry: one editor at a time, the closable property, the
// refresh after a read, and the editor window's place and close veto.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/fake_shell.h"
#include "core/shell_state.h"
#include "ui/editor_window.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"
#include "ui/shell_fixture.h"

namespace {

using shelltest::ShellTest;

// A recording editor: what the registry did to it, in order.
struct FakeEditor : EditorForm {
    explicit FakeEditor(std::vector<std::string>& log, std::string name)
        : log_(log), name_(std::move(name)) {
        log_.push_back(name_ + " load");
    }
    bool CanUnload() const override { return canUnload; }
    void SetCanUnload(bool value) override { canUnload = value; }
    void ShowConf() override { log_.push_back(name_ + " showconf"); }
    bool CardValid() const override { return cardValid; }
    void ShowCard() override { log_.push_back(name_ + " showcard"); }
    bool Unload() override {
        // The unload step runs only when the editor may close.
        if (!canUnload || refuse) return false;
        log_.push_back(name_ + " unload");
        return true;
    }
    std::vector<std::string>& log_;
    std::string name_;
    bool canUnload = false;
    bool cardValid = false;
    bool refuse = false;
};

class RegistryTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        for (const char* key : {"K_FRMBOLLINI", "K_FRMTESTOICONE", "K_FRMOPERATORI"}) {
            std::string name = key;
            RegisterEditor(key, [this, name] {
                editors.push_back(std::make_unique<FakeEditor>(log, name));
                return editors.back().get();
            });
        }
    }
    FakeEditor* Last() { return editors.back().get(); }
    std::vector<std::string> log;
    std::vector<std::unique_ptr<FakeEditor>> editors;
    testsupport::ScopedFakeShell shell;
};

// An editor that refused to close and is then destroyed is forgotten, never used again.
TEST_F(RegistryTest, AnEditorDestroyedWhileOnScreenIsForgotten) {
    ASSERT_TRUE(ShowForm("K_FRMBOLLINI"));
    Last()->refuse = true;
    EXPECT_FALSE(CloseCurrentEditor());
    FakeEditor other(log, "other");
    EditorDestroyed(&other);
    EXPECT_EQ(CurrentEditor(), Last());  // another editor's end changes nothing
    EditorDestroyed(Last());
    EXPECT_EQ(CurrentEditor(), nullptr);
    EXPECT_EQ(ShellState.strCurFrmKey, "");
}

TEST_F(RegistryTest, ShowingAnEditorUnloadsTheOneOnScreenFirst) {
    shell->status = "old text";
    EXPECT_TRUE(ShowForm("K_FRMBOLLINI"));
    EXPECT_EQ(shell->status, "");
    EXPECT_EQ(ShellState.strCurFrmKey, "K_FRMBOLLINI");
    FakeEditor* stamps = Last();
    EXPECT_FALSE(stamps->canUnload);

    EXPECT_TRUE(ShowForm("K_FRMTESTOICONE"));
    EXPECT_TRUE(stamps->canUnload);  // set before its unload
    EXPECT_EQ(ShellState.strCurFrmKey, "K_FRMTESTOICONE");
    EXPECT_EQ(log, (std::vector<std::string>{"K_FRMBOLLINI load", "K_FRMBOLLINI unload",
                                             "K_FRMTESTOICONE load"}));

    // The key on screen is unloaded and loaded again.
    log.clear();
    EXPECT_TRUE(ShowForm("K_FRMTESTOICONE"));
    EXPECT_EQ(log, (std::vector<std::string>{"K_FRMTESTOICONE unload", "K_FRMTESTOICONE load"}));
    EXPECT_EQ(CurrentEditor(), Last());
}

TEST_F(RegistryTest, TheNullKeyAndUnknownKeysOnlyCloseTheCurrentEditor) {
    ShowForm("K_FRMBOLLINI");
    EXPECT_FALSE(ShowForm("K_FRMNULL"));
    EXPECT_EQ(CurrentEditor(), nullptr);
    EXPECT_EQ(ShellState.strCurFrmKey, "");

    ShowForm("K_FRMBOLLINI");
    EXPECT_FALSE(ShowForm("K_FRMNOSUCH"));
    EXPECT_EQ(CurrentEditor(), nullptr);
    EXPECT_EQ(log.back(), "K_FRMBOLLINI unload");
}

TEST_F(RegistryTest, AnEditorThatRefusesToUnloadStaysOnScreen) {
    ShowForm("K_FRMBOLLINI");
    Last()->refuse = true;
    EXPECT_FALSE(ShowForm("K_FRMTESTOICONE"));
    EXPECT_EQ(ShellState.strCurFrmKey, "K_FRMBOLLINI");
    EXPECT_FALSE(Last()->canUnload);
    EXPECT_EQ(editors.size(), 1u);
}

TEST_F(RegistryTest, RefreshShowsTheDataOnlyForTheRegisterOnScreen) {
    RefreshForm();  // nothing on screen: nothing happens
    ShowForm("K_FRMOPERATORI");
    log.clear();
    shell->status = "reading";

    LinkState.nCurCash = 2;
    Core.nOpenCash = 3;  // a broadcast served another register
    RefreshForm();
    EXPECT_EQ(shell->status, "");
    EXPECT_TRUE(log.empty());

    Core.nOpenCash = 2;
    RefreshForm();
    Last()->cardValid = true;
    RefreshForm();
    EXPECT_EQ(log, (std::vector<std::string>{"K_FRMOPERATORI showconf", "K_FRMOPERATORI showcard"}));
}

TEST_F(RegistryTest, TheEndOfTheRunClosesTheEditor) {
    EXPECT_TRUE(CloseCurrentEditor());
    ShowForm("K_FRMBOLLINI");
    EXPECT_TRUE(CloseCurrentEditor());
    EXPECT_EQ(log.back(), "K_FRMBOLLINI unload");
    EXPECT_EQ(ShellState.strCurFrmKey, "");
}

// An editor window as the later editors build theirs.
class TestEditor : public EditorWindow {
public:
    explicit TestEditor(std::vector<std::string>& log) : log_(log) {}
    void ShowConf() override { log_.push_back("showconf"); }

protected:
    void InitForm() override { log_.push_back("initform"); }
    void Form_Unload() override { log_.push_back("save"); }

private:
    std::vector<std::string>& log_;
};

TEST_F(ShellTest, AnEditorWindowCannotBeClosedByTheUser) {
    Write("config.ini", "[Casse]\r\n");
    Core.strCashDir = dir.path();
    Core.strLangFile = dir.file("Testi.eng");
    frmMain main;
    main.Load();
    main.show();
    std::vector<std::string> log;
    RegisterEditor("K_FRMBOLLINI", [&] { return EditorWindow::Show(new TestEditor(log)); });
    ASSERT_TRUE(ShowForm("K_FRMBOLLINI"));
    EXPECT_EQ(log, (std::vector<std::string>{"initform", "showconf"}));
    EXPECT_TRUE(ShellState.bSaveOnUnload);

    auto windows = main.EditorArea()->subWindowList();
    ASSERT_EQ(windows.size(), 1);
    QMdiSubWindow* frame = windows.front();
    // Beside the tree, as high as the tree window.
    EXPECT_EQ(frame->height(), fDocForm->parentWidget()->height());
    EXPECT_EQ(frame->width(), TwipsToPixels(12000 - fDocForm->WidthTwips() - 200));
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowCloseButtonHint);

    // The user's close is refused, nothing is saved.
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(ShellState.strCurFrmKey, "K_FRMBOLLINI");

    // The registry's unload saves and closes.
    ShowForm("K_FRMNULL");
    EXPECT_EQ(log.back(), "save");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.EditorArea()->subWindowList().isEmpty());

    ShellState.bMainCanUnload = true;
    Core.bAskOnExit = false;
    main.close();
}

}  // namespace
