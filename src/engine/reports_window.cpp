#include "engine/reports_window.h"

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "engine/operation.h"
#include "core/texts.h"
#include "engine/builders_reports.h"
#include "platform/files.h"
#include "store/customer_files.h"
#include "platform/profile.h"
#include "core/shell_state.h"

std::vector<ReportEntry> ReportEntries() {
    static const ReportEntry all[] = {
        {"rptReparti", "*A", "Reparti.rpt"},
        {"rptIVA", "*E", "IVA.rpt"},
        {"rptPLUGiorno", "*B", "PLUGiorno.rpt"},
        {"rptPLUPeriodo", "*K", "PLUPeriodo.rpt"},
        {"rptOperatori", "*C", "Operatori.rpt"},
        {"rptCamerieri", "*D", "Camerieri.rpt"},
        {"rptValute", "*w", "Valute.rpt"},
        {"rptOraria", "*h", "Oraria.rpt"},
        {"rptFinanziario", "*f", "Finanziario.rpt"},
        {"rptClienti", "*R", "Clienti.rpt"},
        {"rptFatture", "*S", "Fatture.rpt"},
        {"rptBollini", "*g", "Bollini.rpt"},
        {"rptTavoli", "*u", "Tavoli.rpt"},
        {"rptTicketAmount", "*b", "TicketAmount.rpt"},
        {"rptClientG", "*c", "ClientG.rpt"},
    };
    std::vector<ReportEntry> entries;
    // The customer-group and meal-ticket reports only on a model that keeps
    // those tables.
    for (const ReportEntry& e : all) {
        const std::string_view token = e.token;
        if (token == "*c" && !ModelHasTable(kClientGFile)) continue;
        if (token == "*b" && !ModelHasTable("TicketAmount.txt")) continue;
        entries.push_back(e);
    }
    return entries;
}

std::string AllCustomersUpTo() { return std::string(kCustomerCodeWidth, '9'); }

namespace {

// Every request of the window is an operation of its own over every enabled
// register, in the list's order (the one chosen must be enabled).
bool Begin() {
    return TestCashEnabled() && ResetTimer();
}

}  // namespace

bool StartReport(size_t index, const std::string& cliFrom, const std::string& cliTo,
                 std::string& pluRange) {
    if (index >= ReportEntries().size()) return false;
    const std::string token = ReportEntries()[index].token;
    if (!Begin()) return false;
    if (token == "*B" || token == "*K") return ReqRptPLU(token, pluRange);
    if (const ReportBuilderFn run = ReportBuilder(token)) return run();
    const std::string from = cliFrom.empty() ? "1" : cliFrom;
    const std::string to = cliTo.empty() ? AllCustomersUpTo() : cliTo;
    return ReqRptClientG(ClientGReportToken(from, to));
}

bool StartHistory() { return Begin() && ReqStorico(); }

bool StartClosure() {
    if (!Begin()) return false;
    // Its end names every register, closed or not.
    Operation.bClosure = true;
    return SendChiusuraZ();
}

std::string RegisterFilePath(const std::string& name) {
    return platform::ResolvePath(platform::JoinPath(Core.strCashDir, name));
}

int32_t LoadHistoryLimit() {
    const int v = platform::ProfileInt("Generiche", "hstlimit", 0, ConfigIniPath());
    ShellState.HistoryLimit = v < 0 ? 0 : v;
    return ShellState.HistoryLimit;
}

bool SetHistoryLimit(int32_t units) {
    ShellState.HistoryLimit = units < 0 ? 0 : units;
    const bool ok = platform::WriteProfileString("Generiche", "hstlimit",
                                                 std::to_string(ShellState.HistoryLimit),
                                                 ConfigIniPath());
    if (!ok) WriteMsgLog(GetText("Log", "nowrite") + " " + ConfigIniPath());
    return ok;
}

bool SetHistoryMode(int16_t mode) {
    CassaFile.nB90Type = mode;
    const bool ok = SaveCassa();
    if (!ok) WriteMsgLog(GetText("Log", "nowrite") + " " + CassaTxtPath());
    return ok;
}
