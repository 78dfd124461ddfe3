// The batch interpreter: a request code is the token of the builder it runs.
// The table sends and reads are the link's (RunTableBuilder); the requests
// with steps of their own stand in the table below.
#include <string>

#include "core/globals.h"
#include "core/texts.h"
#include "link/builders_reports.h"
#include "link/builders_tables.h"
#include "link/hello.h"
#include "shell/batch.h"

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

const RequestEntry kRequests[] = {
    {kConnTestRequest, RunConnTest},
};

}  // namespace

bool ExecRequest(const std::string& code, const std::string& arg) {
    for (const RequestEntry& request : kRequests)
        if (code == request.code) return request.run(arg);
    bool queued = false;
    if (RunReportBuilder(code, arg, queued)) return queued;
    if (RunTableBuilder(code, arg, queued)) return queued;
    LogErr(3);
    return false;
}
