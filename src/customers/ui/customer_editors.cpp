#include "customers/ui/customer_editors.h"

#include "customers/ui/frmGClienti.h"
#include "editors/articles/ui/frmReparti.h"
#include "shell/registry.h"

void RegisterCustomerEditors() {
    RegisterEditor("K_FRMREPARTI", [] { return EditorWindow::Show(new frmReparti); });
    RegisterEditor("K_FRMGCLIENTI", [] { return EditorWindow::Show(new frmGClienti); });
}
