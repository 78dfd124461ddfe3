#pragma once
// The phone book window: the named numbers of PhoneBook.ini through which
// registers are dialled. Every change is written at once by its button; OK,
// Escape or the close box with a number not written yet asks whether to keep
// it.
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
    // A name chosen from the list. A number typed for the name shown before
    // and not written yet is asked about first (Yes writes it, No drops it,
    // a closed question shows that name and its number again).
    void cbxConnection_Click(int index);
    // Add and Modify: true when the entry was written.
    bool cmdAdd_Click();
    bool cmdModify_Click();
    void cmdDelete_Click();

protected:
    // OK, Escape and the close box: a number typed and not written yet is
    // asked about first (Yes writes it, No drops it, a closed question
    // keeps the window and the edit).
    void done(int result) override;

private:
    // The number shown differs from the one written for the name (or is the
    // number of a new name not added yet).
    bool NumberNotWritten(const std::string& name);
    // Writes the number shown as the name's (added when the name is new).
    bool WriteNumberOf(const std::string& name);
    // The name whose number the field shows.
    std::string shown_;
    // A name or number holding "|" is refused with a message; false then.
    bool TextsAllowed();
    // Writes the entry under the key; a phone book that cannot be written is
    // said in a message box (false then).
    bool Save(const std::string& name, const std::string& number, int16_t index);
};
