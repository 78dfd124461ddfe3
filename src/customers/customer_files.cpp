// Creation of the customer archive and the customer groups file.
#include "customers/customer_files.h"

#include "core/table_sizes.h"
#include "tables/table_file.h"

using namespace tables;

const RecordLayout& ClientGroupRec::Layout() {
    static const RecordLayout layout(sizeof(ClientGroupRec), 0, {
        TABLE_FIELD(ClientGroupRec, Code, Number),
        TABLE_FIELD(ClientGroupRec, GroupDesc1, Text),
        TABLE_FIELD(ClientGroupRec, end, End),
    });
    return layout;
}

bool CreateCli() {
    return WriteWholeFile("CreateCli", TablePath(kClientiFile), std::string(), Report::Silent);
}

bool CreateClientGroup() {
    constexpr Table<ClientGroupRec> kClientGroup{"ClientGroup", kClientGFile, Report::MsgBox};
    return kClientGroup.Create(Sizes.nMaxClientG);
}
