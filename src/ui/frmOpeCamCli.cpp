#include "ui/frmOpeCamCli.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"

namespace {

// The code padded on the left with "0" to its width; a field separator in it
// becomes a blank, so that the register's record keeps its fields.
std::string ZeroFilled(const std::string& text, size_t width) {
    std::string code = fields::WireSafe(text);
    if (code.size() < width) code.insert(0, width - code.size(), '0');
    return code;
}

}  // namespace

frmOpeCamCli::frmOpeCamCli() {
    setObjectName("frmOpeCamCli");
    for (int i = 0; i < 3; ++i) Label1[i] = NewLabel(this, ArrayName("Label1", i));
    txtP050C = new FieldBox(this, "txtP050C", 5);
    txtP050P = new FieldBox(this, "txtP050P", 3);
    txtP346 = new FieldBox(this, "txtP346", 30);
    chkP310 = NewCheck(this, "chkP310");
    chkP311F = NewCheck(this, "chkP311F");
    chkP311G = NewCheck(this, "chkP311G");
    chkP311H = NewCheck(this, "chkP311H");
    chkP050A = NewCheck(this, "chkP050A");
    chkP050B = NewCheck(this, "chkP050B");
    chkP050C = NewCheck(this, "chkP050C");
    lblWarning = NewLabel(this, "lblWarning");
    lblWarning->setWordWrap(true);

    auto* grid = new QGridLayout;
    int row = 0;
    for (QCheckBox* b : {chkP310, chkP311F, chkP311G, chkP311H, chkP050A, chkP050B, chkP050C})
        grid->addWidget(b, row++, 0, 1, 3);
    const std::pair<QLabel*, FieldBox*> texts[] = {{Label1[0], txtP050C}, {Label1[1], txtP050P}, {Label1[2], txtP346}};
    for (const auto& [label, box] : texts) {
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row++, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblWarning);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
}

void frmOpeCamCli::InitForm() {
    NumberedTexts(this, "23");
    SetCaption(Label1[0], "23", "1");
    SetCaption(Label1[1], "23", "2");
    SetCaption(Label1[2], "23", "10");
    const std::pair<QCheckBox*, const char*> boxes[] = {{chkP310, "3"},  {chkP311F, "4"}, {chkP311G, "5"},
                                                        {chkP311H, "6"}, {chkP050A, "7"}, {chkP050B, "8"},
                                                        {chkP050C, "9"}};
    for (const auto& [box, key] : boxes) SetCaption(box, "23", key);
    SetCaption(lblWarning, "23", "warning");
    if (ConfigLevel.CashType() != "LX4100") {
        Label1[2]->hide();
        txtP346->hide();
    }
}

void frmOpeCamCli::ShowConf() {
    const CassaConfRec& c = udtCassaConf;
    nShownP310 = c.P310;
    chkP310->setChecked(c.P310 != 0);
    ShowFlags(Letters({chkP311F, chkP311G, chkP311H}, "FGH"), c.P311);
    ShowFlags(Letters({chkP050A, chkP050B, chkP050C}, "ABC"), c.P050);
    txtP050C->Show(c.P050C);
    txtP050P->Show(c.P050P);
    txtP346->Show(c.P346);
}

bool frmOpeCamCli::SetConf() {
    CassaConfRec& c = udtCassaConf;
    if (chkP310->isChecked() != (nShownP310 != 0)) nShownP310 = chkP310->isChecked() ? 1 : 0;
    c.P310 = nShownP310;
    c.P311 = static_cast<int16_t>(FlagsValue(Letters({chkP311F, chkP311G, chkP311H}, "FGH")));
    c.P050 = static_cast<int16_t>(FlagsValue(Letters({chkP050A, chkP050B, chkP050C}, "ABC")));
    c.P050C = ZeroFilled(txtP050C->Text(), 5);
    c.P050P = ZeroFilled(txtP050P->Text(), 3);
    c.P346 = txtP346->Typed();
    return true;
}

void frmOpeCamCli::Request() { ReqOpeCamCli(); }

void frmOpeCamCli::Send() { SendOpeCamCli(); }
