// Each register setup editor beside the tree in the main window, in English
// and in Italian: every caption from the language file, nothing cut or
// overlapping at the default width. When ECR_SCREENSHOT_DIR names a folder,
// the main window with the editor is written there as a picture.
#include "ui/editor_fixture.h"
#include "ui/frmIconePeriodo.h"
#include "ui/frmModPag.h"
#include "ui/frmOpGen.h"

namespace {

using editortest::EditorTest;
using editortest::ExpectFitsBesideTheTree;

TEST_F(EditorTest, EachEditorBesideTheTreeInBothLanguages) {
    const char* keys[] = {"K_FRMTESTOICONE", "K_FRMCARRESTO",     "K_FRMBOLLINI",  "K_FRMVALUTE",
                          "K_FRMMODPAG",     "K_FRMSCONTRINO",    "K_FRMINTSCONTRINO", "K_FRMGLBCASSA",
                          "K_FRMOPGEN",      "K_FRMICONEPERIODO", "K_FRMOPECAMCLI"};
    for (const char* lang : {"Testi.eng", "Testi.ita"}) {
        frmMain& main = Main(11, lang);  // ZANDORE: meal tickets, ten icon messages
        for (const char* key : keys) {
            SCOPED_TRACE(std::string(lang) + " " + key);
            auto* editor = Open<EditorWindow>(key);
            ASSERT_NE(editor, nullptr);
            // A record shown, as the user sees the editor at work (an option
            // editor shows its options as it opens).
            auto* table = dynamic_cast<TableEditor*>(editor);
            auto* general = dynamic_cast<frmOpGen*>(editor);
            if (auto* payments = dynamic_cast<frmModPag*>(editor)) {
                Choose(payments->cbxModPag, 6);
                Choose(payments->cbxTagliTicket, 1);
            } else if (auto* periods = dynamic_cast<frmIconePeriodo*>(editor)) {
                Choose(periods->cbxNPeriodo, 1);
            } else if (table) {
                Choose(table->itemList, 1);
            }
            // Each tab of a tabbed editor in its turn.
            const int tabs = general ? general->sstOpGen->count() : 1;
            for (int tab = 0; tab < tabs; ++tab) {
                if (general) general->sstOpGen->setCurrentIndex(tab);
                const QString name = QString(key).mid(5).toLower() + (tab ? QString::number(tab) : QString());
                ExpectFitsBesideTheTree(main, editor, name, lang);
            }
        }
    }
}

// The operators and waiters editors, with their card frame (LX4100) and
// without it.
TEST_F(EditorTest, PeopleEditorsWithAndWithoutTheCardFrame) {
    for (const char* lang : {"Testi.eng", "Testi.ita"})
        for (int16_t model : {1, 11}) {
            frmMain& main = Main(model, lang);
            for (const char* key : {"K_FRMOPERATORI", "K_FRMCAMERIERI"}) {
                SCOPED_TRACE(std::string(lang) + " " + key + " " + std::to_string(model));
                auto* table = Open<TableEditor>(key);
                ASSERT_NE(table, nullptr);
                Choose(table->itemList, 2);
                ExpectFitsBesideTheTree(main, table, QString(key).mid(5).toLower() + (model == 1 ? "_card" : "_nocard"),
                                        lang);
            }
            CloseCurrentEditor();
        }
}

}  // namespace
