#pragma once
// The per-user settings store: a profile file at
// $XDG_CONFIG_HOME (default ~/.config)/Veltrana/ecrprog.ini.
// Section "Settings" key "Font"; section "Ports" keys "COM1".."COM16".
#include <string>

namespace platform {

std::string SettingsFile();
std::string GetSetting(const std::string& section, const std::string& key,
                       const std::string& def);
bool SaveSetting(const std::string& section, const std::string& key, const std::string& value);
// The device of serial port n: [Ports] "COMn", default /dev/ttyS(n-1).
// Empty when the number is no port, or when the settings file is there but
// cannot be read: its device is then unknown, not the default.
std::string PortDevice(int n);
// Why PortDevice(n) is empty, naming the settings file when it is the
// cause; empty when the device is known.
std::string PortDeviceProblem(int n);

}  // namespace platform
