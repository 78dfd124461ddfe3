#include "ui/frmTastiera.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <vector>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "core/field_rules.h"
#include "link/cmd_queue.h"
#include "platform/profile.h"
#include "engine/cycle.h"
#include "engine/operation.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "core/shell_state.h"

int16_t nKeybLevel = 0;

namespace {

// The key grid in twips: a key's place is column x 540 + 180, row x 405 +
// 2475; a key is a little smaller than its cell.
constexpr int kCellWidth = 540, kCellHeight = 405, kGridLeft = 180, kGridTop = 2475;
constexpr int kKeyWidth = 34, kKeyHeight = 25;  // pixels

// A key of the grid: a coloured label that reports a click.
class KeyLabel : public QLabel {
public:
    KeyLabel(QWidget* parent, int index, std::function<void(int)> click)
        : QLabel(parent), index_(index), click_(std::move(click)) {
        setObjectName(ArrayName("lblKey", index));
        setAlignment(Qt::AlignCenter);
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        setFixedSize(kKeyWidth, kKeyHeight);
        hide();
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) click_(index_);
    }

private:
    int index_;
    std::function<void(int)> click_;
};

}  // namespace

frmTastiera::frmTastiera() {
    setObjectName("frmTastiera");
    cbxTipo = NewList(this, "cbxTipo");
    cbxLivello = NewList(this, "cbxLivello");
    cbxFunzione = NewList(this, "cbxFunzione");
    cbxFunzione->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbxFunzione->setMinimumContentsLength(12);
    lblTipo = NewLabel(this, "lblTipo");
    for (int i = 0; i < 4; ++i) Label1[i] = NewLabel(this, ArrayName("Label1", i));
    lblCodPos = NewLabel(this, "lblCodPos");
    lblCodFun = NewLabel(this, "lblCodFun");
    for (QLabel* code : {lblCodPos, lblCodFun}) {
        code->setFrameShape(QFrame::Panel);
        code->setFrameShadow(QFrame::Sunken);
        code->setMinimumWidth(40);
    }
    frmKeySym = NewFrame(this, "frmKeySym");
    lstKeyMacro = new QListWidget(frmKeySym);
    lstKeyMacro->setObjectName("lstKeyMacro");
    chkRecording = NewCheck(frmKeySym, "chkRecording");
    cmdClearMacro = NewButton(frmKeySym, "cmdClearMacro");
    cmdSendMacro = NewButton(frmKeySym, "cmdSendMacro");
    cmdLoad = NewButton(this, "cmdLoad");
    cmdSave = NewButton(this, "cmdSave");
    cmdSend = NewButton(this, "cmdSend");

    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setVerticalSpacing(2);
    QWidget* rows[5][2] = {{lblTipo, cbxTipo},
                           {Label1[0], cbxLivello},
                           {Label1[1], lblCodPos},
                           {Label1[2], lblCodFun},
                           {Label1[3], cbxFunzione}};
    for (int r = 0; r < 5; ++r) {
        fields->addWidget(rows[r][0], r, 0);
        fields->addWidget(rows[r][1], r, 1, r == 4 ? Qt::Alignment() : Qt::AlignLeft);
    }
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(5, 1);
    auto* sym = new QGridLayout(frmKeySym);
    sym->setContentsMargins(6, 2, 6, 4);
    lstKeyMacro->setMinimumWidth(70);
    sym->addWidget(lstKeyMacro, 0, 0, 3, 1);
    sym->addWidget(chkRecording, 0, 1);
    sym->addWidget(cmdClearMacro, 1, 1);
    sym->addWidget(cmdSendMacro, 2, 1);
    // The controls stand above the key grid, whose first row is 2475 twips
    // from the top.
    auto* top = new QWidget(this);
    auto* topRow = new QHBoxLayout(top);
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->addLayout(fields, 1);
    topRow->addWidget(frmKeySym);
    gridRoom_ = new QWidget(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdLoad, cmdSave, cmdSend}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(0);
    top->setFixedHeight(TwipsToPixels(kGridTop) - 6 - 4);
    layout->addWidget(top);
    layout->addSpacing(4);
    layout->addWidget(gridRoom_);
    layout->addStretch(1);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // The keys come after the grid's room, so that they lie above it.
    for (int i = 0; i < kKeyLabels; ++i)
        lblKey[i] = new KeyLabel(this, i, [this](int k) { lblKey_Click(k); });

    connect(cbxTipo, &QComboBox::currentIndexChanged, this, [this] { cbxTipo_Click(); });
    connect(cbxLivello, &QComboBox::currentIndexChanged, this, [this] { cbxLivello_Click(); });
    connect(cbxFunzione, &QComboBox::currentIndexChanged, this, [this] { cbxFunzione_Click(); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdClearMacro, &QPushButton::clicked, this, [this] { cmdClearMacro_Click(); });
    connect(cmdSendMacro, &QPushButton::clicked, this, [this] { cmdSendMacro_Click(); });
}

namespace {
// A keyboard read (this editor's, an earlier editor's or bulk
// programming's) is filling the shared key tables.
bool KeyboardReadUnderWay() { return ReqState.bRdTastiera != False && OperationRunning(); }

// The keyboard editor that set Keyb.bEditorShown. Shown again, the editor is
// made anew before the old one is gone: only the one on screen clears it.
const frmTastiera* shownEditor = nullptr;
}  // namespace

frmTastiera::~frmTastiera() { LeaveScreen(); }

void frmTastiera::LeaveScreen() {
    if (shownEditor != this) return;
    shownEditor = nullptr;
    Keyb.bEditorShown = false;
}

void frmTastiera::closeEvent(QCloseEvent* event) {
    EditorWindow::closeEvent(event);
    if (event->isAccepted()) LeaveScreen();
}

KeyConf& frmTastiera::Shown(int i) {
    return keys_[nKeybLevel != 0 ? 1 : 0][static_cast<size_t>(std::clamp(i, 0, kKeyEntries - 1))];
}

int16_t frmTastiera::ShownCode(int level, int key) const {
    return keys_[level != 0 ? 1 : 0][static_cast<size_t>(std::clamp(key, 0, kKeyEntries - 1))].nFunCode;
}

bool frmTastiera::Changed() const {
    const int last = std::clamp<int>(numKeys_, 0, kKeyEntries - 1);
    for (int level = 0; level < 2; ++level)
        for (int i = 0; i <= last; ++i)
            if (keys_[level][static_cast<size_t>(i)].nFunCode != base_[level][static_cast<size_t>(i)].nFunCode)
                return true;
    return false;
}

void frmTastiera::TakeTables() {
    // While another register's folder is open, the shared tables hold its
    // keys: the editor keeps its own.
    if (Core.nOpenCash != LinkState.nCurCash) return;
    // A change of the user's is kept over keys taken again of the same type
    // (after a read); another type or number of keys starts afresh.
    const bool sameGrid = type_ == CassaFile.nTipoTastiera && numKeys_ == Keyb.nNumKeys;
    const KeyTable* loaded[2] = {&Keyb.KeyConf0, &Keyb.KeyConf1};
    for (int level = 0; level < 2; ++level)
        for (size_t i = 0; i < static_cast<size_t>(kKeyEntries); ++i) {
            KeyConf& shown = keys_[level][i];
            const bool changed = sameGrid && shown.nFunCode != base_[level][i].nFunCode;
            const KeyConf mine = shown;
            shown = base_[level][i] = (*loaded[level])[i];
            if (changed) {
                shown.nFunCode = mine.nFunCode;
                shown.nFunIdx = mine.nFunIdx;
            }
        }
    type_ = CassaFile.nTipoTastiera;
    numKeys_ = Keyb.nNumKeys;
}

void frmTastiera::DropChange() {
    keys_[0] = base_[0];
    keys_[1] = base_[1];
}

bool frmTastiera::BeforeOperation() { return KeepBeforeReload(); }

void frmTastiera::PaintKey(int i, unsigned rgb) {
    if (i < 0 || i >= kKeyLabels) return;
    QPalette p = lblKey[i]->palette();
    p.setColor(QPalette::Window, QColor::fromRgb(rgb));
    p.setColor(QPalette::WindowText, Qt::black);
    lblKey[i]->setPalette(p);
}

void frmTastiera::PaintKeyByKind(int i) { PaintKey(i, Shown(i).bProg ? kProgColour : kFixedColour); }

void frmTastiera::SetKeyText(int i, const std::string& text) {
    if (i < 0 || i >= kKeyLabels) return;
    QLabel* key = lblKey[i];
    const QString t = ToQt(text);
    // A smaller type for a text that would not fit the key.
    QFont font = this->font();
    for (int size = font.pointSize(); size > 5; --size) {
        font.setPointSize(size);
        if (QFontMetrics(font).horizontalAdvance(t) <= key->width() - 4) break;
    }
    key->setFont(font);
    key->setText(t);
    key->setToolTip(t);
}

void frmTastiera::InitForm() {
    shownEditor = this;
    Keyb.bEditorShown = true;
    NumberedTexts(this, "5");
    SetCaption(lblTipo, "5", "1");
    for (int i = 0; i < 4; ++i) SetCaption(Label1[i], "5", std::to_string(i + 2));
    // The keyboard simulation's texts, in the language of the window.
    SetCaption(frmKeySym, "5", "keysym");
    SetCaption(chkRecording, "5", "keyrec");
    SetCaption(cmdClearMacro, "5", "keyclear");
    SetCaption(cmdSendMacro, "5", "keysend");
    std::vector<std::string> types;
    for (int i = 0; i < ConfigLevel.GetNKeybConf(); ++i) types.push_back(GetText("5", "key" + std::to_string(i)));
    {
        const QSignalBlocker a(cbxTipo), b(cbxLivello);
        FillList(cbxTipo, types);
        FillList(cbxLivello, {"0", "1"});
        cbxTipo->setCurrentIndex(CassaFile.nTipoTastiera);
        cbxLivello->setCurrentIndex(nKeybLevel);
    }
    Keyb.strFunCodeFile = FunCodeFileName();
    ShowMsg("46", "2");
    LoadFunzioni();
    if (Keyb.nFunCodes > 0) CurrentShell().SetPGBRange(1, Keyb.nFunCodes);
    {
        const QSignalBlocker block(cbxFunzione);
        cbxFunzione->clear();
        for (int i = 0; i < Keyb.nFunCodes; ++i) {
            const FunCode& f = Keyb.FunCodes[static_cast<size_t>(i)];
            cbxFunzione->addItem(ToQt(f.strDescr), QVariant(static_cast<int>(f.nCode)));
            CurrentShell().SetPGBValue(static_cast<int16_t>(i + 1));
        }
        cbxFunzione->setCurrentIndex(-1);
    }
    ShowMsg("", "");
    CurrentShell().SetPGBValue(-1);
    // The shared key tables are loaded from the files only when they are
    // this register's and no keyboard read is filling them (its end line
    // saves them: a load now would save a keyboard half read).
    if (Core.nOpenCash != LinkState.nCurCash)
        ShowMsg("otherfolder", "");
    else if (!KeyboardReadUnderWay())
        LoadKeyConf();
    numKeys_ = -1;  // nothing shown yet: no change to keep
    TakeTables();
}

void frmTastiera::ShowConf() {
    // The keys as now loaded (after a read), with a change of the user's.
    TakeTables();
    // The lists are set by the program here: their handlers stay out.
    bKeybReady = false;
    {
        const QSignalBlocker a(cbxTipo), b(cbxLivello);
        cbxTipo->setCurrentIndex(type_);
        cbxLivello->setCurrentIndex(nKeybLevel);
    }
    const int keys = std::clamp<int>(numKeys_, 0, kKeyLabels);
    for (int i = keys; i < kKeyLabels; ++i) lblKey[i]->hide();
    SetKeyPos();
    for (int i = 0; i < keys; ++i) {
        const int16_t f = FindFunCode(Shown(i).nFunCode);
        SetKeyText(i, f >= 0 ? Keyb.FunCodes[static_cast<size_t>(f)].strKeyText : "?");
        PaintKeyByKind(i);
    }
    // The chosen key stays marked while it is programmable on this level.
    if (nCurKey < keys && Shown(nCurKey).bProg) PaintKey(nCurKey, kChosenColour);
    // The chosen key's function as its table holds it now (after a change
    // dropped, a read, another level): choosing a function compares with it.
    const KeyConf& chosen = Shown(nCurKey);
    nCurFunIdx = chosen.nFunIdx;
    nCurFunCode = chosen.nFunCode;
    if (!lblCodPos->text().isEmpty()) {
        nCurPosCode = chosen.nPosCode;
        lblCodPos->setText(QString::number(nCurPosCode));
        lblCodFun->setText(QString::number(nCurFunCode));
        const QSignalBlocker block(cbxFunzione);
        cbxFunzione->setCurrentIndex(cbxFunzione->findData(static_cast<int>(nCurFunCode)));
    }
    bKeybReady = true;
}

void frmTastiera::SetKeyPos() {
    const int keys = std::clamp<int>(numKeys_, 0, kKeyLabels);
    struct Place {
        int16_t row = 0, column = 0;
        bool shown = false;
    };
    std::vector<Place> places(static_cast<size_t>(keys));
    int lastColumn = 0;
    for (int i = 0; i < keys; ++i) {
        Place& p = places[static_cast<size_t>(i)];
        p.shown = GetKeyLayoutPos(type_, i, p.row, p.column);
        if (p.shown) lastColumn = std::max<int>(lastColumn, p.column);
    }
    // The keys stand in cells of 540 x 405 twips; a grid wider than the
    // editor (13 columns in a narrow main window) gets narrower cells, so
    // that every key stays on screen.
    int pitch = TwipsToPixels(kCellWidth), keyWidth = kKeyWidth;
    const int left = TwipsToPixels(kGridLeft), room = width() - 8;
    if (width() > 0 && left + lastColumn * pitch + keyWidth > room) {
        pitch = std::max(26, (room - left + 2) / (lastColumn + 1));
        keyWidth = pitch - 2;
    }
    int right = 0, bottom = 0;
    for (int i = 0; i < keys; ++i) {
        const Place& p = places[static_cast<size_t>(i)];
        if (!p.shown) {
            lblKey[i]->hide();
            continue;
        }
        const int x = pitch == TwipsToPixels(kCellWidth) ? TwipsToPixels(p.column * kCellWidth + kGridLeft)
                                                         : left + p.column * pitch;
        const int y = TwipsToPixels(p.row * kCellHeight + kGridTop);
        lblKey[i]->setFixedSize(keyWidth, kKeyHeight);
        lblKey[i]->move(x, y);
        lblKey[i]->show();
        lblKey[i]->raise();
        right = std::max(right, x + keyWidth);
        bottom = std::max(bottom, y + kKeyHeight);
    }
    // The layout keeps the grid's room free of the other controls.
    const int top = TwipsToPixels(kGridTop);
    gridRoom_->setFixedHeight(std::max(bottom - top, 0));
    gridRoom_->setMinimumWidth(std::max(right - 8, 0));
}

void frmTastiera::resizeEvent(QResizeEvent* event) {
    EditorWindow::resizeEvent(event);
    if (!bKeybReady) return;
    SetKeyPos();
    for (int i = 0; i < std::clamp<int>(numKeys_, 0, kKeyLabels); ++i)
        SetKeyText(i, FromQt(lblKey[i]->text()));
}

void frmTastiera::lblKey_Click(int i) {
    const KeyConf key = Shown(i);
    if (chkRecording->isChecked()) {
        const int16_t f = FindFunCode(key.nFunCode);
        if (f >= 0) {
            auto* item = new QListWidgetItem(ToQt(Keyb.FunCodes[static_cast<size_t>(f)].strKeyText));
            item->setData(Qt::UserRole, static_cast<int>(key.nFunCode));
            lstKeyMacro->addItem(item);
        }
        return;
    }
    if (!key.bProg) return;
    // The key chosen before gets back the colour of its kind.
    PaintKeyByKind(nCurKey);
    PaintKey(i, kChosenColour);
    nCurKey = key.nKey;
    nCurPosCode = key.nPosCode;
    nCurFunCode = key.nFunCode;
    nCurFunIdx = key.nFunIdx;
    lblCodPos->setText(QString::number(nCurPosCode));
    lblCodFun->setText(QString::number(nCurFunCode));
    const QSignalBlocker block(cbxFunzione);
    cbxFunzione->setCurrentIndex(cbxFunzione->findData(static_cast<int>(nCurFunCode)));
}

void frmTastiera::cbxFunzione_Click() {
    const int item = cbxFunzione->currentIndex();
    if (item < 0) return;
    const auto code = static_cast<int16_t>(cbxFunzione->itemData(item).toInt());
    const int16_t f = FindFunCode(code);
    if (f < 0 || f == nCurFunIdx) return;
    nCurFunIdx = f;
    nCurFunCode = code;
    KeyConf& key = Shown(nCurKey);
    key.nFunIdx = f;
    key.nFunCode = code;
    SetKeyText(nCurKey, Keyb.FunCodes[static_cast<size_t>(f)].strKeyText);
    lblCodFun->setText(QString::number(code));
}

void frmTastiera::LevelOrTypeChosen(bool type) {
    if (!bKeybReady || busy_) return;
    QComboBox* list = type ? cbxTipo : cbxLivello;
    const int chosen = list->currentIndex();
    if (chosen < 0) return;
    // While another register's folder is open, its key tables are not this
    // register's: the choice goes back and nothing is saved or loaded.
    if (!fields::EditorFolderReady()) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(type ? type_ : nKeybLevel);
        return;
    }
    // The keyboard's read fills the tables that the choice would load
    // again: the choice waits until the read ends.
    if (ReadRunning() || KeyboardReadUnderWay()) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(type ? type_ : nKeybLevel);
        ShowMsg("readwait", "");
        return;
    }
    if (KeepOrDrop() != SaveResult::Saved) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(type ? type_ : nKeybLevel);
        return;
    }
    busy_ = true;
    if (type) {
        CassaFile.nTipoTastiera = static_cast<int16_t>(chosen);
        // Kept in Cassa.txt at once: the send opens the register again from
        // its files, and must find the type chosen here.
        if (!Core.strCashDir.empty())
            platform::WriteProfileString("Tastiera", "tipo", std::to_string(chosen), CassaTxtPath());
        // Another grid: no key is chosen on it yet.
        nCurKey = 0;
        nCurFunIdx = -1;
        nCurPosCode = nCurFunCode = 0;
        lblCodPos->clear();
        lblCodFun->clear();
    } else {
        nKeybLevel = static_cast<int16_t>(chosen);
    }
    LoadKeyConf();
    DropChange();
    ShowConf();
    busy_ = false;
}

void frmTastiera::cbxLivello_Click() { LevelOrTypeChosen(false); }

void frmTastiera::cbxTipo_Click() { LevelOrTypeChosen(true); }

SaveResult frmTastiera::KeepOrDrop() {
    if (!Changed()) return SaveResult::Saved;
    switch (AskConfirm()) {
        case Reply::Yes: return SaveKeys() ? SaveResult::Saved : SaveResult::NotSaved;
        case Reply::No: DropChange(); return SaveResult::Saved;
        case Reply::Closed: break;
    }
    return SaveResult::Closed;
}

bool frmTastiera::SaveKeys() {
    if (!fields::EditorFolderReady()) return false;
    // The keyboard's read fills the key tables and saves them when it ends:
    // a save now would write a half-read keyboard.
    if (ReadRunning() || KeyboardReadUnderWay()) {
        ShowMsg("readrunning", "");
        return false;
    }
    const bool changed = Changed();
    // The editor's keys go into the register's tables and file; the file's
    // programmable flags come back with them.
    Keyb.KeyConf0 = keys_[0];
    Keyb.KeyConf1 = keys_[1];
    std::string error;
    if (!SaveKeyConf(error)) {
        // The file is as it was: the change stays, not saved.
        CurrentShell().MsgBox("SaveKeyConf - " + error, "");
        return false;
    }
    numKeys_ = -1;  // the keys as saved: nothing left to keep over them
    TakeTables();
    // Keys written back untouched are no news.
    if (changed) ShowMsg("saved", "");
    return true;
}

bool frmTastiera::KeepBeforeReload() {
    if (!fields::EditorFolderReady()) return !Changed();
    if (!Changed()) return true;
    // Kept in the file, or dropped: the keys as loaded are shown again.
    if (KeepOrDrop() != SaveResult::Saved) return false;
    ShowConf();
    return true;
}

bool frmTastiera::MayStart() {
    // Whether the operation may start is known before the question: a start
    // that is refused has neither saved nor dropped a change. While another
    // register's folder is open, a change can be neither saved nor asked about.
    if (OperationRunning() && !MayStartOperation()) return false;
    if (!fields::EditorFolderReady() && Changed()) return false;
    return MayStartOperation() && KeepBeforeReload();
}

void frmTastiera::cmdLoad_Click() {
    // The read opens the register again, which reloads the key tables from
    // the file: a change not yet saved is asked about first.
    if (!TestCashEnabled() || !MayStart()) return;
    const bool wasRunning = OperationRunning();
    ReqTastiera();
    ReadAsked(wasRunning);
}

void frmTastiera::cmdSave_Click() { SaveKeys(); }

void frmTastiera::cmdSend_Click() {
    if (TestCashEnabled() && MayStart()) SendTastiera();
}

void frmTastiera::cmdClearMacro_Click() { lstKeyMacro->clear(); }

void frmTastiera::cmdSendMacro_Click() {
    std::string codes;
    for (int i = 0; i < lstKeyMacro->count(); ++i)
        codes += std::to_string(lstKeyMacro->item(i)->data(Qt::UserRole).toInt()) + ":";
    if (codes.empty()) return;
    // The send opens the register again, which reloads the key tables.
    if (!MayStart()) return;
    std::string command = "*2;#S" + codes + ";*3";
    if (!NextCash(true)) return;
    const std::string description = GetProtocolText(command);
    AddCmd(command, 0, 2.5f, description);
    SaveCmdQueue();
}

SaveResult frmTastiera::UnloadSave() { return KeepOrDrop(); }
