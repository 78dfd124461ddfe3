#pragma once
// The serial-trace window: choose the lines to trace (frames, errors), start
// and stop the trace, and open serial.log in the text editor.
#include <QDialog>

class QCheckBox;
class QPushButton;

class frmSerLog : public QDialog {
    Q_OBJECT
public:
    explicit frmSerLog(QWidget* parent = nullptr);

    // The one window, created on first use, shown modeless and centred.
    static frmSerLog* Instance();
    static void ShowWindow();

    int RunningState() const { return running_; }

    QCheckBox* chkSerialLog[2] = {nullptr, nullptr};  // 0 frames, 1 errors
    QPushButton* cmdSerLogStart = nullptr;             // toggles start / stop
    QPushButton* cmdSerLogStop = nullptr;
    QPushButton* cmdShowSerialLog = nullptr;
    QPushButton* OKButton = nullptr;

    void cmdSerLogStart_Click();
    void cmdSerLogStop_Click();
    void cmdShowSerialLog_Click();

private:
    void SetButtons();
    int running_ = 0;  // 0 stopped, 1 tracing
};
