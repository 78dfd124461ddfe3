#include "ui/frmScontrino.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "engine/open_register.h"
#include "core/texts.h"
#include "core/field_rules.h"
#include "engine/builders_tables.h"

frmScontrino::frmScontrino() {
    setObjectName("frmScontrino");
    // Each box with its byte, letter, text key and the caption it has before
    // the language file gives one (shown when the file has no text for a box
    // that the model offers).
    const struct {
        QCheckBox** box;
        int byte;
        char letter;
        const char* key;
        const char* builtIn;
    } boxes[] = {
        {&chkP020AA, 1, 'A', "32", "32"},
        {&chkP020AC, 1, 'C', "6", "6"},
        {&chkP020AD, 1, 'D', "7", "7"},
        {&chkP020AE, 1, 'E', "8", "8"},
        {&chkP020AF, 1, 'F', "9", "9"},
        {&chkP020AG, 1, 'G', "10", "10"},
        {&chkP020AH, 1, 'H', "11", "11"},
        {&chkP020BA, 2, 'A', "12", "12"},
        {&chkP020BB, 2, 'B', "13", "13"},
        {&chkP020BC, 2, 'C', "14", "14"},
        {&chkP020BD, 2, 'D', "15", "15"},
        {&chkP020BE, 2, 'E', "P020BE", "stampa ridotta dati cliente"},
        {&chkP020BF, 2, 'F', "16", "16"},
        {&chkP020BG, 2, 'G', "17", "17"},
        {&chkP020BH, 2, 'H', "18", "18"},
        {&chkP020CA, 3, 'A', "19", "19"},
        {&chkP020CB, 3, 'B', "20", "20"},
        {&chkP020CC, 3, 'C', "21", "21"},
        {&chkP020CE, 3, 'E', "P020CE", "stampa ridotta finanziario"},
        {&chkP020CF, 3, 'F', "P020CF", "stampa periodo nel finanziario"},
        {&chkP020CG, 3, 'G', "P020CG", "stampa operatore su scontrino"},
        {&chkP020CH, 3, 'H', "P020CH", "stampa CF/P.IVA cliente su scontrino"},
    };
    for (const auto& b : boxes) {
        *b.box = NewCheck(this, QString("chkP020") + QChar('A' + b.byte - 1) + QChar(b.letter));
        (*b.box)->setText(b.builtIn);
        receipt_.push_back({*b.box, b.byte, b.letter, b.key});
        bytes_[b.byte - 1].push_back({*b.box, LetterWeight(b.letter)});
    }

    cbxP030B = NewList(this, "cbxP030B");
    cbxP030C = NewList(this, "cbxP030C");
    const struct {
        QCheckBox** box;
        const char* name;
        int weight;
    } flags[] = {{&chkP030A, "chkP030A", 128}, {&chkP030D, "chkP030D", 16}, {&chkP030E, "chkP030E", 8},
                 {&chkP030F, "chkP030F", 4},   {&chkP030G, "chkP030G", 2},  {&chkP030H, "chkP030H", 1}};
    for (const auto& f : flags) {
        *f.box = NewCheck(this, f.name);
        p030_.push_back({*f.box, f.weight});
    }
    for (int i = 0; i < 5; ++i) Label1[i] = NewLabel(this, ArrayName("Label1", i));
    txtP031 = new FieldBox(this, "txtP031", 2);
    txtP032 = new FieldBox(this, "txtP032", 2);
    txtP033 = new FieldBox(this, "txtP033", 2);

    // Two columns of boxes, bytes A and B on the left, byte C and the flag
    // byte on the right; below them the two choices and the numbers, each
    // beside its label.
    auto* columns = new QHBoxLayout;
    const std::vector<FlagBox>* sides[2][2] = {{&bytes_[0], &bytes_[1]}, {&bytes_[2], &p030_}};
    for (const auto& side : sides) {
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        for (const std::vector<FlagBox>* group : side) {
            for (const FlagBox& f : *group) column->addWidget(f.box);
            column->addSpacing(8);
        }
        column->addStretch(1);
        columns->addLayout(column, 1);
    }
    auto* grid = new QGridLayout;
    const struct {
        int label;
        QWidget* field;
        int row, column;
    } cells[] = {{0, cbxP030B, 0, 0}, {1, cbxP030C, 1, 0}, {3, txtP031, 0, 2}, {2, txtP032, 1, 2}, {4, txtP033, 2, 2}};
    for (const auto& c : cells) {
        grid->addWidget(Label1[c.label], c.row, c.column);
        grid->addWidget(c.field, c.row, c.column + 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(ButtonRow());
}

bool frmScontrino::HasP033() { return KnownModel() && ConfigLevel.CashType() != "LX4100"; }

void frmScontrino::InitForm() {
    NumberedTexts(this, "6");
    for (int i = 0; i < 5; ++i) SetCaption(Label1[i], "6", std::to_string(i + 1));
    for (const ReceiptBox& r : receipt_)
        if (r.box != chkP020AA) SetCaption(r.box, "6", r.key);
    const struct {
        QCheckBox* box;
        const char* key;
    } flags[] = {{chkP030A, "22"}, {chkP030D, "23"}, {chkP030E, "24"},
                 {chkP030F, "25"}, {chkP030G, "26"}, {chkP030H, "27"}};
    for (const auto& f : flags) SetCaption(f.box, "6", f.key);
    FillList(cbxP030B, {GetText("6", "28"), GetText("6", "29")});
    FillList(cbxP030C, {GetText("6", "30"), GetText("6", "31")});
    SetCaption(chkP020AA, "6", "32");
    if (ConfigLevel.CashType() == "LX4100") {
        txtP033->hide();
        Label1[4]->hide();
    } else if (HasP033()) {
        txtP033->show();
    }
    // The model decides which receipt options exist, whatever the texts:
    // a box the model offers without a text shows its built-in caption.
    for (const ReceiptBox& r : receipt_)
        r.box->setVisible(ConfigLevel.GetP020Enable(r.byte, std::string(1, r.letter)));
}

void frmScontrino::ShowConf() {
    const CassaConfRec& c = udtCassaConf;
    ShowFlags(bytes_[0], c.P020A);
    ShowFlags(bytes_[1], c.P020B);
    ShowFlags(bytes_[2], c.P020C);
    ShowFlags(p030_, c.P030);
    cbxP030B->setCurrentIndex((c.P030 & 64) ? 1 : 0);
    cbxP030C->setCurrentIndex((c.P030 & 32) ? 1 : 0);
    txtP031->Show(std::to_string(c.P031));
    txtP032->Show(std::to_string(c.P032));
    txtP033->Show(std::to_string(c.P033));
}

bool frmScontrino::SetConf() {
    CassaConfRec& c = udtCassaConf;
    // Each byte from its boxes alone: a box the model hides passes its bit
    // through; bit 64 of P020A and bit 16 of P020C have no box and are 0.
    c.P020A = static_cast<int16_t>(FlagsValue(bytes_[0]));
    c.P020B = static_cast<int16_t>(FlagsValue(bytes_[1]));
    c.P020C = static_cast<int16_t>(FlagsValue(bytes_[2]));
    c.P030 = static_cast<int16_t>(FlagsValue(p030_) + 64 * (cbxP030B->currentIndex() == 1) +
                                  32 * (cbxP030C->currentIndex() == 1));
    bool ok = true;
    auto take = [&ok](FieldBox* box, int64_t lo, int16_t& field) {
        int64_t v = 0;
        if (fields::TakeWhole(box->Text(), lo, 99, v))
            field = static_cast<int16_t>(v);
        else
            ok = Refuse(box);
    };
    take(txtP031, 1, c.P031);
    take(txtP032, 0, c.P032);
    if (HasP033()) take(txtP033, 0, c.P033);
    return ok;
}

void frmScontrino::Request() { ReqScontrino(); }

void frmScontrino::Send() { SendScontrino(); }
