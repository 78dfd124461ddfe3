#pragma once
// Sending the multiple functions to the register ("B" 56) and storing them
// when they are read back ("C" 56). A multiple function does not travel as
// one record: the send answers a header line ("1", number, description,
// flags) and then one line per step that holds a function ("2", number,
// step number, function code); a multiple function without such a step is
// not sent at all. The read assembles each record from its header and the
// step lines after it, and the closing line puts every record read into
// FunMul.txt in one step, so that a read cut short leaves the file as it was.
//
// Send state: ReqState.nTxFMult (the open file), ReqState.nTxFMult2 (the
// index of the next step to send, 65535 between records) and the range
// Tx.nTxFMultFrom..Tx.nTxFMultTo (From is the record counter; the copies put
// it back after "*"). Read state: ReqState.bRdFMult and Tx.nRdFMultState (0
// before the first header of a read, 65535 after it).
#include <cstdint>
#include <string>

#include "store/multiple_functions.h"

// True when a step from index ReqState.nTxFMult2 to 59 holds a function
// code other than 0; the index is then moved to the first such step.
bool FindNextFMult(const FunMulRec& rec);

std::string AnsFMult();
int16_t DataFMult();
