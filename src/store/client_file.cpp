#include "store/client_file.h"

#include <cerrno>

#include "core/shell.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "core/record.h"
#include "store/file_numbers.h"

void ClientM::Fail(const char* proc, const std::string& description) {
    lastError_ = std::string(proc) + " - " + description;
    if (bShowErr_) CurrentShell().MsgBox(lastError_, "");
}

int16_t ClientM::OpenFile(const std::string& path) {
    if (!objRec_) return -1;
    CliDropped dropped;
    const int16_t number = objRec_->OpenFile(path, &dropped);
    if (!dropped.lost.empty()) dropped_.push_back(std::move(dropped));
    return number;
}

std::vector<CliDropped> ClientM::TakeDropped() {
    std::vector<CliDropped> out;
    out.swap(dropped_);
    return out;
}

bool ClientM::Upgrade(std::string* why) {
    CliDropped dropped;
    const bool ok = objRec_->UpgradeFile(strFile_, why, &dropped);
    if (!dropped.lost.empty()) dropped_.push_back(std::move(dropped));
    return ok;
}

int16_t ClientM::Open() { return OpenFile(strFile_); }

void ClientM::CloseFile(int16_t& fileNo) {
    if (fileNo != -1) CloseFileNumber(fileNo);
    fileNo = -1;
}

void ClientM::SetFile(const std::string& path, bool showErrors) {
    strFile_ = path;
    bShowErr_ = showErrors;
    nCurrentRec_ = 1;
    nCliNum_ = 0;
    if (!objRec_) {
        Fail("GetCliNum", "No customer record type");
        return;
    }
    std::string why;
    if (!Upgrade(&why)) {
        Fail("GetCliNum", why);
        return;
    }
    const int64_t size = platform::FileSize(path);
    if (size > 0) nCliNum_ = static_cast<int32_t>(size / objRec_->GetLen());
}

void ClientM::SetRecord(std::string_view raw) {
    if (objRec_) objRec_->SetRecord(raw);
}

void ClientM::SetFormattedRecord(const std::string& text, const std::string& sep, int level) {
    if (objRec_) objRec_->SetFormattedRecord(text, sep, level);
}

std::string ClientM::GetRecord() const { return objRec_ ? objRec_->GetRecord() : std::string(); }

std::string_view ClientM::RecordView() const {
    return objRec_ ? std::string_view(objRec_->GetRecord()) : std::string_view();
}

std::string ClientM::GetFormattedRecord(const std::string& sep, int level) const {
    return objRec_ ? objRec_->GetFormattedRecord(sep, level) : std::string();
}

bool ClientM::ReadRec(int16_t fileNo, std::string& record, int32_t recNo) const {
    return objRec_ && objRec_->ReadRec(fileNo, record, recNo);
}

bool ClientM::WriteRec(int16_t fileNo, const std::string& record, int32_t recNo) {
    return objRec_ && objRec_->WriteRec(fileNo, record, recNo);
}

void ClientM::Let(CliField field, const std::string& text) {
    if (objRec_) objRec_->Let(field, text);
}

std::string ClientM::Get(CliField field) const {
    return objRec_ ? objRec_->Get(field) : std::string();
}

int16_t ClientM::CheckCli() { return objRec_ ? objRec_->CheckCli() : 1; }

void ClientM::CleanTexts() {
    if (objRec_) objRec_->CleanTexts();
}

void ClientM::CliType(int16_t type) {
    switch (type) {
    case 1: objRec_ = std::make_unique<Cliente1>(); break;
    case 2: objRec_ = std::make_unique<Cliente2>(); break;
    case 3: objRec_ = std::make_unique<Cliente3>(); break;
    case 4: objRec_ = std::make_unique<Cliente4>(); break;
    default: objRec_.reset(); break;
    }
}

bool ClientM::LoadWhole(const char* proc, std::string& bytes) {
    bytes.clear();
    if (!objRec_) {
        Fail(proc, "No customer record type");
        return false;
    }
    std::string why;
    if (!Upgrade(&why)) {
        Fail(proc, why);
        return false;
    }
    if (!platform::FileExists(strFile_)) return true;
    errno = 0;
    if (!platform::ReadFile(strFile_, bytes)) {
        Fail(proc, platform::FileErrorText(errno, strFile_));
        return false;
    }
    return true;
}

bool ClientM::AddCli() {
    std::string bytes;
    if (!LoadWhole("AddClient", bytes)) return false;
    const size_t len = static_cast<size_t>(objRec_->GetLen());
    const int32_t count = static_cast<int32_t>(bytes.size() / len);
    if (nCurrentRec_ < 1 || nCurrentRec_ > count + 1) {
        Fail("AddClient", "Bad record number");
        return false;
    }
    bytes.insert(static_cast<size_t>(nCurrentRec_ - 1) * len, objRec_->GetRecord());
    errno = 0;
    if (!tables::WriteWholeFile("", strFile_, bytes, tables::Report::Silent)) {
        Fail("AddClient", platform::FileErrorText(errno, strFile_));
        return false;
    }
    nCliNum_ = count + 1;
    return true;
}

bool ClientM::DelCli() {
    std::string bytes;
    if (!LoadWhole("DelCli", bytes)) return false;
    const size_t len = static_cast<size_t>(objRec_->GetLen());
    const int32_t count = static_cast<int32_t>(bytes.size() / len);
    if (nCurrentRec_ < 1 || nCurrentRec_ > count) {
        Fail("DelCli", "Bad record number");
        return false;
    }
    bytes.erase(static_cast<size_t>(nCurrentRec_ - 1) * len, len);
    errno = 0;
    if (!tables::WriteWholeFile("", strFile_, bytes, tables::Report::Silent)) {
        Fail("DelCli", platform::FileErrorText(errno, strFile_));
        return false;
    }
    nCliNum_ = count - 1;
    return true;
}

bool ClientM::GetCli(const std::string& code) {
    nCurrentRec_ = 1;
    if (!objRec_) {
        Fail("GetCli", "No customer record type");
        return false;
    }
    const std::string trimmed = tables::TrimBlanks(code);
    if (trimmed.size() > 12) return false;  // no stored code can match
    objRec_->Let(CliField::strCodice, trimmed);
    const std::string key = objRec_->Get(CliField::strCodice);
    if (!platform::FileExists(strFile_)) {
        Fail("GetCli", "File not found");
        return false;
    }
    const int64_t size = platform::FileSize(strFile_);
    const int32_t n = size > 0 ? static_cast<int32_t>(size / objRec_->GetLen()) : 0;
    if (n == 0) return false;
    int16_t file = Open();
    if (file == -1) {
        Fail("GetCli", "File cannot be opened");
        return false;
    }
    bool ok = true;
    auto read = [&](int32_t rec) -> std::string {
        std::string raw;
        if (!ok || !objRec_->ReadRec(file, raw, rec)) {
            ok = false;
            return std::string();
        }
        objRec_->SetRecord(raw);
        return objRec_->Get(CliField::strCodice);
    };
    bool found = false;
    int32_t current = 1;
    if (key < read(1)) {
        current = 1;
    } else if (key > read(n)) {
        current = n + 1;
    } else {
        int32_t lo = 1, hi = n;
        while (ok && !found && lo != hi) {
            const int32_t mid = static_cast<int32_t>((int64_t(lo) + hi) / 2);
            const std::string c = read(mid);
            if (c == key) {
                found = true;
                current = mid;
            } else if (key > c) {
                lo = lo == mid ? lo + 1 : mid;
            } else {
                hi = hi == mid ? hi - 1 : mid;
            }
        }
        if (ok && !found) {
            found = read(lo) == key;
            current = lo;
        }
    }
    CloseFile(file);
    if (!ok) {
        Fail("GetCli", "Input past end of file");
        return false;
    }
    nCurrentRec_ = current;
    return found;
}

bool ClientM::WriteCurrent(const char* proc) {
    if (!objRec_) {
        Fail(proc, "No customer record type");
        return false;
    }
    const int64_t size = platform::FileSize(strFile_);
    const int32_t count = size > 0 ? static_cast<int32_t>(size / objRec_->GetLen()) : 0;
    if (nCurrentRec_ < 1 || nCurrentRec_ > count + 1) {
        Fail(proc, "Bad record number");
        return false;
    }
    errno = 0;
    int16_t file = Open();
    const bool ok = file != -1 && objRec_->WriteRec(file, objRec_->GetRecord(), nCurrentRec_);
    const std::string why = platform::FileErrorText(errno, strFile_);
    CloseFile(file);
    if (!ok) Fail(proc, why);
    return ok;
}

bool ClientM::ModCli() { return WriteCurrent("ModCli"); }

bool ClientM::QueCli() {
    if (!WriteCurrent("ModCli")) return false;
    ++nCurrentRec_;
    ++nCliNum_;
    return true;
}
