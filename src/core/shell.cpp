#include "core/shell.h"

#include "core/globals.h"
#include "core/link_state.h"
#include "core/texts.h"
#include "core/work_record.h"

namespace {

// Used until the program or a test sets a shell: keeps what it must report
// back (status text, progress bar range) and shows nothing.
class SilentShell : public Shell {
public:
    void SetStatusText(const std::string& text) override { status_ = text; }
    std::string StatusText() const override { return status_; }
    void SetCounterPanel(int, const std::string&) override {}
    void AddMessage(const std::string&, bool) override {}
    void HideProgressRequest() override {}
    void SetShowWait(float) override {}
    void ShowWait() override {}
    void ClearShowWait(bool) override {}
    void SetPGBRange(int16_t, int16_t) override { busy_ = true; }
    void SetPGBValue(int16_t value) override {
        if (value == -1) busy_ = false;
    }
    void IncPGBValue() override {}
    bool PGBBusy() const override { return busy_; }
    void MsgBox(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    void RefreshForm() override {}
    void DoEvents() override {}

private:
    std::string status_;
    bool busy_ = false;

protected:
    void ListError(const std::string&, bool) override {}
};

SilentShell silent;
Shell* current = &silent;

// The register an error line of the message log names, as "Register N: ".
std::string LoggedRegister() {
    // In the windows the message log names the register as the list does. A
    // command-line run names the register whose turn is open; a line said
    // outside any turn (a history copy failing at the run's end) names none,
    // not the register the last turn left open.
    if (Core.bInteractive) return GetText("Progress", "cassa") + " " + std::to_string(LinkState.nAddress + 1) + ": ";
    if (Work.turnReg >= 0 && Work.turnReg < kMaxCash) return RegisterName(Work.turnReg) + ": ";
    return "";
}

}  // namespace

void Shell::AddError(const std::string& text, bool registerPrefix) {
    Texts.strResult.clear();
    ListError(text, registerPrefix);
    WriteMsgLog(registerPrefix ? LoggedRegister() + text : text);
}

Shell& CurrentShell() { return *current; }
void SetShell(Shell* shell) { current = shell ? shell : &silent; }
