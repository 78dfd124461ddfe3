#include "platform/signals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace {

// A second signal ends the program with the words as they stand once the
// first one's record is written; during a held section (the record of a stop
// being written) it waits for the section's end and the words set in it. One
// that comes before the record waits for it, and a third then ends the
// program at once. Words longer than their room lose whole lines before the
// last one, which a caller acts on.
TEST(StopSignalsTest, ASecondSignalEndsTheProgramWithTheWordsAsTheyStand) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string many;
    for (int n = 0; n < 20; ++n) many += "register " + std::to_string(n) + std::string(990, 'x') + "\n";
    const struct {
        const char* name;
        bool recordedFirst;  // the first signal's record written before the second
        int more;            // signals after the first, before the held section
        bool hold;           // the second comes in the held section, which writes the record
        const char* words;
        std::string before = "before\n";  // the words set before the first signal
    } rows[] = {
        {"recorded", true, 1, false, "^before\n$"},
        {"recorded, held", true, 0, true, "^after\n$"},
        {"before the record", false, 1, false, "^after\n$"},
        {"before the record, a third", false, 2, false, "^before\n$"},
        {"words past their room", true, 1, false, "^register 0x+\nregister 1x.*x\ntry again\n$", many + "try again\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EXIT(
            {
                platform::CatchStopSignals();
                platform::SetStopWords(r.before);
                raise(SIGTERM);
                if (r.recordedFirst) platform::StopRecorded();
                for (int n = 0; n < r.more; ++n) raise(SIGINT);
                {
                    platform::StopSignalsHeld held;
                    if (r.hold) raise(SIGTERM);
                    platform::SetStopWords("after\n");
                    platform::StopRecorded();
                }
                _exit(0);
            },
            testing::ExitedWithCode(128 + (r.hold ? SIGTERM : SIGINT)), r.words);
    }
}

}  // namespace
