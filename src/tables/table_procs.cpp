#include "tables/table_procs.h"

#include "link/dispatch.h"
#include "tables/departments_transfer.h"
#include "tables/report_procs.h"

void RegisterTableProcs() {
    RegisterAnsProc("80", &AnsReparto);
    RegisterDataProc("07", &DataReparto);
    RegisterReportProcs();
}
