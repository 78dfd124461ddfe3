#include "engine/service.h"

#include "core/config_level.h"
#include "core/globals.h"
#include "platform/profile.h"

bool CheckServiceCode(const std::string& typed) {
    std::string code = platform::ProfileString("Service", "code", "", Core.strSetupIni);
    if (code.empty() || typed != code) return false;
    ConfigLevel.ServiceMode(true);
    return true;
}
