#include "link/builders_cards.h"

#include "core/globals.h"
#include "link/builders_steps.h"
#include "link/req_state.h"
#include "shell/cycle.h"
#include "tables/cards.h"

using namespace builders;

namespace {

bool CardRequest(int16_t& valid, int16_t& flag, const char* status, const char* token,
                 float time) {
    valid = False;
    if (!NextCash(true)) return false;
    Status(status);
    flag = True;
    bool queued = Queue(ReadText(token), time);
    Commit();
    return queued;
}

}  // namespace

bool WriteOpeCard() {
    return CardRequest(OpeCard.bValid, ReqState.bWrOpeCard, "84", "*a", 10.0f);
}
bool ReadOpeCard() { return CardRequest(OpeCard.bValid, ReqState.bRdOpeCard, "83", "&a", 2.5f); }
bool WriteCamCard() {
    return CardRequest(CamCard.bValid, ReqState.bWrCamCard, "84", "*b", 10.0f);
}
bool ReadCamCard() { return CardRequest(CamCard.bValid, ReqState.bRdCamCard, "83", "&b", 2.5f); }
