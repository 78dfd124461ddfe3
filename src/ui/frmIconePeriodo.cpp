#include "ui/frmIconePeriodo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "core/link_state.h"

namespace {

// Period n's place in the record's arrays (1 to 10).
bool IsPeriod(int n) { return n >= 1 && n < static_cast<int>(udtCassaConf.P024.size()); }

}  // namespace

frmIconePeriodo::frmIconePeriodo() {
    setObjectName("frmIconePeriodo");
    cbxNPeriodo = NewList(this, "cbxNPeriodo");
    lblNPeriodo = NewLabel(this, "lblNPeriodo");
    lblNIcona = NewLabel(this, "lblNIcona");
    lblInizio = NewLabel(this, "lblInizio");
    lblFine = NewLabel(this, "lblFine");
    txtNIcona = new FieldBox(this, "txtNIcona", 3);
    medDataInizio = new MaskBox(this, "medDataInizio", "##/##/##");
    medDataFine = new MaskBox(this, "medDataFine", "##/##/##");
    auto* grid = new QGridLayout;
    const std::pair<QLabel*, QWidget*> rows[] = {
        {lblNPeriodo, cbxNPeriodo}, {lblNIcona, txtNIcona}, {lblInizio, medDataInizio}, {lblFine, medDataFine}};
    int row = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
    // Also a choice the program makes (the clearing) counts: the period left
    // is saved.
    connect(cbxNPeriodo, &QComboBox::currentIndexChanged, this, [this] { cbxNPeriodo_Click(); });
}

void frmIconePeriodo::InitForm() {
    NumberedTexts(this, "9");
    lblNPeriodo->setText(ToQt(GetText("9", "1")));
    lblNIcona->setText(ToQt(GetText("9", "2")));
    lblInizio->setText(ToQt(GetText("9", "3")));
    lblFine->setText(ToQt(GetText("9", "4")));
    const int periods = std::clamp<int>(ConfigLevel.GetNIconePeriodo(LinkState.nCurCash), 0, 10);
    std::vector<std::string> items;
    for (int p = 1; p <= periods; ++p) items.push_back(std::to_string(p));
    FillList(cbxNPeriodo, items);
}

void frmIconePeriodo::ShowConf() { ShowPeriodo(0); }

void frmIconePeriodo::ShowPeriodo(int16_t n) {
    if (n != 0 && IsPeriod(n)) {
        txtNIcona->Show(std::to_string(udtCassaConf.P024[n]));
        medDataInizio->ShowMask(udtCassaConf.P025[n]);
        medDataFine->ShowMask(udtCassaConf.P026[n]);
        Filled();
        return;
    }
    // The deselection counts as a choice: the period still shown is saved
    // (once) before the window is cleared.
    if (cbxNPeriodo->currentIndex() != -1 && !bClearing) {
        bClearing = true;
        cbxNPeriodo->setCurrentIndex(-1);
        bClearing = false;
    }
    txtNIcona->Show("");
    medDataInizio->ShowMask("");
    medDataFine->ShowMask("");
    nCurPeriodo = 0;
    Filled();
}

frmIconePeriodo::~frmIconePeriodo() { cbxNPeriodo->disconnect(this); }

void frmIconePeriodo::cbxNPeriodo_Click() {
    // The period being left is saved; while the periods' read runs, its
    // change is asked about (the list already names the new period).
    if (!LeaveShown([this] { return SaveConf(true, nCurPeriodo); }, cbxNPeriodo, nCurPeriodo)) return;
    const int16_t n = ListChoice(cbxNPeriodo);
    if (n != 0) {
        nCurPeriodo = n;
        ShowPeriodo(n);
    } else {
        ShowPeriodo(0);
    }
}

SaveResult frmIconePeriodo::SaveConf(bool ask, int16_t n) {
    udtCassaConfSaved = udtCassaConf;
    // The controls hold the period shown: they are never saved as another.
    if (n == 0 || n != nCurPeriodo || !IsPeriod(n)) return SaveResult::Saved;
    return OptionEditor::SaveConf(ask);
}

SaveResult frmIconePeriodo::SaveConf(bool ask) { return SaveConf(ask, ListChoice(cbxNPeriodo)); }

bool frmIconePeriodo::ChangeShown() {
    // The period shown, also while the list already names the next one.
    if (!IsPeriod(nCurPeriodo)) return false;
    return OptionEditor::ChangeShown();
}

bool frmIconePeriodo::SetConf() {
    // The controls into the period they show.
    const int16_t n = nCurPeriodo;
    bool ok = true;
    int64_t v = 0;
    if (fields::TakeWhole(txtNIcona->Typed(), 0, 99, v))
        udtCassaConf.P024[n] = static_cast<int16_t>(v);
    else
        ok = Refuse(txtNIcona);
    udtCassaConf.P025[n] = medDataInizio->MaskText();
    udtCassaConf.P026[n] = medDataFine->MaskText();
    return ok;
}

void frmIconePeriodo::Request() {
    ReqIconePeriodo();
    ShowPeriodo(0);
}

void frmIconePeriodo::Send() {
    SendIconePeriodo();
    ShowPeriodo(0);
}

bool frmIconePeriodo::HoldsData(const QWidget* control) const {
    return control != static_cast<const QWidget*>(cbxNPeriodo);
}
