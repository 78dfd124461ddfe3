// Reports, the receipt history and the closure in a command-line run: the
// program as a process against the register emulator; each file received
// lands in the copy destination its request names.
#include <filesystem>
#include <memory>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"
#include "shell_fixture.h"

namespace {

using testsupport::ProgramPath;
using testsupport::ReadAll;
using testsupport::RunProgram;
using testsupport::RunResult;

TEST(ReportsBatchRun, EveryFileReceivedLandsInItsCopyDestination) {
    if (!std::filesystem::exists(ProgramPath())) GTEST_SKIP() << "no program at " << ProgramPath();
    testsupport::TempDir dir;
    auto write = [&](const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        testsupport::WriteAll(dir.file(name), text);
    };
    const char* const reports[] = {"*A", "*C", "*D", "*E", "*f", "*g", "*R",
                                   "*S", "*h", "*u", "*w", "*b", "*c", "*B"};
    std::string requests;
    int n = 0;
    for (const char* token : reports) {
        ++n;
        requests += "r" + std::to_string(n) + "=" + token + "|" +
                    dir.file("out" + std::to_string(n) + ".txt") + "\r\n";
    }
    requests += "h=#P|" + dir.file("history.txt") + "\r\nz=#Z|" + dir.file("closure.txt") + "\r\n";
    std::filesystem::copy_file(shelltest::LangFile("Testi.eng"), dir.file("Testi.eng"));
    write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                 "\r\ncommandstimeout=120\r\n[Casse]\r\nC0=1|||R022002|1|1|0|1\r\n"
                                 "[Richieste]\r\n" + requests);
    write("base/Cassa1/Cassa.txt", "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");

    emu::Options options;
    options.addressed = true;
    options.stations = {0};
    emu::Emulator emulator(options);
    auto reg = std::make_shared<emu::CashRegister>(0);
    emulator.AddHandler(reg);
    for (const char* token : reports) reg->SetReport(token, {std::string("report ") + token, "end"});
    reg->SetHistory({{"0001:01", "sale 1"}, {"0001:02", "sale 2"}});
    reg->SetClosure("Z 0007:TOTAL 99,00");
    std::string error;
    ASSERT_TRUE(emulator.Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator.SlavePath()));

    RunResult r = RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/w:2"}, dir.path(), 120);
    emulator.Stop();
    EXPECT_EQ(r.status, 0) << r.err << ReadAll(dir.file("base/err.log"));
    n = 0;
    for (const char* token : reports) {
        const std::string copy = ReadAll(dir.file("out" + std::to_string(++n) + ".txt"));
        EXPECT_EQ(copy, std::string("report ") + token + "\r\nend\r\n") << token;
    }
    EXPECT_EQ(ReadAll(dir.file("base/Cassa1/PLUGiorno.rpt")), "report *B\r\nend\r\n");
    EXPECT_EQ(ReadAll(dir.file("history.txt")),
              "C00:0001:01:sale 1\r\nC00:0001:02:sale 2\r\nC00:ZZZZ:ZZ:*\r\n");
    EXPECT_EQ(ReadAll(dir.file("closure.txt")), "Z 0007:TOTAL 99,00\r\n");
    EXPECT_EQ(ReadAll(dir.file("base/err.log")), "");
}

}  // namespace
