// The table-editor frame through the stamps editor, the editor whose fields
// refuse the most: a record saved from its controls, the question before a
// change is kept, a refused record, Load and Send, the refresh after a read,
// and an editor that may not touch another register's folder.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <functional>
#include <map>

#include "core/numbers.h"
#include "ui/editor_fixture.h"
#include "ui/frmBollini.h"
#include "core/link_state.h"

namespace {

class StampsTest : public editortest::EditorTest {
protected:
    // The user changes the first field shown (a text box, else a box to tick); false when none.
    static bool ChangeFirstField(QWidget* editor) {
        for (auto* box : editor->findChildren<QLineEdit*>()) {
            const QString name = box->objectName();
            if (!box->isVisibleTo(editor) || !box->isEnabled() || box->isReadOnly() || !name.startsWith("txt") ||
                name == "txtFrom" || name == "txtTo")
                continue;
            box->setText(box->text() == "1" ? "2" : "1");
            return true;
        }
        for (auto* box : editor->findChildren<QCheckBox*>()) {
            if (!box->isVisibleTo(editor) || !box->isEnabled() || box->objectName() == "chkAll") continue;
            box->setChecked(!box->isChecked());
            return true;
        }
        return false;
    }
    frmBollini* Stamps() { return Open<frmBollini>("K_FRMBOLLINI"); }
    std::string Stamp(int n) const { return Record("Bollini.txt", n, 40); }
    // Every file of the register's folder, by name.
    std::map<std::string, std::string> Folder() const {
        std::map<std::string, std::string> files;
        for (const auto& f : std::filesystem::directory_iterator(dir.file("Shop/Cassa1")))
            files[f.path().filename().string()] = File(f.path().filename().string());
        return files;
    }
    // Stamp n with its type and the eight texts typed.
    static void Fill(frmBollini* w, int n, int type, const std::vector<std::string>& texts) {
        Choose(w->cbxBollino, n);
        Choose(w->cbxP430, type + 1);
        for (int i = 0; i < 4; ++i) {
            Type(w->txtP431[i], texts[i]);
            Type(w->txtP432[i], texts[4 + i]);
        }
    }
};

TEST_F(StampsTest, SaveWritesTheRecordFromTheControlsWithoutAsking) {
    frmBollini* w = Stamps();
    EXPECT_EQ(w->cbxBollino->count(), 4);
    EXPECT_EQ(w->cbxBollino->currentIndex(), -1);
    Fill(w, 2, 1, {"1", "2", "3", "4", "5", "6", "7", "8"});
    w->cmdSave->click();
    EXPECT_EQ(Stamp(2), "21000001000002000003000004005006007008\r\n");
    EXPECT_TRUE(shell.questions.empty());
    EXPECT_EQ(Status(), "Saved");
    // Shown back: type 1 thresholds as plain numbers.
    Choose(w->cbxBollino, 1);
    Choose(w->cbxBollino, 2);
    EXPECT_EQ(Shown(w->txtP431[3]), "4");
    EXPECT_EQ(w->cbxP430->currentIndex(), 1);
    EXPECT_TRUE(shell.questions.empty());
}

// Each box's text as the record keeps it ("" for a refusal), by type.
TEST_F(StampsTest, EachFieldTakesItsRangeByTheStampType) {
    struct Case {
        int type;
        int box;  // 0-3 thresholds, 4-7 values
        const char* typed;
        const char* stored;  // nullptr: refused
    } cases[] = {
        {0, 0, "9999,9", "999990"}, {0, 0, "9999.9", "999990"}, {0, 0, "10000", nullptr},
        {0, 0, "abc", nullptr}, {0, 1, "-0,01", nullptr}, {1, 0, "999999", "999999"},
        {1, 0, "-5", nullptr}, {1, 2, "12abc", nullptr}, {1, 3, "1,5", nullptr}, {1, 3, "2,0", "000002"},
        {1, 4, "-1", nullptr}, {1, 5, "abc", nullptr}, {1, 5, "x", nullptr}, {1, 6, "", "000"},
        {1, 7, "999", "999"},
    };
    frmBollini* w = Stamps();
    Numbers.strDecSep = ",";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " in box " + std::to_string(c.box));
        const std::string before = File("Bollini.txt");
        Fill(w, 1, c.type, {"0", "0", "0", "0", "0", "0", "0", "0"});
        Type(c.box < 4 ? w->txtP431[c.box] : w->txtP432[c.box - 4], c.typed);
        w->cmdSave->click();
        if (!c.stored) {
            EXPECT_EQ(File("Bollini.txt"), before);
            EXPECT_EQ(Status(), "Stamp 1-" + std::string(c.box < 4 ? "Thresholds " : "Values ") +
                                    std::to_string(c.box % 4 + 1) + ": value not valid");
            continue;
        }
        const size_t at = c.box < 4 ? 2 + 6 * c.box : 26 + 3 * (c.box - 4);
        EXPECT_EQ(Stamp(1).substr(at, c.box < 4 ? 6 : 3), c.stored);
        EXPECT_EQ(Stamp(1).substr(1, 1), std::to_string(c.type));
    }
}

TEST_F(StampsTest, LeavingAnEditedStampAsksAndNoKeepsTheFile) {
    frmBollini* w = Stamps();
    const std::string before = File("Bollini.txt");
    Choose(w->cbxBollino, 1);
    Type(w->txtP432[0], "5");
    shell.answers = {false};
    Choose(w->cbxBollino, 3);
    EXPECT_EQ(shell.questions, std::vector<std::string>{"Changed data: The data have been changed. Save the changes?"});
    EXPECT_EQ(File("Bollini.txt"), before);
    EXPECT_EQ(w->CurItem(), 3);
    EXPECT_EQ(Shown(w->txtP432[0]), "0");

    // Yes keeps it; a refused field shows its text and asks: No stays at
    // the field, Yes drops the change and the choice goes on.
    Type(w->txtP432[0], "7");
    Choose(w->cbxBollino, 4);
    EXPECT_EQ(Stamp(3).substr(26, 3), "007");
    Type(w->txtP432[1], "-1");
    const std::string drop =
        "Changed data: Stamp 4, Values 2 - The change cannot be saved: a value is not valid. Drop the change and leave?";
    for (const bool yes : {false, true}) {
        shell.answers = {yes};
        Choose(w->cbxBollino, 2);
        EXPECT_EQ(shell.questions.back(), drop);
        EXPECT_EQ(Status(), "Stamp 4-Values 2: value not valid");
        EXPECT_EQ(Stamp(4), "40000000000000000000000000000000000000\r\n");
        EXPECT_EQ(w->CurItem(), yes ? 2 : 4);
        EXPECT_EQ(w->cbxBollino->currentIndex(), yes ? 1 : 3);
        EXPECT_TRUE(yes || w->focusWidget() == w->txtP432[1]);
    }
    EXPECT_NE(Read("Shop/msg.log").find(" : Stamp 4-Values 2: value not valid\r\n"), std::string::npos);
    EXPECT_EQ(shell.questions.size(), 4u);
}

TEST_F(StampsTest, SendSavesFirstAndQueuesOnlyAValidStamp) {
    frmBollini* w = Stamps();
    const std::string before = File("Bollini.txt");
    // Nothing chosen: nothing saved, the table sent as the file holds it.
    w->cmdSave->click();
    w->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*Q;*3;"});
    EXPECT_EQ(Status(), "");
    ClearCmdQueue();

    Choose(w->cbxBollino, 2);
    Type(w->txtP431[0], "-1");
    w->cmdSend->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(File("Bollini.txt"), before);

    // After an edit Send asks; No sends the stamp as it was.
    Type(w->txtP431[0], "3");
    shell.answers = {false};
    w->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(File("Bollini.txt"), before);
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*Q;*3;"});
}

TEST_F(StampsTest, LoadEmptiesTheEditorAndTheRefreshSavesNothingOverTheRead) {
    frmBollini* w = Stamps();
    Choose(w->cbxBollino, 2);
    Type(w->txtP431[1], "9");
    const std::string before = File("Bollini.txt");
    shell.answers = {false};  // the change is asked about first; No drops it
    w->cmdLoad->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(File("Bollini.txt"), before);
    shell.questions.clear();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&r;#H;*3;"});
    EXPECT_EQ(w->cbxBollino->currentIndex(), -1);
    EXPECT_EQ(w->cbxP430->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtP431[1]), "");
    EXPECT_EQ(w->CurItem(), 0);

    // A stamp chosen and edited while the read runs: the read's refresh
    // writes nothing of the edit and keeps it on screen; leaving the stamp
    // asks, and No keeps the stamp as read.
    Choose(w->cbxBollino, 2);
    Type(w->txtP431[1], "9");
    const std::string read = "21000001000002000003000004005006007008\r\n";
    std::string file = File("Bollini.txt");
    file.replace(40, 40, read);
    Write("Shop/Cassa1/Bollini.txt", file);
    ClearCmdQueue();  // the read is over: its last command had its answer
    RefreshForm();
    EXPECT_EQ(Stamp(2), read);
    EXPECT_EQ(w->CurItem(), 2);
    EXPECT_EQ(Shown(w->txtP431[1]), "9");
    // The fields the user left show the record as read.
    EXPECT_EQ(w->cbxP430->currentIndex(), 1);
    EXPECT_EQ(Shown(w->txtP431[0]), "1");
    EXPECT_EQ(Shown(w->txtP432[3]), "8");
    EXPECT_TRUE(shell.questions.empty());
    EXPECT_EQ(Status(), "The read from the register has ended: the change shown is not saved yet, it is asked "
                        "about when you leave it");
    shell.answers = {false};
    Choose(w->cbxBollino, 1);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Stamp(2), read);
    // An untouched stamp is shown again as read: the refresh empties the editor.
    w->cmdLoad->click();
    RefreshForm();
    EXPECT_EQ(w->CurItem(), 0);
}

TEST_F(StampsTest, ATypeDigitTheListLacksIsShownAsNoTypeAndKept) {
    Main();
    std::string file = File("Bollini.txt");
    file.replace(40, 40, "27000010000020000030000040010020030040\r\n");
    Write("Shop/Cassa1/Bollini.txt", file);
    frmBollini* w = Stamps();
    Choose(w->cbxBollino, 2);
    EXPECT_EQ(w->cbxP430->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtP431[0]), "10");
    w->cmdSave->click();
    EXPECT_EQ(Stamp(2), "27000010000020000030000040010020030040\r\n");
}

TEST_F(StampsTest, NothingIsReadOrWrittenWhileAnotherRegistersFolderIsOpen) {
    frmBollini* w = Stamps();
    Choose(w->cbxBollino, 1);
    Type(w->txtP432[0], "5");
    const std::string before = File("Bollini.txt");
    // Answered once the operation serves the second register: the change
    // stays on screen, written nowhere.
    shell.underQuestion = [] { Core.nOpenCash = 1; };
    Choose(w->cbxBollino, 2);
    EXPECT_EQ(File("Bollini.txt"), before);
    EXPECT_EQ(Shown(w->txtP432[0]), "5");
    EXPECT_EQ(shell.questions.size(), 1u);
    Core.nOpenCash = 1;  // an operation on several registers serves the second
    Choose(w->cbxBollino, 2);
    EXPECT_EQ(File("Bollini.txt"), before);
    EXPECT_EQ(w->CurItem(), 0);
    EXPECT_EQ(Shown(w->txtP432[0]), "");
    EXPECT_NE(Status().find("Another register's folder is open"), std::string::npos) << Status();
    // Opened meanwhile it takes no input, and lists its register's stamps
    // when that register's folder is open again.
    w = Stamps();
    EXPECT_FALSE(w->isEnabled());
    Core.nOpenCash = 0;
    w = ShownAnew(w);
    ASSERT_TRUE(w);
    EXPECT_GT(w->cbxBollino->count(), 1);
}

TEST_F(StampsTest, ARegisterNotEnabledGetsNothing) {
    frmBollini* w = Stamps();
    CassaList[0].bEnabled = False;
    w->cmdLoad->click();
    w->cmdSend->click();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(shell.boxes.size(), 2u);
    EXPECT_EQ(shell.boxes[0], "Register not enabled: The selected register is not enabled for work: nothing is "
                              "sent or loaded.");
}

TEST_F(StampsTest, ALanguageFileWithoutTheButtonTextsHidesTheButtons) {
    std::string lang = Read("Testi.eng");
    for (const char* key : {"2=Load\r\n", "3=Save\r\n", "4=Send\r\n"}) lang.erase(lang.find(key), std::string(key).size());
    Write("Testi.eng", lang);
    frmBollini* w = Stamps();
    for (QPushButton* b : {w->cmdLoad, w->cmdSave, w->cmdSend}) EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(w->Label1[0]->isVisible());
}

// The program closed by the user with an edit not yet saved: the one
// question, in the program's own message box, and the edit kept. With a
// value refused, No keeps the program open at the edit; Escape or the box's
// close box is no answer: the program stays open at the edit, nothing saved.
TEST_F(StampsTest, ClosingTheProgramWithAnUnsavedEditAsksOnceAndLosesNothing) {
    frmMain& main = Main();
    frmBollini* w = Stamps();
    Choose(w->cbxBollino, 1);
    shell.real = true;
    const std::string before = Stamp(1);
    size_t boxes = 0;
    std::function<void(QMessageBox*)> answer;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            answer(box);
        }
    });
    user.start(20);
    Core.bAskOnExit = true;
    main.tmrMain()->start();
    const auto click = [](QMessageBox::StandardButton b) { return [b](QMessageBox* box) { box->button(b)->click(); }; };
    const struct {
        const char* typed;
        std::function<void(QMessageBox*)> answer;
    } steps[] = {{"-1", click(QMessageBox::No)},
                 {"5", [](QMessageBox* box) {
                      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                      QApplication::sendEvent(box, &escape);
                  }},
                 {"5", [](QMessageBox* box) { box->close(); }},
                 {"5", click(QMessageBox::Yes)}};
    for (const auto& s : steps) {
        Type(w->txtP432[0], s.typed);
        answer = s.answer;
        main.close();
        shelltest::EventsUntil([&] { return boxes >= shell.questions.size() && !QApplication::activeModalWidget(); });
        if (&s == &steps[3]) break;
        EXPECT_TRUE(main.isVisible());
        EXPECT_EQ(CurrentEditor(), dynamic_cast<EditorForm*>(w));
        EXPECT_EQ(Shown(w->txtP432[0]), s.typed);
        EXPECT_EQ(Stamp(1), before);
    }
    shelltest::EventsUntil([&] { return !main.isVisible(); });
    EXPECT_FALSE(main.isVisible());
    const std::string save = "Changed data: The data have been changed. Save the changes?";
    EXPECT_EQ(shell.questions, (std::vector<std::string>{"Changed data: Stamp 1, Values 1 - The change cannot be saved: "
                                                         "a value is not valid. Drop the change and leave?",
                                                         save, save, save}));
    EXPECT_EQ(Stamp(1), "10000000000000000000000000005000000000\r\n");
}

TEST_F(StampsTest, ASaveWhileAReadOfTheTableRunsIsRefusedAndSaid) {
    frmBollini* w = Stamps();
    Choose(w->cbxBollino, 2);
    Type(w->txtP432[0], "5");
    const std::string before = File("Bollini.txt");
    // The read's first line has made the copy its records go into.
    std::string path, error;
    ASSERT_TRUE(tables::BeginTableCopy("Bollini.txt", path, error)) << error;
    w->cmdSave->click();
    EXPECT_EQ(Status(), "A read of this table from the register is in progress: nothing was saved");
    EXPECT_EQ(Read("Shop/Cassa1/Bollini.txt.part"), before);
    // The read abandoned: the file as it was, and the edit still on screen
    // is saved once the read is over.
    tables::DiscardTableCopy(path);
    EXPECT_EQ(File("Bollini.txt"), before);
    EXPECT_EQ(Shown(w->txtP432[0]), "5");
    w->cmdSave->click();
    EXPECT_EQ(Status(), "Saved");
    EXPECT_EQ(Stamp(2).substr(26, 3), "005");
}

// Every table and option editor: leaving it untouched writes no "Saved"
// (status text or msg.log), and from the moment its Load asks for the read
// until the read is over, Save is refused and writes nothing.
TEST_F(StampsTest, NoSavedWithoutAChangeAndNoSaveIntoTheReadAsked) {
    for (const char* key : {"K_FRMBOLLINI", "K_FRMVALUTE", "K_FRMMODPAG", "K_FRMCAMERIERI", "K_FRMOPERATORI",
                            "K_FRMTESTOICONE", "K_FRMGCLIENTI", "K_FRMCARRESTO", "K_FRMOPGEN", "K_FRMGLBCASSA",
                            "K_FRMSCONTRINO", "K_FRMINTSCONTRINO", "K_FRMICONEPERIODO", "K_FRMOPECAMCLI",
                            "K_FRMCOMM"}) {
        SCOPED_TRACE(key);
        auto* w = Open<QWidget>(key);
        ASSERT_NE(w, nullptr);
        if (auto* table = dynamic_cast<TableEditor*>(w)) Choose(table->itemList, 1);
        ShowForm("K_FRMNULL");  // leaves it
        EXPECT_NE(Status(), "Saved");
        EXPECT_EQ(testsupport::CountOf(Read("Shop/msg.log"), "Saved"), 0);

        auto* load = Open<QWidget>(key)->findChild<QPushButton*>("cmdLoad");
        if (!load) continue;
        const auto before = Folder();
        load->click();
        ASSERT_FALSE(Queued().empty());
        auto* shown = dynamic_cast<QWidget*>(CurrentEditor());
        if (auto* table = dynamic_cast<TableEditor*>(shown)) Choose(table->itemList, 1);
        if (auto* periods = shown->findChild<QComboBox*>("cbxNPeriodo")) Choose(periods, 1);
        shown->findChild<QPushButton*>("cmdSave")->click();
        EXPECT_EQ(Status(), "A read of this table from the register is in progress: nothing was saved");
        EXPECT_EQ(Folder(), before);
        // A change made while the read runs is never dropped unasked: No keeps the user at it, Yes drops it.
        if (auto* pages = shown->findChild<QTabWidget*>("sstComm")) pages->setCurrentIndex(1);
        ASSERT_TRUE(ChangeFirstField(shown));
        shell.questions.clear();
        auto* table = dynamic_cast<TableEditor*>(shown);
        // The last drop question is answered after the read ended under it: asked again as things
        // now stand (the save's question), and No drops the change then.
        shell.answers = {false, false, true, false};
        if (!table) shell.answers.pop_front();
        if (table) {
            Choose(table->itemList, 2);
            EXPECT_EQ(table->CurItem(), 1);
            EXPECT_EQ(table->itemList->currentIndex(), 0);
        }
        EXPECT_FALSE(CloseCurrentEditor());
        EXPECT_EQ(CurrentEditor(), dynamic_cast<EditorForm*>(shown));
        shell.underQuestion = [] { ClearCmdQueue(), LinkState.nState = 0; };  // the read ends under it
        EXPECT_TRUE(CloseCurrentEditor());
        const std::string drop = "Changed data: A read of this table from the register is in progress: the "
                                 "change cannot be saved now. Drop it?";
        std::vector<std::string> asked(table ? 3 : 2, drop);
        asked.push_back("Changed data: The data have been changed. Save the changes?");
        EXPECT_EQ(shell.questions, asked);
        EXPECT_EQ(Folder(), before);
        ClearCmdQueue();  // the read is over
    }
}

}  // namespace
