// The emulator program's register holds the model's option groups: a first read of the options gives them.
#include <chrono>
#include <filesystem>
#include <thread>

#include "common/batch_fixture.h"
#include "common/child_process.h"

namespace {

using EmulatorProgramTest = testsupport::BatchRunTest;

TEST_F(EmulatorProgramTest, TheFirstReadOfTheOptionsGivesTheModelsOwn) {
    const std::string emulatorPath =
        (std::filesystem::path(testsupport::ProgramPath()).parent_path().parent_path() / "tests" /
         "ecr-emulator").string();
    if (!std::filesystem::exists(emulatorPath)) GTEST_SKIP() << "not built: " << emulatorPath;
    // A register of the sample's kind: direct link, the model's own settings.
    WriteConfigLines("C0=1|||R022002|1|0|0|1\r\n", "r1=&m|\r\n");
    Write("base/Cassa1/Cassa.txt", "[P9]\r\n21=55\r\n");
    const std::string out = dir.file("emulator.txt");
    const pid_t pid = childtest::Start([&] {
        if (!freopen(out.c_str(), "w", stdout)) return 126;
        execl(emulatorPath.c_str(), emulatorPath.c_str(), dir.path().c_str(), "--model", "TAV3800",
              static_cast<char*>(nullptr));
        return 127;
    });
    ASSERT_GT(pid, 0);
    struct Stop {
        pid_t pid;
        ~Stop() { kill(pid, SIGTERM), childtest::Wait(pid); }
    } stop{pid};
    std::string said;
    for (int i = 0; i < 500 && said.find("COM1=") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        said = testsupport::ReadAll(out);
    }
    const size_t at = said.find("COM1=");
    ASSERT_NE(at, std::string::npos) << said;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", said.substr(at + 5, said.find('\n', at) - at - 5)));

    EXPECT_EQ(Run({"/r:**", "/f:setup.ini", "/l:9", "/t:1"}, 60).status, 0)
        << ErrLog() << testsupport::ReadAll(out);
    // The register's value in place of the folder's own.
    EXPECT_NE(Cash("Cassa.txt").find("21=10\r\n"), std::string::npos) << Cash("Cassa.txt");
}

}  // namespace
