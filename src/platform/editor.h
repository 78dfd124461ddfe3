#pragma once
#include <string>

namespace platform {

// Opens the file in the system text editor ($VISUAL, else $EDITOR, else
// xdg-open) without waiting for it. False with a reason when no program
// could be started.
bool OpenInTextEditor(const std::string& file, std::string& error);

}  // namespace platform
