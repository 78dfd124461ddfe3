// The logo editor on screen: a bitmap chosen through the file dialog and
// previewed as the register prints it, the question before the send, the
// announcement queued, the logo numbers refused, a bitmap that cannot be
// converted, and the deletion of the logos.
#include <QPixmap>

#include "ui/editor_fixture.h"
#include "transfers/logo.h"
#include "ui/frmGestIcone.h"
#include "core/link_state.h"
#include "common/logo_bitmap.h"

namespace {

using editortest::EditorTest;

class LogoEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        // Registers 1 and 3 (stations 0 and 2) enabled; the first is opened.
        Write("Shop/config.ini", "[Casse]\r\nC0=1|Front|||1|0|0|1\r\nC1=3|Back|||1|0|2|1\r\n");
        bmp = dir.file("logo.bmp");
        Write("logo.bmp", logotest::Bitmap(288, 144, logotest::Diagonal));
        frmGestIcone::ChooseFile = [this](QWidget*, const std::string& filter) {
            filters.push_back(filter);
            return choice;
        };
    }
    void TearDown() override {
        frmGestIcone::ChooseFile = savedChooser_;
        EditorTest::TearDown();
    }
    frmGestIcone* OpenLogo(int16_t model = 3) {
        Main(model);
        return Open<frmGestIcone>("K_FRMGESTICONE");
    }
    void ChooseBitmap(frmGestIcone* e, const std::string& file) {
        choice = file;
        e->cmdFileIco->click();
    }
    std::string bmp, choice;
    decltype(frmGestIcone::ChooseFile) savedChooser_ = frmGestIcone::ChooseFile;
    std::vector<std::string> filters;
};

TEST_F(LogoEditorTest, SendAsksWithTheFileAndTheRegistersThenQueuesTheLogoTransfer) {
    frmGestIcone* e = OpenLogo();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Shown(e->txtNumIco), "21");
    EXPECT_EQ(e->lblBmpFormat->text().toStdString(), "DRAVO5/7: File Bmp - Black/White - 288 x 144 pixels");
    EXPECT_FALSE(e->lblBmpFormat1->isVisibleTo(e));
    ChooseBitmap(e, bmp);
    EXPECT_EQ(filters, std::vector<std::string>{"Bitmap (*.bmp)"});
    EXPECT_EQ(Shown(e->txtFileIco), bmp);
    // The preview is the logo as printed: 288 x 144 dots on DRAVO57, the
    // diagonal's top-left dot black.
    const QImage preview = e->imgReceiptHead->pixmap().toImage();
    ASSERT_EQ(preview.size(), QSize(288, 144));
    EXPECT_EQ(preview.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(preview.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);

    shell.answers = {true};
    e->cmdSend->click();
    ASSERT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(shell.questions[0], "Sending logos: Send the logo file <" + bmp + "> to the registers <1,3,>");
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#u0;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].answers, 1);
    EXPECT_FLOAT_EQ(CmdQueue.entries[1].time, 2.5f);
    EXPECT_TRUE(LinkState.bSendIco);
    EXPECT_EQ(File("Bitmap.bin").size(), 144u * 36);
    EXPECT_EQ(File("Bitmap.bin").substr(0, 2), std::string("\x01\x00", 2));
}

TEST_F(LogoEditorTest, NumbersOutsideTheLogosAndAnEmptyNameSendNothing) {
    frmGestIcone* e = OpenLogo(5);  // TAV3800: its own bitmap format alone
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->lblBmpFormat->text().toStdString(), "TAV3800: File Bmp - Black/White - 432 x 187 pixels");
    EXPECT_FALSE(e->lblBmpFormat2->isVisibleTo(e));
    ChooseBitmap(e, bmp);
    for (const char* number : {"27", "20", "x"}) {
        Type(e->txtNumIco, number);
        e->cmdSend->click();
        e->cmdDel->click();  // asks first, then tests the number
    }
    EXPECT_EQ(shell.questions.size(), 3u);
    Type(e->txtNumIco, "26");
    Type(e->txtFileIco, "  ");
    e->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 3u);
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Logo: No bitmap chosen: choose the logo's bitmap first, then Send."});
    EXPECT_TRUE(Queued().empty());
    EXPECT_FALSE(LinkState.bSendIco);
    EXPECT_TRUE(File("Bitmap.bin").empty());

    Type(e->txtFileIco, bmp);
    shell.answers = {true};
    e->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;#u5;*3;"});
}

TEST_F(LogoEditorTest, NoToTheQuestionLeavesTheConvertedFilesAndTheOpenRegister) {
    frmGestIcone* e = OpenLogo();
    ASSERT_NE(e, nullptr);
    const std::string folder = Core.strCashDir;
    ChooseBitmap(e, bmp);
    shell.answers = {false};
    e->cmdSend->click();
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_TRUE(Queued().empty());
    EXPECT_FALSE(LinkState.bSendIco);
    EXPECT_EQ(File("Bitmap.bin").size(), 144u * 36);
    EXPECT_EQ(File("Bitmap.bxx").size(), 144u * 36);
    EXPECT_EQ(Core.strCashDir, folder);
}

TEST_F(LogoEditorTest, ABitmapThatCannotBeConvertedLeavesTheOldLogoAndSendsNothing) {
    frmGestIcone* e = OpenLogo();
    ASSERT_NE(e, nullptr);
    Write("Shop/Cassa1/Bitmap.bin", "old logo");
    Write("colour.bmp", logotest::Bitmap(288, 144, logotest::Diagonal, 24));
    ChooseBitmap(e, dir.file("colour.bmp"));
    EXPECT_TRUE(e->imgReceiptHead->pixmap().isNull());  // no preview of what cannot print
    e->cmdSend->click();
    EXPECT_TRUE(shell.questions.empty());
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_NE(shell.boxes[0].find("ConvBitmap - Not a black-and-white bitmap"), std::string::npos);
    EXPECT_NE(Status().find("ConvBitmap"), std::string::npos);
    EXPECT_EQ(File("Bitmap.bin"), "old logo");
    EXPECT_TRUE(Queued().empty());
    EXPECT_FALSE(LinkState.bSendIco);
}

TEST_F(LogoEditorTest, CancelInTheDialogPutsBackTheFileChosenBefore) {
    frmGestIcone* e = OpenLogo();
    ASSERT_NE(e, nullptr);
    ChooseBitmap(e, "");
    EXPECT_EQ(Shown(e->txtFileIco), "");
    ChooseBitmap(e, bmp);
    Type(e->txtFileIco, "/typed/by/hand.bmp");
    ChooseBitmap(e, "");
    EXPECT_EQ(Shown(e->txtFileIco), bmp);
    EXPECT_FALSE(e->imgReceiptHead->pixmap().isNull());
}

TEST_F(LogoEditorTest, DeleteAsksThenQueuesTheDeletionForAValidNumber) {
    frmGestIcone* e = OpenLogo();
    ASSERT_NE(e, nullptr);
    shell.answers = {false};
    e->cmdDel->click();
    EXPECT_TRUE(Queued().empty());
    Type(e->txtNumIco, "22");
    e->cmdDel->click();
    ASSERT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(shell.questions[1], "Delete logos in the register: Delete the selected data? This cannot be undone.");
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#y;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].answers, 0);
}

}  // namespace
