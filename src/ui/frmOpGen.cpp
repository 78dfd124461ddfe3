#include "ui/frmOpGen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/texts.h"
#include "ui/controls/qt_text.h"
#include "core/field_rules.h"
#include "ui/controls/ctl_caption.h"
#include "ui/controls/editor_controls.h"
#include "engine/builders_tables.h"
#include "core/hello_rec.h"
#include "core/record.h"

namespace {

bool OldFamily() { return ConfigLevel.IsModel({"TAV3800", "QUENTARO", "VELTA7300", "ORBA", "KWT1900"}); }

std::string Two(int value) {
    std::string s = std::to_string(value);
    return s.size() < 2 ? std::string(2 - s.size(), '0') + s : s;
}

// Up to n characters of the text from the position (0-based); empty past
// its end.
std::string Mid(const std::string& text, size_t from, size_t n) {
    return from < text.size() ? text.substr(from, n) : std::string();
}

// The number of two characters at the position (1-based) of a masked text;
// -1 when they are not two digits.
int TwoDigits(const std::string& text, size_t from) {
    if (from < 1 || text.size() < from + 1) return -1;
    const char a = text[from - 1], b = text[from];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// The frames' rows close together, so that each tab fits the editor's
// default size.
template <class Layout>
Layout* Compact(Layout* layout) {
    layout->setSpacing(2);
    layout->setContentsMargins(6, 2, 6, 4);
    return layout;
}

QGridLayout* Grid(QWidget* parent) {
    auto* grid = Compact(new QGridLayout(parent));
    grid->setColumnStretch(2, 1);
    return grid;
}

}  // namespace

frmOpGen::frmOpGen() {
    setObjectName("frmOpGen");
    sstOpGen = new QTabWidget(this);
    sstOpGen->setObjectName("sstOpGen");
    auto* tab0 = new QWidget;
    auto* tab1 = new QWidget;
    sstOpGen->addTab(tab0, QString());
    sstOpGen->addTab(tab1, QString());

    // First tab: the VAT rates, P312, P042 with P040 and P041, the dates.
    Frame3 = NewFrame(tab0, "Frame3");
    auto* vat = Grid(Frame3);
    Label3 = NewLabel(Frame3, "Label3");
    vat->addWidget(Label3, 0, 0, 1, 2);
    for (int n = 0; n < 5; ++n) {
        Label2[n] = NewLabel(Frame3, ArrayName("Label2", n));
        Label2[n]->setText(QString::number(n));
        Label2[n]->hide();  // shown for the model's rates
        txtP016[n] = new FieldBox(Frame3, ArrayName("txtP016", n), 3);
        txtP016[n]->setEnabled(false);
        vat->addWidget(Label2[n], 1 + n, 0);
        vat->addWidget(txtP016[n], 1 + n, 1, Qt::AlignLeft);
    }
    chkEnaIVATab = NewCheck(Frame3, "chkEnaIVATab");
    vat->addWidget(chkEnaIVATab, 6, 0, 1, 3);

    Frame8 = NewFrame(tab0, "Frame8");
    auto* p312 = Compact(new QVBoxLayout(Frame8));
    for (int i = 0; i < 6; ++i) {
        chkP312[i] = NewCheck(Frame8, ArrayName("chkP312", i));
        p312->addWidget(chkP312[i]);
    }
    p312->addStretch(1);

    Frame5 = NewFrame(tab0, "Frame5");
    auto* p042 = Compact(new QVBoxLayout(Frame5));
    chkP042D = NewCheck(Frame5, "chkP042D");
    chkP042E = NewCheck(Frame5, "chkP042E");
    chkP042F = NewCheck(Frame5, "chkP042F");
    chkP042G = NewCheck(Frame5, "chkP042G");
    chkP042H = NewCheck(Frame5, "chkP042H");
    chkP040 = NewCheck(Frame5, "chkP040");
    chkP041 = NewCheck(Frame5, "chkP041");
    for (QCheckBox* b : {chkP042D, chkP042E, chkP042F, chkP042G, chkP042H, chkP040, chkP041}) p042->addWidget(b);
    p042->addStretch(1);

    fraDataOra = NewFrame(tab0, "fraDataOra");
    auto* dates = Grid(fraDataOra);
    for (int i = 0; i < 7; ++i) Label1[i] = NewLabel(this, ArrayName("Label1", i));
    mskData = new MaskBox(fraDataOra, "mskData", "##/##/##");
    mskOra = new MaskBox(fraDataOra, "mskOra", "##:##");
    mskP601 = new MaskBox(fraDataOra, "mskP601", "##/##/##");
    chkTxDataOra = NewCheck(fraDataOra, "chkTxDataOra");
    for (QWidget* w : {static_cast<QWidget*>(Label1[0]), static_cast<QWidget*>(Label1[1]),
                       static_cast<QWidget*>(Label1[2])})
        w->setParent(fraDataOra);
    dates->addWidget(Label1[0], 0, 0);
    dates->addWidget(mskData, 0, 1, Qt::AlignLeft);
    dates->addWidget(Label1[1], 1, 0);
    dates->addWidget(mskOra, 1, 1, Qt::AlignLeft);
    dates->addWidget(chkTxDataOra, 2, 0, 1, 3);
    dates->addWidget(Label1[2], 3, 0);
    dates->addWidget(mskP601, 3, 1, Qt::AlignLeft);
    dates->setRowStretch(4, 1);

    auto* page0 = new QGridLayout(tab0);
    page0->setContentsMargins(4, 4, 4, 4);
    page0->addWidget(Frame3, 0, 0);
    page0->addWidget(Frame8, 0, 1);
    page0->addWidget(Frame5, 1, 0);
    page0->addWidget(fraDataOra, 1, 1);
    page0->setRowStretch(2, 1);

    // Second tab: P110, P213 with P216 and PX2, P012 P015 P017, P019.
    Frame4 = NewFrame(tab1, "Frame4");
    auto* p110 = Grid(Frame4);
    chkP110D = NewCheck(Frame4, "chkP110D");
    chkP110E = NewCheck(Frame4, "chkP110E");
    chkP110D->hide();  // LX4100 only
    chkP110E->hide();
    cbxP110F = NewList(Frame4, "cbxP110F");
    chkP110G = NewCheck(Frame4, "chkP110G");
    chkP110H = NewCheck(Frame4, "chkP110H");
    Label1[3]->setParent(Frame4);
    p110->addWidget(chkP110D, 0, 0, 1, 3);
    p110->addWidget(chkP110E, 1, 0, 1, 3);
    p110->addWidget(Label1[3], 2, 0);
    p110->addWidget(cbxP110F, 2, 1, Qt::AlignLeft);
    p110->addWidget(chkP110G, 3, 0, 1, 3);
    p110->addWidget(chkP110H, 4, 0, 1, 3);

    Frame7 = NewFrame(tab1, "Frame7");
    auto* p213 = Grid(Frame7);
    cbxP213 = NewList(Frame7, "cbxP213");
    txtP216 = new FieldBox(Frame7, "txtP216", 3);
    chkPX2A = NewCheck(Frame7, "chkPX2A");
    chkPX2H = NewCheck(Frame7, "chkPX2H");
    Label1[4]->setParent(Frame7);
    Label1[5]->setParent(Frame7);
    p213->addWidget(Label1[4], 0, 0);
    p213->addWidget(cbxP213, 0, 1, Qt::AlignLeft);
    p213->addWidget(Label1[5], 1, 0);
    p213->addWidget(txtP216, 1, 1, Qt::AlignLeft);
    p213->addWidget(chkPX2A, 2, 0, 1, 3);
    p213->addWidget(chkPX2H, 3, 0, 1, 3);

    Frame6 = NewFrame(tab1, "Frame6");
    auto* p012 = Grid(Frame6);
    chkP012 = NewCheck(Frame6, "chkP012");
    chkP015 = NewCheck(Frame6, "chkP015");
    Label1[6]->setParent(Frame6);
    lblP017 = NewLabel(Frame6, "lblP017");
    lblP017->setText("0");
    lblP017->setAlignment(Qt::AlignCenter);
    lblP017->setMinimumWidth(lblP017->fontMetrics().horizontalAdvance("-00") + 8);
    cmdDecP017 = NewButton(Frame6, "cmdDecP017");
    cmdIncP017 = NewButton(Frame6, "cmdIncP017");
    cmdDecP017->setText("-");
    cmdIncP017->setText("+");
    auto* steps = new QHBoxLayout;
    steps->addWidget(cmdDecP017);
    steps->addWidget(lblP017);
    steps->addWidget(cmdIncP017);
    p012->addWidget(chkP012, 0, 0, 1, 3);
    p012->addWidget(chkP015, 1, 0, 1, 3);
    p012->addWidget(Label1[6], 2, 0);
    p012->addLayout(steps, 2, 1, Qt::AlignLeft);

    fraFlagGen = NewFrame(tab1, "fraFlagGen");
    auto* flags = Compact(new QGridLayout(fraFlagGen));
    for (int i = 0; i < 8; ++i) {
        chkP019[i] = NewCheck(fraFlagGen, ArrayName("chkP019", i));
        chkP019_1[i] = NewCheck(fraFlagGen, ArrayName("chkP019_1", i));
        flags->addWidget(chkP019[i], i, 0);
        flags->addWidget(chkP019_1[i], i, 1);
    }
    flags->setRowStretch(8, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(Frame4);
    left->addWidget(Frame7);
    left->addWidget(Frame6);
    left->addStretch(1);
    auto* page1 = new QHBoxLayout(tab1);
    page1->setContentsMargins(4, 4, 4, 4);
    page1->addLayout(left);
    page1->addWidget(fraFlagGen, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sstOpGen);
    layout->addLayout(ButtonRow());

    auto step = [this](int by) { SetP017(tables::NumValue(FromQt(lblP017->text())) + by); };
    connect(cmdDecP017, &QPushButton::clicked, this, [step] { step(-1); });
    connect(cmdIncP017, &QPushButton::clicked, this, [step] { step(1); });
}

int frmOpGen::Rates() const { return std::clamp<int>(ConfigLevel.GetMaxTabIva(), 0, 5); }

void frmOpGen::InitForm() {
    NumberedTexts(this, "4");
    SetCaption(chkTxDataOra, "7", "7");
    for (int i = 0; i < 7; ++i) SetCaption(Label1[i], "4", std::to_string(i + 1));
    SetCaption(Label3, "4", "14");
    const std::pair<QGroupBox*, const char*> frames[] = {{Frame3, "12"}, {Frame4, "9"}, {Frame5, "8"},
                                                         {Frame6, "13"}, {Frame7, "10"}, {Frame8, "11"}};
    for (const auto& [frame, key] : frames) SetCaption(frame, "4", key);
    const std::pair<QCheckBox*, const char*> boxes[] = {
        {chkEnaIVATab, "27"}, {chkP012, "28"}, {chkP015, "29"}, {chkP040, "20"}, {chkP041, "21"},
        {chkP042D, "15"},     {chkP042E, "16"}, {chkP042F, "17"}, {chkP042G, "18"}, {chkP042H, "19"},
        {chkP110D, "39"},     {chkP110E, "40"}, {chkP110G, "22"}, {chkP110H, "23"}};
    for (const auto& [box, key] : boxes) SetCaption(box, "4", key);
    for (int i = 0; i < 6; ++i) SetCaption(chkP312[i], "4", "312" + std::to_string(i));

    // The model's boxes, after the texts: gating shows a box again that an
    // empty text hid.
    const bool lx = ConfigLevel.CashType() == "LX4100";
    const bool newer = ConfigLevel.IsModel({"DRAVO57", "TIMBREL", "NAVOSK", "ZANDORE", "MERIDOTAN"});
    if (lx) {
        chkP042D->hide();
        chkP110D->show();
        chkP110E->show();
        chkPX2A->hide();
    }
    for (int i = 0; i < 5; ++i)
        if (lx || OldFamily() || newer) chkP312[i]->setVisible(i < 3 || newer);
    SetCaption(chkPX2A, "4", "25");
    SetCaption(chkPX2H, "4", "24");

    FillList(cbxP110F, {GetText("4", "33"), GetText("4", "34")});
    std::vector<std::string> p213;
    for (const char* key : {"35", "36", "37", "38"}) p213.push_back(GetText("4", key));
    if (ConfigLevel.IsModel({"ZANDORE", "MERIDOTAN"})) p213.push_back(GetText("4", "39"));
    FillList(cbxP213, p213);

    for (int n = 0; n < Rates(); ++n) {
        Label2[n]->show();
        txtP016[n]->setEnabled(true);
    }
    for (int i = 0; i < sstOpGen->count(); ++i)
        sstOpGen->setTabText(i, ToQt(GetText("4", "sstOpGen(" + std::to_string(i) + ")")));
    sstOpGen->setCurrentIndex(0);
    SetCaption(fraDataOra, "4", "fraDataOra");
    SetCaption(fraFlagGen, "4", "fraFlagGen");
    for (int i = 0; i < 8; ++i) {
        const std::string letter(1, static_cast<char>('A' + i));
        SetCaption(chkP019[i], "4", "P019_" + letter);
        SetCaption(chkP019_1[i], "4", "P019_1_" + letter);
    }

    // The bits the model lets the user change; the others still show theirs.
    int first = 8, last = -1, last1 = -1;  // enabled P019 boxes first..last, P019_1 boxes 0..last1
    if (OldFamily()) {
        first = 0;
        last = 1;
    } else if (ConfigLevel.IsModel({"TIMBREL", "NAVOSK"})) {
        first = 2;
        last = 5;
    } else if (ConfigLevel.IsModel({"DRAVO57", "ZANDORE", "MERIDOTAN"})) {
        first = 2;
        last = 5;
        last1 = 2;
    }
    for (int i = 0; i < 8; ++i) {
        chkP019[i]->setEnabled(i >= first && i <= last);
        chkP019_1[i]->setEnabled(i <= last1);
    }
}

void frmOpGen::ShowConf() {
    const CassaConfRec& c = udtCassaConf;
    SetDataOra();
    ShowFlags(Letters({chkP042D, chkP042E, chkP042F, chkP042G, chkP042H}, "DEFGH"), c.P042);
    ShowFlags(Letters({chkP110D, chkP110E, chkP110G, chkP110H}, "DEGH"), c.P110);
    ShowFlags(Letters({chkPX2A, chkPX2H}, "AH"), c.PX2);
    ShowFlags(ArrayFlags(chkP312, 6), c.P312);
    cbxP110F->setCurrentIndex((c.P110 & 4) ? 1 : 0);
    chkP015->setChecked(c.P015 != 0);
    chkP040->setChecked(c.P040 != 0);
    chkP012->setChecked(c.P012 != 0);
    chkP041->setChecked(c.P041 != 0);
    for (int n = 0; n < Rates(); ++n) txtP016[n]->Show(std::to_string(c.P016[n]));
    lblP017->setText(QString::number(c.P017));
    // A stored choice past the model's items shows no choice; the save then
    // keeps it.
    cbxP213->setCurrentIndex(c.P213 >= 0 && c.P213 < cbxP213->count() ? c.P213 : -1);
    txtP216->Show(std::to_string(c.P216));
    mskP601->ShowMask(Two(c.P601G) + "/" + Two(c.P601M) + "/" + Two(c.P601A));
    ShowFlags(ArrayFlags(chkP019, 8), c.P019);
    ShowFlags(ArrayFlags(chkP019_1, 8), c.P019_1);
}

int16_t frmOpGen::GetConfP019(int which) const {
    return static_cast<int16_t>(FlagsValue(ArrayFlags(which == 0 ? chkP019 : chkP019_1, 8)));
}

void frmOpGen::SetP017(int value) {
    if (value >= -6 && value <= 6) lblP017->setText(QString::number(value));
}

void frmOpGen::SetDataOra() {
    const std::string& s = HelloRec.strDataOra;
    if (s.empty()) return;
    mskData->ShowMask(Mid(s, 0, 2) + "/" + Mid(s, 2, 2) + "/" + Mid(s, 4, 2));
    mskOra->ShowMask(Mid(s, 6, 2) + ":" + (s.size() >= 2 ? s.substr(s.size() - 2) : s));
}

bool frmOpGen::DataOraValid() const {
    const std::string d = mskData->MaskText(), t = mskOra->MaskText();
    const int day = TwoDigits(d, 1), month = TwoDigits(d, 4), year = TwoDigits(d, 7);
    const int hour = TwoDigits(t, 1), minute = TwoDigits(t, 4);
    return fields::DateExists(day, month, year) && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}

std::string frmOpGen::VatRow(int n) const {
    // As the window labels the row: the table's caption and the VAT code.
    const std::string table = Frame3->isHidden() ? std::string() : FromQt(Frame3->title());
    return (table.empty() ? std::string("P016") : table) + " " + FromQt(Label2[n]->text());
}

bool frmOpGen::SetConf() {
    CassaConfRec& c = udtCassaConf;
    bool ok = true;
    auto last2 = [](const std::string& s) { return s.size() >= 2 ? s.substr(s.size() - 2) : s; };
    const std::string d = mskData->MaskText(), t = mskOra->MaskText();
    HelloRec.strDataOra = Mid(d, 0, 2) + Mid(d, 3, 2) + last2(d) + Mid(t, 0, 2) + last2(t);

    c.P015 = chkP015->isChecked() ? 1 : 0;
    const auto p042 = Letters({chkP042D, chkP042E, chkP042F, chkP042G, chkP042H}, "DEFGH");
    // Bits without a box (128, 64 and 32 of P042 and P110, all of PX2 but A
    // and H) are 0; D and E of P110, hidden but on LX4100, pass theirs through.
    c.P042 = static_cast<int16_t>(FlagsValue(p042));
    c.P110 = static_cast<int16_t>(FlagsValue(Letters({chkP110D, chkP110E, chkP110G, chkP110H}, "DEGH")) +
                                  (cbxP110F->currentIndex() == 1 ? 4 : 0));
    c.P040 = chkP040->isChecked() ? 1 : 0;
    c.P012 = chkP012->isChecked() ? 1 : 0;
    for (int n = 0; n < Rates(); ++n) {
        int64_t v = 0;
        if (fields::TakeWhole(txtP016[n]->Typed(), 0, 99, v))
            c.P016[n] = static_cast<int16_t>(v);
        else
            ok = RefuseAs(VatRow(n), txtP016[n]);
    }
    // The label shows P017 as stored, also outside -6 to +6 (the steppers
    // only move within it), and a save writes back what it shows.
    c.P017 = static_cast<int16_t>(tables::NumValue(FromQt(lblP017->text())));
    if (cbxP213->currentIndex() >= 0) c.P213 = static_cast<int16_t>(cbxP213->currentIndex());
    c.PX2 = static_cast<int16_t>(FlagsValue(Letters({chkPX2A, chkPX2H}, "AH")));
    int64_t v = 0;
    if (fields::TakeWhole(txtP216->Typed(), 0, 30, v))
        c.P216 = static_cast<int16_t>(v);
    else
        ok = Refuse(txtP216);
    c.P041 = chkP041->isChecked() ? 1 : 0;
    // The date of P601 is taken only whole; "00/00/00" is the register's
    // "no date", and the date as the register sent it stays as it is.
    const std::string p601 = mskP601->MaskText();
    const int day = TwoDigits(p601, 1), month = TwoDigits(p601, 4), year = TwoDigits(p601, 7);
    const bool noDate = day == 0 && month == 0 && year == 0;
    if (p601 == Two(c.P601G) + "/" + Two(c.P601M) + "/" + Two(c.P601A)) {
        // unchanged
    } else if (noDate || fields::DateExists(day, month, year)) {
        c.P601G = static_cast<int16_t>(day);
        c.P601M = static_cast<int16_t>(month);
        c.P601A = static_cast<int16_t>(year);
    } else {
        ok = Refuse(mskP601);
    }
    // P312 keeps its bits 2 and 1 and its high byte.
    c.P312 = static_cast<int16_t>(FlagsValue(ArrayFlags(chkP312, 6), c.P312, ~int64_t{252}));
    c.P019 = GetConfP019(0);
    c.P019_1 = GetConfP019(1);
    return ok;
}

void frmOpGen::Request() { ReqOpGen(); }

void frmOpGen::Send() {
    // The date and time are no option: only a send takes them, and only a
    // real date and time go to the register.
    if (chkTxDataOra->isChecked() && !DataOraValid()) {
        ShowSendRefused(FieldCaption(mskData));
        return;
    }
    const std::string token = chkTxDataOra->isChecked() ? "/" + HelloRec.strDataOra + ";" : std::string();
    SendOpGen(token, chkEnaIVATab->isChecked());
}
