#include "platform/signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

volatile std::sig_atomic_t noted = 0;
volatile std::sig_atomic_t received = 0;

// The semaphore file's path, copied before the handler may need it: the
// handler itself may only make calls that are safe in a signal handler.
char semPath[4096] = {};
// The lines a second signal writes on standard error, and their length.
char stopWords[16384] = {};
volatile std::sig_atomic_t stopWordsLength = 0;
// Held sections open, and the second signal that came during one (or
// before the first one's record was written).
std::atomic<int> holds{0};
std::atomic<int> deferred{0};
// The first signal's record is written; a second signal waited for it.
std::atomic<int> recorded{0};
std::atomic<int> waited{0};
static_assert(std::atomic<int>::is_always_lock_free);

// The first stop was not enough: the program ends now, as the signal would
// have ended it, but a caller waiting for the semaphore file is told that the
// run is over. Only calls safe in a signal handler.
[[noreturn]] void EndNow(int sig) {
    if (semPath[0] != '\0') {
        const int fd = open(semPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd >= 0) close(fd);
    }
    for (ssize_t done = 0, n = 0; done < stopWordsLength; done += n) {
        n = write(STDERR_FILENO, stopWords + done, static_cast<size_t>(stopWordsLength - done));
        if (n <= 0) break;
    }
    _exit(128 + sig);
}

extern "C" void NoteSignal(int sig) {
    if (received != 0) {
        // A second signal before the first one's record is written waits
        // for it (once: a third ends the program however things stand), so
        // that the error log names the work the stop left.
        const bool early = recorded.load() == 0 && waited.exchange(1) == 0;
        if (holds.load() > 0 || early) {
            deferred.store(sig);
            // The held section, or the record, may have ended meanwhile on
            // another thread without seeing this signal.
            if (holds.load() == 0 && recorded.load() != 0) EndNow(sig);
            return;
        }
        EndNow(sig);
    }
    received = 1;
    noted = sig;
}

}  // namespace

void CatchStopSignals(const std::string& semFile) {
    // The three wait while the path changes, so that a second signal never
    // finds half of it.
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, sig);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    if (semFile.size() < sizeof semPath) {
        std::memcpy(semPath, semFile.c_str(), semFile.size() + 1);
    } else {
        semPath[0] = '\0';
    }
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // One handler at a time for the three, so that a second signal always
    // finds the first noted. Reads and writes under way go on.
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&action.sa_mask, sig);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    // Taken from now on, also where the caller started the program with them
    // blocked: one sent before is noted now.
    pthread_sigmask(SIG_UNBLOCK, &stops, nullptr);
}

StopSignalsHeld::StopSignalsHeld() { holds.fetch_add(1); }

StopSignalsHeld::~StopSignalsHeld() {
    // A signal after the count fell to 0 ends the program itself.
    if (holds.fetch_sub(1) == 1 && recorded.load() != 0 && deferred.load() != 0) EndNow(deferred.load());
}

void StopRecorded() { recorded.store(1); }

void SetStopWords(const std::string& text) {
    // The three wait while the text changes, as for the path.
    StopSignalsHeld held;
    size_t n = std::min(text.size(), sizeof stopWords);
    std::memcpy(stopWords, text.data(), n);
    if (text.size() > sizeof stopWords) {
        // Too long: the last line, which a caller acts on, is kept whole in
        // place of the lines before it that do not fit.
        const size_t last = text.rfind('\n', text.size() - 2) + 1;  // 0 when one line
        const size_t tail = text.size() - last;
        if (tail < sizeof stopWords) {
            const size_t head = sizeof stopWords - tail;
            const size_t cut = std::string_view(stopWords, head).rfind('\n') + 1;  // whole lines only
            std::memcpy(stopWords + cut, text.data() + last, tail);
            n = cut + tail;
        }
    }
    stopWordsLength = static_cast<std::sig_atomic_t>(n);
}

int StopSignalNoted() { return noted; }

int TakeStopSignal() {
    const int sig = noted;
    noted = 0;
    return sig;
}

std::string SignalName(int sig) {
    switch (sig) {
        case SIGTERM: return "SIGTERM";
        case SIGINT: return "SIGINT";
        case SIGHUP: return "SIGHUP";
        default: return "signal " + std::to_string(sig);
    }
}

}  // namespace platform
