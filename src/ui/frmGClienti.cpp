#include "ui/frmGClienti.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "store/customer_files.h"
#include "engine/operation.h"
#include "engine/main_timer.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "engine/document.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "ui/controls/range_controls.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "core/shell.h"
#include "store/table_file.h"

frmGClienti::frmGClienti() : TableEditor("cbxClientGroup", true) {
    setObjectName("frmGClienti");
    cbxClientGroup = itemList;
    loadClears = LoadClears::Always;

    Frame1 = NewFrame(this, "Frame1");
    Frame2 = NewFrame(this, "Frame2");
    Frame3 = NewFrame(this, "Frame3");
    lblGroupCode = NewLabel(Frame1, "lblGroupCode");
    lblGroupDesc1 = NewLabel(Frame1, "lblGroupDesc1");
    txtGroupDesc1 = new FieldBox(Frame1, "txtGroupDesc1", 21);
    cbxClientGroup->setParent(Frame1);
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(lblGroupCode, 0, 0);
    grid->addWidget(cbxClientGroup, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblGroupDesc1, 1, 0);
    grid->addWidget(txtGroupDesc1, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    range = std::make_unique<RangeControls>(Frame3, 3, [this] { return std::to_string(nCurItem); });
    cmdDel = NewButton(Frame3, "cmdDel");
    auto* limits = new QGridLayout(Frame3);
    limits->addWidget(range->chkAll, 0, 0, 1, 2);
    limits->addWidget(range->cmdFrom, 1, 0);
    limits->addWidget(range->txtFrom, 1, 1, Qt::AlignLeft);
    limits->addWidget(range->cmdTo, 2, 0);
    limits->addWidget(range->txtTo, 2, 1, Qt::AlignLeft);
    limits->addWidget(cmdDel, 3, 0);
    limits->setColumnStretch(2, 1);
    range->chkAll->setChecked(true);
    range->chkAll_Click();
    connect(cmdDel, &QPushButton::clicked, this, [this] { cmdDel_Click(); });

    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addStretch(1);
    layout->addWidget(Frame2);
}

frmGClienti::~frmGClienti() = default;

void frmGClienti::InitForm() {
    setWindowTitle(ToQt(GetText("Nodi", "gclienti")));
    SetCaption(cmdLoad, "Comandi", "2");
    SetCaption(cmdSave, "Comandi", "3");
    SetCaption(cmdSend, "Comandi", "4");
    SetCaption(cmdDel, "ClientGroups", "Delete");
    SetCaption(range->chkAll, "ClientGroups", "all");
    SetCaption(lblGroupCode, "ClientGroups", "ClientGroup");
    SetCaption(lblGroupDesc1, "ClientGroups", "GroupDesc1");
    // The From and To buttons in the language of the window.
    SetCaption(range->cmdFrom, "Comandi", "9");
    SetCaption(range->cmdTo, "Comandi", "10");
}

int16_t frmGClienti::ItemCount() const { return Sizes.nMaxClientG; }

void frmGClienti::BindFile() {
    // The open register's file, as the table store names it at this moment.
    const std::string file = tables::TablePath(kClientGFile);
    objGroups.SetFile(file, true);
    quietGroups_.SetFile(file, false);
}

bool frmGClienti::ItemText(int16_t n, std::string& text) {
    BindFile();
    ClientGroupRec rec;
    if (!quietGroups_.GetGroup(n, rec)) return false;
    text = rec.Code.Trim();
    return true;
}

bool frmGClienti::ReadRecord(int16_t n) {
    BindFile();
    return objGroups.GetGroup(n, udtEdit);
}

// The description is editable only while a group is chosen: typed with none,
// it would belong to no group.
void frmGClienti::FillControls(int16_t) {
    txtGroupDesc1->Show(udtEdit.GroupDesc1.Trim());
    txtGroupDesc1->setEnabled(true);
}

void frmGClienti::ClearControls() {
    txtGroupDesc1->Show("");
    txtGroupDesc1->setEnabled(false);
}

bool frmGClienti::TakeControls(int16_t n) {
    udtEdit.Code = std::to_string(n);
    // A longer description is cut to the field; the separators of the
    // register's lines become blanks.
    udtEdit.GroupDesc1 = fields::WireSafe(txtGroupDesc1->Typed()).substr(0, decltype(udtEdit.GroupDesc1)::kWidth);
    return true;
}

bool frmGClienti::RecordChanged() const {
    return udtEdit.Code.str() != udtOrig.Code.str() || udtEdit.GroupDesc1.str() != udtOrig.GroupDesc1.str();
}

bool frmGClienti::WriteRecord(int16_t) {
    BindFile();
    return objGroups.SetGroup(udtEdit);
}

std::string frmGClienti::RefusalText(int16_t n) const {
    return GetText("ClientGroups", "ClientGroup") + " " + std::to_string(n);
}

std::string frmGClienti::TableFile() const { return kClientGFile; }

bool frmGClienti::Request() { return ReqClientGroup(); }

void frmGClienti::Send() {
    ShowX(0);
    SendClientGroup();
}

bool frmGClienti::TestLimiti(const std::string& from, const std::string& to) {
    // Digits only: the limits go into the command as they stand.
    if (!fields::AllDigits(from) || !fields::AllDigits(to)) {
        ShowMsg("8", "6");
        return false;
    }
    return fields::TestLimiti(from, to, 1, Sizes.nMaxClientG);
}

void frmGClienti::cmdDel_Click() {
    // A start that would be refused is refused before anything is asked.
    if (OperationRunning() && !MayStartOperation()) return;
    // The save's question closed unanswered: nothing more is asked.
    if (SaveConf(true, nCurItem) == SaveResult::Closed) return;
    if (!CurrentShell().AskYesNo(DeleteInRegistersQuestion(), GetText("Msg", "74"))) return;
    ShowMsg("", "");
    std::string token;
    if (range->chkAll->isChecked()) {
        token = "#F1:" + std::to_string(Sizes.nMaxClientG);
    } else {
        const std::string from = range->txtFrom->Typed();
        const std::string to = range->txtTo->Typed();
        if (!TestLimiti(from, to)) return;
        // The numbers without leading zeros, as the register counts them.
        token = "#F" + std::to_string(std::stol(from)) + ":" + std::to_string(std::stol(to));
    }
    if (ResetTimer()) SendDelClientGroup(token);
}
