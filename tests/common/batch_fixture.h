#pragma once
// A command-line run of the program, as a process without a display, against
// the register emulator: a start folder with the shipped language file and
// setup.ini (base folder "base", error log base/err.log, semaphore
// base/done.sem, no DTR wait), a base folder whose config.ini lists the
// registers and the request list, and the emulator in addressed mode on a
// pseudo-terminal as port 1. Header only: the emulator is linked by the
// suites, not by the support library.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/run_program.h"
#include "common/tempdir.h"
#include "emulator/cash_register.h"
#include "emulator/emulator.h"
#include "core/record.h"
#include "platform/settings.h"
#include "store/plu.h"

namespace testsupport {

// A PLU record of an import file: price 250, type 1, the rest default.
inline std::string PluRecord(const std::string& code, int dept, const std::string& descr) {
    PLURec r = tables::DefaultRecord<PLURec>(0);
    r.code.PutRight(code);
    r.P220A.PutNum(250);
    r.P220B.PutNum(dept);
    r.P220C = descr;
    r.P220G = "1";
    r.end.Set();
    return tables::RecordBytes(r);
}

class BatchRunTest : public ::testing::Test {
protected:
    // The register at `station` in addressed mode, as config.ini [Casse]
    // lists it (number station + 1, release R022002, port 1, enabled or not).
    static std::string CasseLine(int station, bool enabled = true) {
        const std::string s = std::to_string(station);
        return "C" + s + "=" + std::to_string(station + 1) + "|||R022002|1|1|" + s + "|" +
               (enabled ? "1" : "0") + "\r\n";
    }

    void SetUp() override {
        if (!std::filesystem::exists(ProgramPath())) GTEST_SKIP() << "no program at " << ProgramPath();
        std::filesystem::copy_file(std::string(ECR_SOURCE_DIR) + "/lang/Testi.eng", dir.file("Testi.eng"));
        Write("setup.ini", "[Casse]\r\npath=base\r\nlogerr=base/err.log\r\nsem=base/done.sem\r\n"
                           "[Communication]\r\nDTRDelay=0\r\n");
    }
    void TearDown() override {
        if (emulator) emulator->Stop();
    }

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        WriteAll(dir.file(name), text);
    }
    std::string Read(const std::string& name) const { return ReadAll(dir.file(name)); }
    // A file of the register folder of the station.
    std::string Cash(const std::string& name, int station = 0) const {
        return Read("base/Cassa" + std::to_string(station + 1) + "/" + name);
    }
    std::string ErrLog() const { return Read("base/err.log"); }
    // The error log's lines of the code.
    int ErrorLines(const std::string& code) const { return CountOf(ErrLog(), "[" + code + "]"); }

    // config.ini with the registers of the stations and the request list.
    void WriteConfig(const std::vector<int>& stations, const std::string& requests,
                     int commandsTimeout = 120) {
        std::string casse;
        for (int s : stations) casse += CasseLine(s);
        WriteConfigLines(casse, requests, commandsTimeout);
    }
    // config.ini with the [Casse] lines as given.
    void WriteConfigLines(const std::string& casse, const std::string& requests,
                          int commandsTimeout = 120) {
        Write("base/config.ini", "[Generiche]\r\nlangfile=" + dir.file("Testi.eng") +
                                     "\r\ncommandstimeout=" + std::to_string(commandsTimeout) +
                                     "\r\n[Casse]\r\n" + casse + "[Richieste]\r\n" + requests);
    }
    // config.ini, and a Cassa.txt for each station: addressed without DTR
    // wait, hello type 1, and the extra options given.
    void Prepare(const std::vector<int>& stations, const std::string& requests,
                 int commandsTimeout = 120, const std::string& options = "") {
        WriteConfig(stations, requests, commandsTimeout);
        for (int s : stations)
            Write("base/Cassa" + std::to_string(s + 1) + "/Cassa.txt",
                  options + "[P9]\r\n11=2\r\n[Communication]\r\nhellotype=1\r\n");
    }

    // The emulator in addressed mode; handlers are added before Start().
    void CreateEmulator(const std::vector<int>& stations, int gapMs = 2) {
        emu::Options options;
        options.addressed = true;
        options.stations = stations;
        options.gapMs = gapMs;
        emulator = std::make_unique<emu::Emulator>(options);
    }
    std::shared_ptr<emu::CashRegister> AddRegister(int station, emu::RegisterConfig config = {}) {
        registers.push_back(std::make_shared<emu::CashRegister>(station, config));
        emulator->AddHandler(registers.back());
        return registers.back();
    }
    // Starts the emulator and names its pseudo-terminal as port 1.
    void StartEmulator() {
        std::string error;
        ASSERT_TRUE(emulator->Start(&error)) << error;
        ASSERT_TRUE(platform::SaveSetting("Ports", "COM1", emulator->SlavePath()));
    }
    // All three: a register of the model at each station.
    void StartRegisters(const std::vector<int>& stations, const std::string& model = "") {
        CreateEmulator(stations);
        for (int s : stations) {
            emu::RegisterConfig config;
            if (!model.empty()) config.model = model;
            AddRegister(s, config);
        }
        StartEmulator();
    }

    // One register behind a modem (P911 129), dialled through phone-book entry 3 "Shop".
    void PrepareModem(const std::string& requests) {
        Write("modem.ini", "[Init1]\r\nCmd1=ATZ\r\nCmd2=ATE0\r\n[Connect1]\r\nDial=ATDT\r\n"
                           "[Disconnect1]\r\nDisconnect=ATH\r\n");
        Write("PhoneBook.ini", "[PhoneBook]\r\n1=Office|999\r\n2=|\r\n3=Shop|0123\r\n");
        Write("base/Cassa1/Cassa.txt",
              "[P9]\r\n11=129\r\n[Communication]\r\nhellotype=1\r\nPhoneBookIndex=3\r\n");
        WriteConfigLines("C0=1|||R022002|1|0|0|1\r\n", requests, 300);
    }
    // The emulator for PrepareModem: its register behind the modem.
    void StartModemEmulator(const emu::ModemScript& script) {
        emu::Options options;
        options.stations = {0};
        modem = std::make_shared<emu::ModemFront>(script);
        options.modem = modem;
        emulator = std::make_unique<emu::Emulator>(options);
        AddRegister(0);
        StartEmulator();
    }

    static constexpr auto& Plu = PluRecord;

    // The command frames a register got that opened an exchange (the polls'
    // empty frames and the closing frames left out).
    static std::vector<std::string> Requests(const emu::CashRegister& reg) {
        std::vector<std::string> out;
        for (const std::string& c : reg.Commands())
            if (c.rfind("*2;", 0) == 0) out.push_back(c);
        return out;
    }

    // The program in the start folder with the arguments.
    RunResult Run(const std::vector<std::string>& args, double seconds = 120) {
        return RunProgram(args, dir.path(), seconds);
    }
    // Started with the signal blocked (0: none), so that one sent before the
    // program took its signals waits for it rather than ending it unrecorded.
    StartedProgram StartBlocking(const std::vector<std::string>& args, int sig) {
        sigset_t block, before;
        sigemptyset(&block);
        if (sig > 0) sigaddset(&block, sig);
        pthread_sigmask(SIG_BLOCK, &block, &before);
        const StartedProgram run = StartProgram(args, dir.path());
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return run;
    }

    TempDir dir;
    std::unique_ptr<emu::Emulator> emulator;
    std::vector<std::shared_ptr<emu::CashRegister>> registers;
    std::shared_ptr<emu::ModemFront> modem;
};

}  // namespace testsupport
