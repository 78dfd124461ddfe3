#pragma once
// The service prompt: asks for the service code; a matching code switches
// the capability object's service mode on.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmService : public QDialog {
    Q_OBJECT
public:
    explicit frmService(QWidget* parent = nullptr);

    QLabel* lblPrompt = nullptr;
    QLineEdit* txtCode = nullptr;
    QLabel* lblWrong = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // OK: checks the code; a wrong one keeps the window open with a note.
    void cmdOk_Click();
};

// Shows the service prompt modally; true when service mode is now on.
bool CheckServicePsw();
