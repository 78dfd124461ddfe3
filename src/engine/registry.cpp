#include "engine/registry.h"

#include <map>

#include "core/globals.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "core/shell_state.h"

namespace {

std::map<std::string, EditorFactory>& Factories() {
    static std::map<std::string, EditorFactory> factories;
    return factories;
}

EditorForm* current = nullptr;

}  // namespace

void RegisterEditor(const std::string& key, EditorFactory factory) {
    if (factory)
        Factories()[key] = std::move(factory);
    else
        Factories().erase(key);
}

bool EditorRegistered(const std::string& key) { return Factories().count(key) != 0; }

void ClearEditorRegistry() {
    Factories().clear();
    current = nullptr;
    ShellState.strCurFrmKey.clear();
}

EditorForm* CurrentEditor() { return current; }

void EditorDestroyed(const EditorForm* form) {
    if (!form || form != current) return;
    current = nullptr;
    ShellState.strCurFrmKey.clear();
}

bool CloseCurrentEditor() {
    if (!current) return true;
    current->SetCanUnload(true);
    if (!current->Unload()) {
        // The editor refused even so: it stays the one on screen.
        current->SetCanUnload(false);
        return false;
    }
    current = nullptr;
    ShellState.strCurFrmKey.clear();
    return true;
}

bool ShowForm(const std::string& key) {
    ShowMsg("", "");
    if (!CloseCurrentEditor()) return false;
    auto it = Factories().find(key);
    if (key == kNullFormKey || it == Factories().end()) return false;
    // The factory's load may ask questions and so let the user interface
    // run: take a copy, so that a registration made meanwhile cannot pull
    // the function away while it runs.
    EditorFactory factory = it->second;
    current = factory();
    if (current) ShellState.strCurFrmKey = key;
    return current != nullptr;
}

void RefreshForm() {
    ShowMsg("", "");
    if (!current) return;
    // Only the register shown in the user interface is refreshed; a read
    // from another register of a broadcast leaves the editor as it is.
    if (Core.nOpenCash != LinkState.nCurCash) return;
    if (current->CardValid())
        current->ShowCard();
    else
        current->RefreshAfterRead();
}
