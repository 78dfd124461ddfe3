#pragma once
// A modem in front of the emulated register, as a register reached by phone
// is: in command mode it answers each command line (ended by CR) with "OK",
// a dial command ("ATD...") after a short while with the script's answer,
// and "CONNECT..." puts it on line: from then on what the program sends goes
// to the register and the register's answers come back. "+++" alone, with a
// quiet time after it, brings it back to command mode ("OK"); "ATH" hangs up.
// A pseudo-terminal has no carrier line: the words "CONNECT" and
// "NO CARRIER" are all the program learns of the carrier.
#include <mutex>
#include <string>
#include <vector>

namespace emu {

struct ModemScript {
    // The answer to a dial: "CONNECT 19200", "NO CARRIER", "BUSY"; empty: the
    // modem says nothing and the carrier never comes.
    std::string dialAnswer = "CONNECT 19200";
    double dialSeconds = 0.2;  // from the dial command to its answer
    double guardSeconds = 0.3; // quiet time after "+++" before it counts
};

class ModemFront {
public:
    explicit ModemFront(ModemScript script = {}) : script_(std::move(script)) {}

    // Bytes from the program at time now: the result goes on to the register
    // (on line only); the modem's own answer is appended to reply.
    std::string FromProgram(const std::string& bytes, double now, std::string& reply);
    // Time passing: a dial answered, an escape's quiet time over. The modem's
    // words, if any.
    std::string Tick(double now);

    // The line breaks down: the modem says "NO CARRIER" (on the next Tick).
    void DropCarrier();

    bool Online() const;
    std::vector<std::string> Commands() const;  // command lines, in order ("ATZ", "ATDT0123")
    int Escapes() const;                        // returns to command mode by "+++"
    int Calls() const;                          // dials that connected

private:
    std::string Command(const std::string& line, double now);

    mutable std::mutex mu_;
    ModemScript script_;
    bool online_ = false;
    std::string line_;
    std::string pluses_;          // "+" held back on line until it is known to be an escape
    double escapeAt_ = -1;        // when the held "+++" becomes an escape
    double dialAt_ = -1;          // when the dial is answered
    bool dropped_ = false;
    std::vector<std::string> commands_;
    int escapes_ = 0;
    int calls_ = 0;
};

}  // namespace emu
