// The keyboard and logo editors beside the tree in the main window, in
// English and in Italian, on models with different key grids: every text
// whole, no two controls over each other, every key of the grid inside the
// editor at the default width. When ECR_SCREENSHOT_DIR names a folder, the
// main window with the editor is written there as a picture.
#include <QLabel>

#include "ui/editor_fixture.h"
#include "ui/frmGestIcone.h"
#include "ui/frmTastiera.h"
#include "common/logo_bitmap.h"

namespace {

using editortest::EditorTest;
using editortest::ExpectFitsBesideTheTree;

struct GridModel {
    int16_t number;
    const char* name;
    int type;  // the keyboard type shown (the widest grid of the model)
    std::vector<const char*> files;
};

const GridModel kModels[] = {
    {3, "dravo57", 1, {"Cod3", "klay1_0.txt", "klay1_1.txt", "Keyb3_0.txt", "Keyb3_1.txt"}},
    {5, "tav3800", 2, {"Cod5", "klay0_0.txt", "klay0_1.txt", "klay0_2.txt", "Keyb5_0.txt", "Keyb5_1.txt", "Keyb5_2.txt"}},
    {11, "zandore", 0, {"Cod11", "klay2_0.txt", "Keyb11_0.txt"}},
    {12, "meridotan", 1,
     {"Cod12", "klay3_0.txt", "klay3_1.txt", "klay3_2.txt", "klay3_3.txt", "Keyb12_0.txt", "Keyb12_1.txt",
      "Keyb12_2.txt", "Keyb12_3.txt"}},
};

TEST_F(EditorTest, KeyboardAndLogoEditorsBesideTheTreeInBothLanguages) {
    Write("logo.bmp", logotest::Bitmap(432, 187, [](int x, int y) { return (x / 24 + y / 24) % 2 == 0; }));
    const auto savedChooser_ = frmGestIcone::ChooseFile;
    frmGestIcone::ChooseFile = [this](QWidget*, const std::string&) { return dir.file("logo.bmp"); };
    for (const GridModel& m : kModels) {
        for (const char* file : m.files) {
            std::string name = file;
            for (const char* ext : {".eng", ".ita"}) {
                const std::string target = name.rfind("Cod", 0) == 0 ? name + ext : name;
                platform::CopyFileTo(std::string(ECR_SOURCE_DIR) + "/sample/" + target, dir.file(target));
            }
        }
        for (const char* lang : {"Testi.eng", "Testi.ita"}) {
            SCOPED_TRACE(std::string(m.name) + " " + lang);
            Core.strLangExt = std::string(".") + std::string(lang).substr(6);
            nKeybLevel = 0;
            frmMain& main = Main(m.number, lang);
            auto* keys = Open<frmTastiera>("K_FRMTASTIERA");
            ASSERT_NE(keys, nullptr);
            Choose(keys->cbxTipo, m.type + 1);
            ASSERT_EQ(keys->cbxTipo->currentIndex(), m.type);
            int shownKeys = 0;
            for (int i = 0; i < Keyb.nNumKeys; ++i)
                if (Keyb.KeyConf0[static_cast<size_t>(i)].bProg && keys->lblKey[i]->isVisible()) {
                    keys->lblKey_Click(i);
                    break;
                }
            for (QLabel* key : keys->lblKey) shownKeys += key->isVisible() ? 1 : 0;
            EXPECT_GT(shownKeys, 20);
            keys->chkRecording->setChecked(true);
            keys->lblKey_Click(1);
            keys->chkRecording->setChecked(false);
            ExpectFitsBesideTheTree(main, keys, QString("tastiera_") + m.name, lang);

            auto* logo = Open<frmGestIcone>("K_FRMGESTICONE");
            ASSERT_NE(logo, nullptr);
            logo->cmdFileIco->click();
            ExpectFitsBesideTheTree(main, logo, QString("gesticone_") + m.name, lang);
            EXPECT_FALSE(logo->imgReceiptHead->pixmap().isNull());
            CloseCurrentEditor();
        }
    }
    frmGestIcone::ChooseFile = savedChooser_;
}

}  // namespace
