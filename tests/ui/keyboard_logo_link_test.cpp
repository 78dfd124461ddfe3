// The keyboard and logo editors on the line, against the register emulator
// on a pseudo-terminal driven by the main window's timer: a keyboard type
// chosen in the editor is the one whose keys reach the register, and a
// bitmap chosen in the logo editor reaches it row for row.
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <regex>
#include <set>

#include "ui/editor_fixture.h"
#include "store/keyboard.h"
#include "ui/frmClienti.h"
#include "ui/frmGClienti.h"
#include "ui/frmGestIcone.h"
#include "ui/frmTastiera.h"
#include "engine/conn_test.h"
#include "engine/document.h"
#include "core/shell_state.h"
#include <algorithm>
#include "engine/operation.h"
#include "ui/frmComm.h"
#include "ui/frmOperatori.h"
#include "ui/frmProg.h"
#include "ui/frmRapporti.h"
#include "ui/frmValute.h"
#include "emulator/bulk_receiver.h"
#include "common/logo_bitmap.h"

namespace {

// English texts, the first level and the start folder's keyboard files of
// DRAVO57, as shipped.
template <class Dir>
void KeyboardStart(const Dir& dir) {
    Core.strLangExt = ".eng";
    nKeybLevel = 0;
    for (const char* name : {"Cod3.eng", "klay1_0.txt", "klay1_1.txt", "Keyb3_0.txt", "Keyb3_1.txt"})
        ASSERT_TRUE(platform::CopyFileTo(std::string(ECR_SOURCE_DIR) + "/sample/" + name, dir.file(name)));
}

class KeyboardLogoLinkTest : public editortest::LinkEditorTest {
protected:
    void SetUp() override {
        LinkEditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(KeyboardStart(dir));
        // The bitmap rows go to the receiver, added before the register.
        receiver = std::make_shared<emu::BulkReceiver>(0);
        emulator.AddHandler(receiver);
        ASSERT_NO_FATAL_FAILURE(StartLine(3, "DRAVO57"));
    }
    void TearDown() override {
        frmGestIcone::ChooseFile = savedChooser_;
        LinkEditorTest::TearDown();
    }

    decltype(frmGestIcone::ChooseFile) savedChooser_ = frmGestIcone::ChooseFile;
    std::shared_ptr<emu::BulkReceiver> receiver;
};

TEST_F(KeyboardLogoLinkTest, AfterATypeChangeSendTransmitsTheNewTypesKeys) {
    auto* e = Open<frmTastiera>("K_FRMTASTIERA");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(Keyb.nNumKeys, 88);
    Choose(e->cbxTipo, 2);
    ASSERT_EQ(Keyb.nNumKeys, 120);
    // The keys of type 1 that the register takes, by the template.
    std::set<std::string> expected;
    for (int level = 0; level < 2; ++level) {
        const auto& table = level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1;
        for (int i = 0; i < Keyb.nNumKeys; ++i)
            if (table[static_cast<size_t>(i)].bProg)
                expected.insert("2:" + std::to_string(level) + ":" + std::to_string(table[static_cast<size_t>(i)].nPosCode) +
                                ":" + std::to_string(table[static_cast<size_t>(i)].nFunCode));
    }
    ASSERT_FALSE(expected.empty());
    e->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::vector<std::string> got = reg->Received("keyboard");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expected);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

TEST_F(KeyboardLogoLinkTest, ALogoChosenInTheEditorReachesTheRegisterRowForRow) {
    Write("logo.bmp", logotest::Bitmap(288, 144, [](int x, int y) { return (x / 8 + y) % 5 == 0; }));
    frmGestIcone::ChooseFile = [this](QWidget*, const std::string&) { return dir.file("logo.bmp"); };
    auto* e = Open<frmGestIcone>("K_FRMGESTICONE");
    ASSERT_NE(e, nullptr);
    e->cmdFileIco->click();
    shell.answers = {true};
    e->cmdSend->click();
    ASSERT_TRUE(RunToIdle());
    const std::string bin = File("Bitmap.bin");
    ASSERT_EQ(bin.size(), 144u * 36);
    const auto rows = receiver->Rows();
    ASSERT_EQ(rows.size(), 144u);
    for (size_t r = 0; r < rows.size(); ++r) ASSERT_EQ(rows[r], bin.substr(r * 36, 36)) << r;
    EXPECT_TRUE(receiver->Ended());
    EXPECT_FALSE(LinkState.bSendIco);
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
    EXPECT_EQ(Status(), "Sent to register 1");
}

// Two DRAVO57 registers in addressed mode. While an operation runs over them, every other
// window's transfer (Send, Load, a card button, bulk programming, the communication window, a
// connection test) is refused with the status text naming what runs; on the line every frame
// goes to the register of the turn (register 1 whole, then register 2), and both get the same
// commands.
class OneOperationTest : public editortest::LinkEditorTest {
protected:
    void SetUp() override {
        LinkEditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(KeyboardStart(dir));
        Write("Shop/config.ini", "[Casse]\r\nC0=1|Front|||1|1|0|1\r\nC1=2|Back|||1|1|1|1\r\n");
        for (const char* folder : {"Shop/Cassa1/Cassa.txt", "Shop/Cassa2/Cassa.txt"})
            Write(folder, "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
        RegisterTableProcs();
        emu::Options options;
        options.addressed = true;
        options.stations = {0, 1};
        options.gapMs = 2;
        line = std::make_unique<emu::Emulator>(options);
        emu::RegisterConfig config;
        config.model = "DRAVO57";
        for (int s : {0, 1}) line->AddHandler(regs.emplace_back(std::make_shared<emu::CashRegister>(s, config)));
        std::string error;
        ASSERT_TRUE(line->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", line->SlavePath()));
        Main(3);
        main_->tmrMain()->start();
    }
    void TearDown() override {
        prog.reset();
        line->Stop();
        LinkEditorTest::TearDown();
    }
    // While the operation works on register 1, and again on register 2.
    void Intrude() {
        if (intruded > 1 || LinkState.nAddress != intruded || LinkState.nState == 0) return;
        ++intruded;
        const std::string name = RunningOperationName();
        EXPECT_FALSE(name.empty());
        const std::string refused = "Not started: another operation with the registers is in progress: " + name;
        // Each gives false when its window offers no button to press (an
        // editor opened while the other register's folder is open takes no
        // input until the operation ends).
        const std::function<bool()> transfers[] = {
            [this] {
                auto* e = Open<frmTastiera>("K_FRMTASTIERA");
                return Pressed(e, e->cmdSend);
            },
            [this] {
                auto* e = Open<frmValute>("K_FRMVALUTE");
                return Pressed(e, e->cmdLoad);
            },
            [this] {
                auto* e = Open<frmOperatori>("K_FRMOPERATORI");
                Choose(e->cbxOpe, 1);  // the card buttons serve a shown operator
                e->cmdClear->click();
                return e->cmdClear->isEnabled();
            },
            [this] {
                auto* e = Open<frmComm>("K_FRMCOMM");
                return Pressed(e, e->cmdSend);
            },
            [] {
                frmProg other;  // bulk programming's own window: Send disabled while it runs
                other.chkEna[3]->setChecked(true);
                other.cmdSend->click();
                return other.cmdSend->isEnabled();
            },
            [] { return ConnTest(), true; },
            // With a key changed: the refusal comes first, nothing asked, saved or dropped.
            [this] { return KeyChangedThen([](frmTastiera* e) { e->cmdLoad->click(); }); },
            [this] { return KeyChangedThen([](frmTastiera* e) { e->cmdSend->click(); }); },
            [this] {
                return KeyChangedThen([](frmTastiera* e) {
                    (new QListWidgetItem("X", e->lstKeyMacro))->setData(Qt::UserRole, 110);
                    e->cmdSendMacro->click();
                });
            },
            // A customer being added, then Load: refused first, nothing asked,
            // the record view kept.
            [this] {
                auto* e = Open<frmClienti>("K_FRMCLIENTI");
                if (!e || !e->isEnabled()) return false;
                e->cbxCli->setEditText("123");
                e->cbxCli_Enter();
                Type(e->txtDesc[0], "NEW");
                const size_t questions = shell.questions.size();
                e->cmdLoad->click();
                EXPECT_EQ(shell.questions.size(), questions);
                EXPECT_EQ(e->EditState(), 5);
                EXPECT_EQ(Shown(e->txtDesc[0]), "NEW");
                shell.answers = {false};
                CloseCurrentEditor();
                return true;
            },
        };
        // The logo editor's Send and Delete, the customer archive's and the customer groups'
        // Delete: refused before their question (customer groups saves nothing either).
        for (const auto& [key, press] : std::initializer_list<std::pair<const char*, std::function<void(QWidget*)>>>{
                 {"K_FRMGESTICONE", [](QWidget* e) { static_cast<frmGestIcone*>(e)->cmdSend->click(); }},
                 {"K_FRMGESTICONE", [](QWidget* e) { static_cast<frmGestIcone*>(e)->cmdDel->click(); }},
                 {"K_FRMCLIENTI", [](QWidget* e) { static_cast<frmClienti*>(e)->cmdDelArc->click(); }},
                 {"K_FRMGCLIENTI", [](QWidget* e) { static_cast<frmGClienti*>(e)->cmdDel->click(); }}}) {
            SCOPED_TRACE(key);
            QWidget* e = Open<QWidget>(key);
            if (!e || !e->isEnabled()) continue;
            ShowMsg("", "");
            const size_t questions = shell.questions.size();
            press(e);
            EXPECT_EQ(shell.questions.size(), questions);
            EXPECT_EQ(Status(), refused);
            CloseCurrentEditor();
        }
        for (const auto& transfer : transfers) {
            SCOPED_TRACE(&transfer - transfers);
            ShowMsg("", "");
            EXPECT_TRUE(!transfer() || Status() == refused) << Status();
        }
    }

    // The button of the editor pressed; false when the editor takes no input.
    static bool Pressed(const QWidget* editor, QPushButton* button) {
        return editor->isEnabled() && (button->click(), true);
    }

    // The keyboard editor with its first programmable key given another function, then the act.
    bool KeyChangedThen(const std::function<void(frmTastiera*)>& act) {
        auto* e = Open<frmTastiera>("K_FRMTASTIERA");
        if (!e->isEnabled()) return false;
        int key = 0;
        while (key < Keyb.nNumKeys && !Keyb.KeyConf0[key].bProg) ++key;
        e->lblKey_Click(key);
        e->cbxFunzione->setCurrentIndex(e->cbxFunzione->currentIndex() == 0 ? 1 : 0);
        const int16_t changed = e->ShownCode(0, key);
        const std::string file = Read("Shop/Cassa1/Keyb3_0.txt");
        const size_t questions = shell.questions.size();
        act(e);
        EXPECT_EQ(shell.questions.size(), questions);
        EXPECT_EQ(Read("Shop/Cassa1/Keyb3_0.txt"), file);
        EXPECT_EQ(e->ShownCode(0, key), changed);
        // Dropped on leaving, so that the next act starts afresh.
        shell.answers = {false};
        CloseCurrentEditor();
        return true;
    }

    std::unique_ptr<emu::Emulator> line;
    std::vector<std::shared_ptr<emu::CashRegister>> regs;
    std::unique_ptr<frmProg> prog;
    int intruded = 0;  // the registers intruded on
};

TEST_F(OneOperationTest, WhileOneRunsNoOtherTransferIsMixedIn) {
    const struct {
        const char* name;
        std::function<void()> start;
    } operations[] = {
        {"bulk programming",
         [this] {
             prog = std::make_unique<frmProg>();
             prog->chkEna[0]->setChecked(true);  // departments
             prog->cmdSend->click();
         }},
        {"editor send", [this] { Open<frmValute>("K_FRMVALUTE")->cmdSend->click(); }},
        {"editor read",
         [this] {
             regs[0]->SetRecords("currencies", {"2:00001,50000000:0:AAA:"});
             regs[1]->SetRecords("currencies", {"2:00002,50000000:0:BBB:"});
             Open<frmValute>("K_FRMVALUTE")->cmdLoad->click();
         }},
        {"keyboard simulation",
         [this] {
             auto* e = Open<frmTastiera>("K_FRMTASTIERA");
             (new QListWidgetItem("X", e->lstKeyMacro))->setData(Qt::UserRole, 110);
             e->cmdSendMacro->click();
         }},
        {"communication window", [this] { Open<frmComm>("K_FRMCOMM")->cmdSend->click(); }},
        {"connection test", [] { ConnTest(); }},
    };
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [this] { Intrude(); });
    watch.start(5);
    for (const auto& op : operations) {
        SCOPED_TRACE(op.name);
        CloseCurrentEditor();
        line->ClearRecords();
        intruded = 0;
        op.start();
        ASSERT_TRUE(RunToIdle(120));
        EXPECT_EQ(intruded, 2);
        // Register 1 whole, then register 2; the same commands to each.
        std::vector<int> stations;
        for (const emu::PcUnit& f : line->Frames())
            if (stations.empty() || stations.back() != f.station) stations.push_back(f.station);
        EXPECT_EQ(stations, (std::vector<int>{0, 1}));
        EXPECT_EQ(regs[0]->Commands(), regs[1]->Commands());
    }
    // What each register was sent, or was read from it, is its own.
    EXPECT_EQ(regs[0]->Received("departments"), regs[1]->Received("departments"));
    EXPECT_EQ(regs[0]->Received("departments").size(), Read("Shop/Cassa1/Reparti.txt").size() / 89);
    for (int r : {0, 1})  // currency 2's name
        EXPECT_EQ(Read("Shop/Cassa" + std::to_string(r + 1) + "/Valute.txt").substr(44, 3), r ? "BBB" : "AAA");
    EXPECT_FALSE(frmProgress::Instance()->HasErrors());
}

// The keyboard editor on register 2 while bulk programming sends the
// departments and the keyboard to both registers: a key changed during the
// send stays the editor's unsaved change; each register gets the keys of its
// own file, and the change reaches register 2's file only by Save.
TEST_F(OneOperationTest, AKeyChangedDuringABulkSendStaysTheEditorsUntilSaved) {
    ChooseRegister(1);
    auto* e = Open<frmTastiera>("K_FRMTASTIERA");
    ASSERT_NE(e, nullptr);
    int key = 0;
    while (key < Keyb.nNumKeys && !Keyb.KeyConf0[static_cast<size_t>(key)].bProg) ++key;
    const KeyConf before = Keyb.KeyConf0[static_cast<size_t>(key)];
    const std::string files[2] = {Read("Shop/Cassa1/Keyb3_0.txt"), Read("Shop/Cassa2/Keyb3_0.txt")};
    prog = std::make_unique<frmProg>();
    prog->chkEna[0]->setChecked(true);   // departments
    prog->chkEna[13]->setChecked(true);  // keyboard
    prog->cmdSend->click();
    ASSERT_TRUE(ShellState.GlobProgBusy);
    // While the departments go out to register 1, the user gives the key
    // another function.
    ASSERT_TRUE(shelltest::EventsUntil([] { return LinkState.nState != 0 && LinkState.nAddress == 0; }, 30000, 5))
        << LinkState.nState << " " << LinkState.nAddress;
    e->lblKey_Click(key);
    e->cbxFunzione->setCurrentIndex(e->cbxFunzione->currentIndex() == 0 ? 1 : 0);
    const int16_t changed = e->ShownCode(0, key);
    ASSERT_NE(changed, before.nFunCode);
    ASSERT_TRUE(RunToIdle(120));

    const std::string sent = "1:0:" + std::to_string(before.nPosCode) + ":";
    for (int r : {0, 1}) {
        SCOPED_TRACE(r);
        const std::vector<std::string> got = regs[static_cast<size_t>(r)]->Received("keyboard");
        ASSERT_FALSE(got.empty());
        const auto it = std::find_if(got.begin(), got.end(), [&](const std::string& k) { return k.rfind(sent, 0) == 0; });
        ASSERT_NE(it, got.end());
        EXPECT_EQ(*it, sent + std::to_string(before.nFunCode));
        EXPECT_EQ(Read("Shop/Cassa" + std::to_string(r + 1) + "/Keyb3_0.txt"), files[r]);
    }
    // The change is still the editor's: shown, and asked about before a Load.
    EXPECT_EQ(e->ShownCode(0, key), changed);
    shell.answers = {false};
    const size_t questions = shell.questions.size();
    e->cmdLoad->click();
    EXPECT_EQ(shell.questions.size(), questions + 1);
    EXPECT_EQ(e->ShownCode(0, key), before.nFunCode);  // dropped by the answer
    ASSERT_TRUE(RunToIdle(120));
    // Given again and saved: it goes into register 2's file only.
    e->lblKey_Click(key);
    e->cbxFunzione->setCurrentIndex(e->cbxFunzione->findData(static_cast<int>(changed)));
    e->cmdSave->click();
    const std::string saved = "T" + std::to_string(key) + "=1|" + std::to_string(before.nPosCode) + "|" +
                              std::to_string(changed) + "\r\n";
    EXPECT_NE(Read("Shop/Cassa2/Keyb3_0.txt").find(saved), std::string::npos);
    EXPECT_EQ(Read("Shop/Cassa1/Keyb3_0.txt").find(saved), std::string::npos);
}

// A closure with register 2 chosen and silent: the question names both in the order they are
// taken, register 1 is closed and logged, each failed hello of register 2 is listed while its
// clock runs, and after Cancel each register's end is named and no earlier closure is shown as
// this one's.
TEST_F(OneOperationTest, AClosureNamesItsRegistersAndASilentOneIsSaidAtOnce) {
    emu::RegisterConfig silent;
    silent.model = "DRAVO57";
    silent.silentPolls = -1;
    regs[1]->SetConfig(silent);
    Write("Shop/Cassa2/Chiusura.txt", "OLD\r\n");
    ChooseRegister(1);
    CassaList[1].bConnected = True;  // reached by an earlier operation
    frmRapporti::ShowWindow();
    frmProgress* p = frmProgress::Instance();
    auto* clock = main_->findChild<QLabel*>("lblTime");
    QString shown[2];  // the wait's time and the clock at the first attempt said
    bool moved = false;
    QTimer user;  // the user looks while the register is retried, then cancels
    QObject::connect(&user, &QTimer::timeout, [&] {
        const auto said = p->lstErrors->findItems("no answer in time", Qt::MatchContains).size();
        if (said == 1 && shown[0].isEmpty()) shown[0] = p->lblTempo->text(), shown[1] = clock->text();
        if (said < 2) return;
        moved = p->lblTempo->text() != shown[0] && clock->text() != shown[1];
        user.stop();
        p->cmdCancel->click();
    });
    user.start(20);
    frmRapporti::Instance()->cmdChiusura->click();
    EXPECT_NE(shell.questions.back().find("It runs on: Register 1 - Front, Register 2 - Back"), std::string::npos);
    ASSERT_TRUE(RunToIdle());
    EXPECT_TRUE(moved);
    ASSERT_TRUE(shelltest::EventsUntil([p] { return p->lstMessages->findItems("Register 1: closed", Qt::MatchExactly).size(); }));
    EXPECT_EQ(p->lstErrors->findItems("Register 2: failed", Qt::MatchExactly).size(), 1);
    EXPECT_NE(Read("Shop/msg.log").find("Daily closure done on register 1"), std::string::npos);
    EXPECT_EQ(testsupport::CountOf(Read("Shop/msg.log"), "PC link - in progress"), 2);  // the start, the first retry
    frmRapporti::Instance()->WatchOperation();
    EXPECT_EQ(frmRapporti::Instance()->lblReportFile->text().toStdString().rfind("Not received", 0), 0u);
}

// The message log says each register's part of an operation once, in its
// order: the step under way, then its end.
TEST_F(OneOperationTest, EachRegistersStepIsLoggedOnceBeforeItsEnd) {
    const auto bulk = [this](size_t item, bool send) {
        prog = std::make_unique<frmProg>();
        for (size_t i = 0; i < prog->chkEna.size(); ++i) prog->chkEna[i]->setChecked(i == item);
        (send ? prog->cmdSend : prog->cmdLoad)->click();
    };
    const auto keyboardLoad = [this] {
        auto* e = Open<frmTastiera>("K_FRMTASTIERA");
        e->cmdSend->click();  // keys for the registers to send back
        ASSERT_TRUE(RunToIdle(120));
        Write("Shop/msg.log", "");
        e->cmdLoad->click();
    };
    const struct {
        std::function<void()> start;
        const char* logged;
    } rows[] = {
        {[&] { bulk(7, true); }, "Sending operators - in progress|Sent to register 1|"
                                 "Sending operators - in progress|Sent to register 2|"},
        {[&] { bulk(7, false); }, "Reading operators - in progress|Read from register 1|"
                                  "Reading operators - in progress|Read from register 2|"},
        {[&] { bulk(15, true); }, "Sent to register 1|Sent to register 2|"},  // two records each
        {keyboardLoad, "Reading keyboard - in progress|Read from register 1|"
                       "Reading keyboard - in progress|Read from register 2|"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.logged);
        Write("Shop/msg.log", "");
        row.start();
        ASSERT_TRUE(RunToIdle(120));
        const std::string log = Read("Shop/msg.log");
        const std::regex step(" : ((?!PC link)[^\r]*in progress|(Sent to|Read from)[^\r]*)\r\n");
        std::string logged;
        for (std::sregex_iterator m(log.begin(), log.end(), step), end; m != end; ++m) logged += (*m)[1].str() + "|";
        EXPECT_EQ(logged, row.logged);
        prog.reset();
    }
}

}  // namespace
