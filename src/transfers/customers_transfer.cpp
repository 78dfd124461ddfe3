#include "transfers/customers_transfer.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "store/client_file.h"
#include "store/customer_files.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

namespace {

int16_t ClientType() { return ConfigLevel.GetClientType(Core.nOpenCash); }
int ProtoLevel() { return ConfigLevel.GetProtoLevel(Core.nOpenCash); }

// A record's bytes with its texts cleaned for the wire (the record end kept),
// so that no field can break a wire text.
std::string WireSafe(const std::string& record) {
    const size_t fields = record.size() >= 2 ? record.size() - 2 : record.size();
    return WireText(std::string_view(record).substr(0, fields)) + record.substr(fields);
}

void Problem(const std::string& key, const std::string& what) {
    ReportTransferProblem(GetText("Log", key) + " " + what);
}

// ---------------------------------------------------------------------------
// Customers sent

// The end of the send: the archive closed, the word 65534, and the range
// of the send again, for the next register.
void CloseCliSend(ClientM& cli) {
    int16_t file = ReqState.nTxCli >= 1 && ReqState.nTxCli <= 32767
                       ? static_cast<int16_t>(ReqState.nTxCli)
                       : int16_t(-1);
    cli.CloseFile(file);
    ReqState.nTxCli = kFileDone;
    Tx.nTxCliFrom = Tx.nTxCliFrom0;
    Tx.nTxCliTo = Tx.nTxCliTo0;
}

// A send that cannot go on: the archive named, the send ended at once.
std::string RefuseCliSend(ClientM& cli, const std::string& path) {
    CloseCliSend(cli);
    return RefuseSend(path);
}

// ---------------------------------------------------------------------------
// Customers read: the dump file's word holds its number while lines come;
// 0 marks a dump that could not be written (its lines are dropped and the
// archive is not rebuilt at the closing line).

constexpr uint16_t kDumpFailed = 0;

// The dump file being written (its mark beside it); empty between dumps.
std::string dumpWritten;

// Removes the dump file and its mark: a dump that ends without its closing
// line, or cannot be written whole, leaves neither part of it nor an older
// one behind.
void RemoveDump(const std::string& dump) {
    platform::RemoveFile(dump);
    platform::RemoveFile(dump + tables::kCopySuffix);
    dumpWritten.clear();
}
void DropDump() {
    if (!dumpWritten.empty()) RemoveDump(dumpWritten);
}
const bool dumpDropperAdded = AddReadDropper(&DropDump);

void DumpFailed(uint16_t& word, const std::string& key, int err) {
    ReportTransferFailure(GetText("Log", key) + " " + tables::TablePath(kC16File) + ": " +
                          platform::FileErrorText(err, {}));
    CloseFileNum(word, static_cast<int16_t>(kDumpFailed));
    RemoveDump(tables::TablePath(kC16File));
}

// ---------------------------------------------------------------------------
// Groups

const std::vector<WireField> kGroupWire = {{"Code", WireKind::Number},
                                           {"GroupDesc1", WireKind::Text}};

bool SaveGroupBytes(int32_t, const std::string& bytes) {
    ClientGroupRec rec;
    tables::SetRecordBytes(rec, bytes);
    ClientGroupsM groups;
    groups.SetFile(tables::TablePath(kClientGFile), false);
    return groups.SetGroup(rec);
}

const TableDesc& ClientGroupTable() {
    static const TableDesc table = [] {
        TableDesc t{};
        t.fileName = kClientGFile;
        t.layout = &ClientGroupRec::Layout;
        t.size = &TableSizes::nMaxClientG;
        t.wire = kGroupWire;
        t.txWord = nullptr;  // the group send counts in nTxClientGroup, see AnsClientGroup
        t.txIdx = nullptr;
        t.sendStatusKey = "scligroups";
        t.rdFlag = &ReqStateRec::bRdClientGroup;
        t.readStatusKey = nullptr;
        t.save = &SaveGroupBytes;
        return t;
    }();
    return table;
}

bool GroupsEnabled() { return ConfigLevel.GetClientGroupsEnable(); }

// The order of the archive: a code right-aligned.
std::string CodeKey(const std::string& code) { return tables::PadLeft(code, 13); }

// The archive after a read of the codes first to last that brought the
// received customers (byCode, by their codes' digits): its customers outside
// the range kept in their order, the received ones placed by code. False
// (reported, a failure of the run) when the archive cannot be read.
bool KeptOutsideRange(const std::string& archive, const std::string& first, const std::string& last,
                      const std::map<std::pair<size_t, std::string>, std::string>& byCode,
                      std::vector<KeyedRecord> received, std::string& records) {
    ClientM cli;
    cli.CliType(ClientType());
    cli.SetFile(archive, false);  // an archive of an older generation is brought to this one
    SayCliDropped(cli);
    const size_t length = static_cast<size_t>(cli.GetLen());
    std::string bytes;
    errno = 0;
    if (!cli.LastError().empty() || length == 0 ||
        (platform::FileExists(archive) && !platform::ReadFile(archive, bytes)) ||
        bytes.size() % length != 0) {
        ReportTransferFailure(GetText("Log", "unreadable") + " " + archive + ": " +
                              (cli.LastError().empty() ? platform::FileErrorText(errno, {})
                                                       : cli.LastError()));
        return false;
    }
    std::vector<KeyedRecord> kept;
    for (size_t at = 0; at < bytes.size(); at += length) {
        cli.SetRecord(std::string_view(bytes).substr(at, length));
        const std::string code = tables::TrimBlanks(cli.strCodice());
        if (CodeInRange(code, first, last)) continue;
        const size_t nonZero = code.find_first_not_of('0');
        const std::string digits = nonZero == std::string::npos ? "0" : code.substr(nonZero);
        const bool numeric = code.find_first_not_of("0123456789") == std::string::npos;
        if (numeric && byCode.count({digits.size(), digits}))
            continue;  // brought again from outside the range: the register's
        kept.push_back({CodeKey(numeric ? digits : code), bytes.substr(at, length)});
    }
    records = MergeRangeRecords(kept, std::move(received));
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------

std::string AnsCli() {
    TxLineArrived();
    if (ReqState.nTxCli == kFileDone) return "*";
    Shell& shell = CurrentShell();
    const std::string path = tables::TablePath(kClientiFile);
    ClientM cli;
    cli.CliType(ClientType());
    // A missing archive is refused, not made empty nor taken for an empty one.
    if (ReqState.nTxCli == kFileOpenNext && !platform::FileExists(path))
        return RefuseCliSend(cli, path);
    if (Tx.nTxCliTo == -1) {
        cli.SetFile(path, false);
        SayCliDropped(cli);
        Tx.nTxCliTo = cli.nCliNum();
        // An archive that cannot be read as customers sends nothing: a
        // failure of the run, said with the reason.
        if (!cli.LastError().empty())
            ReportTransferFailure(GetText("Log", "unreadable") + " " + path + ": " +
                                  cli.LastError());
    }
    if (Tx.nTxCliFrom <= Tx.nTxCliTo) {
        if (ReqState.nTxCli == kFileOpenNext) {
            ShowMsg("56", "2");
            shell.SetPGBRange(ClampInt16(Tx.nTxCliFrom), ClampInt16(int64_t(Tx.nTxCliTo) + 1));
            SetCntRec(0);
            const int16_t file = cli.OpenFile(path);
            SayCliDropped(cli);
            if (file == -1) return RefuseCliSend(cli, path);
            ReqState.nTxCli = static_cast<uint16_t>(file);
        }
        shell.IncPGBValue();
        std::string record;
        if (!cli.ReadRec(static_cast<int16_t>(ReqState.nTxCli), record, Tx.nTxCliFrom))
            return RefuseCliSend(cli, path);
        cli.SetRecord(WireSafe(record));
        IncCntRec();
        ++Tx.nTxCliFrom;
        return cli.GetFormattedRecord(":", ProtoLevel());
    }
    CloseCliSend(cli);
    return EndSend();
}

int16_t DataC16() {
    TxLineArrived();
    uint16_t& word = ReqState.nFileC16;
    if (word == kFileDone) {
        SendAck();
        return -1;
    }
    Shell& shell = CurrentShell();
    const std::string& line = AnswerRec.strAnsData;
    const std::string path = tables::TablePath(kC16File);
    if (line.empty() || line[0] != '*') {
        if (word == kFileOpenNext) {
            // The mark of a dump being written (see DumpMark).
            platform::WriteFile(tables::DumpMark(kC16File), "");
            dumpWritten = path;
            errno = 0;
            const int16_t file = OpenOutputFileNum(path, false);
            if (file == 0)
                DumpFailed(word, "nocreate", errno);
            else
                word = static_cast<uint16_t>(file);
            SetCntRec(0);
        }
        if (!shell.PGBBusy()) {
            shell.SetPGBRange(1, 100);
            ShowMsg("56", "2");
        }
        shell.IncPGBValue();
        IncCntRec();
        errno = 0;
        if (word != kDumpFailed && !PrintFileNum(static_cast<int16_t>(word), AnswerRec.strAnsRec))
            DumpFailed(word, "nowrite", errno);
        SendAck();
        return -1;
    }
    // The closing line. A read of part of the codes that brought no customer
    // leaves the archive as it was; a read of every code that brought none
    // leaves an empty dump, so that the archive is rebuilt empty rather than
    // from an older dump.
    const bool noneInRange =
        word == kFileOpenNext && NothingInRange("&I", tables::TablePath(kClientiFile));
    if (word == kFileOpenNext && !noneInRange) {
        errno = 0;
        const int16_t file = OpenOutputFileNum(path, false);
        if (file == 0)
            DumpFailed(word, "nocreate", errno);
        else
            word = static_cast<uint16_t>(file);
    }
    const bool dumped = word != kDumpFailed && !noneInRange;
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    platform::RemoveFile(tables::DumpMark(kC16File));
    dumpWritten.clear();
    shell.SetPGBValue(-1);
    ShowMsg("", "");
    DecPending();
    SendAck();
    // A dump that could not be written leaves the archive as it was.
    if (dumped) ImportC16();
    ShowReadStatus();
    return 0;
}

bool ImportC16() {
    Shell& shell = CurrentShell();
    shell.SetPGBRange(1, 100);
    ShowMsg("57", "2");
    const std::string dump = tables::TablePath(kC16File);
    const std::string archive = tables::TablePath(kClientiFile);
    std::string text;
    bool ok = platform::ReadFile(dump, text);
    if (!ok) {
        ReportTransferFailure(GetText("Log", "nocopy") + " " + dump);
    }
    ClientM cli;
    cli.CliType(ClientType());
    const int level = ProtoLevel();
    // The archive is sorted by code, each code once: the later record of a
    // code wins (the register's dump need not be in order).
    std::map<std::pair<size_t, std::string>, std::string> byCode;
    int refused = 0;
    int lines = 0;
    size_t start = 0;
    while (ok && start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++lines;
        shell.IncPGBValue();
        cli.SetFormattedRecord(line, ":", level);
        cli.SetRecord(WireSafe(cli.GetRecord()));
        const std::string code = tables::TrimBlanks(cli.strCodice());
        if (code.empty() || code.find_first_not_of("0123456789") != std::string::npos) {
            Problem("notstored", archive + ": " + tables::BlankControls(line));
            ++refused;
            continue;
        }
        std::string digits = code.substr(std::min(code.find_first_not_of('0'), code.size() - 1));
        std::string& kept = byCode[{digits.size(), digits}];
        if (!kept.empty()) WriteMsgLog(GetText("Log", "dupcode") + " " + archive + ": " + code);
        kept = cli.GetRecord();
    }
    if (refused > 0) ReportLinesNotStored(dump, refused, lines);
    std::string records;
    std::string first, last;
    if (ok && SentCodeRange("&I", first, last)) {
        // A read of part of the codes: only the customers of its range change.
        std::vector<KeyedRecord> received;
        for (const auto& [key, record] : byCode) received.push_back({CodeKey(key.second), record});
        ok = KeptOutsideRange(archive, first, last, byCode, received, records);
    } else {
        for (const auto& [key, record] : byCode) records += record;
    }
    if (ok) {
        errno = 0;
        ok = tables::WriteWholeFile("ImportC16", archive, records, tables::Report::MsgBox);
        if (!ok) {
            ReportTransferFailure(GetText("Log", "nowrite") + " " + archive + ": " +
                                  std::strerror(errno));
        }
    }
    if (ok) CopyRecvFile("\\" + std::string(kClientiFile));
    shell.SetPGBValue(-1);
    ShowMsg("", "");
    return ok;
}

std::string AnsClientGroup() {
    TxLineArrived();
    Shell& shell = CurrentShell();
    uint16_t& counter = ReqState.nTxClientGroup;
    // A request after the end: "*" again, the end not counted twice.
    if (counter == kFileDone) return "*";
    const std::string path = tables::TablePath(kClientGFile);
    if (!GroupsEnabled()) {
        // A register without customer groups: nothing to send.
        counter = kFileDone;
        DecPending();
        return "*";
    }
    if (!platform::FileExists(path)) {
        counter = kFileDone;
        return RefuseSend(path);
    }
    const int32_t count = Sizes.nMaxClientG;
    if (counter == 0) {
        ShowMsg("scligroups", "2");
        shell.SetPGBRange(1, ClampInt16(int64_t(count) + 1));
        counter = 1;
    }
    if (counter <= count) {
        shell.IncPGBValue();
        ClientGroupsM groups;
        groups.SetFile(path, true);
        ClientGroupRec rec;
        if (!groups.GetGroup(counter, rec)) {
            counter = kFileDone;
            return RefuseSend(path);
        }
        ++counter;
        return BuildAnswer(ClientGroupRec::Layout(), kGroupWire, WireSafe(tables::RecordBytes(rec)));
    }
    counter = kFileDone;
    return EndSend();
}

int16_t DataClientGroup() {
    if (GroupsEnabled() || ReqState.bRdClientGroup == False) return DataTable(ClientGroupTable());
    // A register without customer groups: nothing is stored.
    TxLineArrived();
    const std::string& line = AnswerRec.strAnsData;
    if (line.empty() || line[0] != '*') return RefuseTableLine(ClientGroupTable());
    EndRefusedLines(ClientGroupTable());
    ReqState.bRdClientGroup = False;
    return EndTableRead();
}

void SayCliDropped(ClientM& cli) {
    for (const CliDropped& d : cli.TakeDropped()) {
        const std::string kept = GetText("Log", "custkept") + " " + d.bak;
        for (const std::string& line : d.lost)
            WriteMsgLog(GetText("Log", "custlost") + " " + d.file + ": " + line + " - " + kept);
        CurrentShell().AddError(GetText("Log", "custdrop") + " " + d.file + " - " + kept, false);
    }
}

void RegisterCustomerProcs() {
    RegisterAnsProc("70", &AnsCli);
    RegisterDataProc("16", &DataC16);
    RegisterAnsProc("59", &AnsClientGroup);
    RegisterDataProc("59", &DataClientGroup);
}

bool CliCodeRange(const std::string& first, const std::string& last, int32_t& from, int32_t& to,
                  std::string& why) {
    ClientM cli;
    cli.CliType(ClientType());
    cli.SetFile(tables::TablePath(kClientiFile), false);
    SayCliDropped(cli);
    for (const std::string* code : {&first, &last}) {
        if (!cli.GetCli(*code)) {
            why = cli.LastError().empty() ? GetText("Log", "custnocode") + " " + *code
                                          : cli.LastError();
            return false;
        }
        (code == &first ? from : to) = cli.nCurrentRec();
    }
    if (from > to) {
        why = GetText("Log", "custbackwards") + " " + first + ":" + last;
        return false;
    }
    return true;
}
