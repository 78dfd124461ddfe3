#pragma once
// Steps that the main timer calls and that other parts of the program
// provide: the batch request list of the shell and the bulk transfers of PLUs
// and logo icons. Until a part is built, pending_steps.cpp stands in for it
// with a step that does nothing; the part's own definition replaces it (and
// its stand-in is then deleted from pending_steps.cpp).

// One step of the batch request list: true when a request queued commands.
bool ExecRequests();
// The bulk transfers, each run whole inside one tick of state 4.
void GestSendPLU();
void GestSendIco();
