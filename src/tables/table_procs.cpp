#include "tables/table_procs.h"

#include "link/dispatch.h"
#include "tables/departments_transfer.h"
#include "tables/plu_transfer.h"

void RegisterTableProcs() {
    RegisterAnsProc("80", &AnsReparto);
    RegisterDataProc("07", &DataReparto);
    RegisterAnsProc("81", &AnsPLU);
    RegisterAnsProc("84", &AnsOff);
    RegisterAnsProc("78", &AnsConfPLU);
    RegisterDataProc("78", &DataConfPLU);
    RegisterDataProc("08", &DataC08);
}
