#pragma once
// Runs the program itself as a process, as a batch run would be started.
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
    int status = -1;  // exit status; -1 when it did not end in time
    std::string err;  // what it wrote on standard error
};

// The program beside the test programs in the build tree.
std::string ProgramPath();
// Runs the program in the folder with the arguments and no display, and
// kills it after the seconds.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& folder,
                     double seconds);

// The same in two steps, for a test that acts while the program runs (a
// second run beside it, a signal): standard error goes to the file named in
// the folder.
struct StartedProgram {
    int pid = -1;
    std::string errFile;
};
StartedProgram StartProgram(const std::vector<std::string>& args, const std::string& folder,
                            const std::string& errName = "stderr.txt");
RunResult WaitProgram(const StartedProgram& program, double seconds);

}  // namespace testsupport
