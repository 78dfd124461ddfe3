// A PLU or offer file prepared outside the program through the import: the
// checks, the sort, the error list and the file written, which is either
// whole records or, when the import was refused, the file as it was.
//
// Input: one byte of settings (bit 0 offers, bit 1 sorting off, bit 2 codes
// compared trimmed, bits 4-7 as ImportRegister), then the source file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/cassa_conf.h"
#include "fuzz_support.h"
#include "import_settings.h"
#include "platform/files.h"
#include "store/plu.h"
#include "transfers/plu_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string cash = fuzzsupport::FreshStart();
    const uint8_t settings = data[0];
    fuzzsupport::ImportRegister(settings);
    Core.bSortImport = (settings & 2) == 0;
    CassaConf.P210 = (settings & 4) ? 1 : 0;
    const std::string source = cash + "/import.txt";
    platform::WriteFile(source, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    const bool offers = settings & 1;
    const std::string destination = offers ? OffFilePath() : PLUFilePath();
    const std::string before = "a file that is no import";
    platform::WriteFile(destination, before);
    const bool taken = offers ? SortOffer(source, destination) : SortPLU(source, destination);
    std::string after;
    platform::ReadFile(destination, after);
    if (!taken && after != before) abort();  // a refused import changed the file
    if (taken && after.size() % kPLURecLen != 0) abort();
    return 0;
}
