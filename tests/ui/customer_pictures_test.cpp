// The customer and loyalty windows beside the tree, and the loyalty lines
// dialog, in English and in Italian: every caption from the language file,
// nothing cut or overlapping. When ECR_SCREENSHOT_DIR names a folder, each
// is written there as a picture.
#include <QApplication>
#include <QRadioButton>
#include <QTimer>

#include "ui/frmClienti.h"
#include "ui/frmLineeFid.h"
#include "ui/editor_fixture.h"
#include "ui/frmReparti.h"
#include "ui/table_editor.h"

namespace {

using editortest::EditorTest;
using editortest::ExpectFitsBesideTheTree;
using editortest::ExpectWholeAndApart;

TEST_F(EditorTest, CustomerAndLoyaltyWindowsInBothLanguages) {
    const char* keys[] = {"K_FRMCLIENTI", "K_FRMGCLIENTI", "K_FRMFIDELIZZA", "K_FRMREPARTI"};
    for (const char* lang : {"Testi.eng", "Testi.ita"}) {
        frmMain& main = Main(11, lang);  // ZANDORE: groups and loyalty
        for (const char* key : keys) {
            SCOPED_TRACE(std::string(lang) + " " + key);
            auto* editor = Open<EditorWindow>(key);
            ASSERT_NE(editor, nullptr);
            if (auto* table = dynamic_cast<TableEditor*>(editor))
                Choose(table->itemList, 1);
            else if (auto* departments = dynamic_cast<frmReparti*>(editor))
                Choose(departments->cbxReparto, 1);
            else if (auto* customers = dynamic_cast<frmClienti*>(editor)) {
                customers->cbxCli->setEditText("123");
                customers->cbxCli_Enter();
            }
            ExpectFitsBesideTheTree(main, editor, QString(key).mid(5).toLower(), lang);
        }
        // The loyalty lines dialog, a line shown.
        LineeFid = ZeroLoyaltyLines();
        strLineeFidCaption = GetText("frmLineeFid", "Reparti");
        frmLineeFid dialog;
        dialog.show();
        Choose(dialog.cbxLineaFid, 2);
        QCoreApplication::processEvents();
        EXPECT_FALSE(dialog.windowTitle().isEmpty());
        ExpectWholeAndApart(&dialog);
        if (const char* out = std::getenv("ECR_SCREENSHOT_DIR"))
            dialog.grab().save(QString("%1/dialog_lineefid_%2.png").arg(out, QString(lang).mid(6)));
    }
}

// The customer editor of an LX4100 with its offline card panel, on each card
// type: the stamps and the value rows are the widest; its departments window
// without the loyalty button (the model keeps no loyalty lines).
TEST_F(EditorTest, CustomerCardPanelInBothLanguages) {
    for (const char* lang : {"Testi.eng", "Testi.ita"}) {
        frmMain& main = Main(1, lang);
        auto* departments = Open<frmReparti>("K_FRMREPARTI");
        Choose(departments->cbxReparto, 1);
        EXPECT_FALSE(departments->cmdRepFid->isVisibleTo(departments));
        ExpectFitsBesideTheTree(main, departments, "reparti_lx4100", lang);
        auto* editor = Open<frmClienti>("K_FRMCLIENTI");
        ASSERT_NE(editor, nullptr);
        editor->cbxCli->setEditText("123");
        editor->cbxCli_Enter();
        for (int type = 0; type < 4; ++type) {
            SCOPED_TRACE(std::string(lang) + " " + std::to_string(type));
            editor->optTipo[type]->click();
            QCoreApplication::processEvents();
            EXPECT_TRUE(editor->fraCliCard->isVisible());
            ExpectFitsBesideTheTree(main, editor, QString("clienti_card%1").arg(20 + type), lang);
        }
        CloseCurrentEditor();
        main_.reset();
    }
}

}  // namespace
