// The PLU requests of a request list, run by the program as a process
// against two registers in addressed mode: "*G" imports a file and sends
// it record by record, "#z" imports it and sends it in bulk, "*L" imports
// and sends offers; each register in its own turn.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/bulk_receiver.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "platform/settings.h"
#include "tables/plu.h"
#include "tables/record.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

std::string Plu(const std::string& code, int dept, const std::string& descr) {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(code);
    r.P220A.PutNum(250);
    r.P220B.PutNum(dept);
    r.P220C = descr;
    r.P220G = "1";
    r.end.Set();
    return tables::RecordBytes(r);
}

TEST(PLUBatchTest, ImportAndBulkSendReachEachRegisterInItsTurn) {
    if (!std::filesystem::exists(testsupport::ProgramPath())) GTEST_SKIP() << "no program";
    testsupport::TempDir dir;
    auto write = [&](const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        WriteAll(dir.file(name), text);
    };
    std::filesystem::copy_file(std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng", dir.file("Testi.eng"));
    const std::string import = dir.file("articles.txt");
    const std::string offers = dir.file("offers.txt");
    // 150 PLUs in reverse order, one twice, one refused (department 0).
    std::string plus;
    for (int n = 150; n >= 1; --n) plus += Plu(std::to_string(n), 1 + n % 9, "Item " + std::to_string(n));
    plus += Plu("7", 2, "Item 7 again") + Plu("999", 0, "Refused");
    write("articles.txt", plus);
    write("offers.txt", Plu("999999990002", 1, "Offer 2").replace(59, 5, "00003").replace(77, 1, "9") +
                            Plu("999999990001", 1, "Offer 1").replace(59, 5, "00003").replace(77, 1, "9"));
    write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                       "[Communication]\r\nDTRDelay=0\r\n");
    write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                 "\r\ncommandstimeout=600\r\n[Casse]\r\n"
                                 "C0=1|||R022002|1|1|0|1\r\nC1=2|||R022002|1|1|1|1\r\n"
                                 "[Richieste]\r\nr1=*G|" + import + "\r\nr2=#z|" + import +
                                 "\r\nr3=*L|" + offers + "\r\n");
    for (int station : {0, 1})
        write("base/Cassa" + std::to_string(station + 1) + "/Cassa.txt",
              "[P2]\r\n10=0\r\n11=13\r\n12=30\r\n[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");

    emu::Options options;
    options.addressed = true;
    options.stations = {0, 1};
    emu::Emulator emulator(options);
    std::vector<std::shared_ptr<emu::BulkReceiver>> bulk;
    std::vector<std::shared_ptr<emu::CashRegister>> regs;
    for (int s : {0, 1}) {
        bulk.push_back(std::make_shared<emu::BulkReceiver>(s));
        emulator.AddHandler(bulk.back());
    }
    for (int s : {0, 1}) {
        regs.push_back(std::make_shared<emu::CashRegister>(s));
        regs.back()->SetRecords("plu options", {"0:13:30:"});
        emulator.AddHandler(regs.back());
    }
    std::string error;
    ASSERT_TRUE(emulator.Start(&error)) << error;
    ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator.SlavePath()));

    const std::string before = ReadAll(import);
    auto r = testsupport::RunProgram({"/r:**", "/f:setup.ini", "/l:9", "/t:1", "/s:1", "/w:2"},
                                     dir.path(), 180);
    emulator.Stop();
    // The refused PLU is a failure of the run (import error list, code 9).
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string log = ReadAll(dir.file("base/err.log"));
    EXPECT_NE(log.find("[009]"), std::string::npos) << log;
    EXPECT_EQ(log.find("[011]"), std::string::npos) << log;
    EXPECT_EQ(ReadAll(import), before);
    for (int s : {0, 1}) {
        SCOPED_TRACE(s);
        const auto sent = regs[static_cast<size_t>(s)]->Received("plu");
        ASSERT_EQ(sent.size(), 150u);
        EXPECT_EQ(sent[0], "1:250:2:Item 1:0:0:0:1:0");  // sorted; type 3 sends G and H
        EXPECT_EQ(sent[6], "7:250:2:Item 7 again:0:0:0:1:0");  // the later of the two
        EXPECT_EQ(bulk[static_cast<size_t>(s)]->Rows().size(), 150u);
        EXPECT_TRUE(bulk[static_cast<size_t>(s)]->Ended());
        EXPECT_EQ(regs[static_cast<size_t>(s)]->Received("offers").size(), 2u);
        const std::string folder = dir.file("base/Cassa" + std::to_string(s + 1));
        EXPECT_EQ(ReadAll(folder + "/PLU.txt").size(), 150u * 89);
        EXPECT_NE(ReadAll(folder + "/PLUErr.txt").find("E <06> "), std::string::npos);
    }
}

}  // namespace
