#pragma once
// The phone book window: the named numbers of PhoneBook.ini through which
// registers are dialled. Every change is written at once; OK closes.
#include <QDialog>
#include <cstdint>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmPhoneBook : public QDialog {
    Q_OBJECT
public:
    explicit frmPhoneBook(QWidget* parent = nullptr);

    // Shows the window modally (the main window's phone-book menu).
    static void ShowModal();

    QComboBox* cbxConnection = nullptr;  // the names, editable
    QLineEdit* txtPhoneNumber = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdModify = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOk = nullptr;
    QLabel* lblConnection = nullptr;
    QLabel* lblPhoneNumber = nullptr;

    // A name typed in the combo box.
    void cbxConnection_Change(const QString& text);
    // A name chosen from the list.
    void cbxConnection_Click(int index);
    void cmdAdd_Click();
    void cmdModify_Click();
    void cmdDelete_Click();

private:
    // A name or number holding "|" is refused with a message; false then.
    bool TextsAllowed();
    // Writes the entry under the key; a phone book that cannot be written is
    // said in a message box (false then).
    bool Save(const std::string& name, const std::string& number, int16_t index);
};
