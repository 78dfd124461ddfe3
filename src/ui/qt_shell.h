#pragma once
// The Shell of the program: logic reaches the windows through it. Batch mode
// opens no modal dialog: message boxes and questions go to the message log
// (a question takes its default answer, Yes).
#include <string>

#include "core/shell.h"
#include "engine/progress_range.h"

class QtShell : public Shell {
public:
    void SetStatusText(const std::string& text) override;
    std::string StatusText() const override;
    void SetCounterPanel(int panel, const std::string& text) override;

    void AddMessage(const std::string& text, bool registerPrefix) override;
    void HideProgressRequest() override;

    void SetShowWait(float timeoutSeconds) override;
    void ShowWait() override;
    void ClearShowWait(bool hideProgress) override;

    void SetPGBRange(int16_t minimum, int16_t maximum) override;
    void SetPGBValue(int16_t value) override;
    void IncPGBValue() override;
    bool PGBBusy() const override;

    void MsgBox(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    // A message box: Escape and its close box give Closed.
    Reply Ask(const std::string& text, const std::string& title) override;

    void RefreshForm() override;
    void DoEvents() override;

    void ShowTime() override;
    void UnloadMainWindow() override;
    void CloseOpForms() override;
    void ShowHelloForm(bool first) override;
    void ShowCommData() override;
    bool AskRange(const std::string& subject, std::string& lower, std::string& upper,
                  const RangeCheck& check) override;

protected:
    void ListError(const std::string& text, bool registerPrefix) override;

private:
    // Counts a question or message box of the shell while it is open.
    class QuestionOpen;

    // Kept while there is no main window (status text, progress bar).
    std::string status_;
    ProgressRange range_;
    // Questions and message boxes of the shell open now. The main timer runs
    // on under them, so the link keeps its pace; a refresh of the editor on
    // screen after a read waits for the answer (refreshHeld_), so the editor
    // that asked is not changed under its own question.
    int questionsOpen_ = 0;
    bool refreshHeld_ = false;
};

// The program's shell, installed by Main.
QtShell& TheQtShell();

// The toolkit's own texts (the Yes and No of a question, the buttons of its
// dialogs) in the language of the language file chosen: its extension names
// the language (".ita", ".eng"). A language the toolkit has no texts for
// keeps its English ones.
void UseToolkitLanguage(const std::string& langExt);
