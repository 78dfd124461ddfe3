// The currencies editor: a currency saved from its controls, the rates it
// refuses, P532, and the program's currency decimals.
#include "core/numbers.h"
#include "ui/editor_fixture.h"
#include "ui/frmValute.h"
#include "platform/profile.h"

namespace {

class CurrenciesTest : public editortest::EditorTest {
protected:
    frmValute* Currencies() { return Open<frmValute>("K_FRMVALUTE"); }
    std::string Currency(int n) const { return Record("Valute.txt", n, 27); }
    std::string ConfigDecimals() const {
        return platform::ProfileString("Locale", "CurrencyDecimals", "", dir.file("Shop/config.ini"));
    }
};

TEST_F(CurrenciesTest, ACurrencySavedFromItsControlsAndShownBack) {
    Main();
    Numbers.strDecSep = ",";
    CreateValuta();  // a folder made on a system of decimal commas
    frmValute* w = Currencies();
    Choose(w->cbxValute, 1);
    EXPECT_EQ(Shown(w->txtP530), "000000,00000000");
    Type(w->txtP530, "1,5");
    Type(w->txtP531, "EUR");
    Choose(w->cbxP532, 1);
    w->cmdSave->click();
    EXPECT_EQ(Currency(1), "1000001,500000000EUR     \r\n");
    Choose(w->cbxValute, 2);
    Choose(w->cbxValute, 1);
    EXPECT_EQ(Shown(w->txtP530), "000001,50000000");
    // Names: leading blanks dropped, eight characters whole, no separators.
    for (auto [typed, stored] : {std::pair{"ABCDEFGH", "ABCDEFGH"}, std::pair{"  AB", "AB      "},
                                 std::pair{"US:D", "US D    "}}) {
        Type(w->txtP531, typed);
        w->cmdSave->click();
        EXPECT_EQ(Currency(1).substr(17, 8), stored);
    }
    EXPECT_TRUE(shell.questions.empty());
}

TEST_F(CurrenciesTest, ARateThatIsNoNumberOrDoesNotFitRefusesTheWholeRecord) {
    frmValute* w = Currencies();
    Choose(w->cbxValute, 2);
    Type(w->txtP531, "NEW");
    for (const char* rate : {"abc", "1000000", "-1"}) {
        const std::string before = File("Valute.txt");
        Type(w->txtP530, rate);
        w->cmdSend->click();
        EXPECT_EQ(Status(), "Currency 2-Exchange rate: value not valid") << rate;
        EXPECT_EQ(File("Valute.txt"), before) << rate;
    }
    EXPECT_TRUE(Queued().empty());
    // The choice goes on without saving.
    Choose(w->cbxValute, 3);
    EXPECT_EQ(w->CurItem(), 3);
    EXPECT_EQ(Currency(2).substr(17, 8), "        ");
    w->cmdSend->click();
    w->cmdLoad->click();
    EXPECT_EQ(Queued(), (std::vector<std::string>{"*2;+4;*P;*3;", "*2;+4;&s;#H;*3;"}));
    EXPECT_EQ(w->CurItem(), 3);  // the refresh at the end of the read empties it
}

TEST_F(CurrenciesTest, P532ShowsTheSecondItemOnlyForTwo) {
    Main();
    std::string file = File("Valute.txt");
    file[27 + 16] = '2';
    file[54 + 16] = '5';
    Write("Shop/Cassa1/Valute.txt", file);
    frmValute* w = Currencies();
    Choose(w->cbxValute, 2);
    EXPECT_EQ(w->cbxP532->currentIndex(), 1);
    Choose(w->cbxValute, 3);
    EXPECT_EQ(w->cbxP532->currentIndex(), 0);
    w->cmdSave->click();
    EXPECT_EQ(Currency(3).substr(16, 1), "0");
    EXPECT_EQ(Currency(2).substr(16, 1), "2");
}

TEST_F(CurrenciesTest, TheDecimalsBoxSetsEveryAmountOfTheProgramAtOnce) {
    Main();
    platform::WriteProfileString("Locale", "CurrencyDecimals", "2", dir.file("Shop/config.ini"));
    Numbers.strDecSep = ",";
    frmValute* w = Currencies();
    EXPECT_EQ(Shown(w->txtCurrencyDecimals), "2");
    EXPECT_EQ(ConfigDecimals(), "2");
    Type(w->txtCurrencyDecimals, "3");
    EXPECT_EQ(ConfigDecimals(), "3");
    EXPECT_EQ(CurToStr(1250), "1,250");
    EXPECT_EQ(StrToCur("1,5"), 1500);
    Type(w->txtCurrencyDecimals, "");
    EXPECT_EQ(ConfigDecimals(), "0");
    EXPECT_EQ(CurToStr(1250), "1250");
    EXPECT_FALSE(w->lblWarningCurrDec->text().isEmpty());
}

}  // namespace
