#include "ui/frmValute.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/numbers.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"

frmValute::frmValute() : RecordEditor("cbxValute", true, kValuteFile, GetValuta, SaveValuta) {
    setObjectName("frmValute");
    loadClears = LoadClears::Never;  // the refresh at the end of the read empties it
    cbxValute = itemList;
    Frame50 = NewFrame(this, "Frame50");
    Frame2 = NewFrame(this, "Frame2");
    Frame3 = NewFrame(this, "Frame3");
    txtP531 = new FieldBox(Frame50, "txtP531", 8);
    txtP530 = new FieldBox(Frame50, "txtP530", 15);
    cbxP532 = NewList(Frame50, "cbxP532");
    auto* grid = new QGridLayout(Frame50);
    QWidget* fields[4] = {cbxValute, txtP531, txtP530, cbxP532};
    for (int i = 0; i < 4; ++i) {
        Label1[i] = NewLabel(Frame50, ArrayName("Label1", i));
        grid->addWidget(Label1[i], i, 0);
        grid->addWidget(fields[i], i, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);

    lblCurrencyDecimals = NewLabel(Frame3, "lblCurrencyDecimals");
    txtCurrencyDecimals = new FieldBox(Frame3, "txtCurrencyDecimals", 1);
    lblWarningCurrDec = NewLabel(Frame3, "lblWarningCurrDec");
    lblWarningCurrDec->setWordWrap(true);
    auto* decimals = new QGridLayout(Frame3);
    decimals->addWidget(lblCurrencyDecimals, 0, 0);
    decimals->addWidget(txtCurrencyDecimals, 0, 1);
    decimals->addWidget(lblWarningCurrDec, 1, 0, 1, 3);
    decimals->setColumnStretch(2, 1);

    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame50);
    layout->addWidget(Frame3);
    layout->addStretch(1);
    layout->addWidget(Frame2);
    connect(txtCurrencyDecimals, &QLineEdit::textChanged, this, [this] { txtCurrencyDecimals_Change(); });
}

void frmValute::InitForm() {
    NumberedTexts(this, "19");
    for (int i = 0; i < 4; ++i) SetCaption(Label1[i], "19", std::to_string(i + 1));
    SetCaption(lblCurrencyDecimals, "19", "currencydec");
    FillList(cbxP532, {"0", "2"});
    // The program's decimals as config.ini keeps them; without the key (or
    // with one no amount can use), the decimals the program works with.
    int16_t decimals = GetCurrencyDecimals();
    if (decimals < 0 || decimals > 9) {
        decimals = 0;
        for (int32_t s = Numbers.nCurrScale; s >= 10; s /= 10) ++decimals;
    }
    txtCurrencyDecimals->Show(std::to_string(decimals));
    lblWarningCurrDec->setText(ToQt(GetText("19", "cdwarning")));
}

void frmValute::txtCurrencyDecimals_Change() {
    const std::string text = txtCurrencyDecimals->Typed();
    const int16_t decimals = text.size() == 1 && text[0] >= '0' && text[0] <= '9' ? text[0] - '0' : 0;
    SetCurrencyDecimals(decimals);
}

int16_t frmValute::ItemCount() const { return Sizes.nMaxValute; }

void frmValute::FillControls(int16_t) {
    txtP530->Show(fields::RateText(StrToDbl(udtEdit.P530.Trim())));
    txtP531->Show(udtEdit.P531.Trim());
    cbxP532->setCurrentIndex(udtEdit.P532.Trim() == "2" ? 1 : 0);
}

void frmValute::ClearControls() {
    txtP530->Show("");
    txtP531->Show("");
    cbxP532->setCurrentIndex(-1);
}

bool frmValute::TakeControls(int16_t) {
    // The rate decides for the whole record: one that is no number, or that
    // does not fit six integer digits, leaves the record as it was.
    const std::string typed = fields::TypedNumber(txtP530->Typed());
    if (!fields::IsNumber(typed)) return Refuse(txtP530);
    const double rate = StrToDbl(typed);
    const std::string rateText = fields::RateText(rate);
    if (rate < 0 || static_cast<int>(rateText.size()) > decltype(udtEdit.P530)::kWidth) return Refuse(txtP530);
    udtEdit.P530 = rateText;
    // With no setting chosen the stored one stays.
    if (cbxP532->currentIndex() >= 0) udtEdit.P532 = ListText(cbxP532);
    udtEdit.P531 = fields::WireSafe(txtP531->Typed());
    return true;
}

std::string frmValute::RefusalText(int16_t n) const { return GetText("19", "5") + " " + std::to_string(n); }

bool frmValute::Request() { return ReqValuta(); }

void frmValute::Send() { SendValuta(); }
