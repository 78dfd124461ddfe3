#pragma once
// The progress window: what the link is doing (register, command, its
// description, the seconds it has taken), the list of messages and the list
// of errors on two pages, and Cancel, which aborts the operation.
#include <QDialog>
#include <string>

#include "shell/wait_display.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

class frmProgress : public QDialog {
    Q_OBJECT
public:
    // The one progress window, created on first use.
    static frmProgress* Instance();
    static bool Exists();
    // Unloads the window when it exists (its lists go with it).
    static void Unload();

    // Beeps and appends a line to the message list (preceded by the
    // current register and command when prefix is set).
    void AddMessage(const std::string& text, bool prefix);
    // The same for the error list; the window turns to its errors page.
    void AddError(const std::string& text, bool prefix);
    // Hides the window unless errors are listed.
    void Hide_Request();
    bool HasErrors() const;

    // The wait display's texts.
    void SetWaitTexts(const WaitTexts& texts);
    // Shows the window without taking the focus from the main window.
    void ShowWindow();

    QLabel* lblCassa = nullptr;
    QLabel* lblComando = nullptr;
    QLabel* lblDescr = nullptr;
    QLabel* lblTempo = nullptr;
    QTabWidget* sstPages = nullptr;
    QListWidget* lstMessages = nullptr;
    QListWidget* lstErrors = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    // The user's close hides the window and empties its lists.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    explicit frmProgress(QWidget* parent = nullptr);
    void SetTexts();
    void AddLine(QListWidget* list, const std::string& text, bool prefix);
    void cmdCancel_Click();
};
