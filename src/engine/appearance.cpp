#include "engine/appearance.h"

#include <cstdlib>

#include "core/globals.h"
#include "platform/profile.h"
#include "platform/settings.h"

namespace {

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

}  // namespace

std::string AppearanceFontText() {
    std::string font = Trim(platform::GetSetting("Settings", "Font", ""));
    if (font.empty() && !Core.strSetupIni.empty())
        font = Trim(platform::ProfileString("Appearance", "DefaultFont", "", Core.strSetupIni));
    return font;
}

FontChoice ParseFontText(const std::string& text) {
    FontChoice font;
    size_t comma = text.rfind(',');
    font.family = Trim(comma == std::string::npos ? text : text.substr(0, comma));
    if (comma != std::string::npos) {
        std::string size = Trim(text.substr(comma + 1));
        char* end = nullptr;
        long points = std::strtol(size.c_str(), &end, 10);
        if (!size.empty() && end && *end == '\0' && points >= 4 && points <= 72)
            font.pointSize = static_cast<int>(points);
    }
    return font;
}

std::string FontText(const FontChoice& font) {
    if (font.family.empty()) return std::string();
    if (font.pointSize <= 0) return font.family;
    return font.family + "," + std::to_string(font.pointSize);
}

bool SaveAppearanceFont(const std::string& text) {
    return platform::SaveSetting("Settings", "Font", text);
}
