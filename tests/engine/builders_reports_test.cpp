// The report, history, closure, reset, deletion, chip-card and keyboard
// builders: for every builder its queued texts, answer counts, time-outs,
// descriptions, status texts, progress ranges and request words; the PLU
// report's gate and range window; the deletions from a PLU file; the request
// codes of a command-line run.
#include "core/work_record.h"
#include "platform/files.h"
#include "engine/document.h"
#include "engine/builders_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/builders_fixture.h"
#include "platform/clock.h"
#include "engine/conn_test.h"

namespace {

using builderstest::Pending;
using builderstest::Texts;
using builderstest::WordsOf;

constexpr uint16_t kOpen = kFileOpenNext;
using Req = ReqStateRec;
using Words = std::function<void(ReqStateRec&)>;

struct Case {
    const char* name;
    std::function<bool()> run;
    std::string text;       // the text queued
    const char* token;      // whose name is the description ("" for none)
    int16_t answers;
    float time;
    const char* status;     // section "Msg" key of the status text, or nullptr
    bool range;             // the progress range 1 to 100 is set
    Words words;            // the request words the builder sets
    bool newOperation;      // starts a new operation (NextCash with True)
    bool plainCard = false; // the operator or waiter card shown no more
};

template <typename T>
Words Set(T ReqStateRec::*word, int value) {
    return [=](ReqStateRec& r) { r.*word = static_cast<T>(value); };
}
const Words kNone = [](ReqStateRec&) {};

Case Rpt(const char* name, bool (*run)(), const char* token, const char* status,
         uint16_t ReqStateRec::*word, float time = 2.5f) {
    return {name, run, std::string("*2;+2;") + token + ";#H;*3;", token, 1, time, status, true,
            Set(word, kOpen), false};
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        Rpt("ReqRptReparti", ReqRptReparti, "*A", "31", &Req::nRptReparti),
        Rpt("ReqRptOperatori", ReqRptOperatori, "*C", "34", &Req::nRptOperatori),
        Rpt("ReqRptCamerieri", ReqRptCamerieri, "*D", "35", &Req::nRptCamerieri),
        Rpt("ReqRptIVA", ReqRptIVA, "*E", "36", &Req::nRptIVA),
        Rpt("ReqRptFinanziario", ReqRptFinanziario, "*f", "37", &Req::nRptFinanziario),
        Rpt("ReqRptBollini", ReqRptBollini, "*g", "38", &Req::nRptBollini),
        Rpt("ReqRptClienti", ReqRptClienti, "*R", "39", &Req::nRptClienti, 35.0f),
        Rpt("ReqRptFatture", ReqRptFatture, "*S", "40", &Req::nRptFatture),
        Rpt("ReqRptOraria", ReqRptOraria, "*h", "41", &Req::nRptOraria),
        Rpt("ReqRptTavoli", ReqRptTavoli, "*u", "42", &Req::nRptTavoli),
        Rpt("ReqRptValute", ReqRptValute, "*w", "43", &Req::nRptValute),
        Rpt("ReqRptTicketAmount", ReqRptTicketAmount, "*b", "ltickrep", &Req::nRptTicketAmount),
        {"ReqRptClientG", [] { return ReqRptClientG(ClientGReportToken("1", "999999999999")); },
         "*2;+2;*c1:999999999999;#H;*3;", "*c", 1, 5.0f, "lcligroupsrep", true,
         Set(&Req::nRptClientG, kOpen), false},
        {"ReqRptPLUParam", [] { return ReqRptPLUParam("*B1:50"); }, "*2;+2;*B1:50;#H;*3;", "*B", 1,
         20.0f, "32", true, Set(&Req::nRptPLU, kOpen), false},
        {"ReqStorico", ReqStorico, "*2;#P;#H;*3;", "#P", 1, 10.0f, "61", true,
         [](ReqStateRec& r) { r.nFileStorico = kOpen, r.bRdStorico = True; }, false},
        {"SendChiusuraZ", SendChiusuraZ, "*2;+3;#Z;*3;", "#Z", 1, 2.5f, nullptr, false,
         Set(&Req::nFileChiusura, kOpen), false},
        {"SendAzzeraTotals", [] { return SendAzzera("#q1:5"); }, "*2;+3;#q1:5;*3;", "#q", 0, 25.0f,
         nullptr, false, kNone, false},
        {"SendAzzeraTickets", [] { return SendAzzera("#d6:3"); }, "*2;+4;#d6:3;*3;", "#d", 0, 25.0f,
         nullptr, false, kNone, false},
        {"SendAzzeraRegister", [] { return SendAzzera("#i"); }, "*2;+4;#i;*3;", "#i", 0, 25.0f,
         nullptr, false, kNone, false},
        {"SendDelPLUOff", [] { return SendDelPLUOff("#C1:99"); }, "*2;+4;#C1:99;*3;", "#C", 0, 2.5f,
         nullptr, false, kNone, false},
        {"SendDelCli", [] { return SendDelCli("#N5:9"); }, "*2;+4;#N5:9;*3;", "#N", 0, 2.5f, nullptr,
         false, kNone, false},
        {"SendDelClientGroup", [] { return SendDelClientGroup("#F2:4"); }, "*2;+4;#F2:4;*3;", "#F",
         0, 2.5f, nullptr, false, kNone, false},
        {"SendDelFMult", [] { return SendDelFMult("#l1:10"); }, "*2;+4;#l1:10;*3;", "#l", 0, 2.5f,
         nullptr, false, kNone, true},
        {"WriteOpeCard", WriteOpeCard, "*2;+4;*a;#H;*3;", "*a", 1, 10.0f, "84", false,
         Set(&Req::bWrOpeCard, True), true, true},
        {"ReadOpeCard", ReadOpeCard, "*2;+4;&a;#H;*3;", "&a", 1, 2.5f, "83", false,
         Set(&Req::bRdOpeCard, True), true, true},
        {"WriteCamCard", WriteCamCard, "*2;+4;*b;#H;*3;", "*b", 1, 10.0f, "84", false,
         Set(&Req::bWrCamCard, True), true, true},
        {"ReadCamCard", ReadCamCard, "*2;+4;&b;#H;*3;", "&b", 1, 2.5f, "83", false,
         Set(&Req::bRdCamCard, True), true, true},
        {"ReadCliCard", ReadCliCard, "*2;+4;&c;#H;*3;", "&c", 1, 2.5f, "83", true,
         Set(&Req::nFileCliChipCard, kOpen), false},
        {"ClearChipCard", ClearChipCard, "*2;+4;#F;*3;", "#F", 0, 25.0f, nullptr, false, kNone,
         true},
        {"SendKeyLock", [] { return SendKeyLock(true, true); }, "*2;", "*2", 0, 2.5f, nullptr, false,
         kNone, true},
        {"SendKeyRelease", [] { return SendKeyLock(false, false); }, "*3;", "*3", 0, 2.5f, nullptr,
         false, kNone, false},
        {"SendKeyCmd", [] { return SendKeyCmd("#S12"); }, "+4;#S12;", "#S", 0, 2.5f, nullptr, false,
         kNone, false},
        {"ReqConnTest", ReqConnTest, "", "", 0, 2.5f, nullptr, false, kNone, false},
    };
    return cases;
}

class ReportBuildersTest : public builderstest::BuildersFixture {
protected:
    // An idle program inside an operation that began half a minute ago (within
    // the global time-out), so that a new operation shows by its clock.
    void Fresh() {
        CmdQueue = CmdQueueState{};
        ReqState = ReqStateRec{};
        OpeCard.bValid = CamCard.bValid = True;
        Core.strReqArg.clear();
        Core.sngTimerBase = platform::Timer() - 30;
        LinkState.AbortRequest = false;
        for (auto& e : CassaList) e.bDone = False;
        shell_.shell = testsupport::FakeShell{};
    }
};

TEST_F(ReportBuildersTest, EveryBuilderQueuesItsTextAnswersTimeAndWords) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Fresh();
        ReqStateRec want = ReqState;
        ASSERT_TRUE(c.run());

        std::vector<CmdQueueEntry> got = Pending();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].command, c.text);
        EXPECT_EQ(got[0].answers, c.answers);
        EXPECT_FLOAT_EQ(got[0].time, c.time);
        const std::string token = c.token;
        EXPECT_EQ(got[0].description, token.empty() ? "" : GetProtocolText(token));
        if (!token.empty()) {
            EXPECT_FALSE(got[0].description.empty());
        }

        c.words(want);
        want.bTxTurnStart = ReqState.bTxTurnStart;  // the commit's own mark
        std::vector<uint16_t> a = WordsOf(want), b = WordsOf(ReqState);
        for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(b[i], a[i]) << "request-state word " << i;
        // The commit keeps the text for the next register.
        EXPECT_EQ(CmdQueue.saved[1].command, c.text);

        // A new operation restarts the global time-out's clock.
        EXPECT_EQ(Core.sngTimerBase > platform::Timer() - 10, c.newOperation);

        const bool cardCleared = OpeCard.bValid == False || CamCard.bValid == False;
        EXPECT_EQ(cardCleared, c.plainCard);

        const auto& statuses = shell_->statusTexts;
        if (c.status) {
            const std::string status = GetText("Msg", c.status) + " - " + GetText("Msg1", "2");
            EXPECT_FALSE(GetText("Msg", c.status).empty());
            EXPECT_NE(std::find(statuses.begin(), statuses.end(), status), statuses.end()) << status;
        }
        const auto& pgb = shell_->pgbCalls;
        EXPECT_EQ(std::find(pgb.begin(), pgb.end(), "range 1 100") != pgb.end(), c.range);
    }
}

TEST_F(ReportBuildersTest, WithoutARegisterNothingIsQueuedAndNoWordSet) {
    SetEnabled(false);
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Fresh();
        const std::vector<uint16_t> before = WordsOf(ReqState);
        EXPECT_FALSE(c.run());
        EXPECT_TRUE(Pending().empty());
        EXPECT_EQ(WordsOf(ReqState), before);
    }
    Fresh();
    EXPECT_FALSE(CliCardNop());
    EXPECT_TRUE(Pending().empty());
}

// A range with letters is checked against every register the report reaches: one whose PLU
// options allow no letters is named, and nothing goes out.
TEST_F(ReportBuildersTest, APLURangeWithLettersIsCheckedForEveryRegisterItReaches) {
    struct TypedShell : testsupport::FakeShell {
        bool AskRange(const std::string&, std::string& lower, std::string& upper, const RangeCheck& check) override {
            lower = "A", upper = "Z";
            said = check(lower, upper);
            return said.empty();
        }
        std::string said;
    };
    for (const auto& [second, queued] : {std::pair<const char*, bool>{"32", false}, {"1", true}}) {
        SCOPED_TRACE(second);
        Fresh();
        testsupport::WriteAll(dir_.file("config.ini"),
                              "[Casse]\r\nC0=1|Reg|ID|R022002|1|1|0|1\r\nC1=2|Back|ID|R022002|1|1|1|1\r\n");
        LoadCasseConf();
        for (const auto& [folder, p210] : {std::pair<const char*, const char*>{"Cassa1", "33"}, {"Cassa2", second}})
            platform::MakeDir(dir_.file(folder)),
            testsupport::WriteAll(dir_.file(std::string(folder) + "/Cassa.txt"),
                                  std::string("[P2]\r\n10=") + p210 + "\r\n");
        LinkState.nCurCash = 0;
        CassaConf.P210 = 33;  // the open register allows letters
        TypedShell fake;
        SetShell(&fake);
        std::string range;
        Reports.bRptPLUDay = false;
        EXPECT_EQ(ReqRptPLU("*B", range), queued);
        SetShell(&shell_.shell);
        EXPECT_EQ(fake.said, queued ? "" : GetText("frmRapporti", "noplulettersof") + " " + RegisterNodeCaption(1));
        EXPECT_EQ(Pending().size(), queued ? 1u : 0u);
    }
}

TEST_F(ReportBuildersTest, ThePLUReportNeedsItsOptionBitAndAConfirmedRange) {
    struct Row {
        const char* token;
        int16_t p210;
        std::string range;     // passed in
        bool confirm;
        bool queued;
        const char* proposed;  // "lower upper" proposed to the window, or nullptr: no window
        const char* text;
        bool day;
        const char* from = nullptr;  // typed by the user, and refused with the words of key said
        const char* to = nullptr;
        const char* said = nullptr;
        bool late = false;  // the window stays open past the time allowed for an operation
    };
    const Row rows[] = {
        {"*B", 0, "5:80", true, false, nullptr, nullptr, false},
        {"*B", 32, "5:80", true, true, "5 80", "*2;+2;*B5:80;#H;*3;", true},
        {"*K", 32, "", true, false, nullptr, nullptr, false},
        {"*K", 128, "", true, true, "1 999999999999", "*2;+2;*K1:999999999999;#H;*3;", false},
        {"*K", 128 + 32, "7:9", false, false, "7 9", nullptr, false},
        {"*B", 32, "", true, false, "1 999999999999", nullptr, true, "50", "10", "badplurange"},
        {"*B", 32, "", true, false, "1 999999999999", nullptr, true, "ab:c", "", "badplurange"},
        {"*B", 32, "", true, false, "1 999999999999", nullptr, true, "A", "Z", "nopluletters"},
        {"*B", 32, "", true, true, "1 999999999999", "*2;+2;*B1:999999999999;#H;*3;", true, nullptr, nullptr, nullptr, true},
    };
    // Confirms whatever is typed, unchecked: the builder checks it again.
    struct RangeShell : testsupport::FakeShell {
        bool AskRange(const std::string& subject, std::string& lower, std::string& upper,
                      const RangeCheck&) override {
            asked.push_back(subject + " " + lower + " " + upper);
            if (!confirm) return false;
            if (lower == "5") lower = "6";  // the user changes the proposal
            if (typed->from) lower = typed->from, upper = typed->to;
            if (typed->late) Core.sngTimerBase = platform::Timer() - Core.sngCmdTimeout - 1;
            return true;
        }
        std::vector<std::string> asked;
        bool confirm = true;
        const Row* typed = nullptr;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.token) + " " + std::to_string(row.p210));
        Fresh();
        RangeShell fake;
        fake.confirm = row.confirm;
        fake.typed = &row;
        SetShell(&fake);
        CassaConf.P210 = row.p210;
        Reports.bRptPLUDay = !row.day;
        std::string range = row.range;
        EXPECT_EQ(ReqRptPLU(row.token, range), row.queued);
        SetShell(&shell_.shell);
        ASSERT_EQ(fake.errors.size(), row.said ? 1u : 0u);
        if (row.said) { EXPECT_EQ(fake.errors[0].text, GetText("frmRapporti", row.said)); }
        if (!row.proposed) {
            EXPECT_TRUE(fake.asked.empty());
            EXPECT_NE(std::find(fake.statusTexts.begin(), fake.statusTexts.end(),
                                GetText("Msg", "71") + " - " + GetText("Msg1", "15")),
                      fake.statusTexts.end());
            EXPECT_EQ(range, row.range);
        } else {
            ASSERT_EQ(fake.asked.size(), 1u);
            // The report by its name, never by its request code.
            EXPECT_EQ(fake.asked[0], std::string(row.day ? "PLUs of the day " : "PLUs of the period ") +
                                         row.proposed);
        }
        if (row.queued) {
            std::string text = row.text;
            if (row.range == "5:80") text = "*2;+2;*B6:80;#H;*3;";  // as the user chose
            ASSERT_EQ(Pending().size(), 1u);
            EXPECT_EQ(Pending()[0].command, text);
            EXPECT_FLOAT_EQ(Pending()[0].time, 15.0f);
            EXPECT_EQ(ReqState.nRptPLU, kOpen);
            EXPECT_EQ(Reports.bRptPLUDay, row.day);
            EXPECT_EQ(range, text.substr(8, text.find(";#H") - 8));
        } else {
            EXPECT_TRUE(Pending().empty());
            EXPECT_EQ(ReqState.nRptPLU, kFileDone);
        }
    }
}

TEST_F(ReportBuildersTest, DeletionsFromAPLUFileTakeOneToOneHundredTwentySevenRecords) {
    auto plu = [](const std::string& code) {
        std::string r(89, ' ');
        r.replace(13 - code.size(), code.size(), code);  // codes stand right-aligned
        r.replace(87, 2, "\r\n");
        return r;
    };
    struct Row {
        std::string bytes;
        bool queued;
        std::vector<std::string> texts;
        size_t errors;
    };
    std::string many;
    for (int i = 0; i < 128; ++i) many += plu(std::to_string(i + 1));
    const Row rows[] = {
        {plu("123") + plu("4567") + plu("99"), true,
         {"*2;+4;#C123:123;*3;", "*2;+4;#C4567:4567;*3;", "*2;+4;#C99:99;*3;"}, 0},
        // A record without a code is left out, never sent as an empty range.
        {plu("5") + plu("") + plu("7") + "rest", true, {"*2;+4;#C5:5;*3;", "*2;+4;#C7:7;*3;"}, 1},
        {many.substr(0, 127 * 89), true, {}, 0},
        // A list that cannot be taken is said (see the test below).
        {many, false, {}, 1},
        {"", false, {}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes.size());
        Fresh();
        testsupport::WriteAll(dir_.file("del.txt"), row.bytes);
        Core.strReqArg = dir_.file("del.txt");
        EXPECT_EQ(SendDelPLUOff("#C"), row.queued);
        std::vector<std::string> texts = Texts();
        if (row.bytes.size() == 127 * 89) {
            ASSERT_EQ(texts.size(), 127u);
            EXPECT_EQ(texts.back(), "*2;+4;#C127:127;*3;");
        } else {
            EXPECT_EQ(texts, row.texts);
        }
        for (const CmdQueueEntry& e : Pending()) EXPECT_EQ(e.answers, 0);
        EXPECT_EQ(shell_->errors.size(), row.errors);
    }
}

// "#C" or "#L" with a PLU file in a command-line run: a file that is missing
// or holds no whole record or more than 127 deletes nothing, and the run
// says so and counts a failure instead of ending as if the codes were gone.
TEST_F(ReportBuildersTest, ADeletionListThatCannotBeTakenFailsTheRun) {
    struct Row {
        const char* name;
        const char* code;
        int bytes;  // -1: no file
    };
    const Row rows[] = {
        {"missing", "#C", -1}, {"empty", "#L", 0}, {"short", "#C", 88}, {"too_long", "#L", 128 * 89}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        ::Texts = TextsGlobals{};
        ::Work = WorkRecord{};
        const std::string path = dir_.file(std::string(row.name) + ".txt");
        if (row.bytes >= 0) testsupport::WriteAll(path, std::string(row.bytes, ' '));
        Core.strReqArg = path;
        bool queued = true;
        EXPECT_TRUE(RunReportBuilder(row.code, path, queued));
        EXPECT_FALSE(queued);
        EXPECT_TRUE(Texts().empty());
        ASSERT_EQ(shell_->errors.size(), 1u);
        EXPECT_NE(shell_->errors[0].text.find(GetText("Log", "nodellist") + " " + path),
                  std::string::npos);
        EXPECT_EQ(::Work.standing, 1);
    }
}

TEST_F(ReportBuildersTest, RequestCodesRunTheirBuilders) {
    struct Row {
        const char* code;
        const char* arg;
        bool known;
        std::vector<std::string> texts;
        const char* reqArgAfter;  // the copy destination left
        int16_t p210 = 254;       // 255: alphanumeric PLU codes
    };
    const Row rows[] = {
        {"*A", "", true, {"*2;+2;*A;#H;*3;"}, ""},
        {"*A", "out.rpt", true, {"*2;+2;*A;#H;*3;"}, "out.rpt"},
        {"*b", "", true, {"*2;+2;*b;#H;*3;"}, ""},
        {"*c", "", true, {"*2;+2;*c1:999999999999;#H;*3;"}, ""},
        {"*c", "100:200", true, {"*2;+2;*c100:200;#H;*3;"}, ""},
        {"*B", "10:20", true, {"*2;+2;*B10:20;#H;*3;"}, ""},
        {"*K", "day.rpt", true, {"*2;+2;*K1:999999999999;#H;*3;"}, "day.rpt"},
        {"#P", "hist.txt", true, {"*2;#P;#H;*3;"}, "hist.txt"},
        {"#Z", "z.txt", true, {"*2;+3;#Z;*3;"}, "z.txt"},
        {"#q", "1:5", true, {"*2;+3;#q1:5;*3;"}, ""},
        {"#d", "6:3", true, {"*2;+4;#d6:3;*3;"}, ""},
        {"#d", " 6 : 39 ", true, {"*2;+4;#d6:39;*3;"}, ""},
        {"#i", "", true, {"*2;+4;#i;*3;"}, ""},
        {"#C", "100:200", true, {"*2;+4;#C100:200;*3;"}, ""},
        // Taken as written; alphanumeric codes (P210 255) in PLU reports and deletion only.
        {"#C", "001:005", true, {"*2;+4;#C001:005;*3;"}, ""},
        {"#d", "06:5", true, {"*2;+4;#d06:5;*3;"}, ""},
        {"#d", "6:00005", true, {"*2;+4;#d6:00005;*3;"}, ""},
        {"#d", "5:5", true, {}, "5:5"},
        {"#d", "6:0", true, {}, "6:0"},
        {"*B", "A:Z", true, {"*2;+2;*BA:Z;#H;*3;"}, "", 255},
        {"*K", "ABC:XYZ", true, {"*2;+2;*KABC:XYZ;#H;*3;"}, "", 255},
        {"#C", "ABC:ABC", true, {"*2;+4;#CABC:ABC;*3;"}, "", 255},
        {"*B", "A:Z", true, {}, "A:Z"},
        {"#C", "ABC:ABC", true, {}, "ABC:ABC"},
        {"#C", "XYZ:ABC", true, {}, "XYZ:ABC", 255},
        {"#L", "A:Z", true, {}, "A:Z", 255},  // offer codes are numbers
        {"*c", "A:Z", true, {}, "A:Z", 255},
        {"#M", "", true, {"*2;+4;#M;*3;"}, ""},
        {"#F", "2:4", true, {"*2;+4;#F2:4;*3;"}, ""},
        {"#l", "1:3", true, {"*2;+4;#l1:3;*3;"}, ""},
        {"&c", "card.rpt", true, {"*2;+4;&c;#H;*3;"}, "card.rpt"},
        {"*2", "", true, {"*2;"}, ""},
        {"*3", "", true, {"*3;"}, ""},
        {"*F", "", false, {}, ""},
    };
    // A command-line run opens no window: the range proposed is taken.
    struct BatchShell : testsupport::FakeShell {
        bool AskRange(const std::string&, std::string&, std::string&, const RangeCheck&) override { return true; }
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.code) + " [" + row.arg + "]");
        Fresh();
        BatchShell batchShell;
        SetShell(&batchShell);
        Core.bInteractive = false;
        Core.bStoricoCopy = false;
        CassaConf.P210 = row.p210;
        Core.strReqArg = row.arg;
        bool queued = false;
        EXPECT_EQ(RunReportBuilder(row.code, Core.strReqArg, queued), row.known);  // as a run does
        EXPECT_EQ(queued, !row.texts.empty());
        EXPECT_EQ(Texts(), row.texts);
        EXPECT_EQ(Core.strReqArg, row.reqArgAfter);
        EXPECT_EQ(Core.bStoricoCopy, std::string(row.code) == "#P");
        // The closure, the resets and the deletions are never sent twice.
        EXPECT_EQ(RequestCannotBeUndone(row.code), row.code[0] == '#' && std::string(row.code) != "#P");
        SetShell(&shell_.shell);
    }
    EXPECT_EQ(MainTimer.strStoricoDest, "hist.txt");
}

}  // namespace
