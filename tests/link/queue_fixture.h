#pragma once
// Common ground of the queue, dispatch, hello and main-timer tests: every
// global they touch back to its start-up value, the dispatcher installed as
// the frame layer's answer parser, and a register folder in the temporary
// base folder.
#include <string>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "engine/main_timer.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/hello.h"
#include "core/hello_rec.h"
#include "core/req_state.h"
#include "link/link_fixture.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "engine/cycle.h"
#include "engine/operation.h"

namespace queuetest {

// The language texts the queue, the hello and the timer show.
inline const char kLanguage[] =
    "[Errori]\r\n1=err one\r\n2=err two\r\n3=err three\r\n4=timeout\r\n5=err five\r\n"
    "6=err six\r\nNAK=nak\r\nUnrecCmd=unrec\r\nBadChks=badchk\r\n"
    "[Msg]\r\n1=nothing came\r\n60=no link\r\n69=port\r\n71=refused\r\n86=WAIT\r\n"
    "87=aborted\r\neurocash=currency\r\nconntestend=test over\r\n"
    "[Msg1]\r\nusercancel=cancelled by the user\r\n2=please\r\n12=check the line\r\n13=closed\r\n17=register busy\r\n"
    "23=by the user\r\n"
    "[Log]\r\nnoport=cannot open\r\nnoportnum=no such number\r\nportlost=lost\r\n";

inline void ResetQueueGlobals() {
    CmdQueue = CmdQueueState{};
    ReqState = ReqStateRec{};
    HelloRec = HelloRecT{};
    AnswerRec = AnswerRecT{};
    Hello = HelloGlobals{};
    MainTimer = MainTimerGlobals{};
    Cycle = CycleGlobals{};
    Operation = OperationGlobals{};
    CassaList = {};
    CassaFile = CassaFileValues{};
    ClearDispatchProcs();
    SetAnswerParser(&ParseAnswer);
}

// A register in the list, as config.ini [Casse] holds it (the register
// cycle reads the list again whenever it opens a folder), with its folder and
// the link options of its Cassa.txt: P911 (128 direct, 130 addressed; no DTR
// wait) and the hello type (1 DC1 polls, 0 DLE polls and the hello command).
inline void DefineCash(int index, int station, bool enabled = true, int p911 = 128,
                       int helloType = 1) {
    CashRec& e = CassaList[index];
    e.number = std::to_string(index + 1);
    e.port = "1";
    e.addressed = (p911 & 2) ? "1" : "0";
    e.station = std::to_string(station);
    e.bDefined = True;
    e.bEnabled = enabled ? True : False;
    const std::string key = "C" + std::to_string(index);
    const std::string value = e.number + "|||" + "|" + e.port + "|" + e.addressed + "|" +
                              e.station + "|" + (enabled ? "1" : "0");
    platform::WritePrivateProfileStringA("Casse", key.c_str(), value.c_str(),
                                         ConfigIniPath().c_str());
    const std::string folder = platform::JoinPath(Core.strRootDir, "Cassa" + std::to_string(station + 1));
    platform::MakeDir(folder);
    testsupport::WriteAll(platform::JoinPath(folder, "Cassa.txt"),
                          "[P9]\r\n11=" + std::to_string(p911) + "\r\n[Communication]\r\nhellotype=" +
                              std::to_string(helloType) + "\r\n");
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
