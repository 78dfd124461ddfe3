#pragma once
// A piece of a test run in a child process, so that the test can kill it at
// any point (as a program killed in the middle of its work), or limit the
// size of the files it writes (a write past the limit fails, as on a full
// disk). The child ends with its body's result as exit status and never
// returns into the test framework. WithFileLimit sets the same limit for a
// piece run in the test's own process.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <new>

namespace childtest {

// Forks; the child runs body and ends with its result. fileLimit > 0: no
// file of the child grows beyond that many bytes.
inline pid_t Start(const std::function<int()>& body, long fileLimit = 0) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (fileLimit > 0) {
            signal(SIGXFSZ, SIG_IGN);  // the write fails instead
            rlimit limit{static_cast<rlim_t>(fileLimit), static_cast<rlim_t>(fileLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        int result = body();
        std::fflush(nullptr);
        _exit(result);
    }
    return pid;
}

// The child's exit status, or minus the signal that ended it.
inline int Wait(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1000;
    if (WIFSIGNALED(status)) return -WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
}

inline int Run(const std::function<int()>& body, long fileLimit = 0) {
    return Wait(Start(body, fileLimit));
}

// Under AddressSanitizer the address space is mostly the sanitizer's own
// reservation, so a cap on it says nothing about the program's memory.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Runs body in a child whose address space may grow by `room` bytes at most;
// a body that runs out of memory ends with status 99.
inline int RunInRoom(long room, const std::function<int()>& body) {
    return Run([&] {
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        const rlim_t most = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + room);
        rlimit limit{most, most};
        setrlimit(RLIMIT_AS, &limit);
        try {
            return body();
        } catch (const std::bad_alloc&) {
            return 99;
        }
    });
}

// Runs body with writes that would grow any file past `limit` bytes failing
// as on a full disk; the limit is lifted again afterwards.
inline void WithFileLimit(rlim_t limit, const std::function<void()>& body) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto handler = signal(SIGXFSZ, SIG_IGN);
    rlimit cut = old;
    cut.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &cut);
    body();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, handler);
}

}  // namespace childtest
