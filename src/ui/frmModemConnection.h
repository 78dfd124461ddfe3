#pragma once
// The modem connection window: shown modally when the port of a register
// reached through a modem is opened, it dials the register's phone-book
// entry, waits for the carrier and says the outcome; Abort stops the dial
// (or hangs up a connection). A command-line run dials without the window.
#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class frmModemConnection : public QDialog {
    Q_OBJECT
public:
    explicit frmModemConnection(QWidget* parent = nullptr);

    // A carrier is up: set at load from ModemConnected, true after a dial
    // that connected, false after the Abort button hung up.
    bool Connected() const { return connected_; }
    void SetConnected(bool value) { connected_ = value; }

    QLabel* lblIndCassa = nullptr;
    QLineEdit* txtIndCassa = nullptr;
    QLabel* lblSelectConnection = nullptr;
    QLineEdit* txtConnection = nullptr;
    QLineEdit* txtConnNumber = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdAbort = nullptr;

    // One dial attempt; the window hides itself at the end.
    void DoConnect();
    void cmdAbort_Click();

protected:
    // Activation: dials unless a carrier is up.
    void showEvent(QShowEvent* event) override;
    // Closing while dialling acts as the Abort button.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Status(const std::string& key);
    bool connected_ = false;
    bool activated_ = false;
};

// Installs the modem connection for the serial-port opening: the window in
// an interactive run; in a command-line run the dial without a window, its
// steps in the message log.
void InstallModemConnection();

// The main window's status-bar panel "Modem": enabled when the register
// chosen in the interface is reached through a modem; its text is the
// window's caption and whether a carrier is up.
bool ModemPanelEnabled();
std::string ModemPanelText(bool connected);
// A click on the panel, with the link idle: a connected modem shows the
// window (Abort hangs up); otherwise the port is opened, which shows the
// window and dials the register's phone-book entry.
void ModemPanelClick();
