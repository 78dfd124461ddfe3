#include "editors/setup/ui/setup_editors.h"

#include "editors/setup/ui/frmBollini.h"
#include "shell/registry.h"

namespace {

template <class Window>
void Register(const char* key) {
    RegisterEditor(key, [] { return EditorWindow::Show(new Window); });
}

}  // namespace

void RegisterSetupEditors() {
    Register<frmBollini>("K_FRMBOLLINI");
}
