#include "ui/frmFidelizza.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "ui/frmLineeFid.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "store/table_file.h"

frmFidelizza::frmFidelizza() : RecordEditor("cbxSlot", true, kCirCliFile, GetCirCli, SaveCirCli) {
    setObjectName("frmFidelizza");
    loadClears = LoadClears::Never;  // the refresh at the end of the reads empties it
    cbxSlot = itemList;
    fmeCircolarita = NewFrame(this, "fmeCircolarita");
    fmeFidelizzaSbt = NewFrame(this, "fmeFidelizzaSbt");
    Frame3 = NewFrame(this, "Frame3");
    lblSlot = NewLabel(fmeCircolarita, "lblSlot");
    lblCircolarita = NewLabel(fmeCircolarita, "lblCircolarita");
    lblLineaFid = NewLabel(fmeCircolarita, "lblLineaFid");
    txtCircolarita = new FieldBox(fmeCircolarita, "txtCircolarita", 7);
    txtLineaFid = new FieldBox(fmeCircolarita, "txtLineaFid", 1);
    cmdAzzera = NewButton(fmeCircolarita, "cmdAzzera");
    cbxSlot->setParent(fmeCircolarita);
    auto* grid = new QGridLayout(fmeCircolarita);
    grid->addWidget(lblSlot, 0, 0);
    grid->addWidget(cbxSlot, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblCircolarita, 1, 0);
    grid->addWidget(txtCircolarita, 1, 1, Qt::AlignLeft);
    grid->addWidget(lblLineaFid, 2, 0);
    grid->addWidget(txtLineaFid, 2, 1, Qt::AlignLeft);
    grid->addWidget(cmdAzzera, 3, 0);
    grid->setColumnStretch(2, 1);

    cmdFidSbt = NewButton(fmeFidelizzaSbt, "cmdFidSbt");
    auto* sbt = new QHBoxLayout(fmeFidelizzaSbt);
    sbt->addWidget(cmdFidSbt);
    sbt->addStretch(1);

    Frame3->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fmeCircolarita);
    layout->addWidget(fmeFidelizzaSbt);
    layout->addStretch(1);
    layout->addWidget(Frame3);

    connect(cmdAzzera, &QPushButton::clicked, this, [this] { cmdAzzera_Click(); });
    connect(cmdFidSbt, &QPushButton::clicked, this, [this] { cmdFidSbt_Click(); });
    // Send saves before it queues anything: the frame's Send gives way.
    cmdSend->disconnect(this);
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
}

void frmFidelizza::InitForm() { WindowNameTexts(this, "frmFidelizza"); }

int16_t frmFidelizza::ItemCount() const { return kCirCliSlots; }

bool frmFidelizza::ItemText(int16_t n, std::string& text) {
    CirCliRec rec;
    if (!ReadQuietly(n, rec)) return false;
    text = tables::FormatNum(n, 2);
    return true;
}

void frmFidelizza::FillControls(int16_t) {
    txtCircolarita->Show(udtEdit.Circolarita.Trim());
    txtLineaFid->Show(udtEdit.LineaFid.Trim());
}

void frmFidelizza::ClearControls() {
    txtCircolarita->Show("");
    txtLineaFid->Show("");
}

bool frmFidelizza::CheckCirc(const std::string& text) {
    return text.find_first_not_of("0123456789*") == std::string::npos;
}

bool frmFidelizza::TakeControls(int16_t) {
    const std::string circ = txtCircolarita->Text();
    const std::string line = txtLineaFid->Typed();
    if (!CheckCirc(circ) || static_cast<int>(circ.size()) > decltype(udtEdit.Circolarita)::kWidth) return false;
    // Exactly one digit 0 to 2: the field holds one character.
    if (line.size() != 1 || line[0] < '0' || line[0] > '2') return false;
    // A code of digits only is seven digits with leading zeros; one with "*"
    // stands as typed; an empty one is blanks.
    if (!circ.empty() && circ.find('*') == std::string::npos)
        udtEdit.Circolarita.PutNum(std::stol(circ));
    else
        udtEdit.Circolarita = circ;
    udtEdit.LineaFid = line;
    return true;
}

std::string frmFidelizza::RefusalText(int16_t n) const {
    return GetText("frmFidelizza", "lblSlot") + " " + std::to_string(n);
}

bool frmFidelizza::LoyaltyTransfers() {
    const std::string& model = ConfigLevel.CashType();
    if (model != "DRAVO57" && model != "ZANDORE" && model != "MERIDOTAN") return false;
    if ((udtCassaConf.P019_1 & 64) != 0) return true;
    // The transfers wait for the general option "Loyalty": said, not silent.
    ShowMsg("loyaltyoff", "");
    return false;
}

bool frmFidelizza::Request() {
    if (!LoyaltyTransfers()) return false;
    ReqSubFid();
    ReqCirCli();
    return true;
}

void frmFidelizza::Send() { SendCirCli(); }

void frmFidelizza::cmdSend_Click() {
    if (!TestCashEnabled() || !LoyaltyTransfers()) return;
    const SaveResult saved = SaveConf(true, ListChoice(cbxSlot));
    // The question closed unanswered: nothing is sent either.
    if (saved == SaveResult::Closed) return;
    SendSubFid();
    if (saved == SaveResult::Saved) Send();
}

void frmFidelizza::cmdAzzera_Click() {
    if (ListChoice(cbxSlot) == 0) return;
    txtCircolarita->Show("0000000");
    txtLineaFid->Show("0");
}

void frmFidelizza::cmdFidSbt_Click() {
    if (!fields::EditorFolderReady()) return;
    SubFidRec rec;
    // A subtotal record that cannot be read starts from zeros.
    if (!GetSubFid(rec)) rec.Linee = ZeroLoyaltyLines();
    EditLoyaltyLines(rec.Linee, "Subtotale");
    rec.end.Set();
    if (!SaveSubFid(rec))
        tables::ReportFileError("SaveSubFid", "The loyalty lines could not be written", tables::Report::MsgBox);
}
