#include "ui/frmModPag.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "engine/main_timer.h"
#include "core/numbers.h"
#include "engine/open_register.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"

frmModPag::frmModPag() : RecordEditor("cbxModPag", true, kModPagFile, GetModPag, SaveModPag) {
    setObjectName("frmModPag");
    cbxModPag = itemList;
    for (int i = 0; i < 7; ++i) Label1[i] = NewLabel(this, ArrayName("Label1", i));
    txtP520 = new FieldBox(this, "txtP520", 30);
    txtP522 = new FieldBox(this, "txtP522", 8);
    txtP523 = new FieldBox(this, "txtP523", 8);
    txtP524 = new FieldBox(this, "txtP524", 3);
    const struct {
        QCheckBox** box;
        const char* name;
        int weight;
    } boxes[] = {{&chkP521A, "chkP521A", 128}, {&chkP521D, "chkP521D", 16}, {&chkP521E, "chkP521E", 8},
                 {&chkP521F, "chkP521F", 4},   {&chkP521G, "chkP521G", 2},  {&chkP521H, "chkP521H", 1}};
    for (const auto& b : boxes) {
        *b.box = NewCheck(this, b.name);
        flags_.push_back({*b.box, b.weight});
    }

    auto* grid = new QGridLayout;
    QWidget* fields[5] = {cbxModPag, txtP520, txtP522, txtP523, txtP524};
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(Label1[i], i, 0);
        grid->addWidget(fields[i], i, 1, 1, i == 1 ? 3 : 1, Qt::AlignLeft);
    }
    for (size_t i = 0; i < flags_.size(); ++i)
        grid->addWidget(flags_[i].box, 5 + static_cast<int>(i) / 3, 1 + static_cast<int>(i) % 3);
    grid->setColumnStretch(3, 1);

    // The meal-ticket group: hidden and off until the model has meal tickets.
    frameTicket = NewFrame(this, "frameTicket");
    cbxTagliTicket = NewList(frameTicket, "cbxTagliTicket");
    txtTicketAmount = new FieldBox(frameTicket, "txtTicketAmount", 9);
    cmdDelTicketData = NewButton(frameTicket, "cmdDelTicketData");
    auto* tickets = new QGridLayout(frameTicket);
    Label1[5]->setParent(frameTicket);
    Label1[6]->setParent(frameTicket);
    tickets->addWidget(Label1[5], 0, 0);
    tickets->addWidget(cbxTagliTicket, 0, 1, Qt::AlignLeft);
    tickets->addWidget(Label1[6], 1, 0);
    tickets->addWidget(txtTicketAmount, 1, 1, Qt::AlignLeft);
    tickets->addWidget(cmdDelTicketData, 2, 0, 1, 3, Qt::AlignLeft);
    tickets->setColumnStretch(2, 1);
    frameTicket->hide();
    frameTicket->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(frameTicket);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
    connect(cbxTagliTicket, &QComboBox::currentIndexChanged, this, [this] { cbxTagliTicket_Click(); });
    connect(cmdDelTicketData, &QPushButton::clicked, this, [this] { cmdDelTicketData_Click(); });
}

void frmModPag::InitForm() {
    NumberedTexts(this, "18");
    for (int i = 0; i < 5; ++i) SetCaption(Label1[i], "18", std::to_string(i + 1));
    for (size_t i = 0; i < flags_.size(); ++i) SetCaption(flags_[i].box, "18", std::to_string(6 + i));
    txtP520->SetLimit(ConfigLevel.GetMaxDescrLen());
    if (NewerFamily()) {
        frameTicket->show();
        frameTicket->setEnabled(true);
        SetCaption(Label1[5], "18", "ticketsz");
        std::vector<std::string> denominations;
        for (int d = 1; d <= kTicketDenominations; ++d) denominations.push_back(std::to_string(d));
        FillList(cbxTagliTicket, denominations);
        SetCaption(Label1[6], "18", "ticketamt");
        SetCaption(cmdDelTicketData, "18", "ticketdel");
        EnableTicket(false);
    } else if (ConfigLevel.CashType() == "LX4100") {
        // P524 still travels through its hidden box.
        Label1[4]->hide();
        txtP524->hide();
    }
}

bool frmModPag::TicketsTravel() { return (CassaConf.P517 & 16) != 0 && NewerFamily(); }

void frmModPag::EnableTicket(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(Label1[5]), static_cast<QWidget*>(Label1[6]),
                       static_cast<QWidget*>(cbxTagliTicket), static_cast<QWidget*>(txtTicketAmount)})
        w->setEnabled(on);
}

// No denomination is shown: the list's choice goes (its Click forgets the
// denomination) and the amount is emptied.
void frmModPag::ForgetTicket() {
    cbxTagliTicket->setCurrentIndex(-1);
    txtTicketAmount->Show("");
    strTicketShown.clear();
}

int16_t frmModPag::ItemCount() const { return Sizes.nMaxModPag; }

void frmModPag::FillControls(int16_t n) {
    txtP520->Show(udtEdit.P520.Trim());
    ShowFlags(flags_, udtEdit.P521.Num());
    txtP522->Show(CurToStr(udtEdit.P522.Num()));
    txtP523->Show(CurToStr(udtEdit.P523.Num()));
    txtP524->Show(std::to_string(udtEdit.P524.Num()));
    EnableTicket(IsTicketType(n));
    ForgetTicket();
}

void frmModPag::ClearControls() {
    for (FieldBox* box : {txtP520, txtP522, txtP523, txtP524}) box->Show("");
    ShowFlags(flags_, 0);
    EnableTicket(false);
    ForgetTicket();
}

void frmModPag::cbxTagliTicket_Click() {
    const int index = cbxTagliTicket->currentIndex();
    if (index < 0) {
        nCurTicket = 0;
        return;
    }
    // The denomination being left is saved with its payment type (while the
    // table's read runs, its change is asked about).
    if (nCurTicket != 0 && !LeaveShown([this] { return SaveConf(true, nCurItem); }, cbxTagliTicket, nCurTicket))
        return;
    if (IsTicketType(nCurItem)) {
        nCurTicket = static_cast<int16_t>(index + 1);
        // When it cannot be read the amount last held is shown.
        GetTicketAmount(static_cast<int16_t>(nCurItem - 5), nCurTicket, udtTicket);
        txtTicketAmount->Show(CurToStr(udtTicket.amount.Num()));
        strTicketShown = txtTicketAmount->Text();
        NoteFilled(txtTicketAmount);
    } else {
        nCurTicket = 0;
        strTicketShown.clear();
    }
}

bool frmModPag::TakeControls(int16_t n) {
    bool ok = true;
    udtEdit.number.PutNum(n);
    udtEdit.P520 = fields::WireSafe(txtP520->Typed());
    udtEdit.P521.PutNum(FlagsValue(flags_));
    int64_t v = 0;
    for (auto [box, field] : {std::pair{txtP522, &udtEdit.P522}, std::pair{txtP523, &udtEdit.P523}}) {
        if (fields::TakeAmount(box->Typed(), 0, 99999999, v))
            field->PutNum(v);
        else
            ok = Refuse(box);
    }
    if (fields::TakeWhole(txtP524->Typed(), 0, 9999, v))
        udtEdit.P524.PutNum(v);
    else
        ok = Refuse(txtP524);
    if (nCurTicket != 0 && IsTicketType(n)) {
        // The amount fills nine digits at most.
        const std::string amount = txtTicketAmount->Typed();
        if (!amount.empty() && fields::TakeAmount(amount, 0, 999999999, v)) {
            udtTicket.ticket.PutNum(n - 5);
            udtTicket.denomination.PutNum(nCurTicket);
            udtTicket.amount.PutNum(v);
        } else {
            ok = Refuse(txtTicketAmount);
        }
    }
    return ok;
}

void frmModPag::KeepRecord() {
    RecordEditor::KeepRecord();
    ticketDropped_ = false;
}

void frmModPag::DropChanges() {
    RecordEditor::DropChanges();
    ticketDropped_ = true;
}

bool frmModPag::RecordChanged() const {
    const ModPagRec& a = udtEdit;
    const ModPagRec& b = udtOrig;
    return a.number.str() != b.number.str() || a.P520.str() != b.P520.str() ||
           a.P521.str() != b.P521.str() || a.P522.Num() != b.P522.Num() ||
           a.P523.Num() != b.P523.Num() || a.P524.Num() != b.P524.Num() ||
           (nCurTicket != 0 && txtTicketAmount->Text() != strTicketShown);
}

bool frmModPag::WriteRecord(int16_t n) {
    if (!SaveModPag(n, udtEdit)) return false;
    // The amount only when the user changed it: one left as shown is not
    // written over the file's, which a read may have written meanwhile.
    if (nCurTicket != 0 && !ticketDropped_ && IsTicketType(n) && txtTicketAmount->Text() != strTicketShown) {
        if (!SaveTicketAmount(static_cast<int16_t>(n - 5), nCurTicket, udtTicket)) return false;
        strTicketShown = txtTicketAmount->Text();
    }
    return true;
}

std::string frmModPag::RefusalText(int16_t n) const { return GetText("18", "12") + std::to_string(n); }

bool frmModPag::Request() {
    if (!ReqModPag()) return false;
    if (TicketsTravel()) ReqTicketAmount();
    return true;
}

void frmModPag::Send() {
    SendModPag();
    if (TicketsTravel()) SendTicketAmount();
}

void frmModPag::cmdDelTicketData_Click() {
    if (!TestCashEnabled()) return;
    // The deletion belongs to no operation under way: a cycle of its own, so
    // that it reaches the chosen registers after any earlier operation.
    if (ResetTimer()) SendAzzera("#d6:39");
}
