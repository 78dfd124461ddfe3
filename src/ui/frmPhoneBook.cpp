#include "ui/frmPhoneBook.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "link/phone_book.h"
#include "ui/frmMain.h"

namespace {

constexpr const char* kSection = "frmPhoneBook";

// The entry of that name exists (deleted entries, whose name is empty, are
// not found by a name).
bool Listed(const std::string& name) {
    if (name.empty()) return false;
    for (const PhoneEntry& e : ReadPhoneBook())
        if (e.name == name) return true;
    return false;
}

}  // namespace

frmPhoneBook::frmPhoneBook(QWidget* parent) : QDialog(parent ? parent : fMainForm) {
    setObjectName("frmPhoneBook");
    setModal(true);
    lblConnection = new QLabel(this);
    lblConnection->setObjectName("lblConnection");
    lblPhoneNumber = new QLabel(this);
    lblPhoneNumber->setObjectName("lblPhoneNumber");
    cbxConnection = new QComboBox(this);
    cbxConnection->setObjectName("cbxConnection");
    cbxConnection->setEditable(true);
    cbxConnection->setInsertPolicy(QComboBox::NoInsert);
    cbxConnection->setMinimumContentsLength(20);
    txtPhoneNumber = new QLineEdit(this);
    txtPhoneNumber->setObjectName("txtPhoneNumber");
    cmdAdd = new QPushButton(this);
    cmdAdd->setObjectName("cmdAdd");
    cmdModify = new QPushButton(this);
    cmdModify->setObjectName("cmdModify");
    cmdDelete = new QPushButton(this);
    cmdDelete->setObjectName("cmdDelete");
    cmdOk = new QPushButton(this);
    cmdOk->setObjectName("cmdOk");
    // Enter in a field keeps the entry typed (Add or Modify, whichever is
    // open) and the window stays: no button is the dialog's default.
    for (QPushButton* b : {cmdAdd, cmdModify, cmdDelete, cmdOk}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblConnection, 0, 0);
    grid->addWidget(cbxConnection, 0, 1);
    grid->addWidget(lblPhoneNumber, 1, 0);
    grid->addWidget(txtPhoneNumber, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdModify, cmdDelete}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(cbxConnection->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& t) { cbxConnection_Change(t); });
    connect(cbxConnection, &QComboBox::activated, this, [this](int i) { cbxConnection_Click(i); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdModify, &QPushButton::clicked, this, [this] { cmdModify_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    for (QLineEdit* field : {cbxConnection->lineEdit(), txtPhoneNumber})
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (cmdAdd->isEnabled())
                cmdAdd_Click();
            else if (cmdModify->isEnabled())
                cmdModify_Click();
        });

    // Load
    frmMain::SetAppearance(this);
    for (const PhoneEntry& e : ReadPhoneBook())
        if (!e.name.empty()) cbxConnection->addItem(ToQt(e.name));
    cbxConnection->setCurrentIndex(-1);
    cbxConnection->setEditText(QString());
    for (QWidget* w : std::initializer_list<QWidget*>{cmdAdd, cmdDelete, txtPhoneNumber, cmdModify})
        w->setEnabled(false);
    SetCtlCaption(this, GetText(kSection, "frmPhoneBook"));
    for (QWidget* w : std::initializer_list<QWidget*>{lblConnection, lblPhoneNumber, cmdAdd,
                                                      cmdModify, cmdDelete, cmdOk})
        SetCtlCaption(w, GetText(kSection, w->objectName().toStdString()));
}

void frmPhoneBook::ShowModal() {
    frmPhoneBook window;
    window.exec();
}

void frmPhoneBook::cbxConnection_Change(const QString& text) {
    for (QWidget* w : std::initializer_list<QWidget*>{cmdAdd, cmdModify, cmdDelete, txtPhoneNumber})
        w->setEnabled(false);
    const std::string name = FromQt(text);
    shown_ = name;
    int16_t index = 0;
    const std::string number = GetConnection(name, index);
    if (Listed(name)) {
        txtPhoneNumber->setText(ToQt(number));
        txtPhoneNumber->setEnabled(true);
        cmdDelete->setEnabled(true);
        return;
    }
    txtPhoneNumber->clear();
    if (!name.empty()) {
        cmdAdd->setEnabled(true);
        txtPhoneNumber->setEnabled(true);
    }
}

void frmPhoneBook::cbxConnection_Click(int index) {
    if (index < 0) return;
    const std::string chosen = FromQt(cbxConnection->itemText(index));
    if (chosen != shown_ && NumberNotWritten(shown_)) {
        const Reply reply = AskConfirm();
        if (reply == Reply::Closed || (reply == Reply::Yes && !WriteNumberOf(shown_))) {
            // The name shown before stays, with the number typed for it.
            const QString number = txtPhoneNumber->text();
            const int at = cbxConnection->findText(ToQt(shown_), Qt::MatchExactly);
            if (at >= 0) cbxConnection->setCurrentIndex(at); else cbxConnection->setEditText(ToQt(shown_));
            txtPhoneNumber->setText(number);
            return;
        }
        index = cbxConnection->findText(ToQt(chosen), Qt::MatchExactly);
        cbxConnection->setCurrentIndex(index);
    }
    shown_ = chosen;
    cmdAdd->setEnabled(false);
    cmdModify->setEnabled(true);
    cmdDelete->setEnabled(true);
    txtPhoneNumber->setEnabled(true);
    int16_t key = 0;
    txtPhoneNumber->setText(ToQt(GetConnection(FromQt(cbxConnection->itemText(index)), key)));
}

bool frmPhoneBook::TextsAllowed() {
    if (PhoneTextAllowed(FromQt(cbxConnection->currentText())) &&
        PhoneTextAllowed(FromQt(txtPhoneNumber->text())))
        return true;
    CurrentShell().MsgBox(GetText(kSection, "nobar"), GetText(kSection, "frmPhoneBook"));
    return false;
}

bool frmPhoneBook::Save(const std::string& name, const std::string& number, int16_t index) {
    if (SavePhoneEntry(name, number, index)) return true;
    CurrentShell().MsgBox(GetText("Log", "nowrite") + " " + Core.strPhoneBookIni,
                          GetText(kSection, "frmPhoneBook"));
    return false;
}

bool frmPhoneBook::NumberNotWritten(const std::string& name) {
    if (!txtPhoneNumber->isEnabled()) return false;
    const std::string number = FromQt(txtPhoneNumber->text());
    // A new name counts once its number is typed: a name alone may have been
    // typed only to look it up.
    if (!Listed(name)) return cmdAdd->isEnabled() && !number.empty();
    // Compared as the book keeps it: without the blanks around it.
    int16_t index = 0;
    return FromQt(txtPhoneNumber->text().trimmed()) != GetConnection(name, index);
}

bool frmPhoneBook::WriteNumberOf(const std::string& name) {
    const std::string number = FromQt(txtPhoneNumber->text());
    if (!PhoneTextAllowed(name) || !PhoneTextAllowed(number)) {
        CurrentShell().MsgBox(GetText(kSection, "nobar"), GetText(kSection, "frmPhoneBook"));
        return false;
    }
    const bool listed = Listed(name);
    int16_t index = 0;
    GetConnection(listed ? name : std::string(), index);
    if (!Save(name, number, index)) return false;
    if (!listed) cbxConnection->addItem(ToQt(name));
    return true;
}

void frmPhoneBook::done(int result) {
    if (NumberNotWritten(FromQt(cbxConnection->currentText()))) {
        switch (AskConfirm()) {
            case Reply::Yes:
                if (!(Listed(FromQt(cbxConnection->currentText())) ? cmdModify_Click() : cmdAdd_Click()))
                    return;
                break;
            case Reply::No: break;
            case Reply::Closed: return;
        }
    }
    QDialog::done(result);
}

bool frmPhoneBook::cmdAdd_Click() {
    if (!TextsAllowed()) return false;
    const QString name = cbxConnection->currentText();
    int16_t index = 0;
    GetConnection("", index);
    if (!Save(FromQt(name), FromQt(txtPhoneNumber->text()), index)) return false;
    cbxConnection->addItem(name);
    cbxConnection->setCurrentIndex(cbxConnection->count() - 1);
    cmdAdd->setEnabled(false);
    cmdModify->setEnabled(true);
    cmdDelete->setEnabled(true);
    return true;
}

bool frmPhoneBook::cmdModify_Click() {
    if (!TextsAllowed()) return false;
    const std::string name = FromQt(cbxConnection->currentText());
    int16_t index = 0;
    GetConnection(name, index);
    if (!Save(name, FromQt(txtPhoneNumber->text()), index)) return false;
    cmdModify->setEnabled(false);
    return true;
}

void frmPhoneBook::cmdDelete_Click() {
    const QString name = cbxConnection->currentText();
    int16_t index = 0;
    GetConnection(FromQt(name), index);
    if (!Listed(FromQt(name)) || !Save("", "", index)) return;
    const int at = cbxConnection->findText(name, Qt::MatchExactly);
    if (at >= 0) cbxConnection->removeItem(at);
    cmdAdd->setEnabled(false);
    // The selection moves to the item now at the same place.
    const int next = at >= 0 && at < cbxConnection->count() ? at : -1;
    cbxConnection->setCurrentIndex(next);
    if (next >= 0) {
        cbxConnection_Click(next);
    } else {
        cbxConnection->setEditText(QString());
        shown_.clear();
        cmdDelete->setEnabled(false);
        cmdModify->setEnabled(false);
        txtPhoneNumber->clear();
    }
}
