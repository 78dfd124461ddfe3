// The emulator's own reading of the wire: its frames byte for byte, and how
// it cuts the program's byte stream into units.
#include <gtest/gtest.h>

#include "emulator/wire.h"
#include "link/link_fixture.h"

namespace {

using linktest::Hex;

TEST(EmulatorWire, AnswerFrames) {
    EXPECT_EQ(emu::BuildAnswer("B80", false, 0, 1, 2), Hex("04 32 21 22 42 38 30 02 A5 03"));
    EXPECT_EQ(emu::BuildAnswer("B80", true, 0, 1, 2), Hex("04 A0 33 21 22 42 38 30 02 84 03"));
    const std::string line = emu::BuildAnswer("C07:ZZZZ:ZZ:1:DEPT 1:31:0:0:0:5:0:0:0:1:0:0:0:",
                                              false, 0, 5, 6);
    EXPECT_EQ(emu::Readable(line), "[4]]%&C07:ZZZZ:ZZ:1:DEPT 1:31:0:0:0:5:0:0:0:1:0:0:0:[2]][3]");
    const std::string hello = emu::BuildAnswer("A01:003:000:000:0101241230:ID:R022002:NAME",
                                               false, 0, 0, 0);
    EXPECT_EQ(hello.size(), 49u);
    EXPECT_EQ(emu::Readable(hello), "[4]Y  A01:003:000:000:0101241230:ID:R022002:NAME[2]r[3]");
    // "[" itself is written as its code, so that "[n]" always means one byte.
    EXPECT_EQ(emu::Readable("[2]"), "[91]2]");
    EXPECT_NE(emu::BuildAnswer("B80", false, 0, 1, 2, true), Hex("04 32 21 22 42 38 30 02 A5 03"));
    EXPECT_EQ(emu::ControlChars(emu::kAck, true, 1), Hex("06 A1 A1"));
    EXPECT_EQ(emu::ControlChars(emu::kSyn, false, 1), Hex("16"));
}

struct Expected {
    emu::PcUnit::Kind kind;
    int station;
    std::string payload;
};

TEST(EmulatorWire, StreamIsCutIntoUnits) {
    using K = emu::PcUnit;
    const struct {
        const char* name;
        bool addressed;
        std::vector<std::string> chunks;
        std::vector<Expected> units;
    } cases[] = {
        {"direct",
         false,
         {Hex("10 04 3D 20 20 30 3B 2A 32 3B 2B 34"),
          Hex("3B 2A 46 3B 2A 33 3B 02 6A 03 06 15 05")},
         {{K::Poll, -1, ""}, {K::Frame, -1, "0;*2;+4;*F;*3;"}, {K::Ack, -1, ""},
          {K::Nak, -1, ""}}},
        {"addressed",
         true,
         {Hex("11 A0"), Hex("A0 04 A2 3E 20 20 30 3B 2A 32 3B 2B 34 3B 2A 46 3B 2A 33 3B 02 8B 03"),
          Hex("05 A1 A1 05 C0 C0 04 C0 2F 3F 02 5C 03")},
         {{K::Poll, 0, ""}, {K::Frame, 2, "0;*2;+4;*F;*3;"}, {K::Enq, 1, ""}, {K::Enq, 32, ""},
          {K::RawFrame, 32, "?"}}},
        {"raw frames in direct mode",
         false,
         {Hex("04 2E 3F 02 9B 03 04 2E 2A 02 86 03")},
         {{K::RawFrame, -1, "?"}, {K::RawFrame, -1, "*"}}},
        {"bad checksum, stray bytes",
         false,
         {Hex("04 31 20 20 30 3B 02 65 03 41 42 10")},
         {{K::BadFrame, -1, ""}, {K::Junk, -1, ""}, {K::Poll, -1, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emu::PcStream stream(c.addressed);
        std::vector<emu::PcUnit> got;
        emu::PcUnit u;
        for (const auto& chunk : c.chunks) {
            stream.Add(chunk, 0.0);
            while (stream.Next(u, 0.0)) got.push_back(u);
        }
        ASSERT_EQ(got.size(), c.units.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].kind, c.units[i].kind) << i;
            EXPECT_EQ(got[i].station, c.units[i].station) << i;
            EXPECT_EQ(got[i].payload, c.units[i].payload) << i;
        }
    }
}

TEST(EmulatorWire, RawFrameMayHoldEtxInsideItsPayload) {
    // The length character says where the frame ends, so an ETX inside a
    // binary payload does not cut it.
    std::string f = std::string("\x04") + static_cast<char>(8 + 40) + std::string("\x03\x41\x42", 3) +
                    "\x02";
    f += static_cast<char>(emu::ChkSum(f, f.size()));
    f += '\x03';
    emu::PcStream stream(false);
    emu::PcUnit u;
    stream.Add(f.substr(0, 3), 0.0);
    EXPECT_FALSE(stream.Next(u, 0.1));  // waits for the rest
    stream.Add(f.substr(3), 0.1);
    ASSERT_TRUE(stream.Next(u, 0.1));
    EXPECT_EQ(u.kind, emu::PcUnit::RawFrame);
    EXPECT_EQ(u.payload, std::string("\x03\x41\x42", 3));
}

TEST(EmulatorWire, IncompleteFrameIsGivenUpWhenStale) {
    emu::PcStream stream(false);
    emu::PcUnit u;
    stream.Add(Hex("04 3D 20 20 30"), 0.0);
    EXPECT_FALSE(stream.Next(u, 0.1));
    ASSERT_TRUE(stream.Next(u, 1.0));
    EXPECT_EQ(u.kind, emu::PcUnit::BadFrame);
    EXPECT_TRUE(stream.Empty());

    // A short frame "04 03" is a bad frame, not a crash.
    stream.Add(Hex("04 03"), 2.0);
    ASSERT_TRUE(stream.Next(u, 3.0));
    EXPECT_EQ(u.kind, emu::PcUnit::BadFrame);
}

}  // namespace
