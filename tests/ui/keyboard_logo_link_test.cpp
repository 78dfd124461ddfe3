// The keyboard and logo editors on the line, against the register emulator
// on a pseudo-terminal driven by the main window's timer: a keyboard type
// chosen in the editor is the one whose keys reach the register, and a
// bitmap chosen in the logo editor reaches it row for row.
#include <QPushButton>
#include <set>

#include "ui/editor_fixture.h"
#include "store/keyboard.h"
#include "ui/frmGestIcone.h"
#include "ui/frmTastiera.h"
#include "emulator/bulk_receiver.h"
#include "common/logo_bitmap.h"

namespace {

class KeyboardLogoLinkTest : public editortest::LinkEditorTest {
protected:
    void SetUp() override {
        LinkEditorTest::SetUp();
        Core.strLangExt = ".eng";
        nKeybLevel = 0;
        // The start folder's keyboard files of DRAVO57, as shipped.
        for (const char* name : {"Cod3.eng", "klay1_0.txt", "klay1_1.txt", "Keyb3_0.txt", "Keyb3_1.txt"})
            ASSERT_TRUE(platform::CopyFileTo(std::string(ECR_SOURCE_DIR) + "/sample/" + name, dir.file(name)));
        // The bitmap rows go to the receiver, added before the register.
        receiver = std::make_shared<emu::BulkReceiver>(0);
        emulator.AddHandler(receiver);
        ASSERT_NO_FATAL_FAILURE(StartLine(3, "DRAVO57"));
    }
    void TearDown() override {
        frmGestIcone::ChooseFile = savedChooser_;
        LinkEditorTest::TearDown();
    }

    decltype(frmGestIcone::ChooseFile) savedChooser_ = frmGestIcone::ChooseFile;
    std::shared_ptr<emu::BulkReceiver> receiver;
};

TEST_F(KeyboardLogoLinkTest, AfterATypeChangeSendTransmitsTheNewTypesKeys) {
    auto* e = Open<frmTastiera>("K_FRMTASTIERA");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(Keyb.nNumKeys, 88);
    Choose(e->cbxTipo, 2);
    ASSERT_EQ(Keyb.nNumKeys, 120);
    // The keys of type 1 that the register takes, by the template.
    std::set<std::string> expected;
    for (int level = 0; level < 2; ++level) {
        const auto& table = level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1;
        for (int i = 0; i < Keyb.nNumKeys; ++i)
            if (table[static_cast<size_t>(i)].bProg)
                expected.insert("2:" + std::to_string(level) + ":" + std::to_string(table[static_cast<size_t>(i)].nPosCode) +
                                ":" + std::to_string(table[static_cast<size_t>(i)].nFunCode));
    }
    ASSERT_FALSE(expected.empty());
    e->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> got = reg->Received("keyboard");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expected);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(KeyboardLogoLinkTest, ALogoChosenInTheEditorReachesTheRegisterRowForRow) {
    Write("logo.bmp", logotest::Bitmap(288, 144, [](int x, int y) { return (x / 8 + y) % 5 == 0; }));
    frmGestIcone::ChooseFile = [this](QWidget*, const std::string&) { return dir.file("logo.bmp"); };
    auto* e = Open<frmGestIcone>("K_FRMGESTICONE");
    ASSERT_NE(e, nullptr);
    e->cmdFileIco->click();
    shell.answers = {true};
    e->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::string bin = File("Bitmap.bin");
    ASSERT_EQ(bin.size(), 144u * 36);
    const auto rows = receiver->Rows();
    ASSERT_EQ(rows.size(), 144u);
    for (size_t r = 0; r < rows.size(); ++r) ASSERT_EQ(rows[r], bin.substr(r * 36, 36)) << r;
    EXPECT_TRUE(receiver->Ended());
    EXPECT_FALSE(LinkState.bSendIco);
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
    EXPECT_EQ(Status(), "Sent to register 1");
}

}  // namespace
