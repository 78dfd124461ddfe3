#include "ui/frmBollini.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/numbers.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "ui/controls/ctl_caption.h"

frmBollini::frmBollini() : RecordEditor("cbxBollino", true, kBolliniFile, GetBollino, SaveBollino) {
    setObjectName("frmBollini");
    cbxBollino = itemList;
    Frame50 = NewFrame(this, "Frame50");
    Frame2 = NewFrame(this, "Frame2");
    cbxP430 = NewList(Frame50, "cbxP430");
    auto* grid = new QGridLayout(Frame50);
    for (int i = 0; i < 4; ++i) {
        Label1[i] = NewLabel(Frame50, ArrayName("Label1", i));
        grid->addWidget(Label1[i], i, 0);
        txtP431[i] = new FieldBox(Frame50, ArrayName("txtP431", i), 6);
        txtP432[i] = new FieldBox(Frame50, ArrayName("txtP432", i), 3);
        grid->addWidget(txtP431[i], 2, 1 + i);
        grid->addWidget(txtP432[i], 3, 1 + i);
    }
    grid->addWidget(cbxBollino, 0, 1);
    grid->addWidget(cbxP430, 1, 1, 1, 4, Qt::AlignLeft);
    grid->setColumnStretch(5, 1);
    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame50);
    layout->addStretch(1);
    layout->addWidget(Frame2);
}

void frmBollini::InitForm() {
    NumberedTexts(this, "22");
    for (int i = 0; i < 4; ++i) SetCaption(Label1[i], "22", std::to_string(i + 1));
    FillList(cbxP430, {GetText("22", "51"), GetText("22", "52")});
}

int16_t frmBollini::ItemCount() const { return Sizes.nMaxBollini; }

void frmBollini::FillControls(int16_t) {
    // A type digit other than 0 and 1 (as a register may send) shows no type,
    // is kept as it is, and makes the thresholds plain numbers.
    const int32_t type = udtEdit.P430.Num();
    cbxP430->setCurrentIndex(type == 0 || type == 1 ? type : -1);
    const bool amounts = udtEdit.P430.Trim() == "0";
    for (int i = 0; i < 4; ++i) {
        const int32_t threshold = udtEdit.P431[i].Num();
        txtP431[i]->Show(amounts ? CurToStr(threshold) : std::to_string(threshold));
        txtP432[i]->Show(std::to_string(udtEdit.P432[i].Num()));
    }
}

void frmBollini::ClearControls() {
    cbxP430->setCurrentIndex(-1);
    for (int i = 0; i < 4; ++i) {
        txtP431[i]->Show("");
        txtP432[i]->Show("");
    }
}

bool frmBollini::TakeControls(int16_t n) {
    bool ok = true;
    udtEdit.number.PutNum(n);
    if (cbxP430->currentIndex() >= 0) udtEdit.P430.PutNum(cbxP430->currentIndex());
    // The type chosen now decides how the thresholds are read.
    const bool amounts = udtEdit.P430.Trim() == "0";
    for (int i = 0; i < 4; ++i) {
        int64_t v = 0;
        const std::string threshold = txtP431[i]->Typed();
        if (amounts ? fields::TakeAmount(threshold, 0, 999999, v) : fields::TakeWhole(threshold, 0, 999999, v))
            udtEdit.P431[i].PutNum(v);
        else
            ok = RefuseAs(FieldCaption(txtP431[0]) + " " + std::to_string(i + 1), txtP431[i]);
        if (fields::TakeWhole(txtP432[i]->Typed(), 0, 999, v))
            udtEdit.P432[i].PutNum(v);
        else
            ok = RefuseAs(FieldCaption(txtP432[0]) + " " + std::to_string(i + 1), txtP432[i]);
    }
    return ok;
}

std::string frmBollini::RefusalText(int16_t n) const { return GetText("22", "6") + " " + std::to_string(n); }

bool frmBollini::Request() { return ReqBollino(); }

void frmBollini::Send() { SendBollino(); }
