// The keyboard and logo editors beside the tree in the main window, in
// English and in Italian, on models with different key grids: every text
// whole, no two controls over each other, every key of the grid inside the
// editor at the default width. When ECR_SCREENSHOT_DIR names a folder, the
// main window with the editor is written there as a picture.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "editor_fixture.h"
#include "editors/setup/ui/frmGestIcone.h"
#include "editors/setup/ui/frmTastiera.h"
#include "logo_bitmap.h"

namespace {

using editortest::EditorTest;

void ExpectWholeAndApart(QWidget* editor) {
    std::vector<QWidget*> shown;
    for (QWidget* w : editor->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        const std::string name = w->objectName().toStdString();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->pixmap().isNull()) {
                EXPECT_FALSE(label->text().isEmpty()) << name;
                EXPECT_GE(label->width(), label->sizeHint().width()) << name;
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_FALSE(button->text().isEmpty()) << name;
            EXPECT_GE(button->width(), button->sizeHint().width()) << name;
        }
        const QRect r(w->mapTo(editor, QPoint(0, 0)), w->size());
        EXPECT_TRUE(editor->rect().contains(r)) << name;
        if (!qobject_cast<QGroupBox*>(w)) shown.push_back(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            QRect a(shown[i]->mapTo(editor, QPoint(0, 0)), shown[i]->size());
            QRect b(shown[j]->mapTo(editor, QPoint(0, 0)), shown[j]->size());
            EXPECT_FALSE(a.intersects(b)) << shown[i]->objectName().toStdString() << " and "
                                          << shown[j]->objectName().toStdString();
        }
}

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
            QCoreApplication::processEvents();
            EXPECT_FALSE(main.EditorArea()->subWindowList().front()->windowTitle().isEmpty());
            EXPECT_GE(keys->width(), keys->minimumSizeHint().width());
            EXPECT_GE(keys->height(), keys->minimumSizeHint().height());
            ExpectWholeAndApart(keys);
            if (const char* out = std::getenv("ECR_SCREENSHOT_DIR"))
                main.grab().save(QString("%1/editor_tastiera_%2_%3.png").arg(out, m.name, QString(lang).mid(6)));

            auto* logo = Open<frmGestIcone>("K_FRMGESTICONE");
            ASSERT_NE(logo, nullptr);
            logo->cmdFileIco->click();
            QCoreApplication::processEvents();
            EXPECT_FALSE(logo->imgReceiptHead->pixmap().isNull());
            EXPECT_GE(logo->width(), logo->minimumSizeHint().width());
            EXPECT_GE(logo->height(), logo->minimumSizeHint().height());
            ExpectWholeAndApart(logo);
            if (const char* out = std::getenv("ECR_SCREENSHOT_DIR"))
                main.grab().save(QString("%1/editor_gesticone_%2_%3.png").arg(out, m.name, QString(lang).mid(6)));
            CloseCurrentEditor();
        }
    }
    frmGestIcone::ChooseFile = savedChooser_;
}

}  // namespace
