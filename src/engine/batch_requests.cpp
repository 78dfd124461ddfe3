// The batch interpreter: a request code is the token of the builder it runs.
// The table sends and reads are the link's (RunTableBuilder); the requests
// with steps of their own stand in the table below.
#include <cstdint>
#include <string>
#include <utility>

#include "core/work_record.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/main_timer.h"
#include "core/texts.h"
#include "store/customer_files.h"
#include "engine/builders_reports.h"
#include "engine/builders_steps.h"
#include "engine/builders_tables.h"
#include "link/hello.h"
#include "engine/conn_test.h"
#include "engine/builders_bulk.h"
#include "engine/batch.h"
#include "transfers/bulk_transfer.h"
#include "transfers/customers_import.h"
#include "transfers/customers_transfer.h"
#include "store/plu.h"
#include "transfers/plu_import.h"
#include "transfers/stamps_import.h"
#include "store/table_file.h"
#include "transfers/table_imports.h"
#include "transfers/transfer.h"

namespace {

using Range16 = std::pair<int16_t, int16_t>;

// The request of the list now running, when the run is at one, and the
// open register's bit; nullptr outside the list.
BatchRequest* ListRequest(uint32_t& bit) {
    const int32_t pos = MainTimer.bRichiestePending;
    const int cash = Core.nOpenCash;
    if (pos < 0 || pos >= static_cast<int32_t>(Batch.Richieste.size()) || cash < 0 || cash >= 32)
        return nullptr;
    bit = 1u << cash;
    return &Batch.Richieste[static_cast<size_t>(pos)];
}

// The request now running imported its file for the open register in an
// earlier turn, and that import failed (a failure counted then).
bool ImportFailedBefore() {
    uint32_t bit = 0;
    const BatchRequest* request = ListRequest(bit);
    return request && (request->imported & bit) && !(request->importedOk & bit);
}

// Runs the import of the request now running for the open register, once:
// a later turn of the same register in this run (the extra turn of one whose
// handshake failed) finds its file already imported and gets the first
// outcome again, with the record range that import left for that register
// (never what another register's import or send left since). As that turn
// does not import again, the failures of the import stay failures whatever
// it does. A request run outside the list always imports.
// import(range) runs the import and sets range when it has one.
template <typename Import>
bool ImportOnce(Import import, Range16& range) {
    uint32_t bit = 0;
    BatchRequest* const request = ListRequest(bit);
    if (!request) return import(range);
    const size_t cash = static_cast<size_t>(Core.nOpenCash);
    if (request->imported & bit) {
        range = request->importedRange[cash];
        return (request->importedOk & bit) != 0;
    }
    const bool ok = import(range);
    KeepRunFailures();
    request->imported |= bit;
    if (ok) request->importedOk |= bit;
    request->importedRange[cash] = range;
    return ok;
}

template <typename Import>
bool ImportOnce(Import import) {
    Range16 unused{0, 0};
    return ImportOnce([&](Range16&) { return import(); }, unused);
}

struct RequestEntry {
    const char* code;
    // Runs the request with its argument; true when commands were queued.
    bool (*run)(const std::string& arg);
};

// "*M": the customers sent. A file argument is an import, sorted and checked
// into the register's archive, which is then sent whole; "first:last" sends
// the customers from code first to code last, both of which must be in the
// archive; no argument sends the whole archive.
bool RunSendCli(const std::string& arg) {
    if (arg.empty()) return SendCli(1, -1);
    const size_t colon = arg.find(':');
    if (colon == std::string::npos) {
        // SortCli reports a source it cannot take; an import that leaves no
        // customer has nothing to send.
        if (!ImportOnce([&] { return SortCli(arg, tables::TablePath(kClientiFile)) > 0; }))
            return false;
        return SendCli(1, -1);
    }
    int32_t from = 0, to = 0;
    std::string why;
    if (!CliCodeRange(builders::TrimArg(arg.substr(0, colon)), builders::TrimArg(arg.substr(colon + 1)),
                      from, to, why)) {
        ReportTransferProblem(why);
        LogErr(3, OpenTurnSubject());
        return false;
    }
    return SendCli(from, to);
}

// Poll and hello only. The argument, else the /c option, names the file
// that receives the hello answer ("file" or "file|mode").
bool RunConnTest(const std::string& arg) {
    Core.strReqArg = arg;
    if (arg.empty() && !Batch.strHelloCopy.empty()) Core.strReqArg = Batch.strHelloCopy;
    if (ReqConnTest()) return true;
    LogErr(4, OpenTurnSubject());
    return false;
}

// An argument naming a file (not a range "first:last") is an import.
bool IsImport(const std::string& arg) { return !arg.empty() && arg.find(':') == std::string::npos; }

// "*G": the PLUs sent record by record; a file argument is imported first
// (sorted and checked into the register's PLU file) and then sent whole.
bool RunSendPLU(const std::string& arg) {
    bool queued = false;
    if (!IsImport(arg)) return RunTableBuilder("*G", arg, queued) && queued;
    // A refused import ends the request: the old file is not sent.
    if (!ImportOnce([&] { return SortPLU(arg, PLUFilePath()); })) return false;
    if (!GetPLUNum() || PLUFiles.nPLUNum == 0) return false;
    return SendPLU(1, PLUFiles.nPLUNum);
}

// "*L": the same for offers.
bool RunSendOff(const std::string& arg) {
    bool queued = false;
    if (!IsImport(arg)) return RunTableBuilder("*L", arg, queued) && queued;
    if (!ImportOnce([&] { return SortOffer(arg, OffFilePath()); })) return false;
    if (!GetOffNum() || PLUFiles.nOffNum == 0) return false;
    return SendOff(1, PLUFiles.nOffNum);
}

// "#z": the bulk PLU send of the PLU file (a file argument imported first,
// a range argument "first:last" sends those records).
bool RunFastPLU(const std::string& arg) {
    int32_t from = 1, to = -1;
    if (IsImport(arg)) {
        if (!ImportOnce([&] { return SortPLU(arg, PLUFilePath()); })) return false;
    } else if (!arg.empty()) {
        builders::ArgRange range;
        if (!builders::ReadRange(arg, INT32_MAX, range)) {
            builders::RefuseArgument(arg);
            return false;
        }
        from = static_cast<int32_t>(range.first);
        to = static_cast<int32_t>(range.last);
    }
    if (!GetPLUNum() || PLUFiles.nPLUNum == 0) return false;
    return SendFastPLU(from, to);
}

// The table imports: the file that the argument names is imported into the
// register's table (or its options) before the table is sent by the
// builder of the send code; a refused import sends nothing. A range ("1:20")
// names no file: the table is then sent as it is. The departments and their
// loyalty lines send the range of departments the import took.
struct ImportEntry {
    const char* code;
    bool (*import)(const std::string& file, int32_t& count);
    const char* send;
    // The range the import leaves in the send counters, and the send of that
    // range; nullptr for the imports without one.
    int16_t TxCountersRec::*from = nullptr;
    int16_t TxCountersRec::*to = nullptr;
    bool (*sendRange)(int16_t, int16_t) = nullptr;
};

bool ConfScoMag(const std::string& file, int32_t& count) {
    count = 1;
    return ImportConfScoMag(file);
}

bool SubFid(const std::string& file, int32_t& count) {
    count = 1;
    return ImportSubFid(file);
}

const ImportEntry kImports[] = {
    {"*m", ImportConfScoMag2, "*Y"},
    {"*W", ConfScoMag, "*Y"},
    {"*Y", ImportScoMag, "*Y"},
    {"*F", ImportReparto, "*F", &TxCountersRec::nTxRepartoFrom, &TxCountersRec::nTxRepartoTo, SendReparto},
    {"^e", ImportRepFid, "^e", &TxCountersRec::nTxRepFidFrom, &TxCountersRec::nTxRepFidTo, SendRepFid},
    {"^d", SubFid, "^d"},
    {"^f", ImportCirCli, "^f"},
    {"*Q", ImportBollino, "*Q"},
};

bool RunImport(const ImportEntry& entry, const std::string& arg) {
    bool queued = false;
    if (!IsImport(arg)) {
        RunTableBuilder(entry.send, arg, queued);
        return queued;
    }
    auto import = [&](Range16& range) {
        int32_t count = 0;
        if (!entry.import(arg, count)) {
            LogErr(4, OpenTurnSubject());
            return false;
        }
        if (entry.from) range = {Tx.*entry.from, Tx.*entry.to};
        return true;
    };
    Range16 range{0, 0};
    if (!ImportOnce(import, range)) return false;
    if (entry.sendRange) return entry.sendRange(range.first, range.second);
    RunTableBuilder(entry.send, arg, queued);
    return queued;
}

const RequestEntry kRequests[] = {
    {"*M", RunSendCli},
    {kConnTestRequest, RunConnTest},
    {"*G", RunSendPLU},
    {"*L", RunSendOff},
    {kFastPLUToken, RunFastPLU},
};

// A request that cannot be done: said with the request in the progress
// window's errors and the message log, and an error-log line of the code.
bool RequestNotDone(const char* key, const std::string& what, int16_t code) {
    ReportTransferProblem(GetText("Log", key) + " " + what);
    LogErr(code, OpenTurnSubject());
    return false;
}

// Runs the request; known tells whether the code is one.
bool RunRequest(const std::string& code, const std::string& arg, bool& known) {
    known = true;
    if (!ModelHasRequestTable(code))
        return RequestNotDone("notable", std::string(RequestTable(code)) + " (" + code + "|" + arg + ")", 4);
    for (const RequestEntry& request : kRequests)
        if (code == request.code) return request.run(arg);
    for (const ImportEntry& entry : kImports)
        if (code == entry.code) return RunImport(entry, arg);
    bool queued = false;
    if (RunReportBuilder(code, arg, queued)) return queued;
    if (RunTableBuilder(code, arg, queued)) return queued;
    known = false;
    return false;
}

}  // namespace

bool IsRequestCode(const std::string& code) {
    for (const RequestEntry& request : kRequests)
        if (code == request.code) return true;
    for (const ImportEntry& entry : kImports)
        if (code == entry.code) return true;
    return IsReportBuilderCode(code) || IsTableBuilderCode(code);
}

bool ExecRequest(std::string code, std::string arg) {
    const int32_t failures = Work.failures;
    const bool importFailedBefore = ImportFailedBefore();
    bool known = true;
    if (RunRequest(code, arg, known)) return true;
    if (!known) return RequestNotDone("unknowncode", code + "|" + arg, 3);
    // A request that queued nothing is a failure of the run; when nothing
    // has been counted for it yet (a builder that refused, having said why
    // in the status text, or found nothing to do), it is counted here. The
    // extra turn of a register whose import failed has counted it already.
    if (Work.failures == failures && !importFailedBefore)
        RequestNotDone("notdone", code + "|" + arg, 4);
    return false;
}
