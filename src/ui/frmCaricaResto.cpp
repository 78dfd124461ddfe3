#include "ui/frmCaricaResto.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cerrno>

#include "core/table_sizes.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "platform/files.h"

namespace {
constexpr const char* kSection = "frmCaricaResto";
}

frmCaricaResto::frmCaricaResto() : RecordEditor("cbxTaglioCoin", false, kRRestoFile, GetRResto, SaveRResto) {
    setObjectName(kSection);
    cbxTaglioCoin = itemList;
    Frame1 = NewFrame(this, "Frame1");
    Frame2 = NewFrame(this, "Frame2");
    lblTaglioCoin = NewLabel(Frame1, "lblTaglioCoin");
    lblNumPezzi = NewLabel(Frame1, "lblNumPezzi");
    txtNumPezzi = new FieldBox(Frame1, "txtNumPezzi", 3);
    cmdReset = NewButton(Frame1, "cmdReset");
    cmdResetAll = NewButton(Frame1, "cmdResetAll");
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(lblTaglioCoin, 0, 0);
    grid->addWidget(cbxTaglioCoin, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblNumPezzi, 1, 0);
    grid->addWidget(txtNumPezzi, 1, 1, Qt::AlignLeft);
    auto* resets = new QHBoxLayout;
    resets->addWidget(cmdReset);
    resets->addWidget(cmdResetAll);
    resets->addStretch(1);
    grid->addLayout(resets, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    Frame2->setLayout(ButtonRow());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addStretch(1);
    layout->addWidget(Frame2);
    connect(cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
    connect(cmdResetAll, &QPushButton::clicked, this, [this] { cmdResetAll_Click(); });
}

void frmCaricaResto::InitForm() {
    WindowNameTexts(this, kSection);
    txtNumPezzi->Show("");
}

int16_t frmCaricaResto::ItemCount() const { return Sizes.nMaxRResto; }

bool frmCaricaResto::ItemText(int16_t n, std::string& text) {
    RRestoRec rec;
    if (!ReadQuietly(n, rec)) return false;
    text = GetText(kSection, "taglio" + rec.number.Trim());
    return true;
}

void frmCaricaResto::FillControls(int16_t) {
    txtNumPezzi->Show(udtEdit.pieces.Trim());
    txtNumPezzi->setFocus();
    txtNumPezzi->selectAll();
}

void frmCaricaResto::ClearControls() { txtNumPezzi->Show(""); }

bool frmCaricaResto::TakeControls(int16_t) {
    int64_t pieces = 0;
    if (!fields::TakeNumber(txtNumPezzi->Typed(), 0, 999, pieces)) return Refuse(txtNumPezzi);
    udtEdit.pieces.PutNum(pieces);
    return true;
}

std::string frmCaricaResto::RefusalText(int16_t n) const {
    return GetText(kSection, "rresto") + " " + std::to_string(n);
}

void frmCaricaResto::Send() { SendRResto(); }

void frmCaricaResto::cmdReset_Click() {
    if (ListChoice(cbxTaglioCoin) == 0) return;
    txtNumPezzi->Show("0");
    txtNumPezzi->setFocus();
    txtNumPezzi->selectAll();
}

void frmCaricaResto::cmdResetAll_Click() {
    if (!fields::EditorFolderReady()) return;
    // The whole file in one rewrite: every count "000", codes kept.
    const std::string path = tables::TablePath(kRRestoFile);
    std::string bytes;
    errno = 0;
    if (!platform::ReadFile(path, bytes)) {
        tables::ReportFileError("GetRResto", platform::FileErrorText(errno, path), tables::Report::MsgBox);
        return;
    }
    const size_t length = sizeof(RRestoRec);
    const size_t pieces = offsetof(RRestoRec, pieces);
    for (size_t n = 0; n < static_cast<size_t>(Sizes.nMaxRResto) && (n + 1) * length <= bytes.size(); ++n)
        bytes.replace(n * length + pieces, decltype(RRestoRec::pieces)::kWidth, "000");
    if (!tables::WriteWholeFile("SaveRResto", path, bytes, tables::Report::MsgBox)) return;
    // No denomination is shown any more: no later save can write an old
    // count back.
    ShowX(0);
}
