#include "transfers/read_edits.h"

#include <vector>

#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "store/table_file.h"
#include "transfers/transfer.h"

namespace {

std::vector<ReadEdits*>& Instances() {
    static std::vector<ReadEdits*> all;
    return all;
}

void DropAll() {
    for (ReadEdits* edits : Instances()) edits->Drop();
}

}  // namespace

ReadEdits::ReadEdits(const char* fileName, const tables::RecordLayout& (*layout)())
    : fileName_(fileName), layout_(layout) {
    static const bool added = AddReadDropper(&DropAll);
    (void)added;
    Instances().push_back(this);
}

ReadEdits::~ReadEdits() { std::erase(Instances(), this); }

void ReadEdits::Touch() {
    const std::string path = tables::TablePath(fileName_);
    const double now = platform::Timer();
    const bool silent = LinkState.sngAnsTimeout > 0 && now > lastLine_ + LinkState.sngAnsTimeout;
    if (path != path_ || silent) records_.clear();
    path_ = path;
    lastLine_ = now;
}

std::string ReadEdits::Get(int32_t n) {
    Touch();
    auto it = records_.find(n);
    if (it != records_.end()) return it->second;
    const tables::RecordLayout& layout = layout_();
    std::string record(static_cast<size_t>(layout.Length()), ' ');
    if (n >= 1 && platform::FileExists(path_) &&
        tables::ReadRecordAt("", path_, n, record, tables::Report::Silent))
        return record;
    return tables::DefaultRecordBytes(layout, n);
}

void ReadEdits::Put(int32_t n, const std::string& record) {
    Touch();
    records_[n] = record;
}

void ReadEdits::Drop() { records_.clear(); }

bool ReadEdits::Commit(std::string& error) {
    // Changes left in another folder, or by a read that fell silent, are not
    // this read's: they are dropped here, never written.
    Touch();
    std::map<int32_t, std::string> records;
    records.swap(records_);
    if (records.empty()) return true;
    if (tables::StoreRecords(path_, layout_(), records, error)) return true;
    if (error.empty()) error = "cannot write";
    return false;
}

int16_t CloseEditedRead(int16_t& pending, ReadEdits& edits) {
    pending = False;
    std::string error;
    if (edits.Commit(error)) {
        CopyRecvFile(std::string("\\") + edits.FileName());
    } else {
        ReportTransferFailure(GetText("Log", "nowrite") + " " + tables::TablePath(edits.FileName()) +
                              ": " + error);
    }
    return EndTableRead();
}

int16_t RefuseEditedLine(const ReadEdits& edits) {
    ReportTransferProblem(GetText("Log", "notstored") + " " + edits.FileName() + ": " +
                          tables::BlankControls(AnswerRec.strAnsData));
    SendAck();
    return -1;
}
