#include "transfers/table_procs.h"

#include "link/dispatch.h"
#include "transfers/cards_transfer.h"
#include "transfers/currencies_transfer.h"
#include "transfers/customers_transfer.h"
#include "transfers/departments_transfer.h"
#include "transfers/discounts_transfer.h"
#include "transfers/groups_transfer.h"
#include "transfers/icon_texts_transfer.h"
#include "transfers/loyalty_transfer.h"
#include "transfers/multiple_functions_transfer.h"
#include "transfers/operators_transfer.h"
#include "transfers/payments_transfer.h"
#include "transfers/plu_directory_transfer.h"
#include "transfers/price_weight_transfer.h"
#include "transfers/plu_transfer.h"
#include "transfers/report_procs.h"

void RegisterTableProcs() {
    RegisterCustomerProcs();
    RegisterAnsProc("80", &AnsReparto);
    RegisterDataProc("07", &DataReparto);
    // Payment types, meal tickets, operators, waiters and their cards
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
    // Icon texts, loyalty tables, PLU directory and price/weight codes
    RegisterAnsProc("54", &AnsTestoIcone);
    RegisterDataProc("54", &DataTestoIcone);
    RegisterAnsProc("67", &AnsRepFid);
    RegisterDataProc("67", &DataRepFid);
    RegisterAnsProc("64", &AnsSubFid);
    RegisterDataProc("64", &DataSubFid);
    RegisterAnsProc("63", &AnsCirCli);
    RegisterDataProc("71", &DataCirCli);
    RegisterAnsProc("71", &AnsDirPLU);
    RegisterDataProc("23", &DataDirPLU);
    RegisterAnsProc("68", &AnsPrzPeso);
    RegisterDataProc("68", &DataPrzPeso);
    RegisterAnsProc("81", &AnsPLU);
    RegisterAnsProc("84", &AnsOff);
    RegisterAnsProc("78", &AnsConfPLU);
    RegisterDataProc("78", &DataConfPLU);
    RegisterDataProc("08", &DataC08);
    RegisterReportProcs();
}
