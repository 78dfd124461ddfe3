#include "tables/table_procs.h"

#include "link/dispatch.h"
#include "tables/currencies_transfer.h"
#include "tables/departments_transfer.h"
#include "tables/discounts_transfer.h"
#include "tables/groups_transfer.h"
#include "tables/multiple_functions_transfer.h"

void RegisterTableProcs() {
    RegisterAnsProc("80", &AnsReparto);
    RegisterDataProc("07", &DataReparto);
    // Department and statistic groups
    RegisterAnsProc("51", &AnsGrpRep);
    RegisterDataProc("51", &DataGrpRep);
    RegisterAnsProc("62", &AnsGrpSta);
    RegisterDataProc("62", &DataGrpSta);
    // Multiple functions
    RegisterAnsProc("56", &AnsFMult);
    RegisterDataProc("56", &DataFMult);
    // Currencies and change loading
    RegisterAnsProc("53", &AnsValuta);
    RegisterDataProc("53", &DataValuta);
    RegisterAnsProc("66", &AnsRResto);
    // Discounts and surcharges with their options, and stamps
    RegisterAnsProc("88", &AnsScoMag);
    RegisterDataProc("13", &DataScoMag);
    RegisterAnsProc("69", &AnsConfScoMag);
    RegisterDataProc("69", &DataConfScoMag);
    RegisterAnsProc("57", &AnsConfScoMag2);
    RegisterDataProc("70", &DataConfScoMag2);
    RegisterAnsProc("52", &AnsBollino);
    RegisterDataProc("52", &DataBollino);
}
