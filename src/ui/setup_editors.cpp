#include "ui/setup_editors.h"

#include "ui/frmBollini.h"
#include "ui/frmCamerieri.h"
#include "ui/frmCaricaResto.h"
#include "ui/frmGestIcone.h"
#include "ui/frmGlbCassa.h"
#include "ui/frmIconePeriodo.h"
#include "ui/frmIntScontrino.h"
#include "ui/frmModPag.h"
#include "ui/frmOpGen.h"
#include "ui/frmOpeCamCli.h"
#include "ui/frmOperatori.h"
#include "ui/frmScontrino.h"
#include "ui/frmTastiera.h"
#include "ui/frmTestoIcone.h"
#include "ui/frmValute.h"
#include "engine/registry.h"

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
