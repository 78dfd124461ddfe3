#pragma once
// The user-interface font of every window: the user's own setting
// (settings store, "Settings" "Font"), else setup.ini [Appearance]
// "DefaultFont", else the default sans font. A font is written as its
// family, optionally followed by "," and a size in points ("DejaVu Sans,10").
#include <string>

struct FontChoice {
    std::string family;  // "" = the default sans font
    int pointSize = 0;   // 0 = the default size
};

// The font text to use ("" when neither the setting nor setup.ini has one).
std::string AppearanceFontText();
// "Family" or "Family,size" read into its parts; blanks around each part
// are ignored and a size that is not a whole number from 4 to 72 is left at 0.
FontChoice ParseFontText(const std::string& text);
// The font text of a choice.
std::string FontText(const FontChoice& font);
// Keeps the font as the user's own setting (at the main window's unload).
bool SaveAppearanceFont(const std::string& text);
