#include "core/texts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/hello_rec.h"
#include "core/link_state.h"
#include "core/main_timer_state.h"
#include "core/record.h"
#include "core/req_state.h"
#include "core/work_record.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/text.h"

TextsGlobals Texts;

namespace {

const char kCrLf[] = "\r\n";

// The value of a key in the language file through a 128-character buffer,
// so at most 127 characters.
std::string ReadLangKey(const std::string& section, const std::string& key) {
    char buffer[128] = {};
    platform::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer,
                                       Core.strLangFile.c_str());
    return buffer;
}

// "000" format: at least three digits, a sign in front of negative values.
std::string Format000(int value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

// The text right-aligned in a field of the width; a longer text is cut to
// the width so that the columns after it stay in place.
std::string RightAlign(const std::string& text, size_t width) {
    if (text.size() >= width) return text.substr(0, width);
    return std::string(width - text.size(), ' ') + text;
}

void ShowAndLog(const std::string& text) {
    ShowStatusText(text);
    WriteMsgLog(text);
}

bool IsSet(int16_t flag) { return flag != 0; }

// Said without the language file, which may be the file that is missing.
std::string ErrLogFailedText() {
    const std::string text = GetText("Log", "errlogfailed");
    return text.empty() ? "Error log cannot be written; its line is given on standard error:" : text;
}

// A text the language file cannot give, said without it: the language file
// may be the file that lacks it.
std::string LogText(const char* key, const char* fallback) {
    const std::string text = GetTextUnnoted("Log", key);
    return text.empty() ? fallback : text;
}

// What stands in the way of the language file as a whole: empty when it can
// be read and holds sections of texts.
std::string LangFileFault(const std::string& file) {
    if (!platform::FileExists(file)) return "missing";
    if (platform::ProfileUnreadable(file)) return "unreadable";
    char sections[4] = {};
    platform::GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file.c_str());
    return sections[0] == '\0' ? "holds no texts" : "";
}

// A command-line run that meets a key without text says so, so that the
// messages that lack their words can still be told apart: the language file
// that is missing, unreadable or no language file at all once (standard
// error and the message log), each key without text once (message log).
// Neither is a failure of the run: the requests' work does not need them.
void NoteMissingText(const std::string& section, const std::string& key) {
    if (Core.bInteractive || Core.strRootDir.empty()) return;
    if (Texts.strLangReported != Core.strLangFile) {
        Texts.strLangReported = Core.strLangFile;
        const std::string fault = LangFileFault(Core.strLangFile);
        if (!fault.empty()) {
            const std::string text = "Language file " + fault + ", messages go without their texts: " +
                                     Core.strLangFile;
            std::fprintf(stderr, "ecrprog: %s\n", text.c_str());
            std::fflush(stderr);
            WriteMsgLog(text);
        }
    }
    if (!Texts.textlessKeys.insert(section + "\n" + key).second) return;
    WriteMsgLog(LogText("notext", "No text in the language file for") + " [" + section + "] " + key);
}

// The descriptions of failed file operations come from the language file,
// as every other text of a message does.
std::string FileErrorWords(const char* key) { return GetText("Log", key); }

}  // namespace

void InstallTextHooks() { platform::SetFileErrorWords(&FileErrorWords); }

std::string GetTextUnnoted(const std::string& section, const std::string& key) {
    if (Core.strLangFile.empty() || section.empty() || key.empty()) return "";
    std::string text = ReadLangKey(section, key);
    if (text.empty()) text = ReadLangKey(section, key + "_" + std::to_string(ConfigLevel.CashTypen()));
    return text;
}

std::string GetText(const std::string& section, const std::string& key) {
    std::string text = GetTextUnnoted(section, key);
    if (text.empty() && !Core.strLangFile.empty() && !section.empty() && !key.empty())
        NoteMissingText(section, key);
    return text;
}

std::string GetProtocolText(const std::string& code) {
    std::string key = code.substr(0, 2);
    // Keys do not distinguish case: a lower-case second letter is doubled to
    // keep "*a" apart from "*A".
    if (key.size() == 2 && key[1] >= 'a' && key[1] <= 'z') key += key[1];
    return GetText("Protocol_" + ConfigLevel.CashType(), key);
}

void ShowMsg(const std::string& k1, const std::string& k2) {
    if (k1.empty() && k2.empty()) {
        ShowStatusText("");
        return;
    }
    // A key without a text (no language file, or a key it lacks) is named,
    // so that the line still says which message it was.
    auto Part = [](const std::string& section, const std::string& key) {
        const std::string text = GetText(section, key);
        return text.empty() ? section + " " + key : text;
    };
    std::string text = k1.empty() ? std::string() : Part("Msg", k1);
    if (!k2.empty()) text += " - " + Part("Msg1", k2);
    ShowAndLog(text);
}

void ShowMsgText(const std::string& t1, const std::string& t2) {
    if (t1.empty() && t2.empty()) {
        ShowStatusText("");
        return;
    }
    std::string text = t1;
    if (!t2.empty()) text += "-" + t2;
    ShowAndLog(text);
}

void ShowSaveRefused(const std::string& field, const std::string& what) {
    if (field.empty())
        ShowMsg(what, "3");
    else
        ShowMsgText(GetText("Msg", what) + " - " + field + ": " + GetText("Msg1", "badfield"), "");
}

void ShowSendRefused(const std::string& field) {
    ShowMsgText(GetText("Comandi", "4") + " - " + field + ": " + GetText("Msg1", "badsend"), "");
}

void NoteFileStored() { NoteStored(Core.nOpenCash); }

void ShowResult(const std::string& text) {
    if (Texts.bResultHeld) {
        Texts.strHeldResult = text;
        return;
    }
    if (text == Texts.strLastLogged)
        ShowStatusText(text);
    else
        ShowMsgText(text, "");
    Texts.strResult = text;
}

void HoldResult() {
    Texts.bResultHeld = true;
    Texts.strHeldResult.clear();
}

void ReleaseResult(bool acknowledged) {
    Texts.bResultHeld = false;
    const std::string text = std::exchange(Texts.strHeldResult, std::string());
    if (acknowledged && !text.empty()) ShowResult(text);
}

void ShowOperationEnd() {
    ShowStatusText(Texts.strResult);
    Texts.strResult.clear();
}

void KeepStatusText() {
    Shell& shell = CurrentShell();
    Texts.strKeptStatus = shell.StatusText();
    Texts.bStatusUnder = false;
    if (!Texts.strKeptStatus.empty()) shell.AddMessage(Texts.strKeptStatus, false);
}

void ReleaseStatusText() {
    if (Texts.strKeptStatus.empty()) return;
    Texts.strKeptStatus.clear();
    if (std::exchange(Texts.bStatusUnder, false)) CurrentShell().SetStatusText(Texts.strStatusUnder);
}

void ShowStatusText(const std::string& text) {
    if (Texts.strKeptStatus.empty()) {
        CurrentShell().SetStatusText(text);
        return;
    }
    Texts.strStatusUnder = text;
    Texts.bStatusUnder = true;
}

Reply AskConfirm() { return CurrentShell().Ask(GetText("Msg1", "19"), GetText("Msg", "81")); }

void ShowRxResult() {
    ReqStateRec& r = ReqState;
    bool anyWrite = IsSet(r.bWrOpeCard) || IsSet(r.bWrCamCard) || IsSet(r.bWrGrpSta);
    bool anyRead = IsSet(r.bRdOpeCard) || IsSet(r.bRdCamCard) || IsSet(r.bRdGrpSta);
    std::string text;
    if (anyWrite) {
        text = GetText("Msg", "84") + " " + GetText("Msg1", "21");
        r.bWrOpeCard = r.bWrCamCard = r.bWrGrpSta = False;
    } else if (anyRead) {
        text = GetText("Msg", "83") + " " + GetText("Msg1", "21");
        r.bRdOpeCard = r.bRdCamCard = r.bRdGrpSta = False;
    } else {
        text = GetText("Msg", "1") + " " + GetText("Msg1", "12");
    }
    CurrentShell().AddError(text, true);
}

bool WriteMsgLog(const std::string& text) {
    // Before the base folder is known there is nowhere to keep the log.
    if (Core.strRootDir.empty()) return false;
    std::string path = platform::JoinPath(Core.strRootDir, "msg.log");
    Texts.strLastLogged = text;
    std::string line = platform::FormatLogTime(platform::Now()) + " : " + text + kCrLf;
    errno = 0;
    bool written = false;
    if (Texts.nMsgLogFile == -1) {
        // The first line of a run replaces the previous run's log.
        written = platform::WriteFile(path, line);
        if (written) Texts.nMsgLogFile = 1;
    } else {
        written = platform::AppendFile(path, line);
    }
    // A command-line run says once, on standard error, that its message log
    // cannot be written: the caller would otherwise miss what it keeps.
    if (!written && !Core.bInteractive && !Texts.bMsgLogFailed) {
        Texts.bMsgLogFailed = true;
        std::fprintf(stderr, "ecrprog: Message log cannot be written: %s: %s\n", path.c_str(),
                     platform::FileErrorText(errno, path).c_str());
        std::fflush(stderr);
    }
    return written;
}

LogSubject AboutRegister(int reg, const std::string& code, const std::string& arg) {
    LogSubject about{CashInfoRec{}, code, arg};
    if (reg >= 0 && reg < kMaxCash + 1) {
        about.cash = CassaList[static_cast<size_t>(reg)];
        about.reg = reg;
    }
    return about;
}

LogSubject RequestFor(int reg) {
    // A command-line run logs the request as its list gave it: the builders
    // take the range or the copy mode off the working argument.
    return AboutRegister(reg, Core.strReqCode, Core.bInteractive ? Core.strReqArg : Core.strReqArgGiven);
}

LogSubject OpenTurnSubject() { return RequestFor(Core.nOpenCash); }

std::string FormatLogErrLine(int16_t code, const LogSubject& about) {
    std::string line = platform::FormatLogTime(platform::Now());
    if (code == 255)
        line += " [255-" + Format000(HelloRec.HelloStatus[1]) + "]";
    else
        line += " [" + Format000(code) + "]";

    std::string request = " <" + about.code + "|" + about.arg;
    if (request.size() > 80) request = request.substr(0, 76) + "...";
    request += ">";
    if (request.size() < 81) request.append(81 - request.size(), ' ');
    line += request;

    // A control byte in a field (a NUL read from a file) is the blank it
    // stands for: the line stays one line of plain text.
    const CashInfoRec& cash = about.cash;
    line += RightAlign(tables::BlankControls(cash.name), 10);
    line += RightAlign(tables::BlankControls(cash.number), 3);
    line += RightAlign(tables::BlankControls(cash.release), 10);
    line += RightAlign(tables::BlankControls(cash.port), 3);
    line += RightAlign(tables::BlankControls(cash.addressed), 3);
    line += RightAlign(tables::BlankControls(cash.station), 3);
    return line;
}

namespace {

// Appends the line to the error log. A line that cannot be written is not
// lost: it goes to standard error, and the message log says why the error
// log has not got it (once in a run).
bool WriteErrLogLine(const std::string& line) {
    if (Core.strLogErrFile.empty()) return false;
    errno = 0;
    if (platform::AppendFile(Core.strLogErrFile, line + kCrLf)) return true;
    const std::string why = platform::FileErrorText(errno, Core.strLogErrFile);
    std::fprintf(stderr, "ecrprog: %s %s: %s\n%s\n", TerminalText(ErrLogFailedText()).c_str(),
                 Core.strLogErrFile.c_str(), TerminalText(why).c_str(), TerminalText(line).c_str());
    std::fflush(stderr);
    if (!Texts.bErrLogFailed) {
        Texts.bErrLogFailed = true;
        WriteMsgLog(ErrLogFailedText() + " " + Core.strLogErrFile + ": " + why);
    }
    return false;
}

}  // namespace

bool LogErr(int16_t code, const LogSubject& about, bool fromSetup) {
    // The release of a register after a stop is part of the stop: what it
    // left is said by the stop's own lines, whatever the release meets.
    if (LinkState.bReleasing && MainTimer.nStopSignal != 0) return false;
    const std::string line = FormatLogErrLine(code, about);
    NoteFailure(code, about, line, fromSetup);
    return WriteErrLogLine(line);
}

bool LogNote(int16_t code, const LogSubject& about) { return WriteErrLogLine(FormatLogErrLine(code, about)); }

namespace {

bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t more = 0;  // continuation bytes of the sequence
        if (c >= 0xC2 && c <= 0xDF)
            more = 1;
        else if ((c & 0xF0) == 0xE0)
            more = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            more = 3;
        else if (c >= 0x80)
            return false;
        if (i + more >= text.size() && more > 0) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

}  // namespace

std::string TerminalText(const std::string& text) {
    return IsUtf8(text) ? text : platform::Cp1252ToUtf8(text);
}

std::string RegisterName(int reg) {
    const int station = reg >= 0 && reg <= kMaxCash ? std::atoi(CassaList[static_cast<size_t>(reg)].station.c_str()) : 0;
    return GetText("Progress", "cassa") + " " + std::to_string(station + 1);
}

bool WriteTxtFile(const std::string& name, const std::string& text) {
    if (Core.strCashDir.empty()) return false;  // no register folder open
    std::string path = platform::JoinPath(Core.strCashDir, name);
    if (Texts.bNewTxtFile) return platform::WriteFile(path, text + kCrLf);
    return platform::AppendFile(path, text + kCrLf);
}

// The counters are shown in batch mode; interactively only the value is kept.
void SetCntRec(int32_t value) {
    Texts.nCntRec = value;
    if (!Core.bInteractive) CurrentShell().SetCounterPanel(7, std::to_string(value));
}

void IncCntRec() { SetCntRec(static_cast<int32_t>(static_cast<uint32_t>(Texts.nCntRec) + 1u)); }

void SetCntPend(int16_t value) {
    Texts.nCntPend = value;
    if (!Core.bInteractive) CurrentShell().SetCounterPanel(8, std::to_string(value));
}

void IncCntPend() { SetCntPend(static_cast<int16_t>(Texts.nCntPend + 1)); }
