#pragma once
// The icon texts over the line, one message line per exchange: the send
// ("B" 54) answers message number, line number (1 to 5), the line's text and
// the icon number, each message's lines in turn; a read ("C" 54) puts each
// line it receives into its line of its message and sets the message's icon,
// leaving the message's other lines as they are. The records changed go into
// IconText.txt in one step at the closing line (ReadEdits). A line whose
// message or line number lies outside the register's messages or 1 to 5, or
// that is cut short, is acknowledged, listed among the errors and not
// stored.
//
// Send state: ReqState.nTxTestoIcone (the open file) and the counters
// Tx.nTxTestoIconeMsg (from 1) and Tx.nTxTestoIconeLine (from 0).
#include <cstdint>
#include <string>

std::string AnsTestoIcone();
int16_t DataTestoIcone();
