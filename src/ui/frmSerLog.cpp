#include "ui/frmSerLog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "link/serial_log.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "ui/frmMain.h"

namespace {

frmSerLog* instance = nullptr;

std::string Text(const char* key) { return GetText("SerLog", key); }

}  // namespace

frmSerLog::frmSerLog(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSerLog");
    auto* boxes = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        chkSerialLog[i] = new QCheckBox(this);
        chkSerialLog[i]->setObjectName(QString("chkSerialLog%1").arg(i));
        boxes->addWidget(chkSerialLog[i]);
    }
    cmdSerLogStart = new QPushButton(this);
    cmdSerLogStart->setObjectName("cmdSerLogStart");
    cmdSerLogStop = new QPushButton(this);
    cmdSerLogStop->setObjectName("cmdSerLogStop");
    // The start button turns into the stop button while the trace runs, so
    // a second button saying the same would only be in the way: it is kept
    // for its action but never shown.
    cmdSerLogStop->setVisible(false);
    cmdShowSerialLog = new QPushButton(this);
    cmdShowSerialLog->setObjectName("cmdShowSerialLog");
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdSerLogStart, cmdSerLogStop, cmdShowSerialLog, OKButton})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(cmdSerLogStart, &QPushButton::clicked, this, [this] { cmdSerLogStart_Click(); });
    connect(cmdSerLogStop, &QPushButton::clicked, this, [this] { cmdSerLogStop_Click(); });
    connect(cmdShowSerialLog, &QPushButton::clicked, this, [this] { cmdShowSerialLog_Click(); });
    connect(OKButton, &QPushButton::clicked, this, &QWidget::hide);

    // Load
    frmMain::SetAppearance(this);
    SetCtlCaption(this, Text("caption"));
    SetCtlCaption(chkSerialLog[0], Text("msg"));
    SetCtlCaption(chkSerialLog[1], Text("err"));
    SetCtlCaption(cmdSerLogStart, Text("start"));
    SetCtlCaption(cmdSerLogStop, Text("stop"));
    SetCtlCaption(cmdShowSerialLog, Text("show"));
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    SetButtons();
}

frmSerLog* frmSerLog::Instance() {
    if (!instance) instance = new frmSerLog;
    return instance;
}

void frmSerLog::ShowWindow() {
    frmSerLog* w = Instance();
    w->show();
    w->raise();
    w->activateWindow();
}

void frmSerLog::cmdSerLogStart_Click() {
    if (running_ == 0) {
        if (!StartSerialLog(chkSerialLog[0]->isChecked(), chkSerialLog[1]->isChecked())) return;
        running_ = 1;
        SetCtlCaption(cmdSerLogStart, Text("stop"));
    } else {
        StopSerialLog();
        running_ = 0;
        SetCtlCaption(cmdSerLogStart, Text("start"));
    }
    SetButtons();
}

void frmSerLog::cmdSerLogStop_Click() {
    StopSerialLog();
    // The window follows the trace, so the boxes can be chosen again.
    running_ = 0;
    SetCtlCaption(cmdSerLogStart, Text("start"));
    SetButtons();
}

void frmSerLog::cmdShowSerialLog_Click() {
    const std::string& file = SerLog.strSerLogFile;
    // The program's own words and the file, then the system's reason. The
    // link waits in this window's clicks too: the shell's box never holds
    // the link's tick.
    if (!platform::FileExists(file)) {
        CurrentShell().MsgBox(Text("nofile") + " " + file, FromQt(windowTitle()));
        return;
    }
    std::string error;
    if (!platform::OpenInTextEditor(file, error))
        CurrentShell().MsgBox(Text("noeditor") + " " + file + "\n" + error, FromQt(windowTitle()));
}

void frmSerLog::SetButtons() {
    const bool on = running_ != 0;
    cmdShowSerialLog->setEnabled(!on);
    chkSerialLog[0]->setEnabled(!on);
    chkSerialLog[1]->setEnabled(!on);
    cmdSerLogStop->setEnabled(on);
}
