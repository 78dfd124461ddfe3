// Every test program starts here: the settings store and the home folder are
// moved into a temporary folder so that no test touches the real ones, and
// windows are drawn offscreen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/texts.h"
#include "link/dispatch.h"

int main(int argc, char** argv) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ecrhome-XXXXXX").string();
    if (mkdtemp(tmpl.data())) {
        setenv("XDG_CONFIG_HOME", (tmpl + "/config").c_str(), 1);
        setenv("HOME", tmpl.c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // What the program's Main installs at start-up.
    InstallTextHooks();
    InstallAnswerParser();
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
    return rc;
}
