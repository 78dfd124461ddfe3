#include "shell/ui/frmRange.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/texts.h"
#include "core/ui/ctl_caption.h"
#include "platform/text.h"
#include "shell/ui/frmMain.h"

namespace {

QString Q(const std::string& cp1252) { return QString::fromStdString(platform::Cp1252ToUtf8(cp1252)); }
std::string S(const QString& text) { return platform::Utf8ToCp1252(text.toStdString()); }

}  // namespace

frmRange::frmRange(QWidget* parent) : QDialog(parent ? parent : fMainForm) {
    setObjectName("frmRange");
    setModal(true);
    lblSubject = new QLabel(this);
    lblSubject->setObjectName("lblSubject");
    lblFrom = new QLabel(this);
    lblFrom->setObjectName("lblFrom");
    lblTo = new QLabel(this);
    lblTo->setObjectName("lblTo");
    txtFrom = new QLineEdit(this);
    txtFrom->setObjectName("txtFrom");
    txtTo = new QLineEdit(this);
    txtTo->setObjectName("txtTo");
    cmdOk = new QPushButton(this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* form = new QFormLayout;
    form->addRow(lblFrom, txtFrom);
    form->addRow(lblTo, txtTo);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSubject);
    layout->addLayout(form);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);
}

void frmRange::InitForm() {
    setWindowTitle(Q(GetText("frmRange", "frmRange")));
    lblSubject->setText(Q(strSubject));
    SetCtlCaption(lblFrom, GetText("frmRange", "lblFrom"));
    SetCtlCaption(lblTo, GetText("frmRange", "lblTo"));
    SetCtlCaption(cmdOk, GetText("Comandi", "13"));
    SetCtlCaption(cmdCancel, GetText("Comandi", "14"));
    txtFrom->setText(Q(strFrom));
    txtTo->setText(Q(strTo));
    bConfirmed = false;
}

bool frmRange::ShowModal() {
    InitForm();
    ModalTimerPause pause;
    exec();
    return bConfirmed;
}

void frmRange::cmdOk_Click() {
    strFrom = S(txtFrom->text().trimmed());
    strTo = S(txtTo->text().trimmed());
    bConfirmed = true;
    accept();
}

void frmRange::cmdCancel_Click() {
    bConfirmed = false;
    reject();
}
