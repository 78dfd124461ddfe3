// Starts the user's text editor on a file, detached: the editor is the
// grandchild of this process, so that it never becomes a zombie and goes on
// running when the program ends.
#include "platform/editor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace platform {
namespace {

bool IsExecutable(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The full path of the program: as given when it holds a "/", else found in
// PATH. Empty when there is no such program.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return IsExecutable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::stringstream ss(dirs);
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutable(candidate)) return candidate;
    }
    return {};
}

// The editor command split into words ("code -w" is a program and its
// argument); no shell is involved.
std::vector<std::string> EditorCommand() {
    const char* chosen = nullptr;
    for (const char* var : {"VISUAL", "EDITOR"}) {
        const char* v = std::getenv(var);
        if (v && std::strspn(v, " \t") < std::strlen(v)) {
            chosen = v;
            break;
        }
    }
    std::vector<std::string> words;
    std::stringstream ss(chosen ? chosen : "xdg-open");
    std::string w;
    while (ss >> w) words.push_back(w);
    return words;
}

}  // namespace

bool OpenInTextEditor(const std::string& file, std::string& error) {
    error.clear();
    std::vector<std::string> words = EditorCommand();
    std::string program = FindProgram(words[0]);
    if (program.empty()) {
        error = "The text editor \"" + words[0] + "\" cannot be found.";
        return false;
    }
    words.push_back(file);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a pipe that
    // closes without data means the editor started.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("The text editor cannot be started: ") + std::strerror(errno);
        return false;
    }
    pid_t child = ::fork();
    if (child < 0) {
        int e = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        error = std::string("The text editor cannot be started: ") + std::strerror(e);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            int e = errno;
            (void)!::write(fds[1], &e, sizeof e);
            ::_exit(1);
        }
        if (grandchild > 0) ::_exit(0);
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            if (devnull != 0) ::close(devnull);
        }
        ::execv(program.c_str(), argv.data());
        int e = errno;
        (void)!::write(fds[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    if (n > 0) {
        error = "The text editor \"" + words[0] + "\" cannot be started: " + std::strerror(failure);
        return false;
    }
    return true;
}

}  // namespace platform
