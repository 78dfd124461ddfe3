#pragma once
// The register's reports. A report request makes the register send its
// report as "C" lines, each with the report's data code; the report's writer
// stores the data part of each line, unchanged and ended by CR LF, in a file
// of the register folder named after the report (Reparti.rpt ...). The lines
// go into a work file beside it ("Reparti.rpt.part") that replaces the
// report in one step when the closing "*" line arrives, so a report cut short
// never leaves a half report behind: the previous one stays.
#include <cstdint>
#include <string>
#include <vector>

#include "core/req_state.h"

struct ReportGlobals {
    // Set by the PLU report builders: the daily report ("*B") was asked for,
    // else the period report.
    bool bRptPLUDay = false;
};
extern ReportGlobals Reports;

// One report: data code, writer name, file, file word and request token.
struct ReportInfo {
    const char* code;       // "02"
    const char* writer;     // "RptReparti"
    const char* file;       // "Reparti.rpt" ("PLUGiorno.rpt" / "PLUPeriodo.rpt" for "04")
    uint16_t ReqStateRec::*word;
    const char* token;      // "*A" (empty: the caller's token)
    bool countsRecords;     // the writer moves the status bar's record counter
};
const std::vector<ReportInfo>& ReportInfos();
// The file a report's lines land in (the PLU report's by Reports.bRptPLUDay).
std::string ReportFileName(const ReportInfo& report);

// The writers, one per data code: each stores the current "C" line and
// acknowledges it; the result is the acknowledgement's (0).
int16_t RptReparti();
int16_t RptIVA();
int16_t RptPLU();
int16_t RptOperatori();
int16_t RptCamerieri();
int16_t RptValute();
int16_t RptOraria();
int16_t RptFinanziario();
int16_t RptClienti();
int16_t RptFatture();
int16_t RptBollini();
int16_t RptTavoli();
int16_t RptTicketAmount();
int16_t RptClientG();
// The customer chip card read ("&c"): its lines into ClientChipCard.rpt.
int16_t DataCliCard();

// True when the "C" payload of the last answer carries both history-position
// fields and the separator before its data ("C02:ZZZZ:ZZ:data").
bool DataLineWhole();
