#include "core/hello_rec.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/req_state.h"
#include "platform/signals.h"

LinkStateRec LinkState;
HelloRecT HelloRec;
ReqStateRec ReqState;
MainTimerGlobals MainTimer;

void SetDefTimeouts(int16_t type, LinkStateRec& rec) {
    switch (type) {
        case 0:
            rec.sngTOReadFrame = 1.0f;
            rec.sngTOWaitAnswer = rec.bTestMode ? 0.1f : 3.0f;
            rec.sngTOReadAck = 0.2f;
            rec.sngTOBulk = 1.0f;
            rec.sngTOPoll = 0.3f;
            break;
        case 1:
            rec.sngTOReadFrame = 5.0f;
            rec.sngTOWaitAnswer = 5.0f;
            rec.sngTOReadAck = 5.0f;
            rec.sngTOBulk = 5.0f;
            rec.sngTOPoll = 3.0f;
            break;
        default:
            break;
    }
}

namespace {
void (*stopSeenHook)() = nullptr;
}  // namespace

void SetStopSeenHook(void (*hook)()) { stopSeenHook = hook; }

bool LinkAborted() {
    if (stopSeenHook && platform::StopSignalNoted() != 0) stopSeenHook();
    // A release is not cut short by the user's Cancel either: the Cancel is
    // taken up when the release is over (its hello is then not tried again).
    return !LinkState.bReleasing && (LinkState.AbortRequest || platform::StopSignalNoted() != 0);
}
