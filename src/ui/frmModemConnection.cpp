#include "ui/frmModemConnection.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "core/link_state.h"
#include "link/modem.h"
#include "link/phone_book.h"
#include "link/port.h"
#include "platform/profile.h"
#include "ui/frmMain.h"
#include "core/record.h"
#include "engine/operation.h"

namespace {

constexpr const char* kSection = "frmModemConnection";

QLineEdit* Box(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

// The modem connection the serial-port opening uses.
class Dialer : public ModemDialer {
public:
    bool ModemConnected() override { return ::ModemConnected(); }
    void ModemDisconnect() override { ::ModemDisconnect(); }
    bool ShowModemConnection(int16_t phoneBookIndex) override {
        if (!Core.bInteractive) {
            // No window in a command-line run: the steps go to the log.
            const std::string entry = GetEntryName(phoneBookIndex);
            return ModemDoConnect(phoneBookIndex, [&](const std::string& key) {
                WriteMsgLog(GetText(kSection, key) + " " + entry);
            });
        }
        frmModemConnection window;
        window.exec();
        return window.Connected();
    }
};

}  // namespace

frmModemConnection::frmModemConnection(QWidget* parent)
    : QDialog(parent ? parent : fMainForm) {
    setObjectName("frmModemConnection");
    setModal(true);
    lblIndCassa = new QLabel(this);
    lblIndCassa->setObjectName("lblIndCassa");
    txtIndCassa = Box(this, "txtIndCassa");
    lblSelectConnection = new QLabel(this);
    lblSelectConnection->setObjectName("lblSelectConnection");
    txtConnection = Box(this, "txtConnection");
    txtConnNumber = Box(this, "txtConnNumber");
    lblStatus = new QLabel(this);
    lblStatus->setObjectName("lblStatus");
    lblStatus->setMinimumWidth(240);
    cmdAbort = new QPushButton(this);
    cmdAbort->setObjectName("cmdAbort");

    auto* grid = new QGridLayout;
    grid->addWidget(lblIndCassa, 0, 0);
    grid->addWidget(txtIndCassa, 0, 1);
    grid->addWidget(lblSelectConnection, 1, 0);
    grid->addWidget(txtConnection, 1, 1);
    grid->addWidget(txtConnNumber, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblStatus, 1);
    bottom->addWidget(cmdAbort);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });

    // Load
    frmMain::SetAppearance(this);
    CassaConf.nPhoneBookIndex = static_cast<int16_t>(
        platform::ProfileInt("Communication", "PhoneBookIndex", 0, CassaTxtPath()));
    connected_ = ModemConnected();
    Modem.bDialing = false;
    Modem.bAbortDial = false;
    SetCtlCaption(this, GetText(kSection, "frmModemConnection"));
    for (QWidget* w : std::initializer_list<QWidget*>{lblIndCassa, lblSelectConnection, lblStatus,
                                                      cmdAbort})
        SetCtlCaption(w, GetText(kSection, w->objectName().toStdString()));
    cmdAbort->setEnabled(true);
    txtIndCassa->setText(QString::number(LinkState.nAddress + 1));
    txtConnection->setText(ToQt(tables::TrimBlanks(GetEntryName(CassaConf.nPhoneBookIndex))));
    txtConnNumber->setText(ToQt(tables::TrimBlanks(GetNumber(CassaConf.nPhoneBookIndex))));
}

void frmModemConnection::Status(const std::string& key) {
    const std::string text = GetText(kSection, key);
    if (!text.empty()) lblStatus->setText(ToQt(text));
}

void frmModemConnection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    // With the carrier up the window stays, so that Abort can hang up;
    // otherwise the dial runs once the window is on screen.
    if (connected_)
        Status("Connected");
    else
        QTimer::singleShot(0, this, [this] { DoConnect(); });
}

void frmModemConnection::DoConnect() {
    Modem.bAbortDial = false;
    if (!connected_) {
        cmdAbort->setEnabled(true);
        connected_ = ModemDoConnect(CassaConf.nPhoneBookIndex,
                                    [this](const std::string& key) { Status(key); });
    }
    Modem.bDialing = false;
    hide();
}

void frmModemConnection::cmdAbort_Click() {
    for (QWidget* w : std::initializer_list<QWidget*>{cmdAbort, txtIndCassa, txtConnection,
                                                      txtConnNumber})
        w->setEnabled(false);
    Status("cmdAbort");
    if (!connected_) {
        // The dial ends at once and the window with it; the hang-up that
        // follows does not wait for the modem's answers.
        Modem.bAbortDial = true;
        if (Modem.bDialing) hide();
    } else {
        // The line is hung up and the window ends as a dial does; a line
        // still up keeps the window, saying so, with Abort to try again.
        ModemDisconnect();
        connected_ = ModemConnected();
        Status(connected_ ? "Connected" : "NotConnected");
        if (connected_)
            cmdAbort->setEnabled(true);
        else
            hide();
    }
}

void frmModemConnection::closeEvent(QCloseEvent* event) {
    if (Modem.bDialing) {
        event->ignore();
        cmdAbort_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void frmModemConnection::reject() {
    // Escape while dialling aborts the dial; the window ends with it.
    if (Modem.bDialing) {
        cmdAbort_Click();
        return;
    }
    QDialog::reject();
}

void InstallModemConnection() {
    static Dialer dialer;
    SetModemDialer(&dialer);
}

bool ModemPanelEnabled() { return (CassaConf.P911 & kP911Modem) != 0; }

std::string ModemPanelText(bool connected) {
    return GetText(kSection, "frmModemConnection") + ": " +
           GetText(kSection, connected ? "Connected" : "NotConnected");
}

void ModemPanelClick() {
    // The line is the link's while an operation runs: the refusal says what runs.
    if (!ModemPanelEnabled()) return;
    if (OperationRunning() && !MayStartOperation()) return;
    if (LinkState.nState != 0) return;
    if (ModemConnected()) {
        frmModemConnection window;
        window.exec();
        return;
    }
    // A port that will not open is reported like any other.
    OpenCommPort();
    // The dial is over, whatever became of it: the status and the progress
    // window end as after an operation, unless one started meanwhile.
    if (!OperationRunning()) CurrentShell().ClearShowWait(true);
}
