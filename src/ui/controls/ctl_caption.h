#pragma once
// Caption of a control from the language file: an empty text hides the
// control (its old caption stays), so a missing text never shows a blank.
#include <string>

class QWidget;

// Sets the text of a label, button or group box, or else the window title.
// The text is Windows-1252.
void SetCtlCaption(QWidget* ctl, const std::string& text);
