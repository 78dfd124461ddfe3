#include "ui/controls/range_controls.h"

#include <QCheckBox>
#include <QPushButton>

#include "ui/controls/editor_controls.h"

RangeControls::RangeControls(QWidget* parent, int limitLength, std::function<std::string()> shown)
    : chkAll(NewCheck(parent, "chkAll")),
      txtFrom(new FieldBox(parent, "txtFrom", limitLength)),
      txtTo(new FieldBox(parent, "txtTo", limitLength)),
      cmdFrom(NewButton(parent, "cmdFrom")),
      cmdTo(NewButton(parent, "cmdTo")) {
    QObject::connect(chkAll, &QCheckBox::toggled, parent, [this] { chkAll_Click(); });
    QObject::connect(cmdFrom, &QPushButton::clicked, parent, [this, shown] { txtFrom->Show(shown()); });
    QObject::connect(cmdTo, &QPushButton::clicked, parent, [this, shown] { txtTo->Show(shown()); });
}

void RangeControls::chkAll_Click() {
    const bool limits = !chkAll->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(txtFrom), static_cast<QWidget*>(txtTo),
                       static_cast<QWidget*>(cmdFrom), static_cast<QWidget*>(cmdTo)})
        w->setEnabled(limits);
}
