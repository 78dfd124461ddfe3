#include "ui/frmReparti.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config_level.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "ui/frmLineeFid.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "store/departments.h"
#include "store/loyalty.h"
#include "store/table_file.h"

frmReparti::frmReparti() {
    setObjectName("frmReparti");
    Frame1 = NewFrame(this, "Frame1");
    lblReparto = NewLabel(Frame1, "lblReparto");
    cbxReparto = NewList(Frame1, "cbxReparto");
    cmdRepFid = NewButton(Frame1, "cmdRepFid");
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(lblReparto, 0, 0);
    grid->addWidget(cbxReparto, 0, 1, Qt::AlignLeft);
    grid->addWidget(cmdRepFid, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addStretch(1);
    connect(cmdRepFid, &QPushButton::clicked, this, [this] { cmdRepFid_Click(); });
}

void frmReparti::InitForm() {
    setWindowTitle(ToQt(GetText("Nodi", "reparti")));
    SetCaption(lblReparto, "frmReparti", "lblReparto");
    SetCaption(cmdRepFid, "frmReparti", "cmdRepFid");
    // Loyalty lines only on a model that keeps them.
    if (!ModelHasTable(kRepFidFile)) cmdRepFid->hide();
}

void frmReparti::ShowConf() {
    std::vector<std::string> items;
    if (fields::EditorFolderReady()) {
        const std::string file = tables::TablePath(kRepartiFile);
        for (int16_t n = 1; n <= Sizes.nMaxReparti; ++n) {
            RepartoRec rec;
            if (!tables::GetRecord("", file, n, rec, tables::Report::Silent)) break;
            items.push_back(std::to_string(n) + " " + rec.P120.Trim());
        }
    }
    FillList(cbxReparto, items);
}

void frmReparti::cmdRepFid_Click() {
    const int16_t n = ListChoice(cbxReparto);
    if (n == 0 || !fields::EditorFolderReady()) return;
    const std::string number = std::to_string(n);
    RepFidRec rec;
    // A department whose loyalty record cannot be read starts from zeros, so
    // that nothing undefined is shown or written.
    if (!GetRepFid(number, rec)) rec.Linee = ZeroLoyaltyLines();
    EditLoyaltyLines(rec.Linee, "Reparti");
    rec.end.Set();
    if (!SaveRepFid(number, rec))
        tables::ReportFileError("SaveRepFid", "The loyalty lines could not be written", tables::Report::MsgBox);
}
