#pragma once
// The range window: a subject and the lower and upper limits of a range,
// shown modally. The caller sets the subject and both limits (and may hand
// a check of the limits), shows it, reads the confirmed flag and the chosen
// limits, and unloads it.
#include <QDialog>
#include <string>

#include "core/shell.h"

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
    // OK takes only limits this check lets through; otherwise the window
    // stays open with them and shows the check's words.
    RangeCheck fnCheck;

    // Shows the window modally with the values set; afterwards the values
    // hold the user's choice (the limits change only on OK).
    bool ShowModal();

    QLabel* lblSubject = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLineEdit* txtTo = nullptr;
    QLabel* lblRefusal = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Fills the controls from the values (done by ShowModal).
    void InitForm();
    void cmdOk_Click();
    void cmdCancel_Click();
};
