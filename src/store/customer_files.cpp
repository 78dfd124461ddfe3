// Creation of the customer archive and the customer groups file.
#include "store/customer_files.h"

#include "core/table_sizes.h"
#include "store/table_file.h"

using namespace tables;

bool CreateCli() {
    return WriteWholeFile("CreateCli", TablePath(kClientiFile), std::string(), Report::Silent);
}

bool CreateClientGroup() {
    constexpr Table<ClientGroupRec> kClientGroup{"ClientGroup", kClientGFile, Report::MsgBox};
    return kClientGroup.Create(Sizes.nMaxClientG);
}
