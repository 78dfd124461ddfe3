// The serial trace: its line format, which lines are written, and the file.
#include "link/link_fixture.h"
#include "platform/clock.h"

namespace {

using linktest::LinkTest;

TEST(SerialTrace, ControlCharactersAreBracketed) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"abc ~", "abc ~"},
        {std::string("\x05", 1), "[5]"},
        {std::string("\0", 1), "[0]"},
        {"\x06\xA1\xA1", "[6][161][161]"},
        {"\x7F\x1F", "[127][31]"},
        {"\x04=  0;*2;\x02j\x03", "[4]=  0;*2;[2]j[3]"},
    };
    for (const auto& c : cases) EXPECT_EQ(FmtCtrlChars(c.in), c.out);
}

TEST(SerialTrace, TimeStamp) {
    EXPECT_EQ(SerialTimeStamp(0), "00:00:00,000");
    EXPECT_EQ(SerialTimeStamp(3723004), "01:02:03,004");
    EXPECT_EQ(SerialTimeStamp(90000000), "01:00:00,000");  // 25 hours wrap
    EXPECT_EQ(SerialTimeStamp(4294967295u), "17:02:47,295");
}

class SerialLogTest : public LinkTest {};

TEST_F(SerialLogTest, LineFormat) {
    double now = 3723.0041;
    platform::SetTestTimer([&] { return now; });
    Core.nCommPort = 1;
    CassaConf.P9Addr = 1;
    CassaConf.P013 = 7;
    ASSERT_TRUE(StartSerialLog(true, true));
    LinkState.TxFrame = linktest::Hex("04 3D 20 20 30 3B 2A 32 3B 2B 34 3B 2A 46 3B 2A 33 3B 02 6A 03");
    LogSerial(kLogTx);
    LinkState.RxFrame = "\x06\xA1\xA1";
    LogSerial(kLogRx);
    CassaConf.P013 = -5;
    LogSerial(kLogErr, "timeout");
    LogSerial(4, "nothing");
    platform::SetTestTimer({});
    EXPECT_EQ(testsupport::ReadAll(SerLog.strSerLogFile),
              "01:02:03,004 Tx  (01-01-007)-> [4]=  0;*2;+4;*F;*3;[2]j[3]\r\n"
              "01:02:03,004 Rx  (01-01-007)-> [6][161][161]\r\n"
              "01:02:03,004 Err (01-01--005)-> timeout\r\n");
}

TEST_F(SerialLogTest, WhichLinesAreWritten) {
    LinkState.TxFrame = "tx";
    LinkState.RxFrame = "rx";
    const struct {
        bool data, err, testMode;
        std::vector<std::string> lines;
        size_t progressErrors;
    } cases[] = {
        {true, true, false, {"Tx  (00-00-000)-> tx", "Rx  (00-00-000)-> rx", "Err (00-00-000)-> e"}, 0},
        {true, false, false, {"Tx  (00-00-000)-> tx", "Rx  (00-00-000)-> rx"}, 0},
        {false, true, false, {"Err (00-00-000)-> e"}, 0},
        {false, false, true, {"Err (00-00-000)-> e"}, 1},
    };
    for (const auto& c : cases) {
        Core.nCommPort = 0;
        StopSerialLog();
        testsupport::WriteAll(SerLog.strSerLogFile, "");
        SerLog.bSerLogData = c.data;
        SerLog.bSerLogErr = c.err;
        LinkState.bTestMode = c.testMode;
        shell->errors.clear();
        LogSerial(kLogTx);
        LogSerial(kLogRx);
        LogSerial(kLogErr, "e");
        StopSerialLog();
        EXPECT_EQ(TraceLines(), c.lines);
        ASSERT_EQ(shell->errors.size(), c.progressErrors);
        if (c.progressErrors) {
            EXPECT_EQ(shell->errors[0].text.substr(13), "Err (00-00-000)-> e");
            EXPECT_TRUE(shell->errors[0].registerPrefix);
        }
    }
}

TEST_F(SerialLogTest, EveryStartBeginsAFreshFile) {
    ASSERT_TRUE(StartSerialLog(true, false));
    LinkState.TxFrame = "one";
    LogSerial(kLogTx);
    ASSERT_TRUE(StartSerialLog(true, false));
    LinkState.TxFrame = "two";
    LogSerial(kLogTx);
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"Tx  (01-00-000)-> two"});

    // No kind chosen: nothing starts and the file is left alone.
    EXPECT_FALSE(StartSerialLog(false, false));
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"Tx  (01-00-000)-> two"});
    EXPECT_TRUE(SerLog.bSerLogData);

    StopSerialLog();
    EXPECT_EQ(SerLog.nSerLogFile, -1);
    EXPECT_FALSE(SerLog.bSerLogData);
    // After a stop, the first line (an error during a test) starts a fresh file.
    LinkState.bTestMode = true;
    LogSerial(kLogErr, "e");
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"Err (01-00-000)-> e"});
}

TEST_F(SerialLogTest, FileThatCannotBeCreatedLeavesTheLinkAlone) {
    SerLog.strSerLogFile = dir.file("missing/folder/serial.log");
    SerLog.bSerLogErr = true;
    LogSerial(kLogErr, "e");
    EXPECT_EQ(SerLog.nSerLogFile, -1);
    EXPECT_FALSE(testsupport::Exists(SerLog.strSerLogFile));
}

TEST_F(SerialLogTest, TraceFileIsInTheStartFolder) {
    EXPECT_EQ(SerLog.strSerLogFile, dir.file("serial.log"));
}

}  // namespace
