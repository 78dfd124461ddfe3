// A customer dump as a register sent it (C16.txt, one line a customer)
// through its import into the register's archive.
//
// Input: one byte of settings (ImportRegister; bit 0 the protocol level 1),
// then the dump.
#include <cstddef>
#include <cstdint>
#include <string>

#include "store/client_file.h"
#include "fuzz_support.h"
#include "import_settings.h"
#include "platform/files.h"
#include "transfers/customers_transfer.h"
#include "store/table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzzsupport::DumpFile(data, size, kC16File);
    ImportC16();
    return 0;
}
