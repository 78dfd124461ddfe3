#include "transfers/plu_directory_transfer.h"

#include <vector>

#include "core/globals.h"
#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/files.h"
#include "store/plu_directory.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

namespace {

constexpr size_t kLength = sizeof(DirPLURec);

// A directory in memory: the folder's file it belongs to and its records.
struct Directory {
    std::string path;
    std::string bytes;
};
Directory Reading;      // the directory a read is building
Directory RegisterDir;  // the register's directory, read by a send for its first pass

std::string FreeDirectory() {
    std::string bytes;
    for (int32_t n = 1; n <= Sizes.nMaxDirPLU; ++n)
        bytes += tables::DefaultRecordBytes(DirPLURec::Layout(), n);
    return bytes;
}

DirPLURec RecordAt(const std::string& bytes, int32_t n) {
    DirPLURec rec;
    tables::SetRecordBytes(rec, std::string_view(bytes).substr(static_cast<size_t>(n - 1) * kLength, kLength));
    return rec;
}

// The read's directory takes the place of DirPLU.txt, the old one becoming
// DirPLU.txt.bak; each file is written in one step, the .bak first, so that
// a failure leaves the local directory in place.
bool PutInPlace(const Directory& dir) {
    const std::string bak = dir.path + ".bak";
    std::string old;
    if (platform::FileExists(dir.path)) {
        if (!platform::ReadFile(dir.path, old)) {
            ReportTransferFailure(GetText("Log", "nocopy") + " " + dir.path + " -> " + bak);
            return false;
        }
        if (!platform::WriteFile(bak, old)) {
            ReportTransferFailure(GetText("Log", "nowrite") + " " + bak);
            return false;
        }
    }
    if (!platform::WriteFile(dir.path, dir.bytes)) {
        ReportTransferFailure(GetText("Log", "nowrite") + " " + dir.path);
        return false;
    }
    return true;
}

int16_t Refuse() {
    ReportTransferProblem(GetText("Log", "notstored") + " " + kDirPLUFile + ": " +
                          tables::BlankControls(AnswerRec.strAnsData));
    SendAck();
    return -1;
}

std::string EndPass(uint16_t& word, uint16_t next) {
    ShowMsg("", "");
    CurrentShell().SetPGBValue(-1);
    CloseFileNum(word, static_cast<int16_t>(next));
    Tx.nTxDirPLUIdx = 0;
    DecPending();
    return "*";
}

bool Free(const DirPLURec& rec) { return rec.code.Trim().empty(); }

std::string Code(const DirPLURec& rec) { return tables::TrimBlanks(WireText(rec.code.str())); }

}  // namespace

std::string AnsDirPLU() {
    TxLineArrived();
    uint16_t& word = ReqState.nTxDirPLU;
    if (word == kFileDone) return "*";
    Shell& shell = CurrentShell();
    int16_t& idx = Tx.nTxDirPLUIdx;

    if (word == kFileOpenNext) {
        // First pass: the register's codes with empty slot numbers.
        if (idx < 1) {
            Tx.bTxDirPLUClean = True;
            ShowMsg("cleandirplu", "2");
            shell.SetPGBRange(1, 100);
            idx = 1;
        }
        const bool ours = RegisterDir.path == tables::TablePath(kDirPLUFile);
        const int32_t count =
            ours ? static_cast<int32_t>(RegisterDir.bytes.size() / kLength) : 0;
        while (idx <= count && idx <= Sizes.nMaxDirPLU) {
            shell.IncPGBValue();
            const DirPLURec rec = RecordAt(RegisterDir.bytes, idx++);
            if (!Free(rec)) return Code(rec) + ":";
        }
        // The second send command serves the second pass.
        Tx.bTxDirPLUClean = False;
        RegisterDir = Directory{};
        return EndPass(word, static_cast<int16_t>(kDirPLUSecondPass));
    }

    if (word == kDirPLUSecondPass) {
        // Second pass: the local directory, as it is.
        Tx.bTxDirPLUClean = False;
        ShowMsg("15", "2");
        shell.SetPGBRange(1, 100);
        idx = 1;
        const std::string path = tables::TablePath(kDirPLUFile);
        int16_t number = platform::FileExists(path) ? OpenRandomFileNum(path, kLength) : 0;
        if (number == 0) return RefuseSendFile(word, kDirPLUFile);
        word = static_cast<uint16_t>(number);
    }
    platform::RecordFile* file = RandomFileNum(static_cast<int16_t>(word));
    if (!file) return RefuseSendFile(word, kDirPLUFile);
    while (idx >= 1 && idx <= Sizes.nMaxDirPLU) {
        shell.IncPGBValue();
        std::string bytes;
        if (!file->Read(idx, bytes)) {
            if (idx > file->Count()) break;  // a file shorter than the directory ends it
            return RefuseSendFile(word, kDirPLUFile);
        }
        ++idx;
        DirPLURec rec;
        tables::SetRecordBytes(rec, bytes);
        if (!Free(rec)) return Code(rec) + ":" + std::to_string(rec.number.Num());
    }
    EndPass(word, static_cast<int16_t>(kFileDone));
    // The second pass has put the whole directory in place.
    ShowSentStatus();
    return "*";
}

int16_t DataDirPLU() {
    TxLineArrived();
    if (ReqState.bRdDirPLU == False) {
        SendAck();
        return -1;
    }
    const std::string path = tables::TablePath(kDirPLUFile);
    if (ReqState.nRdDirPLUIdx == 1 || Reading.path != path) {
        // The first line of a read, whatever it holds: a directory of free
        // slots to build on.
        ShowMsg("14", "2");
        CurrentShell().SetPGBRange(1, 100);
        Reading = Directory{path, FreeDirectory()};
    }
    if (ReqState.nRdDirPLUIdx < 32767) ++ReqState.nRdDirPLUIdx;

    const std::string& line = AnswerRec.strAnsData;
    if (!line.empty() && line[0] == '*') {
        ReqState.bRdDirPLU = False;
        Directory read;
        read.path.swap(Reading.path);
        read.bytes.swap(Reading.bytes);
        if (Tx.bTxDirPLUClean != False && ReqState.nTxDirPLU == kFileOpenNext) {
            // The read of a send: kept for its first pass, nothing on disk.
            RegisterDir = std::move(read);
        } else if (PutInPlace(read)) {
            CopyRecvFile(std::string("\\") + kDirPLUFile);
        }
        return EndTableRead();
    }
    std::vector<std::string> f;
    if (!CutLineFields(line, 2, f)) return Refuse();
    const std::string code = tables::TrimBlanks(WireText(f[0]));
    const int32_t slot = tables::NumValue(f[1]);
    if (slot < 1 || slot > Sizes.nMaxDirPLU ||
        static_cast<int>(code.size()) > decltype(DirPLURec::code)::kWidth ||
        static_cast<size_t>(slot) * kLength > Reading.bytes.size())
        return Refuse();
    DirPLURec rec = RecordAt(Reading.bytes, slot);
    rec.code = code;
    Reading.bytes.replace(static_cast<size_t>(slot - 1) * kLength, kLength, tables::RecordBytes(rec));
    CurrentShell().IncPGBValue();
    SendAck();
    return -1;
}
