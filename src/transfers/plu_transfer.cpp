#include "transfers/plu_transfer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <tuple>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/plu_checks.h"
#include "store/table_file.h"
#include "transfers/transfer.h"
#include "core/record.h"

using namespace tables;

namespace {

// The two record-by-record sends differ only in these.
struct ArticleSend {
    uint16_t ReqStateRec::*word;
    int32_t TxCountersRec::*from;
    int32_t TxCountersRec::*to;
    int32_t TxCountersRec::*from0;
    int32_t TxCountersRec::*to0;
    bool (*count)();
    int32_t PLUFilesGlobals::*num;
    std::string (*path)();
    int16_t (*test)(PLURec&);
    const char* errFile;
    // The fields of a refused record in the error line.
    std::string (*text)(const PLURec&);
    const char* msgKey;   // section "Msg"
    const char* msg1Key;  // section "Msg1"
};

int16_t TestPLUCopy(PLURec& rec) { return TestPLU(rec); }

// Offers list their refused records with P220Ea and P220Eb after P220E.
std::string OfferRefusedText(const PLURec& r) {
    return r.code.str() + r.P220A.str() + r.P220B.str() + r.P220C.str() + r.P220D.str() +
           r.P220E.str() + r.P220Ea.str() + r.P220Eb.str() + r.P220F.str() + r.P220G.str() +
           r.P220H.str();
}

const ArticleSend kPLUSend{&ReqStateRec::nTxPLU, &TxCountersRec::nTxPLUFrom,
                           &TxCountersRec::nTxPLUTo, &TxCountersRec::nTxPLUFrom0,
                           &TxCountersRec::nTxPLUTo0, &GetPLUNum, &PLUFilesGlobals::nPLUNum,
                           &PLUFilePath, &TestPLUCopy, kPLUTxErrFile, &PLURecordText, "89", "28"};
const ArticleSend kOffSend{&ReqStateRec::nTxOff, &TxCountersRec::nTxOffFrom,
                           &TxCountersRec::nTxOffTo, &TxCountersRec::nTxOffFrom0,
                           &TxCountersRec::nTxOffTo0, &GetOffNum, &PLUFilesGlobals::nOffNum,
                           &OffFilePath, &TestOff, kOffTxErrFile, &OfferRefusedText, "21",
                           "offtxerr"};

constexpr int32_t kToEnd = 65535;

// The send's file closed, its range set again for the next register.
void CloseArticles(const ArticleSend& a) {
    CloseFileNum(ReqState.*a.word, static_cast<int16_t>(kFileDone));
    Tx.*a.from = Tx.*a.from0;
    Tx.*a.to = Tx.*a.to0;
}

std::string Finish(const ArticleSend& a, bool refused) {
    CurrentShell().SetPGBValue(-1);
    CloseArticles(a);
    DecPending();
    if (!refused) {
        ShowSentStatus();
    } else {
        CurrentShell().AddError(GetText("Msg", a.msgKey) + "-" + GetText("Msg1", a.msg1Key), true);
        CountRefusedRecords(a.errFile);
    }
    return "*";
}

std::string AnswerArticles(const ArticleSend& a, bool& refusedAny) {
    TxLineArrived();
    uint16_t& word = ReqState.*a.word;
    if (word == kFileDone) return "*";
    int32_t& from = Tx.*a.from;
    int32_t& to = Tx.*a.to;
    // A missing file is refused, not made empty nor taken for an empty one.
    if (word == kFileOpenNext && !platform::FileExists(a.path())) {
        CloseArticles(a);
        return RefuseSend(a.path());
    }
    if (to == kToEnd) {
        a.count();
        to = PLUFiles.*a.num;
    }
    for (;;) {
        LinkState.sngLastRx = platform::Timer();
        if (from > to) return Finish(a, refusedAny);
        if (word == kFileOpenNext) {
            SetCntRec(0);
            Texts.bNewTxtFile = true;
            refusedAny = false;
            platform::RemoveFile(TablePath(a.errFile));
            const std::string path = a.path();
            int16_t number = OpenRandomFileNum(path, kPLURecLen);
            if (number == 0) {
                CloseArticles(a);
                return RefuseSend(path);
            }
            word = static_cast<uint16_t>(number);
        }
        CurrentShell().IncPGBValue();
        platform::RecordFile* file = RandomFileNum(static_cast<int16_t>(word));
        std::string bytes;
        if (!file || !file->Read(from, bytes)) {
            // Past the end of a file that shrank since the range was set.
            Tx.*a.to0 = std::min(Tx.*a.to0, from - 1);
            to = from - 1;
            continue;
        }
        IncCntRec();
        PLURec rec;
        SetRecordBytes(rec, bytes);
        const int16_t code = a.test(rec);
        if (code == 0) {
            ++from;
            return PLUWireText(rec);
        }
        WriteTxtFile(a.errFile, RefusedLine(code, a.text(rec)));
        Texts.bNewTxtFile = false;
        refusedAny = true;
        ++from;
    }
}

bool plusRefused = false;
bool offersRefused = false;

// The record of one dump line; false when the line is too short for the
// fields its model sends, or a number does not fit its field.
bool DumpRecord(const std::string& line, PLURec& rec) {
    std::vector<std::string> f;
    if (!CutLineFields(line, 8, f)) return false;
    rec = DefaultRecord<PLURec>(0);
    auto num = [&](auto& field, const std::string& text) {
        std::string out;
        if (!FormatNumberField(NumValue(text), field.kWidth, out)) return false;
        field = out;
        return true;
    };
    rec.code.PutRight(TrimBlanks(f[0]));
    rec.P220C = WireText(f[3]);
    if (!num(rec.P220A, f[1]) || !num(rec.P220B, f[2]) || !num(rec.P220D, f[4]) ||
        !num(rec.P220E, f[5]) || !num(rec.P220F, f[6]) || !num(rec.P220G, f[7]))
        return false;
    rec.P220H = "000";
    rec.P220Ea = "00000";
    rec.P220Eb = "00000";
    if (ConfigLevel.IsModel({"LX4100"})) return true;
    std::vector<std::string> f9;
    if (CutLineFields(line, 9, f9) && !num(rec.P220H, f9[8])) return false;
    if (!ConfigLevel.IsModel({"DRAVO57", "ZANDORE", "MERIDOTAN"})) return true;
    if (ConfigLevel.GetPLUType(Core.nOpenCash) == 1 && ConfigLevel.GetProtoLevel(Core.nOpenCash) >= 1) {
        std::vector<std::string> f11;
        if (!CutLineFields(line, 11, f11)) return false;
        if (!num(rec.P220Ea, f11[9])) return false;
        const int32_t eb = NumValue(f11[10]);
        if (rec.code.Trim().compare(0, 8, kOfferPrefix) == 0)
            rec.P220Eb = std::to_string(eb);  // "####0": no leading zeros, left-aligned
        else if (!num(rec.P220Eb, f11[10]))
            return false;
    }
    return true;
}

// The PLU or offer file (of the register folder) after a read of the codes
// first to last that brought the records: its records outside the range
// kept in their order, the records brought placed by code. changed: false
// when the file has no record in the range and none was brought. False
// (reported, a failure of the run) when the file cannot be read as records.
bool MergeRange(const char* file, const std::string& records, bool offer, const std::string& first,
                const std::string& last, std::string& merged, bool& changed) {
    const std::string path = TablePath(file);
    if (TestPLUFile(path) == kOldPLURecLen) ConvPLUFile(path);
    std::string old;
    errno = 0;
    if (platform::FileExists(path) && !platform::ReadFile(path, old)) {
        ReportTransferFailure(GetText("Log", "unreadable") + " " + path + ": " +
                              platform::FileErrorText(errno, {}));
        return false;
    }
    const size_t length = kPLURecLen;
    if (old.size() % length == length - 2) old += "\r\n";  // a last record without its line end
    if (old.size() % length != 0) {
        ReportTransferFailure(GetText("Log", "unreadable") + " " + path);
        return false;
    }
    std::vector<KeyedRecord> kept, received;
    std::set<std::string> brought;
    for (size_t at = 0; at < records.size(); at += length) {
        received.push_back({ArticleSortKey(std::string_view(records).substr(at, length), offer),
                            records.substr(at, length)});
        brought.insert(received.back().key);
    }
    changed = !received.empty();
    for (size_t at = 0; at < old.size(); at += length) {
        const std::string_view record = std::string_view(old).substr(at, length);
        KeyedRecord k{ArticleSortKey(record, offer), std::string(record)};
        if (CodeInRange(record.substr(0, 13), first, last) || brought.count(k.key)) {
            changed = true;
            continue;
        }
        kept.push_back(std::move(k));
    }
    merged = MergeRangeRecords(kept, std::move(received));
    return true;
}

}  // namespace

std::string RefusedLine(int16_t code, const std::string& recordText) {
    return "E <" + FormatNum(code, 2) + "> " + BlankControls(recordText);
}

std::string PLUWireText(const PLURec& rec) {
    auto n = [](const auto& field) { return std::to_string(field.Num()); };
    std::string descr = rec.P220C.Trim();
    if (CassaConf.P212 >= 0 && descr.size() > static_cast<size_t>(CassaConf.P212))
        descr.resize(static_cast<size_t>(CassaConf.P212));
    std::string t = rec.code.Trim() + ":" + n(rec.P220A) + ":" + n(rec.P220B) + ":" +
                    WireText(descr) + ":" + n(rec.P220D) + ":" + n(rec.P220E) + ":" + n(rec.P220F);
    switch (ConfigLevel.GetPLUType(Core.nOpenCash)) {
    case 0:
    case 3: t += ":" + n(rec.P220G) + ":" + n(rec.P220H); break;
    case 1:
        t += ":" + n(rec.P220G) + ":" + n(rec.P220H) + ":" + n(rec.P220Ea) + ":" + n(rec.P220Eb);
        break;
    case 2: t += ":" + n(rec.P220G); break;
    default: break;
    }
    return t;
}

std::string AnsPLU() { return AnswerArticles(kPLUSend, plusRefused); }
std::string AnsOff() { return AnswerArticles(kOffSend, offersRefused); }

std::string AnsConfPLU() {
    LinkState.sngLastRx = platform::Timer();
    DecPending();
    return std::to_string(CassaConf.P210) + ":" + std::to_string(CassaConf.P211) + ":" +
           std::to_string(CassaConf.P212);
}

int16_t DataConfPLU() {
    LinkState.sngLastRx = platform::Timer();
    if (ReqState.bRdConfPLU == False) {
        SendAck();
        return -1;
    }
    const std::string& line = AnswerRec.strAnsData;
    if (!line.empty() && line[0] == '*') {
        ReqState.bRdConfPLU = False;
        DecPending();
        SendAck();
        return 0;
    }
    std::vector<std::string> f;
    if (CutLineFields(line, 3, f)) {
        CassaConf.P210 = ClampInt16(NumValue(f[0]));
        CassaConf.P211 = ClampInt16(NumValue(f[1]));
        CassaConf.P212 = ClampInt16(NumValue(f[2]));
        CassaFile.bConfPLUDefault = false;
    }
    SendAck();
    return -1;
}

namespace {

// The word of a dump whose file could not be written: its later lines are
// acknowledged and dropped, and its closing line imports nothing.
constexpr uint16_t kC08Failed = 0;

// The dump file being written (its mark beside it); empty between dumps.
std::string dumpWritten;

// A dump that ends without its closing line, or cannot be written whole,
// leaves no file behind: neither the lines written so far nor the mark.
void RemoveDump() {
    if (dumpWritten.empty()) return;
    platform::RemoveFile(dumpWritten);
    platform::RemoveFile(dumpWritten + tables::kCopySuffix);
    dumpWritten.clear();
}
const bool dumpDropperAdded = AddReadDropper(&RemoveDump);

void C08Failed(uint16_t& word, const char* key, const std::string& reason) {
    CloseFileNum(word, static_cast<int16_t>(kC08Failed));
    ReportTransferFailure(GetText("Log", key) + " " + TablePath(kC08File) +
                          (reason.empty() ? "" : ": " + reason));
    RemoveDump();
}

}  // namespace

void CountRefusedRecords(const char* listFile) {
    WriteMsgLog(GetText("Log", "refusedlist") + " " + TablePath(listFile));
    if (!Core.bInteractive) LogErr(kErrFile);
}

int16_t DataC08() {
    LinkState.sngLastRx = platform::Timer();
    uint16_t& word = ReqState.nFileC08;
    if (word == kFileDone) {
        SendAck();
        return -1;
    }
    Shell& shell = CurrentShell();
    const std::string& line = AnswerRec.strAnsData;
    if (line.empty() || line[0] != '*') {
        if (word == kFileOpenNext) {
            platform::RemoveFile(TablePath(kC08File));
            // The mark of a dump being written: a run stopped before the
            // closing line leaves it, and the next opening of the folder
            // removes the dump with it.
            platform::WriteFile(DumpMark(kC08File), "");
            dumpWritten = TablePath(kC08File);
            errno = 0;
            int16_t number = OpenOutputFileNum(TablePath(kC08File), false);
            if (number == 0) {
                C08Failed(word, "nocreate", platform::FileErrorText(errno, {}));
                SendAck();
                return -1;
            }
            word = static_cast<uint16_t>(number);
            SetCntRec(0);
        }
        if (word == kC08Failed) {
            SendAck();
            return -1;
        }
        if (!shell.PGBBusy()) {
            shell.SetPGBRange(1, 100);
            ShowMsg("55", "2");
        }
        shell.IncPGBValue();
        IncCntRec();
        errno = 0;
        // A line that cannot be written fails the dump: the PLU and offer
        // files keep what they hold, never rebuilt from part of the dump.
        if (!PrintFileNum(static_cast<int16_t>(word), line))
            C08Failed(word, "nowrite", platform::FileErrorText(errno, {}));
        SendAck();
        return -1;
    }
    // The closing line: a dump that brought no line has opened no new
    // C08.txt, and an old one must not be imported again; nor one whose
    // file could not be written whole.
    const bool arrived = word != kFileOpenNext && word != kC08Failed;
    // A range of codes holding nothing leaves both files as they are.
    if (word == kFileOpenNext) {
        const bool offers =
            LinkState.strCmdSent.find(std::string(";&M") + kOfferPrefix) != std::string::npos;
        NothingInRange("&M", TablePath(offers ? kOffFile : kPLUFile));
    }
    CloseFileNum(word, static_cast<int16_t>(kFileDone));
    platform::RemoveFile(DumpMark(kC08File));
    dumpWritten.clear();
    if (Transfer.nC08Pending > 1) word = kFileOpenNext;  // the next dump starts a new file
    Transfer.nC08Pending = static_cast<int16_t>(std::max(0, Transfer.nC08Pending - 1));
    shell.SetPGBValue(-1);
    ShowMsg("", "");
    DecPending();
    SendAck();
    if (arrived) ImportC08();
    ShowReadStatus();
    return 0;
}

void ImportC08() {
    Shell& shell = CurrentShell();
    shell.SetPGBRange(1, 100);
    ShowMsg("54", "2");
    std::string dump;
    if (!platform::ReadFile(TablePath(kC08File), dump)) {
        ReportTransferFailure(GetText("Log", "nocopy") + " " + TablePath(kC08File));
        shell.SetPGBValue(-1);
        ShowMsg("", "");
        return;
    }
    std::string plus, offers;
    bool anyPLU = false, anyOffer = false;
    int refused = 0;  // lines listed as not stored: a failure of the run
    int lines = 0;
    size_t start = 0;
    while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        std::string line = dump.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ++lines;
        LinkState.sngLastRx = platform::Timer();
        shell.IncPGBValue();
        PLURec rec;
        if (!DumpRecord(line, rec)) {
            ReportTransferProblem(GetText("Log", "notstored") + " " + kC08File + ": " +
                                  BlankControls(line));
            ++refused;
            continue;
        }
        rec.end.Set();
        if (rec.code.Trim().compare(0, 8, kOfferPrefix) == 0) {
            offers += RecordBytes(rec);
            anyOffer = true;
        } else {
            plus += RecordBytes(rec);
            anyPLU = true;
        }
    }
    if (refused > 0) ReportLinesNotStored(TablePath(kC08File), refused, lines);
    // Each file is replaced whole, and only when the dump held its records.
    const auto replace = [](const char* file, const std::string& records) {
        errno = 0;
        if (WriteWholeFile("ImportC08", TablePath(file), records, Report::MsgBox))
            CopyRecvFile("\\" + std::string(file));
        else
            ReportTransferFailure(GetText("Log", "nowrite") + " " + TablePath(file) + ": " +
                                  platform::FileErrorText(errno, {}));
    };
    std::string first, last;
    if (SentCodeRange("&M", first, last)) {
        // A read of part of the codes: only the records of its range change.
        std::string merged;
        for (const auto& [file, records, offer] :
             {std::tuple{kPLUFile, &plus, false}, std::tuple{kOffFile, &offers, true}}) {
            bool changed = false;
            if (MergeRange(file, *records, offer, first, last, merged, changed) && changed)
                replace(file, merged);
        }
    } else {
        if (anyPLU) replace(kPLUFile, plus);
        if (anyOffer) replace(kOffFile, offers);
    }
    shell.SetPGBValue(-1);
    ShowMsg("", "");
}
