#include "engine/operation.h"

#include <algorithm>

#include "core/globals.h"
#include "core/link_state.h"
#include "core/shell_state.h"
#include "core/texts.h"
#include "engine/cycle.h"
#include "link/cmd_queue.h"
#include "engine/registry.h"
#include "core/shell.h"

OperationGlobals Operation;

namespace {

// A menu item's text without its accelerator and its trailing dots.
std::string MenuName(const char* key) {
    std::string text = GetText("Menu", key);
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

bool OperationRunning() { return ExchangeRunning(); }

std::string RunningOperationName() {
    if (ShellState.GlobProgBusy) return MenuName("globprog");
    if (LinkState.bTestMode) return MenuName("conntest");
    return CommandUnderWayName();
}

std::string CommandUnderWayName() {
    const int cur = CmdQueue.nCmdCur;
    if (cur >= 1 && cur <= kQueueSize && !CmdQueue.entries[cur].description.empty())
        return CmdQueue.entries[cur].description;
    for (int i = 1; i <= kQueueSize; ++i)
        if (CmdQueue.entries[i].state == -1 && !CmdQueue.entries[i].description.empty())
            return CmdQueue.entries[i].description;
    return CmdQueue.saved[1].description;
}

bool MayStartOperation() {
    if (!Core.bInteractive || Operation.bStarting) return true;
    if (!OperationRunning()) {
        // The operation sends from the registers' files: an editor's change
        // not saved yet is asked about first, as the editor's own Send does.
        EditorForm* editor = CurrentEditor();
        if (editor && !editor->BeforeOperation()) return false;
        // A new operation: bulk programming only when it says so again.
        ShellState.GlobProgBusy = false;
        Operation.bStarting = true;
        return true;
    }
    const std::string name = RunningOperationName();
    ShowMsgText(GetText("Msg", "oprunning") + (name.empty() ? "" : " " + name), "");
    return false;
}

void OperationTick() { Operation.bStarting = false; }

bool OperationWorkLeft() {
    if (!OperationRunning()) return false;
    if (CmdQueuePending()) return true;
    // The register's last command has had its answers (the closing frame
    // and the pause may follow): only a further register gives the
    // operation more to do.
    const int16_t state = LinkState.nState;
    const bool answered = state == 1 && !LinkState.bNoCmd && LinkState.nPendingAns <= 0;
    if (answered || state == 2 || state == 3) return CycleHasMore();
    return true;
}
