#include "ui/frmRange.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "ui/frmMain.h"

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
    lblRefusal = new QLabel(this);
    lblRefusal->setObjectName("lblRefusal");
    lblRefusal->setWordWrap(true);
    lblRefusal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QHBoxLayout* buttons = AddOkCancel(this, cmdOk, cmdCancel);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* form = new QFormLayout;
    form->addRow(lblFrom, txtFrom);
    form->addRow(lblTo, txtTo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSubject);
    layout->addLayout(form);
    layout->addWidget(lblRefusal);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);
}

void frmRange::InitForm() {
    setWindowTitle(ToQt(GetText("frmRange", "frmRange")));
    lblSubject->setText(ToQt(strSubject));
    SetCtlCaption(lblFrom, GetText("frmRange", "lblFrom"));
    SetCtlCaption(lblTo, GetText("frmRange", "lblTo"));
    SetOkCancelCaptions(cmdOk, cmdCancel);
    txtFrom->setText(ToQt(strFrom));
    txtTo->setText(ToQt(strTo));
    lblRefusal->clear();
    // Room for a two-line reason kept from the start (in the font the window
    // shows): a refusal shown later does not push the buttons down under
    // the pointer.
    lblRefusal->setMinimumHeight(2 * lblRefusal->fontMetrics().lineSpacing());
    bConfirmed = false;
}

bool frmRange::ShowModal() {
    InitForm();
    exec();
    return bConfirmed;
}

void frmRange::cmdOk_Click() {
    const std::string from = FromQt(txtFrom->text().trimmed());
    const std::string to = FromQt(txtTo->text().trimmed());
    const std::string refusal = fnCheck ? fnCheck(from, to) : std::string();
    if (!refusal.empty()) {
        lblRefusal->setText(ToQt(refusal));
        txtFrom->setFocus();
        return;
    }
    strFrom = from;
    strTo = to;
    bConfirmed = true;
    accept();
}

void frmRange::cmdCancel_Click() {
    bConfirmed = false;
    reject();
}
