#pragma once
// ClientGroupsM: the one way into a register's customer groups file
// (ClientG.txt): one record per group, record n = group n, nMaxClientG
// records. Each call opens the file and closes it again.
#include <cstdint>
#include <string>

#include "core/record.h"

// One customer group (26 characters).
struct ClientGroupRec {
    tables::Fixed<3> Code;         // group number, "001"
    tables::Fixed<21> GroupDesc1;  // description
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(ClientGroupRec) == 26);

class ClientGroupsM {
public:
    // The groups file; with showErrors a failing read or write shows a
    // message box ("GetGroup - " or "SetGroup - " and the description).
    void SetFile(const std::string& path, bool showErrors);
    // Reads group n (1 to nMaxClientG) into the record; Code comes back as
    // the number without leading zeros, left-aligned ("1  "). False (Code
    // blank, the rest as it was) for a group outside the table or a failed
    // read.
    bool GetGroup(int32_t group, ClientGroupRec& rec) const;
    // Writes the record as the group its Code names, the code zero-padded
    // ("007") and CR LF at the end; the caller's record is not changed. A
    // code that is not a group of the table (1 to nMaxClientG) writes
    // nothing and gives false.
    bool SetGroup(const ClientGroupRec& rec) const;

private:
    std::string strFile_;
    bool bShowErr_ = false;
};
