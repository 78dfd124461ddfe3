#pragma once
// The chip-card builders: the operator editor and the waiter editor write
// the card in the register's reader from OpeCard or CamCard ("*a" and "*b"
// with "#H;") or read it into them ("&a" and "&b"). Each clears the card
// record's valid mark, selects the register (a new operation), shows its
// status text, sets its request flag and queues one text. The tokens are
// shared with the meal-ticket and customer-group transfers; the flag set here
// and the register's codes (60 and 61) tell them apart.
bool WriteOpeCard();
bool ReadOpeCard();
bool WriteCamCard();
bool ReadCamCard();
