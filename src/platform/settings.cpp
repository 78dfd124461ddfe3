// The per-user settings store, a profile file in the user's configuration
// folder.
#include "platform/settings.h"

#include "platform/files.h"
#include "platform/profile.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform {
namespace {

std::string ConfigHome() {
    // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory
    // rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0]) return JoinPath(home, ".config");
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return JoinPath(pw->pw_dir, ".config");
    return ".config";
}

}  // namespace

std::string SettingsFile() { return JoinPath(ConfigHome(), "Veltrana/ecrprog.ini"); }

std::string GetSetting(const std::string& section, const std::string& key,
                       const std::string& def) {
    return ProfileString(section, key, def, SettingsFile());
}

bool SaveSetting(const std::string& section, const std::string& key, const std::string& value) {
    if (!MakeDir(JoinPath(ConfigHome(), "Veltrana"))) return false;
    return WriteProfileString(section, key, value, SettingsFile());
}

std::string PortDevice(int n) {
    // A port named in a settings file that cannot be read is not taken for
    // the default device, which may be another line altogether.
    if (n < 1 || ProfileUnreadable(SettingsFile())) return {};
    std::string device = GetSetting("Ports", "COM" + std::to_string(n), "");
    if (!device.empty()) return device;
    return "/dev/ttyS" + std::to_string(n - 1);
}

std::string PortDeviceProblem(int n) {
    if (n < 1) return "COM" + std::to_string(n) + " is no port number";
    if (ProfileUnreadable(SettingsFile()))
        return "the device of COM" + std::to_string(n) + " is unknown: the settings file " +
               SettingsFile() + " cannot be read (over 16 MB, or not a readable file)";
    return {};
}

}  // namespace platform
