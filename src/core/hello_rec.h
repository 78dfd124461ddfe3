#pragma once
// The last hello answer of a register.
#include <array>
#include <cstdint>
#include <string>

struct HelloRecT {
    std::string strHelloAns;               // payload of the last hello answer
    std::array<int16_t, 4> HelloStatus{};  // status words 0 to 3
    std::string strDataOra;                // the register's date and time text
    std::string strHelloInfo;              // identity text
    std::string strHelloVersion;           // firmware release
    std::string strHelloName;              // register name
};

extern HelloRecT HelloRec;
