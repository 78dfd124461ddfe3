#include "ui/controls/ctl_caption.h"

#include <QAbstractButton>
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
