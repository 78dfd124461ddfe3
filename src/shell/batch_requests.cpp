// The batch interpreter: a request code is the token of the builder it runs.
// The table sends and reads are the link's (RunTableBuilder); the requests
// with steps of their own stand in the table below.
#include <string>

#include "core/globals.h"
#include "core/texts.h"
#include "link/builders_tables.h"
#include "link/hello.h"
#include "shell/batch.h"
#include "tables/stamps_import.h"
#include "tables/table_imports.h"

namespace {

struct RequestEntry {
    const char* code;
    // Runs the request with its argument; true when commands were queued.
    bool (*run)(const std::string& arg);
};

// Poll and hello only. The argument, else the /c option, names the file
// that receives the hello answer ("file" or "file|mode").
bool RunConnTest(const std::string& arg) {
    Core.strReqArg = arg;
    if (arg.empty() && !Batch.strHelloCopy.empty()) Core.strReqArg = Batch.strHelloCopy;
    if (ReqConnTest()) return true;
    LogErr(4);
    return false;
}

// The stamps: the file the argument names, when there is one, is imported
// into the register's Bollini.txt first; a failed import sends nothing.
bool RunStamps(const std::string& arg) {
    int32_t count = 0;
    if (!arg.empty() && !ImportBollino(arg, count)) {
        LogErr(4);
        return false;
    }
    return SendBollino();
}

// The table imports: the file that the argument names is imported into the
// register's table (or its options) before the table is sent by the
// builder of the send code; a refused import sends nothing. A range ("1:20")
// names no file: the table is then sent as it is.
struct ImportEntry {
    const char* code;
    bool (*import)(const std::string& file, int32_t& count);
    const char* send;
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
    {"*m", ImportConfScoMag2, "*Y"}, {"*W", ConfScoMag, "*Y"},     {"*Y", ImportScoMag, "*Y"},
    {"*F", ImportReparto, "*F"},     {"^e", ImportRepFid, "^e"},   {"^d", SubFid, "^d"},
    {"^f", ImportCirCli, "^f"},
};

bool RunImport(const ImportEntry& entry, const std::string& arg) {
    int32_t count = 0;
    if (!arg.empty() && arg.find(':') == std::string::npos && !entry.import(arg, count)) {
        LogErr(4);
        return false;
    }
    bool queued = false;
    RunTableBuilder(entry.send, arg, queued);
    return queued;
}

const RequestEntry kRequests[] = {
    {kConnTestRequest, RunConnTest},
    {"*Q", RunStamps},
};

}  // namespace

bool ExecRequest(const std::string& code, const std::string& arg) {
    for (const RequestEntry& request : kRequests)
        if (code == request.code) return request.run(arg);
    for (const ImportEntry& entry : kImports)
        if (code == entry.code) return RunImport(entry, arg);
    bool queued = false;
    if (RunTableBuilder(code, arg, queued)) return queued;
    LogErr(3);
    return false;
}
