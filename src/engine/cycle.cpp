#include "engine/cycle.h"

#include <algorithm>
#include <cerrno>

#include "core/cash_list.h"
#include "core/globals.h"
#include "engine/batch.h"
#include "engine/builders_tables.h"
#include "engine/open_register.h"
#include "engine/operation.h"
#include "core/shell.h"
#include "core/texts.h"
#include "core/work_record.h"
#include "core/main_timer_state.h"
#include "link/cmd_queue.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"

CycleGlobals Cycle;

namespace {

// The numeric value of the leading digits of a register-list field.
int FieldNumber(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    int v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 100000) v = v * 10 + (s[i++] - '0');
    return v;
}

bool Selectable(int i) {
    const CashRec& e = CassaList[i];
    // The start-up pass takes register 0 even when it isn't enabled.
    const bool enabled = e.bEnabled || (i == 0 && Core.bFirstCash);
    return e.bDefined && enabled && !e.bDone;
}

void OpenCash(int i) {
    const CashRec& e = CassaList[i];
    Core.nCommPort = static_cast<int16_t>(FieldNumber(e.port));
    LinkState.nAddress = static_cast<int16_t>(FieldNumber(e.station));
    Core.strCashDir = platform::JoinPath(Core.strRootDir, CashDirName(LinkState.nAddress));
    Core.nOpenCash = static_cast<int16_t>(i);
    LoadCassa(false);
}

// The register has work left in this cycle: its turn (or the rest of it), or
// the extra turn of a failed one.
bool HasWork(int i) {
    const CashRec& e = CassaList[i];
    return Selectable(i) || (e.bDefined && e.bEnabled && e.bFailed && !Cycle.bRetryTaken);
}

bool AnyWorkLeft() {
    for (int i = 0; i < kMaxCash; ++i)
        if (HasWork(i)) return true;
    return false;
}

// The error code for each register with work left, each line naming its
// register and its request. In a command-line run the lines of a register
// name every request of its list that it has not done from the first one: for
// the open register whose turn is under way, openAt (-1: the request in
// progress); for the others where their list stands (its first, or where the
// extra turn would take it up). A request named already (by the failure that
// left it) is not named again; a register with none left gets no line.
void LogForWorkLeft(int16_t code, int32_t openAt) {
    for (int i = 0; i < kMaxCash; ++i) {
        if (!HasWork(i)) continue;
        const bool underWay = i == Core.nOpenCash && !CassaList[i].bDone;
        if (Core.bInteractive || !Batch.bListLoaded) {
            LogErr(code, RequestFor(i));
            continue;
        }
        const int32_t inProgress = std::max<int32_t>(MainTimer.bRichiestePending, 0);
        NameRequestsLeft(i, underWay ? (openAt < 0 ? inProgress : openAt) : WorkOf(i).resumeAt, code);
    }
}

}  // namespace

bool StartCycle() {
    // The one place an operation over the registers starts: refused while
    // another runs.
    if (!MayStartOperation()) return false;
    for (int i = 0; i < kMaxCash; ++i) {
        CassaList[i].bDone = False;
        CassaList[i].bFailed = False;
    }
    Core.sngTimerBase = platform::Timer();
    StartWork(Core.bInteractive ? 0 : static_cast<int32_t>(Batch.Richieste.size()));
    Cycle.bRetryTaken = false;
    Cycle.bAborted = false;
    Texts.strResult.clear();
    // A bulk run builds each of its tables into the one queue: the reads
    // built before this one stay its own.
    if (!CmdQueuePending()) ForgetReadStatuses();
    return true;
}

bool NextCash(bool first) {
    if (first && !Cycle.bKeepRegister) {
        if (!StartCycle()) return false;
    } else if (platform::Timer() > Core.sngTimerBase + Core.sngCmdTimeout && AnyWorkLeft()) {
        // The global time-out of the cycle: one line for each register that
        // still had work.
        LinkState.AbortRequest = true;
        Cycle.bTimedOut = true;
        LogForWorkLeft(7, -1);
    }

    if (LinkState.AbortRequest) {
        for (int i = 0; i < kMaxCash; ++i) {
            CassaList[i].bDone = True;
            CassaList[i].bFailed = False;
        }
        LinkState.AbortRequest = false;
        Cycle.bAborted = true;
        // The time-out says so; the user's Cancel is said as such.
        const std::string said = Cycle.bTimedOut ? GetText("Msg", "87") + " " + GetText("Msg1", "23")
                                                 : GetText("Msg1", "usercancel");
        // Said with the register open, unless its work was over: the stop then
        // came between registers.
        const int open = Core.nOpenCash;
        const bool workOver = open >= 0 && open < kMaxCash && WorkOf(open).outcome == RegisterOutcome::Done;
        CurrentShell().AddError(said, !workOver);
        Cycle.bTimedOut = false;
        ClearCmdQueue();
        SelectCash();
        CurrentShell().ClearShowWait(true);
        return false;
    }
    if (Cycle.bKeepRegister) return true;

    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < kMaxCash; ++i) {
            if (Selectable(i)) {
                OpenCash(i);
                return true;
            }
        }
        // None left: the registers whose handshake failed in this cycle get
        // one more turn (only one, so that a register that keeps failing
        // can't hold the cycle).
        if (Cycle.bRetryTaken) break;
        Cycle.bRetryTaken = true;
        bool any = false;
        for (int i = 0; i < kMaxCash; ++i) {
            CashRec& e = CassaList[i];
            if (e.bDefined && e.bEnabled && e.bFailed) {
                e.bDone = False;
                e.bFailed = False;
                any = true;
            }
        }
        if (!any) break;
    }
    SelectCash();
    return false;
}

bool CycleHasMore() {
    for (int i = 0; i < kMaxCash; ++i)
        if (i != Core.nOpenCash && HasWork(i)) return true;
    return false;
}

void ClearPending() {
    for (int i = CmdQueue.nCmdCur + 1; i <= kQueueSize; ++i) CmdQueue.entries[i].state = 0;
    if (LinkState.nState == 0) NextCash(false);
}

bool WriteSemFile() {
    if (Core.bInteractive || Core.strSemFile.empty()) return true;
    // A path that names the base folder itself (one that is a file) is not
    // written over.
    const bool base = platform::SamePath(Core.strSemFile, Core.strRootDir);
    if (!base && platform::WriteFile(Core.strSemFile, "")) return true;
    // A caller waiting for the file would wait for ever: said where the
    // caller looks besides (message log, standard error).
    const int err = base ? ENOTDIR : errno;
    std::string text = GetText("Log", "nosem");
    if (text.empty())
        text = "Semaphore file cannot be written, a caller waiting for it is not told the run ended:";
    text += " " + Core.strSemFile + " (" + platform::FileErrorText(err, Core.strSemFile) + ")";
    WriteMsgLog(text);
    Batch.endNotes.push_back(text);
    return false;
}

void LogWorkLeft(int16_t code, int32_t openAt) { LogForWorkLeft(code, openAt); }

void NameRequestsLeft(int reg, int32_t from, int16_t code) {
    const int32_t count = static_cast<int32_t>(Batch.Richieste.size());
    for (int32_t pos = std::max<int32_t>(from, 0); pos < count; ++pos) {
        const RequestFate fate = FateOf(reg, pos);
        if (fate == RequestFate::Done || fate == RequestFate::MadeGood) continue;
        const BatchRequest& request = Batch.Richieste[static_cast<size_t>(pos)];
        const bool unsure = fate == RequestFate::Unsure;
        NameRequestLeft(reg, pos, unsure ? kErrMaybeDone : code, unsure ? fate : RequestFate::NotDone,
                        AboutRegister(reg, request.code, request.arg));
    }
}
