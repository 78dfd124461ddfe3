#include "link/serial_log.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "core/cassa_conf.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"

SerLogGlobals SerLog;

namespace {

std::FILE* logFile = nullptr;

// The number with at least `width` digits, a minus sign before them.
std::string Digits(long value, int width) {
    char buf[32];
    if (value < 0)
        std::snprintf(buf, sizeof buf, "-%0*ld", width, -value);
    else
        std::snprintf(buf, sizeof buf, "%0*ld", width, value);
    return buf;
}

void CloseLog() {
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    SerLog.nSerLogFile = -1;
}

// Opens a fresh, empty trace file; false when it cannot be created.
bool OpenLog() {
    CloseLog();
    logFile = std::fopen(SerLog.strSerLogFile.c_str(), "wb");
    if (!logFile) return false;
    SerLog.nSerLogFile = static_cast<int16_t>(fileno(logFile));
    return true;
}

}  // namespace

std::string SerialTimeStamp(uint32_t tick) {
    uint32_t s = tick / 1000;
    return Digits((s / 3600) % 24, 2) + ":" + Digits((s / 60) % 60, 2) + ":" +
           Digits(s % 60, 2) + "," + Digits(tick % 1000, 3);
}

std::string FmtCtrlChars(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32 || c > 126)
            out += "[" + std::to_string(c) + "]";
        else
            out += ch;
    }
    return out;
}

void InitSerialLog() {
    CloseLog();
    std::string folder = Core.strStartDir;
    if (folder.empty()) {
        std::error_code ec;
        folder = std::filesystem::current_path(ec).string();
    }
    SerLog.strSerLogFile = platform::JoinPath(folder, "serial.log");
}

void LogSerial(int16_t kind, const std::string& text) {
    const char* label;
    std::string body;
    switch (kind) {
        case kLogTx:
            if (!SerLog.bSerLogData) return;
            label = " Tx  (";
            body = FmtCtrlChars(LinkState.TxFrame);
            break;
        case kLogRx:
            if (!SerLog.bSerLogData) return;
            label = " Rx  (";
            body = FmtCtrlChars(LinkState.RxFrame);
            break;
        case kLogErr:
            if (!SerLog.bSerLogErr && !LinkState.bTestMode) return;
            label = " Err (";
            body = text;
            break;
        default:
            return;
    }
    std::string line = SerialTimeStamp(platform::GetTickCount()) + label +
                       Digits(Core.nCommPort, 2) + "-" + Digits(CassaConf.P9Addr, 2) + "-" +
                       Digits(CassaConf.P013, 3) + ")-> " + body;
    line += "\r\n";
    if (SerLog.strSerLogFile.empty()) InitSerialLog();
    // A file that cannot be created loses the line; the link goes on.
    if ((SerLog.nSerLogFile != -1 && logFile) || OpenLog()) {
        std::fwrite(line.data(), 1, line.size(), logFile);
        std::fflush(logFile);  // the trace must survive a crash
    }
    if (kind == kLogErr && LinkState.bTestMode)
        CurrentShell().AddError(line.substr(0, line.size() - 2), true);
}

bool StartSerialLog(bool data, bool errors) {
    if (!data && !errors) return false;
    if (SerLog.strSerLogFile.empty()) InitSerialLog();
    OpenLog();
    SerLog.bSerLogData = data;
    SerLog.bSerLogErr = errors;
    return true;
}

void StopSerialLog() {
    CloseLog();
    SerLog.bSerLogData = false;
    SerLog.bSerLogErr = false;
}
