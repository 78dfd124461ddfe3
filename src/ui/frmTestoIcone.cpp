#include "ui/frmTestoIcone.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "platform/files.h"

frmTestoIcone::frmTestoIcone()
    : RecordEditor("cbxNMessaggio", true, kIconTextFile, GetTestoIcone, SaveTestoIcone) {
    setObjectName("frmTestoIcone");
    loadClears = LoadClears::Always;
    cbxNMessaggio = itemList;
    lblNMessaggio = NewLabel(this, "lblNMessaggio");
    lblNIcona = NewLabel(this, "lblNIcona");
    txtNIcona = new FieldBox(this, "txtNIcona", 2);
    auto* grid = new QGridLayout;
    grid->addWidget(lblNMessaggio, 0, 0);
    grid->addWidget(cbxNMessaggio, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblNIcona, 1, 0);
    grid->addWidget(txtNIcona, 1, 1, Qt::AlignLeft);
    for (int i = 0; i < IconTextRec::kLines; ++i) {
        lblLinea[i] = NewLabel(this, ArrayName("lblLinea", i));
        txtLinea[i] = new FieldBox(this, ArrayName("txtLinea", i), 20);
        lblLinea[i]->hide();  // shown for the lines the register has
        txtLinea[i]->hide();
        grid->addWidget(lblLinea[i], 2 + i, 0);
        grid->addWidget(txtLinea[i], 2 + i, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
}

int frmTestoIcone::Lines() const {
    return std::clamp<int>(ConfigLevel.GetNLineeMessaggioIcone(Core.nOpenCash), 0, IconTextRec::kLines);
}

int32_t frmTestoIcone::RecordsInFile() const {
    const int64_t size = platform::FileSize(tables::TablePath(kIconTextFile));
    return size > 0 ? static_cast<int32_t>(size / static_cast<int64_t>(sizeof(IconTextRec))) : 0;
}

void frmTestoIcone::InitForm() {
    NumberedTexts(this, "8");
    SetCaption(lblNMessaggio, "8", "1");
    SetCaption(lblNIcona, "8", "2");
    const int chars = ConfigLevel.GetNCharLineaMessaggioIcone(Core.nOpenCash);
    for (int i = 0; i < Lines(); ++i) {
        lblLinea[i]->setText(ToQt(GetText("8", "3") + " " + std::to_string(i + 1)));
        lblLinea[i]->show();
        txtLinea[i]->show();
        txtLinea[i]->SetLimit(chars);
    }
}

int16_t frmTestoIcone::ItemCount() const { return ConfigLevel.GetNMessaggiIcone(Core.nOpenCash); }

// Every message of the register is listed, whatever the file holds (a file
// made when the register had fewer messages is short).
bool frmTestoIcone::ItemText(int16_t n, std::string& text) {
    text = std::to_string(n);
    return true;
}

bool frmTestoIcone::ReadRecord(int16_t n) {
    // A message past the end of a short file is blank.
    if (n > RecordsInFile()) {
        udtEdit = tables::DefaultRecord<IconTextRec>(n);
        return true;
    }
    return GetTestoIcone(n, udtEdit);
}

bool frmTestoIcone::WriteRecord(int16_t n) {
    // A short file is first completed with blank messages, so that it stays a
    // file of whole records.
    for (int32_t k = RecordsInFile() + 1; k < n; ++k) {
        IconTextRec blank = tables::DefaultRecord<IconTextRec>(k);
        if (!SaveTestoIcone(static_cast<int16_t>(k), blank)) return false;
    }
    return SaveTestoIcone(n, udtEdit);
}

void frmTestoIcone::FillControls(int16_t) {
    txtNIcona->Show(udtEdit.icon.Trim());
    for (int i = 0; i < Lines(); ++i) txtLinea[i]->Show(udtEdit.Line[i].Trim());
}

void frmTestoIcone::ClearControls() {
    txtNIcona->Show("");
    for (int i = 0; i < Lines(); ++i) txtLinea[i]->Show("");
}

bool frmTestoIcone::TakeControls(int16_t n) {
    // The message number in the file's own form (plain digits), as the table
    // store writes it and the register receives it.
    udtEdit.number.PutLeftNum(n);
    udtEdit.icon = fields::WireSafe(txtNIcona->Typed());
    for (int i = 0; i < Lines(); ++i) udtEdit.Line[i] = fields::WireSafe(txtLinea[i]->Text());
    return true;
}

bool frmTestoIcone::RecordChanged() const {
    if (udtEdit.icon.str() != udtOrig.icon.str()) return true;
    for (int i = 0; i < Lines(); ++i)
        if (udtEdit.Line[i].str() != udtOrig.Line[i].str()) return true;
    return false;
}

std::string frmTestoIcone::RefusalText(int16_t n) const { return GetText("8", "1") + " " + std::to_string(n); }

bool frmTestoIcone::Request() { return ReqTestoIcone(); }

void frmTestoIcone::Send() {
    SendTestoIcone();
    ShowX(0);
}
