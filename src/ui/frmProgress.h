#pragma once
// The progress window: what the link is doing (register, command, its
// description, the seconds it has taken), the list of messages and the list
// of errors on two pages, and Cancel, which aborts the operation.
#include <QDialog>
#include <string>

#include "engine/wait_display.h"

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

    // The wait display's texts. A command that is not under way (no place
    // in the queue) leaves its caption and description blank; each command
    // that starts is also noted on the messages page, so that a long
    // transfer can be followed there.
    void SetWaitTexts(const WaitTexts& texts);
    // The wait display has stopped: its texts are cleared, so that a window
    // kept for its errors shows no stale command or time.
    void EndWait();
    // Shows the window without taking the focus from the main window.
    void ShowWindow();
    // The operation has ended: its lines stay to be read, and the button
    // closes the window. The first line of the next operation empties the
    // lists.
    void OperationOver();

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
    void AddLine(QListWidget* list, const std::string& text, bool prefix, bool beep = true);
    void cmdCancel_Click();
    // Places the window, before it shows, where it covers none of the
    // program's other open windows (bulk programming, the reports): where
    // it opens when that is clear, else beside one of them on the screen.
    void PlaceClear();
    // A line of a new operation after the last one ended: the lists start
    // empty and the button is Cancel again.
    void TakeNewOperation();
    // Empties both lists, the messages page in front.
    void ClearLists();

    bool over_ = false;  // the operation of the lines shown has ended

    std::string lastNoted_;  // the command last noted on the messages page
};
