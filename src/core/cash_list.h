#pragma once
// The register list: up to 16 registers on one line, read from config.ini
// [Casse]. Index 16 is a spare slot.
#include <array>
#include <cstdint>
#include <string>

struct CashInfoRec {
    std::string number;     // the register's number as text
    std::string name;       // name from the hello answer
    std::string identity;   // identity text of the hello answer
    std::string release;    // firmware release, such as "R013000"
    std::string port;       // serial port number as text
    std::string addressed;  // "1" addressed mode, "0" direct
    std::string station;    // station address as text, from 0
};

struct CashRec : CashInfoRec {
    int16_t bDefined = 0;    // the entry exists in config.ini
    int16_t bEnabled = 0;    // selected for work
    int16_t bDone = 0;       // served in the current cycle
    int16_t bConnected = 0;  // link open
    int16_t bFailed = 0;     // handshake failed in the current cycle
};

constexpr int kMaxCash = 16;
extern std::array<CashRec, kMaxCash + 1> CassaList;
