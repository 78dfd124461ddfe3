#pragma once
// The bulk-programming window: one check box per table (chkEna00 ...), and
// the commands that send the chosen tables to the registers or load them
// from the register, with the progress of the queue.
#include <QDialog>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class frmProg : public QDialog {
public:
    explicit frmProg(QWidget* parent = nullptr);

    std::vector<QCheckBox*> chkEna;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdClose = nullptr;
    QProgressBar* pgbProg = nullptr;
    QLabel* lblStatus = nullptr;

    void InitForm();
    // Opened from the menu: on screen again as it was left, even minimised,
    // above the main window and with the focus.
    void ShowAtHand();
    // During a run it stops the run, as the progress window's Cancel does;
    // otherwise it closes the window.
    void cmdClose_Click();
    void cmdSend_Click();
    void cmdLoad_Click();
    // Follows the queue while the operation runs.
    void tmrProg_Timer();

protected:
    // Escape and the close box act as cmdClose does.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Start(bool send);
    // The check boxes name the tables as a send or as a load moves them.
    void SetItemTexts(bool send);
    void Enable(bool idle);
    // The window moved back within the screen when its labels have grown.
    void KeepOnScreen();
    QTimer* tmrProg_ = nullptr;
};
