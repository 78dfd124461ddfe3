#include "platform/editor.h"
#include "platform/profile.h"
#include "platform/serial.h"
#include "platform/settings.h"

#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>

using namespace platform;
using testsupport::ReadAll;
using testsupport::TempDir;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvVar() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(Settings, StoredUnderXdgConfigHome) {
    TempDir dir;
    EnvVar xdg("XDG_CONFIG_HOME", dir.path().c_str());
    EXPECT_EQ(SettingsFile(), dir.path() + "/Veltrana/ecrprog.ini");
    EXPECT_EQ(GetSetting("Settings", "Font", "Sans"), "Sans");
    EXPECT_TRUE(SaveSetting("Settings", "Font", "Mono"));
    EXPECT_TRUE(SaveSetting("Ports", "COM2", "/dev/ttyUSB0"));
    EXPECT_EQ(ReadAll(dir.path() + "/Veltrana/ecrprog.ini"),
              "[Settings]\r\nFont=Mono\r\n[Ports]\r\nCOM2=/dev/ttyUSB0\r\n");
    EXPECT_EQ(GetSetting("settings", "font", ""), "Mono");
    EXPECT_EQ(PortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(PortDevice(2), "/dev/ttyUSB0");
    EXPECT_EQ(PortDevice(16), "/dev/ttyS15");
}

// An unreadable settings file names no device: the port is refused saying why, not opened as default.
TEST(Settings, AnUnreadableSettingsFileNamesNoDevice) {
    TempDir dir;
    EnvVar xdg("XDG_CONFIG_HOME", dir.path().c_str());
    ASSERT_TRUE(SaveSetting("Ports", "COM2", "/dev/null"));
    ASSERT_EQ(truncate(SettingsFile().c_str(), kProfileMaxBytes + 1), 0);
    EXPECT_EQ(PortDevice(1), "");
    EXPECT_EQ(PortDevice(2), "");
    const std::string problem = PortDeviceProblem(1);
    EXPECT_NE(problem.find("COM1"), std::string::npos) << problem;
    EXPECT_NE(problem.find(SettingsFile() + " cannot be read"), std::string::npos) << problem;
    TermiosSerialPort port(1);
    EXPECT_FALSE(port.SetPortOpen(true));
    EXPECT_EQ(port.LastReason(), problem);
    ASSERT_EQ(truncate(SettingsFile().c_str(), 0), 0);
    EXPECT_EQ(PortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(PortDeviceProblem(1), "");
}

TEST(Settings, DefaultsToHomeConfig) {
    TempDir dir;
    EnvVar xdg("XDG_CONFIG_HOME", nullptr);
    EnvVar home("HOME", dir.path().c_str());
    EXPECT_EQ(SettingsFile(), dir.path() + "/.config/Veltrana/ecrprog.ini");
    EXPECT_TRUE(SaveSetting("Settings", "Font", "X"));
    EXPECT_TRUE(testsupport::Exists(dir.path() + "/.config/Veltrana/ecrprog.ini"));
}

TEST(Editor, MissingProgramIsReported) {
    TempDir dir;
    EnvVar visual("VISUAL", nullptr);
    struct Case {
        std::string editor;
    } cases[] = {{"no-such-editor-program"}, {dir.file("missing-editor") + " -w"}, {dir.path()}};
    for (const Case& c : cases) {
        EnvVar editor("EDITOR", c.editor.c_str());
        std::string error;
        EXPECT_FALSE(OpenInTextEditor(dir.file("a.txt"), error)) << c.editor;
        EXPECT_NE(error.find("cannot be found"), std::string::npos) << error;
    }
}

TEST(Editor, StartsTheProgramWithItsArgumentsAndTheFile) {
    TempDir dir;
    std::string script = dir.file("fake-editor");
    testsupport::WriteAll(script, "#!/bin/sh\necho \"$@\" > \"$2.out\"\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    EnvVar visual("VISUAL", (script + " --flag").c_str());
    std::string error;
    std::string file = dir.file("b.txt");
    ASSERT_TRUE(OpenInTextEditor(file, error)) << error;
    // The editor runs on its own; wait for its output for at most 5 s.
    std::string out;
    for (int i = 0; i < 500 && out.empty(); ++i) {
        out = ReadAll(file + ".out");
        if (out.empty()) usleep(10000);
    }
    EXPECT_EQ(out, "--flag " + file + "\n");
}
