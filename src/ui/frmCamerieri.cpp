#include "ui/frmCamerieri.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "ui/controls/card_controls.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "store/cards.h"

frmCamerieri::frmCamerieri() : RecordEditor("cbxCam", true, kCamFile, GetCam, SaveCam) {
    setObjectName("frmCamerieri");
    // The read leaves the waiter shown; the refresh at its end shows the table.
    loadClears = LoadClears::Never;
    cbxCam = itemList;
    Frame50 = NewFrame(this, "Frame50");
    txtP330 = new FieldBox(Frame50, "txtP330", 30);
    auto* top = new QGridLayout(Frame50);
    QWidget* waiter[2] = {cbxCam, txtP330};
    for (int i = 0; i < 2; ++i) {
        Label1[i] = NewLabel(Frame50, ArrayName("Label1", i));
        top->addWidget(Label1[i], i, 0);
        top->addWidget(waiter[i], i, 1, Qt::AlignLeft);
    }
    top->setColumnStretch(2, 1);

    Frame3 = NewFrame(this, "Frame3");
    txtNumero = new FieldBox(Frame3, "txtNumero", 2);
    txtChiave = new FieldBox(Frame3, "txtChiave", 3);
    txtClienti = new FieldBox(Frame3, "txtClienti", 8);
    txtArticoli = new FieldBox(Frame3, "txtArticoli", 8);
    txtVendite = new FieldBox(Frame3, "txtVendite", 8);
    DigitsOnly(txtNumero);
    DigitsOnly(txtChiave);
    for (FieldBox* b : {txtClienti, txtArticoli, txtVendite}) DigitsOnly(b, true);
    mskData = new MaskBox(Frame3, "mskData", "##/##/##");
    auto* card = new QGridLayout(Frame3);
    QWidget* cardFields[6] = {txtNumero, txtChiave, txtClienti, txtArticoli, txtVendite, mskData};
    for (int i = 0; i < 6; ++i) {
        Label1[i + 2] = NewLabel(Frame3, ArrayName("Label1", i + 2));
        card->addWidget(Label1[i + 2], i, 0);
        card->addWidget(cardFields[i], i, 1, Qt::AlignLeft);
    }
    cmdRead = NewButton(Frame3, "cmdRead");
    cmdWrite = NewButton(Frame3, "cmdWrite");
    cmdClear = NewButton(Frame3, "cmdClear");
    auto* cardButtons = new QVBoxLayout;
    for (QPushButton* b : {cmdRead, cmdWrite, cmdClear}) cardButtons->addWidget(b);
    cardButtons->addStretch(1);
    card->addLayout(cardButtons, 0, 3, 6, 1);
    card->setColumnStretch(2, 1);
    Frame3->hide();

    Frame2 = NewFrame(this, "Frame2");
    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame50);
    layout->addWidget(Frame3);
    layout->addStretch(1);
    layout->addWidget(Frame2);
    connect(cmdRead, &QPushButton::clicked, this, [this] { cmdRead_Click(); });
    connect(cmdWrite, &QPushButton::clicked, this, [this] { cmdWrite_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
}

void frmCamerieri::InitForm() {
    NumberedTexts(this, "25");
    SetCaption(Label1[0], "25", "1");
    SetCaption(Label1[1], "25", "2");
    SetCaption(Frame3, "Caption", "29");
    SetCaption(cmdClear, "Comandi", "18");
    SetCaption(cmdRead, "Comandi", "17");
    SetCaption(cmdWrite, "Comandi", "16");
    SetCaption(Label1[2], "25", "1");
    for (int i = 3; i <= 7; ++i) SetCaption(Label1[i], "25", std::to_string(i + 1));
    txtP330->SetLimit(ConfigLevel.GetMaxDescrLen());
    if (ConfigLevel.CashType() != "LX4100") {
        Frame3->hide();
        return;
    }
    Frame3->show();
    // The card buttons serve one register only; decided once per opening.
    const bool one = OneCashSelected();
    for (QPushButton* b : {cmdRead, cmdWrite, cmdClear}) b->setEnabled(one);
    mskData->setText("00/00/00");
    txtNumero->Show("01");
    for (FieldBox* b : {txtChiave, txtClienti, txtArticoli, txtVendite}) b->Show("");
}

int16_t frmCamerieri::ItemCount() const { return Sizes.nMaxCam; }

bool frmCamerieri::ItemText(int16_t n, std::string& text) {
    NameRec rec;
    if (!ReadQuietly(n, rec)) return false;
    text = std::to_string(rec.number.Num());
    return true;
}

void frmCamerieri::FillControls(int16_t) { txtP330->Show(udtEdit.name.Trim()); }

void frmCamerieri::ClearControls() { txtP330->Show(""); }

bool frmCamerieri::TakeControls(int16_t n) {
    udtEdit.number.PutNum(n);
    udtEdit.name = fields::WireSafe(txtP330->Typed());
    return true;
}

std::string frmCamerieri::RefusalText(int16_t n) const { return GetText("25", "1") + " " + std::to_string(n); }

bool frmCamerieri::Request() { return ReqCam(); }

void frmCamerieri::Send() { SendCam(); }

bool frmCamerieri::SetCard() {
    CamCard.bValid = False;
    CamCard.strNumero = std::to_string(tables::NumValue(txtNumero->Typed()));
    CamCard.strChiave = txtChiave->Typed();
    CamCard.nClienti = tables::NumValue(txtClienti->Typed());
    CamCard.nArticoli = tables::NumValue(txtArticoli->Typed());
    CamCard.nVendite = tables::NumValue(txtVendite->Typed());
    for (int k = 1; k <= 3; ++k) CamCard.aExtra[k] = 0;
    CamCard.strData = DateDigits(mskData);
    return true;
}

void frmCamerieri::ShowCard() {
    ShowDate(mskData, CamCard.strData);
    txtNumero->Show(CamCard.strNumero);
    txtChiave->Show(CamCard.strChiave);
    txtClienti->Show(std::to_string(CamCard.nClienti));
    txtArticoli->Show(std::to_string(CamCard.nArticoli));
    txtVendite->Show(std::to_string(CamCard.nVendite));
}

bool frmCamerieri::CardValid() const { return CamCard.bValid != False; }

void frmCamerieri::cmdRead_Click() {
    if (TestCashEnabled()) ReadCamCard();
}

void frmCamerieri::cmdWrite_Click() {
    if (TestCashEnabled() && SetCard()) WriteCamCard();
}

void frmCamerieri::cmdClear_Click() {
    if (!TestCashEnabled()) return;
    if (CurrentShell().AskYesNo(GetText("Msg", "75"), GetText("Msg", "74"))) ClearChipCard();
}
