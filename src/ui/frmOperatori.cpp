#include "ui/frmOperatori.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
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

namespace {

// The rights boxes: value (1 to 3), name, weight, text key of section "24",
// hidden on LX4100.
struct RightBox {
    int value;
    const char* name;
    int weight;
    const char* key;
    bool hiddenOnLX4100;
};
constexpr RightBox kRights[] = {
    {1, "chkP322AA", 128, "5", true},   {1, "chkP322AD", 16, "24", false},
    {1, "chkP322AE", 8, "6", false},    {1, "chkP322AF", 4, "7", false},
    {1, "chkP322AG", 2, "8", false},    {1, "chkP322AH", 1, "9", false},
    {2, "chkP322BA", 128, "10", false}, {2, "chkP322BB", 64, "11", false},
    {2, "chkP322BC", 32, "12", false},  {2, "chkP322BD", 16, "13", false},
    {2, "chkP322BF", 4, "14", false},   {2, "chkP322BG", 2, "15", false},
    {2, "chkP322BH", 1, "16", false},   {3, "chkP322CA", 128, "17", false},
    {3, "chkP322CB", 64, "18", false},  {3, "chkP322CC", 32, "19", true},
    {3, "chkP322CD", 16, "20", true},   {3, "chkP322CE", 8, "21", true},
    {3, "chkP322CF", 4, "22", true},
};
// The bits of each rights value that have a box.
constexpr int kMask[3] = {159, 247, 252};

bool IsLX4100() { return ConfigLevel.CashType() == "LX4100"; }

// A code box's text as the file keeps it: three digits. The boxes take
// digits only; a code shown from a card that is no number is kept as its
// leading number (0 when none).
int64_t CodeValue(const std::string& text) {
    const int64_t v = tables::NumValue(text);
    return v < 0 ? 0 : v > 999 ? 999 : v;
}

}  // namespace

frmOperatori::frmOperatori() : RecordEditor("cbxOpe", true, kOpeFile, GetOpe, SaveOpe) {
    setObjectName("frmOperatori");
    cbxOpe = itemList;
    // Load keeps the operator shown (nothing is saved into the read, and
    // leaving it asks); the read's refresh shows it again as read.
    loadClears = LoadClears::Never;
    auto* top = new QGridLayout;
    txtP320C = new FieldBox(this, "txtP320C", 2);
    txtP320S = new FieldBox(this, "txtP320S", 3);
    txtP321 = new FieldBox(this, "txtP321", 30);
    DigitsOnly(txtP320C);
    DigitsOnly(txtP320S);
    QWidget* fieldsShown[4] = {cbxOpe, txtP320C, txtP320S, txtP321};
    for (int i = 0; i < 4; ++i) {
        Label1[i] = NewLabel(this, ArrayName("Label1", i));
        top->addWidget(Label1[i], i, 0);
        top->addWidget(fieldsShown[i], i, 1, Qt::AlignLeft);
    }
    top->setColumnStretch(2, 1);

    // The three rights groups side by side; their titles are fixed.
    Frame5 = NewFrame(this, "Frame5");
    Frame4 = NewFrame(this, "Frame4");
    Frame3 = NewFrame(this, "Frame3");
    QGroupBox* groups[3] = {Frame5, Frame4, Frame3};
    auto* rights = new QHBoxLayout;
    for (int k = 0; k < 3; ++k) {
        groups[k]->setTitle(QString::number(k + 1));
        auto* column = new QVBoxLayout(groups[k]);
        column->setSpacing(2);
        for (const RightBox& r : kRights) {
            if (r.value != k + 1) continue;
            QCheckBox* box = NewCheck(groups[k], r.name);
            column->addWidget(box);
            rights_[k].push_back({box, r.weight});
            named_.emplace_back(r.name, box);
        }
        column->addStretch(1);
        rights->addWidget(groups[k], 1);
    }

    // The card frame.
    Frame6 = NewFrame(this, "Frame6");
    mskData = new MaskBox(Frame6, "mskData", "##/##/##");
    Label1[4] = NewLabel(Frame6, ArrayName("Label1", 4));
    for (int i = 0; i < 2; ++i) {
        optCard[i] = new QRadioButton(Frame6);
        optCard[i]->setObjectName(ArrayName("optCard", i));
    }
    optCard[0]->setChecked(true);
    cmdRead = NewButton(Frame6, "cmdRead");
    cmdWrite = NewButton(Frame6, "cmdWrite");
    cmdClear = NewButton(Frame6, "cmdClear");
    // The date and the two options on one line, the card's buttons below.
    auto* card = new QGridLayout(Frame6);
    card->addWidget(Label1[4], 0, 0);
    card->addWidget(mskData, 0, 1, Qt::AlignLeft);
    card->addWidget(optCard[0], 0, 2);
    card->addWidget(optCard[1], 0, 3);
    card->setColumnStretch(4, 1);
    auto* cardButtons = new QHBoxLayout;
    cardButtons->addStretch(1);
    for (QPushButton* b : {cmdRead, cmdWrite, cmdClear}) cardButtons->addWidget(b);
    card->addLayout(cardButtons, 1, 0, 1, 5);
    Frame6->hide();

    Frame2 = NewFrame(this, "Frame2");
    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(rights);
    layout->addWidget(Frame6);
    layout->addStretch(1);
    layout->addWidget(Frame2);
    connect(cmdRead, &QPushButton::clicked, this, [this] { cmdRead_Click(); });
    connect(cmdWrite, &QPushButton::clicked, this, [this] { cmdWrite_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
}

QCheckBox* frmOperatori::Check(const char* name) const {
    for (const auto& [n, box] : named_)
        if (std::string(n) == name) return box;
    return nullptr;
}

void frmOperatori::InitForm() {
    NumberedTexts(this, "24");
    for (int i = 0; i < 4; ++i) SetCaption(Label1[i], "24", std::to_string(i + 1));
    for (const RightBox& r : kRights) SetCaption(Check(r.name), "24", r.key);
    SetCaption(Frame6, "Caption", "29");
    SetCaption(cmdClear, "Comandi", "18");
    SetCaption(cmdRead, "Comandi", "17");
    SetCaption(cmdWrite, "Comandi", "16");
    SetCaption(Label1[4], "24", "25");
    SetCaption(optCard[0], "24", "26");
    SetCaption(optCard[1], "24", "27");
    txtP321->SetLimit(ConfigLevel.GetMaxDescrLen());
    if (!IsLX4100()) {
        Frame6->hide();
        return;
    }
    Frame6->show();
    CardButtons(false);
    mskData->setText("00/00/00");
    txtP320C->SetLimit(3);
    for (const RightBox& r : kRights)
        if (r.hiddenOnLX4100) Check(r.name)->hide();
}

void frmOperatori::CardButtons(bool enabled) {
    for (QPushButton* b : {cmdRead, cmdWrite, cmdClear}) b->setEnabled(enabled);
}

int16_t frmOperatori::ItemCount() const { return Sizes.nMaxOpe; }

bool frmOperatori::ItemText(int16_t n, std::string& text) {
    OpeRec rec;
    if (!ReadQuietly(n, rec)) return false;
    text = std::to_string(rec.number.Num());
    return true;
}

void frmOperatori::FillControls(int16_t) {
    txtP320C->Show(std::to_string(udtEdit.P320C.Num()));
    txtP320S->Show(std::to_string(udtEdit.P320S.Num()));
    txtP321->Show(udtEdit.P321.Trim());
    for (int k = 0; k < 3; ++k) ShowFlags(rights_[k], udtEdit.P322[k].Num());
    // Operator 1's first two rights values cannot be changed.
    const bool first = udtEdit.number.Num() == 1;
    Frame5->setEnabled(!first);
    Frame4->setEnabled(!first);
    // The card buttons serve the operator shown, on one register only.
    CardButtons(OneCashSelected());
}

void frmOperatori::ClearControls() {
    txtP320C->Show("");
    txtP320S->Show("");
    txtP321->Show("");
    for (auto& group : rights_) ShowFlags(group, 0);
    CardButtons(false);
}

bool frmOperatori::TakeControls(int16_t n) {
    udtEdit.number.PutNum(n);
    udtEdit.P320C.PutNum(CodeValue(txtP320C->Typed()));
    udtEdit.P320S.PutNum(CodeValue(txtP320S->Typed()));
    udtEdit.P321 = fields::WireSafe(txtP321->Typed());
    // Rights values 1 to 3 from their boxes (hidden ones pass their bits
    // through), a bit without a box 0; rights values 4 to 6 are "000".
    for (int k = 0; k < 3; ++k) udtEdit.P322[k].PutNum(FlagsValue(rights_[k]));
    for (int k = 3; k < 6; ++k) udtEdit.P322[k].PutNum(0);
    return true;
}

bool frmOperatori::RecordChanged() const {
    if (!(udtEdit.number == udtOrig.number.str()) || !(udtEdit.P320C == udtOrig.P320C.str()) ||
        !(udtEdit.P320S == udtOrig.P320S.str()) || !(udtEdit.P321 == udtOrig.P321.str()))
        return true;
    for (int k = 0; k < 3; ++k)
        if ((udtEdit.P322[k].Num() & kMask[k]) != (udtOrig.P322[k].Num() & kMask[k])) return true;
    return false;
}

std::string frmOperatori::RefusalText(int16_t n) const { return GetText("24", "1") + " " + std::to_string(n); }

bool frmOperatori::Request() { return ReqOpe(); }

void frmOperatori::Send() { SendOpe(); }

bool frmOperatori::SetCard() {
    OpeCard.bValid = False;
    OpeCard.strCodice = txtP320C->Typed();
    OpeCard.strCodice2 = txtP320S->Typed();
    for (int k = 0; k < 3; ++k) OpeCard.aP322[k + 1] = static_cast<int16_t>(FlagsValue(rights_[k]));
    for (int k = 4; k <= 6; ++k) OpeCard.aP322[k] = 0;
    OpeCard.strData = DateDigits(mskData);
    OpeCard.strNome = fields::WireSafe(txtP321->Typed());
    return true;
}

void frmOperatori::ShowConf() {
    const int16_t shown = nCurItem;
    TableEditor::ShowConf();
    if (shown == 0 || shown > cbxOpe->count()) return;
    {
        const QSignalBlocker quiet(cbxOpe);
        cbxOpe->setCurrentIndex(shown - 1);
    }
    nCurItem = shown;
    ShowX(shown);
}

void frmOperatori::ShowCard() {
    ShowDate(mskData, OpeCard.strData);
    txtP320C->Show(OpeCard.strCodice);
    txtP320S->Show(OpeCard.strCodice2);
    for (int k = 0; k < 3; ++k) ShowFlags(rights_[k], OpeCard.aP322[k + 1]);
}

bool frmOperatori::CardValid() const { return OpeCard.bValid != False; }

void frmOperatori::cmdRead_Click() {
    if (ListChoice(cbxOpe) == 0 || !TestCashEnabled()) return;
    ReadOpeCard();
}

void frmOperatori::cmdWrite_Click() {
    if (ListChoice(cbxOpe) == 0 || !TestCashEnabled()) return;
    if (SetCard()) WriteOpeCard();
}

void frmOperatori::cmdClear_Click() {
    if (!TestCashEnabled()) return;
    if (CurrentShell().AskYesNo(GetText("Msg", "75"), GetText("Msg", "74"))) ClearChipCard();
}
