#include "common/fake_shell.h"

#include "core/texts.h"

namespace testsupport {

void FakeShell::SetStatusText(const std::string& text) {
    status = text;
    statusTexts.push_back(text);
}

void FakeShell::SetCounterPanel(int panel, const std::string& text) {
    counterPanels[panel] = text;
    counterLog.emplace_back(panel, text);
}

void FakeShell::AddMessage(const std::string& text, bool registerPrefix) {
    messages.push_back({text, registerPrefix});
}

void FakeShell::ListError(const std::string& text, bool registerPrefix) {
    errors.push_back({text, registerPrefix});
}

void FakeShell::SetShowWait(float timeoutSeconds) {
    waitShown = true;
    showWaitTimeouts.push_back(timeoutSeconds);
    ++showWaitCalls;
}

void FakeShell::ClearShowWait(bool hideProgress) {
    waitShown = false;
    clearShowWaitCalls.push_back(hideProgress);
    if (hideProgress) {
        ++hideProgressRequests;
        ShowOperationEnd();  // as the program's shell: the operation's kept success, or empty
    }
}

void FakeShell::SetPGBRange(int16_t minimum, int16_t maximum) {
    pgbCalls.push_back("range " + std::to_string(minimum) + " " + std::to_string(maximum));
    pgbMin = minimum;
    pgbMax = maximum;
    pgbValue = minimum;
    pgbBusy = true;
}

void FakeShell::SetPGBValue(int16_t value) {
    pgbCalls.push_back("value " + std::to_string(value));
    if (value == -1) {
        pgbValue = pgbMin;
        pgbBusy = false;
    } else {
        pgbValue = value;
    }
}

void FakeShell::IncPGBValue() {
    pgbCalls.push_back("inc");
    pgbValue = pgbValue + 1 > pgbMax ? pgbMin : pgbValue + 1;
}

void FakeShell::MsgBox(const std::string& text, const std::string& title) {
    msgBoxes.push_back({text, title});
}

Reply FakeShell::Ask(const std::string& text, const std::string& title) {
    if (closes <= 0) return Shell::Ask(text, title);
    --closes;
    questions.push_back({text, title});
    return Reply::Closed;
}

bool FakeShell::AskYesNo(const std::string& text, const std::string& title) {
    questions.push_back({text, title});
    if (underQuestion) underQuestion();
    if (answers.empty()) return defaultAnswer;
    bool yes = answers.front();
    answers.pop_front();
    return yes;
}

}  // namespace testsupport
