#pragma once
// The one way logic reaches the windows. The Qt shell implements it; tests use
// the recording fake in tests/common/fake_shell.h. Texts are Windows-1252.
#include <cstdint>
#include <functional>
#include <string>

// The answer to a Yes/No question: a question closed (Escape, its window's
// close box) is no answer, and the one asking changes nothing for it.
enum class Reply { Yes, No, Closed };

// What a save that may ask "Save the changes?" did. Saved: the change is in
// the file, there was none, or No dropped it; the caller goes on. NotSaved:
// nothing was written (a value refused, a file not written, a folder that is
// not the editor's to write): the change stays on screen. Closed: the
// question was closed unanswered: the change stays, and nothing more is
// asked about it.
enum class SaveResult { Saved, NotSaved, Closed };

// The caller's check of the limits typed in the range window: the words that
// say why they cannot be taken, or an empty text when they can.
using RangeCheck = std::function<std::string(const std::string& lower, const std::string& upper)>;

class Shell {
public:
    virtual ~Shell() = default;

    // Panel 1 of the main window's status bar (the status text).
    virtual void SetStatusText(const std::string& text) = 0;
    virtual std::string StatusText() const = 0;
    // Panels 7 (record counter) and 8 (pending-command counter) of the tree
    // window's status bar.
    virtual void SetCounterPanel(int panel, const std::string& text) = 0;

    // The progress window: message and error lists. Every error line listed
    // there also goes to the message log (msg.log), with the register it is
    // about when the list names one: callers never log an error line
    // themselves.
    virtual void AddMessage(const std::string& text, bool registerPrefix) = 0;
    void AddError(const std::string& text, bool registerPrefix);
    virtual void HideProgressRequest() = 0;  // hides it unless errors are listed

    // The wait display of the main window.
    virtual void SetShowWait(float timeoutSeconds) = 0;
    virtual void ShowWait() = 0;
    virtual void ClearShowWait(bool hideProgress) = 0;

    // The tree window's progress bar.
    virtual void SetPGBRange(int16_t minimum, int16_t maximum) = 0;
    virtual void SetPGBValue(int16_t value) = 0;  // -1: back to the minimum, not busy
    virtual void IncPGBValue() = 0;
    virtual bool PGBBusy() const = 0;

    // Message boxes: an OK box, and a Yes/No question (true for Yes).
    virtual void MsgBox(const std::string& text, const std::string& title) = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // The same question, telling a close from No. A shell that cannot tell
    // them apart answers as AskYesNo does.
    virtual Reply Ask(const std::string& text, const std::string& title) {
        return AskYesNo(text, title) ? Reply::Yes : Reply::No;
    }

    // Ask the editor on screen to show its data again.
    virtual void RefreshForm() = 0;
    // Let the user interface run (called by the link's waiting loops).
    virtual void DoEvents() = 0;

    // Services of the main window and the hello window that the main timer
    // and the link call. They do nothing by default, so a shell that has no
    // such window (a test) need not provide them.
    // Refresh the clock panels of the main window (every tick).
    virtual void ShowTime() {}
    // The main window's close request, as when the user closes it: the first
    // one becomes an exit request (MainTimer.ExitRequest); once the run's
    // windows are closed, the window unloads. Batch mode ends the run with it.
    virtual void UnloadMainWindow() {}
    // The end of a run: allows the main window to unload and unloads the
    // editor on screen, the hello window and the progress window.
    virtual void CloseOpForms() {}
    // Show the hello-result window filled from HelloRec: first = true creates
    // and shows it modeless; false asks the open window to fill itself again.
    virtual void ShowHelloForm(bool first) { (void)first; }
    // After a hello answer: when the editor on screen is the communication
    // settings window, it shows the register's data again (new identity).
    virtual void ShowCommData() {}
    // The range window, shown modally with a subject and the proposed lower
    // and upper limits; true when the user confirmed, the limits then hold
    // the chosen ones; false, limits unchanged, after Cancel. OK with limits
    // that check refuses keeps the window open with the user's values and
    // check's words. Batch mode opens no window and takes the proposed limits
    // (true); a shell without the window answers false.
    virtual bool AskRange(const std::string& subject, std::string& lower, std::string& upper,
                          const RangeCheck& check) {
        (void)subject, (void)lower, (void)upper, (void)check;
        return false;
    }

protected:
    // Lists a line in the progress window's errors (AddError logs it).
    virtual void ListError(const std::string& text, bool registerPrefix) = 0;
};

// The shell in use; never null (a silent shell until a real one is set).
Shell& CurrentShell();
// Sets the shell in use; nullptr puts the silent shell back.
void SetShell(Shell* shell);
