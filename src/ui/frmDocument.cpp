#include "ui/frmDocument.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "core/cash_list.h"
#include "core/globals.h"
#include "engine/comm_settings.h"
#include "engine/open_register.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "ui/customer_editors.h"
#include "ui/setup_editors.h"
#include "core/link_state.h"
#include "engine/document.h"
#include "engine/registry.h"
#include "link/cmd_queue.h"
#include "core/shell_state.h"
#include "ui/frmMain.h"
#include "ui/draw_pacer.h"
#include "core/config_level.h"

frmDocument* fDocForm = nullptr;

namespace {

enum NodeKind { kGroupNode = 0, kRegisterNode = 1, kEditorNode = 2 };
constexpr int kKindRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;

// A counter's panel. It stays empty until the counter is first shown.
QLabel* Panel(QWidget* parent, const char* name) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setMinimumWidth(40);
    return panel;
}

}  // namespace

frmDocument::frmDocument(QWidget* parent) : QWidget(parent) {
    setObjectName("frmDocument");
    fDocForm = this;

    tvwConfig = new QTreeWidget(this);
    tvwConfig->setObjectName("tvwConfig");
    tvwConfig->setHeaderHidden(true);
    tvwConfig->setColumnCount(1);
    tvwConfig->setRootIsDecorated(true);
    pgbStatus = new QProgressBar(this);
    pgbStatus->setObjectName("pgbStatus");
    pgbStatus->setTextVisible(false);
    pgbStatus->setMaximumHeight(14);
    lblPanel7 = Panel(this, "lblPanel7");
    lblPanel8 = Panel(this, "lblPanel8");
    lblCntRec = new QLabel(this);
    lblCntRec->setObjectName("lblCntRec");
    lblCntPend = new QLabel(this);
    lblCntPend->setObjectName("lblCntPend");

    auto* panels = new QHBoxLayout;
    panels->setSpacing(2);
    panels->addWidget(lblCntRec);
    panels->addWidget(lblPanel7, 1);
    panels->addSpacing(4);
    panels->addWidget(lblCntPend);
    panels->addWidget(lblPanel8, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);
    layout->addWidget(tvwConfig, 1);
    layout->addWidget(pgbStatus);
    layout->addLayout(panels);

    barPacer_ = std::make_unique<DrawPacer>([this] {
        pgbStatus->setRange(range_.Minimum(), range_.Maximum());
        pgbStatus->setValue(range_.Value());
    });
    panelPacer_ = std::make_unique<DrawPacer>([this] {
        lblPanel7->setText(ToQt(panel7_));
        lblPanel8->setText(ToQt(panel8_));
    });
    SetPGBValue(-1);
    connect(tvwConfig, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ItemChosen(item); });
    connect(tvwConfig, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ItemChosen(item); });
}

frmDocument::~frmDocument() {
    if (fDocForm == this) fDocForm = nullptr;
}

void frmDocument::Load() {
    frmMain::SetAppearance(this);
    SetTexts();
    RegisterSetupEditors();
    RegisterCustomerEditors();
    if (Core.bInteractive) {
        LoadCasseConf();
        CommReadTimeout();
        // The first register of the list is the one the user works on.
        for (int i = 0; i < kMaxCash; ++i) {
            if (CassaList[i].bDefined) {
                ChooseRegister(static_cast<int16_t>(i));
                break;
            }
        }
    }
    FillTree();
}

void frmDocument::SetTexts() {
    // Each caption and its panel share the tooltip that says what it counts.
    const struct {
        QLabel* caption;
        QLabel* panel;
        const char* captionKey;
        const char* tipKey;
    } counters[] = {{lblCntRec, lblPanel7, "lblCntRec", "tipCntRec"},
                    {lblCntPend, lblPanel8, "lblCntPend", "tipCntPend"}};
    for (const auto& c : counters) {
        c.caption->setText(ToQt(GetText("frmDocument", c.captionKey)));
        const QString tip = ToQt(GetText("frmDocument", c.tipKey));
        c.caption->setToolTip(tip);
        c.panel->setToolTip(tip);
    }
}

void frmDocument::FillTree() {
    tvwConfig->clear();
    auto* registers = new QTreeWidgetItem(tvwConfig, {ToQt(GetText("Nodi", kRegistersNodeKey))});
    registers->setData(0, kKindRole, kGroupNode);
    FillRegisters(registers);
    registers->setExpanded(true);

    QTreeWidgetItem* group = nullptr;
    std::string groupKey;
    for (const EditorNode& node : EditorNodes()) {
        if (node.table && !ModelHasTable(node.table)) continue;
        if (!group || groupKey != node.groupKey) {
            groupKey = node.groupKey;
            group = new QTreeWidgetItem(tvwConfig, {ToQt(GetText("Nodi", groupKey))});
            group->setData(0, kKindRole, kGroupNode);
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group, {ToQt(GetText("Nodi", node.nodiKey))});
        item->setData(0, kKindRole, kEditorNode);
        item->setData(0, kValueRole, QString::fromLatin1(node.key));
        // An editor that is not part of the program yet cannot be chosen.
        if (!EditorRegistered(node.key)) item->setDisabled(true);
    }
    MarkCurrentRegister();
}

void frmDocument::FillRegisters(QTreeWidgetItem* registers) {
    qDeleteAll(registers->takeChildren());
    for (int i = 0; i < kMaxCash; ++i) {
        if (!CassaList[i].bDefined) continue;
        auto* item = new QTreeWidgetItem(registers, {ToQt(RegisterNodeCaption(i))});
        item->setData(0, kKindRole, kRegisterNode);
        item->setData(0, kValueRole, i);
    }
}

void frmDocument::FollowRegisters() {
    QTreeWidgetItem* registers = tvwConfig->topLevelItem(0);
    if (!registers) return;
    // The nodes are made again only when the list of registers differs from
    // what they show, so that the tree keeps its place otherwise.
    int shown = 0;
    bool same = true;
    for (int i = 0; i < kMaxCash && same; ++i) {
        if (!CassaList[i].bDefined) continue;
        const QTreeWidgetItem* item = registers->child(shown++);
        same = item && item->data(0, kValueRole).toInt() == i && item->text(0) == ToQt(RegisterNodeCaption(i));
    }
    if (!same || shown != registers->childCount()) FillRegisters(registers);
    MarkCurrentRegister();
}

void frmDocument::MarkCurrentRegister(bool highlight) {
    QTreeWidgetItem* registers = tvwConfig->topLevelItem(0);
    if (!registers) return;
    for (int i = 0; i < registers->childCount(); ++i) {
        QTreeWidgetItem* item = registers->child(i);
        const bool current = item->data(0, kValueRole).toInt() == LinkState.nCurCash;
        QFont font = item->font(0);
        font.setBold(current);
        item->setFont(0, font);
        if (current && highlight) tvwConfig->setCurrentItem(item);
    }
}

void frmDocument::MarkCurrentEditor() {
    const QString key = QString::fromStdString(ShellState.strCurFrmKey);
    for (QTreeWidgetItemIterator it(tvwConfig); *it; ++it)
        if ((*it)->data(0, kKindRole).toInt() == kEditorNode && (*it)->data(0, kValueRole).toString() == key) {
            tvwConfig->setCurrentItem(*it);
            return;
        }
}

void frmDocument::ItemChosen(QTreeWidgetItem* item) {
    if (!item || item->isDisabled()) return;
    const int kind = item->data(0, kKindRole).toInt();
    if (kind == kEditorNode) {
        // An editor that stays (the user kept a change it cannot save yet)
        // keeps its node marked.
        if (!ShowForm(item->data(0, kValueRole).toString().toStdString())) MarkCurrentEditor();
        return;
    }
    if (kind != kRegisterNode) return;
    const int16_t index = static_cast<int16_t>(item->data(0, kValueRole).toInt());
    if (index == LinkState.nCurCash && Core.nOpenCash == index) return;
    // While an operation runs (or waits in the queue) the open folder is
    // the one it works on: the register chosen stays, and the user is told.
    if (ExchangeRunning()) {
        MarkCurrentRegister(true);
        ShowMsg("busy", "");
        return;
    }
    // The editor on screen saves into the register it shows before the
    // other register's folder is opened; then it comes back with its data.
    const std::string key = ShellState.strCurFrmKey;
    if (!CloseCurrentEditor()) {
        MarkCurrentRegister();
        MarkCurrentEditor();
        return;
    }
    ChooseRegister(index);
    MarkCurrentRegister();
    if (!key.empty()) ShowForm(key);
}

void frmDocument::SetPGBRange(int32_t minimum, int32_t maximum) {
    range_.SetRange(minimum, maximum);
    barPacer_->DrawNow();
}

void frmDocument::SetPGBValue(int32_t value) {
    range_.SetValue(value);
    // The end of a transfer (-1) and its last step are drawn at once.
    if (value == -1 || range_.Value() == range_.Maximum())
        barPacer_->DrawNow();
    else
        barPacer_->Changed();
}

void frmDocument::IncPGBValue() {
    range_.Inc();
    if (range_.Value() == range_.Maximum())
        barPacer_->DrawNow();
    else
        barPacer_->Changed();
}

void frmDocument::SetPanelText(int panel, const std::string& text) {
    if (panel == 7) panel7_ = text;
    if (panel == 8) panel8_ = text;
    if (panel == 7 || panel == 8) panelPacer_->Changed();
}

std::string frmDocument::PanelText(int panel) const {
    return panel == 7 ? panel7_ : panel == 8 ? panel8_ : std::string();
}

int frmDocument::ContentWidth() const {
    int widest = 0;
    std::function<void(QTreeWidgetItem*, int)> measure = [&](QTreeWidgetItem* item, int level) {
        QFontMetrics metrics(item->font(0));
        widest = std::max(widest, (level + 1) * tvwConfig->indentation() +
                                      metrics.horizontalAdvance(item->text(0)));
        for (int i = 0; i < item->childCount(); ++i) measure(item->child(i), level + 1);
    };
    for (int i = 0; i < tvwConfig->topLevelItemCount(); ++i) measure(tvwConfig->topLevelItem(i), 0);
    // The item's text margins, the tree's frame and the window's margins.
    const int chrome = 12 + 2 * tvwConfig->frameWidth() + 4 +
                       tvwConfig->verticalScrollBar()->sizeHint().width();
    return widest + chrome;
}

int32_t frmDocument::LeftTwips() const {
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    return PixelsToTwips(frame->mapTo(window(), QPoint(0, 0)).x());
}

int32_t frmDocument::TopTwips() const {
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    return PixelsToTwips(frame->mapTo(window(), QPoint(0, 0)).y());
}

int32_t frmDocument::WidthTwips() const {
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    return PixelsToTwips(frame->width());
}

int32_t frmDocument::HeightTwips() const {
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    return PixelsToTwips(frame->height());
}
