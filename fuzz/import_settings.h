#pragma once
// The register an import fuzz target works for, from one byte of its input:
// bits 6-7 the model, bits 4-5 the release (which picks the customer
// record's generation on the newer models). Always a command-line run: an
// interactive import with errors would start the text editor on its list.
#include <cstdint>

#include "core/config_level.h"
#include "core/globals.h"
#include "engine/open_register.h"
#include "fuzz_support.h"
#include "platform/files.h"
#include "store/table_file.h"

namespace fuzzsupport {

inline void ImportRegister(uint8_t settings) {
    static const int16_t models[] = {1, 3, 6, 9};  // LX4100 and three of the other family
    static const char* const releases[] = {"V014057", "R022002", "R022040", "R030000"};
    ConfigLevel.InitOffLine(models[settings >> 6], releases[(settings >> 4) & 3]);
    ConfigLevel.SetCashVersion(Core.nOpenCash, releases[(settings >> 4) & 3]);
    Core.bInteractive = false;
    SetTableSizes();
}

// A dump read's file in a fresh folder: the first byte chooses the register
// (ImportRegister) and the protocol level, the rest is the file.
inline void DumpFile(const uint8_t* data, size_t size, const char* file) {
    FreshStart();
    ImportRegister(data[0]);
    int16_t level = data[0] & 1;
    ConfigLevel.SetProtoLevel(Core.nOpenCash, level);
    platform::WriteFile(tables::TablePath(file),
                        std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
}

}  // namespace fuzzsupport
