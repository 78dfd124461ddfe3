#include "engine/open_register.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/fake_shell.h"
#include "core/core_fixture.h"
#include "engine/comm_settings.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// The files of a register folder but its key configurations.
std::set<std::string> TableFiles(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("Keyb", 0) != 0) names.insert(name);
    }
    return names;
}

class OpenRegisterTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Core.strRootDir = dir.file("base");
        Core.strStartDir = dir.file("start");
        platform::MakeDir(Core.strRootDir);
        platform::MakeDir(Core.strStartDir);
    }
    // A start folder with a two-level template for every keyboard type of
    // the model.
    void Model(int16_t n) {
        CoreTest::Model(n);
        for (int16_t t = 0; t < ConfigLevel.GetNKeybConf(); ++t)
            WriteAll(platform::JoinPath(Core.strStartDir, KeybConfFileName(t)),
                     "[Livello0]\r\nT0=1|9|15\r\n[Livello1]\r\nT0=0|9|16\r\n");
    }
    // Chooses station `station` as NextCash does.
    void Choose(int station, int16_t index) {
        LinkState.nAddress = static_cast<int16_t>(station);
        Core.strCashDir = platform::JoinPath(Core.strRootDir, "Cassa" + std::to_string(station + 1));
        Core.nOpenCash = index;
    }
};

// The table files of each model are checked byte for byte with the tables'
// tests; here the rest of a new folder: Cassa.txt, the list entry and the key
// tables from the register's copy of the templates.
TEST_F(OpenRegisterTest, NewFolderGetsItsOptionsListEntryAndKeyTables) {
    int station = 0;
    for (int16_t model : {3, 1, 9, 5}) {
        SCOPED_TRACE(model);
        Model(model);
        Choose(station, static_cast<int16_t>(station));
        EXPECT_TRUE(LoadCassa(false)) << MsgLog();
        for (int16_t t = 0; t < ConfigLevel.GetNKeybConf(); ++t)
            EXPECT_TRUE(platform::FileExists(CashFile(KeybConfFileName(t))));
        EXPECT_EQ(platform::ProfileString("P5", "17", "", CashFile("Cassa.txt")), "224");
        EXPECT_EQ(platform::ProfileString("P9", "13", "", CashFile("Cassa.txt")),
                  std::to_string(station + 1));
        // A register new to the list takes the options record's default number.
        EXPECT_EQ(platform::ProfileString("P0", "13", "", CashFile("Cassa.txt")), "0");
        EXPECT_EQ(CassaList[station].bDefined, True);
        EXPECT_EQ(CassaList[station].bEnabled, False);
        EXPECT_EQ(platform::ProfileString("Casse", "C" + std::to_string(station), "", ConfigIni()),
                  "0||||1|" + std::string(LinkState.bAddressed ? "1" : "0") + "|" +
                      std::to_string(station) + "|0");
        EXPECT_EQ(Keyb.KeyConf0[0].nFunCode, 15);
        EXPECT_EQ(Keyb.KeyConf1[0].nFunCode, 16);
        ++station;
    }
}

TEST_F(OpenRegisterTest, ReopeningRecreatesADeletedFileAlone) {
    Model(3);
    Choose(0, 0);
    ASSERT_TRUE(LoadCassa(false)) << MsgLog();
    const std::string grpSta = ReadAll(CashFile("GrpSta.txt"));
    ASSERT_FALSE(grpSta.empty());
    // Mark every other file so that a rewrite would show.
    std::vector<std::string> others;
    for (const auto& e : std::filesystem::directory_iterator(Core.strCashDir)) {
        const std::string name = e.path().filename().string();
        if (name == "GrpSta.txt" || name == "Cassa.txt") continue;
        others.push_back(name);
        WriteAll(CashFile(name), "mark " + name);
    }
    ASSERT_TRUE(platform::RemoveFile(CashFile("GrpSta.txt")));
    const std::string cassa = ReadAll(CashFile("Cassa.txt"));

    LoadCassa(false);
    EXPECT_EQ(ReadAll(CashFile("GrpSta.txt")), grpSta);
    for (const auto& name : others) {
        if (name == "Operatori.txt") continue;  // an unknown layout is the conversion's concern
        EXPECT_EQ(ReadAll(CashFile(name)), "mark " + name) << name;
    }
    EXPECT_EQ(ReadAll(CashFile("Cassa.txt")), cassa);
}

TEST_F(OpenRegisterTest, ReloadListFreesTheQueueAndRereadsTheList) {
    Model(5);
    Choose(2, 2);
    ASSERT_TRUE(LoadCassa(false));
    for (bool reload : {false, true}) {
        SCOPED_TRACE(reload);
        for (int i = 1; i <= 3; ++i) CmdQueue.entries[i].state = -1;
        CmdQueue.nCmdNum = 3;
        CmdQueue.bQueueHold = CmdQueue.bHelloDone = true;
        CassaFile.bConfPLUDefault = false;
        platform::WriteProfileString("Casse", "C2", "9|Shop|||4|0|2|1", ConfigIni());
        CassaList[2].name = "before";
        Core.nCommPort = 1;
        EXPECT_TRUE(LoadCassa(reload));
        EXPECT_EQ(CmdQueue.entries[1].state, reload ? 0 : -1);
        EXPECT_EQ(CmdQueue.entries[3].state, reload ? 0 : -1);
        EXPECT_EQ(CmdQueue.nCmdNum, 3);
        EXPECT_FALSE(CmdQueue.bQueueHold);
        EXPECT_FALSE(CmdQueue.bHelloDone);
        EXPECT_TRUE(CassaFile.bConfPLUDefault);
        EXPECT_EQ(Core.nCommPort, reload ? 4 : 1);
        // LoadCasseConf runs last in both cases.
        EXPECT_EQ(CassaList[2].name, "Shop");
        EXPECT_EQ(CassaList[2].bEnabled, True);
    }
}

TEST_F(OpenRegisterTest, TemplatesAreCopiedOnlyWhereMissing) {
    Model(5);  // TAV3800: three keyboard types
    Choose(0, 0);
    platform::MakeDir(Core.strCashDir);
    WriteAll(CashFile("Cassa.txt"), "[Tastiera]\r\ntipo=2\r\n");
    const std::string own = "[Livello0]\r\nT0=1|1|200\r\n";
    WriteAll(CashFile("Keyb5_0.txt"), own);
    ASSERT_TRUE(LoadCassa(false)) << MsgLog();
    EXPECT_EQ(ReadAll(CashFile("Keyb5_0.txt")), own);
    EXPECT_TRUE(platform::FileExists(CashFile("Keyb5_1.txt")));
    EXPECT_TRUE(platform::FileExists(CashFile("Keyb5_2.txt")));
    EXPECT_EQ(Keyb.strKeybConfFile, CashFile("Keyb5_2.txt"));
    EXPECT_EQ(Keyb.nNumKeys, 101);
}

// A register whose opening fails part-way gets its own options and link
// settings, never those of the register opened before.
TEST_F(OpenRegisterTest, FailedOpeningLeavesNothingOfTheRegisterBefore) {
    Model(5);
    Choose(0, 0);
    platform::MakeDir(Core.strCashDir);
    WriteAll(CashFile("Cassa.txt"), "[P5]\r\n14=FIRST\r\n[P9]\r\n11=2\r\n[P0]\r\n13=1\r\n");
    ASSERT_TRUE(LoadCassa(false));
    ASSERT_TRUE(LinkState.bAddressed);
    ASSERT_EQ(Keyb.KeyConf0[0].nFunCode, 15);

    // The second register's model templates are gone and one value is bad.
    for (int16_t t = 0; t < 3; ++t)
        platform::RemoveFile(platform::JoinPath(Core.strStartDir, KeybConfFileName(t)));
    Choose(1, 1);
    platform::MakeDir(Core.strCashDir);
    WriteAll(CashFile("Cassa.txt"), "[P0]\r\n13=2\r\n19=99999\r\n[P9]\r\n11=128\r\n");
    EXPECT_FALSE(LoadCassa(false));
    EXPECT_EQ(udtCassaConf.P013, 2);
    EXPECT_EQ(udtCassaConf.P514, "");
    EXPECT_EQ(udtCassaConf.P019, 0);
    EXPECT_FALSE(LinkState.bAddressed);
    EXPECT_EQ(udtCassaConf.P9Addr, 2);
    EXPECT_EQ(Keyb.KeyConf0[0].nFunCode, 0);
    EXPECT_EQ(Keyb.KeyConf0[0].bProg, False);
    // Every table file was still created, the options file with its bad
    // value kept as it was, and the log says what went wrong.
    std::set<std::string> files = TableFiles(Core.strCashDir);
    EXPECT_EQ(files.erase("Cassa.txt.bak"), 1u);
    EXPECT_EQ(files, TableFiles(dir.file("base/Cassa1")));
    EXPECT_NE(MsgLog().find("Keyb5_0.txt"), std::string::npos);
    EXPECT_NE(MsgLog().find("[P0] 19"), std::string::npos);
}

// What a run stopped part-way left in the folder goes when it opens: the
// copies of reads and reports, and a dump whose mark says it was cut short.
// Whole files stay.
TEST_F(OpenRegisterTest, StaleWorkFilesGoWhenTheFolderOpens) {
    Model(5);
    Choose(0, 0);
    platform::MakeDir(Core.strCashDir);
    const struct {
        const char* name;
        bool stays;
    } files[] = {
        {"Reparti.txt", true},       {"Reparti.txt.part", false}, {"Reparti.rpt.part", false},
        {"C08.txt", false},          {"C08.txt.part", false},     {"C16.txt", true},
        {"Storico.txt", true},       {"notes.part.txt", true},
    };
    for (const auto& f : files) WriteAll(CashFile(f.name), std::string("bytes of ") + f.name);
    LoadCassa(false);
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(platform::FileExists(CashFile(f.name)), f.stays);
        if (f.stays && std::string(f.name) != "Reparti.txt") {
            EXPECT_EQ(ReadAll(CashFile(f.name)), std::string("bytes of ") + f.name);
        }
    }
}

TEST_F(OpenRegisterTest, FolderThatCannotBeCreated) {
    Model(5);
    Choose(0, 0);
    Core.strCashDir = dir.file("missing/deeper/Cassa1");
    LinkState.bAddressed = true;
    EXPECT_FALSE(LoadCassa(false));
    EXPECT_FALSE(platform::DirExists(Core.strCashDir));
    EXPECT_EQ(udtCassaConf.P911, 128);
    EXPECT_FALSE(LinkState.bAddressed);
}

// A listed register whose folder has no Cassa.txt keeps its number, and the first save keeps the entry.
TEST_F(OpenRegisterTest, ANewOptionsFileKeepsTheNumberOfItsListEntry) {
    Core.bInteractive = true;
    for (const auto& model : std::filesystem::directory_iterator(std::filesystem::path(ECR_SOURCE_DIR) / "sample")) {
        const std::filesystem::path config = model.path() / "Demo" / "config.ini";
        if (!std::filesystem::exists(config)) continue;
        SCOPED_TRACE(config.string());
        Model(5);
        std::filesystem::remove_all(Core.strRootDir);
        platform::MakeDir(Core.strRootDir);
        std::filesystem::copy_file(config, ConfigIni());
        LoadCasseConf();
        const std::string entry = platform::ProfileString("Casse", "C0", "", ConfigIni());
        ASSERT_EQ(entry.substr(0, 2), "1|");
        Choose(0, 0);
        ASSERT_TRUE(LoadCassa(false)) << MsgLog();
        EXPECT_EQ(platform::ProfileString("P0", "13", "", CashFile("Cassa.txt")), "1");
        EXPECT_EQ(CommCheckSave(CommShowConf(), false), SaveResult::Saved);
        EXPECT_EQ(platform::ProfileString("Casse", "C0", "", ConfigIni()), entry);
    }
}

// The save refuses a station address that another list entry has (one folder), naming the entry.
TEST_F(OpenRegisterTest, TheSaveRefusesAStationAddressThatAnotherEntryHas) {
    testsupport::ScopedFakeShell shell;
    Core.bInteractive = true;
    Core.strLangFile = std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng";
    const struct {
        const char* casse;  // config.ini [Casse]
        int station;        // the register chosen in the window
        const char* refused;  // the entry named, empty: saved
    } rows[] = {
        {"C0=1||||1|1|1|1\r\n", 1, "C0 (Cassa2)"},
        {"C3=4||||1|1|1|0\r\n", 1, "C3 (Cassa2)"},  // not enabled: one folder all the same
        {"C1=2||||1|1|1|1\r\nC3=4||||1|1|2|1\r\n", 1, ""},
        {"C0=1||||1|1|0|1\r\nC1=2||||1|1|0|1\r\n", 0, "C1 (Cassa1)"},
    };
    Model(5);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.casse);
        shell->msgBoxes.clear();
        WriteAll(ConfigIni(), std::string("[Casse]\r\n") + r.casse);
        LoadCasseConf();
        Choose(r.station, static_cast<int16_t>(r.station));
        LinkState.nCurCash = static_cast<int16_t>(r.station);
        ASSERT_TRUE(LoadCassa(false)) << MsgLog();
        const std::string config = ReadAll(ConfigIni());
        const std::string cassa = ReadAll(CashFile("Cassa.txt"));
        udtCassaConf.P013 = 42;
        const bool saved = *r.refused == 0;
        EXPECT_EQ(CommCheckSave(CommShowConf(), false) == SaveResult::Saved, saved);
        if (saved) {
            EXPECT_EQ(platform::ProfileString("P0", "13", "", CashFile("Cassa.txt")), "42");
            EXPECT_TRUE(shell->msgBoxes.empty());
            continue;
        }
        EXPECT_EQ(ReadAll(CashFile("Cassa.txt")), cassa);
        EXPECT_EQ(ReadAll(ConfigIni()), config);
        ASSERT_EQ(shell->msgBoxes.size(), 1u);
        EXPECT_EQ(shell->msgBoxes[0].text,
                  "Not saved: this station address, and so its folder, is already that of the register "
                  "list's entry " + std::string(r.refused));
    }
}

// The sample start folder opens a register of every model with its own
// templates, layouts and key-function lists.
TEST_F(OpenRegisterTest, SampleStartFolderServesEveryModel) {
    const std::filesystem::path sample = std::filesystem::path(ECR_SOURCE_DIR) / "sample";
    std::filesystem::copy(sample, Core.strStartDir,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    Core.strLangExt = ".eng";
    for (int16_t model = 1; model <= 12; ++model) {
        SCOPED_TRACE(model);
        ConfigLevel.InitOffLine(model, "V014057");
        Choose(model - 1, static_cast<int16_t>(model - 1));
        EXPECT_TRUE(LoadCassa(false)) << MsgLog();
        Keyb.strFunCodeFile = FunCodeFileName();
        LoadFunzioni();
        EXPECT_GT(Keyb.nFunCodes, 100);
        EXPECT_GE(FindFunCode(kDefaultFunCode), 0);
        for (int16_t t = 0; t < ConfigLevel.GetNKeybConf(); ++t) {
            CassaFile.nTipoTastiera = t;
            LoadKeyConf();
            ASSERT_GT(Keyb.nNumKeys, 0);
            for (int k = 0; k < Keyb.nNumKeys; ++k) {
                EXPECT_GE(FindFunCode(Keyb.KeyConf0[k].nFunCode), 0) << k;
                EXPECT_GE(FindFunCode(Keyb.KeyConf1[k].nFunCode), 0) << k;
                EXPECT_EQ(FindKeyPos(Keyb.KeyConf0[k].nPosCode), k);
            }
            // The layout shows the first and the last key.
            int16_t row = 0, col = 0;
            EXPECT_TRUE(GetKeyLayoutPos(t, 0, row, col)) << "type " << t;
            EXPECT_TRUE(GetKeyLayoutPos(t, Keyb.nNumKeys - 1, row, col)) << "type " << t;
        }
    }
}

}  // namespace
