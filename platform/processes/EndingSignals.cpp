#include "EndingSignals.h"

#include <signal.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

// One slot for each file that may be under way at once: a folder run's workers and the
// window's conversions.
constexpr int kSlots = 320;
constexpr std::size_t kPathBytes = 4096;

enum SlotState : int { kFree, kFilling, kLive };

struct Slot {
    std::atomic<int> state;
    char path[kPathBytes];
};

// Zeros known at compile time: the 1.3 MB stay untouched until used, instead of being
// written through at every start.
constinit Slot g_slots[kSlots] = {};
std::atomic<int> g_deferTo{-1};
std::atomic<bool> g_deferred{false};
std::atomic<bool> g_endingRequested{false};
// Files being created right now, and whether the process is ending: a file created while the
// handler removes the others would outlive the process.
std::atomic<int> g_creating{0};
std::atomic<bool> g_ending{false};
constexpr int kCreationWaitMs = 200;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Only async-signal-safe calls from here on. A slot freed and taken again while the handler
// reads it gives at worst a name that exists nowhere.
extern "C" void OnEndingSignal(int signal) {
    const int savedErrno = errno;
    const int deferTo = g_deferTo.load();
    if (deferTo >= 0 && signal == SIGPIPE) {
        return;
    }
    if (deferTo >= 0 && !g_deferred.exchange(true)) {
        g_endingRequested = true;
        const unsigned char number = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(deferTo, &number, 1);
        errno = savedErrno;
        return;
    }
    g_ending = true;
    // Creations under way finish (the handler's own thread may be one of them: not for ever).
    for (int waited = 0; g_creating.load() > 0 && waited < kCreationWaitMs; ++waited) {
        const timespec millisecond{0, 1000000};
        ::nanosleep(&millisecond, nullptr);
    }
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kLive) {
            ::unlink(slot.path);
        }
    }
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(signal, &standard, nullptr);
    // Delivered when the handler returns, with the signal's own ending.
    ::raise(signal);
    errno = savedErrno;
}

}  // namespace

int RegisterTemporaryFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= kPathBytes) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_slots[i].path, path, length + 1);
            g_slots[i].state.store(kLive, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

bool BeginCreatingFile() {
    ++g_creating;
    if (g_ending.load()) {
        --g_creating;
        return false;
    }
    return true;
}

void EndCreatingFile() {
    --g_creating;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) {
        g_slots[slot].state.store(kFree, std::memory_order_release);
    }
}

void InstallEndingSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : kEndingSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

void DeferFirstEndingSignal(int fd) {
    g_deferred = false;
    if (fd >= 0) {
        g_endingRequested = false;  // a request stays until another program part defers
    }
    g_deferTo = fd;
}

bool EndingRequested() {
    return g_endingRequested.load(std::memory_order_relaxed);
}
