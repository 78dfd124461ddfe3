// A PLU dump as a register sent it (C08.txt, one line a record, PLUs and
// offers mixed) through its import into PLU.txt and Offerte.txt.
//
// Input: one byte of settings (ImportRegister; bit 0 the PLU protocol level
// 1), then the dump.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "import_settings.h"
#include "platform/files.h"
#include "transfers/plu_transfer.h"
#include "store/table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzzsupport::DumpFile(data, size, kC08File);
    ImportC08();
    return 0;
}
