#include "engine/conn_test.h"

#include "core/cash_list.h"
#include "core/globals.h"
#include "core/link_state.h"
#include "core/shell.h"
#include "core/texts.h"
#include "engine/cycle.h"
#include "engine/main_timer.h"
#include "link/cmd_queue.h"
#include "link/hello.h"
#include "platform/clock.h"

bool ReqConnTest() {
    ShowMsg("", "");
    if (!NextCash(false)) return false;
    TakeHelloCopyRequest();
    std::string empty;
    bool r = AddCmd(empty, 0, 2.5f, "");
    SaveCmdQueue();
    return r;
}

void ConnTest() {
    // A cycle of its own: nothing while another operation runs.
    if (!ResetTimer()) return;
    const LinkStateRec saved = LinkState;
    LinkState.bTestMode = true;
    LinkState.nRetries = 0;
    LinkState.bHelloMsgs = false;

    if (ReqConnTest()) {
        // The main timer runs the test while the user interface runs. The
        // test is over when the timer is idle with nothing left in the queue
        // (also when the port couldn't be opened and the command was
        // dropped), or when the test's time-out has passed since the start.
        const double start = platform::Timer();
        const double limit = Core.sngConnTestTimeout > 0 ? Core.sngConnTestTimeout : 70.0;
        while (platform::Timer() - start <= limit && ExchangeRunning()) CurrentShell().DoEvents();
        LinkState.bTestMode = false;
        while (LinkState.nState != 0) CurrentShell().DoEvents();
    } else {
        // Nothing was sent: say why, with the file that lists the registers.
        bool defined = false, enabled = false;
        for (int i = 0; i < kMaxCash; ++i) {
            defined = defined || CassaList[i].bDefined;
            enabled = enabled || (CassaList[i].bDefined && CassaList[i].bEnabled);
        }
        if (!defined)
            CurrentShell().AddError(GetText("Msg", "nocash") + " " + ConfigIniPath(), false);
        else if (!enabled)
            CurrentShell().AddError(GetText("Msg", "nocashsel") + " " + ConfigIniPath(), false);
    }
    CurrentShell().AddMessage(GetText("Msg", "conntestend"), true);
    LinkState = saved;
    CurrentShell().ClearShowWait(false);
}
