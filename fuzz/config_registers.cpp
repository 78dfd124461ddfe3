// The register list of config.ini ([Casse], "Cn=number|name|...|enabled")
// as an installation's file may hold it: read into the list, checked, and
// written back.
//
// Input: the bytes of config.ini.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cash_list.h"
#include "fuzz_support.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string cash = fuzzsupport::FreshStart();
    const std::string config = Core.strRootDir + "/config.ini";
    platform::WriteFile(config, std::string(reinterpret_cast<const char*>(data), size));
    LoadCassaList();
    LoadCasseConf();
    SaveCasse();
    LoadCassaList();
    (void)cash;
    return 0;
}
