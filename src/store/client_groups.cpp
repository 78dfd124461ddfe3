#include "store/client_groups.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

const RecordLayout& ClientGroupRec::Layout() {
    static const RecordLayout layout(sizeof(ClientGroupRec), 0, {
        TABLE_FIELD(ClientGroupRec, Code, Number),
        TABLE_FIELD(ClientGroupRec, GroupDesc1, Text),
        TABLE_FIELD(ClientGroupRec, end, End),
    });
    return layout;
}

void ClientGroupsM::SetFile(const std::string& path, bool showErrors) {
    strFile_ = path;
    bShowErr_ = showErrors;
}

bool ClientGroupsM::GetGroup(int32_t group, ClientGroupRec& rec) const {
    const Report report = bShowErr_ ? Report::MsgBox : Report::Silent;
    rec.Code = "";
    if (group < 1 || group > Sizes.nMaxClientG) {
        ReportFileError("GetGroup", "Bad record number", report);
        return false;
    }
    ClientGroupRec read;
    if (!GetRecord("GetGroup", strFile_, group, read, report)) return false;
    rec = read;
    rec.Code.PutLeftNum(read.Code.Num());
    return true;
}

bool ClientGroupsM::SetGroup(const ClientGroupRec& rec) const {
    const Report report = bShowErr_ ? Report::MsgBox : Report::Silent;
    const std::string code = rec.Code.Trim();
    const int32_t group = code.find_first_not_of("0123456789") == std::string::npos && !code.empty()
                              ? NumValue(code)
                              : 0;
    if (group < 1 || group > Sizes.nMaxClientG) {
        ReportFileError("SetGroup", "Bad record number", report);
        return false;
    }
    ClientGroupRec copy = rec;
    copy.Code.PutNum(group);
    return SaveRecord("SetGroup", strFile_, group, copy, report);
}
