#include "core/work_record.h"

#include <fstream>
#include <regex>
#include <string>

#include "core/core_fixture.h"
#include "core/main_timer_state.h"

namespace {

class WorkRecordTest : public coretest::CoreTest {};

// What each code says of the request it names is what the README's table of
// the error log tells a caller: a caller that follows it never skips a
// request not done and never repeats one that was or may have been done.
TEST_F(WorkRecordTest, EachCodeMeansWhatTheReadmeSays) {
    std::ifstream readme(std::string(ECR_SOURCE_DIR) + "/README.md");
    const std::regex row(R"(^\| ([0-9]{3})(?:, ([0-9]{3}))?(?:-nnn)? \| ([a-z ]+) \|)");
    int rows = 0;
    for (std::string line; std::getline(readme, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, row)) continue;
        const std::string said = m[3];
        const CodeMeaning meaning = said == "done"        ? CodeMeaning::Done
                                    : said == "not done"  ? CodeMeaning::NotDone
                                    : said == "made good" ? CodeMeaning::MadeGood
                                                          : CodeMeaning::MaybeDone;
        for (const std::string& code : {m[1].str(), m[2].str()}) {
            if (code.empty()) continue;
            EXPECT_EQ(MeaningOf(static_cast<int16_t>(std::stoi(code))), meaning) << line;
            ++rows;
        }
    }
    EXPECT_EQ(rows, 19);  // every code the program writes
}

// The end of a register's turn: the requests it took up before the one it
// reached are done unless a line named them not done or maybe done; the one
// it broke off at is not done, or maybe done when its commands went out
// unacknowledged; a failure the extra turn made good is said so after it.
TEST_F(WorkRecordTest, ATurnsEndSetsWhatBecameOfEachRequest) {
    Core.strLogErrFile = dir.file("err.log");
    const struct {
        const char* name;
        int16_t failureCode;  // logged at request 1 (0: none)
        bool failed;          // the turn broke off at request 1
        RequestFate fates[3];
    } cases[] = {
        {"whole list", 0, false, {RequestFate::Done, RequestFate::Done, RequestFate::Done}},
        {"a read's time-out, the turn goes on", 11, false,
         {RequestFate::Done, RequestFate::NotDone, RequestFate::Done}},
        {"not released: done", kErrNotReleased, false, {RequestFate::Done, RequestFate::Done, RequestFate::Done}},
        {"broke off", 5, true, {RequestFate::Done, RequestFate::NotDone, RequestFate::Pending}},
        {"maybe done", kErrMaybeDone, true, {RequestFate::Done, RequestFate::Unsure, RequestFate::Pending}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartWork(3);
        StartRunTurn(0, 0);
        MainTimer.bRichiestePending = 1;
        if (c.failureCode) LogErr(c.failureCode, RequestFor(0));
        EndRunTurn(c.failed ? 1 : 3, c.failed, false);
        for (int32_t pos = 0; pos < 3; ++pos) EXPECT_EQ(FateOf(0, pos), c.fates[pos]) << pos;
        // A request named already is not named again.
        EXPECT_EQ(NameRequestLeft(0, 1, kErrLeft, RequestFate::NotDone, RequestFor(0)),
                  c.fates[1] == RequestFate::Done);
    }
}

}  // namespace
