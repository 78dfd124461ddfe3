#include "transfers/report_procs.h"

#include "link/dispatch.h"
#include "transfers/header_periods.h"
#include "transfers/history.h"
#include "transfers/keyboard_transfer.h"
#include "transfers/options_transfer.h"
#include "transfers/reports.h"

void RegisterReportProcs() {
    struct Ans {
        const char* code;
        AnsProc proc;
    };
    static const Ans answers[] = {
        {"01", AnsAck},          {"45", AnsChiusura},      {"90", AnsStoricoStart},
        {"72", AnsComm},         {"76", AnsOpGen},         {"89", AnsTabIva},
        {"87", AnsGlbCassa},     {"55", AnsGlbCassa2},     {"74", AnsScontrino},
        {"75", AnsScontrino2},   {"73", AnsOpeCamCli},     {"77", AnsOpeCamCli2},
        {"79", AnsTastiera},     {"85", AnsIntScontrino},  {"50", AnsIconePeriodo},
    };
    struct Data {
        const char* code;
        DataProc proc;
    };
    static const Data data[] = {
        {"00", DataStorico},       {"24", DataComm},          {"28", DataOpGen},
        {"14", DataTabIva},        {"12", DataGlbCassa},      {"55", DataGlbCassa2},
        {"26", DataScontrino},     {"27", DataScontrino2},    {"25", DataOpeCamCli},
        {"29", DataOpeCamCli2},    {"20", DataTastiera},      {"10", DataIntScontrino},
        {"50", DataIconePeriodo},  {"02", RptReparti},        {"03", RptIVA},
        {"04", RptPLU},            {"05", RptOperatori},      {"06", RptCamerieri},
        {"19", RptValute},         {"21", RptOraria},         {"22", RptFinanziario},
        {"30", RptClienti},        {"31", RptFatture},        {"32", RptBollini},
        {"33", RptTavoli},         {"34", RptTicketAmount},   {"35", RptClientG},
        {"63", DataCliCard},
    };
    for (const Ans& a : answers) RegisterAnsProc(a.code, a.proc);
    for (const Data& d : data) RegisterDataProc(d.code, d.proc);
}
