// The general options, period icons and operator/waiter/customer options
// editors driven as the user drives them: a control set, Save, Send or Load
// pressed; then Cassa.txt's keys, the status text and the queued command
// texts compared. Models: LX4100 (1), KWT1900 (2), DRAVO57 (3), TAV3800 (5),
// VELTA7300 (7), ZANDORE (11).
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "ui/editor_fixture.h"
#include "ui/frmIconePeriodo.h"
#include "ui/frmOpGen.h"
#include "ui/frmOpeCamCli.h"
#include "core/hello_rec.h"

namespace {

using editortest::Refused;

class OptionEditorsTest : public editortest::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        HelloRec.strDataOra.clear();
    }
    // Cassa.txt holding the lines before the main window opens.
    void Cassa(const std::string& lines) { Write("Shop/Cassa1/Cassa.txt", lines); }
    template <class Window>
    Window* Editor(int16_t model, const char* key) {
        Main(model);
        return Open<Window>(key);
    }
    static void Mask(MaskBox* box, const char* text) { box->setText(QString::fromLatin1(text)); }
};

// --- general options ---------------------------------------------------------

TEST_F(OptionEditorsTest, GeneralOptionsSavedUntouchedGiveTheModelDefaults) {
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");  // DRAVO57, no Cassa.txt yet
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "19"), "32");
    EXPECT_EQ(Key("P0", "15"), "1");
    EXPECT_EQ(Key("P0", "42"), "0");
    EXPECT_EQ(Key("P1", "10"), "3");
    EXPECT_EQ(Key("P3", "12"), "0");
    EXPECT_EQ(Key("P6", "01G"), "1");
    EXPECT_EQ(Key("P6", "01M"), "1");
    EXPECT_EQ(Key("P6", "01A"), "10");
    EXPECT_EQ(w->mskP601->MaskText(), "01/01/10");
}

// A bit without a box is written 0; a box the model hides carries its bit
// through; P312 keeps its bits 2 and 1 and its high byte.
TEST_F(OptionEditorsTest, ASaveWritesZeroForTheBitsNoBoxStandsFor) {
    // TAV3800 hides P312 boxes 3 and 4 and P110 D and E; LX4100 hides P042 D,
    // PX2 A and P312 boxes 3 and 4.
    for (int16_t model : {5, 1}) {
        SCOPED_TRACE(model);
        Cassa("[P0]\r\n42=255\r\n[P1]\r\n10=255\r\n[P2]\r\nX2=255\r\n[P3]\r\n12=283\r\n");
        frmOpGen* w = Editor<frmOpGen>(model, "K_FRMOPGEN");
        EXPECT_FALSE(w->chkP312[0]->isChecked());
        w->chkP312[0]->setChecked(true);  // adds 128 to 256 + 16 + 8 + 2 + 1
        w->cmdSave->click();
        EXPECT_EQ(Key("P0", "42"), "31");
        EXPECT_EQ(Key("P1", "10"), "31");
        EXPECT_EQ(Key("P2", "X2"), "129");
        EXPECT_EQ(Key("P3", "12"), "411");
        CloseCurrentEditor();
    }
    // The boxes shown set their bits: P110 F from its list, PX2 A and H.
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
    w->chkP042E->setChecked(false);
    w->cbxP110F->setCurrentIndex(0);
    w->chkPX2A->setChecked(false);
    w->chkPX2H->setChecked(false);
    w->chkP312[0]->setChecked(false);
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "42"), "23");
    EXPECT_EQ(Key("P1", "10"), "27");
    EXPECT_EQ(Key("P2", "X2"), "0");
    EXPECT_EQ(Key("P3", "12"), "283");
}

TEST_F(OptionEditorsTest, AValueOutOfRangeSavesAndSendsNothing) {
    frmOpGen* w = Editor<frmOpGen>(1, "K_FRMOPGEN");  // LX4100: four VAT rates
    w->cmdSave->click();
    const std::string before = File("Cassa.txt");
    const CassaConfRec options = udtCassaConf;
    EXPECT_FALSE(w->txtP016[4]->isEnabled());
    EXPECT_FALSE(w->Label2[4]->isVisibleTo(w));
    struct Case {
        FieldBox* box;
        const char* text;
        const char* field;  // as the status text names it
    } cases[] = {{w->txtP016[0], "100", "VAT rates 0"},  // the row as the window labels it
                 {w->txtP016[3], "99999999999999999999", "VAT rates 3"},  // past 16 bits
                 {w->txtP216, "31", "P216 (0-30)"},
                 {w->txtP216, "-1", "P216 (0-30)"},
                 {w->txtP216, "1x", "P216 (0-30)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Type(w->txtP016[1], "22");  // valid, but goes back with the refusal
        const QString old = c.box->text();
        c.box->Show(c.text);
        w->cmdSave->click();
        EXPECT_EQ(Status(), Refused(c.field));
        w->cmdSend->click();
        ExpectRefused(before, c.field);
        EXPECT_TRUE(udtCassaConf == options);
        c.box->setText(old);
    }
    Type(w->txtP016[1], "22");
    Type(w->txtP216, "30");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "161"), "22");
    EXPECT_EQ(Key("P2", "16"), "30");
    EXPECT_EQ(udtCassaConf.P016[4], options.P016[4]);
    EXPECT_EQ(udtCassaConf.P016[5], options.P016[5]);
}

// Leaving with a value refused asks; No keeps the editor, every edit and the
// focus on the field refused; Yes leaves and writes nothing.
TEST_F(OptionEditorsTest, LeavingWithAValueRefusedAsksFirst) {
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
    w->cmdSave->click();
    const std::string before = File("Cassa.txt");
    Type(w->txtP016[3], "150");
    w->chkP012->setChecked(true);
    w->sstOpGen->setCurrentIndex(1);
    for (const bool drop : {false, true}) {
        SCOPED_TRACE(drop);
        shell.questions.clear();
        shell.answers = {drop};
        EXPECT_EQ(ShowForm("K_FRMGLBCASSA"), drop);
        EXPECT_EQ(shell.questions, std::vector<std::string>{"Changed data: VAT rates 3 - The change cannot be "
                                                            "saved: a value is not valid. Drop the change and leave?"});
        EXPECT_EQ(Status(), Refused("VAT rates 3"));
        EXPECT_EQ(File("Cassa.txt"), before);
        if (drop) break;
        EXPECT_EQ(CurrentEditor(), dynamic_cast<EditorForm*>(w));
        EXPECT_EQ(Shown(w->txtP016[3]), "150");
        EXPECT_TRUE(w->chkP012->isChecked());
        EXPECT_EQ(w->sstOpGen->currentIndex(), 0);
        EXPECT_EQ(w->focusWidget(), w->txtP016[3]);
    }
    EXPECT_EQ(udtCassaConf.P012, 0);
}

TEST_F(OptionEditorsTest, SendPutsTheDateAndTimeInFrontOnlyWhenTheyAreReal) {
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
    Mask(w->mskData, "050324");
    Mask(w->mskOra, "1407");
    w->cmdSend->click();  // the box unticked: no date
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*t;*3;"});
    ClearCmdQueue();
    w->chkTxDataOra->setChecked(true);
    w->chkEnaIVATab->setChecked(true);
    w->cmdSend->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"/0503241407;*2;+4;*t;*3;", "*2;+4;*I;*3;"}));
    EXPECT_EQ(HelloRec.strDataOra, "0503241407");
    ClearCmdQueue();
    // Empty boxes (no hello yet), an unfilled place, a month 13, an hour 24 or
    // a day its month does not have: Send refuses to send them; Save, which
    // keeps no date and time, saves.
    for (auto [date, time] : {std::pair{"", ""}, std::pair{"050324", "14"}, std::pair{"051324", "1407"},
                              std::pair{"050324", "2400"}, std::pair{"310224", "1230"},
                              std::pair{"300224", "1230"}, std::pair{"290223", "1230"},
                              std::pair{"310424", "1230"}}) {
        SCOPED_TRACE(std::string(date) + " " + time);
        Mask(w->mskData, date);
        Mask(w->mskOra, time);
        w->chkP040->toggle();
        w->cmdSave->click();
        EXPECT_EQ(Key("P0", "40"), w->chkP040->isChecked() ? "1" : "0");
        w->cmdSend->click();
        EXPECT_EQ(Status(), "Send - Date: not a valid value: nothing was sent");
        EXPECT_TRUE(Queued().empty());
    }
    // 29 February of a leap year goes out.
    Mask(w->mskData, "290224");
    Mask(w->mskOra, "1230");
    w->cmdSend->click();
    EXPECT_EQ(Queued().front(), "/2902241230;*2;+4;*t;*3;");
}

TEST_F(OptionEditorsTest, TheDatesTheStepperAndLoad) {
    HelloRec.strDataOra = "3112251759";
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
    EXPECT_EQ(w->mskData->MaskText(), "31/12/25");
    EXPECT_EQ(w->mskOra->MaskText(), "17:59");
    Mask(w->mskP601, "071123");
    w->cmdSave->click();
    EXPECT_EQ(Key("P6", "01G"), "7");
    EXPECT_EQ(Key("P6", "01M"), "11");
    EXPECT_EQ(Key("P6", "01A"), "23");
    // An incomplete date is refused, not stored as 0.
    Mask(w->mskP601, "07");
    w->cmdSave->click();
    EXPECT_EQ(Status(), Refused("Date P601"));
    EXPECT_EQ(Key("P6", "01M"), "11");

    w->SetP017(6);
    w->cmdIncP017->click();
    EXPECT_EQ(w->lblP017->text(), "6");
    w->SetP017(-5);
    w->cmdDecP017->click();
    w->cmdDecP017->click();
    EXPECT_EQ(w->lblP017->text(), "-6");
    Mask(w->mskP601, "071123");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "17"), "-6");

    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&u;#H;*3;", "*2;+4;&W;#H;*3;"}));
}

// A P017 outside -6 to +6 is shown and saved back as it is stored.
TEST_F(OptionEditorsTest, AP017OutsideTheStepperRangeIsShownAndSavedAsStored) {
    for (const char* stored : {"9", "-7", "6"}) {
        SCOPED_TRACE(stored);
        Cassa(std::string("[P0]\r\n17=") + stored + "\r\n");
        frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
        EXPECT_EQ(w->lblP017->text().toStdString(), stored);
        w->cmdSave->click();
        EXPECT_EQ(Status(), "");  // nothing changed: no "Saved"
        EXPECT_EQ(Key("P0", "17"), stored);
        CloseCurrentEditor();
    }
}

TEST_F(OptionEditorsTest, TheModelGatesTheListsAndTheOptionBits) {
    struct Case {
        int16_t model;
        int p213Items;
        uint8_t p019, p019_1;  // enabled boxes, box 0 the high bit
        bool p312_3;           // P312 box 3 shown
    } cases[] = {{11, 5, 0x3C, 0xE0, true}, {2, 4, 0xC0, 0, false}, {5, 4, 0xC0, 0, false},
                 {3, 4, 0x3C, 0xE0, true},  {9, 4, 0x3C, 0, true},   {1, 4, 0, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        frmOpGen* w = Editor<frmOpGen>(c.model, "K_FRMOPGEN");
        EXPECT_EQ(w->cbxP213->count(), c.p213Items);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(w->chkP019[i]->isEnabled(), ((c.p019 << i) & 0x80) != 0) << i;
            EXPECT_EQ(w->chkP019_1[i]->isEnabled(), ((c.p019_1 << i) & 0x80) != 0) << i;
        }
        EXPECT_EQ(!w->chkP312[3]->isHidden(), c.p312_3);
        EXPECT_EQ(!w->chkP110D->isHidden(), c.model == 1);
        EXPECT_EQ(!w->chkPX2A->isHidden(), c.model != 1);
        CloseCurrentEditor();
    }
    // A stored P213 past the model's items shows no choice and stays.
    Cassa("[P2]\r\n13=4\r\n");
    frmOpGen* w = Editor<frmOpGen>(2, "K_FRMOPGEN");
    EXPECT_EQ(w->cbxP213->currentIndex(), -1);
    w->cmdSave->click();
    EXPECT_EQ(Key("P2", "13"), "4");
    CloseCurrentEditor();

    // A bit's box shows only where the language file has a text for it; a
    // hidden box carries its bit through a save.
    Write("Testi.tst", "[4]\r\nP019_C_7=Only on VELTA7300\r\n");
    Cassa("[P0]\r\n19=255\r\n");
    for (int16_t model : {7, 6}) {
        ConfigLevel.InitOffLine(model, "V014057");
        Main(model, "Testi.tst");
        w = Open<frmOpGen>("K_FRMOPGEN");
        EXPECT_EQ(!w->chkP019[2]->isHidden(), model == 7) << model;
        EXPECT_TRUE(w->chkP019[0]->isHidden());
        w->cmdSave->click();
        EXPECT_EQ(Key("P0", "19"), "255");
        CloseCurrentEditor();
    }
}

// --- period icons --------------------------------------------------------------

TEST_F(OptionEditorsTest, PeriodsListedByModelAndRelease) {
    struct Case {
        int16_t model;
        const char* release;
        int periods;
    } cases[] = {{5, "R022040", 6}, {3, "R022040", 10}, {3, "R022002", 6}, {3, "", 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + " " + c.release);
        Main(c.model);
        ConfigLevel.SetCashVersion(0, c.release);
        auto* w = Open<frmIconePeriodo>("K_FRMICONEPERIODO");
        EXPECT_EQ(w->cbxNPeriodo->count(), c.periods);
        EXPECT_EQ(w->cbxNPeriodo->itemText(c.periods - 1).toStdString(), std::to_string(c.periods));
        CloseCurrentEditor();
    }
}

TEST_F(OptionEditorsTest, APeriodSavedLeftRefusedAndSent) {
    Cassa("[P0]\r\n254=ab/cd/ef\r\n");
    auto* w = Editor<frmIconePeriodo>(5, "K_FRMICONEPERIODO");
    Choose(w->cbxNPeriodo, 2);
    EXPECT_EQ(Shown(w->txtNIcona), "0");
    EXPECT_EQ(w->medDataInizio->MaskText(), "__/__/__");
    Choose(w->cbxNPeriodo, 3);
    Type(w->txtNIcona, "12");
    Mask(w->medDataInizio, "010224");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "243"), "12");
    EXPECT_EQ(Key("P0", "253"), "01/02/24");
    EXPECT_EQ(Key("P0", "263"), "__/__/__");

    // Leaving a refused period: the refusal shows, the file stays, the period
    // chosen is shown.
    const std::string before = File("Cassa.txt");
    Type(w->txtNIcona, "100");
    Choose(w->cbxNPeriodo, 4);
    EXPECT_EQ(Status(), Refused("Icon"));
    EXPECT_EQ(File("Cassa.txt"), before);
    EXPECT_EQ(w->CurPeriodo(), 4);
    EXPECT_EQ(Shown(w->txtNIcona), "0");
    // A stored text the mask cannot hold is kept while the box is untouched.
    Type(w->txtNIcona, "5");
    w->cmdSave->click();
    EXPECT_EQ(Key("P0", "244"), "5");
    EXPECT_EQ(Key("P0", "254"), "ab/cd/ef");

    // Send saves the period shown, queues the periods and clears the window.
    w->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*N;*3;"});
    EXPECT_EQ(CmdQueue.entries[1].time, 12.5f);
    EXPECT_EQ(w->cbxNPeriodo->currentIndex(), -1);
    EXPECT_EQ(Shown(w->txtNIcona), "");
    // Nothing chosen: Send writes nothing and still queues the periods.
    ClearCmdQueue();
    const std::string sent = File("Cassa.txt");
    w->cmdSend->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;*N;*3;"});
    EXPECT_EQ(File("Cassa.txt"), sent);
}

TEST_F(OptionEditorsTest, LoadSavesThePeriodShownWithTheQuestionAndClears) {
    auto* w = Editor<frmIconePeriodo>(3, "K_FRMICONEPERIODO");
    Choose(w->cbxNPeriodo, 1);
    Type(w->txtNIcona, "9");
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), std::vector<std::string>{"*2;+4;&i;#H;*3;"});
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(Key("P0", "241"), "9");
    EXPECT_EQ(w->cbxNPeriodo->currentIndex(), -1);
    EXPECT_EQ(w->CurPeriodo(), 0);
    EXPECT_EQ(Shown(w->txtNIcona), "");
    EXPECT_EQ(w->medDataFine->MaskText(), "__/__/__");
    // While the read runs, leaving a changed period asks: No keeps it shown,
    // Yes drops it; nothing is written either way.
    const std::string before = File("Cassa.txt");
    Choose(w->cbxNPeriodo, 2);
    Type(w->txtNIcona, "7");
    shell.questions.clear();
    shell.answers = {false, true};
    Choose(w->cbxNPeriodo, 3);
    EXPECT_EQ(w->CurPeriodo(), 2);
    EXPECT_EQ(Shown(w->txtNIcona), "7");
    Choose(w->cbxNPeriodo, 3);
    EXPECT_EQ(w->CurPeriodo(), 3);
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(File("Cassa.txt"), before);
}

// --- operator, waiter and customer options ---------------------------------------

TEST_F(OptionEditorsTest, CodesZeroFilledWithTheSeparatorsBlanked) {
    auto* w = Editor<frmOpeCamCli>(2, "K_FRMOPECAMCLI");
    EXPECT_TRUE(w->txtP346->isHidden());
    for (auto [typed, stored] : {std::pair{"12", "00012"}, std::pair{"", "00000"}, std::pair{"1a", "0001a"},
                                 std::pair{"1:2", "001 2"},
                                 std::pair{";", "\"0000 \""}}) {  // quoted: it ends in a blank
        Type(w->txtP050C, typed);
        Type(w->txtP050P, "5");
        w->cmdSave->click();
        EXPECT_EQ(Key("P0", "50C"), stored) << typed;
        EXPECT_EQ(Key("P0", "50P"), "005");
    }
}

// P311 and P050 hold only the bits of their boxes; a P310 of 2, which a box
// cannot hold, stays while the box is untouched.
TEST_F(OptionEditorsTest, BitsWithoutABoxAreWrittenZero) {
    Cassa("[P0]\r\n50=255\r\n[P3]\r\n10=2\r\n11=255\r\n");
    auto* w = Editor<frmOpeCamCli>(2, "K_FRMOPECAMCLI");
    EXPECT_TRUE(w->chkP310->isChecked());
    EXPECT_TRUE(w->chkP311F->isChecked() && w->chkP311G->isChecked() && w->chkP311H->isChecked());
    w->cmdSave->click();
    EXPECT_EQ(Status(), "Saved");  // a save says so, as every save does
    EXPECT_EQ(Key("P3", "10"), "2");
    EXPECT_EQ(Key("P3", "11"), "7");
    EXPECT_EQ(Key("P0", "50"), "224");
    w->chkP311H->setChecked(false);
    w->chkP050B->setChecked(false);
    w->chkP310->setChecked(false);
    w->cmdSave->click();
    EXPECT_EQ(Key("P3", "10"), "0");
    EXPECT_EQ(Key("P3", "11"), "6");
    EXPECT_EQ(Key("P0", "50"), "160");
}

TEST_F(OptionEditorsTest, OperatorOptionRequestsByModel) {
    for (int16_t model : {2, 1}) {
        SCOPED_TRACE(model);
        auto* w = Editor<frmOpeCamCli>(model, "K_FRMOPECAMCLI");
        EXPECT_EQ(!w->txtP346->isHidden(), model == 1);
        Type(w->txtP346, "  NOTE  ");
        w->cmdSend->click();
        std::vector<std::string> sends{"*2;+4;*p;*3;", "*2;+4;*v;*3;"};
        if (model == 1) sends.push_back("*2;+4;*d;*3;");
        EXPECT_EQ(Queued(), sends);
        if (model == 1) {
            EXPECT_EQ(Key("P3", "46"), "NOTE");
        }
        ClearCmdQueue();
        w->cmdLoad->click();
        EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;&o;#H;*3;", "*2;+4;&v;#H;*3;"}));
        ClearCmdQueue();
        CloseCurrentEditor();
    }
}

TEST_F(OptionEditorsTest, TheRegistersNoDateInP601NeverBlocksASave) {
    // A read brought P601 as "000000", the register's "no date".
    Cassa("[P6]\r\n01G=0\r\n01M=0\r\n01A=0\r\n");
    frmOpGen* w = Editor<frmOpGen>(3, "K_FRMOPGEN");
    EXPECT_EQ(w->mskP601->MaskText(), "00/00/00");
    Type(w->txtP216, "12");
    w->cmdSave->click();
    EXPECT_EQ(Status(), "Saved");
    EXPECT_EQ(Key("P2", "16"), "12");
    EXPECT_EQ(Key("P6", "01G"), "0");
    // Typed by the user: a real date, or the no-date again; anything else is
    // refused and named.
    const struct {
        const char* typed;
        const char* day;  // nullptr: refused
    } cases[] = {{"150324", "15"}, {"000000", "0"}, {"320324", nullptr}, {"0003", nullptr},
                 {"310424", nullptr}, {"290223", nullptr}, {"290224", "29"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Mask(w->mskP601, c.typed);
        w->cmdSave->click();
        if (c.day) {
            EXPECT_EQ(Status(), "Saved");
            EXPECT_EQ(Key("P6", "01G"), c.day);
        } else {
            EXPECT_EQ(Status(), Refused("Date P601"));
        }
    }
}

}  // namespace
