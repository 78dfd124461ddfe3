#pragma once
// The reports window: the register's reports, each requested from the
// register chosen in the tree and shown here once received (and openable in
// the system text editor); the receipt history with its size limit and start
// mode; the daily closure.
#include <QDialog>
#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

class frmRapporti : public QDialog {
    Q_OBJECT
public:
    explicit frmRapporti(QWidget* parent = nullptr);
    ~frmRapporti() override;

    // The one window, created on first use and shown modeless.
    static frmRapporti* Instance();
    static bool Exists();
    static void ShowWindow();
    static void Unload();

    // Fills the controls from the settings (texts, the history limit of
    // config.ini, the open register's history start mode).
    void InitForm();

    QGroupBox* fraReports = nullptr;
    QListWidget* lstReports = nullptr;
    QLabel* lblCliFrom = nullptr;
    QLineEdit* txtCliFrom = nullptr;
    QLabel* lblCliTo = nullptr;
    QLineEdit* txtCliTo = nullptr;
    QPushButton* cmdRequest = nullptr;
    QPushButton* cmdShow = nullptr;
    QPushButton* cmdEditor = nullptr;
    QLabel* lblReach = nullptr;
    QLabel* lblReportFile = nullptr;
    QPlainTextEdit* txtReport = nullptr;
    QGroupBox* fraStorico = nullptr;
    QLabel* lblHistoryLimit = nullptr;
    QSpinBox* txtHistoryLimit = nullptr;
    std::array<QRadioButton*, 3> optB90Type{};
    QPushButton* cmdStorico = nullptr;
    QGroupBox* fraChiusura = nullptr;
    QPushButton* cmdChiusura = nullptr;
    QPushButton* cmdClose = nullptr;

    void cmdRequest_Click();
    void cmdShow_Click();
    void cmdEditor_Click();
    void cmdStorico_Click();
    void cmdChiusura_Click();
    // A file of the open register's folder in the text box.
    void ShowFile(const std::string& name);
    // Called by the window's timer: once the operation started here is
    // over, the file it received is shown; one the register shown did not
    // get in it is not.
    void WatchOperation();
    // Says which registers a request started now goes to.
    void ShowReach();
    // The file that will be shown when the operation is over ("" none).
    const std::string& AwaitedFile() const { return awaited_; }

protected:
    // Coming back to the window (after choosing another register in the
    // tree) shows the registers a request goes to again.
    void changeEvent(QEvent* event) override;

private:
    void HistoryLimitChanged(int units);
    void HistoryModeChosen(int mode);
    std::string SelectedFile() const;

    QTimer* tmrWatch_ = nullptr;
    std::string awaited_;
    std::string pluRange_;
    bool filling_ = false;
};
