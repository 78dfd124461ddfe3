#include "engine/bulk_prog.h"

#include <cerrno>

#include "core/work_record.h"
#include "core/cash_list.h"
#include "core/texts.h"
#include "engine/builders_tables.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "link/cmd_queue.h"
#include "platform/profile.h"
#include "core/shell_state.h"
#include "transfers/transfer.h"

namespace {

std::string Key(size_t index) {
    std::string k = "chkEna";
    if (index < 10) k += '0';
    return k + std::to_string(index);
}

}  // namespace

const std::vector<ProgItem>& ProgItems() {
    static const std::vector<ProgItem> items = {
        {"*F", "&L", ""},    {"*G", "&M", ""},   {"*L", "&M", "999999990000:999999999999"},
        {"*O", "&p", ""},    {"^i", "^L", ""},   {"*l", "&H", ""},
        {"*U", "&P", ""},    {"*H", "&N", ""},   {"*J", "&K", ""},
        {"*P", "&s", ""},    {"*Y", "&R", ""},   {"*Q", "&r", ""},
        {"*Z", "&Z", ""},    {"*y", "&k", ""},   {"*i", "&l", ""},
        {"*V", "&Q", ""},    {"^g", "^G", ""},   {"*o", "&b", ""},
    };
    return items;
}

std::string ProgItemText(size_t index, bool send) {
    const ProgItem& item = ProgItems().at(index);
    // The offers are read by the PLU read over the offers' codes only: named
    // as what they are, not as the whole PLU read.
    if (!send && item.loadCode && *item.loadArg) return GetText("frmProg", "offersload");
    return GetProtocolText(send || !item.loadCode ? item.sendCode : item.loadCode);
}

std::vector<bool> LoadProgChoices() {
    std::vector<bool> chosen;
    const std::string ini = ConfigIniPath();
    for (size_t i = 0; i < ProgItems().size(); ++i)
        chosen.push_back(platform::GetPrivateProfileIntA("GlobProg", Key(i).c_str(), 0, ini.c_str()) == 1);
    return chosen;
}

bool SaveProgChoices(const std::vector<bool>& chosen) {
    const std::string ini = ConfigIniPath();
    // Every choice goes into the file's lines in memory; the file is then
    // replaced once, whole.
    platform::ProfileBatch batch(ini);
    bool ok = true;
    for (size_t i = 0; i < chosen.size() && i < ProgItems().size(); ++i)
        ok = platform::WritePrivateProfileStringA("GlobProg", Key(i).c_str(), chosen[i] ? "1" : "0",
                                                  ini.c_str()) && ok;
    errno = 0;
    return batch.Commit() && ok;
}

bool StartGlobProg(bool send, const std::vector<bool>& chosen) {
    // The transfer state is reset below: never while another operation runs.
    if (!MayStartOperation()) return false;
    InitFlags();
    ShellState.GlobProgBusy = true;
    bool any = false;
    for (size_t i = 0; i < chosen.size() && i < ProgItems().size(); ++i) {
        if (!chosen[i]) continue;
        const ProgItem& item = ProgItems()[i];
        if (!send && !item.loadCode) continue;
        bool queued = false;
        RunTableBuilder(send ? item.sendCode : item.loadCode, send ? "" : item.loadArg, queued);
        any = any || queued;
    }
    if (!any) ShellState.GlobProgBusy = false;
    return any;
}

bool GlobProgRunning() {
    if (!ShellState.GlobProgBusy) return false;
    if (ExchangeRunning()) return true;
    ShellState.GlobProgBusy = false;
    return false;
}

ProgOutcome GlobProgOutcome() {
    if (Cycle.bAborted) return ProgOutcome::Stopped;
    return WorkFailures() > 0 ? ProgOutcome::Failed : ProgOutcome::Done;
}

std::string ProgOutcomeText(ProgOutcome outcome) {
    switch (outcome) {
    case ProgOutcome::Done: return GetText("frmProg", "done");
    case ProgOutcome::Failed: return GetText("frmProg", "failed");
    case ProgOutcome::Stopped: return GetText("frmProg", "stopped");
    }
    return std::string();
}
