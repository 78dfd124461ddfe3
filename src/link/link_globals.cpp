#include "link/hello_rec.h"
#include "link/link_state.h"
#include "link/req_state.h"

LinkStateRec LinkState;
HelloRecT HelloRec;
ReqStateRec ReqState;
