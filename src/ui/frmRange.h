#pragma once
// The range window: a subject and the lower and upper limits of a range,
// shown modally. The caller sets the subject and both limits, shows it,
// reads the confirmed flag and the chosen limits, and unloads it.
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class frmRange : public QDialog {
    Q_OBJECT
public:
    explicit frmRange(QWidget* parent = nullptr);

    // The public values, Windows-1252 texts.
    std::string strSubject;
    std::string strFrom;
    std::string strTo;
    bool bConfirmed = false;

    // Shows the window modally with the values set; afterwards the values
    // hold the user's choice (the limits change only on OK).
    bool ShowModal();

    QLabel* lblSubject = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLineEdit* txtTo = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Fills the controls from the values (done by ShowModal).
    void InitForm();
    void cmdOk_Click();
    void cmdCancel_Click();
};
