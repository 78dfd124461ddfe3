#include "ui/frmList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/qt_text.h"
#include "core/shell_state.h"
#include "ui/frmMain.h"

namespace {


QPointer<frmList> instance;

}  // namespace

frmList* frmList::Instance() {
    if (!instance) instance = new frmList(fMainForm);
    return instance;
}

void frmList::Unload() {
    if (instance) delete instance.data();
}

bool frmList::Exists() { return !instance.isNull(); }

frmList::frmList(QWidget* parent) : QDialog(parent) {
    setObjectName("frmList");
    setModal(true);
    lvwList = new QTreeWidget(this);
    lvwList->setObjectName("lvwList");
    lvwList->setRootIsDecorated(false);
    lvwList->setUniformRowHeights(true);
    lvwList->setAllColumnsShowFocus(true);
    lvwList->header()->setStretchLastSection(false);
    QHBoxLayout* buttons = AddOkCancel(this, cmdOk, cmdCancel);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(lvwList, &QTreeWidget::itemDoubleClicked, this, [this] { cmdOk_Click(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvwList, 1);
    layout->addLayout(buttons);
    frmMain::SetAppearance(this);
    SetOkCancelCaptions(cmdOk, cmdCancel);
    resize(520, 360);
}

void frmList::ClearList() {
    lvwList->clear();
    lvwList->setColumnCount(0);
    lvwList->setHeaderLabels({});
}

void frmList::AddColumn(const std::string& caption, float share) {
    const int column = lvwList->columnCount();
    lvwList->setColumnCount(column + 1);
    QTreeWidgetItem* header = lvwList->headerItem();
    header->setText(column, ToQt(caption));
    // The list's width as laid out, also before the window is first shown.
    if (layout() && !isVisible()) layout()->setGeometry(rect());
    const int listTwips = PixelsToTwips(lvwList->width() - 2 * lvwList->frameWidth());
    const int width = TwipsToPixels(static_cast<int32_t>(listTwips * share) - 450);
    lvwList->setColumnWidth(column, std::max(width, 24));
}

void frmList::SetList(int row, int column, const std::string& text) {
    if (row < 0 || column < 0) return;
    if (column >= lvwList->columnCount()) lvwList->setColumnCount(column + 1);
    while (lvwList->topLevelItemCount() <= row) new QTreeWidgetItem(lvwList);
    lvwList->topLevelItem(row)->setText(column, ToQt(text));
}

std::string frmList::List(int row, int column) const {
    if (row < 0 || row >= lvwList->topLevelItemCount() || column < 0 ||
        column >= lvwList->columnCount())
        return std::string();
    return FromQt(lvwList->topLevelItem(row)->text(column));
}

int frmList::Rows() const { return lvwList->topLevelItemCount(); }

void frmList::SetCaption(const std::string& caption) { setWindowTitle(ToQt(caption)); }

int frmList::ShowModal() {
    SetOkCancelCaptions(cmdOk, cmdCancel);
    selected_ = -1;
    exec();
    return selected_;
}

void frmList::cmdOk_Click() {
    QTreeWidgetItem* item = lvwList->currentItem();
    selected_ = item ? lvwList->indexOfTopLevelItem(item) : -1;
    accept();
}

void frmList::cmdCancel_Click() {
    selected_ = -1;
    reject();
}
