#include "ui/frmClienti.h"

#include <cerrno>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/cash_list.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "engine/operation.h"
#include "engine/main_timer.h"
#include "core/numbers.h"
#include "core/shell.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "engine/document.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/qt_text.h"
#include "store/customer_files.h"
#include "core/field_rules.h"
#include "ui/controls/card_controls.h"
#include "ui/controls/editor_controls.h"
#include "ui/controls/range_controls.h"
#include "engine/builders_reports.h"
#include "engine/builders_tables.h"
#include "transfers/transfer.h"
#include "core/link_state.h"
#include "platform/editor.h"
#include "platform/files.h"
#include "ui/frmDocument.h"
#include "ui/frmList.h"
#include "store/table_file.h"
#include "transfers/customers_transfer.h"

CliCardRec CliCard;

namespace {

constexpr size_t kCodeWidth = 12;
// The width of every field of the offline card panel.
constexpr int kCardWidth = 8;

// What each card type shows besides the code and the date.
struct CardFields {
    bool p312, value, amount, recharges, stamps;
};
constexpr CardFields kCardTypes[4] = {
    {true, false, false, false, false},  // 20
    {false, true, false, true, false},   // 21
    {true, false, false, false, true},   // 22
    {false, false, true, true, false},   // 23
};

// A card amount typed in the panel, in minor units: empty is 0; a text that
// is no amount, a negative one or one beyond 32 bits is refused.
bool CardAmount(const std::string& text, int32_t& value) {
    int64_t v = 0;
    if (!text.empty() && !(fields::IsNumber(fields::TypedNumber(text)) && fields::TakeAmount(text, 0, INT32_MAX, v))) return false;
    value = static_cast<int32_t>(v);
    return true;
}

// A stamp counter: empty is 0; beyond 16 bits refused.
bool CardStamps(const std::string& text, int16_t& value) {
    int64_t v = 0;
    if (!text.empty() && !fields::TakeNumber(text, 0, INT16_MAX, v)) return false;
    value = static_cast<int16_t>(v);
    return true;
}

}  // namespace

frmClienti::frmClienti() {
    setObjectName("frmClienti");
    Frame1 = NewFrame(this, "Frame1");
    Frame2 = NewFrame(this, "Frame2");
    Frame3 = NewFrame(this, "Frame3");

    cbxCli = NewList(Frame1, "cbxCli");
    cbxCli->setEditable(true);
    cbxCli->setInsertPolicy(QComboBox::NoInsert);
    cbxCli->setMinimumContentsLength(static_cast<int>(kCodeWidth) + 1);
    lblCodice = NewLabel(Frame1, "lblCodice");
    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(lblCodice, 0, 0);
    grid->addWidget(cbxCli, 0, 1, Qt::AlignLeft);
    // Two columns of fields: the descriptions and the codes on the left,
    // the numbers on the right.
    auto field = [&](QLabel*& label, FieldBox*& box, const char* labelName, const char* boxName, int limit, int row,
                     int column) {
        label = NewLabel(Frame1, labelName);
        box = new FieldBox(Frame1, boxName, limit);
        grid->addWidget(label, row, column);
        grid->addWidget(box, row, column + 1, Qt::AlignLeft);
        connect(box, &QLineEdit::textChanged, this, [this] { SetModState(); });
    };
    for (int i = 0; i < 4; ++i) {
        const std::string l = "lblDesc" + std::to_string(i + 1);
        const std::string t = "txtDesc" + std::to_string(i + 1);
        field(lblDesc[i], txtDesc[i], l.c_str(), t.c_str(), 30, 1 + i, 0);
    }
    field(lblCF_PIVA, txtCF_PIVA, "lblCF_PIVA", "txtCF_PIVA", 16, 5, 0);
    field(lblClientGroup, txtClientG, "lblClientGroup", "txtClientG", 3, 6, 0);
    field(lblListino, txtListino, "lblListino", "txtListino", 1, 1, 3);
    field(lblIVA, txtIVA, "lblIVA", "txtIVA", 1, 2, 3);
    field(lblFMult, txtFMult, "lblFMult", "txtFMult", 3, 3, 3);
    field(lblCredito, txtCredito, "lblCredito", "txtCredito", 8, 4, 3);
    field(lblLineaFid, txtLineaFid, "lblLineaFid", "txtLineaFid", 1, 5, 3);
    field(lblSaldoPunti, txtSaldoPunti, "lblSaldoPunti", "txtSaldoPunti", 5, 6, 3);
    const int row = 7;
    for (int i = 0; i < 3; ++i) {
        chkCliFlag[i] = NewCheck(Frame1, ArrayName("chkCliFlag", i));
        connect(chkCliFlag[i], &QCheckBox::toggled, this, [this] { SetModState(); });
    }
    grid->addWidget(chkCliFlag[0], 0, 3, 1, 2);
    chkCliFlag[1]->hide();
    chkCliFlag[2]->hide();
    grid->setColumnStretch(5, 1);

    cmdAdd = NewButton(Frame1, "cmdAdd");
    cmdMod = NewButton(Frame1, "cmdMod");
    cmdDel = NewButton(Frame1, "cmdDel");
    cmdList = NewButton(Frame1, "cmdList");
    auto* edit = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdMod, cmdDel, cmdList}) edit->addWidget(b);
    edit->addStretch(1);
    grid->addLayout(edit, row, 0, 1, 6);

    range = std::make_unique<RangeControls>(Frame3, static_cast<int>(kCodeWidth), [this] { return strCurCode; });
    cmdDelArc = NewButton(Frame3, "cmdDelArc");
    auto* limits = new QGridLayout(Frame3);
    limits->addWidget(range->chkAll, 0, 0, 1, 2);
    limits->addWidget(cmdDelArc, 0, 3);
    limits->addWidget(range->cmdFrom, 1, 0);
    limits->addWidget(range->txtFrom, 1, 1, Qt::AlignLeft);
    limits->addWidget(range->cmdTo, 1, 2);
    limits->addWidget(range->txtTo, 1, 3, Qt::AlignLeft);
    limits->setColumnStretch(4, 1);
    range->chkAll->setChecked(true);
    range->chkAll_Click();

    fraChipCard = NewFrame(this, "fraChipCard");
    cmdChipCardLoad = NewButton(fraChipCard, "cmdChipCardLoad");
    cmdChipCardDisplay = NewButton(fraChipCard, "cmdChipCardDisplay");
    auto* card = new QHBoxLayout(fraChipCard);
    card->addWidget(cmdChipCardLoad);
    card->addWidget(cmdChipCardDisplay);
    card->addStretch(1);
    fraChipCard->hide();

    // The offline card panel: the card types on one line; code and date;
    // value or amount (never shown together, so they share a place) and the
    // recharges; the four stamps; the flag and the card buttons.
    fraCliCard = NewFrame(this, "fraCliCard");
    auto* cardGrid = new QGridLayout(fraCliCard);
    auto* types = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        optTipo[i] = new QRadioButton(fraCliCard);
        optTipo[i]->setObjectName(ArrayName("optTipo", i));
        types->addWidget(optTipo[i]);
        connect(optTipo[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optTipo_Click(i);
        });
    }
    types->addStretch(1);
    cardGrid->addLayout(types, 0, 0, 1, 5);
    auto cardField = [&](int label, QLineEdit* box, int row, int column) {
        Label1[label] = NewLabel(fraCliCard, ArrayName("Label1", label));
        cardGrid->addWidget(Label1[label], row, column);
        cardGrid->addWidget(box, row, column + 1, Qt::AlignLeft);
    };
    txtCodice = new FieldBox(fraCliCard, "txtCodice", kCardWidth);
    mskData = new MaskBox(fraCliCard, "mskData", "##/##/##");
    txtValore = new FieldBox(fraCliCard, "txtValore", kCardWidth);
    txtImporto = new FieldBox(fraCliCard, "txtImporto", kCardWidth);
    txtRicariche = new FieldBox(fraCliCard, "txtRicariche", kCardWidth);
    txtRicariche->setReadOnly(true);
    cardField(7, txtCodice, 1, 0);
    cardField(8, mskData, 1, 2);
    cardField(9, txtValore, 2, 0);
    cardField(10, txtImporto, 2, 0);
    cardField(15, txtRicariche, 2, 2);
    for (int k = 0; k < 4; ++k) {
        txtBollini[k] = new FieldBox(fraCliCard, ArrayName("txtBollini", k), kCardWidth);
        DigitsOnly(txtBollini[k]);
        cardField(11 + k, txtBollini[k], 3 + k / 2, 2 * (k % 2));
    }
    cardGrid->setColumnStretch(4, 1);
    cardGrid->setVerticalSpacing(2);  // the stamp card's six lines fit beside the customer
    chkP312 = NewCheck(fraCliCard, "chkP312");
    cmdClear = NewButton(fraCliCard, "cmdClear");
    cmdRead = NewButton(fraCliCard, "cmdRead");
    cmdWrite = NewButton(fraCliCard, "cmdWrite");
    auto* cardButtons = new QHBoxLayout;
    cardButtons->setSpacing(6);
    cardButtons->addWidget(chkP312);
    cardButtons->addStretch(1);
    for (QPushButton* b : {cmdClear, cmdRead, cmdWrite}) cardButtons->addWidget(b);
    cardGrid->addLayout(cardButtons, 5, 0, 1, 5);
    fraCliCard->hide();

    cmdLoad = NewButton(Frame2, "cmdLoad");
    cmdSave = NewButton(Frame2, "cmdSave");
    cmdSend = NewButton(Frame2, "cmdSend");
    auto* buttons = new QHBoxLayout(Frame2);
    buttons->addStretch(1);
    for (QPushButton* b : {cmdLoad, cmdSave, cmdSend}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame3);
    layout->addWidget(fraChipCard);
    layout->addWidget(fraCliCard);
    layout->addStretch(1);
    layout->addWidget(Frame2);

    connect(cbxCli->lineEdit(), &QLineEdit::textEdited, this, [this] { cbxCli_Change(); });
    connect(cbxCli->lineEdit(), &QLineEdit::returnPressed, this, [this] { cbxCli_Enter(); });
    connect(cbxCli, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i >= 0) cbxCli_Click();
    });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { GestAddCli(); });
    connect(cmdMod, &QPushButton::clicked, this, [this] { GestModCli(); });
    connect(cmdDel, &QPushButton::clicked, this, [this] { GestDelCli(); });
    connect(cmdList, &QPushButton::clicked, this, [this] { cmdList_Click(); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSend_Click(); });
    connect(cmdDelArc, &QPushButton::clicked, this, [this] { cmdDelArc_Click(); });
    connect(cmdChipCardLoad, &QPushButton::clicked, this, [this] { cmdChipCardLoad_Click(); });
    connect(cmdChipCardDisplay, &QPushButton::clicked, this, [this] { cmdChipCardDisplay_Click(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(cmdRead, &QPushButton::clicked, this, [this] { cmdRead_Click(); });
    connect(cmdWrite, &QPushButton::clicked, this, [this] { cmdWrite_Click(); });

    type_ = ConfigLevel.GetClientType(LinkState.nCurCash);
    objCli.CliType(type_);
}

frmClienti::~frmClienti() = default;

void frmClienti::InitForm() {
    NumberedTexts(this, "26");
    cmdSave->hide();  // records are written by Add, Modify and the change question
    auto direct = [](QLabel* label, const char* key) { label->setText(ToQt(GetText("26", key))); };
    direct(lblCodice, "client");
    for (int i = 0; i < 4; ++i) direct(lblDesc[i], ("desc" + std::to_string(i + 1)).c_str());
    direct(lblListino, "list");
    direct(lblLineaFid, "lineafid");
    direct(lblSaldoPunti, "saldopunti");
    SetCaption(lblIVA, "26", "vat");
    direct(lblFMult, "fmult");
    direct(lblCredito, "maxcred");
    direct(lblClientGroup, "clientgroup");
    direct(lblCF_PIVA, "fisccode");
    SetCaption(chkCliFlag[0], "26", "disabcli");
    SetCaption(cmdAdd, "Comandi", "5");
    SetCaption(cmdMod, "Comandi", "6");
    SetCaption(cmdDel, "Comandi", "7");
    SetCaption(range->chkAll, "Comandi", "8");
    SetCaption(range->cmdFrom, "Comandi", "9");
    SetCaption(range->cmdTo, "Comandi", "10");
    SetCaption(cmdDelArc, "Comandi", "11");
    SetCaption(cmdList, "Comandi", "list");
    SetCaption(fraCliCard, "Caption", "29");
    SetCaption(cmdClear, "Comandi", "18");
    SetCaption(cmdRead, "Comandi", "17");
    SetCaption(cmdWrite, "Comandi", "16");
    SetCaption(Label1[7], "26", "1");
    for (int i = 8; i <= 10; ++i) SetCaption(Label1[i], "26", std::to_string(i + 7));
    for (int k = 1; k <= 4; ++k) SetCtlCaption(Label1[10 + k], GetText("26", "18") + " " + std::to_string(k));
    SetCaption(Label1[15], "26", "19");
    for (int i = 0; i < 4; ++i) SetCaption(optTipo[i], "26", std::to_string(10 + i));
    SetCaption(chkP312, "26", "14");
    if (type_ == 3 || type_ == 4) {
        SetCaption(fraChipCard, "26", "clientchipcard");
        SetCaption(cmdChipCardDisplay, "26", "clientchipcardh");
        SetCaption(cmdChipCardLoad, "26", "clientchipcardl");
    }
    const int descLen = ConfigLevel.GetMaxDescrLen();
    for (FieldBox* box : txtDesc) box->SetLimit(descLen);
    GateByType();
    nEditState = 0;
    SetFieldsState();
    if (type_ == 2) optTipo[0]->setChecked(true);  // its Click sets type 20
}

void frmClienti::GateByType() {
    showFMult_ = type_ == 1 || type_ == 3 || type_ == 4;
    showExt_ = type_ == 3 || type_ == 4;
    showFid_ = type_ == 4;
    if (type_ == 2) SetCaption(lblCredito, "26", "disc");
    for (QWidget* w : {static_cast<QWidget*>(lblFMult), static_cast<QWidget*>(txtFMult),
                       static_cast<QWidget*>(chkCliFlag[0])})
        w->setVisible(showFMult_);
    for (QWidget* w : {static_cast<QWidget*>(lblDesc[2]), static_cast<QWidget*>(txtDesc[2]),
                       static_cast<QWidget*>(lblDesc[3]), static_cast<QWidget*>(txtDesc[3]),
                       static_cast<QWidget*>(lblClientGroup), static_cast<QWidget*>(txtClientG),
                       static_cast<QWidget*>(lblCF_PIVA), static_cast<QWidget*>(txtCF_PIVA)})
        w->setVisible(showExt_);
    for (QWidget* w : {static_cast<QWidget*>(lblLineaFid), static_cast<QWidget*>(txtLineaFid),
                       static_cast<QWidget*>(lblSaldoPunti), static_cast<QWidget*>(txtSaldoPunti)})
        w->setVisible(showFid_);
    fraChipCard->setVisible(showExt_);
    fraCliCard->setVisible(type_ == 2);
}

void frmClienti::TakeGeneration() {
    const int16_t type = ConfigLevel.GetClientType(LinkState.nCurCash);
    if (type == type_) return;
    type_ = type;
    objCli.CliType(type_);
    // The archive is converted to the generation when it is next opened.
    if (!objCli.GetFile().empty()) objCli.SetFile(objCli.GetFile(), true);
    SayCliDropped(objCli);
    GateByType();
}

void frmClienti::SetFieldsState() {
    // A register not enabled for work is said once per opening, not at
    // every change of the fields' state.
    const int cash = LinkState.nCurCash;
    bool enabled = cash >= 0 && cash < kMaxCash && CassaList[cash].bEnabled;
    if (!enabled && !notEnabledSaid_) {
        notEnabledSaid_ = true;
        enabled = TestCashEnabled();
    }
    cmdLoad->setEnabled(enabled);
    cmdSend->setEnabled(enabled && objCli.nCliNum() > 0);
    const bool fields = nEditState != 0 && nEditState != 1;
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblDesc[0], lblDesc[1], lblDesc[2], lblDesc[3], lblListino, lblLineaFid, lblSaldoPunti, lblIVA,
             lblFMult, lblCredito, lblClientGroup, lblCF_PIVA, txtDesc[0], txtDesc[1], txtDesc[2], txtDesc[3],
             txtListino, txtLineaFid, txtSaldoPunti, txtIVA, txtFMult, txtCredito, chkCliFlag[0], chkCliFlag[1],
             chkCliFlag[2], txtClientG, txtCF_PIVA})
        w->setEnabled(fields);
    if (!fields) {
        cmdAdd->setEnabled(false);
        cmdMod->setEnabled(false);
        cmdDel->setEnabled(false);
    } else if (nEditState == 2 || nEditState == 4) {
        cmdAdd->setEnabled(nEditState == 4);
        cmdMod->setEnabled(nEditState == 2);
        cmdDel->setEnabled(nEditState == 2);
    }
}

void frmClienti::SetModState() {
    if (nEditState == 4)
        nEditState = 5;
    else if (nEditState == 2)
        nEditState = 3;
}

void frmClienti::ShowConf(int16_t mode) {
    if (mode == 1) {
        QSignalBlocker quiet(cbxCli);
        const QString text = cbxCli->currentText();
        cbxCli->insertItem(objCli.nCurrentRec() - 1, ToQt(tables::TrimBlanks(objCli.strCodice())));
        cbxCli->setCurrentIndex(-1);
        cbxCli->setEditText(text);
        return;
    }
    if (!fields::EditorFolderReady()) return;
    TakeGeneration();
    objCli.SetFile(tables::TablePath(kClientiFile), true);
    SayCliDropped(objCli);
    frmList* list = frmList::Instance();
    {
        QSignalBlocker quiet(cbxCli);
        cbxCli->clear();
    }
    list->ClearList();
    list->SetCaption(GetText("26", "listcaption"));
    const bool groups = ConfigLevel.GetClientGroupsEnable();
    const float share = groups ? 0.25f : 1.0f / 3;
    for (const char* key : {"client", "desc1", "desc2"}) list->AddColumn(GetText("26", key), share);
    if (groups) list->AddColumn(GetText("26", "clientgroup"), share);
    QStringList codes;
    if (objCli.nCliNum() > 0) {
        errno = 0;
        int16_t file = objCli.OpenFile(objCli.GetFile());
        // An archive that is there but will not open is said, never shown
        // as an empty one.
        if (file == -1)
            CurrentShell().MsgBox("ShowConf - " + platform::FileErrorText(errno, objCli.GetFile()), "");
        if (file != -1) {
            std::string record;
            for (int32_t i = 1; i <= objCli.nCliNum(); ++i) {
                if (!objCli.ReadRec(file, record, i)) break;
                objCli.SetRecord(record);
                codes << ToQt(tables::TrimBlanks(objCli.strCodice()));
                list->SetList(i - 1, 0, objCli.strCodice());
                list->SetList(i - 1, 1, tables::TrimBlanks(objCli.Get(CliField::strDesc1)));
                list->SetList(i - 1, 2, tables::TrimBlanks(objCli.Get(CliField::strDesc2)));
                if (groups) list->SetList(i - 1, 3, tables::TrimBlanks(objCli.Get(CliField::strGroup)));
            }
            objCli.CloseFile(file);
        }
    }
    {
        QSignalBlocker quiet(cbxCli);
        cbxCli->addItems(codes);
        cbxCli->setCurrentIndex(-1);
    }
    nEditState = 0;
    ShowCli("");
    if (fDocForm) fDocForm->SetPGBValue(-1);
    ShowMsg("", "");
    SetFieldsState();
}

void frmClienti::ShowCli(const std::string& code) {
    const int16_t state = nEditState;
    nEditState = -1;
    if (code.empty()) {
        // The typed text stays in the box: only the choice goes.
        QSignalBlocker quiet(cbxCli);
        const QString text = cbxCli->currentText();
        cbxCli->setCurrentIndex(-1);
        cbxCli->setEditText(text);
        for (FieldBox* box : {txtDesc[0], txtDesc[1], txtDesc[2], txtDesc[3], txtListino, txtIVA, txtFMult,
                              txtCredito, txtClientG, txtCF_PIVA, txtLineaFid, txtSaldoPunti})
            box->Show("");
        for (QCheckBox* c : chkCliFlag) c->setChecked(false);
    } else {
        auto get = [this](CliField f) { return tables::TrimBlanks(objCli.Get(f)); };
        txtDesc[0]->Show(get(CliField::strDesc1));
        txtDesc[1]->Show(get(CliField::strDesc2));
        txtDesc[2]->Show(get(CliField::strDesc3));
        txtDesc[3]->Show(get(CliField::strDesc4));
        txtListino->Show(get(CliField::strListino));
        txtIVA->Show(get(CliField::strIVA));
        txtFMult->Show(std::to_string(tables::NumValue(get(CliField::strFMUlt))));
        txtCredito->Show(type_ == 2 ? get(CliField::strCredito) : CurToStr(tables::NumValue(get(CliField::strCredito))));
        txtClientG->Show(get(CliField::strGroup));
        txtCF_PIVA->Show(get(CliField::strCF_PIVA));
        txtLineaFid->Show(get(CliField::strLineaFid));
        txtSaldoPunti->Show(get(CliField::strSaldoPunti));
        ShowFlags(ArrayFlags(chkCliFlag, 3), tables::NumValue(get(CliField::strFlag)));
    }
    nEditState = state;
}

void frmClienti::ResetCliFields() {
    for (CliField f : {CliField::strDesc1, CliField::strDesc2, CliField::strDesc3, CliField::strDesc4,
                       CliField::strCF_PIVA})
        objCli.Let(f, "");
    for (CliField f : {CliField::strGroup, CliField::strListino, CliField::strLineaFid, CliField::strSaldoPunti,
                       CliField::strIVA, CliField::strFMUlt, CliField::strCredito, CliField::strFlag})
        objCli.Let(f, "0");
}

bool frmClienti::SetDati() {
    TakeRefused();
    if (strCurCode.size() > kCodeWidth) return Refuse(cbxCli);
    bool ok = true;
    int64_t v = 0;
    // A whole number typed into its box, stored as plain digits; a number
    // outside lo..hi refuses the record.
    auto number = [&](FieldBox* box, CliField field, int64_t lo, int64_t hi) {
        if (fields::TakeNumber(box->Typed(), lo, hi, v))
            objCli.Let(field, std::to_string(v));
        else
            ok = Refuse(box);
    };
    objCli.Let(CliField::strCodice, strCurCode);
    const CliField descs[4] = {CliField::strDesc1, CliField::strDesc2, CliField::strDesc3, CliField::strDesc4};
    for (int i = 0; i < 4; ++i) objCli.Let(descs[i], fields::WireSafe(txtDesc[i]->Typed()));
    number(txtListino, CliField::strListino, 0, 1);
    if (showFid_) {
        number(txtLineaFid, CliField::strLineaFid, 0, 2);
        if (fields::TakeNumber(txtSaldoPunti->Typed(), 0, 30000, v))
            objCli.Let(CliField::strSaldoPunti, tables::FormatNum(v, 5));
        else
            ok = Refuse(txtSaldoPunti);
    }
    if (fields::TakeNumber(txtIVA->Typed(), 0, 9, v) && (v <= ConfigLevel.GetMaxTabIva() || v == 9))
        objCli.Let(CliField::strIVA, std::to_string(v));
    else
        ok = Refuse(txtIVA);
    if (showFMult_) number(txtFMult, CliField::strFMUlt, 0, Sizes.nMaxFunMul);
    const std::string credit = txtCredito->Typed();
    if (type_ == 2) {
        // The discount as a whole number, a negative one with its "-"; it
        // must fit the field's eight characters.
        if (fields::TakeNumber(credit, INT32_MIN, INT32_MAX, v) && std::to_string(v).size() <= 8)
            objCli.Let(CliField::strCredito, std::to_string(v));
        else
            ok = Refuse(txtCredito);
    } else if (fields::IsNumber(fields::TypedNumber(credit)) && fields::TakeAmount(credit, 0, 99999999, v)) {
        objCli.Let(CliField::strCredito, std::to_string(v));
    } else {
        ok = Refuse(txtCredito);
    }
    objCli.Let(CliField::strFlag, std::to_string(FlagsValue(ArrayFlags(chkCliFlag, 3))));
    if (showExt_) {
        number(txtClientG, CliField::strGroup, 0, Sizes.nMaxClientG);
        objCli.Let(CliField::strCF_PIVA, fields::WireSafe(txtCF_PIVA->Typed()));
    }
    // The record's own check, its failing step named by its box.
    if (ok) {
        const QWidget* boxes[] = {cbxCli,        txtListino, txtIVA,      txtFMult,     txtCredito,
                                  chkCliFlag[0], txtClientG, txtLineaFid, txtSaldoPunti};
        const int step = objCli.CheckCli();
        if (step >= 1 && step <= 9) {
            ok = Refuse(boxes[step - 1]);
        } else if (step != 0) {
            ok = false;
        }
    }
    return ok;
}

SaveResult frmClienti::TestChange(bool beforeOperation) {
    if (nEditState != 3 && nEditState != 5) return SaveResult::Saved;
    if (!SetDati()) {
        const Refusal refused = TakeRefusal();
        NoteRefusal(refused.name, refused.control);
        // Said as the Add or Modify of the customer would say it, then why
        // the operation did not start.
        const std::string why = refused.name.empty() ? GetText("Msg1", "3")
                                                     : refused.name + ": " + GetText("Msg1", "badfield");
        ShowMsgText(GetText("Msg", nEditState == 5 ? "5" : "6") + " - " + why,
                    beforeOperation ? GetText("Msg", "opnotstarted") : "");
        return SaveResult::NotSaved;
    }
    const Reply answer = AskConfirm();
    if (answer != Reply::Yes) return answer == Reply::No ? SaveResult::Saved : SaveResult::Closed;
    if (nEditState == 5)
        GestAddCli();
    else
        GestModCli();
    // A save the archive refused keeps the change, as a refused field does.
    return nEditState == 2 ? SaveResult::Saved : SaveResult::NotSaved;
}

bool frmClienti::BeforeOperation() {
    if (!ChangeShown()) return true;
    if (TestChange(true) != SaveResult::Saved) return false;
    // Kept or dropped: the record view is emptied, as the editor's own
    // buttons leave it after the question.
    nEditState = 0;
    SetFieldsState();
    ShowCli("");
    return true;
}

void frmClienti::GestAddCli() {
    TakeGeneration();
    if (objCli.GetCli(tables::TrimBlanks(strCurCode))) {
        ShowMsg("5", "4");
    } else if (!SetDati()) {
        ShowSaveRefused(TakeRefused(), "5");
    } else if (objCli.AddCli()) {
        ShowConf(1);
        ShowMsg("", "");
        nEditState = 2;
        SetFieldsState();
        return;
    }
    // Not added (a code in the file, a field refused, or a file error the
    // archive has reported): the new customer stays on screen.
    nEditState = 4;
    SetFieldsState();
}

void frmClienti::GestModCli() {
    bool saved = false;
    if (!SetDati())
        ShowSaveRefused(TakeRefused(), "6");
    else if ((saved = objCli.ModCli()))
        ShowMsg("", "");
    // A change not written stays a change: leaving asks about it.
    nEditState = saved ? 2 : 3;
    SetFieldsState();
}

void frmClienti::GestDelCli() {
    // A deletion the archive refused leaves the code box as it is.
    if (!objCli.DelCli()) return;
    ShowMsg("", "");
    int p = objCli.nCurrentRec() - 1;
    if (cbxCli->count() > 0) {
        QSignalBlocker quiet(cbxCli);
        cbxCli->removeItem(p);
        cbxCli->setCurrentIndex(-1);
    }
    if (p >= cbxCli->count()) p = cbxCli->count() - 1;
    if (p >= 0) {
        cbxCli->setCurrentIndex(p);  // its Click shows that customer
    } else {
        nEditState = 0;
        SetFieldsState();
        cbxCli->setEditText("");
        ShowCli("");
    }
}

int frmClienti::FindCliIndex(const std::string& code) const {
    return cbxCli->findText(ToQt(tables::TrimBlanks(code)), Qt::MatchExactly);
}

bool frmClienti::TestLimiti(const std::string& from, const std::string& to) {
    auto code = [](const std::string& t) {
        return fields::AllDigits(t) && t.size() <= kCodeWidth && t[0] != '0';
    };
    if (code(from) && code(to)) return true;
    ShowMsg("8", "6");
    return false;
}

bool frmClienti::LeaveRecord() {
    if (LeaveShown([this] { return TestChange(); })) return true;
    // The change is kept: the code box shows its record's code again.
    const QSignalBlocker quiet(cbxCli);
    cbxCli->setCurrentIndex(FindCliIndex(strCurCode));
    cbxCli->setEditText(ToQt(strCurCode));
    return false;
}

void frmClienti::cbxCli_Change() {
    if (!LeaveRecord()) return;
    nEditState = 1;
    SetFieldsState();
    ShowCli("");
}

void frmClienti::cbxCli_Enter() {
    TakeGeneration();
    const std::string code = tables::TrimBlanks(FromQt(cbxCli->currentText()));
    strCurCode = code;
    if (code.empty()) {
        ShowCli("");
        nEditState = 0;
    } else if (code.size() > kCodeWidth) {
        return;
    } else if (objCli.GetCli(code)) {
        ShowCli(code);
        nEditState = 2;
    } else {
        ResetCliFields();
        ShowCli(code);
        nEditState = 4;
    }
    SetFieldsState();
}

void frmClienti::cbxCli_Click() {
    if (!LeaveRecord()) return;
    TakeGeneration();
    const std::string code = tables::TrimBlanks(FromQt(cbxCli->currentText()));
    strCurCode = code;
    // A code the archive does not hold (the box out of step with the file)
    // shows nothing, so that no other customer is changed or deleted.
    if (!code.empty() && objCli.GetCli(code)) {
        ShowCli(code);
        nEditState = 2;
    } else {
        ShowCli("");
        nEditState = 0;
    }
    SetFieldsState();
}

void frmClienti::cmdList_Click() {
    if (!LeaveRecord()) return;
    nEditState = 0;
    SetFieldsState();
    ShowCli("");
    ShowConf(0);
    frmList* list = frmList::Instance();
    const int row = list->ShowModal();
    if (row != -1) {
        const int i = FindCliIndex(list->List(row, 0));
        if (i >= 0) cbxCli->setCurrentIndex(i);
    }
}

void frmClienti::cmdLoad_Click() {
    // Whether the read may start is known before anything is asked: a start
    // refused changes nothing. Then a change shown is asked about (the
    // operation's start asks it), and closing that question starts nothing.
    if (!MayStartOperation()) return;
    nEditState = 0;
    SetFieldsState();
    ShowCli("");
    std::string from(kFirstCode), to(kLastCode);
    if (!range->chkAll->isChecked()) {
        from = range->txtFrom->Typed();
        to = range->txtTo->Typed();
        if (!TestLimiti(from, to)) return;
    }
    ReqCli(from, to);
}

void frmClienti::cmdSend_Click() {
    TakeGeneration();
    ClientM second;
    second.CliType(type_);
    second.SetFile(objCli.GetFile(), true);
    SayCliDropped(second);
    if (!LeaveRecord()) return;
    nEditState = 0;
    SetFieldsState();
    ShowCli("");
    int32_t first = 1, last = -1;
    if (!range->chkAll->isChecked()) {
        if (!second.GetCli(range->txtFrom->Typed())) return;
        first = second.nCurrentRec();
        if (!second.GetCli(range->txtTo->Typed())) return;
        last = second.nCurrentRec();
    }
    SendCli(first, last);
}

void frmClienti::cmdDelArc_Click() {
    // A start that would be refused is refused before anything is asked.
    if (OperationRunning() && !MayStartOperation()) return;
    if (!LeaveRecord()) return;
    if (!CurrentShell().AskYesNo(DeleteInRegistersQuestion(), GetText("Msg", "74"))) return;
    ShowMsg("", "");
    std::string token = "#M";
    if (!range->chkAll->isChecked()) {
        const std::string from = range->txtFrom->Typed();
        const std::string to = range->txtTo->Typed();
        if (!TestLimiti(from, to)) return;
        token = "#N" + from + ":" + to;
    }
    if (ResetTimer()) SendDelCli(token);
}

bool frmClienti::CardButton() {
    if (!LeaveRecord()) return false;
    nEditState = 0;
    SetFieldsState();
    ShowCli("");
    return true;
}

void frmClienti::cmdChipCardLoad_Click() {
    if (!CardButton() || !TestCashEnabled()) return;
    if (ResetTimer()) ReadCliCard();
}

void frmClienti::cmdChipCardDisplay_Click() {
    if (!CardButton() || !TestCashEnabled()) return;
    const std::string path = tables::TablePath("ClientChipCard.rpt");
    if (!platform::FileExists(path)) {
        ShowMsgText(GetText("Msg", "80"), GetText("Msg1", "18") + " [" + path + "]");
        return;
    }
    std::string error;
    if (!platform::OpenInTextEditor(path, error)) ShowMsgText(GetText("Msg", "80"), error);
}

int frmClienti::SelectedTipo() const {
    for (int i = 0; i < 4; ++i)
        if (optTipo[i]->isChecked()) return i;
    return -1;
}

void frmClienti::optTipo_Click(int index) {
    txtCodice->Show("");
    chkP312->setChecked(false);
    mskData->ShowMask("00/00/00");
    for (FieldBox* box : txtBollini) box->Show("");
    txtImporto->Show("");
    txtValore->Show("");
    txtRicariche->Show("0");
    if (index < 0 || index > 3) return;
    CliCard.nTipo = static_cast<int16_t>(20 + index);
    const CardFields& f = kCardTypes[index];
    chkP312->setVisible(f.p312);
    Label1[9]->setVisible(f.value);
    txtValore->setVisible(f.value);
    Label1[10]->setVisible(f.amount);
    txtImporto->setVisible(f.amount);
    Label1[15]->setVisible(f.recharges);
    txtRicariche->setVisible(f.recharges);
    for (int k = 0; k < 4; ++k) {
        Label1[11 + k]->setVisible(f.stamps);
        txtBollini[k]->setVisible(f.stamps);
    }
}

bool frmClienti::SetCard() {
    // Every number is checked before the card changes: a value that does
    // not fit its field leaves the whole card as it was.
    std::array<int16_t, 5> stamps{};
    int32_t value = 0, amount = 0;
    bool ok = CardAmount(txtValore->Typed(), value) && CardAmount(txtImporto->Typed(), amount);
    for (int k = 1; k <= 4; ++k) ok = ok && CardStamps(txtBollini[k - 1]->Typed(), stamps[k]);
    if (!ok) {
        ShowMsg("84", "3");
        return false;
    }
    const int i = SelectedTipo();
    if (i >= 0) CliCard.nTipo = static_cast<int16_t>(20 + i);
    CliCard.bValid = False;
    CliCard.strCodice = fields::WireSafe(txtCodice->Typed());
    CliCard.bP312 = chkP312->isChecked() ? 128 : 0;
    CliCard.aBollini = stamps;
    CliCard.nValore = value;
    CliCard.nImporto = amount;
    if (CliCard.nRicariche < INT32_MAX) ++CliCard.nRicariche;
    txtRicariche->Show(std::to_string(CliCard.nRicariche));
    CliCard.strData = DateDigits(mskData);
    return true;
}

void frmClienti::ClearCard() {
    CliCard.bP312 = 0;
    CliCard.nImporto = 0;
    CliCard.nValore = 0;
    CliCard.nRicariche = 0;
    CliCard.strCodice.clear();
    CliCard.strData = "000000";
    CliCard.aBollini = {};
}

void frmClienti::ShowCard() {
    const int i = SelectedTipo();
    if ((i < 0 ? 0 : 20 + i) != CliCard.nTipo) {
        ShowMsg("83", "21");
        return;
    }
    std::string date = CliCard.strData;
    date.resize(6, '0');
    mskData->ShowMask(date.substr(0, 2) + "/" + date.substr(2, 2) + "/" + date.substr(4, 2));
    txtCodice->Show(CliCard.strCodice);
    chkP312->setChecked(CliCard.bP312 & 128);
    for (int k = 1; k <= 4; ++k) txtBollini[k - 1]->Show(std::to_string(CliCard.aBollini[k]));
    txtValore->Show(CurToStr(CliCard.nValore));
    txtImporto->Show(CurToStr(CliCard.nImporto));
    txtRicariche->Show(std::to_string(CliCard.nRicariche));
}

// Only the panel of an LX4100 shows the card; on another register the
// refresh always rebuilds the customers.
bool frmClienti::CardValid() const { return type_ == 2 && CliCard.bValid != False; }

void frmClienti::cmdClear_Click() {
    if (!CardButton() || !TestCashEnabled()) return;
    if (!CurrentShell().AskYesNo(GetText("Msg", "75"), GetText("Msg", "74"))) return;
    ClearCard();
    ShowCard();
    ClearChipCard();
}

void frmClienti::cmdRead_Click() {
    if (!CardButton() || !TestCashEnabled()) return;
    CliCardNop();
}

void frmClienti::cmdWrite_Click() {
    if (!CardButton() || !TestCashEnabled()) return;
    if (SetCard()) CliCardNop();
}

SaveResult frmClienti::UnloadSave() {
    frmList::Unload();
    return TestChange();
}
