// The default files of a new register folder, model by model, as the
// folder opening makes them: which files exist, their record length and
// count, and their exact bytes; and the writers' own cases.
#include "store/create_tables.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/record_text.h"
#include "common/fake_shell.h"
#include "common/reset_globals.h"
#include "common/tempdir.h"
#include "engine/open_register.h"
#include "platform/files.h"

namespace {

using namespace testsupport::text;
using testsupport::ReadAll;
using testsupport::WriteAll;

struct Model {
    const char* key;
    int16_t number;
    char family;         // 'L' LX4100, 'T' older family, 'N' newer family
    const char* absent;  // the table files the model does not have
    int16_t departments, directory, discounts, payments;
    char vat;            // default VAT code of a department
    int iconMessages;    // of a register whose release is not known yet
};

const Model kModels[] = {
    {"DRAVO57", 3, 'N', "", 250, 250, 20, 40, '5', 10},
    {"LX4100", 1, 'L', "RepFid SubFid CirCli TicketAmount RResto ClientG FunMul", 99, 99, 6, 10,
     '4', 7},
    {"TIMBREL", 9, 'N', "RepFid SubFid CirCli", 250, 250, 20, 40, '5', 10},
    {"QUENTARO", 6, 'T', "RepFid SubFid CirCli TicketAmount RResto ClientG", 250, 250, 20, 10,
     '9', 6},
};

bool Has(const Model& m, const std::string& file) {
    std::istringstream absent(m.absent);
    for (std::string word; absent >> word;)
        if (word + ".txt" == file) return false;
    return true;
}

// One table file: its record length, its record count and its record n.
struct TableFile {
    const char* name;
    int length;
    std::function<int(const Model&)> count;
    std::function<std::string(const Model&, int)> record;
};

std::string LoyaltyLines() {
    std::string line = "00" + Zeros(48);
    return line + line + line;
}

std::string PaymentName(int n) {
    switch (n) {
    case 1: return "Cash";
    case 2: return "Cheque";
    case 3: return "Credit";
    case 4: return "Card";
    case 5: return "Ticket";
    case 40: return "Bancomat";
    default: return "Ticket" + std::to_string(n - 5);
    }
}

std::string Discount(const Model& m, int n) {
    static const char* lx[] = {"000", "032", "128", "160", "224", "160"};
    static const char* others[] = {"016", "048", "144", "176", "000"};
    std::string flags = m.family == 'L' ? lx[n < 6 ? n - 1 : 5] : others[n < 5 ? n - 1 : 4];
    return Z(n, 2) + flags + Zeros(8) + Zeros(8) + Blanks(30) + kEnd;
}

std::string Steps() {
    std::string s;
    for (int k = 1; k <= 60; ++k) s += Z(k, 2) + "000";
    return s;
}

std::function<int(const Model&)> Fixed(int n) {
    return [n](const Model&) { return n; };
}

// Every table file a register folder can have.
const std::vector<TableFile>& Tables() {
    static const std::vector<TableFile> tables = {
        {"Reparti.txt", 89, [](const Model& m) { return m.departments; },
         [](const Model& m, int n) {
             return Z(n, 4) + Blanks(30) + "31 " + "0  " + Zeros(24) + m.vat + "00" + "0000" + "00" + "001" +
                    "000" + Zeros(8) + kEnd;
         }},
        {"RepFid.txt", 156, [](const Model& m) { return m.departments; },
         [](const Model&, int n) { return Z(n, 4) + LoyaltyLines() + kEnd; }},
        {"SubFid.txt", 152, Fixed(1), [](const Model&, int) { return LoyaltyLines() + kEnd; }},
        {"CirCli.txt", 12, Fixed(10),
         [](const Model&, int n) { return Z(n, 2) + "0000000" + "0" + kEnd; }},
        {"PLU.txt", 89, Fixed(0), nullptr},
        {"Offerte.txt", 89, Fixed(0), nullptr},
        {"DirPLU.txt", 18, [](const Model& m) { return m.directory; },
         [](const Model&, int n) { return Blanks(13) + Pad(std::to_string(n), 3) + kEnd; }},
        {"ModPag.txt", 57, [](const Model& m) { return m.payments; },
         [](const Model&, int n) {
             std::string flags = n == 3 ? "024" : n == 5 ? "136" : "008";
             return Z(n, 2) + Pad(PaymentName(n), 30) + flags + "0       " + "0       " + "0   " + kEnd;
         }},
        {"TicketAmount.txt", 15, Fixed(510),
         [](const Model&, int n) { return Z((n - 1) / 15 + 1, 2) + Z((n - 1) % 15 + 1, 2) + Zeros(9) + kEnd; }},
        {"RResto.txt", 6, Fixed(8),
         [](const Model&, int n) { return std::to_string(n) + "000" + kEnd; }},
        {"Valute.txt", 27, Fixed(4),
         [](const Model&, int n) { return std::to_string(n) + "000000.00000000" + "0" + Blanks(8) + kEnd; }},
        {"ScoMag.txt", 53, [](const Model& m) { return m.discounts; }, Discount},
        {"Bollini.txt", 40, Fixed(4),
         [](const Model&, int n) { return std::to_string(n) + "0" + Zeros(24) + Zeros(12) + kEnd; }},
        {"Operatori.txt", 58, Fixed(20),
         [](const Model&, int n) { return Z(n, 2) + Z(n, 3) + "000" + Blanks(30) + "015255" + Zeros(12) + kEnd; }},
        {"Camerieri.txt", 34, Fixed(20),
         [](const Model&, int n) { return Z(n, 2) + Blanks(30) + kEnd; }},
        {"Clienti.txt", 90, Fixed(0), nullptr},
        {"ClientG.txt", 26, Fixed(255),
         [](const Model&, int n) { return Z(n, 3) + Blanks(21) + kEnd; }},
        {"PrezPeso.txt", 12, Fixed(11),
         [](const Model&, int n) { return Z(n, 2) + Zeros(8) + kEnd; }},
        {"GrpRep.txt", 34, Fixed(12),
         [](const Model&, int n) { return Z(n, 2) + Blanks(30) + kEnd; }},
        {"GrpSta.txt", 34, Fixed(19),
         [](const Model&, int n) { return Z(n, 2) + Blanks(30) + kEnd; }},
        {"IconText.txt", 106, [](const Model& m) { return m.iconMessages; },
         [](const Model&, int n) { return Pad(std::to_string(n), 2) + Blanks(2) + Blanks(100) + kEnd; }},
        {"FunMul.txt", 320,
         Fixed(250),
         [](const Model&, int n) { return Z(n, 3) + Pad("100" + Z(n, 3), 12) + "000" + Steps() + kEnd; }},
    };
    return tables;
}

class CreateTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetGlobals();
        Core.strRootDir = dir.path();
        Core.strStartDir = dir.file("start");
        Core.strCashDir = dir.file("Cassa1");
        Core.strLangFile = dir.file("Testi.eng");
        platform::MakeDir(Core.strStartDir);
        platform::MakeDir(Core.strCashDir);
        WriteAll(Core.strLangFile,
                 "[18]\r\ncash=Cash\r\ncheque=Cheque\r\ncredit=Credit\r\nccard=Card\r\n"
                 "ticket=Ticket\r\nbancomat=Bancomat\r\n");
    }
    void TearDown() override { testsupport::ResetGlobals(); }
    void UseModel(const Model& m) {
        ConfigLevel = ConfigLevelClass{};
        ConfigLevel.InitOffLine(m.number, "V014057");
        SetTableSizes();
    }
    std::set<std::string> FolderFiles() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Core.strCashDir))
            names.insert(e.path().filename().string());
        return names;
    }

    testsupport::TempDir dir;
    testsupport::ScopedFakeShell shell;
};

// A new folder of each model opened as the program opens it: exactly the
// model's files, each with its record length and count, and its bytes, whole.
TEST_F(CreateTablesTest, NewRegisterFolderOfEachModel) {
    for (const Model& m : kModels) {
        SCOPED_TRACE(m.key);
        std::filesystem::remove_all(Core.strCashDir);
        ConfigLevel = ConfigLevelClass{};
        ConfigLevel.InitOffLine(m.number, "V014057");
        ASSERT_EQ(ConfigLevel.CashType(), m.key);
        std::set<std::string> expected = {"Cassa.txt"};
        for (int16_t t = 0; t < ConfigLevel.GetNKeybConf(); ++t) {
            WriteAll(platform::JoinPath(Core.strStartDir, KeybConfFileName(t)), "[Livello0]\r\n");
            expected.insert(KeybConfFileName(t));
        }
        EXPECT_TRUE(LoadCassa(false)) << ReadAll(dir.file("msg.log"));

        for (const TableFile& t : Tables()) {
            if (!Has(m, t.name)) continue;
            expected.insert(t.name);
            SCOPED_TRACE(t.name);
            std::string bytes = ReadAll(platform::JoinPath(Core.strCashDir, t.name));
            int count = t.count(m);
            ASSERT_EQ(bytes.size(), static_cast<std::size_t>(count) * t.length);
            // The whole file; a difference is shown as its first record.
            std::string want;
            for (int n = 1; n <= count; ++n) want += t.record(m, n);
            if (bytes == want) continue;
            for (int n = 1; n <= count; ++n) {
                const std::size_t at = static_cast<std::size_t>(n - 1) * t.length;
                if (bytes.compare(at, t.length, want, at, t.length) == 0) continue;
                ADD_FAILURE() << "record " << n << ": " << bytes.substr(at, t.length)
                              << " instead of " << want.substr(at, t.length);
                break;
            }
        }
        EXPECT_EQ(FolderFiles(), expected);
        EXPECT_TRUE(shell->msgBoxes.empty());
    }
}

TEST_F(CreateTablesTest, IconMessagesFollowTheRegistersRelease) {
    UseModel(kModels[0]);
    ConfigLevel.SetCashVersion(Core.nOpenCash, "R022002");
    ASSERT_TRUE(CreateTestoIcone());
    EXPECT_EQ(ReadAll(dir.file("Cassa1/IconText.txt")).size(), 6u * 106);
}

TEST_F(CreateTablesTest, RatesUseTheSystemsDecimalSeparator) {
    UseModel(kModels[0]);
    Numbers.strDecSep = ",";
    ASSERT_TRUE(CreateValuta());
    EXPECT_EQ(ReadAll(dir.file("Cassa1/Valute.txt")).substr(0, 27),
              "1000000,000000000" + Blanks(8) + kEnd);
}

TEST_F(CreateTablesTest, SamplePLUsAndOffersWhenAskedFor) {
    UseModel(kModels[0]);
    PLUFiles.bPredef = true;
    ASSERT_TRUE(CreatePLU());
    ASSERT_TRUE(CreateOff());
    std::string plu = ReadAll(dir.file("Cassa1/PLU.txt"));
    ASSERT_EQ(plu.size(), 2000u * 89);
    auto pluRec = [&](int n) { return plu.substr(static_cast<std::size_t>(n - 1) * 89, 89); };
    const std::string tail = "0000" "00000" "000000000" "9" "000" "00000" "00000" + kEnd;
    EXPECT_EQ(pluRec(1), Blanks(12) + "1" + "000000110" + "001" + Pad("Desc. 1", 30) + tail);
    EXPECT_EQ(pluRec(25), Blanks(11) + "25" + "000001250" + "001" + Pad("Desc. 25", 30) + tail);
    EXPECT_EQ(pluRec(2000), Blanks(9) + "2000" + "000120000" + "001" + Pad("Desc. 2000", 30) + tail);

    std::string off = ReadAll(dir.file("Cassa1/Offerte.txt"));
    ASSERT_EQ(off.size(), 50u * 89);
    EXPECT_EQ(off.substr(6 * 89, 89), " 999999990007" + Zeros(9) + "001" + Pad("Offerta 7", 30) + "0000" +
                                          "00003" + Zeros(9) + "9" + "000" + "00000" + "00000" + kEnd);
}

TEST_F(CreateTablesTest, SharedPLUFileIsCreatedOnceAndNeverReplaced) {
    UseModel(kModels[0]);
    Core.bGlobPLU = true;
    Core.strCashDir = dir.file("Cassa2");
    platform::MakeDir(Core.strCashDir);
    ASSERT_TRUE(CreatePLU());
    EXPECT_TRUE(testsupport::Exists(dir.file("Cassa1/PLU.txt")));
    EXPECT_FALSE(testsupport::Exists(dir.file("Cassa2/PLU.txt")));

    const std::string shared = Blanks(12) + "7" + std::string(74, '0') + kEnd;
    WriteAll(dir.file("Cassa1/PLU.txt"), shared);
    PLUFiles.bPredef = true;
    ASSERT_TRUE(CreatePLU());
    EXPECT_EQ(ReadAll(dir.file("Cassa1/PLU.txt")), shared);
}

// A folder that cannot take the file: the writer returns false, leaves no
// file behind, and says so in interactive runs only.
TEST_F(CreateTablesTest, UnwritableFolderGivesFalseAndNoFile) {
    UseModel(kModels[0]);
    struct Case {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"missing folder", [&] { Core.strCashDir = dir.file("Missing"); }},
        {"folder is a file", [&] {
             WriteAll(dir.file("Plain"), "x");
             Core.strCashDir = dir.file("Plain");
         }},
        {"read-only folder", [&] {
             platform::MakeDir(dir.file("ReadOnly"));
             ::chmod(dir.file("ReadOnly").c_str(), 0555);
             Core.strCashDir = dir.file("ReadOnly");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.what) == "read-only folder" && ::geteuid() == 0) continue;  // root writes anyway
        c.prepare();
        for (bool interactive : {true, false}) {
            Core.bInteractive = interactive;
            shell->msgBoxes.clear();
            EXPECT_FALSE(CreateReparto());
            EXPECT_FALSE(CreateGrpRep());
            EXPECT_FALSE(CreateCli());
            if (platform::DirExists(Core.strCashDir)) {
                EXPECT_TRUE(std::filesystem::is_empty(Core.strCashDir));
            }
            // Departments report the failure; groups and the customer archive
            // fail without a message.
            ASSERT_EQ(shell->msgBoxes.size(), interactive ? 1u : 0u);
            if (interactive) {
                EXPECT_EQ(shell->msgBoxes[0].text.rfind("CreateReparto - ", 0), 0u);
            }
        }
    }
    ::chmod(dir.file("ReadOnly").c_str(), 0755);
}

TEST_F(CreateTablesTest, ZeroSizedTablesAreEmptyFiles) {
    UseModel(kModels[1]);
    Sizes.nMaxGrpRep = 0;
    ASSERT_TRUE(CreateGrpRep());
    EXPECT_TRUE(testsupport::Exists(dir.file("Cassa1/GrpRep.txt")));
    EXPECT_EQ(ReadAll(dir.file("Cassa1/GrpRep.txt")), "");
}

}  // namespace
