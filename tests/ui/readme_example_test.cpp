// The README's unattended run, as a new user follows it: the register
// emulator started on the sample start folder, its [Ports] line put in the
// settings store, then the program's batch example. Both programs run as
// processes; the commands are taken from README.md itself.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "common/reset_globals.h"
#include "common/run_program.h"
#include "core/shell.h"
#include "common/tempdir.h"
#include "platform/settings.h"
#include "engine/registry.h"
#include "link/cmd_queue.h"
#include "store/plu.h"
#include "transfers/table_procs.h"
#include "ui/frmComm.h"
#include "ui/frmDocument.h"
#include "ui/frmMain.h"
#include "ui/shell_fixture.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadAll;

std::string EmulatorPath() {
    return (fs::path(testsupport::ProgramPath()).parent_path().parent_path() / "tests" /
            "ecr-emulator")
        .string();
}

// The words of the README's indented command line that starts with the
// program's name ("scripts/run /r:..." gives {"/r:...", ...}).
std::vector<std::string> ReadmeCommand(const std::string& program) {
    std::ifstream readme(std::string(ECR_SOURCE_DIR) + "/README.md");
    std::string line;
    while (std::getline(readme, line)) {
        if (line.rfind("    " + program + " ", 0) != 0) continue;
        std::istringstream words(line.substr(4 + program.size()));
        std::vector<std::string> args;
        for (std::string w; words >> w;) args.push_back(w);
        return args;
    }
    return {};
}

// The emulator as a process, its output in a file.
class EmulatorProcess {
public:
    EmulatorProcess(const std::vector<std::string>& args, const std::string& out) : out_(out) {
        std::vector<std::string> words = {EmulatorPath()};
        words.insert(words.end(), args.begin(), args.end());
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (std::string& w : words) argv.push_back(w.data());
            argv.push_back(nullptr);
            // From a folder of its own: the emulator works from any folder.
            if (!freopen(out.c_str(), "w", stdout) || !freopen(out.c_str(), "a", stderr) ||
                chdir("/") != 0)
                _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~EmulatorProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    // Waits until the output holds the text; the output so far.
    std::string WaitFor(const std::string& text, double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        std::string now = ReadAll(out_);
        while (now.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                pid_ = -1;
                return ReadAll(out_);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            now = ReadAll(out_);
        }
        return now;
    }
    // The exit status once it has ended by itself; -1 while it runs.
    int Status() {
        if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
        return pid_ < 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    std::string out_;
    pid_t pid_ = -1;
    int status_ = 0;
};

// When the file was last written, in nanoseconds.
int64_t WrittenAt(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class ReadmeExampleTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& p : {testsupport::ProgramPath(), EmulatorPath()})
            if (!fs::exists(p)) GTEST_SKIP() << "not built: " << p;
        // The start folder as scripts/run makes it: sample/ and the language files.
        home = std::string(std::getenv("HOME")) + "/ecrprog";
        fs::remove_all(home);
        fs::copy(std::string(ECR_SOURCE_DIR) + "/sample", home, fs::copy_options::recursive);
        for (const char* lang : {"Testi.eng", "Testi.ita"})
            fs::copy_file(shelltest::LangFile(lang), home + "/" + lang);
    }
    void TearDown() override {
        std::error_code ec;
        if (!home.empty()) fs::remove_all(home, ec);
    }
    // The README's emulator command, "~" standing for the home folder.
    std::vector<std::string> EmulatorArgs() const {
        std::vector<std::string> args = ReadmeCommand("build/tests/ecr-emulator");
        for (std::string& a : args)
            if (a.rfind("~/", 0) == 0) a = std::string(std::getenv("HOME")) + a.substr(1);
        return args;
    }
    std::string home;
    testsupport::TempDir dir;  // the emulator's output
};

TEST_F(ReadmeExampleTest, TheBatchExampleSendsTheSampleDepartmentsAndReadsThemBack) {
    const std::vector<std::string> batch = ReadmeCommand("scripts/run");
    ASSERT_EQ(batch, (std::vector<std::string>{"/r:**", "/f:setup.ini"}));
    const std::vector<std::string> emulatorArgs = EmulatorArgs();
    ASSERT_EQ(emulatorArgs, std::vector<std::string>{home});

    EmulatorProcess emulator(emulatorArgs, dir.file("emulator.txt"));
    std::string said = emulator.WaitFor("COM1=", 10);
    const std::string folder = home + "/TAV3800/Demo";
    EXPECT_NE(said.find("plays " + folder +
                        " (model TAV3800): register 1 \"Demo\" at station 0, direct link."),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("section [Ports] of " + platform::SettingsFile()), std::string::npos)
        << said;
    const size_t com = said.find("COM1=");
    ASSERT_NE(com, std::string::npos) << said;
    const std::string device = said.substr(com + 5, said.find('\n', com) - com - 5);
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", device));

    const std::string departments = folder + "/Cassa1/Reparti.txt";
    const std::string sent = ReadAll(departments);
    ASSERT_EQ(sent.size(), 250u * 89u);
    const int64_t before = WrittenAt(departments);

    testsupport::RunResult run = testsupport::RunProgram(batch, home, 120);
    EXPECT_EQ(run.status, 0) << run.err;

    const std::string log = ReadAll(dir.file("emulator.txt"));
    const size_t send = log.find("0;*2;+4;*F;*3;");
    const size_t read = log.find("0;*2;+4;&L1:250;#H;*3;");
    ASSERT_NE(send, std::string::npos) << log.substr(0, 2000);
    ASSERT_NE(read, std::string::npos) << log.substr(0, 2000);
    EXPECT_LT(send, read);
    // The register got the sample's departments and sent all 250 back.
    EXPECT_NE(log.find("1:BREAD:31:0:0:0:5:", send), std::string::npos);
    EXPECT_NE(log.find("6:NEWSPAPERS:31:", send), std::string::npos);
    EXPECT_GE(testsupport::CountOf(log.substr(read), "C07:ZZZZ:ZZ:"), 251);  // 250 records and the end
    EXPECT_NE(log.find("C07:ZZZZ:ZZ:250: :31:", read), std::string::npos);
    EXPECT_NE(log.find("C07:ZZZZ:ZZ:*", read), std::string::npos);
    EXPECT_NE(log.find("C07:ZZZZ:ZZ:2:FRUIT AND VEGETABLES:31:", read), std::string::npos);

    // The read wrote the table with what came back, the same bytes.
    EXPECT_EQ(ReadAll(departments), sent);
    EXPECT_GT(WrittenAt(departments), before);
    // Where the README says the results land.
    EXPECT_FALSE(fs::exists(folder + "/err.log"));
    EXPECT_TRUE(fs::exists(folder + "/done.sem"));
    EXPECT_TRUE(fs::exists(folder + "/msg.log"));
    EXPECT_NE(ReadAll(home + "/serial.log").find("*F"), std::string::npos);
}

// The bulk PLU send ("#z" with an import file) against the README's
// emulator: its registers play the bulk transfer's counts and its end.
TEST_F(ReadmeExampleTest, TheEmulatorTakesABulkPLUSend) {
    EmulatorProcess emulator(EmulatorArgs(), dir.file("emulator.txt"));
    std::string said = emulator.WaitFor("COM1=", 10);
    const size_t com = said.find("COM1=");
    ASSERT_NE(com, std::string::npos) << said;
    const std::string device = said.substr(com + 5, said.find('\n', com) - com - 5);
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", device));
    std::string plus;
    for (int n = 1; n <= 20; ++n) {
        PLURec r = tables::DefaultRecord<PLURec>(0);
        r.code.PutRight(std::to_string(n));
        r.P220A.PutNum(250);
        r.P220B.PutNum(1);
        r.P220C = "Item " + std::to_string(n);
        r.P220G = "1";
        r.end.Set();
        plus += tables::RecordBytes(r);
    }
    testsupport::WriteAll(dir.file("plu.txt"), plus);
    testsupport::RunResult run = testsupport::RunProgram(
        {"/r:#z|" + dir.file("plu.txt"), "/f:setup.ini"}, home, 120);
    const std::string folder = home + "/TAV3800/Demo";
    EXPECT_EQ(run.status, 0) << run.err << ReadAll(folder + "/err.log");
    EXPECT_FALSE(fs::exists(folder + "/err.log"));
}

TEST_F(ReadmeExampleTest, TheEmulatorPlaysEachSampleInstallationInItsLinkMode) {
    const struct {
        std::string folder;
        std::string says;
    } cases[] = {
        {"LX4100/Demo", "(model LX4100): register 1 \"Demo\" at station 0, addressed link."},
        {"VELTA7300/Demo", "(model VELTA7300): register 1 \"Demo\" at station 0, direct link."},
        {"TIMBREL/Demo", "(model TIMBREL): register 1 \"Demo\" at station 0, direct link."},
    };
    for (const auto& c : cases) {
        EmulatorProcess emulator({home + "/" + c.folder}, dir.file(c.folder.substr(0, 4) + ".txt"));
        std::string said = emulator.WaitFor("COM1=", 10);
        EXPECT_NE(said.find("plays " + home + "/" + c.folder + " " + c.says), std::string::npos)
            << said;
    }

    // A register whose options say addressed mode is played addressed.
    fs::create_directories(home + "/VELTA7300/Demo/Cassa1");
    testsupport::WriteAll(home + "/VELTA7300/Demo/Cassa1/Cassa.txt", "[P9]\r\n11=130\r\n");
    {
        EmulatorProcess emulator({home + "/VELTA7300/Demo"}, dir.file("addressed.txt"));
        EXPECT_NE(emulator.WaitFor("COM1=", 10).find("at station 0, addressed link."),
                  std::string::npos);
    }

    // A folder that is no installation: said, and the emulator ends.
    EmulatorProcess emulator({dir.path()}, dir.file("none.txt"));
    std::string said = emulator.WaitFor("neither", 10);
    EXPECT_NE(said.find("ecr-emulator: " + dir.path() + " has neither a config.ini"),
              std::string::npos)
        << said;
    for (int i = 0; i < 100 && emulator.Status() < 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(emulator.Status(), 1);
}

// The README's two registers on one line, set up in the windows, then both read by the emulator, addressed.
TEST_F(ReadmeExampleTest, TwoRegistersOnOneLineAsTheReadmeSays) {
    shelltest::App();
    testsupport::ResetGlobals();
    ClearEditorRegistry();
    const std::string folder = home + "/TAV3800/Demo";
    Core.bInteractive = true;
    Core.bAskOnExit = false;
    Core.strStartDir = home;
    Core.strSetupIni = home + "/setup.ini";
    Core.strCustDir = Core.strCashDir = folder;
    Core.strLangFile = home + "/Testi.eng";
    ConfigLevel.InitOffLine(5, kProgramRelease);
    RegisterTableProcs();
    auto main = std::make_unique<frmMain>();
    main->Load();
    main->tmrMain()->stop();
    main->show();
    ASSERT_TRUE(ShowForm("K_FRMCOMM"));
    auto* w = dynamic_cast<frmComm*>(CurrentEditor());
    ASSERT_TRUE(w);
    w->checks["chkP911G"]->click();  // "Addressed mode"
    w->cmdSave->click();
    w->cbIndirizzo->setCurrentIndex(1);
    emit w->cbIndirizzo->activated(1);
    w->checks["chkP911G"]->click();
    w->numbers["txtP013"]->setText("2");  // "Register number"
    w->cmdSave->click();
    w->chkEna[1]->click();
    ASSERT_EQ(fDocForm->Tree()->topLevelItem(0)->childCount(), 2);

    EmulatorProcess emulator({folder}, dir.file("emulator.txt"));
    const std::string said = emulator.WaitFor("COM1=", 10);
    EXPECT_NE(said.find("register 1 \"Demo\" at station 0, register 2 at station 1, addressed link."),
              std::string::npos) << said;
    const size_t com = said.find("COM1=");
    ASSERT_NE(com, std::string::npos) << said;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", said.substr(com + 5, said.find('\n', com) - com - 5)));
    main->tmrMain()->start();
    w->cmdLoad->click();
    QElapsedTimer clock;
    clock.start();
    while ((LinkState.nState != 0 || CmdQueuePending() || clock.elapsed() < 300) && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(CurrentShell().StatusText(), "Read from register 2");
    // Both registers were read, each at its own address.
    EXPECT_EQ(testsupport::CountOf(ReadAll(dir.file("emulator.txt")), "&m;#H;"), 2);
    main->tmrMain()->stop();
    CloseCurrentEditor();
    ShellState.bMainCanUnload = true;
    main->close();
}

}  // namespace
