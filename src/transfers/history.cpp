#include "transfers/history.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "core/shell_state.h"
#include "transfers/reports.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

HistoryGlobals History;

namespace {

constexpr const char* kHistoryFile = "Storico.txt";
constexpr const char* kClosureFile = "Chiusura.txt";

// The position of the last line stored, as this read began or as the last
// stored line left it; before any of that, as Cassa.txt keeps it.
void KeepPosition() {
    History.strLastIndi = CassaFile.strB90Indi;
    History.strLastPg = CassaFile.strB90Pg;
    History.bPositionKnown = true;
}

void PutPositionBack() {
    if (!History.bPositionKnown) {
        const std::string file = CassaTxtPath();
        History.strLastIndi = platform::ProfileString("B90", "indi", "", file);
        History.strLastPg = platform::ProfileString("B90", "pg", "", file);
        History.bPositionKnown = true;
    }
    CassaFile.strB90Indi = History.strLastIndi;
    CassaFile.strB90Pg = History.strLastPg;
}

// A history line carries a position of four and two characters, or the
// marks of no position, and the separator before its data.
bool PositionReadable() {
    if (!DataLineWhole()) return false;
    const std::string& h1 = AnswerRec.strHeader1;
    const std::string& h2 = AnswerRec.strHeader2;
    if (h1 == "ZZZZ" || h2 == "ZZ") return true;
    return h1.size() == 4 && h2.size() == 2;
}

void CutBack(const std::string& path, int64_t before) {
    if (before < 0) return;
    platform::RecordFile file;
    if (file.Open(path, 1, false)) file.Truncate(static_cast<int32_t>(before));
}

// Appends the bytes in one write; a write that fails leaves the file as it
// was (cut back to its length before).
bool AppendWhole(const std::string& path, const std::string& bytes) {
    const int64_t before = platform::FileSize(path);
    if (platform::AppendFile(path, bytes)) return true;
    CutBack(path, before);
    return false;
}

// The position of the line just stored, saved in Cassa.txt at once: a read
// cut short (a register that stalls or goes away, a program stopped) starts
// after the last line stored, so that no line is ever stored twice.
bool SavePosition() {
    const std::string file = CassaTxtPath();
    platform::ProfileBatch batch(file);
    platform::WriteProfileString("B90", "indi", CassaFile.strB90Indi, file);
    platform::WriteProfileString("B90", "pg", CassaFile.strB90Pg, file);
    return batch.Commit();
}

// A failure of the closure's data. The closure itself was made (the register
// acknowledged its command), so the error-log line says that, whatever kept
// the data from the file: the request must never be sent again.
void ReportClosureFailure(const std::string& text) {
    ReportTransferProblem(text);
    LogErr(kErrClosureNoData, OpenTurnSubject());
}

// The command text carries the closure's token.
bool CarriesClosure(const std::string& text) {
    return (";" + text).find(std::string(";") + kClosureRequest + ";") != std::string::npos;
}

}  // namespace

std::string AnsAck() {
    TxLineArrived();
    DecPending();
    return "0;";
}

std::string AnsChiusura() {
    TxLineArrived();
    uint16_t& word = ReqState.nFileChiusura;
    if (word == kFileDone) return "0;";
    if (word == kFileOpenNext) {
        word = kFileDone;
        const std::string& payload = AnswerRec.strAnsFrame;
        const std::string path = tables::TablePath(kClosureFile);
        if (payload.size() < 4) {
            // No closure data: the previous file is left as it is.
            ReportClosureFailure(GetText("Log", "notstored") + " " + path + ": " + payload);
        } else {
            AnswerRec.strAnsData = payload.substr(4);
            if (platform::WriteFile(path, AnswerRec.strAnsData + "\r\n")) {
                NoteFileStored();
                CopyRecvFile(std::string("\\") + kClosureFile);
                ShowClosedStatus();
            } else {
                ReportClosureFailure(GetText("Log", "nowrite") + " " + path);
            }
        }
    }
    DecPending();
    return "0;";
}

bool ClosureDataAwaited() {
    return ReqState.nFileChiusura == kFileOpenNext && CarriesClosure(LinkState.strCmdSent);
}

bool ClosureDataMissed() {
    if (!ClosureDataAwaited()) return false;
    // Data that come after this are not taken for this closure.
    ReqState.nFileChiusura = kFileDone;
    const std::string text = GetText("Log", "closurenodata") + " " + tables::TablePath(kClosureFile);
    ReportClosureFailure(text);
    // The status bar says it until the operation ends, as it would say the
    // closure done.
    CurrentShell().SetStatusText(text);
    Texts.strResult = text;
    return true;
}

std::string AnsStoricoStart() {
    TxLineArrived();
    // A new read: it stores from here, and comes back here if refused.
    History.bRefusing = false;
    KeepPosition();
    std::string start = "XXXX:XX;";
    if (!CassaFile.strB90Indi.empty()) {
        if (CassaFile.nB90Type == 0)
            start = CassaFile.strB90Indi + ":" + CassaFile.strB90Pg + ";";
        else if (CassaFile.nB90Type == 2)
            start = "****:**;";
    }
    return start + "#H;";
}

int16_t DataStorico() {
    TxLineArrived();
    IncCntRec();
    const std::string path = tables::TablePath(kHistoryFile);
    const std::string line = AnswerRec.strAnsFrame + "\r\n";
    const bool end = !AnswerRec.strAnsData.empty() && AnswerRec.strAnsData[0] == '*';

    bool stored = false;
    if (!PositionReadable()) {
        // Nothing to place in the history; the lines after it still are.
        ReportTransferProblem(GetText("Log", "notstored") + " " + path + ": " + AnswerRec.strAnsFrame);
    } else if (!History.bRefusing) {
        const int64_t limit = int64_t{ShellState.HistoryLimit} * kHistoryUnit;
        const int64_t size = std::max<int64_t>(platform::FileSize(path), 0);
        // A file over the limit takes no more lines; one of exactly the
        // limit still takes the next.
        if (limit > 0 && size > limit) {
            History.bRefusing = true;
            ShowMsgText(GetText("Errori", "hstlimiterror"), "");
            LogErr(10, OpenTurnSubject());
        } else if (!AppendWhole(path, line)) {
            History.bRefusing = true;
            ReportTransferFailure(GetText("Log", "nowrite") + " " + path);
        } else if (!SavePosition()) {
            // A line whose position cannot be kept is not kept either.
            CutBack(path, size);
            History.bRefusing = true;
            ReportTransferFailure(GetText("Log", "nowrite") + " " + CassaTxtPath());
        } else {
            stored = true;
            KeepPosition();
        }
    }
    if (!stored) PutPositionBack();

    int16_t result = True;
    if (end) {
        // The read is over even when lines were refused: the position of the
        // last line stored is saved with the options.
        ReqState.nFileStorico = kFileDone;
        // Said only when every line was stored.
        if (!History.bRefusing && ShowReadStatus()) NoteFileStored();
        if (ReqState.bRdStorico != False) {
            ReqState.bRdStorico = False;
            DecPending();
            result = 1;
        }
    }
    SendAck();
    return result;
}

void NoteHistoryCopy(int cash, const std::string& folder) {
    if (cash >= 0) History.copyFolders[cash] = folder;
}

bool CopyHistories(const std::string& dest) {
    const std::map<int, std::string> folders = std::move(History.copyFolders);
    History.copyFolders.clear();
    std::string bytes, unreadable;
    int unreadableCash = -1;
    bool any = false;
    for (const auto& [cash, folder] : folders) {
        const std::string path = platform::JoinPath(folder, kHistoryFile);
        std::string one;
        errno = 0;
        if (!platform::FileExists(path)) continue;  // its read failed, which was said
        if (!platform::ReadFile(path, one)) {
            if (unreadable.empty()) {
                unreadable = path + ": " + std::strerror(errno ? errno : EIO);
                unreadableCash = cash;
            }
            continue;
        }
        bytes += one;
        any = true;
    }
    // No register has a history file: every read of the run failed (a read
    // that ends leaves the file), each said as it failed; nothing more to say.
    if (!any && unreadable.empty()) return false;
    // The run's end: no register's turn is open, whatever the last one left.
    if (!any) {
        ReportTransferFailure(GetText("Log", "nocopy") + " " + unreadable + " -> " + dest,
                              AboutRegister(unreadableCash, kHistoryRequest, dest));
        return false;
    }
    if (platform::WriteFile(dest, bytes)) return true;
    ReportTransferFailure(GetText("Log", "nocopy") + " " + dest + ": " + std::strerror(errno),
                          AboutRegister(-1, kHistoryRequest, dest));
    return false;
}
