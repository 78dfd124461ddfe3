#pragma once
// A pseudo-terminal for the emulator: the emulator reads and writes the
// master side; the program under test opens the slave path as its serial
// port. The slave is held open here as well, in raw mode, so the line stays
// up while the program closes and re-opens its port.
#include <string>

namespace emu {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // False with a reason when no pseudo-terminal can be had.
    bool Open(std::string* error = nullptr);
    void Close();
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace emu
