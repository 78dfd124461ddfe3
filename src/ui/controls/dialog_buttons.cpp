#include "ui/controls/dialog_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "core/texts.h"
#include "ui/controls/ctl_caption.h"

QHBoxLayout* RightAlignedRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* w : widgets) row->addWidget(w);
    return row;
}

QHBoxLayout* AddOkCancel(QWidget* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(dialog);
    ok->setObjectName("cmdOk");
    ok->setDefault(true);
    cancel = new QPushButton(dialog);
    cancel->setObjectName("cmdCancel");
    return RightAlignedRow({ok, cancel});
}

void SetOkCancelCaptions(QPushButton* ok, QPushButton* cancel) {
    SetCtlCaption(ok, GetText("Comandi", "13"));
    SetCtlCaption(cancel, GetText("Comandi", "14"));
}
