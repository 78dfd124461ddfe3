#pragma once
// The command queue: 128 entries numbered 1 to 128, taken in index order,
// with a backup copy (entries and request state) that lets one operation run
// again for every further register.
#include <array>
#include <cstdint>
#include <string>

#include "core/req_state.h"

struct CmdQueueEntry {
    int16_t state = 0;         // -1 pending, 0 free
    std::string command;       // tokens ended by ";"; empty = hello only
    int16_t answers = 0;       // answers awaited
    float time = 0;            // answer time-out (s)
    std::string description;   // for messages
};

constexpr int kQueueSize = 128;

struct CmdQueueState {
    std::array<CmdQueueEntry, kQueueSize + 1> entries{};  // index 0 unused
    int16_t nCmdNum = 0;       // entries added since the queue was last emptied
    int16_t nCmdCur = 0;       // entry being executed
    bool bQueueHold = false;   // an entry is in progress
    double sngQueueTime = 0;   // time of the last queue step that held
    bool bHelloDone = false;   // the register refused/failed the hello: empty the queue
    // The backup
    std::array<CmdQueueEntry, kQueueSize + 1> saved{};
    int16_t nCmdNumSaved = 0;
    ReqStateRec udtReqStateSaved{};
};

extern CmdQueueState CmdQueue;

// True when queued; False when all 128 entries are pending. With the
// keep-locked option a trailing "*3;" is dropped (also from the caller's text).
bool AddCmd(std::string& command, int16_t answers, float time, const std::string& description);
void SaveCmdQueue();
void RestoreCmdQueue();
void ClearCmdQueue();
// Hands the first waiting entry to the link; it waits until the link has
// taken it (the port opened). When the port does not open,
// every entry is dropped; in the windows the main timer then takes the
// register's exchange as failed (state 5) and goes on to the next register.
void QueueTick();
// An entry waits to be handed to the link.
bool CmdQueuePending();
// An exchange runs (the main timer is not idle) or waits in the queue.
bool ExchangeRunning();
bool SetCmdToSend(const std::string& command, int16_t answers, float time);
void DecPending();
std::string GetModeField();
void SetReqFlag(const std::string& token);
