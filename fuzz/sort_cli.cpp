// A customer file prepared outside the program through the import: its
// lines, the checks, the sort and the archive written, which is either
// whole records of the register's generation or, when the import was
// refused, the archive as it was.
//
// Input: one byte of settings (ImportRegister), then the source file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/client_file.h"
#include "fuzz_support.h"
#include "import_settings.h"
#include "platform/files.h"
#include "transfers/customers_import.h"
#include "store/table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string cash = fuzzsupport::FreshStart();
    fuzzsupport::ImportRegister(data[0]);
    const std::string source = cash + "/import.txt";
    platform::WriteFile(source, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    const std::string archive = cash + "/Clienti.txt";
    const std::string before = "an archive that is no import";
    platform::WriteFile(archive, before);
    const int32_t taken = SortCli(source, archive);
    std::string after;
    platform::ReadFile(archive, after);
    if (taken < 0 && after != before) abort();  // a refused import changed the archive
    if (taken >= 0) {
        ClientM cli;
        cli.CliType(ConfigLevel.GetClientType(Core.nOpenCash));
        if (after.size() != static_cast<size_t>(taken) * static_cast<size_t>(cli.GetLen())) abort();
    }
    return 0;
}
