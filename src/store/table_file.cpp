#include "store/table_file.h"

#include <cerrno>
#include <cstring>

#include "core/globals.h"
#include "core/shell.h"
#include "platform/files.h"

namespace tables {

TableFileGlobals TableFiles;

namespace {

std::map<std::string, TableCopyRec>& Copies() { return TableFiles.copies; }

}  // namespace

std::string TablePath(const std::string& name) {
    std::string path = platform::JoinPath(Core.strCashDir, name);
    auto it = Copies().find(path);
    return it == Copies().end() ? path : it->second.copy;
}

bool TableBeingRead(const std::string& name) {
    return Copies().count(platform::JoinPath(Core.strCashDir, name)) != 0;
}

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
        ReportFileError(proc, platform::FileErrorText(errno, path), report);
        return false;
    }
    if (n > file.Count()) {
        ReportFileError(proc, "Input past end of file", report);
        return false;
    }
    std::string record;
    errno = 0;
    if (!file.Read(n, record)) {
        ReportFileError(proc, platform::FileErrorText(errno, path), report);
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
        ReportFileError(proc, platform::FileErrorText(errno, path), report);
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& proc, const std::string& path, const std::string& bytes,
                    Report report) {
    errno = 0;
    if (platform::WriteFile(path, bytes)) return true;
    ReportFileError(proc, platform::FileErrorText(errno, path), report);
    return false;
}

bool BeginTableCopy(const std::string& name, std::string& path, std::string& error) {
    path = platform::JoinPath(Core.strCashDir, name);
    DiscardTableCopy(path);
    TableCopyRec entry;
    entry.file = platform::WriteTarget(path);
    entry.copy = entry.file + kCopySuffix;
    std::string bytes;
    errno = 0;
    bool ok = !platform::FileExists(entry.file) || platform::ReadFile(entry.file, bytes);
    if (ok) {
        errno = 0;
        ok = platform::WriteFile(entry.copy, bytes);
    }
    if (!ok) {
        error = platform::FileErrorText(errno, entry.copy);
        return false;
    }
    Copies()[path] = entry;
    return true;
}

bool CommitTableCopy(const std::string& path, std::string& error) {
    auto it = Copies().find(path);
    if (it == Copies().end()) {
        error = platform::FileErrorText(ENOENT, path);
        return false;
    }
    TableCopyRec entry = it->second;
    Copies().erase(it);
    errno = 0;
    if (platform::RenameFile(entry.copy, entry.file)) return true;
    error = platform::FileErrorText(errno, entry.file);
    platform::RemoveFile(entry.copy);
    return false;
}

void DiscardTableCopy(const std::string& path) {
    auto it = Copies().find(path);
    if (it == Copies().end()) return;
    platform::RemoveFile(it->second.copy);
    Copies().erase(it);
}

bool StoreRecords(const std::string& path, const RecordLayout& layout,
                  const std::map<int32_t, std::string>& records, std::string& error) {
    const size_t length = static_cast<size_t>(layout.Length());
    std::string bytes;
    errno = 0;
    if (platform::FileExists(path) && !platform::ReadFile(path, bytes)) {
        error = std::strerror(errno);
        return false;
    }
    bytes.resize(bytes.size() / length * length);
    for (const auto& [n, record] : records) {
        while (bytes.size() < static_cast<size_t>(n) * length)
            bytes += DefaultRecordBytes(layout, static_cast<int32_t>(bytes.size() / length) + 1);
        bytes.replace(static_cast<size_t>(n - 1) * length, length, record);
    }
    errno = 0;
    if (platform::WriteFile(path, bytes)) return true;
    error = errno ? std::strerror(errno) : "";
    return false;
}

}  // namespace tables
