#pragma once
// The send of a table of a fixed number of slots whose fields go out
// zero-padded (the customer circularity, "01:0000000:0", and the
// price/weight codes, "01:00000000"): the file stays open on the number that
// the table's request-state word holds, one slot per "B" request, "*" after
// the last.
#include <cstdint>
#include <string>

#include "transfers/transfer.h"

struct SlotSendDesc {
    const char* fileName;
    int recordLength;
    int16_t slots;                          // slots 1 to this
    uint16_t ReqStateRec::*txWord;          // file word of the send
    int16_t TxCountersRec::*txIdx;          // slot counter
    const char* statusKey;                  // section "Msg" key shown at the start
    // The answer of slot n from its record.
    std::string (*answer)(int16_t slot, const std::string& record);
};

// Answer procedure: 65534 answers "*"; 65535 starts the send (status,
// progress 1 to the slots, counter 1, file opened); each request answers the
// next slot; past the last: status cleared, progress reset, "*", the file
// closed, the word 65534, the counter back to 1 and one answer less awaited.
// A file that is missing or cannot be read ends the send with "*" without
// counting it done, so the command fails by its answer time-out.
std::string AnswerSlots(const SlotSendDesc& table);
