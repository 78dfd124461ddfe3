#pragma once
// The frame protocol on the serial line: control characters, the frames the
// program builds, the acknowledgement with its retries, the reading of the
// register's frames, and the two checksums. Send operations build
// LinkState.TxFrame and return the result of SendFrame: 0 success, -1 no
// acknowledgement in time (or the frame could not be sent), -2 something
// other than ACK came back.
#include <cstdint>
#include <string>

constexpr char STX = 2;
constexpr char ETX = 3;
constexpr char EOT = 4;
constexpr char ENQ = 5;
constexpr char ACK = 6;
constexpr char DLE = 16;
constexpr char DC1 = 17;
constexpr char NAK = 21;
constexpr char SYN = 22;
constexpr unsigned char kAddressBase = 160;  // station address character = 160 + n
constexpr unsigned char kBroadcast = 192;    // all registers on the line

// The length character is the frame length + 40, so no frame can be longer.
constexpr int kMaxFrameLen = 255 - 40;

// XOR of the first count character codes, then (x And 127) + 40.
int16_t CalcChkXor(const std::string& text, int count);
// Sum of the first count character codes, then (sum And 127) + 40.
int16_t CalcChkSum(const std::string& text, int count);

// The station address character of the current register.
char AddressChar();
// The shortest frame the register can send: EOT, [address], length, two
// sequence characters, STX, checksum, ETX.
int MinFrameLen();

// The command frame: "0;" and PendingCmd (when LinkState.bCmdPending, which
// is then cleared), else "#P;#H;" when LinkState.bHelloCmd, else nothing.
// Notes the command in strCmdSent (empty for a frame that carries none) and
// restarts sngLastRx; a frame that opens a register's exchange is noted in
// the record of what each register did.
int16_t SendCmdFrame();
// The same layout without the hello command and without touching
// strCmdSent or sngLastRx.
int16_t SendNextFrame();
// A data frame: the payload unchanged between the sequence characters and STX.
int16_t SendDataFrame(const std::string& payload);
int16_t SendDataFrameRef(const std::string& payload);
// A data frame whose payload is the number and ";".
int16_t SendParFrame(int32_t number);
// A raw frame for the bulk transfers (additive checksum, no sequence
// characters); no acknowledgement awaited.
int16_t SendRawFrame(const std::string& payload);
// Control frames; no acknowledgement awaited. The enquiry leaves unread
// input for the next read (an answer to the previous enquiry may be
// arriving); the others discard it as SendFrame does.
int16_t SendBroadcastEnq();
int16_t SendPoll();
int16_t SendEnq();
int16_t SendAck();
int16_t SendNak();

// Sends LinkState.TxFrame, with an acknowledgement when wantAck: up to
// LinkState.nRetries retransmissions. An answer already waiting on the line
// is read and handed to the answer parser first; anything else waiting is
// discarded before the write.
int16_t SendFrame(bool wantAck);
// Reads the register's acknowledgement: 0 ACK, -2 another character, -1
// nothing in time. Bytes after a complete ACK are kept for ReadFrame.
int16_t ReadAck();
// Reads one frame into LinkState.RxFrame: 0 for a whole frame that starts
// with EOT, else -1 (also for the register's SYN, which restarts sngLastRx;
// bytes right behind it are kept for the next read). Input that does not
// start a frame is given up at once, a frame's start behind it kept for the
// next read. Bounded by the idle time-out, kMaxFrameLen, WaitLimit and
// the abort check (LinkAborted).
int16_t ReadFrame();
// True when the checksum character of LinkState.RxFrame is right; a wrong one
// (or a frame too short to hold one) is traced as "BadChks".
bool RxFrameChecksumOk();

// The answer parser that SendFrame hands an unasked frame to (the dispatcher
// installs it). Without one such a frame is dropped. Returns the parser that
// was installed before.
using AnswerParser = int16_t (*)();
AnswerParser SetAnswerParser(AnswerParser parser);
