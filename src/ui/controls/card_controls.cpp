#include "ui/controls/card_controls.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ui/controls/qt_text.h"
#include "ui/controls/editor_controls.h"

std::string DateDigits(const QLineEdit* box) {
    // The box's text with its prompts, as it stands: characters 1-2, 4-5
    // and 7-8 are the three groups of the date.
    std::string text = FromQt(box->displayText());
    text.resize(8, '_');
    std::string digits = text.substr(0, 2) + text.substr(3, 2) + text.substr(6, 2);
    for (char& c : digits)
        if (c < '0' || c > '9') c = '0';
    return digits;
}

void ShowDate(QLineEdit* box, const std::string& digits) {
    std::string d = digits;
    d.resize(6, ' ');
    box->setText(ToQt(d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4, 2)));
}

void DigitsOnly(FieldBox* box, bool signedNumber) {
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(signedNumber ? "-?[0-9]*" : "[0-9]*"), box));
}
