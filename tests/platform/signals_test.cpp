#include "platform/signals.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <optional>

namespace {

// A second signal ends the program with the words as they stand; during a held
// section (the record of a stop being written) it waits for the section's end
// and the words set in it.
TEST(StopSignalsTest, ASecondSignalEndsTheProgramWithTheWordsAsTheyStand) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (bool hold : {false, true}) {
        SCOPED_TRACE(hold ? "held" : "not held");
        EXPECT_EXIT(
            {
                platform::CatchStopSignals();
                platform::SetStopWords("before\n");
                raise(SIGTERM);
                {
                    std::optional<platform::StopSignalsHeld> held;
                    if (hold) held.emplace();
                    raise(SIGTERM);
                    platform::SetStopWords("after\n");
                }
                _exit(0);
            },
            testing::ExitedWithCode(128 + SIGTERM), hold ? "^after\n$" : "^before\n$");
    }
}

}  // namespace
