#include "tables/table_procs.h"

#include "link/dispatch.h"
#include "tables/cards_transfer.h"
#include "tables/customers_transfer.h"
#include "tables/departments_transfer.h"
#include "tables/operators_transfer.h"
#include "tables/payments_transfer.h"

void RegisterTableProcs() {
    RegisterCustomerProcs();
    RegisterAnsProc("80", &AnsReparto);
    RegisterDataProc("07", &DataReparto);
    RegisterAnsProc("86", &AnsModPag);
    RegisterDataProc("11", &DataModPag);
    RegisterAnsProc("58", &AnsTicketAmount);
    RegisterDataProc("58", &DataTicketAmount);
    RegisterAnsProc("83", &AnsOpe);
    RegisterDataProc("09", &DataOpe);
    RegisterAnsProc("82", &AnsCam);
    RegisterDataProc("15", &DataCam);
    RegisterAnsProc("60", &AnsOpeCard);
    RegisterAnsProc("61", &AnsCamCard);
    RegisterDataProc("60", &DataOpeCard);
    RegisterDataProc("61", &DataCamCard);
}
