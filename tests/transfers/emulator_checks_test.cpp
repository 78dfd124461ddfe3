// A send changes what the emulator's register (no model given) holds as a register does; a read gives it back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "transfers/timer_fixture.h"

namespace {

// The program's side: records sent on "B" requests, and the "C" lines of a read.
struct Side {
    static inline std::vector<std::string> records;
    static inline size_t next = 0;
    static inline std::vector<std::string> lines;
    static std::string Answer() {
        LinkState.sngLastRx = platform::Timer();
        if (next < records.size()) return records[next++];
        DecPending();
        return "*";
    }
    static int16_t Data() {
        LinkState.sngLastRx = platform::Timer();
        lines.push_back(AnswerRec.strAnsData);
        SendAck();
        if (AnswerRec.strAnsData.rfind('*', 0) != 0) return -1;
        DecPending();
        return 0;
    }
};

using EmulatorChecksTest = timertest::TimerTest;

TEST_F(EmulatorChecksTest, WhatASendLeavesIsWhatAReadGives) {
    struct Row {
        const char* what;
        const char* sendToken;
        const char* bCode;
        std::vector<std::vector<std::string>> sends;  // one send after the other
        const char* readToken;
        const char* cCode;
        std::vector<std::string> read;
    } rows[] = {
        // Each key sent replaces the key of its variant, level and position; the others stay.
        {"keyboard", "*y", "79",
         {{"2:0:23:103", "2:0:21:101"}, {"2:0:23:300", "2:1:40:200"}},
         "&k", "20",
         {"2:0:21:101:", "2:0:23:300:", "2:1:40:200:", "*"}},
        // Customers kept by code, read by a range of codes, each followed by its position.
        {"customers", "*M", "70",
         {{"40:FORTY::0:1:0:400:0:", "5:FIVE::0:1:0:50:0:"}, {"12:TWELVE::0:1:0:120:0:"}},
         "&I10:45", "16",
         {"12:TWELVE::0:1:0:120:0:2:", "40:FORTY::0:1:0:400:0:3:", "*"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        StartLine(false, {0}, {}, 2);
        Define(0, 0, false);
        ClearDispatchProcs();
        RegisterAnsProc(r.bCode, &Side::Answer);
        RegisterDataProc(r.cCode, &Side::Data);
        for (const auto& records : r.sends) {
            Side::records = records;
            Side::next = 0;
            ASSERT_TRUE(Request(std::string("*2;+4;") + r.sendToken + ";*3;"));
            ASSERT_TRUE(RunToIdle());
        }
        Side::lines.clear();
        ASSERT_TRUE(Request(std::string("*2;+4;") + r.readToken + ";#H;*3;"));
        ASSERT_TRUE(RunToIdle());
        EXPECT_EQ(Side::lines, r.read);
        StopLine();
    }
}

}  // namespace
