#include "ui/controls/ctl_caption.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "ui/controls/qt_text.h"

void SetCtlCaption(QWidget* ctl, const std::string& text) {
    if (!ctl) return;
    if (text.empty()) {
        ctl->setVisible(false);
        return;
    }
    QString caption = ToQt(text);
    if (auto* label = qobject_cast<QLabel*>(ctl))
        label->setText(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(ctl))
        button->setText(caption);
    else if (auto* group = qobject_cast<QGroupBox*>(ctl))
        group->setTitle(caption);
    else
        ctl->setWindowTitle(caption);
}

namespace {

// The shown text of a label, or "" for anything else.
std::string LabelText(QLayoutItem* item) {
    auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    if (!label || label->isHidden()) return {};
    // A label of no word (a column's number) does not name the field.
    const QString text = label->text().remove('&');
    for (QChar c : text)
        if (c.isLetter()) return FromQt(text);
    return {};
}

// The label that names the control in the layout that holds it.
std::string LabelBeside(QLayout* layout, const QWidget* control) {
    const int at = layout->indexOf(const_cast<QWidget*>(control));
    if (at < 0) return {};
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        auto* label = qobject_cast<QLabel*>(form->labelForField(const_cast<QWidget*>(control)));
        return label ? FromQt(label->text().remove('&')) : std::string();
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(at, &row, &column, &rows, &columns);
        // The nearest control on its left, when a label; a label there of
        // no word leaves the field unnamed by the layout.
        for (int c = column - 1; c >= 0; --c)
            if (QLayoutItem* left = grid->itemAtPosition(row, c)) {
                if (qobject_cast<QLabel*>(left->widget())) return LabelText(left);
                break;
            }
        // The head of the column: the nearest control above, when a label.
        for (int r = row - 1; r >= 0; --r)
            if (QLayoutItem* above = grid->itemAtPosition(r, column)) return LabelText(above);
        return {};
    }
    if (at > 0) return LabelText(layout->itemAt(at - 1));
    return {};
}

}  // namespace

std::string FieldCaption(const QWidget* control) {
    if (QWidget* parent = control->parentWidget()) {
        QList<QLayout*> layouts = parent->findChildren<QLayout*>();
        if (parent->layout()) layouts.prepend(parent->layout());
        for (QLayout* layout : layouts)
            if (std::string t = LabelBeside(layout, control); !t.empty()) {
                while (!t.empty() && (t.back() == ':' || t.back() == ' ')) t.pop_back();
                return t;
            }
    }
    std::string name = control->objectName().toStdString();
    size_t from = 0;
    while (from < name.size() && name[from] >= 'a' && name[from] <= 'z') ++from;
    name = name.substr(from);
    const size_t bar = name.rfind('_');
    if (bar != std::string::npos && bar + 1 < name.size() &&
        name.find_first_not_of("0123456789", bar + 1) == std::string::npos)
        name = name.substr(0, bar) + " " + std::to_string(std::stoi(name.substr(bar + 1)) + 1);
    return name;
}

