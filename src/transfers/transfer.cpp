#include "transfers/transfer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/work_record.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/table_file.h"

TxCountersRec Tx;
TransferGlobals Transfer;

// ---------------------------------------------------------------------------
// Send counters

void CommitTxCounters() {
    Transfer.txSaved = Tx;
    ReqState.bTxTurnStart = True;
}

void TxTurnStart() {
    if (ReqState.bTxTurnStart == False) return;
    Tx = Transfer.txSaved;
    ReqState.bTxTurnStart = False;
}

void TxLineArrived() {
    TxTurnStart();
    LinkState.sngLastRx = platform::Timer();
}

namespace {

bool HoldsFile(uint16_t word) { return word >= 1 && word <= 32767; }

}  // namespace

// ---------------------------------------------------------------------------
// Table reads

namespace {

TableReadRec* FindRead(int16_t ReqStateRec::*flag) {
    for (TableReadRec& r : Transfer.reads)
        if (r.flag == flag) return &r;
    return nullptr;
}

void ForgetRead(int16_t ReqStateRec::*flag) {
    for (size_t i = 0; i < Transfer.reads.size(); ++i)
        if (Transfer.reads[i].flag == flag) {
            Transfer.reads.erase(Transfer.reads.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

// The read fails: the copy goes, the file stays, and the failure is reported
// and counted.
void FailRead(TableReadRec& read, const std::string& key, const std::string& reason) {
    tables::DiscardTableCopy(read.path);
    read.failed = true;
    ReportTransferFailure(GetText("Log", key) + " " + read.path +
                          (reason.empty() ? "" : ": " + reason));
}

// The read of the table that this line belongs to; its copy is made at its
// first line. A read still noted for another folder (one left behind when
// the open register changed) is abandoned first.
TableReadRec& ReadFor(const TableDesc& table) {
    std::string path = platform::JoinPath(Core.strCashDir, table.fileName);
    TableReadRec* noted = FindRead(table.rdFlag);
    if (noted && noted->path != path) {
        if (!noted->failed) FailRead(*noted, "readcut", "");
        ForgetRead(table.rdFlag);
        noted = nullptr;
    }
    if (noted && (noted->copied || noted->failed)) return *noted;
    if (!noted) {
        Transfer.reads.push_back(TableReadRec{table.rdFlag, path});
        noted = &Transfer.reads.back();
    }
    // A read noted so far only for lines it refused gets its copy now.
    TableReadRec& read = *noted;
    read.copied = true;
    std::string error;
    if (!tables::BeginTableCopy(table.fileName, read.path, error))
        FailRead(read, "readfailed", error);
    return read;
}

// Lines of a read that were not stored make the read a failure: said with
// how many of how many lines. True when there were any.
bool ReportReadNotStored(const TableReadRec& read, const TableDesc& table) {
    if (read.refused == 0) return false;
    ReportLinesNotStored(platform::JoinPath(Core.strCashDir, table.fileName), read.refused, read.lines);
    return true;
}

// A read just said that the register sent no records: the read's end says
// no success over it.
namespace {
bool noRecordsSaid = false;
}  // namespace

// The closing line: the copy takes the file's place. True when the read
// stored records and they are in place.
bool FinishRead(const TableDesc& table) {
    TableReadRec* found = FindRead(table.rdFlag);
    TableReadRec read = found ? *found : TableReadRec{table.rdFlag, {}};
    ForgetRead(table.rdFlag);
    if (read.failed) return false;
    const bool refused = ReportReadNotStored(read, table);
    if (read.stored == 0) {
        if (read.copied) tables::DiscardTableCopy(read.path);
        // A copy destination asked for this table; what is there now is not
        // the register's.
        if (!refused && !Core.bInteractive && !Core.strReqArg.empty()) {
            ReportTransferFailure(GetText("Log", "nothingread") + " " +
                          platform::JoinPath(Core.strCashDir, table.fileName));
        } else if (!refused) {
            // Not a failure, but not what a user who asked for the table
            // expects either: said, with the file kept as it was.
            const std::string text =
                GetText("Log", "norecords") + " " + platform::JoinPath(Core.strCashDir, table.fileName);
            CurrentShell().AddMessage(text, true);
            // The operation's result (and the message log's line): it stays
            // in the status text, no "Read from register" said over it.
            ShowResult(text);
            noRecordsSaid = true;
        }
        return false;
    }
    std::string error;
    if (tables::CommitTableCopy(read.path, error)) return true;
    ReportTransferFailure(GetText("Log", "readfailed") + " " + read.path + ": " + error);
    return false;
}

}  // namespace

namespace {

std::vector<void (*)()>& ReadDroppers() {
    static std::vector<void (*)()> droppers;
    return droppers;
}

}  // namespace

bool AddReadDropper(void (*drop)()) {
    ReadDroppers().push_back(drop);
    return true;
}

namespace {

// Every pending-read flag False.
void ClearReadFlags() {
    ReqStateRec& r = ReqState;
    for (int16_t* f :
         {&r.bRdStorico, &r.bRdPrzPeso, &r.bRdOpeCard, &r.bWrOpeCard, &r.bRdCamCard,
          &r.bWrCamCard, &r.bRdGrpSta, &r.bWrGrpSta, &r.bRdReparto, &r.bRdRepFid, &r.bRdSubFid,
          &r.bRdConfScoMag, &r.bRdConfScoMag2, &r.bRdCirCli, &r.bRdConfPLU, &r.bRdOpe,
          &r.bRdIntScontrino, &r.bRdOpeCamCli, &r.bRdModPag, &r.bRdTicketAmount,
          &r.bRdClientGroup, &r.bRdGrpRep, &r.bRdGlbCassa, &r.bRdScontrino, &r.bRdScoMag,
          &r.bRdBollino, &r.bRdGlbCassa2, &r.bRdValuta, &r.bRdScontrino2, &r.bRdOpGen,
          &r.bRdOpeCamCli2, &r.bRdTabIva, &r.bRdTestoIcone, &r.bRdFMult, &r.bRdDirPLU,
          &r.bRdTastiera, &r.bRdCam, &r.bRdIconePeriodo, &r.bRdComm})
        *f = False;
}

}  // namespace

void AbandonTableReads() {
    for (auto drop : ReadDroppers()) drop();
    std::vector<TableReadRec> reads;
    reads.swap(Transfer.reads);
    for (TableReadRec& read : reads) {
        if (!read.failed && LinkAborted()) {
            // Cut short by an abort or a stop: said, but the failure is the
            // abort's, whose own line names the work not done.
            tables::DiscardTableCopy(read.path);
            ReportTransferProblem(GetText("Log", "readcut") + " " + read.path);
        } else if (!read.failed) {
            FailRead(read, "readcut", "");
        }
        ReqState.*read.flag = False;
    }
    // An abort or a stop drops the rest of the operation as well: so is a
    // read asked for whose first line has not come yet. The lines the
    // register still sends are acknowledged and not taken; a stopped run
    // would store them, or log them refused, after its own line named the
    // read not done.
    if (LinkAborted()) ClearReadFlags();
}

// ---------------------------------------------------------------------------
// Request-state words

namespace {

// The words that can hold the number of an open file (nTxFMult2, a step
// index, and nFileChiusura are not among them).
std::vector<uint16_t*> FileWords(ReqStateRec& r) {
    return {&r.nFileStorico, &r.nRptReparti, &r.nRptPLU, &r.nRptOperatori, &r.nRptCamerieri,
            &r.nRptIVA, &r.nRptFinanziario, &r.nRptBollini, &r.nRptOraria, &r.nRptClienti,
            &r.nRptFatture, &r.nRptTavoli, &r.nRptTicketAmount, &r.nRptValute, &r.nFileC08,
            &r.nFileC16, &r.nRptClientG, &r.nFileCliChipCard, &r.nTxBollino, &r.nTxCam,
            &r.nTxPLU, &r.nTxCli, &r.nTxFMult, &r.nTxDirPLU, &r.nTxOff, &r.nTxGrpRep,
            &r.nTxGrpSta, &r.nTxTestoIcone, &r.nTxModPag, &r.nTxTicketAmount, &r.nTxOpe,
            &r.nTxScoMag, &r.nTxValuta, &r.nTxCirCli, &r.nTxRResto, &r.nTxPrzPeso};
}

}  // namespace

void InitFlags() {
    AbandonTableReads();
    ClearReadFlags();
    ReqStateRec& r = ReqState;
    Transfer.nC08Pending = 0;
    for (uint16_t* w : FileWords(r)) *w = kFileDone;
    r.nTxFMult2 = kFileDone;
    r.nFileChiusura = kFileDone;
}

void CloseFileNum(uint16_t& word, int16_t newValue) {
    if (HoldsFile(word)) CloseFileNumber(static_cast<int16_t>(word));
    word = static_cast<uint16_t>(newValue);
}

void CloseAllFiles() {
    for (uint16_t* w : FileWords(ReqState))
        if (HoldsFile(*w)) CloseFileNum(*w, static_cast<int16_t>(kFileDone));
    AbandonTableReads();
}

// ---------------------------------------------------------------------------
// Copy of a received file

bool CopyRecvFile(const std::string& name) {
    if (Core.bInteractive || Core.strReqArg.empty()) return true;
    std::string rest = name;
    while (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) rest.erase(0, 1);
    std::string from = platform::ResolvePath(tables::TablePath(rest));
    if (platform::CopyFileTo(from, Core.strReqArg)) return true;
    const std::string reason = std::strerror(errno);
    ReportTransferFailure(GetText("Log", "nocopy") + " " + from + " -> " + Core.strReqArg + ": " +
                          reason);
    return false;
}

bool SentCodeRange(const std::string& token, std::string& first, std::string& last) {
    // The range is the rest of the token in the command sent ("&I1:500;").
    const std::string& sent = LinkState.strCmdSent;
    const size_t at = sent.find(";" + token);
    if (at == std::string::npos) return false;
    const size_t from = at + 1 + token.size();
    const std::string range = sent.substr(from, sent.find(';', from) - from);
    const size_t colon = range.find(':');
    if (range.empty() || range == kWholeCodeRange || colon == std::string::npos) return false;
    first = range.substr(0, colon);
    last = range.substr(colon + 1);
    return true;
}

namespace {

// A digit text without its leading zeros ("" for zero), so that two of them
// compare as numbers by length first.
std::string_view Significant(std::string_view digits) {
    const size_t nonZero = digits.find_first_not_of('0');
    return nonZero == std::string_view::npos ? std::string_view() : digits.substr(nonZero);
}

int CompareNumbers(std::string_view a, std::string_view b) {
    a = Significant(a);
    b = Significant(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

bool CodeInRange(std::string_view code, const std::string& first, const std::string& last) {
    const std::string trimmed = tables::TrimBlanks(code);
    if (trimmed.empty()) return false;
    const auto digits = [](const std::string& t) { return t.find_first_not_of("0123456789") == std::string::npos; };
    // A range of alphanumeric PLU codes holds the codes between its ends in
    // the order of the PLU file, which sorts such codes without their blanks.
    if (!digits(first) || !digits(last)) return first <= trimmed && trimmed <= last;
    if (!digits(trimmed)) return false;
    return CompareNumbers(trimmed, first) >= 0 && CompareNumbers(trimmed, last) <= 0;
}

std::string MergeRangeRecords(const std::vector<KeyedRecord>& kept,
                              std::vector<KeyedRecord> received) {
    std::stable_sort(received.begin(), received.end(),
                     [](const KeyedRecord& a, const KeyedRecord& b) { return a.key < b.key; });
    std::string out;
    size_t next = 0;
    for (const KeyedRecord& k : kept) {
        while (next < received.size() && received[next].key < k.key) out += received[next++].bytes;
        out += k.bytes;
    }
    for (; next < received.size(); ++next) out += received[next].bytes;
    return out;
}

bool NothingInRange(const std::string& token, const std::string& path) {
    std::string first, last;
    if (!SentCodeRange(token, first, last)) return false;
    WriteMsgLog(GetText("Log", "rangeempty") + " " + token + first + ":" + last + ", " + path);
    return true;
}

// ---------------------------------------------------------------------------
// Field codec

bool FormatNumberField(int64_t value, int width, std::string& out) {
    if (width <= 0) return false;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    size_t digits = std::to_string(magnitude).size();
    if (static_cast<int>(digits) > (value < 0 ? width - 1 : width)) return false;
    out = tables::FormatNum(value, width);
    return true;
}

std::string WireText(std::string_view text) { return tables::BlankControls(text, ":;"); }

bool NumberField16(std::string_view field, int16_t& out) {
    const int32_t v = tables::NumValue(field);
    if (v < INT16_MIN || v > INT16_MAX) return false;
    out = static_cast<int16_t>(v);
    return true;
}

bool CutLineFields(const std::string& line, size_t count, std::vector<std::string>& fields) {
    fields.clear();
    size_t start = 0;
    while (fields.size() < count) {
        size_t colon = line.find(':', start);
        if (colon == std::string::npos) return false;
        fields.push_back(line.substr(start, colon - start));
        start = colon + 1;
    }
    return true;
}

bool ChangeLineField(std::string& line, size_t k, bool (*change)(std::string& field)) {
    size_t start = 0;
    for (size_t i = 0; i < k; ++i) {
        size_t colon = line.find(':', start);
        if (colon == std::string::npos) return false;
        start = colon + 1;
    }
    size_t end = line.find(':', start);
    if (end == std::string::npos) return false;
    std::string field = line.substr(start, end - start);
    if (!change(field)) return false;
    line.replace(start, end - start, field);
    return true;
}

// ---------------------------------------------------------------------------
// Records and wire texts

namespace {

const tables::FieldDef& FieldNamed(const tables::RecordLayout& layout, const char* name) {
    const tables::FieldDef* f = layout.Find(name);
    if (!f) std::abort();  // a table description names a field its record lacks
    return *f;
}

}  // namespace

std::string BuildAnswer(const tables::RecordLayout& layout, const std::vector<WireField>& wire,
                        const std::string& record) {
    std::string answer;
    for (size_t i = 0; i < wire.size(); ++i) {
        std::string raw = tables::FieldText(FieldNamed(layout, wire[i].name), record);
        if (i) answer += ':';
        switch (wire[i].kind) {
        case WireKind::Number: answer += std::to_string(tables::NumValue(raw)); break;
        case WireKind::Text: answer += tables::TrimBlanks(WireText(raw)); break;
        case WireKind::Descr: answer += CutDescr(tables::TrimBlanks(WireText(raw))); break;
        }
    }
    return answer;
}

bool BuildRecord(const tables::RecordLayout& layout, const std::vector<WireField>& wire,
                 const std::string& line, std::string& record, int32_t& entry) {
    std::vector<std::string> values;
    if (wire.empty() || !CutLineFields(line, wire.size(), values)) return false;
    std::string built = tables::DefaultRecordBytes(layout, 0);
    for (size_t i = 0; i < wire.size(); ++i) {
        const tables::FieldDef& f = FieldNamed(layout, wire[i].name);
        if (wire[i].kind == WireKind::Number) {
            std::string text;
            if (!FormatNumberField(tables::NumValue(values[i]), f.width, text)) return false;
            built.replace(f.offset, f.width, text);
        } else {
            built.replace(f.offset, f.width, tables::PadRight(WireText(values[i]), f.width));
        }
    }
    entry = tables::NumValue(values[0]);
    record = built;
    return true;
}

// ---------------------------------------------------------------------------
// The answer and data procedures

std::string AbandonSend() {
    ShowMsg("", "");
    CurrentShell().SetPGBValue(-1);
    return "*";
}

namespace {

// The register of the exchange as the user knows it (its folder's number).
std::string RegisterNumber() { return std::to_string(LinkState.nAddress + 1); }

// A transfer that has reported a failure since its command went out (a table
// file missing or unreadable, a line not stored) is no success: it says
// nothing of one.
bool ShowSuccess(const char* key) {
    const bool noRecords = std::exchange(noRecordsSaid, false);
    if (noRecords || WorkOf(Core.nOpenCash).cmdFailures > 0) return false;
    ShowResult(GetText("Msg", key) + " " + RegisterNumber());
    return true;
}

}  // namespace

void ShowSentStatus() { ShowSuccess("sentto"); }

bool ShowReadStatus() { return ShowSuccess("readfrom"); }

void ShowClosedStatus() { ShowSuccess("closed"); }

std::string EndSend() {
    AbandonSend();
    // A complete send says so, as a failed one does.
    ShowSentStatus();
    DecPending();
    return "*";
}

int16_t EndTableRead() {
    // A read whose records could not be stored says nothing of a success.
    ShowMsg("", "");
    ShowReadStatus();
    CurrentShell().SetPGBValue(-1);
    DecPending();
    SendAck();
    return 0;
}

std::string EndSend(uint16_t& word) {
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    return EndSend();
}

std::string RefuseSend(const std::string& path) {
    ReportTransferFailure(GetText("Log", "nosendfile") + " " + path);
    AbandonSend();
    DecPending();
    return "*";
}

std::string RefuseSendFile(uint16_t& word, const char* fileName) {
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    return RefuseSend(tables::TablePath(fileName));
}

bool ReadSendRecord(uint16_t word, int32_t n, const tables::RecordLayout& layout,
                    std::string& record) {
    platform::RecordFile* file = RandomFileNum(static_cast<int16_t>(word));
    if (!file) return false;
    if (n > file->Count()) {
        record = tables::DefaultRecordBytes(layout, n);
        return true;
    }
    return file->Read(n, record);
}

std::string AnswerTable(const TableDesc& table) {
    TxLineArrived();
    uint16_t& word = ReqState.*table.txWord;
    if (word == kFileDone) return "*";
    int16_t& idx = Tx.*table.txIdx;
    int32_t count = Sizes.*table.size;
    const tables::RecordLayout& layout = table.layout();
    if (word == kFileOpenNext) {
        ShowMsg(table.sendStatusKey, "2");
        CurrentShell().SetPGBRange(1, ClampInt16(int64_t(count) + 1));
        idx = table.firstEntry;
        if (idx > count) return EndSend(word);  // nothing to send: no file needed
        const std::string path = tables::TablePath(table.fileName);
        int16_t number = platform::FileExists(path) ? OpenRandomFileNum(path, layout.Length()) : 0;
        if (number == 0) return RefuseSendFile(word, table.fileName);
        word = static_cast<uint16_t>(number);
    }
    if (idx <= count) {
        CurrentShell().IncPGBValue();
        std::string record;
        if (!ReadSendRecord(word, idx, layout, record)) return RefuseSendFile(word, table.fileName);
        ++idx;
        return BuildAnswer(layout, table.wire, record);
    }
    return EndSend(word);
}

int16_t DataTable(const TableDesc& table) {
    TxLineArrived();
    int16_t& pending = ReqState.*table.rdFlag;
    if (pending == False) {
        SendAck();
        return -1;
    }
    const std::string& line = AnswerRec.strAnsData;
    if (!line.empty() && line[0] == '*') {
        pending = False;
        if (FinishRead(table)) CopyRecvFile(std::string("\\") + table.fileName);
        return EndTableRead();
    }
    Shell& shell = CurrentShell();
    if (table.readStatusKey && !shell.PGBBusy()) {
        shell.SetPGBRange(1, 100);
        ShowMsg(table.readStatusKey, "2");
        SetCntRec(0);
    }
    shell.IncPGBValue();
    if (table.readStatusKey) IncCntRec();

    TableReadRec& read = ReadFor(table);
    ++read.lines;
    const tables::RecordLayout& layout = table.layout();
    const std::string shown = tables::BlankControls(line);  // one line of the log
    std::string record;
    int32_t entry = 0;
    std::string fields = line;  // the line as the wire fields store it
    if ((table.received && !table.received(fields)) ||
        !BuildRecord(layout, table.wire, fields, record, entry) || entry < 1) {
        // Nothing is written from a line that cannot be read whole.
        ++read.refused;
        ReportTransferProblem(GetText("Log", "notstored") + " " + table.fileName + ": " + shown);
    } else if (table.size && !table.storesPastSize && entry > Sizes.*table.size) {
        // A record beyond the model's table would grow the file with blank
        // records up to it.
        ++read.refused;
        ReportTransferProblem(GetText("Log", "outofrange") + " " + table.fileName + ": " + shown);
    } else if (!read.failed) {
        errno = 0;
        bool ok = table.save ? table.save(entry, record)
                             : tables::WriteRecordAt("", tables::TablePath(table.fileName), entry,
                                                     record, tables::Report::Silent);
        const int err = errno;
        if (ok)
            ++read.stored;
        else
            FailRead(read, "norecord",
                     "(" + std::to_string(entry) + ") " +
                         platform::FileErrorText(err, tables::TablePath(table.fileName)));
    }
    SendAck();
    return -1;
}

// ---------------------------------------------------------------------------
// Lines a table cannot hold

int16_t RefuseTableLine(const TableDesc& table) {
    TxLineArrived();
    CurrentShell().IncPGBValue();
    // Noted without a copy of the table: a read that stores nothing needs none.
    TableReadRec* read = FindRead(table.rdFlag);
    if (!read) {
        Transfer.reads.push_back(
            TableReadRec{table.rdFlag, platform::JoinPath(Core.strCashDir, table.fileName)});
        read = &Transfer.reads.back();
    }
    ++read->lines;
    ++read->refused;
    ReportTransferProblem(GetText("Log", "notstored") + " " + table.fileName + ": " +
                          tables::BlankControls(AnswerRec.strAnsData));
    SendAck();
    return -1;
}

void EndRefusedLines(const TableDesc& table) {
    TableReadRec* found = FindRead(table.rdFlag);
    if (!found) return;
    const TableReadRec read = *found;
    ForgetRead(table.rdFlag);
    if (read.copied) tables::DiscardTableCopy(read.path);
    if (!read.failed) ReportReadNotStored(read, table);
}

void ReportLinesNotStored(const std::string& path, int32_t refused, int32_t lines) {
    ReportTransferFailure(GetText("Log", "readrefused") + " " + path + " (" + std::to_string(refused) +
                          "/" + std::to_string(lines) + ")");
}

void ReportTransferProblem(const std::string& text) {
    CurrentShell().AddError(text, true);
}

void ReportTransferFailure(const std::string& text) { ReportTransferFailure(text, OpenTurnSubject()); }

void ReportTransferFailure(const std::string& text, const LogSubject& about) {
    ReportTransferProblem(text);
    LogErr(kErrFile, about);
}

bool SplitImportRecords(std::string_view bytes, size_t width, std::string& records, size_t& count,
                        bool& canonical, std::string& why) {
    records.clear();
    canonical = false;
    size_t end = bytes.size();
    // Line ends and end-of-file bytes (0x1A, as older editors leave) after
    // the last line.
    while (end > 0 && (bytes[end - 1] == '\r' || bytes[end - 1] == '\n' || bytes[end - 1] == '\x1a'))
        --end;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) records.reserve(end + end / (width + 1) + 2);
        bool crlf = true;
        size_t at = 0;
        count = 0;
        while (at < end) {
            // The line runs to its first CR or LF (or to the end): exactly
            // the width, so no CR or LF within it and one (or the end) after.
            const size_t stop = at + width;
            const size_t lineEnd = std::min(bytes.find_first_of("\r\n", at), end);
            if (lineEnd != stop) {
                why = LineLengthText(count + 1, lineEnd - at, width);
                return false;
            }
            if (pass == 1) {
                records.append(bytes.substr(at, width));
                records += "\r\n";
            }
            ++count;
            at = stop;
            crlf = crlf && at + 1 < bytes.size() && bytes[at] == '\r' && bytes[at + 1] == '\n';
            if (at < end && bytes[at] == '\r') ++at;
            if (at < end && bytes[at] == '\n' && bytes[at - 1] != '\n') ++at;
        }
        if (count == 0) return false;
        if (pass == 0 && crlf && bytes.size() == count * (width + 2)) {
            canonical = true;
            return true;
        }
    }
    return true;
}

std::string ImportLineText(size_t n, const std::string& what) {
    return GetText("Log", "impline") + " " + std::to_string(n) + " " + what;
}

std::string LineLengthText(size_t n, size_t length, size_t width) {
    return ImportLineText(n, GetText("Log", length < width ? "imptooshort" : "imptoolong")) + " (" +
           std::to_string(length) + " " + GetText("Log", length == 1 ? "impchar" : "impchars") + ", " +
           GetText("Log", "imprecord") + " " + std::to_string(width) + ")";
}

void NoteLeftOver(const std::string& file, size_t bytes) {
    if (bytes > 0)
        WriteMsgLog(GetText("Log", "importrest") + " " + file + " (" + std::to_string(bytes) + " " +
                    GetText("Log", bytes == 1 ? "byte" : "bytes") + ")");
}
