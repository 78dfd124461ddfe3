// The icon texts editor: the register's number of messages and line length,
// a message saved from its controls, a short file, and the question.
#include <QComboBox>

#include "ui/editor_fixture.h"
#include "ui/frmTestoIcone.h"

namespace {

class IconTextsTest : public editortest::EditorTest {
protected:
    frmTestoIcone* Icons() { return Open<frmTestoIcone>("K_FRMTESTOICONE"); }
    std::string Message(int n) const { return Record("IconText.txt", n, 106); }
};

TEST_F(IconTextsTest, TheRegistersMessagesAndLineLength) {
    struct Case {
        int16_t model;
        const char* release;
        int messages, chars;
    } cases[] = {{1, "", 7, 14}, {8, "", 6, 14}, {11, "", 10, 9}, {11, "R022002", 6, 9}, {11, "R022003", 10, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + " " + c.release);
        Main(c.model);
        ConfigLevel.SetCashVersion(0, c.release);
        frmTestoIcone* w = Icons();
        ASSERT_EQ(w->cbxNMessaggio->count(), c.messages);
        EXPECT_EQ(w->cbxNMessaggio->itemText(c.messages - 1).toStdString(), std::to_string(c.messages));
        EXPECT_EQ(w->txtLinea[4]->maxLength(), c.chars);
        EXPECT_EQ(w->lblLinea[4]->text().toStdString(), "Line 5");
        CloseCurrentEditor();
    }
}

TEST_F(IconTextsTest, AMessageSavedFromItsControls) {
    Main(3);  // DRAVO57: lines of nine characters
    frmTestoIcone* w = Icons();
    Choose(w->cbxNMessaggio, 3);
    Type(w->txtNIcona, "7");
    Type(w->txtLinea[0], "HELLO");
    Type(w->txtLinea[1], " TO:YOU");
    w->cmdSave->click();
    // The number in the table's own form, each line blank-padded to 20.
    EXPECT_EQ(Message(3), "3 7 HELLO" + std::string(15, ' ') + " TO YOU" + std::string(13, ' ') +
                              std::string(60, ' ') + "\r\n");
    EXPECT_TRUE(shell.questions.empty());

    // Leaving an edited message asks; No keeps the file.
    const std::string before = File("IconText.txt");
    Type(w->txtLinea[2], "NEW");
    shell.answers = {false};
    Choose(w->cbxNMessaggio, 1);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(File("IconText.txt"), before);

    // Load and Send leave no message shown.
    w->cmdLoad->click();
    EXPECT_EQ(w->cbxNMessaggio->currentIndex(), -1);
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&Z;#H;*3;"});
    ClearCmdQueue();  // the read is over
    Choose(w->cbxNMessaggio, 2);
    w->cmdSend->click();
    EXPECT_EQ(w->cbxNMessaggio->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtNIcona), "");
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*Z;*3;"});
    // Saving with no message chosen writes nothing.
    w->cmdSave->click();
    EXPECT_EQ(File("IconText.txt"), before);
}

// A file made while the register had six messages, and a release that gives
// it ten: every message is listed, the short file grows by whole records.
TEST_F(IconTextsTest, AShortFileGrowsByWholeMessages) {
    Main(11);
    Write("Shop/Cassa1/IconText.txt", File("IconText.txt").substr(0, 6 * 106));
    frmTestoIcone* w = Icons();
    EXPECT_EQ(w->cbxNMessaggio->count(), 10);
    Choose(w->cbxNMessaggio, 9);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(Shown(w->txtLinea[0]), "");
    Type(w->txtLinea[0], "NINE");
    w->cmdSave->click();
    ASSERT_EQ(File("IconText.txt").size(), 9u * 106);
    EXPECT_EQ(Message(7), "7 " + std::string(102, ' ') + "\r\n");
    EXPECT_EQ(Message(9).substr(0, 10), "9   NINE  ");
}

}  // namespace
