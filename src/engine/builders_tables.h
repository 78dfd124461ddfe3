#pragma once
// The request builders that send a register's tables and options and read
// them back. Each selects the register (NextCash), shows its status text and
// progress range, sets the request-state words and send counters the answer
// and data procedures will use, queues its command texts (AddCmd, with an
// answer count, an answer time-out and the command's name from the language
// file) and commits the queue (SaveCmdQueue) so that the same operation runs
// again for every further register.
//
// A builder returns the result of its last AddCmd, or false when no register
// was selected; the builders noted "true when selected" return true whenever
// a register was selected.
#include <cstdint>
#include <string>

// The status texts of the reads the last operation built ("Reading
// operators - in progress"), said again when its queue is replayed for the
// next register: each register's read is said before its end is.
void SayReadStatuses();
// A new operation is built: the read statuses of the last one go.
void ForgetReadStatuses();

// ---- Sends ------------------------------------------------------------------
bool SendValuta();                       // currencies "*P"
bool SendRResto();                       // change loading "^b"
bool SendTestoIcone();                   // icon texts "*Z"
bool SendTastiera();                     // keyboard "*y"
bool SendScontrino();                    // receipt options "*s", "*r"
bool SendScoMag();                       // discounts "*Y", "*W", ("*m")
bool SendReparto(int16_t from, int16_t to);  // departments "*F"
bool SendRepFid(int16_t from, int16_t to);   // loyalty by department "^e"
bool SendSubFid();                       // loyalty on subtotal "^d"
bool SendCirCli();                       // loyalty lines "^f"
bool SendOpe();                          // operators "*H"
bool SendOpeCamCli();                    // operator/waiter/customer options "*p", "*v", ("*d")
bool SendModPag();                       // payment types "*U"
bool SendTicketAmount();                 // meal-ticket amounts "*a"
bool SendIntScontrino(int16_t index);    // receipt header "*T"
bool SendIconePeriodo();                 // icon periods: ResetTimer, then the next
bool SendIconePeriodoCmd();              // icon periods "*N", inside the current operation
bool SendGrpRep();                       // department groups "*O"
bool SendGrpSta();                       // statistic groups "^i"
bool SendClientGroup();                  // customer groups "*o"
bool SendGlbCassa();                     // register options "*V", ("*X")
bool SendPLU(int32_t from, int32_t to);  // PLUs "*G" (after the PLU options read "&z")
bool SendOff(int32_t from, int32_t to);  // offers "*L" (after "&z")
bool SendDirPLU();                       // PLU directory: read "&l", then "*i" twice
bool SendFMult(int16_t from, int16_t to);    // multiple functions "*l"
bool SendCli(int32_t from, int32_t to);  // customers "*M"; to = -1: the whole file
bool SendCam();                          // waiters "*J"
bool SendBollino();                      // stamps "*Q"
// General options "*t" behind the prefix (empty, or "/" date-and-time ";");
// with both also the VAT table "*I".
bool SendOpGen(const std::string& prefix, bool both);
bool SendComm();                         // communication options "*n", then "*t"
bool SendPrzPeso();                      // price/weight codes "^g"

// ---- Reads ------------------------------------------------------------------
bool ReqValuta();                        // "&s"
bool ReqTestoIcone();                    // "&Z"
bool ReqTastiera();                      // "&k"
bool ReqScontrino();                     // "&q", "&t"; true when selected
bool ReqScoMag();                        // "&R", ("&T"), "&f"; true when selected
// "&L" from ":" to; written, when given, is that range as the caller wrote
// it ("001:005"), sent as it stands.
bool ReqReparto(int16_t from, int16_t to, const std::string& written = {});
bool ReqRepartoRange(const std::string& token);
bool ReqRepFid(int16_t from, int16_t to, const std::string& written = {});  // "^E", the same
bool ReqRepFidRange(const std::string& token);
// The next three queue for the register already selected and don't commit.
bool ReqSubFid();                        // "^D"
bool ReqCirCli();                        // "^F"
bool ReqPrzPeso();                       // "^G"
bool ReqOpe();                           // "&N"
bool ReqOpeCamCli();                     // "&o", "&v"; true when selected
bool ReqModPag();                        // "&P"
bool ReqTicketAmount();                  // "&a"
bool ReqIntScontrino();                  // "&O"
bool ReqIconePeriodo();                  // "&i"
bool ReqGrpRep();                        // "&p"
bool ReqGrpSta();                        // "^L"
bool ReqClientGroup();                   // "&b"
bool ReqGlbCassa();                      // "&Q", ("&S"); true when selected
bool ReqConfPLU(bool first);             // PLU options "&z"
bool ReqPLU(const std::string& token);   // PLU dump, token "&M" and a code range
bool ReqOff(int32_t from, int32_t to, const std::string& token);  // offer dump
bool ReqPLURange(const std::string& token);
bool ReqDirPLU();                        // "&l"
bool ReqFMult();                         // "&H"
bool ReqFMultRange(const std::string& token);
bool ReqCli(const std::string& from, const std::string& to);  // "&I" from ":" to
bool ReqCliRange(const std::string& token);
bool ReqCam();                           // "&K"
bool ReqBollino();                       // "&r"
bool ReqOpGen();                         // "&u" (shared), "&W"; true when selected
bool ReqComm();                          // "&m", "&u" (shared)
bool ReqCode(const std::string& token);  // any read token, with its request flag

// ---- Tables not every model has ------------------------------------------------
// The table file that the builder of a request code (its token: "^b", "&a")
// sends, reads or reports and not every model has; nullptr when it needs
// none. On a model without it that builder queues nothing.
const char* RequestTable(const std::string& code);
// The model has the table the request code needs (true when it needs none).
bool ModelHasRequestTable(const std::string& code);

// ---- Batch requests -----------------------------------------------------------
// Runs the builder whose request code (its token, such as "*F" or "&L") is
// code. The argument (Core.strReqArg of the request, taken as a copy, since
// that is cleared): one that holds ":" is a range, first and last ("1:99"; a
// code range for "&M" and "&I"), and is then no copy destination
// (Core.strReqArg is cleared); an empty one means the whole table; any other
// names a file: the copy destination of a read
// (which reads the whole table), or the source of the batch import that ran
// before a send, which sends its whole table (the departments and their
// loyalty lines send the range their import took: ExecRequest passes it to
// the builder itself). Builders without a range ignore it.
// Returns false when the code is not a builder's. queued is the builder's
// result, false when nothing ran. An argument the builder cannot take (a
// range that can't be read, starts below 1, runs backwards or passes 16 bits
// where the builder takes 16-bit numbers; an index out of its values) runs
// nothing and is said with the argument in the message log and as an
// error-log line of code 3.
bool RunTableBuilder(const std::string& code, std::string arg, bool& queued);
// Whether RunTableBuilder takes the code.
bool IsTableBuilderCode(const std::string& code);
