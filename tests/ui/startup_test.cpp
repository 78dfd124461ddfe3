// The start-up chooser driven from a setup.ini, offscreen, and the start-up
// steps around it.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include <unistd.h>

#include "ui/frmSplash.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "ui/shell_fixture.h"
#include "store/plu.h"

namespace {

using shelltest::ShellTest;

const char kSetup[] =
    "[Casse]\r\nc1=Shop A|5\r\nc2=Bar| 9 \r\nc4=Hidden|1\r\n"
    "[Lingue]\r\nl1=Italiano|ita\r\nl2=English|eng\r\n";

class ChooserTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Write("setup.ini", kSetup);
        platform::MakeDir(dir.file("TIMBREL/Rossi"));
        platform::MakeDir(dir.file("TIMBREL/bianchi"));
        Write("TIMBREL/notes.txt", "x");
    }
    std::vector<std::string> Items(QListWidget* list) const {
        std::vector<std::string> items;
        for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
        return items;
    }
    std::vector<std::string> Customers(const frmSplash& f) const {
        std::vector<std::string> items;
        for (int i = 0; i < f.cbClienti->count(); ++i)
            items.push_back(f.cbClienti->itemText(i).toStdString());
        return items;
    }
    std::string ConfigLang(const std::string& folder) const {
        return platform::ProfileString("Generiche", "langfile", "", dir.file(folder + "/config.ini"));
    }
};

TEST_F(ChooserTest, ListsEndAtTheFirstGapAndTheModelFolderFollowsTheModel) {
    frmSplash f;
    EXPECT_EQ(Items(f.lbxCasse), (std::vector<std::string>{"Shop A", "Bar"}));
    EXPECT_EQ(Items(f.lbxLingue), (std::vector<std::string>{"Italiano", "English"}));
    EXPECT_EQ(f.lblCompany->text().toStdString(), "Veltrana");
    EXPECT_EQ(f.lblVersion->text().toStdString(), "V014057");

    // The first installation is selected: model 5 (TAV3800) has no folder.
    EXPECT_EQ(ConfigLevel.CashType(), "TAV3800");
    EXPECT_EQ(Core.strCashDir, dir.file("TAV3800"));
    EXPECT_EQ(f.cbClienti->count(), 0);

    // " 9 " is model 9: the customer folders of TIMBREL, folders only.
    f.lbxCasse->setCurrentRow(1);
    EXPECT_EQ(ConfigLevel.CashType(), "TIMBREL");
    EXPECT_EQ(Core.strCashDir, dir.file("TIMBREL"));
    EXPECT_EQ(Core.strCustDir, dir.file("Bar") + "/");
    EXPECT_EQ(Customers(f), (std::vector<std::string>{"bianchi", "Rossi"}));
    EXPECT_EQ(f.cbClienti->currentIndex(), 0);
}

TEST_F(ChooserTest, TheLanguageGivesTheTextsAndAMissingTextHidesItsControl) {
    Write("Testi.ita",
          "[Info]\r\ntitle=Programmatore\r\n[Comandi]\r\n13=Conferma\r\n14=Annulla\r\n");
    frmSplash f;
    EXPECT_EQ(Core.strLangFile, dir.file("Testi.ita"));
    EXPECT_EQ(Core.strLangExt, ".ita");
    EXPECT_EQ(f.lblProductName->text().toStdString(), "Programmatore");
    EXPECT_EQ(f.cmdOk->text().toStdString(), "Conferma");
    EXPECT_TRUE(f.chkSet->isHidden());

    f.lbxLingue->setCurrentRow(1);
    EXPECT_EQ(Core.strLangFile, dir.file("Testi.eng"));
    EXPECT_FALSE(f.chkSet->isHidden());
    EXPECT_EQ(f.cmdCancel->text().toStdString(), "Cancel");
}

TEST_F(ChooserTest, OkCreatesANewCustomerFolderAndOnlyOkWritesTheLanguage) {
    frmSplash f;
    f.lbxCasse->setCurrentRow(1);
    f.lbxLingue->setCurrentRow(1);
    f.chkSet->setChecked(true);
    f.cbClienti->setEditText("Verdi");
    f.cmdOk->click();

    EXPECT_TRUE(Startup.bSplashOK);
    EXPECT_TRUE(PLUFiles.bPredef);
    EXPECT_TRUE(platform::DirExists(dir.file("TIMBREL/Verdi")));
    EXPECT_EQ(Core.strCashDir, dir.file("TIMBREL/Verdi"));
    EXPECT_EQ(Core.strCustDir, dir.file("Bar") + "/Verdi");
    EXPECT_EQ(ConfigLang("TIMBREL/Verdi"), "");  // not before the chooser is over

    EXPECT_TRUE(StoreLanguageChoice());
    EXPECT_EQ(ConfigLang("TIMBREL/Verdi"), dir.file("Testi.eng"));
}

// A customer folder a command-line run holds is not opened, saying which run; once it ends, it is.
TEST_F(ChooserTest, AFolderThatACommandLineRunHoldsIsSaidToBeHeld) {
    frmSplash f;
    f.lbxCasse->setCurrentRow(1);
    f.lbxLingue->setCurrentRow(1);
    f.cbClienti->setEditText("Rossi");
    f.cmdOk->click();
    ASSERT_TRUE(Startup.bSplashOK);
    platform::FolderLock run, windows;
    std::string holder;
    const std::string who = "pid " + std::to_string(::getpid()) + ": ecrprog /r:** /f:setup.ini";
    ASSERT_EQ(run.Hold(Core.strCashDir, who, holder), platform::FolderLock::Result::Held);
    EXPECT_EQ(HoldCustomerFolder(windows, Core.strCashDir),
              "Customer folder in use by another run of the program or by the program's windows; "
              "nothing was done here: " + dir.file("TIMBREL/Rossi") + " (" + who + ")");
    EXPECT_FALSE(windows.IsHeld());
    run.Release();
    EXPECT_EQ(HoldCustomerFolder(windows, Core.strCashDir), "");
    EXPECT_TRUE(windows.IsHeld());
    // No lock can be taken there: refused with the reason, not run unlocked.
    windows.Release();
    const std::string lock = dir.file("TIMBREL/Rossi/ecrprog.lock");
    std::filesystem::remove(lock);
    std::filesystem::create_directory(lock);
    EXPECT_EQ(HoldCustomerFolder(windows, Core.strCashDir),
              "Customer folder cannot be held for this run, its lock file cannot be opened; "
              "nothing was done here: " + lock + " (Is a directory)");
    EXPECT_FALSE(windows.IsHeld());
    // A file where the folder should be is said to be one.
    platform::WriteFile(dir.file("plain"), "");
    EXPECT_EQ(HoldCustomerFolder(windows, dir.file("plain")),
              "Base folder is a file, not a folder; nothing was done: " + dir.file("plain"));
}

TEST_F(ChooserTest, CancelEndsWithoutWriting) {
    {
        frmSplash f;
        f.lbxCasse->setCurrentRow(1);
        f.cmdCancel->click();
        EXPECT_FALSE(Startup.bSplashOK);
        EXPECT_EQ(f.result(), QDialog::Rejected);
    }
    EXPECT_FALSE(StoreLanguageChoice());
    EXPECT_FALSE(platform::FileExists(dir.file("TIMBREL/Rossi/config.ini")));
    EXPECT_FALSE(platform::FileExists(dir.file("TIMBREL/bianchi/config.ini")));
}

TEST_F(ChooserTest, ANameThatIsNotOneFolderKeepsTheChooserOpen) {
    frmSplash f;
    f.lbxCasse->setCurrentRow(1);
    for (const char* name : {"../Escape", "a/b", "a\\b", "..", "."}) {
        f.cbClienti->setEditText(name);
        f.cmdOk->click();
        EXPECT_FALSE(Startup.bSplashOK) << name;
        EXPECT_FALSE(f.lblMsg->isHidden()) << name;
        EXPECT_EQ(f.lblMsg->text().toStdString(), "Il nome del cliente non può essere usato come nome di cartella");
    }
    EXPECT_EQ(Core.strCashDir, dir.file("TIMBREL"));
    EXPECT_FALSE(platform::DirExists(dir.file("Escape")));
    EXPECT_FALSE(platform::DirExists(dir.file("TIMBREL/a")));
}

TEST_F(ChooserTest, WhatTheStartFolderLacksIsSaidWithWhereTheProgramLooked) {
    const std::string setup = dir.file("setup.ini");
    const struct {
        const char* name;
        const char* setupIni;  // nullptr: no setup.ini
        bool langFiles;        // the start folder has Testi.eng and Testi.ita
        std::string said;
    } cases[] = {
        {"empty folder", nullptr, false,
         "There is no setup.ini, the list of installations and languages, in the folder the "
         "program was started in: " + dir.path()},
        {"empty lists", "[Locale]\r\nCurrencyDecimals=2\r\n", true,
         "setup.ini lists no installation (section [Casse], keys c1, c2 ...): " + setup +
             "\nsetup.ini lists no language (section [Lingue], keys l1, l2 ...): " + setup},
        {"no installation", "[Lingue]\r\nl1=Italiano|ita\r\n", true,
         "setup.ini non elenca alcuna installazione (sezione [Casse], chiavi c1, c2 ...): " +
             setup},
        {"no language file", "[Casse]\r\nc1=Bar|9\r\n[Lingue]\r\nl1=Deutsch|deu\r\n", true,
         "The language file is missing: " + dir.file("Testi.deu")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(setup);
        if (c.setupIni) Write("setup.ini", c.setupIni);
        for (const char* lang : {"Testi.eng", "Testi.ita"}) {
            std::filesystem::remove(dir.file(lang));
            if (c.langFiles) platform::CopyFileTo(shelltest::LangFile(lang), dir.file(lang));
        }
        frmSplash f;
        f.show();
        EXPECT_TRUE(f.lblMsg->isVisible());
        EXPECT_EQ(f.lblMsg->text().toStdString(), c.said);
        // Nothing is blank: the box without its text is hidden, the lists
        // and buttons keep their captions.
        EXPECT_EQ(f.chkSet->isVisible(), c.langFiles && std::string(c.name) != "no language file");
        EXPECT_FALSE(f.lblCasse->text().isEmpty());
        EXPECT_FALSE(f.cmdOk->text().isEmpty());
        EXPECT_TRUE(f.cmdCancel->isVisible());
        if (std::string(c.name) == "empty folder") shelltest::Picture(&f, "chooser_empty_folder");

        // OK says it again and leaves the window open.
        f.cbClienti->setEditText("Verdi");
        f.lblMsg->clear();
        f.cmdOk->click();
        EXPECT_FALSE(Startup.bSplashOK);
        EXPECT_EQ(f.lblMsg->text().toStdString(), c.said);
        EXPECT_FALSE(platform::DirExists(dir.file("Verdi")));
        EXPECT_FALSE(platform::DirExists(dir.file("TIMBREL/Verdi")));
    }
}

TEST_F(ChooserTest, OkWithoutACustomerNameSaysSo) {
    frmSplash f;
    f.lbxCasse->setCurrentRow(1);
    f.lbxLingue->setCurrentRow(1);
    f.cbClienti->setEditText("  ");
    f.cmdOk->click();
    EXPECT_FALSE(Startup.bSplashOK);
    EXPECT_EQ(f.lblMsg->text().toStdString(), "Choose a customer folder or type the name of a new one.");
    EXPECT_TRUE(f.lblMsg->isVisibleTo(&f));
}

TEST_F(ChooserTest, EveryCaptionFollowsTheLanguageChosen) {
    frmSplash f;
    const auto captions = [&] {
        return std::vector<std::string>{f.lblCasse->text().toStdString(),
                                        f.lblClienti->text().toStdString(),
                                        f.lblLingue->text().toStdString(),
                                        f.cmdCancel->text().toStdString()};
    };
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"Installazione", "Cliente", "Lingua", "Annulla"}));
    f.lbxCasse->setCurrentRow(1);
    shelltest::Picture(&f, "chooser_italian");
    f.lbxLingue->setCurrentRow(1);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"Installation", "Customer", "Language", "Cancel"}));
    f.lbxLingue->setCurrentRow(0);
    EXPECT_EQ(captions()[0], "Installazione");
}

TEST_F(ChooserTest, AValueWithoutBarIsLeftOutAndTheNextKeepsItsKey) {
    Write("setup.ini", "[Casse]\r\nc1=Broken\r\nc2=Bar|9\r\n[Lingue]\r\nl1=eng\r\nl2=English|eng\r\n");
    frmSplash f;
    EXPECT_EQ(Items(f.lbxCasse), (std::vector<std::string>{"Bar"}));
    EXPECT_EQ(ConfigLevel.CashType(), "TIMBREL");  // row 0 reads c2
    EXPECT_EQ(Items(f.lbxLingue), (std::vector<std::string>{"English"}));
    EXPECT_EQ(Core.strLangFile, dir.file("Testi.eng"));
    std::string log = Read("msg.log");
    EXPECT_NE(log.find("[Casse] c1 = \"Broken\""), std::string::npos) << log;
    EXPECT_NE(log.find("[Lingue] l1 = \"eng\""), std::string::npos) << log;
}

TEST(StartupHelpers, ModelNumber) {
    const std::pair<const char*, int> cases[] = {
        {" 5 ", 5}, {"9", 9}, {"12abc", 12}, {"9.5", 10}, {"10.5", 10}, {"-3", -3},
        {"", 0},    {"abc", 0}, {" .", 0},    {"0x10", 0}, {"99999", 0},
    };
    for (const auto& [text, number] : cases) EXPECT_EQ(ModelNumber(text), number) << text;
}

TEST(StartupHelpers, CustomerNameIsOneFolder) {
    const std::pair<const char*, bool> cases[] = {
        {"Rossi", true}, {"Bar Centrale", true}, {"Caffè", true}, {"", false}, {"  ", false},
        {".", false},    {"..", false},          {"a/b", false},  {"a\\b", false},
        {"tab\there", false}, {"x\x7f", false},
    };
    for (const auto& [name, ok] : cases) EXPECT_EQ(IsValidCustomerName(name), ok) << name;
}

}  // namespace
