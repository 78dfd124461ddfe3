// The receipt options, receipt header and register-wide options editors
// driven as the user drives them: boxes ticked, texts typed, buttons pressed;
// then the bytes of Cassa.txt and the queued command texts compared.
#include <QRadioButton>
#include <algorithm>

#include "core/cassa_conf.h"
#include "core/numbers.h"
#include "ui/editor_fixture.h"
#include "ui/frmGlbCassa.h"
#include "ui/frmIntScontrino.h"
#include "ui/frmScontrino.h"
#include "transfers/transfer.h"
#include "engine/open_register.h"
#include "editor_fixture.h"

namespace {

class ReceiptEditorsTest : public editortest::EditorTest {
protected:
    // Cassa.txt of the first register with the keys given, opened on the model.
    void Options(const std::string& keys, int16_t model) {
        Write("Shop/Cassa1/Cassa.txt", keys);
        Main(model);
    }
    static std::vector<std::string> Visible(QWidget* editor, const QString& prefix) {
        std::vector<std::string> names;
        for (QWidget* w : editor->findChildren<QWidget*>())
            if (w->objectName().startsWith(prefix) && !w->isHidden())
                names.push_back(w->objectName().mid(prefix.size()).toStdString());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string Joined(const std::vector<std::string>& names) {
        std::string out;
        for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
        return out;
    }
};

// What each model offers: the receipt option boxes, the register-wide option
// bits of P517, whether P033 and the second P510 flag exist, and the length
// of a header line and of the texts P514 to P516.
TEST_F(ReceiptEditorsTest, EachModelShowsItsOwnOptions) {
    const char* older = "AC AD AE AF AG AH BC BD BG BH CA CB CC";
    const char* newer = "AC AD AE AF AG AH BA BC BD BE BG BH CA CB CC CE CF CG CH";
    const struct {
        int16_t model;
        const char* name;
        const char* p020;
        const char* p517;
        bool p033;
        int length;
    } cases[] = {
        {1, "LX4100", "AA AC AD AE AF AG AH BA BB BC BD BG BH CA CB CC", "", false, 30},
        {5, "TAV3800", "AC AD AE AF AG AH BA BB BC BD BG BH CA CB CC", "A B C", true, 30},
        {6, "QUENTARO", older, "A B C", true, 30},
        {7, "VELTA7300", older, "A B C", true, 21},
        {8, "ORBA", older, "A B C", true, 30},
        {2, "KWT1900", older, "A B C", true, 30},
        {3, "DRAVO57", newer, "A B C D E F G", true, 21},
        {9, "TIMBREL", newer, "A B C D E F G", true, 21},
        {10, "NAVOSK", newer, "A B C D E F G", true, 30},
        {11, "ZANDORE", newer, "A B C D E F G", true, 30},
        {12, "MERIDOTAN", newer, "A B C D E F G", true, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Main(c.model);
        auto* receipt = Open<frmScontrino>("K_FRMSCONTRINO");
        ASSERT_NE(receipt, nullptr);
        EXPECT_EQ(Joined(Visible(receipt, "chkP020")), c.p020);
        EXPECT_EQ(!receipt->txtP033->isHidden(), c.p033);
        EXPECT_EQ(!receipt->Label1[4]->isHidden(), c.p033);
        auto* header = Open<frmIntScontrino>("K_FRMINTSCONTRINO");
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->P021[5].text->Limit(), c.length);
        EXPECT_EQ(header->P023[1].text->Limit(), c.length);
        EXPECT_TRUE(header->chkP022->isHidden());
        auto* options = Open<frmGlbCassa>("K_FRMGLBCASSA");
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(Joined(Visible(options, "chkP517")), c.p517);
        const bool lx = c.model == 1;
        EXPECT_EQ(options->chkP510B->isHidden(), lx);
        EXPECT_EQ(options->txtP519->isHidden(), lx);
        EXPECT_EQ(options->Label1[7]->isHidden(), lx);
        EXPECT_FALSE(options->txtP512->isHidden());
        EXPECT_EQ(options->txtP516->Limit(), c.length);
    }
    // P517 E to G follow the program's release, not the register's: a
    // register of the newer family answering R012999 still shows them, a
    // program release before R013000 hides them.
    Main(3);
    ConfigLevel.SetCashVersion(0, "R012999");
    auto* options = Open<frmGlbCassa>("K_FRMGLBCASSA");
    EXPECT_EQ(Joined(Visible(options, "chkP517")), "A B C D E F G");
    ConfigLevel.InitOffLine(3, "R012999");
    options = Open<frmGlbCassa>("K_FRMGLBCASSA");
    EXPECT_EQ(Joined(Visible(options, "chkP517")), "A B C D");
}

TEST_F(ReceiptEditorsTest, ABoxTheModelOffersWithoutATextShowsItsBuiltInCaption) {
    // The language file lacks P020CE: the box stays, with its own caption.
    std::string lang = Read("Testi.eng");
    const size_t at = lang.find("P020CE=");
    lang.erase(at, lang.find("\r\n", at) + 2 - at);
    Write("Testi.tst", lang);
    Main(3, "Testi.tst");
    auto* w = Open<frmScontrino>("K_FRMSCONTRINO");
    EXPECT_FALSE(w->chkP020CE->isHidden());
    EXPECT_EQ(w->chkP020CE->text().toStdString(), "stampa ridotta finanziario");
    EXPECT_EQ(w->chkP020CF->text().toStdString(), "Period in financial report");
}

// Bit 64 of P020A and bit 16 of P020C have no box and are written 0; a box
// the model hides carries its bit through.
TEST_F(ReceiptEditorsTest, ReceiptOptionsZeroTheBitsWithoutABoxAndKeepTheHiddenOnes) {
    Options("[P0]\r\n20A=255\r\n20B=4\r\n20C=255\r\n30=0\r\n31=20\r\n32=2\r\n33=10\r\n", 2);  // KWT1900
    auto* w = Open<frmScontrino>("K_FRMSCONTRINO");
    EXPECT_TRUE(w->chkP020BF->isChecked());  // hidden on every model
    w->chkP030A->setChecked(true);
    Choose(w->cbxP030B, 2);  // invoice
    Choose(w->cbxP030C, 1);  // always
    Type(w->txtP033, "7");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "20A"), "191");
    EXPECT_EQ(Key("P0", "20B"), "4");
    EXPECT_EQ(Key("P0", "20C"), "239");
    EXPECT_EQ(Key("P0", "30"), "192");
    EXPECT_EQ(Key("P0", "33"), "7");
    EXPECT_TRUE(shell.questions.empty());
    EXPECT_EQ(Status(), "Saved");

    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;*s;*3;", "*2;+4;*r;*3;"}));
    ClearCmdQueue();
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&q;#H;*3;", "*2;+4;&t;#H;*3;"}));
}

TEST_F(ReceiptEditorsTest, ReceiptNumbersOutOfRangeSaveAndSendNothing) {
    Options("[P0]\r\n31=20\r\n32=2\r\n33=10\r\n", 9);
    auto* w = Open<frmScontrino>("K_FRMSCONTRINO");
    const std::string before = File("Cassa.txt");
    const struct {
        const char *p031, *p032, *p033;
        const char* field;
    } cases[] = {
        {"0", "5", "5", "Number P031"},   {"", "5", "5", "Number P031"},   {".5", "5", "5", "Number P031"},
        {"-1", "5", "5", "Number P031"},  {"5", "-1", "5", "Number P032"}, {"5", "5", "-1", "Number P033"},
        {"5", ",5", "5", "Number P032"},  {"5", "5", "5a", "Number P033"}, {"5x", "5a", "5", "Number P031"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.p031) + "/" + c.p032 + "/" + c.p033);
        Type(w->txtP031, c.p031);
        Type(w->txtP032, c.p032);
        Type(w->txtP033, c.p033);
        w->cmdSend->click();
        ExpectRefused(before, c.field);
    }
    // A whole number with either separator counts.
    Type(w->txtP031, "99");
    Type(w->txtP032, "0,0");
    Type(w->txtP033, "5.0");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "31"), "99");
    EXPECT_EQ(Key("P0", "32"), "0");
    EXPECT_EQ(Key("P0", "33"), "5");
}

TEST_F(ReceiptEditorsTest, LX4100NeitherShowsNorChangesP033) {
    Options("[P0]\r\n20A=128\r\n33=7\r\n", 1);
    auto* w = Open<frmScontrino>("K_FRMSCONTRINO");
    EXPECT_TRUE(w->chkP020AA->isChecked());
    w->chkP020AA->setChecked(false);
    Type(w->txtP033, "50");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "20A"), "0");
    EXPECT_EQ(udtCassaConf.P033, 7);
}

TEST_F(ReceiptEditorsTest, HeaderModesBecomeMarkerBytesInCassaTxt) {
    Options(std::string("[P0]\r\n211=\x83\x82" "ABC\r\n212=\x83\r\n213=\x82X\r\n22=2\r\n231=\"  left\"\r\n"), 9);
    auto* w = Open<frmIntScontrino>("K_FRMINTSCONTRINO");
    auto& l = w->P021;
    // Both markers in front: mode I, the box locked with the stored text.
    EXPECT_TRUE(l[0].optI->isChecked());
    EXPECT_EQ(Shown(l[0].text), "ABC");
    EXPECT_FALSE(l[0].text->isEnabled());
    // A marker alone is text, in mode N.
    EXPECT_TRUE(l[1].optN->isChecked());
    EXPECT_EQ(l[1].text->text(), QString::fromUtf8("\u0192"));
    EXPECT_TRUE(l[2].optI->isChecked());
    EXPECT_EQ(Shown(l[2].text), "X");
    EXPECT_EQ(Shown(w->P023[0].text), "  left");
    // Saved with nothing changed: the lines as stored, nothing said.
    ShowMsg("", "");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "211"), "\x83\x82" "ABC");
    EXPECT_EQ(Status(), "");

    l[3].optA->setChecked(true);
    Type(l[3].text, "HELLO");
    l[4].optA->setChecked(true);  // empty in mode A: the marker alone
    // Mode I puts "21" in the box and locks it; N afterwards unlocks it and
    // keeps "21".
    l[5].optI->setChecked(true);
    EXPECT_EQ(Shown(l[5].text), "21");
    EXPECT_FALSE(l[5].text->isEnabled());
    l[5].optN->setChecked(true);
    EXPECT_EQ(Shown(l[5].text), "21");
    EXPECT_TRUE(l[5].text->isEnabled());
    // A further line in mode I keeps its text; a separator becomes a blank.
    Type(w->P023[1].text, "TEL: 1");
    w->P023[1].optI->setChecked(true);
    EXPECT_EQ(Shown(w->P023[1].text), "TEL: 1");
    EXPECT_TRUE(w->P023[1].text->isEnabled());
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "211"), "\x83\x82" "ABC");  // untouched: as stored
    EXPECT_EQ(Key("P0", "212"), "\x83");
    EXPECT_EQ(Key("P0", "213"), "\x82X");
    EXPECT_EQ(Key("P0", "214"), "\x83HELLO");
    EXPECT_EQ(Key("P0", "215"), "\x83");
    EXPECT_EQ(Key("P0", "216"), "21");
    EXPECT_EQ(Key("P0", "231"), "\"  left\"");
    EXPECT_EQ(Key("P0", "232"), "\x82TEL  1");
    EXPECT_EQ(Key("P0", "22"), "2");   // never shown, never changed
    EXPECT_EQ(Status(), "Saved");      // a save says so, as every save does
}

TEST_F(ReceiptEditorsTest, HeaderSendAndTheEnableCommand) {
    Options("[P0]\r\n231=X\r\n", 9);
    auto* w = Open<frmIntScontrino>("K_FRMINTSCONTRINO");
    EXPECT_FALSE(w->chkTxIntest->isChecked());
    w->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*T;*3;"});
    EXPECT_EQ(Tx.nTxIntScontrinoIdx, 2);  // only the further lines
    ClearCmdQueue();
    w->chkTxIntest->setChecked(true);
    w->cmdSend->click();
    EXPECT_EQ(Tx.nTxIntScontrinoIdx, 0);
    ClearCmdQueue();
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&O;#H;*3;"});
    ClearCmdQueue();

    // The enable command after an earlier operation: a cycle of its own.
    w->cmdEnaInte->click();
    ASSERT_EQ(Queued(), std::vector<std::string>{"*2;+4;#a;*3;"});
    const auto& e = CmdQueue.entries[1];
    EXPECT_EQ(e.answers, 0);
    EXPECT_FLOAT_EQ(e.time, 0.5f);
    EXPECT_EQ(e.description, "Enable receipt header");
}

TEST_F(ReceiptEditorsTest, RegisterWideOptionsZeroTheBitsWithoutABoxAndRefuseAmountsThatDoNotFit) {
    Options("[P5]\r\n10=255\r\n11=1250\r\n13=20\r\n17=255\r\n", 2);  // KWT1900
    Numbers.strDecSep = ",";
    auto* w = Open<frmGlbCassa>("K_FRMGLBCASSA");
    EXPECT_EQ(Shown(w->txtP511), "12,50");
    EXPECT_EQ(w->cbxP513->currentIndex(), -1);  // 20 is none of the list's
    Type(w->txtP514, "A:B;C");
    w->cmdSave->click();
    EXPECT_EQ(Key("P5", "10"), "192");  // only A and B have boxes
    EXPECT_EQ(Key("P5", "13"), "0");
    EXPECT_EQ(Key("P5", "17"), "254");  // D to G hidden carry their bits; 1 has no box
    EXPECT_EQ(Key("P5", "14"), "A B C");

    Type(w->txtP512, "999999,9");
    Type(w->txtP518, "");  // an empty box: 0
    w->chkP510A->setChecked(false);
    Choose(w->cbxP513, 2);
    w->cmdSave->click();
    EXPECT_EQ(Key("P5", "12"), "99999990");
    EXPECT_EQ(Key("P5", "18"), "0");
    EXPECT_EQ(Key("P5", "10"), "64");
    EXPECT_EQ(Key("P5", "13"), "5");

    const std::string before = File("Cassa.txt");
    for (const char* amount : {"1000000", "99999999", "-0,01"}) {
        SCOPED_TRACE(amount);
        Type(w->txtP519, amount);
        w->cmdSend->click();
        ExpectRefused(before, "Amount P519");
    }
    Type(w->txtP519, "0");
    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;*V;*3;", "*2;+4;*X;*3;"}));
    ClearCmdQueue();
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&Q;#H;*3;", "*2;+4;&S;#H;*3;"}));
}

TEST_F(ReceiptEditorsTest, LX4100RegisterWideOptionsAreOneFlagTwoAmountsAndTheChoice) {
    Options("[P5]\r\n10=0\r\n13=100\r\n", 1);
    auto* w = Open<frmGlbCassa>("K_FRMGLBCASSA");
    EXPECT_EQ(w->cbxP513->currentIndex(), 4);
    w->chkP510A->setChecked(true);
    w->cmdSend->click();
    EXPECT_EQ(Key("P5", "10"), "1");
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*V;*3;"});
    ClearCmdQueue();
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&Q;#H;*3;"});
}

TEST_F(ReceiptEditorsTest, AnAmountTakesEitherSeparatorAndNoNumberIsRefusedByName) {
    const struct {
        const char* locale;  // the desktop's decimal separator
        const char* typed;
        const char* stored;  // nullptr: refused
    } cases[] = {{".", "12,50", "1250"}, {".", "12.50", "1250"}, {",", "12.50", "1250"},
                 {",", "12,50", "1250"}, {".", "abc", nullptr},  {".", "1,2,3", nullptr},
                 {",", "12,5x", nullptr}, {".", "", "0"}};
    Options("[P5]\r\n11=700\r\n", 2);
    auto* w = Open<frmGlbCassa>("K_FRMGLBCASSA");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        Numbers.strDecSep = c.locale;
        Write("Shop/Cassa1/Cassa.txt", "[P5]\r\n11=700\r\n");
        LoadCassa(true);
        w->ShowConf();
        const std::string before = File("Cassa.txt");
        Type(w->txtP511, c.typed);
        w->cmdSave->click();
        if (c.stored) {
            EXPECT_EQ(Status(), "Saved");
            EXPECT_EQ(Key("P5", "11"), c.stored);
        } else {
            ExpectRefused(before, "Amount P511");
        }
    }
}

}  // namespace
