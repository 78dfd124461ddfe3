#include "customers/ui/customer_editors.h"

#include "customers/ui/frmClienti.h"
#include "customers/ui/frmFidelizza.h"
#include "customers/ui/frmGClienti.h"
#include "editors/articles/ui/frmReparti.h"
#include "shell/registry.h"

void RegisterCustomerEditors() {
    RegisterEditor("K_FRMREPARTI", [] { return EditorWindow::Show(new frmReparti); });
    RegisterEditor("K_FRMFIDELIZZA", [] { return EditorWindow::Show(new frmFidelizza); });
    RegisterEditor("K_FRMCLIENTI", [] { return EditorWindow::Show(new frmClienti); });
    RegisterEditor("K_FRMGCLIENTI", [] { return EditorWindow::Show(new frmGClienti); });
}
