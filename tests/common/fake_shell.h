#pragma once
// A recording Shell for tests: keeps every call in order, answers Yes/No
// questions from a script queue, and keeps the progress bar's state like the
// tree window does. Install it for one test with ScopedFakeShell.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/shell.h"

namespace testsupport {

class FakeShell : public Shell {
public:
    struct Line {
        std::string text;
        bool registerPrefix = false;
    };
    struct Box {
        std::string text;
        std::string title;
    };

    // --- Shell ---
    void SetStatusText(const std::string& text) override;
    std::string StatusText() const override { return status; }
    void SetCounterPanel(int panel, const std::string& text) override;
    void AddMessage(const std::string& text, bool registerPrefix) override;
    void ListError(const std::string& text, bool registerPrefix) override;
    void HideProgressRequest() override { ++hideProgressRequests; }
    void SetShowWait(float timeoutSeconds) override;
    void ShowWait() override { ++showWaitCalls; }
    void ClearShowWait(bool hideProgress) override;
    void SetPGBRange(int16_t minimum, int16_t maximum) override;
    void SetPGBValue(int16_t value) override;
    void IncPGBValue() override;
    bool PGBBusy() const override { return pgbBusy; }
    void MsgBox(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    Reply Ask(const std::string& text, const std::string& title) override;
    void RefreshForm() override { ++refreshCalls; }
    void DoEvents() override { ++doEventsCalls; }

    // --- script ---
    // Answers for the next questions, in order; when the queue is empty the
    // default answer is given.
    void QueueAnswer(bool yes) { answers.push_back(yes); }
    std::deque<bool> answers;
    bool defaultAnswer = true;
    // So many next questions are closed unanswered (Escape).
    int closes = 0;
    // Run while a question is open, before its answer (an operation moving on).
    std::function<void()> underQuestion;

    // --- record ---
    std::string status;                       // current panel 1 text
    std::vector<std::string> statusTexts;     // every status text set, in order
    std::map<int, std::string> counterPanels; // current text of panels 7 and 8
    std::vector<std::pair<int, std::string>> counterLog;
    std::vector<Line> messages;
    std::vector<Line> errors;
    std::vector<Box> msgBoxes;
    std::vector<Box> questions;
    std::vector<std::string> pgbCalls;        // "range 1 100", "value -1", "inc"
    int pgbMin = 0, pgbMax = 100, pgbValue = 0;
    bool pgbBusy = false;
    bool waitShown = false;
    std::vector<float> showWaitTimeouts;      // every SetShowWait
    std::vector<bool> clearShowWaitCalls;     // every ClearShowWait argument
    int showWaitCalls = 0;
    int hideProgressRequests = 0;
    int refreshCalls = 0;
    int doEventsCalls = 0;
};

// Installs a FakeShell as the current shell for its lifetime.
class ScopedFakeShell {
public:
    ScopedFakeShell() { SetShell(&shell); }
    ~ScopedFakeShell() { SetShell(nullptr); }
    ScopedFakeShell(const ScopedFakeShell&) = delete;
    ScopedFakeShell& operator=(const ScopedFakeShell&) = delete;
    FakeShell* operator->() { return &shell; }
    FakeShell shell;
};

}  // namespace testsupport
