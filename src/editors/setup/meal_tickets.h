#pragma once
// The payment-types editor's request that clears the register's meal-ticket
// data of the meal-ticket payment types 6 to 39: "*2;+4;#d6:39;*3;", no
// answer awaited, 25 seconds. A new cycle over the registers starts first,
// so that the request reaches the chosen registers after any earlier
// operation of the session. True when queued.
bool SendMealTicketDeletion();
