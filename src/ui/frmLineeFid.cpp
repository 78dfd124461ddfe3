#include "ui/frmLineeFid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "core/numbers.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "ui/frmMain.h"

LineeFidRec LineeFid;
std::string strLineeFidCaption;

namespace {

constexpr int64_t kMaxEight = 99999999;
constexpr int32_t kMaxHundredths = 10000;  // 100.00

// A one-digit code 0 to 2 (type, calculation); an empty box is 0.
bool TakeCode(const std::string& text, tables::Fixed<1>& field) {
    if (text.empty()) {
        field = "0";
        return true;
    }
    if (text.size() != 1 || text[0] < '0' || text[0] > '2') return false;
    field = text;
    return true;
}

// An amount in minor units, 0 to 99999999; an empty box is 0.
bool TakeEightAmount(const std::string& text, tables::Fixed<8>& field) {
    int64_t value = 0;
    if (!text.empty() && (!fields::IsNumber(text) || !fields::TakeAmount(text, 0, kMaxEight, value)))
        return false;
    field.PutNum(value);
    return true;
}

// A value: digits only, 0 to 99999999; for type 2 a number with at most two
// decimals' worth of hundredths, 0 to 100.00 (a negative one does not fit the
// field and is refused). An empty box is 0.
bool TakeValue(const std::string& text, bool hundredths, tables::Fixed<8>& field) {
    int64_t value = 0;
    if (text.empty()) {
        // 0 whatever the type
    } else if (hundredths) {
        if (!fields::IsNumber(text)) return false;
        const double typed = StrToDbl(text);
        if (typed < 0 || typed > kMaxHundredths / 100.0) return false;
        value = StrToDec(text, 2);
        if (value < 0 || value > kMaxHundredths) return false;
    } else {
        if (!fields::AllDigits(text) || text.size() > 8) return false;
        value = std::stoll(text);
    }
    field.PutNum(value);
    return true;
}

}  // namespace

LineeFidRec ZeroLoyaltyLines() {
    LineeFidRec lines;
    for (LineaFidRec& l : lines.Linea) {
        l.Tipo = "0";
        l.Calcolo = "0";
        for (tables::Fixed<8>* f : {&l.Step1, &l.Step2, &l.Soglia1, &l.Soglia2, &l.Valore1, &l.Valore2})
            f->PutNum(0);
    }
    return lines;
}

frmLineeFid::frmLineeFid(QWidget* parent) : QDialog(parent) {
    setObjectName("frmLineeFid");
    setModal(true);
    lblSourceDesc = NewLabel(this, "lblSourceDesc");
    lblLineaFid = NewLabel(this, "lblLineaFid");
    cbxLineaFid = NewList(this, "cbxLineaFid");
    struct Field {
        QLabel** label;
        FieldBox** box;
        const char* labelName;
        const char* boxName;
        int limit;
    };
    const Field fieldsList[] = {
        {&lblTipo, &txtTipo, "lblTipo", "txtTipo", 1},
        {&lblCalcolo, &txtCalcolo, "lblCalcolo", "txtCalcolo", 1},
        {&lblStep1, &txtStep1, "lblStep1", "txtStep1", 8},
        {&lblStep2, &txtStep2, "lblStep2", "txtStep2", 8},
        {&lblSoglia1, &txtSoglia1, "lblSoglia1", "txtSoglia1", 8},
        {&lblSoglia2, &txtSoglia2, "lblSoglia2", "txtSoglia2", 8},
        {&lblValore1, &txtValore1, "lblValore1", "txtValore1", 8},
        {&lblValore2, &txtValore2, "lblValore2", "txtValore2", 8},
    };
    auto* grid = new QGridLayout;
    grid->addWidget(lblLineaFid, 0, 0);
    grid->addWidget(cbxLineaFid, 0, 1, Qt::AlignLeft);
    int row = 1;
    for (const Field& f : fieldsList) {
        *f.label = NewLabel(this, f.labelName);
        *f.box = new FieldBox(this, f.boxName, f.limit);
        grid->addWidget(*f.label, row, 0);
        grid->addWidget(*f.box, row, 1, Qt::AlignLeft);
        ++row;
    }
    grid->setColumnStretch(2, 1);
    cmdClear = NewButton(this, "cmdClear");
    cmdOk = NewButton(this, "cmdOk");
    cmdAnnulla = NewButton(this, "cmdAnnulla");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdAnnulla);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSourceDesc);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(cbxLineaFid, &QComboBox::currentIndexChanged, this, [this] { cbxLineaFid_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdAnnulla, &QPushButton::clicked, this, [this] { cmdAnnulla_Click(); });
    // The close box is Cancel: QDialog's reject.
    InitForm();
    ShowConf();
}

void frmLineeFid::InitForm() {
    frmMain::SetAppearance(this);
    setWindowTitle(ToQt(GetText("frmLineeFid", "frmLineeFid")));
    for (QWidget* w : std::initializer_list<QWidget*>{lblLineaFid, lblTipo, lblCalcolo, lblStep1, lblStep2,
                                                      lblSoglia1, lblSoglia2, lblValore1, lblValore2, cmdClear})
        SetCaption(w, "frmLineeFid", w->objectName().toStdString());
    SetCaption(cmdAnnulla, "Comandi", "14");
    SetCaption(cmdOk, "Comandi", "13");
    lblSourceDesc->setText(ToQt(strLineeFidCaption));
    udtEdit = LineeFid;
}

void frmLineeFid::ShowConf() {
    FillList(cbxLineaFid, {"0", "1", "2"});
    nCurLine = static_cast<int16_t>(cbxLineaFid->currentIndex());
    SetFieldsState();
}

void frmLineeFid::SetFieldsState() {
    const bool on = nCurLine >= 0;
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblTipo, txtTipo, lblCalcolo, txtCalcolo, lblStep1, txtStep1, lblStep2, txtStep2, lblSoglia1,
             txtSoglia1, lblSoglia2, txtSoglia2, lblValore1, txtValore1, lblValore2, txtValore2, cmdClear})
        w->setEnabled(on);
}

bool frmLineeFid::SaveTmpSlot(int16_t line) {
    if (line < 0 || line > 2) return true;
    LineaFidRec& l = udtEdit.Linea[line];
    bool ok = true;
    const std::string tipo = txtTipo->Typed();
    ok &= TakeCode(tipo, l.Tipo);
    ok &= TakeCode(txtCalcolo->Typed(), l.Calcolo);
    ok &= TakeEightAmount(txtStep1->Typed(), l.Step1);
    ok &= TakeEightAmount(txtStep2->Typed(), l.Step2);
    ok &= TakeEightAmount(txtSoglia1->Typed(), l.Soglia1);
    ok &= TakeEightAmount(txtSoglia2->Typed(), l.Soglia2);
    // The type as typed decides, even one that was refused.
    const bool hundredths = tipo == "2";
    ok &= TakeValue(txtValore1->Typed(), hundredths, l.Valore1);
    ok &= TakeValue(txtValore2->Typed(), hundredths, l.Valore2);
    if (ok)
        ShowMsg("", "");
    else
        ShowMsgText(GetText("frmLineeFid", "lblLineaFid") + " " + std::to_string(line), GetText("Errori", "8"));
    return ok;
}

bool frmLineeFid::LoadTmpSlot(int16_t line) {
    if (line < 0 || line > 2) return false;
    const LineaFidRec& l = udtEdit.Linea[line];
    txtTipo->Show(l.Tipo.str());
    txtCalcolo->Show(l.Calcolo.str());
    txtStep1->Show(CurToStr(l.Step1.Num()));
    txtStep2->Show(CurToStr(l.Step2.Num()));
    txtSoglia1->Show(CurToStr(l.Soglia1.Num()));
    txtSoglia2->Show(CurToStr(l.Soglia2.Num()));
    if (txtTipo->Typed() == "2") {
        txtValore1->Show(DecToStr(l.Valore1.Num(), 2));
        txtValore2->Show(DecToStr(l.Valore2.Num(), 2));
    } else {
        txtValore1->Show(l.Valore1.str());
        txtValore2->Show(l.Valore2.str());
    }
    return true;
}

bool frmLineeFid::TestChange() {
    if (std::memcmp(&udtEdit, &LineeFid, sizeof(LineeFidRec)) == 0) return true;
    const Reply answer = AskConfirm();
    if (answer == Reply::Yes) LineeFid = udtEdit;
    return answer != Reply::Closed;
}

void frmLineeFid::cbxLineaFid_Click() {
    const auto n = static_cast<int16_t>(cbxLineaFid->currentIndex());
    if (n == nCurLine) return;
    if (!SaveTmpSlot(nCurLine)) {
        // The user stays on the line with the refused field.
        cbxLineaFid->setCurrentIndex(nCurLine);
        return;
    }
    nCurLine = n;
    LoadTmpSlot(n);
    SetFieldsState();
}

void frmLineeFid::cmdClear_Click() {
    if (nCurLine < 0) return;
    txtTipo->Show("0");
    txtCalcolo->Show("0");
    for (FieldBox* box : {txtStep1, txtStep2, txtSoglia1, txtSoglia2, txtValore1, txtValore2}) box->Show("00000000");
    SaveTmpSlot(nCurLine);
}

void frmLineeFid::cmdOk_Click() {
    if (!SaveTmpSlot(nCurLine)) return;
    // The question closed: the window stays open at the change.
    if (!TestChange()) return;
    accept();
}

void frmLineeFid::cmdAnnulla_Click() { reject(); }

void EditLoyaltyLines(LineeFidRec& lines, const std::string& captionKey) {
    LineeFid = lines;
    strLineeFidCaption = GetText("frmLineeFid", captionKey);
    frmLineeFid dialog;
    dialog.exec();
    lines = LineeFid;
}
