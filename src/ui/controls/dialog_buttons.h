#pragma once
// The button row of the small dialogs.
#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

// The widgets in a row, on its right.
QHBoxLayout* RightAlignedRow(std::initializer_list<QWidget*> widgets);
// A dialog's OK and Cancel buttons (named cmdOk and cmdCancel, OK the
// default button) and their row.
QHBoxLayout* AddOkCancel(QWidget* dialog, QPushButton*& ok, QPushButton*& cancel);
// Their captions from the language file ("Comandi" 13 and 14).
void SetOkCancelCaptions(QPushButton* ok, QPushButton* cancel);
