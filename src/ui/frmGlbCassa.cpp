#include "ui/frmGlbCassa.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "engine/builders_tables.h"
#include "core/record.h"

namespace {

// The amounts the register takes: minor units, eight digits.
constexpr int64_t kMaxAmount = 99999999;

}  // namespace

frmGlbCassa::frmGlbCassa() {
    setObjectName("frmGlbCassa");
    Frame50 = NewFrame(this, "Frame50");
    Frame2 = NewFrame(this, "Frame2");
    chkP510A = NewCheck(Frame50, "chkP510A");
    chkP510B = NewCheck(Frame50, "chkP510B");
    txtP511 = new FieldBox(Frame50, "txtP511", 8);
    txtP512 = new FieldBox(Frame50, "txtP512", 8);
    cbxP513 = NewList(Frame50, "cbxP513");
    txtP514 = new FieldBox(Frame50, "txtP514", 30);
    txtP515 = new FieldBox(Frame50, "txtP515", 30);
    txtP516 = new FieldBox(Frame50, "txtP516", 30);
    txtP518 = new FieldBox(Frame50, "txtP518", 8);
    txtP519 = new FieldBox(Frame50, "txtP519", 8);
    for (int i = 0; i < 8; ++i) Label1[i] = NewLabel(Frame50, ArrayName("Label1", i));
    for (int i = 0; i < 7; ++i) {
        chkP517[i] = NewCheck(Frame50, QString("chkP517") + QChar('A' + i));
        p517_.push_back({chkP517[i], IndexWeight(i)});
    }

    // Fields beside their labels, the flags below them.
    auto* grid = new QGridLayout(Frame50);
    QWidget* fieldsShown[8] = {txtP511, txtP512, cbxP513, txtP514, txtP515, txtP516, txtP518, txtP519};
    int row = 0;
    for (int i = 0; i < 8; ++i) {
        grid->addWidget(Label1[i], row, 0);
        grid->addWidget(fieldsShown[i], row++, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    // The flags two by two: P510's, then P517's.
    auto* flags = new QGridLayout;
    flags->setVerticalSpacing(2);
    flags->addWidget(chkP510A, 0, 0);
    flags->addWidget(chkP510B, 0, 1);
    for (int i = 0; i < 7; ++i) flags->addWidget(chkP517[i], 1 + i / 2, i % 2);
    grid->addLayout(flags, row, 0, 1, 3);

    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame50);
    layout->addStretch(1);
    layout->addWidget(Frame2);
}

bool frmGlbCassa::IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

void frmGlbCassa::InitForm() {
    NumberedTexts(this, "17");
    const char* labels[8] = {"1", "2", "3", "4", "5", "6", "7", "13"};
    for (int i = 0; i < 8; ++i) SetCaption(Label1[i], "17", labels[i]);
    SetCaption(chkP510A, "17", "8");
    SetCaption(chkP510B, "17", "9");
    const char* bits[7] = {"10", "11", "12", "gesticket", "ticketround", "ticketnonri", "autodecimal"};
    for (int i = 0; i < 7; ++i) SetCaption(chkP517[i], "17", bits[i]);
    FillList(cbxP513, {"0", "5", "10", "50", "100"});
    // The option bits the model (and the program's release) offers.
    for (int i = 0; i < 7; ++i) chkP517[i]->setVisible(ConfigLevel.GetP517Enable(std::string(1, 'A' + i)));
    for (FieldBox* box : {txtP514, txtP515, txtP516}) box->SetLimit(ConfigLevel.GetMaxDescrLen());
    if (IsLX4100()) {
        for (QWidget* w : {static_cast<QWidget*>(chkP510B), static_cast<QWidget*>(txtP514),
                           static_cast<QWidget*>(txtP515), static_cast<QWidget*>(txtP516),
                           static_cast<QWidget*>(txtP518), static_cast<QWidget*>(txtP519)})
            w->hide();
        for (int i = 3; i < 8; ++i) Label1[i]->hide();
    }
}

void frmGlbCassa::ShowConf() {
    const CassaConfRec& c = udtCassaConf;
    if (IsLX4100()) {
        chkP510A->setChecked(c.P510 & 1);
    } else {
        chkP510A->setChecked(c.P510 & 128);
        chkP510B->setChecked(c.P510 & 64);
    }
    const std::pair<FieldBox*, const std::string*> amounts[] = {
        {txtP511, &c.P511}, {txtP512, &c.P512}, {txtP518, &c.P518}, {txtP519, &c.P519}};
    for (auto [box, value] : amounts) box->Show(CurToStr(tables::NumValue(*value)));
    // A value that is none of the list's leaves no item chosen (and a save
    // then stores 0), never the choice shown for another register.
    int index = -1;
    for (int i = 0; i < cbxP513->count() && index < 0; ++i)
        if (tables::NumValue(cbxP513->itemText(i).toStdString()) == c.P513) index = i;
    cbxP513->setCurrentIndex(index);
    txtP514->Show(c.P514);
    txtP515->Show(c.P515);
    txtP516->Show(c.P516);
    ShowFlags(p517_, c.P517);
}

bool frmGlbCassa::SetConf() {
    CassaConfRec& c = udtCassaConf;
    bool ok = true;
    if (IsLX4100())
        c.P510 = chkP510A->isChecked() ? 1 : 0;
    else
        c.P510 = static_cast<int16_t>(FlagsValue(Letters({chkP510A, chkP510B}, "AB")));
    // An amount that is no number, one outside the register's eight digits,
    // or one too large for the program's amounts is refused; a hidden box
    // keeps the stored amount.
    auto amount = [&ok](FieldBox* box, std::string& field) {
        int64_t v = 0;
        if (box->isHidden()) return;
        if (fields::TakeAmount(box->Typed(), 0, kMaxAmount, v))
            field = std::to_string(v);
        else
            ok = Refuse(box);
    };
    amount(txtP511, c.P511);
    amount(txtP512, c.P512);
    c.P513 = static_cast<int16_t>(tables::NumValue(ListText(cbxP513)));
    c.P514 = fields::WireSafe(txtP514->Text());
    c.P515 = fields::WireSafe(txtP515->Text());
    c.P516 = fields::WireSafe(txtP516->Text());
    // A hidden box passes its bit through; the bit of 1 has no box and is 0.
    c.P517 = static_cast<int16_t>(FlagsValue(p517_));
    amount(txtP518, c.P518);
    amount(txtP519, c.P519);
    return ok;
}

void frmGlbCassa::Request() { ReqGlbCassa(); }

void frmGlbCassa::Send() { SendGlbCassa(); }
