#include "tables/table_file.h"

#include <cerrno>
#include <cstring>

#include "core/globals.h"
#include "core/shell.h"
#include "platform/files.h"

namespace tables {
namespace {

// The description of the last system error, in the program's words where
// the usual causes are concerned.
std::string SystemErrorText(int err, const std::string& path) {
    std::string folder = path.substr(0, path.find_last_of('/') == std::string::npos
                                            ? 0
                                            : path.find_last_of('/'));
    if (!folder.empty() && !platform::DirExists(folder)) return "Path not found";
    switch (err) {
    case ENOENT: return "File not found";
    case EACCES:
    case EPERM:
    case EROFS: return "Permission denied";
    case ENOSPC: return "Disk full";
    case 0: return "File access error";
    default: return std::strerror(err);
    }
}

}  // namespace

std::string TablePath(const std::string& name) { return platform::JoinPath(Core.strCashDir, name); }

void ReportFileError(const std::string& proc, const std::string& description, Report report) {
    if (report == Report::MsgBox && Core.bInteractive)
        CurrentShell().MsgBox(proc + " - " + description, "");
}

bool ReadRecordAt(const std::string& proc, const std::string& path, int32_t n, std::string& bytes,
                  Report report) {
    if (n < 1) {
        ReportFileError(proc, "Bad record number", report);
        return false;
    }
    platform::RecordFile file;
    errno = 0;
    if (!file.Open(path, static_cast<int>(bytes.size()), false)) {
        ReportFileError(proc, SystemErrorText(errno, path), report);
        return false;
    }
    if (n > file.Count()) {
        ReportFileError(proc, "Input past end of file", report);
        return false;
    }
    std::string record;
    errno = 0;
    if (!file.Read(n, record)) {
        ReportFileError(proc, SystemErrorText(errno, path), report);
        return false;
    }
    bytes = record;
    return true;
}

bool WriteRecordAt(const std::string& proc, const std::string& path, int32_t n,
                   const std::string& bytes, Report report) {
    if (n < 1) {
        ReportFileError(proc, "Bad record number", report);
        return false;
    }
    platform::RecordFile file;
    errno = 0;
    if (!file.Open(path, static_cast<int>(bytes.size()), true) || !file.Write(n, bytes)) {
        ReportFileError(proc, SystemErrorText(errno, path), report);
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& proc, const std::string& path, const std::string& bytes,
                    Report report) {
    errno = 0;
    if (platform::WriteFile(path, bytes)) return true;
    ReportFileError(proc, SystemErrorText(errno, path), report);
    return false;
}

}  // namespace tables
