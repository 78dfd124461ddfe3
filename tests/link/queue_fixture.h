#pragma once
// Common ground of the queue, dispatch, hello and main-timer tests: every
// global they touch back to its start-up value, the dispatcher installed as
// the frame layer's answer parser, and a register folder in the temporary
// base folder.
#include <string>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/main_timer.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/hello.h"
#include "link/hello_rec.h"
#include "link/req_state.h"
#include "link_fixture.h"
#include "shell/cycle.h"

namespace queuetest {

// The language texts the queue, the hello and the timer show.
inline const char kLanguage[] =
    "[Errori]\r\n1=err one\r\n2=err two\r\n3=err three\r\n4=timeout\r\n5=err five\r\n"
    "6=err six\r\nNAK=nak\r\nUnrecCmd=unrec\r\nBadChks=badchk\r\n"
    "[Msg]\r\n1=nothing came\r\n60=no link\r\n69=port\r\n71=refused\r\n86=WAIT\r\n"
    "87=aborted\r\neurocash=currency\r\nconntestend=test over\r\n"
    "[Msg1]\r\n2=please\r\n12=check the line\r\n13=closed\r\n17=register busy\r\n"
    "23=by the user\r\n";

inline void ResetQueueGlobals() {
    CmdQueue = CmdQueueState{};
    ReqState = ReqStateRec{};
    HelloRec = HelloRecT{};
    AnswerRec = AnswerRecT{};
    Hello = HelloGlobals{};
    MainTimer = MainTimerGlobals{};
    Cycle = CycleGlobals{};
    CassaList = {};
    CassaFile = CassaFileValues{};
    ClearDispatchProcs();
    SetAnswerParser(&ParseAnswer);
}

// A register in the list: defined, enabled, on port 1 at the station.
inline void DefineCash(int index, int station, bool enabled = true) {
    CashRec& e = CassaList[index];
    e.number = std::to_string(index + 1);
    e.port = "1";
    e.addressed = "0";
    e.station = std::to_string(station);
    e.bDefined = True;
    e.bEnabled = enabled ? True : False;
}

class QueueTest : public linktest::LinkTest {
protected:
    void SetUp() override {
        linktest::LinkTest::SetUp();
        testsupport::WriteAll(Core.strLangFile, kLanguage);
        ResetQueueGlobals();
        Core.strCashDir = dir.file("Cassa1");
    }
    void TearDown() override {
        ResetQueueGlobals();
        linktest::LinkTest::TearDown();
    }
};

}  // namespace queuetest
