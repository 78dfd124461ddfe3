#pragma once
// The link state record, shared by the link and the main timer. Saved and
// restored as a whole by the connection test.
#include <cstdint>
#include <string>

struct LinkStateRec {
    int16_t nAddress = 0;        // station address of the current register (0-based)
    int16_t nSeq1 = 0;           // second sequence value, echoed from the last valid answer
    int16_t nSeq2 = 0;           // first sequence value, echoed from the last answer
    std::string TxFrame;         // the frame being sent
    std::string RxFrame;         // characters received for the frame or ACK being read
    bool bNoCmd = false;         // exchange still to be opened on the next state-1 tick
    bool bCmdPending = false;    // the next command frame carries PendingCmd
    std::string PendingCmd;      // command text of the queued entry being executed
    int16_t nState = 0;          // main timer state, 0 to 5
    float sngTOReadFrame = 0;    // idle time-out of ReadFrame (s)
    float sngTOWaitAnswer = 0;   // time-out of WaitAnswer (s)
    float sngTOReadAck = 0;      // time-out of ReadAck (s)
    float sngTOBulk = 0;         // time-out of the bulk raw transfers (s)
    float sngTOPoll = 0;         // idle time of PollAnswers (s)
    double sngLastRx = 0;        // monotonic time of the last answer activity (s)
    float sngAnsTimeout = 0;     // answer time-out of the command in progress (s)
    bool bSendIco = false;       // bulk logo-icon transfer requested or running
    bool bSendPLU = false;       // bulk PLU transfer requested or running
    int16_t nPendingAns = 0;     // answers still awaited for the command in progress
    std::string strCmdSent;      // the command of the last frame that carried one (empty: a frame without)
    std::string strCmdShown;     // the last command actually sent, for messages
    std::string strLostReply;    // the exchange's reply the register did not acknowledge, until taken
    bool bAddressed = false;     // addressed mode
    bool AbortRequest = false;   // the user's abort (or the main timer's, for a stop); see LinkAborted
    int16_t nCurCash = 0;        // register chosen in the user interface (0 to 16)
    bool bHelloMsgs = true;      // GestHelloReq keeps retrying and shows its status texts
    bool bHelloCmd = false;      // the next command frame carries "#P;#H;"
    int16_t nRetries = 3;        // retransmissions after the first transmission
    bool bTestMode = false;      // a connection test is running
    bool bReleasing = false;     // a closing exchange releases the register: a stop lets it end
};

extern LinkStateRec LinkState;

// Writes the five time-outs of rec for connection type 0 (direct line) or 1
// (modem); any other type leaves them as they are.
void SetDefTimeouts(int16_t type, LinkStateRec& rec);

// The abort check of every wait of the link: the abort asked for, or a stop
// the system asked for and the main timer has not taken yet (it may be busy
// in the very tick that waits), so that a stop ends any wait at once. The
// exchange that releases a register is the one wait that neither a stop nor
// the user's abort cuts short: no register is left locked.
bool LinkAborted();
// Called by LinkAborted whenever a wait sees a stop signal, a release's wait
// included: the run then writes what the stop leaves at once. None: nullptr.
void SetStopSeenHook(void (*hook)());

// Marks the exchanges of its lifetime as a register's release.
struct ReleasingExchange {
    ReleasingExchange() { LinkState.bReleasing = true; }
    ~ReleasingExchange() { LinkState.bReleasing = false; }
    ReleasingExchange(const ReleasingExchange&) = delete;
    ReleasingExchange& operator=(const ReleasingExchange&) = delete;
};
