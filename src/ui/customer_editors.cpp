#include "ui/customer_editors.h"

#include "ui/frmClienti.h"
#include "ui/frmFidelizza.h"
#include "ui/frmGClienti.h"
#include "ui/frmReparti.h"
#include "engine/registry.h"

void RegisterCustomerEditors() {
    RegisterEditor("K_FRMREPARTI", [] { return EditorWindow::Show(new frmReparti); });
    RegisterEditor("K_FRMFIDELIZZA", [] { return EditorWindow::Show(new frmFidelizza); });
    RegisterEditor("K_FRMCLIENTI", [] { return EditorWindow::Show(new frmClienti); });
    RegisterEditor("K_FRMGCLIENTI", [] { return EditorWindow::Show(new frmGClienti); });
}
