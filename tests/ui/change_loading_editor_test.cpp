// The change loading editor: its texts by control name, a count saved and
// refused, the resets, and a send-only table.
#include "ui/editor_fixture.h"
#include "ui/frmCaricaResto.h"

namespace {

class ChangeLoadingTest : public editortest::EditorTest {
protected:
    frmCaricaResto* Change() { return Open<frmCaricaResto>("K_FRMCARRESTO"); }
};

TEST_F(ChangeLoadingTest, TextsByControlNameAndDenominationsFromTheLanguageFile) {
    std::string lang = Read("Testi.eng");
    lang.erase(lang.find("taglio8="), std::string("taglio8=Denomination 8\r\n").size());
    Write("Testi.eng", lang);
    frmCaricaResto* w = Change();
    EXPECT_EQ(w->windowTitle().toStdString(), "Change loading");
    EXPECT_EQ(w->cmdLoad, nullptr);
    EXPECT_EQ(w->Frame2->title().toStdString(), "To the register");
    EXPECT_EQ(w->cmdResetAll->text().toStdString(), "Reset all");
    ASSERT_EQ(w->cbxTaglioCoin->count(), 8);
    EXPECT_EQ(w->cbxTaglioCoin->itemText(0).toStdString(), "Denomination 1");
    EXPECT_EQ(w->cbxTaglioCoin->itemText(7).toStdString(), "");
    EXPECT_EQ(w->cbxTaglioCoin->currentIndex(), -1);
}

TEST_F(ChangeLoadingTest, ACountIsSavedInThreeDigitsOrRefused) {
    frmCaricaResto* w = Change();
    EXPECT_EQ(File("RResto.txt"), "1000\r\n2000\r\n3000\r\n4000\r\n5000\r\n6000\r\n7000\r\n8000\r\n");
    // Nothing chosen: Save and Send write nothing, the table is sent as it is.
    w->cmdSave->click();
    w->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;^b;*3;"});
    ClearCmdQueue();

    Choose(w->cbxTaglioCoin, 3);
    Type(w->txtNumPezzi, "7");
    w->cmdSave->click();
    EXPECT_EQ(Record("RResto.txt", 3, 6), "3007\r\n");
    for (const char* bad : {"-1", "abc", ""}) {
        Type(w->txtNumPezzi, bad);
        w->cmdSend->click();
        EXPECT_EQ(Status(), "Denomination 3-Pieces: value not valid") << bad;
        EXPECT_EQ(Record("RResto.txt", 3, 6), "3007\r\n");
    }
    EXPECT_TRUE(Queued().empty());
}

TEST_F(ChangeLoadingTest, ResetAsksWhenLeftAndResetAllLeavesNothingToWriteBack) {
    frmCaricaResto* w = Change();
    Choose(w->cbxTaglioCoin, 2);
    Type(w->txtNumPezzi, "12");
    w->cmdSave->click();
    Choose(w->cbxTaglioCoin, 5);
    Type(w->txtNumPezzi, "5");
    w->cmdSave->click();
    w->cmdReset->click();
    EXPECT_EQ(Shown(w->txtNumPezzi), "0");
    EXPECT_EQ(Record("RResto.txt", 5, 6), "5005\r\n");
    shell.answers = {false};
    Choose(w->cbxTaglioCoin, 2);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Record("RResto.txt", 5, 6), "5005\r\n");

    Type(w->txtNumPezzi, "99");
    w->cmdResetAll->click();
    EXPECT_EQ(File("RResto.txt"), "1000\r\n2000\r\n3000\r\n4000\r\n5000\r\n6000\r\n7000\r\n8000\r\n");
    EXPECT_EQ(w->cbxTaglioCoin->currentIndex(), -1);
    EXPECT_EQ(w->CurItem(), 0);
    Choose(w->cbxTaglioCoin, 1);
    EXPECT_EQ(File("RResto.txt"), "1000\r\n2000\r\n3000\r\n4000\r\n5000\r\n6000\r\n7000\r\n8000\r\n");
    EXPECT_EQ(shell.questions.size(), 1u);
}

}  // namespace
