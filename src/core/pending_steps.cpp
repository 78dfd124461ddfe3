// Stand-ins for steps whose parts are not built yet (see pending_steps.h).
#include "core/pending_steps.h"

__attribute__((weak)) void GestSendPLU() {}
__attribute__((weak)) void GestSendIco() {}
