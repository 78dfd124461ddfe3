#pragma once
// A register's side of the dialogue, as a handler of the emulator: it answers
// polls with its hello ("A01" and four status words), takes the command
// frames, asks for the records of a table being sent to it with "B" requests
// and keeps what it receives, sends the records of a table being read, the
// lines of a report and the receipt history with its positions as "C" lines,
// each line after the program's acknowledgement of the one before.
//
// One CashRegister plays one station; in addressed mode add one per station.
#include <array>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "emulator/customers.h"
#include "emulator/emulator.h"

namespace emu {

// A table as the register knows it: the token of its send and the "B" code it
// asks for the records with, the token of its read and the "C" code it sends
// them with. An option group travels as one record without a closing "*".
struct TableInfo {
    std::string name;
    std::string sendToken;  // "*F"; empty when the table isn't sent
    std::string bCode;      // "80"
    std::string readToken;  // "&L"; empty when the table isn't read
    std::string cCode;      // "07"
    bool singleRecord = false;
    // Fields of a record the register takes, on the newer models and on
    // LX4100 (0: not checked). Checked when the register plays a model.
    int fields = 0, fieldsLX4100 = 0;
    // A chip card of LX4100's reader: its tokens are those of another table,
    // followed by "#H" when the card is written.
    bool chipCard = false;
};
const std::vector<TableInfo>& KnownTables();
// The "C" code of a report token ("*A" -> "02"); empty when unknown.
std::string ReportCode(const std::string& token);

struct RegisterConfig {
    int helloType = 1;                 // 1: polled with DC1; 0: with DLE, then the hello command
    std::array<int, 4> status{};       // hello status words 0 to 3 (word 0: mode and refusals)
    bool fourthWord = true;            // the answer carries status word 3
    std::string dateTime = "0101241230";
    std::string identity = "EMU";
    std::string release = "R022002";
    std::string name = "REG";
    int silentPolls = 0;               // polls left unanswered: N the next N, -1 always
    int silentPoll = 0;                // the one poll (counted from 1) left unanswered; 0 none
    int silentPollAgain = 0;           // a second poll left so; 0 none
    // Hello answers that go out with a wrong checksum (the repeat after the
    // program's NAK is whole): N the next N, -1 always.
    int garbledHellos = 0;
    // Hello answers that refuse the command (bit 8 added to status word 0):
    // N the next N; a register that refuses for a while.
    int refusingHellos = 0;
    int refusingHello = 0;             // the one hello answer (counted from 1) that refuses; 0 none
    bool statusOnHelloCommand = false; // answers the hello command with an "A05" status frame
    double lineDelay = 0;              // seconds before each "B" request and "C" line but the first
    int stallAfter = -1;               // falls silent after this many requests or lines (-1 never)
    // The Nth reply of the program (counted from 1) that ends an exchange or
    // starts the history (to "B45", the "*" of a send, to "B90") is lost on
    // the line with all its repeats: never acknowledged nor taken. 0 none.
    int lostReply = 0;
    bool hangUpAfterRead = false;  // the line drops once the program acknowledged a read's end line
    // Milliseconds between the closure's command and its data ("B45"); -1:
    // the closure is made but its data never go out. Data still to go out
    // when the program polls or sends its next command are given up.
    int closureDataDelayMs = 0;
    // The model played: empty for none (records kept as they come, "&a" and
    // "&b" read the meal tickets and customer groups); "LX4100" has the
    // chip-card reader ("*a" and "*b" with "#H", "&a" and "&b"); with a model,
    // a record of a send with another number of fields than the model's
    // (TableInfo) is refused, not kept.
    std::string model;
    // The protocol level of the customer records (0 or 1), with a model.
    int customerLevel = 0;
};

class CashRegister : public Handler {
public:
    explicit CashRegister(int station = 0, RegisterConfig config = {});

    // --- what the test sets (any time) ---
    void SetConfig(const RegisterConfig& config);
    RegisterConfig Config() const;
    // The records sent on a read: fields each followed by ":" ("1:DEPT 1:31:").
    // A send replaces them with what it sent, but for the PLU directory,
    // whose sends change it slot by slot ("code:" frees the code's slot,
    // "code:slot" sets the slot) and whose records are "code:slot:", and the
    // keyboard, whose sends change the keys they name ("variant:level:
    // position:code").
    void SetRecords(const std::string& table, std::vector<std::string> records);
    void SetReport(const std::string& token, std::vector<std::string> lines);
    // The receipt history: position ("0001:01") and text of every line.
    void SetHistory(std::vector<std::pair<std::string, std::string>> lines);
    // The customers are kept by code, with a model in the form of the model's
    // generation (emulator/customers.h): a send ("*M") adds or replaces them,
    // a read ("&I<first>:<last>") sends those in the range.
    void SetCustomers(const std::vector<std::string>& records);
    std::vector<std::string> Customers() const;
    // The register's PLUs and offers, kept sorted by code (numeric codes in
    // numeric order): what a PLU or offer send leaves (each record by its
    // code) and what the dump read "&M<first>:<last>" sends back as "C08"
    // lines, in code order. Records as a read gives them: fields each
    // followed by ":".
    void SetArticles(const std::vector<std::string>& records);
    std::vector<std::string> Articles() const;
    // More lines at the end of the history (the register keeps selling). A
    // read sends the lines after the position the program answers to "B90"
    // ("iiii:pp;#H;"), every line for "XXXX:XX;#H;" and "****:**;#H;".
    void AddHistory(std::vector<std::pair<std::string, std::string>> lines);
    // The data of the next daily closure ("*2;+3;#Z;*3;"): the register asks
    // for the acknowledgement with "B45:" and this text (at once, or as
    // closureDataDelayMs says).
    void SetClosure(const std::string& text);
    // The option groups as a register of the model keeps them before anything
    // is written ("LX4100", "DRAVO57" ...): the records a read sends. The
    // communication group carries the register's number, its station and the
    // link mode it is played in (addressed: -1 the model's default), so that
    // reading it back never takes the program off the line it talks on.
    void SeedOptions(const std::string& model, int number = 1, int station = 0, int addressed = -1);
    // Holds the records of a table (its name, "departments") as a send of
    // them leaves them, records the model refuses left out, with nothing
    // counted as received: the tables a register holds when it starts.
    void Hold(const std::string& table, const std::vector<std::string>& records);

    // --- what happened ---
    std::vector<std::string> Records(const std::string& table) const;   // held now
    std::vector<std::string> Received(const std::string& table) const;  // the last send, "*" excluded
    std::vector<std::vector<std::string>> Sends(const std::string& table) const;  // every send, in order
    std::vector<std::string> Refused(const std::string& table) const;   // records the model refused
    std::vector<std::string> Commands() const;  // command texts after "0;", in order ("" included)
    std::string HistoryStart() const;           // the program's answer to "B90"
    int Closures() const;                       // closures run
    std::string ClosureAnswer() const;          // the program's answer to "B45"
    int Polls() const;
    int Hellos() const;  // hello answers sent
    bool Busy() const;   // a transfer is under way

    // --- Handler ---
    bool OnFrame(Register& reg, const PcUnit& unit) override;
    bool OnPoll(Register& reg, const PcUnit& unit) override;
    bool OnAck(Register& reg) override;
    bool Loses(Register& reg, const PcUnit& unit) override;

private:
    enum class Mode { Idle, Sending, HistoryStart, Lines, Closure };
    std::string HelloPayload() const;
    void StartCommand(Register& reg, const std::string& text);
    void NextRequest(Register& reg, bool first);
    void NextLine(Register& reg, bool first);
    bool Stalled();
    // The program went on to its next exchange (a poll, a command) before
    // late closure data went out: they never do.
    void LeaveLateClosure(Register& reg);
    void Finish();
    // A record of a send that the register takes (the model's number of
    // fields, a customer of the model's form); a customer is kept here.
    bool Takes(const TableInfo& table, const std::string& record);
    // Keeps the records of a send as a read gives them back.
    void Keep(const TableInfo& table, const std::vector<std::string>& records);

    const int station_;
    mutable std::mutex mu_;
    RegisterConfig config_;
    std::map<std::string, std::vector<std::string>> records_;  // by table name
    std::map<std::string, std::vector<std::string>> received_;
    std::map<std::string, std::vector<std::vector<std::string>>> sends_;
    std::map<std::string, std::vector<std::string>> refused_;
    std::map<std::string, std::vector<std::string>> reports_;  // by report token
    std::vector<std::pair<std::string, std::string>> history_;
    CustomerArchive customers_;
    bool KeepsCustomers(const TableInfo* t) const { return t && t->name == "customers"; }
    std::map<std::string, std::string> articles_;  // by code right-aligned in 13
    std::vector<std::string> commands_;
    std::string historyStart_;
    std::string closure_ = "Z 0001:TOTAL 0,00";
    std::string closureAnswer_;
    int closures_ = 0;
    int polls_ = 0;
    int hellos_ = 0;
    int replies_ = 0;      // replies that end an exchange or start the history
    bool losing_ = false;  // the reply of this exchange is being lost

    Mode mode_ = Mode::Idle;
    const TableInfo* table_ = nullptr;  // the table being sent or read
    std::vector<std::string> incoming_; // records of the send under way
    std::vector<std::string> lines_;    // "C" payloads still to send (the last one ends)
    size_t next_ = 0;
    int sent_ = 0;                      // requests or lines sent in this transfer
};

}  // namespace emu
