#pragma once
// The register an import fuzz target works for, from one byte of its input:
// bits 6-7 the model, bits 4-5 the release (which picks the customer
// record's generation on the newer models). Always a command-line run: an
// interactive import with errors would start the text editor on its list.
#include <cstdint>

#include "core/config_level.h"
#include "core/globals.h"
#include "engine/open_register.h"

namespace fuzzsupport {

inline void ImportRegister(uint8_t settings) {
    static const int16_t models[] = {1, 3, 6, 9};  // LX4100 and three of the other family
    static const char* const releases[] = {"V014057", "R022002", "R022040", "R030000"};
    ConfigLevel.InitOffLine(models[settings >> 6], releases[(settings >> 4) & 3]);
    ConfigLevel.SetCashVersion(Core.nOpenCash, releases[(settings >> 4) & 3]);
    Core.bInteractive = false;
    SetTableSizes();
}

}  // namespace fuzzsupport
