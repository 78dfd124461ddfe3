#include "ui/frmGestIcone.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "transfers/logo.h"
#include "ui/controls/editor_controls.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "engine/operation.h"
#include "engine/cycle.h"
#include "ui/frmDocument.h"
#include "core/record.h"

int16_t nIconNum = 1;

std::function<std::string(QWidget*, const std::string&)> frmGestIcone::ChooseFile =
    [](QWidget* parent, const std::string& filter) {
        // The program's files are named from the start folder: the dialog
        // may browse anywhere without moving the process's folder.
        return FromQt(QFileDialog::getOpenFileName(parent, QString(), QString(), ToQt(filter)));
    };

namespace {

// The leading number of a text (blanks first; none: 0).
int32_t LeadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    int32_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000; ++i) v = v * 10 + (text[i] - '0');
    return negative ? -v : v;
}

}  // namespace

frmGestIcone::frmGestIcone() {
    setObjectName("frmGestIcone");
    Label1[0] = NewLabel(this, ArrayName("Label1", 0));
    txtNumIco = new FieldBox(this, "txtNumIco", 2);
    txtFileIco = new QLineEdit(this);
    txtFileIco->setObjectName("txtFileIco");
    cmdFileIco = NewButton(this, "cmdFileIco");
    imgReceiptHead = NewLabel(this, "imgReceiptHead");
    imgReceiptHead->setFrameShape(QFrame::Box);
    imgReceiptHead->setAlignment(Qt::AlignCenter);
    lblBmpFormat = NewLabel(this, "lblBmpFormat");
    lblBmpFormat1 = NewLabel(this, "lblBmpFormat1");
    lblBmpFormat2 = NewLabel(this, "lblBmpFormat2");
    cmdSend = NewButton(this, "cmdSend");
    cmdDel = NewButton(this, "cmdDel");
    cmdSave = NewButton(this, "cmdSave");
    cmdConfForm = NewButton(this, "cmdConfForm");
    // The Save button has nothing to save: it is shown, but does nothing.
    cmdSave->setEnabled(false);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1[0], 0, 0);
    fields->addWidget(txtNumIco, 0, 1, Qt::AlignLeft);
    fields->addWidget(txtFileIco, 1, 0, 1, 2);
    fields->addWidget(cmdFileIco, 1, 2);
    fields->setColumnStretch(1, 1);
    auto* formats = new QVBoxLayout;
    for (QLabel* l : {lblBmpFormat, lblBmpFormat1, lblBmpFormat2}) formats->addWidget(l);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdConfForm);
    buttons->addStretch(1);
    for (QPushButton* b : {cmdDel, cmdSave, cmdSend}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(imgReceiptHead, 0, Qt::AlignLeft);
    layout->addLayout(formats);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(cmdFileIco, &QPushButton::clicked, this, [this] { cmdFileIco_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdDel, &QPushButton::clicked, this, [this] { cmdDel_Click(); });
    connect(cmdConfForm, &QPushButton::clicked, this, [this] { cmdConfForm_Click(); });
}

void frmGestIcone::InitForm() {
    setWindowTitle(ToQt(GetText("Caption", "10")));
    SetCaption(cmdSave, "Comandi", "3");
    SetCaption(cmdSend, "Comandi", "4");
    SetCaption(Label1[0], "10", "1");
    SetCaption(cmdFileIco, "10", "2");
    SetCaption(cmdDel, "10", "4");
    cmdConfForm->setText("<<");
    // Room for the logo of the model as it prints.
    InitBitmap();
    imgReceiptHead->setMinimumSize(Logo.nLogoWidth + 4, Logo.nLogoHeight + 4);
    txtNumIco->Show("21");
    // Only the bitmap formats of the installation's model: its two printers
    // on ZANDORE, else the one logo size of the model.
    const std::string& model = ConfigLevel.CashType();
    const bool zandore = model == "ZANDORE";
    lblBmpFormat->setText(ToQt(model == "DRAVO57" ? std::string("DRAVO5/7") : model) +
                          QString(": File Bmp - Black/White - %1 x %2 pixels").arg(Logo.nLogoWidth).arg(Logo.nLogoHeight));
    lblBmpFormat1->setText("ZANDORE BASIC: File Bmp - Black/White - 384 x 187 pixels");
    lblBmpFormat2->setText("ZANDORE TOP: File Bmp - Black/White - 432 x 187 pixels");
    lblBmpFormat->setVisible(!zandore);
    lblBmpFormat1->setVisible(zandore);
    lblBmpFormat2->setVisible(zandore);
}

void frmGestIcone::ShowPreview(const std::string& file) {
    if (file.empty()) {
        imgReceiptHead->clear();
        return;
    }
    InitBitmap();
    std::string bxx, bin, why;
    if (!ConvertLogo(file, bxx, bin, why, false)) return;
    // Bitmap.bin as the register prints it: rows of dots, bit 0 the leftmost
    // dot of a byte, a set bit a printed (black) dot.
    const int dots = LogoDotsPerByte();
    const int rowBytes = dots == 8 ? Logo.nLogoBytes : 54;
    const int rows = rowBytes > 0 ? static_cast<int>(bin.size()) / rowBytes : 0;
    QImage image(rowBytes * dots, std::max(rows, 1), QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < rowBytes; ++c) {
            const auto byte = static_cast<uint8_t>(bin[static_cast<size_t>(r * rowBytes + c)]);
            for (int k = 0; k < dots; ++k)
                if (byte & (1 << k)) image.setPixel(c * dots + k, r, 1);
        }
    imgReceiptHead->setPixmap(QPixmap::fromImage(image));
}

void frmGestIcone::cmdFileIco_Click() {
    const std::string chosen = ChooseFile(this, "Bitmap (*.bmp)");
    // Cancel gives back the file chosen the last time.
    if (!chosen.empty()) lastChosen_ = chosen;
    txtFileIco->setText(ToQt(lastChosen_));
    ShowPreview(lastChosen_);
}

bool frmGestIcone::SetConf(bool convert) {
    nIconNum = static_cast<int16_t>(LeadingNumber(FromQt(txtNumIco->text())) - 20);
    if (nIconNum < 1 || nIconNum > 6) return false;
    if (!convert) return true;
    Logo.strIconBmp = tables::TrimBlanks(FromQt(txtFileIco->text()));
    if (Logo.strIconBmp.empty()) {
        CurrentShell().MsgBox(GetText("10", "nofile"), GetText("Caption", "10"));
        return false;
    }
    ShowMsg("19", "2");
    InitBitmap();
    if (!ConvBitmap()) {
        // The old logo files stay; the reason is in a message box.
        ShowMsgText("ConvBitmap - " + Logo.strLastError, "");
        return false;
    }
    ShowMsg("", "");
    ShowPreview(Logo.strIconBmp);
    return true;
}

void frmGestIcone::cmdSend_Click() {
    // A start that would be refused is refused before anything is asked.
    if (OperationRunning() && !MayStartOperation()) return;
    if (!TestCashEnabled()) return;
    if (!SetConf(true)) return;
    // The registers the logo goes to: each defined and enabled one by its
    // station address + 1.
    std::string list;
    for (int i = 0; i < kMaxCash; ++i) {
        const CashRec& c = CassaList[static_cast<size_t>(i)];
        if (c.bDefined && c.bEnabled) list += std::to_string(LeadingNumber(c.station) + 1) + ",";
    }
    // Asked before a register is chosen: after No the register chosen in
    // the window stays the open one.
    const std::string question = GetText("Msg", "65") + " <" + Logo.strIconBmp + "> " + GetText("Msg", "63") +
                                 " <" + list + ">";
    if (!CurrentShell().AskYesNo(question, GetText("Msg", "66"))) return;
    if (!NextCash(true)) return;
    const std::string token = "#u" + std::to_string(nIconNum - 1) + ";";
    std::string command = "*2;+4;" + token + "*3;";
    LinkState.bSendIco = true;
    if (!AddCmd(command, 1, 2.5f, GetProtocolText(token))) LinkState.bSendIco = false;
    SaveCmdQueue();
}

void frmGestIcone::cmdDel_Click() {
    // A start that would be refused is refused before anything is asked.
    if (OperationRunning() && !MayStartOperation()) return;
    if (!CurrentShell().AskYesNo(GetText("Msg", "75"), GetText("Msg", "76"))) return;
    if (!SetConf(false)) return;
    ShowMsg("", "");
    if (!NextCash(true)) return;
    std::string command = "*2;+4;#y;*3;";
    AddCmd(command, 0, 2.5f, GetProtocolText("#y"));
    SaveCmdQueue();
}

void frmGestIcone::cmdConfForm_Click() {
    if (!fDocForm) return;
    fDocForm->raise();
    fDocForm->activateWindow();
    if (fDocForm->Tree()) fDocForm->Tree()->setFocus();
}
