#pragma once
// The communication settings window, editor "K_FRMCOMM" (language section
// "2"): the register the user works with, its port and speed, the commands
// time-out, the registers enabled for work, the keep-locked option and the
// hello type; the register's link parameters, saved into Cassa.txt and
// exchanged with the register by Load and Send; the service page in service
// mode. Its logic is engine/comm_settings.
#include <array>
#include <map>
#include <optional>
#include <string>

#include "engine/comm_settings.h"
#include "ui/editor_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class frmComm : public EditorWindow {
    Q_OBJECT
public:
    explicit frmComm(QWidget* parent = nullptr);

    // Registers the window under its editor key.
    static void Register();

    // EditorForm
    void ShowConf() override;
    void ShowData() override;
    // After the window's read: the settings as read, with the boxes the
    // user changed while it ran set again over them.
    void RefreshAfterRead() override;

    // The public members of the window.
    void InitRubrica();
    void ShowConfList();
    void SaveCassaAttiva() {}
    int RestoreCassaAttiva() const;

    // PC side
    QComboBox* cbIndirizzo = nullptr;
    QComboBox* cbPorta = nullptr;
    QComboBox* cbBaud = nullptr;
    QLineEdit* txtCmdTimeout = nullptr;
    std::array<QCheckBox*, 16> chkEna{};
    std::array<QCheckBox*, 16> chkConf{};
    QCheckBox* chkKeyLock = nullptr;
    QCheckBox* chkHelloType = nullptr;
    QLabel* lblMatricola = nullptr;
    QLabel* lblTipo = nullptr;
    QLabel* lblVersione = nullptr;
    QComboBox* cbxNumTel = nullptr;
    std::array<QLabel*, 17> Label1{};
    // Register side
    QWidget* Frame4 = nullptr;  // the page of the register's link parameters
    std::map<std::string, QLineEdit*> numbers;  // txtP013 ... txtMemPages_2
    std::map<std::string, QCheckBox*> checks;   // chkP911A ... chkP930
    QGroupBox* fmeService = nullptr;
    std::array<QLabel*, 3> lblMemPages{};
    std::array<QLineEdit*, 3> txtMemPages{};
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdSend = nullptr;
    QTabWidget* sstComm = nullptr;  // the computer's page, the register's page

    // The user's actions.
    void cbIndirizzo_Click(int index);
    void cbPorta_Click(int index);
    void cbBaud_Click(int index);
    void chkEna_Click(int i);
    void chkP911G_Click();
    void chkP911H_Click();
    void chkKeyLock_Click();
    void chkHelloType_Click();
    void txtCmdTimeout_Change();
    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdSend_Click();

protected:
    void InitForm() override;
    void Form_Unload() override;
    bool ChangeShown() override;
    SaveResult UnloadSave() override;
    // The window shows the open register's link settings and writes its
    // Cassa.txt: opened while an operation runs (on any register), it waits
    // for the end, as the editors wait for their register's folder.
    bool ShowsOpenRegister() const override { return true; }
    bool WaitsAtLoad() const override;
    const char* WaitTextKey() const override { return "commwait"; }
    // The register-side boxes and the phone-book entry.
    bool HoldsData(const QWidget* control) const override;

private:
    // What the register-side controls show.
    CommShown Shown() const;
    SaveResult CheckSave(bool ask, bool* changed = nullptr);
    // The save before the register shown is left, asking about a change:
    // false when that question was closed unanswered, and the user stays.
    bool SaveBeforeLeaving();
    void SelectPhoneEntry(int16_t key);
    void SetPhoneListShown(bool shown);

    bool bFirstShow = true;
    int shownRegister_ = -1;  // the register whose settings the window shows
    // While the window's read runs: what the boxes showed when Load was
    // pressed, against which a change is told (the read fills the working
    // copy).
    std::optional<ControlValues> filled_;
    // The options record the register-side boxes were filled from: a change
    // is told against it, never against another register's record that an
    // operation has open.
    CassaConfRec shownConf_{};
    // While an operation runs, what it works from (the register list, the
    // ports, the link settings) stays: true, with the reason in the status
    // text, and the controls show again what stays.
    bool RefusedWhileRunning();
};
