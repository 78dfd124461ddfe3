#pragma once
// What the card frames share: the card date (in a MaskBox of "##/##/##")
// and the boxes that take digits only.
#include <string>

class QLineEdit;
class QWidget;
class FieldBox;

// The card date: the six digits of the box without its separators; a
// position left empty counts as 0.
std::string DateDigits(const QLineEdit* box);
// Shows the six digits of a card date with its separators.
void ShowDate(QLineEdit* box, const std::string& digits);
// The box takes digits only (a leading minus too when signed); a text the
// program shows stands as it is.
void DigitsOnly(FieldBox* box, bool signedNumber = false);
