#include "transfers/read_edits.h"

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
