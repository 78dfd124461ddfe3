#include "ui/frmService.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config_level.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "engine/service.h"
#include "ui/frmMain.h"

frmService::frmService(QWidget* parent) : QDialog(parent ? parent : fMainForm) {
    setObjectName("frmService");
    setModal(true);
    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName("lblPrompt");
    txtCode = new QLineEdit(this);
    txtCode->setObjectName("txtCode");
    txtCode->setEchoMode(QLineEdit::Password);
    lblWrong = new QLabel(this);
    lblWrong->setObjectName("lblWrong");
    lblWrong->setStyleSheet("color: #b00000;");
    lblWrong->setVisible(false);
    QHBoxLayout* buttons = AddOkCancel(this, cmdOk, cmdCancel);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(txtCode);
    layout->addWidget(lblWrong);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);

    setWindowTitle(ToQt(GetText("Service", "caption")));
    SetCtlCaption(lblPrompt, GetText("Service", "prompt"));
    SetOkCancelCaptions(cmdOk, cmdCancel);
}

void frmService::cmdOk_Click() {
    if (CheckServiceCode(FromQt(txtCode->text()))) {
        accept();
        return;
    }
    txtCode->clear();
    std::string wrong = GetText("Service", "wrong");
    lblWrong->setText(ToQt(wrong));
    lblWrong->setVisible(!wrong.empty());
}

bool CheckServicePsw() {
    frmService prompt;
    prompt.exec();
    return ConfigLevel.ServiceMode();
}
