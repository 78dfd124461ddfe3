#pragma once
// Caption of a control from the language file: an empty text hides the
// control (its old caption stays), so a missing text never shows a blank.
#include <string>

class QWidget;

// Sets the text of a label, button or group box, or else the window title.
// The text is Windows-1252.
void SetCtlCaption(QWidget* ctl, const std::string& text);

// The name of a field for a status text: the text of the label beside it
// (or above it, at the head of its column), else its name without the
// control's prefix ("txtP511" gives "P511", "txtP432_1" gives "P432 2").
std::string FieldCaption(const QWidget* control);
