#include "editors/setup/ui/setup_editors.h"

#include "editors/setup/ui/frmBollini.h"
#include "editors/setup/ui/frmCamerieri.h"
#include "editors/setup/ui/frmCaricaResto.h"
#include "editors/setup/ui/frmGestIcone.h"
#include "editors/setup/ui/frmGlbCassa.h"
#include "editors/setup/ui/frmIconePeriodo.h"
#include "editors/setup/ui/frmIntScontrino.h"
#include "editors/setup/ui/frmModPag.h"
#include "editors/setup/ui/frmOpGen.h"
#include "editors/setup/ui/frmOpeCamCli.h"
#include "editors/setup/ui/frmOperatori.h"
#include "editors/setup/ui/frmScontrino.h"
#include "editors/setup/ui/frmTastiera.h"
#include "editors/setup/ui/frmTestoIcone.h"
#include "editors/setup/ui/frmValute.h"
#include "shell/registry.h"

namespace {

template <class Window>
void Register(const char* key) {
    RegisterEditor(key, [] { return EditorWindow::Show(new Window); });
}

}  // namespace

void RegisterSetupEditors() {
    Register<frmTestoIcone>("K_FRMTESTOICONE");
    Register<frmModPag>("K_FRMMODPAG");
    Register<frmValute>("K_FRMVALUTE");
    Register<frmCaricaResto>("K_FRMCARRESTO");
    Register<frmBollini>("K_FRMBOLLINI");
    Register<frmOpGen>("K_FRMOPGEN");
    Register<frmIconePeriodo>("K_FRMICONEPERIODO");
    Register<frmOpeCamCli>("K_FRMOPECAMCLI");
    Register<frmTastiera>("K_FRMTASTIERA");
    Register<frmGestIcone>("K_FRMGESTICONE");
    Register<frmOperatori>("K_FRMOPERATORI");
    Register<frmCamerieri>("K_FRMCAMERIERI");
    Register<frmScontrino>("K_FRMSCONTRINO");
    Register<frmIntScontrino>("K_FRMINTSCONTRINO");
    Register<frmGlbCassa>("K_FRMGLBCASSA");
}
