#include "common/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/tempdir.h"

extern char** environ;

namespace testsupport {

std::string ProgramPath() {
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "app" / "ecrprog").string();
}

StartedProgram StartProgram(const std::vector<std::string>& args, const std::string& folder,
                            const std::string& errName) {
    StartedProgram started;
    started.errFile = folder + "/" + errName;
    const std::string program = ProgramPath();
    std::vector<std::string> argStrings = {program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    // No display: the program must run headless.
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0 &&
            std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            envp.push_back(*e);
    envp.push_back(nullptr);

    const std::string& errFile = started.errFile;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 2);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    started.pid = pid;
    return started;
}

RunResult WaitProgram(const StartedProgram& program, double seconds) {
    RunResult result;
    const pid_t pid = program.pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.err = ReadAll(program.errFile);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.err = ReadAll(program.errFile);
    return result;
}

RunResult RunProgram(const std::vector<std::string>& args, const std::string& folder,
                     double seconds) {
    return WaitProgram(StartProgram(args, folder), seconds);
}

}  // namespace testsupport
