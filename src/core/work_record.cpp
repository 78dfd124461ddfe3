#include "core/work_record.h"

#include <algorithm>
#include <utility>

#include "core/globals.h"
#include "core/main_timer_state.h"

WorkRecord Work;

namespace {

constexpr int kNone = kMaxCash + 1;

bool InList(const RegisterWork& w, int32_t pos) {
    return pos >= 0 && pos < static_cast<int32_t>(w.fates.size());
}

// What the turn's failures at pos say of that request: the gravest of them
// (not done before maybe done before done); Done also when there were none.
// any: one of them named it as not done or maybe done.
CodeMeaning TurnSays(const std::vector<RunFailure>& turn, int32_t pos, bool& any) {
    any = false;
    CodeMeaning worst = CodeMeaning::Done;
    for (const RunFailure& f : turn) {
        if (f.pos != pos) continue;
        const CodeMeaning m = MeaningOf(f.code);
        if (m == CodeMeaning::NotDone) {
            worst = CodeMeaning::NotDone;
            any = true;
        } else if (m == CodeMeaning::MaybeDone) {
            if (worst == CodeMeaning::Done) worst = CodeMeaning::MaybeDone;
            any = true;
        }
    }
    return worst;
}

}  // namespace

RegisterWork& WorkOf(int reg) { return Work.regs[static_cast<size_t>(reg >= 0 && reg <= kMaxCash ? reg : kNone)]; }

int32_t WorkFailures() {
    int32_t sum = 0;
    for (const RegisterWork& w : Work.regs) sum += w.failures;
    return sum;
}

void StartWork(int32_t requests) {
    for (RegisterWork& w : Work.regs) {
        w = RegisterWork{};
        w.fates.assign(static_cast<size_t>(std::max<int32_t>(requests, 0)), RequestFate::Pending);
        w.named.assign(w.fates.size(), false);
    }
    Work.turnReg = -1;
    Work.turnFrom = 0;
    Work.turnFailures.clear();
}

void StartRequestWork(int reg, bool once) {
    RegisterWork& w = WorkOf(reg);
    w.queued = w.out = w.acked = 0;
    w.once = once;
    w.cmdOut = false;
}

void NoteQueued(int reg, int32_t commands) { WorkOf(reg).queued = commands; }

void NoteCommandTaken(int reg) { WorkOf(reg).cmdOut = false; }

void NoteFrameOut(int reg) {
    RegisterWork& w = WorkOf(reg);
    ++w.out;
    w.cmdOut = true;
    w.cmdFailures = 0;
}

void NoteFrameAcked(int reg) {
    RegisterWork& w = WorkOf(reg);
    if (w.acked < w.out) ++w.acked;
}

void NoteReplyLost(int reg) {
    RegisterWork& w = WorkOf(reg);
    w.acked = std::max(0, std::min(w.acked, w.out - 1));
    w.replyOut = false;
}

void NoteReplyOut(int reg) { WorkOf(reg).replyOut = true; }

void NoteReplyAcked(int reg) { WorkOf(reg).replyOut = false; }

bool StopSaidIt() { return !Core.bInteractive && MainTimer.bStopLogged; }

void NoteStored(int reg) { ++WorkOf(reg).stores; }

namespace {
// A failure that running the job again may mend: all but an unknown request,
// an argument or a register entry that cannot be taken, the requests left
// after a failure (they follow its cause), and the failures of a request
// that was done (a retry does not repeat it).
bool Mendable(int16_t code) {
    return code != 3 && code != 4 && code != kErrCashEntry && code != kErrLeft && MeaningOf(code) != CodeMeaning::Done;
}
}  // namespace

void NoteFailure(int16_t code, const LogSubject& about, const std::string& line, bool fromSetup) {
    ++Work.failures;
    ++Work.standing;
    const bool mendable = Mendable(code) && !fromSetup;
    if (mendable) ++Work.mendable;
    RegisterWork& w = WorkOf(about.reg);
    ++w.failures;
    ++w.turnFailures;
    ++w.cmdFailures;
    if (Work.turnReg < 0 || about.reg != Work.turnReg) return;
    const int32_t pos = MainTimer.bRichiestePending;
    Work.turnFailures.push_back({pos, code, false, mendable, about, line});
    // The line names the request in progress as not done or maybe done: it
    // is not named so again.
    const CodeMeaning says = MeaningOf(code);
    if (InList(w, pos) && (says == CodeMeaning::NotDone || says == CodeMeaning::MaybeDone))
        w.named[static_cast<size_t>(pos)] = true;
}

int16_t UnacknowledgedCode() { return WorkOf(Core.nOpenCash).once ? kErrMaybeDone : 5; }

CodeMeaning MeaningOf(int16_t code) {
    switch (code) {
        case 10:  // the history read went on; the lines over the limit were refused
        case kErrNotReleased:
        case kErrClosureNoData: return CodeMeaning::Done;
        case kErrMaybeDone: return CodeMeaning::MaybeDone;
        case kErrMadeGood: return CodeMeaning::MadeGood;
        default: return CodeMeaning::NotDone;
    }
}

void StartRunTurn(int reg, int32_t from) {
    Work.turnReg = reg;
    Work.turnFrom = std::max<int32_t>(from, 0);
    Work.turnFailures.clear();
    WorkOf(reg).turnFailures = 0;
}

void KeepRunFailures() {
    for (RunFailure& f : Work.turnFailures)
        if (f.pos == MainTimer.bRichiestePending) f.kept = true;
}

void NoteRequestDone(int reg, int32_t pos) {
    RegisterWork& w = WorkOf(reg);
    if (!InList(w, pos)) return;
    const size_t at = static_cast<size_t>(pos);
    if (w.fates[at] != RequestFate::MadeGood) w.fates[at] = RequestFate::Done;
    w.named[at] = false;
}

void NoteRequestUnsure(int reg, int32_t pos) {
    RegisterWork& w = WorkOf(reg);
    if (InList(w, pos)) w.fates[static_cast<size_t>(pos)] = RequestFate::Unsure;
}

RequestFate FateOf(int reg, int32_t pos) {
    const RegisterWork& w = WorkOf(reg);
    return InList(w, pos) ? w.fates[static_cast<size_t>(pos)] : RequestFate::Pending;
}

bool NameRequestLeft(int reg, int32_t pos, int16_t code, RequestFate fate, const LogSubject& about) {
    RegisterWork& w = WorkOf(reg);
    if (!InList(w, pos)) {
        // Outside any list (the windows, a run without one): the line alone.
        LogErr(code, about);
        return true;
    }
    const size_t at = static_cast<size_t>(pos);
    w.fates[at] = fate;
    if (w.named[at]) return false;
    w.named[at] = true;
    if (code == kErrLeft)
        LogNote(code, about);
    else
        LogErr(code, about);
    return true;
}

void EndRunTurn(int32_t reached, bool failed, bool anotherTurn) {
    if (Work.turnReg < 0) return;
    const int reg = Work.turnReg;
    Work.turnReg = -1;
    std::vector<RunFailure> turn = std::move(Work.turnFailures);
    Work.turnFailures.clear();
    RegisterWork& w = WorkOf(reg);

    // The requests the turn took up before the one it reached.
    const int32_t end = std::min<int32_t>(reached, static_cast<int32_t>(w.fates.size()));
    for (int32_t pos = Work.turnFrom; pos < end; ++pos) {
        const size_t at = static_cast<size_t>(pos);
        bool any = false;
        const CodeMeaning says = TurnSays(turn, pos, any);
        if (says == CodeMeaning::NotDone) {
            w.fates[at] = RequestFate::NotDone;
        } else if (says == CodeMeaning::MaybeDone) {
            w.fates[at] = RequestFate::Unsure;
        } else if (w.fates[at] != RequestFate::Unsure) {
            NoteRequestDone(reg, pos);
        }
        if (any) w.named[at] = true;
    }
    // The failures of the earlier turn that this one did again without one.
    std::vector<int32_t> madeGood;
    for (const RunFailure& f : w.waiting) {
        bool again = false;
        TurnSays(turn, f.pos, again);
        if (f.pos >= reached || again) continue;
        --Work.standing;
        if (f.mendable) --Work.mendable;
        WriteMsgLog(GetText("Log", "madegood") + " " + f.line);
        if (std::find(madeGood.begin(), madeGood.end(), f.pos) != madeGood.end()) continue;
        madeGood.push_back(f.pos);
        LogNote(kErrMadeGood, f.about);
        if (InList(w, f.pos)) {
            w.fates[static_cast<size_t>(f.pos)] = RequestFate::MadeGood;
            w.named[static_cast<size_t>(f.pos)] = false;
        }
    }
    w.waiting.clear();
    if (!failed) return;
    // The request it broke off at: not done unless the caller found it done
    // (every command of a request never sent twice went out).
    if (InList(w, reached)) {
        const size_t at = static_cast<size_t>(reached);
        bool any = false;
        const CodeMeaning says = TurnSays(turn, reached, any);
        if (w.fates[at] != RequestFate::Unsure && w.fates[at] != RequestFate::Done)
            w.fates[at] = says == CodeMeaning::MaybeDone ? RequestFate::Unsure : RequestFate::NotDone;
        if (any) w.named[at] = true;
    }
    if (!anotherTurn) return;
    // The next turn takes up the list at the request this one broke off at:
    // only that request's failures can be made good. The requests before it
    // are not done again, so their failures stay.
    for (RunFailure& f : turn)
        if (f.pos == reached && !f.kept && MeaningOf(f.code) == CodeMeaning::NotDone) w.waiting.push_back(std::move(f));
}

void NoteRelease(int reg, bool released, const LogSubject& about) {
    RegisterWork& w = WorkOf(reg);
    if (released) {
        for (const std::string& line : w.unreleased) {
            --Work.standing;
            WriteMsgLog(GetText("Log", "releasedlater") + " " + line);
        }
        w.unreleased.clear();
        return;
    }
    WriteMsgLog(GetText("Log", "notreleased") + " " + about.code + "|" + about.arg);
    LogErr(kErrNotReleased, about);
    w.unreleased.push_back(FormatLogErrLine(kErrNotReleased, about));
}
