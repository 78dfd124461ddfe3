#include "shell/ui/frmService.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config_level.h"
#include "core/texts.h"
#include "core/ui/ctl_caption.h"
#include "platform/text.h"
#include "shell/service.h"
#include "shell/ui/frmMain.h"

namespace {

QString Q(const std::string& cp1252) { return QString::fromStdString(platform::Cp1252ToUtf8(cp1252)); }

}  // namespace

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
    cmdOk = new QPushButton(this);
    cmdOk->setObjectName("cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(txtCode);
    layout->addWidget(lblWrong);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);

    setWindowTitle(Q(GetText("Service", "caption")));
    SetCtlCaption(lblPrompt, GetText("Service", "prompt"));
    SetCtlCaption(cmdOk, GetText("Comandi", "13"));
    SetCtlCaption(cmdCancel, GetText("Comandi", "14"));
}

void frmService::cmdOk_Click() {
    if (CheckServiceCode(platform::Utf8ToCp1252(txtCode->text().toStdString()))) {
        accept();
        return;
    }
    txtCode->clear();
    std::string wrong = GetText("Service", "wrong");
    lblWrong->setText(Q(wrong));
    lblWrong->setVisible(!wrong.empty());
}

bool CheckServicePsw() {
    frmService prompt;
    ModalTimerPause pause;
    prompt.exec();
    return ConfigLevel.ServiceMode();
}
