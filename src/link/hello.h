#pragma once
// The hello handshake: before every command the program polls the register,
// waits for its hello answer ("A01" with four status words, date and time,
// identity, release and name), refuses to send the command when the register
// reports a state that forbids it, and then sends the command frame. Also the
// menu's connection test and the copy of the hello answer in batch mode.
#include <cstdint>
#include <string>

struct HelloGlobals {
    bool bCopyHello = false;   // batch: write the next hello answer to the copy file
    int16_t nCopyMode = 0;     // 0 new file, 1 appended, 2 new file named with the station
    std::string CopyDest;      // path of the copy file
};
extern HelloGlobals Hello;

// Connects (when the register's link isn't open yet: poll, hello and the
// first hello command), performs the hello handshake and sends the command
// frame. 0 when the command frame went out (or the exchange may go on,
// including a refused command), non-zero on failure.
int16_t GestHelloReq();
// True when the open register's link is open (or could be opened now).
bool ConnectCassa();
// Waits for the hello answer; 0 when a valid one arrived. Other frames that
// arrive meanwhile are dispatched as ordinary answers. Ends on the abort
// check (LinkAborted), and while a release is retried on the user's Cancel.
int16_t WaitAnswer();
// True while the hello of a register's release is tried again after an
// attempt went unanswered: the user's Cancel then ends the wait at once.
bool ReleaseRetrying();
// Checks the frame in LinkState.RxFrame as a hello answer: 0 for a valid
// "A01" answer (the hello record and the register list entry are updated),
// -1 otherwise.
int16_t GestHelloAns();
// Batch: the copy of the next hello answer as the request argument
// (Core.strReqArg, "file" or "file|mode") asks for it; the argument keeps the
// file only. No argument: no copy.
void TakeHelloCopyRequest();
// Writes the last hello answer as one line to the copy file (batch mode).
void WriteCopyFile();
// Shows the hello-result window, or fills the open one again.
void ShowHello();
// After a valid hello answer: one line in the progress window's error list
// for each error bit of status word 1 (64, 32, 16, 4, 2), and error code 255
// in the error log when at least one of them is set.
void GestHelloErr();
