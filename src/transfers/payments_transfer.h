#pragma once
// Sending the payment types and the meal-ticket amounts to the register and
// storing them when they are read back.
//
// Payment types ("B" 86, "C" 11) go out number, flags, P522, P523, name and,
// except on LX4100, P524: the name is not in its file position.
//
// Meal-ticket amounts ("B" 58, "C" 58) go out record by record, all 510, each
// as the ticket's payment type (ticket t is payment type t + 5), the
// denomination and the amount as the file holds them; a line read back is
// stored at the record of its ticket and denomination. A register folder
// without TicketAmount.txt (a model without meal tickets) neither sends nor
// stores them: the send answers "*" at once, a read's lines are acknowledged
// and dropped, and either is listed as a failure of the run.
#include <cstdint>
#include <string>

// Answer procedure of "B" request 86: the next payment type, or "*".
std::string AnsModPag();
// Data procedure of "C" data code 11.
int16_t DataModPag();
// Answer procedure of "B" request 58: the next meal-ticket amount, or "*".
std::string AnsTicketAmount();
// Data procedure of "C" data code 58. A line whose payment type is not a
// meal ticket's (6 to 39) or whose denomination is outside 1 to 15 is
// acknowledged, listed and not stored.
int16_t DataTicketAmount();
