#include "ui/frmComm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/open_register.h"
#include "core/texts.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "link/phone_book.h"
#include "link/port.h"
#include "engine/registry.h"
#include "engine/operation.h"
#include "core/cassa_conf.h"
#include "ui/frmDocument.h"

namespace {

constexpr const char* kSection = "2";
constexpr int kRegisters = 16;

// The keys of the labels Label1(0) to Label1(16).
const char* const kLabelKeys[17] = {"1", "2",  "3",  "4",  "5",  "6",  "7",  "8",         "9",
                                    "10", "11", "12", "13", "28", "29", "35", "notelefono"};

QLineEdit* NewBox(QWidget* parent, const QString& name, int width) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFixedWidth(width);
    return box;
}

QComboBox* ListOf(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    return list;
}

}  // namespace

frmComm::frmComm(QWidget* parent) : EditorWindow(parent) {
    setObjectName("frmComm");
    auto* body = new QWidget;  // the first page
    for (int i = 0; i < 17; ++i) Label1[i] = NewLabel(body, ArrayName("Label1", i));

    // PC side: register, port, speed; time-out and the two options.
    QStringList registers, ports;
    for (int i = 1; i <= kRegisters; ++i) {
        registers << QString::number(i);
        ports << ToQt(PortWithDevice(i));
    }
    cbIndirizzo = ListOf(body, "cbIndirizzo", registers);
    cbPorta = ListOf(body, "cbPorta", ports);
    cbBaud = ListOf(body, "cbBaud", {"9600", "19200", "38400"});
    txtCmdTimeout = NewBox(body, "txtCmdTimeout", 64);
    chkKeyLock = NewCheck(body, "chkKeyLock");
    chkHelloType = NewCheck(body, "chkHelloType");
    auto* line1 = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label1[0], cbIndirizzo, Label1[1], cbPorta,
                                                      Label1[2], cbBaud})
        line1->addWidget(w);
    line1->addStretch(1);
    auto* line2 = new QHBoxLayout;
    line2->addWidget(Label1[13]);
    line2->addWidget(txtCmdTimeout);
    line2->addStretch(1);
    auto* options = new QHBoxLayout;
    options->addWidget(chkKeyLock);
    options->addWidget(chkHelloType);
    options->addStretch(1);

    // The register's name, identity and release from the register list.
    lblMatricola = NewLabel(body, "lblMatricola");
    lblTipo = NewLabel(body, "lblTipo");
    lblVersione = NewLabel(body, "lblVersione");
    auto* line3 = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Label1[5], lblMatricola, Label1[6], lblTipo,
                                                      Label1[7], lblVersione})
        line3->addWidget(w);
    line3->addStretch(1);
    for (QLabel* value : {lblMatricola, lblTipo, lblVersione}) {
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setMinimumWidth(60);
    }

    // The sixteen registers: enabled for work, defined.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->addWidget(Label1[14], 0, 0);
    grid->addWidget(Label1[3], 1, 0);
    grid->addWidget(Label1[4], 2, 0);
    for (int i = 0; i < kRegisters; ++i) {
        auto* number = NewLabel(body, ArrayName("lblNum", i));
        number->setText(QString::number(i + 1));
        number->setAlignment(Qt::AlignCenter);
        chkEna[i] = NewCheck(body, ArrayName("chkEna", i));
        chkConf[i] = NewCheck(body, ArrayName("chkConf", i));
        grid->addWidget(number, 0, i + 1, Qt::AlignCenter);
        grid->addWidget(chkEna[i], 1, i + 1, Qt::AlignCenter);
        grid->addWidget(chkConf[i], 2, i + 1, Qt::AlignCenter);
        connect(chkEna[i], &QCheckBox::clicked, this, [this, i] { chkEna_Click(i); });
    }
    grid->setColumnStretch(kRegisters + 1, 1);

    // The phone-book entry of a register reached through a modem.
    cbxNumTel = new QComboBox(body);
    cbxNumTel->setObjectName("cbxNumTel");
    cbxNumTel->setMinimumContentsLength(16);
    auto* line4 = new QHBoxLayout;
    line4->addWidget(Label1[16]);
    line4->addWidget(cbxNumTel);
    line4->addStretch(1);

    // The register's link parameters: the second page.
    Frame4 = new QWidget;
    for (const CommNumber& n : CommNumbers()) {
        const QString name = QString::fromLatin1(n.name);
        numbers[n.name] = NewBox(name.startsWith("txtMemPages") ? nullptr : Frame4, name, 48);
    }
    for (const CommCheck& c : CommChecks()) checks[c.name] = NewCheck(Frame4, QString::fromLatin1(c.name));
    auto* values = new QGridLayout;
    values->addWidget(Label1[8], 0, 0);
    values->addWidget(numbers["txtP013"], 0, 1);
    values->addWidget(Label1[9], 0, 2);
    values->addWidget(numbers["txtP910"], 0, 3);
    values->addWidget(Label1[10], 1, 0);
    values->addWidget(numbers["txtP921"], 1, 1);
    values->addWidget(Label1[12], 1, 2);
    values->addWidget(numbers["txtP923"], 1, 3);
    auto* p922 = new QHBoxLayout;
    for (const char* n : {"txtP922N", "txtP922F", "txtP922S"}) p922->addWidget(numbers[n]);
    p922->addStretch(1);
    values->addWidget(Label1[11], 2, 0);
    values->addLayout(p922, 2, 1, 1, 3);
    values->setColumnStretch(4, 1);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    left->setSpacing(2);
    right->setSpacing(2);
    for (const CommCheck& c : CommChecks()) {
        const std::string name = c.name;
        const bool first = name.rfind("chkP911", 0) == 0;
        if (name == "chkP915A") right->addWidget(Label1[15]);
        (first ? left : right)->addWidget(checks[name]);
    }
    left->addStretch(1);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    // The service frame: memory pages of the archives.
    fmeService = NewFrame(Frame4, "fmeService");
    auto* pages = new QGridLayout(fmeService);
    for (int i = 0; i < 3; ++i) {
        lblMemPages[i] = NewLabel(fmeService, ArrayName("lblMemPages", i));
        txtMemPages[i] = numbers["txtMemPages_" + std::to_string(i)];
        txtMemPages[i]->setParent(fmeService);
        pages->addWidget(lblMemPages[i], 0, i);
        pages->addWidget(txtMemPages[i], 1, i);
    }
    pages->setColumnStretch(3, 1);
    auto* frame = new QVBoxLayout(Frame4);
    frame->addLayout(values);
    frame->addLayout(columns);
    frame->addWidget(fmeService);
    frame->addStretch(1);

    auto* content = new QVBoxLayout(body);
    content->addLayout(line1);
    content->addLayout(line2);
    content->addLayout(options);
    content->addLayout(line3);
    content->addLayout(grid);
    content->addLayout(line4);
    content->addStretch(1);

    // Two pages, so that the whole window fits beside the tree at the main
    // window's default size: the computer's side and the register's.
    sstComm = new QTabWidget(this);
    sstComm->setObjectName("sstComm");
    sstComm->addTab(body, QString());
    sstComm->addTab(Frame4, QString());

    cmdLoad = NewButton(this, "cmdLoad");
    cmdSave = NewButton(this, "cmdSave");
    cmdSend = NewButton(this, "cmdSend");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {cmdLoad, cmdSave, cmdSend}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(sstComm, 1);
    layout->addLayout(buttons);

    // Hidden or disabled until the load says otherwise.
    for (QWidget* w : std::initializer_list<QWidget*>{fmeService, checks["chkP911E"],
                                                      checks["chkP911_2A"], checks["chkP911_2B"],
                                                      cbxNumTel, Label1[16], lblMemPages[2]})
        w->setVisible(false);
    for (QCheckBox* c : chkConf) c->setEnabled(false);
    txtMemPages[2]->setEnabled(false);

    connect(cbIndirizzo, &QComboBox::activated, this, [this](int i) { cbIndirizzo_Click(i); });
    connect(cbPorta, &QComboBox::activated, this, [this](int i) { cbPorta_Click(i); });
    connect(cbBaud, &QComboBox::activated, this, [this](int i) { cbBaud_Click(i); });
    connect(checks["chkP911G"], &QCheckBox::clicked, this, [this] { chkP911G_Click(); });
    connect(checks["chkP911H"], &QCheckBox::clicked, this, [this] { chkP911H_Click(); });
    connect(chkKeyLock, &QCheckBox::clicked, this, [this] { chkKeyLock_Click(); });
    connect(chkHelloType, &QCheckBox::clicked, this, [this] { chkHelloType_Click(); });
    connect(txtCmdTimeout, &QLineEdit::editingFinished, this, [this] { txtCmdTimeout_Change(); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
}

void frmComm::Register() {
    RegisterEditor("K_FRMCOMM", [] { return EditorWindow::Show(new frmComm); });
}

// ---------------------------------------------------------------- load

void frmComm::InitForm() {
    bFirstShow = true;
    // Texts: an empty one hides its control.
    NumberedTexts(this, kSection);
    for (int i = 0; i < 17; ++i) SetCtlCaption(Label1[i], GetText(kSection, kLabelKeys[i]));
    sstComm->setTabText(0, ToQt(GetText(kSection, "pc")));
    sstComm->setTabText(1, ToQt(GetText(kSection, "30")));
    for (const CommCheck& c : CommChecks()) SetCtlCaption(checks[c.name], GetText(kSection, c.key));
    SetCtlCaption(chkHelloType, GetText(kSection, "nohsthello"));
    chkHelloType->setToolTip(ToQt(GetText(kSection, "nohsthellow")));
    SetCtlCaption(chkKeyLock, GetText(kSection, "34"));
    chkKeyLock->setToolTip(ToQt(GetText(kSection, "warning")));
    SetCtlCaption(fmeService, GetText(kSection, "archives"));
    const char* const pageKeys[3] = {"history", "custm", "definvc"};
    for (int i = 0; i < 3; ++i) SetCtlCaption(lblMemPages[i], GetText(kSection, pageKeys[i]));
    // What the model and the register have.
    for (const CommCheck& c : CommChecks())
        if (c.gate != 0) checks[c.name]->setVisible(CommCheckShown(c));
    chkKeyLock->setChecked(Core.bKeyLock);
    CommLoadTimeout();
    txtCmdTimeout->setText(ToQt(CommTimeoutText()));
    if (ConfigLevel.ServiceMode()) {
        fmeService->setVisible(true);
        if (ConfigLevel.GetDeferredInvoicePagesEnable()) {
            lblMemPages[2]->setVisible(true);
            txtMemPages[2]->setEnabled(true);
        }
    }

    // Each port with the device the settings store gives it now.
    for (int i = 0; i < cbPorta->count(); ++i) cbPorta->setItemText(i, ToQt(PortWithDevice(i + 1)));
    // A value outside its list selects nothing (port) or shows the speed
    // the port opens at (baud); nothing is written back.
    cbPorta->setCurrentIndex(Core.nCommPort >= 1 && Core.nCommPort <= 16 ? Core.nCommPort - 1 : -1);
    cbBaud->setCurrentIndex(CommBaudIndex());
    InitRubrica();
    const int chosen = RestoreCassaAttiva();
    cbIndirizzo->setCurrentIndex(chosen);
    if (WaitsAtLoad()) {
        // The link works with a register: its folder stays as it is, and
        // the options record may be another register's or half read. The
        // register list shows the register chosen; the window comes anew
        // with its settings when the operation ends (the frame's wait).
        shownRegister_ = chosen;
        cbPorta->setCurrentIndex(CommRegisterPortIndex(chosen));
        ShowConfList();
    } else {
        cbIndirizzo_Click(chosen);
    }
    ShowData();
}

bool frmComm::WaitsAtLoad() const {
    return OperationRunning() || Core.nOpenCash != LinkState.nCurCash;
}

bool frmComm::RefusedWhileRunning() {
    if (!OperationRunning()) return false;
    ShowMsg("commbusy", "");
    ShowConfList();
    cbIndirizzo->setCurrentIndex(shownRegister_);
    cbPorta->setCurrentIndex(CommRegisterPortIndex(shownRegister_));
    cbBaud->setCurrentIndex(CommBaudIndex());
    return true;
}

int frmComm::RestoreCassaAttiva() const {
    const int i = LinkState.nCurCash;
    return i >= 0 && i < kRegisters ? i : 0;
}

void frmComm::ShowData() {
    // The tree lists the registers as they are now and marks the one chosen
    // here, the one the editors read and write.
    if (fDocForm) fDocForm->FollowRegisters();
    const int i = cbIndirizzo->currentIndex();
    const CashRec* entry = i >= 0 && i < kRegisters ? &CassaList[i] : nullptr;
    const bool named = entry && !entry->name.empty();
    lblMatricola->setText(named ? ToQt(entry->name) : QString());
    lblTipo->setText(named ? ToQt(entry->identity) : QString());
    lblVersione->setText(named ? ToQt(entry->release) : QString());
}

void frmComm::ShowConf() {
    // Nothing of a record that may be another register's.
    if (WaitingForOwnFolder()) return;
    shownConf_ = udtCassaConf;
    const CommShown shown = CommShowConf();
    for (const auto& [name, text] : shown.numbers) numbers[name]->setText(ToQt(text));
    for (const auto& [name, ticked] : shown.checks) checks[name]->setChecked(ticked);
    chkHelloType->setChecked(udtCassaConf.nHelloType == 1);
    SetPhoneListShown(shown.checks.at("chkP911H"));
    SelectPhoneEntry(shown.phoneBookKey);
}

void frmComm::InitRubrica() {
    cbxNumTel->clear();
    // Each item keeps the key of its entry: deleted entries are not listed,
    // so a list position is no key.
    for (const PhoneEntry& e : ReadPhoneBook())
        if (!e.name.empty()) cbxNumTel->addItem(ToQt(e.name), QVariant(static_cast<int>(e.key)));
    SelectPhoneEntry(udtCassaConf.nPhoneBookIndex);
}

void frmComm::SelectPhoneEntry(int16_t key) {
    cbxNumTel->setCurrentIndex(key > 0 ? cbxNumTel->findData(QVariant(static_cast<int>(key))) : -1);
}

void frmComm::SetPhoneListShown(bool shown) {
    cbxNumTel->setVisible(shown);
    Label1[16]->setVisible(shown && !GetText(kSection, kLabelKeys[16]).empty());
}

void frmComm::ShowConfList() {
    for (int i = 0; i < kRegisters; ++i) {
        const bool defined = CassaList[i].bDefined != 0;
        chkConf[i]->setChecked(defined);
        chkEna[i]->setEnabled(defined);
        chkEna[i]->setChecked(defined && CassaList[i].bEnabled != 0);
    }
}

// ---------------------------------------------------------------- saving

CommShown frmComm::Shown() const {
    CommShown shown;
    for (const auto& [name, box] : numbers) {
        // Shown on the register's page, whichever page is in front.
        if (!box->isVisibleTo(Frame4) || !box->isEnabled()) continue;
        shown.numbers[name] = FromQt(box->text());
        shown.captions[name] = FieldCaption(box);
    }
    for (const auto& [name, box] : checks) shown.checks[name] = box->isChecked();
    const int item = cbxNumTel->currentIndex();
    shown.phoneBookKey = item >= 0 ? static_cast<int16_t>(cbxNumTel->itemData(item).toInt()) : 0;
    return shown;
}

SaveResult frmComm::CheckSave(bool ask, bool* changed) {
    // Nothing is shown yet, or another register's folder is open: nothing
    // is written.
    if (!MayWriteFolder()) return SaveResult::NotSaved;
    // The window's read writes Cassa.txt when it ends: a save now would be
    // written over.
    if (ReadRunning()) {
        ShowMsg("readrunning", "");
        return SaveResult::NotSaved;
    }
    // A save sets the register's entry of the list (its number, port and
    // line): not under a running operation.
    if (RefusedWhileRunning()) return SaveResult::NotSaved;
    const SaveResult result = CommCheckSave(Shown(), ask, changed);
    const bool saved = result == SaveResult::Saved;
    // A save defines the register shown when it was not yet in the list.
    if (saved && fDocForm) fDocForm->FollowRegisters();
    // After the question the record may hold its earlier values again.
    if (saved && ask) ShowConf();
    if (saved) shownConf_ = udtCassaConf;
    return result;
}

void frmComm::Form_Unload() { CheckSave(true); }

bool frmComm::SaveBeforeLeaving() { return CheckSave(true) != SaveResult::Closed; }

SaveResult frmComm::UnloadSave() {
    // Leaving without a change while nothing may be written: nothing to
    // save and nothing to say.
    const bool mayWrite = !WaitingForOwnFolder() && !WaitsAtLoad();
    if (!mayWrite && !ChangeShown()) return SaveResult::Saved;
    return CheckSave(true);
}

bool frmComm::ChangeShown() {
    if (WaitingForOwnFolder()) return false;
    if (!ReadRunning()) filled_.reset();
    if (filled_) return ShownValues() != *filled_;
    // Told against the record the boxes were filled from, with the station
    // address of the register shown (an operation may have another open).
    CassaConfRec shown = shownConf_;
    if (!CommShownRecord(Shown(), shown, nullptr)) return true;
    shown.P9Addr = static_cast<int16_t>(shownRegister_ + 1);
    return !(shown == shownConf_);
}

bool frmComm::HoldsData(const QWidget* control) const {
    return control == cbxNumTel || Frame4->isAncestorOf(control);
}

void frmComm::RefreshAfterRead() {
    if (WaitingForOwnFolder()) return;
    RefreshOverEdits(filled_, [this] { ShowConf(); });
    SetPhoneListShown(checks["chkP911H"]->isChecked());
}

// ---------------------------------------------------------------- actions

void frmComm::cbIndirizzo_Click(int index) {
    if (index < 0 || index >= kRegisters) return;
    // While the link works with a register, its folder, address and queue
    // stay as they are.
    if (ExchangeRunning()) {
        ShowMsg("busy", "");
        cbIndirizzo->setCurrentIndex(shownRegister_);
        return;
    }
    // The settings shown are saved first, asking about a change: after a
    // Load too when the user changed them since the read. Closing the
    // question keeps the register shown, with its change.
    if (shownRegister_ >= 0 && (!bFirstShow || ChangeShown()) && !SaveBeforeLeaving()) {
        StayAt(cbIndirizzo, shownRegister_ + 1);
        return;
    }
    bFirstShow = false;
    CommOpenRegister(static_cast<int16_t>(index));
    shownRegister_ = index;
    cbPorta->setCurrentIndex(CommRegisterPortIndex(index));
    ShowConf();
    ShowConfList();
    ShowData();
}

void frmComm::cbPorta_Click(int index) {
    if (!RefusedWhileRunning()) CommSetPort(index);
}

void frmComm::cbBaud_Click(int index) {
    if (!RefusedWhileRunning()) CommSetBaud(index);
}

void frmComm::chkEna_Click(int i) {
    if (!RefusedWhileRunning()) CommSetEnabled(i, chkEna[i]->isChecked());
}

void frmComm::chkP911G_Click() {
    // The running operation's line stays as it is; the save sets it.
    if (OperationRunning()) return;
    LinkState.bAddressed = GetAddressedMode(CommShownWord(Shown(), &CassaConfRec::P911));
}

void frmComm::chkP911H_Click() {
    SetPhoneListShown(checks["chkP911H"]->isChecked());
    cbxNumTel->setCurrentIndex(-1);
}

void frmComm::chkKeyLock_Click() {
    // Locking or releasing is an operation of its own: refused while one
    // runs, with nothing changed.
    if (RefusedWhileRunning())
        chkKeyLock->setChecked(Core.bKeyLock);
    else
        CommKeyLock(chkKeyLock->isChecked());
}

void frmComm::chkHelloType_Click() {
    // The hello type goes into the open register's options record; the
    // guard is asked again once the question is answered.
    if (!MayWriteFolder() ||
        !CommSetHelloType(chkHelloType->isChecked(), [this] { return MayWriteAfterAnswer(); }))
        chkHelloType->setChecked(udtCassaConf.nHelloType == 1);
}

void frmComm::txtCmdTimeout_Change() {
    if (!CommSetTimeout(FromQt(txtCmdTimeout->text())))
        txtCmdTimeout->setText(ToQt(CommTimeoutText()));
}

void frmComm::cmdSave_Click() {
    bool changed = false;
    // A save of what was stored already says so, rather than nothing.
    if (CheckSave(false, &changed) == SaveResult::Saved && !changed) ShowMsg("nochange", "");
}

void frmComm::cmdSend_Click() {
    // The save below sets the link of the open register: never while another
    // operation runs on it.
    if (!TestCashEnabled() || !MayStartOperation()) return;
    // Values that were refused are not sent either.
    if (CheckSave(true) == SaveResult::Saved) SendComm();
}

void frmComm::cmdLoad_Click() {
    if (!TestCashEnabled() || !MayStartOperation()) return;
    if (!SaveBeforeLeaving()) return;
    bFirstShow = true;
    LinkState.bAddressed = GetAddressedMode(CommShownWord(Shown(), &CassaConfRec::P911));
    udtCassaConfSaved = udtCassaConf;
    ReqComm();
    ReadAsked(false);
    if (ReadRunning())
        filled_ = ShownValues();
    else
        filled_.reset();
}
